// Orlith — desktop catalogue of removable media.
#include "capture/drives.h"
#include "capture/store_edits.h"
#include "capture_fixtures.h"
#include "store/catalogue_index.h"
#include "store/disc_file.h"
#include "store/notes_store.h"
#include "store/program_folder.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;

namespace {

const QList<FileEntry> kRockEntries{
    {QStringLiteral("a, b.mp3"), QStringLiteral("/cd/a, b.mp3"), 1536, QStringLiteral("1.2.2004 10:00:00")},
    {QStringLiteral("c.ogg"), QStringLiteral("/cd/x/c.ogg"), 7, QStringLiteral("2.2.2004 11:00:00")}};

QString shape(const CatalogueIndex &index)
{
    QStringList parts;
    for (const CatalogNode &c : index.catalogs())
        parts << c.name + QLatin1Char(':') + c.discs.join(QLatin1Char(','));
    return parts.join(QLatin1Char(' '));
}

QString notesOf(const QString &root, const QString &disc)
{
    NotesStore store;
    (void)store.OpenNotesStore(notesStorePath(root));
    store.ResetNotesSearch();
    return store.FindNotesRecord(disc) == NotesStore::kFound ? store.notes() : QStringLiteral("(none)");
}

} // namespace

class TestStoreEdits : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void nameRules_data();
    void nameRules();
    void newDiscDriveChecks();
    void renameDiscMovesFilePictureAndNotes();
    void renameCatalogRewritesItsDiscFiles();
    void rewriteCatalogLine_data();
    void rewriteCatalogLine();
    void deleteRules();

private:
    // Every file of the data folder with its bytes, to prove an edit changed nothing.
    QMap<QString, QByteArray> snapshot() const;
    QByteArray bytes(const QString &relative) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    CatalogueIndex m_index;
    NotesStore m_notes;
    std::unique_ptr<StoreEdits> m_edits;
};

void TestStoreEdits::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = m_dir->path();
    QVERIFY(ensureStoreFolders(m_root).ok());
    QVERIFY(writeDiscFile(discFilePath(m_root, QStringLiteral("Backup")), QStringLiteral("Music"), {}).ok());
    QVERIFY(writeDiscFile(discFilePath(m_root, QStringLiteral("Rock")), QStringLiteral("Music"), kRockEntries).ok());
    QVERIFY(writeDiscFile(discFilePath(m_root, QStringLiteral("Alien")), QStringLiteral("Films"), kRockEntries).ok());
    QVERIFY(makeFile(m_root + QStringLiteral("/cds/Orphan.xml"), "<cd-dvd>\r\n"));
    QVERIFY(makeFile(picturePath(m_root, QStringLiteral("Backup")), "JPEGDATA"));
    QVERIFY(makeFile(catalogOrderPath(m_root), "Music\r\nFilms\r\nEmpty\r\n"));
    m_notes.close();
    QVERIFY(m_notes.OpenNotesStore(notesStorePath(m_root)));
    for (const char *disc : {"Backup", "Alien"}) {
        m_notes.setRecord(QString::fromLatin1(disc), QStringLiteral("notes of ") + QLatin1String(disc));
        QVERIFY(m_notes.AppendNotesRecord());
    }
    m_index.load(m_root);
    QCOMPARE(shape(m_index), QStringLiteral("Music:Backup,Rock Films:Alien Empty:"));
    m_edits = std::make_unique<StoreEdits>(m_root, m_index, m_notes);
}

QMap<QString, QByteArray> TestStoreEdits::snapshot() const
{
    QMap<QString, QByteArray> files;
    QDirIterator it(m_root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(m_root.size()), bytes(path.mid(m_root.size())));
    }
    return files;
}

