// Orlith — desktop catalogue of removable media.
#include "core/search/disc_search.h"

#include "core/search/search_index.h"
#include "core/store/catalogue_index.h"
#include "core/store/date_text.h"
#include "core/store/disc_file.h"
#include "core/store/text_codec.h"

#include <QFile>
#include <QSet>
#include <QStringDecoder>
#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orlith {

namespace {

// The search window's needle when its text is empty: every path with a folder part.

inline unsigned char asciiUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
}

// Whether the upper-case ASCII `needle` occurs in [b, e) without regard to ASCII case.
bool containsAsciiNoCase(const char *b, const char *e, const QByteArray &needle)
{
    const qsizetype n = needle.size();
    if (e - b < n)
        return false;
    const auto *h = reinterpret_cast<const unsigned char *>(b);
    const auto *last = reinterpret_cast<const unsigned char *>(e) - n;
    const auto *nd = reinterpret_cast<const unsigned char *>(needle.constData());
    const unsigned char first = nd[0];
    for (; h <= last; ++h) {
        if (asciiUpper(*h) != first)
            continue;
        qsizetype i = 1;
        while (i < n && asciiUpper(h[i]) == nd[i])
            ++i;
        if (i == n)
            return true;
    }
    return false;
}

// First place in [b, e) where the upper-case ASCII `needle` (two bytes or more) occurs
// without regard to ASCII case, or null. Sixteen start positions are tested at once on
// the needle's first and last bytes; only those candidates are compared in full.
const char *findAsciiNoCase(const char *b, const char *e, const QByteArray &needle)
{
    const qsizetype n = needle.size();
    if (e - b < n)
        return nullptr;
    const auto *nd = reinterpret_cast<const unsigned char *>(needle.constData());
    auto lower = [](unsigned char c) -> unsigned char {
        return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
    };
    auto restMatches = [&](const char *at) {
        for (qsizetype i = 1; i < n - 1; ++i) {
            if (asciiUpper(static_cast<unsigned char>(at[i])) != nd[i])
                return false;
        }
        return true;
    };
    const char *last = e - n; // the last possible start
    const char *p = b;
#if defined(__SSE2__)
    const __m128i firstUpper = _mm_set1_epi8(char(nd[0]));
    const __m128i firstLower = _mm_set1_epi8(char(lower(nd[0])));
    const __m128i lastUpper = _mm_set1_epi8(char(nd[n - 1]));
    const __m128i lastLower = _mm_set1_epi8(char(lower(nd[n - 1])));
    for (; p + 15 <= last; p += 16) {
        const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + n - 1));
        const __m128i hit = _mm_and_si128(
            _mm_or_si128(_mm_cmpeq_epi8(head, firstUpper), _mm_cmpeq_epi8(head, firstLower)),
            _mm_or_si128(_mm_cmpeq_epi8(tail, lastUpper), _mm_cmpeq_epi8(tail, lastLower)));
        for (unsigned mask = unsigned(_mm_movemask_epi8(hit)); mask; mask &= mask - 1) {
            const char *at = p + __builtin_ctz(mask);
            if (restMatches(at))
                return at;
        }
    }
#endif
    for (; p <= last; ++p) {
        if (asciiUpper(static_cast<unsigned char>(*p)) == nd[0] &&
            asciiUpper(static_cast<unsigned char>(p[n - 1])) == nd[n - 1] && restMatches(p))
            return p;
    }
    return nullptr;
}

// First place in [b, e) where each byte of `pattern`'s length is one of its position's values,
// or null. As findAsciiNoCase, sixteen starts are tested at once on the first and last
// positions, whose values are few (at most kMaxPatternValues).
constexpr qsizetype kMaxPatternValues = 4;

