// Orlith — desktop catalogue of removable media.
#include "core/store/disc_file.h"
#include "core/store/disc_info.h"
#include "core/store/program_folder.h"
#include "core/store/store_edits.h"

#include "core/core_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(orlith::DiscInfo)

using namespace orlith;
using namespace orlith::test;

namespace {

const QList<FileEntry> kEntries{{"a.txt", "/a.txt", 10, "1.1.2024 10:00:00"},
                                {"b.txt", "/d/b.txt", 20, "2.1.2024 10:00:00"}};

DiscInfo medium(const QString &label, const QString &uuid, qint64 capacity)
{
    DiscInfo info;
    info.label = label;
    info.uuid = uuid;
    info.fsType = QStringLiteral("vfat");
    info.capacity = capacity;
    return info;
}

} // namespace

class TestDiscInfo : public QObject
{
    Q_OBJECT

private slots:
    // Whatever the values hold, the line stays one line, reads back the same, and the
    // readers of the catalog and the entries see the file as without it.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("line breaks") << "shelf 3\r\n<file_info>\nbox\t9";
        QTest::newRow("markup, entity text") << "<file_name>x</file_name> &amp; &#10; &bogus; &";
        QTest::newRow("beyond Latin-1") << "Полка №7 — 棚";
    }

    void roundTrip()
    {
        QFETCH(QString, value);
        DiscInfo info = medium(value, value, 4194304);
        info.free = 0;
        info.media = value;
        info.drive = value;
        info.location = value;
        info.number = QStringLiteral("A12");
        const QByteArray plain = discFileBytes(QStringLiteral("Music"), kEntries);
        const QByteArray bytes = discFileBytes(QStringLiteral("Music"), kEntries, info);
        QCOMPARE(bytes.count('\n'), plain.count('\n') + 1);
        QCOMPARE(readDiscInfo(bytes), info);
        QCOMPARE(readDiscInfo(plain), DiscInfo());
        QCOMPARE(readCatalogName(bytes), QStringLiteral("Music"));
        QCOMPARE(countFileEntries(bytes), kEntries.size());
        const auto entries = [](const QByteArray &file) {
            QStringList out;
            DiscReader reader(file);
            for (FileEntry e; reader.nextEntry(e);)
                out << QStringList{e.name, e.path, QString::number(e.size), e.date}.join(u'|');
            return out;
        };
        QCOMPARE(entries(bytes), entries(plain));
    }

    // The drive follows the media type, escaped like the rest; a line without one, as written
    // before drives were known, stays the same bytes and reads with no drive.
    void driveAttribute_data()
    {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("known") << "HL-DT-ST \"DVD\" <A&B>"
                               << QByteArray(R"(media="DVD+R" drive="HL-DT-ST &quot;DVD&quot; )"
                                             R"(&lt;A&amp;B&gt;" location="")");
        QTest::newRow("unknown") << "" << QByteArray(R"(media="DVD+R" location="")");
    }

    void driveAttribute()
    {
        QFETCH(QString, drive);
        QFETCH(QByteArray, written);
        DiscInfo info = medium(QStringLiteral("L"), {}, 1);
        info.media = QStringLiteral("DVD+R");
        info.drive = drive;
        const QByteArray line = discInfoLine(info);
        QVERIFY2(line.contains(written), line.constData());
        DiscInfo read;
        QVERIFY(parseDiscInfoLine(line, read));
        QCOMPARE(read, info);
    }

    // A rewrite of the disc file keeps the line (tst_disc_recognition's placeTyped sets the
    // place; tst_store_attacks refuses a file changed since it was read).
    void rewritesKeepIt()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("D1"));
        const DiscInfo info = medium(QStringLiteral("LABEL"), QStringLiteral("1234-ABCD"), 4096);
        QVERIFY(writeDiscFile(path, QStringLiteral("Music"), kEntries, AtomicFile::Kind::StoreFile,
                              info)
                    .ok());
        QVERIFY(writeAll(path, rewriteCatalogLine(readAll(path), QStringLiteral("Songs"))));
        QCOMPARE(readDiscInfoFromFile(path), info);
        QCOMPARE(readCatalogNameFromFile(path), QStringLiteral("Songs"));
    }

    void findByMedium_data()
    {
        QTest::addColumn<DiscInfo>("probed");
        QTest::addColumn<QString>("disc");
        QTest::newRow("by UUID, whatever the label") << medium("OTHER", "1234-ABCD", 1) << "ByUuid";
        QTest::newRow("by label and capacity") << medium("PHOTOS", "", 700) << "ByLabel";
        QTest::newRow("label with another capacity") << medium("PHOTOS", "", 701) << "";
        QTest::newRow("label and capacity, another UUID")
            << medium("PHOTOS", "9999-0000", 700) << "";
        QTest::newRow("nothing the medium says") << DiscInfo() << "";
    }

    void findByMedium()
    {
        QFETCH(DiscInfo, probed);
        QFETCH(QString, disc);
        QTemporaryDir dir;
        const QString root = dir.path();
        QVERIFY(ensureStoreFolders(root).ok());
        const auto write = [&](const char *name, const DiscInfo &info) {
            return writeDiscFile(discFilePath(root, QLatin1String(name)), QStringLiteral("Cat"),
                                 kEntries, AtomicFile::Kind::StoreFile, info)
                .ok();
        };
        // "ByLabel" sorts first: a UUID match still wins over it.
        QVERIFY(write("ByLabel", medium("PHOTOS", "5555-6666", 700)));
        QVERIFY(write("ByUuid", medium("PHOTOS", "1234-ABCD", 700)));
        QVERIFY(write("Plain", DiscInfo()));
        const MediumMatch match = findDiscByMedium(root, probed);
        QCOMPARE(match.disc, disc);
        QCOMPARE(match.catalog, disc.isEmpty() ? QString() : QStringLiteral("Cat"));
    }
};

QTEST_GUILESS_MAIN(TestDiscInfo)
#include "tst_disc_info.moc"
