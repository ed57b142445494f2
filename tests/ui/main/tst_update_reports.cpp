// Orlith — desktop catalogue of removable media.
// The window's "Update CD/DVD...", "Find duplicates" and "Files on one disc only".
#include "core/capture/capture_fixtures.h"
#include "core/core_fixtures.h"
#include "core/search/search_fixtures.h"
#include "support/window_fixture.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/capture/update_disc_dialog.h"

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

// Runs `step` on the dialog of type T once it shows, however long a worker takes first.
template <typename T> void whenShown(std::function<void(T *)> step)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *d = qobject_cast<T *>(w); d && d->isVisible()) {
                poll->deleteLater();
                poll->stop();
                step(d);
                return;
            }
        }
    });
    poll->start();
}

} // namespace

class TestUpdateReports : public QObject
{
    Q_OBJECT

    WindowFixture fx;

private slots:
    void init() { fx.reset(); }

    // The drive the disc came from is offered; the comparison shows what changed; Apply
    // rewrites the disc and keeps its notes, Cancel and a failed walk change nothing.
    void updateDisc_data()
    {
        QTest::addColumn<QString>("answer"); // on the comparison window, or "vanish"
        QTest::newRow("apply") << u"cmdApply"_s;
        QTest::newRow("cancel") << u"cmdCancel"_s;
        QTest::newRow("failed walk") << u"vanish"_s;
    }
    void updateDisc()
    {
        QFETCH(QString, answer);
        QTemporaryDir media;
        const QString d = media.path();
        QVERIFY(makeFile(d + "/keep.txt"_L1, "k") && makeFile(d + "/gone.txt"_L1, "g") &&
                makeFile(d + "/sub/grow.txt"_L1, "1"));
        QCOMPARE(fx.cli({u"new-catalog"_s, u"Cat"_s}), 0);
        QCOMPARE(fx.cli({u"capture"_s, u"--catalog"_s, u"Cat"_s, u"--name"_s, u"D"_s, d}), 0);
        QCOMPARE(fx.cli({u"notes"_s, u"D"_s, u"--set"_s, u"kept"_s}), 0);
        QVERIFY(QFile::remove(d + "/gone.txt"_L1));
        QVERIFY(makeFile(d + "/new.txt"_L1, "n") && makeFile(d + "/sub/grow.txt"_L1, "12"));
        // A drive is offered when the disc's folder is on one; else the folder itself,
        // which, gone by OK, fails the walk.
        fx.drives.addDrive(u"/media/elsewhere"_s);
        if (answer != "vanish"_L1)
            fx.drives.addDrive(d, u"STICK"_s);
        const QByteArray before = readAll(discFilePath(fx.root(), u"D"_s));

        auto form = fx.open();
        QVERIFY(!action(*form, "mnuUpdate")->isEnabled());
        form->tree().selectNode(u"D"_s);
        QVERIFY(action(*form, "mnuUpdate")->isEnabled());
        QString offered;
        onNextDialog<NewDiscDialog>([&](NewDiscDialog *dialog) {
            offered = dialog->drive();
            QCOMPARE(dialog->discName(), "D"_L1);
            if (answer == "vanish"_L1)
                media.remove();
            click(*dialog, "Command1");
        });
        QString summary;
        QList<int> counts;
        if (answer != "vanish"_L1) {
            whenShown<UpdateDiscDialog>([&](UpdateDiscDialog *window) {
                summary = window->findChild<QLabel *>(u"lblSummary"_s)->text();
                for (int i = 0; i < 3; ++i)
                    counts << window->list(i).rowCount();
                click(*window, answer.toLatin1().constData());
            });
        }
        QSignalSpy finished(form.get(), &MainWindow::captureFinished);
        action(*form, "mnuUpdate")->trigger();
        QVERIFY(finished.wait(20000));
        QCOMPARE(offered, d);

        const QByteArray after = readAll(discFilePath(fx.root(), u"D"_s));
        if (answer == "vanish"_L1) {
            QCOMPARE(fx.messages.boxes.size(), 1);
            QVERIFY(fx.messages.boxes.first().text.startsWith("Cannot read"_L1));
        } else {
            QCOMPARE(summary, "Added 1, removed 1, changed 1."_L1);
            QCOMPARE(counts, (QList<int>{1, 1, 1}));
        }
        QCOMPARE(after == before, answer != "cmdApply"_L1);
        QString notes;
        QCOMPARE(fx.cli({u"notes"_s, u"D"_s}, &notes), 0);
        QCOMPARE(notes, "kept\n"_L1);
        // The list shows the disc as stored.
        QString listed;
        QCOMPARE(fx.cli({u"list"_s, u"D"_s}, &listed), 0);
        QCOMPARE(form->listModel().rowCount(), listed.count(u'\n'));
    }

