// Orlith — desktop catalogue of removable media.
// The window's "Update CD/DVD...", "Verify CD/DVD...", "Find duplicates" and "Files on one
// disc only".
#include "core/capture/capture_fixtures.h"
#include "core/core_fixtures.h"
#include "core/search/search_fixtures.h"
#include "support/window_fixture.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/capture/update_disc_dialog.h"
#include "ui/capture/verify_window.h"

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

class TestUpdateReports : public QObject
{
    Q_OBJECT

    WindowFixture fx;

    // Disc "D" of catalog "Cat" captured from `d` by the command line; then gone.txt goes,
    // new.txt comes and sub/grow.txt grows.
    void captureAndChange(const QString &d)
    {
        QVERIFY(makeFile(d + "/keep.txt", "k") && makeFile(d + "/gone.txt", "g") &&
                makeFile(d + "/sub/grow.txt", "1"));
        QCOMPARE(fx.cli({"new-catalog", "Cat"}), 0);
        QCOMPARE(fx.cli({"capture", "--catalog", "Cat", "--name", "D", d}), 0);
        QVERIFY(QFile::remove(d + "/gone.txt"));
        QVERIFY(makeFile(d + "/new.txt", "n") && makeFile(d + "/sub/grow.txt", "12"));
    }

private slots:
    void init() { fx.reset(); }

    // The drive the disc came from is offered and the comparison shows what changed. Apply
    // rewrites the disc and keeps its notes; Cancel and a failed walk change nothing. (A disc
    // rewritten meanwhile is refused by the engine: tst_disc_update.)
    void updateDisc_data()
    {
        QTest::addColumn<QString>("answer"); // on the comparison window, or "vanish"
        QTest::addColumn<QString>("box");    // what the one message box says, or empty
        QTest::newRow("apply") << "cmdApply"
                               << "";
        QTest::newRow("cancel") << "cmdCancel"
                                << "";
        QTest::newRow("failed walk") << "vanish"
                                     << "Cannot read";
    }
    void updateDisc()
    {
        QFETCH(QString, answer);
        QFETCH(QString, box);
        QTemporaryDir media;
        const QString d = media.path();
        captureAndChange(d);
        QCOMPARE(fx.cli({"notes", "D", "--set", "kept"}), 0);
        // A drive is offered when the disc's folder is on one; else the folder itself,
        // which, gone by OK, fails the walk.
        fx.drives.addDrive("/media/elsewhere");
        if (answer != "vanish")
            fx.drives.addDrive(d, "STICK");
        auto form = fx.open();
        form->tree().selectNode("D");
        QString offered;
        onNextDialog<NewDiscDialog>([&](NewDiscDialog *dialog) {
            offered = dialog->drive() + ' ' + dialog->discName();
            if (answer == "vanish")
                media.remove();
            click(*dialog, "Command1");
        });
        QString summary;
        if (answer != "vanish") {
            whenShown<UpdateDiscDialog>([&](UpdateDiscDialog *window) {
                summary = window->findChild<QLabel *>("lblSummary")->text();
                for (int i = 0; i < 3; ++i)
                    summary += ' ' + QString::number(window->list(i).rowCount());
                click(*window, answer.toLatin1().constData());
            });
        }
        QSignalSpy finished(form.get(), &MainWindow::captureFinished);
        action(*form, "mnuUpdate")->trigger();
        QVERIFY(finished.wait(20000));
        QCOMPARE(offered, d + " D");
        QCOMPARE(summary, answer == "vanish" ? "" : "Added 1, removed 1, changed 1. 1 1 1");
        const QStringList texts = fx.messages.texts();
        QVERIFY2(texts.size() == (box.isEmpty() ? 0 : 1) && texts.value(0).contains(box),
                 qPrintable(texts.join('\n')));
        const QString listed = fx.cliOut({"list", "D"});
        QCOMPARE(listed.contains("new.txt"), answer == "cmdApply"); // tst_disc_update has the rest
        QCOMPARE(fx.cliOut({"notes", "D"}), "kept\n");
        QCOMPARE(form->listModel().rowCount(), listed.count(u'\n'));
    }

