// Orlith — desktop catalogue of removable media.
#include "ui/export/xls_wizard.h"

#include <QDir>

namespace orlith {

namespace {

ExportWizardSetup xlsSetup()
{
    ExportWizardSetup s;
    s.format = ExportFormat::Xls;
    s.objectName = "frmExportXLS";
    s.caption = "XLS tool";
    s.successMessage = "XLS file successfuly created.";
    s.extendedSelection = false;
    s.enterAndEscape = false;
    return s;
}

} // namespace

XlsWizard::XlsWizard(const QString &programFolder, UiServices services, QWidget *parent)
    : ExportWizard(programFolder, services, xlsSetup(), parent)
{
    addDiscPage("formChoseXML", "Select XML file for export",
                "Click on XML for select it. After that press Next button");
    addLocationPage("frameChoseLocation", "Select location and name for XLS file", "Frame1",
                    "File name", "txtFileName",
                    "First select location for new XLS file then write file name below. After "
                    "that click Finish button.",
                    QDir::currentPath());
    finishPages();
}

} // namespace orlith
