// Orlith — desktop catalogue of removable media.
// Commands about the medium itself: info (what it said of itself when captured, and where
// the user keeps it) and identify (which catalogued disc a medium is).
#include "cli_context.h"

#include "core/capture/medium_probe.h"
#include "core/store/disc_file.h"
#include "core/store/disc_identity.h"
#include "core/store/disc_info.h"

namespace orlith::cli {

namespace {

// One value a line: a line break typed into a location must not start a line of its own.
QString oneLine(QString value)
{
    for (QChar &c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QChar::ReplacementCharacter;
    }
    return value;
}

QString sizeText(qint64 bytes)
{
    return bytes >= 0 ? QString::number(bytes) : QString();
}

} // namespace

int cmdInfo(CliContext &ctx)
{
    if (ctx.args().size() != 1)
        return usageError(QStringLiteral("info takes one disc name"));
    const QString disc = ctx.index().discKey(ctx.args().first());
    if (disc.isEmpty())
        return failure(QStringLiteral("no disc named \"%1\"").arg(ctx.args().first()));
    const QString path = discFilePath(ctx.programFolder(), disc);
    // Taken before the read: a change made after it is refused, not overwritten.
    const DiscIdentity readAs = discIdentity(path);
    const DiscInfo info = readDiscInfoFromFile(path);
    const bool setLocation = ctx.has(QStringLiteral("--location"));
    const bool setNumber = ctx.has(QStringLiteral("--number"));
    if (setLocation || setNumber) {
        const QString location =
            setLocation ? ctx.value(QStringLiteral("--location")) : info.location;
        const QString number = setNumber ? ctx.value(QStringLiteral("--number")) : info.number;
        if (StoreResult r = saveDiscPlace(ctx.programFolder(), disc, location, number, readAs); !r)
            return failure(r.error);
        return kExitOk;
    }
    const std::pair<const char *, QString> fields[] = {
        {"label", info.label},         {"uuid", info.uuid},
        {"fs", info.fsType},           {"capacity", sizeText(info.capacity)},
        {"free", sizeText(info.free)}, {"media", info.media},
        {"drive", info.drive},         {"location", info.location},
        {"number", info.number},
    };
    for (const auto &[name, value] : fields)
        out(QLatin1String(name) + QLatin1Char('=') + oneLine(value));
    return kExitOk;
}

int cmdIdentify(CliContext &ctx)
{
    if (ctx.args().size() != 1 || ctx.args().first().isEmpty())
        return usageError(QStringLiteral("identify takes one path"));
    const QString path = ctx.args().first();
    const MediumInfo medium = probeMedium(path);
    if (medium.isEmpty())
        return failure(QStringLiteral("%1 says nothing of itself (not a medium's mount point "
                                      "or an image)")
                           .arg(path));
    const MediumMatch match = findDiscByMedium(ctx.programFolder(), discInfoOf(medium));
    if (!match.found())
        return failure(QStringLiteral("no catalogued disc matches %1").arg(path));
    out(match.disc);
    return kExitOk;
}

} // namespace orlith::cli
