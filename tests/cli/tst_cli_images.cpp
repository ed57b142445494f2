// Orlith — desktop catalogue of removable media.
// orlith-cli capture and rescan of a disc image or archive taken as the medium itself.
#include "core/capture/content_hash.h"
#include "core/capture/file_date_text.h"
#include "core/store/program_folder.h"

#include "core/capture/capture_fixtures.h"
#include "core/core_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

class TestCliImages : public QObject
{
    Q_OBJECT

    static constexpr qint64 kDate = 1079302206; // even: zip dates go in two-second steps

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = m_dir->filePath(u"data"_s);
        m_src = m_dir->filePath(u"src"_s);
        QVERIFY(ensureStoreFolders(m_store).ok());
        QCOMPARE(cli(m_store, {u"new-catalog"_s, u"C"_s}).code, 0);
        QVERIFY(makeFile(m_src + "/read me.txt"_L1, "12345", kDate) &&
                makeFile(m_src + "/Photos/2024/Ölberg.jpg"_L1, QByteArray(1536, 'j'), kDate) &&
                makeFile(m_src + "/Photos/empty.txt"_L1, {}, kDate));
    }

    void capture_data()
    {
        QTest::addColumn<QString>("kind"); // empty: not an image
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("info");
        QTest::newRow("iso") << u"iso"_s << u"Holiday.iso"_s << u"label=VOLID\n"_s;
        QTest::newRow("zip") << u"zip"_s << u"Holiday.zip"_s << u"label=\n"_s;
        QTest::newRow("noise named .iso") << QString() << u"Holiday.iso"_s << QString();
    }

    // Every member with its size, date and checksum under the image's path, folders as path
    // parts, and the volume label; a rescan reads the image again and finds nothing changed;
    // an unreadable image is an error that stores nothing.
    void capture()
    {
        QFETCH(QString, kind);
        QFETCH(QString, fileName);
        const QString image = m_dir->filePath(fileName);
        QVERIFY(kind.isEmpty() ? writeAll(image, QByteArray(70000, 'Z'))
                               : makeImage(kind, m_src, image));
        const CliRun run = cli(m_store, {u"capture"_s, u"--catalog"_s, u"C"_s, u"--name"_s, u"N"_s,
                                         u"--checksums"_s, image});
        const QString date = FileDateText().text(kDate);
        QVERIFY2(kind.isEmpty() ? run.says(1, "Cannot read "_L1 + image + " as a disc image"_L1)
                                : run.says(0, u"Ready.  3 files inserted from CD/DVD."_s),
                 qPrintable(run.err));
        // "path size date" of each entry below the image, each with its own bytes' checksum.
        QStringList captured;
        for (const FileEntry &e : stored(discFilePath(m_store, u"N"_s))) {
            const QString path = e.path.mid(image.size() + 1);
            captured << path + u' ' + QString::number(e.size) + u' ' + e.date;
            QCOMPARE(e.hash, contentHashText(readAll(m_src + u'/' + path)));
        }
        captured.sort();
        const QStringList members{"Photos/2024/Ölberg.jpg 1536 "_L1 + date,
                                  "Photos/empty.txt 0 "_L1 + date, "read me.txt 5 "_L1 + date};
        QCOMPARE(captured, kind.isEmpty() ? QStringList() : members);
        QFETCH(QString, info); // the image's volume label is the disc's
        QVERIFY(cli(m_store, {u"info"_s, u"N"_s}).out.contains(info));
        if (!kind.isEmpty())
            QVERIFY(
                cli(m_store, {"rescan", "N", image}).says(0, u"Added 0, removed 0, changed 0."_s));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_store, m_src;
};

QTEST_GUILESS_MAIN(TestCliImages)
#include "tst_cli_images.moc"
