// Orlith — desktop catalogue of removable media.
// The HTML wizard (HtmlWizard): discs to one HTML table.
#pragma once

#include "ui/export/export_wizard.h"

namespace orlith {

class HtmlWizard final : public ExportWizard
{
    Q_OBJECT

public:
    explicit HtmlWizard(const QString &programFolder, UiServices services = {},
                        QWidget *parent = nullptr);
};

} // namespace orlith
