// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/search/disc_folders.h"
#include "core/store/node_kind.h"

#include <QIcon>
#include <QTreeWidget>

#include <memory>

namespace orlith {

class CatalogueIndex;

// The catalog tree of the main window: the root "Catalogs", its catalogs, and their discs. It
// mirrors the CatalogueIndex, which stays the one record of what exists; a few thousand
// nodes are fine as items. Node kinds are kept in the items, not guessed from icons. A disc
// expands into its folders: the first expansion asks for them (discFoldersWanted), and a
// folder's own subfolders are made from the same DiscFolders when it is first expanded.
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
    // The node's key: "katalog" for the root, else the catalog or disc name; empty for a
    // folder, which names nothing in the store.
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

    // Gives a disc node its folders (the folders of its root), replacing any it had.
    void setDiscFolders(QTreeWidgetItem *disc, std::shared_ptr<const DiscFolders> folders);
    // The disc a disc or folder node lies in; empty for other nodes.
    QString discOf(const QTreeWidgetItem *item) const;
    // The folder a folder node stands for; an empty scope for other nodes.
    FolderScope folderScopeOf(const QTreeWidgetItem *item) const;

    // The root and every catalog; discs stay as they are, since opening one reads its file.
    void expandAllNodes();
    void collapseAllNodes();

signals:
    // Mouse release with a button other than the left one, at a viewport position.
    void contextMenuWanted(const QPoint &globalPos);
    void deleteKeyReleased();
    void enterKeyReleased();
    // A disc node was expanded for the first time; setDiscFolders fills it.
    void discFoldersWanted(QTreeWidgetItem *disc);

protected:
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    friend class CatalogNodeItem;
    // The icon of a node kind, made once and shared by every node of that kind.
    const QIcon &iconFor(NodeKind kind) const;
    void onItemExpanded(QTreeWidgetItem *item);

    mutable QIcon m_icons[5];
};

} // namespace orlith
