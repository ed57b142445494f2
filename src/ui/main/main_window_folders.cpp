// Orlith — desktop catalogue of removable media.
// Folders inside a disc: a disc node opens into its folders, and a folder lists its own files.
#include "ui/main/main_window.h"

#include "core/search/disc_folders.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/file_list_model.h"

#include <QTableView>

namespace orlith {

void MainWindow::loadDiscFolders(QTreeWidgetItem *disc)
{
    // Read now, not kept from an earlier read: the disc may have been updated meanwhile.
    auto folders = std::make_shared<DiscFolders>();
    if (StoreResult r = readDiscFolders(m_programFolder, m_tree->keyOf(disc), *folders); !r)
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
    m_tree->setDiscFolders(disc, std::move(folders));
}

void MainWindow::listSelectedFolder()
{
    const QTreeWidgetItem *item = m_tree->currentItem();
    const QString disc = m_tree->discOf(item);
    stopListSearch();
    m_listModel->clear();
    setStatusText(QStringLiteral("Reading data..."));
    QList<FileRow> rows;
    const StoreResult r = listFolderFiles(m_programFolder, disc, m_tree->folderScopeOf(item), rows);
    m_list->setUpdatesEnabled(false);
    m_listModel->setRows(std::move(rows));
    colorRows();
    m_list->setUpdatesEnabled(true);
    if (!r)
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
    setStatusText(signPadded(m_listModel->rowCount()) + QStringLiteral(" files found in xml."));
}

} // namespace orlith
