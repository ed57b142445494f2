// Orlith — desktop catalogue of removable media.
// What the five export wizards share: the page flow with its Next buttons, the disc page
// (the list of disc files), the location page (drive list, folder list and the name box)
// and Finish.
#pragma once

#include "core/export/export_job.h"
#include "ui/common/ui_services.h"

#include <QDialog>
#include <QStringList>

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QHBoxLayout;

namespace orlith {

class FolderChooser;

// Captions and behaviour that tell one wizard from another.
struct ExportWizardSetup
{
    ExportFormat format = ExportFormat::Csv;
    const char *objectName = "";
    const char *caption = "";
    const char *successMessage = "";
    const char *selectMessage = "You must select file.";
    bool extendedSelection = true; // else each click toggles an item
    bool enterAndEscape = true;    // Next is the default button and Esc cancels
};

class ExportWizard : public QDialog
{
    Q_OBJECT

public:
    // The folder the export goes to: the folder highlighted in the folder list.
    QString destinationFolder() const;
    // Opens a folder in the folder list, which makes it the destination.
    void setDestinationFolder(const QString &folder);
    // The disc file items chosen, in list order.
    QStringList selectedItems() const;

    // Exports these rows, in their order, instead of discs: the disc page is left out.
    // Call before the wizard is shown.
    void exportListRows(const QList<FileRow> &rows);

    // The Finish button: checks, writes the export, reports and closes.
    void Finish();

protected:
    ExportWizard(const QString &programFolder, UiServices services, const ExportWizardSetup &setup,
                 QWidget *parent);

    // Pages are shown in the order they are added; each gets its own layout.
    QGroupBox *addPage(const char *objectName, const char *caption);
    QGroupBox *addDiscPage(const char *objectName, const char *caption, const char *instruction);
    QGroupBox *addLocationPage(const char *objectName, const char *caption, const char *frameName,
                               const char *frameCaption, const char *nameBoxName,
                               const char *instruction, const QString &startFolder);
    // Creates the Next button of each page, Finish and Cancel (object names cmdNext,
    // cmdNext2, ..., cmdFinish, cmdCancel); call once, after the last page.
    void finishPages();

    // Check before leaving a page; false keeps the wizard on it. The default checks the
    // disc page.
    virtual bool canLeave(QGroupBox *page);
    // Check before writing; the default wants a file name.
    virtual bool canFinish();
    virtual ExportOptions options() const { return {}; }

    void showError(const QString &text);
    QString fileName() const;
    QGroupBox *locationPage() const { return m_locationPage; }

    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    QString m_programFolder;
    UiServices m_services;

private:
    void next();
    void showPage(qsizetype page);

    ExportWizardSetup m_setup;
    QStackedWidget *m_stack = nullptr;
    QHBoxLayout *m_buttonsLayout = nullptr;
    QList<QGroupBox *> m_pages;
    QList<QPushButton *> m_buttons; // the button that leaves each page; Finish last
    QGroupBox *m_discPage = nullptr;
    bool m_listMode = false;
    QList<FileRow> m_listRows;
    QGroupBox *m_locationPage = nullptr;
    QListWidget *m_file1 = nullptr;
    FolderChooser *m_folders = nullptr;
    QLineEdit *m_name = nullptr;
    bool m_centred = false;
};

} // namespace orlith
