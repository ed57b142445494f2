// Orlith — desktop catalogue of removable media.
// The restore window: disc files from a zip archive back into the store folder.
#pragma once

#include "core/archive/archive_job.h"
#include "ui/common/ui_services.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace orlith {

class FolderChooser;

// The restore window: step 1 picks a zip file (drive list, folder list, file list), step 2
// the entries to restore.
// Finish asks FileExistDialog about each file of the store the restore would replace (with
// both files' dates and sizes), extracts, says what it restored, and closes accepted; the
// caller then rebuilds the tree from the store, and takes up restored settings
// (outcome().summary.settings).
class RecoverWindow : public QDialog
{
    Q_OBJECT

public:
    RecoverWindow(const QString &programFolder, UiServices services, QWidget *parent = nullptr);

    // To step 2 when a zip file is selected in the file list.
    void cmdNextClick();
    void cmdFinishClick();

    FolderChooser &folders() { return *m_folders; }
    // Selects the file of that name in the file list; false when it is not listed.
    bool selectArchive(const QString &fileName);
    // The open folder + "/" + the file selected in the file list.
    QString zipPath() const;
    // What the last Finish extracted.
    const RestoreOutcome &outcome() const { return m_outcome; }

private:
    void refreshFiles();

    QString m_programFolder;
    UiServices m_services;
    RestoreOutcome m_outcome;
    QGroupBox *m_frame1 = nullptr;
    FolderChooser *m_folders = nullptr;
    QListWidget *m_file1 = nullptr;
    QPushButton *m_next = nullptr;
    QGroupBox *m_frame2 = nullptr;
    QListWidget *m_list1 = nullptr;
    QPushButton *m_finish = nullptr;
    QPushButton *m_cancel = nullptr;
    QLineEdit *m_answer = nullptr;
};

} // namespace orlith
