// Orlith — desktop catalogue of removable media.
// The window's long store jobs as objects: a capture or an update walk, and saving a list
// as a disc; each ends with one finished signal.
#include "core/capture/capture_fixtures.h"
#include "core/capture/capture_task.h"
#include "core/capture/disc_update.h"
#include "core/core_fixtures.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "core/store/save_list_task.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

class TestCaptureTask : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_data;
    QString m_media;

    // Runs the task to its finished signal; the rows it handed over, and the result.
    template <typename Task> StoreResult finish(Task &task, QList<FileRow> *rows = nullptr)
    {
        QSignalSpy finished(&task, &Task::finished);
        if constexpr (std::is_same_v<Task, CaptureTask>) {
            if (rows)
                connect(&task, &CaptureTask::rowsFound, this,
                        [rows](const QList<FileRow> &r) { rows->append(r); });
        }
        task.start();
        if (finished.isEmpty() && !finished.wait(20000))
            return StoreResult::failure(u"no finished signal"_s);
        return finished.first().first().template value<StoreResult>();
    }

private slots:
    void init()
    {
        m_data = m_dir.filePath(u"data"_s);
        m_media = m_dir.filePath(u"media"_s);
        QDir(m_data).removeRecursively();
        QDir(m_media).removeRecursively();
        QVERIFY(ensureStoreFolders(m_data).ok());
        QVERIFY(makeFile(catalogOrderPath(m_data), "Cat\r\n"));
        for (int i = 0; i < 300; ++i)
            QVERIFY(makeFile(m_media + "/f"_L1 + QString::number(i) + ".txt"_L1, "x"));
    }

    // A capture hands over its rows. An update writes nothing; its comparison and what it
    // was made against are kept. (Cancelling belongs to tst_background_job and tst_capture_job.)
    void captureThenUpdate()
    {
        CaptureTask first({m_data, u"D"_s, u"Cat"_s, m_media});
        QList<FileRow> rows;
        const StoreResult captured = finish(first, &rows);
        QVERIFY2(captured.ok(), qPrintable(captured.error));
        QCOMPARE(rows.size(), 300);
        QVERIFY(makeFile(m_media + "/new.txt"_L1, "n"));
        QList<FileEntry> stored;
        DiscIdentity readAs;
        QVERIFY(readDiscForUpdate(m_data, u"D"_s, stored, readAs).ok());
        CaptureRequest request{m_data, u"D"_s, u"Cat"_s, m_media};
        request.walkOnly = true;
        CaptureTask task(request, stored, readAs);
        QVERIFY(finish(task).ok() && !task.running());
        QCOMPARE(task.update() ? task.update()->added.size() : -1, 1);
        QVERIFY(task.readAs() == readAs);
        QCOMPARE(fileCountText(m_data, u"D"_s), u"300"_s);
    }

    // A name taken since the dialog checked it is refused (tst_search_window saves a list whole).
    void saveListToATakenName()
    {
        QVERIFY(writeDiscFile(discFilePath(m_data, u"Taken"_s), u"Cat"_s, {}).ok());
        SaveListTask task(m_data, u"taken"_s, u"Cat"_s,
                          {FileRow(u"a"_s, u"/m/a"_s, 1, u"d"_s, u"X"_s)});
        const StoreResult r = finish(task);
        QVERIFY2(r.error.contains(u"already in use"_s), qPrintable(r.error));
        QCOMPARE(fileCountText(m_data, u"Taken"_s), u"0"_s);
    }
};

QTEST_GUILESS_MAIN(TestCaptureTask)
#include "tst_capture_task.moc"
