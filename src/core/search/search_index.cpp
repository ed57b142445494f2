// Orlith — desktop catalogue of removable media.
#include "core/search/search_index.h"

#include "core/store/disc_file.h"
#include "core/store/disc_identity.h"
#include "core/store/disc_info.h"
#include "core/store/program_folder.h"
#include "core/store/safe_write.h"
#include "core/store/store_lock.h"
#include "core/store/text_codec.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>

#include <roaring/roaring.h>
#include <xxhash.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlith {

namespace {

// Entries per block: the unit a posting names and a search reads. Measured on the generated
// 10,000,000-entry store (docs/search-index.md): 32 keeps the index under 20 bytes an entry
// while a rare text reads a few kilobytes per hit.
constexpr int kBlockEntries = 32;
// A segment holds discs of about this many bytes of disc files, so a build's postings stay
// small in memory and a change rewrites little.
constexpr qint64 kSegmentBytes = 256LL * 1024 * 1024;
// More segments than this and a full update merges the small ones.
constexpr int kMaxSegments = 12;
// A change made under the lock indexes at most this much of disc files at once; more (a
// restore of many discs) is left to the next full update, and scanned meanwhile.
constexpr qint64 kChangedBytesLimit = 64LL * 1024 * 1024;
// A disc file larger than this is not read whole to be indexed: it is scanned.
constexpr qint64 kMaxIndexedFile = 1024LL * 1024 * 1024;

constexpr char kSegmentMagic[8] = {'O', 'R', 'L', 'S', 'E', 'G', '0', '3'};
constexpr quint32 kManifestMagic = 0x4f534d31; // "OSM1"
constexpr char kManifestName[] = "search.manifest";
constexpr char kSegmentPrefix[] = "search-";
constexpr char kSegmentSuffix[] = ".seg";

struct SegmentHeader
{
    char magic[8];
    quint32 discCount;
    quint32 blockCount;
    quint32 keyCount;
    quint32 reserved;
    quint64 discsOffset;
    quint64 blocksOffset;
    quint64 keysOffset;
    quint64 postingsOffset;
    quint64 fileSize;
    quint64 tablesChecksum; // XXH3 of the disc and key tables
};

struct SegmentDisc
{
    quint32 firstBlock;
    quint32 blockCount;
    quint64 blocksChecksum; // XXH3 of its blocks' entries, checked before they are read
};

struct SegmentBlock
{
    quint64 offset; // in the disc file
    quint32 length;
    quint32 reserved;
};

struct SegmentKey
{
    quint32 key;
    quint32 count;
    quint32 postingsOffset; // from the postings' start
    quint32 checksum;       // XXH3 of the list's bytes, low half
};

quint32 trigramKey(char32_t a, char32_t b, char32_t c)
{
    if ((a | b | c) < 0x80)
        return (quint32(a) << 14) | (quint32(b) << 7) | quint32(c);
    // Other keys are hashed; two pieces sharing a key only make a candidate more.
    const quint64 h =
        ((quint64(a) << 42) | (quint64(b) << 21) | quint64(c)) * 0x9E3779B97F4A7C15ULL;
    return quint32(h >> 32) | 0x80000000U;
}

// Appends each character of `text` (a surrogate pair is one) folded to one case.
void appendFolded(QStringView text, std::vector<char32_t> &out)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        out.push_back(QChar::toCaseFolded(c));
    }
}

// The characters of a path value as the search compares them: decoded as the scan decodes
// them and folded to one case, so that a text matching the path with case ignored is,
// folded, a run of these.
void foldedCharacters(QByteArrayView bytes, std::vector<char32_t> &out)
{
    out.clear();
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        for (char c : bytes)
            out.push_back(char32_t((c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c));
        return;
    }
    appendFolded(decodeSingleByte(bytes.data(), bytes.size()), out);
}

void appendTrigrams(const std::vector<char32_t> &chars, size_t from, std::vector<quint32> &keys)
{
    for (size_t i = from; i + 2 < chars.size(); ++i)
        keys.push_back(trigramKey(chars[i], chars[i + 1], chars[i + 2]));
}

