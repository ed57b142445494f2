// Orlith — desktop catalogue of removable media.
// Exports read back by Python's html.parser, xlrd and openpyxl, by sqlite3 and by a
// MariaDB server.
#include "core/export/export_job.h"
#include "export_fixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <unistd.h>

using namespace orlith;
using namespace Qt::StringLiterals;
using namespace orlith::test;

namespace {

const QString kDisc = u"Tom's; CD & Дом"_s;
const QString kLatin = u"latin"_s;

// A Cyrillic-named disc, last names hostile to backslash-escaping SQL, and a Latin-1 one
// (code page 1252 in the sheet) with letters from the whole upper half.
QList<FileEntry> discEntries(const QString &disc)
{
    if (disc == kLatin)
        return {test::trickyEntry(),
                {"Ångström? déjà vu: ÿ.mp3", "/m/Ångström? déjà vu: ÿ.mp3", 7, "d"}};
    return {test::trickyEntry(),
            {"Дом; «сад».txt", "/media/cd/Дом; «сад».txt", 0, "01.01.2001 00:00:00"},
            {"Ωμέγα 'α' <b>.txt", "/media/cd/Ωμέγα 'α' <b>.txt", 42, "03.03.2003 03:03:03"},
            {"東京の写真.jpg", "/media/cd/写真/東京の写真.jpg", 4096, "04.04.2004 04:04:04"},
            {"x\\', 0x70, 1, 0x64, 0x63); DROP TABLE Keepme; -- ", "/m/x", 1, "d"},
            {"ends in \\", "/m/ends in \\", 2, "d\\"},
            {"two\\nchars", "/m/two\\nchars", 3, "d"},
            {"Привет", "/m/" + QString(290, 'p') + "/Привет", 3'000'000'000, "d"}};
}

enum class Sizes { Bytes, Kilobytes, Cells };

// The rows every reader must give back from the discs: name, path, size, date, disc.
QList<QStringList> expectedRows(Sizes sizes, const QStringList &discs = {kDisc, kLatin})
{
    QList<QStringList> rows;
    for (const QString &disc : discs) {
        for (const FileEntry &e : discEntries(disc)) {
            const QString size = sizes == Sizes::Bytes   ? QString::number(e.size)
                                 : sizes == Sizes::Cells ? "n:" + kilobytesText(e.size)
                                                         : kilobytesText(e.size);
            // A workbook holds a stored date as a date cell.
            const bool dateCell = sizes == Sizes::Cells && e.date.size() == 19;
            rows.append({e.name, e.path, size, dateCell ? "d:" + e.date : e.date, disc});
        }
    }
    return rows;
}

QList<QStringList> splitRows(const QString &out, char row, char cell)
{
    QList<QStringList> rows;
    for (const QString &line : out.split(QLatin1Char(row), Qt::SkipEmptyParts))
        rows << line.split(QLatin1Char(cell));
    return rows;
}

} // namespace

class TestExportInterop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QVERIFY(QDir().mkpath(m_dir.filePath("cds")));
        for (const QString &disc : {kDisc, kLatin})
            QVERIFY(
                writeDiscFile(m_dir.filePath("cds/" + disc + ".xml"), "Films", discEntries(disc)));
    }

    void readByPython_data()
    {
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<QString>("sizeTitle");
        QTest::addColumn<QStringList>("discs");
        QTest::addColumn<QList<QStringList>>("rows");
        const QStringList both{kDisc, kLatin};
        QTest::newRow("html") << ExportFormat::Html << "File size (Kb)" << both
                              << expectedRows(Sizes::Kilobytes);
        // The old sheet holds ISO-8859-1 only.
        QTest::newRow("xls") << ExportFormat::Xls << "File Size (Kb)" << QStringList{kLatin}
                             << expectedRows(Sizes::Kilobytes, {kLatin});
        QTest::newRow("xlsx") << ExportFormat::Xlsx << "File Size (Kb)" << both
                              << expectedRows(Sizes::Cells);
        QTest::newRow("calc xlsx")
            << ExportFormat::Xlsx << "File Size (Kb)" << both << expectedRows(Sizes::Kilobytes);
    }

    void readByPython()
    {
        QFETCH(ExportFormat, format);
        QFETCH(QString, sizeTitle);
        QFETCH(QStringList, discs);
        QFETCH(QList<QStringList>, rows);
        const QString tag = QTest::currentDataTag();
        const CliRun run =
            test::readByPython(exported(format, {}, discs), tag.startsWith("calc") ? "calc" : tag);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QList<QStringList> read;
        for (const QJsonValue &row : QJsonDocument::fromJson(run.out.toUtf8()).array())
            read << row.toVariant().toStringList();
        QCOMPARE(read.value(0).value(2), sizeTitle);
        QCOMPARE(read.mid(1), rows);
    }

