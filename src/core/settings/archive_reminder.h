// Orlith — desktop catalogue of removable media.
// The scheduled-archive reminder and the archive day count of the options window.
#pragma once

#include "core/settings/settings_record.h"

#include <QDate>
#include <QString>

#include <optional>

namespace orlith {

inline constexpr char kReminderTitle[] = "Scheduled Archive";
// The buttons of the options window keep the day count within these bounds.
inline constexpr int kMinArchiveDays = 1;
inline constexpr int kMaxArchiveDays = 99;
// Shown (and then stored) when the stored count is empty or not a number, as on a first start.
inline constexpr int kDefaultArchiveDays = 30;

// The numeric value of a day count text: leading blanks, an optional sign and digits; anything
// else ends the number, so "" and "abc" give 0.
qint64 archiveDaysValue(const QString &daysText);

// The reminder is due when it is on ("1") and its stored day is today or has passed. A date
// that does not read as a date is never due, until the options store a new one.
bool isArchiveDay(const SettingsRecord &record, QDate today);

// The question asked on the archive day, with the information icon (Yes archives now).
QString archiveDayQuestion();
// The information shown after it, whatever the answer.
QString nextArchiveMessage(const QString &daysSetting);

// Today plus the day count, as the short date text the record holds. The next day is always
// counted from the day the reminder was shown, not from the day it was due.
QString nextArchiveDateText(const QString &daysText, QDate today);
void scheduleNextArchive(SettingsRecord &record, QDate today);

// The day count one up (`up`) or one down, or nothing when that would leave 1 to 99.
std::optional<int> steppedArchiveDays(const QString &daysText, bool up);

// What the options window shows for the stored count: the text as stored when it is a
// number (even outside 1 to 99), else the default count.
QString shownArchiveDays(const QString &daysSetting);

} // namespace orlith
