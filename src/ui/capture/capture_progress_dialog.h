// Orlith — desktop catalogue of removable media.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QTimer;

namespace orlith {

// The capture's progress window (CaptureProgressDialog): a text and a bar from 0 to 100. Once
// the capture is done it closes itself five seconds later. Closing it (or Esc) while the
// capture runs asks to cancel the capture.
class CaptureProgressDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kCloseAfterMs = 5000;

    explicit CaptureProgressDialog(QWidget *parent = nullptr);

    void setProgress(const QString &text, int percent);
    QString text() const;
    int value() const;
    // Starts the close timer, which closes the window after kCloseAfterMs.
    void finishSoon();

signals:
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    QLabel *m_label = nullptr;
    QProgressBar *m_bar = nullptr;
    QTimer *m_timer = nullptr;
    bool m_finished = false;
};

} // namespace orlith
