#pragma once
// Fills the main window's unit tree from the lesson index lines.

#include "book/BookContent.h"
#include "book/LessonTree.h"

#include <Qt>

class QTreeWidget;
class QTreeWidgetItem;

namespace zarelo {

// Item data roles of a unit tree node (column 0): the row as int, Name and
// Title as GBK QByteArray.
enum UnitNodeRole {
    LineIndexRole = Qt::UserRole,
    NameRole,
    TitleRole,
    ImageIndexRole, // 4 for lessons, -1 otherwise
};

// Removes all nodes and adds the units at the top and the lessons below the
// most recent unit, collapsed and unselected. UI thread.
void BuildUnitTree(QTreeWidget* tree, const TextColumn& lessonIndexLines);

// The record a node was built with.
UnitNodeData UnitNodeDataOf(const QTreeWidgetItem* item);

} // namespace zarelo
