// Orlith — desktop catalogue of removable media.
#include "capture/capture_job.h"
#include "capture/drives.h"
#include "capture_fixtures.h"
#include "store/catalogue_index.h"
#include "store/date_text.h"
#include "store/program_folder.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;

namespace {

QByteArray record(const QByteArray &name, const QByteArray &path, const QByteArray &size, qint64 mtime)
{
    const QByteArray date = formatDateText(QDateTime::fromSecsSinceEpoch(mtime)).toLatin1();
    return "<file_info>\r\n    <file_name>" + name + "</file_name>\r\n    <file_path>" + path
        + "</file_path>\r\n    <file_size>" + size + "</file_size>\r\n    <file_date>" + date
        + "</file_date>\r\n</file_info>\r\n";
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

} // namespace

class TestCaptureJob : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void discFileIsByteExact();
    void slicesOf700_data();
    void slicesOf700();
    void failuresWriteNothing();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_data;
    QString m_tree;
    CatalogueIndex m_index;
};

void TestCaptureJob::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_data = m_dir->filePath(QStringLiteral("data"));
    m_tree = m_dir->filePath(QStringLiteral("disc"));
    QVERIFY(ensureStoreFolders(m_data).ok() && QDir().mkpath(m_tree));
    m_index.clear();
    QVERIFY(m_index.addCatalog(QStringLiteral("Music & more")));
}

void TestCaptureJob::discFileIsByteExact()
{
    QVERIFY(makeFile(m_tree + QStringLiteral("/a&b.txt"), "hello", 1079302205));
    QVERIFY(makeFile(m_tree + QStringLiteral("/Docs/report, v2.doc"), QByteArray(1536, 'r'), 1100000000));
    QVERIFY(makeFile(m_tree + QStringLiteral("/Docs/café.txt"), "é", 1200000000));
    QVERIFY(makeFile(m_tree + QStringLiteral("/Docs/Sub/deep.bin"), "", 900000000));

    CaptureJob job({m_data, QStringLiteral("Disc"), QStringLiteral("music & MORE"), m_tree}, m_index);
    job.start();
    QCOMPARE(job.progressText(), QStringLiteral("Inserting files from CD... "));
    QCOMPARE(job.statusText(), QStringLiteral("Inserting files from CD... "));
    while (!job.walkStep(1)) {
    }
    QCOMPARE(job.phase(), CaptureJob::Phase::Slicing);
    QCOMPARE(job.progressText(), QStringLiteral("Please wait..."));
    QVERIFY(job.Timer1Tick());
    QCOMPARE(job.phase(), CaptureJob::Phase::Done);

    // Written as the index spells the catalog; paths in the folder's own form, one "/"
    // between folder and name; "&" and "," as they are; "é" in ISO-8859-1.
    const QByteArray t = QFile::encodeName(m_tree);
    const QByteArray expected = QByteArray(kXmlDeclaration) + "\r\n\r\n<cd-dvd>\r\n"
        + "<catalog>Music & more</catalog>\r\n"
        + record("deep.bin", t + "/Docs/Sub/deep.bin", " 0", 900000000)
        + record("caf\xE9.txt", t + "/Docs/caf\xE9.txt", " 2", 1200000000)
        + record("report, v2.doc", t + "/Docs/report, v2.doc", " 1536", 1100000000)
        + record("a&b.txt", t + "/a&b.txt", " 5", 1079302205) + "</cd-dvd>\r\n";
    QCOMPARE(readAll(discFilePath(m_data, QStringLiteral("Disc"))), expected);
    QCOMPARE(m_index.catalogs().first().discs, QStringList{QStringLiteral("Disc")});

    const QList<FileRow> rows = job.rowsOfLastTick();
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[2].size, 1536);
    QCOMPARE(rows[2].sizeText(), QStringLiteral("1.50"));
    QCOMPARE(rows[3].disc, QStringLiteral("Disc"));
}

void TestCaptureJob::slicesOf700_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<QList<int>>("filledPerTick");
    QTest::addColumn<QStringList>("progressPerTick");
    QTest::newRow("empty disc") << 0 << QList<int>{0} << QStringList{};
    QTest::newRow("700 files") << 700 << QList<int>{700} << QStringList{};
    QTest::newRow("701 files") << 701 << QList<int>{701, 0}
                               << QStringList{QStringLiteral("Getting files info... 99 % completed.")};
    QTest::newRow("1402 files") << 1402 << QList<int>{701, 700, 1}
                                << QStringList{QStringLiteral("Getting files info... 49 % completed."),
                                               QStringLiteral("Getting files info... 99 % completed.")};
}

