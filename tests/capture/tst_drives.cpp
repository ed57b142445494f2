// Orlith — desktop catalogue of removable media.
#include "capture/drives.h"

#include <QDir>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace orlith;

namespace {

bool removableForTest(const QString &device)
{
    return device == QLatin1String("/dev/sdb1") || device == QLatin1String("/dev/sdc1");
}

} // namespace

class TestDrives : public QObject
{
    Q_OBJECT

private slots:
    void discDrivesFromMountInfo();
    void cCDFindsFirstDriveAndLabel();
    void realMachineMediaTest();
};

void TestDrives::discDrivesFromMountInfo()
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
        "broken line\n";
    const QList<LinuxDriveProvider::Mount> mounts = LinuxDriveProvider::parseMountInfo(mountinfo);
    QCOMPARE(mounts.size(), 8);
    QCOMPARE(mounts[3].mountPoint, QStringLiteral("/media/usb stick"));
    QCOMPARE(mounts[3].fileSystem, QStringLiteral("vfat"));
    QCOMPARE(mounts[3].source, QStringLiteral("/dev/sdb1"));
    // Optical media first, then removable media, each in mount-point order; /media/old
    // was mounted over by a fixed disk.
    QCOMPARE(LinuxDriveProvider::discDrivesOf(mounts, &removableForTest),
             QStringList({QStringLiteral("/media/cdrom"), QStringLiteral("/mnt/iso"),
                          QStringLiteral("/media/b"), QStringLiteral("/media/usb stick")}));
}

void TestDrives::cCDFindsFirstDriveAndLabel()
{
    QTemporaryDir d;
    const QString first = d.filePath(QStringLiteral("cd1"));
    const QString second = d.filePath(QStringLiteral("cd2"));
    QVERIFY(QDir().mkpath(first) && QDir().mkpath(second));
    FakeDriveProvider drives;
    {
        cCD none(drives);
        QVERIFY(!none.CDExists());
        QCOMPARE(none.CDDriveLetter(), QString());
        QCOMPARE(none.CDVolumeLabel(), QString());
        none.EjectCD();
        QVERIFY(drives.ejected().isEmpty());
    }
    drives.addDrive(first, QStringLiteral("  "));
    drives.addDrive(second, QStringLiteral("DATA"));
    cCD cd(drives);
    QVERIFY(cd.CDExists());
    QCOMPARE(cd.CDDriveLetter(), first);
    QCOMPARE(cd.CDVolumeLabel(), QStringLiteral("(no label)"));
    QCOMPARE(drives.volumeLabel(second), QStringLiteral("DATA"));
    cd.EjectCD();
    cd.CloseCD();
    QCOMPARE(drives.ejected(), QStringList{first});
    QCOMPARE(drives.closed(), QStringList{first});

    // Detection runs again before every read: a disc taken out is seen at once.
    drives.setMedia(first, false);
    QVERIFY(!drives.HasMedia(first));
    QCOMPARE(cd.CDVolumeLabel(), QString());
    QVERIFY(drives.HasMedia(second));
    QVERIFY(!drives.HasMedia(d.filePath(QStringLiteral("missing"))));
}

void TestDrives::realMachineMediaTest()
{
    LinuxDriveProvider drives;
    QTemporaryDir d;
    // A mount point that can be read has media; a folder inside a mount does not count.
    QVERIFY(drives.HasMedia(QStringLiteral("/")));
    QVERIFY(!drives.HasMedia(d.path()) || QStorageInfo(d.path()).rootPath() == d.path());
    QVERIFY(!drives.HasMedia(QString()));
    QCOMPARE(drives.volumeLabel(d.filePath(QStringLiteral("missing"))), QString());
    for (const QString &drive : drives.ListDiscDrives())
        QVERIFY2(QStorageInfo(drive).rootPath() == drive, qPrintable(drive));
}

QTEST_GUILESS_MAIN(TestDrives)
#include "tst_drives.moc"
