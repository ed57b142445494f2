// Orlith — desktop catalogue of removable media.
// Four orlith-cli streams change one store at once, in rounds of random captures, rescans,
// renames, deletes, notes and new catalogs. Each worker keeps to names and media folders of
// its own, so what the store must hold afterwards follows from that worker's own steps, while
// all of them contend for the same store files. (The window beside the command line is
// tst_main_window_store's windowAndCommandLineShareTheStore.)
// A longer run, repeatable by its seed (printed with any failure):
//   cd build && ORLITH_RANDOM_SEED=2024 ORLITH_RANDOM_ROUNDS=300 ctest -R tst_store_random -V
#include "core/core_fixtures.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/notes_store.h"
#include "core/store/safe_write.h"
#include "core/store/store_lock.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <deque>

using namespace orlith;

namespace {

constexpr int kWorkers = 4;
constexpr int kBusyRetries = 10;

using Files = QMap<QString, qint64>; // path of a file in a media folder -> size

struct Disc
{
    QString catalog, media;
    Files stored;  // as of the last capture or rescan
    QString notes; // empty: no notes record
};

// One worker's namespace: everything it makes is named "<prefix> ...". Only its own thread
// touches it while the workers run.
struct Worker
{
    QString prefix, mediaRoot;
    QRandomGenerator rng;
    QStringList catalogs; // in tree order
    QMap<QString, Disc> discs;
    QMap<QString, Files> folders; // media folder -> its files now
    int counter = 0;
    QString failure;

    QString newName(const char *kind)
    {
        return QString("%1 %2 %3").arg(prefix, kind).arg(++counter);
    }
    template <typename T> T pick(const QList<T> &list)
    {
        return list.at(rng.bounded(int(list.size())));
    }

    void setFile(const QString &folder, QString path, qint64 size)
    {
        if (path.isEmpty())
            path = folder + pick(QStringList{"/", "/sub/", "/sub/deep/"}) +
                   QString("f%1.dat").arg(++counter);
        QDir().mkpath(QFileInfo(path).path());
        test::writeAll(path, QByteArray(size, 'x'));
        folders[folder][path] = size;
    }
    // Adds or grows one file, so that the next rescan has something to record (what a rescan
    // makes of removed files is tst_disc_update's).
    void changeFolder(const QString &folder)
    {
        const QString path = rng.bounded(2) ? pick(folders[folder].keys()) : QString();
        setFile(folder, path, folders[folder].value(path) + 1 + rng.bounded(4000));
    }

    // The next orlith-cli command this namespace allows, with the model changed as its
    // success implies.
    QStringList plan()
    {
        QStringList ops{"new-catalog"};
        if (!catalogs.isEmpty())
            ops += QStringList{"capture", "capture", "rename-catalog"};
        if (!discs.isEmpty())
            ops += QStringList{"rescan", "rename", "delete", "notes", "notes"};
        QStringList empty = catalogs;
        for (const Disc &d : std::as_const(discs))
            empty.removeAll(d.catalog);
        if (!empty.isEmpty())
            ops << "delete-catalog";
        const QString op = pick(ops);
        const QString disc = discs.isEmpty() ? QString() : pick(discs.keys());
        const QString catalog = catalogs.isEmpty() ? QString() : pick(catalogs);
        if (op == "new-catalog") {
            catalogs << newName("cat");
            return {op, catalogs.last()};
        }
        if (op == "capture") {
            const QString name = newName("disc");
            const QString folder = mediaRoot + "/m" + QString::number(counter);
            for (int i = rng.bounded(5); i >= 0; --i)
                setFile(folder, {}, rng.bounded(4000));
            discs.insert(name, {catalog, folder, folders.value(folder), {}});
            return {op, "--catalog", catalog, "--name", name, folder};
        }
        if (op == "rescan") {
            Disc &d = discs[disc];
            changeFolder(d.media);
            d.stored = folders.value(d.media);
            return {op, disc, d.media};
        }
        if (op == "rename") {
            const QString to = newName("disc");
            discs.insert(to, discs.take(disc));
            return {op, disc, to};
        }
        if (op == "rename-catalog") {
            const QString to = newName("cat");
            catalogs.replace(catalogs.indexOf(catalog), to);
            for (Disc &d : discs)
                d.catalog = d.catalog == catalog ? to : d.catalog;
            return {"rename", catalog, to};
        }
        if (op == "delete") {
            discs.remove(disc);
            return {op, disc, "--yes"};
        }
        if (op == "delete-catalog") {
            const QString gone = pick(empty);
            catalogs.removeOne(gone);
            return {"delete", gone, "--yes"};
        }
        discs[disc].notes = QString("on %1, step %2: über € ok").arg(disc).arg(++counter);
        return {"notes", disc, "--set", discs[disc].notes};
    }
};

// Runs the worker's rounds through orlith-cli, each retried while the store is busy; stops at
// the first failure.
void runWorker(Worker &w, const QString &root, int rounds)
{
    for (int round = 0; round < rounds && w.failure.isEmpty(); ++round) {
        const QStringList args = w.plan();
        test::CliRun run;
        for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
            run = test::cli(root, args);
            if (!run.err.contains(QLatin1String(kStoreBusyMessage)))
                break;
        }
        if (run.code != 0)
            w.failure = QString("%1, round %2, %3: exit %4: %5")
                            .arg(w.prefix, QString::number(round), args.join(' '))
                            .arg(run.code)
                            .arg(run.err.trimmed());
    }
}

