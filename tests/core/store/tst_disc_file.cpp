// Orlith — desktop catalogue of removable media.
#include "core/store/disc_file.h"
#include "core/store/disc_listing.h"

#include "core/core_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace orlith;
using namespace Qt::StringLiterals;
using orlith::test::readAll;
using orlith::test::writeAll;

namespace {

QByteArray crlf(const char *text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

FileEntry entry(const QString &name, const QString &path, qint64 size, const QString &date)
{
    return {name, path, size, date};
}

} // namespace

class TestDiscFile : public QObject
{
    Q_OBJECT

private slots:
    void writesExactBytes_data()
    {
        QTest::addColumn<QString>("catalog");
        QTest::addColumn<QList<FileEntry>>("entries");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray head =
            crlf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n\n<cd-dvd>\n");
        QTest::newRow("empty disc") << u"Music"_s << QList<FileEntry>{}
                                    << head + crlf("<catalog>Music</catalog>\n</cd-dvd>\n");
        QTest::newRow("ampersand and quotes unescaped")
            << u"A&B"_s
            << QList<FileEntry>{entry("a&b \"<x>\".txt", "D:\\x\\a&b \"<x>\".txt", 1536,
                                      "1/2/2003 01:02:03")}
            << head +
                   crlf("<catalog>A&B</catalog>\n<file_info>\n"
                        "    <file_name>a&b \"<x>\".txt</file_name>\n"
                        "    <file_path>D:\\x\\a&b \"<x>\".txt</file_path>\n"
                        "    <file_size> 1536</file_size>\n"
                        "    <file_date>1/2/2003 01:02:03</file_date>\n</file_info>\n</cd-dvd>\n");
        QTest::newRow("latin1 and utf-8 decided per line")
            << u"Café"_s << QList<FileEntry>{entry("été.txt", "/m/Музыка/été.txt", 5, "d")}
            << head +
                   "<catalog>Caf\xe9</catalog>\r\n<file_info>\r\n    "
                   "<file_name>\xe9t\xe9.txt</file_name>\r\n" +
                   "    <file_path>" + u"/m/Музыка/été.txt"_s.toUtf8() +
                   "</file_path>\r\n    <file_size> 5</file_size>\r\n"
                   "    <file_date>d</file_date>\r\n</file_info>\r\n</cd-dvd>\r\n";
        // A line break in a name must not add lines: control characters become U+FFFD.
        QTest::newRow("control characters")
            << u"C"_s << QList<FileEntry>{entry("x\r\n<file_name>FAKE\x7f", "/m/\tx", 1, "d")}
            << head +
                   "<catalog>C</catalog>\r\n<file_info>\r\n    "
                   "<file_name>x\uFFFD\uFFFD<file_name>FAKE"
                   "\uFFFD</file_name>\r\n    <file_path>/m/\uFFFDx</file_path>\r\n    <file_size> "
                   "1"
                   "</file_size>\r\n    <file_date>d</file_date>\r\n</file_info>\r\n</cd-dvd>\r\n";
    }

    void writesExactBytes()
    {
        QFETCH(QString, catalog);
        QFETCH(QList<FileEntry>, entries);
        QFETCH(QByteArray, expected);
        QCOMPARE(discFileBytes(catalog, entries), expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"disc.xml"_s);
        QVERIFY(writeDiscFile(path, catalog, entries).ok());
        QCOMPARE(readAll(path), expected);
    }

