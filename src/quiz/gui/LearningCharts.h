#pragma once
// The pictures of the learning record, each one QPainter function over a
// rectangle, so that the window's parts and the printed report draw them the
// same way: the practice calendar, the lesson progress table, the score curve
// and the hard words. Sizes are in the painter's logical pixels; the fonts are
// sized in pixels, so a report painted on a scaled painter looks like the
// window. QtGui only.

#include "quiz/LearningSummary.h"

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

namespace zarelo {

// The colours of the pictures: the default skin's teal.
namespace RecordColours {
constexpr QColor Ink(0x17, 0x46, 0x4a);       // text, axes
constexpr QColor Faint(0x6b, 0x8a, 0x88);     // labels, grid text
constexpr QColor Grid(0xd6, 0xe6, 0xe3);      // grid lines, empty bar tracks
constexpr QColor Heading(0xd6, 0xf0, 0xeb);   // table headings
constexpr QColor UnitLine(0xee, 0xf8, 0xf6);  // unit captions in the lesson table
constexpr QColor TodayMark(0xe8, 0x59, 0x0c); // the frame around today's square
} // namespace RecordColours

// What a part shows while nothing has been practised or tested.
QString NoRecordYetText();

// --- Practice calendar: one square per day of LearningSummary::Days, weeks
// as columns (Monday at the top), month names above, a legend below.

// The shade of a day's square for its minutes practised: five steps
// (0, 1-14, 15-29, 30-59, 60 and more), darker for more.
QColor MinutesShade(int minutes);

// Where each day's square lies when the calendar of `summary` is painted in
// `area`.
class CalendarLayout {
public:
    CalendarLayout(const LearningSummary& summary, const QRect& area);
    // The square of summary.Days[index].
    QRect DayRect(size_t index) const;
    // The index into summary.Days of the square under `point`; -1: none.
    int DayAt(QPoint point) const;
    int Cell() const { return cell_; }        // side of a square
    int Step() const { return step_; }        // from one square to the next
    QPoint Origin() const { return origin_; } // top left of the first column's Monday
    int Columns() const { return columns_; }
    // The top of the legend below the squares.
    int LegendTop() const { return origin_.y() + 7 * step_ + 6; }

private:
    const LearningSummary& summary_;
    QDate firstMonday_;
    int columns_ = 0;
    int cell_ = 0;
    int step_ = 0;
    QPoint origin_;
};

// The height the calendar wants for its width `width`.
int PracticeCalendarHeight(int width);
void PaintPracticeCalendar(QPainter& painter, const QRect& area, const LearningSummary& summary);
// The text shown when pointing at a day: its date, minutes and tests.
QString PracticeDayText(const PracticeDay& day);

// --- Lesson progress: a heading line, then under each unit's caption line
// its lessons, one line each: words, words passed, a bar of the share
// passed, the last score and date of each test mode ("—" when not taken),
// the recordings made and the minutes read.

class LessonProgressTable {
public:
    static constexpr int LineHeight = 22;
    explicit LessonProgressTable(const LearningSummary& summary);
    // The narrowest width that shows every column whole.
    static int MinimumWidth();
    // Unit caption and lesson lines, the heading not counted.
    int Lines() const { return int(lines_.size()); }
    // Of the heading and `count` lines.
    static int Height(int count) { return (count + 1) * LineHeight; }
    // Paints the heading and the lines first .. first + count - 1 (count -1:
    // to the end) from the top of `area`. With an empty history it says so.
    void Paint(QPainter& painter, const QRect& area, int first = 0, int count = -1) const;
    // The track of the bar of summary.Lessons[lesson] when every line is
    // painted in `area`; the filled part starts at its left.
    QRect BarTrack(const QRect& area, size_t lesson) const;

private:
    struct Line {
        bool IsUnit = false;
        size_t Lesson = 0; // for a unit line: its first lesson
    };
    struct Columns {
        int Name, Words, Passed, Bar, Modes, Mode, Recordings, Read, End;
    };
    static Columns ColumnsFor(const QRect& area);

    const LearningSummary& summary_;
    std::vector<Line> lines_;
};

// The colour of a lesson's bar for the share of its words passed (0..1):
// red below 40 %, amber below 80 %, green from 80 %.
QColor PassedShareColour(double share);

// --- Score curve: the scores (0..100) over time, a line per test mode with a
// legend of the modes present, dates along the time axis.

QColor ModeColour(RecordedMode mode);
void PaintScoreCurve(QPainter& painter, const QRect& area, const LearningSummary& summary);

// --- Hard words: a heading line and one line per word: wrong and right
// counts, commonest misspellings and the day last tested.

constexpr int kHardWordLineHeight = 20;
// Of the heading and every word's line.
int HardWordsHeight(const LearningSummary& summary);
void PaintHardWords(QPainter& painter, const QRect& area, const LearningSummary& summary);

} // namespace zarelo
