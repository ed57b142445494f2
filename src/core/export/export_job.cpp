// Orlith — desktop catalogue of removable media.
#include "core/export/export_job.h"

#include "core/export/export_walk.h"
#include "core/export/text_exports.h"
#include "core/export/xls_export.h"
#include "core/export/xlsx_export.h"
#include "core/store/program_folder.h"
#include "core/store/safe_write.h"

#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <memory>

namespace orlith {

QString exportExtension(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Csv:
        return QStringLiteral(".csv");
    case ExportFormat::Text:
        return QStringLiteral(".txt");
    case ExportFormat::Html:
        return QStringLiteral(".html");
    case ExportFormat::Sql:
        return QStringLiteral(".sql");
    case ExportFormat::Xls:
        return QStringLiteral(".xls");
    case ExportFormat::Xlsx:
        return QStringLiteral(".xlsx");
    }
    return {};
}

QString exportOutputPath(const QString &folder, const QString &name, ExportFormat format)
{
    return folder + QLatin1Char('/') + name + exportExtension(format);
}

bool isSqlIdentifier(QStringView name)
{
    if (name.isEmpty() || (name.front() >= QLatin1Char('0') && name.front() <= QLatin1Char('9')))
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
               (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_');
    });
}

QString sqlNamesProblem(const QString &databaseName, const QString &tableName)
{
    if (databaseName.isEmpty())
        return QStringLiteral("You must enter database name.");
    if (databaseName.contains(QLatin1Char(' ')))
        return QStringLiteral("Database name must not have blank spaces.");
    if (tableName.isEmpty())
        return QStringLiteral("You must enter table name.");
    if (tableName.contains(QLatin1Char(' ')))
        return QStringLiteral("Table name must not have blank spaces.");
    // The names go into the script as they stand, so anything else could end a statement
    // and run the rest as SQL of its own.
    if (!isSqlIdentifier(databaseName))
        return QString::fromLatin1(kDatabaseNameCharactersMessage);
    if (!isSqlIdentifier(tableName))
        return QString::fromLatin1(kTableNameCharactersMessage);
    return {};
}

QString textFormatProblem(const QString &separator, bool useQualifier, const QString &qualifier)
{
    if (separator.isEmpty())
        return QString::fromLatin1(kChoseSeparatorMessage);
    if (useQualifier && qualifier.isEmpty())
        return QString::fromLatin1(kChoseQualifierMessage);
    return {};
}

namespace {

constexpr const char *kRootStoreFiles[] = {"katalog.ini", "usrdisc.usr", "Data.ini"};

// The folder a write to `path` lands in, the path's own symbolic links followed (as the
// write follows them).
QString landingFolder(const QString &path)
{
    QFileInfo info(path);
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops)
        info.setFile(info.symLinkTarget());
    return info.absolutePath();
}

std::unique_ptr<ExportWriter> makeWriter(ExportFormat format, const ExportOptions &options,
                                         ExportEncoding encoding)
{
    switch (format) {
    case ExportFormat::Csv:
        return makeCsvWriter(options, encoding);
    case ExportFormat::Text:
        return makeTextWriter(options, encoding);
    case ExportFormat::Html:
        return makeHtmlWriter(options, encoding);
    case ExportFormat::Sql:
        return makeSqlWriter(options, encoding);
    case ExportFormat::Xls:
        return makeXlsWriter(options);
    case ExportFormat::Xlsx:
        return makeXlsxWriter();
    }
    return nullptr;
}

// Hands every row of an export to the writer; stops early when the writer needsUtf8().
using RowFeed = std::function<StoreResult(ExportWriter &)>;

// One writing of the export in `encoding`. An ISO-8859-1 writing stops at the first text
// that does not fit, discards its file and clears `fits`.
StoreResult writeExport(ExportFormat format, const QString &outPath, const RowFeed &feed,
                        const ExportOptions &options, ExportEncoding encoding, bool &fits)
{
    const std::unique_ptr<ExportWriter> writer = makeWriter(format, options, encoding);
    if (StoreResult r = writer->open(outPath); !r)
        return r;
    writer->head();
    if (StoreResult r = feed(*writer); !r) {
        writer->discard();
        return r;
    }
    if (const QString why = writer->refusal(); !why.isEmpty()) {
        writer->discard();
        return StoreResult::failure(why);
    }
    fits = !writer->needsUtf8();
    if (!fits) {
        writer->discard();
        return StoreResult::success();
    }
    writer->tail();
    return writer->close();
}

