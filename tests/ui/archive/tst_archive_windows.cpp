// Orlith — desktop catalogue of removable media.
#include "core/archive/archive_fixtures.h"

#include "core/archive/archive_job.h"
#include "ui/archive/archive_window.h"
#include "ui/archive/file_exist_dialog.h"
#include "ui/common/folder_list_widget.h"
#include "ui/archive/recover_window.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/form1_window.h"
#include "support/recording_services.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace orlith;
using namespace orlith::test;

namespace {

// Runs `step` on the visible top-level window of type T once the event loop turns (so a
// modal dialog opened by the next call gets it).
template <typename T> void onNextWindow(std::function<void(T *)> step)
{
    QTimer::singleShot(0, [step] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *d = qobject_cast<T *>(w); d && d->isVisible()) {
                step(d);
                return;
            }
        }
    });
}

void click(QWidget *window, const char *name)
{
    auto *button = window->findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY2(button && button->isVisible(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Every node's key, in tree order, with its depth.
QStringList treeShape(CatalogTree &tree)
{
    QStringList keys;
    std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *item, int depth) {
        keys << QString(depth, QLatin1Char('-')) + tree.keyOf(item);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), depth + 1);
    };
    walk(tree.rootItem(), 0);
    return keys;
}

} // namespace

class TestArchiveWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void archiveSteps();
    void recoverAsksPerExistingFile();
    void archiveDeleteRestoreGivesTheStoreBack();

private:
    UiServices services() { return {&m_messages, &m_desktop, &m_drives}; }

    std::unique_ptr<QTemporaryDir> m_store;
    std::unique_ptr<QTemporaryDir> m_target;
    RecordingMessages m_messages;
    FakeDesktop m_desktop;
    FakeDriveProvider m_drives;
};

void TestArchiveWindows::init()
{
    m_store = std::make_unique<QTemporaryDir>();
    m_target = std::make_unique<QTemporaryDir>();
    m_messages.boxes.clear();
    makeDisc(m_store->path(), QStringLiteral("Music"), QStringLiteral("Rock"));
    makeDisc(m_store->path(), QStringLiteral("Music"), QStringLiteral("Jazz"));
    makeDisc(m_store->path(), QStringLiteral("Films"), QStringLiteral("Noir"));
}

void TestArchiveWindows::archiveSteps()
{
    frmArchive window(m_store->path(), services());
    window.show();
    auto *files = window.findChild<QListWidget *>(QStringLiteral("FileXML"));
    QCOMPARE(files->count(), 3);
    QCOMPARE(window.folderList().path(), m_store->path());
    click(&window, "cmdSelectAll");
    QCOMPARE(window.selectedFiles().size(), 3);
    click(&window, "cmdUnselectAll");
    QVERIFY(window.selectedFiles().isEmpty());
    files->item(2)->setSelected(true);
    files->item(0)->setSelected(true);

    click(&window, "cmdNext");
    QVERIFY(!files->isVisible() &&
            !window.findChild<QWidget *>(QStringLiteral("Label1"))->isVisible());
    QVERIFY(window.findChild<QWidget *>(QStringLiteral("Dir1"))->isVisible());
    QVERIFY(window.findChild<QPushButton *>(QStringLiteral("cmdFinish"))->isDefault());

    // A drive that cannot be opened: the box, and the folder stays.
    window.driveList().setDrives({m_target->filePath(QStringLiteral("gone"))});
    window.driveList().Drive1Change(m_target->filePath(QStringLiteral("gone")));
    QCOMPARE(m_messages.boxes.size(), 1);
    QCOMPARE(m_messages.boxes[0].text, QStringLiteral("Drive is not ready. 68"));
    QCOMPARE(window.folderList().path(), m_store->path());

    QVERIFY(window.folderList().setPath(m_target->path()));
    click(&window, "cmdFinish");
    QCOMPARE(m_messages.boxes.size(), 2);
    QCOMPARE(m_messages.boxes[1].kind, QStringLiteral("information"));
    QCOMPARE(m_messages.boxes[1].text,
             QStringLiteral("Files are archived successfuly to \n") + m_target->path());
    QCOMPARE(archiveRowNames(archivePathIn(m_target->path())),
             QStringList({QStringLiteral("Jazz.xml"), QStringLiteral("Rock.xml")}));
    QVERIFY(!window.isVisible());

    // Nothing selected: the run fails and says so.
    frmArchive empty(m_store->path(), services());
    empty.show();
    click(&empty, "cmdNext");
    QVERIFY(empty.folderList().setPath(m_target->path()));
    click(&empty, "cmdFinish");
    QCOMPARE(m_messages.boxes.last().kind, QStringLiteral("error"));
    QCOMPARE(m_messages.boxes.last().text, QStringLiteral("Archiving failed."));
}

