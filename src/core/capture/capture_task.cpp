// Orlith — desktop catalogue of removable media.
#include "core/capture/capture_task.h"

#include "core/common/background_job.h"

namespace orlith {

CaptureTask::CaptureTask(const CaptureRequest &request, QObject *parent)
    : CaptureTask(request, {}, {}, parent)
{
}

CaptureTask::CaptureTask(const CaptureRequest &request, QList<FileEntry> stored,
                         DiscIdentity readAs, QObject *parent)
    : QObject(parent), m_job(request), m_stored(std::move(stored)), m_readAs(std::move(readAs)),
      m_worker(new BackgroundJob(this))
{
    connect(m_worker, &BackgroundJob::finished, this, [this] {
        emit finished(m_job.failed() ? StoreResult::failure(m_job.error())
                                     : StoreResult::success());
    });
}

// The worker runs the job held here: it must be gone before the job is.
CaptureTask::~CaptureTask()
{
    delete m_worker;
}

bool CaptureTask::running() const
{
    return m_worker->running();
}

void CaptureTask::cancel()
{
    m_worker->cancel();
}

void CaptureTask::start()
{
    // On the worker: the job reports about ten times a second; each report hands over
    // the rows filled since the last one with the texts of the moment.
    m_job.setProgressCallback([this, shown = qsizetype(0)](const CaptureJob &job) mutable {
        QList<FileRow> rows;
        const bool walked = job.phase() != CaptureJob::Phase::Walking;
        if (walked && job.filledCount() > shown) {
            rows = job.rows(shown, job.filledCount() - shown);
            shown = job.filledCount();
        }
        m_worker->post([this, walked, rows = std::move(rows), text = job.progressText(),
                        percent = job.percent(), status = job.statusText(),
                        details = job.details()] {
            if (walked && !m_walkEnded) {
                m_walkEnded = true;
                emit walkEnded();
            }
            if (!rows.isEmpty())
                emit rowsFound(rows);
            emit progress(text, percent, status);
            emit detailsChanged(details);
        });
    });
    m_worker->start([this](BackgroundJob &worker) {
        (void)m_job.run(&worker.cancelFlag());
        if (isUpdate() && m_job.phase() == CaptureJob::Phase::Done)
            m_update = std::make_unique<DiscUpdate>(
                compareDisc(m_stored, m_job.entries(), m_job.unreadableFolders()));
    });
}

} // namespace orlith
