// Orlith — desktop catalogue of removable media.
#include "core/common/background_job.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>
#include <numeric>

using namespace orlith;

class TestBackgroundJob : public QObject
{
    Q_OBJECT

private slots:
    // What the work posts runs on the owner's thread in the order posted, all before
    // finished().
    void postsRunInOrderBeforeFinished_data()
    {
        QTest::addColumn<int>("posts");
        QTest::newRow("none") << 0;
        QTest::newRow("many") << 5000;
    }
    void postsRunInOrderBeforeFinished()
    {
        QFETCH(int, posts);
        BackgroundJob job;
        QList<int> seen;
        QList<int> seenAtFinish{-1};
        QThread *owner = QThread::currentThread();
        bool onOwnerThread = true;
        connect(&job, &BackgroundJob::finished, this, [&] { seenAtFinish = seen; });
        job.start([&](BackgroundJob &worker) {
            for (int i = 0; i < posts; ++i)
                worker.post([&, i] {
                    onOwnerThread = onOwnerThread && QThread::currentThread() == owner;
                    seen << i;
                });
        });
        QTRY_VERIFY(!job.running());
        QList<int> expected(posts);
        std::iota(expected.begin(), expected.end(), 0);
        QCOMPARE(seenAtFinish, expected);
        QVERIFY(onOwnerThread);
    }

    // A cancelled job drops what it posted and has not run yet; finished() still comes.
    void cancelDropsPendingPosts()
    {
        BackgroundJob job;
        QSignalSpy finished(&job, &BackgroundJob::finished);
        QSemaphore posted;
        int ran = 0;
        job.start([&](BackgroundJob &worker) {
            worker.post([&] { ++ran; });
            posted.release();
            while (!worker.cancelled())
                QThread::yieldCurrentThread();
            worker.post([&] { ++ran; });
        });
        posted.acquire(); // the first post is queued, not yet run: no event loop ran since
        job.cancel();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(ran, 0);
        // A new start runs again, uncancelled.
        job.start([&](BackgroundJob &worker) { worker.post([&] { ++ran; }); });
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(ran, 1);
    }

    // Deleting a job waits for its work to return, and nothing it posted runs afterwards.
    void destructionWaitsForTheWork()
    {
        std::atomic<bool> returned{false};
        int ran = 0;
        {
            BackgroundJob job;
            QSemaphore started;
            job.start([&](BackgroundJob &worker) {
                started.release();
                // Work that does not look at the cancel flag, as a save does not.
                QThread::msleep(100);
                worker.post([&] { ++ran; });
                returned = true;
            });
            started.acquire();
        }
        QVERIFY(returned);
        QCoreApplication::processEvents();
        QCOMPARE(ran, 0);
    }
};

QTEST_GUILESS_MAIN(TestBackgroundJob)
#include "tst_background_job.moc"
