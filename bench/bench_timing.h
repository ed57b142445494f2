// Orlith — desktop catalogue of removable media.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <functional>

namespace orlith::bench {

// Best of `runs` timings of `job`, in milliseconds: later runs find the page cache warm.
inline double bestMs(int runs, const std::function<void()> &job)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        job();
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
    }
    return best;
}

// Runs a /bin/sh script in `workDir` and waits for it: the shell baselines.
void shell(const QString &workDir, const QString &script);

// One result line: our time, the baseline's, their ratio and whether it meets `target`.
void report(const char *what, double ours, double baseline, double target);

} // namespace orlith::bench
