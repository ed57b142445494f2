// Orlith — desktop catalogue of removable media.
// The file list: how its columns sort, duplicate groups, a disc's folders, and the layout the
// window keeps from one start to the next.
#include "core/export/export_job.h"
#include "core/settings/window_layout.h"
#include "support/window_fixture.h"
#include "ui/export/export_wizard.h"

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

// Rows from "name|size|date" texts; the disc is the row's index.
QList<FileRow> rowsOf(const QStringList &texts)
{
    QList<FileRow> rows;
    for (const QString &text : texts) {
        const QStringList p = text.split('|');
        rows << FileRow{p[0], "/m/" + p[0], p.value(1).toLongLong(), p.value(2),
                        QString::number(rows.size())};
    }
    return rows;
}

QList<int> columnWidths(MainWindow &form)
{
    QList<int> widths;
    for (int c = 0; c < FileListModel::ColumnCount; ++c)
        widths << form.fileList().columnWidth(c);
    return widths;
}

} // namespace

class TestFileList : public QObject
{
    Q_OBJECT

    WindowFixture m_f;

    // Expands the disc and then each folder of `relative`; the last node is selected.
    QTreeWidgetItem *openFolder(MainWindow &form, const QString &relative)
    {
        QTreeWidgetItem *item = form.tree().findNode("Disc");
        for (const QString &name : relative.split(u'/')) {
            item->setExpanded(true);
            QTreeWidgetItem *next = nullptr;
            for (int i = 0; i < item->childCount(); ++i)
                next = item->child(i)->text(0) == name ? item->child(i) : next;
            if (!(item = next))
                return nullptr;
        }
        form.tree().setCurrentItem(item);
        return item;
    }

private slots:
    void init() { m_f.reset(); }

