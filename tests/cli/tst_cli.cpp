// Orlith — desktop catalogue of removable media.
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace orlith;

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(ORLITH_CLI), args);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void helpAndUsage();
    void missingDataFolder();
    void tree();
    void list();
    void notes();
    void settings();

private:
    Run run(QStringList args) { return cli(QStringList{QStringLiteral("--data-dir"), m_dir->path()} + args); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString root = m_dir->path();
    QVERIFY(ensureStoreFolders(root).ok());
    QVERIFY(writeDiscFile(discFilePath(root, QStringLiteral("Rock")), QStringLiteral("Music"),
                          {{QStringLiteral("a.mp3"), QStringLiteral("/m/a.mp3"), 1536, QStringLiteral("d1")},
                           {QStringLiteral("песня.ogg"), QStringLiteral("/m/песня.ogg"), 0, QStringLiteral("d2")}})
                .ok());
    QVERIFY(writeDiscFile(discFilePath(root, QStringLiteral("Empty disc")), QStringLiteral("Music"), {}).ok());
    QFile order(catalogOrderPath(root));
    QVERIFY(order.open(QIODevice::WriteOnly));
    order.write("Films\r\n");
}

void TestCli::helpAndUsage()
{
    const Run help = cli({QStringLiteral("--help")});
    QCOMPARE(help.code, 0);
    for (const char *command : {"tree", "list DISC", "notes DISC", "settings", "--data-dir"})
        QVERIFY2(help.out.contains(QLatin1String(command)), command);
    QCOMPARE(cli({}).code, 2);
    const Run unknown = run({QStringLiteral("frobnicate")});
    QCOMPARE(unknown.code, 2);
    QVERIFY(unknown.err.contains(QLatin1String("frobnicate")));
    QCOMPARE(run({QStringLiteral("list")}).code, 2);
    QCOMPARE(run({QStringLiteral("notes"), QStringLiteral("Rock"), QStringLiteral("--set")}).code, 2);
    QCOMPARE(cli({QStringLiteral("--data-dir")}).code, 2);
}

void TestCli::missingDataFolder()
{
    const QString missing = m_dir->filePath(QStringLiteral("nowhere"));
    const Run r = cli({QStringLiteral("--data-dir"), missing, QStringLiteral("tree")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(missing), qPrintable(r.err));
    QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    QVERIFY(!QFile::exists(missing));
}

void TestCli::tree()
{
    const Run r = run({QStringLiteral("tree")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("Catalogs\n  Films\n  Music\n    Empty disc\n    Rock\nCatalogs: 2\nDiscs: 2\n"));
    QVERIFY(r.err.isEmpty());

    // A disc file that cannot be shown is reported, and the rest still listed; stats, which
    // cannot count it, fails.
    QFile bad(m_dir->filePath(QStringLiteral("cds/broken.xml")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("\x00\x01garbage", 9);
    bad.close();
    // One whose catalog line does not end within 4 KiB is skipped too, never read whole.
    QFile endless(m_dir->filePath(QStringLiteral("cds/endless.xml")));
    QVERIFY(endless.open(QIODevice::WriteOnly));
    endless.write("<cd-dvd>\r\n<catalog>" + QByteArray(100'000, 'x'));
    endless.close();
    const Run again = run({QStringLiteral("tree")});
    QCOMPARE(again.code, 0);
    QCOMPARE(again.out, r.out);
    QVERIFY2(again.err.contains(QLatin1String("endless.xml: names no catalog")), qPrintable(again.err));
    QVERIFY(again.out.endsWith(QLatin1String("Discs: 2\n")));
    QVERIFY2(again.err.contains(QLatin1String("broken.xml")), qPrintable(again.err));
    const Run stats = run({QStringLiteral("stats")});
    QCOMPARE(stats.code, 1);
    QVERIFY2(stats.err.contains(QLatin1String("broken.xml")), qPrintable(stats.err));
}

void TestCli::list()
{
    const Run r = run({QStringLiteral("list"), QStringLiteral("rock")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("a.mp3\t/m/a.mp3\t1.50\td1\tRock\nпесня.ogg\t/m/песня.ogg\t0.00\td2\tRock\n"));
    QCOMPARE(run({QStringLiteral("list"), QStringLiteral("Empty disc")}).out, QString());

    const Run missing = run({QStringLiteral("list"), QStringLiteral("Nope")});
    QCOMPARE(missing.code, 1);
    QVERIFY(missing.err.contains(QLatin1String("Nope")));
    QVERIFY(missing.out.isEmpty());
}

void TestCli::notes()
{
    QCOMPARE(run({QStringLiteral("notes"), QStringLiteral("Rock")}).out, QString());
    QCOMPARE(run({QStringLiteral("notes"), QStringLiteral("Rock"), QStringLiteral("--set"), QStringLiteral("Первая")}).code, 0);
    QCOMPARE(run({QStringLiteral("notes"), QStringLiteral("Rock"), QStringLiteral("--set"), QStringLiteral("Second, café")}).code, 0);
    QCOMPARE(run({QStringLiteral("notes"), QStringLiteral("ROCK")}).out, QStringLiteral("Second, café\n"));
    // Updated in place: one record, not two.
    QCOMPARE(QFileInfo(notesStorePath(m_dir->path())).size(), 2100);

    const Run tooLong = run({QStringLiteral("notes"), QStringLiteral("Rock"), QStringLiteral("--set"), QString(2093, QLatin1Char('x'))});
    QCOMPARE(tooLong.code, 1);
    QVERIFY(tooLong.err.contains(QLatin1String("too long")));
    QCOMPARE(run({QStringLiteral("notes"), QStringLiteral("Rock")}).out, QStringLiteral("Second, café\n"));
    QCOMPARE(run({QStringLiteral("notes"), QStringLiteral("Rock"), QStringLiteral("--set"), QString(2092, QLatin1Char('x'))}).code, 0);

    QCOMPARE(run({QStringLiteral("notes"), QStringLiteral("Ghost"), QStringLiteral("--set"), QStringLiteral("x")}).code, 1);
}

void TestCli::settings()
{
    const Run r = run({QStringLiteral("settings")});
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 19);
    QCOMPARE(lines.first(), QStringLiteral("openFileSetting="));
    QVERIFY(lines.contains(QStringLiteral("Width=0")));
    QVERIFY(QFile::exists(settingsPath(m_dir->path())));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
