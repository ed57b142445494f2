// Orlith — desktop catalogue of removable media.
// Archive of store files into cds.zip and their restore, as the windows and orlith-cli run them.
#pragma once

#include "core/archive/zip_archive.h"
#include "core/store/store_result.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

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

// Every file of the store folder, in name order, as the archive window lists them.
QStringList storeFileNames(const QString &programFolder);

// folder + "/cds.zip", the folder used as given (a root "/" gives "//cds.zip").
QString archivePathIn(const QString &folder);

// Refuses a folder of the store itself (cds/, pic/, temp/ or the data folder, by device and
// inode) as the archive's folder: the archive would become part of what it archives.
[[nodiscard]] StoreResult checkArchiveFolder(const QString &programFolder,
                                             const QString &targetFolder);

// Archives the named store files (bare names, no folder part) into folder/cds.zip with
// bare entry names, through `zip` so its events reach the caller. An existing cds.zip is
// updated: entries of the same name are replaced, others kept. Fails as checkArchiveFolder
// does before anything is written, or as the zip run does.
[[nodiscard]] StoreResult archiveStoreFiles(ZipWriter &zip, const QString &programFolder,
                                            const QString &targetFolder,
                                            const QStringList &fileNames);

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

// Whether cds/ holds the file: one that can be opened for reading by that name, or one
// whose name differs from it only in letter case (names compare without case: one disc,
// one file).
bool storeFileExists(const QString &programFolder, const QString &fileName);

// The entries' file names (no folder part) in archive order, as the restore list shows
// them; empty when the archive cannot be read (`error` then says why).
StoreValue<QStringList> archiveRowNames(const QString &zipPath);

// The rows' final selection and the file names the user agreed to replace.
struct RestoreChoice
{
    QList<bool> selected;
    QSet<QString> replace;
};

// Asked for a selected row whose disc file exists while the carried answer is None, Yes or
// No; gets the row's name and the carried answer, returns the new answer (the carried one
// when the question was closed without an answer).
using OverwriteAsk = std::function<OverwriteAnswer(const QString &fileName, OverwriteAnswer)>;

// Walks the rows from the first: a question answered Yes / Yes to all selects the row and
// lets its file be replaced, No / No to all deselects it. Once the answer is Yes to all
// (No to all), every later row is selected (deselected) without a question, whether or
// not the user chose it and whether or not its file exists. `answer` carries in and out.
RestoreChoice decideRestore(const QString &programFolder, const QStringList &rows,
                            const QList<bool> &selected, OverwriteAnswer &answer,
                            const OverwriteAsk &ask);

struct RestoreOutcome
{
    StoreResult result; // fails when the archive cannot be read or a file was not written
    UnzipReport report;
};

// What restore leaves free on the store's file system: an entry that would take more is
// stopped, so that a hostile archive cannot fill the disk the store lives on.
inline constexpr qint64 kRestoreSpaceReserve = 64 * 1024 * 1024;

// Lists the archive afresh, selects the entries as `choice` says (all of them when every
// row or no row is selected) and extracts them by bare name into cds, each streamed through
// a temporary file. An existing file (whatever the letter case of its name) is replaced,
// under its own name, only when its name is in choice.replace. Unsafe names and folder
// entries are skipped; a damaged entry leaves its file as it was. An entry that does not
// start as a disc file does (kXmlDeclaration), or that would leave less than `spaceReserve`
// bytes free, is not written: a failure naming it, while the other entries are restored.
RestoreOutcome restoreFromArchive(const QString &programFolder, const QString &zipPath,
                                  const RestoreChoice &choice,
                                  qint64 spaceReserve = kRestoreSpaceReserve);

} // namespace orlith
