#pragma once
// Which entries of the open book the oral training offers, and the paths
// through them: a sentence ("sent") with English text, in table order, on any
// page or lesson.

#include "book/BookContent.h"

#include <QString>

namespace zarelo {

bool IsOralSentence(const SentenceTable& table, int row);

// The first oral sentence whose page is at least book.CurrentPage; row 0 when
// there is none. Throws BookError when such a sentence's page name holds no
// page number.
int FirstOralSentence(const OpenBook& book);

// The next oral sentence after `row` (step +1) or before it (step -1); -1
// when there is none in that direction.
int NextOralSentence(const SentenceTable& table, int row, int step);

} // namespace zarelo
