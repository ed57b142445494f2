// Orlith — desktop catalogue of removable media.
// Every command of orlith-cli and the options it takes: the parser, the help and the
// commands read them from here.
#include "cli_context.h"

namespace orlith::cli {

namespace {

constexpr auto Flag = OptionValue::None;
constexpr auto Name = OptionValue::Name;
constexpr auto Text = OptionValue::FreeText;
constexpr auto Once = OptionUse::Once;
constexpr auto Repeatable = OptionUse::Repeatable;
constexpr auto Required = OptionUse::Required;

// Laid out by hand, one option a row: name, value, value's name, use, conflicts, help.
// clang-format off

// The same scope on every command that takes one: the discs named and the discs of the
// catalogs named, in tree order, each once; every disc when none is named.
QList<OptionSpec> scopeOptions()
{
    return {
        {QStringLiteral("--disc"),    Name, "DISC",    Repeatable, {}, "take the disc DISC"},
        {QStringLiteral("--catalog"), Name, "CATALOG", Repeatable, {},
         "take every disc of CATALOG"},
    };
}

// find and search: the hits saved as a disc, as the window's "Save list..." does.
QList<OptionSpec> saveOptions()
{
    return {
        {QStringLiteral("--within"),  Name, "CATALOG", Repeatable, {},
         "take every disc of CATALOG, as --catalog does"},
        {QStringLiteral("--save-as"), Name, "NAME",    Once,       {},
         "also keep the hits as the new disc NAME, filed into the --into catalog"},
        {QStringLiteral("--into"),    Name, "CATALOG", Once,       {},
         "the catalog of the --save-as disc; without --into, the one --catalog given names "
         "it (the older form) and only --disc and --within scope"},
    };
}

QList<OptionSpec> searchOptions()
{
    return {
        {QStringLiteral("--text"),     Text, "T",    Once, {}, "the path holds T, any letter case"},
        {QStringLiteral("--at-least"), Name, "KB",   Once, {QStringLiteral("--at-most")},
         "larger than KB kilobytes"},
        {QStringLiteral("--at-most"),  Name, "KB",   Once, {QStringLiteral("--at-least")},
         "smaller than KB kilobytes"},
        {QStringLiteral("--before"),   Name, "DATE", Once, {QStringLiteral("--after")},
         "dated before the day DATE"},
        {QStringLiteral("--after"),    Name, "DATE", Once, {QStringLiteral("--before")},
         "dated after the day DATE"},
    };
}

QList<OptionSpec> exportOptions()
{
    return {
        {QStringLiteral("--no-title"),        Flag, "",            Once, {},
         "(csv, text) leave out the title row"},
        {QStringLiteral("--separator"),       Text, "SEP",         Once, {},
         "(text) comma, semicolon, tab, space or one character"},
        {QStringLiteral("--qualifier"),       Text, "Q",           Once, {},
         "(text) enclose every field in \" or '"},
        {QStringLiteral("--dialect"),         Name, "mysql|mssql", Once, {},
         "(sql) the dialect of the table definition"},
        {QStringLiteral("--create-database"), Name, "NAME",        Once, {},
         "(sql) create and use the database NAME"},
        {QStringLiteral("--create-table"),    Name, "NAME",        Once, {},
         "(sql) create the table NAME and insert into it"},
        {QStringLiteral("--table"),           Name, "NAME",        Once, {},
         "(sql) the table of the inserts when it is not created"},
    };
}

// Writing the rows a command lists to a file, in any export format.
QList<OptionSpec> listExportOptions()
{
    return QList<OptionSpec>{
        {QStringLiteral("--export"), Name, "FORMAT", Once, {},
         "also write the rows to --out FILE as csv, text, html, sql, xls or xlsx"},
        {QStringLiteral("--out"),    Name, "FILE",   Once, {}, "the file of --export"},
    } + exportOptions();
}

} // namespace

const QList<CommandSpec> &commandTable()
{
    static const QList<CommandSpec> commands{
        {"tree", cmdTree, "", "catalogs and discs in tree order, and their counts", {}},
        {"list", cmdList, "DISC", "one tab-separated row per file: name, path, size KB, date, disc",
         {}},
        {"ls", cmdLs, "DISC[/FOLDER]",
         "the folder's subfolders (name/, size KB, file count), then its files (name, size KB, "
         "date); the disc's root without FOLDER", {}},
        {"notes", cmdNotes, "DISC", "show a disc's notes, or replace them", {
            {QStringLiteral("--set"), Text, "TEXT", Once, {},
             "replace the notes with TEXT (\"\" empties them)"},
        }},
        {"info", cmdInfo, "DISC",
         "what the medium said of itself when captured and where it is kept, as name=value "
         "lines; or set where it is kept", {
            {QStringLiteral("--location"), Text, "TEXT", Once, {},
             "set the shelf, box or sleeve (\"\" empties it)"},
            {QStringLiteral("--number"),   Text, "TEXT", Once, {},
             "set the disc number, any text such as A12 (\"\" empties it)"},
        }},
        {"identify", cmdIdentify, "PATH",
         "the catalogued disc the medium mounted at PATH (or the image PATH) is, matched by "
         "UUID, then by label and capacity; exit 1 when none is", {}},
        {"settings", cmdSettings, "", "every field of the settings record", {}},
        {"capture", cmdCapture, "PATH",
         "walk a folder, mount point or disc image into a new disc", {
            {QStringLiteral("--catalog"),  Name, "CATALOG", Required, {},
             "the existing catalog the disc goes into"},
            {QStringLiteral("--name"),     Name, "NAME",    Required, {}, "the new disc's name"},
            {QStringLiteral("--archives"), Flag, "",        Once,     {},
             "list the members of archives too"},
            {QStringLiteral("--checksums"), Flag, "",       Once,     {},
             "read every file whole and keep its checksum (XXH3-128)"},
        }},
        {"rescan", cmdRescan, "DISC PATH",
         "walk PATH again and update DISC: +, - and ~ lines per file", {
            {QStringLiteral("--dry-run"),     Flag, "", Once, {}, "print the changes, make none"},
            {QStringLiteral("--allow-empty"), Flag, "", Once, {},
             "apply a walk that found no file at all"},
            {QStringLiteral("--archives"),    Flag, "", Once, {},
             "list the members of archives too"},
            {QStringLiteral("--checksums"),   Flag, "", Once, {},
             "read every file whole: a new checksum counts as a change (~); without it, "
             "unchanged files keep theirs"},
        }},
        {"verify", cmdVerify, "DISC PATH",
         "read every file under PATH and compare it with DISC: a changed, missing, unreadable or "
         "new line per file that differs; exit 1 when one does", {}},
        {"new-catalog", cmdNewCatalog, "NAME", "add an empty catalog", {}},
        {"rename", cmdRename, "OLD NEW", "rename a disc (its file, picture and notes) or a catalog",
         {}},
        {"delete", cmdDelete, "NAME", "delete a disc or an empty catalog", {
            {QStringLiteral("--yes"), Flag, "", Once, {}, "delete a disc without asking"},
        }},
        {"find", cmdFind, "TEXT",
         "files whose path holds TEXT, any letter case (\"\" finds every file), and every file "
         "of a disc whose location or disc number holds it",
         scopeOptions() + saveOptions() + QList<OptionSpec>{
            {QStringLiteral("--folder"), Name, "DISC/FOLDER", Once,
             {QStringLiteral("--disc"), QStringLiteral("--catalog"), QStringLiteral("--within")},
             "only files under FOLDER of DISC (as ls names it)"},
         } + listExportOptions(), /*freeTextOperands=*/true},
        {"search", cmdSearch, "", "files by path, size and date",
         searchOptions() + scopeOptions() + saveOptions() + listExportOptions()},
        {"duplicates", cmdDuplicates, "",
         "files in more than one place: of the same checksum and size when both have a "
         "checksum, else of the same name and size",
         scopeOptions() + QList<OptionSpec>{
            {QStringLiteral("--min-size"),   Name, "KB", Once, {},
             "leave out files smaller than KB kilobytes"},
            {QStringLiteral("--by-content"), Flag, "",   Once, {},
             "only files with a checksum, grouped by checksum and size; files without one "
             "are left out"},
        } + listExportOptions()},
        {"single-copies", cmdSingleCopies, "", "files that exist on one disc only",
         scopeOptions() + listExportOptions()},
        {"index", cmdIndex, "",
         "build or bring up to date the search index that find and search use (a cache in "
         "temp/, rebuilt from the disc files)", {
            {QStringLiteral("--drop"), Flag, "", Once, {}, "remove the index; searches scan"},
        }},
        {"export", cmdExport, "FORMAT [DISC...]", "export discs to csv, text, html, sql, xls or xlsx",
         QList<OptionSpec>{
            {QStringLiteral("--out"), Name, "FILE", Required, {}, "the file to write"},
        } + scopeOptions() + exportOptions()},
        {"archive", cmdArchive, "[DISC...]",
         "archive disc files (all of cds/ when no disc is named) to DIR/cds.zip", {
            {QStringLiteral("--to"),  Name, "DIR", Required, {}, "the folder of cds.zip"},
            {QStringLiteral("--all"), Flag, "",    Once,     {},
             "also the notes, the pictures of those discs, katalog.ini and Data.ini"},
        }},
        {"restore", cmdRestore, "ZIP",
         "restore disc files, and the notes, pictures, catalogs and settings a full archive "
         "holds, from a zip", {
            {QStringLiteral("--yes-all"), Flag, "", Once, {QStringLiteral("--no-all")},
             "replace every existing disc file"},
            {QStringLiteral("--no-all"),  Flag, "", Once, {QStringLiteral("--yes-all")},
             "keep every existing disc file"},
        }},
        {"stats", cmdStats, "", "counts and sizes of the whole store", {}},
    };
    return commands;
}

// clang-format on

} // namespace orlith::cli
