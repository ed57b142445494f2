// Orlith — desktop catalogue of removable media.
#include "core/search/duplicates.h"

#include "core/store/disc_file.h"
#include "core/store/size_sum.h"
#include "core/store/text_codec.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <numeric>
#include <vector>

namespace orlith {

namespace {

// A file's identity, its folded name and size, as two independent 64-bit hashes: a
// million distinct files cost 16 bytes each, and two different files share both hashes
// with a chance of about one in 10^26.
struct FileKey
{
    quint64 a = 0;
    quint64 b = 0;
    bool operator==(const FileKey &o) const { return a == o.a && b == o.b; }
};

size_t qHash(const FileKey &key, size_t seed)
{
    return size_t(key.a) ^ seed;
}

class KeyMaker
{
public:
    FileKey operator()(QByteArrayView name, qint64 size)
    {
        const bool ascii =
            std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; });
        if (ascii) {
            m_scratch.resize(name.size());
            for (qsizetype i = 0; i < name.size(); ++i) {
                const char c = name[i];
                m_scratch[i] = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
            }
        } else {
            // Folded as text, so "É" and "é" meet whatever bytes the disc file used.
            m_scratch = decodeSingleByte(name.data(), name.size()).toCaseFolded().toUtf8();
        }
        m_scratch.append(reinterpret_cast<const char *>(&size), sizeof size);
        return {quint64(qHashBits(m_scratch.constData(), size_t(m_scratch.size()), 0x5bd1e995)),
                quint64(qHashBits(m_scratch.constData(), size_t(m_scratch.size()),
                                  0x9e3779b97f4a7c15ULL))};
    }

private:
    QByteArray m_scratch;
};

// About how many entries the discs hold (a written entry takes some 150 bytes or more), so
// a table of a million files is sized once rather than rehashed as it grows. Capped, as a
// disc file of a few huge lines would otherwise reserve a table for entries it never has.
qsizetype entryEstimate(const QString &programFolder, const QStringList &discs)
{
    constexpr qint64 kMaxEstimate = 1 << 20;
    qint64 bytes = 0;
    for (const QString &disc : discs)
        bytes = addSizes(bytes, QFileInfo(discFilePath(programFolder, disc)).size());
    return qsizetype(std::min(bytes / 150, kMaxEstimate));
}

} // namespace

bool sameFile(const FileRow &a, const FileRow &b)
{
    if (a.size() != b.size())
        return false;
    // Equal bytes are one name in any encoding; anything else is compared as text.
    if (a.nameBytes() == b.nameBytes())
        return true;
    return a.name().toCaseFolded() == b.name().toCaseFolded();
}

QList<FileRow> DuplicateReport::rows() const
{
    QList<FileRow> all;
    all.reserve(files);
    for (const QList<FileRow> &group : groups)
        all.append(group);
    return all;
}

