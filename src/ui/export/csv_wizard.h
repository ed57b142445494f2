// Orlith — desktop catalogue of removable media.
// The CSV wizard (CsvWizard): discs to semicolon-separated, quoted fields.
#pragma once

#include "ui/export/export_wizard.h"

class QCheckBox;

namespace orlith {

class CsvWizard final : public ExportWizard
{
    Q_OBJECT

public:
    explicit CsvWizard(const QString &programFolder, UiServices services = {},
                       QWidget *parent = nullptr);

protected:
    ExportOptions options() const override;

private:
    QCheckBox *m_title = nullptr;
};

} // namespace orlith