    // Apply changes nothing when the walk found nothing and the user says No (a mount point
    // with nothing mounted), or when another process rewrote the disc during the comparison.
    void updateKeepsWhatItCannotTrust_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("box");
        QTest::newRow("nothing found") << u"empty"_s << u"No file was found"_s;
        QTest::newRow("rewritten") << u"rename Cat Cat2"_s << u"changed by another program"_s;
    }
    void updateKeepsWhatItCannotTrust()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QString, box);
        QTemporaryDir media;
        QVERIFY(makeFile(media.path() + "/a.txt"_L1, "a"));
        QCOMPARE(fx.cli({u"new-catalog"_s, u"Cat"_s}), 0);
        QCOMPARE(
            fx.cli({u"capture"_s, u"--catalog"_s, u"Cat"_s, u"--name"_s, u"D"_s, media.path()}), 0);
        if (meanwhile == "empty"_L1)
            QVERIFY(QFile::remove(media.path() + "/a.txt"_L1));
        else
            QVERIFY(makeFile(media.path() + "/b.txt"_L1, "b"));
        fx.drives.addDrive(media.path(), u"STICK"_s);
        fx.messages.answers = {MessageSink::Answer::No};
        auto form = fx.open();
        form->tree().selectNode(u"D"_s);
        onNextDialog<NewDiscDialog>([](NewDiscDialog *dialog) { click(*dialog, "Command1"); });
        whenShown<UpdateDiscDialog>([&](UpdateDiscDialog *window) {
            if (meanwhile != "empty"_L1)
                QCOMPARE(fx.cli(meanwhile.split(u' ')), 0);
            click(*window, "cmdApply");
        });
        QSignalSpy finished(form.get(), &MainWindow::captureFinished);
        action(*form, "mnuUpdate")->trigger();
        QVERIFY(finished.wait(20000));
        QCOMPARE(fx.messages.boxes.size(), 1);
        QVERIFY2(fx.messages.boxes.first().text.contains(box),
                 qPrintable(fx.messages.boxes.first().text));
        QString listed;
        QCOMPARE(fx.cli({u"list"_s, u"D"_s}, &listed), 0);
        QCOMPARE(listed.count(u'\n'), 1);
    }

    // "Look inside archives" is off on a first start, lists members when ticked, and is
    // still ticked after a restart.
    void archivesChoiceIsRemembered()
    {
        QTemporaryDir media;
        QVERIFY(makeFile(media.filePath(u"x.txt"_s), "x"));
        QCOMPARE(runProgram(u"bsdtar"_s,
                            {u"--format"_s, u"zip"_s, u"-cf"_s, u"a.zip"_s, u"x.txt"_s}, {},
                            media.path())
                     .code,
                 0);
        QCOMPARE(fx.cli({u"new-catalog"_s, u"Cat"_s}), 0);
        fx.drives.addDrive(media.path());
        for (const bool first : {true, false}) {
            auto form = fx.open();
            bool ticked = !first;
            onNextDialog<NewDiscDialog>([&](NewDiscDialog *d) {
                auto *box = d->findChild<QCheckBox *>(u"chkArchives"_s);
                ticked = box->isChecked();
                box->setChecked(true);
                d->findChild<QLineEdit *>(u"txtNewCDName"_s)->setText(first ? u"D"_s : u"E"_s);
                d->findChild<QComboBox *>(u"comCDCat"_s)->setCurrentText(u"Cat"_s);
                click(*d, "Command1");
            });
            QSignalSpy finished(form.get(), &MainWindow::captureFinished);
            action(*form, "mnuCD")->trigger();
            QVERIFY(finished.wait(10000));
            QCOMPARE(ticked, !first);
            QCOMPARE(form->listModel().rowCount(), 3);
            QCOMPARE(form->listModel().row(1).path(), media.filePath(u"a.zip/x.txt"_s));
            // Opening a member opens its archive.
            form->fileList().selectRow(1);
            form->openSelectedFile();
            form->openSelectedLocation();
            QCOMPARE(fx.desktop.documents.last(), media.filePath(u"a.zip"_s));
            QCOMPARE(fx.desktop.folders.last(), media.path() + u'/');
            form->close();
        }
    }

    // The window's reports fill the list with the rows orlith-cli prints for the same scope.
    void reportsMatchTheCommandLine_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("duplicates, all")
            << u"mnuDuplicates"_s << QString::fromLatin1(kRootKey) << QStringList{u"duplicates"_s};
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
        QCOMPARE(shown, r.out.split(u'\n', Qt::SkipEmptyParts));
        QVERIFY(!shown.isEmpty());
        QCOMPARE(form->statusText() + u'\n', r.err);
    }
};

QTEST_MAIN(TestUpdateReports)
#include "tst_update_reports.moc"
