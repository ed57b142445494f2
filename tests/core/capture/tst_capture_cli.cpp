// Orlith — desktop catalogue of removable media.
#include "capture_fixtures.h"
#include "core/capture/capture_job.h"
#include "core/capture/store_edits.h"
#include "core/core_fixtures.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

class TestCaptureCli : public QObject
{
    Q_OBJECT

private slots:
    void captureMatchesTheEngine()
    {
        QTemporaryDir d;
        const QString tree = d.filePath(u"disc"_s);
        QVERIFY(makeFile(tree + u"/a&b.txt"_s, "hello"));
        QVERIFY(makeFile(tree + u"/sub/x.bin"_s, QByteArray(3000, 'x'), 1200000000));
        QVERIFY(makeFile(tree + u"/.hidden"_s, "h"));
        // A name that would plant entries, and one in ISO-8859-1 (its 0xE9 must survive).
        const QString planter = u"x\r\n<file_name>FAKE.exe123456789012\n<file_date>d123456789012"_s;
        QVERIFY(makeFile(tree + u"/"_s + planter, "p"));
        const QByteArray latin1Name = QFile::encodeName(tree + u"/caf"_s) + "\xE9.txt";
        ::close(::creat(latin1Name.constData(), 0644));
        // QTemporaryDir cannot remove a name that is not UTF-8.
        const auto unlinkIt = qScopeGuard([&] { ::unlink(latin1Name.constData()); });
        const QString viaCli = d.filePath(u"cli"_s);
        QVERIFY(ensureStoreFolders(viaCli).ok());
        QCOMPARE(cli(viaCli, {"new-catalog", "Music"}).code, 0);
        const CliRun run =
            cli(viaCli, {"capture", "--catalog", "Music", "--name", "Disc 1", tree + '/'});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, u"Ready.  4 files inserted from CD/DVD.\n"_s);
        QCOMPARE(
            run.err,
            u"orlith-cli: 1 names held characters that cannot be stored and were changed.\n"_s);
        const QByteArray written = readBytes(discFilePath(viaCli, u"Disc 1"_s));
        QVERIFY(written.contains("<file_name>caf\xE9.txt<"));
        QList<FileEntry> stored;
        QVERIFY(readDiscEntries(discFilePath(viaCli, u"Disc 1"_s), stored).ok());
        QStringList names;
        for (const FileEntry &e : std::as_const(stored))
            names << e.name;
        QCOMPARE(
            names,
            QStringList(
                {"x.bin", "a&b.txt", "café.txt",
                 "x\uFFFD\uFFFD<file_name>FAKE.exe123456789012\uFFFD<file_date>d123456789012"}));
        QVERIFY(cli(viaCli, {"tree"}).out.contains("  Music\n    Disc 1\n"_L1));

