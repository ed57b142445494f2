// Orlith — desktop catalogue of removable media.
// Quick find over the selected scope, the search window, and saving the list as a disc.
#include "ui/main/main_window.h"

#include "core/capture/capture_job.h"
#include "ui/capture/new_disc_dialog.h"
#include "core/store/store_edits.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/file_list_model.h"
#include "core/search/disc_search.h"
#include "ui/search/search_window.h"
#include "core/common/background_job.h"

#include <QLineEdit>
#include <QTableView>

namespace orlith {

namespace {

constexpr char kChooseScopeMessage[] = "You must select catalogs or\ncatalog or a single CD/DVD for search";
constexpr char kEmptyListMessage[] = "List is empty.There is no files to save.";
constexpr char kSavingStatus[] = "Saving files from the list as new xml... ";
constexpr char kDiscFileExtension[] = ".xml";

} // namespace

void MainWindow::findFiles()
{
    m_findDiscs.clear();
    if (!scopeOfSelection(m_findDiscs))
        return;
    SearchCriteria criteria;
    criteria.text = m_find->text();
    searchIntoList(m_findDiscs, criteria);
}

bool MainWindow::scopeOfSelection(QStringList &discs)
{
    switch (m_tree->selectedKind()) {
    case CatalogTree::NodeKind::Root:
        discs = m_tree->discsInOrder();
        return true;
    case CatalogTree::NodeKind::Catalog:
        discs = m_tree->discsOf(m_tree->selectedKey());
        return true;
    case CatalogTree::NodeKind::Disc:
        discs = {m_tree->selectedKey()};
        return true;
    case CatalogTree::NodeKind::None:
        break;
    }
    m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                               QString::fromLatin1(kChooseScopeMessage));
    return false;
}

void MainWindow::searchIntoList(const QStringList &discs, const SearchCriteria &criteria,
                           const QObject *owner, std::function<void()> finished)
{
    stopListSearch();
    m_listModel->clear();
    m_searchOwner = owner;
    m_searchFinished = std::move(finished);
    m_searchRun = new BackgroundJob(this);
    connect(m_searchRun, &BackgroundJob::finished, this, &MainWindow::finishListSearch);
    const QString folder = m_programFolder;
    m_searchRun->start([this, folder, discs, criteria](BackgroundJob &job) {
        QList<FileRow> batch;
        QString disc;
        // Everything found since the last hand-over goes in one batch, with the disc
        // being read: a store of hundreds of discs is searched in a fraction of a second.
        auto handOver = [&] {
            job.post([this, rows = std::move(batch), status = QStringLiteral("Searching ") +
                                                               disc + QLatin1String(kDiscFileExtension)] {
                setStatusText(status);
                if (rows.isEmpty())
                    return;
                const qsizetype colourFrom = m_listModel->rowCount();
                m_listModel->appendRows(rows);
                m_listModel->colorRows(m_extensions, palette(), colourFrom);
            });
            batch.clear();
        };
        // A disc whose file has gone is skipped; the rest of the scope is still searched.
        searchDiscs(
            folder, discs, criteria,
            [&](QList<FileRow> &hits) {
                batch.append(std::move(hits));
                if (job.timeToPost())
                    handOver();
            },
            nullptr,
            [&](const QString &next) {
                disc = next;
                if (job.timeToPost())
                    handOver();
                return !job.cancelled();
            });
        if (!disc.isEmpty())
            handOver();
    });
}

void MainWindow::stopListSearch(const QObject *owner)
{
    if (!m_searchRun || (owner && owner != m_searchOwner))
        return;
    // Deleting the worker waits for it: it stops before its next disc.
    delete m_searchRun;
    m_searchRun = nullptr;
    m_searchOwner = nullptr;
    m_searchFinished = nullptr;
}

void MainWindow::finishListSearch()
{
    m_searchRun->deleteLater();
    m_searchRun = nullptr;
    const QObject *owner = std::exchange(m_searchOwner, nullptr);
    const std::function<void()> finished = std::exchange(m_searchFinished, nullptr);
    setStatusText(m_listDoneStatus.isEmpty() ? foundText(m_listModel->rowCount())
                                             : std::exchange(m_listDoneStatus, QString()));
    emit listSearchFinished(owner);
    if (finished)
        finished();
}

QStringList MainWindow::discsInOrder() const
{
    return m_tree->discsInOrder();
}

QStringList MainWindow::discsOf(const QString &catalog) const
{
    return m_tree->discsOf(catalog);
}

SearchHost::NodeKind MainWindow::selectedNodeKind() const
{
    switch (m_tree->selectedKind()) {
    case CatalogTree::NodeKind::Root:
        return NodeKind::Root;
    case CatalogTree::NodeKind::Catalog:
        return NodeKind::Catalog;
    case CatalogTree::NodeKind::Disc:
        return NodeKind::Disc;
    case CatalogTree::NodeKind::None:
        break;
    }
    return NodeKind::None;
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
    if (dialog.exec() != QDialog::Accepted || dialog.discName().isEmpty() ||
        dialog.catalog().isEmpty())
        return;
    QString stored;
    if (StoreResult r = checkNewDiscFile(m_index, dialog.discName(), dialog.catalog(), stored);
        !r) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
        return;
    }
    m_saveDisc = dialog.discName();
    m_saveCatalog = stored;
    setStatusText(QString::fromLatin1(kSavingStatus));
    // The rows as they stand now (shared, not copied): the list may change meanwhile.
    const QList<FileRow> rows = m_listModel->rows();
    m_saveCount = rows.size();
    m_saveRun = new BackgroundJob(this);
    connect(m_saveRun, &BackgroundJob::finished, this, &MainWindow::finishSave);
    m_saveRun->start([this, rows, folder = m_programFolder, disc = m_saveDisc,
                      stored](BackgroundJob &job) {
        QList<FileEntry> entries;
        entries.reserve(rows.size());
        // The exact byte count the list kept, not the rounded kilobytes it shows.
        for (const FileRow &row : rows)
            entries.append(row.entry());
        const StoreResult written = writeNewDiscFile(folder, disc, stored, entries);
        job.post([this, written] { m_saveResult = written; });
    });
}

void MainWindow::finishSave()
{
    m_saveRun->deleteLater();
    m_saveRun = nullptr;
    if (!m_saveResult) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), m_saveResult.error);
    } else {
        setStatusText(QStringLiteral("Ready. ") + signPadded(m_saveCount) +
                      QStringLiteral(" files save into xml."));
        refreshFromStore();
    }
    m_saveResult = {};
    m_saveDisc.clear();
    m_saveCatalog.clear();
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
