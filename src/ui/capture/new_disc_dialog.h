// Orlith — desktop catalogue of removable media.
#pragma once

#include "ui/common/ui_services.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace orlith {

class DriveProvider;
class StoreEdits;

// The new-disc dialog (NewDiscDialog): a name, a catalog and a drive. In "Virtual" mode (saving
// a list as a disc) the drive is neither shown nor checked. Accepts only when every check
// of StoreEdits::checkNewDisc passes; otherwise shows its message and stays open.
//
// The drive list (comCDROMs) ends with "Other folder...", so the dialog always has
// something to offer. Choosing it asks for a folder (DesktopServices::chooseFolder); a
// chosen folder is added just before it and selected, a cancelled choice goes back to the
// previous item. A folder is always ready: OK runs no media test on it. Beside the list,
// "Image file..." (cmdImage) asks for a disc image or archive (DesktopServices::chooseImage),
// which is added the same way, shown with its volume label, and captured as the medium.
class NewDiscDialog : public QDialog
{
    Q_OBJECT

public:
    NewDiscDialog(const QStringList &catalogs, StoreEdits &edits, DriveProvider &drives,
                  UiServices services, bool virtualMode, QWidget *parent = nullptr);

    QString discName() const;
    QString catalog() const;
    // The drive's mount point or the chosen folder; empty on "Other folder..." before a
    // folder is chosen, and in "Virtual" mode.
    QString drive() const;
    // True when drive() is a chosen folder or image, which has no tray to eject.
    bool driveIsFolder() const;
    // The "Look inside archives" box, not shown in "Virtual" mode.
    bool lookInsideArchives() const;
    void setLookInsideArchives(bool on);
    // The "Compute checksums" box, not shown in "Virtual" mode.
    bool computeChecksums() const;
    void setComputeChecksums(bool on);
    // Selects `catalog` when listed (the tree's selection); a dialog made with exactly one
    // catalog has it selected already.
    void preselectCatalog(const QString &catalog);

    // Turns the dialog into "Update CD/DVD" for an existing disc: its name and catalog are
    // shown but fixed, and the drive whose mount point holds `folder` (the folder the disc's
    // paths start with) is selected, else `folder` itself when it exists. OK then checks the
    // drive only.
    void setUpdateOf(const QString &disc, const QString &catalog, const QString &folder);

    // The OK button: checks, then accepts or shows the message.
    void checkAndAccept();

private:
    bool isOtherFolderItem(int index) const;
    // A medium the catalogue already holds (by UUID, or label and capacity) is caught
    // twice only when the user says so.
    bool confirmNewMedium();
    void driveActivated(int index);
    void chooseImage();
    int addFolderItem(const QString &path, const QString &label);

    StoreEdits &m_edits;
    DriveProvider &m_drives;
    UiServices m_services;
    bool m_virtual;
    bool m_update = false;
    QLineEdit *m_name = nullptr;
    QComboBox *m_catalog = nullptr;
    QComboBox *m_drive = nullptr;
    QCheckBox *m_archives = nullptr;
    QCheckBox *m_checksums = nullptr;
    int m_previousDrive = -1; // the last item before "Other folder..." was chosen
};

} // namespace orlith
