// Orlith — desktop catalogue of removable media.
// Fuzzes "Data.ini": any bytes load; the record round-trips, byte for byte on a second write.
#include "core/settings/settings_record.h"
#include "fuzz_support.h"

#include <QFile>

using namespace orlith;
using orlith::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = fuzz::scratchFile("Data.ini", fuzz::bytesOf(data, size));
    const QString copy = fuzz::scratchPath("copy.ini");
    const auto written = [&copy] {
        QFile file(copy);
        check(file.open(QIODevice::ReadOnly));
        return file.readAll();
    };
    SettingsRecord first, second;
    check(loadSettings(input, first));
    (void)describeSettings(first);
    check(saveSettings(copy, first)); // a text read from the file always fits its byte count
    const QByteArray bytes = written();
    check(loadSettings(copy, second) && second == first); // no character changed on the way
    check(saveSettings(copy, second) && written() == bytes);
    return 0;
}
