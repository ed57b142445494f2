// Orlith — desktop catalogue of removable media.
// The export menus: one modal wizard per format, over chosen discs or over the list.
#include "ui/main/main_window.h"

#include "ui/main/file_list_model.h"

#include "ui/export/csv_wizard.h"
#include "ui/export/html_wizard.h"
#include "ui/export/sql_wizard.h"
#include "ui/export/text_wizard.h"
#include "ui/export/xls_wizard.h"

namespace orlith {

namespace {

constexpr char kEmptyListMessage[] = "List is empty.There is no files to export.";

std::unique_ptr<ExportWizard> makeWizard(ExportFormat format, const QString &programFolder,
                                         UiServices services, QWidget *parent)
{
    switch (format) {
    case ExportFormat::Csv:
        return std::make_unique<CsvWizard>(programFolder, services, parent);
    case ExportFormat::Text:
        return std::make_unique<TextWizard>(programFolder, services, parent);
    case ExportFormat::Html:
        return std::make_unique<HtmlWizard>(programFolder, services, parent);
    case ExportFormat::Sql:
        return std::make_unique<SqlWizard>(programFolder, services, parent);
    case ExportFormat::Xls:
        return std::make_unique<XlsWizard>(programFolder, services, parent);
    case ExportFormat::Xlsx:
        return std::make_unique<XlsxWizard>(programFolder, services, parent);
    }
    return nullptr;
}

} // namespace

void MainWindow::exportList(ExportFormat format)
{
    if (m_listModel->rowCount() == 0) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                   QString::fromLatin1(kEmptyListMessage));
        return;
    }
    const std::unique_ptr<ExportWizard> wizard =
        makeWizard(format, m_programFolder, m_services, this);
    // The rows as the list shows them now, sorted or not.
    wizard->exportListRows(m_listModel->rows());
    wizard->exec();
}

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