void sortUnique(std::vector<quint32> &keys)
{
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

QString segmentPath(const QString &programFolder, const QString &fileName)
{
    return tempFolder(programFolder) + QLatin1Char('/') + fileName;
}

QString manifestPath(const QString &programFolder)
{
    return tempFolder(programFolder) + QLatin1Char('/') + QLatin1String(kManifestName);
}

// What the manifest says of one disc.
struct ManifestDisc
{
    QString name;
    DiscIdentity identity;
    qint32 segment = -1; // -1: scanned whole (irregular, too large, a link)
    quint32 local = 0;   // its place in the segment's disc table
    qint64 entries = 0;
    QString location;
    QString number;
};

struct Manifest
{
    QStringList segments; // file names in temp/
    QList<ManifestDisc> discs;
};

bool readManifest(const QString &programFolder, Manifest &manifest)
{
    QFile file(manifestPath(programFolder));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    quint32 segmentCount = 0;
    in >> magic >> segmentCount;
    if (magic != kManifestMagic || segmentCount > 1'000'000)
        return false;
    for (quint32 i = 0; i < segmentCount && in.status() == QDataStream::Ok; ++i) {
        QString name;
        in >> name;
        manifest.segments << name;
    }
    quint32 discCount = 0;
    in >> discCount;
    if (discCount > 100'000'000)
        return false;
    for (quint32 i = 0; i < discCount && in.status() == QDataStream::Ok; ++i) {
        ManifestDisc d;
        in >> d.name >> d.identity.device >> d.identity.inode >> d.identity.size >>
            d.identity.modifiedNs >> d.segment >> d.local >> d.entries >> d.location >> d.number;
        if (d.segment >= qint32(segmentCount))
            return false;
        manifest.discs << d;
    }
    return in.status() == QDataStream::Ok && in.atEnd();
}

StoreResult writeManifest(const QString &programFolder, const Manifest &manifest)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kManifestMagic << quint32(manifest.segments.size());
    for (const QString &name : manifest.segments)
        out << name;
    out << quint32(manifest.discs.size());
    for (const ManifestDisc &d : manifest.discs)
        out << d.name << d.identity.device << d.identity.inode << d.identity.size
            << d.identity.modifiedNs << d.segment << d.local << d.entries << d.location << d.number;
    AtomicFile file(manifestPath(programFolder));
    file.setSync(false); // only a cache
    if (StoreResult opened = file.open(); !opened)
        return opened;
    file.write(bytes);
    return file.commit();
}

// A disc file of the store as it is now.
struct StoreDisc
{
    QString name;
    DiscIdentity identity;
    bool regular = false; // a file, not a link
};