// Where the index disagrees with the worker's catalogs and discs, or empty.
QString namespaceProblem(const Worker &w, const CatalogueIndex &index)
{
    QStringList catalogs;
    for (const CatalogNode &c : index.catalogs()) {
        if (c.name.startsWith(w.prefix + ' '))
            catalogs << c.name;
        for (const QString &d : c.discs) {
            if (d.startsWith(w.prefix + ' ') && w.discs.value(d).catalog != c.name)
                return QString("the store holds \"%1\" in \"%2\"").arg(d, c.name);
        }
    }
    if (catalogs != w.catalogs)
        return QString("catalogs [%1], expected [%2]")
            .arg(catalogs.join(", "), w.catalogs.join(", "));
    for (auto it = w.discs.begin(); it != w.discs.end(); ++it) {
        if (index.discKey(it.key()) != it.key())
            return QString("the disc \"%1\" is missing").arg(it.key());
    }
    return {};
}

} // namespace

class TestStoreRandom : public QObject
{
    Q_OBJECT

private slots:
    void workersAgainstTheModel()
    {
        bool seeded = false;
        const quint32 seed = qEnvironmentVariable("ORLITH_RANDOM_SEED").toUInt(&seeded);
        m_seed = seeded ? seed : 1;
        const int rounds = qEnvironmentVariableIntValue("ORLITH_RANDOM_ROUNDS");
        m_rounds = rounds > 0 ? rounds : 30;
        QVERIFY(ensureStoreFolders(m_root.path()).ok());
        QTemporaryDir scratch;
        std::vector<std::unique_ptr<QThread>> threads;
        for (int i = 0; i < kWorkers; ++i) {
            Worker &w = m_workers.emplace_back();
            w.prefix = QString("w%1").arg(i + 1);
            w.rng.seed(m_seed + quint32(i));
            w.mediaRoot = scratch.filePath(w.prefix + "/media");
            QVERIFY(QDir().mkpath(w.mediaRoot));
            threads.emplace_back(QThread::create(runWorker, std::ref(w), m_root.path(), m_rounds));
            threads.back()->start();
        }
        for (auto &t : threads)
            t->wait();
        for (const Worker &w : m_workers)
            QVERIFY2(w.failure.isEmpty(), qPrintable(context() + w.failure));
        checkStore();
    }

private:
    QString context() const { return QString("seed %1, %2 rounds: ").arg(m_seed).arg(m_rounds); }

    void checkStore()
    {
        const QString root = m_root.path();
        CatalogueIndex index;
        index.load(root);
        for (const SkippedDiscFile &skipped : index.skipped())
            QFAIL(qPrintable(context() + skipped.fileName + ": " + skipped.reason));
        NotesStore notes;
        QVERIFY(notes.open(notesStorePath(root)));
        const auto notesOf = [&](const QString &disc) {
            notes.resetSearch();
            return notes.findRecord(disc) == NotesStore::kFound ? notes.notes() : QString();
        };
        QStringList discFiles, catalogs, inOrder;
        int withNotes = 0;
        for (const Worker &w : m_workers) {
            const QString ns = context() + w.prefix + ": ";
            catalogs += w.catalogs;
            QVERIFY2(namespaceProblem(w, index).isEmpty(),
                     qPrintable(ns + namespaceProblem(w, index)));
            for (auto it = w.discs.begin(); it != w.discs.end(); ++it) {
                discFiles << it.key() + ".xml";
                QList<FileEntry> entries;
                QVERIFY2(readDiscEntries(discFilePath(root, it.key()), entries).ok(),
                         qPrintable(ns + it.key()));
                Files files;
                for (const FileEntry &e : std::as_const(entries))
                    files.insert(e.path, e.size);
                QVERIFY2(
                    files == it->stored && entries.size() == files.size(),
                    qPrintable(ns + it.key() + " holds " + QStringList(files.keys()).join(", ")));
                QVERIFY2(notesOf(it.key()) == it->notes,
                         qPrintable(ns + it.key() + " notes: " + notesOf(it.key())));
                withNotes += !it->notes.isEmpty();
            }
        }
        // No record is left for a disc renamed away or deleted.
        QCOMPARE(notes.recordCount(), withNotes);
        CatalogueIndex order;
        order.loadCatalogOrder(catalogOrderPath(root));
        for (const CatalogNode &c : order.catalogs())
            inOrder << c.name;
        inOrder.sort();
        catalogs.sort();
        QCOMPARE(inOrder, catalogs);
        // cds/ holds the disc files and nothing else; no temporary file is left anywhere.
        QStringList inCds =
            QDir(cdsFolder(root))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        inCds.sort();
        discFiles.sort();
        QCOMPARE(inCds, discFiles);
        for (QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            it.next();
            QVERIFY2(!isTempFileName(it.fileName().toUtf8().constData()),
                     qPrintable(context() + it.filePath()));
        }
    }

    QTemporaryDir m_root;
    std::deque<Worker> m_workers; // stays put while the threads work on its elements
    quint32 m_seed = 1;
    int m_rounds = 30;
};

QTEST_MAIN(TestStoreRandom)
#include "tst_store_random.moc"
