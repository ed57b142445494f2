// Orlith — desktop catalogue of removable media.
#include "ui/capture/comparison_list.h"

#include "ui/main/file_list_model.h"

#include <QHeaderView>
#include <QTableView>

namespace orlith {

QTableView *comparisonListView(FileListModel *model, const char *objectName, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(objectName));
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setSectionsClickable(true);
    view->horizontalHeader()->setSortIndicatorShown(false);
    view->setColumnWidth(FileListModel::NameColumn, 130);
    view->setColumnWidth(FileListModel::PathColumn, 300);
    view->setColumnWidth(FileListModel::DateColumn, 145);
    QObject::connect(view->horizontalHeader(), &QHeaderView::sectionClicked, model,
                     &FileListModel::sortByHeader);
    return view;
}

} // namespace orlith
