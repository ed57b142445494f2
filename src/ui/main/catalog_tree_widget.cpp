// Orlith — desktop catalogue of removable media.
#include "ui/main/catalog_tree_widget.h"

#include "core/store/catalogue_index.h"
#include "ui/common/style_icon.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>

namespace orlith {

// A node keeps its kind in its item type and asks its tree for the icon when shown, so
// that it can be made on any thread and thousands of nodes hold no icon of their own.
class CatalogNodeItem : public QTreeWidgetItem
{
public:
    CatalogNodeItem(const QString &text, CatalogTree::NodeKind kind)
        : QTreeWidgetItem(QStringList{text}, QTreeWidgetItem::UserType + int(kind))
    {
    }

    QVariant data(int column, int role) const override
    {
        if (column == 0 && role == Qt::DecorationRole) {
            if (const auto *tree = static_cast<const CatalogTree *>(treeWidget()))
                return tree->iconFor(CatalogTree::NodeKind(type() - UserType));
        }
        return QTreeWidgetItem::data(column, role);
    }
};

namespace {

// A disc node shows an arrow before its folders are made: the disc file is read only once
// the user opens it.
QTreeWidgetItem *makeDiscNode(const QString &disc)
{
    auto *item = new CatalogNodeItem(disc, CatalogTree::NodeKind::Disc);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

// A folder inside a disc: its place in the disc's folder tree, which the nodes of one disc
// share. Its subfolders' nodes are made when it is first expanded.
class FolderNodeItem : public CatalogNodeItem
{
public:
    FolderNodeItem(std::shared_ptr<const DiscFolders> folders, int index)
        : CatalogNodeItem(folders->folder(index).name, CatalogTree::NodeKind::Folder),
          m_folders(std::move(folders)), m_index(index)
    {
        setChildIndicatorPolicy(folder().children.isEmpty() ? DontShowIndicator : ShowIndicator);
    }

    const DiscFolders::Folder &folder() const { return m_folders->folder(m_index); }

    QVariant data(int column, int role) const override
    {
        if (column == 0 && role == Qt::ToolTipRole)
            return folderSummaryText(folder());
        return CatalogNodeItem::data(column, role);
    }

    void addSubfolders();

private:
    std::shared_ptr<const DiscFolders> m_folders;
    int m_index;
};

void addFolderNodes(QTreeWidgetItem *parent, const std::shared_ptr<const DiscFolders> &folders,
                    int index)
{
    QList<QTreeWidgetItem *> items;
    for (int child : folders->folder(index).children)
        items.append(new FolderNodeItem(folders, child));
    parent->addChildren(items);
}

void FolderNodeItem::addSubfolders()
{
    addFolderNodes(this, m_folders, m_index);
}

} // namespace

const QIcon &CatalogTree::iconFor(NodeKind kind) const
{
    QIcon &icon = m_icons[int(kind)];
    if (icon.isNull()) {
        switch (kind) {
        case NodeKind::Root:
            icon = styleIcon(QStyle::SP_DriveHDIcon);
            break;
        case NodeKind::Catalog:
            icon = styleIcon(QStyle::SP_DirIcon);
            break;
        case NodeKind::Disc:
            icon = styleIcon(QStyle::SP_DriveCDIcon);
            break;
        case NodeKind::Folder:
            icon = styleIcon(QStyle::SP_DirClosedIcon);
            break;
        case NodeKind::None:
            break;
        }
    }
    return icon;
}

CatalogTree::CatalogTree(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("TreeView1"));
    setHeaderHidden(true);
    setColumnCount(1);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(true);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemExpanded, this, &CatalogTree::onItemExpanded);
}

void CatalogTree::onItemExpanded(QTreeWidgetItem *item)
{
    if (item->childCount() > 0 || item->childIndicatorPolicy() != QTreeWidgetItem::ShowIndicator)
        return;
    if (kindOf(item) == NodeKind::Disc)
        emit discFoldersWanted(item);
    else if (kindOf(item) == NodeKind::Folder)
        static_cast<FolderNodeItem *>(item)->addSubfolders();
}

