// Orlith — desktop catalogue of removable media.
#include "support/window_fixture.h"
#include "ui/common/style_icon.h"

using namespace orlith;
using orlith::test::action;
using orlith::test::label;

class TestForm1 : public QObject
{
    Q_OBJECT

    test::WindowFixture m_f;

private slots:
    void init() { m_f.reset(); }

    void firstStartMenusAndButtons()
    {
        auto form = m_f.open();
        QCOMPARE(form->windowTitle(), "Orlith");
        QCOMPARE(form->tree().topLevelItemCount(), 1);
        QCOMPARE(form->tree().rootItem()->text(0), "Catalogs");
        QCOMPARE(label(*form, "lblNumCat") + label(*form, "lblNumCD"), " 0 0");
        const struct { const char *name, *caption; } items[] = {
            {"mnuCatalog", "Catalog..."}, {"mnuCD", "CD/DVD..."}, {"mnuCopy", "Copy file(s)"},
            {"FilemnuOpenFile", "Open file"}, {"mnuRemoveItems", "Remove item(s)"},
            {"mnuExit", "Exit"}, {"mnuDelete", "&Delete"}, {"mnuRename", "&Rename..."},
            {"mnuExpand", "Expand tree"}, {"mnuArchive", "Archive..."}, {"mnuRestore", "Restore..."},
            {"mnuSQL", "SQL statements..."}, {"mnuExcel", "Excel document..."},
            {"mnuText", "Text document"}, {"mnuClearList", "Clear list"},
            {"mnuSaveList", "Save list..."}, {"mnuOptions", "Options..."}, {"mnuSearch", "Search..."},
            {"mnuStatistics", "Statistics..."}, {"mnuHelpFile", "Help..."},
            {"mnuTip", "Tip of the day..."}, {"mnuVisitWebSite", "Orlith home page"},
            {"mnuAbout", "About..."}, {"mnuDeletePopUP", "Delete"}, {"mnuRenamePopUp", "Rename..."},
            {"mnuCopyFile", "Copy"}, {"mnuOpenLocation", "Open location"},
        };
        for (const auto &i : items) {
            QAction *a = action(*form, i.name);
            QVERIFY2(a && a->text() == i.caption, i.name);
        }
        QVERIFY(!action(*form, "mnuDelete")->isEnabled());
        QVERIFY(!action(*form, "mnuRenamePopUp")->isEnabled());
        QCOMPARE(form->findChild<QWidget *>("cmdSaveList")->toolTip(),
                 "Save files from the list as new XML");
        QCOMPARE(form->findChild<QWidget *>("txtFind")->toolTip(), "Write string for search");
        QVERIFY(form->findChild<QWidget *>("cmdNewCD")->toolTip().isEmpty());
        // Help and the home page with no manual anywhere open nothing and say nothing; the
        // home page is the manual's first section.
        action(*form, "mnuHelpFile")->trigger();
        action(*form, "mnuVisitWebSite")->trigger();
        QVERIFY(m_f.desktop.documents.isEmpty() && m_f.desktop.urls.isEmpty());
        const QString manual = m_f.dir->filePath("Orlith.html");
        QVERIFY(test::writeAll(manual, "<html></html>"));
        action(*form, "mnuVisitWebSite")->trigger();
        QCOMPARE(m_f.desktop.urls, QStringList{QUrl::fromLocalFile(manual).toString() + "#window"});
        // Shut-down writes a complete settings record and the catalog order file.
        QVERIFY(form->close());
        QVERIFY(m_f.messages.boxes.isEmpty());
        QVERIFY(QFile::exists(catalogOrderPath(m_f.root())));
        SettingsRecord saved;
        QVERIFY(LoadSettings(settingsPath(m_f.root()), saved).ok());
        QVERIFY(saved.Width > 0 && saved.Height > 0);
    }

