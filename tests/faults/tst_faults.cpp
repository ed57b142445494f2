// Orlith — desktop catalogue of removable media.
// Store writes on a full disk and in an unwritable folder. Each write runs in a child
// process with the failing-write shim preloaded; afterwards the data folder must hold
// exactly the bytes it held before, and the user must have been told which file could not
// be written and why.
#include "fault_child.h"

#include "core/settings/settings_record.h"
#include "core/store/disc_file.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "support/test_files.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace orlith;

namespace {

// A full disk as the shim makes it, an unwritable folder, and a real full disk: a small
// tmpfs, filled up, where mounting one is allowed (it checks the shim's idea of a full disk).
enum class Fault { NoSpace, NoAccess, FullTmpfs };

// New space left on the "disk" of the data folder: less than any store file needs, so
// writes are cut short first, then fail, as on a real disk.
constexpr int kSpaceLeft = 8;
constexpr char kShimMark[] = "orlith-fail-shim:";

// The reason the message must give. Qt refuses to replace a read-only file with its own
// words, before the system is asked.
bool givesReason(const QString &message, Fault fault)
{
    if (fault != Fault::NoAccess)
        return message.contains(QLatin1String("No space left on device"));
    return message.contains(QLatin1String("Permission denied")) ||
           message.contains(QLatin1String("is not writable"));
}

// Every file under `folder` by relative path, so that a stray temporary file shows too.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), test::readAll(path));
    }
    return files;
}

void setModes(const QString &folder, QFile::Permissions dirs, QFile::Permissions files)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile::setPermissions(path, it.fileInfo().isDir() ? dirs : files);
    }
    QFile::setPermissions(folder, dirs);
}

// True when the program ran and succeeded; its output is dropped (a refused mount says so).
bool runQuietly(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err; // without the shim's lines
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
            m_mounted =
                runQuietly("mount", {"-t", "tmpfs", "-o", "size=128k", "orlith-faults", data()});
            if (!m_mounted)
                return;
        }
        QVERIFY(ensureStoreFolders(data()).ok());
        QVERIFY(test::writeAll(catalogOrderPath(data()), "Music\r\nEmpty\r\n"));
        const FileEntry entry{"a.txt", "/media/a.txt", 1536, "14.03.2004 22:10:05"};
        QVERIFY(writeDiscFile(discFilePath(data(), "Old"), "Music", {entry, entry}).ok());
        QVERIFY(writeDiscFile(discFilePath(data(), "Other"), "Music", {entry}).ok());
        NotesStore notes;
        QVERIFY(notes.OpenNotesStore(notesStorePath(data())));
        notes.setRecord("Old", "Notes on Old");
        QVERIFY(notes.AppendNotesRecord());
        notes.setRecord("Third", "Notes on the third disc");
        QVERIFY(notes.AppendNotesRecord());
        notes.close();
        QVERIFY(QFile::resize(notesStorePath(data()), NotesStore::kSlotSize + 40));
        SettingsRecord settings;
        settings.archiveDaysSetting = "7";
        QVERIFY(SaveSettings(settingsPath(data()), settings).ok());
        QVERIFY(QDir().mkpath(media()));
        for (int i = 0; i < 20; ++i)
            QVERIFY(test::writeAll(media() + QStringLiteral("/f%1.txt").arg(i), "media"));
        // A picture small enough to sit in Qt's write buffer, and the one it would replace.
        QVERIFY(test::writeAll(media() + "/photo.jpg", QByteArray(10000, 'p')));
        QVERIFY(test::writeAll(picturePath(data(), "Old"), "old picture"));
        if (m_mounted) {
            QFile filler(data() + "/filler");
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size()) {
            }
        }
    }
    ~Store()
    {
        if (m_mounted)
            runQuietly("umount", {data()});
    }

    bool cannotMount() const { return m_fault == Fault::FullTmpfs && !m_mounted; }

    QString data() const { return m_dir.filePath("data"); }
    QString media() const { return m_dir.filePath("media"); }

    // Runs `program` with the fault on the data folder. Root ignores file modes, so an
    // unwritable folder is then the shim's; otherwise it is a real one (mode 0555).
    Outcome run(const QString &program, const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LD_PRELOAD", ORLITH_FAIL_SHIM);
        env.insert("ORLITH_FAIL_PATH", data());
        const bool chmodded = m_fault == Fault::NoAccess && ::geteuid() != 0;
        if (chmodded)
            setModes(data(), QFile::ReadOwner | QFile::ExeOwner, QFile::ReadOwner);
        else if (m_fault != Fault::FullTmpfs)
            env.insert("ORLITH_FAIL_MODE", m_fault == Fault::NoSpace ? "nospace" : "noaccess");
        env.insert("ORLITH_FAIL_WRITE_AFTER", QString::number(kSpaceLeft));

        QProcess child;
        child.setProcessEnvironment(env);
        child.start(program, args);
        const bool finished = child.waitForFinished(60000);
        if (chmodded)
            setModes(data(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner,
                     QFile::ReadOwner | QFile::WriteOwner);
        Outcome o;
        if (!finished || child.exitStatus() != QProcess::NormalExit)
            return o;
        o.exitCode = child.exitCode();
        o.out = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
        const QString err = QString::fromLocal8Bit(child.readAllStandardError());
        for (const QString &line : err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (line.startsWith(QLatin1String(kShimMark)))
                o.injected = true;
            else
                o.err += line + QLatin1Char('\n');
        }
        o.injected = o.injected || chmodded || m_mounted;
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
    void shimFailsOnlyTheDataFolder_data();
    void shimFailsOnlyTheDataFolder();
    void failedWriteKeepsTheStore_data();
    void failedWriteKeepsTheStore();
    void failedIndexCacheIsQuiet_data();
    void failedIndexCacheIsQuiet();
};

void TestFaults::shimFailsOnlyTheDataFolder_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("expected");
    QTest::newRow("full disk") << Fault::NoSpace
                               << QStringLiteral("probe: data: 8 bytes, No space left on device\n"
                                                 "probe: media: 1000 bytes, written");
    QTest::newRow("unwritable folder") << Fault::NoAccess
                                       << QStringLiteral("probe: data: 0 bytes, Permission denied\n"
                                                         "probe: media: 1000 bytes, written");
}

