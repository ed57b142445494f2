// Orlith — desktop catalogue of removable media.
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/details_pane_widget.h"
#include "ui/main/file_list_model.h"
#include "ui/main/form1_window.h"
#include "ui/common/style_icon.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "support/recording_services.h"
#include "support/test_files.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

using namespace orlith;

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void firstStartOnEmptyStore();
    void menusAndButtons();
    void styleIconsAtEverySize();
    void treeSelectionDrivesMenusAndDetails();
    void listingADisc();
    void listCommands();
    void detailsPaneStateSurvivesRestart();
    void splitterLimits();
    void expandAndCollapseAll();

private:
    std::unique_ptr<Form1> open()
    {
        auto form = std::make_unique<Form1>(m_dir->path(), UiServices{&m_messages, &m_desktop});
        form->resize(900, 600);
        form->show();
        return form;
    }
    void writeDisc(const QString &name, const QString &catalog, const QList<FileEntry> &entries)
    {
        QVERIFY(writeDiscFile(discFilePath(m_dir->path(), name), catalog, entries).ok());
    }
    QAction *action(Form1 &form, const char *name)
    {
        return form.findChild<QAction *>(QString::fromLatin1(name));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    test::RecordingMessages m_messages;
    test::FakeDesktop m_desktop;
};

void TestForm1::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(ensureStoreFolders(m_dir->path()).ok());
    m_messages.boxes.clear();
    m_desktop.documents.clear();
    m_desktop.folders.clear();
}

void TestForm1::firstStartOnEmptyStore()
{
    {
        auto form = open();
        QCOMPARE(form->windowTitle(), QStringLiteral("Orlith"));
        QCOMPARE(form->tree().topLevelItemCount(), 1);
        QCOMPARE(form->tree().rootItem()->text(0), QStringLiteral("Catalogs"));
        QCOMPARE(form->findChild<QLabel *>(QStringLiteral("lblNumCat"))->text(), QStringLiteral(" 0"));
        QCOMPARE(form->findChild<QLabel *>(QStringLiteral("lblNumCD"))->text(), QStringLiteral(" 0"));
        QVERIFY(form->close());
    }
    QVERIFY(m_messages.boxes.isEmpty());
    // Shut-down writes a complete settings record and the catalog order file.
    QVERIFY(QFileInfo(settingsPath(m_dir->path())).size() > 20);
    QVERIFY(QFile::exists(catalogOrderPath(m_dir->path())));
    SettingsRecord saved;
    QVERIFY(LoadSettings(settingsPath(m_dir->path()), saved).ok());
    QVERIFY(saved.Width > 0 && saved.Height > 0);
}