    void writeThenReadRoundTrips()
    {
        QList<FileEntry> entries;
        for (int i = 0; i < 3000; ++i)
            entries.append(entry(u"файл %1 &.txt"_s.arg(i),
                                 u"/media/cd/папка/файл %1 &.txt"_s.arg(i),
                                 qint64(i) * 1'000'003 + (i == 7 ? 5'000'000'000LL : 0),
                                 u"14.03.2004 22:10:%1"_s.arg(i % 60, 2, 10, QLatin1Char('0'))));
        QTemporaryDir dir;
        const QString path = dir.filePath(u"big.xml"_s);
        QVERIFY(writeDiscFile(path, u"Каталог"_s, entries).ok());
        QList<FileEntry> back;
        QVERIFY(readDiscEntries(path, back).ok());
        QCOMPARE(back.size(), entries.size());
        for (qsizetype i = 0; i < entries.size(); ++i)
            QVERIFY(back[i].name == entries[i].name && back[i].path == entries[i].path &&
                    back[i].size == entries[i].size && back[i].date == entries[i].date);
        QCOMPARE(readCatalogName(readAll(path)), u"Каталог"_s);
        QCOMPARE(countFileEntries(readAll(path)), 3000);
    }

    void writeReplacesAtomically()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"d.xml"_s);
        QVERIFY(writeDiscFile(path, u"One"_s, {}).ok());
        QVERIFY(writeDiscFile(path, u"Two"_s, {}).ok());
        QCOMPARE(readCatalogName(readAll(path)), u"Two"_s);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1); // no temporary beside it