DuplicateReport findDuplicates(const QString &programFolder, const QStringList &discs,
                               qint64 minBytes, QStringList *skipped, const BeforeDisc &beforeDisc,
                               const FolderScope &folder, DuplicateRule rule)
{
    // The first copy of every file is kept as bytes only; a row is built once a second
    // copy shows it is a duplicate.
    struct First
    {
        const char *text;
        qint64 size;
        qint64 order; // among the entries read, for a group that gains rows late
        qint32 nameLength, pathLength, dateLength;
        qint32 disc;
        qint32 group;
        bool hashed;
    };
    using Match = FileRow::Match;
    const bool mixed = rule == DuplicateRule::NameOrContent;
    // Files with a checksum meet by content, the others by name; each table holds one kind.
    QHash<FileKey, qint32> byName;
    QHash<FileKey, qint32> byContent;
    (mixed ? byName : byContent).reserve(entryEstimate(programFolder, discs));
    // Name keys of files with a checksum met once, to meet files without one afterwards.
    std::vector<std::pair<qint32, FileKey>> hashedNames;
    std::vector<First> firsts;
    RowTextArena firstText;
    std::vector<std::shared_ptr<const char[]>> firstBlocks;
    RowTextArena rowText;
    KeyMaker keyOf;
    DuplicateReport report;
    std::vector<Match> matches;              // parallel to report.groups
    std::vector<std::vector<qint64>> orders; // parallel to report.groups and their rows
    qint64 order = 0;

    const auto rowOf = [&](const First &f) {
        const char *t = f.text;
        return FileRow::fromBytes({t, f.nameLength}, {t + f.nameLength, f.pathLength}, f.size,
                                  {t + f.nameLength + f.pathLength, f.dateLength}, discs[f.disc],
                                  &rowText);
    };
    const auto groupOf = [&](First &f, Match match) {
        if (f.group < 0) {
            f.group = qint32(report.groups.size());
            report.groups.append({rowOf(f)});
            matches.push_back(match);
            orders.push_back({f.order});
        }
        return f.group;
    };

    for (qsizetype d = 0; d < discs.size(); ++d) {
        const QString &disc = discs[d];
        if (beforeDisc && !beforeDisc(disc))
            break;
        qsizetype longLines = 0;
        const bool read =
            forEachHashedDiscEntry(
                discFilePath(programFolder, disc),
                [&](QByteArrayView name, QByteArrayView path, qint64 size, QByteArrayView date,
                    QByteArrayView hash) {
                    if (size < minBytes || !folder.contains(path) || (!mixed && hash.isEmpty()))
                        return;
                    const bool hashed = !hash.isEmpty();
                    // Slots hold 1 + the index of the first copy; 0 is a new file.
                    qint32 &slot =
                        hashed ? byContent[keyOf(hash, size)] : byName[keyOf(name, size)];
                    if (slot == 0) {
                        slot = qint32(firsts.size()) + 1;
                        std::shared_ptr<const char[]> block;
                        const char *text = firstText.store(name, path, date, block);
                        if (firstBlocks.empty() || firstBlocks.back() != block)
                            firstBlocks.push_back(std::move(block));
                        firsts.push_back({text, size, order++, qint32(name.size()),
                                          qint32(path.size()), qint32(date.size()), qint32(d), -1,
                                          hashed});
                        if (hashed && mixed)
                            hashedNames.emplace_back(slot - 1, keyOf(name, size));
                        return;
                    }
                    const qint32 group = groupOf(firsts[size_t(slot - 1)],
                                                 hashed ? Match::ByContent : Match::ByName);
                    report.groups[group].append(
                        FileRow::fromBytes(name, path, size, date, disc, &rowText));
                    orders[size_t(group)].push_back(order++);
                },
                &longLines)
                .ok();
        if (!read && skipped)
            skipped->append(disc);
        if (longLines > 0)
            report.longLines.append({disc, longLines});
    }

    // A file with a checksum and no copy by content is still a copy of a file of the same
    // name and size that has none (a disc captured before checksums were kept).
    for (const auto &[index, nameKey] : hashedNames) {
        First &f = firsts[size_t(index)];
        const qint32 slot = f.group < 0 ? byName.value(nameKey) : 0;
        if (slot == 0)
            continue;
        const qint32 group = groupOf(firsts[size_t(slot - 1)], Match::ByName);
        QList<FileRow> &rows = report.groups[group];
        std::vector<qint64> &at = orders[size_t(group)];
        // In the order read, as the rest of the group.
        const auto pos = std::upper_bound(at.begin(), at.end(), f.order);
        rows.insert(pos - at.begin(), rowOf(f));
        at.insert(pos, f.order);
    }

    // Largest waste first; equal waste keeps the order the files were met in.
    const auto extra = [&](qsizetype g) {
        return multiplySize(report.groups[g].size() - 1, report.groups[g].first().size());
    };
    std::vector<qsizetype> sorted(size_t(report.groups.size()));
    std::iota(sorted.begin(), sorted.end(), 0);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](qsizetype x, qsizetype y) { return extra(x) > extra(y); });
    QList<QList<FileRow>> groups;
    groups.reserve(report.groups.size());
    for (const qsizetype g : sorted) {
        QList<FileRow> &group = report.groups[g];
        for (qsizetype i = 0; i < group.size(); ++i)
            group[i].setMatch(matches[size_t(g)], i == 0);
        report.files += group.size();
        report.extraBytes = addSizes(report.extraBytes, extra(g));
        report.contentGroups += matches[size_t(g)] == Match::ByContent;
        groups.append(std::move(group));
    }
    report.groups = std::move(groups);
    return report;
}

