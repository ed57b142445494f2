// Orlith — desktop catalogue of removable media.
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include "core/core_fixtures.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

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

    void helpAndVersion()
    {
        QVERIFY(runCli({"--help"}).says(0, "--data-dir DIR"));
        const CliRun version = runCli({"--version"});
        QVERIFY(version.code == 0 &&
                QRegularExpression("^orlith-cli \\d+(\\.\\d+)*\n$").match(version.out).hasMatch());
    }

    // Every command line goes through the one option parser.
    void parserRules_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");
        const auto row = [](const char *tag, const QStringList &args, int code, const char *says) {
            QTest::newRow(tag) << args << code << QString::fromUtf8(says);
        };
        row("unknown command", {"frobnicate"}, 2, "frobnicate");
        row("value missing at the end", {"notes", "Rock", "--set"}, 2, "--set");
        row("joined empty free text", {"search", "--text=", "--disc", "Rock"}, 0, "Found  2");
        row("after --, a name", {"list", "--", "--x"}, 0, "/x.txt");
        row("before --, an option", {"list", "--x"}, 2, "list has no option --x");
        row("data folder after the command", {"tree", "--data-dir", "DATA"}, 0, "Discs: 3");
        row("repeated once-only", {"notes", "Rock", "--set", "a", "--set=b"}, 2,
            "--set is given twice");
        row("conflict", {"search", "--at-least", "1", "--at-most=2"}, 2,
            "give either --at-least or --at-most, not both");
        row("flag given a value", {"delete", "Rock", "--yes=no"}, 2, "--yes takes no value");
        row("required missing", {"archive", "Rock"}, 2, "archive needs --to DIR");
        row("blank joined name", {"find", "a", "--disc= "}, 2, "--disc needs DISC, not an empty");
        row("blank operand", {"rename", "Rock", "\t"}, 2, "rename: an empty argument");
        row("help wins", {"find", "--frob", "--help"}, 0,
            "Usage: orlith-cli [--data-dir DIR] find");
        row("help of nothing", {"help", "frob"}, 2, "unknown command \"frob\"");
        row("into without save-as", {"find", "a", "--into", "Films"}, 2,
            "--into CATALOG goes with");
    }
    void parserRules()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, says);
        QVERIFY(writeDiscFile(discFilePath(m_dir->path(), "--x"), "Films",
                              {{"x.txt", "/x.txt", 1, "d"}})
                    .ok());
        // A row naming the data folder itself gives it after the command.
        const CliRun r = args.contains("DATA")
                             ? runCli(args.replaceInStrings("DATA", m_dir->path()))
                             : run(args);
        QVERIFY2(r.says(code, says), qPrintable(r.out + r.err));
        if (code != 0)
            QVERIFY2(r.err.startsWith("orlith-cli: ") && r.err.count('\n') == 1, qPrintable(r.err));
    }

    // A command's help names every option it takes (one generic printer for every command);
    // `help X` and `X --help` agree.
    void commandHelp()
    {
        const CliRun help = runCli({"help", "export"});
        QVERIFY(help.says(0, "Usage: orlith-cli [--data-dir DIR] export "));
        QCOMPARE(run({"export", "--help"}).out, help.out);
        for (const QString option : {"--disc", "--catalog", "--out", "--no-title", "--separator",
                                     "--qualifier", "--dialect", "--create-database",
                                     "--create-table", "--table", "--data-dir", "--help"})
            QVERIFY2(help.out.contains("  " + option + ' ') ||
                         help.out.contains("  " + option + '\n'),
                     qPrintable(option));
        QVERIFY(runCli({"--help"}).out.contains("\n  export "));
    }

    // The same --disc and --catalog give the same discs, in tree order, to every command
    // that takes a scope.
    void scopeIsTheSameEverywhere_data()
    {
        QTest::addColumn<QStringList>("scope");
        QTest::addColumn<QStringList>("discs");
        QTest::newRow("none") << QStringList() << QStringList{"a1", "a2", "b1", "c1"};
        QTest::newRow("overlapping, any case")
            << QStringList{"--disc=C1", "--catalog=a", "--disc", "A2", "--catalog", "b"}
            << QStringList{"a1", "a2", "b1", "c1"};
    }
    void scopeIsTheSameEverywhere()
    {
        QFETCH(QStringList, scope);
        QFETCH(QStringList, discs);
        QTemporaryDir store;
        QVERIFY(ensureStoreFolders(store.path()).ok());
        QVERIFY(writeAll(catalogOrderPath(store.path()), "A\r\nB\r\nC\r\n"));
        // Each disc holds a copy of one file and a file of its own.
        for (const QString disc : {"c1", "a2", "b1", "a1"})
            QVERIFY(writeDiscFile(
                        discFilePath(store.path(), disc), disc.first(1).toUpper(),
                        {{"same", "/same", 10, "d"}, {disc + ".txt", "/" + disc + ".txt", 20, "d"}})
                        .ok());
        for (const QStringList &command :
             {QStringList{"find", ""}, {"search"}, {"duplicates"}, {"single-copies"}}) {
            const CliRun r = cli(store.path(), command + scope);
            QVERIFY2(r.code == 0, qPrintable(r.err));
            QStringList seen;
            for (const QString &line : r.out.split('\n', Qt::SkipEmptyParts)) {
                if (const QString disc = line.section('\t', 4); !seen.contains(disc))
                    seen << disc;
            }
            if (command.first().contains('-'))
                seen.sort();
            QCOMPARE(seen, discs);
        }
    }

    // --save-as NAME files the hits into --into CATALOG; the older form names it with
    // --catalog and scopes with --within.
    void saveAsTarget()
    {
        QVERIFY(writeDiscFile(discFilePath(m_dir->path(), "Other"), "Films",
                              {{"b.mp3", "/o/b.mp3", 1, "d"}})
                    .ok());
        for (const QStringList &line : {QStringList{"find", ".mp3", "--catalog", "Music",
                                                    "--save-as", "S", "--into", "Films"},
                                        QStringList{"search", "--text", ".mp3", "--within", "Music",
                                                    "--save-as=S", "--catalog", "Films"}}) {
            QVERIFY2(run(line).says(0, "Found  1 files."), qPrintable(line.join(' ')));
            QCOMPARE(run({"list", "S"}).out, "a.mp3\t/m/a.mp3\t1.50\td1\tS\n");
            QVERIFY(run({"tree"}).out.contains("  Films\n    Other\n    S\n"));
            QVERIFY(run({"delete", "S", "--yes"}).says(0));
        }
    }

    void tree()
    {
        const CliRun r = run({"tree"});
        QVERIFY(r.says(0) && r.err.isEmpty());
        QCOMPARE(r.out,
                 "Catalogs\n  Films\n  Music\n    Empty disc\n    Rock\nCatalogs: 2\nDiscs: 2\n");
        // Unshowable disc files are reported and the rest listed; stats cannot count them.
        QVERIFY(writeAll(m_dir->filePath("cds/broken.xml"), QByteArray("\x00\x01garbage", 9)));
        const CliRun again = run({"tree"});
        QCOMPARE(again.out, r.out);
        QVERIFY2(again.code == 0 && again.err.contains("broken.xml: names no catalog"),
                 qPrintable(again.err));
        QVERIFY(run({"stats"}).says(1, "broken.xml"));
    }

    void listNotesAndSettings()
    {
        QCOMPARE(run({"list", "rock"}).out,
                 "a.mp3\t/m/a.mp3\t1.50\td1\tRock\nпесня.ogg\t/m/песня.ogg\t0.00\td2\tRock\n");
        QCOMPARE(run({"list", "Empty disc"}).out, QString());
        QVERIFY(run({"list", "Nope"}).says(1, "Nope"));
        QCOMPARE(run({"notes", "Rock", "--set", "Second, café"}).code, 0);
        QCOMPARE(run({"notes", "ROCK"}).out, "Second, café\n");
        // A fresh install opens files.
        QVERIFY(run({"settings"}).out.startsWith("openFileSetting=True\n"));
        QVERIFY(QFile::exists(settingsPath(m_dir->path())));
    }

    // A disc file with a 200 MB line amid its entries: every reader skips that line without
    // holding it, lists the rest and says so once.
    void overlongLineStaysBounded()
    {
        QFile big(discFilePath(m_dir->path(), "Big"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        const QByteArray entries =
            discFileBytes("Music", {{"before.txt", "/big/before.txt", 1, "d1"},
                                    {"a.mp3", "/big/a.mp3", 1536, "d2"}});
        const qsizetype cut = entries.indexOf("<file_info>", entries.indexOf("before.txt"));
        // Sparse: the 200 MB of the line take no room on disk.
        QVERIFY(big.write(entries.first(cut) + "    <file_path>/big/") > 0);
        QVERIFY(big.resize(big.size() + 200'000'000) && big.seek(big.size()));
        QVERIFY(big.write("x</file_path>\r\n" + entries.sliced(cut)) > 0);
        big.close();
        const QString exported = m_dir->filePath("export.txt");
        // Each command with a line it shows from after the long one.
        const QList<std::pair<QStringList, QString>> runs{
            {{"find", "g/"}, "/big/a.mp3"},
            {{"stats"}, "Total number of files: 4"},
            {{"duplicates"}, "/big/a.mp3"},
            {{"export", "text", "--out", exported, "Big"}, "/big/a.mp3"}};
        for (const auto &[args, shows] : runs) {
            const CliRun r = run(args);
            QVERIFY2(r.code == 0, qPrintable(r.err));
            const QString shown = args.first() == "export" ? readAll(exported) : r.out;
            QVERIFY2(shown.contains(shows), qPrintable(args.first()));
            QCOMPARE(r.err.count("skipped"), 1);
            QVERIFY(
                r.err.contains("orlith-cli: skipped 1 lines longer than 64 KiB in cds/Big.xml\n"));
        }
        // The largest of the children: every other run of this suite is small.
        rusage children{};
        getrusage(RUSAGE_CHILDREN, &children);
        QVERIFY2(children.ru_maxrss < 96 * 1024, qPrintable(QString::number(children.ru_maxrss)));
    }

    // Sizes near 2^63 add up to the largest total there is, never a negative one.
    void hugeSizesGiveSaneTotals()
    {
        QList<FileEntry> entries;
        for (const QString path : {"/1/h", "/2/h", "/3/h", "/1/g", "/2/g"})
            entries.append({path.last(1), path, 9'000'000'000'000'000'000, "d"});
        QVERIFY(writeDiscFile(discFilePath(m_dir->path(), "Huge"), "Films", entries).ok());
        QVERIFY(run({"stats"}).says(0, "Total usage: 8796093022208 MB   (8589934592 GB)\n"));
        QVERIFY(run({"duplicates"})
                    .says(0, "2 groups, 5 files, 8796093022208.00 MB in extra copies.\n"));
    }

    // --data-dir takes a store, an empty folder, or with --init any folder; a folder of
    // other files is refused untouched.
    void dataFolderMustLookLikeOne_data()
    {
        QTest::addColumn<QString>("holds"); // a file made in the folder first; "-" no folder
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");
        QTest::newRow("empty") << "" << QStringList{"tree"} << 0 << "Discs: 0";
        QTest::newRow("settings only") << "Data.ini" << QStringList{"tree"} << 0 << "Discs: 0";
        QTest::newRow("other files") << "letter.txt" << QStringList{"tree"} << 2
                                     << "does not look like an Orlith data folder";
        QTest::newRow("other files, --init")
            << "letter.txt" << QStringList{"tree", "--init"} << 0 << "Discs: 0";
        QTest::newRow("missing") << "-" << QStringList{"tree"} << 1 << "does not exist";
        QTest::newRow("missing, --init") << "-" << QStringList{"tree", "--init"} << 0 << "Discs: 0";
    }

    void dataFolderMustLookLikeOne()
    {
        QFETCH(QString, holds);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, says);
        const QString folder = m_dir->filePath("data");
        if (holds != "-")
            QVERIFY(QDir().mkpath(folder));
        if (!holds.isEmpty() && holds != "-")
            QVERIFY(writeAll(folder + '/' + holds, "x"));
        const CliRun r = cli(folder, args);
        QVERIFY2(r.says(code, says) && (code == 0 || r.err.count('\n') == 1),
                 qPrintable(r.out + r.err));
        QCOMPARE(QFileInfo(cdsFolder(folder)).isDir(), code == 0);
    }

    // Both streams into one file: the rows first, the summary last.
    void summaryFollowsTheRows()
    {
        const QString file = m_dir->filePath("both.txt");
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setStandardOutputFile(file);
        p.start(ORLITH_CLI, {"--data-dir", m_dir->path(), "find", "m"});
        QVERIFY(p.waitForFinished(30000) && p.exitCode() == 0);
        QCOMPARE(QString::fromUtf8(readAll(file)),
                 "a.mp3\t/m/a.mp3\t1.50\td1\tRock\n"
                 "песня.ogg\t/m/песня.ogg\t0.00\td2\tRock\nFound  2 files.\n");
    }

private:
    CliRun run(const QStringList &args) { return cli(m_dir->path(), args); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
