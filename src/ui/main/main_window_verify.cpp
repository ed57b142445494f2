// Orlith — desktop catalogue of removable media.
// "Verify CD/DVD...": the selected disc's medium read whole and compared with the catalogue.
#include "ui/main/main_window.h"

#include "core/capture/capture_task.h"
#include "core/capture/disc_update.h"
#include "core/capture/disc_verify.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/capture/verify_window.h"
#include "ui/main/catalog_tree_widget.h"

#include <QCheckBox>

#include <memory>

namespace orlith {

void MainWindow::verifySelectedDisc()
{
    if (m_capture || saveRunning())
        return;
    if (m_tree->selectedKind() != NodeKind::Disc) {
        m_services.messages->information(this, QStringLiteral("Error"),
                                         QStringLiteral("First select CD/DVD from tree view."));
        return;
    }
    const QString disc = m_tree->selectedKey();
    QList<FileEntry> stored;
    DiscIdentity readAs;
    if (StoreResult r = readDiscForUpdate(m_programFolder, disc, stored, readAs); !r) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
        return;
    }
    // The update's drive choice, offering the drive the disc was captured from.
    const qsizetype catalog = m_index.catalogOfDisc(disc);
    NewDiscDialog dialog(m_tree->catalogsInOrder(), *m_edits, *m_services.drives, m_services,
                         /*virtualMode=*/false, this);
    dialog.setUpdateOf(disc, catalog >= 0 ? m_index.catalogs().at(catalog).name : QString(),
                       commonFolder(stored));
    dialog.setWindowTitle(QStringLiteral("Verify CD/DVD"));
    // A verify reads what it finds; it neither lists archives nor stores checksums.
    for (const char *name : {"chkArchives", "chkChecksums"}) {
        if (auto *box = dialog.findChild<QCheckBox *>(QString::fromLatin1(name)))
            box->hide();
    }
    if (dialog.exec() != QDialog::Accepted)
        return;

    const auto task = std::make_unique<VerifyTask>(std::move(stored), dialog.drive());
    VerifyWindow window(disc, task.get(), m_extensions, this);
    connect(&window, &VerifyWindow::verifyEnded, this, [this](const StoreResult &result) {
        if (!result)
            m_services.messages->error(this, QString::fromLatin1(kErrorTitle), result.error);
    });
    window.exec();
}

} // namespace orlith
