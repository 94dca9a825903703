#pragma once
// A book source: the plain-text (UTF-8) description of one book that the book
// maker turns into a book folder. The format is described in README.md.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <map>
#include <vector>

namespace zarelo::bookmaker {

// One rectangle of an entry; right and bottom are the first pixels outside.
struct EntryBox {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const EntryBox&) const = default;
};

// One printed and spoken entry: a word, a sentence or another line.
struct SourceEntry {
    QString Kind;    // "word", "sent" or "other"
    QString English; // as stored in the table; on a text book may end with "~"
    QString Chinese;
    QString Hint;  // word: picture name (empty: a word-list line); sent/other: "boy Tom" or empty
    QString Voice; // voice file name without extension
    int Page = 0;
    int Line = 0; // line in the source file, for error texts
    // Given by hand on the entry line ("| box l,t,r,b[@l,t,r,b...]", "| time
    // START-END"); they win over what the maker would find. Boxes are in
    // pixels of the page's picture file, times in hundredths of a second of
    // the voice's recording; HandStart < 0 when no time was given.
    std::vector<EntryBox> HandBoxes;
    int HandStart = -1, HandEnd = -1;

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
    QString Picture; // "page N from FILE": the picture file's path; empty: drawn
    int Line = 0;
};

// "voice NAME from FILE": a recording that holds the voice's entries, spoken
// in source order with pauses between them.
struct SourceRecording {
    QString Path;
    int Line = 0;
};

// "say WORD PHONES": how a word of the book is spoken, for the word aligner,
// where the speech model's dictionaries do not hold it (a name, say).
struct SourcePronunciation {
    QString Phones; // phones of the speech model, separated by one blank
    int Line = 0;
};

struct BookSource {
    QString FileName;
    QString Publisher;
    QString Name;
    bool IsTextBook = false;
    std::vector<SourceEntry> Entries;
    std::vector<SourceHeading> Headings;
    std::vector<SourcePage> Pages;                         // page i holds number i + 1
    std::map<QString, SourceRecording> Recordings;         // by voice name
    std::map<QString, SourcePronunciation> Pronunciations; // by word in lower case

    // The top-level heading whose pages hold `page`, or -1.
    int topHeadingOf(int page) const;
    // The book's own pronunciations in the CMU dictionary format, one word a
    // line (empty when it says none).
    QByteArray pronunciationDictionary() const;
};

// Parses the UTF-8 text of a book source. Throws BookError with the file
// name, the line number and what was wrong. Picture and recording files
// named with "from" are taken relative to the source file's folder.
BookSource ParseBookSource(QByteArrayView utf8, const QString& fileName);

// Reads and parses a source file.
BookSource LoadBookSource(const QString& path);

} // namespace zarelo::bookmaker
