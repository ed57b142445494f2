// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/store_result.h"
#include "ui/common/ui_services.h"

#include <QDialog>

class QCheckBox;
class QImage;
class QFileSystemModel;
class QListView;

namespace orlith {

class FolderChooser;

// The picture window: attaches a picture to a disc, stored as pic/<disc>.jpg in the
// program folder (converted to JPEG when it is another type), or removes it. A drive list (the file
// system root, the home folder and mounted devices), a folder list and a list of the highlighted
// folder's picture files choose the picture.
//
// The dialog is accepted when the disc's picture was replaced or removed; the caller then
// loads the thumbnail again. Cancel, the close box and Escape change nothing.
class AddPictureDialog : public QDialog
{
    Q_OBJECT

public:
    AddPictureDialog(const QString &programFolder, const QString &discName, UiServices services,
                     QWidget *parent = nullptr);

    // Makes `target` an exact copy of `source`. The copy is written beside the target and
    // renamed over it, so the target holds either its old bytes or all of the new ones; a
    // longer earlier file is replaced, never overwritten in part. A failure says what failed,
    // naming the path.
    static StoreResult copyPictureFile(const QString &source, const QString &target);
    // Writes `image` to `target` as a JPEG file, in the same safe way.
    static StoreResult writeJpegFile(const QImage &image, const QString &target);
    static constexpr int kJpegQuality = 90;

    // Shows `folder` in the folder list and its pictures in the file list; no file is
    // chosen then.
    void selectFolder(const QString &folder);
    // Chooses a file as a click on it in the file list would, showing its folder first.
    void selectFile(const QString &path);

    // The file chosen in the file list, or empty.
    QString chosenFile() const { return m_chosen; }
    // The folder whose files the file list shows.
    QString currentFolder() const { return m_folder; }

private:
    void showFiles(const QString &folder);
    void cmdOK_Click();
    void removePicture();

    QString m_programFolder;
    QString m_disc;
    UiServices m_services;
    QString m_folder;
    QString m_chosen;

    FolderChooser *m_folders = nullptr;
    QListView *m_files = nullptr;
    QFileSystemModel *m_fileModel = nullptr;
    QCheckBox *m_remove = nullptr;
};

} // namespace orlith