// The shim must fail real writes through Qt, cut them short as a full disk does, and leave
// every other folder alone; otherwise the cases below prove nothing.
void TestFaults::shimFailsOnlyTheDataFolder()
{
    QFETCH(Fault, fault);
    QFETCH(QString, expected);
    Store store(fault);
    QVERIFY(!QTest::currentTestFailed());
    const Outcome o = store.runChild("probe");
    QCOMPARE(o.out, expected);
    QVERIFY(o.injected);
}

void TestFaults::failedWriteKeepsTheStore_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("file"); // the file the message must name
    QTest::addColumn<QString>("gone"); // a file the write deletes after all, or empty
    const auto name = [](const char *op, Fault fault) -> QTestData & {
        const char *how = fault == Fault::NoSpace    ? "full disk"
                          : fault == Fault::NoAccess ? "unwritable folder"
                                                     : "full tmpfs";
        return QTest::addRow("%s, %s", op, how) << fault << QString(op);
    };
    const std::pair<const char *, const char *> cases[] = {
        {"disc-file", "cds/Old.xml"},      {"capture", "cds/New.xml"},
        {"rename-catalog", "cds/Old.xml"}, {"new-catalog", "katalog.ini"},
        {"notes-update", "usrdisc.usr"},   {"notes-append", "usrdisc.usr"},
        {"notes-delete", "usrdisc.usr"},   {"settings", "Data.ini"},
        {"picture", "pic/Old.jpg"},        {"export-csv", "Old.csv"},
        {"export-xls", "Old.xls"},
    };
    for (const auto &[op, file] : cases) {
        for (Fault fault : {Fault::NoSpace, Fault::NoAccess, Fault::FullTmpfs})
            name(op, fault) << QString(file) << QString();
    }
    // A delete is not refused for want of space: the disc goes; its notes record stays, said.
    // (On a real disk the space freed lets the notes go too, so no tmpfs row.)
    name("delete-disc", Fault::NoSpace) << "usrdisc.usr"
                                        << "cds/Old.xml";
    name("delete-disc", Fault::NoAccess) << "cds/Old.xml" << QString();
    // The windows say it in an "Error" box, the command line on stderr with exit code 1.
    name("capture-window", Fault::NoSpace) << "cds/New.xml" << QString();
    name("notes-window", Fault::NoAccess) << "usrdisc.usr" << QString();
    name("close-window", Fault::NoSpace) << "Data.ini" << QString();
    name("cli-capture", Fault::NoSpace) << "cds/New.xml" << QString();
}

void TestFaults::failedWriteKeepsTheStore()
{
    QFETCH(Fault, fault);
    QFETCH(QString, op);
    QFETCH(QString, file);
    QFETCH(QString, gone);
    Store store(fault);
    if (store.cannotMount())
        QSKIP("no tmpfs can be mounted here; the shim's full disk stands in for it");
    QVERIFY(!QTest::currentTestFailed());
    const QMap<QString, QByteArray> before = snapshot(store.data());

    const Outcome o =
        op == QLatin1String("cli-capture")
            ? store.run(ORLITH_CLI, {"--data-dir", store.data(), "capture", "--catalog", "Music",
                                     "--name", "New", store.media()})
            : store.runChild(op);

    const QString told = o.out + QLatin1Char('\n') + o.err;
    QVERIFY2(o.injected, qPrintable("no write was failed: " + told));
    QMap<QString, QByteArray> after = snapshot(store.data());
    if (!gone.isEmpty()) {
        QVERIFY2(!after.contains(gone), qPrintable(gone + " is still there"));
        after.insert(gone, before.value(gone));
    }
    QCOMPARE(after.keys(), before.keys());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key() + " changed"));

    QCOMPARE(o.exitCode, gone.isEmpty() ? 1 : 0);
    const QString path = store.data() + QLatin1Char('/') + file;
    QVERIFY2(told.contains(path) && givesReason(told, fault), qPrintable(told));
    if (op.endsWith(QLatin1String("-window")))
        QVERIFY2(o.out.startsWith(QLatin1String("box: Error: ")), qPrintable(o.out));
}

void TestFaults::failedIndexCacheIsQuiet_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::newRow("full disk") << Fault::NoSpace;
    QTest::newRow("unwritable folder") << Fault::NoAccess;
}

// The index is read all the same, nobody is told, and no part of a cache is left behind.
void TestFaults::failedIndexCacheIsQuiet()
{
    QFETCH(Fault, fault);
    Store store(fault);
    QVERIFY(!QTest::currentTestFailed());
    const QMap<QString, QByteArray> before = snapshot(store.data());
    const Outcome o = store.runChild(QStringLiteral("index-cache"));
    QVERIFY2(o.injected, qPrintable("no write was failed: " + o.out + o.err));
    QCOMPARE(o.exitCode, 0);
    QCOMPARE(o.out, QStringLiteral("discs: 2")); // and no "error:" or "box:" line
    QCOMPARE(snapshot(store.data()), before);
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return orlith::test::runFaultChild(argc, argv);
    QCoreApplication app(argc, argv);
    TestFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
