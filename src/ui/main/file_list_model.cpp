// Orlith — desktop catalogue of removable media.
#include "ui/main/file_list_model.h"

#include "core/search/duplicates.h"
#include "core/store/date_text.h"
#include "core/store/disc_file.h"
#include "core/store/file_categories.h"
#include "core/store/text_codec.h"

#include <QCollator>
#include <QGuiApplication>
#include <QHash>
#include <QPalette>

#include <algorithm>
#include <limits>
#include <numeric>

namespace orlith {

namespace {

const QRgb kBlack = qRgb(0, 0, 0);

// Beyond this many separate runs of rows, one reset is cheaper than a removal per run: each
// removal moves the tail of the list, and the view relays out after every one.
constexpr int kMaxRangeRemovals = 16;

constexpr qint64 kUnreadableDate = std::numeric_limits<qint64>::min();

// Seconds of a wall-clock time, comparable across days; no time zone is involved, as the
// list shows the texts as stored.
qint64 wallSeconds(QDate day, QTime time)
{
    return day.toJulianDay() * 86400 + time.msecsSinceStartOfDay() / 1000;
}

// Sort keys for date texts. Parsing a date text the general way costs tens of microseconds,
// too much for 150,000 rows, so the common shape "<date> H:mm:ss" is read here: the time by
// hand, the date part once per distinct text (a disc holds few distinct days).
class DateKeys
{
public:
    DateKeys()
    {
        const QString format = shortDateFormat();
        // The fields' order and the shape of the locale's numeric short date ("#.#.#" for
        // "dd.MM.yyyy"); a format that names months or weekdays has no numeric shape.
        for (qsizetype i = 0; i < format.size();) {
            const QChar c = format.at(i);
            qsizetype run = 1;
            while (i + run < format.size() && format.at(i + run) == c)
                ++run;
            if (c == u'd' || c == u'M' || c == u'y') {
                if ((c != u'y' && run > 2) || m_order.size() == 3) {
                    m_shape.clear();
                    m_order.clear();
                    return;
                }
                m_order += char(c.unicode());
                m_shape += '#';
            } else if (c.unicode() < 0x80 && !c.isLetter()) {
                m_shape += QByteArray(run, char(c.unicode()));
            } else {
                m_shape.clear();
                m_order.clear();
                return;
            }
            i += run;
        }
        if (m_order.size() != 3)
            m_shape.clear();
    }

    qint64 operator()(QByteArrayView text)
    {
        const qsizetype space = text.lastIndexOf(' ');
        if (space > 0) {
            const int seconds = timeOfDay(text.sliced(space + 1));
            if (seconds >= 0) {
                const QByteArrayView datePart = text.first(space);
                auto it = m_days.constFind(datePart.toByteArray());
                if (it == m_days.cend()) {
                    QDate day = numericDate(datePart);
                    if (!day.isValid())
                        day = parseDate(decodeSingleByte(datePart.data(), datePart.size()));
                    it = m_days.insert(datePart.toByteArray(),
                                       day.isValid() ? day.toJulianDay() : kNoDay);
                }
                if (*it != kNoDay)
                    return *it * 86400 + seconds;
            }
        }
        // Other shapes (a 12-hour time, a date written elsewhere) are read whole, each once.
        auto it = m_whole.constFind(text.toByteArray());
        if (it == m_whole.cend()) {
            const QDateTime whole = parseDateText(decodeSingleByte(text.data(), text.size()));
            it = m_whole.insert(text.toByteArray(), whole.isValid()
                                                        ? wallSeconds(whole.date(), whole.time())
                                                        : kUnreadableDate);
        }
        return *it;
    }

private:
    static constexpr qint64 kNoDay = std::numeric_limits<qint64>::min();