void TestForm1::menusAndButtons()
{
    auto form = open();
    const struct { const char *name; const char *caption; } items[] = {
        {"mnuCatalog", "Catalog..."}, {"mnuCD", "CD/DVD..."}, {"mnuCopy", "Copy file(s)"},
        {"FilemnuOpenFile", "Open file"}, {"mnuRemoveItems", "Remove item(s)"}, {"mnuExit", "Exit"},
        {"mnuDelete", "&Delete"}, {"mnuRename", "&Rename..."}, {"mnuExpand", "Expand tree"},
        {"mnuArchive", "Archive..."}, {"mnuRestore", "Restore..."}, {"mnuSQL", "SQL statements..."},
        {"mnuExcel", "Excel document..."}, {"mnuText", "Text document"}, {"mnuClearList", "Clear list"},
        {"mnuSaveList", "Save list..."}, {"mnuOptions", "Options..."}, {"mnuSearch", "Search..."},
        {"mnuStatistics", "Statistics..."}, {"mnuHelpFile", "Help..."}, {"mnuTip", "Tip of the day..."},
        {"mnuVisitWebSite", "Orlith home page"}, {"mnuAbout", "About..."}, {"mnuDeletePopUP", "Delete"},
        {"mnuRenamePopUp", "Rename..."}, {"mnuCopyFile", "Copy"}, {"mnuOpenLocation", "Open location"},
    };
    for (const auto &i : items) {
        QAction *a = action(*form, i.name);
        QVERIFY2(a, i.name);
        QCOMPARE(a->text(), QString::fromLatin1(i.caption));
    }
    QVERIFY(!action(*form, "mnuDelete")->isEnabled());
    QVERIFY(!action(*form, "mnuRenamePopUp")->isEnabled());
    QCOMPARE(form->findChild<QWidget *>(QStringLiteral("cmdSaveList"))->toolTip(),
             QStringLiteral("Save files from the list as new XML"));
    QCOMPARE(form->findChild<QWidget *>(QStringLiteral("txtFind"))->toolTip(),
             QStringLiteral("Write string for search"));
    QVERIFY(form->findChild<QWidget *>(QStringLiteral("cmdNewCD"))->toolTip().isEmpty());

    // Help and the home page with no manual anywhere open nothing and say nothing.
    action(*form, "mnuHelpFile")->trigger();
    action(*form, "mnuVisitWebSite")->trigger();
    QVERIFY(m_desktop.documents.isEmpty() && m_desktop.urls.isEmpty());
    QVERIFY(m_messages.boxes.isEmpty());
    // The home page is the manual's first section.
    const QString manual = m_dir->filePath(QStringLiteral("Orlith.html"));
    QVERIFY(test::writeAll(manual, "<html></html>"));
    action(*form, "mnuVisitWebSite")->trigger();
    QCOMPARE(m_desktop.urls,
             QStringList{QUrl::fromLocalFile(manual).toString() + QStringLiteral("#window")});
}

void TestForm1::styleIconsAtEverySize()
{
    // The cheap icons draw exactly what the style's full icons draw, at the small size and
    // at the larger ones a dense screen asks for.
    for (QStyle::StandardPixmap which :
         {QStyle::SP_DriveCDIcon, QStyle::SP_DirIcon, QStyle::SP_ArrowUp,
          QStyle::SP_ToolBarHorizontalExtensionButton}) {
        const QIcon ours = styleIcon(which);
        const QIcon full = QApplication::style()->standardIcon(which);
        for (int side : {16, 32, 64}) {
            const QImage got = ours.pixmap(side, side).toImage();
            QVERIFY(!got.isNull());
            QCOMPARE(got, full.pixmap(side, side).toImage());
        }
        QVERIFY(ours.pixmap(16, 16, QIcon::Disabled).toImage()
                != ours.pixmap(16, 16, QIcon::Normal).toImage());
    }
    auto form = open();
    const QList<QToolButton *> buttons =
        form->findChild<QToolBar *>(QStringLiteral("toolBar"))->findChildren<QToolButton *>();
    QVERIFY(buttons.size() > 5);
    QList<QImage> seen; // no two buttons look alike
    for (const QToolButton *b : buttons) {
        if (!b->objectName().startsWith(QLatin1String("cmd")))
            continue;
        const QImage icon = b->icon().pixmap(16, 16).toImage();
        QVERIFY2(!icon.isNull() && !seen.contains(icon), qPrintable(b->objectName()));
        seen << icon;
    }
}

