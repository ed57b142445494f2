// Orlith — desktop catalogue of removable media.
#include "core/store/disc_file.h"
#include "core/store/disc_listing.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

using namespace orlith;

namespace {

QByteArray crlf(const char *text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QList<FileEntry> readAll(const QByteArray &bytes)
{
    QList<FileEntry> out;
    DiscReader reader(bytes);
    FileEntry e;
    while (reader.nextEntry(e))
        out.append(e);
    return out;
}

} // namespace

class TestDiscFile : public QObject
{
    Q_OBJECT

private slots:
    void writesExactBytes_data();
    void writesExactBytes();
    void writeThenReadRoundTrips();
    void writeReplacesAtomically();
    void readsHandMadeFiles_data();
    void readsHandMadeFiles();
    void valueTakenByPosition();
    void sizeValues_data();
    void sizeValues();
    void countsEntries_data();
    void countsEntries();
    void readsCatalogName_data();
    void readsCatalogName();
    void catalogNameFromLargeFile();
    void listsRows();
    void destroyOverwritesBeforeDeleting();
    void destroyMissingFile();
};

void TestDiscFile::writesExactBytes_data()
{
    QTest::addColumn<QString>("catalog");
    QTest::addColumn<QList<FileEntry>>("entries");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray head = crlf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n\n<cd-dvd>\n");
    QTest::newRow("empty disc") << QStringLiteral("Music") << QList<FileEntry>{}
                                << head + crlf("<catalog>Music</catalog>\n</cd-dvd>\n");
    QTest::newRow("root file, 1536 bytes")
        << QStringLiteral("Backups")
        << QList<FileEntry>{{QStringLiteral("a.bin"), QStringLiteral("/media/cd/a.bin"), 1536,
                             QStringLiteral("14.03.2004 22:10:05")}}
        << head
               + crlf("<catalog>Backups</catalog>\n<file_info>\n"
                      "    <file_name>a.bin</file_name>\n"
                      "    <file_path>/media/cd/a.bin</file_path>\n"
                      "    <file_size> 1536</file_size>\n"
                      "    <file_date>14.03.2004 22:10:05</file_date>\n"
                      "</file_info>\n</cd-dvd>\n");
    QTest::newRow("ampersand and quotes unescaped")
        << QStringLiteral("A&B")
        << QList<FileEntry>{{QStringLiteral("a&b \"<x>\".txt"), QStringLiteral("D:\\x\\a&b \"<x>\".txt"), 0,
                             QStringLiteral("1/2/2003 01:02:03")}}
        << head
               + crlf("<catalog>A&B</catalog>\n<file_info>\n"
                      "    <file_name>a&b \"<x>\".txt</file_name>\n"
                      "    <file_path>D:\\x\\a&b \"<x>\".txt</file_path>\n"
                      "    <file_size> 0</file_size>\n"
                      "    <file_date>1/2/2003 01:02:03</file_date>\n"
                      "</file_info>\n</cd-dvd>\n");
    QTest::newRow("latin1 and utf-8 decided per line")
        << QStringLiteral("Café")
        << QList<FileEntry>{{QStringLiteral("été.txt"), QStringLiteral("/m/Музыка/été.txt"), 5,
                             QStringLiteral("d")}}
        << head + "<catalog>Caf\xe9</catalog>\r\n<file_info>\r\n    <file_name>\xe9t\xe9.txt</file_name>\r\n"
               + "    <file_path>" + QStringLiteral("/m/Музыка/été.txt").toUtf8()
               + "</file_path>\r\n    <file_size> 5</file_size>\r\n"
                 "    <file_date>d</file_date>\r\n</file_info>\r\n</cd-dvd>\r\n";
    // A line break in a name must not add lines: control characters become U+FFFD.
    QTest::newRow("control characters")
        << QStringLiteral("C")
        << QList<FileEntry>{{QStringLiteral("x\r\n<file_name>FAKE\x7f"), QStringLiteral("/m/\tx"), 1,
                             QStringLiteral("d")}}
        << head + "<catalog>C</catalog>\r\n<file_info>\r\n    <file_name>x\uFFFD\uFFFD<file_name>FAKE"
                   "\uFFFD</file_name>\r\n    <file_path>/m/\uFFFDx</file_path>\r\n    <file_size> 1"
                   "</file_size>\r\n    <file_date>d</file_date>\r\n</file_info>\r\n</cd-dvd>\r\n";
}

void TestDiscFile::writesExactBytes()
{
    QFETCH(QString, catalog);
    QFETCH(QList<FileEntry>, entries);
    QFETCH(QByteArray, expected);
    QCOMPARE(discFileBytes(catalog, entries), expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("disc.xml"));
    QVERIFY(writeDiscFile(path, catalog, entries).ok());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), expected);
}

