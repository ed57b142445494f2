// Orlith — desktop catalogue of removable media.
#pragma once

class QTableView;
class QWidget;

namespace orlith {

class FileListModel;

// One list of the update and verify windows: rows as the main list shows them, sorted by a
// header click, no grid, no row numbers.
QTableView *comparisonListView(FileListModel *model, const char *objectName, QWidget *parent);

} // namespace orlith
