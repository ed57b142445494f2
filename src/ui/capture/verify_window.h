// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/capture/disc_verify.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace orlith {

class ExtensionTable;
class FileListModel;

// "Verify CD/DVD": the progress of a verify (files read, MB/s, time left) and, once it has
// ended, the files that differ, one list per kind (sortable, coloured like the main list),
// with their counts and the summary. Cancel stops the verify and keeps what was found; OK
// closes once it has ended. The window starts the task it is given and owns nothing else.
class VerifyWindow : public QDialog
{
    Q_OBJECT

public:
    enum List { Changed, Missing, Unreadable, New, NotChecksummed, ListCount };

    VerifyWindow(const QString &disc, VerifyTask *task, const ExtensionTable &extensions,
                 QWidget *parent = nullptr);

    FileListModel &list(List which) const;
    bool ended() const { return m_ended; }

signals:
    // The verify has ended; the lists are filled.
    void verifyEnded(const orlith::StoreResult &result);

protected:
    void reject() override;

private:
    void showProgress(const VerifyProgress &progress);
    void showReport(const StoreResult &result);

    QString m_disc;
    VerifyTask *m_task;
    const ExtensionTable &m_extensions;
    QLabel *m_text = nullptr;
    QProgressBar *m_bar = nullptr;
    QLabel *m_rate = nullptr;
    QTabWidget *m_tabs = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_ok = nullptr;
    FileListModel *m_lists[ListCount] = {};
    bool m_ended = false;
};

} // namespace orlith
