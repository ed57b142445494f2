// Orlith — desktop catalogue of removable media.
// The delimited-text wizard (TextWizard): a separator and an optional qualifier of the
// user's choice.
#pragma once

#include "ui/export/export_wizard.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace orlith {

class TextWizard final : public ExportWizard
{
    Q_OBJECT

public:
    explicit TextWizard(const QString &programFolder, UiServices services = {},
                        QWidget *parent = nullptr);

protected:
    bool canLeave(QGroupBox *page) override;
    ExportOptions options() const override;

private:
    QGroupBox *m_formatPage = nullptr;
    QRadioButton *m_other = nullptr;
    QList<std::pair<QRadioButton *, char>> m_fixedSeparators;
    QLineEdit *m_separatorBox = nullptr;
    QCheckBox *m_useQualifier = nullptr;
    QComboBox *m_qualifierBox = nullptr;
    QCheckBox *m_title = nullptr;
    // Set when the format page is left; a null qualifier means none.
    QChar m_separator;
    QChar m_qualifier;
};

} // namespace orlith
