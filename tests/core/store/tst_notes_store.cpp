// Orlith — desktop catalogue of removable media.
#include "core/store/notes_store.h"
#include "core/store/text_codec.h"

#include "core/core_fixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace orlith;
using namespace Qt::StringLiterals;
using namespace orlith::test;

namespace {

constexpr qint64 kSlot = NotesStore::kSlotSize;

// A slot built by hand from the layout, so the reader is not checked against the writer.
QByteArray rawSlot(const QByteArray &name, const QByteArray &notes, char filler = '\0')
{
    QByteArray slot;
    slot.append(char(name.size() & 0xFF)).append(char(name.size() >> 8)).append(name);
    slot.append(char(notes.size() & 0xFF)).append(char(notes.size() >> 8)).append(notes);
    return slot.append(QByteArray(kSlot - slot.size(), filler));
}

struct Opened : NotesStore
{
    explicit Opened(const QString &path) { QVERIFY2(open(path), qPrintable(lastError())); }
};

// What leaving the notes box does.
bool put(NotesStore &store, const QString &name, const QString &notes)
{
    store.resetSearch();
    const int found = store.findRecord(name);
    store.setRecord(name, notes);
    return found == NotesStore::kFound ? store.updateRecord() : store.appendRecord();
}

QString notesOf(NotesStore &store, const QString &name)
{
    store.resetSearch();
    return store.findRecord(name) == NotesStore::kFound ? store.notes() : "<none>";
}

} // namespace

class TestNotesStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.emplace().isValid()); }

    void firstNoteAndEdits()
    {
        Opened store(storePath());
        QVERIFY(put(store, "Disc A", "first note"));
        QVERIFY(put(store, "B", "b2, longer than before"));
        QVERIFY(put(store, "B", "b3")); // shorter again: no tail of the old notes may show
        QCOMPARE(readAll(storePath()), rawSlot("Disc A", "first note") + rawSlot("B", "b3"));
    }

    void handMadeStore()
    {
        QByteArray nameTooLong = rawSlot("G", "g");
        nameTooLong[0] = nameTooLong[1] = char(0xFF);
        QByteArray notesTooLong = rawSlot("H", "h");
        notesTooLong[3] = char(0x34); // 0x0834 = 2100 bytes of notes: past the slot
        notesTooLong[4] = char(0x08);
        QVERIFY(writeAll(storePath(), rawSlot("X", "one") + rawSlot("", "orphan") + nameTooLong +
                                          rawSlot("Caf\xe9", "na\xefve", '#') + notesTooLong +
                                          rawSlot("X", "two")));
        const QByteArray before = readAll(storePath());
        Opened store(storePath());
        // The search goes on after the last record found and starts over once it fails.
        store.resetSearch();
        QStringList found;
        for (int i = 0; i < 4; ++i)
            found << (store.findRecord("X") == NotesStore::kFound ? store.notes() : u"-"_s);
        QCOMPARE(found, QStringList({"one", "two", "-", "one"}));
        // Exact names only; empty and garbage slots match nothing; Latin-1 bytes read.
        for (const char *name : {"x", "", "G", "H"})
            QCOMPARE(notesOf(store, name), "<none>");
        QCOMPARE(notesOf(store, QString::fromUtf8("Café")), QString::fromUtf8("naïve"));
        // A delete carries garbage slots over byte for byte.
        QVERIFY(store.deleteRecord(6));
        QCOMPARE(readAll(storePath()), before.left(5 * kSlot));
    }

    void deleteRecords()
    {
        Opened store(storePath());
        QVERIFY(put(store, "One", "1") && put(store, "Two", "2") && put(store, "Three", "3"));
        store.resetSearch();
        QCOMPARE(store.findRecord("Two"), NotesStore::kFound);
        QVERIFY2(store.deleteRecord(0), qPrintable(store.lastError()));
        QCOMPARE(store.discName(), "Three"); // the buffer holds the record moved into slot 2
        // Deleting the last record leaves none current: no update may write past the end.
        QVERIFY(store.deleteRecord(2));
        QCOMPARE(store.currentRecordNumber(), 0);
        QVERIFY(!store.updateRecord());
        QVERIFY(put(store, "Four", "4"));
        QCOMPARE(readAll(storePath()), rawSlot("One", "1") + rawSlot("Four", "4"));
    }

    void refusedWritesLeaveStoreWhole()
    {
        Opened store(storePath());
        QVERIFY(put(store, "One", "1") && put(store, "Two", "2") && put(store, "Three", "3"));
        const QByteArray before = readAll(storePath());
        // A read-only store still shows its notes, and refuses every write (tst_faults has the
        // full disk and the unwritable folder).
        store.close();
        QVERIFY(QFile::setPermissions(storePath(), QFile::ReadOwner));
        if (QFile(storePath()).open(QIODevice::ReadWrite))
            QSKIP("running with privileges that ignore file permissions");
        NotesStore readOnly;
        QVERIFY(!readOnly.open(storePath()));
        QVERIFY(readOnly.isOpen() && !readOnly.isWritable());
        QCOMPARE(notesOf(readOnly, "Two"), "2");
        QVERIFY(!put(readOnly, "Two", "changed"));
        QVERIFY(!readOnly.deleteRecord(1));
        QCOMPARE(readAll(storePath()), before);
    }

    void recordRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("notes");
        QTest::addColumn<bool>("saves");
        QTest::newRow("exactly fits") << "Disc" << QString(2092, 'n') << true;
        QTest::newRow("one more") << "Disc" << QString(2093, 'n') << false;
        // Beyond Latin-1 the limit counts bytes: a Cyrillic letter takes two.
        QTest::newRow("two-byte letters fit") << "Disc" << QString(1046, QChar(0x0436)) << true;
        QTest::newRow("one byte over") << "Discs" << QString(1046, QChar(0x0436)) << false;
        QTest::newRow("latin-1 that forms utf-8") << u"Ã©"_s << u"x"_s << true;
    }

    // Appended, and written over another record by an update; both read back after a reopen.
    void recordRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QString, notes);
        QFETCH(bool, saves);
        {
            Opened store(storePath());
            QVERIFY(put(store, "Other", "kept"));
            const QByteArray before = readAll(storePath());
            store.setRecord(name, notes);
            QCOMPARE(store.appendRecord(), saves);
            store.resetSearch();
            QCOMPARE(store.findRecord("Other"), NotesStore::kFound);
            store.setRecord(name, notes);
            QCOMPARE(store.updateRecord(), saves);
            if (!saves) {
                QVERIFY(store.lastError().contains(storePath()));
                QCOMPARE(readAll(storePath()), before);
                return;
            }
        }
        Opened store(storePath());
        QCOMPARE(notesOf(store, name), notes); // the updated record 1
        // Names read back as the codec reads them ("Ã©" as "é"), yet are found by their bytes.
        QCOMPARE(store.discName(), decodeSingleByte(encodeSingleByte(name)));
        QCOMPARE(store.findRecord(name), NotesStore::kFound); // and the appended record 2
        QCOMPARE(store.notes(), notes);
    }

    void everyTruncationOpensAndSearches()
    {
        const std::pair<QString, QString> records[] = {{"First", "one"},
                                                       {QString::fromUtf8("Второй"), "two words"},
                                                       {"Third", QString(300, 't')}};
        Opened writer(storePath());
        for (const auto &[name, notes] : records)
            QVERIFY(put(writer, name, notes));
        writer.close();
        const QByteArray full = readAll(storePath());
        const QString cut = m_dir->filePath(u"cut.usr"_s);
        for (qsizetype len = 0; len <= full.size(); ++len) {
            QVERIFY(writeAll(cut, full.left(len)));
            Opened store(cut);
            // An append first makes a partial slot whole, holding just what was read: a cut
            // name hides its record, cut notes keep the bytes that are left.
            QVERIFY(put(store, "New", "n"));
            QCOMPARE(readAll(cut).size(), ((len + kSlot - 1) / kSlot + 1) * kSlot);
            QVERIFY(store.open(cut));
            for (qsizetype i = 0; i < 3; ++i) {
                const auto &[name, notes] = records[i];
                const qsizetype notesAt = i * kSlot + 2 + name.toUtf8().size() + 2;
                const QString want =
                    len < notesAt - 2
                        ? u"<none>"_s
                        : notes.left(std::clamp<qsizetype>(len - notesAt, 0, notes.size()));
                QVERIFY2(notesOf(store, name) == want, qPrintable(QString::number(len)));
            }
            QCOMPARE(notesOf(store, "New"), "n");
        }
    }

private:
    QString storePath() const { return m_dir->filePath(u"usrdisc.usr"_s); }
    std::optional<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestNotesStore)
#include "tst_notes_store.moc"
