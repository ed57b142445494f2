// Orlith — desktop catalogue of removable media.
// Saving a list as a disc, as the window's job object that ends with one finished signal.
// (The capture and update tasks run in tst_main_window_store and tst_update_reports.)
#include "core/capture/capture_fixtures.h"
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

private slots:
    // A name taken since the dialog checked it is refused (tst_search_window saves a list whole).
    void saveListToATakenName()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath(u"data"_s);
        QVERIFY(ensureStoreFolders(data).ok() && makeFile(catalogOrderPath(data), "Cat\r\n"));
        QVERIFY(writeDiscFile(discFilePath(data, u"Taken"_s), u"Cat"_s, {}).ok());
        SaveListTask task(data, u"taken"_s, u"Cat"_s,
                          {FileRow(u"a"_s, u"/m/a"_s, 1, u"d"_s, u"X"_s)});
        QSignalSpy finished(&task, &SaveListTask::finished);
        task.start();
        QVERIFY(!finished.isEmpty() || finished.wait(20000));
        const StoreResult r = finished.first().first().value<StoreResult>();
        QVERIFY2(r.error.contains(u"already in use"_s), qPrintable(r.error));
        QCOMPARE(fileCountText(data, u"Taken"_s), u"0"_s);
    }
};

QTEST_GUILESS_MAIN(TestCaptureTask)
#include "tst_capture_task.moc"
