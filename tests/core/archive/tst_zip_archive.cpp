// Orlith — desktop catalogue of removable media.
#include "archive_fixtures.h"

#include "core/archive/archive_job.h"
#include "core/archive/zip_archive.h"

#include <QStorageInfo>
#include <QTemporaryDir>

using namespace orlith;
using namespace orlith::test;

namespace {

void setNotes(const QString &root, const QString &disc, const QString &text)
{
    NotesStore notes;
    QVERIFY(saveDiscNotes(notes, root, disc, text));
}

// What a full archive brings into a store that may hold its disc "Rock" already.
struct MergeCase
{
    bool rockInStore, everything;
    QString replies, asked, rockNotes; // replies: one per question
    bool newPicture, newSettings;
    int discs;
};

} // namespace

Q_DECLARE_METATYPE(MergeCase)

class TestZipArchive : public QObject
{
    Q_OBJECT

private slots:
    void archiveIsAStandardZip()
    {
        QTemporaryDir store, target;
        makeDisc(store.path(), "Music", "Čaj 1");
        makeDisc(store.path(), "Music", "Jazz");
        makeDisc(store.path(), "Work", "Backup");
        ZipWriter zip;
        const StoreResult written =
            archiveStoreFiles(zip, store.path(), target.path(), {"Jazz.xml", "Čaj 1.xml"});
        QVERIFY2(written, qPrintable(written.error));
        // A second run updates the archive: new entries join, the old ones stay.
        QVERIFY(archiveStoreFiles(zip, store.path(), target.path(), {"Backup.xml"}));
        const QString zipPath = archivePathIn(target.path());
        QCOMPARE(runProgram("unzip", {"-Z1", zipPath}).out, "Jazz.xml\nČaj 1.xml\nBackup.xml\n");
        QCOMPARE(runProgram("unzip", {"-p", zipPath, "Jazz.xml"}).out.toLatin1(),
                 readAll(discFilePath(store.path(), "Jazz")));
        // Nothing chosen: a failed run that leaves the archive alone.
        const QByteArray before = readAll(zipPath);
        QCOMPARE(archiveStoreFiles(zip, store.path(), target.path(), {}).error,
                 "No file to archive.");
        QCOMPARE(readAll(zipPath), before);
    }

    void hostileNamesStayInsideCds()
    {
        QTemporaryDir root;
        const QString store = root.filePath("store");
        QVERIFY(ensureStoreFolders(store).ok());
        const QString absolute = root.filePath("abs.xml"), zipPath = root.filePath("evil.zip");
        const QByteArray disc = QByteArray(kXmlDeclaration) + "\r\n";
        QVERIFY(writeRawZip(zipPath, {{"../evil.xml", "bad"},
                                      {absolute.toUtf8(), "bad"},
                                      {"C:\\drive.xml", "bad"},
                                      {"folder/", ""}, // not listed; its file is restored
                                      {"folder/good.xml", disc},
                                      {"Bomb.xml", "not a disc file"},
                                      {"Huge.xml", disc + QByteArray(32 << 20, '\0')}}));
        // Neither what is not a disc file nor more than the free space (here 8 MiB) is written.
        const RestoreOutcome outcome = restoreFromArchive(
            store, zipPath, {QList<bool>(archiveRowNames(zipPath).value.size(), true), {}},
            QStorageInfo(store).bytesAvailable() - (8 << 20));
        QCOMPARE(outcome.report.failures.size(), 2);
        QVERIFY2(
            outcome.report.failures[0].startsWith(
                "Bomb.xml: not restored: it is not a disc file") &&
                outcome.report.failures[1].startsWith("Huge.xml: not restored: it would leave"),
            qPrintable(outcome.result.error));
        QCOMPARE(outcome.report.skipped.size(), 4);
        QCOMPARE(folderFiles(store).keys(), QStringList{"cds/good.xml"});
        QCOMPARE(QDir(root.path()).entryList(QDir::Files), QStringList{"evil.zip"});
    }

