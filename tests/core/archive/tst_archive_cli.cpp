// Orlith — desktop catalogue of removable media.
#include "archive_fixtures.h"

#include "core/archive/archive_job.h"

#include <QTemporaryDir>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

class TestArchiveCli : public QObject
{
    Q_OBJECT

private slots:
    void archiveAndRestore()
    {
        QTemporaryDir store, target;
        for (const char *disc : {"Rock", "Jazz", "Noir"})
            makeDisc(store.path(), u"Music"_s, QString::fromLatin1(disc));
        const QMap<QString, QByteArray> original = storeFiles(store.path());
        const QString zip = archivePathIn(target.path());

        // Bad input is refused and changes nothing.
        QByteArray output;
        QCOMPARE(cli(store.path(), {"archive", "--to", target.path(), "Nothing"}, &output), 1);
        QVERIFY(output.contains("no disc named"));
        QCOMPARE(cli(store.path(), {"archive"}), 2);
        QCOMPARE(cli(store.path(), {"restore", "x.zip", "--yes-all", "--no-all"}), 2);
        const QString junk = target.filePath(u"junk.zip"_s);
        QVERIFY(writeAll(junk, "PK\x03\x04 this is not an archive"));
        QCOMPARE(cli(store.path(), {"restore", junk, "--yes-all"}, &output), 1);
        QVERIFY2(output.contains("not a zip archive"), output.constData());
        QCOMPARE(storeFiles(store.path()), original);

        QCOMPARE(cli(store.path(), {"archive", "--to", target.path(), "Jazz"}), 0);
        QCOMPARE(archiveRowNames(zip), QStringList{"Jazz.xml"});
        QCOMPARE(cli(store.path(), {"archive", "--to", target.path()}), 0);
        QCOMPARE(archiveRowNames(zip).size(), 3);

        // Changed Jazz, lost Rock. Without an answer and without a terminal nothing happens.
        makeDisc(store.path(), u"Music"_s, u"Jazz"_s, 4);
        QFile::remove(discFilePath(store.path(), u"Rock"_s));
        const QMap<QString, QByteArray> changed = storeFiles(store.path());
        QCOMPARE(cli(store.path(), {"restore", zip}, &output), 2);
        QVERIFY(output.contains("--yes-all"));
        QCOMPARE(storeFiles(store.path()), changed);

        // No to all keeps every existing file and brings back the missing one.
        QCOMPARE(cli(store.path(), {"restore", zip, "--no-all"}, &output), 0);
        QVERIFY(output.contains("restored cds/Rock.xml"));
        QCOMPARE(storeFiles(store.path()).value("Jazz.xml"), changed.value("Jazz.xml"));
        QCOMPARE(storeFiles(store.path()).value("Rock.xml"), original.value("Rock.xml"));
        QCOMPARE(cli(store.path(), {"restore", zip, "--yes-all"}), 0);
        QCOMPARE(storeFiles(store.path()), original);
    }

private:
    int cli(const QString &store, const QStringList &args, QByteArray *output = nullptr)
    {
        return run(QStringLiteral(ORLITH_CLI), QStringList{u"--data-dir"_s, store} + args, output);
    }
};

QTEST_GUILESS_MAIN(TestArchiveCli)
#include "tst_archive_cli.moc"
