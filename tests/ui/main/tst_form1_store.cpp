// Orlith — desktop catalogue of removable media.
#include "core/capture/drives.h"
#include "ui/capture/import_progress_dialog.h"
#include "ui/capture/name_entry_dialog.h"
#include "ui/capture/new_disc_dialog.h"
#include "core/capture/store_edits.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/details_pane_widget.h"
#include "ui/main/file_list_model.h"
#include "ui/main/form1_window.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "support/recording_services.h"

#include "support/dialogs.h"
#include "support/test_files.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace orlith;
using orlith::test::onNextDialog;
using orlith::test::readAll;

namespace {

void touch(const QString &path, const QByteArray &bytes = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Runs orlith-cli on `data`; its standard output goes to `out`.
int cli(const QString &data, const QStringList &args, QString *out = nullptr)
{
    QProcess p;
    p.start(QStringLiteral(ORLITH_CLI), QStringList{QStringLiteral("--data-dir"), data} + args);
    if (!p.waitForFinished(30000))
        return -1;
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    return p.exitCode();
}

QString notesOf(const QString &data, const QString &disc)
{
    QString out;
    cli(data, {QStringLiteral("notes"), disc}, &out);
    return out;
}

} // namespace

class TestForm1Store : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void captureThroughWindowMatchesCli();
    void cancelledCaptureLeavesNothing();
    void newDiscOtherFolder_data();
    void newDiscOtherFolder();
    void newCatalogRenameAndDelete();
    void windowAndCommandLineShareTheStore();

private:
    std::unique_ptr<Form1> open()
    {
        auto form = std::make_unique<Form1>(m_store->path(),
                                            UiServices{&m_messages, &m_desktop, &m_drives});
        form->show();
        return form;
    }

    std::unique_ptr<QTemporaryDir> m_store;
    std::unique_ptr<QTemporaryDir> m_media;
    test::RecordingMessages m_messages;
    test::FakeDesktop m_desktop;
    FakeDriveProvider m_drives;
};

void TestForm1Store::init()
{
    m_store = std::make_unique<QTemporaryDir>();
    m_media = std::make_unique<QTemporaryDir>();
    QVERIFY(ensureStoreFolders(m_store->path()).ok());
    m_messages.boxes.clear();
    m_drives.clear();
    touch(m_media->filePath(QStringLiteral("root.mp3")), "12345");
    touch(m_media->filePath(QStringLiteral("sub/a&b.txt")), QByteArray(1536, 'a'));
    touch(m_media->filePath(QStringLiteral("sub/deeper/c.jpg")));
    touch(m_media->filePath(QStringLiteral(".hidden/x.txt")));
}

void TestForm1Store::captureThroughWindowMatchesCli()
{
    QFile order(catalogOrderPath(m_store->path()));
    QVERIFY(order.open(QIODevice::WriteOnly));
    order.write("Music\r\n");
    order.close();
    auto form = open();

    // No drive at all: the dialog still opens, and a folder is chosen through "Other
    // folder...".
    m_desktop.folderToChoose = m_media->path();
    onNextDialog<frmNewCD>([](frmNewCD *d) {
        d->findChild<QLineEdit *>(QStringLiteral("txtNewCDName"))->setText(QStringLiteral("2024"));
        d->findChild<QComboBox *>(QStringLiteral("comCDCat"))->setCurrentText(QStringLiteral("Music"));
        auto *drives = d->findChild<QComboBox *>(QStringLiteral("comCDROMs"));
        QCOMPARE(drives->count(), 1);
        emit drives->activated(0);
        d->Command1Click(); // a number: refused, the dialog stays
        d->findChild<QLineEdit *>(QStringLiteral("txtNewCDName"))->setText(QStringLiteral("Window disc"));
        d->Command1Click();
    });
    QSignalSpy finished(form.get(), &Form1::captureFinished);
    form->captureDisc();
    QCOMPARE(m_messages.texts(), QStringList{QStringLiteral("CD/DVD name can not be number.")});
    QVERIFY(form->captureRunning());
    QVERIFY(!form->centralWidget()->isEnabled());
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(!form->captureRunning());
    QVERIFY(form->centralWidget()->isEnabled());
    QCOMPARE(form->listModel().rowCount(), 3);
    QCOMPARE(form->statusText(), QStringLiteral("Ready.  3 files inserted from CD/DVD."));
    QVERIFY(form->progressWindow());
    QCOMPARE(form->progressWindow()->text(), QStringLiteral("Done. 100% completed."));
    QVERIFY(form->tree().findNode(QStringLiteral("Window disc")));
    QCOMPARE(form->findChild<QLabel *>(QStringLiteral("lblNumCD"))->text(), QStringLiteral(" 1"));

    // The command line captures the same folder into the same bytes.
    QProcess cli;
    cli.start(QStringLiteral(ORLITH_CLI),
              {QStringLiteral("--data-dir"), m_store->path(), QStringLiteral("capture"),
               QStringLiteral("--catalog"), QStringLiteral("Music"), QStringLiteral("--name"),
               QStringLiteral("Cli disc"), m_media->path()});
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 0);
    const QByteArray window = readAll(discFilePath(m_store->path(), QStringLiteral("Window disc")));
    QVERIFY(window.contains("<file_name>a&b.txt</file_name>"));
    QVERIFY(!window.contains("hidden"));
    QCOMPARE(readAll(discFilePath(m_store->path(), QStringLiteral("Cli disc"))), window);
}

