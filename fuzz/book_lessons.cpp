// Lesson indexes from outside: parsed into the lesson table, then the unit
// tree rules and the lookups run over what was accepted.
#include "base/BookError.h"
#include "book/BookContent.h"
#include "book/BookLoader.h"
#include "book/LessonTree.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace zarelo;
    TextColumn lines;
    SplitLines(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), lines);
    OpenBook book;
    try {
        ParseLessonLines(lines, book.Content.Lessons, QStringLiteral("LessonIndex.txt"), 1);
    } catch (const BookError&) {
        return 0;
    }
    const std::vector<UnitTreeNode> nodes = BuildUnitTreeNodes(lines);
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].Parent >= int(i))
            abort();
        const int row =
            FindLessonRow(book.Content.Lessons, nodes[i].Data.Name, nodes[i].Data.Title);
        if (row < 0 || row > nodes[i].Data.LineIndex.toInt())
            abort();
    }
    if (!book.Content.Lessons.FirstPage.empty())
        book.CurrentPage = book.Content.Lessons.FirstPage.back();
    book.LessonOfPage();
    return 0;
}