void TestArchiveWindows::recoverAsksPerExistingFile()
{
    cZip zip;
    archiveStoreFiles(zip, m_store->path(), m_target->path(), storeFileNames(m_store->path()));
    QVERIFY(zip.Success());
    const QMap<QString, QByteArray> archived = storeFiles(m_store->path());
    makeDisc(m_store->path(), QStringLiteral("Music"), QStringLiteral("Jazz"), 5);
    makeDisc(m_store->path(), QStringLiteral("Films"), QStringLiteral("Noir"), 5);
    QFile::remove(discFilePath(m_store->path(), QStringLiteral("Rock")));
    const QMap<QString, QByteArray> changed = storeFiles(m_store->path());

    frmRecover window(m_store->path(), services());
    window.show();
    click(&window, "cmdNext");
    QCOMPARE(m_messages.boxes.size(), 1);
    QCOMPARE(m_messages.boxes[0].title, QStringLiteral("Error"));
    QCOMPARE(m_messages.boxes[0].kind, QStringLiteral("information"));
    QCOMPARE(m_messages.boxes[0].text,
             QStringLiteral("Please select archive (zip) file containing CDs/DVDs files."));

    QVERIFY(window.folderList().setPath(m_target->path()));
    QVERIFY(window.selectArchive(QStringLiteral("cds.zip")));
    click(&window, "cmdNext");
    auto *list = window.findChild<QListWidget *>(QStringLiteral("List1"));
    QVERIFY(list->isVisible());
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Jazz.xml"));
    QVERIFY(list->selectedItems().isEmpty());
    list->selectAll();

    // Jazz is asked about and kept; Noir is asked about and replaced; Rock comes back.
    QStringList questions;
    std::function<void(frmFileExist *)> answer;
    QStringList replies{QStringLiteral("cmdNO"), QStringLiteral("cmdYes")};
    answer = [&](frmFileExist *q) {
        questions << q->findChild<QLabel *>(QStringLiteral("lblInformation"))->text();
        const QString reply = replies.takeFirst();
        if (!replies.isEmpty())
            onNextWindow<frmFileExist>(answer);
        click(q, reply.toLatin1().constData());
    };
    onNextWindow<frmFileExist>(answer);
    click(&window, "cmdFinish");
    QCOMPARE(questions,
             QStringList(
                 {QStringLiteral("File Jazz.xml already exists.\n Do you want to replace it?"),
                  QStringLiteral("File Noir.xml already exists.\n Do you want to replace it?")}));
    QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("txtFileExist"))->text(),
             QStringLiteral("Yes"));
    const QMap<QString, QByteArray> now = storeFiles(m_store->path());
    QCOMPARE(now.value(QStringLiteral("Jazz.xml")), changed.value(QStringLiteral("Jazz.xml")));
    QCOMPARE(now.value(QStringLiteral("Noir.xml")), archived.value(QStringLiteral("Noir.xml")));
    QCOMPARE(now.value(QStringLiteral("Rock.xml")), archived.value(QStringLiteral("Rock.xml")));
    QCOMPARE(m_messages.boxes.size(), 1);
}

void TestArchiveWindows::archiveDeleteRestoreGivesTheStoreBack()
{
    Form1 form(m_store->path(), services());
    form.show();
    const QStringList shapeBefore = treeShape(form.tree());
    const QMap<QString, QByteArray> filesBefore = storeFiles(m_store->path());

    onNextWindow<frmArchive>([&](frmArchive *w) {
        click(w, "cmdSelectAll");
        click(w, "cmdNext");
        QVERIFY(w->folderList().setPath(m_target->path()));
        click(w, "cmdFinish");
    });
    form.archiveDiscs();
    QCOMPARE(m_messages.boxes.size(), 1);
    QCOMPARE(m_messages.boxes[0].title, QStringLiteral("Information"));

    for (const char *disc : {"Rock", "Noir"}) {
        form.tree().selectNode(QString::fromLatin1(disc));
        form.deleteSelected(); // the recorded question answers Yes
    }
    QVERIFY(!QFile::exists(discFilePath(m_store->path(), QStringLiteral("Rock"))));
    QVERIFY(treeShape(form.tree()) != shapeBefore);
    // Jazz still exists and is asked about: Yes to all covers the rest.
    makeDisc(m_store->path(), QStringLiteral("Music"), QStringLiteral("Jazz"), 9);

    onNextWindow<frmRecover>([&](frmRecover *w) {
        QVERIFY(w->folderList().setPath(m_target->path()));
        QVERIFY(w->selectArchive(QStringLiteral("cds.zip")));
        click(w, "cmdNext");
        w->findChild<QListWidget *>(QStringLiteral("List1"))->selectAll();
        onNextWindow<frmFileExist>([](frmFileExist *q) { click(q, "cmdYesAll"); });
        click(w, "cmdFinish");
    });
    form.restoreDiscs();

    QCOMPARE(storeFiles(m_store->path()), filesBefore);
    QCOMPARE(treeShape(form.tree()), shapeBefore);
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("lblNumCD"))->text(), QStringLiteral(" 3"));
}

QTEST_MAIN(TestArchiveWindows)
#include "tst_archive_windows.moc"
