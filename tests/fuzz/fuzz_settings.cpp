// Orlith — desktop catalogue of removable media.
// Fuzzes the reading of "Data.ini": any bytes load without harm, and a record read from
// them is written and read back unchanged, byte for byte on the second write.
#include "core/settings/settings_record.h"
#include "core/store/safe_write.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

using namespace orlith;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    const QString input = dir.filePath(QStringLiteral("Data.ini"));
    const QString copy = dir.filePath(QStringLiteral("copy.ini"));
    if (!writeFileAtomically(
            input, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        std::abort();

    SettingsRecord first;
    if (!LoadSettings(input, first))
        std::abort();
    (void)describeSettings(first);
    if (!SaveSettings(copy, first))
        std::abort(); // a text read from the file always fits its byte count again
    const QByteArray written = fileBytes(copy);

    SettingsRecord second;
    if (!LoadSettings(copy, second) || !(second == first))
        std::abort(); // a character changed on the way
    if (!SaveSettings(copy, second) || fileBytes(copy) != written)
        std::abort();
    return 0;
}