QByteArray TestStoreEdits::bytes(const QString &relative) const
{
    QFile f(m_root + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void TestStoreEdits::nameRules_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    const QString inUse = QString::fromLatin1(kNameInUse);
    const QString bad = QString::fromLatin1(kBadFileNameMessage);
    auto row = [](const char *action, const char *name, const QString &expected) {
        QTest::addRow("%s '%s'", action, name) << QString::fromLatin1(action) << QString::fromUtf8(name) << expected;
    };
    row("disc", "2024", QStringLiteral("CD/DVD name can not be number."));
    row("disc", "1E3", QStringLiteral("CD/DVD name can not be number."));
    row("disc", " -7 ", QStringLiteral("CD/DVD name can not be number."));
    row("disc", "1.5", QStringLiteral("CD/DVD name can not be number."));
    row("disc", "2024a", QString());
    row("disc", "1.2.3", QString());
    row("disc", "", QStringLiteral("You must enter CD/DVD name."));
    row("disc", "   ", QStringLiteral("You must enter CD/DVD name."));
    row("disc", "Music", inUse);
    row("disc", "rOCK", inUse);
    row("disc", "katalog", inUse);
    row("disc", "CATALOGS", inUse);
    row("disc", "orphan", inUse);
    row("disc", "a/b", bad);
    row("disc", "..", bad);
    row("disc", "x:y", bad);
    row("catalog", "12", QStringLiteral("Catalog name can not be number."));
    row("catalog", "12b", QString());
    row("catalog", "", QStringLiteral("You must enter catalog name."));
    row("catalog", "Alien", inUse);
    row("catalog", "music", inUse);
    row("catalog", "Catalogs", inUse);
    row("catalog", "a|b", bad);
    row("rename disc", "backup", inUse);
    row("rename disc", "Rock", inUse);
    row("rename disc", "Films", inUse);
    row("rename disc", "Orphan", inUse);
    row("rename disc", "12", QStringLiteral("CD/DVD name can not be a number."));
    row("rename disc", "", QStringLiteral("You must enter new name."));
    row("rename disc", "a*b", bad);
    row("rename catalog", "MUSIC", inUse);
    row("rename catalog", "Alien", inUse);
    row("rename catalog", "12", QStringLiteral("Catalog name can not be a number."));
    row("rename catalog", "tab\there", bad);
}

void TestStoreEdits::nameRules()
{
    QFETCH(QString, action);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QMap<QString, QByteArray> before = snapshot();
    const QString shapeBefore = shape(m_index);
    EditResult r;
    if (action == QLatin1String("disc"))
        r = m_edits->checkNewDisc({name, QStringLiteral("Music"), QStringLiteral("/media/cd"), false}, nullptr);
    else if (action == QLatin1String("catalog"))
        r = m_edits->newCatalog(name);
    else
        r = m_edits->rename(action.endsWith(QLatin1String("disc")) ? QStringLiteral("Backup") : QStringLiteral("Music"), name);
    QCOMPARE(r.message, expected);
    if (action == QLatin1String("catalog") && r.ok()) {
        // A new catalog is the last one and survives a restart.
        QCOMPARE(bytes(QStringLiteral("/katalog.ini")), "Music\r\nFilms\r\nEmpty\r\n" + name.toUtf8() + "\r\n");
        CatalogueIndex reloaded;
        reloaded.load(m_root);
        QCOMPARE(shape(reloaded), shape(m_index));
        QVERIFY(r.changed);
        return;
    }
    QVERIFY(!r.changed);
    QCOMPARE(shape(m_index), shapeBefore);
    QCOMPARE(snapshot(), before);
}

void TestStoreEdits::newDiscDriveChecks()
{
    FakeDriveProvider drives;
    const QString cd = m_dir->filePath(QStringLiteral("cd"));
    QVERIFY(QDir().mkpath(cd));
    drives.addDrive(cd);
    auto check = [&](const QString &name, const QString &catalog, const QString &drive, bool virtualMode) {
        return m_edits->checkNewDisc({name, catalog, drive, virtualMode}, &drives).message;
    };
    QCOMPARE(check(QStringLiteral("New"), QStringLiteral("Music"), cd, false), QString());
    QCOMPARE(check(QStringLiteral("New"), QStringLiteral("Chose Catalog"), cd, false),
             QStringLiteral("You must chose catalog for your CD/DVD."));
    QCOMPARE(check(QStringLiteral("New"), QStringLiteral("Nope"), cd, false),
             QStringLiteral("You must chose catalog for your CD/DVD."));
    // Media is checked first, before the name; a list saved as a disc needs no drive.
    drives.setMedia(cd, false);
    QCOMPARE(check(QStringLiteral("Rock"), QStringLiteral("Music"), cd, false),
             QStringLiteral("There is no media In the drive."));
    QCOMPARE(check(QStringLiteral("2024"), QStringLiteral("Music"), QString(), true),
             QStringLiteral("CD/DVD name can not be number."));
    QCOMPARE(check(QStringLiteral("New"), QStringLiteral("Music"), QString(), true), QString());
    QCOMPARE(m_edits->checkNewDisc({QStringLiteral("2024"), QStringLiteral("Music"), QString(), false}, nullptr).message,
             QStringLiteral("You don't have any valid CD/DVD drive."));
}

void TestStoreEdits::renameDiscMovesFilePictureAndNotes()
{
    const QByteArray disc = bytes(QStringLiteral("/cds/Backup.xml"));
    const EditResult r = m_edits->rename(QStringLiteral("backup"), QStringLiteral("Old backup"));
    QVERIFY2(r.ok() && r.warnings.isEmpty(), qPrintable(r.message + r.warnings.join(QLatin1Char(' '))));
    QCOMPARE(bytes(QStringLiteral("/cds/Old backup.xml")), disc);
    QCOMPARE(bytes(QStringLiteral("/pic/Old backup.jpg")), QByteArray("JPEGDATA"));
    QVERIFY(!QFile::exists(discFilePath(m_root, QStringLiteral("Backup"))));
    QVERIFY(!QFile::exists(picturePath(m_root, QStringLiteral("Backup"))));
    QCOMPARE(notesOf(m_root, QStringLiteral("Old backup")), QStringLiteral("notes of Backup"));
    QCOMPARE(notesOf(m_root, QStringLiteral("Backup")), QStringLiteral("(none)"));
    QCOMPARE(notesOf(m_root, QStringLiteral("Alien")), QStringLiteral("notes of Alien"));
    QCOMPARE(shape(m_index), QStringLiteral("Music:Old backup,Rock Films:Alien Empty:"));

    // A disc without picture or notes moves just its file; the notes box text can be given.
    QVERIFY(m_edits->rename(QStringLiteral("Rock"), QStringLiteral("Roll"), QStringLiteral("typed")).ok());
    QCOMPARE(notesOf(m_root, QStringLiteral("Roll")), QStringLiteral("(none)"));
    QVERIFY(!QFile::exists(picturePath(m_root, QStringLiteral("Roll"))));
    CatalogueIndex reloaded;
    reloaded.load(m_root);
    QCOMPARE(shape(reloaded), QStringLiteral("Music:Old backup,Roll Films:Alien Empty:"));
}

void TestStoreEdits::renameCatalogRewritesItsDiscFiles()
{
    const QByteArray alien = bytes(QStringLiteral("/cds/Alien.xml"));
    QVERIFY(bytes(QStringLiteral("/cds/Rock.xml")).contains("\r\n    <file_name>a, b.mp3</file_name>\r\n"));
    const EditResult r = m_edits->rename(QStringLiteral("Music"), QStringLiteral("Songs"));
    QVERIFY2(r.ok() && r.changed, qPrintable(r.message));

    const QByteArray rock = bytes(QStringLiteral("/cds/Rock.xml"));
    QVERIFY(rock.contains("\r\n<catalog>Songs</catalog>\r\n"));
    QVERIFY(rock.contains("\r\n<file_name>a, b.mp3</file_name>\r\n"));
    QVERIFY(!rock.contains("\n "));
    QList<FileEntry> entries;
    QVERIFY(readDiscEntries(discFilePath(m_root, QStringLiteral("Rock")), entries).ok());
    QCOMPARE(entries.size(), kRockEntries.size());
    QCOMPARE(entries[0].name, kRockEntries[0].name);
    QCOMPARE(entries[1].size, kRockEntries[1].size);
    QVERIFY(bytes(QStringLiteral("/cds/Backup.xml")).contains("\r\n<catalog>Songs</catalog>\r\n"));
    QCOMPARE(bytes(QStringLiteral("/cds/Alien.xml")), alien);
    QCOMPARE(bytes(QStringLiteral("/katalog.ini")), QByteArray("Songs\r\nFilms\r\nEmpty\r\n"));
    CatalogueIndex reloaded;
    reloaded.load(m_root);
    QCOMPARE(shape(reloaded), QStringLiteral("Songs:Backup,Rock Films:Alien Empty:"));

    // A disc file that cannot be read stops the rename before any file changes.
    QVERIFY(QFile::remove(discFilePath(m_root, QStringLiteral("Backup"))));
    QVERIFY(QDir().mkpath(discFilePath(m_root, QStringLiteral("Backup"))));
    const QMap<QString, QByteArray> before = snapshot();
    const EditResult refused = m_edits->rename(QStringLiteral("Songs"), QStringLiteral("Tunes"));
    QVERIFY(refused.message.contains(QLatin1String("Backup.xml")));
    QVERIFY(!refused.changed);
    QCOMPARE(snapshot(), before);
    QCOMPARE(shape(m_index), QStringLiteral("Songs:Backup,Rock Films:Alien Empty:"));
}

void TestStoreEdits::rewriteCatalogLine_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("indented CR LF") << QByteArray("  <catalog>Old</catalog>  \r\n    <file_name>x</file_name>\r\n")
                                    << QByteArray("<catalog>Né</catalog>\r\n<file_name>x</file_name>\r\n");
    QTest::newRow("LF, no last line end") << QByteArray("a \n\n <catalog>\nb")
                                          << QByteArray("a\r\n\r\n<catalog>Né</catalog>\r\nb\r\n");
    QTest::newRow("tabs stay") << QByteArray("\t<catalog>Old</catalog>\r\n")
                               << QByteArray("\t<catalog>Old</catalog>\r\n");
}

