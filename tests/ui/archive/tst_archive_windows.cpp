// Orlith — desktop catalogue of removable media.
#include "core/archive/archive_fixtures.h"
#include "core/archive/archive_job.h"
#include "support/window_fixture.h"
#include "ui/archive/archive_window.h"
#include "ui/archive/file_exist_dialog.h"
#include "ui/archive/recover_window.h"
#include "ui/common/folder_chooser.h"

using namespace orlith;
using namespace orlith::test;

namespace {

// Every node's key, in tree order, with its depth.
QStringList treeShape(CatalogTree &tree)
{
    QStringList keys;
    std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *item, int depth) {
        keys << QString(depth, u'-') + tree.keyOf(item);
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
    void init()
    {
        m_f.reset();
        m_target = std::make_unique<QTemporaryDir>();
        makeDisc(store(), u"Music"_s, u"Rock"_s);
        makeDisc(store(), u"Music"_s, u"Jazz"_s);
        makeDisc(store(), u"Films"_s, u"Noir"_s);
    }

    void archiveSteps()
    {
        frmArchive window(store(), services());
        window.show();
        auto *files = window.findChild<QListWidget *>(u"FileXML"_s);
        QCOMPARE(files->count(), 3);
        QCOMPARE(window.folders().folder(), store());
        click(window, "cmdSelectAll");
        QCOMPARE(window.selectedFiles().size(), 3);
        click(window, "cmdUnselectAll");
        files->item(2)->setSelected(true);
        files->item(0)->setSelected(true);
        click(window, "cmdNext");
        QVERIFY(!files->isVisible() && window.findChild<QWidget *>(u"Dir1"_s)->isVisible());
        QVERIFY(window.folders().setFolder(target()));
        click(window, "cmdFinish");
        QCOMPARE(m_messages.boxes[0].kind + m_messages.boxes[0].text,
                 u"informationFiles are archived successfuly to \n"_s + target());
        QCOMPARE(archiveRowNames(archivePathIn(target())),
                 QStringList({u"Jazz.xml"_s, u"Rock.xml"_s}));
        QVERIFY(!window.isVisible());
        // Nothing selected: the run fails and says so.
        frmArchive empty(store(), services());
        empty.show();
        click(empty, "cmdNext");
        QVERIFY(empty.folders().setFolder(target()));
        click(empty, "cmdFinish");
        QCOMPARE(m_messages.boxes.last().kind + m_messages.boxes.last().text,
                 u"errorArchiving failed."_s);
    }

    void recoverAsksPerExistingFile()
    {
        cZip zip;
        archiveStoreFiles(zip, store(), target(), storeFileNames(store()));
        QVERIFY(zip.Success());
        const QMap<QString, QByteArray> archived = storeFiles(store());
        makeDisc(store(), u"Music"_s, u"Jazz"_s, 5);
        makeDisc(store(), u"Films"_s, u"Noir"_s, 5);
        QFile::remove(discFilePath(store(), u"Rock"_s));
        const QMap<QString, QByteArray> changed = storeFiles(store());
        frmRecover window(store(), services());
        window.show();
        click(window, "cmdNext");
        QCOMPARE(m_messages.boxes.size(), 1);
        QCOMPARE(m_messages.boxes[0].kind + m_messages.boxes[0].title, u"informationError"_s);
        QCOMPARE(m_messages.boxes[0].text,
                 u"Please select archive (zip) file containing CDs/DVDs files."_s);
        QVERIFY(window.folders().setFolder(target()));
        QVERIFY(window.selectArchive(u"cds.zip"_s));
        click(window, "cmdNext");
        auto *list = window.findChild<QListWidget *>(u"List1"_s);
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), u"Jazz.xml"_s);
        QVERIFY(list->selectedItems().isEmpty());
        list->selectAll();
        // Jazz is asked about and kept; Noir is asked about and replaced; Rock comes back.
        QStringList questions;
        QStringList replies{u"cmdNO"_s, u"cmdYes"_s};
        std::function<void(frmFileExist *)> answer = [&](frmFileExist *q) {
            questions << q->findChild<QLabel *>(u"lblInformation"_s)->text();
            const QString reply = replies.takeFirst();
            if (!replies.isEmpty())
                onNextDialog<frmFileExist>(answer);
            click(*q, reply.toLatin1().constData());
        };
        onNextDialog<frmFileExist>(answer);
        click(window, "cmdFinish");
        QCOMPARE(questions,
                 QStringList({u"File Jazz.xml already exists.\n Do you want to replace it?"_s,
                              u"File Noir.xml already exists.\n Do you want to replace it?"_s}));
        QCOMPARE(window.findChild<QLineEdit *>(u"txtFileExist"_s)->text(), u"Yes"_s);
        const QMap<QString, QByteArray> now = storeFiles(store());
        QCOMPARE(now.value(u"Jazz.xml"_s), changed.value(u"Jazz.xml"_s));
        QCOMPARE(now.value(u"Noir.xml"_s), archived.value(u"Noir.xml"_s));
        QCOMPARE(now.value(u"Rock.xml"_s), archived.value(u"Rock.xml"_s));
        QCOMPARE(m_messages.boxes.size(), 1);
    }

    void archiveDeleteRestoreGivesTheStoreBack()
    {
        auto opened = m_f.open();
        Form1 &form = *opened;
        const QStringList shapeBefore = treeShape(form.tree());
        const QMap<QString, QByteArray> filesBefore = storeFiles(store());
        onNextDialog<frmArchive>([&](frmArchive *w) {
            click(*w, "cmdSelectAll");
            click(*w, "cmdNext");
            QVERIFY(w->folders().setFolder(target()));
            click(*w, "cmdFinish");
        });
        form.archiveDiscs();
        QCOMPARE(m_messages.boxes.size(), 1);
        QCOMPARE(m_messages.boxes[0].title, u"Information"_s);
        for (const QString &disc : {u"Rock"_s, u"Noir"_s}) {
            form.tree().selectNode(disc);
            form.deleteSelected(); // the recorded question answers Yes
        }
        QVERIFY(treeShape(form.tree()) != shapeBefore);
        // Jazz still exists and is asked about: Yes to all covers the rest.
        makeDisc(store(), u"Music"_s, u"Jazz"_s, 9);
        onNextDialog<frmRecover>([&](frmRecover *w) {
            QVERIFY(w->folders().setFolder(target()));
            QVERIFY(w->selectArchive(u"cds.zip"_s));
            click(*w, "cmdNext");
            w->findChild<QListWidget *>(u"List1"_s)->selectAll();
            onNextDialog<frmFileExist>([](frmFileExist *q) { click(*q, "cmdYesAll"); });
            click(*w, "cmdFinish");
        });
        form.restoreDiscs();
        QCOMPARE(storeFiles(store()), filesBefore);
        QCOMPARE(treeShape(form.tree()), shapeBefore);
        QCOMPARE(label(form, "lblNumCD"), u" 3"_s);
    }

private:
    UiServices services() { return m_f.services(); }
    QString store() const { return m_f.root(); }
    QString target() const { return m_target->path(); }

    WindowFixture m_f;
    RecordingMessages &m_messages = m_f.messages;
    std::unique_ptr<QTemporaryDir> m_target;
};

QTEST_MAIN(TestArchiveWindows)
#include "tst_archive_windows.moc"
