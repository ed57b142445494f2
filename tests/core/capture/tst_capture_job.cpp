// Orlith — desktop catalogue of removable media.
#include "capture_fixtures.h"
#include "core/capture/capture_job.h"
#include "core/capture/drives.h"
#include "core/store/catalogue_index.h"
#include "core/store/date_text.h"
#include "core/store/program_folder.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray record(const QByteArray &name, const QByteArray &path, const QByteArray &size,
                  qint64 mtime)
{
    const QByteArray date = formatDateText(QDateTime::fromSecsSinceEpoch(mtime)).toLatin1();
    return "<file_info>\r\n    <file_name>" + name + "</file_name>\r\n    <file_path>" + path +
           "</file_path>\r\n    <file_size>" + size + "</file_size>\r\n    <file_date>" + date +
           "</file_date>\r\n</file_info>\r\n";
}

} // namespace

class TestCaptureJob : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_data = m_dir->filePath(u"data"_s);
        m_tree = m_dir->filePath(u"disc"_s);
        QVERIFY(ensureStoreFolders(m_data).ok() && QDir().mkpath(m_tree));
        m_index.clear();
        QVERIFY(m_index.addCatalog(u"Music & more"_s));
    }

    void discFileIsByteExact()
    {
        QVERIFY(makeFile(m_tree + u"/a&b.txt"_s, "hello", 1079302205));
        QVERIFY(makeFile(m_tree + u"/Docs/report, v2.doc"_s, QByteArray(1536, 'r'), 1100000000));
        QVERIFY(makeFile(m_tree + u"/Docs/café.txt"_s, "é", 1200000000));
        QVERIFY(makeFile(m_tree + u"/Docs/Sub/deep.bin"_s, "", 900000000));

        CaptureJob job({m_data, u"Disc"_s, u"music & MORE"_s, m_tree});
        QVERIFY(captureFolder(job, m_index).ok());
        QCOMPARE(job.phase(), CaptureJob::Phase::Done);

        // Written as the index spells the catalog; paths in the folder's own form, one "/"
        // between folder and name; "&" and "," as they are; "é" in ISO-8859-1.
        const QByteArray t = QFile::encodeName(m_tree);
        const QByteArray expected =
            QByteArray(kXmlDeclaration) + "\r\n\r\n<cd-dvd>\r\n" +
            "<catalog>Music & more</catalog>\r\n" +
            record("deep.bin", t + "/Docs/Sub/deep.bin", " 0", 900000000) +
            record("caf\xE9.txt", t + "/Docs/caf\xE9.txt", " 2", 1200000000) +
            record("report, v2.doc", t + "/Docs/report, v2.doc", " 1536", 1100000000) +
            record("a&b.txt", t + "/a&b.txt", " 5", 1079302205) + "</cd-dvd>\r\n";
        QCOMPARE(readBytes(discFilePath(m_data, u"Disc"_s)), expected);
        QCOMPARE(m_index.catalogs().first().discs, QStringList{u"Disc"_s});

        const FileRow row = job.rows(2, 1).value(0);
        QCOMPARE(row.sizeText() + QLatin1Char(' ') + row.disc(), u"1.50 Disc"_s);
    }

    void progressAndCancel_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("cancelIn"); // the phase whose first report cancels; -1: none
        QTest::newRow("empty disc") << 0 << -1;
        QTest::newRow("3000 files") << 3000 << -1;
        QTest::newRow("cancel while walking") << 3000 << int(CaptureJob::Phase::Walking);
        QTest::newRow("cancel while filling") << 3000 << int(CaptureJob::Phase::Filling);
    }

    void progressAndCancel()
    {
        QFETCH(int, files);
        QFETCH(int, cancelIn);
        for (int i = 0; i < files; ++i)
            QVERIFY(makeFile(m_tree + u"/f%1.txt"_s.arg(i, 5, 10, QLatin1Char('0')), "x"));
        FakeDriveProvider drives;
        drives.addDrive(m_tree);
        CaptureJob job({m_data, u"Big"_s, u"Music & more"_s, m_tree, /*ejectAfter=*/true, &drives});
        std::atomic<bool> cancel = false;
        QStringList texts;
        qsizetype lastFilled = 0;
        job.setProgressCallback([&](const CaptureJob &j) {
            QVERIFY(j.filledCount() >= lastFilled);
            lastFilled = j.filledCount();
            if (texts.isEmpty() || texts.last() != j.progressText())
                texts << j.progressText();
            if (int(j.phase()) == cancelIn)
                cancel = true;
            QVERIFY(drives.ejected().isEmpty() || j.phase() == CaptureJob::Phase::Done);
        });
        QVERIFY(job.run(&cancel).ok());

        if (cancelIn >= 0) {
            QCOMPARE(job.phase(), CaptureJob::Phase::Cancelled);
            QVERIFY(!QFile::exists(discFilePath(m_data, u"Big"_s)));
            QVERIFY(QDir(m_data + u"/cds"_s).isEmpty());
            QVERIFY(drives.ejected().isEmpty());
            return;
        }
        QCOMPARE(job.phase(), CaptureJob::Phase::Done);
        QCOMPARE(texts.first(), u"Inserting files from CD... "_s);
        QCOMPARE(texts.at(1), u"Please wait..."_s);
        QCOMPARE(texts.last(), u"Done. 100% completed."_s);
        for (const QString &t : texts.mid(2, texts.size() - 3))
            QVERIFY2(QRegularExpression(u"^Getting files info\\.\\.\\. \\d+ % completed\\.$"_s)
                         .match(t)
                         .hasMatch(),
                     qPrintable(t));
        QCOMPARE(job.statusText(), u"Ready.  %1 files inserted from CD/DVD."_s.arg(files));
        QCOMPARE(job.filledCount(), files);
        QCOMPARE(CountFileEntries(m_data, u"Big"_s), QString::number(files));
        QCOMPARE(drives.ejected(), QStringList{m_tree});
    }

    void failuresWriteNothing()
    {
        QVERIFY(makeFile(m_tree + u"/x.txt"_s, "x"));
        QVERIFY(m_index.addDisc(u"Music & more"_s, u"Taken"_s));
        QVERIFY(makeFile(discFilePath(m_data, u"Taken"_s), "old bytes"));

        // A folder that is missing, a name taken since the check, a catalog gone.
        const QList<QStringList> cases{{u"New"_s, u"Music & more"_s, m_tree + u"/missing"_s},
                                       {u"taken"_s, u"Music & more"_s, m_tree},
                                       {u"New"_s, u"No such catalog"_s, m_tree}};
        for (const QStringList &c : cases) {
            CaptureJob job({m_data, c[0], c[1], c[2]});
            const StoreResult r = captureFolder(job, m_index);
            QVERIFY(!r.ok() && job.failed());
            QCOMPARE(r.error, job.error());
            QVERIFY2(!QFile::exists(discFilePath(m_data, u"New"_s)), qPrintable(r.error));
        }
        QCOMPARE(readBytes(discFilePath(m_data, u"Taken"_s)), QByteArray("old bytes"));
        QCOMPARE(m_index.discCount(), 1);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_data;
    QString m_tree;
    CatalogueIndex m_index;
};

QTEST_GUILESS_MAIN(TestCaptureJob)
#include "tst_capture_job.moc"
