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
        QTest::addColumn<QString>("paths"); // "path=size ..."
        QTest::addColumn<QString>("tree");  // root path|"name(files,bytes){children}"
        const auto row = [](const char *tag, const char *paths, const char *tree) {
            QTest::newRow(tag) << QString(paths) << QString(tree);
        };
        row("backslash, nested sums",
            R"(D:\a.txt=10 D:\Photos\x.jpg=100 D:\Photos\2020\y.jpg=1000 D:\music\z.mp3=5)",
            "D:|D:(4,1115){music(1,5) Photos(2,1100){2020(1,1000)}}");
        row("slash, under a mount point", "/media/x/a=1 /media/x/b/c=2 /media/x/b/d/e=4",
            "/media/x|x(3,7){b(2,6){d(1,4)}}");
        row("drive with one folder stays the root", "E:/only/a=1", "E:|E:(1,1){only(1,1)}");
        row("backslash in a Linux name", R"(/m/a\b.txt=3 /m/c/d=1)", "/m|m(2,4){c(1,1)}");
        row("folders met out of order", "/r/b/1=1 /r/a/1=1 /r/b/2=1 /r/B/3=1",
            "/r|r(4,4){a(1,1) b(2,2) B(1,1)}");
        row("sums stop at the limit", "/r/a/x=9223372036854775807 /r/b/y=5",
            "/r|r(2,9223372036854775807){a(1,9223372036854775807) b(1,5)}");
        row("empty disc", "", "|(0,0)");
    }
    void buildsTree()
    {
        QFETCH(QString, paths);
        QFETCH(QString, tree);
        DiscFolders folders;
        for (const QString &p : paths.split(u' ', Qt::SkipEmptyParts))
            folders.add(p.section(u'=', 0, 0), p.section(u'=', 1).toLongLong());
        folders.finish();
        QCOMPARE(folders.root().path + u'|' + render(folders, folders.rootIndex()), tree);
    }

    void scopesPaths_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("under");
        QTest::addColumn<bool>("directly");
        const auto row = [](const char *tag, const char *folder, const char *path, bool under,
                            bool directly) {
            QTest::newRow(tag) << QString(folder) << QString(path) << under << directly;
        };
        row("file in it", R"(D:\Photos)", R"(D:\Photos\a.jpg)", true, true);
        row("name boundary", R"(D:\Photo)", R"(D:\Photos\a.jpg)", false, false);
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
        const auto row = [](const char *tag, const char *disc, const char *relative,
                            const char *files, int groups) {
            QTest::newRow(tag) << QString(disc) << QString(relative)
                               << QString::fromUtf8(files).split(u' ', Qt::SkipEmptyParts)
                               << groups;
        };
        row("subfolder", "Three", "x", "twice.bin", 0);
        row("non-ASCII names at the root", "One", "", "Song.mp3 big.iso lone.txt ÉTÉ.txt", 1);
        row("no such folder", "One", "nope/c", "", -1);
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
