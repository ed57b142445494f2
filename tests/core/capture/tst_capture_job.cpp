// Orlith — desktop catalogue of removable media.
#include "capture_fixtures.h"
#include "core/capture/capture_job.h"
#include "core/capture/content_hash.h"
#include "core/capture/dir_walk.h"
#include "core/capture/drives.h"
#include "core/capture/file_date_text.h"
#include "core/core_fixtures.h"
#include "core/store/catalogue_index.h"
#include "core/store/date_text.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "core/store/store_edits.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

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

QStringList relativePaths(const DirWalk &walk, const QString &root)
{
    QStringList out;
    for (const FileEntry &e : walk.entries())
        out << e.path.mid(root.size() + 1) + (e.path.endsWith(e.name) ? "" : " (bad name)");
    return out;
}

} // namespace

// Capture: folders walked, file dates, mounted media and the job.
class TestCaptureJob : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A zone with summer time, so the hours around its changes are checked.
        qputenv("TZ", "Europe/Zagreb");
        ::tzset();
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_data = m_dir->filePath(u"data"_s);
        m_tree = m_dir->filePath(u"disc"_s);
        QVERIFY(makeCaptureStore(m_dir->path(), m_index));
    }

    void orderHiddenAndLinks()
    {
        for (const char *f : {"b.txt", "A.txt", "Zeta/z1", "alpha/Inner/deep.txt", "alpha/a2.txt",
                              ".hidden.txt", ".hiddendir/x.txt", "alpha/.h/y"})
            QVERIFY(makeFile(m_tree + u'/' + QLatin1StringView(f), "1"));
        QVERIFY(QDir(m_tree).mkdir(u"beta"_s));
        QVERIFY(QFile::link(u".."_s, m_tree + u"/alpha/loop"_s));
        QVERIFY(QFile::link(m_tree, m_tree + u"/rootlink"_s));
        QVERIFY(QFile::link(u"b.txt"_s, m_tree + u"/link_to_file"_s));
        QVERIFY(QFile::link(u"nowhere"_s, m_tree + u"/broken"_s));
        // Sub-folders (any-case name order) come first; hidden names and folder links are left out.
        const QStringList expected{
            "alpha/Inner/deep.txt", "alpha/a2.txt", "Zeta/z1", "A.txt", "b.txt", "broken",
            "link_to_file"};
        DirWalk whole(m_tree + u'/');
        whole.runToEnd();
        QCOMPARE(relativePaths(whole, m_tree), expected);
        QCOMPARE(whole.foldersRead(), 5);
        QVERIFY(whole.unreadableFolders().isEmpty());
        // A file in the file-system root gets one "/" only.
        QCOMPARE(DirWalk::joinPath(u"/"_s, u"a&b"_s), u"/a&b"_s);
    }

    void unreadableFoldersAreReported()
    {
        QVERIFY(makeFile(m_tree + u"/ok.txt"_s, "1"));
        const QString deep = makeTooDeepFolder(m_tree);
        DirWalk walk(m_tree);
        walk.runToEnd();
        runProgram("rm", {"-rf", deep}); // QTemporaryDir cannot remove a path past PATH_MAX
        QCOMPARE(walk.unreadableFolders().size(), 1);
        const auto &folder = walk.unreadableFolders().first();
        QVERIFY(folder.path.startsWith(deep + u'/') && !folder.reason.isEmpty());
        QVERIFY(!walk.rootUnreadable());
        QCOMPARE(walk.entries().constLast().name, u"ok.txt"_s);
    }

    // The fast date text is the store's: each side of the summer-time changes, every few days
    // for a century, each twice (from its cache); ar_EG writes other digits than 0-9.
    void fastDateTextIsTheStoreRule()
    {
        QList<qint64> seconds{-86401, 1080435599, 1080435600, 1099184399, 1099187999};
        for (qint64 s = -300000000; s < 4102444800LL; s += 86413 * 3)
            seconds << s << s;
        for (const QLocale &l : {QLocale::c(), QLocale(u"ar_EG"_s)}) {
            FileDateText fast(l);
            for (qint64 s : std::as_const(seconds))
                QCOMPARE(fast.text(s), formatDateText(QDateTime::fromSecsSinceEpoch(s), l));
        }
    }

    void discDrivesFromMountInfo()
    {
        const QList<LinuxDriveProvider::Mount> mounts = LinuxDriveProvider::parseMountInfo(
            "30 22 11:0 / /media/cdrom ro shared:1 - iso9660 /dev/sr0 ro\n"
            "31 22 8:17 / /media/usb\\040stick rw shared:2 master:3 - vfat /dev/sdb1 rw\n");
        const auto removable = [](const QString &dev) { return dev == "/dev/sdb1"_L1; };
        QCOMPARE(LinuxDriveProvider::discDrivesOf(mounts, removable),
                 QStringList({u"/media/cdrom"_s, u"/media/usb stick"_s}));
    }
    void discFileIsByteExact()
    {
        QVERIFY(makeFile(m_tree + u"/a&b.txt"_s, "hello", 1079302205));
        QVERIFY(makeFile(m_tree + u"/Docs/report, v2.doc"_s, QByteArray(1536, 'r'), 1099187999));
        QVERIFY(makeFile(m_tree + u"/Docs/café.txt"_s, "é", 1080435600));
        QVERIFY(makeFile(m_tree + u"/Docs/Sub/deep.bin"_s, "", 900000000));
        CaptureJob job({m_data, u"Disc"_s, u"music & MORE"_s, m_tree});
        QVERIFY(captureFolder(job, m_index).ok());
        // The index's catalog spelling; paths as the folder gives them; "&", "," kept; "é" Latin-1;
        // dates at summer time's first second and in the hour its end repeats.
        const QByteArray t = QFile::encodeName(m_tree);
        const QByteArray expected =
            QByteArray(kXmlDeclaration) + "\r\n\r\n<cd-dvd>\r\n" +
            "<catalog>Music & more</catalog>\r\n" +
            record("deep.bin", t + "/Docs/Sub/deep.bin", " 0", 900000000) +
            record("caf\xE9.txt", t + "/Docs/caf\xE9.txt", " 2", 1080435600) +
            record("report, v2.doc", t + "/Docs/report, v2.doc", " 1536", 1099187999) +
            record("a&b.txt", t + "/a&b.txt", " 5", 1079302205) + "</cd-dvd>\r\n";
        QCOMPARE(readAll(discFilePath(m_data, u"Disc"_s)), expected);
        QCOMPARE(m_index.catalogs().first().discs, QStringList{u"Disc"_s});
        const FileRow row = job.rows(2, 1).value(0);
        QCOMPARE(row.sizeText() + u' ' + row.disc(), u"1.50 Disc"_s);
    }

    void progressAndCancel_data()
    {
        QTest::addColumn<int>("cancelIn"); // the phase whose first report cancels; -1: none
        QTest::newRow("3000 files") << -1;
        QTest::newRow("cancel while filling") << int(CaptureJob::Phase::Filling);
        QTest::newRow("cancel while computing checksums") << int(CaptureJob::Phase::Hashing);
    }

    void progressAndCancel()
    {
        QFETCH(int, cancelIn);
        constexpr int files = 3000;
        for (int i = 0; i < files; ++i)
            QVERIFY(makeFile(m_tree + QString::asprintf("/f%05d.txt", i), "x"));
        FakeDriveProvider drives;
        drives.addDrive(m_tree);
        CaptureRequest request{m_data, u"Big"_s, u"Music & more"_s, m_tree, /*ejectAfter=*/true,
                               &drives};
        request.checksums = cancelIn == int(CaptureJob::Phase::Hashing);
        CaptureJob job(request);
        std::atomic<bool> cancel = false;
        QStringList texts;
        job.setProgressCallback([&](const CaptureJob &j) {
            if (texts.isEmpty() || texts.last() != j.progressText())
                texts << j.progressText();
            if (int(j.phase()) == cancelIn)
                cancel = true;
            QVERIFY(drives.ejected().isEmpty() || j.phase() == CaptureJob::Phase::Done);
        });
        QVERIFY(job.run(&cancel).ok());
        if (cancelIn >= 0) {
            QCOMPARE(job.phase(), CaptureJob::Phase::Cancelled);
            QVERIFY(QDir(m_data + u"/cds"_s).isEmpty() && drives.ejected().isEmpty());
            return;
        }
        QCOMPARE(texts.first(2) << texts.last(),
                 QStringList({u"Inserting files from CD... "_s, u"Please wait..."_s,
                              u"Done. 100% completed."_s}));
        const QRegularExpression percent(u"^Getting files info\\.\\.\\. \\d+ % completed\\.$"_s);
        for (const QString &t : texts.mid(2, texts.size() - 3))
            QVERIFY2(t.contains(percent), qPrintable(t));
        QCOMPARE(job.statusText(), u"Ready.  %1 files inserted from CD/DVD."_s.arg(files));
        QCOMPARE(fileCountText(m_data, u"Big"_s), QString::number(files));
        QCOMPARE(drives.ejected(), QStringList{m_tree});
    }

    // A file deleted after the walk listed it is left out of the disc and of the rows the
    // window is handed, and counted; its changed name no longer counts. One that cannot be
    // read whole when its checksum's turn comes is kept without a checksum, and counted.
    void filesChangedDuringTheJob_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("into");
        QTest::addColumn<QString>(
            "expected"); // rows handed | stored ("+": right checksum) | counts
        const QString gone = u"a.txt,z.txt|a.txt,z.txt|1 0 0"_s;
        const QString unhashed = u"a.txt,b.txt,z.txt|a.txt+,b.txt,z.txt+|0 0 1"_s;
        QTest::newRow("capture") << u"capture"_s << u"b.txt"_s << u"gone"_s << gone;
        QTest::newRow("looking inside archives")
            << u"archives"_s << u"b.txt"_s << u"gone"_s << gone;
        QTest::newRow("update") << u"update"_s << u"b.txt"_s << u"gone"_s << gone;
        QTest::newRow("a changed name") << u"capture"_s << u"b\nc.txt"_s << u"gone"_s << gone;
        QTest::newRow("a FIFO") << u"checksums"_s << u"b.txt"_s << u"fifo"_s << unhashed;
        QTest::newRow("a folder") << u"checksums"_s << u"b.txt"_s << u"folder"_s << unhashed;
    }
    void filesChangedDuringTheJob()
    {
        QFETCH(QString, mode);
        QFETCH(QString, file);
        QFETCH(QString, into);
        QFETCH(QString, expected);
        for (const QString &f : {u"a.txt"_s, file, u"z.txt"_s})
            QVERIFY(makeFile(m_tree + u'/' + f, f.toUtf8()));
        CaptureRequest request{m_data, u"Disc"_s, u"Music & more"_s, m_tree};
        request.archives = mode == "archives"_L1;
        request.walkOnly = mode == "update"_L1;
        request.checksums = mode == "checksums"_L1;
        CaptureJob job(request);
        const auto when =
            into == "gone"_L1 ? CaptureJob::Phase::Filling : CaptureJob::Phase::Hashing;
        const QByteArray path = QFile::encodeName(m_tree + u'/' + file);
        QStringList rows;
        job.setProgressCallback([&](const CaptureJob &j) {
            if (j.phase() == when && QFileInfo(path).isFile()) {
                QVERIFY(QFile::remove(path));
                QVERIFY(into != "fifo"_L1 || ::mkfifo(path.constData(), 0600) == 0);
                QVERIFY(into != "folder"_L1 || QDir().mkdir(path));
            }
            if (j.phase() == CaptureJob::Phase::Done) {
                for (const FileRow &r : j.rows(0, j.filledCount()))
                    rows << r.name();
            }
        });
        QVERIFY(job.run().ok());
        QStringList names;
        for (const FileEntry &e :
             request.walkOnly ? job.entries() : stored(discFilePath(m_data, u"Disc"_s)))
            names << e.name + (e.hash == contentHashText(e.name.toUtf8()) ? "+" : "");
        QCOMPARE(rows.join(u',') + u'|' + names.join(u',') +
                     u"|%1 %2 %3"_s.arg(job.vanishedFiles())
                         .arg(job.changedNames())
                         .arg(job.unhashedFiles()),
                 expected);
    }

    void failuresWriteNothing()
    {
        QVERIFY(makeFile(m_tree + u"/x.txt"_s, "x"));
        QVERIFY(m_index.addDisc(u"Music & more"_s, u"Taken"_s));
        QVERIFY(makeFile(discFilePath(m_data, u"Taken"_s), "old bytes"));
        // A folder that is missing, a name taken since the check (a catalog gone meanwhile is
        // in tst_store_attacks).
        const QList<QStringList> cases{{u"New"_s, u"Music & more"_s, m_tree + u"/missing"_s},
                                       {u"taken"_s, u"Music & more"_s, m_tree}};
        for (const QStringList &c : cases) {
            CaptureJob job({m_data, c[0], c[1], c[2]});
            const StoreResult r = captureFolder(job, m_index);
            QVERIFY(!r.ok() && job.failed());
            QCOMPARE(r.error, job.error());
            QVERIFY2(!QFile::exists(discFilePath(m_data, u"New"_s)), qPrintable(r.error));
        }
        QCOMPARE(readAll(discFilePath(m_data, u"Taken"_s)), QByteArray("old bytes"));
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
