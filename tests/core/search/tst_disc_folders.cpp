// Orlith — desktop catalogue of removable media.
#include "core/search/disc_folders.h"
#include "core/search/duplicates.h"

#include "search_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace orlith;
using namespace Qt::StringLiterals;

namespace {

// "name(files,bytes){child child}", depth first from `index`.
QString render(const DiscFolders &folders, int index)
{
    const DiscFolders::Folder &f = folders.folder(index);
    QString text = f.name + u"(%1,%2)"_s.arg(f.files).arg(f.bytes);
    QStringList children;
    for (int c : f.children)
        children << render(folders, c);
    if (!children.isEmpty())
        text += u'{' + children.join(u' ') + u'}';
    return text;
}

} // namespace

class TestDiscFolders : public QObject
{
    Q_OBJECT

private slots:
    void buildsTree_data()
    {
        QTest::addColumn<QStringList>("paths"); // "path=size"
        QTest::addColumn<QString>("rootPath");
        QTest::addColumn<QString>("tree");
        QTest::newRow("backslash, nested sums")
            << QStringList{u"D:\\a.txt=10"_s, u"D:\\Photos\\x.jpg=100"_s,
                           u"D:\\Photos\\2020\\y.jpg=1000"_s, u"D:\\music\\z.mp3=5"_s}
            << u"D:"_s << u"D:(4,1115){music(1,5) Photos(2,1100){2020(1,1000)}}"_s;
        QTest::newRow("slash, under a mount point")
            << QStringList{u"/media/x/a=1"_s, u"/media/x/b/c=2"_s, u"/media/x/b/d/e=4"_s}
            << u"/media/x"_s << u"x(3,7){b(2,6){d(1,4)}}"_s;
        QTest::newRow("drive with one folder stays the root")
            << QStringList{u"E:/only/a=1"_s} << u"E:"_s << u"E:(1,1){only(1,1)}"_s;
        QTest::newRow("root-level files only")
            << QStringList{u"D:\\a=1"_s, u"D:\\b=2"_s} << u"D:"_s << u"D:(2,3)"_s;
        QTest::newRow("backslash in a Linux name")
            << QStringList{u"/m/a\\b.txt=3"_s, u"/m/c/d=1"_s} << u"/m"_s << u"m(2,4){c(1,1)}"_s;
        QTest::newRow("folders met out of order")
            << QStringList{u"/r/b/1=1"_s, u"/r/a/1=1"_s, u"/r/b/2=1"_s, u"/r/B/3=1"_s} << u"/r"_s
            << u"r(4,4){a(1,1) b(2,2) B(1,1)}"_s;
        QTest::newRow("sums stop at the limit")
            << QStringList{u"/r/a/x=9223372036854775807"_s, u"/r/b/y=5"_s} << u"/r"_s
            << u"r(2,9223372036854775807){a(1,9223372036854775807) b(1,5)}"_s;
        QTest::newRow("empty disc") << QStringList{} << QString() << u"(0,0)"_s;
    }
    void buildsTree()
    {
        QFETCH(QStringList, paths);
        QFETCH(QString, rootPath);
        QFETCH(QString, tree);
        DiscFolders folders;
        for (const QString &p : paths)
            folders.add(p.section(u'=', 0, 0), p.section(u'=', 1).toLongLong());
        folders.finish();
        QCOMPARE(folders.root().path, rootPath);
        QCOMPARE(render(folders, folders.rootIndex()), tree);
    }

    void scopesPaths_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("under");
        QTest::addColumn<bool>("directly");
        QTest::newRow("file in it") << u"D:\\Photos"_s << u"D:\\Photos\\a.jpg"_s << true << true;
        QTest::newRow("deeper, other separator")
            << u"D:\\Photos"_s << u"D:/Photos/2020/a.jpg"_s << true << false;
        QTest::newRow("name boundary")
            << u"D:\\Photo"_s << u"D:\\Photos\\a.jpg"_s << false << false;
        QTest::newRow("drive") << u"D:"_s << u"D:\\a"_s << true << true;
        QTest::newRow("Linux name with backslash") << u"/m"_s << u"/m/x\\y"_s << true << true;
        QTest::newRow("Linux name with backslash, no folder")
            << u"/m/x"_s << u"/m/x\\y"_s << false << false;
        QTest::newRow("the folder itself") << u"/m/x"_s << u"/m/x"_s << false << false;
    }
    void scopesPaths()
    {
        QFETCH(QString, folder);
        QFETCH(QString, path);
        QFETCH(bool, under);
        QFETCH(bool, directly);
        const FolderScope scope(folder);
        QCOMPARE(scope.contains(QStringView(path)), under);
        QCOMPARE(scope.contains(QByteArrayView(path.toUtf8())), under);
        QCOMPARE(scope.holdsDirectly(path), directly);
    }

    // Through disc files: a folder found by its name below the root lists its own files,
    // and duplicates keep to it.
    void readsDiscFile_data()
    {
        QTest::addColumn<QString>("disc");
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("duplicateGroups");
        QTest::newRow("root") << u"Three"_s << QString()
                              << QStringList{u"twice.bin"_s, u"big.iso"_s, u"lone2.txt"_s} << 1;
        QTest::newRow("subfolder") << u"Three"_s << u"x"_s << QStringList{u"twice.bin"_s} << 0;
        QTest::newRow("nested") << u"One"_s << u"c"_s << QStringList{u"song.MP3"_s} << 0;
        QTest::newRow("non-ASCII names at the root")
            << u"One"_s << QString()
            << QStringList{u"Song.mp3"_s, u"big.iso"_s, u"lone.txt"_s, u"ÉTÉ.txt"_s} << 1;
        QTest::newRow("no such folder") << u"One"_s << u"nope/c"_s << QStringList{} << -1;
    }
    void readsDiscFile()
    {
        QFETCH(QString, disc);
        QFETCH(QString, relative);
        QFETCH(QStringList, files);
        QFETCH(int, duplicateGroups);
        QTemporaryDir dir;
        test::makeDuplicatesStore(dir.path());
        DiscFolders folders;
        QVERIFY(readDiscFolders(dir.path(), disc, folders));
        const int at = folders.find(relative);
        QCOMPARE(at >= 0, duplicateGroups >= 0);
        if (at < 0)
            return;
        const FolderScope scope(folders.folder(at).path);
        QList<FileRow> rows;
        QVERIFY(listFolderFiles(dir.path(), disc, scope, rows));
        QStringList names;
        for (const FileRow &r : rows)
            names << r.name();
        QCOMPARE(names, files);
        QCOMPARE(findDuplicates(dir.path(), {disc}, 0, nullptr, {}, scope).groups.size(),
                 duplicateGroups);
    }
};

QTEST_GUILESS_MAIN(TestDiscFolders)
#include "tst_disc_folders.moc"