// Esc in the progress window stops the capture: no disc file, no node, the window usable.
void TestForm1Store::cancelledCaptureLeavesNothing()
{
    for (int i = 0; i < 20000; ++i)
        touch(m_media->filePath(QStringLiteral("many/f%1").arg(i)), QByteArray());
    touch(catalogOrderPath(m_store->path()), "Music\r\n");
    m_drives.addDrive(m_media->path(), QStringLiteral("MEDIA"));
    auto form = open();
    onNextDialog<frmNewCD>([](frmNewCD *d) {
        d->findChild<QLineEdit *>(QStringLiteral("txtNewCDName"))->setText(QStringLiteral("Gone"));
        d->findChild<QComboBox *>(QStringLiteral("comCDCat"))->setCurrentIndex(1);
        d->Command1Click();
    });
    QSignalSpy finished(form.get(), &Form1::captureFinished);
    form->captureDisc();
    QVERIFY(form->captureRunning());
    QTest::keyClick(form->progressWindow(), Qt::Key_Escape);
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(QDir(m_store->path() + QStringLiteral("/cds")).isEmpty());
    QVERIFY(!form->tree().findNode(QStringLiteral("Gone")));
    QVERIFY(form->centralWidget()->isEnabled());
    QVERIFY(m_messages.texts().isEmpty());
}

void TestForm1Store::newDiscOtherFolder_data()
{
    QTest::addColumn<bool>("withDrive");
    QTest::addColumn<bool>("folderChosen");
    QTest::newRow("no drive, folder chosen") << false << true;
    QTest::newRow("no drive, chooser cancelled") << false << false;
    QTest::newRow("drive, chooser cancelled") << true << false;
}

// A chosen folder is always ready: the fake provider has no drive for it, so a media
// test on it would refuse.
void TestForm1Store::newDiscOtherFolder()
{
    QFETCH(bool, withDrive);
    QFETCH(bool, folderChosen);
    touch(catalogOrderPath(m_store->path()), "Music\r\n");
    CatalogueIndex index;
    index.load(m_store->path());
    NotesStore notes;
    StoreEdits edits(m_store->path(), index, notes);
    if (withDrive)
        m_drives.addDrive(m_media->path());
    QTemporaryDir folder;
    m_desktop.folderToChoose = folderChosen ? folder.path() : QString();
    m_desktop.chooserTitles.clear();

    frmNewCD d({QStringLiteral("Music")}, edits, m_drives, {&m_messages, &m_desktop, &m_drives},
               /*virtualMode=*/false);
    auto *drives = d.findChild<QComboBox *>(QStringLiteral("comCDROMs"));
    const int other = drives->count() - 1;
    QCOMPARE(other, withDrive ? 1 : 0);
    QCOMPARE(drives->itemText(other), QStringLiteral("Other folder..."));
    d.findChild<QLineEdit *>(QStringLiteral("txtNewCDName"))->setText(QStringLiteral("Disc"));
    d.findChild<QComboBox *>(QStringLiteral("comCDCat"))->setCurrentText(QStringLiteral("Music"));
    drives->setCurrentIndex(other);
    emit drives->activated(other);
    QCOMPARE(m_desktop.chooserTitles.size(), 1);
    d.Command1Click();

    const QString expected = folderChosen ? folder.path() : withDrive ? m_media->path() : QString();
    QCOMPARE(d.drive(), expected);
    QCOMPARE(d.driveIsFolder(), folderChosen);
    QCOMPARE(drives->itemText(drives->count() - 1), QStringLiteral("Other folder..."));
    if (folderChosen)
        QCOMPARE(drives->currentText(),
                 folder.path() + "  [" + QDir(folder.path()).dirName() + "]");
    QCOMPARE(m_messages.texts(),
             expected.isEmpty()
                 ? QStringList{QStringLiteral("You don't have any valid CD/DVD drive.")}
                 : QStringList{});
    QCOMPARE(d.result(), expected.isEmpty() ? QDialog::Rejected : QDialog::Accepted);
}

