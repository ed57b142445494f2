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
    QString disc;
    QList<FileEntry> stored;
    DiscIdentity readAs; // a verify writes nothing, so nothing to compare it with
    const std::unique_ptr<NewDiscDialog> chooser = driveDialogForSelectedDisc(disc, stored, readAs);
    if (!chooser)
        return;
    NewDiscDialog &dialog = *chooser;
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
