// Orlith — desktop catalogue of removable media.
// The overwrite question of the restore window.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace orlith {

// FileExistDialog: "Yes", "Yes to all", "No", "No to all". A button writes "Yes", "YesAll",
// "No" or "NoAll" into the answer box it was given and closes; closing the window
// otherwise leaves the box as it was.
class FileExistDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FileExistDialog(QLineEdit *answerBox, QWidget *parent = nullptr);

    void setInformation(const QString &text);

private:
    void answer(const QString &text);

    QLineEdit *m_answerBox;
    QLabel *m_information = nullptr;
};

} // namespace orlith
