// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/store_result.h"

#include <QList>
#include <QString>
#include <QStringList>

class QItemSelectionModel;
class QMimeData;

namespace orlith {

class FileListModel;

// The rules behind the commands of the main window's file list. The window
// itself shows the boxes and status texts named below, through its MessageSink and
// DesktopServices:
//
// - Open file (menu, button, Enter key, double-click): the row from commandRow(); with
//   none, MessageSink::error(window, kErrorTitle, kNoFileSelectedText). Otherwise
//   DesktopServices::openDocument(path); when that fails (the disc is not mounted, the
//   path is not a normal file) nothing is shown.
// - Open location (menu, button, double-click): the same row check and box; then
//   DesktopServices::openFolder(folderOfPath(path)).
// - Copy: with no selected row, the same "Error" box and the clipboard is left alone (the
//   list's commands all say that no file is selected). Otherwise
//   DesktopServices::setClipboard(filesMimeData(selectedPaths(...))) and the status bar
//   text kFileCopiedStatus.
// - Remove items (menu, Delete key): FileListModel::removeRowsAt(selectedRows(...)); no
//   selection removes nothing and shows nothing. The disc files never change.
// - Clear list: FileListModel::clear(), then the details pane is cleared.

inline constexpr char kNoFileSelectedText[] = "You must select file from list.";
inline constexpr char kFileCopiedStatus[] = "File copied to clipboard";

// The folder part of a file's path: the text up to and including the last "/" or "\",
// whichever comes last ("/media/cd/a/b.txt" gives "/media/cd/a/", "D:\a\b.txt" gives
// "D:\a\"). A path with neither is returned whole.
QString folderOfPath(const QString &path);

// What opening a row opens: its path, or for a member of an archive (a path that runs on
// past an existing file, "/d/a.zip/docs/x.txt"), the archive itself.
QString openablePath(const QString &path);

// The clipboard form of a list of files, so file managers can paste them: "text/uri-list"
// with one file URL per path, "text/plain" with one path a line, and
// "x-special/gnome-copied-files" ("copy" followed by the URLs, one a line). The caller
// owns the result (DesktopServices::setClipboard takes it).
QMimeData *filesMimeData(const QStringList &paths);

// The selected rows of a view's selection, ascending and each once (a row counts when any
// of its cells is selected).
QList<int> selectedRows(const QItemSelectionModel &selection);

// The full paths of the selected rows, in row order.
QStringList selectedPaths(const FileListModel &model, const QItemSelectionModel &selection);

// The row that open file and open location act on: the current row when it is selected,
// else the first selected row, else -1 (no file selected).
int commandRow(const QItemSelectionModel &selection);

// What a double-click on a row does, from the two double-click settings: open the file
// when that is on, else open its folder when that is on; nothing when the row's name is
// empty.
enum class DoubleClickAction { Nothing, OpenFile, OpenLocation };
DoubleClickAction doubleClickAction(bool opensFile, bool opensLocation, const QString &rowName);

} // namespace orlith
