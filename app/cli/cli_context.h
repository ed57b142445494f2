// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/catalogue_index.h"
#include "core/store/disc_listing.h"

#include <QString>
#include <QStringList>

namespace orlith::cli {

// Exit codes: 0 done, 1 the job failed (missing disc, unreadable store), 2 bad usage.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// What every command gets: the data root and the arguments after the command name.
class CliContext
{
public:
    CliContext(QString programFolder, QStringList args)
        : m_programFolder(std::move(programFolder)), m_args(std::move(args))
    {
    }

    const QString &programFolder() const { return m_programFolder; }
    const QStringList &args() const { return m_args; }

    // Removes "--name VALUE" from the arguments; false when absent. A flag without its
    // value is a usage error, reported through `missingValue`.
    bool takeOption(const QString &name, QString &value);
    bool takeFlag(const QString &name);
    bool missingValue() const { return !m_missing.isEmpty(); }
    const QString &missingOption() const { return m_missing; }

    // The index, loaded on first use; skipped disc files are reported on stderr once.
    const CatalogueIndex &index();

private:
    QString m_programFolder;
    QStringList m_args;
    QString m_missing;
    CatalogueIndex m_index;
    bool m_indexLoaded = false;
};

// Plain output: UTF-8, "\n" line ends.
void out(const QString &line);
void outBytes(const QByteArray &bytes);
// Rows as `list` prints them: one tab-separated line each.
void outRows(const QList<FileRow> &rows);
// "orlith-cli: <message>" on stderr.
void err(const QString &message);
int usageError(const QString &message);
int failure(const QString &message);

// Commands; each returns the process exit code.
int cmdTree(CliContext &ctx);
int cmdList(CliContext &ctx);
int cmdNotes(CliContext &ctx);
int cmdSettings(CliContext &ctx);
int cmdCapture(CliContext &ctx);
int cmdNewCatalog(CliContext &ctx);
int cmdRename(CliContext &ctx);
int cmdDelete(CliContext &ctx);
int cmdFind(CliContext &ctx);     // search_commands.cpp
int cmdSearch(CliContext &ctx);   // search_commands.cpp
int cmdExport(CliContext &ctx);   // export_commands.cpp
int cmdArchive(CliContext &ctx);  // archive_commands.cpp
int cmdRestore(CliContext &ctx);  // archive_commands.cpp
int cmdStats(CliContext &ctx);    // stats_commands.cpp
int cmdRescan(CliContext &ctx);   // capture_commands.cpp
int cmdDuplicates(CliContext &ctx);   // search_commands.cpp
int cmdSingleCopies(CliContext &ctx); // search_commands.cpp

} // namespace orlith::cli
