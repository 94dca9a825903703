#include "book/LessonTree.h"
#include "book/BookLoader.h"

#include <gtest/gtest.h>

using namespace zarelo;

namespace {

TextColumn lessonLines(std::initializer_list<const char*> names)
{
    TextColumn lines;
    for (const char* name : names)
        lines.append(QByteArray(name) + ";T;;0:0:0;;0:0:0;1;2");
    return lines;
}

// "caption>parent" for every node, parent -1 at top level.
std::vector<std::string> shape(const std::vector<UnitTreeNode>& nodes)
{
    std::vector<std::string> out;
    for (const auto& node : nodes)
        out.push_back(node.Caption.toStdString() + ">" + std::to_string(node.Parent));
    return out;
}

} // namespace

TEST(UnitTree, EveryLevelRule)
{
    const auto nodes = BuildUnitTreeNodes(
        lessonLines({"Lesson 0", "Lesson 00",  "unit 1",    "Lesson 1", "UNIT 2",   "Recycle 1",
                     "Lesson 2", "Assessment", "Reading",   "Lesson 3", "REVIEW 1", "Review 2",
                     "MODULE 1", "Module 1",   "Word list", "Lesson 4", "lesson 5", "uni",
                     "Words",    "Recyc",      "Un",        ""}));
    EXPECT_EQ(shape(nodes), (std::vector<std::string>{
                                "Lesson 0 T>-1", "Lesson 00 T>-1", "unit 1 T>-1", "Lesson 1 T>2",
                                "UNIT 2 T>-1", "Recycle 1 T>-1", "Lesson 2 T>5", "Assessment T>-1",
                                "Reading T>-1", "Lesson 3 T>8", "REVIEW 1 T>-1", "MODULE 1 T>-1",
                                "Word list T>-1", "Lesson 4 T>12", "Words T>-1"}));
    EXPECT_EQ(nodes[3].ImageIndex, 4);
    EXPECT_EQ(nodes[2].ImageIndex, -1);
    EXPECT_EQ(nodes[3].Data.LineIndex, "3");
    EXPECT_EQ(nodes[3].Data.Name, "Lesson 1");
    EXPECT_EQ(nodes[3].Data.Title, "T");
    EXPECT_EQ(nodes[14].Data.LineIndex, "18");
    EXPECT_TRUE(BuildUnitTreeNodes(TextColumn()).empty());
}

TEST(UnitTree, FindLessonRowTakesTheFirstMatch)
{
    TextColumn lines;
    for (const char* line :
         {"Unit 1;A;;0:0:0;;0:0:0;1;2", "Unit 1;B;;0:0:0;;0:0:0;3;4", "Unit 1;A;;0:0:0;;0:0:0;5;6"})
        lines.append(line);
    LessonTable lessons;
    ParseLessonLines(lines, lessons, "LessonIndex.txt", 1);
    const auto nodes = BuildUnitTreeNodes(lines);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(FindLessonRow(lessons, nodes[2].Data.Name, nodes[2].Data.Title), 0);
    EXPECT_EQ(FindLessonRow(lessons, "Unit 1", "B"), 1);
    EXPECT_EQ(FindLessonRow(lessons, "Unit 1", "a"), -1);
    EXPECT_EQ(FindLessonRow(lessons, "Unit", "A"), -1);
}
