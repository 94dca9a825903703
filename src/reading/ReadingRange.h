#pragma once
// The runs of table rows that "整页朗读" and "整文朗读" read.

#include "book/BookContent.h"

namespace zarelo {

// First and last row of a reading range; first -1 when nothing is read.
struct ReadingRange {
    int first = -1;
    int last = -1;
    bool operator==(const ReadingRange&) const = default;
};

// The page's entries as one run of consecutive rows: from the first row whose
// PageName is "Page" + page up to the row before the next row of another
// page, or the table's last row. Rows of the page after a row of another page
// are not included. {-1, -1} when the page has no entry.
ReadingRange PageRange(const SentenceTable& table, int page);

// The current lesson's entries as one run: from the first row whose page lies
// within the pages of lesson row `lesson` up to the row before the next row
// outside them. `last` is the table's last row when the run reaches the end,
// and also when no row lies in the lesson (then `first` is -1).
// Throws BookError when a page name it reads holds no page number.
ReadingRange LessonRange(const OpenBook& book, int lesson);

} // namespace zarelo
