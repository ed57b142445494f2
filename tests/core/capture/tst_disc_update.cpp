// Orlith — desktop catalogue of removable media.
// Updating a disc: the comparison, and applying it only to the disc file it was made against.
#include "core/capture/disc_update.h"
#include "core/store/disc_info.h"
#include "core/store/program_folder.h"

#include "core/capture/capture_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

QString paths(const QList<FileEntry> &list)
{
    QStringList out;
    for (const FileEntry &e : list)
        out << e.path.mid(3);
    return out.join(u',');
}

} // namespace

class TestDiscUpdate : public QObject
{
    Q_OBJECT

private slots:
    void compares_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("walked");
        QTest::addColumn<QString>("expected"); // added | removed | changed
        const QStringList base{"a 1 d1", "s/b 2 d1"};
        QTest::newRow("same") << base << base << "||";
        QTest::newRow("added") << base << (base + QStringList{"c 3 d1"}) << "c||";
        QTest::newRow("removed") << base << QStringList{"a 1 d1"} << "|s/b|";
        QTest::newRow("touched") << base << QStringList{"a 1 d1", "s/b 2 d2"} << "||s/b";
        QTest::newRow("moved") << base << QStringList{"a 1 d1", "t/b 2 d1"} << "t/b|s/b|";
        // A name differing in letter case is another file on Linux.
        QTest::newRow("case") << base << QStringList{"A 1 d1", "s/b 2 d1"} << "A|a|";
        // A path a saved list holds twice is matched once.
        QTest::newRow("twice") << QStringList{"a 1 d1", "a 1 d1"} << QStringList{"a 1 d1"} << "|a|";
    }
    void compares()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, walked);
        QFETCH(QString, expected);
        const DiscUpdate u = compareDisc(entries(stored), entries(walked));
        QCOMPARE(paths(u.added) + u'|' + paths(u.removed) + u'|' + paths(u.changed), expected);
        QCOMPARE(u.isEmpty(), expected == "||"_L1);
        QCOMPARE(paths(u.entries), paths(entries(walked)));
    }

    void keepsFilesOfUnreadableFolders()
    {
        const DiscUpdate u = compareDisc(entries({"a 1 d", "locked/x 2 d", "lockedness 3 d"}),
                                         entries({"a 1 d"}), {{"/m/locked"_L1, "denied"_L1}});
        QCOMPARE(paths(u.removed), "lockedness"_L1);
        QCOMPARE(paths(u.entries), "a,locked/x"_L1);
        QCOMPARE(u.kept, 1);
        QCOMPARE(updateSummary(u), "Added 0, removed 1, changed 0."_L1);
    }

    // A walk with checksums finds a change that kept size and date; one without keeps the
    // stored checksum of a file it finds unchanged.
    void checksumsInTheComparison_data()
    {
        QTest::addColumn<QByteArray>("storedHash");
        QTest::addColumn<QByteArray>("walkedHash");
        QTest::addColumn<int>("walkedSize");
        QTest::addColumn<QString>("expected"); // changed count|checksum kept
        const auto row = [](const char *tag, const char *stored, const char *walked, int size,
                            const char *expected) {
            QTest::newRow(tag) << QByteArray(stored) << QByteArray(walked) << size
                               << QString(expected);
        };
        row("walk without, unchanged", "h1", "", 1, "0|h1");
        row("walk without, new size", "h1", "", 2, "1|");
        row("same checksum", "h1", "h1", 1, "0|h1");
        row("other checksum", "h1", "h2", 1, "1|h2");
        row("first checksum", "", "h2", 1, "0|h2");
    }
    void checksumsInTheComparison()
    {
        QFETCH(QByteArray, storedHash);
        QFETCH(QByteArray, walkedHash);
        QFETCH(int, walkedSize);
        QFETCH(QString, expected);
        QList<FileEntry> before = entries({"a 1 d"});
        before[0].hash = storedHash;
        QList<FileEntry> walked = entries({u"a %1 d"_s.arg(walkedSize)});
        walked[0].hash = walkedHash;
        const DiscUpdate u = compareDisc(before, walked);
        QCOMPARE(QString::number(u.changed.size()) + u'|' +
                     QString::fromLatin1(u.entries.first().hash),
                 expected);
    }

    void commonFolder_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QString>("folder");
        QTest::newRow("root") << QStringList{"/media/s/a", "/media/s/x/b"} << "/media/s";
        QTest::newRow("prefix is not a folder")
            << QStringList{"/media/stick/a", "/media/st/b"} << "/media";
        QTest::newRow("system root") << QStringList{"/a", "/b/c"} << "/";
        QTest::newRow("windows") << QStringList{"D:\\a"} << QString();
    }
    void commonFolder()
    {
        QFETCH(QStringList, paths);
        QFETCH(QString, folder);
        QList<FileEntry> list;
        for (const QString &p : paths)
            list.append({p.section(u'/', -1), p, 0, {}});
        QCOMPARE(orlith::commonFolder(list), folder);
    }

    // An update writes only to the disc file it compared against: one that went away, or
    // whose name now belongs to another disc (a rename swap during the walk), is left exactly
    // as it is; one that is applied keeps the disc's identity and place. (Rewritten meanwhile takes
    // the swap's branch; tst_update_reports shows it.)
    void applyOnlyToWhatWasRead_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("nothing") << QString() << QString();
        QTest::newRow("removed") << u"rm D"_s << u"no longer in the store"_s;
        QTest::newRow("renamed away, another renamed in") << u"swap"_s << u"changed by another"_s;
    }
    void applyOnlyToWhatWasRead()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QString, refusal);
        QTemporaryDir store;
        QVERIFY(ensureStoreFolders(store.path()).ok());
        const QString d = discFilePath(store.path(), u"D"_s);
        const QString e = discFilePath(store.path(), u"E"_s);
        QVERIFY(writeDiscFile(d, u"Cat"_s, entries({"a 1 d"})).ok());
        QVERIFY(writeDiscFile(e, u"Cat"_s, entries({"e 5 d", "f 6 d"})).ok());
        DiscInfo info;
        info.uuid = u"1234-ABCD"_s;
        info.location = u"Shelf 2"_s;
        QByteArray withInfo;
        QVERIFY(replaceDiscInfo(readAll(d), info, withInfo) && writeAll(d, withInfo));
        QList<FileEntry> before;
        DiscIdentity readAs;
        QVERIFY(readDiscForUpdate(store.path(), u"D"_s, before, readAs).ok());
        if (meanwhile == "rm D"_L1)
            QVERIFY(QFile::remove(d));
        if (meanwhile == "swap"_L1)
            QVERIFY(QFile::rename(d, d + "x.xml"_L1) && QFile::rename(e, d));
        const QByteArray bytes = QFile::exists(d) ? readAll(d) : QByteArray();

        const StoreResult r = applyDiscUpdate(store.path(), u"D"_s, entries({"b 2 d"}), readAs);
        QVERIFY2(refusal.isEmpty() ? r.ok() : r.error.contains(refusal), qPrintable(r.error));
        if (refusal.isEmpty())
            QCOMPARE(paths(stored(d)) + readDiscInfoFromFile(d).location, "bShelf 2"_L1);
        else
            QCOMPARE(QFile::exists(d) ? readAll(d) : QByteArray(), bytes);
    }
};

QTEST_GUILESS_MAIN(TestDiscUpdate)
#include "tst_disc_update.moc"
