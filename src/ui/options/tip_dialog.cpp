// Orlith — desktop catalogue of removable media.
#include "ui/options/tip_dialog.h"

#include "core/settings/settings_record.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace orlith {

TipDialog::TipDialog(SettingsRecord &settings, QWidget *parent, TipPicker::RandomSource random)
    : QDialog(parent), m_settings(settings), m_picker(std::move(random))
{
    setObjectName(QStringLiteral("frmTip"));
    setWindowTitle(QStringLiteral("Tip of the day"));

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("frameTip"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setBackgroundRole(QPalette::Base);
    frame->setAutoFillBackground(true);

    auto *picture = new QLabel(frame);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *heading = new QLabel(QStringLiteral("Did you know..."), frame);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.2);
    heading->setFont(headingFont);

    m_tip = new QLabel(frame);
    m_tip->setObjectName(QStringLiteral("lblTip"));
    m_tip->setWordWrap(true);
    m_tip->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    // Room for the longest tip, so the window keeps its size from tip to tip.
    m_tip->setMinimumSize(340, 80);

    auto *text = new QVBoxLayout;
    text->addWidget(heading);
    text->addWidget(m_tip, 1);
    auto *frameLayout = new QHBoxLayout(frame);
    frameLayout->addWidget(picture);
    frameLayout->addLayout(text, 1);

    m_showTips = new QCheckBox(QStringLiteral("Show tips at startup"), this);
    m_showTips->setObjectName(QStringLiteral("chkShowTips"));
    m_showTips->setChecked(m_settings.tipsAtStart());

    auto *next = new QPushButton(QStringLiteral("Next Tip"), this);
    next->setObjectName(QStringLiteral("cmdNext"));
    next->setAutoDefault(false);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setDefault(true);
    connect(next, &QPushButton::clicked, this, &TipDialog::showNextTip);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_showTips);
    buttons->addStretch(1);
    buttons->addWidget(next);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);

    showNextTip();
}

void TipDialog::showNextTip()
{
    const int k = m_picker.next();
    setWindowTitle(tipCaption(k));
    m_tip->setText(tipText(k));
}

void TipDialog::done(int result)
{
    // The close box and Escape both end in reject(), so every way out passes here.
    m_settings.setTipsAtStart(m_showTips->isChecked());
    QDialog::done(result);
}

} // namespace orlith