    // Verify offers the disc's drive, lists and counts what differs, and writes nothing.
    void verifyListsWhatDiffers()
    {
        QTemporaryDir media;
        captureAndChange(media.path());
        fx.drives.addDrive(media.path(), "STICK");
        const QByteArray before = readAll(discFilePath(fx.root(), "D"));
        auto form = fx.open();
        form->tree().selectNode("D");
        QString seen;
        onNextDialog<NewDiscDialog>([&](NewDiscDialog *dialog) {
            seen = dialog->drive() + " | ";
            click(*dialog, "Command1");
        });
        whenShown<VerifyWindow>([&](VerifyWindow *window) {
            QSignalSpy ended(window, &VerifyWindow::verifyEnded);
            QVERIFY(window->ended() || ended.wait(20000));
            for (int i = 0; i < VerifyWindow::ListCount; ++i) {
                const FileListModel &list = window->list(VerifyWindow::List(i));
                for (int row = 0; row < list.rowCount(); ++row)
                    seen += list.index(row, FileListModel::NameColumn).data().toString() + ' ';
                seen += window->findChild<QTabWidget *>("tabVerify")->tabText(i) + " | ";
            }
            seen += label(*window, "lblProgress");
            click(*window, "cmdOK");
        });
        action(*form, "mnuVerify")->trigger();
        QCOMPARE(seen, media.path() +
                           " | grow.txt Changed (1) | gone.txt Missing (1) | Unreadable (0) | "
                           "new.txt New (1) | grow.txt keep.txt Not checksummed (2) | Verified 4 "
                           "files: 1 OK, 1 changed, 1 missing, 0 unreadable, 1 new; 2 not "
                           "checksummed.");
        QVERIFY(readAll(discFilePath(fx.root(), "D")) == before && fx.messages.boxes.isEmpty());
    }

    // "Look inside archives" and "Compute checksums" are off on a first start, do their work
    // when ticked, and are still ticked after a restart.
    void captureChoicesAreRemembered()
    {
        QTemporaryDir media;
        QVERIFY(makeFile(media.filePath(u"x.txt"_s), "x"));
        QVERIFY(runProgram("bsdtar", {"--format", "zip", "-cf", "a.zip", "x.txt"}, {}, media.path())
                    .says(0));
        QCOMPARE(fx.cli({"new-catalog", "Cat"}), 0);
        fx.drives.addDrive(media.path());
        for (const bool first : {true, false}) {
            auto form = fx.open();
            QString ticked;
            onNextDialog<NewDiscDialog>([&](NewDiscDialog *d) {
                for (const char *box : {"chkArchives", "chkChecksums"}) {
                    auto *check = d->findChild<QCheckBox *>(QLatin1String(box));
                    ticked += check->isChecked() ? u'y' : u'n';
                    check->setChecked(true);
                }
                nameDisc(*d, first ? "D" : "E", "Cat");
                click(*d, "Command1");
            });
            QSignalSpy finished(form.get(), &MainWindow::captureFinished);
            action(*form, "mnuCD")->trigger();
            QVERIFY(finished.wait(10000));
            QCOMPARE(ticked, first ? "nn" : "yy");
            QVERIFY(!stored(discFilePath(fx.root(), first ? "D" : "E")).first().hash.isEmpty());
            // The archive's member is listed, and opens its archive.
            QCOMPARE(form->listModel().row(1).path(), media.filePath(u"a.zip/x.txt"_s));
            form->fileList().selectRow(1);
            form->openSelectedFile();
            form->openSelectedLocation();
            QCOMPARE(fx.desktop.documents.last() + ' ' + fx.desktop.folders.last(),
                     media.filePath(u"a.zip"_s) + ' ' + media.path() + u'/');
            form->close(); // the choices are stored at shut-down
        }
    }

    // The window's reports fill the list with the rows orlith-cli prints for the same scope.
    void reportsMatchTheCommandLine_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("duplicates, catalog")
            << u"mnuDuplicates"_s << u"A"_s << QStringList{u"duplicates"_s, u"--catalog"_s, u"A"_s};
        QTest::newRow("single copies, disc")
            << u"mnuSingleCopies"_s << u"Three"_s
            << QStringList{u"single-copies"_s, u"--disc"_s, u"Three"_s};
    }
    void reportsMatchTheCommandLine()
    {
        QFETCH(QString, command);
        QFETCH(QString, node);
        QFETCH(QStringList, args);
        makeDuplicatesStore(fx.root());
        auto form = fx.open();
        form->tree().selectNode(node);
        QSignalSpy done(form.get(), &MainWindow::listSearchFinished);
        action(*form, command.toLatin1().constData())->trigger();
        QVERIFY(done.wait(10000));
        QStringList shown;
        for (const FileRow &row : form->listModel().rows())
            shown << rowAsTabbedLine(row);
        const CliRun r = cli(fx.root(), args);
        QVERIFY(!shown.isEmpty()); // the store has a report to show
        QCOMPARE(shown, r.out.split(u'\n', Qt::SkipEmptyParts));
        QCOMPARE(form->statusText() + u'\n', r.err);
    }
};

QTEST_MAIN(TestUpdateReports)
#include "tst_update_reports.moc"
