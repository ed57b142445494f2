// Orlith — desktop catalogue of removable media.
#pragma once

#include "ui/common/ui_services.h"

#include <QDialog>

#include <functional>

class QLineEdit;

namespace orlith {

// A name typed and checked: the new-catalog dialog and the rename dialog differ only in
// their texts and in what OK does. `apply` makes the change
// and returns the message to show, or an empty text when done; the dialog then closes.
class NameEntryDialog : public QDialog
{
    Q_OBJECT

public:
    struct Texts
    {
        QString objectName; // "frmNewCat" / "frmRename"
        QString title;      // "New Catalog" / "Rename"
        QString prompt;     // "Enter name for new catalog:" / "Enter new name:"
        QString fieldName;  // "txtCatName" / "txtNewName"
    };
    using Apply = std::function<QString(const QString &name)>;

    NameEntryDialog(const Texts &texts, const QString &initialName, Apply apply,
                    UiServices services, QWidget *parent = nullptr);

    QString name() const;
    void setName(const QString &name);
    // The OK button: `apply`, then closes or shows its message.
    void okClicked();

private:
    Apply m_apply;
    UiServices m_services;
    QLineEdit *m_name = nullptr;
};

NameEntryDialog::Texts newCatalogTexts();
NameEntryDialog::Texts renameTexts();

} // namespace orlith