    // "H:mm:ss" or "HH:mm:ss" as seconds since midnight, else -1.
    static int timeOfDay(QByteArrayView t)
    {
        const auto digit = [&t](qsizetype i) { return t[i] >= '0' && t[i] <= '9'; };
        const qsizetype h = t.size() - 6; // digits of the hour
        if ((h != 1 && h != 2) || t[h] != ':' || t[h + 3] != ':')
            return -1;
        for (qsizetype i : {qsizetype(0), h - 1, h + 1, h + 2, h + 4, h + 5})
            if (!digit(i))
                return -1;
        const int hour = h == 1 ? t[0] - '0' : (t[0] - '0') * 10 + (t[1] - '0');
        const int minute = (t[h + 1] - '0') * 10 + (t[h + 2] - '0');
        const int second = (t[h + 4] - '0') * 10 + (t[h + 5] - '0');
        if (hour > 23 || minute > 59 || second > 59)
            return -1;
        return hour * 3600 + minute * 60 + second;
    }

    // A date text of exactly the locale's numeric shape, read by its fields' order: what
    // parseDate would make of it, in a fraction of the time.
    QDate numericDate(QByteArrayView text) const
    {
        if (m_shape.isEmpty())
            return {};
        QByteArray shape;
        int fields[3] = {0, 0, 0};
        int field = -1;
        bool inDigits = false;
        for (char c : text) {
            if (c >= '0' && c <= '9') {
                if (!inDigits) {
                    if (++field == 3)
                        return {};
                    shape += '#';
                }
                inDigits = true;
                if (fields[field] > 9999)
                    return {};
                fields[field] = fields[field] * 10 + (c - '0');
            } else {
                inDigits = false;
                shape += c;
            }
        }
        if (shape != m_shape)
            return {};
        int year = 0, month = 0, day = 0;
        for (int i = 0; i < 3; ++i)
            (m_order[i] == 'y' ? year : m_order[i] == 'M' ? month : day) = fields[i];
        // Two-digit years are left to the general reading and its century rule.
        return year >= 100 ? QDate(year, month, day) : QDate();
    }

    QByteArray m_shape;
    QByteArray m_order; // 'd', 'M' and 'y' as they come in the format
    QHash<QByteArray, qint64> m_days;
    QHash<QByteArray, qint64> m_whole;
};

// A stable sort of 0..n-1 by keys[i], ascending or descending; equal keys keep their order.
template <typename Key, typename Less>
std::vector<int> stableOrder(const Key *keys, qsizetype n, Qt::SortOrder order, Less less)
{
    std::vector<int> out(size_t(n), 0);
    std::iota(out.begin(), out.end(), 0);
    if (order == Qt::AscendingOrder)
        std::stable_sort(out.begin(), out.end(),
                         [&](int a, int b) { return less(keys[a], keys[b]); });
    else
        std::stable_sort(out.begin(), out.end(),
                         [&](int a, int b) { return less(keys[b], keys[a]); });
    return out;
}

} // namespace

FileListModel::FileListModel(QObject *parent) : QAbstractTableModel(parent) {}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_grouped ? GroupedColumnCount : ColumnCount;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::ForegroundRole:
        return QColor::fromRgb(m_colors.at(index.row()));
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn || index.column() >= ColumnCount)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::BackgroundRole:
        // Alternate groups are shaded so that each group reads as one block.
        if (m_grouped && m_groupOf.at(index.row()) % 2 == 1)
            return QGuiApplication::palette().color(QPalette::AlternateBase);
        return {};
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) {
        static const char *const titles[GroupedColumnCount] = {
            "File name", "Full path", "Size (Kb)",  "Creation time",
            "CD name",   "Copies",    "Wasted (Kb)"};
        return QString::fromLatin1(titles[section]);
    }
    if (role == Qt::DecorationRole && section == m_sortColumn) {
        const QIcon &icon = m_order == Qt::AscendingOrder ? m_ascendingIcon : m_descendingIcon;
        if (!icon.isNull())
            return icon;
    }
    return {};
}

QColor FileListModel::rowColor(int i) const
{
    return QColor::fromRgb(m_colors.at(i));
}

void FileListModel::setRows(QList<FileRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_colors.fill(kBlack, m_rows.size());
    m_grouped = false;
    m_groupOf.clear();
    m_groupCopies.clear();
    // The view asks for every header again after a reset, arrow included.
    m_sortColumn = -1;
    m_order = Qt::AscendingOrder;
    endResetModel();
}

void FileListModel::showDuplicateGroups()
{
    clear();
    beginResetModel();
    m_grouped = true;
    endResetModel();
}

