// Orlith — desktop catalogue of removable media.
// Store writes on a full disk and in an unwritable folder, each in a child process
// (`tst_faults --child OP DATA MEDIA`) with the failing-write shim preloaded: the data folder
// must keep its bytes, and the user must be told which file was not written and why.
#include "core/capture/capture_job.h"
#include "core/core_fixtures.h"
#include "core/export/export_job.h"
#include "core/settings/settings_record.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "core/store/store_edits.h"
#include "support/recording_services.h"
#include "ui/main/add_picture_dialog.h"
#include "ui/main/details_pane_widget.h"
#include "ui/main/main_window.h"

#include <QtTest>
#include <QtWidgets>

#include <cstdio>
#include <map>
#include <unistd.h>

using namespace orlith;

namespace child {

using Op = std::function<int(const QString &data, const QString &media)>;

// The child prints each message the user would see as a "box: TITLE: TEXT" or "error: TEXT"
// line (newlines as " / "); it exits 0 when the write went through, 1 when it failed.
void print(const char *kind, const QString &text)
{
    std::printf("%s: %s\n", kind, qPrintable(QString(text).replace('\n', " / ")));
}

int report(const QString &error)
{
    if (!error.isEmpty())
        print("error", error);
    return !error.isEmpty();
}

int report(const test::RecordingMessages &messages)
{
    for (const test::RecordingMessages::Box &b : messages.boxes)
        print("box", b.title + ": " + b.text);
    return messages.boxes.isEmpty() ? 0 : 1;
}

Op editOp(const std::function<StoreResult(StoreEdits &)> &op)
{
    return [op](const QString &data, const QString &) {
        CatalogueIndex index;
        index.load(data);
        NotesStore notes;
        StoreEdits edits(data, index, notes);
        const StoreResult r = op(edits);
        for (const QString &w : r.warnings)
            print("warning", w);
        return report(r.error);
    };
}

// The notes store is opened once per child, so a failed write meets it as the program does.
Op notesOp(const std::function<bool(NotesStore &)> &op)
{
    return [op](const QString &data, const QString &) {
        NotesStore notes;
        (void)notes.open(notesStorePath(data));
        return report(!notes.isOpen() || !op(notes) ? notes.lastError() : QString());
    };
}

bool findRecord(NotesStore &notes, const QString &disc)
{
    notes.resetSearch();
    return notes.findRecord(disc) == NotesStore::kFound;
}

// MainWindow over the data folder, its message boxes recorded.
Op windowOp(const std::function<void(MainWindow &)> &op)
{
    return [op](const QString &data, const QString &) {
        test::RecordingMessages messages;
        test::FakeDesktop desktop;
        FakeDriveProvider drives;
        MainWindow form(data, UiServices{&messages, &desktop, &drives});
        form.show();
        op(form);
        return report(messages);
    };
}

Op exportOp(ExportFormat format)
{
    return [format](const QString &data, const QString &) {
        const QString out = data + "/Old" + exportExtension(format);
        return report(exportDiscs(format, out, cdsFolder(data), {"Old.xml"}, {}).error);
    };
}

const std::map<QString, Op> ops = {
    // The index cache is written quietly: its failure must cost nothing but itself. A clock a
    // minute on lets the fresh disc files be kept, so that it is written at all.
    {"index-cache",
     [](const QString &data, const QString &) {
         CatalogueIndex index;
         index.loadDiscs(cdsFolder(data), data + '/' + QLatin1String(kIndexCacheFile),
                         (QDateTime::currentMSecsSinceEpoch() + 60'000) * 1'000'000);
         print("discs", QString::number(index.discCount()));
         return index.discCount() == 2 && index.skipped().isEmpty() ? 0 : 1;
     }},
    {"capture",
     [](const QString &data, const QString &media) {
         CatalogueIndex index;
         index.load(data);
         CaptureJob job({data, "New", "Music", media});
         return report(captureFolder(job, index).error);
     }},
    {"rename-catalog", editOp([](StoreEdits &e) { return e.rename("Music", "Songs"); })},
    {"delete-disc", editOp([](StoreEdits &e) { return e.deleteDisc("Old"); })},
    {"notes-update", notesOp([](NotesStore &n) {
         const bool found = findRecord(n, "Third");
         n.setRecord(n.discName(), "Third, edited");
         return found && n.updateRecord();
     })},
    {"notes-delete",
     notesOp([](NotesStore &n) { return findRecord(n, "Old") && n.deleteRecord(0); })},
    {"picture",
     [](const QString &data, const QString &media) {
         return report(
             AddPictureDialog::copyPictureFile(media + "/photo.jpg", picturePath(data, "Old"))
                 .error);
     }},
    // Not store files, but writes in the same folder meet the same disk.
    {"export-csv", exportOp(ExportFormat::Csv)},
    {"export-xls", exportOp(ExportFormat::Xls)},
    {"settings",
     [](const QString &data, const QString &) {
         return report(saveSettings(settingsPath(data), SettingsRecord()).error);
     }},
    {"notes-window", windowOp([](MainWindow &form) {
         form.detailsPane().showDisc("Other");
         auto *box = form.findChild<QPlainTextEdit *>("txtPersonalDiscription");
         box->selectAll();
         box->insertPlainText("Notes typed in the window");
         form.detailsPane().saveNotes();
         if (box->toPlainText() != "Notes typed in the window")
             print("error", "the notes box lost the notes that were not saved");
     })},
};

int run(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto op = args.size() == 5 ? ops.find(args[2]) : ops.end();
    if (op == ops.end()) {
        std::fprintf(stderr, "usage: %s --child OP DATA MEDIA\n", argv[0]);
        return 2;
    }
    const int code = op->second(args[3], args[4]);
    std::fflush(stdout);
    return code;
}

} // namespace child

namespace {

// The shim's full disk and unwritable folder, and a filled tmpfs (if mountable) to check it.
enum class Fault { NoSpace, NoAccess, FullTmpfs };

// New space left: less than any store file needs, so writes are cut short, then fail.
constexpr int kSpaceLeft = 8;

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString told; // out and err, without the shim's lines
    bool injected = false;
};

// A data folder with two discs in "Music", an empty catalog, notes whose last record was
// cut short (so even an update needs new space), settings, and a media folder beside it.
class Store
{
public:
    explicit Store(Fault fault) : m_fault(fault)
    {
        if (fault == Fault::FullTmpfs) {
            QVERIFY(QDir().mkpath(data()));
            m_mounted = test::runProgram(
                            "mount", {"-t", "tmpfs", "-o", "size=128k", "orlith-faults", data()})
                            .code == 0;
            if (!m_mounted)
                return;
        }
        QVERIFY(ensureStoreFolders(data()).ok());
        QVERIFY(test::writeAll(catalogOrderPath(data()), "Music\r\nEmpty\r\n"));
        const FileEntry entry{"a.txt", "/media/a.txt", 1536, "14.03.2004 22:10:05"};
        QVERIFY(writeDiscFile(discFilePath(data(), "Old"), "Music", {entry, entry}).ok());
        QVERIFY(writeDiscFile(discFilePath(data(), "Other"), "Music", {entry}).ok());
        NotesStore notes;
        QVERIFY(notes.open(notesStorePath(data())));
        notes.setRecord("Old", "Notes on Old");
        QVERIFY(notes.appendRecord());
        notes.setRecord("Third", "Notes on the third disc");
        QVERIFY(notes.appendRecord());
        notes.close();
        QVERIFY(QFile::resize(notesStorePath(data()), NotesStore::kSlotSize + 40));
        SettingsRecord settings;
        settings.archiveDaysSetting = "7";
        QVERIFY(saveSettings(settingsPath(data()), settings).ok());
        QVERIFY(QDir().mkpath(media()));
        for (int i = 0; i < 20; ++i)
            QVERIFY(test::writeAll(media() + QString("/f%1.txt").arg(i), "media"));
        // A picture small enough to sit in Qt's write buffer, and the one it would replace.
        QVERIFY(test::writeAll(media() + "/photo.jpg", QByteArray(10000, 'p')));
        QVERIFY(test::writeAll(picturePath(data(), "Old"), "old picture"));
        if (m_mounted) // fill it up
            QVERIFY(!test::writeAll(data() + "/filler", QByteArray(256 << 10, 'f')));
    }
    ~Store()
    {
        if (m_mounted)
            test::runProgram("umount", {data()});
    }

    bool cannotMount() const { return m_fault == Fault::FullTmpfs && !m_mounted; }
    QString data() const { return m_dir.filePath("data"); }
    QString media() const { return m_dir.filePath("media"); }

    // `program` with the fault on the data folder; root ignores modes, so its 0555 is the shim's.
    Outcome run(const QString &program, const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LD_PRELOAD", ORLITH_FAIL_SHIM);
        env.insert("ORLITH_FAIL_PATH", data());
        const bool chmodded = m_fault == Fault::NoAccess && ::geteuid() != 0;
        if (chmodded)
            test::runProgram("chmod", {"-R", "u=rX,go=", data()});
        else if (m_fault != Fault::FullTmpfs)
            env.insert("ORLITH_FAIL_MODE", m_fault == Fault::NoSpace ? "nospace" : "noaccess");
        env.insert("ORLITH_FAIL_WRITE_AFTER", QString::number(kSpaceLeft));
        const test::CliRun child = test::runProgram(program, args, {}, {}, env);
        if (chmodded)
            test::runProgram("chmod", {"-R", "u=rwX", data()});
        Outcome o{child.code, child.out.trimmed(), child.out, chmodded || m_mounted};
        for (const QString &line : child.err.split('\n', Qt::SkipEmptyParts)) {
            o.injected = o.injected || line.startsWith("orlith-fail-shim:");
            o.told += line.startsWith("orlith-fail-shim:") ? QString() : line + '\n';
        }
        return o;
    }
    Outcome runChild(const QString &op)
    {
        return run(QCoreApplication::applicationFilePath(), {"--child", op, data(), media()});
    }

private:
    QTemporaryDir m_dir;
    Fault m_fault;
    bool m_mounted = false;
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void failedWriteKeepsTheStore_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("file"); // the file the message must name; empty: no message
        QTest::addColumn<QString>("gone"); // a file the write deletes after all, or empty
        const auto row = [](const QString &op, Fault fault, const QString &file,
                            const QString &gone = {}) {
            const char *how[] = {"full disk", "unwritable folder", "full tmpfs"};
            QTest::addRow("%s, %s", qPrintable(op), how[int(fault)]) << fault << op << file << gone;
        };
        for (const QString write :
             {"capture cds/New.xml", "rename-catalog cds/Old.xml", "notes-update usrdisc.usr",
              "notes-delete usrdisc.usr", "settings Data.ini", "picture pic/Old.jpg",
              "export-csv Old.csv", "export-xls Old.xls"}) {
            for (Fault fault : {Fault::NoSpace, Fault::NoAccess, Fault::FullTmpfs})
                row(write.section(' ', 0, 0), fault, write.section(' ', 1));
        }
        // A delete is not refused for want of space: the disc goes; its notes record stays, said.
        // (On a real disk the space freed lets the notes go too, so no tmpfs row.)
        row("delete-disc", Fault::NoSpace, "usrdisc.usr", "cds/Old.xml");
        row("delete-disc", Fault::NoAccess, "cds/Old.xml");
        // The window says it in an "Error" box, the command line on stderr with exit code 1.
        row("notes-window", Fault::NoAccess, "usrdisc.usr");
        row("cli-capture", Fault::NoSpace, "cds/New.xml");
        // The index is read all the same, nobody is told, and no part of a cache is left.
        row("index-cache", Fault::NoSpace, {});
    }

    void failedWriteKeepsTheStore()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, op);
        QFETCH(QString, file);
        QFETCH(QString, gone);
        Store store(fault);
        if (store.cannotMount())
            QSKIP("no tmpfs can be mounted here; the shim's full disk stands in for it");
        QVERIFY(!QTest::currentTestFailed());
        QMap<QString, QByteArray> before = test::userFiles(store.data());
        const Outcome o =
            op != "cli-capture"
                ? store.runChild(op)
                : store.run(ORLITH_CLI, {"--data-dir", store.data(), "capture", "--catalog",
                                         "Music", "--name", "New", store.media()});
        QVERIFY2(o.injected, qPrintable("no write was failed: " + o.told));
        const QMap<QString, QByteArray> after = test::userFiles(store.data());
        before.remove(gone); // the write deleted it after all
        QCOMPARE(after, before);
        if (file.isEmpty()) {
            QCOMPARE(o.exitCode, 0);
            QCOMPARE(o.out, "discs: 2"); // and no "error:" or "box:" line
            return;
        }
        QCOMPARE(o.exitCode, gone.isEmpty() ? 1 : 0);
        // Qt refuses to replace a read-only file in its own words, before the system is asked.
        const QRegularExpression reason(fault == Fault::NoAccess
                                            ? "Permission denied|is not writable"
                                            : "No space left on device");
        QVERIFY2(o.told.contains(store.data() + '/' + file) && o.told.contains(reason),
                 qPrintable(o.told));
        if (op.endsWith("-window"))
            QVERIFY2(o.out.startsWith("box: Error: "), qPrintable(o.out));
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return child::run(argc, argv);
    QCoreApplication app(argc, argv);
    TestFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
