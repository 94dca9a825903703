#pragma once
// Drawing the pages of a book and recording where each entry was drawn, in
// pixels of the 800 px wide page (the coordinates of the book's table).

#include "bookmaker/BookSource.h"
#include "reading/TextPageLayout.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <map>
#include <vector>

class QFontMetrics;

namespace zarelo::bookmaker {

constexpr int kPageWidth = 800;
constexpr int kImagePageHeight = 1131; // A4 proportions at 800 px width
constexpr int kTextPageHeight = 1200;  // the page panel of a text book

struct DrawnPage {
    QImage Image;
    std::map<int, std::vector<EntryBox>> Boxes; // entry index -> 1 to 3 rectangles
};

// An image book's page: headings, sections, sentences with their speakers,
// word cards with pictures and word lists. Throws BookError (naming the
// source line) when an entry needs more than three lines, a picture hint is
// unknown, or the page overflows.
DrawnPage DrawImagePage(const BookSource& book, const SourcePage& page);

// The font of a text page, the one the page view draws text pages with.
QFont TextPageFont();

// The words of a text page, laid out by the page view's text page layout in
// TextPageFont; each word's row is its entry index in the book.
std::vector<TextPageWord> LayoutTextPage(const BookSource& book, const SourcePage& page,
                                         const QFontMetrics& metrics);

// The boxes of each entry on a text page: per line it covers, from its first
// word's left to its last drawn word's right, one text height high. Throws
// BookError when an entry covers more than three lines.
std::map<int, std::vector<EntryBox>> TextPageBoxes(const BookSource& book,
                                                   const std::vector<TextPageWord>& words);

// A text page drawn as the page view draws it (background #D5E7EA, the
// heading of the page's first lesson row at the top), so that a text book
// also has page pictures.
DrawnPage DrawTextPage(const BookSource& book, const SourcePage& page);

} // namespace zarelo::bookmaker
