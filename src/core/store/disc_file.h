// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/disc_info.h"
#include "core/store/safe_write.h"
#include "core/store/store_result.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <limits>

namespace orlith {

// The first line of every disc file; readers compare against this same text.
inline constexpr char kXmlDeclaration[] = R"(<?xml version="1.0" encoding="ISO-8859-1"?>)";

// One file of a disc. Sizes are 64-bit: a file of 2 GiB or more keeps its true size.
struct FileEntry
{
    QString name;
    QString path;
    qint64 size = 0;
    QString date;
    // The content checksum, "xxh128:" and 32 hex digits (contentHashText), or empty when the
    // file was not read. Unlike the other fields it never carries over to the next entry.
    QByteArray hash = {};
};

// programFolder + "/cds/" + disc + ".xml"
QString discFilePath(const QString &programFolder, const QString &discName);

// Sign-padded number text: a space before numbers of 0 and above, "-" before negatives.
QString signPadded(qint64 value);

// Kilobytes with two decimals ("1.50" for 1536 bytes), as lists show sizes.
QString kilobytesText(qint64 bytes);

// The exact bytes of a disc file: declaration, empty line, <cd-dvd>, catalog line, the info
// line (when `info` is not empty), six lines per entry, </cd-dvd>; CR LF line ends; no
// escaping; values as encodeLineValue (a control character in a name becomes U+FFFD, so a
// name cannot add lines).
QByteArray discFileBytes(const QString &catalog, const QList<FileEntry> &entries,
                         const DiscInfo &info = {});

// Writes a disc file through a temporary file and a rename, so the path holds either the
// old file or the complete new one. A NewStoreFile fails when the name was taken meanwhile.
StoreResult writeDiscFile(const QString &path, const QString &catalog,
                          const QList<FileEntry> &entries,
                          AtomicFile::Kind kind = AtomicFile::Kind::StoreFile,
                          const DiscInfo &info = {});

// Tags a disc file line can carry.
// Hash is a line of this program's own inside an entry (the described readers skip it).
enum class DiscTag { Name, Path, Size, Date, Hash };

// A tagged line: raw value bytes (not yet decoded), pointing into the scanned buffer.
struct DiscLine
{
    DiscTag tag = DiscTag::Name;
    const char *value = nullptr;
    qsizetype size = 0;

    QString text() const;
    QByteArrayView bytes() const { return {value, size}; }
    // Copies the value into `out`, reusing its storage: the current fields of a scan are
    // refreshed every entry without a new allocation.
    void copyTo(QByteArray &out) const;
};

// No disc file line written here comes near this; a longer one is skipped whole (never
// held in memory) and counted, so a damaged or hostile disc file cannot make a reader grow.
// The LF is not counted; a CR before it is.
inline constexpr qsizetype kMaxDiscLineBytes = 64 * 1024;

// How many lines longer than kMaxDiscLineBytes were skipped in one disc's file.
struct SkippedLongLines
{
    QString disc;
    qsizetype count = 0;
};

// "skipped N lines longer than 64 KiB in cds/<disc>.xml", one line, for the user.
QString skippedLongLinesText(const SkippedLongLines &skipped);

// The one reading rule of disc files, over bytes: lines split at LF (a CR before it is
// dropped), spaces trimmed at both ends, tag = first 11 bytes, value = the bytes between
// the 11-byte opening tag and a 12-byte closing tag (which is not compared). Lines that
// fit no rule are skipped, and so are lines longer than kMaxDiscLineBytes (counted by
// longLines()). A file is read in blocks through one reused buffer of fixed size, so reading
// a disc costs no memory beyond it, however long its lines, and builds nothing per line.
class DiscReader
{
public:
    DiscReader();
    // Reads bytes already in memory; they must outlive the reader.
    explicit DiscReader(QByteArrayView bytes);
    ~DiscReader();
    DiscReader(const DiscReader &) = delete;
    DiscReader &operator=(const DiscReader &) = delete;

    // Starts reading a disc file; fails with a message naming the path.
    StoreResult open(const QString &path);

    // Moves to the next tagged line; false at the end (or on a read error, see error()).
    // The line's value points into the reader's buffer until the next call.
    bool nextLine(DiscLine &line);

    // The next complete entry: a tag line updates the current entry and a date line
    // completes it; fields not given again keep the previous entry's value.
    bool nextEntry(FileEntry &entry);

    // The next line as it stands, without its line end and not trimmed.
    bool nextRawLine(const char *&b, const char *&e);

    // Size of the opened file in bytes (0 for bytes in memory); lets callers reserve.
    qint64 fileSize() const { return m_fileSize; }

    // Set when reading the file failed part-way; entries read so far stay valid.
    const QString &error() const { return m_error; }

    // Lines longer than kMaxDiscLineBytes skipped so far.
    qsizetype longLines() const { return m_longLines; }

private:
    bool refill();
    void skipRestOfLine();

    int m_fd = -1;
    QString m_path;
    QByteArray m_buffer;
    const char *m_pos = nullptr;
    const char *m_end = nullptr;
    bool m_eof = true;
    qint64 m_fileSize = 0;
    QString m_error;
    FileEntry m_current;
    qsizetype m_longLines = 0;
};

// The reading rule for one raw line (its LF removed): a CR at its end is dropped, spaces
// trimmed, and the tag and value found. False for a line that fits no rule.
bool classifyDiscLine(const char *b, const char *e, DiscLine &line);

// A size value read as a number: leading spaces skipped, an optional sign, digits; a
// fraction is dropped and anything else ends the number (so "abc" reads 0).
qint64 parseSizeValue(QByteArrayView value);

// Reads a whole disc file into `bytes`, unless it holds more than `limit` bytes (or grows past
// it while being read); `whole` says whether it was read. Fails with a message naming the
// path.
StoreResult readDiscFileBytes(const QString &path, QByteArray &bytes,
                              qint64 limit = std::numeric_limits<qint64>::max(),
                              bool *whole = nullptr);

// Every entry of a disc file, by the reading rule.
StoreResult readDiscEntries(const QString &path, QList<FileEntry> &entries);

// Number of entries of a disc as decimal text: the lines holding "<file_name>" (any
// letter case), each counted once. "0" for a missing file.
QString fileCountText(const QString &programFolder, const QString &discName);
qsizetype countFileEntries(QByteArrayView bytes);

// The catalog a disc file names, read as the tree loader reads it: from the 10th character
// of the first line that is not empty, the declaration or <cd-dvd>, up to the first "<",
// going on into later lines while no "<" is met. Empty when there is none, and when the
// line holding that "<" does not end within the file's first 4 KiB (unless the file ends
// there): such a file names no catalog, and no more of it than that is ever read.
QString readCatalogName(QByteArrayView bytes);
// Same, reading only as much of the file as it needs.
QString readCatalogNameFromFile(const QString &path, bool *readable = nullptr);
// Same, from a file open for reading at its start (the caller closes it).
QString readCatalogNameFromFd(int fd, bool *readable = nullptr);

} // namespace orlith
