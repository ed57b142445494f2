// Orlith — desktop catalogue of removable media.
// Archive of disc files to a zip, and restore from one.
#include "ui/main/main_window.h"

#include "ui/archive/archive_window.h"
#include "ui/archive/recover_window.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/details_pane_widget.h"
#include "ui/main/file_list_model.h"

namespace orlith {

void MainWindow::archiveDiscs()
{
    ArchiveWindow dialog(m_programFolder, m_services, this);
    dialog.exec();
}

void MainWindow::restoreDiscs()
{
    m_details->saveNotes();
    RecoverWindow dialog(m_programFolder, m_services, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Disc files may have come back or changed: the tree, counters and list start afresh
    // from the store, as at start-up.
    m_index.load(m_programFolder);
    m_tree->rebuild(m_index);
    m_listModel->clear();
    m_details->clearDiscDetails();
    recountCatalogsAndDiscs();
}

} // namespace orlith
