// Orlith — desktop catalogue of removable media.
#include "capture/capture_job.h"
#include "capture/store_edits.h"
#include "capture_fixtures.h"
#include "store/catalogue_index.h"
#include "store/disc_file.h"
#include "store/program_folder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <unistd.h>

using namespace orlith;
using namespace orlith::test;

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run cli(const QString &data, const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(ORLITH_CLI), QStringList{QStringLiteral("--data-dir"), data} + args);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCaptureCli : public QObject
{
    Q_OBJECT

private slots:
    void captureMatchesTheEngine();
    void captureRefusals();
    void catalogRenameAndDeleteCommands();
    void killedCatalogRenameLeavesWholeFiles();
};

void TestCaptureCli::captureMatchesTheEngine()
{
    QTemporaryDir d;
    const QString tree = d.filePath(QStringLiteral("disc"));
    QVERIFY(makeFile(tree + QStringLiteral("/a&b.txt"), "hello"));
    QVERIFY(makeFile(tree + QStringLiteral("/sub/x.bin"), QByteArray(3000, 'x'), 1200000000));
    QVERIFY(makeFile(tree + QStringLiteral("/.hidden"), "h"));
    const QString viaCli = d.filePath(QStringLiteral("cli"));
    QVERIFY(ensureStoreFolders(viaCli).ok());
    QCOMPARE(cli(viaCli, {QStringLiteral("new-catalog"), QStringLiteral("Music")}).code, 0);
    const Run run = cli(viaCli, {QStringLiteral("capture"), QStringLiteral("--catalog"), QStringLiteral("Music"),
                                 QStringLiteral("--name"), QStringLiteral("Disc 1"), tree + QLatin1Char('/')});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, QStringLiteral("Ready.  2 files inserted from CD/DVD.\n"));
    QCOMPARE(run.err, QString());
    QVERIFY(cli(viaCli, {QStringLiteral("tree")}).out.contains(QLatin1String("  Music\n    Disc 1\n")));

    const QString viaEngine = d.filePath(QStringLiteral("engine"));
    QVERIFY(ensureStoreFolders(viaEngine).ok());
    CatalogueIndex index;
    QVERIFY(index.addCatalog(QStringLiteral("Music")));
    CaptureJob job({viaEngine, QStringLiteral("Disc 1"), QStringLiteral("Music"), tree}, index);
    job.start();
    while (!job.walkStep(1)) {
    }
    while (!job.Timer1Tick()) {
    }
    QVERIFY2(!job.failed(), qPrintable(job.error()));
    const QByteArray engineBytes = readAll(discFilePath(viaEngine, QStringLiteral("Disc 1")));
    QVERIFY(engineBytes.contains("<file_path>" + QFile::encodeName(tree) + "/a&b.txt</file_path>"));
    QCOMPARE(readAll(discFilePath(viaCli, QStringLiteral("Disc 1"))), engineBytes);
}

void TestCaptureCli::captureRefusals()
{
    QTemporaryDir d;
    QVERIFY(ensureStoreFolders(d.path()).ok());
    QVERIFY(writeDiscFile(discFilePath(d.path(), QStringLiteral("Rock")), QStringLiteral("Music"), {}).ok());
    auto capture = [&](const QString &catalog, const QString &name, const QString &folder) {
        return cli(d.path(), {QStringLiteral("capture"), QStringLiteral("--catalog"), catalog,
                              QStringLiteral("--name"), name, folder});
    };
    const Run taken = capture(QStringLiteral("Music"), QStringLiteral("rock"), d.path());
    QCOMPARE(taken.code, 1);
    QCOMPARE(taken.err, QStringLiteral("orlith-cli: Name you entered is allready in use.\n"));
    const Run number = capture(QStringLiteral("Music"), QStringLiteral("2024"), d.path());
    QCOMPARE(number.err, QStringLiteral("orlith-cli: CD/DVD name can not be number.\n"));
    QCOMPARE(capture(QStringLiteral("Films"), QStringLiteral("New"), d.path()).code, 1);
    QCOMPARE(capture(QStringLiteral("Music"), QStringLiteral("New"), d.filePath(QStringLiteral("nope"))).code, 1);
    QCOMPARE(cli(d.path(), {QStringLiteral("capture"), QStringLiteral("--name"), QStringLiteral("New"), d.path()}).code, 2);
    QCOMPARE(cli(d.path(), {QStringLiteral("capture"), d.path(), QStringLiteral("--catalog")}).code, 2);
    QVERIFY(!QFile::exists(discFilePath(d.path(), QStringLiteral("New"))));
}

