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
        const auto row = [](const char *tag, qint64 span, qint64 idle, qint64 files, qint64 bytes,
                            qint64 total, const char *shown) {
            QTest::newRow(tag) << span << idle << files << bytes << total << QString(shown);
        };
        row("under two seconds", 1750, 0, 100, MiB, 1000, "");
        row("seconds left", 3000, 0, 100, MiB, 1000, "1.0 MB/s, about 7 s left");
        row("hours left", 2000, 0, 1, 150 * MiB, 7230, "150 MB/s, about 2 h 0 min left");
        row("stalled", 8000, 8000, 100, MiB, 1000, "0.0 MB/s");
        row("slow start forgotten", 10000, 5000, 50, 2 * MiB, 1000, "2.0 MB/s, about 15 s left");
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