void TestDiscFile::writeThenReadRoundTrips()
{
    QList<FileEntry> entries;
    for (int i = 0; i < 3000; ++i) {
        entries.append({QStringLiteral("файл %1 &.txt").arg(i),
                        QStringLiteral("/media/cd/папка/файл %1 &.txt").arg(i),
                        qint64(i) * 1'000'003 + (i == 7 ? 5'000'000'000LL : 0),
                        QStringLiteral("14.03.2004 22:10:%1").arg(i % 60, 2, 10, QLatin1Char('0'))});
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.xml"));
    QVERIFY(writeDiscFile(path, QStringLiteral("Каталог"), entries).ok());
    QList<FileEntry> back;
    QVERIFY(readDiscEntries(path, back).ok());
    QCOMPARE(back.size(), entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QCOMPARE(back[i].name, entries[i].name);
        QCOMPARE(back[i].path, entries[i].path);
        QCOMPARE(back[i].size, entries[i].size);
        QCOMPARE(back[i].date, entries[i].date);
    }
    QByteArray bytes;
    QVERIFY(readDiscFileBytes(path, bytes).ok());
    QCOMPARE(readCatalogName(bytes), QStringLiteral("Каталог"));
    QCOMPARE(countFileEntries(bytes), 3000);
}

void TestDiscFile::writeReplacesAtomically()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.xml"));
    QVERIFY(writeDiscFile(path, QStringLiteral("One"), {}).ok());
    QVERIFY(writeDiscFile(path, QStringLiteral("Two"), {}).ok());
    QByteArray bytes;
    QVERIFY(readDiscFileBytes(path, bytes).ok());
    QCOMPARE(readCatalogName(bytes), QStringLiteral("Two"));
    // Only the disc file is left: no temporary beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);

    // A folder that cannot be written keeps the old file and says why.
    // A full disk part-way through keeps the old file whole.
    QByteArray before;
    QVERIFY(readDiscFileBytes(path, before).ok());
    rlimit old;
    QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = 300;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    const StoreResult full = writeDiscFile(path, QStringLiteral("Three"),
                                           {{QStringLiteral("a"), QStringLiteral("/a"), 1, QStringLiteral("d")},
                                            {QStringLiteral("b"), QStringLiteral("/b"), 2, QStringLiteral("d")}});
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!full.ok());
    QByteArray after;
    QVERIFY(readDiscFileBytes(path, after).ok());
    QCOMPARE(after, before);

    const QString missing = dir.filePath(QStringLiteral("no/such/folder/x.xml"));
    const StoreResult r = writeDiscFile(missing, QStringLiteral("X"), {});
    QVERIFY(!r.ok());
    QVERIFY(r.error.contains(missing));
}

void TestDiscFile::readsHandMadeFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<qint64>>("sizes");

    const QByteArray indented = crlf(
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n\n<cd-dvd>\n<catalog>C</catalog>\n"
        "<file_info>\n    <file_name>a.txt</file_name>\n    <file_path>D:\\a.txt</file_path>\n"
        "    <file_size> 10</file_size>\n    <file_date>d1</file_date>\n</file_info>\n"
        "<file_info>\n    <file_name>b.txt</file_name>\n    <file_path>D:\\b.txt</file_path>\n"
        "    <file_size> 20</file_size>\n    <file_date>d2</file_date>\n</file_info>\n</cd-dvd>\n");
    QTest::newRow("indented") << indented << QStringList{"a.txt", "b.txt"} << QList<qint64>{10, 20};
    QByteArray flat = indented;
    flat.replace("    <", "<");
    QTest::newRow("unindented after a rename") << flat << QStringList{"a.txt", "b.txt"}
                                               << QList<qint64>{10, 20};
    QByteArray lf = indented;
    lf.replace("\r\n", "\n");
    QTest::newRow("LF line ends") << lf << QStringList{"a.txt", "b.txt"} << QList<qint64>{10, 20};
    QByteArray tabs = indented;
    tabs.replace("    <file_name>b.txt", "\t<file_name>b.txt");
    // The tabbed name line is not recognised: b's other fields land on a's name.
    QTest::newRow("tab before a tag") << tabs << QStringList{"a.txt", "a.txt"}
                                      << QList<qint64>{10, 20};
    QByteArray noCatalog = indented;
    noCatalog.replace("<catalog>C</catalog>\r\n", "");
    QTest::newRow("missing catalog line") << noCatalog << QStringList{"a.txt", "b.txt"}
                                          << QList<qint64>{10, 20};
    QTest::newRow("0-byte file") << QByteArray() << QStringList{} << QList<qint64>{};
    QTest::newRow("garbage") << QByteArray("\x00\xff<file_\n<file_name>\r\n\r\r\n<<<<<<<<<<<<<<<<<<<<<<<<", 46)
                             << QStringList{} << QList<qint64>{};
    QByteArray truncated = indented.left(indented.indexOf("d2"));
    QTest::newRow("truncated inside the last record") << truncated << QStringList{"a.txt"}
                                                      << QList<qint64>{10};
    QTest::newRow("short tag line has no value")
        << QByteArray("<file_name>x</file_name\n<file_date>d</file_date>\n") << QStringList{""}
        << QList<qint64>{0};
}

