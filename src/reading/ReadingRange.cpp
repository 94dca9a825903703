#include "reading/ReadingRange.h"

#include "reading/PageGeometry.h"

namespace zarelo {

ReadingRange PageRange(const SentenceTable& table, int page)
{
    const QByteArray name = PageNameOf(page);
    ReadingRange range;
    for (int i = 0; i < table.count(); ++i) {
        const bool onPage = table.PageName[i] == name;
        if (range.first < 0) {
            if (onPage)
                range.first = i;
        } else if (!onPage) {
            range.last = i - 1;
            return range;
        }
    }
    if (range.first >= 0)
        range.last = table.count() - 1;
    return range;
}

ReadingRange LessonRange(const OpenBook& book, int lesson)
{
    const SentenceTable& table = book.Content.Sentences;
    const int firstPage = book.Content.Lessons.FirstPage[lesson];
    const int endPage = book.Content.Lessons.EndPage[lesson];
    ReadingRange range{-1, table.count() - 1};
    for (int i = 0; i < table.count(); ++i) {
        const int p = book.EntryPage(i);
        const bool inLesson = firstPage <= p && p <= endPage;
        if (range.first < 0) {
            if (inLesson)
                range.first = i;
        } else if (!inLesson) {
            range.last = i - 1;
            break;
        }
    }
    return range;
}

} // namespace zarelo
