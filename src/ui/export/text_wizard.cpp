// Orlith — desktop catalogue of removable media.
#include "ui/export/text_wizard.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orlith {

namespace {

// The separator and qualifier boxes show the window colour while they can be used and the
// button-face colour while they cannot, whatever a theme gives disabled text boxes.
void useButtonFaceWhenDisabled(QWidget *box, const QPalette &colors)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Disabled, QPalette::Base,
               colors.color(QPalette::Active, QPalette::Button));
    box->setPalette(p);
}

ExportWizardSetup textSetup()
{
    ExportWizardSetup s;
    s.format = ExportFormat::Text;
    s.objectName = "frmText";
    s.caption = "Text tool";
    s.successMessage = "Text file successfuly created.";
    return s;
}

} // namespace

TextWizard::TextWizard(const QString &programFolder, UiServices services, QWidget *parent)
    : ExportWizard(programFolder, services, textSetup(), parent)
{
    addDiscPage("frameChoseXML", "Select CD/DVD",
                "Click on XML file to select it. After that click Next button.");

    m_formatPage = addPage("frmChoseFormat", "Chose format of text file");
    auto *separators = new QGroupBox(QStringLiteral("Chose data separator"), m_formatPage);
    separators->setObjectName(QStringLiteral("frmDataSeparator"));
    auto *grid = new QGridLayout(separators);
    auto *group = new QButtonGroup(this);
    const std::pair<const char *, const char *> options[] = {{"optComma", "Comma"},
                                                             {"optsemicolon", "Semicolon"},
                                                             {"optTab", "Tab"},
                                                             {"optSpace", "Space"},
                                                             {"optOther", "Other"}};
    const char codes[] = {',', ';', '\t', ' '};
    for (int i = 0; i < 5; ++i) {
        auto *option = new QRadioButton(QString::fromLatin1(options[i].second), separators);
        option->setObjectName(QLatin1String(options[i].first));
        group->addButton(option);
        grid->addWidget(option, i, 0);
        if (i < 4)
            m_fixedSeparators.append({option, codes[i]});
        else
            m_other = option;
    }
    m_fixedSeparators.first().first->setChecked(true);
    m_separatorBox = new QLineEdit(separators);
    m_separatorBox->setObjectName(QStringLiteral("txtSeparator"));
    m_separatorBox->setMaxLength(1);
    m_separatorBox->setEnabled(false);
    useButtonFaceWhenDisabled(m_separatorBox, palette());
    grid->addWidget(m_separatorBox, 4, 1);
    connect(group, &QButtonGroup::buttonToggled, this,
            [this] { m_separatorBox->setEnabled(m_other->isChecked()); });

    auto *qualifiers = new QGroupBox(QStringLiteral("Chose qualifier"), m_formatPage);
    qualifiers->setObjectName(QStringLiteral("frmQualifier"));
    auto *qualifierLayout = new QVBoxLayout(qualifiers);
    m_useQualifier = new QCheckBox(QStringLiteral("Chose data qualifier"), qualifiers);
    m_useQualifier->setObjectName(QStringLiteral("chkDataQualifier"));
    // A list to pick from: only the two quotes can be chosen. Its text box is read-only, so
    // a typed key changes nothing (a plain drop-down would jump to the item it starts).
    m_qualifierBox = new QComboBox(qualifiers);
    m_qualifierBox->setObjectName(QStringLiteral("comQualifier"));
    m_qualifierBox->setEditable(true);
    m_qualifierBox->lineEdit()->setReadOnly(true);
    m_qualifierBox->setInsertPolicy(QComboBox::NoInsert);
    m_qualifierBox->addItems({QStringLiteral("\""), QStringLiteral("'")});
    m_qualifierBox->setCurrentIndex(-1);
    m_qualifierBox->setEnabled(false);
    useButtonFaceWhenDisabled(m_qualifierBox, palette());
    connect(m_useQualifier, &QCheckBox::toggled, m_qualifierBox, &QWidget::setEnabled);
    qualifierLayout->addWidget(m_useQualifier);
    qualifierLayout->addWidget(m_qualifierBox);

    m_formatPage->layout()->addWidget(separators);
    m_formatPage->layout()->addWidget(qualifiers);

    QGroupBox *location = addLocationPage(
        "frameChoseLocation", "Chose location and name for text file", "Frame1", "Enter file name",
        "txtFileName",
        "First select location for new text file then write file name below. After that "
        "click Finish button.",
        QDir::currentPath());
    m_title =
        new QCheckBox(QStringLiteral("Use first row in text file for columns title"), location);
    m_title->setObjectName(QStringLiteral("chkTitle"));
    m_title->setChecked(true);
    location->layout()->addWidget(m_title);
    finishPages();
}

bool TextWizard::canLeave(QGroupBox *page)
{
    if (page != m_formatPage)
        return ExportWizard::canLeave(page);
    QString separator = m_separatorBox->text();
    for (const auto &[option, code] : std::as_const(m_fixedSeparators)) {
        if (option->isChecked())
            separator = QString(QLatin1Char(code));
    }
    const QString qualifier = m_qualifierBox->currentText();
    const QString problem = textFormatProblem(separator, m_useQualifier->isChecked(), qualifier);
    if (!problem.isEmpty()) {
        // These two come with the information icon, though titled "Error".
        m_services.messages->information(this, QLatin1String(kErrorTitle), problem);
        return false;
    }
    m_separator = separator.at(0);
    m_qualifier = m_useQualifier->isChecked() ? qualifier.at(0) : QChar();
    return true;
}

ExportOptions TextWizard::options() const
{
    ExportOptions o;
    o.titleRow = m_title->isChecked();
    o.separator = m_separator;
    o.qualifier = m_qualifier;
    return o;
}

} // namespace orlith
