// Orlith — desktop catalogue of removable media.
#include "bench_timing.h"

#include <QProcess>

#include <cstdio>

namespace orlith::bench {

void shell(const QString &workDir, const QString &script)
{
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    p.waitForFinished(-1);
}

void report(const char *what, double ours, double baseline, double target)
{
    const double ratio = ours / baseline;
    std::printf("%-34s %9.1f ms   baseline %9.1f ms   ratio %5.2f  (target <= %.1f) %s\n", what,
                ours, baseline, ratio, target, ratio <= target ? "ok" : "SLOW");
}

} // namespace orlith::bench
