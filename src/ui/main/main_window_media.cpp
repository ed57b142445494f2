// Orlith — desktop catalogue of removable media.
// Recognising a medium mounted while the window is open.
#include "ui/main/main_window.h"

#include "core/capture/medium_probe.h"
#include "core/capture/mount_watcher.h"
#include "core/store/disc_info.h"
#include "ui/main/catalog_tree_widget.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

namespace orlith {

void MainWindow::watchMounts()
{
    auto *mounts = new MountWatcher(this);
    mounts->setObjectName(QStringLiteral("mountWatcher"));
    connect(mounts, &MountWatcher::mounted, this, &MainWindow::recogniseMedium);
}

// A drive spinning up, or thousands of disc files to look at, must not hold up the window:
// the probe and the match run on a worker, and only the answer comes back here.
void MainWindow::recogniseMedium(const QString &path)
{
    QPointer<MainWindow> self(this);
    const QString programFolder = m_programFolder;
    QThreadPool::globalInstance()->start([self, path, programFolder] {
        const MediumInfo medium = probeMedium(path);
        const MediumMatch match =
            medium.isEmpty() ? MediumMatch{} : findDiscByMedium(programFolder, discInfoOf(medium));
        QMetaObject::invokeMethod(qApp, [self, match] {
            if (self)
                self->showRecognisedMedium(match);
        });
    });
}

void MainWindow::showRecognisedMedium(const MediumMatch &match)
{
    // The index spells the name as the tree shows it; a disc file it skipped is not shown.
    const QString disc = match.found() ? m_index.discKey(match.disc) : QString();
    if (disc.isEmpty()) {
        emit mediumChecked();
        return;
    }
    m_tree->selectNode(disc);
    onTreeClicked();
    setStatusText(QStringLiteral("This medium is disc %1 in catalog %2.").arg(disc, match.catalog));
    emit mediumChecked();
}

} // namespace orlith
