// Orlith — desktop catalogue of removable media.
#include "core/search/list_search.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

using namespace orlith;
using namespace Qt::StringLiterals;

class TestListSearch : public QObject
{
    Q_OBJECT

private slots:
    // A search deleted while it runs stops before its next disc and says nothing more.
    void deletedSearchStopsSilently()
    {
        QSemaphore reading;
        auto *search = new ListSearch(
            [&](const ListSearch::BeforeDisc &beforeDisc, const ListSearch::TakeRows &) {
                reading.release();
                while (beforeDisc(u"d"_s)) {
                }
                return QString();
            });
        QSignalSpy finished(search, &ListSearch::finished);
        QSignalSpy rows(search, &ListSearch::rowsFound);
        search->start();
        reading.acquire();
        delete search;
        QTest::qWait(0);
        QVERIFY(finished.isEmpty() && rows.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestListSearch)
#include "tst_list_search.moc"
