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

#include <cstring>
#include <thread>

#include <sys/inotify.h>
#include <sys/sysmacros.h>
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

    // A FIFO and a device node named like archives are listed, never opened: opening the
    // FIFO would release a writer waiting on it and lose what it writes.
    void onlyRegularFilesAreOpened()
    {
        QTemporaryDir media;
        QTemporaryDir store;
        QVERIFY(ensureStoreFolders(store.path()).ok());
        const QByteArray fifo = QFile::encodeName(media.path() + "/x.zip"_L1);
        const QByteArray device = QFile::encodeName(media.path() + "/dev.zip"_L1);
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        const bool haveDevice = ::mknod(device.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
        if (!haveDevice)
            qInfo("mknod is not permitted here: the device node is left out");
        // An open of the device node shows as an inotify event.
        const int watch = haveDevice ? ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC) : -1;
        if (haveDevice && watch < 0)
            qInfo("no inotify instance to be had (%s): opens of the device node go unseen",
                  std::strerror(errno));
        const auto closeWatch = qScopeGuard([&] { ::close(watch); });
        QVERIFY(watch < 0 || ::inotify_add_watch(watch, device.constData(), IN_OPEN) >= 0);

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
        QStringList names;
        for (const FileEntry &e : job.entries())
            names << e.name;
        QCOMPARE(names,
                 haveDevice ? QStringList({u"dev.zip"_s, u"x.zip"_s}) : QStringList{u"x.zip"_s});
        QCOMPARE(job.unreadableArchives(), 0);
        QTest::qWait(200); // time enough for a released writer to say so
        QVERIFY(!released);
        char events[4096];
        QVERIFY(watch < 0 || ::read(watch, events, sizeof events) < 0);
    }
};

QTEST_GUILESS_MAIN(TestArchiveMembers)
#include "tst_archive_members.moc"