    void brokenArchivesLeaveNoPartialFile()
    {
        QTemporaryDir source, store, work;
        makeDisc(source.path(), "C", "Big", 1, 3000);
        makeDisc(source.path(), "C", "Small", 1);
        ZipWriter zip;
        QVERIFY(archiveStoreFiles(zip, source.path(), work.path(), {"Big.xml", "Small.xml"}));
        const QByteArray whole = readAll(archivePathIn(work.path()));
        makeDisc(store.path(), "C", "Big", 0, 3000);
        const auto before = storeFiles(store.path()), after = storeFiles(source.path());
        const RestoreChoice replaceAll{{true, true}, {"Big.xml", "Small.xml"}};
        // Cut or corrupted: each disc file is old, new or absent; no temporary file is left.
        const QString broken = work.filePath("broken.zip");
        QList<QByteArray> archives;
        for (qsizetype cut = 0; cut < whole.size(); cut += qMax<qsizetype>(1, whole.size() / 97))
            archives << whole.left(cut);
        for (qsizetype at : {qsizetype(60), whole.size() / 3, whole.size() / 2})
            archives << QByteArray(whole).replace(at, 1, QByteArray(1, char(whole[at] ^ 0x55)));
        for (const QByteArray &bytes : std::as_const(archives)) {
            QVERIFY(writeAll(broken, bytes));
            const RestoreOutcome outcome = restoreFromArchive(store.path(), broken, replaceAll);
            if (bytes.size() < whole.size())
                QVERIFY2(!outcome.result, qPrintable(QString::number(bytes.size())));
            const QMap<QString, QByteArray> now = storeFiles(store.path());
            for (auto it = now.cbegin(); it != now.cend(); ++it)
                QVERIFY2(it.value() == before.value(it.key()) ||
                             it.value() == after.value(it.key()),
                         qPrintable(it.key()));
            QVERIFY2(now.contains("Big.xml") && now.size() == 1 + now.contains("Small.xml"),
                     qPrintable(now.keys().join(QLatin1Char(','))));
            // Put the store back for the next round.
            QFile::remove(discFilePath(store.path(), "Small"));
            QVERIFY(writeAll(discFilePath(store.path(), "Big"), before.value("Big.xml")));
        }
    }

    void overwriteAnswersDecideWhatChanges_data()
    {
        // Rows A..E ("1" where selected) | one answer per question ("-" = closed) | the rows
        // asked about | the rows whose file is new or replaced. A, B and D exist in the store,
        // D as "d.xml": the same disc.
        QTest::addColumn<QString>("c");
        QTest::newRow("no to all later leaves earlier choices") << "11111|Yes NoAll|AB|A";
        QTest::newRow("closed without an answer keeps the file") << "11111|- - -|ABD|CE";
        QTest::newRow("yes to all reaches unselected rows") << "01000|YesAll|B|BCDE";
    }

    void overwriteAnswersDecideWhatChanges()
    {
        QFETCH(QString, c);
        const QString selected = c.section('|', 0, 0), answers = c.section('|', 1, 1),
                      asked = c.section('|', 2, 2), changed = c.section('|', 3, 3);
        QTemporaryDir source, store, work;
        const QString discs = "ABCDE";
        for (const QChar d : discs)
            makeDisc(source.path(), "New", d, 1);
        for (const char *d : {"A", "B", "d"})
            makeDisc(store.path(), "Old", d, 0);
        ZipWriter zip;
        QVERIFY(archiveStoreFiles(zip, source.path(), work.path(), storeFileNames(source.path())));
        const QString zipPath = archivePathIn(work.path());
        const ArchiveContents contents = readArchiveContents(zipPath).value;
        const QStringList replies = answers.split(' ');
        QList<bool> chosen;
        for (const QChar c : selected)
            chosen << (c == '1');
        QString seen;
        OverwriteAnswer answer = OverwriteAnswer::None;
        const RestoreChoice choice = decideRestore(
            store.path(), contents, chosen, answer,
            [&](const OverwriteCase &file, OverwriteAnswer current) {
                const QString reply = replies.value(seen.size());
                seen += file.fileName.chopped(4);
                return reply.isEmpty() || reply == "-" ? current : answerFromText(reply);
            });
        QCOMPARE(seen, asked);
        QVERIFY(restoreFromArchive(store.path(), zipPath, choice).result);
        QString actual;
        for (const QChar d : discs) {
            const QByteArray now = readAll(discFilePath(store.path(), d == 'D' ? "d" : QString(d)));
            if (now == readAll(discFilePath(source.path(), d)))
                actual += d;
        }
        QCOMPARE(actual, changed);
        QVERIFY(!storeFiles(store.path()).contains("D.xml")); // replaced under its own name
    }

