// Orlith — desktop catalogue of removable media.
#include "core/store/disc_info.h"

#include "core/store/disc_file.h"
#include "core/store/disc_identity.h"
#include "core/store/program_folder.h"
#include "core/store/safe_write.h"
#include "core/store/store_lock.h"
#include "core/store/text_codec.h"

#include <QDir>

namespace orlith {

namespace {

constexpr char kOpen[] = "<disc_info";
constexpr qsizetype kOpenLength = sizeof kOpen - 1;
// The info line is the fifth line of a file written here; a damaged head is not searched
// beyond this.
constexpr qsizetype kHeadLines = 16;

void appendEscaped(QString &out, QStringView value)
{
    for (QChar c : value.left(kMaxDiscInfoValue)) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("&#%1;").arg(c.unicode());
            else
                out += c;
        }
    }
}

QString unescaped(QStringView value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        const qsizetype semi = c == QLatin1Char('&') ? value.indexOf(QLatin1Char(';'), i) : -1;
        if (semi < 0) {
            out += c;
            continue;
        }
        const QStringView name = value.sliced(i + 1, semi - i - 1);
        char32_t code = 0;
        bool ok = true;
        if (name == QLatin1String("amp"))
            code = '&';
        else if (name == QLatin1String("lt"))
            code = '<';
        else if (name == QLatin1String("gt"))
            code = '>';
        else if (name == QLatin1String("quot"))
            code = '"';
        else if (name == QLatin1String("apos"))
            code = '\'';
        else if (name.startsWith(QLatin1String("#x")))
            code = name.mid(2).toUInt(&ok, 16);
        else if (name.startsWith(QLatin1Char('#')))
            code = name.mid(1).toUInt(&ok, 10);
        else
            ok = false;
        if (!ok || code == 0 || code > 0x10FFFF) {
            out += c; // not an entity: kept as written
            continue;
        }
        out += QString::fromUcs4(&code, 1);
        i = semi;
    }
    return out;
}

qint64 sizeValue(const QString &text)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok && n >= 0 ? n : -1;
}

QByteArrayView trimmed(QByteArrayView line)
{
    while (!line.isEmpty() && (line.back() == '\r' || line.back() == ' '))
        line.chop(1);
    while (!line.isEmpty() && line.front() == ' ')
        line = line.sliced(1);
    return line;
}

} // namespace

bool DiscInfo::isEmpty() const
{
    return !hasMedium() && location.isEmpty() && number.isEmpty();
}

bool DiscInfo::hasMedium() const
{
    return !label.isEmpty() || !uuid.isEmpty() || !fsType.isEmpty() || capacity >= 0 || free >= 0 ||
           !media.isEmpty() || !drive.isEmpty();
}

QByteArray discInfoLine(const DiscInfo &info)
{
    if (info.isEmpty())
        return {};
    const auto number = [](qint64 n) { return n >= 0 ? QString::number(n) : QString(); };
    const std::pair<const char *, QString> fields[] = {
        {"label", info.label},       {"uuid", info.uuid},
        {"fs", info.fsType},         {"capacity", number(info.capacity)},
        {"free", number(info.free)}, {"media", info.media},
        {"drive", info.drive},       {"location", info.location},
        {"number", info.number},
    };
    QString line = QLatin1String(kOpen);
    for (const auto &[name, value] : fields) {
        if (value.isEmpty() && qstrcmp(name, "drive") == 0)
            continue;
        line += QLatin1Char(' ') + QLatin1String(name) + QLatin1String("=\"");
        appendEscaped(line, value);
        line += QLatin1Char('"');
    }
    line += QLatin1String("/>");
    return encodeSingleByte(line);
}

bool parseDiscInfoLine(QByteArrayView bytes, DiscInfo &info)
{
    bytes = trimmed(bytes);
    if (!bytes.startsWith(kOpen) || bytes.size() <= kOpenLength || bytes[kOpenLength] != ' ')
        return false;
    const QString line = decodeSingleByte(bytes.data(), bytes.size());
    info = {};
    qsizetype pos = kOpenLength;
    for (;;) {
        while (pos < line.size() && line[pos] == QLatin1Char(' '))
            ++pos;
        const qsizetype eq = line.indexOf(QLatin1String("=\""), pos);
        if (eq < 0)
            break;
        const qsizetype close = line.indexOf(QLatin1Char('"'), eq + 2);
        if (close < 0)
            break;
        const QStringView name = QStringView(line).sliced(pos, eq - pos);
        const QString value = unescaped(QStringView(line).sliced(eq + 2, close - eq - 2));
        pos = close + 1;
        if (name == QLatin1String("label"))
            info.label = value;
        else if (name == QLatin1String("uuid"))
            info.uuid = value;
        else if (name == QLatin1String("fs"))
            info.fsType = value;
        else if (name == QLatin1String("capacity"))
            info.capacity = sizeValue(value);
        else if (name == QLatin1String("free"))
            info.free = sizeValue(value);
        else if (name == QLatin1String("media"))
            info.media = value;
        else if (name == QLatin1String("drive"))
            info.drive = value;
        else if (name == QLatin1String("location"))
            info.location = value;
        else if (name == QLatin1String("number"))
            info.number = value;
    }
    return true;
}

