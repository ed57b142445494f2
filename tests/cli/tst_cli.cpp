// Orlith — desktop catalogue of removable media.
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include "core/core_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        const QString root = m_dir->path();
        QVERIFY(ensureStoreFolders(root).ok());
        const QList<FileEntry> rock{{"a.mp3", "/m/a.mp3", 1536, "d1"},
                                    {"песня.ogg", "/m/песня.ogg", 0, "d2"}};
        QVERIFY(writeDiscFile(discFilePath(root, "Rock"), "Music", rock).ok());
        QVERIFY(writeDiscFile(discFilePath(root, "Empty disc"), "Music", {}).ok());
        QVERIFY(writeAll(catalogOrderPath(root), "Films\r\n"));
    }

    void helpAndUsage()
    {
        const CliRun help = runCli({"--help"});
        QCOMPARE(help.code, 0);
        for (const char *command : {"tree", "list DISC", "notes DISC", "settings", "--data-dir"})
            QVERIFY2(help.out.contains(QLatin1String(command)), command);
        QVERIFY(run({"frobnicate"}).says(2, "frobnicate"));
        QCOMPARE(runCli({"--data-dir"}).code, 2);
        QCOMPARE(run({"notes", "Rock", "--set"}).code, 2);
        // A missing data folder is one line of error, and is not made.
        const QString missing = m_dir->filePath("nowhere");
        const CliRun r = runCli({"--data-dir", missing, "tree"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(missing) && r.err.count('\n') == 1, qPrintable(r.err));
        QVERIFY(!QFile::exists(missing));
    }

    void tree()
    {
        const CliRun r = run({"tree"});
        QVERIFY(r.says(0) && r.err.isEmpty());
        QCOMPARE(r.out,
                 "Catalogs\n  Films\n  Music\n    Empty disc\n    Rock\nCatalogs: 2\nDiscs: 2\n");
        // Unshowable disc files are reported and the rest listed; stats cannot count them.
        // A catalog line that does not end within 4 KiB is never read whole.
        QVERIFY(writeAll(m_dir->filePath("cds/broken.xml"), QByteArray("\x00\x01garbage", 9)));
        QVERIFY(writeAll(m_dir->filePath("cds/endless.xml"),
                         "<cd-dvd>\r\n<catalog>" + QByteArray(100'000, 'x')));
        const CliRun again = run({"tree"});
        QCOMPARE(again.out, r.out);
        QVERIFY2(again.code == 0 && again.err.contains("endless.xml: names no catalog") &&
                     again.err.contains("broken.xml"),
                 qPrintable(again.err));
        QVERIFY(run({"stats"}).says(1, "broken.xml"));
    }

    void listNotesAndSettings()
    {
        const CliRun list = run({"list", "rock"});
        QCOMPARE(list.code, 0);
        QCOMPARE(list.out,
                 "a.mp3\t/m/a.mp3\t1.50\td1\tRock\nпесня.ogg\t/m/песня.ogg\t0.00\td2\tRock\n");
        QCOMPARE(run({"list", "Empty disc"}).out, QString());
        QVERIFY(run({"list", "Nope"}).says(1, "Nope"));
        // Notes set twice are updated in place; too long ones are refused, keeping the old.
        QCOMPARE(run({"notes", "Rock", "--set", "Первая"}).code, 0);
        QCOMPARE(run({"notes", "Rock", "--set", "Second, café"}).code, 0);
        QCOMPARE(QFileInfo(notesStorePath(m_dir->path())).size(), 2100);
        QVERIFY(run({"notes", "Rock", "--set", QString(2093, 'x')}).says(1, "too long"));
        QCOMPARE(run({"notes", "ROCK"}).out, "Second, café\n");
        QCOMPARE(run({"notes", "Ghost", "--set", "x"}).code, 1);
        const CliRun r = run({"settings"});
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY(r.code == 0 && lines.size() == 20);
        QCOMPARE(lines.first(), "openFileSetting=");
        QVERIFY(lines.contains("Width=0"));
        QVERIFY(QFile::exists(settingsPath(m_dir->path())));
    }

private:
    CliRun run(const QStringList &args) { return cli(m_dir->path(), args); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