void TestCaptureCli::catalogRenameAndDeleteCommands()
{
    QTemporaryDir d;
    const QString data = d.path();
    QVERIFY(ensureStoreFolders(data).ok());
    QVERIFY(writeDiscFile(discFilePath(data, QStringLiteral("A")), QStringLiteral("Music"), {}).ok());
    auto run = [&](QStringList args) { return cli(data, args); };

    QCOMPARE(run({QStringLiteral("new-catalog"), QStringLiteral("12")}).err,
             QStringLiteral("orlith-cli: Catalog name can not be number.\n"));
    QCOMPARE(run({QStringLiteral("new-catalog"), QStringLiteral("Films")}).code, 0);
    QCOMPARE(run({QStringLiteral("rename"), QStringLiteral("A"), QStringLiteral("B")}).code, 0);
    QCOMPARE(run({QStringLiteral("rename"), QStringLiteral("Music"), QStringLiteral("Songs")}).code, 0);
    QCOMPARE(run({QStringLiteral("rename"), QStringLiteral("Songs"), QStringLiteral("12")}).err,
             QStringLiteral("orlith-cli: Catalog name can not be a number.\n"));
    QCOMPARE(run({QStringLiteral("rename"), QStringLiteral("Nope"), QStringLiteral("X")}).code, 1);
    QCOMPARE(run({QStringLiteral("tree")}).out,
             QStringLiteral("Catalogs\n  Songs\n    B\n  Films\nCatalogs: 2\nDiscs: 1\n"));

    // Without a terminal to ask, a disc is deleted only with --yes.
    const Run unasked = run({QStringLiteral("delete"), QStringLiteral("B")});
    QCOMPARE(unasked.code, 2);
    QVERIFY(unasked.err.contains(QLatin1String("--yes")));
    QCOMPARE(run({QStringLiteral("delete"), QStringLiteral("Songs")}).code, 1);
    QCOMPARE(run({QStringLiteral("delete"), QStringLiteral("katalog")}).code, 1);
    QVERIFY(QFile::exists(discFilePath(data, QStringLiteral("B"))));
    QCOMPARE(run({QStringLiteral("delete"), QStringLiteral("B"), QStringLiteral("--yes")}).code, 0);
    QCOMPARE(run({QStringLiteral("delete"), QStringLiteral("Songs")}).code, 0);
    QVERIFY(!QFile::exists(discFilePath(data, QStringLiteral("B"))));
    QCOMPARE(readAll(catalogOrderPath(data)), QByteArray("Films\r\n"));
}

// A catalog rename over 200 disc files, killed at random moments: every disc file is
// always whole, holding either the old or the new catalog line with all its entries.
void TestCaptureCli::killedCatalogRenameLeavesWholeFiles()
{
    constexpr int kDiscs = 200;
    constexpr int kTrials = 24;
    // Memory-backed when possible: the test is about renames, not about disk speed.
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                             : QDir::tempPath();
    QTemporaryDir d(base + QStringLiteral("/orlith-kill-XXXXXX"));
    QVERIFY(d.isValid());
    const QString data = d.path();
    QVERIFY(ensureStoreFolders(data).ok());
    QList<QList<FileEntry>> entries(kDiscs);
    QList<QByteArray> oldBytes;
    QList<QByteArray> newBytes;
    for (int i = 0; i < kDiscs; ++i) {
        for (int e = 0; e < 20 + i % 7; ++e)
            entries[i].append({QStringLiteral("f%1.txt").arg(e), QStringLiteral("/cd/d%1/f%2.txt").arg(i).arg(e),
                               e * 100, QStringLiteral("1.1.2004 10:00:00")});
        oldBytes.append(discFileBytes(QStringLiteral("Old"), entries[i]));
        newBytes.append(orlith::rewriteCatalogLine(oldBytes[i], QStringLiteral("New")));
    }
    auto reset = [&] {
        for (int i = 0; i < kDiscs; ++i)
            QVERIFY(writeDiscFile(discFilePath(data, QStringLiteral("d%1").arg(i)), QStringLiteral("Old"), entries[i]).ok());
        QVERIFY(makeFile(catalogOrderPath(data), "Old\r\n"));
    };
    const QStringList rename{QStringLiteral("--data-dir"), data, QStringLiteral("rename"), QStringLiteral("Old"),
                             QStringLiteral("New")};

    reset();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(cli(data, rename.mid(2)).code, 0);
    const qint64 fullRunUs = clock.nsecsElapsed() / 1000;
    QCOMPARE(readAll(discFilePath(data, QStringLiteral("d7"))), newBytes[7]);

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
            const QByteArray now = readAll(discFilePath(data, QStringLiteral("d%1").arg(i)));
            QVERIFY2(now == oldBytes[i] || now == newBytes[i],
                     qPrintable(QStringLiteral("seed %1, trial %2: d%3.xml is %4 bytes, neither old nor new")
                                    .arg(seed).arg(trial).arg(i).arg(now.size())));
            renamed += now == newBytes[i];
        }
        const QByteArray order = readAll(catalogOrderPath(data));
        QVERIFY2(order == "Old\r\n" || order == "New\r\n", order.constData());
        partlyRenamed += renamed > 0 && renamed < kDiscs;
    }
    // Some kills must have landed in the middle of the rewrite, or nothing was tested.
    QVERIFY2(partlyRenamed > 0, qPrintable(QStringLiteral("seed %1").arg(seed)));
    qInfo("%d of %d trials killed mid-rename (full run %lld us)", partlyRenamed, kTrials, qlonglong(fullRunUs));
}

QTEST_GUILESS_MAIN(TestCaptureCli)
#include "tst_capture_cli.moc"
