// Book sources from outside: any text is parsed, and either refused with a
// BookError or gives a book whose entries, pages and headings agree.
#include "base/BookError.h"
#include "bookmaker/BookSource.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace zarelo::bookmaker;
    BookSource book;
    try {
        book = ParseBookSource(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)),
                               QStringLiteral("fuzz.txt"));
    } catch (const zarelo::BookError&) {
        return 0;
    }
    for (const SourceEntry& e : book.Entries) {
        if (e.Page < 1 || e.Page > int(book.Pages.size()) || e.English.isEmpty() ||
            e.HandBoxes.size() > 3 || (e.HandStart >= 0 && e.HandEnd <= e.HandStart))
            abort();
    }
    for (const SourceHeading& h : book.Headings)
        if (h.FirstEntry >= h.EndEntry || h.EndEntry > int(book.Entries.size()) ||
            h.FirstPage > h.EndPage)
            abort();
    return 0;
}
