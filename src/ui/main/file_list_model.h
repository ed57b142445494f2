// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/disc_listing.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QList>

#include <vector>

namespace orlith {

class ExtensionTable;

// The rows of the main window's file list: plain FileRow structs, each with
// the colour it was last given by colorRows. Views show five columns: "File name",
// "Full path", "Size (Kb)", "Creation time", "CD name"; a duplicates list adds "Copies" and
// "Wasted (Kb)". Filling, colouring and sorting 150,000 rows must not freeze the window, so
// nothing is computed per cell beyond the size text.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        NameColumn,
        PathColumn,
        SizeColumn,
        DateColumn,
        DiscColumn,
        ColumnCount,
        // Only while duplicate groups are shown.
        CopiesColumn = ColumnCount,
        WastedColumn,
        GroupedColumnCount
    };

    explicit FileListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const QList<FileRow> &rows() const { return m_rows; }
    const FileRow &row(int i) const { return m_rows.at(i); }
    // The colour a row was last given (black until coloured).
    QColor rowColor(int i) const;

    // A new list: replaces every row, or none; no column is sorted afterwards and duplicate
    // groups are no longer shown. appendRows adds after the last row. New rows are black
    // until colorRows.
    void setRows(QList<FileRow> rows);
    void appendRows(const QList<FileRow> &rows);
    void clear();

    // Shows the rows as the duplicates report hands them: a row that starts a group
    // (FileRow::startsGroup) and the rows after it up to the next; rows the report did not
    // mark are grouped by name, letter case ignored, and size. The copies of a group matched
    // by content read "N by content". Alternate groups are shaded, and
    // every row shows its group's copies and the space the extra copies take. Empties the
    // list; the next new list ends it.
    void showDuplicateGroups();
    bool showsDuplicateGroups() const { return m_grouped; }
    // Removes the given rows (any order, duplicates allowed). The disc files never change.
    void removeRowsAt(QList<int> rows);

    // Colours every row by the category of its full path, from the extension table as it
    // stands now; rows keep that colour until coloured again.
    // Rows before `from` keep their colour: a search that appends rows colours only those.
    void colorRows(const ExtensionTable &table, const QPalette &palette, qsizetype from = 0);

    // A header click: a column other than the sorted one sorts ascending, the sorted one
    // flips its order. Sizes (and copies, wasted space) sort by number, dates by time
    // (unreadable dates first), the other columns as text by the user's locale, letter case
    // ignored and digits by value ("file2" before "file10"). Shows the arrow on that header
    // only. Rows added later are appended unsorted. Before the first click no column is
    // sorted (sortColumn() is -1). Equal cells keep their previous order.
    void sortByHeader(int column);
    Qt::SortOrder sortOrder() const { return m_order; }
    int sortColumn() const { return m_sortColumn; }
    // Header images: `ascending` beside the column sorted ascending, `descending` beside
    // the one sorted descending.
    void setSortIcons(const QIcon &ascending, const QIcon &descending);

    // Cell text as shown, for any row and column.
    QString cellText(int row, int column) const;

private:
    // Reorders rows, colours and groups together by the current column and order.
    void sortRows();
    // The permutation that sorts the rows by the current column and order.
    std::vector<int> sortedOrder() const;
    // Group numbers for rows from `first` on, continuing the group of the row before.
    void groupRows(qsizetype first);
    qint64 wastedBytes(int row) const;

    QList<FileRow> m_rows;
    QList<QRgb> m_colors; // parallel to m_rows
    // While grouped: each row's group, parallel to m_rows, and each group's copies.
    QList<int> m_groupOf;
    QList<int> m_groupCopies;
    bool m_grouped = false;
    Qt::SortOrder m_order = Qt::AscendingOrder;
    int m_sortColumn = -1;
    QIcon m_ascendingIcon;
    QIcon m_descendingIcon;
};

} // namespace orlith
