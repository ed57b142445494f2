// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/node_kind.h"

#include <QIcon>
#include <QTreeWidget>

namespace orlith {

class CatalogueIndex;

// The catalog tree of the main window: the root "Catalogs", its catalogs, and their discs. It
// mirrors the CatalogueIndex, which stays the one record of what exists; a few thousand
// nodes are fine as items. Node kinds are kept in the items, not guessed from icons.
class CatalogTree : public QTreeWidget
{
    Q_OBJECT

public:
    using NodeKind = orlith::NodeKind;

    explicit CatalogTree(QWidget *parent = nullptr);

    // Root first (expanded), then the catalogs and their discs in index order.
    void rebuild(const CatalogueIndex &index);
    // The same nodes made apart from any tree, for setNodes. Touches no widget, so the
    // start-up makes them on the thread that reads the index.
    static QTreeWidgetItem *makeNodes(const CatalogueIndex &index);
    // Replaces the nodes with a root from makeNodes, which the tree then owns.
    void setNodes(QTreeWidgetItem *root);

    NodeKind kindOf(const QTreeWidgetItem *item) const;
    // The node's key: "katalog" for the root, else the catalog or disc name.
    QString keyOf(const QTreeWidgetItem *item) const;
    NodeKind selectedKind() const;
    QString selectedKey() const;
    QTreeWidgetItem *rootItem() const;
    QTreeWidgetItem *findNode(const QString &key) const;
    // Selects the node and makes it current.
    void selectNode(const QString &key);

    QTreeWidgetItem *addCatalogNode(const QString &name);
    QTreeWidgetItem *addDiscNode(const QString &catalog, const QString &disc);

    // Catalog names in tree order, as katalog.ini stores them.
    QStringList catalogsInOrder() const;
    // Disc keys in tree order: every disc, or the discs of one catalog.
    QStringList discsInOrder() const;
    QStringList discsOf(const QString &catalog) const;

    // While the search window is open a dragged node offers its text, so it can be dropped
    // on the window's disc list.
    void setNodeDragging(bool on);

    // Every node, the root included.
    void expandAllNodes();
    void collapseAllNodes();

signals:
    // Mouse release with a button other than the left one, at a viewport position.
    void contextMenuWanted(const QPoint &globalPos);
    void deleteKeyReleased();
    void enterKeyReleased();

protected:
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    friend class CatalogNodeItem;
    // The icon of a node kind, made once and shared by every node of that kind.
    const QIcon &iconFor(NodeKind kind) const;

    mutable QIcon m_icons[4];
};

} // namespace orlith
