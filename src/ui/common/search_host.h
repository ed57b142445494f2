// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/node_kind.h"

#include <QStringList>

class QWidget;

namespace orlith {

class ListSearch;
struct SearchCriteria;

// What the search window needs of the main window: its catalog tree (which discs there
// are, which node is being dragged) and its file list, which shows the hits. The main
// window implements it, so the search window never includes the main window's header.
class SearchHost
{
public:
    // The kind of the tree's selected node, which is the node being dragged.
    using NodeKind = orlith::NodeKind;

    virtual ~SearchHost() = default;

    // The window the search window belongs to and is centred on.
    virtual QWidget *searchHostWindow() = 0;
    // Every disc, in tree order.
    virtual QStringList discsInOrder() const = 0;
    virtual QStringList discsOf(const QString &catalog) const = 0;
    virtual NodeKind selectedNodeKind() const = 0;
    // Lets tree nodes be dragged out (as their names, in text form).
    virtual void setNodeDragging(bool on) = 0;

    // Empties the list and fills it with the hits over `discs`, on a worker; a search
    // already running is dropped first. The search belongs to the host, which deletes it
    // once its finished() has been delivered; listen to it, never keep it longer.
    virtual ListSearch *searchIntoList(const QStringList &discs,
                                       const SearchCriteria &criteria) = 0;
    // Drops the running search; the rows found so far stay and finished() does not come.
    virtual void stopListSearch() = 0;
    virtual bool listSearchRunning() const = 0;
};

} // namespace orlith
