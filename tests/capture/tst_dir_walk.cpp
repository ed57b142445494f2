// Orlith — desktop catalogue of removable media.
#include "capture/dir_walk.h"
#include "capture/file_date_text.h"
#include "capture_fixtures.h"
#include "store/date_text.h"

#include <QTemporaryDir>
#include <QTest>

#include <ctime>

#include <unistd.h>

using namespace orlith;
using namespace orlith::test;

namespace {

QStringList relativePaths(const DirWalk &walk, const QString &root)
{
    QStringList out;
    for (const FileEntry &e : walk.entries()) {
        out << e.path.mid(root.size() + 1);
        if (!e.path.endsWith(QLatin1Char('/') + e.name))
            out << QStringLiteral("name does not end the path: ") + e.path;
    }
    return out;
}

} // namespace

class TestDirWalk : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void orderHiddenAndLinks();
    void joinPath_data();
    void joinPath();
    void unreadableFoldersAreReported();
    void dateTextMatchesStoreRule_data();
    void dateTextMatchesStoreRule();
};

void TestDirWalk::initTestCase()
{
    // A zone with summer time, so the hour around each change is checked.
    qputenv("TZ", "Europe/Zagreb");
    ::tzset();
}

void TestDirWalk::orderHiddenAndLinks()
{
    QTemporaryDir d;
    const QString r = d.path();
    for (const char *f : {"b.txt", "A.txt", "Zeta/z1", "alpha/Inner/deep.txt", "alpha/a2.txt",
                          ".hidden.txt", ".hiddendir/x.txt", "alpha/.h/y"})
        QVERIFY(makeFile(r + QLatin1Char('/') + QLatin1String(f), "1"));
    QVERIFY(QDir(r).mkdir(QStringLiteral("beta")));
    QVERIFY(QFile::link(QStringLiteral(".."), r + QStringLiteral("/alpha/loop")));
    QVERIFY(QFile::link(r, r + QStringLiteral("/rootlink")));
    QVERIFY(QFile::link(QStringLiteral("b.txt"), r + QStringLiteral("/link_to_file")));
    QVERIFY(QFile::link(QStringLiteral("nowhere"), r + QStringLiteral("/broken")));

    // Sub-folders (name order, any letter case) with all their content come before a
    // folder's own files; hidden names and links to folders are left out.
    const QStringList expected{QStringLiteral("alpha/Inner/deep.txt"), QStringLiteral("alpha/a2.txt"),
                               QStringLiteral("Zeta/z1"),           QStringLiteral("A.txt"),
                               QStringLiteral("b.txt"),             QStringLiteral("broken"),
                               QStringLiteral("link_to_file")};
    DirWalk whole(r + QLatin1Char('/'));
    whole.runToEnd();
    QCOMPARE(relativePaths(whole, r), expected);
    QCOMPARE(whole.foldersRead(), 5);
    QVERIFY(whole.unreadableFolders().isEmpty());
    QCOMPARE(QFile::decodeName(whole.nativePath(3)), r + QStringLiteral("/A.txt"));

    // One name per step gives the same walk as a single run.
    DirWalk stepped(r);
    int steps = 0;
    while (!stepped.step(1))
        ++steps;
    QVERIFY(steps >= expected.size());
    QCOMPARE(relativePaths(stepped, r), expected);
}

void TestDirWalk::joinPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file-system root") << "/" << "/a&b.txt";
    QTest::newRow("mount point") << "/media/cdrom" << "/media/cdrom/a&b.txt";
}

void TestDirWalk::joinPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(DirWalk::joinPath(folder, QStringLiteral("a&b.txt")), expected);
}

void TestDirWalk::unreadableFoldersAreReported()
{
    QTemporaryDir d;
    const QString r = d.path();
    QVERIFY(makeFile(r + QStringLiteral("/ok.txt"), "1"));
    const QString deep = makeTooDeepFolder(r);
    const bool asRoot = ::geteuid() == 0;
    if (!asRoot) {
        QVERIFY(makeFile(r + QStringLiteral("/locked/secret.txt"), "1"));
        QVERIFY(QFile::setPermissions(r + QStringLiteral("/locked"), QFileDevice::Permissions()));
    }
    DirWalk walk(r);
    walk.runToEnd();
    QFile::setPermissions(r + QStringLiteral("/locked"), QFileDevice::ReadOwner
                              | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    removeTree(deep);

    QCOMPARE(walk.unreadableFolders().size(), asRoot ? 1 : 2);
    for (const UnreadableFolder &u : walk.unreadableFolders()) {
        QVERIFY(u.path.startsWith(r + QLatin1Char('/')));
        QVERIFY(!u.reason.isEmpty());
    }
    QVERIFY(!walk.rootUnreadable());
    QCOMPARE(walk.entries().constLast().name, QStringLiteral("ok.txt"));

    DirWalk missing(r + QStringLiteral("/no such folder"));
    QVERIFY(missing.step(100));
    QVERIFY(missing.rootUnreadable());
    QCOMPARE(missing.unreadableFolders().size(), 1);
}

void TestDirWalk::dateTextMatchesStoreRule_data()
{
    QTest::addColumn<QString>("locale");
    for (const char *name : {"C", "en_US", "de_DE", "hr_HR", "ar_EG"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestDirWalk::dateTextMatchesStoreRule()
{
    QFETCH(QString, locale);
    const QLocale l(locale);
    FileDateText fast(l);
    QList<qint64> seconds{0, -1, -86401, 1080435599, 1080435600, 1099184399, 1099184400,
                          1099187999, 2147483648LL, 4102444800LL};
    for (qint64 s = -300000000; s < 1800000000; s += 86413 * 3)
        seconds << s << s; // the same second twice comes from the last-text cache
    for (qint64 s : std::as_const(seconds)) {
        const QString expected = formatDateText(QDateTime::fromSecsSinceEpoch(s), l);
        QCOMPARE(fast.text(s), expected);
    }
}

QTEST_GUILESS_MAIN(TestDirWalk)
#include "tst_dir_walk.moc"
