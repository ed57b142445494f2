// Orlith — desktop catalogue of removable media.
#pragma once

#include "mainwin/ui_services.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace orlith {

class DriveProvider;
class StoreEdits;

// The new-disc dialog (frmNewCD): a name, a catalog and a drive. In "Virtual" mode (saving
// a list as a disc) the drive is neither shown nor checked. Accepts only when every check
// of StoreEdits::checkNewDisc passes; otherwise shows its message and stays open.
class frmNewCD : public QDialog
{
    Q_OBJECT

public:
    frmNewCD(const QStringList &catalogs, StoreEdits &edits, DriveProvider &drives,
             UiServices services, bool virtualMode, QWidget *parent = nullptr);

    QString discName() const;
    QString catalog() const;
    QString drive() const;

    // Command1 (OK): checks, then accepts or shows the message.
    void Command1Click();

private:
    StoreEdits &m_edits;
    DriveProvider &m_drives;
    UiServices m_services;
    bool m_virtual;
    QLineEdit *m_name = nullptr;
    QComboBox *m_catalog = nullptr;
    QComboBox *m_drive = nullptr;
};

} // namespace orlith
