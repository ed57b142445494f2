// Orlith — desktop catalogue of removable media.
// Archive of disc files to a zip, and restore from one.
#include "ui/main/main_window.h"

#include "core/store/program_folder.h"
#include "ui/archive/archive_window.h"
#include "ui/archive/recover_window.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/details_pane_widget.h"
#include "ui/main/file_list_model.h"

namespace orlith {

void MainWindow::archiveDiscs()
{
    // Settings live in memory until shut-down; a full archive takes them as they are now.
    storePlacement();
    if (StoreResult r = saveSettings(settingsPath(m_programFolder), m_settings); !r)
        m_services.messages->error(this, QStringLiteral("Error"), r.error);
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
    // Notes records may have been added; restored settings replace the ones in memory, or
    // shut-down would write the old ones over them. The window keeps its own place and pane.
    m_notes.close();
    (void)m_notes.open(notesStorePath(m_programFolder));
    if (dialog.outcome().summary.settings) {
        SettingsRecord restored;
        if (loadSettings(settingsPath(m_programFolder), restored)) {
            restored.setDetailsCollapsed(m_settings.detailsCollapsed());
            m_settings = restored;
            buildExtensionTable();
        }
    }
}

} // namespace orlith