const char *findBytePattern(const char *b, const char *e, const QList<QByteArray> &pattern)
{
    const qsizetype n = pattern.size();
    if (e - b < n)
        return nullptr;
    auto matchesAt = [&](const char *at) {
        for (qsizetype i = 0; i < n; ++i) {
            if (!pattern[i].contains(at[i]))
                return false;
        }
        return true;
    };
    const char *last = e - n;
    const char *p = b;
#if defined(__SSE2__)
    // A fixed number of compares, the first value standing in for missing ones, keeps the
    // loop free of branches and its values in registers.
    struct Values
    {
        __m128i splat[kMaxPatternValues];
        explicit Values(const QByteArray &values)
        {
            for (qsizetype i = 0; i < kMaxPatternValues; ++i)
                splat[i] = _mm_set1_epi8(values[i < values.size() ? i : 0]);
        }
        __m128i in(__m128i bytes) const
        {
            return _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(bytes, splat[0]), _mm_cmpeq_epi8(bytes, splat[1])),
                _mm_or_si128(_mm_cmpeq_epi8(bytes, splat[2]), _mm_cmpeq_epi8(bytes, splat[3])));
        }
    };
    const Values head(pattern.first());
    const Values tail(pattern.last());
    for (; p + 15 <= last; p += 16) {
        const __m128i hit =
            _mm_and_si128(head.in(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p))),
                          tail.in(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + n - 1))));
        for (unsigned mask = unsigned(_mm_movemask_epi8(hit)); mask; mask &= mask - 1) {
            const char *at = p + __builtin_ctz(mask);
            if (matchesAt(at))
                return at;
        }
    }
#endif
    for (; p <= last; ++p) {
        if (matchesAt(p))
            return p;
    }
    return nullptr;
}

// The case fold of every UTF-16 unit, as QString's case-insensitive search folds a unit that
// is not part of a surrogate pair; a table look-up is several times quicker than QChar's.
const std::vector<char16_t> &unitFolds()
{
    static const std::vector<char16_t> folds = [] {
        std::vector<char16_t> f(0x10000);
        for (char32_t x = 0; x < 0x10000; ++x)
            f[x] = char16_t(QChar::toCaseFolded(x));
        return f;
    }();
    return folds;
}

// The characters of the Basic Multilingual Plane that QString's case-insensitive search takes
// for `c` (`c` among them): those with the same case fold. Folds never leave the plane.
QVarLengthArray<char16_t, 4> caseVariants(char16_t c)
{
    const std::vector<char16_t> &folds = unitFolds();
    QVarLengthArray<char16_t, 4> out;
    for (char32_t x = 0; x < 0x10000; ++x) {
        if (folds[x] == folds[c])
            out.append(char16_t(x));
    }
    return out;
}

void addValue(QByteArray &values, char v)
{
    if (!values.contains(v))
        values.append(v);
}

// The bytes a path line holds for one needle character, by position, when every form of it
// has the same length: an ASCII character none of whose variants lies outside ASCII (the
// Kelvin sign stands for K, the long s for S), or one whose variants all lie above U+00FF,
// which only a UTF-8 line holds. Empty otherwise: a Latin-1 line holds é in one byte, a UTF-8
// line in two.
QList<QByteArray> fixedLengthBytes(char16_t c)
{
    if (QChar::isSurrogate(c))
        return {};
    const auto variants = caseVariants(c);
    QList<QByteArray> positions;
    for (char16_t v : variants) {
        if ((c < 0x80) != (v < 0x80) || (c >= 0x80 && v < 0x100))
            return {};
        const QByteArray bytes = QStringView(&v, 1).toUtf8();
        if (positions.isEmpty())
            positions.resize(bytes.size());
        if (positions.size() != bytes.size())
            return {};
        for (qsizetype i = 0; i < bytes.size(); ++i)
            addValue(positions[i], bytes[i]);
    }
    return positions;
}

// The last byte of every form a path line may hold a non-ASCII needle character in: its
// Latin-1 byte and its UTF-8 encoding's last byte. Empty for a character that an ASCII
// letter may stand for.
QByteArray lastBytes(char16_t c)
{
    if (c < 0x80 || QChar::isSurrogate(c))
        return {};
    QByteArray values;
    for (char16_t v : caseVariants(c)) {
        if (v < 0x80)
            return {};
        if (v < 0x100)
            addValue(values, char(v));
        addValue(values, QStringView(&v, 1).toUtf8().back());
    }
    return values;
}

