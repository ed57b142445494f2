// Orlith — desktop catalogue of removable media.
#include "core/capture/progress_estimate.h"

#include <QTest>

using namespace orlith;
using namespace Qt::StringLiterals;

class TestProgressEstimate : public QObject
{
    Q_OBJECT

private slots:
    // A job sampled every 250 ms for `spanMs`: idle for `idleMs`, then steady.
    void rate_data()
    {
        QTest::addColumn<qint64>("spanMs");
        QTest::addColumn<qint64>("idleMs");
        QTest::addColumn<qint64>("filesPerSecond");
        QTest::addColumn<qint64>("bytesPerSecond");
        QTest::addColumn<qint64>("filesTotal");
        QTest::addColumn<QString>("shown");
        constexpr qint64 MiB = 1024 * 1024;
        QTest::newRow("one sample") << 0LL << 0LL << 100LL << MiB << 1000LL << QString();
        QTest::newRow("under two seconds") << 1750LL << 0LL << 100LL << MiB << 1000LL << QString();
        QTest::newRow("seconds left")
            << 3000LL << 0LL << 100LL << MiB << 1000LL << u"1.0 MB/s, about 7 s left"_s;
        QTest::newRow("minutes left") << 3000LL << 0LL << 10LL << qint64(12.3 * MiB) << 1300LL
                                      << u"12.3 MB/s, about 2 min left"_s;
        QTest::newRow("hours left")
            << 2000LL << 0LL << 1LL << 150 * MiB << 7230LL << u"150 MB/s, about 2 h 0 min left"_s;
        QTest::newRow("empty files")
            << 3000LL << 0LL << 100LL << 0LL << 1000LL << u"0.0 MB/s, about 7 s left"_s;
        QTest::newRow("stalled") << 8000LL << 8000LL << 100LL << MiB << 1000LL << u"0.0 MB/s"_s;
        QTest::newRow("slow start forgotten")
            << 10000LL << 5000LL << 50LL << 2 * MiB << 1000LL << u"2.0 MB/s, about 15 s left"_s;
    }
    void rate()
    {
        QFETCH(qint64, spanMs);
        QFETCH(qint64, idleMs);
        QFETCH(qint64, filesPerSecond);
        QFETCH(qint64, bytesPerSecond);
        QFETCH(qint64, filesTotal);
        QFETCH(QString, shown);
        ProgressEstimate estimate;
        for (qint64 ms = 0; ms <= spanMs; ms += 250) {
            const qint64 busy = std::max<qint64>(0, ms - idleMs);
            estimate.addSample(ms, filesPerSecond * busy / 1000, bytesPerSecond * busy / 1000);
        }
        QCOMPARE(rateText(estimate.bytesPerSecond(), estimate.secondsLeft(filesTotal)), shown);
    }
};

QTEST_GUILESS_MAIN(TestProgressEstimate)
#include "tst_progress_estimate.moc"
