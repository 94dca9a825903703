#include "quiz/WordTestSelection.h"

#include "book/Gbk.h"

#include <optional>
#include <utility>

namespace zarelo {

namespace {

// The first and last page of CurrentLesson, after LessonOfPage; none when
// no lesson holds the current page and none was current before.
std::optional<std::pair<int, int>> CurrentLessonPages(OpenBook& book)
{
    book.LessonOfPage();
    const LessonTable& lessons = book.Content.Lessons;
    const int lesson = book.CurrentLesson;
    if (lesson < 0 || lesson >= lessons.count())
        return std::nullopt;
    return std::pair{lessons.FirstPage[size_t(lesson)], lessons.EndPage[size_t(lesson)]};
}

} // namespace

uint32_t RandomBelow(uint32_t& state, uint32_t k)
{
    state = state * 134775813u + 1u;
    return uint32_t((uint64_t(state) * uint64_t(k)) >> 32);
}

void AdvanceByTicks(uint32_t& state, uint32_t tickCount)
{
    const int32_t t = int32_t(tickCount) % 1000;
    for (int32_t i = 0; i <= t; ++i)
        RandomBelow(state, uint32_t(i));
}

std::vector<int> ShuffledOrder(uint32_t& state, int count)
{
    std::vector<int> left(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        left[size_t(i)] = i;
    std::vector<int> order;
    order.reserve(left.size());
    for (int k = count; k >= 1; --k) {
        const uint32_t j = RandomBelow(state, uint32_t(k));
        order.push_back(left[j]);
        left.erase(left.begin() + j);
    }
    return order;
}

namespace {

bool IsWordEntry(const SentenceTable& table, int row)
{
    return !table.ChineseText[row].isEmpty() && !table.EnglishText[row].isEmpty() &&
           table.Kind[row] == "word";
}

// The rows of pages `first`..`last` that `qualifies` takes; the scan ends at
// the first row outside the pages after a row taken.
template <class F>
std::vector<int> RowsOfPages(const OpenBook& book, int first, int last, F&& qualifies)
{
    std::vector<int> rows;
    for (int row = 0; row < book.Content.Sentences.count(); ++row) {
        const int page = book.EntryPage(row);
        if (page < first || page > last) {
            if (!rows.empty())
                break;
            continue;
        }
        if (qualifies(row))
            rows.push_back(row);
    }
    return rows;
}

} // namespace

std::vector<int> QualifyingWordRows(OpenBook& book, int testArea,
                                    const std::function<bool(const QString&)>& isNotPassed)
{
    const SentenceTable& table = book.Content.Sentences;
    const auto qualifies = [&](int row) {
        return IsWordEntry(table, row) && isNotPassed(fromGbk(table.EnglishText[row]).trimmed());
    };
    if (testArea == 0) {
        std::vector<int> rows;
        for (int row = 0; row < table.count(); ++row)
            if (qualifies(row))
                rows.push_back(row);
        return rows;
    }
    if (testArea != 1)
        return {};
    const auto pages = CurrentLessonPages(book);
    if (!pages)
        return {};
    return RowsOfPages(book, pages->first, pages->second, qualifies);
}

std::vector<int> LessonWordRows(const OpenBook& book, int lesson)
{
    const LessonTable& lessons = book.Content.Lessons;
    if (lesson < 0 || lesson >= lessons.count())
        return {};
    return RowsOfPages(book, lessons.FirstPage[size_t(lesson)], lessons.EndPage[size_t(lesson)],
                       [&](int row) { return IsWordEntry(book.Content.Sentences, row); });
}

std::vector<int> WordRowsOf(const OpenBook& book, const QStringList& words)
{
    const SentenceTable& table = book.Content.Sentences;
    std::vector<int> rows;
    for (const QString& word : words) {
        const QString wanted = word.trimmed();
        for (int row = 0; row < table.count(); ++row) {
            if (IsWordEntry(table, row) &&
                fromGbk(table.EnglishText[row]).trimmed().compare(wanted, Qt::CaseInsensitive) ==
                    0) {
                rows.push_back(row);
                break;
            }
        }
    }
    return rows;
}

std::vector<int> QualifyingSentenceRows(OpenBook& book)
{
    std::vector<int> rows;
    const auto pages = CurrentLessonPages(book);
    if (!pages)
        return rows;
    const SentenceTable& table = book.Content.Sentences;
    bool inside = false;
    for (int row = 0; row < table.count(); ++row) {
        const int page = book.EntryPage(row);
        if (page < pages->first || page > pages->second) {
            if (inside)
                break;
            continue;
        }
        inside = true;
        const QByteArrayView english = table.EnglishText[row];
        if (!english.isEmpty() && table.Kind[row] == "sent" && english.count(' ') >= 3 &&
            english.size() < 115)
            rows.push_back(row);
    }
    return rows;
}

std::vector<int> ShuffledPlayOrder(uint32_t& state, const std::vector<int>& shown)
{
    std::vector<int> left = shown;
    std::vector<int> order;
    order.reserve(left.size());
    for (int k = int(left.size()); k >= 1; --k) {
        const uint32_t j = RandomBelow(state, uint32_t(k));
        order.push_back(left[j]);
        left.erase(left.begin() + j);
    }
    return order;
}

int TrunckOrderedTestSentences(std::vector<int>& order, const QString& wordNumber)
{
    const int count = int(order.size());
    if (count < 10)
        return count;
    if (wordNumber.isEmpty())
        return -1;
    int keep = count;
    if (wordNumber == QStringLiteral("十个") && count > 10)
        keep = 10;
    else if (wordNumber == QStringLiteral("十五个") && count >= 16)
        keep = 15;
    else if (wordNumber == QStringLiteral("二十个") && count > 20)
        keep = 20;
    order.resize(size_t(keep));
    return keep;
}

} // namespace zarelo