// Bytes that every path line holding the upper-case, not purely ASCII `needle` holds: the
// longest run of its ASCII characters whose forms are their own bytes (measured: fewer false
// landings than longer runs of other letters, which a path in that script holds often), else
// the longest run of characters whose forms have fixed lengths (a character above U+00FF
// means the line is UTF-8, where ASCII is itself), else one character's last bytes. Empty
// when none is worth a look-up.
QList<QByteArray> needlePattern(const QString &needle)
{
    QList<QByteArray> bestAscii, ascii, best, run;
    for (QChar c : needle) {
        const QList<QByteArray> bytes = fixedLengthBytes(c.unicode());
        const bool fits = std::all_of(bytes.cbegin(), bytes.cend(), [](const QByteArray &values) {
            return values.size() <= kMaxPatternValues;
        });
        if (!bytes.isEmpty() && fits)
            run += bytes;
        else
            run.clear();
        if (!bytes.isEmpty() && c.unicode() < 0x80)
            ascii += bytes;
        else
            ascii.clear();
        if (run.size() > best.size())
            best = run;
        if (ascii.size() > bestAscii.size())
            bestAscii = ascii;
    }
    if (bestAscii.size() >= 2)
        return bestAscii;
    if (best.size() >= 2)
        return best;
    QByteArray fewest;
    for (QChar c : needle) {
        const QByteArray values = lastBytes(c.unicode());
        if (!values.isEmpty() && values.size() <= kMaxPatternValues &&
            (fewest.isEmpty() || values.size() < fewest.size()))
            fewest = values;
    }
    return fewest.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{fewest};
}

const char *lineStartBefore(const char *begin, const char *at)
{
    while (at > begin && at[-1] != '\n')
        --at;
    return at;
}

const char *lineEndFrom(const char *at, const char *end)
{
    const auto *nl = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)));
    return nl ? nl : end;
}
// Where a valid " HH:mm:ss" starts at the end of a date text, or -1 when it does not end so.
qsizetype timeOfDayStart(QByteArrayView text)
{
    constexpr qsizetype kLength = 9;
    if (text.size() <= kLength)
        return -1;
    const char *t = text.data() + text.size() - kLength;
    if (t[0] != ' ' || t[3] != ':' || t[6] != ':')
        return -1;
    // Two digits at `at`, below `limit`.
    auto below = [t](int at, int limit) {
        const bool digits = t[at] >= '0' && t[at] <= '9' && t[at + 1] >= '0' && t[at + 1] <= '9';
        return digits && (t[at] - '0') * 10 + (t[at + 1] - '0') < limit;
    };
    return below(1, 24) && below(4, 60) && below(7, 60) ? text.size() - kLength : -1;
}

// Bounds the day cache when date texts are not the usual date and time.
constexpr qsizetype kMaxCachedDays = 100'000;

bool isAscii(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Whether a line of `bytes` may be longer than kMaxDiscLineBytes. Such a line covers a whole
// block of half that length, so one short memchr per block decides; a false alarm (a line
// of 32 to 64 KiB) only costs reading that file line by line.
bool mayHoldLongLine(QByteArrayView bytes)
{
    constexpr qsizetype kBlock = kMaxDiscLineBytes / 2;
    for (qsizetype at = 0; at + kBlock <= bytes.size(); at += kBlock) {
        if (!std::memchr(bytes.data() + at, '\n', size_t(kBlock)))
            return true;
    }
    return false;
}

} // namespace

double sizeBoxValue(const QString &text)
{
    qsizetype end = 0;
    bool point = false;
    while (end < text.size()) {
        const QChar c = text.at(end);
        if (c == QLatin1Char('.') && !point)
            point = true;
        else if (!c.isDigit() || c.unicode() >= 0x80)
            break;
        ++end;
    }
    bool ok = false;
    const double value = text.left(end).toDouble(&ok);
    return ok ? value : 0.0;
}