QList<StoreDisc> listStoreDiscs(const QString &programFolder)
{
    QList<StoreDisc> discs;
    const QByteArray folder = QFile::encodeName(cdsFolder(programFolder));
    DIR *dir = opendir(folder.constData());
    if (!dir)
        return discs;
    const int dirFd = dirfd(dir);
    while (const dirent *entry = readdir(dir)) {
        const size_t length = std::strlen(entry->d_name);
        if (length < 4 || qstrnicmp(entry->d_name + length - 4, ".xml", 4) != 0 ||
            isTempFileName(entry->d_name))
            continue;
        struct stat st;
        if (fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        StoreDisc d;
        d.name = QFile::decodeName(QByteArray(entry->d_name, qsizetype(length) - 4));
        d.identity = identityOf(st);
        d.regular = S_ISREG(st.st_mode);
        discs << d;
    }
    closedir(dir);
    return discs;
}

// Builds one segment file from disc files.
class SegmentBuilder
{
public:
    // Indexes one disc; false when the disc is to be scanned whole instead.
    bool addDisc(const QByteArray &bytes, ManifestDisc &disc);
    bool empty() const { return m_discs.empty(); }
    // Writes the segment as temp/search-<random>.seg; its file name, or empty on failure.
    StoreValue<QString> write(const QString &programFolder);

private:
    void closeBlock(quint64 begin, quint64 end);

    std::vector<SegmentDisc> m_discs;
    std::vector<SegmentBlock> m_blocks;
    std::unordered_map<quint32, std::vector<quint32>> m_postings;
    std::vector<quint32> m_blockKeys;
    std::vector<char32_t> m_chars;
};

void SegmentBuilder::closeBlock(quint64 begin, quint64 end)
{
    const auto block = quint32(m_blocks.size());
    m_blocks.push_back({begin, quint32(end - begin), 0});
    sortUnique(m_blockKeys);
    for (quint32 key : m_blockKeys)
        m_postings[key].push_back(block);
    m_blockKeys.clear();
}

bool SegmentBuilder::addDisc(const QByteArray &bytes, ManifestDisc &disc)
{
    // A block starts right after a date line. In a disc whose every entry gives its name,
    // path and size lines before its date line, the scan carries nothing across that
    // point, so a block read alone gives the rows the whole file gives there. Any other
    // disc (and one with lines too long to read) is scanned whole.
    const char *begin = bytes.constData();
    const char *end = begin + bytes.size();
    const size_t firstBlock = m_blocks.size();
    const size_t keysBefore = m_blockKeys.size();
    QByteArray previousPath;
    bool name = false, path = false, size = false;
    int entriesInBlock = 0;
    qint64 entries = 0;
    const char *blockStart = begin;
    DiscLine line;
    auto undo = [&] {
        m_blocks.resize(firstBlock);
        m_blockKeys.resize(keysBefore);
        return false;
    };
    for (const char *pos = begin; pos < end;) {
        const auto *nl = static_cast<const char *>(std::memchr(pos, '\n', size_t(end - pos)));
        const char *lineEnd = nl ? nl : end;
        if (lineEnd - pos > kMaxDiscLineBytes)
            return undo();
        const char *next = nl ? nl + 1 : end;
        if (classifyDiscLine(pos, lineEnd, line)) {
            switch (line.tag) {
            case DiscTag::Name:
                name = true;
                break;
            case DiscTag::Size:
                size = true;
                break;
            case DiscTag::Hash:
                break;
            case DiscTag::Path: {
                path = true;
                const QByteArrayView value = line.bytes();
                // A folder's path repeats in each of its files: only the part past what
                // the block's previous path shared is cut into pieces again.
                qsizetype shared = 0;
                if (entriesInBlock > 0) {
                    const qsizetype n = std::min(value.size(), previousPath.size());
                    while (shared < n && value[shared] == previousPath[shared] &&
                           static_cast<unsigned char>(value[shared]) < 0x80)
                        ++shared;
                }
                foldedCharacters(value, m_chars);
                // Shared bytes are ASCII, so they are characters one for one.
                const size_t from = shared > 2 ? size_t(shared - 2) : 0;
                appendTrigrams(m_chars, from, m_blockKeys);
                line.copyTo(previousPath);
                break;
            }
            case DiscTag::Date:
                if (!(name && path && size))
                    return undo();
                name = path = size = false;
                ++entries;
                if (++entriesInBlock == kBlockEntries) {
                    closeBlock(quint64(blockStart - begin), quint64(next - begin));
                    blockStart = next;
                    entriesInBlock = 0;
                }
                break;
            }
        }
        pos = next;
    }
    if (entriesInBlock > 0)
        closeBlock(quint64(blockStart - begin), quint64(end - begin));
    else
        m_blockKeys.clear();
    disc.local = quint32(m_discs.size());
    disc.entries = entries;
    m_discs.push_back({quint32(firstBlock), quint32(m_blocks.size() - firstBlock),
                       XXH3_64bits(m_blocks.data() + firstBlock,
                                   (m_blocks.size() - firstBlock) * sizeof(SegmentBlock))});
    return true;
}

StoreValue<QString> SegmentBuilder::write(const QString &programFolder)
{
    std::vector<quint32> keys;
    keys.reserve(m_postings.size());
    for (const auto &[key, blocks] : m_postings)
        keys.push_back(key);
    std::sort(keys.begin(), keys.end());

    QByteArray postings;
    std::vector<SegmentKey> table;
    table.reserve(keys.size());
    QByteArray encoded;
    for (quint32 key : keys) {
        const std::vector<quint32> &blocks = m_postings[key];
        // Runs of neighbouring blocks (a folder's path in every block of a disc) take a few
        // bytes; measured on the generated store: 0.8 bytes a posting (docs/search-index.md).
        roaring_bitmap_t *list = roaring_bitmap_of_ptr(blocks.size(), blocks.data());
        roaring_bitmap_run_optimize(list);
        encoded.resize(qsizetype(roaring_bitmap_portable_size_in_bytes(list)));
        roaring_bitmap_portable_serialize(list, encoded.data());
        roaring_bitmap_free(list);
        table.push_back({key, quint32(blocks.size()), quint32(postings.size()),
                         quint32(XXH3_64bits(encoded.constData(), size_t(encoded.size())))});
        postings.append(encoded);
    }

    SegmentHeader header{};
    std::memcpy(header.magic, kSegmentMagic, sizeof header.magic);
    header.discCount = quint32(m_discs.size());
    header.blockCount = quint32(m_blocks.size());
    header.keyCount = quint32(table.size());
    // The disc and key tables come first, checked whole at every opening; the block table,
    // the largest (half a byte an entry), is read only where a search looks.
    header.discsOffset = sizeof(SegmentHeader);
    header.keysOffset = header.discsOffset + m_discs.size() * sizeof(SegmentDisc);
    header.blocksOffset = header.keysOffset + table.size() * sizeof(SegmentKey);
    header.postingsOffset = header.blocksOffset + m_blocks.size() * sizeof(SegmentBlock);
    header.fileSize = header.postingsOffset + quint64(postings.size());

    QByteArray head;
    head.append(reinterpret_cast<const char *>(m_discs.data()),
                qsizetype(m_discs.size() * sizeof(SegmentDisc)));
    head.append(reinterpret_cast<const char *>(table.data()),
                qsizetype(table.size() * sizeof(SegmentKey)));
    header.tablesChecksum = XXH3_64bits(head.constData(), size_t(head.size()));
    head.prepend(reinterpret_cast<const char *>(&header), sizeof header);
    head.append(reinterpret_cast<const char *>(m_blocks.data()),
                qsizetype(m_blocks.size() * sizeof(SegmentBlock)));

    const QString fileName = QLatin1String(kSegmentPrefix) +
                             QString::number(QRandomGenerator::system()->generate64(), 36) +
                             QLatin1String(kSegmentSuffix);
    AtomicFile file(segmentPath(programFolder, fileName), AtomicFile::Kind::NewStoreFile);
    file.setSync(false); // only a cache
    if (StoreResult opened = file.open(); !opened)
        return StoreValue<QString>::failure(opened.error);
    file.write(head);
    file.write(postings);
    if (StoreResult committed = file.commit(); !committed)
        return StoreValue<QString>::failure(committed.error);
    return StoreValue<QString>::success(fileName);
}

// A segment mapped for reading; null members when it is missing or damaged.
struct MappedSegment
{
    std::unique_ptr<QFile> file;
    const uchar *data = nullptr;
    const SegmentHeader *header = nullptr;
    const SegmentDisc *discs = nullptr;
    const SegmentBlock *blocks = nullptr;
    const SegmentKey *keys = nullptr;
    const uint8_t *postings = nullptr;
    qint64 size = 0;

    bool map(const QString &path)
    {
        file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::ReadOnly) || file->size() < qint64(sizeof(SegmentHeader)))
            return false;
        size = file->size();
        data = file->map(0, size);
        if (!data)
            return false;
        header = reinterpret_cast<const SegmentHeader *>(data);
        const SegmentHeader &h = *header;
        const auto fits = [&](quint64 offset, quint64 count, quint64 each) {
            return offset <= quint64(size) && count <= (quint64(size) - offset) / each;
        };
        if (std::memcmp(h.magic, kSegmentMagic, sizeof h.magic) != 0 ||
            h.fileSize != quint64(size) || !fits(h.discsOffset, h.discCount, sizeof(SegmentDisc)) ||
            !fits(h.blocksOffset, h.blockCount, sizeof(SegmentBlock)) ||
            !fits(h.keysOffset, h.keyCount, sizeof(SegmentKey)) || h.postingsOffset > h.fileSize)
            return false;
        // Damage in the tables would send a search to the wrong places; damage in a list
        // is caught where the list is read.
        if (h.discsOffset != sizeof(SegmentHeader) || h.blocksOffset < h.discsOffset ||
            XXH3_64bits(data + h.discsOffset, size_t(h.blocksOffset - h.discsOffset)) !=
                h.tablesChecksum)
            return false;
        discs = reinterpret_cast<const SegmentDisc *>(data + h.discsOffset);
        blocks = reinterpret_cast<const SegmentBlock *>(data + h.blocksOffset);
        keys = reinterpret_cast<const SegmentKey *>(data + h.keysOffset);
        postings = data + h.postingsOffset;
        // Lists lie in key order, one after another, inside the postings.
        const quint64 postingsSize = h.fileSize - h.postingsOffset;
        for (quint32 i = 0; i < h.keyCount; ++i) {
            const bool ordered = i == 0 || (keys[i - 1].key < keys[i].key &&
                                            keys[i - 1].postingsOffset < keys[i].postingsOffset);
            if (!ordered || keys[i].postingsOffset > postingsSize || keys[i].count > h.blockCount)
                return false;
        }
        for (quint32 i = 0; i < h.discCount; ++i) {
            if (discs[i].firstBlock > h.blockCount ||
                discs[i].blockCount > h.blockCount - discs[i].firstBlock)
                return false;
        }
        return true;
    }

    const SegmentKey *find(quint32 key) const
    {
        const SegmentKey *end = keys + header->keyCount;
        const SegmentKey *it = std::lower_bound(
            keys, end, key, [](const SegmentKey &k, quint32 value) { return k.key < value; });
        return it != end && it->key == key ? it : nullptr;
    }

    struct FreeList
    {
        void operator()(roaring_bitmap_t *list) const { roaring_bitmap_free(list); }
    };
    using List = std::unique_ptr<roaring_bitmap_t, FreeList>;

    // A key's list; null when its bytes are damaged.
    List load(const SegmentKey &key) const
    {
        const SegmentKey *next = &key + 1;
        const quint64 end = next < keys + header->keyCount
                                ? next->postingsOffset
                                : header->fileSize - header->postingsOffset;
        const auto *bytes = reinterpret_cast<const char *>(postings + key.postingsOffset);
        const size_t size = size_t(end - key.postingsOffset);
        if (quint32(XXH3_64bits(bytes, size)) != key.checksum)
            return nullptr;
        List list(roaring_bitmap_portable_deserialize_safe(bytes, size));
        if (!list || roaring_bitmap_get_cardinality(list.get()) != key.count)
            return nullptr;
        return list;
    }

    // The blocks that may hold every key of `wanted`: sorted, each once. False for a damaged
    // segment, whose discs are then scanned.
    bool candidates(const QList<quint32> &wanted, std::vector<quint32> &result) const
    {
        result.clear();
        std::vector<const SegmentKey *> lists;
        for (quint32 key : wanted) {
            const SegmentKey *k = find(key);
            if (!k)
                return true; // a piece no path of the segment has
            lists.push_back(k);
        }
        std::sort(lists.begin(), lists.end(),
                  [](const SegmentKey *a, const SegmentKey *b) { return a->count < b->count; });
        List found = load(*lists.front());
        if (!found)
            return false;
        for (size_t i = 1; i < lists.size(); ++i) {
            const quint64 count = roaring_bitmap_get_cardinality(found.get());
            // Candidates few enough are read rather than narrowed further: each is checked
            // against the disc file anyway.
            if (count == 0 || (count * 64 < lists[i]->count && count < 256))
                break;
            const List other = load(*lists[i]);
            if (!other)
                return false;
            roaring_bitmap_and_inplace(found.get(), other.get());
        }
        result.resize(size_t(roaring_bitmap_get_cardinality(found.get())));
        roaring_bitmap_to_uint32_array(found.get(), result.data());
        return result.empty() || result.back() < header->blockCount;
    }
};

