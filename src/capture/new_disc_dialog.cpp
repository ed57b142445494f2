// Orlith — desktop catalogue of removable media.
#include "new_disc_dialog.h"

#include "capture/drives.h"
#include "capture/store_edits.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orlith {

frmNewCD::frmNewCD(const QStringList &catalogs, StoreEdits &edits, DriveProvider &drives,
                   UiServices services, bool virtualMode, QWidget *parent)
    : QDialog(parent), m_edits(edits), m_drives(drives), m_services(services),
      m_virtual(virtualMode)
{
    setObjectName(QStringLiteral("frmNewCD"));
    setWindowTitle(QStringLiteral("New CD/DVD"));

    auto *grid = new QGridLayout(this);
    auto *label1 = new QLabel(QStringLiteral("Enter name for new CD/DVD:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtNewCDName"));
    auto *label2 = new QLabel(QStringLiteral("Chose catalog for this CD:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    // The combos list choices only; nothing can be typed into them.
    m_catalog = new QComboBox(this);
    m_catalog->setObjectName(QStringLiteral("comCDCat"));
    m_catalog->addItem(QString::fromLatin1(kChoseCatalogText));
    m_catalog->addItems(catalogs);
    auto *label3 = new QLabel(QStringLiteral("Chose CD/DVD drive:"), this);
    label3->setObjectName(QStringLiteral("Label3"));
    m_drive = new QComboBox(this);
    m_drive->setObjectName(QStringLiteral("comCDROMs"));
    if (!m_virtual) {
        for (const QString &d : m_drives.ListDiscDrives()) {
            const QString label = m_drives.volumeLabel(d);
            m_drive->addItem(label.isEmpty() ? d : d + QStringLiteral("  [") + label + QLatin1Char(']'), d);
        }
    }
    label3->setVisible(!m_virtual);
    m_drive->setVisible(!m_virtual);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &frmNewCD::Command1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_name, 1, 0);
    grid->addWidget(label2, 2, 0);
    grid->addWidget(m_catalog, 3, 0);
    grid->addWidget(label3, 4, 0);
    grid->addWidget(m_drive, 5, 0);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 6, 0);
    setMinimumWidth(340);
}

QString frmNewCD::discName() const
{
    return m_name->text();
}

QString frmNewCD::catalog() const
{
    return m_catalog->currentText();
}

QString frmNewCD::drive() const
{
    return m_virtual ? QString() : m_drive->currentData().toString();
}

void frmNewCD::Command1Click()
{
    const NewDiscInput input{discName(), catalog(), drive(), m_virtual};
    if (EditResult r = m_edits.checkNewDisc(input, &m_drives); !r) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.message);
        return;
    }
    accept();
}

} // namespace orlith
