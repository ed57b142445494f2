// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/disc_info.h"
#include "core/store/node_kind.h"
#include "core/store/store_result.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace orlith {

class CatalogueIndex;
class DriveProvider;
class NotesStore;
class StoreLock;
struct DiscIdentity;
struct FileEntry;

// Message texts of the new-disc, new-catalog, rename and delete commands, exactly. Each
// goes into a box with the exclamation icon and the title "Error", unless said otherwise.
inline constexpr char kNoDrivesFound[] = "No valid CD drives found.";
inline constexpr char kNoMedia[] = "There is no media In the drive.";
inline constexpr char kNameInUse[] = "Name you entered is allready in use.";
inline constexpr char kEnterDiscName[] = "You must enter CD/DVD name.";
inline constexpr char kChooseCatalog[] = "You must chose catalog for your CD/DVD.";
inline constexpr char kDiscNameIsNumber[] = "CD/DVD name can not be number.";
inline constexpr char kNoValidDrive[] = "You don't have any valid CD/DVD drive.";
inline constexpr char kEnterCatalogName[] = "You must enter catalog name.";
inline constexpr char kCatalogNameIsNumber[] = "Catalog name can not be number.";
inline constexpr char kRenameCatalogIsNumber[] = "Catalog name can not be a number.";
inline constexpr char kRenameDiscIsNumber[] = "CD/DVD name can not be a number.";
inline constexpr char kEnterNewName[] = "You must enter new name.";
// The delete question: OK / Cancel buttons, question icon, this title.
inline constexpr char kDeleteQuestion[] = "Are you sure you want delete this file?";
inline constexpr char kDeleteTitle[] = "Delete File";
// The catalog combo's text before a catalog is chosen.
inline constexpr char kChoseCatalogText[] = "Chose Catalog";

// The numeric test names must fail: optional spaces, an optional sign, digits with at
// most one decimal point (at least one digit), an optional exponent (E or e, optional
// sign, digits), optional spaces. 42, -7, 1.5, 1E3 and " 12 " are numbers; 2024a is not.
bool isNumericName(const QString &name);

// What the new-disc dialog hands over.
struct NewDiscInput
{
    QString name;
    QString catalog; // the combo's text: kChoseCatalogText until one is chosen
    QString drive;   // the drive combo's text (a mount point) or a folder
    // Saving a list as a disc: no drive is asked for or checked.
    bool virtualMode = false;
};

// What deleting a node does.
enum class DeleteAction {
    Nothing,           // the root, a catalog that has discs, an unknown name
    AskThenDeleteDisc, // ask kDeleteQuestion; on OK call deleteDisc
    DeleteCatalog,     // an empty catalog: deleteCatalog at once, no question
};

// Checks and edits of the store's names: new disc (the check only; CaptureJob captures),
// new catalog, rename and delete. Each edit takes the store lock, re-reads the index (the
// caller's, which thus follows the store) and the notes, changes the files and the index
// together and returns the message to show; the engine never shows a box. The tree is the caller's
// to rebuild or patch from the index afterwards, and the file list is the caller's to clear.
//
// Name rules, in every dialog: empty (or spaces only) and numeric names are refused with
// the dialog's own message; names a file could not carry (see isUsableFileName) get
// kBadFileNameMessage; names already used as a key (any catalog, any disc, "katalog",
// "Catalogs"; letter case ignored) or by a disc file in cds/ get kNameInUse.
//
// Every store file is rewritten through a temporary file and a rename, so a crash at any
// moment leaves each file whole, old or new. katalog.ini is rewritten after every change
// of the catalogs, so a new catalog survives even a crash of the program.
class StoreEdits
{
public:
    // `notes` is the program's one notes store; it is opened on first need when closed.
    StoreEdits(QString programFolder, CatalogueIndex &index, NotesStore &notes);

    using NodeKind = orlith::NodeKind;
    // Catalog, Disc, or None for a name the store does not hold (never Root).
    NodeKind kindOf(const QString &name) const;

