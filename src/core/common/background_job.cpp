// Orlith — desktop catalogue of removable media.
#include "core/common/background_job.h"

#include <QThread>

namespace orlith {

BackgroundJob::BackgroundJob(QObject *parent) : QObject(parent) {}

BackgroundJob::~BackgroundJob()
{
    cancel();
    wait();
    delete m_thread;
}

void BackgroundJob::start(std::function<void(BackgroundJob &)> work)
{
    if (m_running)
        return;
    wait();
    delete m_thread;
    m_cancelled.store(false);
    m_sincePost.invalidate();
    m_running = true;
    m_thread = QThread::create([this, work = std::move(work)] { work(*this); });
    // Queued to this object, so it arrives after everything the work posted.
    connect(
        m_thread, &QThread::finished, this,
        [this] {
            m_running = false;
            emit finished();
        },
        Qt::QueuedConnection);
    m_thread->start();
}

void BackgroundJob::wait()
{
    if (m_thread)
        m_thread->wait();
}

void BackgroundJob::post(std::function<void()> f)
{
    m_sincePost.start();
    QMetaObject::invokeMethod(
        this,
        [this, f = std::move(f)] {
            if (!cancelled())
                f();
        },
        Qt::QueuedConnection);
}

} // namespace orlith
