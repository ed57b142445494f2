// Orlith — desktop catalogue of removable media.
// Exporting discs to CSV, delimited text, HTML, an SQL script, a BIFF2 spreadsheet or an
// Excel 2007+ workbook: the one routine that the export wizards and orlith-cli both call.
#pragma once

#include "core/store/disc_file.h"
#include "core/store/disc_listing.h"
#include "core/store/store_result.h"

#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace orlith {

enum class ExportFormat { Csv, Text, Html, Sql, Xls, Xlsx };
enum class SqlDialect { MySql, MsSql };

struct ExportOptions
{
    // CSV and delimited text: a first line of column titles.
    bool titleRow = true;
    // Delimited text: the separator, and the qualifier around each field (null for none).
    QChar separator = QLatin1Char(',');
    QChar qualifier;
    // SQL script. The table name is used by the insert statements even when the table
    // is not created; both names are checked whether or not they are created.
    SqlDialect dialect = SqlDialect::MySql;
    bool createDatabase = false;
    QString databaseName = QStringLiteral("MyFiles");
    bool createTable = false;
    QString tableName = QStringLiteral("CDFiles");
    // Sizes in the "0.00" form (CSV, HTML, XLS) use this locale's decimal separator.
    QLocale locale;
};

// ".csv", ".txt", ".html", ".sql", ".xls", ".xlsx".
QString exportExtension(ExportFormat format);

// Folder, "/", the typed name and the extension, as they stand: a name already ending in
// the extension gets it a second time.
QString exportOutputPath(const QString &folder, const QString &name, ExportFormat format);

// The checks of the SQL names, in order; the message of the first that fails, or empty.
// After the checks for empty names and blanks, each name must be a plain identifier that
// every dialect takes unquoted (isSqlIdentifier).
QString sqlNamesProblem(const QString &databaseName, const QString &tableName);
inline constexpr char kDatabaseNameCharactersMessage[] =
    "Database name may hold only letters A-Z, digits and _, and must not begin with a digit.";
inline constexpr char kTableNameCharactersMessage[] =
    "Table name may hold only letters A-Z, digits and _, and must not begin with a digit.";

// ASCII letters, digits and "_", not beginning with a digit: a name that MySQL and MS SQL
// both read as one identifier without quotes (MS SQL refuses a leading digit there).
bool isSqlIdentifier(QStringView name);

// The checks of the delimited-text format choice: an empty separator (when one is to be
// typed) or an empty qualifier (when one is wanted). The message, or empty.
QString textFormatProblem(const QString &separator, bool useQualifier, const QString &qualifier);
inline constexpr char kChoseSeparatorMessage[] = "Please chose separator";
inline constexpr char kChoseQualifierMessage[] = "Please chose qualifier";

// Why an export must not be written to outPath: a write there would replace or add a file
// of the store in programFolder (anything in cds/, pic/ or temp/, katalog.ini, usrdisc.usr,
// Data.ini). The folder is compared by device and inode (isStoreFolder), so neither a
// symbolic link, the file's own included (a save follows it), nor a second mount of the
// data folder gets through; the three root files' names ignore letter case, as the store
// may sit on a file system that ignores it. The message, or empty.
QString storeFileProblem(const QString &outPath, const QString &programFolder);

// What an export wrote: its rows, and the discs whose files had lines too long to read
// (skipped, as every reader skips them).
struct ExportTotals
{
    qsizetype rows = 0;
    QList<SkippedLongLines> longLines;
};

// Writes the export of the disc file items (file names in cdsFolder, such as "Music.xml",
// in the order given) to outPath: head, the rows of every disc in turn, tail. The file
// replaces an existing one only when complete. Fails naming the path when a disc file
// cannot be read or the output cannot be written, and, before writing anything, when
// outPath is one of the store's own files (storeFileProblem over cdsFolder's parent) or the
// format cannot hold the export (XLS). The file has one encoding: ISO-8859-1 when every text
// fits it, else UTF-8; SQL and XLSX are always UTF-8.
StoreValue<ExportTotals> exportDiscs(ExportFormat format, const QString &outPath,
                                     const QString &cdsFolder, const QStringList &items,
                                     const ExportOptions &options);

// The same export of rows as they stand in a list (search hits, duplicates, a folder), in
// their order; the disc column is each row's disc.
StoreResult exportRows(ExportFormat format, const QString &outPath, const QList<FileRow> &rows,
                       const ExportOptions &options, const QString &programFolder);

} // namespace orlith
