// Orlith — desktop catalogue of removable media.
#pragma once

#include <QElapsedTimer>

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

} // namespace orlith::bench
