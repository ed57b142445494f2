// Orlith — desktop catalogue of removable media.
#include "core/search/list_search.h"

#include "core/common/background_job.h"
#include "core/search/disc_search.h"
#include "core/search/duplicates.h"

namespace orlith {

ListSearch::ListSearch(Report report, QObject *parent)
    : QObject(parent), m_report(std::move(report)), m_worker(new BackgroundJob(this))
{
    connect(m_worker, &BackgroundJob::finished, this,
            [this] { emit finished(m_closing.isEmpty() ? foundText(m_rowCount) : m_closing); });
}

// The worker is a child: it is deleted here, before the report it runs, and waits for it.
ListSearch::~ListSearch()
{
    delete m_worker;
}

bool ListSearch::running() const
{
    return m_worker->running();
}

void ListSearch::start()
{
    m_worker->start([this](BackgroundJob &job) {
        QList<FileRow> batch;
        QString disc;
        // Everything found since the last hand-over goes in one batch, with the disc being
        // read: a store of hundreds of discs is searched in a fraction of a second, and
        // the window paints instead of queuing.
        const auto handOver = [&] {
            job.post([this, rows = std::move(batch), disc] {
                if (!disc.isEmpty())
                    emit status(QStringLiteral("Searching ") + disc + QStringLiteral(".xml"));
                if (rows.isEmpty())
                    return;
                m_rowCount += rows.size();
                emit rowsFound(rows);
            });
            batch.clear();
        };
        const QString closing = m_report(
            [&](const QString &next) {
                disc = next;
                if (job.timeToPost())
                    handOver();
                return !job.cancelled();
            },
            [&](QList<FileRow> &rows) {
                batch.append(std::move(rows));
                if (job.timeToPost())
                    handOver();
            });
        if (!disc.isEmpty() || !batch.isEmpty())
            handOver();
        job.post([this, closing] { m_closing = closing; });
    });
}

ListSearch::Report ListSearch::quickFind(const QString &programFolder, const QStringList &discs,
                                         const SearchCriteria &criteria)
{
    return [=](const BeforeDisc &beforeDisc, const TakeRows &take) {
        searchDiscs(programFolder, discs, criteria, take, nullptr, beforeDisc);
        return QString();
    };
}

ListSearch::Report ListSearch::duplicates(const QString &programFolder, const QStringList &discs)
{
    return [=](const BeforeDisc &beforeDisc, const TakeRows &take) {
        const DuplicateReport report = findDuplicates(programFolder, discs, 0, nullptr, beforeDisc);
        QList<FileRow> rows = report.rows();
        take(rows);
        return duplicatesSummary(report);
    };
}

ListSearch::Report ListSearch::singleCopies(const QString &programFolder,
                                            const QStringList &allDiscs, const QStringList &discs)
{
    return [=](const BeforeDisc &beforeDisc, const TakeRows &take) {
        findSingleCopies(programFolder, allDiscs, discs, take, nullptr, beforeDisc);
        return QString();
    };
}

} // namespace orlith
