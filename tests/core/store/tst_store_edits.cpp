// Orlith — desktop catalogue of removable media.
#include "core/capture/capture_fixtures.h"
#include "core/capture/drives.h"
#include "core/core_fixtures.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "core/store/save_list_task.h"
#include "core/store/store_edits.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

const QList<FileEntry> kRockEntries{
    {u"a, b.mp3"_s, u"/cd/a, b.mp3"_s, 1536, u"1.2.2004 10:00:00"_s},
    {u"c.ogg"_s, u"/cd/x/c.ogg"_s, 7, u"2.2.2004 11:00:00"_s}};

} // namespace

class TestStoreEdits : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->path();
        QVERIFY(ensureStoreFolders(m_root).ok());
        QVERIFY(writeDiscFile(discFilePath(m_root, u"Backup"_s), u"Music"_s, {}).ok());
        QVERIFY(writeDiscFile(discFilePath(m_root, u"Rock"_s), u"Music"_s, kRockEntries).ok());
        QVERIFY(writeDiscFile(discFilePath(m_root, u"Alien"_s), u"Films"_s, kRockEntries).ok());
        QVERIFY(makeFile(m_root + u"/cds/Orphan.xml"_s, "<cd-dvd>\r\n"));
        QVERIFY(makeFile(picturePath(m_root, u"Backup"_s), "JPEGDATA"));
        QVERIFY(makeFile(catalogOrderPath(m_root), "Music\r\nFilms\r\nEmpty\r\n"));
        m_notes.close();
        QVERIFY(m_notes.open(notesStorePath(m_root)));
        m_index.load(m_root);
        m_edits = std::make_unique<StoreEdits>(m_root, m_index, m_notes);
    }

    void nameRules_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const QString inUse = QString::fromLatin1(kNameInUse);
        const QString bad = QString::fromLatin1(kBadFileNameMessage);
        auto row = [](const char *action, const char *name, const QString &expected) {
            QTest::addRow("%s '%s'", action, name)
                << QString::fromLatin1(action) << QString::fromUtf8(name) << expected;
        };
        row("disc", " -7 ", u"CD/DVD name can not be number."_s);
        row("disc", "", u"You must enter CD/DVD name."_s);
        row("disc", "a/b", bad);
        row("catalog", "12", u"Catalog name can not be number."_s);
        row("catalog", "", u"You must enter catalog name."_s);
        row("rename disc", "12", u"CD/DVD name can not be a number."_s);
        row("rename disc", "", u"You must enter new name."_s);
        row("rename catalog", "12", u"Catalog name can not be a number."_s);
        row("catalog", "12b", QString());
        for (const char *name : {"Music", "rOCK", "orphan"})
            row("disc", name, inUse);
        row("catalog", "Catalogs", inUse);
        for (const char *name : {"backup", "Rock", "Films"})
            row("rename disc", name, inUse);
        row("rename catalog", "MUSIC", inUse);
    }

    void nameRules()
    {
        QFETCH(QString, action);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QMap<QString, QByteArray> before = userFiles(m_root);
        StoreResult r;
        if (action == "disc"_L1)
            r = m_edits->checkNewDisc({name, u"Music"_s, u"/media/cd"_s, false}, nullptr);
        else if (action == "catalog"_L1)
            r = m_edits->newCatalog(name);
        else
            r = m_edits->rename(action.endsWith("disc"_L1) ? u"Backup"_s : u"Music"_s, name);
        QCOMPARE(r.error, expected);
        if (action == "catalog"_L1 && r.ok()) {
            // A new catalog is the last one and survives a restart.
            QCOMPARE(bytes("/katalog.ini"), "Music\r\nFilms\r\nEmpty\r\n" + name.toUtf8() + "\r\n");
            QCOMPARE(shapeOnDisk(m_root), shape(m_index));
            return;
        }
        QCOMPARE(userFiles(m_root), before);
        QCOMPARE(shape(m_index), shapeOnDisk(m_root)); // the index was left as the disk is
    }

    void newDiscDriveChecks()
    {
        FakeDriveProvider drives;
        const QString cd = m_dir->filePath(u"cd"_s);
        QVERIFY(QDir().mkpath(cd));
        drives.addDrive(cd);
        const auto check = [&](const QString &name, const QString &catalog, const QString &drive,
                               bool virt = false) {
            const NewDiscInput in{name, catalog, drive, virt};
            return m_edits->checkNewDisc(in, drive.isEmpty() && !virt ? nullptr : &drives).error;
        };
        QCOMPARE(check("New", "Music", cd), QString());
        QCOMPARE(check("New", "Chose Catalog", cd), "You must chose catalog for your CD/DVD.");
        // Media is checked first, before the name; a list saved as a disc needs no drive.
        drives.setMedia(cd, false);
        QCOMPARE(check("Rock", "Music", cd), "There is no media In the drive.");
        QCOMPARE(check("2024", "Music", {}, true), "CD/DVD name can not be number.");
        QCOMPARE(check("2024", "Music", {}), "You don't have any valid CD/DVD drive.");
    }

    void renameDiscMovesFileAndPicture()
    {
        const QByteArray disc = bytes(u"/cds/Backup.xml"_s);
        const StoreResult r = m_edits->rename(u"backup"_s, u"Old backup"_s);
        QVERIFY2(r.ok() && r.warnings.isEmpty(), qPrintable(r.error + r.warnings.join(' ')));
        QCOMPARE(bytes(u"/cds/Old backup.xml"_s), disc);
        QCOMPARE(bytes(u"/pic/Old backup.jpg"_s), QByteArray("JPEGDATA"));
        QVERIFY(!QFile::exists(m_root + u"/pic/Backup.jpg"_s));
        QCOMPARE(shape(m_index), u"Music:Old backup,Rock Films:Alien Empty:"_s);
    }

    void renameCatalogRewritesItsDiscFiles()
    {
        const QByteArray alien = bytes(u"/cds/Alien.xml"_s);
        const StoreResult r = m_edits->rename(u"Music"_s, u"Songs"_s);
        QVERIFY2(r.ok(), qPrintable(r.error));
        const QByteArray rock = bytes(u"/cds/Rock.xml"_s);
        // The catalog line is replaced; entry lines lose their indent, and nothing else changes.
        QVERIFY(rock.contains("\r\n<catalog>Songs</catalog>\r\n") && !rock.contains("\n ") &&
                rock.contains("\r\n<file_name>a, b.mp3</file_name>\r\n"));
        QCOMPARE(bytes(u"/cds/Alien.xml"_s), alien);
        // Only spaces are trimmed; LF-only and unended lines come out ended with CR LF.
        QCOMPARE(
            rewriteCatalogLine(" <catalog>Old</catalog> \n\t<file_name>x</file_name>  \r\n\r\nend",
                               u"N\u00e9"_s),
            QByteArray("<catalog>N\xE9</catalog>\r\n\t<file_name>x</file_name>\r\n\r\nend\r\n"));
    }

    // A killed rename left Rock in the new catalog, not yet listed: the same rename finishes it.
    void unfinishedCatalogRenameCompletes()
    {
        QVERIFY(writeDiscFile(discFilePath(m_root, u"Rock"_s), u"Songs"_s, kRockEntries).ok());
        m_index.load(m_root);
        const StoreResult r = m_edits->rename(u"Music"_s, u"songs"_s);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(shapeOnDisk(m_root), u"Songs:Backup,Rock Films:Alien Empty:"_s);
        QCOMPARE(bytes(u"/katalog.ini"_s), QByteArray("Songs\r\nFilms\r\nEmpty\r\n"));
        // A catalog that katalog.ini lists is no unfinished rename.
        QCOMPARE(m_edits->rename(u"Films"_s, u"Songs"_s).error, QString::fromLatin1(kNameInUse));
    }

    void deleteRules()
    {
        QCOMPARE(m_edits->deleteActionFor(u"katalog"_s), DeleteAction::Nothing);
        QCOMPARE(m_edits->deleteActionFor(u"Music"_s), DeleteAction::Nothing); // it holds discs
        QCOMPARE(m_edits->deleteActionFor(u"empty"_s), DeleteAction::DeleteCatalog);
        QCOMPARE(m_edits->deleteActionFor(u"BACKUP"_s), DeleteAction::AskThenDeleteDisc);
        const QMap<QString, QByteArray> before = userFiles(m_root);
        QVERIFY(!m_edits->deleteCatalog(u"Music"_s).ok());
        QCOMPARE(userFiles(m_root), before);
        const StoreResult r = m_edits->deleteDisc(u"BACKUP"_s);
        QVERIFY2(r.ok() && r.warnings.isEmpty(), qPrintable(r.error));
        QCOMPARE(bytes(u"/pic/Backup.jpg"_s), QByteArray("JPEGDATA"));
        QVERIFY(m_edits->deleteCatalog(u"Empty"_s).ok());
        QCOMPARE(shape(m_index), u"Music:Rock Films:Alien"_s);
    }

    // Saving a list as a disc: a name taken since the dialog checked it is refused
    // (tst_search_window saves a list whole).
    void saveListToATakenName()
    {
        SaveListTask task(m_root, u"backup"_s, u"Music"_s,
                          {FileRow(u"a"_s, u"/m/a"_s, 1, u"d"_s, u"X"_s)});
        QSignalSpy finished(&task, &SaveListTask::finished);
        task.start();
        QVERIFY(!finished.isEmpty() || finished.wait(20000));
        const StoreResult r = finished.first().first().value<StoreResult>();
        QVERIFY2(r.error.contains(u"already in use"_s), qPrintable(r.error));
        QCOMPARE(fileCountText(m_root, u"Backup"_s), u"0"_s);
    }

private:
    QByteArray bytes(const QString &relative) const { return readAll(m_root + relative); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    CatalogueIndex m_index;
    NotesStore m_notes;
    std::unique_ptr<StoreEdits> m_edits;
};

QTEST_GUILESS_MAIN(TestStoreEdits)
#include "tst_store_edits.moc"
