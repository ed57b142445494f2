// Orlith — desktop catalogue of removable media.
// The main window's store commands: capture a disc, new catalog, rename, delete.
#include "form1_window.h"

#include "capture/capture_job.h"
#include "capture/import_progress_dialog.h"
#include "capture/name_entry_dialog.h"
#include "capture/new_disc_dialog.h"
#include "capture/store_edits.h"
#include "mainwin/catalog_tree_widget.h"
#include "mainwin/details_pane_widget.h"
#include "mainwin/file_list_model.h"

#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

namespace orlith {

void Form1::setBusy(bool busy)
{
    // The window stays up to paint progress, but takes no command until the job ends.
    m_central->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
    for (QToolBar *bar : findChildren<QToolBar *>())
        bar->setEnabled(!busy);
}

void Form1::captureDisc()
{
    if (m_capture)
        return;
    DriveProvider &drives = *m_services.drives;
    if (drives.ListDiscDrives().isEmpty()) {
        // Nothing to capture from; the program goes on.
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                   QString::fromLatin1(kNoDrivesFound));
        return;
    }
    frmNewCD dialog(m_tree->catalogsInOrder(), *m_edits, drives, m_services,
                    /*virtualMode=*/false, this);
    if (dialog.exec() != QDialog::Accepted)
        return;

    CaptureRequest request;
    request.programFolder = m_programFolder;
    request.discName = dialog.discName();
    request.catalog = dialog.catalog();
    request.drive = dialog.drive();
    request.ejectAfter = m_settings.ejectAfterImportSetting == QLatin1String("1");
    request.drives = &drives;
    m_capture = std::make_unique<CaptureJob>(request, m_index);

    setBusy(true);
    m_progress = new frmInportProgres(this);
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    m_capture->start();
    m_progress->setProgress(m_capture->progressText(), 0);
    m_progress->show();
    setStatusText(m_capture->statusText());
    m_walkTimer->start();
}

void Form1::walkCaptureStep()
{
    if (!m_capture || !m_capture->walkStep())
        return;
    m_walkTimer->stop();
    if (m_capture->failed()) {
        finishCapture();
        return;
    }
    m_listModel->clear();
    if (m_progress)
        m_progress->setProgress(m_capture->progressText(), 0);
    setStatusText(m_capture->statusText());
    m_timer1->start();
}

bool Form1::captureTick()
{
    if (!m_capture)
        return true;
    // A test may step the walk and the slices by hand.
    if (m_capture->phase() == CaptureJob::Phase::Walking) {
        while (!m_capture->walkStep()) {
        }
        m_walkTimer->stop();
        m_listModel->clear();
    }
    const bool done = m_capture->finished() || m_capture->Timer1Tick();
    if (m_capture->lastTickCount() > 0 && !m_capture->failed())
        m_listModel->appendRows(m_capture->rowsOfLastTick());
    if (m_progress)
        m_progress->setProgress(m_capture->progressText(), m_capture->percent());
    setStatusText(m_capture->statusText());
    if (done)
        finishCapture();
    return done;
}

void Form1::finishCapture()
{
    m_timer1->stop();
    m_walkTimer->stop();
    std::unique_ptr<CaptureJob> job = std::move(m_capture);
    setBusy(false);
    if (m_progress)
        m_progress->finishSoon();
    if (job->failed()) {
        if (m_progress)
            m_progress->close();
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), job->error());
        return;
    }
    ColorList();
    m_tree->addDiscNode(job->request().catalog, job->request().discName);
    const QList<UnreadableFolder> unreadable = job->unreadableFolders();
    if (!unreadable.isEmpty()) {
        QStringList paths;
        for (const UnreadableFolder &f : unreadable)
            paths << f.path;
        m_services.messages->error(
            this, QString::fromLatin1(kErrorTitle),
            QStringLiteral("These folders could not be read and are missing from the disc:\n")
                + paths.join(QLatin1Char('\n')));
    }
}

void Form1::newCatalog()
{
    QString added;
    NameEntryDialog dialog(
        newCatalogTexts(), QString(),
        [&](const QString &name) {
            const EditResult r = m_edits->newCatalog(name);
            if (r)
                added = name;
            return r.message;
        },
        m_services, this);
    if (dialog.exec() == QDialog::Accepted && !added.isEmpty())
        m_tree->addCatalogNode(added);
}

void Form1::renameSelected()
{
    const CatalogTree::NodeKind kind = m_tree->selectedKind();
    if (kind != CatalogTree::NodeKind::Catalog && kind != CatalogTree::NodeKind::Disc)
        return;
    const QString selected = m_tree->selectedKey();
    // The notes box may hold edits not yet saved; they go with the disc.
    m_details->saveNotes();
    QStringList warnings;
    QString renamed;
    bool changed = false;
    NameEntryDialog dialog(
        renameTexts(), selected,
        [&](const QString &name) {
            EditResult r = m_edits->rename(selected, name);
            if (r)
                renamed = name;
            // A catalog rename that stopped part-way has still moved some discs.
            changed = changed || r.changed;
            warnings = r.warnings;
            return r.message;
        },
        m_services, this);
    const bool accepted = dialog.exec() == QDialog::Accepted && !renamed.isEmpty();
    if (!accepted && !changed)
        return;
    m_tree->rebuild(m_index);
    m_tree->expandAllNodes();
    m_tree->selectNode(accepted ? renamed : selected);
    m_listModel->clear();
    if (!warnings.isEmpty())
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                   warnings.join(QLatin1Char('\n')));
}

void Form1::deleteSelected()
{
    const QString key = m_tree->selectedKey();
    if (m_tree->selectedKind() == CatalogTree::NodeKind::Root || key.isEmpty())
        return;
    EditResult r;
    switch (m_edits->deleteActionFor(key)) {
    case DeleteAction::Nothing:
        return;
    case DeleteAction::AskThenDeleteDisc:
        if (m_services.messages->question(this, QString::fromLatin1(kDeleteTitle),
                                          QString::fromLatin1(kDeleteQuestion))
            != MessageSink::Answer::Yes)
            return;
        r = m_edits->deleteDisc(key);
        if (r) {
            m_listModel->clear();
            m_details->ClearDiscDetails();
        }
        break;
    case DeleteAction::DeleteCatalog:
        r = m_edits->deleteCatalog(key);
        break;
    }
    if (!r) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.message);
        return;
    }
    delete m_tree->findNode(key);
    onTreeClicked();
}

} // namespace orlith