DiscSearch::DiscSearch(const SearchCriteria &criteria)
    : m_sizeOption(criteria.sizeOption), m_sizeBoxEmpty(criteria.sizeText.isEmpty()),
      m_bound(sizeBoxValue(criteria.sizeText)), m_dateOption(criteria.dateOption),
      m_date(criteria.date), m_place(criteria.place)
{
    // An empty text matches every entry, whichever separator its path uses.
    m_needle = criteria.text.toUpper();
    m_needleAscii = isAscii(m_needle);
    if (m_needleAscii)
        m_asciiNeedle = m_needle.toLatin1();
    else
        m_pattern = needlePattern(m_needle);
    for (const QByteArray &values : std::as_const(m_pattern)) {
        const bool ascii = std::all_of(values.cbegin(), values.cend(),
                                       [](char v) { return static_cast<unsigned char>(v) < 0x80; });
        if (!ascii) {
            m_asciiPattern.clear();
            break;
        }
        m_asciiPattern += char(asciiUpper(static_cast<unsigned char>(values.front())));
    }
    // A needle of surrogates is left to QString's own search, which folds a pair as one
    // character.
    if (!m_needleAscii &&
        std::none_of(m_needle.cbegin(), m_needle.cend(), [](QChar c) { return c.isSurrogate(); })) {
        const std::vector<char16_t> &folds = unitFolds();
        for (QChar c : m_needle)
            m_foldedNeedle.append(QChar(folds[c.unicode()]));
    }
}

// A drive ("D:") at the front of a path made on Windows is not searched; a path made here
// is searched from its first character, so "/usr/share" finds.
static qsizetype searchedFrom(QByteArrayView path)
{
    const char c = path.size() >= 2 ? path[0] : 0;
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':' ? 2 : 0;
}

bool DiscSearch::pathMatches(QByteArrayView path) const
{
    // Only an ASCII drive letter is skipped, so bytes and characters agree on the offset.
    const qsizetype from = searchedFrom(path);
    if (path.size() <= from)
        return false;
    if (m_needle.isEmpty())
        return true;
    // Other bytes of the path cannot match an ASCII letter in either encoding a disc file
    // may use.
    if (m_needleAscii)
        return containsAsciiNoCase(path.data() + from, path.data() + path.size(), m_asciiNeedle);
    // Read as decodeSingleByte reads it, into a buffer on the stack rather than a string of
    // its own: this runs for every line the look-up lands on. (QLatin1StringView's own
    // search folds differently: it misses the Angstrom sign for Å.)
    const auto *bytes = reinterpret_cast<const unsigned char *>(path.data());
    const auto *bytesEnd = bytes + path.size();
    QVarLengthArray<char16_t, 256> text(path.size());
    char16_t *end = text.data() + path.size();
    if (std::any_of(bytes, bytesEnd, [](unsigned char b) { return b >= 0x80; }) &&
        isValidUtf8(path.data(), path.size())) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        auto *out = reinterpret_cast<QChar *>(text.data());
        end = reinterpret_cast<char16_t *>(utf8.appendToBuffer(out, path));
    } else {
        std::copy(bytes, bytesEnd, text.data());
    }
    if (m_foldedNeedle.isEmpty())
        return QStringView(text.data(), end).indexOf(m_needle, from, Qt::CaseInsensitive) >= 0;
    // Folding the line once and comparing exactly is what the case-insensitive search does,
    // at a fraction of its cost. A unit of a surrogate pair stays a surrogate either way, so
    // it cannot match this needle whether it is folded or not.
    const std::vector<char16_t> &folds = unitFolds();
    for (char16_t *u = text.data(); u != end; ++u)
        *u = folds[*u];
    return QStringView(text.data(), end).indexOf(m_foldedNeedle, from) >= 0;
}

bool DiscSearch::sizeOk(qint64 bytes) const
{
    if (m_sizeOption == SizeOption::NotSure)
        return true;
    if (m_sizeBoxEmpty)
        return false;
    // Compared as the list shows it: kilobytes rounded to two decimals.
    const double kb = kilobytesText(bytes).toDouble();
    return m_sizeOption == SizeOption::AtLeast ? kb > m_bound : kb < m_bound;
}

bool DiscSearch::dateOk(QByteArrayView dateText) const
{
    if (m_dateOption == DateOption::NotSure)
        return true;
    const QDate day = dayOf(dateText);
    if (!day.isValid() || !m_date.isValid())
        return false;
    const qint64 days = day.daysTo(m_date);
    return m_dateOption == DateOption::Before ? days > 0 : days < 0;
}

