// Orlith — desktop catalogue of removable media.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace orlith {

// The locale's short date pattern with the year widened to four digits
// ("M/d/yy" becomes "M/d/yyyy"), so dates never lose their century.
QString shortDateFormat(const QLocale &locale = QLocale::system());

// A file date as stored in disc files: short date, a space, HH:mm:ss.
QString formatDateText(const QDateTime &when, const QLocale &locale = QLocale::system());

// A plain date (archive day) in the same short form.
QString formatDate(QDate day, const QLocale &locale = QLocale::system());

// Reads a date text written by formatDateText here or under another locale: the locale's
// own forms first, then ISO 8601, then common day-first and month-first forms. An
// unreadable text gives an invalid QDateTime.
QDateTime parseDateText(const QString &text, const QLocale &locale = QLocale::system());

// The date part only; accepts a date alone or a date with a time.
QDate parseDate(const QString &text, const QLocale &locale = QLocale::system());

} // namespace orlith