void CatalogTree::setDiscFolders(QTreeWidgetItem *disc, std::shared_ptr<const DiscFolders> folders)
{
    qDeleteAll(disc->takeChildren());
    addFolderNodes(disc, folders, folders->rootIndex());
    disc->setToolTip(0, folderSummaryText(folders->root()));
    // A disc without folders has nothing to open; its files are listed from the disc node.
    disc->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QString CatalogTree::discOf(const QTreeWidgetItem *item) const
{
    while (kindOf(item) == NodeKind::Folder)
        item = item->parent();
    return kindOf(item) == NodeKind::Disc ? item->text(0) : QString();
}

FolderScope CatalogTree::folderScopeOf(const QTreeWidgetItem *item) const
{
    if (kindOf(item) != NodeKind::Folder)
        return {};
    return FolderScope(static_cast<const FolderNodeItem *>(item)->folder().path);
}

void CatalogTree::rebuild(const CatalogueIndex &index)
{
    setNodes(makeNodes(index));
}

QTreeWidgetItem *CatalogTree::makeNodes(const CatalogueIndex &index)
{
    // Nodes are made apart from the tree and put in a catalog at a time: a node added to a
    // shown tree tells the view on its own, which for thousands of discs is most of the
    // start-up's tree time.
    auto *root = new CatalogNodeItem(QString::fromLatin1(kRootText), NodeKind::Root);
    QList<QTreeWidgetItem *> catalogs;
    catalogs.reserve(index.catalogs().size());
    QList<QTreeWidgetItem *> discs;
    for (const CatalogNode &c : index.catalogs()) {
        auto *catalog = new CatalogNodeItem(c.name, NodeKind::Catalog);
        discs.clear();
        discs.reserve(c.discs.size());
        for (const QString &d : c.discs)
            discs.append(makeDiscNode(d));
        catalog->addChildren(discs);
        catalogs.append(catalog);
    }
    root->addChildren(catalogs);
    return root;
}

void CatalogTree::setNodes(QTreeWidgetItem *root)
{
    clear();
    addTopLevelItem(root);
    root->setExpanded(true);
}

CatalogTree::NodeKind CatalogTree::kindOf(const QTreeWidgetItem *item) const
{
    if (!item || item->type() <= QTreeWidgetItem::UserType)
        return NodeKind::None;
    return NodeKind(item->type() - QTreeWidgetItem::UserType);
}

QString CatalogTree::keyOf(const QTreeWidgetItem *item) const
{
    switch (kindOf(item)) {
    case NodeKind::Root:
        return QString::fromLatin1(kRootKey);
    case NodeKind::Catalog:
    case NodeKind::Disc:
        return item->text(0);
    case NodeKind::Folder:
    case NodeKind::None:
        break;
    }
    return {};
}

CatalogTree::NodeKind CatalogTree::selectedKind() const
{
    return kindOf(currentItem());
}

QString CatalogTree::selectedKey() const
{
    return keyOf(currentItem());
}

QTreeWidgetItem *CatalogTree::rootItem() const
{
    return topLevelItem(0);
}

QTreeWidgetItem *CatalogTree::findNode(const QString &key) const
{
    QTreeWidgetItem *root = rootItem();
    if (!root)
        return nullptr;
    if (key.compare(QLatin1String(kRootKey), Qt::CaseInsensitive) == 0)
        return root;
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem *c = root->child(i);
        if (c->text(0).compare(key, Qt::CaseInsensitive) == 0)
            return c;
        for (int j = 0; j < c->childCount(); ++j) {
            if (c->child(j)->text(0).compare(key, Qt::CaseInsensitive) == 0)
                return c->child(j);
        }
    }
    return nullptr;
}

void CatalogTree::selectNode(const QString &key)
{
    if (QTreeWidgetItem *item = findNode(key))
        setCurrentItem(item);
}

QTreeWidgetItem *CatalogTree::addCatalogNode(const QString &name)
{
    QTreeWidgetItem *item = new CatalogNodeItem(name, NodeKind::Catalog);
    rootItem()->addChild(item);
    return item;
}

QTreeWidgetItem *CatalogTree::addDiscNode(const QString &catalog, const QString &disc)
{
    QTreeWidgetItem *parent = findNode(catalog);
    if (!parent || kindOf(parent) != NodeKind::Catalog)
        return nullptr;
    QTreeWidgetItem *item = makeDiscNode(disc);
    parent->addChild(item);
    return item;
}

QStringList CatalogTree::catalogsInOrder() const
{
    QStringList out;
    if (QTreeWidgetItem *root = rootItem()) {
        for (int i = 0; i < root->childCount(); ++i)
            out << root->child(i)->text(0);
    }
    return out;
}

QStringList CatalogTree::discsInOrder() const
{
    QStringList out;
    for (const QString &catalog : catalogsInOrder())
        out += discsOf(catalog);
    return out;
}

QStringList CatalogTree::discsOf(const QString &catalog) const
{
    QStringList out;
    QTreeWidgetItem *node = findNode(catalog);
    if (kindOf(node) != NodeKind::Catalog)
        return out;
    for (int i = 0; i < node->childCount(); ++i)
        out << node->child(i)->text(0);
    return out;
}

void CatalogTree::setNodeDragging(bool on)
{
    setDragEnabled(on);
    setDragDropMode(on ? QAbstractItemView::DragOnly : QAbstractItemView::NoDragDrop);
}

QMimeData *CatalogTree::mimeData(const QList<QTreeWidgetItem *> &items) const
{
    QMimeData *data = QTreeWidget::mimeData(items);
    if (data && !items.isEmpty())
        data->setText(items.first()->text(0));
    return data;
}

void CatalogTree::expandAllNodes()
{
    QTreeWidgetItem *root = rootItem();
    if (!root)
        return;
    root->setExpanded(true);
    for (int i = 0; i < root->childCount(); ++i)
        root->child(i)->setExpanded(true);
}

void CatalogTree::collapseAllNodes()
{
    collapseAll();
}

void CatalogTree::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        // The node under the pointer becomes current first, so the menu acts on it.
        if (QTreeWidgetItem *item = itemAt(event->position().toPoint()))
            setCurrentItem(item);
        emit contextMenuWanted(event->globalPosition().toPoint());
    }
}

void CatalogTree::keyReleaseEvent(QKeyEvent *event)
{
    QTreeWidget::keyReleaseEvent(event);
    if (event->key() == Qt::Key_Delete)
        emit deleteKeyReleased();
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit enterKeyReleased();
}

} // namespace orlith
