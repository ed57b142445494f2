// Orlith — desktop catalogue of removable media.
#include "capture/drives.h"
#include "capture/import_progress_dialog.h"
#include "capture/name_entry_dialog.h"
#include "capture/new_disc_dialog.h"
#include "mainwin/catalog_tree_widget.h"
#include "mainwin/file_list_model.h"
#include "mainwin/form1_window.h"
#include "store/disc_file.h"
#include "store/program_folder.h"
#include "support/recording_services.h"

#include "support/dialogs.h"
#include "support/test_files.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
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

} // namespace

class TestForm1Store : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void captureThroughWindowMatchesCli();
    void noDriveIsReported();
    void newCatalogRenameAndDelete();

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
    m_drives.addDrive(m_media->path(), QStringLiteral("MEDIA"));
    auto form = open();

    onNextDialog<frmNewCD>([](frmNewCD *d) {
        d->findChild<QLineEdit *>(QStringLiteral("txtNewCDName"))->setText(QStringLiteral("2024"));
        d->findChild<QComboBox *>(QStringLiteral("comCDCat"))->setCurrentText(QStringLiteral("Music"));
        d->Command1Click(); // a number: refused, the dialog stays
        d->findChild<QLineEdit *>(QStringLiteral("txtNewCDName"))->setText(QStringLiteral("Window disc"));
        d->Command1Click();
    });
    form->captureDisc();
    QCOMPARE(m_messages.texts(), QStringList{QStringLiteral("CD/DVD name can not be number.")});
    QVERIFY(form->capture());
    QVERIFY(!form->centralWidget()->isEnabled());
    while (!form->captureTick()) {
    }
    QVERIFY(!form->capture());
    QVERIFY(form->centralWidget()->isEnabled());
    QCOMPARE(form->listModel().rowCount(), 3);
    QCOMPARE(form->statusText(), QStringLiteral("Ready.  3 files inserted from CD/DVD."));
    QVERIFY(form->progressWindow());
    QCOMPARE(form->progressWindow()->text(), QStringLiteral("Done. 100% completed."));
    QVERIFY(form->tree().findNode(QStringLiteral("Window disc")));

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

void TestForm1Store::noDriveIsReported()
{
    auto form = open();
    form->captureDisc();
    QCOMPARE(m_messages.texts(), QStringList{QStringLiteral("No valid CD drives found.")});
    QVERIFY(!form->capture());
    QVERIFY(form->isVisible());
}

void TestForm1Store::newCatalogRenameAndDelete()
{
    QVERIFY(writeDiscFile(discFilePath(m_store->path(), QStringLiteral("Rock")),
                          QStringLiteral("Music"), {}).ok());
    {
        auto form = open();
        onNextDialog<NameEntryDialog>([](NameEntryDialog *d) {
            d->setName(QStringLiteral("rock"));
            d->okClicked(); // another disc's name
            d->setName(QStringLiteral("Films"));
            d->okClicked();
        });
        form->newCatalog();
        QCOMPARE(m_messages.texts(), QStringList{QStringLiteral("Name you entered is allready in use.")});
        QCOMPARE(form->tree().catalogsInOrder(), (QStringList{"Music", "Films"}));

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
        form->tree().selectNode(QStringLiteral("Rock"));
        m_messages.answers = {MessageSink::Answer::No};
        form->findChild<QAction *>(QStringLiteral("mnuDelete"))->trigger();
        QVERIFY(QFile::exists(discFilePath(m_store->path(), QStringLiteral("Rock"))));
        form->findChild<QAction *>(QStringLiteral("mnuDelete"))->trigger();
        QVERIFY(!QFile::exists(discFilePath(m_store->path(), QStringLiteral("Rock"))));
        QVERIFY(!form->tree().findNode(QStringLiteral("Rock")));
        form->close();
    }
    // The renamed, now empty catalog survives a restart.
    auto form = open();
    QCOMPARE(form->tree().catalogsInOrder(), QStringList{QStringLiteral("Songs")});
}

QTEST_MAIN(TestForm1Store)
#include "tst_form1_store.moc"