void FileListModel::groupRows(qsizetype first)
{
    for (qsizetype i = first; i < m_rows.size(); ++i) {
        // Rows of a report say where their groups begin; others are grouped by name.
        const FileRow &row = m_rows.at(i);
        const bool joins =
            i > 0 && (row.match() != FileRow::Match::Unmatched ? !row.startsGroup()
                                                               : sameFile(m_rows.at(i - 1), row));
        if (joins) {
            const int group = m_groupOf.at(i - 1);
            m_groupOf.append(group);
            ++m_groupCopies[group];
        } else {
            m_groupOf.append(int(m_groupCopies.size()));
            m_groupCopies.append(1);
        }
    }
}

qint64 FileListModel::wastedBytes(int row) const
{
    const qint64 size = m_rows.at(row).size();
    const qint64 extra = m_groupCopies.at(m_groupOf.at(row)) - 1;
    // A size near the qint64 limit stops there rather than overflow.
    return extra > 0 && size > std::numeric_limits<qint64>::max() / extra
               ? std::numeric_limits<qint64>::max()
               : size * extra;
}

void FileListModel::appendRows(const QList<FileRow> &rows)
{
    if (rows.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_rows.append(rows);
    m_colors.insert(m_colors.size(), rows.size(), kBlack);
    if (m_grouped)
        groupRows(first);
    endInsertRows();
    // A row that joins the last group changes that group's counts.
    if (m_grouped && first > 0 && m_groupOf.at(first - 1) == m_groupOf.at(first))
        emit dataChanged(index(0, CopiesColumn), index(first - 1, WastedColumn), {Qt::DisplayRole});
}

void FileListModel::clear()
{
    setRows({});
}

void FileListModel::removeRowsAt(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(rows.begin(), std::lower_bound(rows.begin(), rows.end(), 0));
    rows.erase(std::lower_bound(rows.begin(), rows.end(), int(m_rows.size())), rows.end());
    if (rows.isEmpty())
        return;

    // Runs of consecutive rows, as [first, last] pairs in ascending order.
    QList<std::pair<int, int>> runs;
    for (int r : std::as_const(rows)) {
        if (!runs.isEmpty() && runs.last().second + 1 == r)
            runs.last().second = r;
        else
            runs.append({r, r});
    }

    if (runs.size() <= kMaxRangeRemovals) {
        // From the back, so the earlier runs keep their row numbers; the view keeps its
        // current row and scroll position.
        for (auto it = runs.crbegin(); it != runs.crend(); ++it) {
            const int count = it->second - it->first + 1;
            beginRemoveRows({}, it->first, it->second);
            m_rows.remove(it->first, count);
            m_colors.remove(it->first, count);
            if (m_grouped)
                m_groupOf.remove(it->first, count);
            endRemoveRows();
        }
        return;
    }

    beginResetModel();
    qsizetype kept = 0;
    qsizetype next = 0; // next entry of `rows` to drop
    for (qsizetype r = 0; r < m_rows.size(); ++r) {
        if (next < rows.size() && rows.at(next) == r) {
            ++next;
            continue;
        }
        if (kept != r) {
            m_rows[kept] = std::move(m_rows[r]);
            m_colors[kept] = m_colors.at(r);
            if (m_grouped)
                m_groupOf[kept] = m_groupOf.at(r);
        }
        ++kept;
    }
    m_rows.resize(kept);
    m_colors.resize(kept);
    if (m_grouped)
        m_groupOf.resize(kept);
    endResetModel();
}

void FileListModel::colorRows(const ExtensionTable &table, const QPalette &palette, qsizetype from)
{
    from = std::max<qsizetype>(from, 0);
    if (from >= m_rows.size())
        return;
    // Only eight colour texts exist, so parse each once instead of once per row.
    QHash<QString, QRgb> parsed;
    for (qsizetype i = from; i < m_rows.size(); ++i) {
        const QString text = table.colorForPath(m_rows.at(i).path());
        auto it = parsed.constFind(text);
        if (it == parsed.cend())
            it = parsed.insert(text, colorFromText(text, palette).rgb());
        m_colors[i] = *it;
    }
    emit dataChanged(index(int(from), 0), index(rowCount() - 1, ColumnCount - 1),
                     {Qt::ForegroundRole});
}

void FileListModel::sortByHeader(int column)
{
    if (column < 0 || column >= columnCount())
        return;
    m_order = column == m_sortColumn && m_order == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                      : Qt::AscendingOrder;
    const int previous = m_sortColumn;
    m_sortColumn = column;
    sortRows();
    const int first = previous < 0 ? column : std::min(previous, column);
    emit headerDataChanged(Qt::Horizontal, first, std::max(previous, column));
}

void FileListModel::setSortIcons(const QIcon &ascending, const QIcon &descending)
{
    m_ascendingIcon = ascending;
    m_descendingIcon = descending;
    if (m_sortColumn >= 0)
        emit headerDataChanged(Qt::Horizontal, m_sortColumn, m_sortColumn);
}

QString FileListModel::cellText(int row, int column) const
{
    const FileRow &r = m_rows.at(row);
    switch (column) {
    case NameColumn:
        return r.name();
    case PathColumn:
        return r.path();
    case SizeColumn:
        return r.sizeText();
    case DateColumn:
        return r.date();
    case DiscColumn:
        return r.disc();
    case CopiesColumn:
        if (!m_grouped)
            return QString();
        // Copies found by their checksum may bear other names: say so.
        return m_rows.at(row).match() == FileRow::Match::ByContent
                   ? QStringLiteral("%1 by content").arg(m_groupCopies.at(m_groupOf.at(row)))
                   : QString::number(m_groupCopies.at(m_groupOf.at(row)));
    case WastedColumn:
        return m_grouped ? kilobytesText(wastedBytes(row)) : QString();
    default:
        return {};
    }
}

std::vector<int> FileListModel::sortedOrder() const
{
    const qsizetype n = m_rows.size();
    const auto less = [](const auto &a, const auto &b) { return a < b; };
    std::vector<qint64> numbers;
    switch (m_sortColumn) {
    case SizeColumn:
    case WastedColumn:
    case CopiesColumn:
    case DateColumn: {
        numbers.reserve(size_t(n));
        DateKeys dateKey;
        for (qsizetype i = 0; i < n; ++i) {
            const FileRow &r = m_rows.at(i);
            switch (m_sortColumn) {
            case SizeColumn:
                numbers.push_back(r.size());
                break;
            case WastedColumn:
                numbers.push_back(wastedBytes(int(i)));
                break;
            case CopiesColumn:
                numbers.push_back(m_groupCopies.at(m_groupOf.at(i)));
                break;
            default:
                numbers.push_back(dateKey(r.dateBytes()));
            }
        }
        return stableOrder(numbers.data(), n, m_order, less);
    }
    default:
        break;
    }

    // Collation keys, made once per row: comparing them is a byte comparison, where
    // QCollator::compare would weigh both texts again at every step of the sort.
    // The C locale orders by code point alone, ignoring case and digits' values; English
    // rules are the neutral order there.
    QCollator collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(n));
    for (qsizetype i = 0; i < n; ++i)
        keys.push_back(collator.sortKey(cellText(int(i), m_sortColumn)));
    return stableOrder(
        keys.data(), n, m_order,
        [](const QCollatorSortKey &a, const QCollatorSortKey &b) { return a.compare(b) < 0; });
}

void FileListModel::sortRows()
{
    const qsizetype n = m_rows.size();
    if (n < 2)
        return;

    const std::vector<int> order = sortedOrder();

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    QList<FileRow> sortedRows;
    QList<QRgb> sortedColors;
    QList<int> sortedGroups;
    sortedRows.reserve(n);
    sortedColors.reserve(n);
    sortedGroups.reserve(m_groupOf.size());
    std::vector<int> newRowOf(size_t(n), 0);
    for (qsizetype i = 0; i < n; ++i) {
        const int old = order[size_t(i)];
        sortedRows.append(std::move(m_rows[old]));
        sortedColors.append(m_colors.at(old));
        if (m_grouped)
            sortedGroups.append(m_groupOf.at(old));
        newRowOf[size_t(old)] = int(i);
    }
    m_rows = std::move(sortedRows);
    m_colors = std::move(sortedColors);
    m_groupOf = std::move(sortedGroups);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before)
        after.append(index(newRowOf[size_t(i.row())], i.column()));
    changePersistentIndexList(before, after);

    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace orlith