// Indexes `discs` into new segments (each up to kSegmentBytes of disc files). Discs that
// cannot be indexed get segment -1 (scanned whole); unreadable ones are left out.
StoreResult buildSegments(const QString &programFolder, const QList<StoreDisc> &discs,
                          QStringList &segmentFiles, QList<ManifestDisc> &built,
                          const std::atomic<bool> *cancel)
{
    SegmentBuilder builder;
    QList<ManifestDisc> pending;
    qint64 pendingBytes = 0;
    const auto flush = [&]() -> StoreResult {
        if (builder.empty()) {
            built << pending;
            pending.clear();
            return {};
        }
        StoreValue<QString> written = builder.write(programFolder);
        if (!written)
            return written;
        const auto segment = qint32(segmentFiles.size());
        segmentFiles << written.value;
        for (ManifestDisc &d : pending) {
            if (d.segment == 0)
                d.segment = segment;
            built << d;
        }
        pending.clear();
        pendingBytes = 0;
        builder = SegmentBuilder();
        return {};
    };
    QByteArray bytes;
    for (const StoreDisc &store : discs) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return StoreResult::failure(QStringLiteral("The search index update was cancelled."));
        bytes.clear();
        ManifestDisc d;
        d.name = store.name;
        d.identity = store.identity;
        d.segment = -1;
        const QString path = discFilePath(programFolder, store.name);
        bool whole = false;
        if (store.regular && store.identity.size <= kMaxIndexedFile) {
            if (!readDiscFileBytes(path, bytes, kMaxIndexedFile, &whole))
                continue; // gone or unreadable: not indexed, so scanned (and reported) then
        }
        if (whole) {
            const DiscInfo info = readDiscInfo(bytes);
            d.location = info.location;
            d.number = info.number;
            // The file read must still be the one stat described.
            if (bytes.size() == store.identity.size && builder.addDisc(bytes, d))
                d.segment = 0; // this segment; numbered at the flush
        }
        pending << d;
        pendingBytes += bytes.size();
        if (pendingBytes >= kSegmentBytes) {
            if (StoreResult r = flush(); !r)
                return r;
        }
    }
    return flush();
}

