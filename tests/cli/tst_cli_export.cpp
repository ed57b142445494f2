// Orlith — desktop catalogue of removable media.
// orlith-cli export: the engine's bytes, and the names and targets it refuses.
#include "core/export/export_job.h"
#include "core/store/disc_file.h"

#include "core/core_fixtures.h"
#include "core/export/export_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using orlith::test::readAll;
using orlith::test::writeAll;

// Designated initializers name only the options a case changes.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

class TestCliExport : public QObject
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

    void cliMatchesEngine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<ExportOptions>("options");
        const auto row = [](const char *args, ExportFormat f, const ExportOptions &o = {}) {
            QTest::newRow(args) << QString(args).split(' ') << f << o;
        };
        row("xls", ExportFormat::Xls);
        row("text --no-title --separator tab --qualifier '", ExportFormat::Text,
            {.titleRow = false, .separator = '\t', .qualifier = '\''});
        row("sql --dialect mssql --create-database Db --create-table T", ExportFormat::Sql,
            {.dialect = SqlDialect::MsSql,
             .createDatabase = true,
             .databaseName = "Db",
             .createTable = true,
             .tableName = "T"});
    }

    void cliMatchesEngine()
    {
        QFETCH(QStringList, args);
        QFETCH(ExportFormat, format);
        QFETCH(ExportOptions, options);
        options.locale = QLocale::system(); // as the command line takes it
        const QString cliOut = m_dir.filePath("cli.out");
        // Discs by any letter case and order come out in list order. (CD1's Cyrillic names
        // do not fit a sheet.)
        const bool sheet = format == ExportFormat::Xls;
        const QStringList discs = sheet ? QStringList{"CD2"} : QStringList{"CD2", "cd1"};
        const test::CliRun run = test::cli(store("two"), QStringList{"export"} + args +
                                                             QStringList{"--out", cliOut} + discs);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QCOMPARE(readAll(cliOut), test::exportBytes(m_dir.filePath("out"), format, store("two"),
                                                    sheet ? QStringList{"cd2.xml"}
                                                          : QStringList{"CD1.xml", "cd2.xml"},
                                                    options));
    }

    void cliErrors()
    {
        const QString two = store("two"), out = m_dir.filePath("err.out");
        QVERIFY(test::cli(two, {"export", "csv", "--out", out, "cd1", "nope"})
                    .says(1, "no disc named \"nope\""));
        QVERIFY(!QFile::exists(out));
        QVERIFY(test::cli(two, {"export", "sql", "--out", out, "--table", "a b", "cd1"})
                    .says(2, "Table name must not have blank spaces."));
        QVERIFY(test::cli(two, {"export", "csv", "--separator", ";", "--out", out, "cd1"}).says(2));
        QVERIFY(test::cli(two, {"export", "xls", "--out", out, "cd1", "cd2"})
                    .says(1, "This export holds 3 entries (or names that the XLS format cannot "
                             "hold); use the XLSX export."));
        QVERIFY(!QFile::exists(out));
        // The store's own files are never an output, however the path reaches them.
        QVERIFY(writeAll(two + "/katalog.ini", "Films\r\n"));
        QVERIFY(QFile::link(two + "/cds", m_dir.filePath("cds link")));
        QVERIFY(QFile::link(two + "/cds/New.xml", m_dir.filePath("new.csv")));
        const QMap<QString, QByteArray> before = test::userFiles(two);
        for (const QString &target :
             {two + "/katalog.ini", store("one") + "/../two/cds/../cds/cd2.xml",
              m_dir.filePath("cds link/CD1.xml"), m_dir.filePath("new.csv")})
            QVERIFY2(test::cli(two, {"export", "csv", "--out", target, "cd1"})
                         .says(1, target + ": it is one of Orlith's own store files"),
                     qPrintable(target));
        QCOMPARE(test::userFiles(two), before);
    }

private:
    QString store(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCliExport)
#include "tst_cli_export.moc"