void TestForm1Store::newCatalogRenameAndDelete()
{
    QVERIFY(writeDiscFile(discFilePath(m_store->path(), QStringLiteral("Rock")),
                          QStringLiteral("Music"), {}).ok());
    {
        auto form = open();
        // The counters follow every change of the tree.
        const auto counters = [&] {
            return form->findChild<QLabel *>(QStringLiteral("lblNumCat"))->text() + '/' +
                   form->findChild<QLabel *>(QStringLiteral("lblNumCD"))->text();
        };
        QCOMPARE(counters(), QStringLiteral(" 1/ 1"));
        onNextDialog<NameEntryDialog>([](NameEntryDialog *d) {
            d->setName(QStringLiteral("rock"));
            d->okClicked(); // another disc's name
            d->setName(QStringLiteral("Films"));
            d->okClicked();
        });
        form->newCatalog();
        QCOMPARE(m_messages.texts(), QStringList{QStringLiteral("Name you entered is allready in use.")});
        QCOMPARE(form->tree().catalogsInOrder(), (QStringList{"Music", "Films"}));
        QCOMPARE(counters(), QStringLiteral(" 2/ 1"));

        // Rename the catalog: its disc file follows.
        form->tree().selectNode(QStringLiteral("Music"));
        onNextDialog<NameEntryDialog>([](NameEntryDialog *d) {
            QCOMPARE(d->name(), QStringLiteral("Music"));
            d->setName(QStringLiteral("Songs"));
            d->okClicked();
        });
        form->renameSelected();
        QVERIFY(readAll(discFilePath(m_store->path(), QStringLiteral("Rock"))).contains("<catalog>Songs</catalog>"));
        QCOMPARE(form->tree().catalogsInOrder(), (QStringList{"Songs", "Films"}));

        // Delete: an empty catalog at once; a disc after the question, Cancel keeps it.
        form->tree().selectNode(QStringLiteral("Films"));
        QTest::keyClick(&form->tree(), Qt::Key_Delete);
        QCOMPARE(form->tree().catalogsInOrder(), QStringList{QStringLiteral("Songs")});
        QCOMPARE(counters(), QStringLiteral(" 1/ 1"));
        form->tree().selectNode(QStringLiteral("Rock"));
        m_messages.answers = {MessageSink::Answer::Cancel};
        form->findChild<QAction *>(QStringLiteral("mnuDelete"))->trigger();
        QVERIFY(m_messages.boxes.last().buttons == MessageSink::Buttons::OkCancel);
        QVERIFY(QFile::exists(discFilePath(m_store->path(), QStringLiteral("Rock"))));
        form->findChild<QAction *>(QStringLiteral("mnuDelete"))->trigger();
        QVERIFY(!QFile::exists(discFilePath(m_store->path(), QStringLiteral("Rock"))));
        QVERIFY(!form->tree().findNode(QStringLiteral("Rock")));
        QCOMPARE(counters(), QStringLiteral(" 1/ 0"));
        form->close();
    }
    // The renamed, now empty catalog survives a restart.
    auto form = open();
    QCOMPARE(form->tree().catalogsInOrder(), QStringList{QStringLiteral("Songs")});
}