namespace {

// The <disc_info> line among the head lines, before the first entry.
DiscInfo readHead(DiscReader &reader)
{
    const char *b;
    const char *e;
    DiscInfo info;
    for (qsizetype n = 0; n < kHeadLines && reader.nextRawLine(b, e); ++n) {
        const QByteArrayView line = trimmed(QByteArrayView(b, e));
        if (line.startsWith("<file_") || parseDiscInfoLine(line, info))
            break;
    }
    return info;
}

} // namespace

DiscInfo readDiscInfo(QByteArrayView discFile)
{
    DiscReader reader(discFile);
    return readHead(reader);
}

DiscInfo readDiscInfoFromFile(const QString &path)
{
    DiscReader reader;
    return reader.open(path) ? readHead(reader) : DiscInfo{};
}

bool replaceDiscInfo(const QByteArray &discFile, const DiscInfo &info, QByteArray &out)
{
    const QByteArray infoLine = discInfoLine(info);
    out.clear();
    out.reserve(discFile.size() + infoLine.size() + 2);
    bool placed = false;
    qsizetype pos = 0;
    while (pos < discFile.size()) {
        const qsizetype nl = discFile.indexOf('\n', pos);
        const qsizetype next = nl < 0 ? discFile.size() : nl + 1;
        const QByteArrayView line(discFile.constData() + pos, next - pos);
        pos = next;
        const QByteArrayView bare = trimmed(line.endsWith('\n') ? line.chopped(1) : line);
        DiscInfo old;
        if (!placed && parseDiscInfoLine(bare, old))
            continue; // the old line, replaced below or dropped
        out.append(line);
        if (!placed && bare.startsWith("<catalog>")) {
            if (!line.endsWith('\n'))
                out.append("\r\n");
            if (!infoLine.isEmpty())
                out.append(infoLine).append("\r\n");
            placed = true;
        }
    }
    return placed;
}

StoreResult saveDiscPlace(const QString &programFolder, const QString &disc,
                          const QString &location, const QString &number,
                          const DiscIdentity &expected, DiscIdentity *written)
{
    StoreLock lock(programFolder);
    if (!lock.locked())
        return StoreResult::failure(lock.error());
    if (StoreResult r = checkDiscUnchanged(programFolder, disc, expected); !r)
        return r;
    const QString path = discFilePath(programFolder, disc);
    QByteArray bytes;
    if (StoreResult r = readDiscFileBytes(path, bytes); !r)
        return r;
    DiscInfo info = readDiscInfo(bytes);
    info.location = location;
    info.number = number;
    QByteArray out;
    if (!replaceDiscInfo(bytes, info, out))
        return StoreResult::failure(
            QStringLiteral("Cannot read %1:\nit names no catalog; nothing was changed.").arg(path));
    AtomicFile file(path);
    if (StoreResult r = file.open(); !r)
        return r;
    file.write(out);
    if (StoreResult r = file.commit(); !r)
        return r;
    if (written)
        *written = discIdentity(path);
    return StoreResult::success();
}

MediumMatch findDiscByMedium(const QString &programFolder, const DiscInfo &probed)
{
    const QStringList files = QDir(cdsFolder(programFolder))
                                  .entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    QString match;
    for (const QString &file : files) {
        const QString disc = file.chopped(4);
        const DiscInfo info = readDiscInfoFromFile(discFilePath(programFolder, disc));
        if (!probed.uuid.isEmpty() && info.uuid == probed.uuid) {
            match = disc;
            break;
        }
        // Two different UUIDs are two media, whatever their labels say.
        const bool otherUuid = !probed.uuid.isEmpty() && !info.uuid.isEmpty();
        if (match.isEmpty() && !otherUuid && !probed.label.isEmpty() && probed.capacity >= 0 &&
            info.label == probed.label && info.capacity == probed.capacity)
            match = disc;
    }
    if (match.isEmpty())
        return {};
    return {match, readCatalogNameFromFile(discFilePath(programFolder, match))};
}

} // namespace orlith
