// Orlith — desktop catalogue of removable media.
#include "core/capture/udisks_probe.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QHash>
#include <QVariantMap>

namespace orlith {

namespace {

constexpr char kService[] = "org.freedesktop.UDisks2";
constexpr char kProperties[] = "org.freedesktop.DBus.Properties";
constexpr int kBudgetMs = 300;

// One blocking call that waits no longer than what is left of `deadline`; empty on any
// error or timeout.
QList<QVariant> call(const QDBusConnection &bus, const QDeadlineTimer &deadline,
                     QDBusMessage message)
{
    const qint64 left = deadline.remainingTime();
    if (left <= 0)
        return {};
    const QDBusMessage reply = bus.call(message, QDBus::Block, int(left));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    return reply.arguments();
}

QDBusMessage udisksCall(const QString &object, const char *interface, const char *method)
{
    return QDBusMessage::createMethodCall(QLatin1String(kService), object, QLatin1String(interface),
                                          QLatin1String(method));
}

bool daemonRunning(const QDBusConnection &bus, const QDeadlineTimer &deadline)
{
    // Asking the bus, not udisks: a call to udisks itself would start it through activation.
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    message << QLatin1String(kService);
    const QList<QVariant> reply = call(bus, deadline, message);
    return !reply.isEmpty() && reply.first().toBool();
}

// udisks names its block objects after the kernel's name, with every byte other than a
// letter or digit written as _xx ("dm-0" is "dm_2d0"); /dev/mapper/… links to that name.
QString blockObjectPath(const QString &device)
{
    const QString node = QFileInfo(device).canonicalFilePath();
    QString name;
    for (const char c : (node.isEmpty() ? device : node).section(QLatin1Char('/'), -1).toUtf8()) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            name += QLatin1Char(c);
        else
            name += QStringLiteral("_%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0'));
    }
    return QStringLiteral("/org/freedesktop/UDisks2/block_devices/") + name;
}

QString blockObject(const QDBusConnection &bus, const QDeadlineTimer &deadline,
                    const QString &device)
{
    QDBusMessage message = udisksCall(QStringLiteral("/org/freedesktop/UDisks2/Manager"),
                                      "org.freedesktop.UDisks2.Manager", "ResolveDevice");
    message << QVariantMap{{QStringLiteral("path"), device}} << QVariantMap();
    const QList<QVariant> reply = call(bus, deadline, message);
    if (!reply.isEmpty()) {
        const auto paths = qdbus_cast<QList<QDBusObjectPath>>(reply.first());
        if (!paths.isEmpty())
            return paths.first().path();
        return {}; // udisks knows no such device
    }
    // A daemon older than ResolveDevice: the object named after the device.
    return blockObjectPath(device);
}

} // namespace

QString mediaTypeName(const QString &udisksMedia)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("optical_cd"), QStringLiteral("CD-ROM")},
        {QStringLiteral("optical_cd_r"), QStringLiteral("CD-R")},
        {QStringLiteral("optical_cd_rw"), QStringLiteral("CD-RW")},
        {QStringLiteral("optical_dvd"), QStringLiteral("DVD-ROM")},
        {QStringLiteral("optical_dvd_r"), QStringLiteral("DVD-R")},
        {QStringLiteral("optical_dvd_rw"), QStringLiteral("DVD-RW")},
        {QStringLiteral("optical_dvd_ram"), QStringLiteral("DVD-RAM")},
        {QStringLiteral("optical_dvd_plus_r"), QStringLiteral("DVD+R")},
        {QStringLiteral("optical_dvd_plus_rw"), QStringLiteral("DVD+RW")},
        {QStringLiteral("optical_dvd_plus_r_dl"), QStringLiteral("DVD+R DL")},
        {QStringLiteral("optical_dvd_plus_rw_dl"), QStringLiteral("DVD+RW DL")},
        {QStringLiteral("optical_bd"), QStringLiteral("BD-ROM")},
        {QStringLiteral("optical_bd_r"), QStringLiteral("BD-R")},
        {QStringLiteral("optical_bd_re"), QStringLiteral("BD-RE")},
        {QStringLiteral("optical_hddvd"), QStringLiteral("HD DVD-ROM")},
        {QStringLiteral("optical_hddvd_r"), QStringLiteral("HD DVD-R")},
        {QStringLiteral("optical_hddvd_rw"), QStringLiteral("HD DVD-RW")},
        {QStringLiteral("optical_mo"), QStringLiteral("MO")},
        {QStringLiteral("optical_mrw"), QStringLiteral("MRW")},
        {QStringLiteral("optical_mrw_w"), QStringLiteral("MRW-W")},
    };
    // Card kinds (flash_sd, flash_cf, …) are all one thing to the user of a catalogue.
    if (udisksMedia.startsWith(QLatin1String("flash")))
        return QStringLiteral("flash");
    return names.value(udisksMedia);
}

DriveFacts probeUdisks(const QString &device)
{
    // Without an application object the bus has no thread to run on.
    if (!QCoreApplication::instance())
        return {};
    return probeUdisks(device, QDBusConnection::systemBus());
}

DriveFacts probeUdisks(const QString &device, const QDBusConnection &bus)
{
    if (!bus.isConnected())
        return {};
    const QDeadlineTimer deadline(kBudgetMs);
    if (!daemonRunning(bus, deadline))
        return {};
    const QString block = blockObject(bus, deadline, device);
    if (block.isEmpty())
        return {};

    QDBusMessage get = udisksCall(block, kProperties, "Get");
    get << QStringLiteral("org.freedesktop.UDisks2.Block") << QStringLiteral("Drive");
    const QList<QVariant> driveReply = call(bus, deadline, get);
    if (driveReply.isEmpty())
        return {};
    const QString drive =
        qdbus_cast<QDBusObjectPath>(driveReply.first().value<QDBusVariant>().variant()).path();
    if (drive.isEmpty() || drive == QLatin1String("/"))
        return {}; // a loop device or a partition of no drive

    QDBusMessage getAll = udisksCall(drive, kProperties, "GetAll");
    getAll << QStringLiteral("org.freedesktop.UDisks2.Drive");
    const QList<QVariant> reply = call(bus, deadline, getAll);
    if (reply.isEmpty())
        return {};
    const QVariantMap properties = qdbus_cast<QVariantMap>(reply.first());
    DriveFacts facts;
    facts.mediaType = mediaTypeName(properties.value(QStringLiteral("Media")).toString());
    facts.driveModel =
        (properties.value(QStringLiteral("Vendor")).toString().trimmed() + QLatin1Char(' ') +
         properties.value(QStringLiteral("Model")).toString().trimmed())
            .trimmed();
    return facts;
}

} // namespace orlith
