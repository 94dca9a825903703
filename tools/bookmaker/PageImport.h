#pragma once
// Finding each entry's boxes on a scanned or photographed page: the printed
// text is recognised (Tesseract), and each entry's English words are matched,
// in order, against the recognised words. An entry gets one rectangle per
// printed line it covers; a one-line entry printed inside a panel of its own
// (a word card's frame, a coloured chip) gets the panel.

#include "bookmaker/BookSource.h"
#include "bookmaker/PageDrawing.h"

#include <QImage>
#include <QString>
#include <vector>

namespace zarelo::bookmaker {

// A word as recognised, in pixels of the picture (right and bottom outside).
struct RecognisedWord {
    QString Text;
    EntryBox Ink;  // the word's ink
    EntryBox Body; // the body of the type at the word: its line's full height
    int Line = 0;  // the printed line it stands on, counted in reading order
};

// The words of a picture in reading order. Throws BookError when the
// recogniser or its English data cannot be loaded.
std::vector<RecognisedWord> RecogniseWords(const QImage& picture);

struct MatchedPage {
    // Per entry, one box per printed line (the words' bodies joined); empty
    // for an entry not looked for.
    std::vector<std::vector<EntryBox>> Boxes;
    std::vector<QString> Missing; // per entry: why it was not found; empty when found
    int Failed = -1;              // the first entry that was not found
    QString Why;                  // its Missing text
};

// Matches each text of `english` (the entries of one page in source order;
// an empty text is not looked for) against `words`: its words in order, each
// equal to a recognised word up to small reading errors, or to two
// neighbouring recognised words joined (a word broken across lines). Letter
// case and punctuation do not count. Each entry takes the first occurrence
// after the previous entry's, else the first one not taken, so a sentence
// printed twice is found twice. An entry whose words are not found in order,
// or cover more than three printed lines, is missing; the others are still
// matched.
MatchedPage MatchEntries(const std::vector<RecognisedWord>& words,
                         const std::vector<QString>& english);

// The panel a one-line entry's text stands in: the region of the colour
// around the text, when it is closed within a few line heights of the text
// (a card's frame, a chip's fill). An empty box when the colour runs on.
EntryBox PanelAround(const QImage& picture, const EntryBox& text);

// Page `page` of `book` from its picture file: the picture scaled to the
// table's 800 px width, and the boxes of its entries scaled alike (found on
// the picture, or given by hand in the picture's own pixels). Throws
// BookError naming the source file, the line and what was sought when the
// picture cannot be read or an entry is not found on it.
DrawnPage ImportPage(const BookSource& book, const SourcePage& page);

} // namespace zarelo::bookmaker
