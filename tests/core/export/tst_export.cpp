// Orlith — desktop catalogue of removable media.
#include "core/export/excel_file.h"
#include "core/export/export_job.h"
#include "core/export/export_walk.h"
#include "core/export/line_encoder.h"
#include "core/export/text_exports.h"
#include "export_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using orlith::test::readAll;
using orlith::test::writeAll;

// Designated initializers name only the options a case changes.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

const QByteArray kHtmlHead =
    "<html>\r\n\r\n<head>\r\n<meta charset=\"ISO-8859-1\">\r\n<style>td:nth-child(3) { "
    "text-align: right } td:nth-child(4) { white-space: nowrap }</style>\r\n</head>\r\n\r\n"
    "<body bgcolor=\"#CEFFCE\" bordercolor=\"#C0C0C0\">\r\n<br><br>\r\n"
    "<table border=\"1\" bgcolor=\"#DDDDDD\" width=\"100%\">\r\n<tr bgcolor=\"#9acd32\">\r\n"
    "<td><b>File name</b></td>\r\n<td><b>File path</b></td>\r\n"
    "<td><b>File size (Kb)</b></td>\r\n<td><b>File date</b></td>\r\n"
    "<td><b>CD name</b></td>\r\n</tr>\r\n";
const QByteArray kHtmlTail = "</table>\r\n</body>\r\n</html>\r\n";
const QByteArray kSqlTable = "file_name varchar(255),\r\nfile_path varchar(4096),\r\n"
                             "file_size bigint,\r\nfile_date varchar(30),\r\n"
                             "cd_name varchar(255)\r\n);\r\n\r\n";
const QByteArray kInsert =
    " insert into CDFiles (file_name, file_path, file_size, file_date, cd_name) values\r\n"
    " ('Tom & Jerry <1> \"q\" ''x'';y.avi', '/media/cd/Tom & Jerry <1> \"q\" ''x'';y.avi',  1536,"
    " '14.03.2004 22:10:05', 'CD1');\r\n\r\n";

const auto hex = [](const char *text) { return QByteArray::fromHex(text); };

// The records of a BIFF stream, read by hand: (number, body) in file order.
QList<std::pair<int, QByteArray>> records(const QByteArray &bytes)
{
    QList<std::pair<int, QByteArray>> out;
    for (qsizetype at = 0; at + 4 <= bytes.size();) {
        const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + at);
        out.append({p[0] | p[1] << 8, bytes.mid(at + 4, p[2] | p[3] << 8)});
        at += 4 + out.last().second.size();
    }
    return out;
}

