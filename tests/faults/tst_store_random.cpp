// Orlith — desktop catalogue of removable media.
// Three orlith-cli streams and the window change one store at once, in rounds of random
// captures, rescans, renames, deletes, notes and new catalogs. Each worker keeps to
// names and media folders of its own, so what the store must hold afterwards follows from
// that worker's own steps, while all of them contend for the same store files.
// A longer run, repeatable by its seed (printed with any failure):
//   cd build && ORLITH_RANDOM_SEED=2024 ORLITH_RANDOM_ROUNDS=300 ctest -R tst_store_random -V
#include "core/core_fixtures.h"
#include "core/store/notes_store.h"
#include "core/store/safe_write.h"
#include "core/store/store_lock.h"
#include "support/window_fixture.h"
#include "ui/capture/name_entry_dialog.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/capture/update_disc_dialog.h"

#include <deque>

using namespace orlith;

namespace {

constexpr int kCliWorkers = 3;
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
    QStringList goneNames;        // discs renamed away or deleted: no notes record may remain
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
    // Adds, removes or resizes one file: the next rescan always has something to record. The
    // last file stays, as a walk that finds nothing is taken for a medium not mounted.
    void changeFolder(const QString &folder)
    {
        Files &files = folders[folder];
        const int kind = rng.bounded(3);
        const QString path = pick(files.keys());
        if (kind == 0 || (kind == 1 && files.size() < 2)) {
            setFile(folder, {}, rng.bounded(4000));
        } else if (kind == 1) {
            QFile::remove(path);
            files.remove(path);
        } else {
            setFile(folder, path, files.value(path) + 1 + rng.bounded(100));
        }
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
            test::writeAll(folder + "/.hidden", "not listed");
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
            goneNames << disc;
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
            goneNames << disc;
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

// Runs the worker's rounds through `step` (what went wrong, or empty), each retried while
// the store is busy; stops at the first failure.
void runWorker(Worker &w, int rounds, const std::function<QString(const QStringList &)> &step)
{
    for (int round = 0; round < rounds && w.failure.isEmpty(); ++round) {
        const QStringList args = w.plan();
        QString error;
        for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
            error = step(args);
            if (!error.contains(QLatin1String(kStoreBusyMessage)))
                break;
        }
        if (!error.isEmpty())
            w.failure = QString("%1, round %2, %3: %4")
                            .arg(w.prefix, QString::number(round), args.join(' '), error);
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

QStringList catalogNames(const CatalogueIndex &index)
{
    QStringList names;
    for (const CatalogNode &c : index.catalogs())
        names << c.name;
    return names;
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
        m_f.reset();
        QTemporaryDir scratch;
        for (int i = 0; i <= kCliWorkers; ++i) {
            Worker &w = m_workers.emplace_back();
            w.prefix = i < kCliWorkers ? QString("w%1").arg(i + 1) : QString("win");
            w.rng.seed(m_seed + quint32(i));
            w.mediaRoot = scratch.filePath(w.prefix + "/media");
            QVERIFY(QDir().mkpath(w.mediaRoot));
        }

        auto form = m_f.open();
        form->settings().tipsAtStartSetting.clear();
        std::vector<std::unique_ptr<QThread>> threads;
        for (int i = 0; i < kCliWorkers; ++i) {
            threads.emplace_back(QThread::create([this, i, root = m_f.root()] {
                runWorker(m_workers[i], m_rounds, [&root](const QStringList &args) {
                    const test::CliRun run = test::cli(root, args);
                    return run.code == 0
                               ? QString()
                               : QString("exit %1: %2").arg(run.code).arg(run.err.trimmed());
                });
            }));
            threads.back()->start();
        }
        runWorker(m_workers.back(), m_rounds, [&](const QStringList &args) {
            const QString error = windowStep(*form, args);
            return error.isEmpty() ? namespaceProblem(m_workers.back(), form->index()) : error;
        });
        // The window keeps watching and refreshing while the command lines finish.
        for (auto &t : threads) {
            while (!t->wait(QDeadlineTimer(20)))
                QCoreApplication::processEvents();
        }
        for (const Worker &w : m_workers)
            QVERIFY2(w.failure.isEmpty(), qPrintable(context() + w.failure));

        const auto treeMatches = [&] {
            CatalogueIndex now;
            now.load(m_f.root());
            return form->tree().catalogsInOrder() == catalogNames(now) &&
                   form->tree().discsInOrder() == now.allDiscs();
        };
        QVERIFY2(QTest::qWaitFor(treeMatches, 5000),
                 qPrintable(context() + "the window's tree does not follow the store"));
        QVERIFY2(m_f.messages.boxes.isEmpty(),
                 qPrintable(context() + m_f.messages.texts().join('|')));
        form->close(); // shut-down must not undo any of it
        form.reset();
        checkStore();
    }

    void cleanup()
    {
        if (QTest::currentTestFailed())
            qWarning("%s", qPrintable(context() + "repeat with ORLITH_RANDOM_SEED and _ROUNDS"));
    }

private:
    QString context() const { return QString("seed %1, %2 rounds: ").arg(m_seed).arg(m_rounds); }

    // Runs the command's step as a user of the window would; what went wrong, or empty.
    QString windowStep(MainWindow &form, const QStringList &args)
    {
        m_f.messages.boxes.clear();
        m_f.desktop.folderToChoose = args.last();
        const auto typeName = [](const QString &name) {
            test::onNextDialog<NameEntryDialog>([name](NameEntryDialog *d) {
                d->setName(name);
                d->okClicked();
                if (d->isVisible()) // refused: its message box was recorded
                    d->reject();
            });
        };
        const QString command = args.first();
        auto *notesBox = form.findChild<QPlainTextEdit *>("txtPersonalDiscription");
        if (command == "new-catalog") {
            typeName(args.at(1));
            form.newCatalog();
        } else if (command == "rename") {
            form.tree().selectNode(args.at(1));
            typeName(args.at(2));
            form.renameSelected();
        } else if (command == "delete") {
            form.tree().selectNode(args.at(1)); // the question is answered Yes
            form.deleteSelected();
        } else if (command == "capture" || command == "rescan") {
            test::onNextDialog<NewDiscDialog>([args](NewDiscDialog *d) {
                if (args.first() == "capture")
                    test::nameDisc(*d, args.at(4), args.at(2));
                auto *drives = d->findChild<QComboBox *>("comCDROMs");
                const int other = drives->findText("Other folder...");
                drives->setCurrentIndex(other);
                emit drives->activated(other);
                d->checkAndAccept();
                if (d->isVisible())
                    d->reject();
            });
            if (command == "capture") {
                form.captureDisc();
            } else {
                // The comparison window opens once the walk has ended: Apply.
                test::whenShown<UpdateDiscDialog>([](UpdateDiscDialog *d) { d->accept(); });
                form.tree().selectNode(args.at(1));
                form.updateSelectedDisc();
            }
            if (!QTest::qWaitFor([&] { return !form.captureRunning(); }, 60000))
                return "the capture did not end";
        } else {
            form.detailsPane().showDisc(args.at(1));
            notesBox->selectAll();
            notesBox->insertPlainText(args.at(3));
            form.detailsPane().saveNotes();
            if (notesBox->document()->isModified() && m_f.messages.boxes.isEmpty())
                return "the notes were not saved";
        }
        QStringList errors;
        for (const test::RecordingMessages::Box &b : std::as_const(m_f.messages.boxes)) {
            if (b.kind != "question")
                errors << b.text;
        }
        m_f.messages.boxes.clear();
        return errors.join(" | ");
    }

    void checkStore()
    {
        const QString root = m_f.root();
        CatalogueIndex index;
        index.load(root);
        for (const SkippedDiscFile &skipped : index.skipped())
            QFAIL(qPrintable(context() + skipped.fileName + ": " + skipped.reason));
        CatalogueIndex order;
        order.loadCatalogOrder(catalogOrderPath(root));
        QCOMPARE(catalogNames(order), catalogNames(index));
        NotesStore notes;
        QVERIFY(notes.open(notesStorePath(root)));
        const auto notesOf = [&](const QString &disc) {
            notes.resetSearch();
            return notes.findRecord(disc) == NotesStore::kFound ? notes.notes() : QString();
        };
        QStringList discFiles;
        int withNotes = 0;
        qsizetype catalogs = 0;
        for (const Worker &w : m_workers) {
            const QString ns = context() + w.prefix + ": ";
            catalogs += w.catalogs.size();
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
            for (const QString &gone : w.goneNames)
                QVERIFY2(notesOf(gone).isEmpty(), qPrintable(ns + "notes left for " + gone));
        }
        QCOMPARE(notes.recordCount(), withNotes);
        QCOMPARE(index.discCount(), int(discFiles.size()));
        QCOMPARE(index.catalogCount(), int(catalogs));
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

    test::WindowFixture m_f;
    std::deque<Worker> m_workers; // stays put while the threads work on its elements
    quint32 m_seed = 1;
    int m_rounds = 30;
};

QTEST_MAIN(TestStoreRandom)
#include "tst_store_random.moc"
