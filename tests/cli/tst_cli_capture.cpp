// Orlith — desktop catalogue of removable media.
// orlith-cli capture, edits and rescan: what they write, and what they refuse.
#include "core/capture/capture_job.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "core/store/store_edits.h"

#include "core/capture/capture_fixtures.h"
#include "core/core_fixtures.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <fcntl.h>
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

class TestCliCapture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_src = m_srcDir.path() + "/src"_L1;
        QVERIFY(makeFile(m_src + "/docs/x.txt"_L1, "twelve bytes"));
        QVERIFY(run(u"bsdtar"_s,
                    {u"--format"_s, u"zip"_s, u"-cf"_s, u"docs/inner.zip"_s, u"docs/x.txt"_s},
                    m_src));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_data = m_dir->filePath(u"data"_s);
        m_tree = m_dir->filePath(u"disc"_s);
        QVERIFY(makeCaptureStore(m_dir->path(), m_index));
    }

    // The command line writes the bytes the engine writes.
    void cliMatchesTheEngine()
    {
        QVERIFY(makeFile(m_tree + u"/a&b.txt"_s, "hello"));
        QVERIFY(makeFile(m_tree + u"/sub/x.bin"_s, QByteArray(3000, 'x'), 1200000000));
        // A name in ISO-8859-1: its 0xE9 must survive.
        const QByteArray latin1Name = QFile::encodeName(m_tree + u"/caf"_s) + "\xE9.txt";
        ::close(::creat(latin1Name.constData(), 0644));
        // QTemporaryDir cannot remove a name that is not UTF-8.
        const auto unlinkIt = qScopeGuard([&] { ::unlink(latin1Name.constData()); });
        const QString viaCli = m_dir->filePath(u"cli"_s);
        QVERIFY(ensureStoreFolders(viaCli).ok());
        QCOMPARE(cli(viaCli, {"new-catalog", "Music & more"}).code, 0);
        QVERIFY(
            cli(viaCli, {"capture", "--catalog", "Music & more", "--name", "Disc 1", m_tree + '/'})
                .says(0, u"Ready.  3 files inserted from CD/DVD.\n"_s));
        const QByteArray written = readAll(discFilePath(viaCli, u"Disc 1"_s));
        QVERIFY(written.contains("<file_name>caf\xE9.txt<"));
        CaptureJob job({m_data, u"Disc 1"_s, u"Music & more"_s, m_tree});
        QVERIFY(captureFolder(job, m_index).ok());
        QCOMPARE(written, readAll(discFilePath(m_data, u"Disc 1"_s)));
    }

    void cliEditCommands()
    {
        QVERIFY(writeDiscFile(discFilePath(m_data, u"A"_s), u"Music"_s, {}).ok());
        const auto run = [&](const QStringList &args) { return cli(m_data, args); };
        QVERIFY(run({"capture", "--catalog", "Music", "--name", "a", m_data})
                    .says(1, u"orlith-cli: Name you entered is allready in use.\n"_s));
        QVERIFY(run({"new-catalog", "Films"}).says(0));
        QVERIFY(run({"rename", "A", "B"}).says(0));
        // Without a terminal to ask, a disc is deleted only with --yes.
        QVERIFY(run({"delete", "B"}).says(2, u"--yes"_s));
        QVERIFY(run({"delete", "B", "--yes"}).says(0));
        QVERIFY(run({"delete", "Music"}).says(0));
        QVERIFY(!QFile::exists(discFilePath(m_data, u"B"_s)));
        QCOMPARE(readAll(catalogOrderPath(m_data)), QByteArray("Music & more\r\nFilms\r\n"));
    }

    // A catalog rename over 200 disc files killed at random: each stays whole, old or new.
    void killedCatalogRenameLeavesWholeFiles()
    {
        constexpr int kDiscs = 200;
        // Memory-backed when possible: the test is about renames, not about disk speed.
        QTemporaryDir d((QFileInfo(u"/dev/shm"_s).isWritable() ? u"/dev/shm"_s : QDir::tempPath()) +
                        u"/orlith-kill-XXXXXX"_s);
        const QString data = d.path();
        QVERIFY(d.isValid() && ensureStoreFolders(data).ok());
        QList<QByteArray> oldBytes, newBytes;
        for (int i = 0; i < kDiscs; ++i) {
            QList<FileEntry> entries;
            for (int e = 0; e < 20 + i % 7; ++e)
                entries.append({u"f%1.txt"_s.arg(e), u"/cd/d%1/f%2.txt"_s.arg(i).arg(e), e * 100,
                                u"1.1.2004 10:00:00"_s});
            oldBytes.append(discFileBytes(u"Old"_s, entries));
            newBytes.append(rewriteCatalogLine(oldBytes[i], u"New"_s));
        }
        const auto reset = [&] {
            for (int i = 0; i < kDiscs; ++i)
                QVERIFY(writeAll(discFilePath(data, u"d%1"_s.arg(i)), oldBytes[i]));
            QVERIFY(writeAll(catalogOrderPath(data), "Old\r\n"));
        };
        const QStringList rename{u"--data-dir"_s, data, u"rename"_s, u"Old"_s, u"New"_s};
        reset();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(runCli(rename).says(0));
        const qint64 fullRunUs = clock.nsecsElapsed() / 1000;
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        int partlyRenamed = 0;
        for (int trial = 0; trial < 24; ++trial) {
            reset();
            QProcess p;
            p.start(QStringLiteral(ORLITH_CLI), rename);
            QVERIFY(p.waitForStarted());
            ::usleep(useconds_t(random.bounded(fullRunUs * 11 / 10)));
            ::kill(pid_t(p.processId()), SIGKILL);
            p.waitForFinished();
            int renamed = 0;
            for (int i = 0; i < kDiscs; ++i) {
                const QByteArray now = readAll(discFilePath(data, u"d%1"_s.arg(i)));
                QVERIFY2(now == oldBytes[i] || now == newBytes[i],
                         qPrintable(u"seed %1, d%2"_s.arg(seed).arg(i)));
                renamed += now == newBytes[i];
            }
            const QByteArray order = readAll(catalogOrderPath(data));
            QVERIFY2(order == "Old\r\n" || order == "New\r\n", order.constData());
            partlyRenamed += renamed > 0 && renamed < kDiscs;
        }
        // Some kills must have landed in the middle of the rewrite, or nothing was tested.
        QVERIFY2(partlyRenamed > 0, qPrintable(u"seed %1"_s.arg(seed)));
    }

    // A disc captured from a folder in which one file was then added, one removed and one
    // grown: the dry run prints exactly that and changes nothing; the real run rewrites the
    // disc; bad input and an empty walk change nothing.
    void rescanFromTheCommandLine()
    {
        const QString d = m_tree;
        const auto run = [&](const QStringList &args) { return cli(m_data, args); };
        QVERIFY(makeFile(d + "/keep.txt"_L1, "same") && makeFile(d + "/sub/grow.txt"_L1, "1") &&
                makeFile(d + "/gone.txt"_L1, "x"));
        QVERIFY(run({"capture", "--catalog", "Music & more", "--name", "D", d}).says(0));
        QVERIFY(QFile::remove(d + "/gone.txt"_L1) && makeFile(d + "/new.txt"_L1, "n") &&
                makeFile(d + "/sub/grow.txt"_L1, "12"));
        const QString discFile = discFilePath(m_data, u"D"_s);
        const QByteArray before = readAll(discFile);

        const QString expected = "+\t%1/new.txt\n-\t%1/gone.txt\n~\t%1/sub/grow.txt\n"_L1.arg(d);
        const CliRun dry = run({"rescan", "d", d, "--dry-run"});
        QCOMPARE(dry.out + dry.err, expected + "Added 1, removed 1, changed 1.\n"_L1);
        QCOMPARE(readAll(discFile), before);

        QCOMPARE(run({"rescan", "D", d}).out, expected);
        QCOMPARE(run({"list", "D"}).out.count("\tD\n"_L1), 3);

        // A folder that is not there changes nothing; nor does a walk that finds
        // nothing at all (a mount point with nothing mounted), unless asked to.
        const QByteArray after = readAll(discFile);
        QVERIFY(run({"rescan", "D", d + "/none"_L1}).says(1));
        QVERIFY(QDir(d).removeRecursively() && QDir().mkpath(d));
        QVERIFY(run({"rescan", "D", d}).says(1, u"--allow-empty"_s));
        QCOMPARE(readAll(discFile), after);
        QVERIFY(run({"rescan", "D", d, "--allow-empty"}).says(0));
        QVERIFY(stored(discFile).isEmpty());
    }

    // What --checksums stores is what xxh128sum prints, and archive members get none; a
    // rescan with it sees new bytes of the same size and date.
    void checksums()
    {
        const QString big = m_tree + "/sub/big.bin"_L1;
        QVERIFY(makeFile(m_tree + "/empty"_L1, {}) && makeFile(big, QByteArray(1536 * 1024, 'b')) &&
                QFile::copy(m_src + "/docs/inner.zip"_L1, m_tree + "/inner.zip"_L1));
        QVERIFY(cli(m_data, {"capture", "--archives", "--checksums", "--catalog", "Music & more",
                             "--name", "D", m_tree})
                    .says(0));
        const CliRun sums =
            runProgram(u"xxh128sum"_s, {m_tree + "/empty"_L1, big, m_tree + "/inner.zip"_L1});
        QVERIFY2(sums.code == 0, "xxh128sum (Debian's xxhash) is needed");
        QMap<QString, QByteArray> expected;
        for (const QString &line : sums.out.split(u'\n', Qt::SkipEmptyParts))
            expected.insert(line.section("  "_L1, 1),
                            "xxh128:" + line.section(u' ', 0, 0).toLatin1());
        expected.insert(m_tree + "/inner.zip/docs/x.txt"_L1, {}); // a member
        QMap<QString, QByteArray> got;
        for (const FileEntry &e : stored(discFilePath(m_data, u"D"_s)))
            got.insert(e.path, e.hash);
        QCOMPARE(got, expected);

        QVERIFY(makeFile(big, QByteArray(1536 * 1024, 'B')) &&
                makeFile(m_tree + "/new.txt"_L1, "n"));
        QCOMPARE(cli(m_data, {"rescan", "D", m_tree, "--archives", "--checksums"}).out,
                 "+\t%1/new.txt\n~\t%1/sub/big.bin\n"_L1.arg(m_tree));
    }

    // Each kind of archive lists its members after its own entry, with their true sizes,
    // and an archive inside it one level deep.
    void formats()
    {
        // A zip named .dat is known by its content, whatever its name.
        const QList<std::pair<QString, QStringList>> kinds{
            {"a.zip", {"--format", "zip"}},   {"a.7z", {"--format", "7zip"}},
            {"a.tar.zst", {"--zstd"}},        {"a.iso", {"--format", "iso9660"}},
            {"a.cpio", {"--format", "cpio"}}, {"a.dat", {"--format", "zip"}}};
        for (const auto &[file, options] : kinds)
            QVERIFY(run(u"bsdtar"_s,
                        options + QStringList{"-cf", m_tree + u'/' + file, "-C", m_src,
                                              "docs/x.txt", "docs/inner.zip"},
                        m_src));
        const CliRun r = captureArchives();
        QVERIFY2(r.says(0) && r.err.isEmpty(), qPrintable(r.err));
        const qint64 inner = QFileInfo(m_src + "/docs/inner.zip"_L1).size();
        const QStringList got = captured();
        for (const auto &[file, options] : kinds) {
            const qsizetype at = got.indexOf(QRegularExpression(u"^%1 \\d+$"_s.arg(file)));
            QCOMPARE(got.mid(at + 1, 3), // after the archive's own entry
                     QStringList({file + "/docs/x.txt 12"_L1,
                                  u"%1/docs/inner.zip %2"_s.arg(file).arg(inner),
                                  file + "/docs/inner.zip/docs/x.txt 12"_L1}));
        }
    }

    // Damaged, truncated, encrypted, fake, hostile and huge archives: each keeps its own
    // entry and its readable members, and the capture goes on.
    void badAndHostileArchives()
    {
        const QString d = m_tree;
        const QString script = uR"(
import io, os, sys, tarfile, zipfile
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
# Longer than any disc file line a reader keeps: cut, and counted.
with tarfile.open(d + '/long.tar', 'w', format=tarfile.PAX_FORMAT) as t:
    info = tarfile.TarInfo('a' * 70000); info.size = 1
    t.addfile(info, io.BytesIO(b'x'))
)"_s;
        // A decompression bomb inside a tar.
        const QString nest = uR"(
