// Orlith — desktop catalogue of removable media.
// The search index answers exactly as the scan does, stays current through changes, and is
// never needed for a right answer.
#include "core/search/disc_search.h"
#include "core/search/search_index.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "core/store/store_lock.h"
#include "core/store/text_codec.h"

#include "search_fixtures.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kBlockTable = -1;

// Path pieces: case pairs in Latin-1 and beyond, a Kelvin sign and a long s (which fold to
// ASCII letters), "ß" (whose upper case is "SS") and final sigma.
const char *const kPieces[] = {"Été",         "été",    "ÄPFEL",   "äpfel",   "Концерт",
                               "КОНЦЕРТ",     "straße", "STRASSE", "Σίσυφος", "ΣΊΣΥΦΟΣ",
                               "\u212Aelvin", "ſun",    "Music",   "music",   "a b",
                               "x.mp3",       "D:",     "Kelvin",  "ab",      "日本語"};

QString randomPath(QRandomGenerator &rng)
{
    QString path = rng.bounded(4) == 0 ? u"D:"_s : QString();
    const int depth = 1 + rng.bounded(4);
    for (int i = 0; i < depth; ++i)
        path += QLatin1Char('/') +
                QString::fromUtf8(kPieces[rng.bounded(int(std::size(kPieces)))]) +
                QString::number(rng.bounded(3));
    return path;
}

QByteArray encode(const QString &text, bool utf8)
{
    return utf8 ? text.toUtf8() : encodeLineValue(text);
}

// A disc file written line by line, so that values can be UTF-8 even where ISO-8859-1 would
// do, and so that an entry can lack a line.
QByteArray discBytes(QRandomGenerator &rng, int entries, bool utf8, bool irregular)
{
    QByteArray bytes = "<catalog>Music</catalog>\r\n";
    for (int i = 0; i < entries; ++i) {
        const QString path = randomPath(rng);
        const QString name = path.section(QLatin1Char('/'), -1);
        if (!(irregular && i % 4 == 0 && i > 0))
            bytes += "    <file_name>" + encode(name, utf8) + "</file_name>\r\n";
        bytes += "    <file_path>" + encode(path, utf8) + "</file_path>\r\n";
        bytes += "    <file_size>" + QByteArray::number(rng.bounded(5000000)) + "</file_size>\r\n";
        bytes += "    <file_date>" +
                 day(2000 + rng.bounded(20), 1 + rng.bounded(12), 1).toLatin1() +
                 "</file_date>\r\n";
    }
    return bytes;
}

QStringList rowsText(const QList<FileRow> &rows)
{
    QStringList out;
    for (const FileRow &row : rows)
        out << row.entry().name + u'|' + row.entry().path + u'|' +
                   QString::number(row.entry().size) + u'|' + row.entry().date + u'|' + row.disc();
    return out;
}

// What the scan finds, disc by disc, without the index.
QStringList scanned(const QString &root, const QStringList &discs, const SearchCriteria &criteria)
{
    const DiscSearch search(criteria);
    QList<FileRow> rows;
    for (const QString &disc : discs)
        (void)search.searchDisc(root, disc, rows);
    return rowsText(rows);
}

QStringList found(const QString &root, const QStringList &discs, const SearchCriteria &criteria)
{
    return rowsText(searchDiscs(root, discs, criteria));
}

} // namespace