    // The cheap icons draw exactly what the style's full icons draw, at the small size and at
    // the larger ones a dense screen asks for; no two buttons look alike.
    void styleIconsAtEverySize()
    {
        for (QStyle::StandardPixmap which : {QStyle::SP_DriveCDIcon, QStyle::SP_DirIcon,
                                             QStyle::SP_ArrowUp,
                                             QStyle::SP_ToolBarHorizontalExtensionButton}) {
            const QIcon ours = styleIcon(which);
            for (int side : {16, 32, 64}) {
                const QImage got = ours.pixmap(side, side).toImage();
                QVERIFY(!got.isNull());
                QCOMPARE(got, QApplication::style()->standardIcon(which).pixmap(side).toImage());
            }
            QVERIFY(ours.pixmap(16, 16, QIcon::Disabled).toImage() !=
                    ours.pixmap(16, 16, QIcon::Normal).toImage());
        }
        auto form = m_f.open();
        QList<QImage> seen;
        const auto *bar = form->findChild<QToolBar *>("toolBar");
        for (const QToolButton *b : bar->findChildren<QToolButton *>()) {
            if (!b->objectName().startsWith("cmd"))
                continue;
            const QImage icon = b->icon().pixmap(16, 16).toImage();
            QVERIFY2(!icon.isNull() && !seen.contains(icon), qPrintable(b->objectName()));
            seen << icon;
        }
        QVERIFY(seen.size() > 5);
    }

    void treeSelectionDrivesMenusAndDetails()
    {
        m_f.writeDisc("Rock", "Music");
        QVERIFY(test::writeAll(catalogOrderPath(m_f.root()), "Empty\r\nMusic\r\n"));
        auto form = m_f.open();
        CatalogTree &tree = form->tree();
        QCOMPARE(label(*form, "lblNumCat"), " 2");
        // Every node shows its kind's style icon, made at start-up or added later alike.
        const auto icon = [&tree](const QString &key) {
            return tree.findNode(key)->icon(0).pixmap(16).toImage();
        };
        const auto styled = [&tree](QStyle::StandardPixmap p) {
            return tree.style()->standardPixmap(p).toImage();
        };
        QCOMPARE(icon("katalog"), styled(QStyle::SP_DriveHDIcon));
        QCOMPARE(icon("Music"), styled(QStyle::SP_DirIcon));
        QCOMPARE(icon("Rock"), styled(QStyle::SP_DriveCDIcon));
        QVERIFY(tree.addDiscNode("Empty", "Jazz"));
        QCOMPARE(icon("Jazz"), styled(QStyle::SP_DriveCDIcon));
        QCOMPARE(tree.kindOf(tree.findNode("Jazz")), CatalogTree::NodeKind::Disc);
        delete tree.findNode("Jazz");
        tree.selectNode("Music"); // a catalog with discs: no delete
        QVERIFY(!action(*form, "mnuDelete")->isEnabled());
        QVERIFY(action(*form, "mnuRename")->isEnabled());
        tree.selectNode("Empty"); // an empty catalog can go
        QVERIFY(action(*form, "mnuDeletePopUP")->isEnabled());
        tree.selectNode("Rock");
        QVERIFY(action(*form, "mnuDelete")->isEnabled());
        QCOMPARE(form->detailsPane().shownDisc(), "Rock");
        tree.selectNode("katalog");
        QVERIFY(!action(*form, "mnuRename")->isEnabled());
        QCOMPARE(form->detailsPane().shownDisc(), QString());
        action(*form, "mnuExpand")->trigger();
        QVERIFY(tree.findNode("Music")->isExpanded());
        action(*form, "mnuCollapse")->trigger();
        QVERIFY(!tree.rootItem()->isExpanded() && !tree.findNode("Music")->isExpanded());
    }

    void listingADisc()
    {
        m_f.writeDisc("Rock", "Music",
                  {{"a.mp3", "/m/a.mp3", 1536, "d1"}, {"b.txt", "/m/b.txt", 10, "d2"}});
        m_f.writeDisc("Blank", "Music");
        auto form = m_f.open();
        form->tree().selectNode("Rock");
        QTest::keyClick(&form->tree(), Qt::Key_Return);
        QCOMPARE(form->listModel().rowCount(), 2);
        QCOMPARE(form->listModel().cellText(0, FileListModel::SizeColumn), "1.50");
        QCOMPARE(form->listModel().cellText(1, FileListModel::DiscColumn), "Rock");
        QCOMPARE(form->statusText(), " 2 files found in xml.");
        form->tree().selectNode("Blank");
        form->ListDiscFiles();
        QCOMPARE(form->listModel().rowCount(), 0);
        QCOMPARE(form->statusText(), " 0 files found in xml.");
        // A disc file removed behind the program's back is reported, not a crash.
        QFile::remove(discFilePath(m_f.root(), "Rock"));
        form->tree().selectNode("Rock");
        form->ListDiscFiles();
        QCOMPARE(m_f.messages.boxes.size(), 1);
        QCOMPARE(m_f.messages.boxes[0].title, "Error");
    }