void TestForm1::treeSelectionDrivesMenusAndDetails()
{
    writeDisc(QStringLiteral("Rock"), QStringLiteral("Music"), {});
    QFile order(catalogOrderPath(m_dir->path()));
    QVERIFY(order.open(QIODevice::WriteOnly));
    order.write("Empty\r\nMusic\r\n");
    order.close();
    auto form = open();
    CatalogTree &tree = form->tree();
    QCOMPARE(form->findChild<QLabel *>(QStringLiteral("lblNumCat"))->text(), QStringLiteral(" 2"));
    // Every node shows its kind's style icon, made at start-up or added later alike.
    const auto iconOf = [&tree](const QString &key) {
        return tree.findNode(key)->icon(0).pixmap(16).toImage();
    };
    const QImage folder = tree.style()->standardPixmap(QStyle::SP_DirIcon).toImage();
    const QImage cd = tree.style()->standardPixmap(QStyle::SP_DriveCDIcon).toImage();
    QCOMPARE(iconOf(QStringLiteral("katalog")),
             tree.style()->standardPixmap(QStyle::SP_DriveHDIcon).toImage());
    QCOMPARE(iconOf(QStringLiteral("Music")), folder);
    QCOMPARE(iconOf(QStringLiteral("Rock")), cd);
    QVERIFY(tree.addDiscNode(QStringLiteral("Empty"), QStringLiteral("Jazz")));
    QCOMPARE(iconOf(QStringLiteral("Jazz")), cd);
    QCOMPARE(tree.kindOf(tree.findNode(QStringLiteral("Jazz"))), CatalogTree::NodeKind::Disc);
    delete tree.findNode(QStringLiteral("Jazz"));

    tree.selectNode(QStringLiteral("Music")); // a catalog with discs: no delete
    QVERIFY(!action(*form, "mnuDelete")->isEnabled());
    QVERIFY(action(*form, "mnuRename")->isEnabled());
    tree.selectNode(QStringLiteral("Empty")); // an empty catalog can go
    QVERIFY(action(*form, "mnuDeletePopUP")->isEnabled());
    tree.selectNode(QStringLiteral("Rock"));
    QVERIFY(action(*form, "mnuDelete")->isEnabled());
    QCOMPARE(form->detailsPane().shownDisc(), QStringLiteral("Rock"));
    tree.selectNode(QStringLiteral("katalog"));
    QVERIFY(!action(*form, "mnuRename")->isEnabled());
    QCOMPARE(form->detailsPane().shownDisc(), QString());
}

void TestForm1::listingADisc()
{
    writeDisc(QStringLiteral("Rock"), QStringLiteral("Music"),
              {{QStringLiteral("a.mp3"), QStringLiteral("/m/a.mp3"), 1536, QStringLiteral("d1")},
               {QStringLiteral("b.txt"), QStringLiteral("/m/b.txt"), 10, QStringLiteral("d2")}});
    writeDisc(QStringLiteral("Blank"), QStringLiteral("Music"), {});
    auto form = open();
    form->tree().selectNode(QStringLiteral("Rock"));
    QTest::keyClick(&form->tree(), Qt::Key_Return);
    QCOMPARE(form->listModel().rowCount(), 2);
    QCOMPARE(form->listModel().cellText(0, FileListModel::SizeColumn), QStringLiteral("1.50"));
    QCOMPARE(form->listModel().cellText(1, FileListModel::DiscColumn), QStringLiteral("Rock"));
    QCOMPARE(form->statusText(), QStringLiteral(" 2 files found in xml."));

    form->tree().selectNode(QStringLiteral("Blank"));
    form->ListDiscFiles();
    QCOMPARE(form->listModel().rowCount(), 0);
    QCOMPARE(form->statusText(), QStringLiteral(" 0 files found in xml."));

    // A disc file removed behind the program's back is reported, not a crash.
    QFile::remove(discFilePath(m_dir->path(), QStringLiteral("Rock")));
    form->tree().selectNode(QStringLiteral("Rock"));
    form->ListDiscFiles();
    QCOMPARE(m_messages.boxes.size(), 1);
    QCOMPARE(m_messages.boxes[0].title, QStringLiteral("Error"));
}

