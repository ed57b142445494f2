// Orlith — desktop catalogue of removable media.
// The drive list and folder list of the archive and restore windows.
#pragma once

#include "ui/common/ui_services.h"

#include <QComboBox>
#include <QListWidget>

namespace orlith {

// A folder list (Dir1): the folders on the way from the root to the open folder, the open
// folder, then its subfolders (hidden ones left out). A double click or Enter opens a
// folder; a folder only highlighted is not the chosen one.
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

// A drive list (Drive1): "/" and the mount points of this machine. Choosing a drive
// opens it in the folder list; a drive that cannot be opened gives the "Drive is not
// ready." box and the folder list keeps its folder.
class DriveListBox : public QComboBox
{
    Q_OBJECT

public:
    DriveListBox(FolderListBox *folders, UiServices services, QWidget *parent = nullptr);

    // Replaces the drives shown (tests give folders of their own).
    void setDrives(const QStringList &drives);
    // Shows the drive that holds the folder, without opening it.
    void showDriveOf(const QString &folder);
    // What choosing a drive does.
    void Drive1Change(const QString &drive);

private:
    FolderListBox *m_folders;
    UiServices m_services;
    int m_shown = -1;
};

} // namespace orlith
