// Orlith — desktop catalogue of removable media.
// "Look inside archives": archives made here by bsdtar and Python, captured by orlith-cli.
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

// "path size" of each entry of the captured disc, paths below `root` relative to it.
QStringList captured(const QString &store, const QString &root)
{
    QList<FileEntry> entries;
    [&] { QVERIFY(readDiscEntries(discFilePath(store, u"N"_s), entries).ok()); }();
    QStringList out;
    for (const FileEntry &e : std::as_const(entries))
        out << e.path.mid(root.size() + 1) + u' ' + QString::number(e.size);
    return out;
}

// Python that writes sys.argv[1]: a tar.bz2 of one member, zeros.bin, of `gib` GiB of
// zeros. Streams of zeros put end to end make it in a blink (bzip2 readers take them as
// one); `padGib` makes the file that long with a hole after them, which readers ignore.
QString bombScript(int gib, int padGib = 0)
{
    return uR"(
import bz2, sys, tarfile
info = tarfile.TarInfo('zeros.bin'); info.size = %1 << 30
chunk = bz2.compress(bytes(16 << 20))
with open(sys.argv[1], 'wb') as f:
    f.write(bz2.compress(info.tobuf()))
    f.write(chunk * (info.size >> 24))
    f.write(bz2.compress(bytes(1024)))
    f.truncate(max(f.tell(), %2 << 30))
)"_s.arg(gib)
        .arg(padGib);
}

} // namespace

class TestArchiveMembers : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_src; // docs/x.txt (12 bytes) and docs/inner.zip, the members of every archive

