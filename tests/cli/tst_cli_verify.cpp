// Orlith — desktop catalogue of removable media.
// orlith-cli verify: a line per file that differs, the summary, and the exit code.
#include "core/store/program_folder.h"

#include "core/capture/capture_fixtures.h"
#include "core/core_fixtures.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

class TestCliVerify : public QObject
{
    Q_OBJECT

private slots:
    void verifies_data()
    {
        QTest::addColumn<QStringList>("args"); // after the data folder; "M" is the medium
        QTest::addColumn<bool>("rewrite");     // a.txt gets other bytes
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // "M" is the medium
        QTest::addColumn<QString>("summary");
        const QStringList verify{"verify", "N", "M"};
        QTest::newRow("all OK") << verify << false << 0 << QString()
                                << u"Verified 3 files: 3 OK, 0 changed, 0 missing, 0 unreadable, "
                                   "0 new; 0 not checksummed."_s;
        QTest::newRow("other bytes")
            << verify << true << 1 << u"changed\tM/a.txt\n"_s << u"3 files: 2 OK, 1 changed"_s;
        QTest::newRow("no medium")
            << QStringList{"verify", "N"} << false << 2 << QString() << QString();
    }
    void verifies()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, rewrite);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, summary);
        QTemporaryDir tmp;
        const QString data = tmp.filePath("data"_L1), medium = tmp.filePath("m"_L1);
        QVERIFY(ensureStoreFolders(data).ok());
        for (const char *name : {"a.txt", "s/b.txt", "plain.txt"})
            QVERIFY(makeFile(medium + u'/' + QLatin1String(name), name));
        QVERIFY(cli(data, {"new-catalog", "C"}).code == 0);
        QVERIFY(
            cli(data, {"capture", "--checksums", "--catalog", "C", "--name", "N", medium}).says(0));
        if (rewrite)
            QVERIFY(makeFile(medium + "/a.txt"_L1, "A.TXT"));
        args.replaceInStrings(QRegularExpression("^M$"_L1), medium);
        const CliRun run = cli(data, args);
        QCOMPARE(run.code, code);
        QCOMPARE(run.out, QString(out).replace("M/"_L1, medium + u'/'));
        QVERIFY2(run.err.contains(summary), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestCliVerify)
#include "tst_cli_verify.moc"
