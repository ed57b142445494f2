// Orlith — desktop catalogue of removable media.
// Fuzzes the date text reader in several locales: a date read is written and read back the same.
#include "core/store/date_text.h"
#include "fuzz_support.h"

using namespace orlith;
using orlith::fuzz::check;

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
    static const QLocale locales[] = {
        QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Croatian, QLocale::Croatia),
        QLocale(QLocale::Hungarian, QLocale::Hungary)};
    const QLocale &locale = locales[data[0] % std::size(locales)];
    const QString text = QString::fromUtf8(fuzz::bytesOf(data + 1, size - 1));
    const QDateTime when = parseDateText(text, locale);
    (void)parseDate(text, locale);
    if (!when.isValid() || when.date().year() < 1000 || when.date().year() > 9999)
        return 0;
    const QTime t = when.time();
    const QDateTime local(when.date(), QTime(t.hour(), t.minute(), t.second()));
    const QDateTime again = parseDateText(formatDateText(local, locale), locale);
    check(again.date() == local.date() && again.time() == local.time());
    check(parseDate(formatDate(local.date(), locale), locale) == local.date());
    return 0;
}
