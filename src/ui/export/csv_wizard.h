// Orlith — desktop catalogue of removable media.
// The CSV wizard (frmCSV): discs to semicolon-separated, quoted fields.
#pragma once

#include "ui/export/export_wizard.h"

class QCheckBox;

namespace orlith {

class frmCSV final : public ExportWizard
{
    Q_OBJECT

public:
    explicit frmCSV(const QString &programFolder, UiServices services = {},
                    QWidget *parent = nullptr);

protected:
    ExportOptions options() const override;

private:
    QCheckBox *m_title = nullptr;
};

} // namespace orlith
