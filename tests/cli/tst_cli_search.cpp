// Orlith — desktop catalogue of removable media.
// orlith-cli search, find, duplicates and single-copies over small stores.
#include "core/capture/content_hash.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "core/store/text_codec.h"

#include "core/core_fixtures.h"
#include "core/search/search_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

// "path@disc" per row; an empty line stays empty.
QString rowsOf(const QString &out)
{
    QStringList lines;
    for (const QString &line : out.split(u'\n')) {
        const QStringList f = line.split(u'\t');
        lines << (f.size() == 5 ? f[1] + u'@' + f[4] : line);
    }
    return lines.join(u' ').trimmed();
}

} // namespace

class TestCliSearch : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_store = std::make_unique<QTemporaryDir>();
        makeSearchStore(m_store->path());
    }

    // A disc named twice is searched once; an unknown disc, a bad size or a name in use is
    // refused.
    void commandLine()
    {
        const QString root = m_store->path();
        QVERIFY(cli(root, {"search", "--at-least", "100", "--disc", "Alpha", "--disc", "Beta",
                           "--disc", "alpha"})
                    .says(0, u"Found  2 files."_s));
        QVERIFY(cli(root, {"search", "--at-least", "abc"}).says(2));
        QVERIFY(cli(root, {"find", "x", "--disc", "Nope"}).says(1));
        QVERIFY(cli(root, {"find", "a", "--save-as", "alpha", "--catalog", "Music"}).says(1));
    }

    // find prints the same rows with the search index; --drop removes the index.
    void indexCommand()
    {
        const QString root = m_store->path();
        const CliRun before = cli(root, {"find", "ROCK"});
        QVERIFY(cli(root, {"index"}).says(0, u"indexed 3 discs"_s));
        QCOMPARE(cli(root, {"find", "ROCK"}).out, before.out);
        QVERIFY(cli(root, {"index", "--drop"}).says(0));
        QCOMPARE(QDir(tempFolder(root)).entryList({u"search*"_s}, QDir::Files), QStringList());
    }

    // Duplicates and files on one disc only, as orlith-cli prints the engine's rows.
    void reports_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("summary");
        // Largest extra space first; names meet whatever their letter case; a file twice
        // on one disc counts; the same name with another size is another file.
        QTest::newRow("all") << QStringList{u"duplicates"_s}
                             << u"/1/big.iso@One /2/big.iso@Two /3/big.iso@Three  "
                                "/1/Song.mp3@One /1/c/song.MP3@One /2/SONG.mp3@Two  "
                                "/3/twice.bin@Three /3/x/twice.bin@Three  "
                                "/1/ÉTÉ.txt@One /2/été.txt@Two"_s
                             << u"4 groups, 10 files, 1.73 MB in extra copies."_s;
        QTest::newRow("none") << QStringList{u"duplicates"_s, u"--min-size"_s, u"9000"_s}
                              << QString() << u"0 groups, 0 files, 0.00 MB in extra copies."_s;
        // Kept on exactly one disc of the whole store, both copies of a file twice there.
        QTest::newRow("single all") << QStringList{u"single-copies"_s}
                                    << u"/1/lone.txt@One /2/old/big.iso@Two /3/twice.bin@Three "
                                       "/3/x/twice.bin@Three /3/lone2.txt@Three"_s
                                    << u"Found  5 files."_s;
        QTest::newRow("find") << QStringList{u"find"_s, u"BIG"_s}
                              << u"/1/big.iso@One /2/big.iso@Two /2/old/big.iso@Two "
                                 "/3/big.iso@Three"_s
                              << u"Found  4 files."_s;
    }
    void reports()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, rows);
        QFETCH(QString, summary);
        QTemporaryDir store;
        makeDuplicatesStore(store.path());
        const CliRun run = cli(store.path(), args);
        QCOMPARE(run.code, 0);
        QCOMPARE(rowsOf(run.out), rows);
        QCOMPARE(run.err, summary + u'\n');
        // --export writes the rows it prints, in their order.
        const QString file = store.filePath(u"rows.txt"_s);
        const QStringList exportTo{"--export", "text", "--no-title", "--separator", "tab", "--out"};
        QVERIFY(cli(store.path(), args + exportTo + QStringList{file}).says(0));
        const QByteArray bytes = readAll(file);
        QCOMPARE(rowsOf(decodeSingleByte(bytes.data(), bytes.size()).remove(u'\r')),
                 QString(rows).replace(u"  "_s, u" "_s));
        if (args.size() == 1) // and bad use, once
            QVERIFY(cli(store.path(), {"duplicates", "--min-size", "-1"}).says(2) &&
                    cli(store.path(), {"single-copies", "x"}).says(2));
    }

    // Files that both carry a checksum are copies when their bytes are, whatever their names;
    // a file without one still meets its name's copies. --by-content keeps only the first.
    void duplicatesByContent()
    {
        const QString root = m_store->path();
        const auto file = [](const char *path, const QByteArray &bytes, bool hashed = true) {
            return FileEntry{QString::fromLatin1(path).section(u'/', -1), QString::fromLatin1(path),
                             bytes.size(), u"d"_s, hashed ? contentHashText(bytes) : ""};
        };
        // y.txt: the same name and size on two discs with checksums, other bytes.
        QVERIFY(writeDiscFile(discFilePath(root, u"H1"_s), u"Music"_s,
                              {file("/1/a.txt", "same bytes!"), file("/1/y.txt", "aa")}));
        QVERIFY(writeDiscFile(discFilePath(root, u"H2"_s), u"Music"_s,
                              {file("/2/renamed.bin", "same bytes!"), file("/2/x.txt", "12345"),
                               file("/2/y.txt", "bb")}));
        QVERIFY(writeDiscFile(discFilePath(root, u"P"_s), u"Music"_s,
                              {file("/3/x.txt", "54321", /*hashed=*/false)}));
        const QStringList args{"duplicates", "--disc", "H1", "--disc", "H2", "--disc", "P"};
        const CliRun mixed = cli(root, args);
        QVERIFY2(mixed.says(0, u"1 groups by content, 1 by name and size."_s),
                 qPrintable(mixed.err));
        QCOMPARE(rowsOf(mixed.out), u"/1/a.txt@H1 /2/renamed.bin@H2  /2/x.txt@H2 /3/x.txt@P"_s);
        const CliRun byContent = cli(root, args + QStringList{u"--by-content"_s});
        QVERIFY2(byContent.says(0, u"1 groups, 2 files"_s), qPrintable(byContent.err));
        QCOMPARE(rowsOf(byContent.out), u"/1/a.txt@H1 /2/renamed.bin@H2"_s);
    }

    // ls prints a folder's subfolders (name/, KB, files) and files (name, KB, date); find
    // --folder keeps to one folder of one disc.
    void folders_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::newRow("ls disc root")
            << QStringList{"ls", "Alpha"} << 0
            << u"Rock/ 0.00 1, tiny.txt 0.01, big.iso 100.00, Концерт.ogg 200.00"_s;
        QTest::newRow("ls folder") << QStringList{"ls", "alpha/Rock"} << 0 << u"song.MP3 0.00"_s;
        QTest::newRow("ls missing folder") << QStringList{"ls", "Alpha/Nope"} << 1 << QString();
        QTest::newRow("find in folder") << QStringList{"find", "o", "--folder", "Alpha/Rock"} << 0
                                        << u"/media/cd/Rock/song.MP3@Alpha"_s;
        QTest::newRow("find, folder and disc")
            << QStringList{"find", "o", "--folder", "Alpha/Rock", "--disc", "Beta"} << 2
            << QString();
    }
    void folders()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        const CliRun run = cli(m_store->path(), args);
        QCOMPARE(run.code, code);
        if (args.first() == u"find") {
            QCOMPARE(rowsOf(run.out), out);
            return;
        }
        QStringList lines;
        for (const QString &line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList f = line.split(u'\t');
            lines << (f[0].endsWith(u'/') ? f.join(u' ') : f[0] + u' ' + f.value(1));
        }
        QCOMPARE(lines.join(u", "), out);
    }

private:
    std::unique_ptr<QTemporaryDir> m_store;
};

QTEST_GUILESS_MAIN(TestCliSearch)
#include "tst_cli_search.moc"