        const QString viaEngine = d.filePath(u"engine"_s);
        QVERIFY(ensureStoreFolders(viaEngine).ok());
        CatalogueIndex index;
        QVERIFY(index.addCatalog(u"Music"_s));
        CaptureJob job({viaEngine, u"Disc 1"_s, u"Music"_s, tree});
        QVERIFY(captureFolder(job, index).ok());
        QCOMPARE(written, readBytes(discFilePath(viaEngine, u"Disc 1"_s)));
    }

    void editCommands()
    {
        QTemporaryDir d;
        const QString data = d.path();
        QVERIFY(ensureStoreFolders(data).ok());
        QVERIFY(writeDiscFile(discFilePath(data, u"A"_s), u"Music"_s, {}).ok());
        auto run = [&](QStringList args) { return cli(data, args); };

        const CliRun taken = run({"capture", "--catalog", "Music", "--name", "a", data});
        QCOMPARE(taken.code, 1);
        QCOMPARE(taken.err, u"orlith-cli: Name you entered is allready in use.\n"_s);
        QCOMPARE(run({"capture", "--name", "N", data}).code, 2);

        QCOMPARE(run({"new-catalog", "12"}).err,
                 u"orlith-cli: Catalog name can not be number.\n"_s);
        QCOMPARE(run({"new-catalog", "Films"}).code, 0);
        QCOMPARE(run({"rename", "A", "B"}).code, 0);
        QCOMPARE(run({"rename", "Music", "Songs"}).code, 0);
        QCOMPARE(run({"tree"}).out,
                 u"Catalogs\n  Songs\n    B\n  Films\nCatalogs: 2\nDiscs: 1\n"_s);

        // Without a terminal to ask, a disc is deleted only with --yes.
        const CliRun unasked = run({"delete", "B"});
        QCOMPARE(unasked.code, 2);
        QVERIFY(unasked.err.contains("--yes"_L1));
        QCOMPARE(run({"delete", "Songs"}).code, 1);
        QVERIFY(QFile::exists(discFilePath(data, u"B"_s)));
        QCOMPARE(run({"delete", "B", "--yes"}).code, 0);
        QCOMPARE(run({"delete", "Songs"}).code, 0);
        QVERIFY(!QFile::exists(discFilePath(data, u"B"_s)));
        QCOMPARE(readBytes(catalogOrderPath(data)), QByteArray("Films\r\n"));
    }

    // A catalog rename over 200 disc files, killed at random moments: every disc file is
    // always whole, holding either the old or the new catalog line with all its entries.
    void killedCatalogRenameLeavesWholeFiles()
    {
        constexpr int kDiscs = 200;
        constexpr int kTrials = 24;
        // Memory-backed when possible: the test is about renames, not about disk speed.
        const QString base =
            QFileInfo(u"/dev/shm"_s).isWritable() ? u"/dev/shm"_s : QDir::tempPath();
        QTemporaryDir d(base + u"/orlith-kill-XXXXXX"_s);
        const QString data = d.path();
        QVERIFY(d.isValid() && ensureStoreFolders(data).ok());
        QList<QList<FileEntry>> entries(kDiscs);
        QList<QByteArray> oldBytes, newBytes;
        for (int i = 0; i < kDiscs; ++i) {
            for (int e = 0; e < 20 + i % 7; ++e)
                entries[i].append({u"f%1.txt"_s.arg(e), u"/cd/d%1/f%2.txt"_s.arg(i).arg(e), e * 100,
                                   u"1.1.2004 10:00:00"_s});
            oldBytes.append(discFileBytes(u"Old"_s, entries[i]));
            newBytes.append(orlith::rewriteCatalogLine(oldBytes[i], u"New"_s));
        }
        auto reset = [&] {
            for (int i = 0; i < kDiscs; ++i)
                QVERIFY(
                    writeDiscFile(discFilePath(data, u"d%1"_s.arg(i)), u"Old"_s, entries[i]).ok());
            QVERIFY(makeFile(catalogOrderPath(data), "Old\r\n"));
        };
        const QStringList rename{u"--data-dir"_s, data, u"rename"_s, u"Old"_s, u"New"_s};

        reset();
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(cli(data, rename.mid(2)).code, 0);
        const qint64 fullRunUs = clock.nsecsElapsed() / 1000;
        QCOMPARE(readBytes(discFilePath(data, u"d7"_s)), newBytes[7]);

        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        int partlyRenamed = 0;
        for (int trial = 0; trial < kTrials; ++trial) {
            reset();
            QProcess p;
            p.start(QStringLiteral(ORLITH_CLI), rename);
            QVERIFY(p.waitForStarted());
            ::usleep(useconds_t(random.bounded(fullRunUs * 11 / 10)));
            ::kill(pid_t(p.processId()), SIGKILL);
            p.waitForFinished();

            int renamed = 0;
            for (int i = 0; i < kDiscs; ++i) {
                const QByteArray now = readBytes(discFilePath(data, u"d%1"_s.arg(i)));
                const QByteArray where =
                    "seed " + QByteArray::number(seed) + ", d" + QByteArray::number(i);
                QVERIFY2(now == oldBytes[i] || now == newBytes[i], where.constData());
                renamed += now == newBytes[i];
            }
            const QByteArray order = readBytes(catalogOrderPath(data));
            QVERIFY2(order == "Old\r\n" || order == "New\r\n", order.constData());
            partlyRenamed += renamed > 0 && renamed < kDiscs;
        }
        // Some kills must have landed in the middle of the rewrite, or nothing was tested.
        QVERIFY2(partlyRenamed > 0, qPrintable(u"seed %1"_s.arg(seed)));
        qInfo("%d of %d trials killed mid-rename (full run %lld us)", partlyRenamed, kTrials,
              qlonglong(fullRunUs));
    }
};

QTEST_GUILESS_MAIN(TestCaptureCli)
#include "tst_capture_cli.moc"
