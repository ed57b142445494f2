// Orlith — desktop catalogue of removable media.
// Quick find over the selected scope, the search window, and saving the list as a disc.
#include "ui/main/main_window.h"

#include "core/capture/capture_job.h"
#include "core/capture/capture_task.h"
#include "core/search/disc_search.h"
#include "core/search/list_search.h"
#include "core/store/save_list_task.h"
#include "core/store/store_edits.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/file_list_model.h"
#include "ui/search/search_window.h"

#include <QLineEdit>
#include <QTableView>

namespace orlith {

namespace {

constexpr char kChooseScopeMessage[] =
    "You must select catalogs or\ncatalog or a single CD/DVD for search";
constexpr char kEmptyListMessage[] = "List is empty.There is no files to save.";
constexpr char kSavingStatus[] = "Saving files from the list as new xml... ";

} // namespace

void MainWindow::findFiles()
{
    m_findDiscs.clear();
    FolderScope folder;
    if (!scopeOfSelection(m_findDiscs, folder))
        return;
    SearchCriteria criteria;
    criteria.text = m_find->text();
    criteria.place = true;
    startListSearch(
        new ListSearch(ListSearch::quickFind(m_programFolder, m_findDiscs, criteria, folder)));
}

bool MainWindow::scopeOfSelection(QStringList &discs, FolderScope &folder)
{
    const QString key = m_tree->selectedKey();
    StoreResult r;
    switch (m_tree->selectedKind()) {
    case NodeKind::Root:
        r = discsOfScope(m_index, {}, {}, discs);
        break;
    case NodeKind::Catalog:
        r = discsOfScope(m_index, {}, {key}, discs);
        break;
    case NodeKind::Disc:
        r = discsOfScope(m_index, {key}, {}, discs);
        break;
    case NodeKind::Folder:
        r = discsOfScope(m_index, {m_tree->discOf(m_tree->currentItem())}, {}, discs);
        folder = m_tree->folderScopeOf(m_tree->currentItem());
        break;
    case NodeKind::None:
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                   QString::fromLatin1(kChooseScopeMessage));
        return false;
    }
    // The tree follows the index; a node it has not lost yet is gone from the store.
    if (!r)
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
    return r.ok();
}

ListSearch *MainWindow::searchIntoList(const QStringList &discs, const SearchCriteria &criteria)
{
    return startListSearch(new ListSearch(ListSearch::quickFind(m_programFolder, discs, criteria)));
}

ListSearch *MainWindow::startListSearch(ListSearch *search)
{
    stopListSearch();
    m_listModel->clear();
    search->setParent(this);
    m_listSearch = search;
    connect(search, &ListSearch::status, this, &MainWindow::setStatusText);
    connect(search, &ListSearch::rowsFound, this, [this](const QList<FileRow> &rows) {
        // Rows are coloured as they come; the rows already listed keep theirs.
        const qsizetype colourFrom = m_listModel->rowCount();
        m_listModel->appendRows(rows);
        m_listModel->colorRows(m_extensions, palette(), colourFrom);
    });
    connect(search, &ListSearch::finished, this, [this, search](const QString &status) {
        m_listSearch = nullptr;
        search->deleteLater();
        setStatusText(status);
        emit listSearchFinished();
    });
    search->start();
    return search;
}

void MainWindow::stopListSearch()
{
    // Deleting the search waits for its worker: it stops before its next disc.
    delete m_listSearch.data();
}

QStringList MainWindow::discsInOrder() const
{
    return m_tree->discsInOrder();
}

QStringList MainWindow::discsOf(const QString &catalog) const
{
    return m_tree->discsOf(catalog);
}

NodeKind MainWindow::selectedNodeKind() const
{
    return m_tree->selectedKind();
}

void MainWindow::setNodeDragging(bool on)
{
    m_tree->setNodeDragging(on);
}

void MainWindow::saveList()
{
    if (m_listModel->rowCount() == 0) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                   QString::fromLatin1(kEmptyListMessage));
        return;
    }
    // A capture fills a disc file of the same kind and shows its rows in this list, so one
    // waits for the other.
    if (m_capture || saveRunning())
        return;
    NewDiscDialog dialog(m_tree->catalogsInOrder(), *m_edits, *m_services.drives, m_services,
                         /*virtualMode=*/true, this);
    dialog.preselectCatalog(selectedCatalog());
    if (dialog.exec() != QDialog::Accepted || dialog.discName().isEmpty() ||
        dialog.catalog().isEmpty())
        return;
    QString stored;
    if (StoreResult r = checkNewDiscFile(m_index, dialog.discName(), dialog.catalog(), stored);
        !r) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
        return;
    }
    setStatusText(QString::fromLatin1(kSavingStatus));
    // The rows as they stand now (shared, not copied): the list may change meanwhile.
    m_save =
        new SaveListTask(m_programFolder, dialog.discName(), stored, m_listModel->rows(), this);
    connect(m_save, &SaveListTask::finished, this, &MainWindow::finishSave);
    m_save->start();
}

void MainWindow::finishSave(const StoreResult &result)
{
    SaveListTask *save = m_save;
    m_save = nullptr;
    save->deleteLater();
    if (!result) {
        // "Saving..." is no longer true; the box says what failed.
        setStatusText(QStringLiteral("Ready"));
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), result.error);
    } else {
        setStatusText(QStringLiteral("Ready. ") + signPadded(save->count()) +
                      QStringLiteral(" files save into xml."));
        refreshFromStore();
    }
    emit saveFinished();
}

void MainWindow::showSearch()
{
    if (m_searchWindow) {
        m_searchWindow->raise();
        m_searchWindow->activateWindow();
        return;
    }
    auto *window = new SearchWindow(*this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_searchWindow = window;
    window->show();
}

QWidget *MainWindow::searchWindow() const
{
    return m_searchWindow;
}

} // namespace orlith
