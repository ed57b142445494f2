// Orlith — desktop catalogue of removable media.
// The zip class ZipWriter and the unzip class ZipReader: standard zip archives written and read
// through libzip, with the option records and events the archive and restore windows use.
#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace orlith {

// Results of one zip or unzip run; 0 is success.
enum ZipRunResult : int {
    kZipOk = 0,
    kZipWarning = 1,      // done, but some entries were skipped or could not be read
    kZipFormatError = 3,  // not a zip archive, or a damaged one
    kZipCancelled = 9,    // a Cancel, CommentRequest or PasswordRequest handler said stop
    kZipBadOptions = 10,  // no archive named
    kZipNothingToDo = 12, // no file matched the wanted names
    kZipWriteError = 14,  // the archive or an extracted file could not be written
    kZipOpenError = 18,   // the archive could not be opened
};

// Replies to ZipReader::OverwritePrompt. The reply starts at kReplyNo: an existing file is
// kept unless a handler says otherwise.
inline constexpr int kReplyNo = 100;
inline constexpr int kReplyYes = 102;
inline constexpr int kReplyYesToAll = 103;
inline constexpr int kReplyNoToAll = 104;

// The zip option record: three strings, then 29 32-bit fields (positions 1-based).
struct ZipOptionRecord
{
    enum Field {
        Encrypt = 3,
        SystemAndHidden = 4,
        VolumeLabel = 5,
        NoDirectoryEntries = 7,
        Verbose = 10,
        Quiet = 11,
        CrLfToLf = 12,
        LfToCrLf = 13,
        JunkFolderNames = 14,
        Grow = 15,
        DeleteEntries = 18,
        Update = 19,
        Freshen = 20,
        Comment = 23,
        Recurse = 27,
    };

    QString date;       // never set
    QString rootFolder; // BasePath
    QString tempFolder; // never set
    std::array<qint32, 29> fields{};

    qint32 field(Field f) const { return fields[size_t(f) - 1]; }
    void setField(Field f, qint32 value) { fields[size_t(f) - 1] = value; }
};

// Writes zip archives. One run (Zip or Delete) opens ZipFile (creating it when missing),
// adds or replaces the entries named by the wanted names, and writes the archive
// through a temporary file, so a failed run leaves an existing archive as it was.
//
// A wanted name is a file, a folder, or a pattern with * and ? in its last part.
// Relative wanted names are files under BasePath (the process's current folder when
// BasePath is blank); the current folder itself is never changed. Folders are walked when
// RecurseSubDirs is set. Names starting with "." are hidden: patterns and walks skip them
// unless IncludeSystemAndHiddenFiles is set. With StoreFolderNames false entries get bare
// file names; otherwise their path relative to BasePath. StoreVolumeLabel has no meaning
// for these archives and is only kept in the record.
class ZipWriter : public QObject
{
    Q_OBJECT

public:
    // StoreDirectories, StoreFolderNames and RecurseSubDirs start false.
    explicit ZipWriter(QObject *parent = nullptr);

    QString ZipFile() const { return m_zipFile; }
    void setZipFile(const QString &path) { m_zipFile = path; }
    QString BasePath() const { return m_options.rootFolder; }
    void setBasePath(const QString &path) { m_options.rootFolder = path; }

    bool Encrypt() const;
    void setEncrypt(bool on);
    bool AddComment() const;
    void setAddComment(bool on);
    bool IncludeSystemAndHiddenFiles() const;
    void setIncludeSystemAndHiddenFiles(bool on);
    bool StoreVolumeLabel() const;
    void setStoreVolumeLabel(bool on);
    bool StoreDirectories() const; // stored inverted
    void setStoreDirectories(bool on);
    bool StoreFolderNames() const; // stored inverted
    void setStoreFolderNames(bool on);
    bool RecurseSubDirs() const; // stored as 2 or 0
    void setRecurseSubDirs(bool on);
    bool UpdateOnlyIfNewer() const;
    void setUpdateOnlyIfNewer(bool on);
    bool FreshenFiles() const;
    void setFreshenFiles(bool on);
    // 0 verbose, 1 quiet, 2 neither; other values change nothing.
    int MessageLevel() const;
    void setMessageLevel(int level);
    bool ConvertCRLFToLF() const;
    void setConvertCRLFToLF(bool on);
    bool ConvertLFToCRLF() const;
    void setConvertLFToCRLF(bool on);
    bool AllowAppend() const; // true only when the field holds 1
    void setAllowAppend(bool on);

