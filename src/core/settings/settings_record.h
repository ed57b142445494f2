// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/file_categories.h"
#include "core/store/store_result.h"

#include <QList>
#include <QRect>
#include <QString>

#include <array>
#include <utility>

namespace orlith {

// Every user setting, read from "Data.ini" at start and written back at shut-down. A
// fresh record (and one read from an empty file) has empty texts and zero numbers, except
// that a double click opens the file: a field the file does not hold keeps that default,
// while one it holds, even empty, says what the user chose.
struct SettingsRecord
{
    // "True" / "False": double click opens the file.
    QString openFileSetting = QStringLiteral("True");
    QString openLocationSetting;     // "True" / "False": double click opens its folder
    QString tipsAtStartSetting;      // "1" / "0"
    QString archiveReminderSetting;  // "1" / "0"
    QString archiveDateSetting;      // next archive day, short date text
    QString archiveDaysSetting;      // archive interval in days, decimal
    QString ejectAfterImportSetting; // "1" / "0"
    qint16 detailsCollapsedSetting = 0;
    qint32 Top = 0;
    qint32 Left = 0;
    qint32 Height = 0;
    qint32 Width = 0;
    // Colour texts of the file categories, in category order (see file_categories.h).
    std::array<QString, kCategoryCount> categoryColorSettings;
    // "1": captures list archive members. Stored after the fields above, and only when not
    // empty (off, as on a first start).
    QString lookInsideArchivesSetting;
    // "1": captures compute checksums. Stored last, the same way.
    QString computeChecksumsSetting;

    // The switches as the program uses them. A getter is true only for the exact "on" text
    // of its field; a setter writes the texts above, so the file reads as it always did.
    bool opensFile() const { return openFileSetting == QLatin1String("True"); }
    void setOpensFile(bool on) { openFileSetting = trueFalse(on); }
    bool opensLocation() const { return openLocationSetting == QLatin1String("True"); }
    void setOpensLocation(bool on) { openLocationSetting = trueFalse(on); }
    bool tipsAtStart() const { return tipsAtStartSetting == QLatin1String("1"); }
    void setTipsAtStart(bool on) { tipsAtStartSetting = oneZero(on); }
    bool archiveReminder() const { return archiveReminderSetting == QLatin1String("1"); }
    void setArchiveReminder(bool on) { archiveReminderSetting = oneZero(on); }
    bool ejectAfterImport() const { return ejectAfterImportSetting == QLatin1String("1"); }
    void setEjectAfterImport(bool on) { ejectAfterImportSetting = oneZero(on); }
    // Off is stored as an empty text, which leaves the field out of the file.
    bool looksInsideArchives() const { return lookInsideArchivesSetting == QLatin1String("1"); }
    void setLooksInsideArchives(bool on)
    {
        lookInsideArchivesSetting = on ? oneZero(true) : QString();
    }
    bool computesChecksums() const { return computeChecksumsSetting == QLatin1String("1"); }
    void setComputesChecksums(bool on) { computeChecksumsSetting = on ? oneZero(true) : QString(); }
    bool detailsCollapsed() const { return detailsCollapsedSetting != 0; }
    void setDetailsCollapsed(bool on) { detailsCollapsedSetting = on ? 1 : 0; }
    // The window's placement in twips; empty when never stored.
    QRect placementTwips() const { return QRect(Left, Top, Width, Height); }
    void setPlacementTwips(const QRect &twips)
    {
        Left = twips.left();
        Top = twips.top();
        Width = twips.width();
        Height = twips.height();
    }

    bool operator==(const SettingsRecord &) const = default;

private:
    static QString trueFalse(bool on)
    {
        return on ? QStringLiteral("True") : QStringLiteral("False");
    }
    static QString oneZero(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
};

// "Data.ini" holds the fields above in order with no padding: each text as a 16-bit
// little-endian byte count and then its bytes (encodeSingleByte), the 16-bit integer as 2
// bytes and each 32-bit integer as 4, little-endian.

// Reads the record from `path`. A missing file is created empty and gives an empty record.
// Fields are read in order while they are complete: the first one cut short (a length
// word larger than the bytes left) and every one after it stay empty or 0. Fails only when
// the file can be neither read nor created; `record` is then empty.
[[nodiscard]] StoreResult loadSettings(const QString &path, SettingsRecord &record);

// Writes the whole record through a temporary file and a rename, so `path` holds either
// the old record or the new one. Fails ("Cannot write <path>:\n<reason>") without touching
// the old file, also when a text is too long for its 16-bit byte count.
[[nodiscard]] StoreResult saveSettings(const QString &path, const SettingsRecord &record);

// Every field as (name, value text), in record order; the colours are named
// "categoryColorSettings[Arhive]" and so on.
QList<std::pair<QString, QString>> describeSettings(const SettingsRecord &record);

} // namespace orlith
