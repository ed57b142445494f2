// Orlith — desktop catalogue of removable media.
#include "support/window_fixture.h"

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

QStringList childTexts(const QTreeWidgetItem *item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

QStringList listedNames(MainWindow &form)
{
    QStringList names;
    for (const FileRow &row : form.listModel().rows())
        names << row.name();
    names.sort();
    return names;
}

} // namespace

class TestFolderBrowsing : public QObject
{
    Q_OBJECT

    WindowFixture fx;

    // A disc made on Windows, with a folder whose name starts like another's.
    void makeStore()
    {
        QVERIFY(writeAll(catalogOrderPath(fx.root()), "Cat\r\n"));
        const auto e = [](const char *path, qint64 size) {
            const QString p = QString::fromLatin1(path);
            return FileEntry{p.section(u'\\', -1), p, size, u"1 Jan 2020"_s};
        };
        fx.writeDisc(u"Disc"_s, u"Cat"_s,
                     {e("D:\\readme.txt", 1), e("D:\\Photos\\a.jpg", 1024),
                      e("D:\\Photos\\b.txt", 1024), e("D:\\Photos\\2020\\c.jpg", 2048),
                      e("D:\\Photosx\\d.jpg", 5), e("D:\\Music\\a.mp3", 7)});
    }

    // Expands the disc and then each folder of `relative`; the last node is selected.
    QTreeWidgetItem *openFolder(MainWindow &form, const QString &relative)
    {
        QTreeWidgetItem *item = form.tree().findNode(u"Disc"_s);
        for (const QString &name : relative.split(u'/')) {
            item->setExpanded(true);
            QTreeWidgetItem *next = nullptr;
            for (int i = 0; i < item->childCount(); ++i) {
                if (item->child(i)->text(0) == name)
                    next = item->child(i);
            }
            if (!next)
                return nullptr;
            item = next;
        }
        form.tree().setCurrentItem(item);
        return item;
    }

private slots:
    void init() { fx.reset(); }

    void listsAndScopesAFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("findText");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("folder with a subfolder")
            << u"Photos"_s << u"3 files, 4.00 KB"_s << QStringList{u"a.jpg"_s, u"b.txt"_s}
            << u".jpg"_s << QStringList{u"a.jpg"_s, u"c.jpg"_s};
        QTest::newRow("nested folder")
            << u"Photos/2020"_s << u"1 file, 2.00 KB"_s << QStringList{u"c.jpg"_s} << QString()
            << QStringList{u"c.jpg"_s};
        QTest::newRow("folder beside others")
            << u"Music"_s << u"1 file, 0.01 KB"_s << QStringList{u"a.mp3"_s} << u"a."_s
            << QStringList{u"a.mp3"_s};
    }
    void listsAndScopesAFolder()
    {
        QFETCH(QString, folder);
        QFETCH(QString, tip);
        QFETCH(QStringList, listed);
        QFETCH(QString, findText);
        QFETCH(QStringList, found);
        makeStore();
        auto form = fx.open();
        QTreeWidgetItem *node = openFolder(*form, folder);
        QVERIFY(node);
        QCOMPARE(childTexts(form->tree().findNode(u"Disc"_s)),
                 (QStringList{u"Music"_s, u"Photos"_s, u"Photosx"_s}));
        QCOMPARE(node->toolTip(0), tip);
        QCOMPARE(form->detailsPane().shownDisc(), u"Disc"_s);

        QTest::keyClick(&form->tree(), Qt::Key_Return);
        QCOMPARE(listedNames(*form), listed);

        form->findChild<QLineEdit *>(u"txtFind"_s)->setText(findText);
        QSignalSpy done(form.get(), &MainWindow::listSearchFinished);
        form->findFiles();
        QVERIFY(done.wait(10000));
        QCOMPARE(listedNames(*form), found);
        QVERIFY(fx.messages.boxes.isEmpty());
    }

    // The disc node itself still lists the whole disc; a disc deleted elsewhere while its
    // folders are open leaves the tree without it.
    void discNodeAndRefresh()
    {
        makeStore();
        auto form = fx.open();
        QVERIFY(openFolder(*form, u"Photos/2020"_s));
        form->tree().selectNode(u"Disc"_s);
        QTest::keyClick(&form->tree(), Qt::Key_Return);
        QCOMPARE(form->listModel().rowCount(), 6);

        QVERIFY(openFolder(*form, u"Photos/2020"_s));
        QVERIFY(QFile::remove(discFilePath(fx.root(), u"Disc"_s)));
        form->refreshFromStore();
        QVERIFY(!form->tree().findNode(u"Disc"_s));
    }
};

QTEST_MAIN(TestFolderBrowsing)
#include "tst_folder_browsing.moc"
