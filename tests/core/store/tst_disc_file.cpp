// Orlith — desktop catalogue of removable media.
#include "core/capture/content_hash.h"
#include "core/store/date_text.h"
#include "core/store/disc_file.h"
#include "core/store/disc_listing.h"
#include "core/store/text_codec.h"

#include "core/core_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace orlith;
using namespace Qt::StringLiterals;
using namespace orlith::test;

namespace {

QByteArray crlf(const char *text)
{
    return QByteArray(text).replace("\n", "\r\n");
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
        QTest::newRow("ampersand and quotes unescaped")
            << u"A&B"_s
            << QList<FileEntry>{{"a&b \"<x>\".txt", "D:\\x\\a&b \"<x>\".txt", 1536,
                                 "1/2/2003 01:02:03"}}
            << head +
                   crlf("<catalog>A&B</catalog>\n<file_info>\n"
                        "    <file_name>a&b \"<x>\".txt</file_name>\n"
                        "    <file_path>D:\\x\\a&b \"<x>\".txt</file_path>\n"
                        "    <file_size> 1536</file_size>\n"
                        "    <file_date>1/2/2003 01:02:03</file_date>\n</file_info>\n</cd-dvd>\n");
        const QByteArray tail = "</file_path>\r\n    <file_size> 5</file_size>\r\n    "
                                "<file_date>d</file_date>\r\n</file_info>\r\n</cd-dvd>\r\n";
        QTest::newRow("latin1 and utf-8 decided per line")
            << u"Café"_s << QList<FileEntry>{{"été.txt", "/m/Музыка/été.txt", 5, "d"}}
            << head + "<catalog>Caf\xe9</catalog>\r\n<file_info>\r\n    <file_name>\xe9t\xe9.txt" +
                   "</file_name>\r\n    <file_path>" + u"/m/Музыка/été.txt"_s.toUtf8() + tail;
        // A checksum has its own line between size and date (the other rows have none).
        const QByteArray hash = contentHashText("x");
        QTest::newRow("checksum")
            << u"C"_s << QList<FileEntry>{{"a", "/a", 1, "d", hash}}
            << head + "<catalog>C</catalog>\r\n<file_info>\r\n    <file_name>a</file_name>\r\n" +
                   "    <file_path>/a</file_path>\r\n    <file_size> 1</file_size>\r\n" +
                   "    <file_hash>" + hash + "</file_hash>\r\n" +
                   tail.mid(tail.indexOf("    <file_date>"));
        // A line break in a name must not add lines: control characters become U+FFFD.
        QTest::newRow("control characters")
            << u"C"_s << QList<FileEntry>{{"x\r\n<file_name>FAKE\x7f", "/m/\tx", 5, "d"}}
            << head + "<catalog>C</catalog>\r\n<file_info>\r\n    <file_name>x\uFFFD\uFFFD" +
                   "<file_name>FAKE\uFFFD</file_name>\r\n    <file_path>/m/\uFFFDx" + tail;
    }