// Keeps in `manifest` only the segments its discs refer to, renumbered; returns the files of
// `previous` no longer referred to, to be removed once the manifest is written.
QStringList dropUnusedSegments(Manifest &manifest, QStringList previous)
{
    QList<qint32> renumber(manifest.segments.size(), -1);
    QStringList used;
    for (ManifestDisc &d : manifest.discs) {
        if (d.segment < 0)
            continue;
        qint32 &n = renumber[d.segment];
        if (n < 0) {
            n = qint32(used.size());
            used << manifest.segments.at(d.segment);
        }
        d.segment = n;
    }
    manifest.segments = used;
    const QSet<QString> still(used.cbegin(), used.cend());
    QStringList unused;
    for (const QString &name : previous) {
        if (!still.contains(name) && !unused.contains(name))
            unused << name;
    }
    return unused;
}

// Segments left by a build that died before it was put in place (older than an hour: a
// younger one may be another process's build in progress).
void removeOrphanSegments(const QString &programFolder, const Manifest &manifest)
{
    const QSet<QString> used(manifest.segments.cbegin(), manifest.segments.cend());
    QDir temp(tempFolder(programFolder));
    const QDateTime hourAgo = QDateTime::currentDateTimeUtc().addSecs(-3600);
    const QStringList names = temp.entryList(
        {QLatin1String(kSegmentPrefix) + QLatin1Char('*') + QLatin1String(kSegmentSuffix)},
        QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        if (!used.contains(name) && QFileInfo(temp.filePath(name)).lastModified().toUTC() < hourAgo)
            temp.remove(name);
    }
}