        // A full disk part-way through keeps the old file whole.
        const QByteArray before = readAll(path);
        StoreResult full;
        {
            test::FileSizeLimit limit(300);
            QVERIFY(limit.active());
            full = writeDiscFile(path, u"Three"_s,
                                 {entry("a", "/a", 1, "d"), entry("b", "/b", 2, "d")});
        }
        QVERIFY(!full.ok());
        QCOMPARE(readAll(path), before);
        // A folder that cannot be written says why.
        const QString missing = dir.filePath(u"no/such/folder/x.xml"_s);
        const StoreResult r = writeDiscFile(missing, u"X"_s, {});
        QVERIFY(!r.ok() && r.error.contains(missing));
    }

    void readsHandMadeFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<qint64>>("sizes");
        const QByteArray indented = crlf(
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n\n<cd-dvd>\n<catalog>C</catalog>\n"
            "<file_info>\n    <file_name>a.txt</file_name>\n    <file_path>D:\\a.txt</file_path>\n"
            "    <file_size> 10</file_size>\n    <file_date>d1</file_date>\n</file_info>\n"
            "<file_info>\n    <file_name>b.txt</file_name>\n    <file_path>D:\\b.txt</file_path>\n"
            "    <file_size> 20</file_size>\n    "
            "<file_date>d2</file_date>\n</file_info>\n</cd-dvd>\n");
        const QStringList ab{"a.txt", "b.txt"};
        QTest::newRow("indented") << indented << ab << QList<qint64>{10, 20};
        QTest::newRow("unindented after a rename")
            << QByteArray(indented).replace("    <", "<") << ab << QList<qint64>{10, 20};
        QTest::newRow("LF line ends")
            << QByteArray(indented).replace("\r\n", "\n") << ab << QList<qint64>{10, 20};
        // The tabbed name line is not recognised: b's other fields land on a's name.
        QTest::newRow("tab before a tag")
            << QByteArray(indented).replace("    <file_name>b.txt", "\t<file_name>b.txt")
            << QStringList{"a.txt", "a.txt"} << QList<qint64>{10, 20};
        QTest::newRow("missing catalog line")
            << QByteArray(indented).replace("<catalog>C</catalog>\r\n", "") << ab
            << QList<qint64>{10, 20};
        QTest::newRow("0-byte file") << QByteArray() << QStringList{} << QList<qint64>{};
        QTest::newRow("garbage")
            << QByteArray("\x00\xff<file_\n<file_name>\r\n\r\r\n<<<<<<<<<<<<<<<<<<<<<<<<", 46)
            << QStringList{} << QList<qint64>{};
        QTest::newRow("truncated inside the last record")
            << indented.left(indented.indexOf("d2")) << QStringList{"a.txt"} << QList<qint64>{10};
        QTest::newRow("short tag line has no value")
            << QByteArray("<file_name>x</file_name\n<file_date>d</file_date>\n") << QStringList{""}
            << QList<qint64>{0};
        // The closing tag is never compared: the value ends 12 characters before the line.
        QTest::newRow("value taken by position")
            << QByteArray(
                   "<file_name>a</file_name>b.txt</file_name>\r\n<file_size> 7</file_size>\r\n"
                   "<file_date>x</file_date>\r\n")
            << QStringList{"a</file_name>b.txt"} << QList<qint64>{7};
        QTest::newRow("any 12 characters end the value")
            << QByteArray("<file_name>abc.txt123456789012\n<file_date>x</file_date>\n")
            << QStringList{"abc.txt"} << QList<qint64>{0};
    }

    void readsHandMadeFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, names);
        QFETCH(QList<qint64>, sizes);
        QStringList gotNames;
        QList<qint64> gotSizes;
        DiscReader reader(bytes);
        for (FileEntry e; reader.nextEntry(e);) {
            gotNames << e.name;
            gotSizes << e.size;
        }
        QCOMPARE(gotNames, names);
        QCOMPARE(gotSizes, sizes);
    }

    void sizeValues_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("kb");
        QTest::newRow("sign-padded") << QByteArray(" 1536") << qint64(1536) << u"1.50"_s;
        QTest::newRow("zero") << QByteArray(" 0") << qint64(0) << u"0.00"_s;
        QTest::newRow("over 2 GiB")
            << QByteArray(" 5000000000") << qint64(5000000000) << u"4882812.50"_s;
        QTest::newRow("negative") << QByteArray("-3") << qint64(-3) << u"-0.00"_s;
        QTest::newRow("not a number") << QByteArray("abc") << qint64(0) << u"0.00"_s;
        QTest::newRow("fraction dropped") << QByteArray("12.9") << qint64(12) << u"0.01"_s;
        QTest::newRow("too many digits")
            << QByteArray("99999999999999999999999") << qint64(999999999999999999) << QString();
    }

    void sizeValues()
    {
        QFETCH(QByteArray, value);
        QFETCH(qint64, size);
        QFETCH(QString, kb);
        QCOMPARE(parseSizeValue(value), size);
        if (!kb.isEmpty())
            QCOMPARE(kilobytesText(size), kb);
    }

    void countsEntries_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("count");
        QTest::newRow("empty") << QByteArray() << qsizetype(0);
        QTest::newRow("two") << QByteArray(
                                    "<file_name>a</file_name>\r\n  <FILE_NAME>b</FILE_NAME>\r\n")
                             << qsizetype(2);
        QTest::newRow("comma in name counts once")
            << QByteArray("    <file_name>a,b.txt</file_name>\r\n") << qsizetype(1);
        QTest::newRow("tag in two comma fields")
            << QByteArray("<file_name>a,<file_name>b</file_name>\r\n") << qsizetype(2);
        QTest::newRow("no line end") << QByteArray("<file_name>x</file_name>") << qsizetype(1);
    }

    void countsEntries()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, count);
        QCOMPARE(countFileEntries(bytes), count);
    }

    void readsCatalogName_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("catalog");
        const QByteArray decl = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";
        QTest::newRow("written form") << decl + "\r\n<cd-dvd>\r\n<catalog>Films</catalog>\r\n"
                                      << u"Films"_s;
        QTest::newRow("indented, LF")
            << QByteArray("   <cd-dvd>\n   <catalog>Films</catalog>  \n") << u"Films"_s;
        QTest::newRow("missing catalog line")
            << decl + "<cd-dvd>\r\n<file_info>\r\n    <file_name>a</file_name>\r\n"
            << u"o>e>a"_s;
        QTest::newRow("empty catalog") << decl + "<cd-dvd>\r\n<catalog></catalog>\r\n" << QString();
        QTest::newRow("runs across lines")
            << QByteArray("<catalog>Two\r\n0123456789words</catalog>\r\n") << u"Two9words"_s;
        QTest::newRow("nothing but skipped lines") << decl + "\r\n<cd-dvd>\r\n" << QString();
        QTest::newRow("0 bytes") << QByteArray() << QString();
    }

    void readsCatalogName()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, catalog);
        QCOMPARE(readCatalogName(bytes), catalog);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"d.xml"_s);
        QVERIFY(writeAll(path, bytes));
        bool readable = false;
        QCOMPARE(readCatalogNameFromFile(path, &readable), catalog);
        QVERIFY(readable);
    }

    void catalogNameFromLargeFile()
    {
        // A catalog line that starts after the first block read still counts when it ends
        // within the first 4 KiB; past that the file names no catalog.
        QTemporaryDir dir;
        const QString path = dir.filePath(u"d.xml"_s);
        for (int spaces : {3000, 4070, 40000}) {
            const QByteArray bytes =
                "<cd-dvd>\r\n" + QByteArray(spaces, ' ') + "\r\n<catalog>Late</catalog>\r\n";
            QVERIFY(writeAll(path, bytes));
            const QString expected = spaces < 4000 ? u"Late"_s : QString();
            QCOMPARE(readCatalogNameFromFile(path), expected);
            QCOMPARE(readCatalogName(bytes), expected);
        }
        // The first read takes 1 KiB: a catalog line that starts, ends or breaks off around
        // there reads as from the whole file, also when the name runs on into the next line.
        for (int at = 1000; at <= 1040; ++at) {
            const QByteArray near = "<cd-dvd>\r\n" + QByteArray(at, ' ') + "<catalog>Boundary";
            const QByteArray rest = QByteArray::number(at) + "</catalog>\r\n</cd-dvd>\r\n";
            QVERIFY(writeAll(path, near + rest));
            QCOMPARE(readCatalogNameFromFile(path), u"Boundary"_s + QString::number(at));
            QVERIFY(writeAll(path, near + "\r\n" + rest));
            QCOMPARE(readCatalogNameFromFile(path), readCatalogName(near + "\r\n" + rest));
        }
        bool readable = true;
        QCOMPARE(readCatalogNameFromFile(dir.filePath(u"none.xml"_s), &readable), QString());
        QVERIFY(!readable);
    }

    void listsRows()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"cds"_s));
        QVERIFY(writeDiscFile(discFilePath(dir.path(), u"Disc"_s), u"C"_s,
                              {entry("a.mp3", "/m/a.mp3", 1536, "d"), entry("b", "/m/b", 0, "e")})
                    .ok());
        QList<FileRow> rows;
        QVERIFY(listDiscFiles(dir.path(), u"Disc"_s, rows).ok());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rowAsTabbedLine(rows[0]), u"a.mp3\t/m/a.mp3\t1.50\td\tDisc"_s);
        QCOMPARE(rows[1].sizeText(), u"0.00"_s);
        QCOMPARE(CountFileEntries(dir.path(), u"Disc"_s), u"2"_s);
        const StoreResult missing = listDiscFiles(dir.path(), u"Nope"_s, rows);
        QVERIFY(!missing.ok() && missing.error.contains(QLatin1String("Nope.xml")));
        QCOMPARE(rows.size(), 2);
    }

    void destroyOverwritesBeforeDeleting()
    {
        // A second hard link keeps the data visible after the name is deleted. A length that
        // is already a multiple of the block gets one block more.
        QTemporaryDir dir;
        const QString path = dir.filePath(u"d.xml"_s);
        const QString witness = dir.filePath(u"witness"_s);
        for (int size : {5000, 4096}) {
            QFile::remove(witness);
            QVERIFY(writeAll(path, QByteArray(size, 'a')));
            QCOMPARE(
                ::link(QFile::encodeName(path).constData(), QFile::encodeName(witness).constData()),
                0);
            QVERIFY(DestroyFile(path).ok());
            QVERIFY(!QFile::exists(path));
            QCOMPARE(readAll(witness), QByteArray(8192, ' '));
        }
        QVERIFY(DestroyFile(path).ok()); // already gone
        QVERIFY(!DestroyFile(dir.filePath(u"no/folder/x"_s)).ok());
    }
};

QTEST_GUILESS_MAIN(TestDiscFile)
#include "tst_disc_file.moc"
