#include "book/LessonTree.h"

#include "base/uFunc.h"
#include "book/Gbk.h"

namespace zarelo {

namespace {

bool startsWith(QByteArrayView name, const char* prefix)
{
    return name.startsWith(QByteArrayView(prefix));
}

// Only the unit test ignores letter case (ASCII only, as the headings are).
bool isTopLevel(QByteArrayView name)
{
    if (name.size() >= 4) {
        char upper[4];
        for (int i = 0; i < 4; ++i) {
            const char c = name[i];
            upper[i] = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
        }
        if (QByteArrayView(upper, 4) == QByteArrayView("UNIT"))
            return true;
    }
    for (const char* prefix : {"Recycle", "Assessment", "Reading", "REVIEW", "MODULE", "Word"})
        if (startsWith(name, prefix))
            return true;
    return false;
}

} // namespace

std::vector<UnitTreeNode> BuildUnitTreeNodes(const TextColumn& lessonIndexLines)
{
    std::vector<UnitTreeNode> nodes;
    int parent = -1;
    for (int i = 0; i < lessonIndexLines.size(); ++i) {
        const auto fields = SplitFields(lessonIndexLines[i], ';');
        const QByteArrayView name = fields[0];
        const QByteArrayView title = fields.size() > 1 ? fields[1] : QByteArrayView();
        auto makeNode = [&](int parentIndex, int image) {
            UnitTreeNode node;
            node.Data = {QString::number(i), name.toByteArray(), title.toByteArray()};
            node.Caption = fromGbk(node.Data.Name + ' ' + node.Data.Title);
            node.Parent = parentIndex;
            node.ImageIndex = image;
            nodes.push_back(std::move(node));
        };
        if (isTopLevel(name)) {
            makeNode(-1, -1);
            parent = static_cast<int>(nodes.size()) - 1;
        }
        if (startsWith(name, "Lesson"))
            makeNode(parent, 4);
    }
    return nodes;
}

int FindLessonRow(const LessonTable& lessons, QByteArrayView name, QByteArrayView title)
{
    for (int row = 0; row < lessons.count(); ++row)
        if (lessons.Name[row] == name && lessons.Title[row] == title)
            return row;
    return -1;
}

} // namespace zarelo
