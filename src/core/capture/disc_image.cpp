// Orlith — desktop catalogue of removable media.
#include "core/capture/disc_image.h"

#include "core/capture/medium_probe.h"

#include <QFileInfo>

namespace orlith {

bool isImageFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString imageLabel(const QString &path)
{
    const QString label = probeImage(path).label;
    return label.isEmpty() ? QFileInfo(path).fileName() : label;
}

QString imageHolding(const QString &path)
{
    for (QString part = path; part.size() > 1; part = part.section(QLatin1Char('/'), 0, -2)) {
        const QFileInfo info(part);
        if (info.exists())
            return info.isFile() ? part : QString();
    }
    return {};
}

QString unreadableImageMessage(const QString &path, bool readable)
{
    return readable ? QStringLiteral("Cannot read %1 as a disc image: it is damaged or "
                                     "truncated.")
                          .arg(path)
                    : QStringLiteral("Cannot read %1 as a disc image: it is no ISO 9660 image "
                                     "or archive that can be read.")
                          .arg(path);
}

} // namespace orlith
