// Orlith — desktop catalogue of removable media.
#include "capture_fixtures.h"
#include "core/capture/dir_walk.h"
#include "core/capture/drives.h"
#include "core/capture/file_date_text.h"
#include "core/store/date_text.h"

#include <QTemporaryDir>
#include <QTest>

#include <ctime>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

QStringList relativePaths(const DirWalk &walk, const QString &root)
{
    QStringList out;
    for (const FileEntry &e : walk.entries())
        out << e.path.mid(root.size() + 1) + (e.path.endsWith(e.name) ? "" : " (bad name)");
    return out;
}

bool removableForTest(const QString &device)
{
    return device == "/dev/sdb1"_L1 || device == "/dev/sdc1"_L1;
}

} // namespace

// The Linux side: folders walked, file dates, mounted media.
class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A zone with summer time, so the hour around each change is checked.
        qputenv("TZ", "Europe/Zagreb");
        ::tzset();
    }

    void orderHiddenAndLinks()
    {
        QTemporaryDir d;
        const QString r = d.path();
        for (const char *f : {"b.txt", "A.txt", "Zeta/z1", "alpha/Inner/deep.txt", "alpha/a2.txt",
                              ".hidden.txt", ".hiddendir/x.txt", "alpha/.h/y"})
            QVERIFY(makeFile(r + QLatin1Char('/') + QLatin1String(f), "1"));
        QVERIFY(QDir(r).mkdir(u"beta"_s));
        QVERIFY(QFile::link(u".."_s, r + u"/alpha/loop"_s));
        QVERIFY(QFile::link(r, r + u"/rootlink"_s));
        QVERIFY(QFile::link(u"b.txt"_s, r + u"/link_to_file"_s));
        QVERIFY(QFile::link(u"nowhere"_s, r + u"/broken"_s));

        // Sub-folders (name order, any letter case) with all their content come before a
        // folder's own files; hidden names and links to folders are left out.
        const QStringList expected =
            u"alpha/Inner/deep.txt alpha/a2.txt Zeta/z1 A.txt b.txt broken link_to_file"_s.split(
                ' ');
        DirWalk whole(r + QLatin1Char('/'));
        whole.runToEnd();
        QCOMPARE(relativePaths(whole, r), expected);
        QCOMPARE(whole.foldersRead(), 5);
        QVERIFY(whole.unreadableFolders().isEmpty());
        QCOMPARE(QFile::decodeName(whole.nativePath(3)), r + u"/A.txt"_s);
        // A file in the file-system root gets one "/" only.
        QCOMPARE(DirWalk::joinPath(u"/"_s, u"a&b"_s), u"/a&b"_s);
        QCOMPARE(DirWalk::joinPath(u"/mnt/cd"_s, u"a&b"_s), u"/mnt/cd/a&b"_s);

        // One name per step gives the same walk as a single run.
        DirWalk stepped(r);
        int steps = 0;
        while (!stepped.step(1))
            ++steps;
        QVERIFY(steps >= expected.size());
        QCOMPARE(relativePaths(stepped, r), expected);
    }

    void unreadableFoldersAreReported()
    {
        QTemporaryDir d;
        const QString r = d.path();
        QVERIFY(makeFile(r + u"/ok.txt"_s, "1"));
        const QString deep = makeTooDeepFolder(r);
        DirWalk walk(r);
        walk.runToEnd();
        removeTree(deep);

        QCOMPARE(walk.unreadableFolders().size(), 1);
        QVERIFY(walk.unreadableFolders().first().path.startsWith(deep + QLatin1Char('/')));
        QVERIFY(!walk.unreadableFolders().first().reason.isEmpty());
        QVERIFY(!walk.rootUnreadable());
        QCOMPARE(walk.entries().constLast().name, u"ok.txt"_s);

        DirWalk missing(r + u"/no such folder"_s);
        QVERIFY(missing.step(100));
        QVERIFY(missing.rootUnreadable());
        QCOMPARE(missing.unreadableFolders().size(), 1);
    }

    void dateTextMatchesStoreRule()
    {
        QList<qint64> seconds{0,          -1,         -86401,     1080435599,   1080435600,
                              1099184399, 1099184400, 1099187999, 2147483648LL, 4102444800LL};
        for (qint64 s = -300000000; s < 1800000000; s += 86413 * 3)
            seconds << s << s; // the same second twice comes from the last-text cache
        // ar_EG writes other digits than 0-9.
        for (const char *locale : {"C", "en_US", "de_DE", "hr_HR", "ar_EG"}) {
            const QLocale l(QString::fromLatin1(locale));
            FileDateText fast(l);
            for (qint64 s : std::as_const(seconds))
                QCOMPARE(fast.text(s), formatDateText(QDateTime::fromSecsSinceEpoch(s), l));
        }
    }

    void discDrivesFromMountInfo()
    {
        const QByteArray mountinfo =
            "22 1 0:21 / / rw - ext4 /dev/vda rw\n"
            "23 22 0:5 / /proc rw - proc proc rw\n"
            "30 22 11:0 / /media/cdrom ro shared:1 - iso9660 /dev/sr0 ro\n"
            "31 22 8:17 / /media/usb\\040stick rw shared:2 master:3 - vfat /dev/sdb1 rw\n"
            "32 22 7:0 / /mnt/iso ro - udf /dev/loop0 ro\n"
            "33 22 8:33 / /media/b rw - ext4 /dev/sdc1 rw\n"
            "34 22 8:2 / /media/old rw - iso9660 /dev/sda2 rw\n"
            "35 22 8:2 / /media/old rw - ext4 /dev/sda2 rw\n"
            "36 22 8:49 / /media/user/Backup rw - ext4 /dev/sdd1 rw\n"
            "37 22 0:50 / /mnt/share rw - cifs //server/share rw\n"
            "38 22 0:51 / /mnt rw - nfs server:/export rw\n"
            "39 22 8:50 / /run/media/u/DATA rw - ntfs3 /dev/sdd2 rw\n"
            "40 22 8:3 / /home/x rw - ext4 /dev/sda3 rw\n"
            "41 22 8:4 / /mnt2 rw - ext4 /dev/sda4 rw\n"
            "42 22 8:5 / /run/mediadata rw - ext4 /dev/sda5 rw\n"
            "broken line\n";
        const QList<LinuxDriveProvider::Mount> mounts =
            LinuxDriveProvider::parseMountInfo(mountinfo);
        QCOMPARE(mounts.size(), 15);
        QCOMPARE(mounts[3].mountPoint + mounts[3].fileSystem + mounts[3].source,
                 u"/media/usb stickvfat/dev/sdb1"_s);
        // Optical media, then removable media, then the rest of /media, /run/media and /mnt,
        // each in mount-point order; /media/old was mounted over by a fixed disk.
        QCOMPARE(LinuxDriveProvider::discDrivesOf(mounts, &removableForTest),
                 QStringList({u"/media/cdrom"_s, u"/mnt/iso"_s, u"/media/b"_s,
                              u"/media/usb stick"_s, u"/media/old"_s, u"/media/user/Backup"_s,
                              u"/mnt"_s, u"/mnt/share"_s, u"/run/media/u/DATA"_s}));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
