// Orlith — desktop catalogue of removable media.
// Recognising a medium mounted while the window is open.
#include "ui/main/main_window.h"

#include "core/capture/medium_probe.h"
#include "core/capture/mount_watcher.h"
#include "core/store/disc_info.h"
#include "ui/main/catalog_tree_widget.h"

namespace orlith {

void MainWindow::watchMounts()
{
    auto *mounts = new MountWatcher(this);
    mounts->setObjectName(QStringLiteral("mountWatcher"));
    connect(mounts, &MountWatcher::mounted, this, &MainWindow::recogniseMedium);
}

void MainWindow::recogniseMedium(const QString &path)
{
    const MediumInfo medium = probeMedium(path);
    if (medium.isEmpty())
        return;
    const MediumMatch match = findDiscByMedium(m_programFolder, discInfoOf(medium));
    // The index spells the name as the tree shows it; a disc file it skipped is not shown.
    const QString disc = match.found() ? m_index.discKey(match.disc) : QString();
    if (disc.isEmpty())
        return;
    m_tree->selectNode(disc);
    onTreeClicked();
    setStatusText(QStringLiteral("This medium is disc %1 in catalog %2.").arg(disc, match.catalog));
}

} // namespace orlith
