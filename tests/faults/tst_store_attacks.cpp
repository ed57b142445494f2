// Orlith — desktop catalogue of removable media.
// The store attacked the way a careful user, a script with a bug and a hostile disc would:
// changes made to a disc that another process replaced meanwhile, names left empty, store
// files reached through links, outputs that are not files, and files that only look like
// the program's own.
#include "core/archive/archive_fixtures.h"
#include "core/archive/archive_job.h"
#include "core/capture/capture_fixtures.h"
#include "core/capture/capture_job.h"
#include "core/core_fixtures.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_identity.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "core/store/store_edits.h"
#include "support/recording_services.h"
#include "ui/main/details_pane_widget.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

class TestStoreAttacks : public QObject
{
    Q_OBJECT

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString disc(const QString &name) const { return discFilePath(m_root, name); }
    CliRun run(const QStringList &args) const { return cli(m_root, args); }

private slots:
    // Two discs A and B in catalog Cat, an empty catalog Spare, and a media folder.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = path(u"data"_s);
        QVERIFY(ensureStoreFolders(m_root).ok());
        QVERIFY(writeDiscFile(disc(u"A"_s), u"Cat"_s,
                              {{u"a.txt"_s, u"/m/a.txt"_s, 10, u"1.2.2004 10:00:00"_s}})
                    .ok());
        QVERIFY(writeDiscFile(disc(u"B"_s), u"Cat"_s, {}).ok());
        QVERIFY(makeFile(catalogOrderPath(m_root), "Cat\r\nSpare\r\n"));
        QVERIFY(makeFile(path(u"media/f.txt"_s), "x"));
    }

    // A rename or delete after a wait (the question, the name dialog) goes to the disc the
    // user chose; after a rename swap that disc has another name, and the name is B's.
    void changesFollowWhatWasChosen_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("rename") << u"rename"_s;
        QTest::newRow("delete") << u"delete"_s;
    }
    void changesFollowWhatWasChosen()
    {
        QFETCH(QString, change);
        const DiscIdentity chosen = discIdentity(disc(u"A"_s));
        QVERIFY(run({u"rename"_s, u"A"_s, u"C"_s}).says(0));
        QVERIFY(run({u"rename"_s, u"B"_s, u"A"_s}).says(0));
        const QMap<QString, QByteArray> before = userFiles(m_root);
        CatalogueIndex index;
        NotesStore notes;
        StoreEdits edits(m_root, index, notes);
        const StoreResult r = change == "rename"_L1
                                  ? edits.rename(u"A"_s, u"D"_s, std::nullopt, &chosen)
                                  : edits.deleteDisc(u"A"_s, &chosen);
        QCOMPARE(r.error, discChangedMessage(u"A"_s));
        QCOMPARE(userFiles(m_root), before);
    }

    // Notes typed in the window belong to the disc they were typed for: renamed by another
    // process meanwhile, it still gets them; rewritten (its catalog renamed), nothing is
    // written and the box says so.
    void windowNotesFollowTheirDisc_data()
    {
        QTest::addColumn<QStringList>("meanwhile");
        QTest::addColumn<QString>("notesOfC");
        QTest::newRow("renamed away, another renamed in")
            << QStringList{u"rename A C"_s, u"rename B A"_s} << u"typed"_s;
        QTest::newRow("rewritten") << QStringList{u"rename Cat Cat2"_s} << u"(none)"_s;
    }
    void windowNotesFollowTheirDisc()
    {
        QFETCH(QStringList, meanwhile);
        QFETCH(QString, notesOfC);
        NotesStore notes;
        RecordingMessages messages;
        DetailsPane pane(m_root, notes, UiServices{&messages, nullptr, nullptr});
        pane.showDisc(u"A"_s);
        for (const QString &command : meanwhile)
            QVERIFY(run(command.split(u' ')).says(0));
        auto *box = pane.findChild<QPlainTextEdit *>();
        box->setPlainText(u"typed"_s);
        box->document()->setModified(true);
        pane.saveNotes();
        QCOMPARE(storedNotes(m_root, u"C"_s) + storedNotes(m_root, u"A"_s) +
                     storedNotes(m_root, u"B"_s),
                 notesOfC + u"(none)(none)"_s);
        QCOMPARE(messages.boxes.size(), notesOfC == "typed"_L1 ? 0 : 1);
    }

    // A capture files the disc into the catalog as it is when it writes: renamed meanwhile,
    // the new name (the old one never comes back); deleted meanwhile, nothing is written.
    void captureTakesTheCatalogAsItIs_data()
    {
        QTest::addColumn<QString>("catalog");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("shape");
        QTest::newRow("renamed") << u"Cat"_s << u"rename Cat Cat2"_s << u"Cat2:A,B,N Spare:"_s;
        QTest::newRow("deleted") << u"Spare"_s << u"delete Spare"_s << u"Cat:A,B"_s;
    }
    void captureTakesTheCatalogAsItIs()
    {
        QFETCH(QString, catalog);
        QFETCH(QString, meanwhile);
        QFETCH(QString, shape);
        CatalogueIndex index;
        index.load(m_root);
        CaptureJob job(CaptureRequest{m_root, u"N"_s, catalog, path(u"media"_s)});
        bool done = false;
        job.setProgressCallback([&](const CaptureJob &j) {
            if (j.phase() == CaptureJob::Phase::Filling && !std::exchange(done, true))
                QVERIFY(run(meanwhile.split(u' ')).says(0));
        });
        const StoreResult r = captureFolder(job, index);
        QCOMPARE(r.ok(), catalog == "Cat"_L1);
        index.load(m_root);
        QCOMPARE(orlith::test::shape(index), shape);
    }

    // An empty name (an unset shell variable) is a usage error in every command: it never
    // means "every disc" or "the first disc", and nothing is touched.
    void emptyNamesAreUsageErrors_data()
    {
        QTest::addColumn<QStringList>("args"); // "@x" is the file x of the test's folder
        const QString m = u"@media"_s;
        // One row per way a name is taken in (operand, option, the data folder), and the
        // commands where an empty one did harm.
        const QList<QStringList> rows{
            {u"delete"_s, {}, u"--yes"_s},
            {u"capture"_s, u"--catalog"_s, {}, u"--name"_s, u"N"_s, m},
            // Where an empty name once meant every disc, or a path the store itself.
            {u"rename"_s, u"A"_s, {}},
            {u"find"_s, u"a"_s, u"--disc"_s, {}},
            {u"search"_s, u"--disc"_s, {}},
            {u"export"_s, u"csv"_s, u"--out"_s, {}, u"A"_s},
            {u"archive"_s, u"--to"_s, {}},
            {u"restore"_s, {}},
            {u"--data-dir"_s, {}, u"tree"_s},
            {u"--data-dir"_s, u"@empty"_s, u"rescan"_s, {}, m}, // an empty store once crashed here
        };
        for (const QStringList &row : rows)
            QTest::newRow(qPrintable(row.join(u'|'))) << row;
    }
    void emptyNamesAreUsageErrors()
    {
        QFETCH(QStringList, args);
        for (QString &arg : args) {
            if (arg.startsWith(u'@'))
                arg = path(arg.mid(1));
        }
        // A row giving its own data folder runs without the store; "empty" is an empty one.
        QVERIFY(QDir().mkpath(path(u"empty"_s)));
        const QMap<QString, QByteArray> before = userFiles(m_root);
        const CliRun r = args.first() == "--data-dir"_L1 ? runCli(args) : run(args);
        QVERIFY2(r.says(2), qPrintable(r.err));
        QCOMPARE(userFiles(m_root), before);
    }

    // Deleting and renaming work on directory entries: a hard-linked snapshot (cp -al) and a
    // link's target outside the store keep every byte.
    void linkedDiscFilesKeepTheirBytes_data()
    {
        QTest::addColumn<bool>("symlink");
        QTest::addColumn<QString>("command");
        QTest::newRow("hard link, delete") << false << u"delete A --yes"_s;
        QTest::newRow("symlink, rename") << true << u"rename A Z"_s;
    }
    void linkedDiscFilesKeepTheirBytes()
    {
        QFETCH(bool, symlink);
        QFETCH(QString, command);
        const QString kept = path(u"snapshot.xml"_s);
        const QByteArray bytes = readAll(disc(u"A"_s));
        if (symlink)
            QVERIFY(QFile::rename(disc(u"A"_s), kept) && QFile::link(kept, disc(u"A"_s)));
        else
            QCOMPARE(::link(QFile::encodeName(disc(u"A"_s)).constData(),
                            QFile::encodeName(kept).constData()),
                     0);
        QVERIFY(run(command.split(u' ')).says(0));
        QCOMPARE(readAll(kept), bytes);
        QVERIFY(!QFileInfo::exists(disc(u"A"_s)) && !QFileInfo(disc(u"A"_s)).isSymLink());
    }

    // A new disc file is created exclusively: a dangling link holding the name is not written
    // through.
    void captureDoesNotWriteThroughALink()
    {
        QVERIFY(QFile::link(path(u"outside.xml"_s), disc(u"N"_s)));
        QVERIFY(run({u"capture"_s, u"--catalog"_s, u"Cat"_s, u"--name"_s, u"N"_s, path(u"media"_s)})
                    .says(1));
        QVERIFY(!QFile::exists(path(u"outside.xml"_s)));
    }

    // An output that is not a regular file is written straight to and stays what it was.
    void specialOutputsAreStreamed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << u"fifo"_s;
        QTest::newRow("character device") << u"device"_s;
    }
    void specialOutputsAreStreamed()
    {
        QFETCH(QString, kind);
        const QString out = path(u"out"_s);
        QByteArray received;
        std::unique_ptr<QThread> reader;
        if (kind == "fifo"_L1) {
            QCOMPARE(::mkfifo(QFile::encodeName(out).constData(), 0600), 0);
            reader.reset(QThread::create([&] { received = readAll(out); }));
            reader->start();
        } else if (kind == "device"_L1 &&
                   ::mknod(QFile::encodeName(out).constData(), S_IFCHR | 0600, makedev(1, 3))) {
            QSKIP("device nodes cannot be made here");
        }
        const CliRun r = run({u"export"_s, u"csv"_s, u"--out"_s, out, u"A"_s});
        QVERIFY2(r.says(0), qPrintable(r.err));
        if (reader)
            QVERIFY(reader->wait(10000) && received.contains("/m/a.txt"));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(out).constData(), &st), 0);
        QVERIFY(kind == "fifo"_L1 ? S_ISFIFO(st.st_mode) : !S_ISREG(st.st_mode));
    }

    // "Inside the store" is a matter of folders, not of path texts: a second mount of the
    // data folder does not get an export onto a disc file.
    void exportThroughASecondMount()
    {
        const QString mount = path(u"mount"_s);
        QVERIFY(QDir().mkpath(mount));
        if (::mount(QFile::encodeName(m_root).constData(), QFile::encodeName(mount).constData(),
                    nullptr, MS_BIND, nullptr) != 0)
            QSKIP("a bind mount cannot be made here");
        const QByteArray bytes = readAll(disc(u"A"_s));
        const CliRun r = run({u"export"_s, u"csv"_s, u"--out"_s, mount + "/cds/A.xml"_L1, u"A"_s});
        ::umount(QFile::encodeName(mount).constData());
        QVERIFY(r.says(1, u"own store files"_s));
        QCOMPARE(readAll(disc(u"A"_s)), bytes);
        QVERIFY(run({u"archive"_s, u"--to"_s, cdsFolder(m_root)}).says(1, u"store folders"_s));
    }

    // A lock file that names no owner (a kill between its making and its first write) is
    // taken over at once, not after a minute.
    void emptyLockIsTakenOver()
    {
        QVERIFY(makeFile(m_root + "/temp/store.lock"_L1, {}));
        QVERIFY(run({u"new-catalog"_s, u"Fresh"_s}).says(0));
        QVERIFY(makeFile(m_root + "/temp/store.lock"_L1, "not a lock\n"));
        QVERIFY(run({u"rename"_s, u"Fresh"_s, u"Fresher"_s}).says(0));
    }

    // Restore files discs only under names a dialog would accept.
    void restoreKeepsTheNameRules()
    {
        const QString zip = path(u"in.zip"_s);
        // Every entry holds a whole disc file; only the names differ.
        QList<QPair<QByteArray, QByteArray>> entries;
        for (const char *name : {"CON.xml", "star*.xml", "trail .xml", "katalog.xml", "good.xml"})
            entries.append({name, readAll(disc(u"B"_s))});
        QVERIFY(writeRawZip(zip, entries));
        const CliRun r = run({u"restore"_s, zip, u"--yes-all"_s});
        QStringList restored = QDir(cdsFolder(m_root)).entryList(QDir::Files);
        restored.sort();
        QCOMPARE(restored, (QStringList{u"A.xml"_s, u"B.xml"_s, u"good.xml"_s}));
        // A line per name refused, then the summary.
        QVERIFY2(r.err.count(u'\n') == 5 && r.err.contains(u"skipped 4."_s), qPrintable(r.err));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
};

QTEST_MAIN(TestStoreAttacks)
#include "tst_store_attacks.moc"
