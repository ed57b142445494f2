// Orlith — desktop catalogue of removable media.
#include "core/store/file_categories.h"
#include "support/recording_services.h"
#include "ui/main/file_list_commands.h"
#include "ui/main/file_list_model.h"

#include <QtGui>
#include <QtTest>

using namespace orlith;

namespace {

FileRow fileRow(const QString &name, qint64 size = 0)
{
    return FileRow{name, "/m/" + name, size, "1.1.2004 10:00:00", "Disc"};
}

// Colours the list with the category colour texts "1".."7" (plus `offset`), so a row's red
// value names the category that coloured it.
void colour(FileListModel &model, int offset = 0)
{
    QStringList colors;
    for (int c = 1; c <= kCategoryCount; ++c)
        colors << QString::number(c + offset);
    ExtensionTable table;
    table.BuildExtensionTable(colors);
    model.ColorList(table, QPalette());
}

QString names(const FileListModel &model)
{
    QStringList out;
    for (const FileRow &r : model.rows())
        out << r.name();
    return out.join(' ');
}

} // namespace

class TestFileListModel : public QObject
{
    Q_OBJECT

private slots:
    void modelStaysConsistent()
    {
        FileListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QList<FileRow> rows;
        for (int i = 0; i < 60; ++i)
            rows << fileRow(QString("f%1.%2").arg(i).arg(i % 3 ? "txt" : "mp3"), i * 700);
        model.setRows(rows);
        model.appendRows({fileRow("a_late.zip")});
        colour(model);
        const QPersistentModelIndex late = model.index(60, 1);
        model.sortByHeader(FileListModel::NameColumn);
        QCOMPARE(late.row(), 0); // a view's selection follows its rows
        QCOMPARE(late.data().toString(), "/m/a_late.zip");
        model.sortByHeader(FileListModel::SizeColumn);
        model.removeRowsAt({0, 1, 2, 40});
        model.removeRowsAt({0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34});
        QCOMPARE(model.rowCount(), 61 - 4 - 18);
        model.clear();
        model.sortByHeader(FileListModel::DateColumn);
    }

    void headersAndSortArrow()
    {
        FileListModel model;
        model.setRows({fileRow("a"), fileRow("b")});
        QStringList titles;
        for (int c = 0; c < model.columnCount(); ++c)
            titles << model.headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, QStringList({"File name", "Full path", "Size (Kb)", "Creation time", "CD name"}));
        const QIcon up(QPixmap(8, 8)), down(QPixmap(8, 8));
        model.setSortIcons(up, down);
        const auto arrows = [&] {
            QList<qint64> keys;
            for (int c = 0; c < model.columnCount(); ++c)
                keys << model.headerData(c, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().cacheKey();
            return keys;
        };
        const qint64 u = up.cacheKey(), d = down.cacheKey();
        QCOMPARE(arrows(), QList<qint64>(5, 0));
        model.sortByHeader(FileListModel::SizeColumn);
        QCOMPARE(arrows(), QList<qint64>({0, 0, u, 0, 0}));
        model.sortByHeader(FileListModel::NameColumn);
        QCOMPARE(arrows(), QList<qint64>({u, 0, 0, 0, 0}));
        model.sortByHeader(FileListModel::NameColumn);
        QCOMPARE(arrows(), QList<qint64>({d, 0, 0, 0, 0}));
    }

