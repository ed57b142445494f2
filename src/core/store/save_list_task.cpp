// Orlith — desktop catalogue of removable media.
#include "core/store/save_list_task.h"

#include "core/common/background_job.h"
#include "core/store/store_edits.h"

namespace orlith {

SaveListTask::SaveListTask(QString programFolder, QString disc, QString catalog,
                           QList<FileRow> rows, QObject *parent)
    : QObject(parent), m_programFolder(std::move(programFolder)), m_disc(std::move(disc)),
      m_catalog(std::move(catalog)), m_rows(std::move(rows)), m_worker(new BackgroundJob(this))
{
    connect(m_worker, &BackgroundJob::finished, this, [this] { emit finished(m_result); });
}

SaveListTask::~SaveListTask()
{
    // The write does not look at the cancel flag, so this waits for it to end.
    delete m_worker;
}

void SaveListTask::start()
{
    m_worker->start([this](BackgroundJob &job) {
        QList<FileEntry> entries;
        entries.reserve(m_rows.size());
        // The exact byte count the list kept, not the rounded kilobytes it shows.
        for (const FileRow &row : std::as_const(m_rows))
            entries.append(row.entry());
        StoreResult written = writeNewDiscFile(m_programFolder, m_disc, m_catalog, entries);
        job.post([this, written = std::move(written)] { m_result = written; });
    });
}

bool SaveListTask::running() const
{
    return m_worker->running();
}

void SaveListTask::wait()
{
    m_worker->wait();
}

} // namespace orlith
