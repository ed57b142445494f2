// Orlith — desktop catalogue of removable media.
// The export menu: one modal wizard per format.
#include "ui/main/form1_window.h"

#include "ui/export/csv_wizard.h"
#include "ui/export/html_wizard.h"
#include "ui/export/sql_wizard.h"
#include "ui/export/text_wizard.h"
#include "ui/export/xls_wizard.h"

namespace orlith {

void Form1::exportSql()
{
    frmSQL wizard(m_programFolder, m_services, this);
    wizard.exec();
}

void Form1::exportExcel()
{
    frmExportXLS wizard(m_programFolder, m_services, this);
    wizard.exec();
}

void Form1::exportHtml()
{
    frmHTML wizard(m_programFolder, m_services, this);
    wizard.exec();
}

void Form1::exportCsv()
{
    frmCSV wizard(m_programFolder, m_services, this);
    wizard.exec();
}

void Form1::exportText()
{
    frmText wizard(m_programFolder, m_services, this);
    wizard.exec();
}

} // namespace orlith
