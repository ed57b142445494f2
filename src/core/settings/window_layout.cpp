// Orlith — desktop catalogue of removable media.
#include "core/settings/window_layout.h"

#include "core/store/safe_write.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace orlith {

namespace {

// Larger lengths come only from a damaged file; they would put widgets out of reach.
constexpr int kMaxLength = 100000;

int lengthFrom(QStringView text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n > 0 && n <= kMaxLength ? n : 0;
}

bool keepsFolder(const QString &folder)
{
    return !folder.isEmpty() &&
           std::none_of(folder.cbegin(), folder.cend(), [](QChar c) { return c.unicode() < 0x20; });
}

QString &folderOf(WindowLayout &layout, KeptFolder which)
{
    switch (which) {
    case KeptFolder::Export:
        return layout.exportFolder;
    case KeptFolder::Archive:
        return layout.archiveFolder;
    case KeptFolder::Picture:
        break;
    }
    return layout.pictureFolder;
}

QByteArray layoutText(const WindowLayout &layout)
{
    QByteArray out = "[Window]\n";
    if (!layout.columnWidths.isEmpty()) {
        QStringList widths;
        for (int w : layout.columnWidths)
            widths << QString::number(w);
        out += "Columns=" + widths.join(QLatin1Char(',')).toLatin1() + '\n';
    }
    if (layout.treeWidth > 0)
        out += "Tree=" + QByteArray::number(layout.treeWidth) + '\n';
    if (layout.detailsHeight > 0)
        out += "Details=" + QByteArray::number(layout.detailsHeight) + '\n';
    out += "[Folders]\n";
    const std::pair<const char *, const QString *> folders[] = {{"Export", &layout.exportFolder},
                                                                {"Archive", &layout.archiveFolder},
                                                                {"Picture", &layout.pictureFolder}};
    for (const auto &[key, folder] : folders)
        if (keepsFolder(*folder))
            out += QByteArray(key) + '=' + folder->toUtf8() + '\n';
    return out;
}

} // namespace

QString windowLayoutPath(const QString &programFolder)
{
    return programFolder + QLatin1String("/layout.ini");
}

WindowLayout loadWindowLayout(const QString &path)
{
    WindowLayout layout;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return layout;
    // Far more than the file ever holds; a stray large file is not read whole.
    const QString text = QString::fromUtf8(file.read(64 * 1024));
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QStringView key = line.first(eq);
        const QString value = line.sliced(eq + 1).toString();
        if (key == QLatin1String("Columns")) {
            QList<int> widths;
            for (QStringView w : QStringView(value).split(QLatin1Char(','))) {
                const int n = lengthFrom(w);
                if (n == 0) {
                    widths.clear();
                    break;
                }
                widths << n;
            }
            layout.columnWidths = widths;
        } else if (key == QLatin1String("Tree")) {
            layout.treeWidth = lengthFrom(value);
        } else if (key == QLatin1String("Details")) {
            layout.detailsHeight = lengthFrom(value);
        } else if (key == QLatin1String("Export")) {
            layout.exportFolder = value;
        } else if (key == QLatin1String("Archive")) {
            layout.archiveFolder = value;
        } else if (key == QLatin1String("Picture")) {
            layout.pictureFolder = value;
        }
    }
    return layout;
}

StoreResult updateWindowLayout(const QString &path,
                               const std::function<void(WindowLayout &)> &change)
{
    WindowLayout layout = loadWindowLayout(path);
    change(layout);
    AtomicFile file(path, AtomicFile::Kind::StoreFile);
    if (StoreResult r = file.open(); !r)
        return r;
    file.write(layoutText(layout));
    return file.commit();
}

QString keptFolder(const QString &programFolder, KeptFolder which, const QString &fallback)
{
    WindowLayout layout = loadWindowLayout(windowLayoutPath(programFolder));
    const QString &folder = folderOf(layout, which);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : fallback;
}

void keepFolder(const QString &programFolder, KeptFolder which, const QString &folder)
{
    (void)updateWindowLayout(windowLayoutPath(programFolder),
                             [&](WindowLayout &layout) { folderOf(layout, which) = folder; });
}

} // namespace orlith