    const ZipOptionRecord &options() const { return m_options; }

    void ClearFileSpecs() { m_wanted.clear(); }
    void AddFileSpec(const QString &wanted) { m_wanted.append(wanted); }
    int FileSpecCount() const { return int(m_wanted.size()); }
    // 1-based; empty outside 1..FileSpecCount().
    QString FileSpec(int index) const;

    // Adds the specified files; keeps the result for Success().
    void Zip();
    // Removes the entries whose names match the wanted names. Its result is not kept.
    int Delete();
    bool Success() const { return m_result == kZipOk; }
    int result() const { return m_result; }
    // Why the last run (Zip or Delete) failed, naming the path; empty after success.
    QString lastError() const { return m_lastError; }

signals:
    // Before each file; setting `cancel` stops the run and leaves the archive unchanged.
    void Cancel(const QString &text, bool &cancel);
    // Asked once per run when Encrypt is set; an empty password or `cancel` stops the run.
    void PasswordRequest(QString &password, bool &cancel);
    // Asked once per run when AddComment is set; an empty comment or `cancel` stops the run.
    void CommentRequest(QString &comment, bool &cancel);
    // One line per file added or removed (none when quiet), and warnings.
    void Progress(const QString &text);

private:
    int run();
    int fail(int code, const QString &message);

    QString m_zipFile;
    ZipOptionRecord m_options;
    QStringList m_wanted;
    int m_result = kZipOk;
    QString m_lastError;
};

// One entry as the listing reports it. The name is split at its last "/" or "\" into
// folder and file name.
struct UnzipEntry
{
    QString fileName;
    QString folder;
    qint64 size = 0;
    qint64 packedSize = 0;
    int compressionRatio = 0; // percent saved
    QDateTime date;
    quint32 crc = 0;
    QString method;
    qint16 encrypted = 0;
    qint16 selected = 0;
};

// The unzip option record: fifteen 32-bit fields, then the archive path and the
// extraction folder.
struct UnzipOptionRecord
{
    enum Field {
        ExtractOnlyNewer = 1,
        SpaceToUnderScore = 2,
        PromptToOverwrite = 3,
        MessageLevel = 4,
        TestZip = 6,
        Listing = 7,
        UseFolderNames = 10,
        OverwriteExisting = 11,
        ConvertCRToCRLF = 12,
        CaseSensitiveFileNames = 14,
    };

    std::array<qint32, 15> fields{};
    QString zipFile;
    QString extractFolder;

    qint32 field(Field f) const { return fields[size_t(f) - 1]; }
    void setField(Field f, qint32 value) { fields[size_t(f) - 1] = value; }
};

// What the last extraction did: files written, entries skipped and why, failures.
struct UnzipReport
{
    QStringList written;  // target file names, as written under UnzipFolder
    QStringList kept;     // existing files not replaced
    QStringList skipped;  // folder entries and names that would leave the folder
    QStringList failures; // "name: reason"
};

// Reads zip archives. Extraction never writes outside UnzipFolder: folder entries,
// absolute names and names with a ".." part are skipped; without UseFolderNames an entry
// is written by its bare file name. Every file streams through a temporary file and a
// rename, so a damaged entry leaves no part of itself and the old file stays. An existing
// file is replaced when OverwriteExisting is set, else when an OverwritePrompt handler
// replies yes (PromptToOverwrite is kept in the record; the prompt is always the event).
// Without CaseSensitiveFileNames, a file whose name differs from the entry's only in
// letter case is that entry's existing file: it is asked about and replaced under its own
// name, so the folder never gets two names for one file.
class ZipReader : public QObject
{
    Q_OBJECT

public:
    explicit ZipReader(QObject *parent = nullptr);

