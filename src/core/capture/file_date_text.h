// Orlith — desktop catalogue of removable media.
#pragma once

#include <QHash>
#include <QLocale>
#include <QString>

namespace orlith {

// The date text of a file's modification time, exactly as formatDateText writes it, made
// cheap enough for 100,000 files: the local time comes from localtime_r, the date part is
// formatted once per day met, and the time part is built from digits directly (unless
// the locale writes other digits than 0-9, when it asks QLocale).
class FileDateText
{
public:
    explicit FileDateText(const QLocale &locale = QLocale::system());

    // Seconds since 1970-01-01 UTC, shown in local time.
    QString text(qint64 secondsSinceEpoch);

private:
    QString format(qint64 secondsSinceEpoch);

    QLocale m_locale;
    QString m_dateFormat;
    bool m_asciiDigits = true;
    QHash<qint64, QString> m_days; // year/month/day key -> date part with its trailing space
    qint64 m_lastSeconds = 0;
    QString m_lastText;
};

} // namespace orlith
