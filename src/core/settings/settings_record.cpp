// Orlith — desktop catalogue of removable media.
#include "core/settings/settings_record.h"

#include "core/store/safe_write.h"

#include "core/store/text_codec.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <limits>
#include <type_traits>

namespace orlith {

namespace {

constexpr int kTextFields = 8 + kCategoryCount;
// No record is longer, so a larger file need not be read to its end.
constexpr qint64 kLongestRecord =
    kTextFields * (2 + std::numeric_limits<quint16>::max()) + 2 + 4 * 4;

// Calls visit(name, field) for every field in file order; the one place that order lives.
template <typename Record, typename Visit> void forEachField(Record &r, Visit &&visit)
{
    visit(QStringLiteral("openFileSetting"), r.openFileSetting);
    visit(QStringLiteral("openLocationSetting"), r.openLocationSetting);
    visit(QStringLiteral("tipsAtStartSetting"), r.tipsAtStartSetting);
    visit(QStringLiteral("archiveReminderSetting"), r.archiveReminderSetting);
    visit(QStringLiteral("archiveDateSetting"), r.archiveDateSetting);
    visit(QStringLiteral("archiveDaysSetting"), r.archiveDaysSetting);
    visit(QStringLiteral("ejectAfterImportSetting"), r.ejectAfterImportSetting);
    visit(QStringLiteral("detailsCollapsedSetting"), r.detailsCollapsedSetting);
    visit(QStringLiteral("Top"), r.Top);
    visit(QStringLiteral("Left"), r.Left);
    visit(QStringLiteral("Height"), r.Height);
    visit(QStringLiteral("Width"), r.Width);
    for (int i = 0; i < kCategoryCount; ++i)
        visit(QStringLiteral("categoryColorSettings[%1]").arg(categoryName(i)),
              r.categoryColorSettings[size_t(i)]);
    visit(QStringLiteral("lookInsideArchivesSetting"), r.lookInsideArchivesSetting);
    visit(QStringLiteral("computeChecksumsSetting"), r.computeChecksumsSetting);
}

template <typename Field> using Plain = std::remove_cvref_t<Field>;

// The record as the file holds it; false (naming the field) when a text is too long for
// its byte count.
bool encodeSettings(const SettingsRecord &record, QByteArray &out, QString &error)
{
    out.clear();
    forEachField(record, [&](const QString &name, const auto &field) {
        // Our own fields go last and only while one from there on is set, so a record
        // without them is byte for byte the one every other reader of the file knows.
        const void *at = &field;
        if (!error.isEmpty() ||
            (at == &record.lookInsideArchivesSetting &&
             record.lookInsideArchivesSetting.isEmpty() &&
             record.computeChecksumsSetting.isEmpty()) ||
            (at == &record.computeChecksumsSetting && record.computeChecksumsSetting.isEmpty()))
            return;
        if constexpr (std::is_same_v<Plain<decltype(field)>, QString>) {
            const QByteArray bytes = encodeSingleByte(field);
            if (bytes.size() > std::numeric_limits<quint16>::max()) {
                error = QStringLiteral("%1 is longer than %2 bytes")
                            .arg(name)
                            .arg(std::numeric_limits<quint16>::max());
                return;
            }
            char word[2];
            qToLittleEndian<quint16>(quint16(bytes.size()), word);
            out.append(word, 2);
            out.append(bytes);
        } else {
            char raw[sizeof(field)];
            qToLittleEndian(field, raw);
            out.append(raw, sizeof(field));
        }
    });
    return error.isEmpty();
}

SettingsRecord decodeSettings(QByteArrayView bytes)
{
    SettingsRecord record;
    const char *p = bytes.data();
    qint64 left = bytes.size();
    bool complete = true;
    forEachField(record, [&](const QString &, auto &field) {
        if (!complete)
            return;
        if constexpr (std::is_same_v<Plain<decltype(field)>, QString>) {
            if (left < 2) {
                complete = false;
                return;
            }
            const qint64 size = qFromLittleEndian<quint16>(p);
            if (size > left - 2) {
                complete = false;
                return;
            }
            field = decodeSingleByte(p + 2, size);
            p += 2 + size;
            left -= 2 + size;
        } else {
            using Int = Plain<decltype(field)>;
            if (left < qint64(sizeof(Int))) {
                complete = false;
                return;
            }
            field = qFromLittleEndian<Int>(p);
            p += sizeof(Int);
            left -= sizeof(Int);
        }
    });
    return record;
}

} // namespace

StoreResult loadSettings(const QString &path, SettingsRecord &record)
{
    record = SettingsRecord();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (QFileInfo::exists(path))
            return StoreResult::failure(
                QStringLiteral("Cannot read %1:\n%2").arg(path, file.errorString()));
        // NewOnly: should the file appear meanwhile, it is not emptied.
        QFile created(path);
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly) && !QFileInfo::exists(path))
            return StoreResult::failure(
                QStringLiteral("Cannot create %1:\n%2").arg(path, created.errorString()));
        return StoreResult::success();
    }
    // read(n) allocates n bytes up front; the file is usually a few hundred bytes long.
    const qint64 want = file.isSequential() ? kLongestRecord : qMin(file.size(), kLongestRecord);
    const QByteArray bytes = file.read(want);
    if (file.error() != QFileDevice::NoError)
        return StoreResult::failure(
            QStringLiteral("Cannot read %1:\n%2").arg(path, file.errorString()));
    record = decodeSettings(bytes);
    return StoreResult::success();
}

StoreResult saveSettings(const QString &path, const SettingsRecord &record)
{
    QByteArray bytes;
    QString reason;
    if (!encodeSettings(record, bytes, reason))
        return StoreResult::failure(QStringLiteral("Cannot write %1:\n%2").arg(path, reason));
    return writeFileAtomically(path, bytes);
}

QList<std::pair<QString, QString>> describeSettings(const SettingsRecord &record)
{
    QList<std::pair<QString, QString>> fields;
    forEachField(record, [&](const QString &name, const auto &field) {
        if constexpr (std::is_same_v<Plain<decltype(field)>, QString>)
            fields.append({name, field});
        else
            fields.append({name, QString::number(field)});
    });
    return fields;
}

} // namespace orlith
