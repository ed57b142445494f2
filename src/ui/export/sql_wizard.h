// Orlith — desktop catalogue of removable media.
// The SQL wizard (SqlWizard): a dialect, the discs, the file, and the database and table
// statements to include.
#pragma once

#include "ui/export/export_wizard.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace orlith {

class SqlWizard final : public ExportWizard
{
    Q_OBJECT

public:
    explicit SqlWizard(const QString &programFolder, UiServices services = {},
                       QWidget *parent = nullptr);

protected:
    bool canLeave(QGroupBox *page) override;
    bool canFinish() override;
    ExportOptions options() const override;

private:
    QRadioButton *m_mySql = nullptr;
    QCheckBox *m_createDatabase = nullptr;
    QLineEdit *m_databaseName = nullptr;
    QCheckBox *m_createTable = nullptr;
    QLineEdit *m_tableName = nullptr;
};

} // namespace orlith
