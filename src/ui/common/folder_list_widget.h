// Orlith — desktop catalogue of removable media.
#pragma once

#include <QListWidget>

namespace orlith {

// The folder list of FolderChooser: the folders on the way from the root to the
// open folder, the open folder, then its subfolders (hidden ones left out). A double click
// or Enter opens a folder. Each row keeps its folder's path in Qt::UserRole.
class FolderListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit FolderListBox(QWidget *parent = nullptr);

    // The open folder.
    QString path() const { return m_path; }
    // Opens the folder; false, keeping the old one, when it is missing or unreadable.
    bool setPath(const QString &folder);

signals:
    void pathChanged(const QString &path);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void openItem(QListWidgetItem *item);

    QString m_path;
};

} // namespace orlith
