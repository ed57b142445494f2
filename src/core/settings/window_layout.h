// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/store_result.h"

#include <QList>
#include <QString>

#include <functional>

namespace orlith {

// What the desktop program keeps of its own layout from one start to the next, in a file of
// its own beside Data.ini (which keeps the layout it always had). Lengths are logical
// pixels; 0, an empty list or an empty folder means "as at first start".
struct WindowLayout
{
    QList<int> columnWidths; // the file list's columns, left to right
    int treeWidth = 0;       // the tree's side of the divider
    int detailsHeight = 0;   // the details pane while expanded
    QString exportFolder;    // where the export wizards last wrote
    QString archiveFolder;   // where the last archive went
    QString pictureFolder;   // where the last disc picture came from

    bool operator==(const WindowLayout &) const = default;
};

// <programFolder>/layout.ini
QString windowLayoutPath(const QString &programFolder);

// A missing file gives the defaults; an unreadable line or value is skipped, so a damaged
// file never stops the program.
WindowLayout loadWindowLayout(const QString &path);

// Reads the file as it is now, applies `change` and writes it back whole (through a
// temporary file, never through a link), so what another window or dialog recorded
// meanwhile stays. Folders holding a control character are not kept.
[[nodiscard]] StoreResult updateWindowLayout(const QString &path,
                                             const std::function<void(WindowLayout &)> &change);

// The dialogs' folders: where each dialog opens and what it records once it has done its job.
enum class KeptFolder { Export, Archive, Picture };
// The folder last used for `which` when it is still a folder, else `fallback`.
QString keptFolder(const QString &programFolder, KeptFolder which, const QString &fallback);
// Records `folder` for `which`; a failed write only means it is not kept.
void keepFolder(const QString &programFolder, KeptFolder which, const QString &folder);

} // namespace orlith