void TestDiscFile::readsHandMadeFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(QList<qint64>, sizes);
    const QList<FileEntry> entries = readAll(bytes);
    QStringList gotNames;
    QList<qint64> gotSizes;
    for (const FileEntry &e : entries) {
        gotNames << e.name;
        gotSizes << e.size;
    }
    QCOMPARE(gotNames, names);
    QCOMPARE(gotSizes, sizes);
}

void TestDiscFile::valueTakenByPosition()
{
    const QByteArray bytes = "<file_name>a</file_name>b.txt</file_name>\r\n"
                             "<file_path>D:\\a</file_name>b.txt</file_path>\r\n"
                             "<file_size> 7</file_size>\r\n<file_date>x</file_date>\r\n";
    const QList<FileEntry> entries = readAll(bytes);
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].name, QStringLiteral("a</file_name>b.txt"));
    QCOMPARE(entries[0].path, QStringLiteral("D:\\a</file_name>b.txt"));
    // The closing tag is never compared: any 12 characters end the value.
    QCOMPARE(readAll("<file_name>abc.txt123456789012\n<file_date>x</file_date>\n")[0].name,
             QStringLiteral("abc.txt"));
}

void TestDiscFile::sizeValues_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("kb");
    QTest::newRow("sign-padded") << QByteArray(" 1536") << qint64(1536) << QStringLiteral("1.50");
    QTest::newRow("zero") << QByteArray(" 0") << qint64(0) << QStringLiteral("0.00");
    QTest::newRow("over 2 GiB") << QByteArray(" 5000000000") << qint64(5000000000)
                                << QStringLiteral("4882812.50");
    QTest::newRow("negative") << QByteArray("-3") << qint64(-3) << QStringLiteral("-0.00");
    QTest::newRow("not a number") << QByteArray("abc") << qint64(0) << QStringLiteral("0.00");
    QTest::newRow("fraction dropped") << QByteArray("12.9") << qint64(12) << QStringLiteral("0.01");
    QTest::newRow("too many digits") << QByteArray("99999999999999999999999") << qint64(999999999999999999)
                                     << QString();
}

void TestDiscFile::sizeValues()
{
    QFETCH(QByteArray, value);
    QFETCH(qint64, size);
    QFETCH(QString, kb);
    QCOMPARE(parseSizeValue(value), size);
    if (!kb.isEmpty())
        QCOMPARE(kilobytesText(size), kb);
}

void TestDiscFile::countsEntries_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("count");
    QTest::newRow("empty") << QByteArray() << qsizetype(0);
    QTest::newRow("two") << QByteArray("<file_name>a</file_name>\r\n  <FILE_NAME>b</FILE_NAME>\r\n")
                         << qsizetype(2);
    QTest::newRow("comma in name counts once")
        << QByteArray("    <file_name>a,b.txt</file_name>\r\n") << qsizetype(1);
    QTest::newRow("tag in two comma fields")
        << QByteArray("<file_name>a,<file_name>b</file_name>\r\n") << qsizetype(2);
    QTest::newRow("no line end") << QByteArray("<file_name>x</file_name>") << qsizetype(1);
}

void TestDiscFile::countsEntries()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, count);
    QCOMPARE(countFileEntries(bytes), count);
}

void TestDiscFile::readsCatalogName_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("catalog");
    const QByteArray decl = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";
    QTest::newRow("written form") << decl + "\r\n<cd-dvd>\r\n<catalog>Films</catalog>\r\n"
                                  << QStringLiteral("Films");
    QTest::newRow("indented, LF") << QByteArray("   <cd-dvd>\n   <catalog>Films</catalog>  \n")
                                  << QStringLiteral("Films");
    QTest::newRow("missing catalog line")
        << decl + "<cd-dvd>\r\n<file_info>\r\n    <file_name>a</file_name>\r\n"
        << QStringLiteral("o>e>a");
    QTest::newRow("empty catalog") << decl + "<cd-dvd>\r\n<catalog></catalog>\r\n" << QString();
    QTest::newRow("runs across lines")
        << QByteArray("<catalog>Two\r\n0123456789words</catalog>\r\n") << QStringLiteral("Two9words");
    QTest::newRow("nothing but skipped lines") << decl + "\r\n<cd-dvd>\r\n" << QString();
    QTest::newRow("0 bytes") << QByteArray() << QString();
}

