// Orlith — desktop catalogue of removable media.
#include "core/search/index_updater.h"

#include "core/common/background_job.h"
#include "core/search/search_index.h"

namespace orlith {

SearchIndexUpdater::SearchIndexUpdater(QString programFolder, QObject *parent)
    : QObject(parent), m_programFolder(std::move(programFolder)), m_job(new BackgroundJob(this))
{
    connect(m_job, &BackgroundJob::finished, this, [this] {
        emit updated(m_error);
        if (m_again) {
            m_again = false;
            request();
        }
    });
}

// The worker is a child: deleted here, before the folder it reads, once it has stopped.
SearchIndexUpdater::~SearchIndexUpdater()
{
    m_job->cancel();
    delete m_job;
}

bool SearchIndexUpdater::running() const
{
    return m_job->running();
}

void SearchIndexUpdater::request()
{
    if (m_job->running()) {
        m_again = true;
        return;
    }
    m_job->start([this, folder = m_programFolder](BackgroundJob &job) {
        const StoreValue<IndexUpdate> done =
            updateSearchIndex(folder, IndexUpdateMode::Full, &job.cancelFlag());
        job.post([this, error = done.error] { m_error = error; });
    });
}

} // namespace orlith
