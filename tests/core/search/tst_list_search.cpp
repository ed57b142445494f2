// Orlith — desktop catalogue of removable media.
#include "core/search/list_search.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace orlith;
using namespace Qt::StringLiterals;

namespace {

FileRow row(const QString &name)
{
    return {name, u"/m/"_s + name, 1, QString(), u"Disc"_s};
}

// A report over discs "d0".."d<n-1>" that hands `perDisc` rows for each.
ListSearch::Report fakeReport(int discs, int perDisc, QString closing)
{
    return [=](const ListSearch::BeforeDisc &beforeDisc, const ListSearch::TakeRows &take) {
        for (int d = 0; d < discs; ++d) {
            if (!beforeDisc(u"d%1"_s.arg(d)))
                break;
            QList<FileRow> rows;
            for (int i = 0; i < perDisc; ++i)
                rows << row(u"f%1_%2"_s.arg(d).arg(i));
            take(rows);
        }
        return closing;
    };
}

} // namespace

class TestListSearch : public QObject
{
    Q_OBJECT

private slots:
    // Every row arrives once, in the order found, and finished() says how it ended. (The
    // search window shows no discs found and a report's closing line.)
    void rowsInOrderThenOneEnd()
    {
        constexpr int discs = 300, perDisc = 40;
        ListSearch search(fakeReport(discs, perDisc, QString()));
        QStringList names;
        QStringList statuses;
        connect(&search, &ListSearch::rowsFound, this, [&](const QList<FileRow> &rows) {
            for (const FileRow &r : rows)
                names << r.name();
        });
        connect(&search, &ListSearch::status, this, [&](const QString &s) { statuses << s; });
        QSignalSpy finished(&search, &ListSearch::finished);
        search.start();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toString(), u"Found  12000 files."_s);
        QStringList expected;
        for (int d = 0; d < discs; ++d)
            for (int i = 0; i < perDisc; ++i)
                expected << u"f%1_%2"_s.arg(d).arg(i);
        QCOMPARE(names, expected);
        QCOMPARE(search.rowCount(), names.size());
        QCOMPARE(statuses.last(), u"Searching d299.xml"_s);
    }

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
