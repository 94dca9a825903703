#include "oral/SentenceChoice.h"

namespace zarelo {

bool IsOralSentence(const SentenceTable& table, int row)
{
    return table.Kind[row] == QByteArrayView("sent") && !table.EnglishText[row].isEmpty();
}

int FirstOralSentence(const OpenBook& book)
{
    const SentenceTable& table = book.Content.Sentences;
    for (int row = 0; row < table.count(); ++row)
        if (IsOralSentence(table, row) && book.EntryPage(row) >= book.CurrentPage)
            return row;
    return 0;
}

int NextOralSentence(const SentenceTable& table, int row, int step)
{
    for (int at = row + step; at >= 0 && at < table.count(); at += step)
        if (IsOralSentence(table, at))
            return at;
    return -1;
}

} // namespace zarelo
