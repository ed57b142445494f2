// Orlith — desktop catalogue of removable media.
#include "core/store/date_text.h"

#include <QRegularExpression>

namespace orlith {

namespace {

constexpr auto kTimeFormat = "HH:mm:ss";

// Fallback forms tried after the locale's own, day-first before month-first.
const char *const kFallbackDateForms[] = {
    "yyyy-MM-dd", "d.M.yyyy", "d/M/yyyy", "d-M-yyyy", "M/d/yyyy", "yyyy/M/d", "d.M.yy", "M/d/yy",
};

const char *const kFallbackTimeForms[] = {"H:mm:ss", "H:mm", "h:mm:ss AP", "h:mm:ss ap", "h:mm AP"};

QDate readDate(const QString &text, const QLocale &locale)
{
    const QString own = shortDateFormat(locale);
    QDate d = locale.toDate(text, own);
    if (d.isValid())
        return d;
    d = locale.toDate(text, locale.dateFormat(QLocale::ShortFormat));
    if (d.isValid())
        return d;
    d = QDate::fromString(text, Qt::ISODate);
    if (d.isValid())
        return d;
    for (const char *form : kFallbackDateForms) {
        d = QDate::fromString(text, QString::fromLatin1(form));
        if (d.isValid()) {
            // Two-digit years are read as 19xx by Qt; a catalogue of discs is younger.
            if (QString::fromLatin1(form).endsWith(QLatin1String("yy")) &&
                !QString::fromLatin1(form).endsWith(QLatin1String("yyyy")) && d.year() < 1950)
                d = d.addYears(100);
            return d;
        }
    }
    return {};
}

QTime readTime(const QString &text, const QLocale &locale)
{
    QTime t = QTime::fromString(text, QString::fromLatin1(kTimeFormat));
    if (t.isValid())
        return t;
    t = locale.toTime(text, QLocale::LongFormat);
    if (t.isValid())
        return t;
    t = locale.toTime(text, QLocale::ShortFormat);
    if (t.isValid())
        return t;
    for (const char *form : kFallbackTimeForms) {
        t = QTime::fromString(text, QString::fromLatin1(form));
        if (t.isValid())
            return t;
    }
    return {};
}

} // namespace

QString shortDateFormat(const QLocale &locale)
{
    QString f = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression years(QStringLiteral("y+"));
    f.replace(years, QStringLiteral("yyyy"));
    return f;
}

QString formatDateText(const QDateTime &when, const QLocale &locale)
{
    return locale.toString(when, shortDateFormat(locale) + QLatin1Char(' ') +
                                     QString::fromLatin1(kTimeFormat));
}

QString formatDate(QDate day, const QLocale &locale)
{
    return locale.toString(day, shortDateFormat(locale));
}

QDateTime parseDateText(const QString &raw, const QLocale &locale)
{
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return {};
    const QDateTime own = locale.toDateTime(text, shortDateFormat(locale) + QLatin1Char(' ') +
                                                      QString::fromLatin1(kTimeFormat));
    if (own.isValid())
        return own;
    const QDateTime iso = QDateTime::fromString(text, Qt::ISODate);
    if (iso.isValid())
        return iso;

    // Dates may hold spaces themselves ("14. 03. 2004."), so try every split point
    // from the right: the time is the shorter part.
    if (const QDate alone = readDate(text, locale); alone.isValid())
        return QDateTime(alone, QTime(0, 0));
    for (qsizetype space = text.lastIndexOf(QLatin1Char(' ')); space > 0;
         space = text.lastIndexOf(QLatin1Char(' '), space - 1)) {
        const QDate d = readDate(text.left(space).trimmed(), locale);
        if (!d.isValid())
            continue;
        const QTime t = readTime(text.mid(space + 1).trimmed(), locale);
        if (t.isValid())
            return QDateTime(d, t);
    }
    return {};
}

QDate parseDate(const QString &text, const QLocale &locale)
{
    return parseDateText(text, locale).date();
}

} // namespace orlith