import os
with tarfile.open(sys.argv[1] + '.tar', 'w') as t: t.add(sys.argv[1], 'in.tar.bz2')
os.replace(sys.argv[1] + '.tar', sys.argv[1])
)"_s;
        QVERIFY(run(u"python3"_s, {u"-c"_s, script, d}, d));
        QVERIFY(run(u"python3"_s, {u"-c"_s, bombScript(2) + nest, d + "/outer.tar"_L1}, d));
        QVERIFY(run(u"bsdtar"_s,
                    {u"--format"_s, u"zip"_s, u"--options"_s, u"zip:encryption=traditional"_s,
                     u"--passphrase"_s, u"pw"_s, u"-cf"_s, d + "/enc.zip"_L1, u"docs/x.txt"_s,
                     u"docs/inner.zip"_s},
                    m_src));
        const CliRun r = captureArchives();
        QCOMPARE(r.code, 0);
        // b.zip, cut.zip, fake.tar.gz, huge.tar, outer.tar, and enc.zip whose inner.zip
        // cannot be streamed.
        QCOMPARE(r.err, "orlith-cli: 1 names held characters that cannot be stored and were "
                        "changed.\norlith-cli: 6 archives could not be read whole; their readable "
                        "members are listed.\n"_L1);
        const QStringList got = captured();
        for (const QString &entry : QStringList{
                 "a.zip/docs/x.txt 12", "a.zip/../up.txt 1", "a.zip//abs.txt 1", "b.zip 68",
                 "fake.tar.gz 14", "huge.tar/big.bin 1000000000000", "enc.zip/docs/x.txt 12",
                 "enc.zip/docs/inner.zip", "outer.tar/in.tar.bz2/zeros.bin 2147483648",
                 "long.tar/" + QString(4096, u'a') + " 1"})
            QVERIFY2(got.filter(entry).size() == 1, qPrintable(entry));
        QVERIFY(got.filter(u"cut.zip"_s).size() >= 1);
    }

private:
    // The media folder captured, members of archives too, as disc N.
    CliRun captureArchives() const
    {
        return cli(m_data,
                   {"capture", "--archives", "--catalog", "Music & more", "--name", "N", m_tree});
    }
    // "path size" of each entry of disc N, paths relative to the media folder.
    QStringList captured() const
    {
        QStringList out;
        for (const FileEntry &e : stored(discFilePath(m_data, u"N"_s)))
            out << e.path.mid(m_tree.size() + 1) + u' ' + QString::number(e.size);
        return out;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_data;
    QString m_tree;
    CatalogueIndex m_index;
    QTemporaryDir m_srcDir;
    QString m_src; // docs/x.txt (12 bytes) and docs/inner.zip, the members of every archive
};

QTEST_GUILESS_MAIN(TestCliCapture)
#include "tst_cli_capture.moc"
