// Orlith — desktop catalogue of removable media.
#include "ui/archive/file_exist_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace orlith {

FileExistDialog::FileExistDialog(QLineEdit *answerBox, QWidget *parent)
    : QDialog(parent), m_answerBox(answerBox)
{
    setObjectName(QStringLiteral("frmFileExist"));
    setWindowTitle(QStringLiteral("Overwrite"));

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcon"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    m_information = new QLabel(this);
    m_information->setObjectName(QStringLiteral("lblInformation"));
    m_information->setWordWrap(true);

    auto *text = new QHBoxLayout;
    text->addWidget(icon, 0, Qt::AlignTop);
    text->addWidget(m_information, 1);
    auto *buttons = new QHBoxLayout;
    const struct
    {
        const char *name;
        const char *caption;
        const char *answer;
    } kButtons[] = {{"cmdYes", "Yes", "Yes"},
                    {"cmdYesAll", "Yes to all", "YesAll"},
                    {"cmdNO", "No", "No"},
                    {"cmdNoAll", "No to all", "NoAll"}};
    for (const auto &b : kButtons) {
        auto *button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
        const QString value = QString::fromLatin1(b.answer);
        connect(button, &QPushButton::clicked, this, [this, value] { answer(value); });
        buttons->addWidget(button);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(text);
    layout->addLayout(buttons);
}

void FileExistDialog::setInformation(const QString &text)
{
    m_information->setText(text);
}

void FileExistDialog::answer(const QString &text)
{
    if (m_answerBox)
        m_answerBox->setText(text);
    accept();
}

} // namespace orlith
