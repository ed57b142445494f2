// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/export/export_job.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_listing.h"

#include "option_parser.h"

#include <QString>
#include <QStringList>

namespace orlith {
class DiscFolders;
}

namespace orlith::cli {

// Exit codes: 0 done, 1 the job failed (missing disc, unreadable store), 2 bad usage.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// What every command gets: the data root and what the parser found after the command name.
class CliContext
{
public:
    CliContext(QString programFolder, ParsedArgs parsed)
        : m_programFolder(std::move(programFolder)), m_parsed(std::move(parsed))
    {
    }

    const QString &programFolder() const { return m_programFolder; }
    // The operands: every argument that is not an option or an option's value.
    const QStringList &args() const { return m_parsed.operands(); }
    bool has(const QString &option) const { return m_parsed.has(option); }
    QString value(const QString &option) const { return m_parsed.value(option); }
    QStringList values(const QString &option) const { return m_parsed.values(option); }

    // The index, loaded on first use; skipped disc files are reported on stderr once.
    const CatalogueIndex &index();

private:
    QString m_programFolder;
    ParsedArgs m_parsed;
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
// "... (see orlith-cli help COMMAND)": the command whose help a usage error points to.
void setHelpTopic(const QString &command);
int usageError(const QString &message);
int failure(const QString &message);

// --export FORMAT --out FILE and the format's options on a command that lists rows.
struct ListExport
{
    bool wanted = false;
    ExportFormat format = ExportFormat::Csv;
    QString out;
    ExportOptions options;
};
// Reads them; -1 when they pass (or are not given), else the exit code of the usage error
// already reported.
int takeListExport(CliContext &ctx, ListExport &list);
// Writes the rows, in their order, as the export wizards would write their disc.
int exportList(CliContext &ctx, const ListExport &list, const QList<FileRow> &rows);

// Commands; each returns the process exit code.
int cmdTree(CliContext &ctx);
int cmdList(CliContext &ctx);
int cmdNotes(CliContext &ctx);
int cmdSettings(CliContext &ctx);
int cmdCapture(CliContext &ctx);
int cmdNewCatalog(CliContext &ctx);
int cmdRename(CliContext &ctx);
int cmdDelete(CliContext &ctx);
int cmdFind(CliContext &ctx);         // search_commands.cpp
int cmdSearch(CliContext &ctx);       // search_commands.cpp
int cmdExport(CliContext &ctx);       // export_commands.cpp
int cmdArchive(CliContext &ctx);      // archive_commands.cpp
int cmdRestore(CliContext &ctx);      // archive_commands.cpp
int cmdStats(CliContext &ctx);        // stats_commands.cpp
int cmdRescan(CliContext &ctx);       // capture_commands.cpp
int cmdVerify(CliContext &ctx);       // verify_commands.cpp
int cmdDuplicates(CliContext &ctx);   // search_commands.cpp
int cmdSingleCopies(CliContext &ctx); // search_commands.cpp
int cmdIndex(CliContext &ctx);        // search_commands.cpp
int cmdLs(CliContext &ctx);           // folder_commands.cpp
int cmdInfo(CliContext &ctx);         // identity_commands.cpp
int cmdIdentify(CliContext &ctx);     // identity_commands.cpp

// DISC or DISC/FOLDER as typed: the disc's name as the index holds it, its folders, and the
// folder's number among them (the root for a bare disc). Otherwise says what is missing and
// sets `exitCode`.
bool resolveFolder(CliContext &ctx, const QString &typed, QString &disc, DiscFolders &folders,
                   int &folder, int &exitCode);

} // namespace orlith::cli
