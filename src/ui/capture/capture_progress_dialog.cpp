// Orlith — desktop catalogue of removable media.
#include "ui/capture/capture_progress_dialog.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace orlith {

CaptureProgressDialog::CaptureProgressDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInportProgres"));
    setWindowTitle(QStringLiteral("Orlith"));
    setModal(false);
    auto *outer = new QVBoxLayout(this);
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(frame);
    m_label = new QLabel(frame);
    m_label->setObjectName(QStringLiteral("Label"));
    m_label->setMinimumWidth(320);
    m_bar = new QProgressBar(frame);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setRange(0, 100);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    outer->addWidget(frame);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(kCloseAfterMs);
    connect(m_timer, &QTimer::timeout, this, &QDialog::close);
}

void CaptureProgressDialog::setProgress(const QString &text, int percent)
{
    m_label->setText(text);
    m_bar->setValue(std::clamp(percent, 0, 100));
}

QString CaptureProgressDialog::text() const
{
    return m_label->text();
}

int CaptureProgressDialog::value() const
{
    return m_bar->value();
}

void CaptureProgressDialog::finishSoon()
{
    m_finished = true;
    m_timer->start();
}

void CaptureProgressDialog::closeEvent(QCloseEvent *event)
{
    if (!m_finished)
        emit cancelRequested();
    QDialog::closeEvent(event);
}

void CaptureProgressDialog::reject()
{
    if (!m_finished)
        emit cancelRequested();
    QDialog::reject();
}

} // namespace orlith
