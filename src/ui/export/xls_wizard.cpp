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

ExportWizardSetup xlsxSetup()
{
    ExportWizardSetup s = xlsSetup();
    s.format = ExportFormat::Xlsx;
    s.objectName = "frmExportXLSX";
    s.caption = "Export to Excel 2007+ (xlsx)";
    s.successMessage = "XLSX file successfuly created.";
    return s;
}

} // namespace

XlsWizard::XlsWizard(const QString &programFolder, UiServices services, QWidget *parent)
    : XlsWizard(programFolder, services, xlsSetup(), parent)
{
    addPages("Select location and name for XLS file",
             "First select location for new XLS file then write file name below. After that "
             "click Finish button.");
}

XlsWizard::XlsWizard(const QString &programFolder, UiServices services,
                     const ExportWizardSetup &setup, QWidget *parent)
    : ExportWizard(programFolder, services, setup, parent)
{
}

void XlsWizard::addPages(const char *locationCaption, const char *locationInstruction)
{
    addDiscPage("formChoseXML", "Select XML file for export",
                "Click on XML for select it. After that press Next button");
    addLocationPage("frameChoseLocation", locationCaption, "Frame1", "File name", "txtFileName",
                    locationInstruction, QDir::currentPath());
    finishPages();
}

XlsxWizard::XlsxWizard(const QString &programFolder, UiServices services, QWidget *parent)
    : XlsWizard(programFolder, services, xlsxSetup(), parent)
{
    addPages("Select location and name for XLSX file",
             "First select location for new XLSX file then write file name below. After that "
             "click Finish button.");
}

} // namespace orlith