private slots:
    void initTestCase()
    {
        m_src = m_dir.path() + "/src"_L1;
        QVERIFY(makeFile(m_src + "/docs/x.txt"_L1, "twelve bytes"));
        QVERIFY(run(u"bsdtar"_s,
                    {u"--format"_s, u"zip"_s, u"-cf"_s, u"docs/inner.zip"_s, u"docs/x.txt"_s},
                    m_src));
    }

    // Each kind of archive lists its members after its own entry, with their true sizes,
    // and an archive inside it one level deep.
    void formats_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("zip") << u"a.zip"_s << QStringList{u"--format"_s, u"zip"_s};
        QTest::newRow("7z") << u"a.7z"_s << QStringList{u"--format"_s, u"7zip"_s};
        QTest::newRow("tar") << u"a.tar"_s << QStringList{u"--format"_s, u"ustar"_s};
        QTest::newRow("tar.gz") << u"a.tar.gz"_s << QStringList{u"-z"_s};
        QTest::newRow("tar.bz2") << u"a.tar.bz2"_s << QStringList{u"-j"_s};
        QTest::newRow("tar.xz") << u"a.tar.xz"_s << QStringList{u"-J"_s};
        QTest::newRow("tar.zst") << u"a.tar.zst"_s << QStringList{u"--zstd"_s};
        QTest::newRow("iso") << u"a.iso"_s << QStringList{u"--format"_s, u"iso9660"_s};
        QTest::newRow("cpio") << u"a.cpio"_s << QStringList{u"--format"_s, u"cpio"_s};
        // Known by its content, whatever its name.
        QTest::newRow("zip named .dat") << u"a.dat"_s << QStringList{u"--format"_s, u"zip"_s};
    }
    void formats()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, options);
        QTemporaryDir media;
        QTemporaryDir store;
        QVERIFY(run(u"bsdtar"_s,
                    options + QStringList{u"-cf"_s, media.path() + u'/' + file, u"-C"_s, m_src,
                                          u"docs/x.txt"_s, u"docs/inner.zip"_s},
                    m_src));
        QCOMPARE(cli(store.path(), {u"new-catalog"_s, u"C"_s}).code, 0);
        const CliRun r = cli(store.path(), {u"capture"_s, u"--archives"_s, u"--catalog"_s, u"C"_s,
                                            u"--name"_s, u"N"_s, media.path()});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        QStringList got = captured(store.path(), media.path());
        QVERIFY(got.size() == 4);
        got.removeFirst(); // the archive's own entry
        const QString inner =
            u"%1/docs/inner.zip %2"_s.arg(file).arg(QFileInfo(m_src + "/docs/inner.zip"_L1).size());
        QCOMPARE(got.join(u','), file + "/docs/x.txt 12,"_L1 + inner + u',' + file +
                                     "/docs/inner.zip/docs/x.txt 12"_L1);
    }

    // What the user finds, and what bad archives leave: a damaged, truncated, encrypted or
    // fake archive keeps its own entry, its readable members and the capture goes on.
    void badAndHostileArchives()
    {
        QTemporaryDir media;
        QTemporaryDir store;
        const QString d = media.path();
        const QString script = uR"(
import os, sys, tarfile, zipfile
d = sys.argv[1]
with zipfile.ZipFile(d + '/a.zip', 'w') as z:
    z.writestr('docs/x.txt', 'twelve bytes')
    z.writestr('../up.txt', 'u')
    z.writestr('/abs.txt', 'a')
whole = open(d + '/a.zip', 'rb').read()
open(d + '/cut.zip', 'wb').write(whole[:40])
open(d + '/b.zip', 'wb').write(b'PK\x03\x04' + b'\xff' * 64)
open(d + '/fake.tar.gz', 'wb').write(b'not an archive')
os.mkfifo(d + '/pipe.zip')  # must neither block the capture nor count
huge = tarfile.TarInfo('big.bin'); huge.size = 10**12  # declared, never there
open(d + '/huge.tar', 'wb').write(huge.tobuf())
)"_s;
        QVERIFY(run(u"python3"_s, {u"-c"_s, script, d}, d));
        QVERIFY(run(u"bsdtar"_s,
                    {u"--format"_s, u"zip"_s, u"--options"_s, u"zip:encryption=traditional"_s,
                     u"--passphrase"_s, u"pw"_s, u"-cf"_s, d + "/enc.zip"_L1, u"docs/x.txt"_s,
                     u"docs/inner.zip"_s},
                    m_src));
        QCOMPARE(cli(store.path(), {u"new-catalog"_s, u"C"_s}).code, 0);
        const CliRun r = cli(store.path(), {u"capture"_s, u"--archives"_s, u"--catalog"_s, u"C"_s,
                                            u"--name"_s, u"N"_s, d});
        QCOMPARE(r.code, 0);
        // b.zip, cut.zip, fake.tar.gz, huge.tar, and enc.zip whose inner.zip cannot be streamed.
        QCOMPARE(r.err, "orlith-cli: 5 archives could not be read whole; their readable "
                        "members are listed.\n"_L1);
        const QStringList got = captured(store.path(), d);
        for (const char *entry : {"a.zip/docs/x.txt 12", "a.zip/../up.txt 1", "a.zip//abs.txt 1",
                                  "b.zip 68", "fake.tar.gz 14", "huge.tar/big.bin 1000000000000",
                                  "enc.zip/docs/x.txt 12", "enc.zip/docs/inner.zip"})
            QVERIFY2(got.filter(QString::fromLatin1(entry)).size() == 1, entry);
        QVERIFY(got.filter(u"cut.zip"_s).size() >= 1);
        // A member is found like any file.
        const CliRun found = cli(store.path(), {u"find"_s, u"up.txt"_s});
        QVERIFY(found.out.startsWith("up.txt\t"_L1 + d + "/a.zip/../up.txt\t"_L1));
        QCOMPARE(found.err, "Found  1 files.\n"_L1);

        // Without the option, the disc holds the folder's files alone, written exactly as
        // the capture with it writes them.
        QCOMPARE(
            cli(store.path(), {u"capture"_s, u"--catalog"_s, u"C"_s, u"--name"_s, u"P"_s, d}).code,
            0);
        QList<FileEntry> with;
        QVERIFY(readDiscEntries(discFilePath(store.path(), u"N"_s), with).ok());
        with.removeIf([&](const FileEntry &e) { return e.path.indexOf(u'/', d.size() + 1) > 0; });
        QCOMPARE(readAll(discFilePath(store.path(), u"P"_s)), discFileBytes(u"C"_s, with));
    }

    // Archives that must not cost the capture: what they are counted as, and an entry of
    // theirs that stays.
    void hostileArchives_data()
    {
        QTest::addColumn<QString>("script"); // writes the archive named by sys.argv[1]
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("entry");
        const QString unreadable = u"1 archives could not be read whole; their readable "
                                   "members are listed."_s;
        QTest::newRow("decompression bomb") << bombScript(2) << u"bomb.tar.bz2"_s << unreadable
                                            << u"bomb.tar.bz2/zeros.bin 2147483648"_s;
        QTest::newRow("bomb inside a tar") << bombScript(2) + uR"(
import os
with tarfile.open(sys.argv[1] + '.tar', 'w') as t: t.add(sys.argv[1], 'in.tar.bz2')
os.replace(sys.argv[1] + '.tar', sys.argv[1])
)"_s << u"outer.tar"_s << unreadable << u"outer.tar/in.tar.bz2/zeros.bin 2147483648"_s;
        QTest::newRow("line break in a member name") << uR"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z: z.writestr('a\nb.txt', 'x')
)"_s << u"names.zip"_s << u"1 names held characters that cannot be stored and were changed."_s
                                                     << u"names.zip/a\uFFFDb.txt 1"_s;
        // Longer than any disc file line a reader keeps: cut, and counted.
        QTest::newRow("member name of 70,000 characters")
            << uR"(
import io, sys, tarfile
with tarfile.open(sys.argv[1], 'w', format=tarfile.PAX_FORMAT) as t:
    info = tarfile.TarInfo('a' * 70000)
    info.size = 1
    t.addfile(info, io.BytesIO(b'x'))
)"_s << u"long.tar"_s
            << u"1 names held characters that cannot be stored and were changed."_s
            << "long.tar/"_L1 + QString(4096, u'a') + " 1"_L1;
    }
    void hostileArchives()
    {
        QFETCH(QString, script);
        QFETCH(QString, file);
        QFETCH(QString, message);
        QFETCH(QString, entry);
        QTemporaryDir media;
        QTemporaryDir store;
        QVERIFY(run(u"python3"_s, {u"-c"_s, script, media.path() + u'/' + file}, media.path()));
        QCOMPARE(cli(store.path(), {u"new-catalog"_s, u"C"_s}).code, 0);
        const CliRun r = cli(store.path(), {u"capture"_s, u"--archives"_s, u"--catalog"_s, u"C"_s,
                                            u"--name"_s, u"N"_s, media.path()});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, "orlith-cli: "_L1 + message + u'\n');
        QVERIFY2(captured(store.path(), media.path()).contains(entry), qPrintable(entry));
    }

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
