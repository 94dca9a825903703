#pragma once
// The open book: its sentence and lesson tables (BookContent) and the globals
// that say which book, page, lesson, entry and voice are current.
//
// Tables are parallel columns indexed by row, in file order from 0. Text
// columns hold the GBK bytes of the book files; they are converted only for
// display (Gbk.h). Absent boxes are -1; times are tenths of a second.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace zarelo {

// A column of byte strings kept in one buffer; rows are views into it. One
// allocation for all rows keeps a 20,000-entry book small and quick to fill.
class TextColumn {
public:
    int size() const { return static_cast<int>(ends_.size()); }
    bool empty() const { return ends_.empty(); }
    void clear()
    {
        bytes_.clear();
        ends_.clear();
    }
    void reserve(int rows, qsizetype bytes)
    {
        ends_.reserve(rows);
        bytes_.reserve(bytes);
    }
    void append(QByteArrayView text)
    {
        bytes_.append(text);
        ends_.push_back(static_cast<uint32_t>(bytes_.size()));
    }
    QByteArrayView operator[](int row) const
    {
        const uint32_t begin = row == 0 ? 0 : ends_[row - 1];
        return QByteArrayView(bytes_.constData() + begin, ends_[row] - begin);
    }
    size_t memoryUsed() const
    {
        return static_cast<size_t>(bytes_.capacity()) + ends_.capacity() * sizeof(uint32_t);
    }

private:
    QByteArray bytes_;
    std::vector<uint32_t> ends_;
};

// One row per line of the location table after its header: an entry printed
// in the book (a sentence or a word) with up to three rectangles on its page,
// in pixels of the page scaled to 800 px width.
struct SentenceTable {
    TextColumn PageName; // "Page" + page number
    TextColumn Kind;     // "word", "sent" or anything else
    std::vector<int> Box1Left, Box1Top, Box1Right, Box1Bottom;
    std::vector<int> Box2Left, Box2Top, Box2Right, Box2Bottom;
    std::vector<int> Box3Left, Box3Top, Box3Right, Box3Bottom;
    TextColumn VoiceName;                   // voice file name without folder and extension
    std::vector<double> StartTime, EndTime; // tenths of a second
    TextColumn ChineseText, EnglishText;

    int count() const { return PageName.size(); }
};

// One row per line of the lesson index: a unit or lesson heading and the
// pages it covers.
struct LessonTable {
    TextColumn Name, Title, Column2, Column4;
    std::vector<double> StartTime, EndTime; // kept, not used
    std::vector<int> FirstPage, EndPage;

    int count() const { return Name.size(); }
};

struct BookContent {
    SentenceTable Sentences;
    LessonTable Lessons;
    TextColumn LocationLines;    // entry lines of "location.txt", header excluded
    TextColumn LessonIndexLines; // lines of "LessonIndex.txt"
    QByteArray Pronunciations;   // the book's "pronunciations.dict"; empty when it has none
};

// The page number of a page name: the whole number after its first four
// characters ("Page12" gives 12); nullopt when there is none.
std::optional<int> PageNumberOf(QByteArrayView pageName);

// The open book and its globals. One instance for the run; opening another
// book replaces Content as a whole.
struct OpenBook {
    BookContent Content;

    QString CurrentPublisher; // publisher folder name
    QString CurrentBook;      // book folder name
    int CurrentPage = 0;
    int CurrentLesson = 0;       // row in Content.Lessons
    int CurrentSentence = 0;     // row in Content.Sentences
    QByteArray CurrentVoiceName; // VoiceName of the loaded voice (GBK)
    QByteArray LoadedVoiceName;  // second copy; a range end counts only while equal
    bool IsTextBook = false;

    // Page number of entry `row`: PageName from its fifth character on.
    // Throws BookError when that is not an integer.
    int EntryPage(int row) const;
    // CurrentLesson := first lesson row whose pages hold CurrentPage;
    // unchanged when none does.
    void LessonOfPage();
    // "当前单元:" + Name + ":" + Title of lesson row CurrentLesson, as the unit
    // labels show it; empty when CurrentLesson is no row of the table.
    QString CurrentUnitText() const;
};

} // namespace zarelo