void TestDiscFile::readsCatalogName()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, catalog);
    QCOMPARE(readCatalogName(bytes), catalog);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.xml"));
    writeBytes(path, bytes);
    bool readable = false;
    QCOMPARE(readCatalogNameFromFile(path, &readable), catalog);
    QVERIFY(readable);
}

void TestDiscFile::catalogNameFromLargeFile()
{
    // A catalog line that starts after the first block read still counts when it ends
    // within the first 4 KiB; past that the file names no catalog.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.xml"));
    for (int spaces : {3000, 4070, 40000}) {
        const QByteArray bytes =
            "<cd-dvd>\r\n" + QByteArray(spaces, ' ') + "\r\n<catalog>Late</catalog>\r\n";
        writeBytes(path, bytes);
        const QString expected = spaces < 4000 ? QStringLiteral("Late") : QString();
        QCOMPARE(readCatalogNameFromFile(path), expected);
        QCOMPARE(readCatalogName(bytes), expected);
    }
    // The first read takes 1 KiB: a catalog line that starts, ends or breaks off around
    // there reads as from the whole file.
    for (int at = 1000; at <= 1040; ++at) {
        QByteArray near = "<cd-dvd>\r\n" + QByteArray(at, ' ') + "<catalog>Boundary";
        const QByteArray rest = QByteArray::number(at) + "</catalog>\r\n</cd-dvd>\r\n";
        writeBytes(path, near + rest);
        QCOMPARE(readCatalogNameFromFile(path), readCatalogName(near + rest));
        QCOMPARE(readCatalogNameFromFile(path), QStringLiteral("Boundary") + QString::number(at));
        writeBytes(path, near + "\r\n" + rest); // the name runs on into the next line
        QCOMPARE(readCatalogNameFromFile(path), readCatalogName(near + "\r\n" + rest));
    }
    bool readable = true;
    QCOMPARE(readCatalogNameFromFile(dir.filePath(QStringLiteral("none.xml")), &readable), QString());
    QVERIFY(!readable);
}

void TestDiscFile::listsRows()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("cds")));
    const QList<FileEntry> entries{{QStringLiteral("a.mp3"), QStringLiteral("/m/a.mp3"), 1536,
                                    QStringLiteral("d")},
                                   {QStringLiteral("b"), QStringLiteral("/m/b"), 0, QStringLiteral("e")}};
    QVERIFY(writeDiscFile(discFilePath(dir.path(), QStringLiteral("Disc")), QStringLiteral("C"), entries).ok());
    QList<FileRow> rows;
    QVERIFY(listDiscFiles(dir.path(), QStringLiteral("Disc"), rows).ok());
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rowAsTabbedLine(rows[0]), QStringLiteral("a.mp3\t/m/a.mp3\t1.50\td\tDisc"));
    QCOMPARE(rows[1].sizeText(), QStringLiteral("0.00"));
    QCOMPARE(CountFileEntries(dir.path(), QStringLiteral("Disc")), QStringLiteral("2"));

    const StoreResult missing = listDiscFiles(dir.path(), QStringLiteral("Nope"), rows);
    QVERIFY(!missing.ok());
    QVERIFY(missing.error.contains(QLatin1String("Nope.xml")));
    QCOMPARE(rows.size(), 2);
}

void TestDiscFile::destroyOverwritesBeforeDeleting()
{
    // A second hard link keeps the data visible after the name is deleted.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.xml"));
    const QString witness = dir.filePath(QStringLiteral("witness"));
    writeBytes(path, QByteArray(5000, 'a'));
    QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(witness).constData()), 0);
    QVERIFY(DestroyFile(path).ok());
    QVERIFY(!QFile::exists(path));
    QFile f(witness);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray(8192, ' '));

    // A length that is already a multiple of the block gets one block more.
    writeBytes(path, QByteArray(4096, 'b'));
    QFile::remove(witness);
    QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(witness).constData()), 0);
    QVERIFY(DestroyFile(path).ok());
    QCOMPARE(QFileInfo(witness).size(), 8192);
}

void TestDiscFile::destroyMissingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing.xml"));
    QVERIFY(DestroyFile(path).ok());
    QVERIFY(!QFile::exists(path));
    QVERIFY(!DestroyFile(dir.filePath(QStringLiteral("no/folder/x"))).ok());
}

QTEST_GUILESS_MAIN(TestDiscFile)
#include "tst_disc_file.moc"
