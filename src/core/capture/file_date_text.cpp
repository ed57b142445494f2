// Orlith — desktop catalogue of removable media.
#include "core/capture/file_date_text.h"

#include "core/store/date_text.h"

#include <QDateTime>

#include <ctime>

namespace orlith {

namespace {

// A cache this size holds every day of a typical disc; a pathological one just restarts.
constexpr qsizetype kMaxCachedDays = 4096;

} // namespace

FileDateText::FileDateText(const QLocale &locale)
    : m_locale(locale), m_dateFormat(shortDateFormat(locale))
{
    m_asciiDigits = locale.zeroDigit() == QLatin1String("0");
}

QString FileDateText::text(qint64 secondsSinceEpoch)
{
    // Files written together share a second; they then share one text as well.
    if (secondsSinceEpoch == m_lastSeconds && !m_lastText.isNull())
        return m_lastText;
    m_lastSeconds = secondsSinceEpoch;
    m_lastText = format(secondsSinceEpoch);
    return m_lastText;
}

QString FileDateText::format(qint64 secondsSinceEpoch)
{
    const time_t t = time_t(secondsSinceEpoch);
    struct tm tm;
    if (qint64(t) != secondsSinceEpoch || !::localtime_r(&t, &tm))
        return formatDateText(QDateTime::fromSecsSinceEpoch(secondsSinceEpoch), m_locale);

    const qint64 dayKey = (qint64(tm.tm_year) * 16 + tm.tm_mon) * 32 + tm.tm_mday;
    auto it = m_days.constFind(dayKey);
    if (it == m_days.cend()) {
        if (m_days.size() >= kMaxCachedDays)
            m_days.clear();
        const QDate day(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
        it = m_days.insert(dayKey, m_locale.toString(day, m_dateFormat) + QLatin1Char(' '));
    }
    if (!m_asciiDigits)
        return *it + m_locale.toString(QTime(tm.tm_hour, tm.tm_min, tm.tm_sec),
                                       QStringLiteral("HH:mm:ss"));
    const char16_t clock[8] = {
        char16_t(u'0' + tm.tm_hour / 10), char16_t(u'0' + tm.tm_hour % 10), u':',
        char16_t(u'0' + tm.tm_min / 10),  char16_t(u'0' + tm.tm_min % 10),  u':',
        char16_t(u'0' + tm.tm_sec / 10),  char16_t(u'0' + tm.tm_sec % 10),
    };
    QString out;
    out.reserve(it->size() + 8);
    out.append(*it);
    out.append(QStringView(clock, 8));
    return out;
}

} // namespace orlith
