// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/capture/progress_estimate.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QTimer;

namespace orlith {

// The capture's progress window (CaptureProgressDialog): a text and a bar from 0 to 100, and
// under them the files found or read, the folder being read and the speed. While the files
// are still being listed the bar only shows that work goes on. Once the capture is done it
// closes itself five seconds later. Closing it (or Esc) while the
// capture runs asks to cancel the capture.
class CaptureProgressDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kCloseAfterMs = 5000;

    explicit CaptureProgressDialog(QWidget *parent = nullptr);

    void setProgress(const QString &text, int percent);
    void setDetails(const CaptureDetails &details);
    QString text() const;
    int value() const;
    // The details as shown, the folder whole (its label may elide it).
    QString detailsText() const;
    const QString &folder() const { return m_folderPath; }
    // Starts the close timer, which closes the window after kCloseAfterMs.
    void finishSoon();

signals:
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_label = nullptr;
    QProgressBar *m_bar = nullptr;
    QLabel *m_details = nullptr;
    QLabel *m_folder = nullptr;
    QLabel *m_rate = nullptr;
    QString m_folderPath;
    void showFolder();
    QTimer *m_timer = nullptr;
    bool m_finished = false;
};

} // namespace orlith