// Sorts the store's discs into those the manifest holds as they are (kept, renamed where
// a rename moved them) and those to index again; discs gone are dropped.
// Returns whether anything differs from `old`.
bool planUpdate(const Manifest &old, const QList<StoreDisc> &store, QList<ManifestDisc> &kept,
                QList<StoreDisc> &toIndex, qsizetype &dropped)
{
    bool renamed = false;
    QHash<QString, qsizetype> byName;
    QHash<quint64, qsizetype> byInode;
    for (qsizetype i = 0; i < old.discs.size(); ++i) {
        byName.insert(old.discs[i].name, i);
        byInode.insert(old.discs[i].identity.inode, i);
    }
    QSet<qsizetype> used;
    for (const StoreDisc &disc : store) {
        qsizetype at = byName.value(disc.name, -1);
        if (at < 0 || !(old.discs[at].identity == disc.identity)) {
            // A rename keeps the file's identity.
            const qsizetype moved = byInode.value(disc.identity.inode, -1);
            at = moved >= 0 && old.discs[moved].identity == disc.identity ? moved : -1;
        }
        if (at >= 0 && !used.contains(at)) {
            used.insert(at);
            ManifestDisc d = old.discs[at];
            renamed = renamed || d.name != disc.name;
            d.name = disc.name;
            kept << d;
        } else {
            toIndex << disc;
        }
    }
    dropped = old.discs.size() - used.size();
    return renamed || dropped > 0 || !toIndex.isEmpty();
}

} // namespace

QList<quint32> textTrigrams(QStringView text)
{
    std::vector<char32_t> chars;
    appendFolded(text, chars);
    std::vector<quint32> keys;
    appendTrigrams(chars, 0, keys);
    sortUnique(keys);
    return QList<quint32>(keys.begin(), keys.end());
}

