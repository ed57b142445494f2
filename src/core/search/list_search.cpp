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

namespace {

// `take`, handed only the rows under `folder`.
ListSearch::TakeRows takeUnder(const FolderScope &folder, const ListSearch::TakeRows &take)
{
    if (folder.isEmpty())
        return take;
    return [folder, take](QList<FileRow> &rows) {
        rows.removeIf([&](const FileRow &row) { return !folder.contains(row.pathBytes()); });
        if (!rows.isEmpty())
            take(rows);
    };
}

} // namespace

ListSearch::Report ListSearch::quickFind(const QString &programFolder, const QStringList &discs,
                                         const SearchCriteria &criteria, const FolderScope &folder)
{
    return [=](const BeforeDisc &beforeDisc, const TakeRows &take) {
        searchDiscs(programFolder, discs, criteria, takeUnder(folder, take), nullptr, beforeDisc);
        return QString();
    };
}

ListSearch::Report ListSearch::duplicates(const QString &programFolder, const QStringList &discs,
                                          const FolderScope &folder)
{
    return [=](const BeforeDisc &beforeDisc, const TakeRows &take) {
        const DuplicateReport report =
            findDuplicates(programFolder, discs, 0, nullptr, beforeDisc, folder);
        QList<FileRow> rows = report.rows();
        take(rows);
        return duplicatesSummary(report);
    };
}

ListSearch::Report ListSearch::singleCopies(const QString &programFolder,
                                            const QStringList &allDiscs, const QStringList &discs,
                                            const FolderScope &folder)
{
    // Another copy elsewhere on the same disc still makes a file a single copy, so the
    // whole disc is read and only the rows are kept to the folder.
    return [=](const BeforeDisc &beforeDisc, const TakeRows &take) {
        findSingleCopies(programFolder, allDiscs, discs, takeUnder(folder, take), nullptr,
                         beforeDisc);
        return QString();
    };
}

} // namespace orlith
