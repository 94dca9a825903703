#pragma once
// The rules that choose and order the items of a word test: which rows of
// the sentence table qualify, the program's one pseudo-random generator, the
// shuffle and the cut to the configured number of items. The sentence test
// shares the generator and the cut.

#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace zarelo {

// The generator: state := state x 134775813 + 1 (mod 2^32); the result is the
// high 32 bits of state x k, a number from 0 to k - 1 (0 when k is 0).
uint32_t RandomBelow(uint32_t& state, uint32_t k);

// Moves the generator on by the tick count: with t = the tick read as a
// signed 32-bit number, remainder 1000 (its sign follows the tick), draws
// RandomBelow(i) for i = 0 .. t when t >= 0.
void AdvanceByTicks(uint32_t& state, uint32_t tickCount);

// The order of `count` candidates: for k = count down to 1, draw j =
// RandomBelow(k) and take the j-th of the candidates not yet taken.
std::vector<int> ShuffledOrder(uint32_t& state, int count);

// Rows of the sentence table a word test asks: Chinese and English text not
// empty, Kind exactly "word", and isNotPassed(trimmed English) true.
// testArea 0: every row; 1: the rows whose page lies in the pages of
// CurrentLesson (after LessonOfPage), the scan ending at the first row
// outside the lesson after a qualifying one; any other value: none.
// EntryPage's BookError (a page name without a number) passes through.
std::vector<int> QualifyingWordRows(OpenBook& book, int testArea,
                                    const std::function<bool(const QString&)>& isNotPassed);

// The first word entry (as QualifyingWordRows has it, history aside) of each
// of `words` in the book, compared trimmed and without regard to letter
// case; words the book lacks are left out.
std::vector<int> WordRowsOf(const OpenBook& book, const QStringList& words);

// The word entries of lesson row `lesson`: the rows of its pages with
// Chinese and English text and Kind exactly "word", the scan ending as
// QualifyingWordRows' does. EntryPage's BookError passes through.
std::vector<int> LessonWordRows(const OpenBook& book, int lesson);

// Rows of the sentence table a sentence test lists, always from the pages of
// CurrentLesson (after LessonOfPage): Kind exactly "sent", EnglishText not
// empty, holding at least three blanks and shorter than 115 bytes. The scan
// ends at the first row outside the lesson after any row inside it.
std::vector<int> QualifyingSentenceRows(OpenBook& book);

// The sentence test's play order of the displayed `shown` items: for k = n
// down to 1, draw j = RandomBelow(k) and take the j-th of the shown entries
// not yet taken.
std::vector<int> ShuffledPlayOrder(uint32_t& state, const std::vector<int>& shown);

// Cuts `order` to the configured number of items ("十个" 10 when more than
// 10, "十五个" 15 from 16 on, "二十个" 20 when more than 20, anything else
// all) and returns the item progress bar's new maximum: the count when it is
// below 10, -1 (left as it was) when `wordNumber` is empty.
int TrunckOrderedTestSentences(std::vector<int>& order, const QString& wordNumber);

} // namespace zarelo
