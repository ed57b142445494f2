// Orlith — desktop catalogue of removable media.
// Keeping the catalogue true: updating a disc from its drive, duplicates, and files kept on
// one disc only.
#include "ui/main/main_window.h"

#include "core/capture/capture_job.h"
#include "core/capture/disc_update.h"
#include "core/search/disc_search.h"
#include "core/search/duplicates.h"
#include "core/common/background_job.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/file_list_model.h"
#include "ui/capture/update_disc_dialog.h"

namespace orlith {

namespace {

constexpr char kSelectDiscMessage[] = "First select CD/DVD from tree view.";

} // namespace

void MainWindow::updateSelectedDisc()
{
    if (m_capture || saveRunning())
        return;
    if (m_tree->selectedKind() != CatalogTree::NodeKind::Disc) {
        m_services.messages->information(this, QStringLiteral("Error"),
                                         QString::fromLatin1(kSelectDiscMessage));
        return;
    }
    const QString disc = m_tree->selectedKey();
    QList<FileEntry> stored;
    if (StoreResult r = readDiscForUpdate(m_programFolder, disc, stored, m_updateReadAs); !r) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
        return;
    }
    const qsizetype catalog = m_index.catalogOfDisc(disc);
    NewDiscDialog dialog(m_tree->catalogsInOrder(), *m_edits, *m_services.drives, m_services,
                    /*virtualMode=*/false, this);
    dialog.setUpdateOf(disc, catalog >= 0 ? m_index.catalogs().at(catalog).name : QString(),
                       commonFolder(stored));
    if (!runDriveDialog(dialog))
        return;
    CaptureRequest request;
    request.programFolder = m_programFolder;
    request.discName = disc;
    request.drive = dialog.drive();
    request.walkOnly = true;
    request.archives = dialog.lookInsideArchives();
    startCaptureJob(request, std::move(stored));
}

void MainWindow::finishUpdate(const CaptureJob &job)
{
    const QString disc = job.request().discName;
    const std::unique_ptr<DiscUpdate> update = std::move(m_update);
    bool apply = false;
    if (job.failed()) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), job.error());
    } else if (update) {
        UpdateDiscDialog window(disc, *update, m_extensions, this);
        m_updateWindow = &window;
        apply = window.exec() == QDialog::Accepted;
        m_updateWindow = nullptr;
        // Nothing found at all is more likely an empty mount point than an empty disc.
        if (apply && updateEmptiesDisc(*update))
            apply = m_services.messages->question(
                        this, QStringLiteral("Update CD/DVD"),
                        QString::fromLatin1(kEmptyWalkQuestion).arg(job.request().drive, disc)) ==
                    MessageSink::Answer::Yes;
    }
    if (!apply) {
        setStatusText(QStringLiteral("Update cancelled; nothing was changed."));
    } else if (StoreResult r =
                   applyDiscUpdate(m_programFolder, disc, update->entries, m_updateReadAs);
               !r) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
    } else {
        setStatusText(QStringLiteral("Ready. ") + updateSummary(*update));
    }
    // The list shows the disc as the store now holds it.
    refreshFromStore();
    if (m_tree->findNode(disc)) {
        m_tree->selectNode(disc);
        listSelectedDisc();
    }
}

void MainWindow::reportIntoList(ListReport report)
{
    stopListSearch();
    m_listModel->clear();
    m_searchRun = new BackgroundJob(this);
    connect(m_searchRun, &BackgroundJob::finished, this, &MainWindow::finishListSearch);
    m_searchRun->start([this, report = std::move(report)](BackgroundJob &job) {
        const auto beforeDisc = [&](const QString &disc) {
            if (job.timeToPost())
                job.post([this, status = QStringLiteral("Searching ") + disc +
                                         QStringLiteral(".xml")] { setStatusText(status); });
            return !job.cancelled();
        };
        QList<FileRow> rows;
        const QString status = report(beforeDisc, rows);
        job.post([this, rows = std::move(rows), status] {
            m_listModel->appendRows(rows);
            colorRows();
            m_listDoneStatus = status;
        });
    });
}

void MainWindow::findDuplicateFiles()
{
    QStringList discs;
    if (!scopeOfSelection(discs))
        return;
    reportIntoList([folder = m_programFolder, discs](const auto &beforeDisc, QList<FileRow> &rows) {
        const DuplicateReport report = findDuplicates(folder, discs, 0, nullptr, beforeDisc);
        rows = report.rows();
        return duplicatesSummary(report);
    });
}

void MainWindow::findSingleCopyFiles()
{
    QStringList discs;
    if (!scopeOfSelection(discs))
        return;
    reportIntoList([folder = m_programFolder, discs,
                    all = m_tree->discsInOrder()](const auto &beforeDisc, QList<FileRow> &rows) {
        rows = findSingleCopies(folder, all, discs, nullptr, beforeDisc);
        return foundText(rows.size());
    });
}

} // namespace orlith
