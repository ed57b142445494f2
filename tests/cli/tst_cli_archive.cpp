// Orlith — desktop catalogue of removable media.
// orlith-cli archive and restore.
#include "core/archive/archive_job.h"
#include "core/archive/zip_archive.h"
#include "core/settings/settings_record.h"

#include "core/archive/archive_fixtures.h"
#include "core/core_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;

class TestCliArchive : public QObject
{
    Q_OBJECT

private slots:
    // The command line refuses bad input changing nothing, and restores only when told how.
    void commandLine()
    {
        QTemporaryDir dir, target;
        const QString store = dir.path();
        for (const char *disc : {"Rock", "Jazz", "Noir"})
            makeDisc(store, "Music", disc);
        const QMap<QString, QByteArray> original = storeFiles(store);
        const QString zip = archivePathIn(target.path()), junk = target.filePath("junk.zip");
        QVERIFY(writeAll(junk, "PK\x03\x04 this is not an archive"));
        QVERIFY(cli(store, {"restore", junk, "--yes-all"}).says(1, "not a zip archive"));
        QCOMPARE(storeFiles(store), original);
        QVERIFY(cli(store, {"archive", "--to", target.path(), "Jazz"}).says(0));
        QCOMPARE(archiveRowNames(zip).value, QStringList{"Jazz.xml"});
        QVERIFY(cli(store, {"archive", "--to", target.path()}).says(0));
        // Changed Jazz, lost Rock. Without an answer and without a terminal nothing happens.
        makeDisc(store, "Music", "Jazz", 4);
        QFile::remove(discFilePath(store, "Rock"));
        const QMap<QString, QByteArray> changed = storeFiles(store);
        QVERIFY(cli(store, {"restore", zip}).says(2, "--yes-all"));
        QCOMPARE(storeFiles(store), changed);
        // No to all keeps every existing file and brings back the missing one.
        QVERIFY(cli(store, {"restore", zip, "--no-all"}).says(0, "restored cds/Rock.xml"));
        QCOMPARE(storeFiles(store).value("Jazz.xml"), changed.value("Jazz.xml"));
        QCOMPARE(storeFiles(store).value("Rock.xml"), original.value("Rock.xml"));
        QVERIFY(cli(store, {"restore", zip, "--yes-all"}).says(0));
        QCOMPARE(storeFiles(store), original);
    }

    // A full archive restored into an empty data folder gives the same store.
    void fullArchiveRestoresTheWholeStore()
    {
        QTemporaryDir dir, target, empty;
        const QString store = dir.path(), copy = empty.path();
        makeDisc(store, "Music", "Rock");
        makeDisc(store, "Films", "Noir");
        QVERIFY(cli(store, {"new-catalog", "Empty"}).says(0));
        QVERIFY(cli(store, {"notes", "Rock", "--set", "first\nsecond"}).says(0));
        QVERIFY(writeAll(picturePath(store, "Noir"), "\xFF\xD8\xFF picture"));
        SettingsRecord settings;
        settings.setArchiveReminder(true);
        settings.archiveDaysSetting = "7";
        settings.setPlacementTwips({15, 30, 9000, 6000});
        QVERIFY(saveSettings(settingsPath(store), settings));

        QVERIFY(cli(store, {"archive", "--all", "--to", target.path()}).says(0));
        const CliRun restored = cli(copy, {"restore", archivePathIn(target.path())});
        QVERIFY2(restored.says(0, "Restored 2 discs, 1 pictures; notes of 1 discs; skipped 0."),
                 qPrintable(restored.err));
        for (const QStringList &command :
             QList<QStringList>{{"tree"}, {"notes", "Rock"}, {"notes", "Noir"}, {"settings"}})
            QCOMPARE(cli(copy, command).out, cli(store, command).out);
        QCOMPARE(readAll(picturePath(copy, "Noir")), readAll(picturePath(store, "Noir")));
    }
};

QTEST_GUILESS_MAIN(TestCliArchive)
#include "tst_cli_archive.moc"