StoreValue<IndexUpdate> updateSearchIndex(const QString &programFolder, IndexUpdateMode mode,
                                          const std::atomic<bool> *cancel)
{
    using Result = StoreValue<IndexUpdate>;
    IndexUpdate update;
    Manifest old;
    if (!readManifest(programFolder, old)) {
        if (mode != IndexUpdateMode::Full)
            return Result::success(update);
        old = {};
    }
    QList<StoreDisc> store = listStoreDiscs(programFolder);
    QList<ManifestDisc> kept;
    QList<StoreDisc> toIndex;
    const bool compact = mode == IndexUpdateMode::Full && old.segments.size() > kMaxSegments;
    if (!planUpdate(old, store, kept, toIndex, update.discsDropped) && !compact) {
        update.discsTotal = old.discs.size();
        return Result::success(update);
    }

    if (mode == IndexUpdateMode::Changed) {
        qint64 bytes = 0;
        for (const StoreDisc &disc : toIndex)
            bytes += std::max<qint64>(0, disc.identity.size);
        if (bytes > kChangedBytesLimit) {
            update.discsDropped += toIndex.size();
            toIndex.clear();
        }
    } else if (compact) {
        // Each change leaves a small segment, and each costs a look-up per search: their
        // discs are indexed again into one.
        QList<qint64> segmentEntries(old.segments.size(), 0);
        for (const ManifestDisc &d : kept) {
            if (d.segment >= 0)
                segmentEntries[d.segment] += d.entries;
        }
        constexpr qint64 kSmallSegment = 250'000;
        QList<ManifestDisc> stay;
        for (const ManifestDisc &d : kept) {
            if (d.segment >= 0 && segmentEntries[d.segment] < kSmallSegment)
                toIndex << StoreDisc{d.name, d.identity, true};
            else
                stay << d;
        }
        kept = stay;
    }

    QStringList newSegments;
    QList<ManifestDisc> built;
    const StoreResult builtResult =
        buildSegments(programFolder, toIndex, newSegments, built, cancel);
    const auto removeNew = [&] {
        for (const QString &name : newSegments)
            QFile::remove(segmentPath(programFolder, name));
    };
    if (!builtResult) {
        removeNew();
        return Result::failure(builtResult.error);
    }

    // A full update built without the lock: a change may have come in meanwhile, so what
    // the store and the manifest hold now decide, and this build fills in the rest.
    std::unique_ptr<StoreLock> lock;
    Manifest now;
    QList<ManifestDisc> nowKept;
    if (mode != IndexUpdateMode::Changed) {
        lock = std::make_unique<StoreLock>(programFolder, StoreLock::kWaitMs,
                                           /*updateIndex=*/false);
        if (!lock->locked()) {
            removeNew();
            return Result::failure(lock->error());
        }
        // Discs removed or rewritten during the build must not come back as built.
        store = listStoreDiscs(programFolder);
        if (readManifest(programFolder, now)) {
            QList<StoreDisc> changed;
            qsizetype dropped = 0;
            planUpdate(now, store, nowKept, changed, dropped);
        }
    }
    QHash<QString, const ManifestDisc *> builtByName, keptByName, nowByName;
    for (const ManifestDisc &d : built)
        builtByName.insert(d.name, &d);
    for (const ManifestDisc &d : kept)
        keptByName.insert(d.name, &d);
    for (const ManifestDisc &d : nowKept)
        nowByName.insert(d.name, &d);

    Manifest merged;
    merged.segments = old.segments + now.segments + newSegments;
    const auto fromNow = qint32(old.segments.size());
    const auto fromBuilt = qint32(old.segments.size() + now.segments.size());
    for (const StoreDisc &disc : store) {
        ManifestDisc d;
        if (const ManifestDisc *b = builtByName.value(disc.name);
            b && b->identity == disc.identity) {
            d = *b;
            d.segment = d.segment >= 0 ? d.segment + fromBuilt : -1;
            ++update.discsIndexed;
            update.entriesIndexed += d.entries;
        } else if (const ManifestDisc *n = nowByName.value(disc.name);
                   n && n->identity == disc.identity) {
            d = *n;
            d.segment = d.segment >= 0 ? d.segment + fromNow : -1;
        } else if (const ManifestDisc *k = keptByName.value(disc.name);
                   k && k->identity == disc.identity) {
            d = *k;
        } else {
            continue; // changed meanwhile, or too much to index now: scanned
        }
        merged.discs << d;
    }
    const QStringList unused = dropUnusedSegments(merged, merged.segments);
    update.discsTotal = merged.discs.size();
    if (StoreResult written = writeManifest(programFolder, merged); !written) {
        removeNew();
        return Result::failure(written.error);
    }
    for (const QString &name : unused)
        QFile::remove(segmentPath(programFolder, name));
    if (mode != IndexUpdateMode::Changed)
        removeOrphanSegments(programFolder, merged);
    return Result::success(update);
}

void removeSearchIndex(const QString &programFolder)
{
    Manifest manifest;
    readManifest(programFolder, manifest);
    QFile::remove(manifestPath(programFolder));
    for (const QString &name : manifest.segments)
        QFile::remove(segmentPath(programFolder, name));
}

struct SearchIndex::Data
{
    Manifest manifest;
    std::vector<MappedSegment> segments; // as manifest.segments; unmapped ones are empty
    QHash<QString, qsizetype> byName;
    qint64 bytes = 0;
    // Set by prepare(): each segment's candidate blocks, and whether it could tell them.
    std::vector<std::vector<quint32>> candidates;
    std::vector<bool> usable;
    bool place = false;
    bool readOnly = false; // temp/ cannot be written: no update keeps the index current
};

SearchIndex::SearchIndex(std::unique_ptr<Data> data) : d(std::move(data)) {}
SearchIndex::~SearchIndex() = default;

