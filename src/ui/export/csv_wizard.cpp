// Orlith — desktop catalogue of removable media.
#include "ui/export/csv_wizard.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLayout>

namespace orlith {

namespace {

ExportWizardSetup csvSetup()
{
    ExportWizardSetup s;
    s.format = ExportFormat::Csv;
    s.objectName = "frmCSV";
    s.caption = "CSV tool";
    s.successMessage = "CSV file successfuly created.";
    return s;
}

} // namespace

CsvWizard::CsvWizard(const QString &programFolder, UiServices services, QWidget *parent)
    : ExportWizard(programFolder, services, csvSetup(), parent)
{
    addDiscPage("frameChoseXML", "Select CD/DVD",
                "Click on XML file to select it. After that click Next button.");
    QGroupBox *location = addLocationPage(
        "frameChoseLocation", "Chose location and name for CSV file", "Frame1", "Enter file name",
        "txtFileName",
        "First select location for new CSV file then write file name below. After that click "
        "Finish button.",
        QDir::currentPath());
    m_title =
        new QCheckBox(QStringLiteral("Use first row in csv file for columns title"), location);
    m_title->setObjectName(QStringLiteral("chkTitle"));
    m_title->setChecked(true);
    location->layout()->addWidget(m_title);
    finishPages();
}

ExportOptions CsvWizard::options() const
{
    ExportOptions o;
    o.titleRow = m_title->isChecked();
    return o;
}

} // namespace orlith