    void fullArchiveMergesIntoAStore_data()
    {
        QTest::addColumn<MergeCase>("c");
        QTest::newRow("a new disc brings its notes and picture")
            << MergeCase{false, true, "Yes", "Data.ini", "archived", true, true, 2};
        QTest::newRow("a replaced disc brings them, settings kept") << MergeCase{
            true, true, "Yes Yes No", "Rock.xml Rock.jpg Data.ini", "archived", true, false, 2};
        QTest::newRow("a kept disc keeps its notes and picture")
            << MergeCase{true, true, "No No", "Rock.xml Data.ini", "mine", false, false, 1};
        QTest::newRow("yes to all reaches the picture and settings")
            << MergeCase{true, true, "YesAll", "Rock.xml", "archived", true, true, 2};
        QTest::newRow("an archive of disc files only restores them alone")
            << MergeCase{true, false, "Yes", "Rock.xml", "mine", false, false, 2};
    }

    void fullArchiveMergesIntoAStore()
    {
        QFETCH(MergeCase, c);
        QTemporaryDir source, store, work;
        makeDisc(source.path(), "Music", "Rock", 1);
        makeDisc(source.path(), "Music", "Jazz", 1);
        QVERIFY(writeAll(cdsFolder(source.path()) + "/readme.txt", "not a disc"));
        setNotes(source.path(), "Rock", "archived");
        setNotes(source.path(), "Gone", "of a disc the archive does not hold");
        QVERIFY(writeAll(picturePath(source.path(), "Rock"), "new picture"));
        QVERIFY(writeAll(catalogOrderPath(source.path()), "Music\r\nEmpty\r\nMine\r\n"));
        QVERIFY(writeAll(settingsPath(source.path()), "archived settings"));
        makeDisc(store.path(), "Mine", "Other");
        setNotes(store.path(), "Other", "other notes");
        if (c.rockInStore) {
            makeDisc(store.path(), "Mine", "Rock");
            setNotes(store.path(), "Rock", "mine");
            QVERIFY(writeAll(picturePath(store.path(), "Rock"), "old picture"));
        }
        QVERIFY(writeAll(catalogOrderPath(store.path()), "Mine\r\nOld\r\n"));
        QVERIFY(writeAll(settingsPath(store.path()), "my settings"));
        ZipWriter zip;
        QVERIFY(archiveStoreFiles(zip, source.path(), work.path(), storeFileNames(source.path()),
                                  c.everything));

        const QString zipPath = archivePathIn(work.path());
        const ArchiveContents contents = readArchiveContents(zipPath).value;
        QCOMPARE(contents.rowNames(), QStringList({"Jazz.xml", "Rock.xml", "readme.txt"}));
        QStringList answers = c.replies.split(' '), questions;
        OverwriteAnswer answer = OverwriteAnswer::None;
        const RestoreChoice choice =
            decideRestore(store.path(), contents, {true, true, true}, answer,
                          [&](const OverwriteCase &file, OverwriteAnswer) {
                              questions << file.fileName;
                              return answerFromText(answers.value(questions.size() - 1));
                          });
        QCOMPARE(questions.join(' '), c.asked);
        const RestoreOutcome outcome = restoreFromArchive(store.path(), zipPath, choice);
        QVERIFY2(outcome.result, qPrintable(outcome.result.error));
        QCOMPARE(
            summaryText(outcome.summary),
            u"Restored %1 discs, %2 pictures; notes of %2 discs; skipped 1."_s.arg(c.discs).arg(
                int(c.newPicture)));

        QCOMPARE(storedNotes(store.path(), "Rock") + '|' + storedNotes(store.path(), "Other") +
                     '|' + storedNotes(store.path(), "Gone"),
                 c.rockNotes + "|other notes|(none)");
        QCOMPARE(readAll(picturePath(store.path(), "Rock")),
                 QByteArray(c.newPicture    ? "new picture"
                            : c.rockInStore ? "old picture"
                                            : ""));
        QCOMPARE(readAll(settingsPath(store.path())),
                 QByteArray(c.newSettings ? "archived settings" : "my settings"));
        QCOMPARE(
            readAll(catalogOrderPath(store.path())),
            QByteArray(c.everything ? "Mine\r\nOld\r\nMusic\r\nEmpty\r\n" : "Mine\r\nOld\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestZipArchive)
#include "tst_zip_archive.moc"
