// Orlith — desktop catalogue of removable media.
// Archive of store files into cds.zip and their restore, as the windows and orlith-cli run them.
#pragma once

#include "core/archive/zip_archive.h"
#include "core/store/store_result.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace orlith {

// Texts of the archive and restore windows, exactly.
inline constexpr char kArchiveFileName[] = "cds.zip";
inline constexpr char kInformationTitle[] = "Information";
inline constexpr char kArchivedTo[] = "Files are archived successfuly to ";
inline constexpr char kArchivingFailed[] = "Archiving failed.";
inline constexpr char kDriveNotReady[] = "Drive is not ready.";
// The number that follows kDriveNotReady: device unavailable.
inline constexpr int kDeviceUnavailable = 68;
inline constexpr char kSelectArchive[] =
    "Please select archive (zip) file containing CDs/DVDs files.";
inline constexpr char kIncludeEverything[] = "Include notes, pictures, catalogs and settings";

// Entry names of what a full archive holds beside the disc files: the store's own file
// names, and "pic/<disc>.jpg" for pictures.
inline constexpr char kNotesEntry[] = "usrdisc.usr";
inline constexpr char kCatalogsEntry[] = "katalog.ini";
inline constexpr char kSettingsEntry[] = "Data.ini";
inline constexpr char kPictureFolderEntry[] = "pic/";

// Every file of the store folder, in name order, as the archive window lists them.
QStringList storeFileNames(const QString &programFolder);

// folder + "/cds.zip", the folder used as given (a root "/" gives "//cds.zip").
QString archivePathIn(const QString &folder);

// Refuses a folder of the store itself (cds/, pic/, temp/ or the data folder, by device and
// inode) as the archive's folder: the archive would become part of what it archives.
[[nodiscard]] StoreResult checkArchiveFolder(const QString &programFolder,
                                             const QString &targetFolder);

// Archives the named store files (bare names, no folder part) into folder/cds.zip with
// bare entry names, through `zip` so its events reach the caller. With `everything`, the
// same run adds the notes store, katalog.ini, Data.ini and the pictures of the named disc
// files, those that exist, under the entry names above. An existing cds.zip is updated:
// entries of the same name are replaced, others kept. Fails as checkArchiveFolder does
// before anything is written, or as the zip run does.
[[nodiscard]] StoreResult archiveStoreFiles(ZipWriter &zip, const QString &programFolder,
                                            const QString &targetFolder,
                                            const QStringList &fileNames, bool everything = false);

// "Files are archived successfuly to " + line break + folder.
QString archivedMessage(const QString &folder);
// "Drive is not ready." followed by " 68".
QString driveNotReadyMessage();

// The answers to the overwrite question, kept as the window's hidden box keeps them.
enum class OverwriteAnswer { None, Yes, No, YesAll, NoAll };
// "", "Yes", "No", "YesAll", "NoAll" and back (anything else is None).
QString answerText(OverwriteAnswer answer);
OverwriteAnswer answerFromText(const QString &text);

// "File " + name + " already exists." + line break + " Do you want to replace it?"
QString overwriteQuestion(const QString &fileName);

// A file's date and size, as the overwrite question shows them.
struct FileFacts
{
    QDateTime modified;
    qint64 size = 0;
};

// One question: the file as the store names it, the store's copy and the archive's.
struct OverwriteCase
{
    QString fileName;
    FileFacts existing;
    FileFacts archived;
};

// The question above, then a blank line, "Existing: <date time>, <size>" and
// "In the archive: <date time>, <size>".
QString overwriteQuestion(const OverwriteCase &question);

// An archive as the restore sees it: the rows of its list, and what a full archive holds
// beside them (the entry names above; "pic/<name>.jpg" directly in pic/). An archive
// without those has rows only, one per file entry.
struct ArchiveContents
{
    QList<ZipEntryInfo> rows;              // in archive order
    QHash<QString, ZipEntryInfo> pictures; // by the case-folded disc name
    std::optional<ZipEntryInfo> notes;
    std::optional<ZipEntryInfo> catalogs;
    std::optional<ZipEntryInfo> settings;

    // The rows' file names (no folder part), as the restore list shows them.
    QStringList rowNames() const;
};
StoreValue<ArchiveContents> readArchiveContents(const QString &zipPath);

// readArchiveContents(zipPath).rowNames(); empty when the archive cannot be read (`error`
// then says why).
StoreValue<QStringList> archiveRowNames(const QString &zipPath);

// The rows' final selection, the file names the user agreed to replace, and what is
// restored beside the disc files.
struct RestoreChoice
{
    QList<bool> selected;
    QSet<QString> replace;
    QSet<QString> pictures = {};        // picture entries to restore
    QSet<QString> replacePictures = {}; // case-folded picture file names that may be replaced
    bool settings = false;              // Data.ini written over the store's
};

// Asked for a file that exists while the carried answer is None, Yes or No; gets the file
// and the carried answer, returns the new answer (the carried one when the question was
// closed without an answer).
using OverwriteAsk = std::function<OverwriteAnswer(const OverwriteCase &, OverwriteAnswer)>;

// Walks the rows from the first: a question answered Yes / Yes to all selects the row and
// lets its file be replaced, No / No to all deselects it. Once the answer is Yes to all
// (No to all), every later row is selected (deselected) without a question, whether or
// not the user chose it and whether or not its file exists. A disc file that will be
// written brings its picture, asked about in turn when pic/ has one; last, Data.ini is
// taken when the store's is missing or empty, else as the answer to its question says.
// `answer` carries in and out, across all of them.
RestoreChoice decideRestore(const QString &programFolder, const ArchiveContents &contents,
                            const QList<bool> &selected, OverwriteAnswer &answer,
                            const OverwriteAsk &ask);

// What a restore did, counted for its closing line.
struct RestoreSummary
{
    int discs = 0;
    int pictures = 0;
    int notes = 0;   // discs whose notes came from the archive
    int skipped = 0; // entries not restored for their names
    bool settings = false;
};
// "Restored N discs, M pictures; notes of K discs; skipped S."
QString summaryText(const RestoreSummary &summary);

struct RestoreOutcome
{
    StoreResult result; // fails when the archive cannot be read or a file was not written
    UnzipReport report; // of the disc files
    RestoreSummary summary;
};

// What restore leaves free on the store's file system: an entry that would take more is
// stopped, so that a hostile archive cannot fill the disk the store lives on.
inline constexpr qint64 kRestoreSpaceReserve = 64 * 1024 * 1024;

// Under the store lock: lists the archive afresh, selects the rows as `choice` says (all of
// them when every row or no row is selected) and extracts them by bare name into cds, each
// streamed through a temporary file. An existing file (whatever the letter case of its name) is
// replaced, under its own name, only when its name is in choice.replace. Unsafe names and folder
// entries are skipped; a damaged entry leaves its file as it was. An entry that does not
// start as a disc file does (kXmlDeclaration), or that would leave less than `spaceReserve`
// bytes free, is not written: a failure naming it, while the other entries are restored.
// Then what a full archive holds beside them: the chosen pictures of the disc files written
// into pic/; for each disc file written, its notes record in the archive's notes store
// replaces the store's record of that disc (other records stay); the archive's catalogs
// that the store lacks are added after the store's own; Data.ini when choice.settings.
RestoreOutcome restoreFromArchive(const QString &programFolder, const QString &zipPath,
                                  const RestoreChoice &choice,
                                  qint64 spaceReserve = kRestoreSpaceReserve);

} // namespace orlith