// The export through `feed`, in the one encoding its texts allow.
StoreResult writeInOneEncoding(ExportFormat format, const QString &outPath, const RowFeed &feed,
                               const ExportOptions &options, const QString &programFolder)
{
    if (const QString problem = storeFileProblem(outPath, programFolder); !problem.isEmpty())
        return StoreResult::failure(problem);
    bool fits = true;
    // SQL scripts are always UTF-8, so that strict servers load every name; a workbook is
    // Unicode by its format.
    if (format == ExportFormat::Sql || format == ExportFormat::Xlsx)
        return writeExport(format, outPath, feed, options, ExportEncoding::Utf8, fits);
    // A file has one encoding, and which one depends on every text in it. Most stores hold
    // ASCII and Latin-1 only and are written once, in ISO-8859-1. Any other export is written
    // again in UTF-8 from the start, having read up to the first text that does not fit;
    // deciding first instead would read every disc file twice, always. A stream cannot take
    // back what it was sent, so its encoding is learnt first, by a run that writes nowhere.
    const bool stream = isStreamOutput(outPath);
    StoreResult r = writeExport(format, stream ? QString() : outPath, feed, options,
                                ExportEncoding::Latin1, fits);
    if (!r || (fits && !stream))
        return r;
    return writeExport(format, outPath, feed, options,
                       fits ? ExportEncoding::Latin1 : ExportEncoding::Utf8, fits);
}

} // namespace

QString storeFileProblem(const QString &outPath, const QString &programFolder)
{
    QFileInfo target(outPath);
    for (int hops = 0; hops < 40 && target.isSymLink(); ++hops)
        target.setFile(target.symLinkTarget());
    bool root = false;
    if (!isStoreFolder(landingFolder(outPath), programFolder, &root))
        return {};
    // In the data folder itself only the store's own files are the store's.
    if (root) {
        const QString name = target.fileName();
        const bool own =
            std::any_of(std::begin(kRootStoreFiles), std::end(kRootStoreFiles), [&](const char *f) {
                return name.compare(QLatin1String(f), Qt::CaseInsensitive) == 0;
            });
        if (!own)
            return {};
    }
    return QStringLiteral("Cannot write %1: it is one of Orlith's own store files").arg(outPath);
}

StoreValue<ExportTotals> exportDiscs(ExportFormat format, const QString &outPath,
                                     const QString &cdsFolder, const QStringList &items,
                                     const ExportOptions &options)
{
    ExportTotals totals;
    const RowFeed feed = [&](ExportWriter &writer) {
        EntryWalk walk;
        for (const QString &item : items) {
            if (writer.needsUtf8())
                break;
            if (StoreResult r =
                    walk.walk(cdsFolder + QLatin1Char('/') + item, discNameOfItem(item), writer);
                !r)
                return r;
        }
        totals = {walk.rowCount(), walk.longLines()};
        return StoreResult::success();
    };
    StoreResult r = writeInOneEncoding(format, outPath, feed, options, QFileInfo(cdsFolder).path());
    if (!r)
        return StoreValue<ExportTotals>::failure(r.error);
    return StoreValue<ExportTotals>::success(totals);
}

StoreResult exportRows(ExportFormat format, const QString &outPath, const QList<FileRow> &rows,
                       const ExportOptions &options, const QString &programFolder)
{
    const RowFeed feed = [&](ExportWriter &writer) {
        QByteArray size;
        QByteArray disc;
        for (const FileRow &row : rows) {
            if (writer.needsUtf8())
                break;
            // Sizes as disc files store them; disc names as UTF-8, which the writers decode
            // back to the same text.
            size = signPadded(row.size()).toLatin1();
            disc = row.disc().toUtf8();
            writer.row({row.nameBytes(), row.pathBytes(), size, row.dateBytes(), disc});
        }
        return StoreResult::success();
    };
    return writeInOneEncoding(format, outPath, feed, options, programFolder);
}

} // namespace orlith
