// Orlith — desktop catalogue of removable media.
// The HTML wizard (frmHTML): discs to one HTML table.
#pragma once

#include "ui/export/export_wizard.h"

namespace orlith {

class frmHTML final : public ExportWizard
{
    Q_OBJECT

public:
    explicit frmHTML(const QString &programFolder, UiServices services = {},
                     QWidget *parent = nullptr);
};

} // namespace orlith
