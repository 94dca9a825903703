#include "book/gui/UnitTree.h"

#include <QTreeWidget>

namespace zarelo {

void BuildUnitTree(QTreeWidget* tree, const TextColumn& lessonIndexLines)
{
    tree->clear();
    const std::vector<UnitTreeNode> nodes = BuildUnitTreeNodes(lessonIndexLines);
    std::vector<QTreeWidgetItem*> items;
    items.reserve(nodes.size());
    for (const UnitTreeNode& node : nodes) {
        QTreeWidgetItem* item =
            node.Parent < 0 ? new QTreeWidgetItem(tree) : new QTreeWidgetItem(items[node.Parent]);
        item->setText(0, node.Caption);
        item->setData(0, LineIndexRole, node.Data.LineIndex.toInt());
        item->setData(0, NameRole, node.Data.Name);
        item->setData(0, TitleRole, node.Data.Title);
        item->setData(0, ImageIndexRole, node.ImageIndex);
        items.push_back(item);
    }
}

UnitNodeData UnitNodeDataOf(const QTreeWidgetItem* item)
{
    if (!item)
        return {};
    return {QString::number(item->data(0, LineIndexRole).toInt()),
            item->data(0, NameRole).toByteArray(), item->data(0, TitleRole).toByteArray()};
}

} // namespace zarelo
