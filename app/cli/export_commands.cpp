// Orlith — desktop catalogue of removable media.
// export: the export wizards' job from a terminal, through the same engine call.
#include "cli_context.h"

#include "core/export/export_job.h"
#include "core/export/export_walk.h"
#include "core/search/disc_search.h"
#include "core/store/program_folder.h"

#include <algorithm>

namespace orlith::cli {

namespace {

bool parseFormat(const QString &text, ExportFormat &format)
{
    static const std::pair<const char *, ExportFormat> formats[] = {
        {"csv", ExportFormat::Csv}, {"text", ExportFormat::Text}, {"html", ExportFormat::Html},
        {"sql", ExportFormat::Sql}, {"xls", ExportFormat::Xls},   {"xlsx", ExportFormat::Xlsx},
    };
    for (const auto &[name, f] : formats) {
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            format = f;
            return true;
        }
    }
    return false;
}

bool parseSeparator(const QString &text, QChar &separator)
{
    static const std::pair<const char *, char> names[] = {
        {"comma", ','}, {"semicolon", ';'}, {"tab", '\t'}, {"space", ' '}};
    for (const auto &[name, c] : names) {
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            separator = QLatin1Char(c);
            return true;
        }
    }
    if (text.size() != 1)
        return false;
    separator = text.at(0);
    return true;
}

// The disc file item of a typed disc name: through the index (names compare without
// case), else any disc file of that name the index skipped, as the wizards list those too.
bool resolveItem(CliContext &ctx, const QStringList &items, const QString &typed, QString &item)
{
    QString disc = ctx.index().discKey(typed);
    if (disc.isEmpty())
        disc = typed;
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        const auto it = std::find_if(items.begin(), items.end(), [&](const QString &i) {
            return discNameOfItem(i).compare(disc, cs) == 0;
        });
        if (it != items.end()) {
            item = *it;
            return true;
        }
    }
    return false;
}

// The options of a format, checked as the wizards check them; -1 when they pass, else the
// exit code of the usage error already reported.
int takeExportOptions(CliContext &ctx, ExportFormat format, ExportOptions &options)
{
    const bool noTitle = ctx.has(QStringLiteral("--no-title"));
    const bool hasSeparator = ctx.has(QStringLiteral("--separator"));
    const QString separator = ctx.value(QStringLiteral("--separator"));
    const bool hasQualifier = ctx.has(QStringLiteral("--qualifier"));
    const QString qualifier = ctx.value(QStringLiteral("--qualifier"));
    const bool hasDialect = ctx.has(QStringLiteral("--dialect"));
    const QString dialect = ctx.value(QStringLiteral("--dialect"));
    const bool hasDatabase = ctx.has(QStringLiteral("--create-database"));
    const QString database = ctx.value(QStringLiteral("--create-database"));
    const bool hasCreateTable = ctx.has(QStringLiteral("--create-table"));
    const QString createTable = ctx.value(QStringLiteral("--create-table"));
    const bool hasTable = ctx.has(QStringLiteral("--table"));
    const QString table = ctx.value(QStringLiteral("--table"));

    const bool csvOrText = format == ExportFormat::Csv || format == ExportFormat::Text;
    if (noTitle && !csvOrText)
        return usageError(QStringLiteral("--no-title applies to csv and text only"));
    if ((hasSeparator || hasQualifier) && format != ExportFormat::Text)
        return usageError(QStringLiteral("--separator and --qualifier apply to text only"));
    if ((hasDialect || hasDatabase || hasCreateTable || hasTable) && format != ExportFormat::Sql)
        return usageError(QStringLiteral("--dialect, --create-database, --create-table and --table "
                                         "apply to sql only"));
    options.titleRow = !noTitle;

    if (hasSeparator && !parseSeparator(separator, options.separator))
        return usageError(separator.isEmpty() ? QString::fromLatin1(kChoseSeparatorMessage)
                                              : QStringLiteral("--separator takes one character"));
    if (hasQualifier) {
        if (qualifier.isEmpty())
            return usageError(QString::fromLatin1(kChoseQualifierMessage));
        if (qualifier != QLatin1String("\"") && qualifier != QLatin1String("'"))
            return usageError(QStringLiteral("--qualifier is a double or a single quote"));
        options.qualifier = qualifier.at(0);
    }

    if (hasDialect) {
        if (dialect.compare(QLatin1String("mysql"), Qt::CaseInsensitive) == 0)
            options.dialect = SqlDialect::MySql;
        else if (dialect.compare(QLatin1String("mssql"), Qt::CaseInsensitive) == 0)
            options.dialect = SqlDialect::MsSql;
        else
            return usageError(QStringLiteral("--dialect is mysql or mssql"));
    }
    if (hasCreateTable && hasTable && createTable != table)
        return usageError(QStringLiteral("--create-table and --table name different tables"));
    options.createDatabase = hasDatabase;
    if (hasDatabase)
        options.databaseName = database;
    options.createTable = hasCreateTable;
    if (hasCreateTable)
        options.tableName = createTable;
    else if (hasTable)
        options.tableName = table;
    if (format == ExportFormat::Sql) {
        if (const QString problem = sqlNamesProblem(options.databaseName, options.tableName);
            !problem.isEmpty())
            return usageError(problem);
    }
    return -1;
}