std::unique_ptr<SearchIndex> SearchIndex::open(const QString &programFolder)
{
    auto data = std::make_unique<Data>();
    if (!readManifest(programFolder, data->manifest))
        return nullptr;
    data->bytes = QFileInfo(manifestPath(programFolder)).size();
    data->readOnly = ::access(QFile::encodeName(tempFolder(programFolder)).constData(), W_OK) != 0;
    data->segments.resize(size_t(data->manifest.segments.size()));
    for (qsizetype i = 0; i < data->manifest.segments.size(); ++i) {
        MappedSegment &segment = data->segments[size_t(i)];
        if (!segment.map(segmentPath(programFolder, data->manifest.segments.at(i))))
            segment = MappedSegment(); // its discs are scanned
        else
            data->bytes += segment.size;
    }
    data->byName.reserve(data->manifest.discs.size());
    for (qsizetype i = 0; i < data->manifest.discs.size(); ++i)
        data->byName.insert(data->manifest.discs[i].name, i);
    return std::unique_ptr<SearchIndex>(new SearchIndex(std::move(data)));
}

bool SearchIndex::narrows(const SearchCriteria &criteria)
{
    return !textTrigrams(criteria.text.toUpper()).isEmpty();
}

qsizetype SearchIndex::discCount() const
{
    return d->manifest.discs.size();
}

qsizetype SearchIndex::entryCount() const
{
    qsizetype n = 0;
    for (const ManifestDisc &disc : d->manifest.discs)
        n += disc.entries;
    return n;
}

qint64 SearchIndex::bytesOnDisk() const
{
    return d->bytes;
}

namespace {

// Reads `length` bytes at `offset` whole; false on a short read or an error.
bool readAt(int fd, char *into, qint64 length, qint64 offset)
{
    while (length > 0) {
        const ssize_t n = ::pread(fd, into, size_t(length), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        into += n;
        length -= n;
        offset += n;
    }
    return true;
}

} // namespace

void SearchIndex::prepare(const SearchCriteria &criteria)
{
    // The scan's needle is the text in upper case; its pieces, folded, are the keys.
    const QList<quint32> keys = textTrigrams(criteria.text.toUpper());
    d->place = criteria.place;
    d->candidates.assign(d->segments.size(), {});
    d->usable.assign(d->segments.size(), false);
    for (size_t s = 0; s < d->segments.size(); ++s) {
        if (d->segments[s].header)
            d->usable[s] = d->segments[s].candidates(keys, d->candidates[s]);
    }
}

bool SearchIndex::searchDisc(const QString &programFolder, const QString &disc,
                             const DiscSearch &search, QList<FileRow> &hits) const
{
    const qsizetype at = d->byName.value(disc, -1);
    if (at < 0)
        return false;
    const ManifestDisc &entry = d->manifest.discs[at];
    if (entry.segment < 0 || !d->usable[size_t(entry.segment)])
        return false;
    const MappedSegment &segment = d->segments[size_t(entry.segment)];
    if (entry.local >= segment.header->discCount ||
        (d->place && search.placeMatches(entry.location, entry.number)))
        return false;
    const SegmentDisc &part = segment.discs[entry.local];
    const std::vector<quint32> &blocks = d->candidates[size_t(entry.segment)];
    auto b = std::lower_bound(blocks.begin(), blocks.end(), part.firstBlock);
    const auto e = std::lower_bound(b, blocks.end(), part.firstBlock + part.blockCount);
    // No block can hold the text. A disc file changed behind the program's back is found
    // by the update at the next start or refresh: a stat of every disc here would cost more
    // than the whole search (thousands of inodes to read when the cache is cold). Where no
    // update can write (a read-only store), each disc is checked here instead.
    if (b == e)
        return !d->readOnly || discIdentity(discFilePath(programFolder, disc)) == entry.identity;
    const int fd = ::open(QFile::encodeName(discFilePath(programFolder, disc)).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    // Only the file indexed is read, and only where the candidates are, neighbours in one
    // read; damage or a read error leaves the disc to the scan.
    struct stat st;
    bool answered =
        fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && identityOf(st) == entry.identity &&
        XXH3_64bits(segment.blocks + part.firstBlock, part.blockCount * sizeof(SegmentBlock)) ==
            part.blocksChecksum;
    const qsizetype before = hits.size();
    QByteArray buffer;
    while (b != e && answered) {
        const SegmentBlock &first = segment.blocks[*b];
        quint64 rangeEnd = first.offset + first.length;
        auto next = b + 1;
        for (; next != e && *next == *(next - 1) + 1; ++next)
            rangeEnd = segment.blocks[*next].offset + segment.blocks[*next].length;
        const qint64 length = qint64(rangeEnd - first.offset);
        answered = rangeEnd <= quint64(st.st_size) && length <= kMaxIndexedFile;
        if (answered) {
            buffer.resize(length);
            answered = readAt(fd, buffer.data(), length, qint64(first.offset));
        }
        if (answered)
            search.searchBytes(buffer, disc, hits);
        b = next;
    }
    ::close(fd);
    if (!answered)
        hits.resize(before);
    return answered;
}

} // namespace orlith
