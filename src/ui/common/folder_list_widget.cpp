// Orlith — desktop catalogue of removable media.
#include "ui/common/folder_list_widget.h"

#include "core/archive/archive_job.h"
#include "core/store/store_result.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStorageInfo>
#include <QStyle>

namespace orlith {

FolderListBox::FolderListBox(QWidget *parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("Dir1"));
    connect(this, &QListWidget::itemDoubleClicked, this, &FolderListBox::openItem);
}

bool FolderListBox::setPath(const QString &folder)
{
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QDir dir(clean);
    if (!dir.exists() || !dir.isReadable())
        return false;

    clear();
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    QStringList ancestors;
    for (QString p = clean;; p = QFileInfo(p).path()) {
        ancestors.prepend(p);
        if (QFileInfo(p).isRoot() || p == QFileInfo(p).path())
            break;
    }
    int depth = 0;
    for (const QString &p : std::as_const(ancestors)) {
        const QString name = QFileInfo(p).isRoot() ? p : QFileInfo(p).fileName();
        auto *item =
            new QListWidgetItem(openIcon, QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(Qt::UserRole, p);
        ++depth;
    }
    setCurrentRow(count() - 1);
    for (const QFileInfo &sub : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        auto *item = new QListWidgetItem(
            closedIcon, QString(depth * 2, QLatin1Char(' ')) + sub.fileName(), this);
        item->setData(Qt::UserRole, sub.absoluteFilePath());
    }
    const bool changed = clean != m_path;
    m_path = clean;
    if (changed)
        emit pathChanged(m_path);
    return true;
}

void FolderListBox::openItem(QListWidgetItem *item)
{
    if (item)
        setPath(item->data(Qt::UserRole).toString());
}

void FolderListBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openItem(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}

DriveListBox::DriveListBox(FolderListBox *folders, UiServices services, QWidget *parent)
    : QComboBox(parent), m_folders(folders), m_services(services)
{
    setObjectName(QStringLiteral("Drive1"));
    QStringList drives{QStringLiteral("/")};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && !drives.contains(volume.rootPath()))
            drives << volume.rootPath();
    }
    setDrives(drives);
    connect(this, &QComboBox::activated, this,
            [this](int index) { Drive1Change(itemText(index)); });
}

void DriveListBox::setDrives(const QStringList &drives)
{
    const QSignalBlocker blocker(this);
    clear();
    addItems(drives);
    m_shown = -1;
}

void DriveListBox::showDriveOf(const QString &folder)
{
    // The longest drive that holds the folder.
    int best = -1;
    for (int i = 0; i < count(); ++i) {
        const QString drive = itemText(i);
        const bool holds = folder == drive || drive == QLatin1String("/") ||
                           folder.startsWith(drive + QLatin1Char('/'));
        if (holds && (best < 0 || drive.size() > itemText(best).size()))
            best = i;
    }
    const QSignalBlocker blocker(this);
    setCurrentIndex(best);
    m_shown = best;
}

void DriveListBox::Drive1Change(const QString &drive)
{
    if (m_folders->setPath(drive)) {
        m_shown = currentIndex();
        return;
    }
    m_services.messages->error(window(), QString::fromLatin1(kErrorTitle), driveNotReadyMessage());
    const QSignalBlocker blocker(this);
    setCurrentIndex(m_shown);
}

} // namespace orlith
