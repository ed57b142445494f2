// Orlith — desktop catalogue of removable media.
#include "core/capture/medium_probe.h"
#include "core/capture/udisks_probe.h"

#include "core/capture/medium_fixtures.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

const QString kBlock = u"/org/freedesktop/UDisks2/block_devices/sr0"_s;
const QString kDrive = u"/org/freedesktop/UDisks2/drives/HL_2dDT_2dST"_s;

// A udisks daemon that knows /dev/sr0 in a drive holding a DVD+R.
class FakeUdisks : public QDBusVirtualObject
{
public:
    bool handleMessage(const QDBusMessage &m, const QDBusConnection &bus) override
    {
        QVariant answer;
        if (m.member() == "ResolveDevice"_L1) {
            const auto options = qdbus_cast<QVariantMap>(m.arguments().value(0));
            QList<QDBusObjectPath> found;
            if (options.value(u"path"_s) == "/dev/sr0"_L1)
                found.append(QDBusObjectPath(kBlock));
            answer = QVariant::fromValue(found);
        } else if (m.member() == "Get"_L1 && m.path() == kBlock) {
            answer =
                QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath(kDrive))));
        } else if (m.member() == "GetAll"_L1 && m.path() == kDrive) {
            answer = QVariantMap{{u"Media"_s, u"optical_dvd_plus_r"_s},
                                 {u"Vendor"_s, u"HL-DT-ST "_s},
                                 {u"Model"_s, u"DVDRAM GH24NSD1  "_s}};
        } else {
            return false;
        }
        return bus.send(m.createReply(answer));
    }
    QString introspect(const QString &) const override { return {}; }
};

} // namespace

class TestMediumProbe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // No system bus in this process: the probe must carry on without one.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/orlith-test-bus");
        const QString daemon = findTool(u"dbus-daemon"_s);
        if (daemon.isEmpty() || !m_busDir.isValid())
            return;
        m_daemon.start(daemon, {u"--session"_s, u"--nofork"_s, u"--print-address"_s,
                                u"--address=unix:path="_s + m_busDir.filePath("bus")});
        if (m_daemon.waitForReadyRead(10000))
            m_busAddress = QString::fromUtf8(m_daemon.readLine().trimmed());
    }

    void cleanupTestCase()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    // One row per udisks prefix, and a kind it does not name.
    void mediaNames()
    {
        const QStringList udisks{"optical_cd", "optical_dvd_plus_r_dl", "optical_hddvd_r",
                                 "flash_sd", "thumb"};
        QStringList shown;
        for (const QString &media : udisks)
            shown << mediaTypeName(media);
        QCOMPARE(shown, QStringList({"CD-ROM", "DVD+R DL", "HD DVD-R", "flash", ""}));
    }

    // Each missing piece (the bus, the daemon, the device) leaves the fields empty.
    void udisks_data()
    {
        QTest::addColumn<QString>("bus"); // "system", "private", "private with udisks"
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("facts"); // media type|drive model
        QTest::newRow("no system bus") << u"system"_s << u"/dev/sr0"_s << u"|"_s;
        QTest::newRow("udisks not running") << u"private"_s << u"/dev/sr0"_s << u"|"_s;
        QTest::newRow("a DVD+R in a drive")
            << u"private with udisks"_s << u"/dev/sr0"_s << u"DVD+R|HL-DT-ST DVDRAM GH24NSD1"_s;
        QTest::newRow("a device udisks does not know")
            << u"private with udisks"_s << u"/dev/sdz9"_s << u"|"_s;
    }

    void udisks()
    {
        QFETCH(QString, bus);
        QFETCH(QString, device);
        QFETCH(QString, facts);
        DriveFacts got;
        if (bus == "system"_L1) {
            got = probeUdisks(device);
        } else {
            if (m_busAddress.isEmpty())
                QSKIP("dbus-daemon is missing");
            const QString name = u"fake-udisks-%1"_s.arg(++m_connections);
            QDBusConnection service = QDBusConnection::connectToBus(m_busAddress, name);
            // Answered on a thread of its own while the probe blocks this one.
            QThread thread;
            thread.start();
            FakeUdisks udisks;
            const auto stop = qScopeGuard([&] {
                QDBusConnection::disconnectFromBus(name + "c");
                QDBusConnection::disconnectFromBus(name);
                thread.quit();
                thread.wait();
            });
            if (bus.endsWith("udisks"_L1)) {
                QVERIFY(service.registerService(u"org.freedesktop.UDisks2"_s));
                QVERIFY(service.registerVirtualObject(u"/org/freedesktop/UDisks2"_s, &udisks,
                                                      QDBusConnection::SubPath));
            }
            udisks.moveToThread(&thread);
            got = probeUdisks(device, QDBusConnection::connectToBus(m_busAddress, name + "c"));
        }
        QCOMPARE(got.mediaType + u'|' + got.driveModel, facts);
    }

    void images_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("uuid"); // "*": any, as long as there is one
        QTest::addColumn<QString>("fsType");
        const auto row = [](const char *tag, const char *kind, const char *label, const char *uuid,
                            const char *fsType) {
            QTest::newRow(tag) << QString(kind) << QString(label) << QString(uuid)
                               << QString(fsType);
        };
        row("FAT image", "fat", "LABEL", "1234-ABCD", "vfat");
        row("ISO 9660 image", "iso", "VOLID", "*", "iso9660");
        row("a file of no file system", "plain", "", "", "");
        row("a folder inside a file system", "folder", "", "", "");
    }

    void images()
    {
        QFETCH(QString, kind);
        QFETCH(QString, label);
        QFETCH(QString, uuid);
        QFETCH(QString, fsType);
        QTemporaryDir dir;
        QString path;
        if (kind == "fat"_L1)
            path = makeFatImage(dir.path(), label, u"1234ABCD"_s);
        else if (kind == "iso"_L1)
            path = makeIsoImage(dir.path(), label);
        else if (kind == "plain"_L1)
            path = dir.filePath(u"plain.bin"_s);
        else
            path = dir.path();
        if (path.isEmpty())
            QSKIP("mkfs.vfat or xorriso is missing (scripts/test.sh installs them)");
        if (kind == "plain"_L1) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'x')) == 8192);
        }
        const MediumInfo medium = probeMedium(path);
        const QString gotUuid = uuid == "*"_L1 && !medium.uuid.isEmpty() ? uuid : medium.uuid;
        QCOMPARE(medium.label + u'|' + gotUuid + u'|' + medium.fsType,
                 label + u'|' + uuid + u'|' + fsType);
        if (!fsType.isEmpty())
            QCOMPARE(medium.capacity, QFileInfo(path).size());
        // What the disc file keeps of it.
        const DiscInfo info = discInfoOf(medium);
        QCOMPARE(info.label + u'|' + info.uuid, medium.label + u'|' + medium.uuid);
        QCOMPARE(info.hasMedium(), !fsType.isEmpty());
    }

private:
    QTemporaryDir m_busDir;
    QProcess m_daemon;
    QString m_busAddress;
    int m_connections = 0;
};

QTEST_GUILESS_MAIN(TestMediumProbe)
#include "tst_medium_probe.moc"