constexpr char kFormatsMessage[] = "a format: csv, text, html, sql, xls or xlsx";

} // namespace

int takeListExport(CliContext &ctx, ListExport &list)
{
    const bool wanted = ctx.has(QStringLiteral("--export"));
    if (!wanted) {
        if (ctx.has(QStringLiteral("--out")))
            return usageError(QStringLiteral("--out goes with --export FORMAT"));
        return -1;
    }
    if (!parseFormat(ctx.value(QStringLiteral("--export")), list.format))
        return usageError(QStringLiteral("--export takes ") + QLatin1String(kFormatsMessage));
    if (!ctx.has(QStringLiteral("--out")))
        return usageError(QStringLiteral("--export needs --out FILE"));
    list.out = ctx.value(QStringLiteral("--out"));
    list.wanted = true;
    return takeExportOptions(ctx, list.format, list.options);
}

int exportList(CliContext &ctx, const ListExport &list, const QList<FileRow> &rows)
{
    if (StoreResult r = exportRows(list.format, list.out, rows, list.options, ctx.programFolder());
        !r)
        return failure(r.error);
    return kExitOk;
}

int cmdExport(CliContext &ctx)
{
    ExportOptions options;
    const QString out = ctx.value(QStringLiteral("--out"));
    const QStringList scopeDiscs = ctx.values(QStringLiteral("--disc"));
    const QStringList scopeCatalogs = ctx.values(QStringLiteral("--catalog"));

    QStringList args = ctx.args();
    ExportFormat format;
    if (args.isEmpty() || !parseFormat(args.first(), format))
        return usageError(QStringLiteral("export needs ") + QLatin1String(kFormatsMessage));
    args.removeFirst();
    if (args.isEmpty() && scopeDiscs.isEmpty() && scopeCatalogs.isEmpty())
        return usageError(QStringLiteral("export needs at least one disc name"));
    if (int code = takeExportOptions(ctx, format, options); code >= 0)
        return code;

    // Rows come disc after disc in the order of the disc list, as in the wizards, whatever
    // the order of the arguments; a disc named twice is exported once.
    if (!scopeDiscs.isEmpty() || !scopeCatalogs.isEmpty()) {
        QStringList discs;
        if (StoreResult r = discsOfScope(ctx.index(), scopeDiscs, scopeCatalogs, discs); !r)
            return failure(r.error);
        args += discs;
    }
    const QString cds = cdsFolder(ctx.programFolder());
    const QStringList allItems = discFileItems(cds);
    QList<qsizetype> chosen;
    for (const QString &typed : std::as_const(args)) {
        QString item;
        if (!resolveItem(ctx, allItems, typed, item))
            return failure(QStringLiteral("no disc named \"%1\"").arg(typed));
        chosen.append(allItems.indexOf(item));
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    QStringList items;
    for (qsizetype i : std::as_const(chosen))
        items.append(allItems.at(i));

    const StoreValue<ExportTotals> r = exportDiscs(format, out, cds, items, options);
    if (!r)
        return failure(r.error);
    for (const SkippedLongLines &s : r.value.longLines)
        err(skippedLongLinesText(s));
    return kExitOk;
}

} // namespace orlith::cli