QDate DiscSearch::dayOf(QByteArrayView dateText) const
{
    // A time of day changes the time, never the day, so texts that differ only there share
    // one reading.
    const qsizetype cut = timeOfDayStart(dateText);
    if (cut < 0)
        return parseDate(decodeSingleByte(dateText.data(), dateText.size()));
    const QByteArray key = dateText.first(cut).toByteArray();
    if (const auto it = m_days.constFind(key); it != m_days.cend())
        return it.value();
    const QDate day = parseDate(decodeSingleByte(dateText.data(), dateText.size()));
    if (m_days.size() >= kMaxCachedDays)
        m_days.clear();
    m_days.insert(key, day);
    return day;
}

void DiscSearch::scan(DiscReader &reader, const QString &disc, QList<FileRow> &hits) const
{
    // Current fields: kept from entry to entry, as the file lists them.
    QByteArray name;
    QByteArray path;
    qint64 size = 0;
    bool pathOk = false;
    bool sizePasses = m_sizeOption == SizeOption::NotSure;
    DiscLine line;
    while (reader.nextLine(line)) {
        switch (line.tag) {
        case DiscTag::Name:
            line.copyTo(name);
            break;
        case DiscTag::Path:
            line.copyTo(path);
            pathOk = pathMatches(line.bytes());
            break;
        case DiscTag::Size:
            size = parseSizeValue(line.bytes());
            sizePasses = sizeOk(size);
            break;
        case DiscTag::Date:
            if (pathOk && sizePasses && dateOk(line.bytes())) {
                hits.append(FileRow::fromBytes(name, path, size, line.bytes(), disc, &m_arena));
            }
            break;
        case DiscTag::Hash: // a checksum takes no part here
            break;
        }
    }
}

void DiscSearch::searchBytes(QByteArrayView bytes, const QString &disc, QList<FileRow> &hits,
                             qsizetype *longLines) const
{
    // A needle of two ASCII characters or more, or the bytes any line holding another needle
    // holds, is looked for in the whole buffer first, so only the entries around its
    // occurrences are read line by line; anything else is read line by line throughout. Both
    // give the same rows. The look-up around the needle knows
    // no line limit, so bytes that may hold an over-long line are read line by line, where
    // the reader skips and counts it.
    if (looksUpWholeBuffer() && !mayHoldLongLine(bytes)) {
        scanAroundNeedle(bytes, disc, hits);
        if (longLines)
            *longLines = 0;
        return;
    }
    DiscReader reader(bytes);
    scan(reader, disc, hits);
    if (longLines)
        *longLines = reader.longLines();
}

// What the line-by-line scan would hold at a date line, found from the buffer around it: the
// last name and size lines before it. The search only moves forward, so what an earlier
// look-up found stands for everything before its own date line.
struct DiscSearch::Carried
{
    const char *floor = nullptr; // lines before this were looked at already
    QByteArrayView name;
    qint64 size = 0;
    bool sizeSeen = false;
};

bool DiscSearch::looksUpWholeBuffer() const
{
    return m_asciiNeedle.size() >= 2 || !m_pattern.isEmpty();
}

// Where the next path line that may hold the needle is: any other line in between is passed
// over unread. A candidate is checked in full by pathMatches.
const char *DiscSearch::findCandidate(const char *from, const char *end) const
{
    if (!m_asciiPattern.isEmpty())
        return findAsciiNoCase(from, end, m_asciiPattern);
    return m_pattern.isEmpty() ? findAsciiNoCase(from, end, m_asciiNeedle)
                               : findBytePattern(from, end, m_pattern);
}

