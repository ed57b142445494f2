// Orlith — desktop catalogue of removable media.
#pragma once

#include "ui/common/ui_services.h"

#include <QWidget>

class QComboBox;

namespace orlith {

class FolderListBox;

// The drive list above the folder list with which the export wizards, the archive and
// restore windows and the picture window choose a folder. Choosing a drive opens it in the
// folder list; a drive that cannot be opened, or a disc drive without a disc, gives
// "Drive is not ready. 68" and the folder list keeps its folder.
class FolderChooser : public QWidget
{
    Q_OBJECT

public:
    enum class Drives {
        Writable, // mounted volumes that can be written, and the disc drives
        Mounted,  // "/" and every mount point
        Devices,  // "/", the home folder and volumes on real devices, with their labels
    };
    struct Setup
    {
        Drives drives = Drives::Mounted;
        // The folder highlighted in the list is the chosen one; else only the open folder is.
        bool highlightChooses = false;
        // The drive list goes on showing a drive that was not ready; else the old one again.
        bool keepFailedDrive = false;
    };

    // Opens `startFolder` (else its drive) and shows its drive.
    FolderChooser(const QString &startFolder, UiServices services, Setup setup,
                  QWidget *parent = nullptr);

    // The chosen folder.
    QString folder() const;
    // Opens the folder in the folder list and shows its drive; false, changing nothing,
    // when it is missing or unreadable.
    bool setFolder(const QString &folder);
    // Replaces the drives offered (tests give folders of their own).
    void setDrives(const QStringList &drives);
    // What choosing a drive in the drive list does.
    void changeDrive(const QString &drive);

    QComboBox &driveList() { return *m_drive; }
    FolderListBox &folderList() { return *m_dir; }

signals:
    void folderChanged(const QString &folder);

private:
    void addDrives();
    void showDriveOf(const QString &folder);
    bool isDriveReady(const QString &drive) const;
    void reportFolder();

    UiServices m_services;
    Setup m_setup;
    QComboBox *m_drive = nullptr;
    FolderListBox *m_dir = nullptr;
    int m_shown = -1; // the drive shown before the last choice
    QString m_reported;
};

} // namespace orlith
