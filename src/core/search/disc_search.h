// Orlith — desktop catalogue of removable media.
// The one search engine behind quick find, the search window and `orlith-cli find/search`:
// it scans a disc file's bytes and builds a row only for a hit.
#pragma once

#include "core/store/disc_listing.h"
#include "core/store/store_result.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace orlith {

class CatalogueIndex;
class DiscReader;

enum class SizeOption { NotSure, AtLeast, AtMost };
enum class DateOption { NotSure, Before, After };

// What to look for. Quick find uses the text alone; the search window adds a size bound in
// kilobytes (the size box's text as typed) and a date bound.
struct SearchCriteria
{
    QString text; // empty: every entry
    SizeOption sizeOption = SizeOption::NotSure;
    QString sizeText;
    DateOption dateOption = DateOption::NotSure;
    QDate date;
    // Quick find (text alone): a disc whose location or disc number holds the text (any
    // letter case) lists all its files, beside the files whose path holds it.
    bool place = false;
};

// A size box's number: the leading digits and point, as typed ("12.5kb" reads 12.5); an
// empty or non-numeric text reads 0.
double sizeBoxValue(const QString &text);

// The compiled criteria. Matching ignores letter case and skips a drive ("D:") at the
// front of a path, so a path made here is matched from its first character; the name, path and size
// of an entry that lacks those lines are those of the entry before it in the same file, and the
// size and date tests are strict.
class DiscSearch
{
public:
    explicit DiscSearch(const SearchCriteria &criteria);

    // Appends the hits of one disc file (programFolder/cds/disc.xml) to `hits`. A missing
    // or unreadable file fails with a message naming it; hits found before a read error
    // stay. Lines longer than kMaxDiscLineBytes are skipped, as DiscReader skips them, and
    // counted in `longLines` when given. A file is read whole only up to kWholeFileBytes.
    StoreResult searchDisc(const QString &programFolder, const QString &disc, QList<FileRow> &hits,
                           qsizetype *longLines = nullptr) const;
    // The same over bytes already in memory.
    void searchBytes(QByteArrayView bytes, const QString &disc, QList<FileRow> &hits,
                     qsizetype *longLines = nullptr) const;

    // Larger disc files are read line by line, so a search holds at most this much of one.
    static constexpr qint64 kWholeFileBytes = 32 * 1024 * 1024;

    // True when the needle occurs in `path` (past a leading drive "D:").
    bool pathMatches(QByteArrayView path) const;
    // True when the needle occurs in the location or the number (criteria.place).
    bool placeMatches(const QString &location, const QString &number) const;

private:
    struct Carried;
    void scan(DiscReader &reader, const QString &disc, QList<FileRow> &hits) const;
    bool looksUpWholeBuffer() const;
    const char *findCandidate(const char *from, const char *end) const;
    void scanAroundNeedle(QByteArrayView bytes, const QString &disc, QList<FileRow> &hits) const;
    void emitHit(const char *dateLine, QByteArrayView path, QByteArrayView date,
                 const QString &disc, Carried &carried, QList<FileRow> &hits) const;
    bool sizeOk(qint64 bytes) const;
    bool dateOk(QByteArrayView dateText) const;
    QDate dayOf(QByteArrayView dateText) const;

    QString m_needle;         // upper case
    QByteArray m_asciiNeedle; // upper case; empty unless the needle is plain ASCII
    bool m_needleAscii = true;
    // For a needle that is not plain ASCII: bytes that every path line holding it holds in a
    // row, by position the values each may take; empty when no such bytes are worth looking
    // for, and the lines are then read one by one.
    QList<QByteArray> m_pattern;
    // The pattern when it is ASCII (upper case), looked for as an ASCII needle is: the
    // pattern's look-up compares four values a byte, the ASCII one two.
    QByteArray m_asciiPattern;
    QString m_foldedNeedle; // each unit case-folded; empty for a needle with surrogates
    SizeOption m_sizeOption;
    bool m_sizeBoxEmpty;
    double m_bound;
    DateOption m_dateOption;
    QDate m_date;
    bool m_place;
    // One read buffer for every disc this search reads, and shared blocks for its rows.
    mutable QByteArray m_buffer;
    mutable RowTextArena m_arena;
    // Days of the date texts seen, by the text before its time of day: reading a date
    // through the locale costs tens of microseconds, and a store of millions of entries
    // holds only thousands of days.
    mutable QHash<QByteArray, QDate> m_days;
};

// The discs a scope names: the discs `discNames` names and those of every catalog
// `catalogNames` names, in tree order, each once; every disc of every catalog when both
// lists are empty. Names compare without letter case. Fails with a message for the first
// unknown name, leaving `discs` empty.
StoreResult discsOfScope(const CatalogueIndex &index, const QStringList &discNames,
                         const QStringList &catalogNames, QStringList &discs);

// Searches every disc of `discs` in order. A disc whose file is missing is skipped and named
// in `skipped`, so the rest of the scope is still searched. Discs with lines too long to read
// are named in `longLines` with their counts.
QList<FileRow> searchDiscs(const QString &programFolder, const QStringList &discs,
                           const SearchCriteria &criteria, QStringList *skipped = nullptr,
                           QList<SkippedLongLines> *longLines = nullptr);

// The same, handing each disc's hits to `take` as soon as that disc is searched, so a
// caller that writes hits out holds one disc's hits at a time, never the whole store's.
// `beforeDisc`, when given, is called with each disc before it is searched (for a status
// text); returning false stops the search there. Returns the number of hits.
qsizetype searchDiscs(const QString &programFolder, const QStringList &discs,
                      const SearchCriteria &criteria,
                      const std::function<void(QList<FileRow> &hits)> &take,
                      QStringList *skipped = nullptr,
                      const std::function<bool(const QString &disc)> &beforeDisc = {},
                      QList<SkippedLongLines> *longLines = nullptr);

// The sentence that says in words what the search window looks for, e.g.
// Searching for name that contain string "abc", that have at least 100 KB, and has been
// created after 3/14/2004. (with the blanks and commas exactly as the window shows them).
QString describeSearch(const SearchCriteria &criteria);

// A number as the sentence shows it: a blank before it, no needless decimals (" 100",
// " 1.5").
QString signPaddedNumber(double value);

// "Found " + sign-padded count + " files.", the status text after a search.
QString foundText(qsizetype count);

} // namespace orlith