    QString ZipFile() const { return m_options.zipFile; }
    // Also empties the entry list.
    void setZipFile(const QString &path);
    QString UnzipFolder() const { return m_options.extractFolder; }
    void setUnzipFolder(const QString &folder) { m_options.extractFolder = folder; }

    bool ExtractOnlyNewer() const;
    void setExtractOnlyNewer(bool on);
    bool SpaceToUnderScore() const;
    void setSpaceToUnderScore(bool on);
    bool PromptToOverwrite() const;
    void setPromptToOverwrite(bool on);
    qint32 MessageLevel() const;
    void setMessageLevel(qint32 level);
    bool TestZip() const;
    void setTestZip(bool on);
    bool UseFolderNames() const;
    void setUseFolderNames(bool on);
    bool OverwriteExisting() const;
    void setOverwriteExisting(bool on);
    bool ConvertCRToCRLF() const;
    void setConvertCRToCRLF(bool on);
    bool CaseSensitiveFileNames() const;
    void setCaseSensitiveFileNames(bool on);

    const UnzipOptionRecord &options() const { return m_options; }

    // Limits for extracting into a store, both off until set. An entry whose bytes do not
    // start with `prefix` is not written; one that would leave less than `reserve` bytes
    // free on the folder's file system is stopped and its temporary file removed. Either
    // is a failure "<entry>: not restored: <why>".
    void setRequiredStart(const QByteArray &prefix, const QString &refusal);
    // An entry whose target name the check refuses (returns a reason for) is skipped.
    void setTargetCheck(std::function<QString(const QString &target)> check)
    {
        m_targetCheck = std::move(check);
    }
    void setFreeSpaceReserve(qint64 reserve) { m_spaceReserve = reserve; }

    // Appends every entry with a file name to the list (which is not emptied first), each
    // selected. An archive that cannot be read adds nothing; lastError() says why.
    void Directory();

    int FileCount() const { return int(m_entries.size()); }
    // By 1-based index; an index out of range gives an empty value.
    QString Filename(int index) const;
    QString FileDirectory(int index) const;
    qint64 FileSize(int index) const;
    qint64 FilePackedSize(int index) const;
    int FileCompressionRatio(int index) const;
    QDateTime FileDate(int index) const;
    quint32 FileCRC(int index) const;
    QString FileCompressionMethod(int index) const;
    bool FileEncrypted(int index) const;
    bool FileSelected(int index) const;
    void setFileSelected(int index, bool selected);

    // Extracts the selected entries into UnzipFolder (all of them when every entry or no
    // entry is selected). Returns true when the run reported a problem (a nonzero result);
    // result(), lastError() and report() tell more.
    bool Unzip();
    // Extracts the entries with these names (folder + "/" + file name); empty means all.
    int extract(const QStringList &include);

    int result() const { return m_result; }
    QString lastError() const { return m_lastError; }
    const UnzipReport &report() const { return m_report; }

    // libzip's version.
    static QString GetVersion();

signals:
    // An existing file would be replaced; `reply` starts at kReplyNo.
    void OverwritePrompt(const QString &fileName, int &reply);
    void Progress(const QString &text);
    // Before each entry; setting `cancel` stops the run (files already written stay).
    void Cancel(const QString &text, bool &cancel);
    // Asked once per run for the first encrypted entry; empty or `cancel` skips them.
    void PasswordRequest(QString &password, bool &cancel);

private:
    int fail(int code, const QString &message);
    const UnzipEntry *entry(int index) const;

    UnzipOptionRecord m_options;
    QList<UnzipEntry> m_entries;
    int m_result = kZipOk;
    QString m_lastError;
    UnzipReport m_report;
    QByteArray m_requiredStart;
    QString m_startRefusal;
    std::function<QString(const QString &target)> m_targetCheck;
    qint64 m_spaceReserve = -1;
};

// Where an entry may be written under the extraction folder: its bare file name, or with
// `keepFolders` its relative path. Empty when the entry must be skipped: a folder entry,
// an absolute name ("/x", "C:\x", "\\server\x"), a ".." part, or no usable file name.
QString safeEntryTarget(const QString &entryName, bool keepFolders);

} // namespace orlith
