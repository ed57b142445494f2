// Orlith — desktop catalogue of removable media.
// "Look inside archives": archives made here by Python, walked by the capture job.
#include "core/capture/capture_job.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include "core/capture/capture_fixtures.h"
#include "core/core_fixtures.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

bool run(const QString &program, const QStringList &args, const QString &dir)
{
    return runProgram(program, args, {}, dir).code == 0;
}

} // namespace

class TestArchiveMembers : public QObject
{
    Q_OBJECT

private slots:
    // A bomb whose file is so large (a hole) that the budget would let it run for a long
    // while: the cancel flag stops it all the same, and nothing is written.
    void cancelInsideABomb()
    {
        QTemporaryDir media;
        QTemporaryDir store;
        QVERIFY(ensureStoreFolders(store.path()).ok());
        QVERIFY(run(u"python3"_s, {u"-c"_s, bombScript(8, 64), media.path() + "/b.tar.bz2"_L1},
                    media.path()));
        CaptureRequest request{store.path(), u"N"_s, u"C"_s, media.path()};
        request.archives = true;
        CaptureJob job(request);
        std::atomic<bool> cancel = false;
        std::thread canceller([&] {
            ::usleep(100 * 1000);
            cancel = true;
        });
        QElapsedTimer clock;
        clock.start();
        const StoreResult r = job.run(&cancel);
        const qint64 ms = clock.elapsed();
        canceller.join();
        QVERIFY(r.ok());
        QCOMPARE(job.phase(), CaptureJob::Phase::Cancelled);
        // Listing it whole takes half a minute.
        QVERIFY2(ms < 10000, qPrintable(QString::number(ms)));
        QVERIFY(QDir(store.path() + "/cds"_L1).isEmpty());
    }

    // A FIFO named like an archive is listed, never opened: opening it would release a
    // writer waiting on it and lose what it writes. (A device node takes the same branch.)
    void onlyRegularFilesAreOpened()
    {
        QTemporaryDir media;
        QTemporaryDir store;
        QVERIFY(ensureStoreFolders(store.path()).ok());
        const QByteArray fifo = QFile::encodeName(media.path() + "/x.zip"_L1);
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        std::atomic<bool> released = false;
        std::thread writer([&] {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_CLOEXEC);
            released = true;
            ::close(fd);
        });
        const auto unblock = qScopeGuard([&] {
            const int fd = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            writer.join();
            ::close(fd);
        });
        CaptureRequest request{store.path(), u"N"_s, u"C"_s, media.path()};
        request.archives = request.walkOnly = true;
        CaptureJob job(request);
        QVERIFY(job.run().ok());
        QCOMPARE(job.entries().size(), 1);
        QCOMPARE(job.entries().first().name + QString::number(job.unreadableArchives()),
                 u"x.zip0"_s);
        QTest::qWait(200); // time enough for a released writer to say so
        QVERIFY(!released);
    }
};

QTEST_GUILESS_MAIN(TestArchiveMembers)
#include "tst_archive_members.moc"
