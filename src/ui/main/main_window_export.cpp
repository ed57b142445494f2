// Orlith — desktop catalogue of removable media.
// The export menu: one modal wizard per format.
#include "ui/main/main_window.h"

#include "ui/export/csv_wizard.h"
#include "ui/export/html_wizard.h"
#include "ui/export/sql_wizard.h"
#include "ui/export/text_wizard.h"
#include "ui/export/xls_wizard.h"

namespace orlith {

void MainWindow::exportSql()
{
    SqlWizard wizard(m_programFolder, m_services, this);
    wizard.exec();
}

void MainWindow::exportExcel()
{
    XlsWizard wizard(m_programFolder, m_services, this);
    wizard.exec();
}

void MainWindow::exportXlsx()
{
    XlsxWizard wizard(m_programFolder, m_services, this);
    wizard.exec();
}

void MainWindow::exportHtml()
{
    HtmlWizard wizard(m_programFolder, m_services, this);
    wizard.exec();
}

void MainWindow::exportCsv()
{
    CsvWizard wizard(m_programFolder, m_services, this);
    wizard.exec();
}

void MainWindow::exportText()
{
    TextWizard wizard(m_programFolder, m_services, this);
    wizard.exec();
}

} // namespace orlith
