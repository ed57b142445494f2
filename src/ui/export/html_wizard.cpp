// Orlith — desktop catalogue of removable media.
#include "ui/export/html_wizard.h"

#include <QDir>

namespace orlith {

namespace {

ExportWizardSetup htmlSetup()
{
    ExportWizardSetup s;
    s.format = ExportFormat::Html;
    s.objectName = "frmHTML";
    s.caption = "HTML tool";
    s.successMessage = "HTML file successfuly created.";
    return s;
}

} // namespace

HtmlWizard::HtmlWizard(const QString &programFolder, UiServices services, QWidget *parent)
    : ExportWizard(programFolder, services, htmlSetup(), parent)
{
    addDiscPage("frameChoseXML", "Select CD/DVD",
                "Click on XML file to select it. After that click Next button.");
    addLocationPage("frameChoseLocation", "Chose location and name for HTML file", "Frame1",
                    "Enter file name", "txtFileName",
                    "First select location for new HTML file then write file name below. After "
                    "that click Finish button.",
                    QDir::currentPath());
    finishPages();
}

} // namespace orlith
