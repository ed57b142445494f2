// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/search/disc_folders.h"
#include "core/store/disc_listing.h"

#include <QObject>
#include <QStringList>

#include <functional>

namespace orlith {

class BackgroundJob;
struct SearchCriteria;

// A search whose hits fill the file list: quick find, the search window's search,
// duplicates and files on one disc only. It runs on a worker and hands its rows over in
// batches, in the order found, with the disc being read; finished() says how it ended and
// is the last signal. Deleting a search that runs drops it: the worker stops before its
// next disc and nothing more is emitted.
class ListSearch : public QObject
{
    Q_OBJECT

public:
    // Called before each disc is read; false stops the report there.
    using BeforeDisc = std::function<bool(const QString &disc)>;
    using TakeRows = std::function<void(QList<FileRow> &rows)>;
    // What the search does, on the worker: reads the discs, hands its rows to the second
    // argument, and returns the closing status text (empty for "Found  N files.").
    using Report = std::function<QString(const BeforeDisc &, const TakeRows &)>;

    explicit ListSearch(Report report, QObject *parent = nullptr);
    ~ListSearch() override;

    void start();
    bool running() const;
    // Rows handed over so far.
    qsizetype rowCount() const { return m_rowCount; }

    // The hits of `criteria` over `discs`; a disc whose file has gone is skipped. A folder
    // scope keeps only the entries under that folder (of the one disc it goes with).
    static Report quickFind(const QString &programFolder, const QStringList &discs,
                            const SearchCriteria &criteria, const FolderScope &folder = {});
    // Files found on more than one place of `discs` (under `folder`), group after group.
    static Report duplicates(const QString &programFolder, const QStringList &discs,
                             const FolderScope &folder = {});
    // Files of `discs` (under `folder`) that no other disc of `allDiscs` holds.
    static Report singleCopies(const QString &programFolder, const QStringList &allDiscs,
                               const QStringList &discs, const FolderScope &folder = {});

signals:
    // "Searching <disc>.xml", now and then.
    void status(const QString &text);
    void rowsFound(const QList<FileRow> &rows);
    // The closing status text: the report's own, or "Found  N files.".
    void finished(const QString &statusText);

private:
    Report m_report;
    BackgroundJob *m_worker = nullptr;
    qsizetype m_rowCount = 0;
    QString m_closing; // set by the worker's last post
};

} // namespace orlith
