// Orlith — desktop catalogue of removable media.
#include "core/export/export_job.h"

#include "core/export/export_walk.h"
#include "core/export/text_exports.h"
#include "core/export/xls_export.h"
#include "core/store/program_folder.h"

#include <QFileInfo>

#include <algorithm>
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

// Where a write to `path` lands: the path's own symbolic links followed (as QSaveFile
// does), then its folder's real path. Empty when that folder does not exist.
QString landingPath(const QString &path)
{
    QFileInfo info(path);
    for (int hops = 0; hops < 128 && info.isSymLink(); ++hops)
        info.setFile(info.symLinkTarget());
    const QString folder = QFileInfo(info.path()).canonicalFilePath();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + info.fileName();
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
        return makeXlsWriter(options, encoding);
    }
    return nullptr;
}

// One writing of the export in `encoding`. An ISO-8859-1 writing stops at the disc where a
// text does not fit, discards its file and clears `fits`.
StoreResult writeExport(ExportFormat format, const QString &outPath, const QString &cdsFolder,
                        const QStringList &items, const ExportOptions &options,
                        ExportEncoding encoding, bool &fits, qsizetype *rowCount,
                        QList<SkippedLongLines> *longLines)
{
    const std::unique_ptr<ExportWriter> writer = makeWriter(format, options, encoding);
    if (StoreResult r = writer->open(outPath); !r)
        return r;
    writer->head();
    EntryWalk walk;
    for (const QString &item : items) {
        if (writer->needsUtf8())
            break;
        if (StoreResult r =
                walk.walk(cdsFolder + QLatin1Char('/') + item, discNameOfItem(item), *writer);
            !r) {
            writer->discard();
            return r;
        }
    }
    fits = !writer->needsUtf8();
    if (!fits) {
        writer->discard();
        return StoreResult::success();
    }
    writer->tail();
    if (StoreResult r = writer->close(); !r)
        return r;
    if (rowCount)
        *rowCount = walk.rowCount();
    if (longLines)
        *longLines = walk.longLines();
    return StoreResult::success();
}

} // namespace

QString storeFileProblem(const QString &outPath, const QString &programFolder)
{
    const QString target = landingPath(outPath);
    if (target.isEmpty())
        return {};
    bool own = false;
    for (const QString &folder :
         {cdsFolder(programFolder), picFolder(programFolder), tempFolder(programFolder)}) {
        const QString real = landingPath(folder);
        own = own ||
              (!real.isEmpty() && target.startsWith(real + QLatin1Char('/'), Qt::CaseInsensitive));
    }
    for (const QString &file : {catalogOrderPath(programFolder), notesStorePath(programFolder),
                                settingsPath(programFolder)})
        own = own || target.compare(landingPath(file), Qt::CaseInsensitive) == 0;
    if (!own)
        return {};
    return QStringLiteral("Cannot write %1: it is one of Orlith's own store files").arg(outPath);
}

StoreResult exportDiscs(ExportFormat format, const QString &outPath, const QString &cdsFolder,
                        const QStringList &items, const ExportOptions &options, qsizetype *rowCount,
                        QList<SkippedLongLines> *longLines)
{
    if (rowCount)
        *rowCount = 0;
    if (const QString problem = storeFileProblem(outPath, QFileInfo(cdsFolder).path());
        !problem.isEmpty())
        return StoreResult::failure(problem);
    // A file has one encoding, and which one depends on every text in it. Most stores hold
    // ASCII and Latin-1 only and are written once, in ISO-8859-1. Any other store is written
    // again in UTF-8 from the start, having read its discs up to the first disc with a text
    // that does not fit; deciding first instead would read every disc file twice, always.
    bool fits = true;
    StoreResult r = writeExport(format, outPath, cdsFolder, items, options, ExportEncoding::Latin1,
                                fits, rowCount, longLines);
    if (!r || fits)
        return r;
    return writeExport(format, outPath, cdsFolder, items, options, ExportEncoding::Utf8, fits,
                       rowCount, longLines);
}

} // namespace orlith