    void sortsByColumn_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("ascending");
        QTest::addColumn<QString>("descending");
        const int name = FileListModel::NameColumn, size = FileListModel::SizeColumn,
                  date = FileListModel::DateColumn;
        QTest::newRow("sizes by number")
            << size << QStringList{"a|10240", "b|9216", "c|102400"} << "b a c"
            << "c a b";
        QTest::newRow("dates across months and years")
            << date << QStringList{"feb|0|1.2.2004 10:00:00",  "jan|0|31.1.2004 23:59:59",
                                   "next|0|1.1.2005 0:00:00",  "dec|0|5.12.2003 09:00:00",
                                   "early|0|1.2.2004 9:00:00", "bad|0|someday"}
            << "bad dec jan early feb next"
            << "next feb early jan dec bad";
        // Case is ignored and equal names keep their order, both ways.
        QTest::newRow("names, digits by value")
            << name << QStringList{"file10", "f2", "File1", "F2", "file1b"}
            << "f2 F2 File1 file1b file10"
            << "file10 file1b File1 f2 F2";
    }
    void sortsByColumn()
    {
        QFETCH(int, column);
        QFETCH(QStringList, rows);
        FileListModel model;
        model.setRows(rowsOf(rows));
        model.sortByHeader(column);
        QTEST(names(model), "ascending");
        model.sortByHeader(column);
        QTEST(names(model), "descending");
    }

    // Export list writes the rows as the list shows them now; an empty list is refused; the
    // SQL wizard keeps its own first page.
    void exportList_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("nameBox");
        QTest::addColumn<QString>("file");
        QTest::newRow("csv") << int(ExportFormat::Csv) << u"txtFileName"_s << u"rows.csv"_s;
        QTest::newRow("sql") << int(ExportFormat::Sql) << u"txtSQLFileName"_s << u"rows.sql"_s;
    }
    void exportList()
    {
        QFETCH(int, format);
        QFETCH(QString, nameBox);
        QFETCH(QString, file);
        auto form = m_f.open();
        QAction *exportList = action(*form, qPrintable("mnuExportList" + QString::number(format)));
        exportList->trigger();
        QCOMPARE(m_f.messages.boxes.takeLast().text, "List is empty.There is no files to export.");
        const QList<FileRow> rows = rowsOf({"b|20|d", "a|10|d", "c|30|d"});
        form->listModel().setRows(rows);
        form->listModel().sortByHeader(FileListModel::SizeColumn);
        const QString out = m_f.dir->filePath("out");
        QVERIFY(QDir().mkpath(out));
        whenShown<ExportWizard>([&](ExportWizard *w) {
            w->setDestinationFolder(out);
            w->findChild<QLineEdit *>(nameBox)->setText("rows");
            for (const char *next : {"cmdNext", "cmdNext2", "cmdNext3"}) {
                QVERIFY(!w->findChild<QListWidget *>("File1")->isVisible()); // no disc page
                if (auto *b = w->findChild<QPushButton *>(next); b && b->isVisible())
                    b->click();
            }
            click(*w, "cmdFinish");
        });
        exportList->trigger();
        const QString engine = m_f.dir->filePath("engine");
        QVERIFY(
            exportRows(ExportFormat(format), engine, {rows[1], rows[0], rows[2]}, {}, m_f.root()));
        QCOMPARE(readAll(out + "/" + file), readAll(engine));
    }

    // Groups arrive in batches that may split one; alternate groups are shaded, and each row
    // tells its group's copies and the space the extra copies take.
    void duplicateGroups()
    {
        FileListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.showDuplicateGroups();
        QCOMPARE(model.columnCount(), int(FileListModel::GroupedColumnCount));
        model.appendRows(rowsOf({"a.iso|2048", "A.ISO|2048"}));
        model.appendRows(rowsOf({"a.iso|2048", "b|1024", "b|1024", "b|512", "B|512"}));
        QStringList shown;
        for (int r = 0; r < model.rowCount(); ++r)
            shown << model.index(r, FileListModel::CopiesColumn).data().toString() + "/" +
                         model.index(r, FileListModel::WastedColumn).data().toString() +
                         (model.index(r, 0).data(Qt::BackgroundRole).isValid() ? "*" : "");
        QCOMPARE(shown.join(' '), "3/4.00 3/4.00 3/4.00 2/1.00* 2/1.00* 2/0.50 2/0.50");
        model.sortByHeader(FileListModel::WastedColumn);
        QCOMPARE(names(model), "b B b b a.iso A.ISO a.iso");
        model.setRows(rowsOf({"x"}));
        QCOMPARE(model.columnCount(), int(FileListModel::ColumnCount));
        QVERIFY(!model.index(0, 0).data(Qt::BackgroundRole).isValid());
    }

    // In the window: once filled, the columns fit their texts and the disc stays in view
    // however long the paths are.
    void duplicatesListFitsItsColumns()
    {
        const QString path = "/m/" + QString(300, 'p') + "/a.iso";
        m_f.writeDisc("One", "Music", {{"a.iso", path, 4096, "d"}});
        m_f.writeDisc("Two", "Music", {{"A.ISO", path, 4096, "d"}});
        auto form = m_f.open();
        form->tree().selectNode(QString::fromLatin1(kRootKey));
        QSignalSpy done(form.get(), &MainWindow::listSearchFinished);
        form->findDuplicateFiles();
        QVERIFY(done.wait(10000));
        const FileListModel &model = form->listModel();
        QCOMPARE(model.rowCount(), 2);
        QTableView &list = form->fileList();
        QVERIFY(list.columnViewportPosition(FileListModel::DiscColumn) +
                    list.columnWidth(FileListModel::DiscColumn) <=
                list.viewport()->width());
    }

    void detailsPaneForgetsARemovedRow_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *change, const char *shown) {
            QTest::newRow(change) << change << shown;
        };
        row("remove 1", ""); // its own row
        row("remove 0", "b.mp3");
        row("list", ""); // replaced
        row("sort", "b.mp3");
    }
    void detailsPaneForgetsARemovedRow()
    {
        QFETCH(QString, change);
        m_f.writeDisc("Rock", "Music",
                      {{"a.mp3", "/m/a.mp3", 1, "d"}, {"b.mp3", "/m/b.mp3", 2, "d"}});
        auto form = m_f.open();
        form->tree().selectNode("Rock");
        form->listSelectedDisc();
        QTableView &list = form->fileList();
        const auto pick = [&](int row) {
            list.selectionModel()->setCurrentIndex(form->listModel().index(row, 0),
                                                   QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
        };
        pick(1);
        form->showDiscDetails(1);
        auto *fileName = form->findChild<QLabel *>("lblExtraFileName");
        QCOMPARE(fileName->text(), "b.mp3");
        if (change.startsWith("remove")) {
            pick(change.back().digitValue());
            form->removeSelectedItems();
        } else if (change == "list") {
            form->listSelectedDisc();
        } else {
            form->listModel().sortByHeader(FileListModel::SizeColumn);
        }
        QTEST(fileName->text(), "shown");
    }

    // Column widths, the divider, the details pane's height and state and the dialogs' folders
    // survive a restart; Data.ini is left as it was. The divider keeps the tree visible.
    void layoutKeptAcrossRestart()
    {
        QList<int> before;
        {
            auto form = m_f.open();
            QVERIFY(QTest::qWaitForWindowExposed(form.get()));
            QCoreApplication::processEvents();
            form->fileList().setColumnWidth(FileListModel::DiscColumn, 77);
            QVERIFY(form->moveSplitter(260));
            auto *split = form->findChild<QSplitter *>("listSplitter");
            split->setSizes({split->height() - 150, 150});
            before = columnWidths(*form) << form->splitterLeft() << form->detailsPane().height();
            QTest::mouseClick(form->findChild<QToolButton *>("picUpDown"), Qt::LeftButton);
            QVERIFY(!form->detailsExpanded() && form->detailsPane().height() < before.last());
            form->close();
        }
        keepFolder(m_f.root(), KeptFolder::Export, m_f.root() + "/cds");
        QCOMPARE(keptFolder(m_f.root(), KeptFolder::Export, "x") + ' ' +
                     keptFolder(m_f.root(), KeptFolder::Archive, "x"),
                 m_f.root() + "/cds x");
        const QByteArray settings = readAll(settingsPath(m_f.root()));
        QVERIFY(!settings.isEmpty() && !settings.contains("Columns") && !settings.contains("cds"));
        auto form = m_f.open();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()) && !form->detailsExpanded());
        form->toggleDetails();
        QCOMPARE(columnWidths(*form) << form->splitterLeft() << form->detailsPane().height(),
                 before);
        const int minLeft = MainWindow::kSplitterMinLeft;
        QVERIFY(!form->moveSplitter(minLeft) && form->moveSplitter(minLeft + 1));
        QCOMPARE(form->tree().width(), minLeft + 1);
        QVERIFY(m_f.messages.boxes.isEmpty());
    }

    void brokenLayoutIgnored()
    {
        QList<int> defaults;
        {
            auto form = m_f.open();
            defaults = columnWidths(*form) << form->splitterLeft();
        }
        QVERIFY(writeAll(windowLayoutPath(m_f.root()),
                         "Columns=1,x,3\nTree=-5\nDetails=99999999999\nExport=\n"));
        auto form = m_f.open();
        QCOMPARE(columnWidths(*form) << form->splitterLeft(), defaults);
        QVERIFY(m_f.messages.boxes.isEmpty());
    }

    // A disc node opens into its folders; a folder tells its files and size, lists its own
    // files, and keeps a quick find to itself; the disc node still lists the whole disc, and
    // goes when the disc is deleted elsewhere while its folders are open.
    void folders_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("findText");
        QTest::addColumn<QString>("found");
        const auto row = [](const char *tag, const char *folder, const char *tip,
                            const char *listed, const char *findText, const char *found) {
            QTest::newRow(tag) << folder << tip << listed << findText << found;
        };
        row("with a subfolder", "Photos", "3 files, 4.00 KB", "a.jpg b.txt", ".jpg", "a.jpg c.jpg");
        row("nested", "Photos/2020", "1 file, 2.00 KB", "c.jpg", "", "c.jpg");
        row("beside others", "Music", "1 file, 0.01 KB", "a.mp3", "a.", "a.mp3");
        row("disc", "", "", "readme.txt a.jpg b.txt c.jpg d.jpg a.mp3", "", "");
    }
    void folders()
    {
        QFETCH(QString, folder);
        QFETCH(QString, findText);
        // A disc made on Windows, with a folder whose name starts like another's.
        const auto e = [](const char *path, qint64 size) {
            const QString p = QString::fromLatin1(path);
            return FileEntry{p.section(u'\\', -1), p, size, "1 Jan 2020"};
        };
        m_f.writeDisc("Disc", "Cat",
                      {e("D:\\readme.txt", 1), e("D:\\Photos\\a.jpg", 1024),
                       e("D:\\Photos\\b.txt", 1024), e("D:\\Photos\\2020\\c.jpg", 2048),
                       e("D:\\Photosx\\d.jpg", 5), e("D:\\Music\\a.mp3", 7)});
        auto form = m_f.open();
        if (folder.isEmpty()) {
            QVERIFY(openFolder(*form, "Photos/2020"));
            form->tree().selectNode("Disc");
        } else {
            QTreeWidgetItem *node = openFolder(*form, folder);
            QVERIFY(node);
            QTEST(node->toolTip(0), "tip");
        }
        QCOMPARE(form->detailsPane().shownDisc(), "Disc");
        QTest::keyClick(&form->tree(), Qt::Key_Return);
        QTEST(names(form->listModel()), "listed");
        if (folder.isEmpty()) {
            QTreeWidgetItem *disc = form->tree().findNode("Disc");
            QStringList folders;
            for (int i = 0; i < disc->childCount(); ++i)
                folders << disc->child(i)->text(0);
            QCOMPARE(folders, QStringList({"Music", "Photos", "Photosx"}));
            QVERIFY(openFolder(*form, "Photos/2020")); // selected as it goes
            QVERIFY(QFile::remove(discFilePath(m_f.root(), "Disc")));
            form->refreshFromStore();
            QVERIFY(!form->tree().findNode("Disc"));
            return;
        }
        form->findChild<QLineEdit *>("txtFind")->setText(findText);
        QSignalSpy done(form.get(), &MainWindow::listSearchFinished);
        form->findFiles();
        QVERIFY(done.wait(10000));
        QTEST(names(form->listModel()), "found");
        QVERIFY(m_f.messages.boxes.isEmpty());
    }
};

QTEST_MAIN(TestFileList)
#include "tst_file_list.moc"
