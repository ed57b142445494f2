// Orlith — desktop catalogue of removable media.
#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <atomic>
#include <functional>

class QThread;

namespace orlith {

// Runs one long job (a capture, a search, a save) on a thread of its own at full speed and
// hands what it finds to the thread that owns this object, in the order it was posted.
// The work never touches a widget or the event loop; it posts closures instead. Deleting
// the job cancels it and waits for its thread, and closures not yet run are dropped.
class BackgroundJob : public QObject
{
    Q_OBJECT

public:
    // How often the work should hand over results: often enough that a list fills while
    // the job runs, seldom enough that the window spends its time painting, not queuing.
    static constexpr int kPostIntervalMs = 50;

    explicit BackgroundJob(QObject *parent = nullptr);
    ~BackgroundJob() override;

    // Starts `work` on a new thread; does nothing while the work of an earlier start runs.
    void start(std::function<void(BackgroundJob &)> work);
    bool running() const { return m_running; }
    // Asks the work to stop at its next check; posted closures not yet run are dropped
    // and finished() still follows.
    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }
    const std::atomic<bool> &cancelFlag() const { return m_cancelled; }
    // Blocks until the work has returned.
    void wait();

    // From the work: runs `f` on the owner's thread, unless the job is cancelled by then.
    void post(std::function<void()> f);
    // From the work: true when kPostIntervalMs have passed since the last post.
    bool timeToPost() const
    {
        return !m_sincePost.isValid() || m_sincePost.hasExpired(kPostIntervalMs);
    }

signals:
    // On the owner's thread, after every closure the work posted.
    void finished();

private:
    QThread *m_thread = nullptr;
    std::atomic<bool> m_cancelled{false};
    bool m_running = false;
    QElapsedTimer m_sincePost; // used by the work's thread only
};

} // namespace orlith