void TestCaptureJob::slicesOf700()
{
    QFETCH(int, files);
    QFETCH(QList<int>, filledPerTick);
    QFETCH(QStringList, progressPerTick);
    QVERIFY(makeFiles(m_tree, files));
    FakeDriveProvider drives;
    drives.addDrive(m_tree);
    CaptureRequest request{m_data, QStringLiteral("Big"), QStringLiteral("Music & more"), m_tree,
                           /*ejectAfter=*/true, &drives};
    CaptureJob job(request, m_index);
    int reports = 0;
    job.setProgressCallback([&](const CaptureJob &) { ++reports; });
    job.start();
    while (!job.walkStep()) {
    }
    QCOMPARE(job.entryCount(), files);

    for (int tick = 0; tick < filledPerTick.size(); ++tick) {
        const bool last = tick + 1 == filledPerTick.size();
        QCOMPARE(job.Timer1Tick(), last);
        QCOMPARE(job.lastTickCount(), filledPerTick[tick]);
        if (!last) {
            QCOMPARE(job.progressText(), progressPerTick[tick]);
            QCOMPARE(job.statusText(), QStringLiteral("Getting files info... "));
            QCOMPARE(job.captureNext(), job.captureSliceEnd() + 1);
            QVERIFY(drives.ejected().isEmpty());
        }
    }
    QCOMPARE(job.phase(), CaptureJob::Phase::Done);
    QCOMPARE(job.progressText(), QStringLiteral("Done. 100% completed."));
    QCOMPARE(job.percent(), 100);
    QCOMPARE(job.statusText(), QStringLiteral("Ready.  %1 files inserted from CD/DVD.").arg(files));
    QCOMPARE(job.captureSliceEnd(), 0);
    QCOMPARE(CountFileEntries(m_data, QStringLiteral("Big")), QString::number(files));
    QCOMPARE(drives.ejected(), QStringList{m_tree});
    QVERIFY(reports >= 2 + filledPerTick.size());
    // A finished job stays finished.
    QVERIFY(job.Timer1Tick());
    QCOMPARE(job.lastTickCount(), filledPerTick.constLast());
}

void TestCaptureJob::failuresWriteNothing()
{
    QVERIFY(makeFile(m_tree + QStringLiteral("/x.txt"), "x"));
    QVERIFY(m_index.addDisc(QStringLiteral("Music & more"), QStringLiteral("Taken")));
    QVERIFY(makeFile(discFilePath(m_data, QStringLiteral("Taken")), "old bytes"));

    struct Case
    {
        QString disc, catalog, folder;
    };
    const QList<Case> cases{
        {QStringLiteral("New"), QStringLiteral("Music & more"), m_tree + QStringLiteral("/missing")},
        {QStringLiteral("taken"), QStringLiteral("Music & more"), m_tree},
        {QStringLiteral("New"), QStringLiteral("No such catalog"), m_tree},
    };
    for (const Case &c : cases) {
        CaptureJob job({m_data, c.disc, c.catalog, c.folder}, m_index);
        const StoreResult r = captureFolder(job);
        QVERIFY(!r.ok() && job.failed());
        QCOMPARE(r.error, job.error());
        QVERIFY2(!QFile::exists(discFilePath(m_data, QStringLiteral("New"))), qPrintable(r.error));
    }
    QCOMPARE(readAll(discFilePath(m_data, QStringLiteral("Taken"))), QByteArray("old bytes"));
    QCOMPARE(m_index.discCount(), 1);

    // A folder that cannot be read is reported, and the rest is still captured.
    const QString deep = makeTooDeepFolder(m_tree);
    CaptureJob partial({m_data, QStringLiteral("Partial"), QStringLiteral("Music & more"), m_tree}, m_index);
    const StoreResult r = captureFolder(partial);
    removeTree(deep);
    QVERIFY2(r.ok(), qPrintable(r.error));
    QCOMPARE(partial.unreadableFolders().size(), 1);
    QCOMPARE(CountFileEntries(m_data, QStringLiteral("Partial")), QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(TestCaptureJob)
#include "tst_capture_job.moc"
