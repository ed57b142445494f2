// Orlith — desktop catalogue of removable media.
// A disc image or archive captured as the medium itself, its kind told by its content.
#include "core/capture/capture_job.h"
#include "core/store/program_folder.h"

#include "core/capture/capture_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

class TestImageCapture : public QObject
{
    Q_OBJECT

private slots:
    void capture_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("error"); // empty: captured
        QTest::newRow("iso named .img") << u"iso"_s << u"x.img"_s << QString();
        QTest::newRow("7z named .bin") << u"7zip"_s << u"x.bin"_s << QString();
        QTest::newRow("tar cut short") << u"pax"_s << u"x.tar"_s << u"damaged or truncated"_s;
    }

    // Members under the image's path; an image not read to its end stores nothing.
    void capture()
    {
        QFETCH(QString, kind);
        QFETCH(QString, fileName);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString image = dir.filePath(fileName), store = dir.filePath(u"data"_s);
        QVERIFY(makeFile(dir.filePath(u"src/a.txt"_s), "12345") &&
                makeFile(dir.filePath(u"src/sub/c.bin"_s), QByteArray(1536, 'c')) &&
                makeImage(kind, dir.filePath(u"src"_s), image));
        if (!error.isEmpty())
            QVERIFY(QFile::resize(image, QFileInfo(image).size() / 2));
        CatalogueIndex index;
        QVERIFY(makeCaptureStore(dir.path(), index));
        CaptureJob job({store, u"N"_s, u"Music & more"_s, image});
        const StoreResult r = captureFolder(job, index);
        QStringList got;
        for (const FileEntry &e : stored(discFilePath(store, u"N"_s)))
            got << e.path.mid(image.size()) + u' ' + QString::number(e.size);
        got.sort();
        const QStringList members{u"/a.txt 5"_s, u"/sub/c.bin 1536"_s};
        QCOMPARE(got, error.isEmpty() ? members : QStringList());
        QVERIFY2(error.isEmpty() ? r.ok() : r.error.contains(error), qPrintable(r.error));
    }
};

QTEST_GUILESS_MAIN(TestImageCapture)
#include "tst_image_capture.moc"
