// Orlith — desktop catalogue of removable media.
#include "ui/capture/capture_progress_dialog.h"

#include <QFrame>
#include <QLabel>
#include <QLocale>
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
    m_details = new QLabel(frame);
    m_details->setObjectName(QStringLiteral("progressDetails"));
    m_folder = new QLabel(frame);
    m_folder->setObjectName(QStringLiteral("progressFolder"));
    // Elided to fit, so a deep folder never widens the window.
    m_folder->setMinimumWidth(320);
    m_folder->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_rate = new QLabel(frame);
    m_rate->setObjectName(QStringLiteral("progressRate"));
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_details);
    layout->addWidget(m_folder);
    layout->addWidget(m_rate);
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

void CaptureProgressDialog::setDetails(const CaptureDetails &details)
{
    const QLocale locale;
    // No total yet: a busy bar rather than one that sits at 0%.
    if (details.walking) {
        m_bar->setRange(0, 0);
        m_details->setText(tr("%1 files found").arg(locale.toString(details.filesFound)));
    } else {
        m_bar->setRange(0, 100);
        m_details->setText(
            tr("%1 of %2 files")
                .arg(locale.toString(details.filesDone), locale.toString(details.filesFound)));
    }
    m_rate->setText(details.rate);
    m_folderPath = details.folder;
    showFolder();
}

void CaptureProgressDialog::showFolder()
{
    m_folder->setText(m_folder->fontMetrics().elidedText(m_folderPath, Qt::ElideMiddle,
                                                         m_folder->contentsRect().width()));
    m_folder->setToolTip(m_folderPath);
}

void CaptureProgressDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    showFolder();
}

QString CaptureProgressDialog::detailsText() const
{
    return m_details->text();
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
