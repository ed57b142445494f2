// Orlith — desktop catalogue of removable media.
#include "core/search/disc_search.h"
#include "core/store/catalogue_index.h"

#include "search_fixtures.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

QStringList paths(const QList<FileRow> &rows)
{
    QStringList out;
    for (const FileRow &r : rows)
        out << r.path();
    return out;
}

SearchCriteria quick(const QString &text)
{
    return {text, SizeOption::NotSure, {}, DateOption::NotSure, {}};
}

SearchCriteria sized(SizeOption option, const QString &box)
{
    return {{}, option, box, DateOption::NotSure, {}};
}

SearchCriteria dated(DateOption option, QDate day)
{
    return {{}, SizeOption::NotSure, {}, option, day};
}

QString rowText(const QString &name, const QString &path, qint64 size, const QString &date)
{
    return name + u'|' + path + u'|' + QString::number(size) + u'|' + date;
}

} // namespace

class TestDiscSearch : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_store = std::make_unique<QTemporaryDir>();
        makeSearchStore(m_store->path());
    }

    // Paths as a disc file holds them: ISO-8859-1 when every character fits, else UTF-8. A
    // drive at the front is skipped; a path made here is matched from its start.
    void pathMatching_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("found");
        QTest::newRow("no drive without colon") << u"D"_s << "Data/x"_ba << true;
        QTest::newRow("drive skipped") << u"d:é"_s << "D:\xE9"_ba << false;
        QTest::newRow("drive later") << u"d:é"_s << "x:\\D:\xE9"_ba << true;
        // An empty text: every path, whichever separator it uses, but a bare drive.
        QTest::newRow("empty, linux") << QString() << "/x"_ba << true;
        QTest::newRow("empty, bare drive") << QString() << "D:"_ba << false;
        QTest::newRow("é, Latin-1") << u"café"_s << "/m/Caf\xE9/x"_ba << true;
        QTest::newRow("É, UTF-8") << u"CAFÉ"_s << "/m/caf\xC3\xA9/x"_ba << true;
        QTest::newRow("ä, plain a") << u"ä"_s << "/m/a.txt"_ba << false;
        QTest::newRow("Ä, bad UTF-8 read as Latin-1")
            << u"ärger"_s << "/m/\xC4rger \xFF"_ba << true;
        QTest::newRow("Cyrillic") << u"концерт"_s << "/m/КОНЦЕРТ 24/a.ogg"_ba << true;
        QTest::newRow("Cyrillic bytes, bad UTF-8") << u"Концерт"_s << "/m/Концерт\xFF"_ba << false;
        QTest::newRow("across a backslash") << u"é\\x"_s << "D:\\caf\xE9\\x"_ba << true;
        // ß reads as SS in the text, not in the path.
        QTest::newRow("ß, SS") << u"größe"_s << "/m/GR\xD6SSE"_ba << true;
        QTest::newRow("ß, ß") << u"größe"_s << "/m/gr\xC3\xB6\xC3\x9F"_ba << false;
        QTest::newRow("Kelvin sign in path") << u"kö"_s << "/m/\xE2\x84\xAA\xC3\xB6"_ba << true;
        QTest::newRow("final sigma, capital") << u"ς"_s << "/m/\xCE\xA3"_ba << true;
    }

    void pathMatching()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, path);
        QFETCH(bool, found);
        const DiscSearch search(quick(text));
        QCOMPARE(search.pathMatches(path), found);
        const QByteArray other = "<file_path>/m/other</file_path>\n<file_date>d</file_date>\n";
        QList<FileRow> hits;
        search.searchBytes(other + "<file_path>" + path +
                               "</file_path>\n<file_date>d</file_date>\n" + other,
                           u"D"_s, hits);
        QCOMPARE(std::count_if(hits.begin(), hits.end(),
                               [&](const FileRow &r) { return r.pathBytes() == path; }),
                 found ? 1 : 0);
    }

    // The fast look-up gives the rows of reading entry by entry, on random hand-made files.
    void needleLookupAgreesWithEntryByEntry()
    {
        QRandomGenerator random(7);
        const char *pieces[] = {"ab", "AB", "xaby", "a", "b", "/", "zz"};
        const QByteArray tags[] = {"file_name", "file_path", "file_path", "file_size", "file_date"};
        for (int file = 0; file < 300; ++file) {
            QByteArray bytes;
            for (int l = 0, n = random.bounded(40); l < n; ++l) {
                const int kind = random.bounded(7); // 4, 5: a date; 6: a stray line
                QByteArray v = kind == 3  ? QByteArray::number(random.bounded(5000))
                               : kind > 3 ? "2004-03-1" + QByteArray::number(random.bounded(10))
                                          : QByteArray();
                for (int i = 0, m = kind < 3 ? 1 + random.bounded(5) : 0; i < m; ++i)
                    v += pieces[random.bounded(int(std::size(pieces)))];
                const QByteArray &tag = tags[std::min(kind, 4)];
                bytes += kind == 6 ? QByteArray(random.bounded(2) ? "\t<file_path>ab/ab</file_path>"
                                                                  : "<file_info>")
                                   : (random.bounded(4) ? "" : "    ") +
                                         ('<' + tag + '>' + v + "</" + tag + '>');
                bytes += random.bounded(3) ? "\r\n" : "\n";
            }
            const bool atLeast = random.bounded(2);
            SearchCriteria c = sized(atLeast ? SizeOption::AtLeast : SizeOption::NotSure, u"2"_s);
            c.text = u"ab"_s;
            const DiscSearch search(c);
            QList<FileRow> fast;
            search.searchBytes(bytes, u"D"_s, fast);
            QStringList expected, got;
            DiscReader reader{QByteArrayView(bytes)};
            for (FileEntry e; reader.nextEntry(e);)
                if (search.pathMatches(e.path.toLatin1()) &&
                    (!atLeast || kilobytesText(e.size).toDouble() > 2.0))
                    expected << rowText(e.name, e.path, e.size, e.date);
            for (const FileRow &r : fast)
                got << rowText(r.name(), r.path(), r.size(), r.date());
            QCOMPARE(got, expected);
        }
    }

    // A line over 64 KiB is skipped and counted alike by the needle look-up, by the reader,
    // and from a file; the entry after it is read.
    void overlongLineSkippedOnEveryPath()
    {
        const QByteArray bytes =
            "<file_name>one</file_name>\n<file_path>/ab/one</file_path>\n"
            "<file_date>d</file_date>\n<file_path>/ab/" +
            QByteArray(65537 - 27, 'x') +
            "</file_path>\n<file_name>two</file_name>\n<file_date>d</file_date>\n";
        QVERIFY(writeAll(discFilePath(m_store->path(), u"Long"_s), bytes));
        for (const QString &needle : {u"ab"_s, u"/"_s}) {
            const DiscSearch search(quick(needle));
            for (bool fromFile : {false, true}) {
                QList<FileRow> hits;
                qsizetype count = -1;
                if (fromFile)
                    QVERIFY(search.searchDisc(m_store->path(), u"Long"_s, hits, &count));
                else
                    search.searchBytes(bytes, u"Long"_s, hits, &count);
                QStringList got;
                for (const FileRow &r : hits)
                    got << r.name() + u':' + QString::number(r.pathBytes().size());
                QCOMPARE(got.join(u' ') + u'/' + QString::number(count), u"one:7 two:7/1"_s);
            }
        }
    }

    void sizeBoundsAreStrict()
    {
        // An empty size box finds nothing with either bound.
        QVERIFY(found(sized(SizeOption::AtLeast, QString())).isEmpty());
        QVERIFY(found(sized(SizeOption::AtMost, QString())).isEmpty());
        // At least 0: 5 bytes show 0.00 KB and stay out, 6 bytes show 0.01 KB and pass; exactly
        // 100 KB passes neither bound of 100.
        QCOMPARE(found(sized(SizeOption::AtLeast, u"0"_s)).first(), u"/media/cd/tiny.txt"_s);
        const QString big = u"/media/cd/big.iso"_s;
        QVERIFY(!found(sized(SizeOption::AtLeast, u"100"_s)).contains(big));
        QVERIFY(!found(sized(SizeOption::AtMost, u"100"_s)).contains(big));
        QCOMPARE(sizeBoxValue(u"12.5kb"_s), 12.5);
        QCOMPARE(sizeBoxValue(u"abc"_s), 0.0);
    }

    // The dated day passes neither test, from its first second to its last. A day read once
    // serves every time of it; a text that only looks like a time, or no date, passes none.
    void dateBoundsAreStrict()
    {
        const QDate day(2004, 3, 15);
        QByteArray bytes;
        auto entry = [&](const char *name, const QString &date) {
            bytes += QByteArray("<file_path>/a/") + name + "</file_path>\n<file_date>" +
                     date.toUtf8() + "</file_date>\n";
        };
        const QString nextDay = formatDate(day.addDays(1));
        entry("before.txt", formatDateText(QDateTime(day.addDays(-1), QTime(23, 59, 59))));
        entry("late.txt", formatDateText(QDateTime(day, QTime(23, 59, 59))));
        entry("next.txt", formatDateText(QDateTime(day.addDays(1), QTime(0, 0, 1))));
        entry("noon.txt", nextDay + u" 12:00:00"_s);
        entry("bad-time.txt", nextDay + u" 25:00:00"_s);
        entry("early.txt", formatDateText(QDateTime(day, QTime(0, 0, 0))));
        entry("no-date.txt", u"someday"_s);
        QStringList got;
        for (DateOption option : {DateOption::Before, DateOption::After}) {
            QList<FileRow> rows;
            DiscSearch(dated(option, day)).searchBytes(bytes, u"D"_s, rows);
            got << paths(rows).join(u' ');
        }
        QCOMPARE(got, QStringList({"/a/before.txt", "/a/next.txt /a/noon.txt"}));
    }

    void describingSentence()
    {
        const SearchCriteria c{u"abc"_s, SizeOption::AtLeast, u"100"_s, DateOption::After,
                               QDate(2004, 3, 14)};
        QCOMPARE(describeSearch(c),
                 u"Searching for name that contain string \"abc\", that have at least 100 KB, "
                 "and has been created after "_s +
                     formatDate(c.date) + u". "_s);
        QCOMPARE(describeSearch(quick({})),
                 u"Searching for all files having arbitrarily file size and "
                 "arbitrarily date."_s);
        // "at least" without a number reads as no size; "at most" without one as under 0.
        QCOMPARE(describeSearch(sized(SizeOption::AtLeast, {})), describeSearch(quick({})));
        QCOMPARE(describeSearch(sized(SizeOption::AtMost, u"1.5"_s)),
                 u"Searching for all files that have under 1.5 KB, and arbitrarily date."_s);
    }

private:
    QStringList found(const SearchCriteria &c) const
    {
        CatalogueIndex index;
        index.load(m_store->path());
        return paths(searchDiscs(m_store->path(), index.allDiscs(), c));
    }

    std::unique_ptr<QTemporaryDir> m_store;
};

QTEST_GUILESS_MAIN(TestDiscSearch)
#include "tst_disc_search.moc"
