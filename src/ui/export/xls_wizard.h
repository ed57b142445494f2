// Orlith — desktop catalogue of removable media.
// The spreadsheet wizard (XlsWizard): discs to a BIFF2 sheet.
#pragma once

#include "ui/export/export_wizard.h"

namespace orlith {

class XlsWizard final : public ExportWizard
{
    Q_OBJECT

public:
    explicit XlsWizard(const QString &programFolder, UiServices services = {},
                       QWidget *parent = nullptr);
};

} // namespace orlith
