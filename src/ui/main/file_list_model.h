// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/disc_listing.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QList>

namespace orlith {

class ExtensionTable;

// The rows of the main window's file list: plain FileRow structs, each with
// the colour it was last given by colorRows. Views show five columns: "File name",
// "Full path", "Size (Kb)", "Creation time", "CD name". Filling, colouring and sorting
// 150,000 rows must not freeze the window, so nothing is computed per cell beyond the
// size text.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, PathColumn, SizeColumn, DateColumn, DiscColumn, ColumnCount };

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

    // Replaces every row, or appends after the last; new rows are black until colorRows.
    void setRows(QList<FileRow> rows);
    void appendRows(const QList<FileRow> &rows);
    void clear();
    // Removes the given rows (any order, duplicates allowed). The disc files never change.
    void removeRowsAt(QList<int> rows);

    // Colours every row by the category of its full path, from the extension table as it
    // stands now; rows keep that colour until coloured again.
    // Rows before `from` keep their colour: a search that appends rows colours only those.
    void colorRows(const ExtensionTable &table, const QPalette &palette, qsizetype from = 0);

    // A header click: a column other than the sorted one sorts ascending, the sorted one
    // flips its order. Sorts by the column's cell text without regard to case (sizes and
    // dates sort as text) and shows the arrow on that header only. Rows added later are
    // appended unsorted. Before the first click no column is sorted (sortColumn() is -1).
    // Equal texts keep their previous order.
    void sortByHeader(int column);
    Qt::SortOrder sortOrder() const { return m_order; }
    int sortColumn() const { return m_sortColumn; }
    // Header images: `ascending` beside the column sorted ascending, `descending` beside
    // the one sorted descending.
    void setSortIcons(const QIcon &ascending, const QIcon &descending);

    // Cell text as shown, for any row and column.
    QString cellText(int row, int column) const;

private:
    // Reorders rows and colours together by the current column and order.
    void sortRows();

    QList<FileRow> m_rows;
    QList<QRgb> m_colors; // parallel to m_rows
    Qt::SortOrder m_order = Qt::AscendingOrder;
    int m_sortColumn = -1;
    QIcon m_ascendingIcon;
    QIcon m_descendingIcon;
};

} // namespace orlith
