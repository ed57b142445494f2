// Orlith — desktop catalogue of removable media.
#include "core/export/export_job.h"
#include "core/export/export_walk.h"
#include "core/export/line_encoder.h"
#include "export_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using orlith::test::readAll;
using orlith::test::writeAll;

namespace {

const QByteArray kHtmlHead =
    "<html>\r\n\r\n<head>\r\n<meta charset=\"ISO-8859-1\">\r\n</head>\r\n\r\n"
    "<body bgcolor=\"#CEFFCE\" bordercolor=\"#C0C0C0\">\r\n<br><br>\r\n"
    "<table border=\"1\" bgcolor=\"#DDDDDD\" width=\"1600\">\r\n<tr bgcolor=\"#9acd32\">\r\n"
    "<td width=\"300\"><b>File name</b></td>\r\n<td width=\"1000\"><b>File path</b></td>\r\n"
    "<td width=\"150\"><b>File size (Kb)</b></td>\r\n<td width=\"150\"><b>File date</b></td>\r\n"
    "<td width=\"150\"><b>CD name</b></td>\r\n</tr>\r\n";
const QByteArray kHtmlTail = "</table>\r\n</body>\r\n</html>\r\n";
const QByteArray kSqlTable = "file_name varchar(255),\r\nfile_path varchar(4096),\r\n"
                             "file_size bigint,\r\nfile_date varchar(30),\r\n"
                             "cd_name varchar(255)\r\n);\r\n\r\n";
const QByteArray kInsert =
    " insert into CDFiles (file_name, file_path, file_size, file_date, cd_name) values\r\n"
    " ('Tom & Jerry <1> \"q\" ''x'';y.avi', '/media/cd/Tom & Jerry <1> \"q\" ''x'';y.avi',  1536,"
    " '14.03.2004 22:10:05', 'CD1');\r\n\r\n";

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
        QTest::addColumn<int>("format");
        QTest::addColumn<ExportOptions>("options");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QByteArray>("tail");
        ExportOptions o;
        QTest::newRow("csv")
            << int(ExportFormat::Csv) << o
            << QByteArray("\"File name\";\"File path\";\"File size\";\"File date\";\"CD name\"\r\n")
            << QByteArray("\"Tom & Jerry <1> \"\"q\"\" 'x';y.avi\";\"/media/cd/Tom & Jerry <1> "
                          "\"\"q\"\" 'x';y.avi\";\"1536.00\";\"14.03.2004 22:10:05\";\"CD1\"\r\n")
            << QByteArray();
        QTest::newRow("text default")
            << int(ExportFormat::Text) << o
            << QByteArray("File name,File path,File size,File date,CD name\r\n")
            << QByteArray(
                   "Tom & Jerry <1> \"q\" 'x';y.avi,/media/cd/Tom & Jerry <1> \"q\" 'x';y.avi,"
                   " 1536,14.03.2004 22:10:05,CD1\r\n")
            << QByteArray();
        ExportOptions tab;
        tab.separator = '\t';
        tab.qualifier = '"';
        tab.titleRow = false;
        QTest::newRow("text tab quoted")
            << int(ExportFormat::Text) << tab << QByteArray()
            << QByteArray("\"Tom & Jerry <1> \"q\" 'x';y.avi\"\t\"/media/cd/Tom & Jerry <1> \"q\" "
                          "'x';y.avi\"\t\" 1536\"\t\"14.03.2004 22:10:05\"\t\"CD1\"\r\n")
            << QByteArray();
        QTest::newRow("html")
            << int(ExportFormat::Html) << o << kHtmlHead
            << QByteArray("<tr>\r\n<td>Tom &amp; Jerry &lt;1&gt; \"q\" 'x';y.avi</td>\r\n"
                          "<td>/media/cd/Tom &amp; Jerry &lt;1&gt; \"q\" 'x';y.avi</td>\r\n"
                          "<td>1536.00</td>\r\n<td>14.03.2004 22:10:05</td>\r\n<td>CD1</td>\r\n"
                          "</tr>\r\n")
            << kHtmlTail;
        QTest::newRow("sql inserts only")
            << int(ExportFormat::Sql) << o << QByteArray() << kInsert << QByteArray();
        ExportOptions all;
        all.createDatabase = all.createTable = true;
        QTest::newRow("sql mysql")
            << int(ExportFormat::Sql) << all
            << "Create database MyFiles;\r\nUse MyFiles;\r\n\r\nCreate table CDFiles (\r\n"
               "file_ID int(20) auto_increment primary key,\r\n" +
                   kSqlTable
            << kInsert << QByteArray();
        all.createDatabase = false;
        all.dialect = SqlDialect::MsSql;
        QTest::newRow("sql mssql")
            << int(ExportFormat::Sql) << all
            << "Create table CDFiles (\r\nID_Auto int IDENTITY(1,1),\r\n" + kSqlTable << kInsert
            << QByteArray();
    }

    void exactBytes()
    {
        QFETCH(int, format);
        QFETCH(ExportOptions, options);
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, row);
        QFETCH(QByteArray, tail);
        QCOMPARE(exportBytes(ExportFormat(format), store("one"), {"CD1.xml"}, options),
                 head + row + tail);
        QCOMPARE(exportBytes(ExportFormat(format), store("one"), {}, options), head + tail);
    }

    // Slots are never cleared, across entries and discs; rows come at date lines; trimming
    // takes spaces only; the disc name is the file name.
    void entryWalk()
    {
        QDir().mkpath(store("walk/cds"));
        QVERIFY(writeAll(store("walk/cds/A.xml"),
                         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n\r\n<cd-dvd>\r\n"
                         "<catalog>Other name</catalog>\r\n<file_info>\r\n"
                         "<file_name>a</file_name>\r\n    <file_path>/a</file_path>\r\n"
                         "    <file_size> 10</file_size>   \r\n  <file_date>d1</file_date>  \r\n"
                         "</file_info>\r\n<file_info>\r\n    <file_name>b</file_name>\r\n"
                         "\t<file_size> 99</file_size>\r\n    <file_date>d2</file_date>\r\n"
                         "</file_info>\r\n<file_info>\r\n    <file_name>c</file_name>\r\n"
                         "    <file_size> 5</file_size>\r\n</file_info>\r\n</cd-dvd>\r\n"));
        QVERIFY(writeAll(
            store("walk/cds/Z.xml"),
            "<file_name></file_name>\n<file_name>x</file_nam\n<file_date>d3</file_date>\n"));
        ExportOptions o;
        o.separator = '|';
        o.titleRow = false;
        QCOMPARE(exportBytes(ExportFormat::Text, store("walk"), {"A.xml", "Z.xml"}, o),
                 QByteArray("a|/a| 10|d1|A\r\nb|/a| 10|d2|A\r\n|/a| 5|d3|Z\r\n"));
        QCOMPARE(exportBytes(ExportFormat::Text, store("walk"), {"Z.xml", "A.xml"}, o).left(16),
                 QByteArray("|||d3|Z\r\na|/a| 1"));
        // A size reaches the script as its digits, or as NULL when it is not a whole number
        // that fits a bigint (Z's is empty). U+0085 makes the script UTF-8: readers take
        // ISO-8859-1 as windows-1252, which has another character at 0x85.
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
        QCOMPARE(discFileItems(store("two/cds")), QStringList({"CD1.xml", "cd2.xml"}));
    }

    void sizesAndEncoding()
    {
        const SizeFormat c(QLocale::c());
        const SizeFormat de(QLocale(QLocale::German));
        const std::pair<const char *, const char *> cases[] = {
            {" 1536", "1536.00"}, {"0", "0.00"},     {"-3", "-3.00"}, {"007", "7.00"},
            {"1.5", "1.50"},      {"2.345", "2.35"}, {"abc", "abc"},  {"", ""}};
        for (const auto &[raw, formatted] : cases)
            QCOMPARE(c.format(raw), QString(formatted));
        QCOMPARE(de.format(" 1536"), "1536,00");
        QCOMPARE(de.format("1,5"), "1,50");

        // A file is ISO-8859-1 when every text fits, else UTF-8 whole: the Cyrillic disc makes
        // the Latin-1 row of the other UTF-8 too.
        const QByteArray latinRow = "\"d\xe9j\xe0 vu.mp3\";\"/media/cd2/d\xe9j\xe0 vu.mp3\";"
                                    "\"12345.00\";\"02.02.2002 02:02:02\";\"cd2\"\r\n";
        const QByteArray csv = exportBytes(ExportFormat::Csv, store("two"), {"CD1.xml", "cd2.xml"});
        QVERIFY(csv.contains("\"" + QString("Дом; «сад».txt").toUtf8() + "\";"));
        QVERIFY(csv.endsWith(QString::fromLatin1(latinRow).toUtf8()));
        QVERIFY(exportBytes(ExportFormat::Csv, store("two"), {"cd2.xml"}).endsWith(latinRow));
    }

    // The extension is appended even when the name has it; the SQL names are checked in order.
    void namesAndPaths()
    {
        QCOMPARE(exportOutputPath("/x", "out.csv", ExportFormat::Csv), "/x/out.csv.csv");
        QCOMPARE(sqlNamesProblem("", "a b"), "You must enter database name.");
        QCOMPARE(sqlNamesProblem("db", ""), "You must enter table name.");
        QCOMPARE(sqlNamesProblem("db", "t"), QString());
    }

    // A missing disc file fails naming it and leaves an existing output as it was; a longer
    // old file leaves nothing behind.
    void failures()
    {
        const QString out = m_dir.filePath("keep.csv");
        QVERIFY(writeAll(out, QByteArray(5000, 'x')));
        const StoreResult r =
            exportDiscs(ExportFormat::Csv, out, store("two/cds"), {"CD1.xml", "gone.xml"}, {});
        QVERIFY(!r.ok());
        QVERIFY(r.error.contains("gone.xml"));
        QCOMPARE(readAll(out), QByteArray(5000, 'x'));
        for (ExportFormat f : {ExportFormat::Csv, ExportFormat::Xls}) {
            QVERIFY(exportDiscs(f, out, store("two/cds"), {"cd2.xml"}, {}).ok());
            QVERIFY(readAll(out).size() < 1000);
        }
        QVERIFY(!exportDiscs(ExportFormat::Sql, m_dir.filePath("no/such/dir/x.sql"),
                             store("two/cds"), {"cd2.xml"}, {})
                     .ok());
    }

    void cliMatchesEngine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("format");
        QTest::addColumn<ExportOptions>("options");
        ExportOptions o;
        o.locale = QLocale::system();
        QTest::newRow("csv") << QStringList{"csv"} << int(ExportFormat::Csv) << o;
        QTest::newRow("html") << QStringList{"html"} << int(ExportFormat::Html) << o;
        QTest::newRow("xls") << QStringList{"xls"} << int(ExportFormat::Xls) << o;
        ExportOptions text = o;
        text.titleRow = false;
        text.separator = '\t';
        text.qualifier = '\'';
        QTest::newRow("text") << QStringList{"text", "--no-title",  "--separator",
                                             "tab",  "--qualifier", "'"}
                              << int(ExportFormat::Text) << text;
        ExportOptions sql = o;
        sql.dialect = SqlDialect::MsSql;
        sql.createDatabase = sql.createTable = true;
        sql.databaseName = "Db";
        sql.tableName = "T";
        QTest::newRow("sql") << QStringList{"sql", "--dialect",      "mssql", "--create-database",
                                            "Db",  "--create-table", "T"}
                             << int(ExportFormat::Sql) << sql;
    }

    void cliMatchesEngine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, format);
        QFETCH(ExportOptions, options);
        const QString cliOut = m_dir.filePath("cli.out");
        // Discs by any letter case and order come out in list order.
        const test::CliRun run =
            test::cli(store("two"),
                      QStringList{"export"} + args + QStringList{"--out", cliOut, "CD2", "cd1"});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QCOMPARE(readAll(cliOut),
                 exportBytes(ExportFormat(format), store("two"), {"CD1.xml", "cd2.xml"}, options));
    }

    void cliErrors()
    {
        const QString out = m_dir.filePath("err.out");
        test::CliRun run = test::cli(store("two"), {"export", "csv", "--out", out, "cd1", "nope"});
        QCOMPARE(run.code, 1);
        QVERIFY(run.err.contains("no disc named \"nope\""));
        QVERIFY(!QFile::exists(out));
        run = test::cli(store("two"), {"export", "sql", "--out", out, "--table", "a b", "cd1"});
        QCOMPARE(run.code, 2);
        QVERIFY(run.err.contains("Table name must not have blank spaces."));
        QCOMPARE(test::cli(store("two"), {"export", "csv", "--separator", ";", "--out", out, "cd1"})
                     .code,
                 2);

        // The store's own files are never an output, however the path reaches them.
        const QString two = store("two");
        QVERIFY(writeAll(two + "/katalog.ini", "Films\r\n"));
        QVERIFY(QFile::link(two + "/cds", m_dir.filePath("cds link")));
        QVERIFY(QFile::link(two + "/cds/New.xml", m_dir.filePath("new.csv")));
        const QStringList files{"cds/CD1.xml", "cds/cd2.xml", "katalog.ini"};
        QList<QByteArray> before;
        for (const QString &f : files)
            before << readAll(two + "/" + f);
        for (const QString &target :
             {two + "/cds/CD1.xml", two + "/katalog.ini",
              store("one") + "/../two/cds/../cds/cd2.xml", m_dir.filePath("cds link/CD1.xml"),
              m_dir.filePath("new.csv")}) {
            run = test::cli(two, {"export", "csv", "--out", target, "cd1"});
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains(target + ": it is one of Orlith's own store files"),
                     qPrintable(run.err));
        }
        for (qsizetype i = 0; i < files.size(); ++i)
            QCOMPARE(readAll(two + "/" + files[i]), before[i]);
        QCOMPARE(QDir(two + "/cds").entryList(QDir::Files), QStringList({"CD1.xml", "cd2.xml"}));
    }

private:
    QString store(const QString &name) const { return m_dir.filePath(name); }
    QByteArray exportBytes(ExportFormat format, const QString &root, const QStringList &items,
                           const ExportOptions &options = {})
    {
        const QString out = m_dir.filePath("out");
        const StoreResult r = exportDiscs(format, out, root + "/cds", items, options);
        if (!r)
            qWarning() << r.error;
        return readAll(out);
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
