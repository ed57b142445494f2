// Orlith — desktop catalogue of removable media.
#include "core/settings/archive_reminder.h"

#include "core/store/date_text.h"
#include "core/store/disc_file.h"

#include <algorithm>
#include <limits>

namespace orlith {

qint64 archiveDaysValue(const QString &daysText)
{
    return parseSizeValue(daysText.toLatin1());
}

bool isArchiveDay(const SettingsRecord &record, QDate today)
{
    if (!record.archiveReminder())
        return false;
    const QDate day = parseDate(record.archiveDateSetting);
    return day.isValid() && day.daysTo(today) >= 0;
}

QString archiveDayQuestion()
{
    return QStringLiteral("Today is your ARCHIVE DAY.\nWould you like to archive your files now?");
}

QString nextArchiveMessage(const QString &daysSetting)
{
    return QStringLiteral("You will be prompted again") + QStringLiteral(" after ") + daysSetting +
           QStringLiteral(" days for archive.");
}

QString nextArchiveDateText(const QString &daysText, QDate today)
{
    return formatDate(today.addDays(archiveDaysValue(daysText)));
}

void scheduleNextArchive(SettingsRecord &record, QDate today)
{
    record.archiveDateSetting = nextArchiveDateText(record.archiveDaysSetting, today);
}

std::optional<int> steppedArchiveDays(const QString &daysText, bool up)
{
    const qint64 days = archiveDaysValue(daysText);
    if (up && days <= kMaxArchiveDays - 1)
        return int(days + 1);
    if (!up && days > kMinArchiveDays)
        // A stored count above 99 comes down one at a time too.
        return int(std::min<qint64>(days - 1, std::numeric_limits<int>::max()));
    return std::nullopt;
}

QString shownArchiveDays(const QString &daysSetting)
{
    bool isNumber = false;
    daysSetting.trimmed().toLongLong(&isNumber);
    return isNumber ? daysSetting : QString::number(kDefaultArchiveDays);
}

} // namespace orlith
