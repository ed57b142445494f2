// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/store_result.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

namespace orlith {

struct DiscIdentity;

// The notes store "usrdisc.usr": the user's personal notes, one record per disc.
//
// Layout: record r (numbered from 1) fills the 2100-byte slot at offset (r - 1) * 2100. It
// holds the disc name, then the notes, each as a 16-bit little-endian byte count followed by
// the text as encodeSingleByte writes it. Bytes after the notes are not part of the record
// (this class writes them as zeros). A record whose counts are 0 is an empty record: it
// matches no disc name. A record saves only when name bytes + notes bytes <= 2096.
//
// Damaged files load what they can and never lose what can be read:
// - A slot whose length words run past the slot is garbage and reads as an empty record;
//   its bytes stay in the file (a delete copies the slot as it is).
// - A file whose length is not a multiple of 2100 ends in a partial slot (a write cut
//   short). It still counts as the last record: a name cut short makes it an empty record,
//   notes cut short keep the bytes that survive. Before anything is written after it, it
//   is written out as a whole slot holding exactly what was read, so its length words
//   then agree with its bytes.
//
// One record buffer and one search position serve every caller, which resets the search,
// finds and writes in one go. Single-threaded. Names are cached when the store opens, so
// a search reads the file only for the record it finds; nothing else may write the file
// while it is open.
class NotesStore
{
public:
    static constexpr qint64 kSlotSize = 2100;
    // Name and notes bytes together that fit a slot beside the two length words.
    static constexpr qint64 kMaxTextBytes = kSlotSize - 4;

    static constexpr int kFound = 1;
    static constexpr int kNotFound = 2;

    NotesStore() = default;
    NotesStore(const NotesStore &) = delete;
    NotesStore &operator=(const NotesStore &) = delete;

    // Opens the store file, creating it empty when missing, and sets the next record number
    // to one past the last record. Resets the search; the current record number becomes 0.
    // When the file can be read but not written, returns false, yet searches still work
    // (isOpen() is true) and every write fails.
    [[nodiscard]] bool open(const QString &path);
    void close();

    // Callers reset before every search.
    void resetSearch() { m_lastFound = 0; }

    // Searches from the record after the last one found for a record whose disc name is
    // exactly `name`. kFound: the record is in the buffer and is the current record.
    // kNotFound: the search starts from the first record again; the buffer is unchanged.
    int findRecord(const QString &name);

    // Writes the buffer over the current record. Fails, leaving the store unchanged, when
    // there is no current record or the buffer does not fit a slot.
    [[nodiscard]] bool updateRecord();

    // Writes the buffer as a new record after the last one, which becomes the current
    // record. Fails, leaving the store unchanged, when the buffer does not fit a slot.
    [[nodiscard]] bool appendRecord();

    // Removes record n (0 = the current record) and closes the gap: later records move up
    // by one. The store file is replaced in one step (a crash leaves the old or the new
    // store), then opened again, and the buffer holds the record that now fills slot n;
    // the current record number is n when there is one, else 0 with an empty buffer.
    // Fails, leaving the file untouched, when record n does not exist.
    [[nodiscard]] bool deleteRecord(qint32 n);

    // The record buffer.
    const QString &discName() const { return m_discName; }
    const QString &notes() const { return m_notes; }
    void setRecord(const QString &name, const QString &notes);

    // True when a record of this name and notes fits one slot.
    static bool recordFits(const QString &name, const QString &notes);

    qint32 nextRecordNumber() const { return m_next; }
    qint32 currentRecordNumber() const { return m_current; }
    qint32 recordCount() const { return m_next - 1; }

    bool isOpen() const { return m_file.isOpen(); }
    bool isWritable() const { return m_file.isOpen() && m_file.isWritable(); }
    const QString &path() const { return m_path; }

    // What the last failed call could not do, naming the path.
    const QString &lastError() const { return m_lastError; }

private:
    struct CachedName
    {
        QByteArray bytes;
        QString text;
    };

    bool fail(const QString &message);
    bool checkWritable();
    QByteArray readSlot(qint32 r);
    // Writes whole slots from slot r on. Should the write fail (a full disk), the bytes it
    // overwrote are put back and the file cut to its old length: the store is unchanged.
    bool writeSlot(qint32 r, const QByteArray &bytes);
    bool encodeBuffer(QByteArray &slot);

    QString m_path;
    QFile m_file;
    QList<CachedName> m_names; // index r - 1
    bool m_partialLastSlot = false;
    // Why the store could only be opened for reading ("Permission denied").
    QString m_readOnlyReason;
    qint32 m_next = 1;
    qint32 m_current = 0;
    qint32 m_lastFound = 0;
    QString m_discName;
    QString m_notes;
    QString m_lastError;
};

// Sets the notes of `disc` (its record updated, or appended when it has none) under the
// store lock, reopening `notes` from `path` first: another process may have added, moved or
// compacted records since it was opened. The error names the file and what failed.
// With `typedFor` (the disc file when the notes were typed), the notes go to that disc
// wherever it is now: renamed by another process, it is found by its file; gone or
// rewritten, nothing is written and the error says the disc changed. The value is the disc
// the notes went to.
StoreValue<QString> saveDiscNotes(NotesStore &notes, const QString &programFolder,
                                  const QString &disc, const QString &text,
                                  const DiscIdentity *typedFor = nullptr);

} // namespace orlith