    void listCommands()
    {
        m_f.writeDisc("Rock", "Music",
                  {{"a.mp3", "/m/x/a.mp3", 1, "d"}, {"b.mp3", "/m/y/b.mp3", 2, "d"},
                   {"c.mp3", "/m/z/c.mp3", 3, "d"}});
        auto form = m_f.open();
        form->tree().selectNode("Rock");
        form->ListDiscFiles();
        form->openSelectedFile();
        form->copySelectedFiles();
        QCOMPARE(m_f.messages.texts(), QStringList(2, "You must select file from list."));
        QVERIFY(!m_f.desktop.clipboard);
        QTableView &list = form->fileList();
        const auto select = [&](int row) {
            list.selectionModel()->select(form->listModel().index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        };
        select(0);
        select(2);
        list.selectionModel()->setCurrentIndex(form->listModel().index(2, 0),
                                               QItemSelectionModel::NoUpdate);
        form->copySelectedFiles();
        QCOMPARE(form->statusText(), "File copied to clipboard");
        QVERIFY(m_f.desktop.clipboard);
        QCOMPARE(m_f.desktop.clipboard->text(), "/m/x/a.mp3\n/m/z/c.mp3");
        form->openSelectedLocation();
        QCOMPARE(m_f.desktop.folders, QStringList{"/m/z/"});
        // Double click follows the two settings; both "False" does nothing.
        const QPoint cell = list.visualRect(form->listModel().index(2, 1)).center();
        form->settings().openFileSetting = form->settings().openLocationSetting = "False";
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell);
        QVERIFY(m_f.desktop.documents.isEmpty());
        form->settings().openFileSetting = "True";
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(m_f.desktop.documents, QStringList{"/m/z/c.mp3"});
        select(0);
        QTest::keyClick(&list, Qt::Key_Delete);
        QCOMPARE(form->listModel().rowCount(), 1);
        QCOMPARE(form->listModel().row(0).name(), "b.mp3");
        QCOMPARE(CountFileEntries(m_f.root(), "Rock"), "3"); // only the list changed
        const int width = list.columnWidth(0);
        form->clearList();
        QCOMPARE(form->listModel().rowCount(), 0);
        form->autoSizeColumns();
        QCOMPARE(list.columnWidth(0), width);
    }

    void detailsPaneStateSurvivesRestart()
    {
        int expandedHeight = 0;
        {
            auto form = m_f.open();
            QVERIFY(form->detailsExpanded());
            expandedHeight = form->detailsPane().height();
            form->toggleDetails();
            QVERIFY(!form->detailsExpanded() && form->detailsPane().height() < expandedHeight);
            form->close();
        }
        auto form = m_f.open();
        QVERIFY(!form->detailsExpanded());
        QCOMPARE(form->detailsPane().height(), form->twipsToPixels(Form1::kDetailsCollapsedTwips));
        form->toggleDetails();
        QCOMPARE(form->detailsPane().height(), expandedHeight);
    }

    void splitterLimits()
    {
        auto form = m_f.open();
        const int minLeft = form->twipsToPixels(Form1::kSplitterMinLeftTwips);
        const int maxLeft =
            form->centralWidget()->width() - form->twipsToPixels(Form1::kSplitterMinRightTwips);
        QVERIFY(!form->moveSplitter(minLeft));
        QVERIFY(form->moveSplitter(minLeft + 1));
        QCOMPARE(form->tree().width(), minLeft + 1);
        QVERIFY(!form->moveSplitter(maxLeft));
        QVERIFY(form->moveSplitter(maxLeft - 1));
        QCOMPARE(form->fileList().geometry().left(), form->detailsPane().geometry().left());
        QCOMPARE(form->fileList().width(), form->detailsPane().width());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
