// Orlith — desktop catalogue of removable media.
#include "core/archive/archive_fixtures.h"
#include "core/archive/archive_job.h"
#include "core/store/date_text.h"
#include "support/window_fixture.h"
#include "ui/archive/archive_window.h"
#include "ui/archive/file_exist_dialog.h"
#include "ui/archive/recover_window.h"
#include "ui/common/folder_chooser.h"

using namespace orlith;
using namespace orlith::test;

namespace {

// Every node's key in tree order: catalogs, each followed by its discs.
QStringList treeShape(CatalogTree &tree)
{
    QStringList keys;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        keys << tree.keyOf(*it);
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
        makeDisc(m_f.root(), u"Music"_s, u"Rock"_s);
        makeDisc(m_f.root(), u"Music"_s, u"Jazz"_s);
        makeDisc(m_f.root(), u"Films"_s, u"Noir"_s);
    }

    void archiveSteps()
    {
        QVERIFY(writeAll(settingsPath(m_f.root()), "settings"));
        ArchiveWindow window(m_f.root(), m_f.services());
        window.show();
        QCOMPARE(window.folders().folder(), QDir::homePath());
        window.findChild<QCheckBox *>(u"chkEverything"_s)->setChecked(false);
        auto *files = window.findChild<QListWidget *>(u"FileXML"_s);
        click(window, "cmdSelectAll");
        click(window, "cmdUnselectAll");
        files->item(2)->setSelected(true);
        files->item(0)->setSelected(true);
        click(window, "cmdNext");
        QVERIFY(window.folders().setFolder(target()));
        click(window, "cmdFinish");
        QCOMPARE(m_f.messages.boxes[0].kind + m_f.messages.boxes[0].text,
                 u"informationFiles are archived successfuly to \n"_s + target());
        QCOMPARE(archiveRowNames(archivePathIn(target())).value.join(' '), u"Jazz.xml Rock.xml"_s);
        QVERIFY(!readArchiveContents(archivePathIn(target())).value.settings &&
                !window.isVisible());
        ArchiveWindow empty(m_f.root(), m_f.services());
        empty.show();
        click(empty, "cmdNext");
        QVERIFY(empty.folders().setFolder(target()));
        click(empty, "cmdFinish");
        QCOMPARE(m_f.messages.boxes.last().kind + m_f.messages.boxes.last().text,
                 u"errorArchiving failed."_s);
    }

    // Archive, change and delete discs, restore: No keeps a disc file, Yes and Yes to all
    // replace it, a deleted one comes back unasked, and the tree is as it was. A question
    // shows both files' date and size (bytes, then KB).
    void archiveChangeAndRestore()
    {
        makeDisc(m_f.root(), u"Music"_s, u"Blues"_s, 0, 16);
        auto form = m_f.open();
        const QStringList shapeBefore = treeShape(form->tree());
        const QMap<QString, QByteArray> archived = storeFiles(m_f.root());
        onNextDialog<ArchiveWindow>([&](ArchiveWindow *w) {
            click(*w, "cmdSelectAll");
            click(*w, "cmdNext");
            QVERIFY(w->folders().setFolder(target()));
            click(*w, "cmdFinish");
        });
        form->archiveDiscs();
        const ArchiveContents contents = readArchiveContents(archivePathIn(target())).value;
        QVERIFY(contents.settings && contents.rows.value(0).name.endsWith(u"Blues.xml"_s));
        form->tree().selectNode(u"Rock"_s);
        form->deleteSelected(); // the recorded question answers Yes
        m_f.messages.boxes.clear();
        for (const QString &disc : {u"Blues"_s, u"Jazz"_s, u"Noir"_s})
            makeDisc(m_f.root(), disc == u"Noir"_s ? u"Films"_s : u"Music"_s, disc, 5);
        const QByteArray changedBlues = storeFiles(m_f.root()).value(u"Blues.xml"_s);
        QStringList questions, replies{u"cmdNO"_s, u"cmdYes"_s, u"cmdYesAll"_s};
        std::function<void(FileExistDialog *)> answer = [&](FileExistDialog *q) {
            questions << q->findChild<QLabel *>(u"lblInformation"_s)->text();
            const QString reply = replies.takeFirst();
            if (!replies.isEmpty())
                onNextDialog<FileExistDialog>(answer);
            click(*q, reply.toLatin1().constData());
        };
        onNextDialog<RecoverWindow>([&](RecoverWindow *w) {
            click(*w, "cmdNext"); // no archive chosen yet
            QVERIFY(w->folders().setFolder(target()) && w->selectArchive(u"cds.zip"_s));
            click(*w, "cmdNext");
            auto *list = w->findChild<QListWidget *>(u"List1"_s);
            QVERIFY(list->count() == 4 && list->item(0)->text() == u"Blues.xml"_s);
            list->selectAll();
            onNextDialog<FileExistDialog>(answer);
            click(*w, "cmdFinish");
        });
        form->restoreDiscs();
        QCOMPARE(m_f.messages.texts(),
                 QStringList({u"Please select archive (zip) file containing CDs/DVDs files."_s,
                              u"Restored 3 discs, 0 pictures; notes of 0 discs; skipped 0."_s}));
        QCOMPARE(m_f.messages.boxes[0].kind + m_f.messages.boxes[0].title, u"informationError"_s);
        const auto asked = [](const QString &disc) {
            return "File " + disc + ".xml already exists.\n Do you want to replace it?";
        };
        const auto facts = [](const QDateTime &when, const QString &size) {
            return formatDate(when.date()) + when.toString(u" HH:mm, "_s) + size;
        };
        const QFileInfo blues(discFilePath(m_f.root(), u"Blues"_s));
        QCOMPARE(questions.takeFirst(),
                 asked("Blues") + "\n\nExisting: " +
                     facts(blues.lastModified(), u"%1 bytes"_s.arg(blues.size())) +
                     "\nIn the archive: " +
                     facts(contents.rows.value(0).modified,
                           QLocale::system().toString(3.1, 'f', 1) + " KB"));
        for (QString &q : questions)
            q = q.section("\n\n", 0, 0);
        QCOMPARE(questions, QStringList({asked("Jazz"), asked("Noir")}));
        QMap<QString, QByteArray> expected = archived;
        expected[u"Blues.xml"_s] = changedBlues;
        QCOMPARE(storeFiles(m_f.root()), expected);
        QCOMPARE(treeShape(form->tree()), shapeBefore);
        QCOMPARE(label(*form, "lblNumCD"), u" 4"_s);
    }

private:
    QString target() const { return m_target->path(); }

    WindowFixture m_f;
    std::unique_ptr<QTemporaryDir> m_target;
};

QTEST_MAIN(TestArchiveWindows)
#include "tst_archive_windows.moc"