void TestForm1::listCommands()
{
    writeDisc(QStringLiteral("Rock"), QStringLiteral("Music"),
              {{QStringLiteral("a.mp3"), QStringLiteral("/m/x/a.mp3"), 1, QStringLiteral("d")},
               {QStringLiteral("b.mp3"), QStringLiteral("/m/y/b.mp3"), 2, QStringLiteral("d")},
               {QStringLiteral("c.mp3"), QStringLiteral("/m/z/c.mp3"), 3, QStringLiteral("d")}});
    auto form = open();
    form->tree().selectNode(QStringLiteral("Rock"));
    form->ListDiscFiles();

    form->openSelectedFile();
    form->copySelectedFiles();
    QCOMPARE(m_messages.texts(), QStringList(2, QStringLiteral("You must select file from list.")));
    QVERIFY(!m_desktop.clipboard);

    QTableView &list = form->fileList();
    list.selectionModel()->select(form->listModel().index(0, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list.selectionModel()->select(form->listModel().index(2, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list.selectionModel()->setCurrentIndex(form->listModel().index(2, 0), QItemSelectionModel::NoUpdate);
    form->copySelectedFiles();
    QCOMPARE(form->statusText(), QStringLiteral("File copied to clipboard"));
    QVERIFY(m_desktop.clipboard);
    QCOMPARE(m_desktop.clipboard->text(), QStringLiteral("/m/x/a.mp3\n/m/z/c.mp3"));

    form->openSelectedLocation();
    QCOMPARE(m_desktop.folders, QStringList{QStringLiteral("/m/z/")});

    // Double click follows the two settings; both "False" does nothing.
    form->settings().openFileSetting = QStringLiteral("False");
    form->settings().openLocationSetting = QStringLiteral("False");
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(form->listModel().index(2, 1)).center());
    QVERIFY(m_desktop.documents.isEmpty());
    form->settings().openFileSetting = QStringLiteral("True");
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(form->listModel().index(2, 1)).center());
    QCOMPARE(m_desktop.documents, QStringList{QStringLiteral("/m/z/c.mp3")});

    list.selectionModel()->select(form->listModel().index(0, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(&list, Qt::Key_Delete);
    QCOMPARE(form->listModel().rowCount(), 1);
    QCOMPARE(form->listModel().row(0).name(), QStringLiteral("b.mp3"));
    // Only the list changed.
    QCOMPARE(CountFileEntries(m_dir->path(), QStringLiteral("Rock")), QStringLiteral("3"));

    const int width = list.columnWidth(0);
    form->clearList();
    QCOMPARE(form->listModel().rowCount(), 0);
    form->autoSizeColumns();
    QCOMPARE(list.columnWidth(0), width);
}

void TestForm1::detailsPaneStateSurvivesRestart()
{
    int expandedHeight = 0;
    {
        auto form = open();
        QVERIFY(form->detailsExpanded());
        expandedHeight = form->detailsPane().height();
        form->toggleDetails();
        QVERIFY(!form->detailsExpanded());
        QVERIFY(form->detailsPane().height() < expandedHeight);
        form->close();
    }
    auto form = open();
    QVERIFY(!form->detailsExpanded());
    QCOMPARE(form->detailsPane().height(), form->twipsToPixels(Form1::kDetailsCollapsedTwips));
    form->toggleDetails();
    QCOMPARE(form->detailsPane().height(), expandedHeight);
}

void TestForm1::splitterLimits()
{
    auto form = open();
    QWidget *central = form->centralWidget();
    const int minLeft = form->twipsToPixels(Form1::kSplitterMinLeftTwips);
    const int maxLeft = central->width() - form->twipsToPixels(Form1::kSplitterMinRightTwips);
    QVERIFY(!form->moveSplitter(minLeft));
    QVERIFY(form->moveSplitter(minLeft + 1));
    QCOMPARE(form->tree().width(), minLeft + 1);
    QVERIFY(!form->moveSplitter(maxLeft));
    QVERIFY(form->moveSplitter(maxLeft - 1));
    QCOMPARE(form->fileList().x(), form->detailsPane().x());
    QCOMPARE(form->fileList().width(), form->detailsPane().width());
}

void TestForm1::expandAndCollapseAll()
{
    writeDisc(QStringLiteral("Rock"), QStringLiteral("Music"), {});
    auto form = open();
    action(*form, "mnuExpand")->trigger();
    QVERIFY(form->tree().findNode(QStringLiteral("Music"))->isExpanded());
    action(*form, "mnuCollapse")->trigger();
    QVERIFY(!form->tree().rootItem()->isExpanded());
    QVERIFY(!form->tree().findNode(QStringLiteral("Music"))->isExpanded());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