void DiscSearch::scanAroundNeedle(QByteArrayView bytes, const QString &disc,
                                  QList<FileRow> &hits) const
{
    const char *begin = bytes.data();
    const char *end = begin + bytes.size();
    Carried carried;
    carried.floor = begin;
    const char *pos = begin;
    DiscLine line;
    while (const char *at = findCandidate(pos, end)) {
        const char *lineStart = lineStartBefore(begin, at);
        const char *lineEnd = lineEndFrom(at, end);
        pos = lineEnd < end ? lineEnd + 1 : end;
        if (!classifyDiscLine(lineStart, lineEnd, line) || line.tag != DiscTag::Path ||
            !pathMatches(line.bytes()))
            continue;
        const QByteArrayView path = line.bytes();
        // Every date line up to the next path line completes an entry with this path.
        const char *next = pos;
        while (next < end) {
            const char *e = lineEndFrom(next, end);
            const char *after = e < end ? e + 1 : end;
            if (classifyDiscLine(next, e, line)) {
                if (line.tag == DiscTag::Path)
                    break;
                if (line.tag == DiscTag::Date)
                    emitHit(next, path, line.bytes(), disc, carried, hits);
            }
            next = after;
        }
        pos = next;
    }
}

void DiscSearch::emitHit(const char *dateLine, QByteArrayView path, QByteArrayView date,
                         const QString &disc, Carried &carried, QList<FileRow> &hits) const
{
    // Walk back to the last name line and the last size line before this date line, or to
    // where the previous look-up stopped, whose findings then still hold.
    bool nameFound = false;
    bool sizeFound = false;
    QByteArrayView name;
    qint64 size = 0;
    DiscLine line;
    for (const char *e = dateLine; e > carried.floor && !(nameFound && sizeFound);) {
        const char *lineEnd = e - 1; // the LF before the line below
        const char *lineStart = lineStartBefore(carried.floor, lineEnd);
        if (classifyDiscLine(lineStart, lineEnd, line)) {
            if (line.tag == DiscTag::Name && !nameFound) {
                name = line.bytes();
                nameFound = true;
            } else if (line.tag == DiscTag::Size && !sizeFound) {
                size = parseSizeValue(line.bytes());
                sizeFound = true;
            }
        }
        e = lineStart;
    }
    if (nameFound)
        carried.name = name;
    if (sizeFound) {
        carried.size = size;
        carried.sizeSeen = true;
    }
    carried.floor = dateLine;

    const bool sizePasses =
        carried.sizeSeen ? sizeOk(carried.size) : m_sizeOption == SizeOption::NotSure;
    if (sizePasses && dateOk(date))
        hits.append(FileRow::fromBytes(carried.name, path, carried.size, date, disc, &m_arena));
}

bool DiscSearch::placeMatches(const QString &location, const QString &number) const
{
    return !m_needle.isEmpty() &&
           (location.toUpper().contains(m_needle) || number.toUpper().contains(m_needle));
}

StoreResult DiscSearch::searchDisc(const QString &programFolder, const QString &disc,
                                   QList<FileRow> &hits, qsizetype *longLines) const
{
    const QString path = discFilePath(programFolder, disc);
    bool whole = false;
    if (looksUpWholeBuffer()) {
        if (StoreResult read = readDiscFileBytes(path, m_buffer, kWholeFileBytes, &whole); !read)
            return read;
    }
    // One look at the head of the file per disc; the entries are scanned as ever.
    if (m_place && !m_needle.isEmpty()) {
        const DiscInfo info = whole ? readDiscInfo(m_buffer) : readDiscInfoFromFile(path);
        // Quick find has no size or date bound: every entry of the disc is a hit.
        if (placeMatches(info.location, info.number))
            return DiscSearch(SearchCriteria{}).searchDisc(programFolder, disc, hits, longLines);
    }
    if (whole) {
        searchBytes(m_buffer, disc, hits, longLines);
        return {};
    }
    DiscReader reader;
    if (StoreResult opened = reader.open(path); !opened)
        return opened;
    scan(reader, disc, hits);
    if (longLines)
        *longLines = reader.longLines();
    return {reader.error()};
}

