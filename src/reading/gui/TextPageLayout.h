#pragma once
// Layout of a text book's page: its entries' English words in table order,
// the way the page view draws them. The book maker uses the same function to
// record the boxes of a text book, so boxes and drawing always agree.

#include "book/BookContent.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

class QFontMetrics;

namespace zarelo {

struct TextPageWord {
    int row = 0;  // sentence table row the word belongs to
    QRect rect;   // where it is drawn, page pixels (800 px wide page)
    QString text; // the word and its trailing blank ("~" and blank dropped at a paragraph end)
};

// 宋体 15 pt, taken as 20 px high.
QFont TextPageFont();

// Drawing starts at (40, 40); lines are 28 px apart; a word that starts past
// x 650 and would end past 760 goes to the next line at x 20; an entry whose
// English text ends in "~" ends a paragraph, and the next entry starts a new
// line at x 40. Only rows whose PageName is `pageName` take part.
std::vector<TextPageWord> LayoutTextPage(const SentenceTable& table, QByteArrayView pageName,
                                         const QFontMetrics& metrics);

} // namespace zarelo
