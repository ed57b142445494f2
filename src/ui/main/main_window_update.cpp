// Orlith — desktop catalogue of removable media.
// Keeping the catalogue true: updating a disc from its drive, duplicates, and files kept on
// one disc only.
#include "ui/main/main_window.h"

#include "core/capture/capture_task.h"
#include "core/search/list_search.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/capture/update_disc_dialog.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/file_list_model.h"

#include <QTableView>

#include <algorithm>

namespace orlith {

namespace {

constexpr char kSelectDiscMessage[] = "First select CD/DVD from tree view.";

} // namespace

std::unique_ptr<NewDiscDialog> MainWindow::driveDialogForSelectedDisc(QString &disc,
                                                                      QList<FileEntry> &stored,
                                                                      DiscIdentity &readAs)
{
    if (m_capture || saveRunning())
        return nullptr;
    if (m_tree->selectedKind() != NodeKind::Disc) {
        m_services.messages->information(this, QStringLiteral("Error"),
                                         QString::fromLatin1(kSelectDiscMessage));
        return nullptr;
    }
    disc = m_tree->selectedKey();
    if (StoreResult r = readDiscForUpdate(m_programFolder, disc, stored, readAs); !r) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
        return nullptr;
    }
    const qsizetype catalog = m_index.catalogOfDisc(disc);
    auto dialog = std::make_unique<NewDiscDialog>(m_tree->catalogsInOrder(), *m_edits,
                                                  *m_services.drives, m_services,
                                                  /*virtualMode=*/false, this);
    dialog->setUpdateOf(disc, catalog >= 0 ? m_index.catalogs().at(catalog).name : QString(),
                        commonFolder(stored));
    return dialog;
}

void MainWindow::updateSelectedDisc()
{
    QString disc;
    QList<FileEntry> stored;
    DiscIdentity readAs;
    const std::unique_ptr<NewDiscDialog> chooser = driveDialogForSelectedDisc(disc, stored, readAs);
    if (!chooser || !runDriveDialog(*chooser))
        return;
    NewDiscDialog &dialog = *chooser;
    CaptureRequest request;
    request.programFolder = m_programFolder;
    request.discName = disc;
    request.drive = dialog.drive();
    request.walkOnly = true;
    request.archives = dialog.lookInsideArchives();
    request.checksums = dialog.computeChecksums();
    startCapture(new CaptureTask(request, std::move(stored), std::move(readAs), this));
}

void MainWindow::finishUpdate(const CaptureTask &task, const StoreResult &result)
{
    const CaptureJob &job = task.job();
    const QString disc = job.request().discName;
    const DiscUpdate *update = task.update();
    bool apply = false;
    if (!result) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), result.error);
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
                   applyDiscUpdate(m_programFolder, disc, update->entries, task.readAs());
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

void MainWindow::findDuplicateFiles()
{
    QStringList discs;
    FolderScope folder;
    if (!scopeOfSelection(discs, folder))
        return;
    ListSearch *search =
        startListSearch(new ListSearch(ListSearch::duplicates(m_programFolder, discs, folder)));
    m_listModel->showDuplicateGroups();
    // The shared widths leave the disc and group columns out of view; each column gets what
    // its texts need instead, no more than a third of the list each.
    connect(search, &ListSearch::finished, this, [this] {
        const int cap = std::max(80, m_list->viewport()->width() / 3);
        m_list->resizeColumnsToContents();
        for (int c = 0; c < m_listModel->columnCount(); ++c)
            m_list->setColumnWidth(c, std::min(m_list->columnWidth(c), cap));
    });
}

void MainWindow::findSingleCopyFiles()
{
    QStringList discs;
    FolderScope folder;
    if (!scopeOfSelection(discs, folder))
        return;
    startListSearch(new ListSearch(
        ListSearch::singleCopies(m_programFolder, m_tree->discsInOrder(), discs, folder)));
}

} // namespace orlith
