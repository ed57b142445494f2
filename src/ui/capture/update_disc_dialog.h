// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/capture/disc_update.h"

#include <QDialog>

class QTabWidget;

namespace orlith {

class ExtensionTable;
class FileListModel;

// What an update of a disc would change, before anything is written: the files added,
// removed and changed, each in a list of its own (sortable by a header click, coloured by
// category like the main list), with their counts. "Apply" accepts; "Cancel" and closing
// the window reject, and nothing is changed. With no difference, only "Close" is offered.
class UpdateDiscDialog : public QDialog
{
    Q_OBJECT

public:
    UpdateDiscDialog(const QString &disc, const DiscUpdate &update,
                     const ExtensionTable &extensions, QWidget *parent = nullptr);

    // The lists: 0 added, 1 removed, 2 changed.
    FileListModel &list(int which) const;

private:
    QTabWidget *m_tabs = nullptr;
    FileListModel *m_lists[3] = {};
};

} // namespace orlith
