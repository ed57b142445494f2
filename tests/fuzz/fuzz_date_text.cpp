// Orlith — desktop catalogue of removable media.
// Fuzzes the date text reader under several locales, and checks that a date it reads
// comes back the same when written as a disc file date and read again.
#include "core/store/date_text.h"

#include <QTimeZone>

#include <cstdint>
#include <cstdlib>

using namespace orlith;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Wall times in a daylight-saving gap move when read back; UTC has none.
    setenv("TZ", "UTC", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const QLocale locales[] = {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::Croatian, QLocale::Croatia),
                                      QLocale(QLocale::Hungarian, QLocale::Hungary)};
    const QLocale &locale = locales[data[0] % std::size(locales)];
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);

    const QDateTime when = parseDateText(text, locale);
    (void)parseDate(text, locale);
    if (!when.isValid())
        return 0;
    const QDate day = when.date();
    const QTime time = when.time();
    if (day.year() < 1000 || day.year() > 9999)
        return 0;
    const QDateTime local(day, QTime(time.hour(), time.minute(), time.second()));
    const QDateTime again = parseDateText(formatDateText(local, locale), locale);
    if (again.date() != local.date() || again.time() != local.time())
        std::abort();
    if (parseDate(formatDate(day, locale), locale) != day)
        std::abort();
    return 0;
}
