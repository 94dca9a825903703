#pragma once
// A book source: the plain-text (UTF-8) description of one book that the book
// maker turns into a book folder. The format is described in README.md.

#include <QByteArrayView>
#include <QString>
#include <vector>

namespace zarelo::bookmaker {

// One printed and spoken entry: a word, a sentence or another line.
struct SourceEntry {
    QString Kind;    // "word", "sent" or "other"
    QString English; // as stored in the table; on a text book may end with "~"
    QString Chinese;
    QString Hint;  // word: picture name (empty: a word-list line); sent/other: "boy Tom" or empty
    QString Voice; // voice file name without extension
    int Page = 0;
    int Line = 0; // line in the source file, for error texts

    // The English text as it is spoken and printed: without a paragraph "~".
    QString spokenText() const;
};

// A heading of the lesson index. Headings whose name starts with "Lesson" are
// lessons; every other heading is a top-level heading (a unit) that covers
// the lessons after it.
struct SourceHeading {
    QString Name;
    QString Title;
    bool IsLesson = false;
    int FirstPage = 0; // page of its first entry
    int EndPage = 0;   // page of the last entry before the next heading of its level
    int FirstEntry = 0;
    int EndEntry = 0; // one past the last entry it covers
    int Line = 0;
};

// What a page shows, in order from top to bottom.
struct PageItem {
    enum Type { Heading, Section, Entry };
    Type What = Entry;
    int Index = 0; // heading or entry index
    QString Text;  // the section title
};

struct SourcePage {
    int Number = 0;
    std::vector<PageItem> Items;
};

struct BookSource {
    QString FileName;
    QString Publisher;
    QString Name;
    bool IsTextBook = false;
    std::vector<SourceEntry> Entries;
    std::vector<SourceHeading> Headings;
    std::vector<SourcePage> Pages; // page i holds number i + 1

    // The top-level heading whose pages hold `page`, or -1.
    int topHeadingOf(int page) const;
};

// Parses the UTF-8 text of a book source. Throws BookError with the file
// name, the line number and what was wrong.
BookSource ParseBookSource(QByteArrayView utf8, const QString& fileName);

// Reads and parses a source file.
BookSource LoadBookSource(const QString& path);

} // namespace zarelo::bookmaker