    // SQLite, like MS SQL, reads a backslash as itself, so it takes that dialect. The table
    // the script makes, under a name handed past the checks, is bracketed: the user's own
    // table survives it.
    void sqlBySqlite()
    {
        ExportOptions ms;
        ms.dialect = SqlDialect::MsSql;
        ms.createTable = true;
        ms.tableName = "F;DROP TABLE Keepme;--";
        const CliRun run =
            runProgram("sqlite3", {},
                       "create table Keepme (k);\n" + readAll(exported(ExportFormat::Sql, ms)) +
                           "\n.mode ascii\nselect * from [F;DROP TABLE Keepme;--];\nselect "
                           "count(*) from Keepme;\n");
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QList<QStringList> expected = expectedRows(Sizes::Bytes);
        for (QStringList &row : expected)
            row.prepend(QString()); // ID_Auto, which SQLite leaves empty
        QCOMPARE(splitRows(run.out, '\x1E', '\x1F'), expected << QStringList{"0"});
    }

    // A MariaDB server of our own: data and socket in a temporary folder, no network.
    void sqlByMariaDb()
    {
        QTemporaryDir dir;
        QStringList user;
        if (::geteuid() == 0)
            user << "--user=root"; // mariadbd refuses to run as root unless told
        const CliRun install =
            runProgram("mariadb-install-db",
                       QStringList{"--no-defaults", "--datadir=" + dir.filePath("data"),
                                   "--skip-test-db", "--auth-root-authentication-method=normal"} +
                           user);
        QVERIFY2(install.code == 0,
                 qPrintable("mariadb-install-db (mariadb-server): " + install.err));
        QProcess server;
        const auto stop = qScopeGuard([&] {
            server.terminate(); // mariadbd shuts down cleanly on SIGTERM
            if (!server.waitForFinished(60000))
                server.kill();
        });
        // The character set, collation and mode of Debian's own server configuration.
        server.start(
            QStandardPaths::findExecutable("mariadbd", {"/usr/sbin", "/usr/bin"}),
            QStringList{"--no-defaults", "--datadir=" + dir.filePath("data"),
                        "--socket=" + dir.filePath("sock"), "--skip-networking",
                        "--pid-file=" + dir.filePath("pid"), "--log-error=" + dir.filePath("log"),
                        "--innodb-buffer-pool-size=16M", "--character-set-server=utf8mb4",
                        "--collation-server=utf8mb4_general_ci", "--sql-mode=STRICT_ALL_TABLES"} +
                user);
        const auto client = [&](const QStringList &args, const QByteArray &input = {}) {
            return runProgram("mariadb",
                              QStringList{"--no-defaults", "--socket=" + dir.filePath("sock"), "-u",
                                          "root", "--default-character-set=utf8mb4"} +
                                  args,
                              input);
        };
        for (int waited = 0; client({"-e", "select 1"}).code != 0; waited += 250) {
            QVERIFY2(waited < 60000 && server.waitForStarted(),
                     qPrintable("mariadbd did not answer: " + readAll(dir.filePath("log"))));
            QThread::msleep(250);
        }
        ExportOptions o;
        o.createDatabase = o.createTable = true;
        // A table of the user's own beside the export's, which no file name may drop.
        CliRun run = client({}, readAll(exported(ExportFormat::Sql, o))
                                    .replace("Use MyFiles;", "Use MyFiles; create table "
                                                             "Keepme (k int);"));
        QVERIFY2(run.code == 0, qPrintable(run.err));
        run = client({"-N", "-B", "--raw", "-e", "select * from MyFiles.CDFiles order by file_ID"});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QList<QStringList> expected = expectedRows(Sizes::Bytes);
        for (int i = 0; i < expected.size(); ++i)
            expected[i].prepend(QString::number(i + 1));
        QCOMPARE(splitRows(run.out, '\n', '\t'), expected);
        // A Latin-1 store's script loads unchanged too, and names handed past the checks are
        // quoted: they run no statement of their own.
        o.databaseName = "x;DROP DATABASE MyFiles;#";
        o.tableName = "t`;DROP DATABASE MyFiles;#";
        run = client({}, readAll(exported(ExportFormat::Sql, o, {kLatin})));
        QVERIFY2(run.code == 0, qPrintable(run.err));
        run = client({"-N", "-B", "--raw", "-e",
                      "select file_name from `x;DROP DATABASE MyFiles;#`.`t``;DROP DATABASE "
                      "MyFiles;#`; select count(*) from MyFiles.Keepme"});
        QCOMPARE(run.out + run.err, trickyEntry().name + u"\nÅngström? déjà vu: ÿ.mp3\n0\n"_s);
    }

private:
    QString exported(ExportFormat format, const ExportOptions &options = {},
                     const QStringList &discs = {kDisc, kLatin})
    {
        const QString out = m_dir.filePath("out" + exportExtension(format));
        QStringList items;
        for (const QString &disc : discs)
            items << disc + ".xml";
        return exportDiscs(format, out, m_dir.filePath("cds"), items, options).ok() ? out : "";
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestExportInterop)
#include "tst_export_interop.moc"
