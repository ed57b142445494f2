// Orlith — desktop catalogue of removable media.
#include "core/store/notes_store.h"

#include "core/store/disc_file.h"
#include "core/store/disc_identity.h"
#include "core/store/program_folder.h"
#include "core/store/safe_write.h"
#include "core/store/store_lock.h"
#include "core/store/text_codec.h"

#include <QtEndian>

#include <cstring>
#include <limits>

namespace orlith {

namespace {

struct SlotFields
{
    QByteArrayView name;
    QByteArrayView notes;
};

quint16 lengthAt(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

// The fields of a slot of which `available` bytes exist (fewer than a slot only for a
// partial last slot). Never reads past `available`.
SlotFields parseSlot(const char *data, qint64 available)
{
    constexpr qint64 slot = NotesStore::kSlotSize;
    if (available < 2)
        return {};
    const qint64 nameLen = lengthAt(data);
    if (4 + nameLen > slot || 2 + nameLen > available)
        return {}; // garbage, or a name cut short that could only match by accident
    SlotFields f;
    f.name = QByteArrayView(data + 2, nameLen);
    if (4 + nameLen > available)
        return f;
    const qint64 notesLen = lengthAt(data + 2 + nameLen);
    if (4 + nameLen + notesLen > slot)
        return {};
    f.notes = QByteArrayView(data + 4 + nameLen, qMin(notesLen, available - 4 - nameLen));
    return f;
}

SlotFields parseSlot(const QByteArray &bytes)
{
    return parseSlot(bytes.constData(), bytes.size());
}

// A whole slot holding the two fields; the caller has checked that they fit.
QByteArray makeSlot(QByteArrayView name, QByteArrayView notes)
{
    QByteArray slot(NotesStore::kSlotSize, '\0');
    char *p = slot.data();
    for (QByteArrayView field : {name, notes}) {
        qToLittleEndian<quint16>(quint16(field.size()), p);
        if (!field.isEmpty())
            memcpy(p + 2, field.data(), size_t(field.size()));
        p += 2 + field.size();
    }
    return slot;
}

} // namespace

void NotesStore::close()
{
    m_file.close();
    m_names.clear();
    m_partialLastSlot = false;
    m_next = 1;
    m_current = 0;
    m_lastFound = 0;
}

bool NotesStore::open(const QString &path)
{
    close();
    m_path = path;
    m_file.setFileName(path);
    QString writeError;
    // Unbuffered: reads and writes alternate at random offsets, and every write must be on
    // disk before the call reports success.
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        writeError = m_file.errorString();
        if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return fail(QStringLiteral("Cannot open %1:\n%2").arg(path, writeError));
    }

    QByteArray slot(kSlotSize, Qt::Uninitialized);
    // The record numbers are 32-bit; a file of more slots is not a notes store.
    while (m_names.size() < std::numeric_limits<qint32>::max() - 1) {
        const qint64 got = m_file.read(slot.data(), kSlotSize);
        if (got < 0) {
            const QString reason = m_file.errorString();
            close();
            return fail(QStringLiteral("Cannot read %1:\n%2").arg(path, reason));
        }
        if (got == 0)
            break;
        const QByteArrayView name = parseSlot(slot.constData(), got).name;
        m_names.append({name.toByteArray(), decodeSingleByte(name.data(), name.size())});
        if (got < kSlotSize) {
            m_partialLastSlot = true;
            break;
        }
    }
    m_next = qint32(m_names.size()) + 1;