StoreResult discsOfScope(const CatalogueIndex &index, const QStringList &discNames,
                         const QStringList &catalogNames, QStringList &discs)
{
    discs.clear();
    if (discNames.isEmpty() && catalogNames.isEmpty()) {
        discs = index.allDiscs();
        return {};
    }
    QSet<QString> named;
    for (const QString &disc : discNames) {
        const QString key = index.discKey(disc);
        if (key.isEmpty())
            return {QStringLiteral("There is no disc \"%1\".").arg(disc)};
        named.insert(key);
    }
    for (const QString &catalog : catalogNames) {
        const qsizetype c = index.findCatalog(catalog);
        if (c < 0)
            return {QStringLiteral("There is no catalog \"%1\".").arg(catalog)};
        for (const QString &disc : index.catalogs().at(c).discs)
            named.insert(disc);
    }
    // Walking the whole tree gives its order and drops a disc named twice, whatever the
    // order the names came in.
    for (const QString &disc : index.allDiscs()) {
        if (named.contains(disc))
            discs << disc;
    }
    return {};
}

QList<FileRow> searchDiscs(const QString &programFolder, const QStringList &discs,
                           const SearchCriteria &criteria, QStringList *skipped,
                           QList<SkippedLongLines> *longLines)
{
    QList<FileRow> hits;
    searchDiscs(
        programFolder, discs, criteria,
        [&](QList<FileRow> &found) { hits.append(std::move(found)); }, skipped, {}, longLines);
    return hits;
}

qsizetype searchDiscs(const QString &programFolder, const QStringList &discs,
                      const SearchCriteria &criteria,
                      const std::function<void(QList<FileRow> &hits)> &take, QStringList *skipped,
                      const std::function<bool(const QString &disc)> &beforeDisc,
                      QList<SkippedLongLines> *longLines)
{
    const DiscSearch search(criteria);
    // The index only narrows where to read; the rows are the scan's either way.
    std::unique_ptr<SearchIndex> index;
    if (SearchIndex::narrows(criteria) && (index = SearchIndex::open(programFolder)))
        index->prepare(criteria);
    QList<FileRow> hits;
    qsizetype count = 0;
    for (const QString &disc : discs) {
        if (beforeDisc && !beforeDisc(disc))
            break;
        hits.clear();
        if (!index || !index->searchDisc(programFolder, disc, search, hits)) {
            qsizetype tooLong = 0;
            if (!search.searchDisc(programFolder, disc, hits, &tooLong) && skipped)
                skipped->append(disc);
            if (tooLong > 0 && longLines)
                longLines->append({disc, tooLong});
        }
        count += hits.size();
        if (!hits.isEmpty())
            take(hits);
    }
    return count;
}

QString signPaddedNumber(double value)
{
    QString digits = QString::number(value, 'f', 6);
    if (digits.contains(QLatin1Char('.'))) {
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        if (digits.endsWith(QLatin1Char('.')))
            digits.chop(1);
    }
    return value < 0 ? digits : QLatin1Char(' ') + digits;
}

QString describeSearch(const SearchCriteria &criteria)
{
    QString text = QStringLiteral("Searching for ");
    if (!criteria.text.isEmpty())
        text +=
            QStringLiteral("name that contain string \"") + criteria.text + QStringLiteral("\", ");
    else
        text += QStringLiteral("all files ");

    const double bound = sizeBoxValue(criteria.sizeText);
    if (criteria.sizeOption == SizeOption::AtLeast && !criteria.sizeText.isEmpty())
        text += QStringLiteral("that have at least") + signPaddedNumber(bound) +
                QStringLiteral(" KB, ");
    else if (criteria.sizeOption != SizeOption::AtMost)
        text += QStringLiteral("having arbitrarily file size ");
    else
        text +=
            QStringLiteral("that have under") + signPaddedNumber(bound) + QStringLiteral(" KB, ");

    switch (criteria.dateOption) {
    case DateOption::Before:
        text += QStringLiteral("and has been created before ") + formatDate(criteria.date) +
                QStringLiteral(". ");
        break;
    case DateOption::After:
        text += QStringLiteral("and has been created after ") + formatDate(criteria.date) +
                QStringLiteral(". ");
        break;
    case DateOption::NotSure:
        text += QStringLiteral("and arbitrarily date.");
        break;
    }
    return text;
}

QString foundText(qsizetype count)
{
    return QStringLiteral("Found ") + signPadded(count) + QStringLiteral(" files.");
}

} // namespace orlith