class TestSearchIndex : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->path();
        QVERIFY(ensureStoreFolders(m_root).ok());
        m_discs.clear();
        for (int d = 0; d < 12; ++d) {
            const QString name = u"Disc %1"_s.arg(d);
            // Disc 5 lacks name lines now and then: the scan carries the name before it, so the
            // index leaves such a disc to the scan.
            QVERIFY(writeAll(
                discFilePath(m_root, name),
                discBytes(m_rng, d == 7 ? 0 : 1 + m_rng.bounded(150), d % 2 == 0, d == 5)));
            m_discs << name;
        }
        const StoreValue<IndexUpdate> made = updateSearchIndex(m_root, IndexUpdateMode::Full);
        QVERIFY2(made.ok(), qPrintable(made.error));
        QCOMPARE(made.value.discsIndexed, 12);
        QVERIFY(SearchIndex::open(m_root));
    }

    void answersAsTheScan_data()
    {
        QTest::addColumn<int>("sizeOption");
        QTest::addColumn<int>("dateOption");
        QTest::addColumn<bool>("place");
        QTest::newRow("text alone") << 0 << 0 << false;
        QTest::newRow("quick find with places") << 0 << 0 << true;
        QTest::newRow("at least, before")
            << int(SizeOption::AtLeast) << int(DateOption::Before) << false;
        QTest::newRow("at most, after")
            << int(SizeOption::AtMost) << int(DateOption::After) << false;
    }

    void answersAsTheScan()
    {
        QFETCH(int, sizeOption);
        QFETCH(int, dateOption);
        QFETCH(bool, place);
        const QStringList texts =
            randomTexts(300) + QStringList{"é",   "Ä",      "ÉTÉ",    "äPfEl", "концерт",
                                           "ss",  "STRASS", "kelvin", "sun",   "σοσ",
                                           "1/м", "c1/",    "d:/",    "本語"};
        for (const QString &text : std::as_const(texts)) {
            SearchCriteria criteria;
            criteria.text = text;
            criteria.place = place;
            criteria.sizeOption = SizeOption(sizeOption);
            criteria.sizeText = u"2000"_s;
            criteria.dateOption = DateOption(dateOption);
            criteria.date = QDate(2010, 6, 1);
            QCOMPARE(found(m_root, m_discs, criteria), scanned(m_root, m_discs, criteria));
        }
    }

    void keptCurrentByChanges()
    {
        SearchCriteria criteria;
        criteria.text = u"usic"_s;
        // A change made under the store lock indexes that disc alone.
        {
            StoreLock lock(m_root);
            QVERIFY(writeDiscFile(discFilePath(m_root, u"New"_s), u"Music"_s,
                                  {{"song.mp3", "/Music/song.mp3", 5, day(2004, 1, 1)}})
                        .ok());
            QVERIFY(QFile::rename(discFilePath(m_root, u"Disc 1"_s),
                                  discFilePath(m_root, u"Renamed"_s)));
            QVERIFY(QFile::remove(discFilePath(m_root, u"Disc 2"_s)));
        }
        m_discs.replace(1, u"Renamed"_s);
        m_discs.removeAt(2);
        m_discs << u"New"_s;
        QCOMPARE(SearchIndex::open(m_root)->discCount(), 12);
        QCOMPARE(found(m_root, m_discs, criteria), scanned(m_root, m_discs, criteria));

        // A disc file another program changed is noticed by the refresh at the next start,
        // which indexes it alone.
        QVERIFY(writeAll(discFilePath(m_root, u"Disc 3"_s), discBytes(m_rng, 80, true, false)));
        const StoreValue<IndexUpdate> update = updateSearchIndex(m_root, IndexUpdateMode::Refresh);
        QVERIFY(update.ok());
        QCOMPARE(update.value.discsIndexed, 1);
        QCOMPARE(found(m_root, m_discs, criteria), scanned(m_root, m_discs, criteria));
        // Changes piled up, then merged by a full update.
        for (int i = 0; i < 14; ++i) {
            StoreLock lock(m_root);
            m_discs << u"Extra %1"_s.arg(i);
            QVERIFY(
                writeAll(discFilePath(m_root, m_discs.last()), discBytes(m_rng, 40, i % 2, false)));
        }
        QVERIFY(updateSearchIndex(m_root, IndexUpdateMode::Full).ok());
        QCOMPARE(found(m_root, m_discs, criteria), scanned(m_root, m_discs, criteria));
        removeSearchIndex(m_root);
        QCOMPARE(QDir(tempFolder(m_root)).entryList({u"search*"_s}, QDir::Files), QStringList());
    }

    void damagedIndexIsNotNeeded_data()
    {
        // Which file, from which byte (negative: from the end; kBlockTable: the segment's block
        // table, which is checked only where a search reads), and what goes there.
        QTest::addColumn<QString>("file");
        QTest::addColumn<qint64>("at");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("manifest cut short") << "search.manifest" << qint64(3) << QByteArray();
        QTest::newRow("segment cut short") << "search-*.seg" << qint64(10) << QByteArray();
        QTest::newRow("segment tables") << "search-*.seg" << qint64(100) << QByteArray("\x01\x02");
        QTest::newRow("segment blocks") << "search-*.seg" << kBlockTable
                                        << QByteArray("\x0a\0\0\0", 4); // a first block cut short
        QTest::newRow("segment lists") << "search-*.seg" << qint64(-200) << QByteArray(150, '\x5a');
    }

    void damagedIndexIsNotNeeded()
    {
        QFETCH(QString, file);
        QFETCH(qint64, at);
        QFETCH(QByteArray, bytes);
        const QDir temp(tempFolder(m_root));
        for (const QString &name : temp.entryList({file}, QDir::Files)) {
            QFile f(temp.filePath(name));
            QVERIFY(f.open(QIODevice::ReadWrite));
            if (bytes.isEmpty()) {
                QVERIFY(f.resize(at));
            } else {
                qint64 blockTable = 0; // after the magic, the counts and the disc table's offset
                QVERIFY(f.seek(32) && f.read(reinterpret_cast<char *>(&blockTable), 8) == 8);
                // A block's entry: its offset in the disc file, then its length.
                QVERIFY(f.seek(at == kBlockTable ? blockTable + 8 : at < 0 ? f.size() + at : at));
                QCOMPARE(f.write(bytes), bytes.size());
            }
        }
        for (const QString &text : randomTexts(40)) {
            SearchCriteria criteria;
            criteria.text = text;
            QCOMPARE(found(m_root, m_discs, criteria), scanned(m_root, m_discs, criteria));
        }
        QVERIFY(updateSearchIndex(m_root, IndexUpdateMode::Full).ok());
        QVERIFY(SearchIndex::open(m_root));
    }

private:
    QStringList randomTexts(int count)
    {
        QStringList texts;
        for (int i = 0; i < count; ++i) {
            const QString path = randomPath(m_rng);
            const int length = 1 + m_rng.bounded(6);
            QString text =
                path.mid(m_rng.bounded(int(std::max<qsizetype>(1, path.size() - length))), length);
            if (m_rng.bounded(2))
                text = m_rng.bounded(2) ? text.toUpper() : text.toLower();
            texts << text;
        }
        return texts;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    QStringList m_discs;
    QRandomGenerator m_rng{20261207};
};

QTEST_GUILESS_MAIN(TestSearchIndex)
#include "tst_search_index.moc"