    m_readOnlyReason = writeError;
    if (!writeError.isEmpty())
        return fail(QStringLiteral("Cannot open %1 for writing:\n%2").arg(path, writeError));
    return true;
}

int NotesStore::findRecord(const QString &name)
{
    const QByteArray bytes = encodeSingleByte(name);
    for (qint32 r = m_lastFound + 1; r < m_next; ++r) {
        const CachedName &cached = m_names.at(r - 1);
        // Bytes first: two texts may decode alike from different bytes, and the bytes are
        // what this program wrote for the name.
        if (cached.bytes.isEmpty() || (cached.bytes != bytes && cached.text != name))
            continue;
        const QByteArray slot = readSlot(r);
        if (slot.isNull())
            break;
        const SlotFields f = parseSlot(slot);
        m_discName = decodeSingleByte(f.name.data(), f.name.size());
        m_notes = decodeSingleByte(f.notes.data(), f.notes.size());
        m_current = r;
        m_lastFound = r;
        return kFound;
    }
    m_lastFound = 0;
    return kNotFound;
}

bool NotesStore::updateRecord()
{
    if (!checkWritable())
        return false;
    if (m_current < 1 || m_current >= m_next)
        return fail(QStringLiteral("Cannot write %1:\nno notes record is selected").arg(m_path));
    QByteArray slot;
    if (!encodeBuffer(slot) || !writeSlot(m_current, slot))
        return false;
    if (m_current == m_next - 1)
        m_partialLastSlot = false;
    const QByteArrayView name = parseSlot(slot).name;
    m_names[m_current - 1] = {name.toByteArray(), decodeSingleByte(name.data(), name.size())};
    return true;
}

bool NotesStore::appendRecord()
{
    if (!checkWritable())
        return false;
    if (m_next == std::numeric_limits<qint32>::max())
        return fail(QStringLiteral("Cannot write %1:\nthe store is full").arg(m_path));
    QByteArray slot;
    if (!encodeBuffer(slot))
        return false;
    // A partial last slot is written out whole in the same write, so that the zeros
    // between it and the new record do not turn into notes.
    qint32 first = m_next;
    if (m_partialLastSlot) {
        const QByteArray partial = readSlot(--first);
        if (partial.isNull())
            return false;
        const SlotFields f = parseSlot(partial);
        slot.prepend(makeSlot(f.name, f.notes));
    }
    if (!writeSlot(first, slot))
        return false;
    m_partialLastSlot = false;
    slot.remove(0, (m_next - first) * kSlotSize);
    const QByteArrayView name = parseSlot(slot).name;
    m_names.append({name.toByteArray(), decodeSingleByte(name.data(), name.size())});
    m_current = m_next;
    ++m_next;
    return true;
}

bool NotesStore::deleteRecord(qint32 n)
{
    if (n == 0)
        n = m_current;
    if (!checkWritable())
        return false;
    if (n < 1 || n >= m_next)
        return fail(QStringLiteral("Cannot delete notes record %1 of %2:\nthere is no such record")
                        .arg(n)
                        .arg(m_path));

    // The compacted copy replaces the store by a rename, so a crash or a full disk leaves
    // either the old store or the new one.
    AtomicFile out(m_path);
    if (StoreResult r = out.open(); !r)
        return fail(r.error);
    for (qint32 r = 1; r < m_next; ++r) {
        if (r == n)
            continue;
        QByteArray slot = readSlot(r);
        if (slot.isNull())
            return false;
        if (slot.size() < kSlotSize) {
            const SlotFields f = parseSlot(slot);
            slot = makeSlot(f.name, f.notes);
        }
        if (!out.write(slot))
            return fail(out.error());
    }
    if (StoreResult r = out.commit(); !r)
        return fail(r.error);

    if (!open(m_path))
        return false;
    if (n < m_next) {
        const QByteArray slot = readSlot(n);
        if (slot.isNull())
            return false;
        const SlotFields f = parseSlot(slot);
        m_discName = decodeSingleByte(f.name.data(), f.name.size());
        m_notes = decodeSingleByte(f.notes.data(), f.notes.size());
        m_current = n;
    } else {
        m_discName.clear();
        m_notes.clear();
        m_current = 0;
    }
    return true;
}

void NotesStore::setRecord(const QString &name, const QString &notes)
{
    m_discName = name;
    m_notes = notes;
}

bool NotesStore::recordFits(const QString &name, const QString &notes)
{
    return encodeSingleByte(name).size() + encodeSingleByte(notes).size() <= kMaxTextBytes;
}

bool NotesStore::fail(const QString &message)
{
    m_lastError = message;
    return false;
}

bool NotesStore::checkWritable()
{
    if (!m_file.isOpen())
        return fail(QStringLiteral("Cannot write %1:\nthe notes store is not open").arg(m_path));
    if (!m_file.isWritable())
        return fail(QStringLiteral("Cannot write %1:\n%2").arg(m_path, m_readOnlyReason));
    return true;
}

// Slot r as the file holds it: kSlotSize bytes, fewer for a partial last slot. A null
// array on a read error.
QByteArray NotesStore::readSlot(qint32 r)
{
    QByteArray slot(kSlotSize, Qt::Uninitialized);
    qint64 got = -1;
    if (m_file.seek(qint64(r - 1) * kSlotSize))
        got = m_file.read(slot.data(), kSlotSize);
    if (got < 0) {
        fail(QStringLiteral("Cannot read %1:\n%2").arg(m_path, m_file.errorString()));
        return {};
    }
    slot.truncate(got);
    return slot;
}

bool NotesStore::writeSlot(qint32 r, const QByteArray &bytes)
{
    const qint64 offset = qint64(r - 1) * kSlotSize;
    const qint64 oldSize = m_file.size();
    QByteArray old(bytes.size(), Qt::Uninitialized);
    const qint64 got = m_file.seek(offset) ? m_file.read(old.data(), old.size()) : -1;
    if (got < 0)
        return fail(QStringLiteral("Cannot read %1:\n%2").arg(m_path, m_file.errorString()));
    old.truncate(got);
    if (m_file.seek(offset) && writeAll(m_file, bytes))
        return true;
    const QString reason = m_file.errorString();
    // Putting back bytes the file held needs no new space, so this works on a full disk.
    if (!m_file.seek(offset) || !writeAll(m_file, old) || !m_file.resize(oldSize))
        return fail(QStringLiteral("Cannot write %1:\n%2\nThe notes store may now be damaged: %3")
                        .arg(m_path, reason, m_file.errorString()));
    return fail(QStringLiteral("Cannot write %1:\n%2").arg(m_path, reason));
}

bool NotesStore::encodeBuffer(QByteArray &slot)
{
    const QByteArray name = encodeSingleByte(m_discName);
    const QByteArray notes = encodeSingleByte(m_notes);
    if (name.size() + notes.size() > kMaxTextBytes)
        return fail(QStringLiteral("Cannot write %1:\nthe notes of \"%2\" take %3 bytes; a "
                                   "record holds at most %4 bytes of name and notes")
                        .arg(m_path, m_discName)
                        .arg(name.size() + notes.size())
                        .arg(kMaxTextBytes));
    slot = makeSlot(name, notes);
    return true;
}

StoreValue<QString> saveDiscNotes(NotesStore &notes, const QString &programFolder,
                                  const QString &disc, const QString &text,
                                  const DiscIdentity *typedFor)
{
    using Saved = StoreValue<QString>;
    StoreLock lock(programFolder);
    if (!lock.locked())
        return Saved::failure(lock.error());
    QString target = disc;
    if (typedFor && !(discIdentity(discFilePath(programFolder, disc)) == *typedFor)) {
        target = findDiscByFile(programFolder, *typedFor);
        if (target.isEmpty())
            return Saved::failure(discChangedMessage(disc));
    }
    notes.close();
    const bool writable = notes.open(notesStorePath(programFolder));
    if (!notes.isOpen() || !writable)
        return Saved::failure(notes.lastError());
    notes.resetSearch();
    const bool found = notes.findRecord(target) == NotesStore::kFound;
    notes.setRecord(target, text);
    if (!(found ? notes.updateRecord() : notes.appendRecord()))
        return Saved::failure(notes.lastError());
    return Saved::success(target);
}

} // namespace orlith
