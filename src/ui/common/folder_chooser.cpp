// Orlith — desktop catalogue of removable media.
#include "ui/common/folder_chooser.h"

#include "core/archive/archive_job.h"
#include "core/store/store_result.h"
#include "ui/common/folder_list_widget.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QVBoxLayout>

#include <algorithm>

namespace orlith {

namespace {

bool isInside(const QString &path, const QString &root)
{
    return root == QLatin1String("/") || path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

FolderChooser::FolderChooser(const QString &startFolder, UiServices services, Setup setup,
                             QWidget *parent)
    : QWidget(parent), m_services(services), m_setup(setup)
{
    m_drive = new QComboBox(this);
    m_drive->setObjectName(QStringLiteral("Drive1"));
    m_dir = new FolderListBox(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_drive);
    layout->addWidget(m_dir, 1);

    const QString start = QDir::cleanPath(QFileInfo(startFolder).absoluteFilePath());
    addDrives();
    // A start folder on no listed drive still gets a drive to show.
    bool held = false;
    for (int i = 0; i < m_drive->count() && !held; ++i)
        held = isInside(start, m_drive->itemData(i).toString());
    if (!held)
        m_drive->insertItem(0, QStringLiteral("/"), QStringLiteral("/"));
    if (!setFolder(start))
        setFolder(QStringLiteral("/"));

    connect(m_dir, &FolderListBox::pathChanged, this, &FolderChooser::reportFolder);
    if (m_setup.highlightChooses)
        connect(m_dir, &QListWidget::currentItemChanged, this, &FolderChooser::reportFolder);
    connect(m_drive, &QComboBox::currentIndexChanged, this,
            [this](int index) { changeDrive(m_drive->itemData(index).toString()); });
}

void FolderChooser::addDrives()
{
    const auto add = [this](const QString &root, const QString &text) {
        if (m_drive->findData(root) < 0)
            m_drive->addItem(text, root);
    };
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    switch (m_setup.drives) {
    case Drives::Writable:
        // Read-only volumes (snaps, images) cannot take a file; the disc drives are listed
        // anyway, as the drive list always shows them.
        for (const QStorageInfo &volume : std::as_const(volumes)) {
            if (volume.isValid() && volume.isReady() && !volume.isReadOnly())
                add(volume.rootPath(), volume.rootPath());
        }
        for (const QString &drive : m_services.drives->discDrives())
            add(drive, drive);
        break;
    case Drives::Mounted:
        add(QStringLiteral("/"), QStringLiteral("/"));
        for (const QStorageInfo &volume : std::as_const(volumes)) {
            if (volume.isValid())
                add(volume.rootPath(), volume.rootPath());
        }
        break;
    case Drives::Devices:
        add(QStringLiteral("/"), QStringLiteral("/"));
        add(QDir::homePath(), QDir::homePath());
        std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo &a, const QStorageInfo &b) {
            return a.rootPath() < b.rootPath();
        });
        for (const QStorageInfo &volume : std::as_const(volumes)) {
            // Only real devices: pseudo file systems (proc, tmpfs, ...) hold no pictures.
            if (!volume.isValid() || !volume.isReady() ||
                !volume.device().startsWith(QByteArrayLiteral("/dev/")))
                continue;
            const QString root = volume.rootPath();
            const QString name = volume.name();
            add(root, name.isEmpty() ? root : root + QStringLiteral(" [") + name + u']');
        }
        break;
    }
}

void FolderChooser::setDrives(const QStringList &drives)
{
    {
        const QSignalBlocker blocker(m_drive);
        m_drive->clear();
        for (const QString &drive : drives)
            m_drive->addItem(drive, drive);
    }
    showDriveOf(m_dir->path());
}

QString FolderChooser::folder() const
{
    if (m_setup.highlightChooses) {
        if (const QListWidgetItem *item = m_dir->currentItem())
            return item->data(Qt::UserRole).toString();
    }
    return m_dir->path();
}

bool FolderChooser::setFolder(const QString &folder)
{
    if (!m_dir->setPath(folder))
        return false;
    showDriveOf(m_dir->path());
    return true;
}

void FolderChooser::showDriveOf(const QString &folder)
{
    // The deepest drive that holds the folder.
    int best = -1;
    for (int i = 0; i < m_drive->count(); ++i) {
        const QString root = m_drive->itemData(i).toString();
        if (isInside(folder, root) &&
            (best < 0 || root.size() > m_drive->itemData(best).toString().size()))
            best = i;
    }
    const QSignalBlocker blocker(m_drive);
    m_drive->setCurrentIndex(best);
    m_shown = best;
}

bool FolderChooser::isDriveReady(const QString &drive) const
{
    const QFileInfo info(drive);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable())
        return false;
    return !m_services.drives->discDrives().contains(drive) || m_services.drives->hasMedia(drive);
}

void FolderChooser::changeDrive(const QString &drive)
{
    if (isDriveReady(drive) && m_dir->setPath(drive)) {
        m_shown = m_drive->currentIndex();
        return;
    }
    m_services.messages->error(window(), QString::fromLatin1(kErrorTitle), driveNotReadyMessage());
    if (!m_setup.keepFailedDrive) {
        const QSignalBlocker blocker(m_drive);
        m_drive->setCurrentIndex(m_shown);
    }
}

void FolderChooser::reportFolder()
{
    const QString now = folder();
    if (now == m_reported)
        return;
    m_reported = now;
    emit folderChanged(now);
}

} // namespace orlith