    void writesExactBytes()
    {
        QFETCH(QString, catalog);
        QFETCH(QList<FileEntry>, entries);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"disc.xml"_s);
        QVERIFY(writeDiscFile(path, catalog, entries).ok());
        QCOMPARE(readAll(path), expected);
    }

    // Entries as "name size|..." by the reading rule, and the entry count of the same bytes.
    void readsHandMadeFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("entries");
        QTest::addColumn<qsizetype>("count");
        const QByteArray indented = discFileBytes( // as written (writesExactBytes)
            u"C"_s, {{"a.txt", "D:\\a.txt", 10, "d1"}, {"b.txt", "D:\\b.txt", 20, "d2"}});
        const QString ab = u"a.txt 10|b.txt 20"_s;
        const auto row = [](const char *name, const QByteArray &bytes, const QString &entries,
                            qsizetype count) { QTest::newRow(name) << bytes << entries << count; };
        row("indented", indented, ab, 2);
        row("LF line ends", QByteArray(indented).replace("\r\n", "\n"), ab, 2);
        // The tabbed name line is not recognised: b's other fields land on a's name.
        row("tab before a tag",
            QByteArray(indented).replace("    <file_name>b.txt", "\t<file_name>b.txt"),
            u"a.txt 10|a.txt 20"_s, 2);
        row("truncated inside the last record", indented.left(indented.indexOf("d2")),
            u"a.txt 10"_s, 2);
        // The closing tag is never compared: the value ends 12 characters before the line.
        row("value taken by position",
            "<file_name>a</file_name>b.txt</file_name>\r\n<file_size> 7</file_size>\r\n"
            "<file_date>x</file_date>\r\n",
            u"a</file_name>b.txt 7"_s, 1);
        // Counted once per line and comma field, in any letter case; no date line: no entry.
        row("count: any case, per comma field",
            "<file_name>a,<file_name>b</file_name>\r\n  <FILE_NAME>c</FILE_NAME>\r\n", QString(),
            3);
    }

    void readsHandMadeFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, entries);
        QFETCH(qsizetype, count);
        QStringList got;
        DiscReader reader(bytes);
        for (FileEntry e; reader.nextEntry(e);)
            got << e.name + u' ' + QString::number(e.size);
        QCOMPARE(got.join(u'|'), entries);
        QCOMPARE(countFileEntries(bytes), count);
    }

    void sizeValues_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("kb");
        const auto row = [](const char *tag, const char *value, qint64 size, const char *kb) {
            QTest::newRow(tag) << QByteArray(value) << size << QString(kb);
        };
        row("over 2 GiB", " 5000000000", 5000000000, "4882812.50");
        row("negative", "-3", -3, "-0.00");
        row("too many digits", "99999999999999999999999", 999999999999999999, "");
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

    // Around the 256 KiB blocks of a file as in memory: a line of 64 KiB is read, longer ones
    // are dropped without being held, wherever they start, the last one without an LF too.
    void readerSkipsOverlongLines()
    {
        QByteArray bytes;
        qsizetype normal = 0;
        for (; bytes.size() < 300'000; ++normal)
            bytes += "<file_name>f</file_name>\r\n<file_date>d</file_date>\r\n";
        const QByteArray kept(65536 - 23, 'k');
        bytes += "<file_name>" + kept + "</file_name>\n<file_date>d</file_date>\n";
        bytes +=
            "<file_name>" + QByteArray(600'000, 's') + "</file_name>\n<file_date>d</file_date>\n";
        bytes += "<file_name>" + QByteArray(70'000, 'e') + "</file_name>";
        QTemporaryDir dir;
        const QString path = dir.filePath(u"d.xml"_s);
        QVERIFY(writeAll(path, bytes));
        for (bool fromFile : {false, true}) {
            DiscReader reader(bytes);
            if (fromFile)
                QVERIFY(reader.open(path).ok());
            QList<FileEntry> entries;
            for (FileEntry e; reader.nextEntry(e);)
                entries << e;
            QCOMPARE(entries.size(), normal + 2);
            QCOMPARE(entries.last().name, QString::fromLatin1(kept));
            QCOMPARE(entries[normal].name, entries.last().name);
            QCOMPARE(reader.longLines(), 2);
        }
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
        QTest::newRow("runs across lines")
            << QByteArray("<catalog>Two\r\n0123456789words</catalog>\r\n") << u"Two9words"_s;
        // A catalog line counts when it ends within the first 4 KiB.
        for (int spaces : {3000, 4070})
            QTest::addRow("after %d spaces", spaces)
                << "<cd-dvd>\r\n" + QByteArray(spaces, ' ') + "\r\n<catalog>Late</catalog>\r\n"
                << (spaces < 4000 ? u"Late"_s : QString());
    }

    void readsCatalogName()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, catalog);
        QCOMPARE(readCatalogName(bytes), catalog);
    }

    // Gone files: removing one again is no failure, and it has no catalog to read.
    void goneFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"d.xml"_s);
        QVERIFY(writeAll(path, "x") && removeStoreFile(path).ok() && !QFile::exists(path));
        QVERIFY(removeStoreFile(path).ok()); // already gone
        QVERIFY(!removeStoreFile(dir.path()).ok());
        bool readable = true;
        QCOMPARE(readCatalogNameFromFile(path, &readable), QString());
        QVERIFY(!readable);
    }

    void codecRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("latin1");
        QTest::newRow("latin1 accents") << u"Café Ø ß ÿ"_s << true;
        QTest::newRow("emoji") << u"a🎵b"_s << false;
        // Fits ISO-8859-1, but those bytes (DE 9E, C3 A9) would read back as UTF-8.
        QTest::newRow("latin1 that looks like utf-8")
            << QString::fromUtf8("\u00de\u009e;21") << false;
        // Bytes that are not UTF-8 stay Latin-1: stray, overlong, surrogate, cut, past U+10FFFF.
        for (const char *bytes :
             {"\x80x", "\xc0\xaf", "\xed\xa0\x80", "ab\xe6\x9b", "\xf4\x90\x80\x80"})
            QTest::addRow("not utf-8: %s", QByteArray(bytes).toHex(' ').constData())
                << QString::fromLatin1(bytes) << true;
    }

    void codecRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(bool, latin1);
        const QByteArray bytes = encodeSingleByte(text);
        QCOMPARE(bytes, latin1 ? text.toLatin1() : text.toUtf8());
        QCOMPARE(decodeSingleByte(bytes), text);
    }

    // Dates read under a locale; a "writes" row is also what that locale writes (fuzz_date_text
    // reads back what any locale writes).
    void dateText_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: refused
        const QDateTime when(QDate(2004, 3, 14), QTime(22, 10, 5));
        QTest::newRow("de_DE writes") << u"de_DE"_s << u"14.03.2004 22:10:05"_s << when;
        QTest::newRow("en_US writes") << u"en_US"_s << u"3/14/2004 22:10:05"_s << when;
        const auto en = [](const char *tag, const char *text, const QDateTime &expected) {
            QTest::newRow(tag) << u"en_US"_s << QString::fromLatin1(text) << expected;
        };
        en("day first, read under en_US", "14.03.2004 22:10:05", when);
        en("iso", "2004-03-14T22:10:05", when);
        en("date only", "3/14/2004", QDateTime(QDate(2004, 3, 14), QTime(0, 0)));
        en("12-hour clock", "3/14/2004 10:10:05 PM", when);
        for (const char *bad : {"", "32/13/2004 10:00:00", "3/14/2004 25:61:00"})
            QTest::addRow("bad '%s'", bad) << u"en_US"_s << QString::fromLatin1(bad) << QDateTime();
    }

    void dateText()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const QLocale locale(localeName);
        if (QByteArray(QTest::currentDataTag()).endsWith("writes"))
            QCOMPARE(formatDateText(expected, locale), text);
        QCOMPARE(parseDateText(text, locale), expected);
    }
};

QTEST_GUILESS_MAIN(TestDiscFile)
#include "tst_disc_file.moc"