    // NewDiscDialog's OK, in its order: media (unless virtual, and only when `drives` is
    // given), name in use, then the first of: empty name, no catalog chosen (or not one
    // of the index), numeric name (when a drive is given or none is needed), unusable
    // characters, no drive. Changes nothing.
    StoreResult checkNewDisc(const NewDiscInput &input, const DriveProvider *drives) const;

    // The new-catalog dialog's OK: adds the catalog after the others and rewrites katalog.ini.
    StoreResult newCatalog(const QString &name);

    // The rename dialog's OK for the selected disc or catalog `selected`.
    // Disc: the disc file is renamed (a directory entry: its content is not rewritten); the
    // picture pic/<old>.jpg, when there is a non-empty one, follows; the notes record
    // follows, keeping its notes (or taking `notesText` when given, the text the details
    // pane shows). With `expected` (the disc file as it was when the user chose it), a
    // disc whose file is no longer that file is left alone: discChangedMessage.
    // Catalog: every disc file of the catalog is rewritten with each line trimmed of
    // spaces and the catalog line "<catalog>" + new name + "</catalog>", one file at a
    // time, each atomically. Should one fail, the rewrite stops there: the discs already
    // rewritten move to a catalog of the new name, the others stay, and the message says
    // so. katalog.ini is rewritten.
    StoreResult rename(const QString &selected, const QString &newName,
                       std::optional<QString> notesText = std::nullopt,
                       const DiscIdentity *expected = nullptr);

    DeleteAction deleteActionFor(const QString &name) const;
    // Removes the disc file (as a directory entry, see removeStoreFile) and the disc's notes
    // record and node. The picture stays. A disc file that cannot be removed changes
    // nothing; with `expected`, neither does one that is no longer that file.
    StoreResult deleteDisc(const QString &name, const DiscIdentity *expected = nullptr);
    // Removes a catalog without discs and rewrites katalog.ini.
    StoreResult deleteCatalog(const QString &name);

    // True when cds/ holds a disc file of this name, letter case ignored; such a file
    // would be replaced, so the name is in use even when the index skipped the file.
    bool discFileExists(const QString &name) const;

    const QString &programFolder() const { return m_programFolder; }

private:
    // Takes the store lock and re-reads the index and (on next need) the notes store, so
    // an edit works on the store as it is now, not as this process last saw it.
    bool beginEdit(StoreLock &lock, StoreResult &refused);
    bool isUnfinishedRename(const QString &to) const;
    StoreResult finishCatalogRename(const QString &from, const QString &to);
    StoreResult renameDisc(const QString &from, const QString &to,
                           const std::optional<QString> &notesText);
    StoreResult renameCatalog(const QString &from, const QString &to);
    StoreResult openNotes();

    QString m_programFolder;
    CatalogueIndex &m_index;
    NotesStore &m_notes;
};

// True when cds/ holds a disc file of this name, letter case ignored.
bool discFileExists(const QString &programFolder, const QString &name);

// Writes a new disc file under the store lock, after checking that no catalog, disc or disc
// file (a dangling link included) took the name meanwhile (another window or orlith-cli may
// have); the file is created exclusively. The disc goes into the catalog as it is under the
// lock: `catalog` (as the index spelled it) when it still exists, else the one that now
// holds `catalogDiscs` (the catalog was renamed meanwhile); failing both, nothing is
// written. `filedCatalog` receives the catalog used. The index is the caller's to update.
// `info`, when not empty, is the medium's info line.
StoreResult writeNewDiscFile(const QString &programFolder, const QString &disc,
                             const QString &catalog, const QList<FileEntry> &entries,
                             const QStringList &catalogDiscs = {}, QString *filedCatalog = nullptr,
                             const DiscInfo &info = {});

// At shut-down: katalog.ini gains, under the lock, the catalogs that only disc files name;
// what another process wrote there is kept, and an existing file that misses nothing is
// left alone.
StoreResult syncCatalogOrder(const QString &programFolder);

// A catalog rename's rewrite of one disc file: every line (split at LF, a CR before it
// dropped) trimmed of spaces at both ends; a line starting "<catalog>" replaced by
// "<catalog>" + catalog + "</catalog>"; CR LF after every line.
QByteArray rewriteCatalogLine(const QByteArray &discFile, const QString &catalog);

} // namespace orlith
