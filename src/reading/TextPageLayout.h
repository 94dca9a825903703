#pragma once
// Layout of a text book's page: where the page view draws each English word
// of the page's entries, and the heading at the top. The page view draws with
// it and the book maker records a text book's boxes from it, so the boxes of
// a made book and the drawn page come from one rule. Text widths come from
// the caller (font metrics in the view and the maker, a fixed width in tests),
// so the layout needs no font.

#include "book/BookContent.h"

#include <QRect>
#include <QString>
#include <QStringView>
#include <functional>
#include <span>
#include <vector>

namespace zarelo {

// The font the page is drawn with: 宋体 15 pt, taken as 20 px.
QString TextPageFontFamily();
constexpr int kTextPageFontPixels = 20;

// Widths and height of text in the page's font, in page pixels.
struct TextMeasure {
    std::function<int(const QString&)> width; // horizontal advance of the text
    int height = 0;                           // height of one line of text
};

// One entry of the page, in table order.
struct TextPageEntry {
    int row = 0;     // what the caller numbers the entry by (table row, entry index)
    QString english; // the English text; a trailing "~" ends its paragraph
};

struct TextPageWord {
    int row = 0;        // the entry's row
    QRect rect;         // the word and its blank as measured, before a "~" is dropped
    QString text;       // what is drawn: the word and a blank, or the word alone at a paragraph end
    int drawnRight = 0; // x after the drawn text (rect's left + width of text)
};

// Words start at (40, 40); each is measured with a trailing blank, one text
// height high. A word that starts past x 650 and would end past 760 goes to
// the next line (28 px lower) at x 20. An English text ending in "~" ends a
// paragraph: the "~" and its blank are not drawn, and the next entry starts
// a new line at x 40. Texts are split at every blank, so two blanks make an
// empty word of one blank.
std::vector<TextPageWord> LayoutTextPage(std::span<const TextPageEntry> entries,
                                         const TextMeasure& measure);

// The rows of the sentence table whose PageName is `pageName`, in table order.
std::vector<TextPageEntry> TextPageEntries(const SentenceTable& table, QByteArrayView pageName);

// The heading at the top of the page: name, a blank and title, cut to fit its
// rectangle (20, 10)-(400, 80) with a trailing ellipsis.
struct TextPageHeading {
    QRect rect;
    QString text;
};
TextPageHeading LayoutTextPageHeading(const QString& name, const QString& title,
                                      const TextMeasure& measure);

} // namespace zarelo
