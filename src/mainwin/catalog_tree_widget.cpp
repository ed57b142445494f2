// Orlith — desktop catalogue of removable media.
#include "catalog_tree_widget.h"

#include "mainwin/style_icon.h"
#include "store/catalogue_index.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>

namespace orlith {

namespace {

constexpr int kKindRole = Qt::UserRole + 1;

} // namespace

const QIcon &CatalogTree::iconFor(NodeKind kind)
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
}

void CatalogTree::rebuild(const CatalogueIndex &index)
{
    clear();
    // Nodes are made apart from the tree and put in a catalog at a time: a node added to a
    // shown tree tells the view on its own, which for thousands of discs is most of the
    // start-up's tree time.
    QTreeWidgetItem *root = makeNode(QString::fromLatin1(kRootText), NodeKind::Root);
    QList<QTreeWidgetItem *> catalogs;
    catalogs.reserve(index.catalogs().size());
    QList<QTreeWidgetItem *> discs;
    for (const CatalogNode &c : index.catalogs()) {
        QTreeWidgetItem *catalog = makeNode(c.name, NodeKind::Catalog);
        discs.clear();
        discs.reserve(c.discs.size());
        for (const QString &d : c.discs)
            discs.append(makeNode(d, NodeKind::Disc));
        catalog->addChildren(discs);
        catalogs.append(catalog);
    }
    root->addChildren(catalogs);
    addTopLevelItem(root);
    root->setExpanded(true);
}

CatalogTree::NodeKind CatalogTree::kindOf(const QTreeWidgetItem *item) const
{
    return item ? NodeKind(item->data(0, kKindRole).toInt()) : NodeKind::None;
}

QString CatalogTree::keyOf(const QTreeWidgetItem *item) const
{
    if (!item)
        return {};
    return kindOf(item) == NodeKind::Root ? QString::fromLatin1(kRootKey) : item->text(0);
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

QTreeWidgetItem *CatalogTree::makeNode(const QString &text, NodeKind kind)
{
    auto *item = new QTreeWidgetItem({text});
    item->setData(0, kKindRole, int(kind));
    item->setIcon(0, iconFor(kind));
    return item;
}

QTreeWidgetItem *CatalogTree::addCatalogNode(const QString &name)
{
    QTreeWidgetItem *item = makeNode(name, NodeKind::Catalog);
    rootItem()->addChild(item);
    return item;
}

QTreeWidgetItem *CatalogTree::addDiscNode(const QString &catalog, const QString &disc)
{
    QTreeWidgetItem *parent = findNode(catalog);
    if (!parent || kindOf(parent) != NodeKind::Catalog)
        return nullptr;
    QTreeWidgetItem *item = makeNode(disc, NodeKind::Disc);
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
    expandAll();
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
