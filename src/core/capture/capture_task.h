// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/capture/capture_job.h"
#include "core/capture/disc_update.h"

#include <QObject>

#include <memory>

namespace orlith {

class BackgroundJob;

// A capture of a disc, or a new walk of a disc being updated, run on a worker. While it
// runs it reports the progress texts and hands over, once the walk has ended, the rows
// with sizes and dates in batches; finished() is the last signal, also after cancel().
// An update writes nothing: once the walk is done it compares it with the stored entries
// (a disc of 100,000 files takes a while to match) and update() holds the comparison.
class CaptureTask : public QObject
{
    Q_OBJECT

public:
    // A capture into a new disc file, as `request` says.
    explicit CaptureTask(const CaptureRequest &request, QObject *parent = nullptr);
    // An update of request.discName, whose file held `stored` when it was read as `readAs`.
    CaptureTask(const CaptureRequest &request, QList<FileEntry> stored, DiscIdentity readAs,
                QObject *parent = nullptr);
    // Cancels a capture still running and waits for its worker.
    ~CaptureTask() override;

    void start();
    // The capture stops at its next check and writes nothing; finished() follows.
    void cancel();
    bool running() const;

    bool isUpdate() const { return m_job.request().walkOnly; }
    // Counts and messages of the capture; read them once finished() came.
    const CaptureJob &job() const { return m_job; }
    // An update's comparison, when its walk completed; null otherwise.
    const DiscUpdate *update() const { return m_update.get(); }
    // The disc file the comparison was made against, for applyDiscUpdate.
    const DiscIdentity &readAs() const { return m_readAs; }

signals:
    // The progress window's text and bar, and the status bar's text.
    void progress(const QString &text, int percent, const QString &status);
    // What the progress window shows beside them; follows each progress().
    void detailsChanged(const orlith::CaptureDetails &details);
    // The walk has ended: the list empties before the rows that follow.
    void walkEnded();
    void rowsFound(const QList<FileRow> &rows);
    // The error when the capture failed; a cancelled one is ok and job().cancelled().
    void finished(const orlith::StoreResult &result);

private:
    CaptureJob m_job;
    QList<FileEntry> m_stored;
    DiscIdentity m_readAs;
    std::unique_ptr<DiscUpdate> m_update; // made on the worker, read after it ends
    BackgroundJob *m_worker = nullptr;
    bool m_walkEnded = false;
};

} // namespace orlith