// The cell and option records: after BOF, CODEPAGE, FORMATCOUNT and the 24 FORMATs, before EOF.
QList<std::pair<int, QByteArray>> sheetRecords(const QString &path)
{
    const auto recs = records(readAll(path));
    return recs.mid(27, recs.size() - 28);
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QVERIFY(QDir().mkpath(store("one/cds")));
        QVERIFY(writeDiscFile(store("one/cds/CD1.xml"), "Films", {test::trickyEntry()}).ok());
        QVERIFY(test::makeStore(store("two")));
    }

    // Head, one row and tail of every format; with no disc chosen, head and tail alone.
    void exactBytes_data()
    {
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<ExportOptions>("options");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QByteArray>("tail");
        const auto add = [](const char *tag, ExportFormat f, const ExportOptions &o,
                            const QByteArray &head, const QByteArray &row,
                            const QByteArray &tail = {}) {
            QTest::newRow(tag) << f << o << head << row << tail;
        };
        add("csv", ExportFormat::Csv, {},
            "\"File name\";\"File path\";\"File size\";\"File date\";\"CD name\"\r\n",
            "\"Tom & Jerry <1> \"\"q\"\" 'x';y.avi\";\"/media/cd/Tom & Jerry <1> \"\"q\"\" "
            "'x';y.avi\";\"1536.00\";\"14.03.2004 22:10:05\";\"CD1\"\r\n");
        add("text default", ExportFormat::Text, {},
            "File name,File path,File size,File date,CD name\r\n",
            "Tom & Jerry <1> \"q\" 'x';y.avi,/media/cd/Tom & Jerry <1> \"q\" 'x';y.avi, 1536,"
            "14.03.2004 22:10:05,CD1\r\n");
        add("text tab quoted", ExportFormat::Text,
            {.titleRow = false, .separator = '\t', .qualifier = '"'}, {},
            "\"Tom & Jerry <1> \"q\" 'x';y.avi\"\t\"/media/cd/Tom & Jerry <1> \"q\" 'x';y.avi\"\t"
            "\" 1536\"\t\"14.03.2004 22:10:05\"\t\"CD1\"\r\n");
        add("html", ExportFormat::Html, {}, kHtmlHead,
            "<tr>\r\n<td>Tom &amp; Jerry &lt;1&gt; \"q\" 'x';y.avi</td>\r\n"
            "<td>/media/cd/Tom &amp; Jerry &lt;1&gt; \"q\" 'x';y.avi</td>\r\n"
            "<td>1.50</td>\r\n<td>14.03.2004 22:10:05</td>\r\n<td>CD1</td>\r\n</tr>\r\n",
            kHtmlTail);
        add("sql mysql", ExportFormat::Sql, {.createDatabase = true, .createTable = true},
            "SET NAMES utf8mb4;\r\nCreate database MyFiles;\r\nUse MyFiles;\r\n\r\nCreate table "
            "CDFiles (\r\n"
            "file_ID int(20) auto_increment primary key,\r\n" +
                kSqlTable,
            kInsert);
        add("sql mssql", ExportFormat::Sql, {.dialect = SqlDialect::MsSql, .createTable = true},
            "Create table CDFiles (\r\nID_Auto int IDENTITY(1,1),\r\n" + kSqlTable, kInsert);
    }

    void exactBytes()
    {
        QFETCH(ExportFormat, format);
        QFETCH(ExportOptions, options);
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, row);
        QFETCH(QByteArray, tail);
        QCOMPARE(exportBytes(format, store("one"), {"CD1.xml"}, options), head + row + tail);
        QCOMPARE(exportBytes(format, store("one"), {}, options), head + tail);
        // A list's rows export as their disc would.
        const FileEntry e = test::trickyEntry();
        const QString out = m_dir.filePath("rows.out");
        QVERIFY(exportRows(format, out, {FileRow(e.name, e.path, e.size, e.date, "CD1")}, options,
                           store("one")));
        QCOMPARE(readAll(out), head + row + tail);
    }

    // Slots carry over entries and discs; rows come at date lines, named by the file (the line
    // rules are tst_disc_file's).
    void entryWalk()
    {
        QDir().mkpath(store("walk/cds"));
        QVERIFY(writeAll(store("walk/cds/A.xml"),
                         "<catalog>Other name</catalog>\n<file_name>a</file_name>\n"
                         "<file_path>/a</file_path>\n<file_size> 10</file_size>\n"
                         "<file_date>d1</file_date>\n<file_name>b</file_name>\n"
                         "<file_date>d2</file_date>\n<file_name>c</file_name>\n"
                         "<file_size> 5</file_size>\n"));
        QVERIFY(writeAll(store("walk/cds/Z.xml"),
                         "<file_name></file_name>\n<file_date>d3</file_date>\n"));
        const ExportOptions o{.titleRow = false, .separator = '|'};
        QCOMPARE(exportBytes(ExportFormat::Text, store("walk"), {"A.xml", "Z.xml"}, o),
                 QByteArray("a|/a| 10|d1|A\r\nb|/a| 10|d2|A\r\n|/a| 5|d3|Z\r\n"));
        // A size goes in as its digits, or NULL when no bigint (Z's is empty). U+0085 makes the
        // script UTF-8: readers take ISO-8859-1 as windows-1252, which differs at 0x85.
        QVERIFY(
            writeAll(store("walk/cds/S.xml"),
                     "<file_name>\u0085</file_name>\n"
                     "<file_size>1, 2); DROP TABLE t; --</file_size>\n<file_date>a</file_date>\n"
                     "<file_size>9223372036854775808</file_size>\n<file_date>b</file_date>\n"
                     "<file_size> 3000000000</file_size>\n<file_date>c</file_date>\n"));
        const QByteArray sql = exportBytes(ExportFormat::Sql, store("walk"), {"Z.xml", "S.xml"});
        QCOMPARE(sql.count("', NULL, '"), 3);
        QVERIFY(sql.contains("',  3000000000, '") && !sql.contains("DROP"));
        QVERIFY(sql.contains(" ('\xC2\x85', "));
    }

    void sizesAndEncoding()
    {
        const SizeFormat c(QLocale::c());
        const SizeFormat de(QLocale(QLocale::German));
        const std::pair<const char *, const char *> cases[] = {
            {"-3", "-3.00"}, {"2.345", "2.35"}, {"abc", "abc"}};
        for (const auto &[raw, formatted] : cases)
            QCOMPARE(c.format(raw), QString(formatted));
        QCOMPARE(de.format(" 1536"), "1536,00");
        // ISO-8859-1 only when every text fits; else the whole file, Latin-1 rows too, is UTF-8.
        const QByteArray latinRow = "\"d\xe9j\xe0 vu.mp3\";\"/media/cd2/d\xe9j\xe0 vu.mp3\";"
                                    "\"12345.00\";\"02.02.2002 02:02:02\";\"cd2\"\r\n";
        const QByteArray csv = exportBytes(ExportFormat::Csv, store("two"), {"CD1.xml", "cd2.xml"});
        QVERIFY(csv.contains("\"" + QString("Дом; «сад».txt").toUtf8() + "\";"));
        QVERIFY(csv.endsWith(QString::fromLatin1(latinRow).toUtf8()));
        QVERIFY(exportBytes(ExportFormat::Csv, store("two"), {"cd2.xml"}).endsWith(latinRow));
    }

    // A spreadsheet runs no cell of CSV or text as a formula; sizes that are numbers stay so.
    void formulaCellsQuoted_data()
    {
        QTest::addColumn<bool>("csv");
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("CSV =") << true << QByteArray("=1+1")
                               << QByteArray(
                                      "\"'=1+1\";\"'=1+1\";\"'=1+1\";\"'=1+1\";\"'=1+1\"\r\n");
        QTest::newRow("text +") << false << QByteArray("+1")
                                << QByteArray("'+1,'+1,+1,'+1,'+1\r\n");
    }

    void formulaCellsQuoted()
    {
        QFETCH(bool, csv);
        QFETCH(QByteArray, cell);
        QFETCH(QByteArray, line);
        const QString out = m_dir.filePath("formula.out");
        const auto writer =
            (csv ? makeCsvWriter : makeTextWriter)({.titleRow = false}, ExportEncoding::Latin1);
        QVERIFY(writer->open(out));
        writer->row({cell, cell, cell, cell, cell});
        QVERIFY(writer->close());
        QCOMPARE(readAll(out), line);
    }

    // After the described checks, both names must be plain identifiers, for the wizard and the
    // command line alike.
    void sqlNames_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("problem");
        const QString db = kDatabaseNameCharactersMessage, table = kTableNameCharactersMessage;
        const auto row = [](const char *tag, const char *database, const char *table,
                            const QString &problem) {
            QTest::newRow(tag) << QString(database) << QString(table) << problem;
        };
        row("empty first", "", "a b", "You must enter database name.");
        row("blanks first", "a;b c", "t", "Database name must not have blank spaces.");
        row("empty table first", "a;b", "", "You must enter table name.");
        row("statement", "db;DROP/**/DATABASE/**/mysql;--", "t", db);
        row("quote", "db", "t`x", table);
        row("leading digit", "db", "1t", table);
        row("non-ASCII letter", "Café", "t", db);
        row("plain", "My_Files2", "_t", "");
    }

    void sqlNames()
    {
        QFETCH(QString, database);
        QFETCH(QString, table);
        QFETCH(QString, problem);
        QCOMPARE(sqlNamesProblem(database, table), problem);
    }

    // A missing disc file fails naming it, keeping the old output.
    void failures()
    {
        const QString out = m_dir.filePath("keep.csv"), cds = store("two/cds");
        QVERIFY(writeAll(out, QByteArray(5000, 'x')));
        const StoreResult r = exportDiscs(ExportFormat::Csv, out, cds, {"CD1.xml", "gone.xml"}, {});
        QVERIFY(!r.ok() && r.error.contains("gone.xml"));
        QCOMPARE(readAll(out), QByteArray(5000, 'x'));
        for (ExportFormat f : {ExportFormat::Csv, ExportFormat::Xls})
            QVERIFY(exportDiscs(f, out, cds, {"cd2.xml"}, {}) && readAll(out).size() < 1000);
        // A sheet that cannot hold the whole export is refused before anything is written:
        // one entry past the format's rows, or a name outside its code page.
        QList<FileEntry> many(65535, {"f", "/f", 1, "d"});
        QVERIFY(QDir().mkpath(store("many/cds")));
        QVERIFY(writeDiscFile(store("many/cds/Many.xml"), "Films", many).ok());
        const QString xls = m_dir.filePath("many.xls");
        QVERIFY(exportDiscs(ExportFormat::Xls, xls, store("many/cds"), {"Many.xml"}, {}));
        QCOMPARE(sheetRecords(xls).size(), 1 + 2 + 5 + 5 + 65535 * 5);
        QVERIFY(QFile::remove(xls));
        QVERIFY(QFile::copy(cds + "/CD1.xml", store("many/cds/CD1.xml")));
        for (const auto &[items, count] : {std::pair{QStringList{"Many.xml", "CD1.xml"}, 65537},
                                           std::pair{QStringList{"CD1.xml"}, 2}}) {
            const StoreResult r = exportDiscs(ExportFormat::Xls, xls, store("many/cds"), items, {});
            QCOMPARE(r.error, QString("This export holds %1 entries (or names that the XLS "
                                      "format cannot hold); use the XLSX export.")
                                  .arg(count));
            QVERIFY(!QFile::exists(xls));
        }
    }

    void sheetBytesAndLimits()
    {
        ExcelFile xls;
        QVERIFY(xls.create(store("limits.xls")));
        const auto label = [&](qint32 row, const QString &text) {
            return xls.writeText(0, 0, row, 1, text);
        };
        QVERIFY(label(65536, "a"));
        QVERIFY(label(1, QString(255, QChar(0xE9))));
        // Refused cells leave no trace in the file.
        for (qint32 row : {0, 65537})
            QVERIFY(!label(row, "x"));
        QVERIFY(!label(1, QString(256, 'x')));
        // Code page 1252 holds ISO-8859-1 but for U+0080-U+009F, where windows-1252 differs.
        for (const QString &text : {QString("Привет"), QString(QChar(0x80))})
            QVERIFY(!label(1, text));
        QVERIFY(!xls.writeText(256, 0, 1, 1, "x"));
        QVERIFY(!xls.setColumnWidth(1, 1, 128)); // 128 x 256 passes 32767
        QVERIFY(xls.close());
        const QByteArray bytes = readAll(store("limits.xls"));
        // A worksheet (0x0010) whose texts are in code page 1252 (0x04E4), ending in EOF.
        QVERIFY(bytes.startsWith(
            hex("0900 0400 02001000 4200 0200 E404 1F00 0200 1700 1E00 0800 07") + "General"));
        QVERIFY(bytes.endsWith(hex("0A000000")));
        const auto head = records(bytes);
        QCOMPARE(head[9], std::pair(0x1E, "\x1C" + QByteArray(R"(#,##0\ "$";[Red]\-#,##0\ "$")")));
        QCOMPARE(head[26], std::pair(0x1E, QByteArray("\x01@")));
        const auto recs = sheetRecords(store("limits.xls"));
        QCOMPARE(recs.size(), 2);
        QCOMPARE(recs[0].second, hex("FFFF 0000 000000 01") + "a");
        // Texts are ISO-8859-1, one byte a character.
        QCOMPARE(recs[1].second, hex("0000 0000 000000 FF") + QByteArray(255, '\xE9'));
    }

    // What the export writes: options, fonts, column widths, the title row, then a row per entry.
    void exportLayout()
    {
        QVERIFY(exportDiscs(ExportFormat::Xls, store("x.xls"), store("two/cds"), {"cd2.xml"}, {}));
        const auto recs = sheetRecords(store("x.xls"));
        QCOMPARE(recs.size(), 1 + 2 + 5 + 5 + 5);
        QCOMPARE(recs[0], std::pair(0x2B, hex("0000")));
        QCOMPARE(recs[1], std::pair(0x31, hex("C800000005") + "Arial"));
        QCOMPARE(recs[2], std::pair(0x31, hex("C800010005") + "Arial"));
        const char *widths[] = {"001E", "0050", "0014", "0019", "0014"}; // 7680, 20480, 5120, ...
        for (int c = 0; c < 5; ++c) {
            QCOMPARE(recs[3 + c], std::pair(0x24, QByteArray(2, char(c)) + hex(widths[c])));
            QCOMPARE(recs[8 + c].second.first(7), hex("0000") + char(c) + hex("00004082"));
            QCOMPARE(recs[13 + c].second.first(7), hex("0100") + char(c) + hex("00000001"));
        }
    }

    // A sheet takes no cell before it is made, and only one closed whole replaces the old
    // file (tst_faults has the full disk and the unwritable folder).
    void sheetFailures()
    {
        QVERIFY(!ExcelFile().writeText(0, 0, 1, 1, "x"));
        QVERIFY(test::writeAll(store("old.xls"), "old"));
        {
            ExcelFile abandoned;
            QVERIFY(abandoned.create(store("old.xls")));
            QVERIFY(abandoned.writeText(0, 0, 1, 1, "x"));
        }
        QCOMPARE(readAll(store("old.xls")), QByteArray("old"));
    }

private:
    QString store(const QString &name) const { return m_dir.filePath(name); }
    QByteArray exportBytes(ExportFormat format, const QString &root, const QStringList &items,
                           const ExportOptions &options = {})
    {
        return test::exportBytes(m_dir.filePath("out"), format, root, items, options);
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
