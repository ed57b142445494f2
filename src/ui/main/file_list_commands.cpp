// Orlith — desktop catalogue of removable media.
#include "ui/main/file_list_commands.h"

#include "ui/main/file_list_model.h"

#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace orlith {

QString folderOfPath(const QString &path)
{
    // Entries captured elsewhere may carry "\" separators, so both count.
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? path : path.left(cut + 1);
}

QMimeData *filesMimeData(const QStringList &paths)
{
    QList<QUrl> urls;
    urls.reserve(paths.size());
    QByteArray gnome("copy");
    for (const QString &p : paths) {
        urls.append(QUrl::fromLocalFile(p));
        gnome += '\n';
        gnome += urls.last().toEncoded();
    }
    auto *data = new QMimeData;
    data->setUrls(urls);
    data->setText(paths.join(QLatin1Char('\n')));
    data->setData(QStringLiteral("x-special/gnome-copied-files"), gnome);
    return data;
}

QList<int> selectedRows(const QItemSelectionModel &selection)
{
    // Walk the ranges rather than selectedIndexes(): a select-all of 150,000 rows would
    // otherwise build 750,000 indexes.
    QList<int> rows;
    for (const QItemSelectionRange &range : selection.selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.append(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QStringList selectedPaths(const FileListModel &model, const QItemSelectionModel &selection)
{
    QStringList paths;
    for (int r : selectedRows(selection))
        paths.append(model.row(r).path());
    return paths;
}

int commandRow(const QItemSelectionModel &selection)
{
    const QList<int> rows = selectedRows(selection);
    const QModelIndex current = selection.currentIndex();
    if (current.isValid() && std::binary_search(rows.cbegin(), rows.cend(), current.row()))
        return current.row();
    return rows.isEmpty() ? -1 : rows.first();
}

DoubleClickAction doubleClickAction(bool opensFile, bool opensLocation, const QString &rowName)
{
    if (opensFile)
        return rowName.isEmpty() ? DoubleClickAction::Nothing : DoubleClickAction::OpenFile;
    if (opensLocation)
        return rowName.isEmpty() ? DoubleClickAction::Nothing : DoubleClickAction::OpenLocation;
    return DoubleClickAction::Nothing;
}

QString openablePath(const QString &path)
{
    if (QFileInfo::exists(path))
        return path;
    for (QString prefix = path.section(QLatin1Char('/'), 0, -2); !prefix.isEmpty();
         prefix = prefix.section(QLatin1Char('/'), 0, -2)) {
        const QFileInfo info(prefix);
        if (info.exists())
            return info.isFile() ? prefix : path;
    }
    return path;
}

} // namespace orlith