    void colouring_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("red"); // the category number, 0 for black
        QTest::newRow("upper-case music") << "/m/SONG.MP3" << 5;
        QTest::newRow("lower-case music") << "/m/song.mp3" << 5;
        QTest::newRow("unknown extension") << "/m/notes.qqq" << 0;
        QTest::newRow("no dot") << "/m/readme" << 0;
        QTest::newRow("dot in a folder") << "D:\\old.files\\readme" << 0;
    }
    void colouring()
    {
        QFETCH(QString, path);
        QFETCH(int, red);
        FileListModel model;
        model.setRows({FileRow{"x", path, 1, "", "Disc"}});
        colour(model);
        for (int c = 0; c < FileListModel::ColumnCount; ++c)
            QCOMPARE(model.index(0, c).data(Qt::ForegroundRole).value<QColor>(), QColor(red, 0, 0));
    }

    void sorting_data()
    {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("expected");
        const int name = FileListModel::NameColumn, size = FileListModel::SizeColumn;
        const QString byName = "Al.txt be.mp3 De.txt ga.mp3", bySize = "be.mp3 ga.mp3 Al.txt De.txt";
        QTest::newRow("first click ascending, any case") << QList<int>{name} << byName;
        QTest::newRow("second click descending")
            << QList<int>{name, name} << "ga.mp3 De.txt be.mp3 Al.txt";
        QTest::newRow("third as the first") << QList<int>{name, name, name} << byName;
        QTest::newRow("sizes as text") << QList<int>{size} << bySize;
    }
    void sorting()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(QString, expected);
        FileListModel model; // sizes "9.00", "10.00", "100.00", "2.00"
        model.setRows({fileRow("De.txt", 9 * 1024), fileRow("be.mp3", 10 * 1024),
                       fileRow("ga.mp3", 100 * 1024), fileRow("Al.txt", 2 * 1024)});
        colour(model);
        for (int column : std::as_const(clicks))
            model.sortByHeader(column);
        QCOMPARE(names(model), expected);
        for (int r = 0; r < model.rowCount(); ++r) // colours move with their rows
            QCOMPARE(model.rowColor(r), QColor(model.row(r).name().endsWith("mp3") ? 5 : 7, 0, 0));
    }

    // Against a plain comparison: mixed-case texts with many repeats; unique paths show that
    // equal texts keep their order.
    void sortMatchesReference()
    {
        QRandomGenerator random(7);
        QList<FileRow> rows;
        for (int i = 0; i < 20000; ++i) {
            QString name;
            for (int k = 0; k < 3; ++k)
                name += QChar(u"aBcD_9"[random.bounded(6)]);
            rows << FileRow{name, QString("/m/%1/").arg(i) + name, random.bounded(2048), name, "D"};
        }
        FileListModel model;
        model.setRows(rows);
        for (int column : {2, 0, 1, 2, 4}) {
            QHash<QString, int> before;
            for (int r = 0; r < model.rowCount(); ++r)
                before.insert(model.row(r).path(), r);
            model.sortByHeader(column);
            const int sign = model.sortOrder() == Qt::AscendingOrder ? 1 : -1;
            for (int r = 1; r < model.rowCount(); ++r) {
                const int c = QString::compare(model.cellText(r - 1, column),
                                               model.cellText(r, column), Qt::CaseInsensitive);
                QVERIFY2(sign * c < 0 || (c == 0 && before.value(model.row(r - 1).path()) <
                                                        before.value(model.row(r).path())),
                         qPrintable(QString("column %1, row %2").arg(column).arg(r)));
            }
        }
    }

    void removeRowsKeepsColours()
    {
        FileListModel model;
        QList<FileRow> rows;
        for (int i = 0; i < 40; ++i)
            rows << fileRow(QString("r%1.%2").arg(i).arg(i % 2 ? "mp3" : "txt"));
        model.setRows(rows);
        colour(model);
        model.removeRowsAt({5, 1, 1, 2, -1, 99});
        QVERIFY(names(model).startsWith("r0.txt r3.mp3 r4.txt r6.txt r7.mp3 r8.txt"));
        QList<int> everyOther; // more separate runs than are removed one by one
        for (int i = 0; i < model.rowCount(); i += 2)
            everyOther << i;
        model.removeRowsAt(everyOther);
        QString expected = "r3.mp3";
        for (int i = 6; i < 40; i += 2)
            expected += QString(" r%1.txt").arg(i);
        QCOMPARE(names(model), expected);
        model.appendRows({fileRow("x.mp3")}); // black until the list is coloured again
        QCOMPARE(model.rowColor(0), QColor(5, 0, 0));
        QCOMPARE(model.rowColor(1), QColor(7, 0, 0));
        QCOMPARE(model.rowColor(18), QColor(Qt::black));
        colour(model, /*offset=*/10);
        QCOMPARE(model.rowColor(18), QColor(15, 0, 0));
    }

    void folderOfPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::newRow("slashes") << "/media/cd/a/b.txt" << "/media/cd/a/";
        QTest::newRow("backslashes") << "D:\\a\\b.txt" << "D:\\a\\";
        QTest::newRow("backslash last") << "/m/x\\y.txt" << "/m/x\\";
        QTest::newRow("slash last") << "D:\\x/y.txt" << "D:\\x/";
        QTest::newRow("no separator") << "readme.txt" << "readme.txt";
    }
    void folderOfPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QCOMPARE(orlith::folderOfPath(path), folder);
    }

    void listCommands()
    {
        FileListModel model;
        model.setRows({fileRow("a"), fileRow("b c.txt"), fileRow("c"), fileRow("ü.mp3")});
        QItemSelectionModel selection(&model);
        QCOMPARE(commandRow(selection), -1);
        selection.select(model.index(3, 2), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection.select(model.index(1, 0), QItemSelectionModel::Select);
        selection.select(model.index(1, 4), QItemSelectionModel::Select);
        QCOMPARE(selectedRows(selection), QList<int>({1, 3}));
        QCOMPARE(commandRow(selection), 1);
        selection.setCurrentIndex(model.index(3, 0), QItemSelectionModel::NoUpdate);
        QCOMPARE(commandRow(selection), 3);
        selection.setCurrentIndex(model.index(2, 0), QItemSelectionModel::NoUpdate); // unselected
        QCOMPARE(commandRow(selection), 1);
        test::FakeDesktop desktop;
        desktop.setClipboard(filesMimeData(selectedPaths(model, selection)));
        const QMimeData &data = *desktop.clipboard;
        QCOMPARE(data.urls(), QList<QUrl>({QUrl("file:///m/b%20c.txt"), QUrl("file:///m/%C3%BC.mp3")}));
        QCOMPARE(data.text(), "/m/b c.txt\n/m/ü.mp3");
        QCOMPARE(data.data("x-special/gnome-copied-files"),
                 "copy\nfile:///m/b%20c.txt\nfile:///m/%C3%BC.mp3");
        using A = DoubleClickAction;
        QCOMPARE(doubleClickAction("True", "True", "a.txt"), A::OpenFile);
        QCOMPARE(doubleClickAction("False", "True", "a.txt"), A::OpenLocation);
        QCOMPARE(doubleClickAction("False", "False", "a.txt"), A::Nothing);
        QCOMPARE(doubleClickAction("True", "True", ""), A::Nothing);
    }
};

QTEST_MAIN(TestFileListModel)
#include "tst_file_list_model.moc"
