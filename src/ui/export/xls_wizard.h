// Orlith — desktop catalogue of removable media.
// The spreadsheet wizards: discs to a BIFF2 sheet (XlsWizard) or to an Excel 2007+ workbook
// (XlsxWizard), the same pages either way.
#pragma once

#include "ui/export/export_wizard.h"

namespace orlith {

class XlsWizard : public ExportWizard
{
    Q_OBJECT

public:
    explicit XlsWizard(const QString &programFolder, UiServices services = {},
                       QWidget *parent = nullptr);

protected:
    XlsWizard(const QString &programFolder, UiServices services, const ExportWizardSetup &setup,
              QWidget *parent);
    void addPages(const char *locationCaption, const char *locationInstruction);
};

class XlsxWizard final : public XlsWizard
{
    Q_OBJECT

public:
    explicit XlsxWizard(const QString &programFolder, UiServices services = {},
                        QWidget *parent = nullptr);
};

} // namespace orlith
