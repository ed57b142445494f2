// Orlith — desktop catalogue of removable media.
#include "ui/common/folder_list_widget.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
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

} // namespace orlith
