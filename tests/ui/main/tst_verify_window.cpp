// Orlith — desktop catalogue of removable media.
// The window's "Verify CD/DVD...": the drive offered, the lists and counts, nothing written.
#include "core/capture/capture_fixtures.h"
#include "support/window_fixture.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/capture/verify_window.h"
#include "ui/main/file_list_model.h"

#include <QTabWidget>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

class TestVerifyWindow : public QObject
{
    Q_OBJECT

    WindowFixture fx;

private slots:
    void init() { fx.reset(); }

    void listsWhatDiffers()
    {
        QTemporaryDir media;
        const QString d = media.path();
        QVERIFY(makeFile(d + "/keep.txt", "k") && makeFile(d + "/gone.txt", "g") &&
                makeFile(d + "/sub/grow.txt", "1"));
        QCOMPARE(fx.cli({"new-catalog", "Cat"}), 0);
        QCOMPARE(fx.cli({"capture", "--catalog", "Cat", "--name", "D", d}), 0);
        QVERIFY(QFile::remove(d + "/gone.txt"));
        QVERIFY(makeFile(d + "/new.txt", "n") && makeFile(d + "/sub/grow.txt", "12"));
        fx.drives.addDrive(d, "STICK");
        const QByteArray before = readAll(discFilePath(fx.root(), "D"));

        auto form = fx.open();
        QVERIFY(!action(*form, "mnuVerify")->isEnabled());
        form->tree().selectNode("D");
        QVERIFY(action(*form, "mnuVerify")->isEnabled());
        QVERIFY(action(*form, "mnuVerifyPopUp")->isEnabled());
        QString offered;
        onNextDialog<NewDiscDialog>([&](NewDiscDialog *dialog) {
            offered = dialog->drive();
            click(*dialog, "Command1");
        });
        QString seen;
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
        QCOMPARE(offered, d);
        QCOMPARE(seen, "grow.txt Changed (1) | gone.txt Missing (1) | Unreadable (0) | new.txt New "
                       "(1) | grow.txt keep.txt Not checksummed (2) | Verified 4 files: 1 OK, 1 "
                       "changed, 1 missing, 0 unreadable, 1 new; 2 not checksummed.");
        QCOMPARE(readAll(discFilePath(fx.root(), "D")), before);
        QVERIFY(fx.messages.boxes.isEmpty());
    }
};

QTEST_MAIN(TestVerifyWindow)
#include "tst_verify_window.moc"
