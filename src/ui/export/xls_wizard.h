// Orlith — desktop catalogue of removable media.
// The spreadsheet wizard (frmExportXLS): discs to a BIFF2 sheet.
#pragma once

#include "ui/export/export_wizard.h"

namespace orlith {

class frmExportXLS final : public ExportWizard
{
    Q_OBJECT

public:
    explicit frmExportXLS(const QString &programFolder, UiServices services = {},
                          QWidget *parent = nullptr);
};

} // namespace orlith
