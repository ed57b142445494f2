// Orlith — desktop catalogue of removable media.
#include "ui/capture/name_entry_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orlith {

NameEntryDialog::NameEntryDialog(const Texts &texts, const QString &initialName, Apply apply,
                                 UiServices services, QWidget *parent)
    : QDialog(parent), m_apply(std::move(apply)), m_services(services)
{
    setObjectName(texts.objectName);
    setWindowTitle(texts.title);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(texts.prompt, this);
    label->setObjectName(QStringLiteral("Label1"));
    m_name = new QLineEdit(initialName, this);
    m_name->setObjectName(texts.fieldName);
    m_name->selectAll();
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &NameEntryDialog::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addWidget(label);
    layout->addWidget(m_name);
    layout->addLayout(buttons);
    setMinimumWidth(320);
}

QString NameEntryDialog::name() const
{
    return m_name->text();
}

void NameEntryDialog::setName(const QString &name)
{
    m_name->setText(name);
}

void NameEntryDialog::okClicked()
{
    const QString message = m_apply(name());
    if (!message.isEmpty()) {
        m_services.messages->error(this, QStringLiteral("Error"), message);
        return;
    }
    accept();
}

NameEntryDialog::Texts newCatalogTexts()
{
    return {QStringLiteral("frmNewCat"), QStringLiteral("New Catalog"),
            QStringLiteral("Enter name for new catalog:"), QStringLiteral("txtCatName")};
}

NameEntryDialog::Texts renameTexts()
{
    return {QStringLiteral("frmRename"), QStringLiteral("Rename"),
            QStringLiteral("Enter new name:"), QStringLiteral("txtNewName")};
}

} // namespace orlith
