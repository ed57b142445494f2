// Orlith — desktop catalogue of removable media.
#include "core/capture/medium_probe.h"

#include "core/capture/medium_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;

class TestMediumProbe : public QObject
{
    Q_OBJECT

private slots:
    void images_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("uuid"); // "*": any, as long as there is one
        QTest::addColumn<QString>("fsType");
        QTest::newRow("FAT image") << "fat"
                                   << "LABEL"
                                   << "1234-ABCD"
                                   << "vfat";
        QTest::newRow("ISO 9660 image") << "iso"
                                        << "VOLID"
                                        << "*"
                                        << "iso9660";
        QTest::newRow("a file of no file system") << "plain"
                                                  << ""
                                                  << ""
                                                  << "";
        QTest::newRow("a folder inside a file system") << "folder"
                                                       << ""
                                                       << ""
                                                       << "";
    }

    void images()
    {
        QFETCH(QString, kind);
        QFETCH(QString, label);
        QFETCH(QString, uuid);
        QFETCH(QString, fsType);
        QTemporaryDir dir;
        QString path;
        if (kind == QLatin1String("fat"))
            path = makeFatImage(dir.path(), label, QStringLiteral("1234ABCD"));
        else if (kind == QLatin1String("iso"))
            path = makeIsoImage(dir.path(), label);
        else if (kind == QLatin1String("plain"))
            path = dir.filePath(QStringLiteral("plain.bin"));
        else
            path = dir.path();
        if (path.isEmpty())
            QSKIP("mkfs.vfat or xorriso is missing (scripts/test.sh installs them)");
        if (kind == QLatin1String("plain")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write(QByteArray(8192, 'x')) == 8192);
        }

        const MediumInfo medium = probeMedium(path);
        QCOMPARE(medium.label, label);
        QCOMPARE(medium.fsType, fsType);
        if (uuid == QLatin1String("*"))
            QVERIFY(!medium.uuid.isEmpty());
        else
            QCOMPARE(medium.uuid, uuid);
        if (!fsType.isEmpty())
            QCOMPARE(medium.capacity, QFileInfo(path).size());
        // What the disc file keeps of it.
        const DiscInfo info = discInfoOf(medium);
        QCOMPARE(info.label, medium.label);
        QCOMPARE(info.uuid, medium.uuid);
        QCOMPARE(info.hasMedium(), !fsType.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMediumProbe)
#include "tst_medium_probe.moc"
