// Orlith — desktop catalogue of removable media.
// The main window's store commands: capture a disc, new catalog, rename, delete.
#include "ui/main/main_window.h"

#include "core/capture/capture_task.h"
#include "core/search/index_updater.h"
#include "core/store/program_folder.h"
#include "core/store/store_edits.h"
#include "ui/capture/capture_progress_dialog.h"
#include "ui/capture/name_entry_dialog.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/details_pane_widget.h"
#include "ui/main/file_list_model.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

namespace orlith {

void MainWindow::setBusy(bool busy)
{
    // The window stays up to paint progress, but takes no command until the job ends.
    m_central->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
    for (QToolBar *bar : findChildren<QToolBar *>())
        bar->setEnabled(!busy);
}

void MainWindow::watchStore()
{
    m_watcher = new QFileSystemWatcher(this);
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    // One refresh for a burst of changes (a rename rewrites many disc files).
    m_refreshTimer->setInterval(250);
    connect(m_refreshTimer, &QTimer::timeout, this, &MainWindow::refreshFromStore);
    const auto changed = [this] { m_refreshTimer->start(); };
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
    // The folders catch files replaced by a rename or made anew; the two files catch
    // writes in place (a notes record), which change no folder.
    const QStringList paths{m_programFolder, cdsFolder(m_programFolder),
                            catalogOrderPath(m_programFolder), notesStorePath(m_programFolder)};
    for (const QString &p : paths) {
        if (!m_watcher->files().contains(p) && !m_watcher->directories().contains(p) &&
            QFileInfo::exists(p))
            m_watcher->addPath(p);
    }
}

void MainWindow::refreshFromStore()
{
    // A running capture or save files its disc when it ends; refresh after that.
    if (m_capture || saveRunning()) {
        m_refreshTimer->start();
        return;
    }
    watchStore();
    const QString selected = m_tree->selectedKey();
    QStringList open;
    for (const QString &catalog : m_tree->catalogsInOrder()) {
        if (const QTreeWidgetItem *node = m_tree->findNode(catalog); node && node->isExpanded())
            open << catalog;
    }
    m_index.load(m_programFolder);
    if (m_indexUpdater)
        m_indexUpdater->request();
    if (m_notes.isOpen()) {
        m_notes.close();
        (void)m_notes.open(notesStorePath(m_programFolder));
    }
    m_tree->rebuild(m_index);
    if (QTreeWidgetItem *root = m_tree->topLevelItem(0))
        root->setExpanded(true);
    for (const QString &catalog : std::as_const(open)) {
        if (QTreeWidgetItem *node = m_tree->findNode(catalog))
            node->setExpanded(true);
    }
    if (m_tree->findNode(selected))
        m_tree->selectNode(selected);
    recountCatalogsAndDiscs();
    showSkippedDiscs();
    // The details follow the store, unless the user is typing notes there.
    const QString shown = m_details->shownDisc();
    if (!shown.isEmpty() && !m_details->isEditingNotes()) {
        if (m_index.catalogOfDisc(shown) >= 0)
            m_details->showDisc(shown);
        else
            m_details->clearDiscDetails();
    }
}

void MainWindow::captureDisc()
{
    if (m_capture || saveRunning())
        return;
    DriveProvider &drives = *m_services.drives;
    NewDiscDialog dialog(m_tree->catalogsInOrder(), *m_edits, drives, m_services,
                         /*virtualMode=*/false, this);
    dialog.preselectCatalog(selectedCatalog());
    if (!runDriveDialog(dialog))
        return;

    CaptureRequest request;
    request.programFolder = m_programFolder;
    request.discName = dialog.discName();
    request.drive = dialog.drive();
    // A folder has no tray.
    request.ejectAfter = m_settings.ejectAfterImport() && !dialog.driveIsFolder();
    request.drives = &drives;
    request.archives = dialog.lookInsideArchives();
    request.checksums = dialog.computeChecksums();
    if (StoreResult r = checkNewDiscFile(m_index, request.discName, dialog.catalog(),
                                         request.catalog, &request.catalogDiscs);
        !r) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
        return;
    }
    startCapture(new CaptureTask(request, this));
}

void MainWindow::startCapture(CaptureTask *task)
{
    task->setParent(this);
    m_capture = task;
    connect(task, &CaptureTask::progress, this, &MainWindow::showCaptureProgress);
    connect(task, &CaptureTask::detailsChanged, this, [this](const CaptureDetails &details) {
        if (m_progress)
            m_progress->setDetails(details);
    });
    // The walk's end empties the list; the rows with sizes and dates follow.
    connect(task, &CaptureTask::walkEnded, m_listModel, &FileListModel::clear);
    connect(task, &CaptureTask::rowsFound, m_listModel, &FileListModel::appendRows);
    connect(task, &CaptureTask::finished, this, &MainWindow::finishCapture);

    setBusy(true);
    m_progress = new CaptureProgressDialog(this);
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_progress, &CaptureProgressDialog::cancelRequested, this, &MainWindow::cancelCapture);
    showCaptureProgress(QString::fromLatin1(kInsertingText), 0,
                        QString::fromLatin1(kInsertingText));
    m_progress->show();
    task->start();
}

QString MainWindow::selectedCatalog() const
{
    const QString key = m_tree->selectedKey();
    switch (m_tree->selectedKind()) {
    case NodeKind::Catalog:
        return key;
    case NodeKind::Disc:
        if (const qsizetype at = m_index.catalogOfDisc(key); at >= 0)
            return m_index.catalogs().at(at).name;
        return {};
    default:
        return {};
    }
}

