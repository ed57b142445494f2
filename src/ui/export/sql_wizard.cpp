// Orlith — desktop catalogue of removable media.
#include "ui/export/sql_wizard.h"

#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orlith {

namespace {

ExportWizardSetup sqlSetup()
{
    ExportWizardSetup s;
    s.format = ExportFormat::Sql;
    s.objectName = "frmSQL";
    s.caption = "SQL exporter";
    s.successMessage = "SQL file successfuly created.";
    s.selectMessage = "You must select file for export.";
    s.enterAndEscape = false;
    return s;
}

QLabel *label(const char *objectName, const char *text, QWidget *parent)
{
    auto *l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QLatin1String(objectName));
    return l;
}

// A frame without caption holding a check box that enables a label and its name box.
QGroupBox *nameFrame(const char *frameName, QCheckBox *check, QLabel *caption, QLineEdit *box,
                     QWidget *parent)
{
    auto *frame = new QGroupBox(parent);
    frame->setObjectName(QLatin1String(frameName));
    auto *grid = new QGridLayout(frame);
    check->setParent(frame);
    caption->setParent(frame);
    box->setParent(frame);
    grid->addWidget(check, 0, 0, 1, 2);
    grid->addWidget(caption, 1, 0);
    grid->addWidget(box, 1, 1);
    caption->setEnabled(false);
    box->setEnabled(false);
    QObject::connect(check, &QCheckBox::toggled, caption, &QWidget::setEnabled);
    QObject::connect(check, &QCheckBox::toggled, box, &QWidget::setEnabled);
    return frame;
}

} // namespace

SqlWizard::SqlWizard(const QString &programFolder, UiServices services, QWidget *parent)
    : ExportWizard(programFolder, services, sqlSetup(), parent)
{
    QGroupBox *dialect = addPage("frameChoseSQL", "Chose SQL statements tipe");
    m_mySql = new QRadioButton(
        QStringLiteral("Export my CD/DVD as statements compatibile with MySQL database server"),
        dialect);
    m_mySql->setObjectName(QStringLiteral("optMySQL"));
    m_mySql->setChecked(true);
    auto *msSql = new QRadioButton(QStringLiteral("Export my CD/DVD as statements compatible "
                                                  "with Microsoft SQL detabese server"),
                                   dialect);
    msSql->setObjectName(QStringLiteral("optMSSQL"));
    QFont big(QStringLiteral("Arial"), 28, QFont::Bold);
    QLabel *sql = label("Label3", "SQL", dialect);
    QLabel *database = label("Label4", "database", dialect);
    sql->setFont(big);
    database->setFont(big);
    auto *title = new QHBoxLayout;
    title->addWidget(sql);
    title->addWidget(database);
    title->addStretch();
    auto *layout = static_cast<QVBoxLayout *>(dialect->layout());
    layout->addLayout(title);
    layout->addStretch();
    layout->addWidget(m_mySql);
    layout->addWidget(msSql);
    layout->addStretch();

    addDiscPage("frameChoseXML", "Chose CD/DVD to export",
                "Chose your CD/DVD by clicking on it and after that click Next button");
    addLocationPage("frameFileLocation", "Chose locatin for SQL file", "frmImeSQL",
                    "Name for your SQL file", "txtSQLFileName",
                    "First you can chose location for new SQL file. After that you must enter "
                    "name for your file.",
                    programFolder);

    QGroupBox *option = addPage("frameOption", "Select other options");
    m_createDatabase = new QCheckBox(QStringLiteral("Include statements for creating database"));
    m_createDatabase->setObjectName(QStringLiteral("chkCreateDatabase"));
    m_databaseName = new QLineEdit(QStringLiteral("MyFiles"));
    m_databaseName->setObjectName(QStringLiteral("txtdatabaseName"));
    option->layout()->addWidget(nameFrame("Frame1", m_createDatabase,
                                          label("lblDatabaseName", "Database name:", nullptr),
                                          m_databaseName, option));
    m_createTable = new QCheckBox(QStringLiteral("Include statement for creating table"));
    m_createTable->setObjectName(QStringLiteral("chkCreateTable"));
    m_tableName = new QLineEdit(QStringLiteral("CDFiles"));
    m_tableName->setObjectName(QStringLiteral("txtTableName"));
    option->layout()->addWidget(nameFrame("Frame2", m_createTable,
                                          label("lblTableName", "Table name: ", nullptr),
                                          m_tableName, option));
    finishPages();
}

bool SqlWizard::canLeave(QGroupBox *page)
{
    if (page == locationPage() && fileName().isEmpty()) {
        showError(QStringLiteral("You must enter file name"));
        return false;
    }
    return ExportWizard::canLeave(page);
}

// The name was checked on the location page; here the database and table names are,
// whether or not their statements are wanted.
bool SqlWizard::canFinish()
{
    const QString problem = sqlNamesProblem(m_databaseName->text(), m_tableName->text());
    if (!problem.isEmpty()) {
        showError(problem);
        return false;
    }
    return true;
}

ExportOptions SqlWizard::options() const
{
    ExportOptions o;
    o.dialect = m_mySql->isChecked() ? SqlDialect::MySql : SqlDialect::MsSql;
    o.createDatabase = m_createDatabase->isChecked();
    o.databaseName = m_databaseName->text();
    o.createTable = m_createTable->isChecked();
    o.tableName = m_tableName->text();
    return o;
}

} // namespace orlith
