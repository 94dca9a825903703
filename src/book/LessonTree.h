#pragma once
// The two-level unit tree built from the lesson index: units, modules,
// reviews and the like at the top, lessons below the most recent of them.

#include "book/BookContent.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace zarelo {

struct UnitNodeData {
    QString LineIndex; // row in the lesson index, decimal text
    QByteArray Name;   // field 0 (GBK)
    QByteArray Title;  // field 1 (GBK)
};

struct UnitTreeNode {
    UnitNodeData Data;
    QString Caption;     // Name + " " + Title, for display
    int Parent = -1;     // index of the parent node in the list, -1 at top level
    int ImageIndex = -1; // 4 for lessons
};

// Nodes in the order they are added to the tree (a parent always precedes
// its children).
std::vector<UnitTreeNode> BuildUnitTreeNodes(const TextColumn& lessonIndexLines);

// First lesson row whose Name and Title equal the given ones exactly; -1 when
// none does.
int FindLessonRow(const LessonTable& lessons, QByteArrayView name, QByteArrayView title);

} // namespace zarelo
