// Sentence tables from outside: the text of "location.txt" split into lines
// and parsed; any input gives a full table or a BookError, never a crash.
#include "base/BookError.h"
#include "book/BookContent.h"
#include "book/BookLoader.h"

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
        ParseLocationLines(lines, book.Content.Sentences, QStringLiteral("location.txt"), 2);
    } catch (const BookError&) {
        return 0;
    }
    const SentenceTable& t = book.Content.Sentences;
    if (t.count() != lines.size() || t.Box3Bottom.size() != size_t(lines.size()) ||
        t.EnglishText.size() != lines.size())
        abort();
    for (int row = 0; row < t.count(); ++row) {
        try {
            book.EntryPage(row);
        } catch (const BookError&) {
        }
    }
    return 0;
}
