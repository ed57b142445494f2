// Orlith — desktop catalogue of removable media.
// Capture and the tree's edits through the window, and the window sharing its store.
#include "core/capture/capture_fixtures.h"
#include "core/capture/capture_task.h"
#include "core/store/notes_store.h"
#include "core/store/store_edits.h"
#include "support/window_fixture.h"
#include "ui/capture/capture_progress_dialog.h"
#include "ui/capture/name_entry_dialog.h"
#include "ui/capture/new_disc_dialog.h"

using namespace orlith;
using namespace orlith::test;

class TestMainWindowStore : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_f.reset();
        m_media = std::make_unique<QTemporaryDir>();
        QVERIFY(makeFile(m_media->filePath("root.mp3"), "12345") &&
                makeFile(m_media->filePath("sub/a&b.txt"), QByteArray(1536, 'a')) &&
                makeFile(m_media->filePath("sub/deeper/c.jpg"), "x") &&
                makeFile(m_media->filePath(".hidden/x.txt"), "x") &&
                writeAll(catalogOrderPath(m_f.root()), "Music\r\n"));
    }

    // Esc in the progress window stops a capture: no disc file, no node, the window usable.
    void captureCancelled()
    {
        QVERIFY(QDir().mkpath(m_media->filePath("many")));
        for (int i = 0; i < 20000; ++i)
            QVERIFY(writeAll(m_media->filePath(QString("many/f%1").arg(i)), {}));
        m_f.drives.addDrive(m_media->path(), "MEDIA");
        auto form = m_f.open();
        onNextDialog<NewDiscDialog>([](NewDiscDialog *d) {
            nameDisc(*d, "Gone", "Music");
            d->checkAndAccept();
        });
        QSignalSpy finished(form.get(), &MainWindow::captureFinished);
        form->captureDisc();
        QVERIFY(form->captureRunning());
        QTest::keyClick(form->progressWindow(), Qt::Key_Escape);
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(QDir(m_f.root() + "/cds").isEmpty() && !form->tree().findNode("Gone"));
        QVERIFY(form->centralWidget()->isEnabled() && m_f.messages.texts().isEmpty());
    }

    // With no drive at all, through "Other folder...": beside its text the progress window
    // says how many files the walk found and where it is, then how many have been read; the
    // disc file is what orlith-cli writes.
    void captureShowsProgressAndMatchesCli()
    {
        m_f.desktop.folderToChoose = m_media->path();
        auto form = m_f.open();
        onNextDialog<NewDiscDialog>([this](NewDiscDialog *d) {
            nameDisc(*d, "Window disc", "Music");
            auto *drives = d->findChild<QComboBox *>("comCDROMs");
            emit drives->activated(0); // the only entry; a chosen folder needs no media test
            const QString folder = m_media->path();
            QCOMPARE(drives->currentText(), folder + "  [" + QDir(folder).dirName() + "]");
            d->checkAndAccept();
        });
        QSignalSpy finished(form.get(), &MainWindow::captureFinished);
        form->captureDisc();
        QVERIFY(!form->centralWidget()->isEnabled());
        QStringList shown;
        connect(form->findChild<CaptureTask *>(), &CaptureTask::detailsChanged, this,
                [&](const CaptureDetails &) {
                    CaptureProgressDialog *w = form->progressWindow();
                    shown << w->detailsText() + " | " + w->folder();
                });
        QTRY_COMPARE(finished.count(), 1);
        // The walk's last report: every file, and the deepest folder, read last.
        const QString walked = "3 files found | " + m_media->path() + "/sub/deeper";
        QVERIFY2(shown.contains(walked), qPrintable(shown.join('\n')));
        QCOMPARE(shown.last(), "3 of 3 files | ");
        QVERIFY(form->centralWidget()->isEnabled() && form->tree().findNode("Window disc"));
        QCOMPARE(form->statusText() + ' ' + form->progressWindow()->text(),
                 "Ready.  3 files inserted from CD/DVD. Done. 100% completed.");
        QCOMPARE(m_f.cli({"capture", "--catalog", "Music", "--name", "Cli disc", m_media->path()}),
                 0);
        QCOMPARE(readAll(discFilePath(m_f.root(), "Cli disc")),
                 readAll(discFilePath(m_f.root(), "Window disc")));
    }

    // An image chosen with "Image file..." is captured as the disc, its members as the disc's
    // files, and an update offers the image again.
    void otherFolderAndImage()
    {
        const QString image = m_f.root() + "/Holiday.iso", src = m_f.root() + "/src";
        QVERIFY(makeFile(src + "/a.txt", "12345") && makeFile(src + "/sub/b.txt", "123"));
        QVERIFY(makeImage("iso", src, image));
        CatalogueIndex index;
        index.load(m_f.root());
        NotesStore notes;
        StoreEdits edits(m_f.root(), index, notes);
        auto form = m_f.open();
        onNextDialog<NewDiscDialog>([&](NewDiscDialog *d) {
            m_f.desktop.imageToChoose = image;
            QTest::mouseClick(d->findChild<QPushButton *>("cmdImage"), Qt::LeftButton);
            QCOMPARE(d->findChild<QComboBox *>("comCDROMs")->currentText(), image + "  [VOLID]");
            nameDisc(*d, "Holiday", "Music");
            d->checkAndAccept();
        });
        QSignalSpy finished(form.get(), &MainWindow::captureFinished);
        form->captureDisc();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(form->statusText(), "Ready.  2 files inserted from CD/DVD.");
        QVERIFY(form->listModel().row(0).path().startsWith(image + '/'));
        NewDiscDialog update({"Music"}, edits, m_f.drives, m_f.services(), /*virtualMode=*/false);
        update.setUpdateOf("Holiday", "Music", image + "/sub");
        QVERIFY(update.drive() == image && update.driveIsFolder());
    }

    void newCatalogRenameAndDelete()
    {
        m_f.writeDisc("Rock", "Music");
        auto form = m_f.open();
        const auto counters = [&] {
            return label(*form, "lblNumCat") + '/' + label(*form, "lblNumCD");
        };
        onNextDialog<NameEntryDialog>([](NameEntryDialog *d) {
            d->setName("rock");
            d->okClicked(); // another disc's name
            d->setName("Films");
            d->okClicked();
        });
        form->newCatalog();
        QCOMPARE(m_f.messages.texts().size(), 1);
        QCOMPARE(form->tree().catalogsInOrder(), (QStringList{"Music", "Films"}));
        QCOMPARE(counters(), " 2/ 1");
        form->tree().selectNode("Music");
        onNextDialog<NameEntryDialog>([](NameEntryDialog *d) {
            QCOMPARE(d->name(), "Music");
            d->setName("Songs");
            d->okClicked();
        });
        form->renameSelected();
        QCOMPARE(form->tree().catalogsInOrder(), (QStringList{"Songs", "Films"}));
        // Delete: an empty catalog at once; a disc after the question, Cancel keeps it.
        form->tree().selectNode("Films");
        QTest::keyClick(&form->tree(), Qt::Key_Delete);
        QCOMPARE(form->tree().catalogsInOrder(), QStringList{"Songs"});
        form->tree().selectNode("Rock");
        m_f.messages.answers = {MessageSink::Answer::Cancel};
        action(*form, "mnuDelete")->trigger();
        QVERIFY(form->tree().findNode("Rock"));
        action(*form, "mnuDelete")->trigger();
        QVERIFY(!QFile::exists(discFilePath(m_f.root(), "Rock")) && !form->tree().findNode("Rock"));
        QCOMPARE(counters(), " 1/ 0");
    }

    // Window and orlith-cli runs on one store: nothing is lost; the window shows the changes.
    void windowAndCommandLineShareTheStore()
    {
        for (const char *d : {"A", "B", "C", "D"})
            m_f.writeDisc(QString::fromLatin1(d), "Music");
        auto form = m_f.open();
        auto *box = form->findChild<QPlainTextEdit *>("txtPersonalDiscription");
        const auto typeNotes = [&](const char *disc, const char *text) {
            form->detailsPane().showDisc(QString::fromLatin1(disc));
            box->selectAll();
            box->insertPlainText(QString::fromLatin1(text));
            form->detailsPane().saveNotes();
        };
        QCOMPARE(m_f.cli({"notes", "A", "--set", "cli A"}), 0);
        typeNotes("B", "window B");
        QCOMPARE(notesOf("A") + '|' + notesOf("B"), "cli A|window B");
        QCOMPARE(m_f.cli({"notes", "C", "--set", "cli C"}), 0);
        form->tree().selectNode("B");
        form->deleteSelected(); // Yes to the question; compacts the notes store
        QCOMPARE(notesOf("C"), "cli C");
        QCOMPARE(m_f.cli({"delete", "C", "--yes"}), 0); // compacts it from outside
        typeNotes("D", "window D");
        QCOMPARE(notesOf("D") + '|' + notesOf("A"), "window D|cli A");
        QCOMPARE(m_f.messages.texts(), QStringList{QString::fromLatin1(kDeleteQuestion)});
        // The window follows within a second, keeping its selection.
        form->tree().selectNode("A");
        QCOMPARE(m_f.cli({"new-catalog", "Films"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(form->tree().findNode("Films"), 1500);
        QCOMPARE(m_f.cli({"rename", "Films", "Movies"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(form->tree().findNode("Movies"), 1500);
        QCOMPARE(form->tree().selectedKey(), "A");
        QTRY_COMPARE(label(*form, "lblNumCat"), " 2");
        // Twenty catalogs made at once, and one name captured twice at once: one refusal.
        QList<QProcess *> runs;
        for (int i = 0; i < 22; ++i) {
            runs << new QProcess(this);
            runs.last()->start(ORLITH_CLI,
                               QStringList{"--data-dir", m_f.root()} +
                                   (i < 20 ? QStringList{"new-catalog", QString("P%1").arg(i)}
                                           : QStringList{"capture", "--catalog", "Music", "--name",
                                                         "Twin", m_media->path()}));
        }
        QStringList refusals;
        for (QProcess *p : std::as_const(runs)) {
            QVERIFY(p->waitForFinished(30000));
            if (p->exitCode() != 0)
                refusals << p->readAllStandardError();
        }
        QCOMPARE(refusals.size(), 1);
        QVERIFY2(refusals[0].contains("in use"), qPrintable(refusals[0]));
        form->close(); // shut-down must not undo any of it
        QString tree;
        QCOMPARE(m_f.cli({"tree"}, &tree), 0);
        for (int i = 0; i < 20; ++i)
            QVERIFY2(tree.contains(QString("P%1").arg(i)), qPrintable(tree));
        QVERIFY(tree.contains("Movies") && !tree.contains("Films") && tree.contains("Twin"));
        // The window built the search index, and every change since kept it current.
        const QString index = m_f.cliOut({"index"});
        QVERIFY2(index.startsWith("indexed 0 discs") && index.contains("holds 3 discs"),
                 qPrintable(index));
    }

private:
    QString notesOf(const QString &disc) { return m_f.cliOut({"notes", disc}).trimmed(); }

    WindowFixture m_f;
    std::unique_ptr<QTemporaryDir> m_media;
};

QTEST_MAIN(TestMainWindowStore)
#include "tst_main_window_store.moc"
