// Orlith — desktop catalogue of removable media.
#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace orlith {

// Speed and time left of a job that works through a known number of files, from samples
// taken as it runs. Both come from the last kWindowMs only, so a slow start or a folder of
// large files shifts the estimate for a few seconds, not for the rest of the job. Nothing
// is estimated until the samples span kMinSpanMs: an early guess jumps about.
//
// Time left follows the files still to do, not the bytes: a file's size is known only once
// it has been read, and a folder of empty files takes time too.
class ProgressEstimate
{
public:
    static constexpr qint64 kWindowMs = 5000;
    static constexpr qint64 kMinSpanMs = 2000;

    // `ms` since any fixed start, never going back; files and bytes done so far.
    void addSample(qint64 ms, qint64 filesDone, qint64 bytesDone);
    void clear() { m_samples.clear(); }

    // Bytes per second over the window, once there is enough of it.
    std::optional<double> bytesPerSecond() const;
    // Whole seconds until `filesTotal` are done at the window's pace; none while nothing
    // moves.
    std::optional<qint64> secondsLeft(qint64 filesTotal) const;
    // The same by bytes, for a job that reads whole files, whose sizes it knows beforehand.
    std::optional<qint64> secondsLeftForBytes(qint64 bytesTotal) const;

private:
    struct Sample
    {
        qint64 ms;
        qint64 files;
        qint64 bytes;
    };
    bool enough() const;
    std::optional<qint64> secondsLeft(qint64 total, qint64 Sample::*done) const;
    QList<Sample> m_samples; // oldest first, the oldest within the window of the newest
};

// What a capture's progress window shows beside its text and bar.
struct CaptureDetails
{
    bool walking = false;     // still listing files: the total is not known yet
    qsizetype filesFound = 0; // while walking, so far; then the files to read
    qsizetype filesDone = 0;  // files whose size and date have been read
    QString folder;           // the folder being read; empty once done
    QString rate;             // rateText: empty until it can be estimated
};

// "12.3 MB/s, about 2 min left", "12.3 MB/s" without a time, "" without a speed; from
// 100 MB/s on in whole MB.
QString rateText(std::optional<double> bytesPerSecond, std::optional<qint64> secondsLeft);

} // namespace orlith