bool MainWindow::runDriveDialog(NewDiscDialog &dialog)
{
    dialog.setLookInsideArchives(m_settings.looksInsideArchives());
    dialog.setComputeChecksums(m_settings.computesChecksums());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // Kept with the other settings, which shut-down writes.
    m_settings.setLooksInsideArchives(dialog.lookInsideArchives());
    m_settings.setComputesChecksums(dialog.computeChecksums());
    return true;
}

void MainWindow::showCaptureProgress(const QString &text, int percent, const QString &status)
{
    if (m_progress)
        m_progress->setProgress(text, percent);
    setStatusText(status);
}

void MainWindow::cancelCapture()
{
    if (m_capture)
        m_capture->cancel();
}

void MainWindow::finishCapture(const StoreResult &result)
{
    // Deleted once this returns to the event loop, not inside the dialogs opened below.
    CaptureTask *task = m_capture;
    m_capture = nullptr;
    task->deleteLater();
    const CaptureJob *job = &task->job();
    setBusy(false);
    if (m_progress)
        m_progress->finishSoon();
    if (task->isUpdate()) {
        if (m_progress && job->phase() != CaptureJob::Phase::Done)
            m_progress->close();
        finishUpdate(*task, result);
        emit captureFinished();
        return;
    }
    if (job->phase() != CaptureJob::Phase::Done) {
        if (m_progress)
            m_progress->close();
        // The progress text is no longer true either way.
        setStatusText(result ? QStringLiteral("Capture cancelled; nothing was saved.")
                             : QStringLiteral("Ready"));
        if (!result)
            m_services.messages->error(this, QString::fromLatin1(kErrorTitle), result.error);
        emit captureFinished();
        return;
    }
    colorRows();
    refreshFromStore();
    const QList<UnreadableFolder> unreadable = job->unreadableFolders();
    if (!unreadable.isEmpty()) {
        QStringList paths;
        for (const UnreadableFolder &f : unreadable)
            paths << f.path;
        m_services.messages->error(
            this, QString::fromLatin1(kErrorTitle),
            QStringLiteral("These folders could not be read and are missing from the disc:\n") +
                paths.join(QLatin1Char('\n')));
    }
    if (job->changedNames() > 0)
        m_services.messages->information(this, QStringLiteral("Information"),
                                         changedNamesMessage(job->changedNames()));
    if (job->vanishedFiles() > 0)
        m_services.messages->information(this, QStringLiteral("Information"),
                                         vanishedFilesMessage(job->vanishedFiles()));
    if (job->unreadableArchives() > 0)
        m_services.messages->information(this, QStringLiteral("Information"),
                                         unreadableArchivesMessage(job->unreadableArchives()));
    if (job->unhashedFiles() > 0)
        m_services.messages->information(this, QStringLiteral("Information"),
                                         unhashedFilesMessage(job->unhashedFiles()));
    emit captureFinished();
}

void MainWindow::newCatalog()
{
    QString added;
    NameEntryDialog dialog(
        newCatalogTexts(), QString(),
        [&](const QString &name) {
            const StoreResult r = m_edits->newCatalog(name);
            if (r)
                added = name;
            return r.error;
        },
        m_services, this);
    if (dialog.exec() == QDialog::Accepted && !added.isEmpty())
        refreshFromStore();
}

void MainWindow::renameSelected()
{
    const NodeKind kind = m_tree->selectedKind();
    if (kind != NodeKind::Catalog && kind != NodeKind::Disc)
        return;
    const QString selected = m_tree->selectedKey();
    // The notes box may hold edits not yet saved; they go with the disc.
    m_details->saveNotes();
    // The disc chosen now is the one renamed, whatever name it has when the dialog closes.
    const DiscIdentity chosen = kind == NodeKind::Disc
                                    ? discIdentity(discFilePath(m_programFolder, selected))
                                    : DiscIdentity();
    QStringList warnings;
    QString renamed;
    bool tried = false;
    NameEntryDialog dialog(
        renameTexts(), selected,
        [&](const QString &name) {
            StoreResult r =
                m_edits->rename(selected, name, std::nullopt, chosen.exists() ? &chosen : nullptr);
            if (r)
                renamed = name;
            tried = true;
            warnings = r.warnings;
            return r.error;
        },
        m_services, this);
    const bool accepted = dialog.exec() == QDialog::Accepted && !renamed.isEmpty();
    // A refused rename may still have changed the store (a catalog rename that stopped
    // part-way has moved some discs), so any attempt shows the store again.
    if (!accepted && !tried)
        return;
    refreshFromStore();
    m_tree->expandAllNodes();
    m_tree->selectNode(accepted ? renamed : selected);
    m_listModel->clear();
    if (!warnings.isEmpty())
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                   warnings.join(QLatin1Char('\n')));
}

void MainWindow::deleteSelected()
{
    const QString key = m_tree->selectedKey();
    if (m_tree->selectedKind() == NodeKind::Root || key.isEmpty())
        return;
    StoreResult r;
    switch (m_edits->deleteActionFor(key)) {
    case DeleteAction::Nothing:
        return;
    case DeleteAction::AskThenDeleteDisc: {
        const DiscIdentity chosen = discIdentity(discFilePath(m_programFolder, key));
        if (m_services.messages->question(
                this, QString::fromLatin1(kDeleteTitle), QString::fromLatin1(kDeleteQuestion),
                MessageSink::Buttons::OkCancel) != MessageSink::Answer::Yes)
            return;
        r = m_edits->deleteDisc(key, &chosen);
        if (r) {
            m_listModel->clear();
            m_details->clearDiscDetails();
        }
        break;
    }
    case DeleteAction::DeleteCatalog:
        r = m_edits->deleteCatalog(key);
        break;
    }
    if (!r) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
        return;
    }
    refreshFromStore();
    onTreeClicked();
}

} // namespace orlith
