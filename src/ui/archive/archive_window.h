// Orlith — desktop catalogue of removable media.
// The archive window: chosen store files into <folder>/cds.zip, in two steps.
#pragma once

#include "ui/common/ui_services.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace orlith {

class FolderChooser;

// The archive window: step 1 picks disc files of the store's cds/ folder, step 2 the
// folder that gets cds.zip (drive list and folder list), first the one last used, else the
// home folder. Finish archives, with the notes, pictures, catalogs and settings while
// "Include notes, pictures, catalogs and settings" is ticked (the default), says how it
// went and closes.
class ArchiveWindow : public QDialog
{
    Q_OBJECT

public:
    ArchiveWindow(const QString &programFolder, UiServices services, QWidget *parent = nullptr);

    void cmdSelectAllClick();
    void cmdUnselectAllClick();
    // To step 2; nothing needs to be selected.
    void cmdNextClick();
    void cmdFinishClick();

    // The target folder is the folder open in the folder list.
    FolderChooser &folders() { return *m_folders; }
    QStringList selectedFiles() const;

private:
    QString m_programFolder;
    UiServices m_services;
    QLabel *m_label1 = nullptr;
    QListWidget *m_files = nullptr;
    QPushButton *m_selectAll = nullptr;
    QPushButton *m_unselectAll = nullptr;
    QCheckBox *m_everything = nullptr;
    QPushButton *m_next = nullptr;
    QLabel *m_label2 = nullptr;
    FolderChooser *m_folders = nullptr;
    QPushButton *m_finish = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace orlith