// The window and any number of orlith-cli runs on one store: nothing either makes is lost,
// and the window shows what the command line did.
void TestForm1Store::windowAndCommandLineShareTheStore()
{
    const QString data = m_store->path();
    touch(catalogOrderPath(data), "Music\r\n");
    for (const char *d : {"A", "B", "C", "D"})
        QVERIFY(writeDiscFile(discFilePath(data, QString::fromLatin1(d)), "Music", {}).ok());
    auto form = open();
    auto *box = form->findChild<QPlainTextEdit *>(QStringLiteral("txtPersonalDiscription"));
    const auto typeNotes = [&](const char *disc, const char *text) {
        form->detailsPane().showDisc(QString::fromLatin1(disc));
        box->selectAll();
        box->insertPlainText(QString::fromLatin1(text));
        form->detailsPane().saveNotes();
    };
    const auto deleteInWindow = [&](const char *disc) {
        form->tree().selectNode(QString::fromLatin1(disc));
        m_messages.answers = {MessageSink::Answer::Yes};
        form->deleteSelected();
    };

    QCOMPARE(cli(data, {"notes", "A", "--set", "cli A"}), 0);
    typeNotes("B", "window B");
    QCOMPARE(notesOf(data, "A"), QStringLiteral("cli A"));
    QCOMPARE(notesOf(data, "B"), QStringLiteral("window B"));
    QCOMPARE(cli(data, {"notes", "C", "--set", "cli C"}), 0);
    deleteInWindow("B"); // compacts the notes store
    QCOMPARE(notesOf(data, "C"), QStringLiteral("cli C"));
    QCOMPARE(cli(data, {"delete", "C", "--yes"}), 0); // compacts it from outside
    typeNotes("D", "window D");
    QCOMPARE(notesOf(data, "D"), QStringLiteral("window D"));
    QCOMPARE(notesOf(data, "A"), QStringLiteral("cli A"));
    QCOMPARE(m_messages.texts(), QStringList{QString::fromLatin1(kDeleteQuestion)});

    // The window follows within a second, keeping its selection.
    form->tree().selectNode(QStringLiteral("A"));
    QCOMPARE(cli(data, {"new-catalog", "Films"}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(form->tree().findNode(QStringLiteral("Films")), 1500);
    QCOMPARE(cli(data, {"rename", "Films", "Movies"}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(form->tree().findNode(QStringLiteral("Movies")), 1500);
    QCOMPARE(form->tree().selectedKey(), QStringLiteral("A"));
    QTRY_COMPARE(form->findChild<QLabel *>(QStringLiteral("lblNumCat"))->text().trimmed(),
                 QStringLiteral("2"));

    // Twenty catalogs made at once, and one name captured twice at once.
    QList<QProcess *> runs;
    for (int i = 0; i < 22; ++i) {
        auto *p = new QProcess(this);
        runs << p;
        const QStringList args =
            i < 20 ? QStringList{"new-catalog", QStringLiteral("P%1").arg(i)}
                   : QStringList{"capture", "--catalog", "Music", "--name", "Twin", m_media->path()};
        p->start(QStringLiteral(ORLITH_CLI), QStringList{"--data-dir", data} + args);
    }
    int captured = 0;
    for (QProcess *p : std::as_const(runs)) {
        QVERIFY(p->waitForFinished(30000));
        if (runs.indexOf(p) < 20)
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        else if (p->exitCode() == 0)
            ++captured;
        else
            QVERIFY2(p->readAllStandardError().contains("in use"), "no clear refusal");
    }
    QCOMPARE(captured, 1);
    form->close(); // shut-down must not undo any of it
    QString tree;
    QCOMPARE(cli(data, {"tree"}, &tree), 0);
    for (int i = 0; i < 20; ++i)
        QVERIFY2(tree.contains(QStringLiteral("P%1").arg(i)), qPrintable(tree));
    QVERIFY(tree.contains(QStringLiteral("Movies")) && !tree.contains(QStringLiteral("Films")));
    QVERIFY(tree.contains(QStringLiteral("Twin")));
}

QTEST_MAIN(TestForm1Store)
#include "tst_form1_store.moc"
