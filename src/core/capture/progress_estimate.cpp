// Orlith — desktop catalogue of removable media.
#include "core/capture/progress_estimate.h"

#include <cmath>

namespace orlith {

void ProgressEstimate::addSample(qint64 ms, qint64 filesDone, qint64 bytesDone)
{
    m_samples.append({ms, filesDone, bytesDone});
    // The oldest sample kept may be older than the window when there is none inside it
    // but the newest, so a pause longer than the window still leaves two to compare.
    while (m_samples.size() > 2 && ms - m_samples.at(1).ms >= kWindowMs)
        m_samples.removeFirst();
}

bool ProgressEstimate::enough() const
{
    return m_samples.size() >= 2 && m_samples.last().ms - m_samples.first().ms >= kMinSpanMs;
}

std::optional<double> ProgressEstimate::bytesPerSecond() const
{
    if (!enough())
        return std::nullopt;
    const Sample &a = m_samples.first();
    const Sample &b = m_samples.last();
    return double(b.bytes - a.bytes) * 1000.0 / double(b.ms - a.ms);
}

std::optional<qint64> ProgressEstimate::secondsLeft(qint64 filesTotal) const
{
    return secondsLeft(filesTotal, &Sample::files);
}

std::optional<qint64> ProgressEstimate::secondsLeftForBytes(qint64 bytesTotal) const
{
    return secondsLeft(bytesTotal, &Sample::bytes);
}

std::optional<qint64> ProgressEstimate::secondsLeft(qint64 total, qint64 Sample::*done) const
{
    if (!enough())
        return std::nullopt;
    const Sample &a = m_samples.first();
    const Sample &b = m_samples.last();
    const qint64 left = total - b.*done;
    if (left <= 0)
        return 0;
    if (b.*done <= a.*done)
        return std::nullopt;
    const double perSecond = double(b.*done - a.*done) * 1000.0 / double(b.ms - a.ms);
    return qint64(std::ceil(double(left) / perSecond));
}

QString rateText(std::optional<double> bytesPerSecond, std::optional<qint64> secondsLeft)
{
    if (!bytesPerSecond)
        return {};
    const double mb = *bytesPerSecond / (1024.0 * 1024.0);
    // A tenth is worth reading on a slow disc, not at hundreds of MB/s.
    QString text = QStringLiteral("%1 MB/s").arg(mb, 0, 'f', mb < 100.0 ? 1 : 0);
    if (!secondsLeft)
        return text;
    const qint64 s = *secondsLeft;
    QString left;
    if (s < 60)
        left = QStringLiteral("%1 s").arg(s);
    else if (s < 3600)
        left = QStringLiteral("%1 min").arg((s + 30) / 60);
    else
        left = QStringLiteral("%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60);
    return text + QStringLiteral(", about ") + left + QStringLiteral(" left");
}

} // namespace orlith