void TestStoreEdits::rewriteCatalogLine()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(orlith::rewriteCatalogLine(input, QStringLiteral("N\u00e9")), expected.replace("Né", "N\xE9"));
}

void TestStoreEdits::deleteRules()
{
    QCOMPARE(m_edits->deleteActionFor(QStringLiteral("katalog")), DeleteAction::Nothing);
    QCOMPARE(m_edits->deleteActionFor(QStringLiteral("Music")), DeleteAction::Nothing);
    QCOMPARE(m_edits->deleteActionFor(QStringLiteral("nope")), DeleteAction::Nothing);
    QCOMPARE(m_edits->deleteActionFor(QStringLiteral("empty")), DeleteAction::DeleteCatalog);
    QCOMPARE(m_edits->deleteActionFor(QStringLiteral("BACKUP")), DeleteAction::AskThenDeleteDisc);

    const QMap<QString, QByteArray> before = snapshot();
    QVERIFY(!m_edits->deleteCatalog(QStringLiteral("Music")).ok());
    QCOMPARE(snapshot(), before);

    const EditResult r = m_edits->deleteDisc(QStringLiteral("BACKUP"));
    QVERIFY2(r.ok() && r.changed && r.warnings.isEmpty(), qPrintable(r.message));
    QVERIFY(!QFile::exists(discFilePath(m_root, QStringLiteral("Backup"))));
    QCOMPARE(bytes(QStringLiteral("/pic/Backup.jpg")), QByteArray("JPEGDATA"));
    QCOMPARE(notesOf(m_root, QStringLiteral("Backup")), QStringLiteral("(none)"));
    QCOMPARE(notesOf(m_root, QStringLiteral("Alien")), QStringLiteral("notes of Alien"));

    QVERIFY(m_edits->deleteCatalog(QStringLiteral("Empty")).ok());
    QCOMPARE(bytes(QStringLiteral("/katalog.ini")), QByteArray("Music\r\nFilms\r\n"));
    CatalogueIndex reloaded;
    reloaded.load(m_root);
    QCOMPARE(shape(reloaded), QStringLiteral("Music:Rock Films:Alien"));
    QCOMPARE(shape(m_index), shape(reloaded));
}

QTEST_GUILESS_MAIN(TestStoreEdits)
#include "tst_store_edits.moc"