QString duplicatesSummary(const DuplicateReport &report)
{
    QString text = QStringLiteral("%1 groups, %2 files, %3 MB in extra copies.")
                       .arg(report.groups.size())
                       .arg(report.files)
                       .arg(double(report.extraBytes) / (1024.0 * 1024.0), 0, 'f', 2);
    if (report.contentGroups > 0)
        text += QStringLiteral(" %1 groups by content, %2 by name and size.")
                    .arg(report.contentGroups)
                    .arg(report.groups.size() - report.contentGroups);
    return text;
}

qsizetype findSingleCopies(const QString &programFolder, const QStringList &allDiscs,
                           const QStringList &scope,
                           const std::function<void(QList<FileRow> &rows)> &take,
                           QStringList *skipped, const BeforeDisc &beforeDisc,
                           QList<SkippedLongLines> *longLines)
{
    // Each distinct file gets a slot: 1 + the disc it was met on, or -1 once met on a
    // second. The scope's entries note their slot as they are read, so the second read
    // looks nothing up.
    QHash<FileKey, qint32> slotOf;
    slotOf.reserve(entryEstimate(programFolder, allDiscs));
    std::vector<qint32> discOfSlot;
    std::vector<qint32> scopeSlots;
    const QSet<QString> inScope(scope.cbegin(), scope.cend());
    QStringList scopeRead; // the scope in the order its entries were noted
    KeyMaker keyOf;
    for (qsizetype d = 0; d < allDiscs.size(); ++d) {
        if (beforeDisc && !beforeDisc(allDiscs[d]))
            return 0;
        const bool keep = inScope.contains(allDiscs[d]);
        if (keep)
            scopeRead << allDiscs[d];
        qsizetype tooLong = 0;
        const bool read =
            forEachDiscEntry(
                discFilePath(programFolder, allDiscs[d]),
                [&](QByteArrayView name, QByteArrayView, qint64 size, QByteArrayView) {
                    qint32 &slot = slotOf[keyOf(name, size)];
                    if (slot == 0) {
                        discOfSlot.push_back(qint32(d) + 1);
                        slot = qint32(discOfSlot.size());
                    } else if (qint32 &on = discOfSlot[size_t(slot - 1)]; on != qint32(d) + 1) {
                        on = -1;
                    }
                    if (keep)
                        scopeSlots.push_back(slot - 1);
                },
                &tooLong)
                .ok();
        if (!read && skipped)
            skipped->append(allDiscs[d]);
        if (tooLong > 0 && longLines)
            longLines->append({allDiscs[d], tooLong});
    }

    qsizetype count = 0;
    size_t next = 0;
    for (const QString &disc : std::as_const(scopeRead)) {
        RowTextArena rowText;
        QList<FileRow> rows;
        // A disc file changed since the first read cannot take the noted slots past their end.
        (void)forEachDiscEntry(
            discFilePath(programFolder, disc),
            [&](QByteArrayView name, QByteArrayView path, qint64 size, QByteArrayView date) {
                if (next < scopeSlots.size() && discOfSlot[size_t(scopeSlots[next++])] > 0)
                    rows.append(FileRow::fromBytes(name, path, size, date, disc, &rowText));
            });
        count += rows.size();
        if (!rows.isEmpty())
            take(rows);
    }
    return count;
}

QList<FileRow> findSingleCopies(const QString &programFolder, const QStringList &allDiscs,
                                const QStringList &scope, QStringList *skipped,
                                const BeforeDisc &beforeDisc)
{
    QList<FileRow> all;
    findSingleCopies(
        programFolder, allDiscs, scope, [&](QList<FileRow> &rows) { all.append(std::move(rows)); },
        skipped, beforeDisc);
    return all;
}

} // namespace orlith
