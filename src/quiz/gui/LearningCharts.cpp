#include "quiz/gui/LearningCharts.h"

#include "base/gui/Controls.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace zarelo {

namespace {

constexpr int kWeekdayLabelWidth = 22;           // left of the calendar's squares
constexpr int kMonthLabelHeight = 16;            // above them
constexpr int kLegendHeight = 24;                // below them
constexpr int kCalendarColumns = 26;             // weeks, when the summary has no days
constexpr int kMinutesSteps[] = {1, 15, 30, 60}; // lower bounds of the shades above 0

const QColor kShades[] = {QColor(0xe3, 0xec, 0xea), QColor(0xb8, 0xe2, 0xda),
                          QColor(0x7f, 0xc8, 0xbb), QColor(0x3f, 0x9e, 0x92),
                          QColor(0x17, 0x64, 0x5c)};

QString NothingTestedText()
{
    return QStringLiteral("还没有做完的测试。");
}
QString NoHardWordText()
{
    return QStringLiteral("还没有答错的单词。");
}

void PaintMessage(QPainter& painter, const QRect& area, const QString& text)
{
    painter.save();
    painter.setFont(PixelFont(14));
    painter.setPen(RecordColours::Ink);
    painter.drawText(area.adjusted(12, 8, -12, -8), Qt::AlignCenter | Qt::TextWordWrap, text);
    painter.restore();
}

// `text` in `box`, shortened with an ellipsis when too wide.
void DrawCellText(QPainter& painter, const QRect& box, const QString& text,
                  Qt::Alignment align = Qt::AlignLeft)
{
    const QString shown =
        painter.fontMetrics().elidedText(text, Qt::ElideRight, std::max(0, box.width() - 6));
    painter.drawText(box.adjusted(3, 0, -3, 0), int(align | Qt::AlignVCenter), shown);
}

QString WeekdayName(int dayOfWeek)
{
    static const char* const names[] = {"一", "二", "三", "四", "五", "六", "日"};
    return QString::fromUtf8(names[std::clamp(dayOfWeek, 1, 7) - 1]);
}

QDate MondayOf(QDate day)
{
    return day.addDays(1 - day.dayOfWeek());
}

} // namespace

QString NoRecordYetText()
{
    return QStringLiteral("还没有学习记录。做一次听写、朗读或口语训练后，这里会显示你的进步。");
}

// --- Practice calendar

QColor MinutesShade(int minutes)
{
    int level = 0;
    for (int bound : kMinutesSteps)
        level += minutes >= bound;
    return kShades[level];
}

CalendarLayout::CalendarLayout(const LearningSummary& summary, const QRect& area)
    : summary_(summary)
{
    if (!summary.Days.empty()) {
        firstMonday_ = MondayOf(summary.Days.front().Day);
        columns_ = int(firstMonday_.daysTo(summary.Days.back().Day) / 7) + 1;
    } else {
        columns_ = kCalendarColumns;
    }
    const int byWidth = (area.width() - kWeekdayLabelWidth) / std::max(1, columns_);
    const int byHeight = (area.height() - kMonthLabelHeight - kLegendHeight) / 7;
    step_ = std::clamp(std::min(byWidth, byHeight), 5, 20);
    cell_ = step_ - std::max(1, step_ / 7);
    origin_ = area.topLeft() + QPoint(kWeekdayLabelWidth, kMonthLabelHeight);
}

QRect CalendarLayout::DayRect(size_t index) const
{
    const QDate day = summary_.Days.at(index).Day;
    const int column = int(firstMonday_.daysTo(day) / 7);
    const int row = day.dayOfWeek() - 1;
    return {origin_.x() + column * step_, origin_.y() + row * step_, cell_, cell_};
}

int CalendarLayout::DayAt(QPoint point) const
{
    if (summary_.Days.empty() || point.x() < origin_.x() || point.y() < origin_.y())
        return -1;
    const int column = (point.x() - origin_.x()) / step_;
    const int row = (point.y() - origin_.y()) / step_;
    if (row > 6 || column >= columns_)
        return -1;
    const QDate day = firstMonday_.addDays(column * 7 + row);
    const auto found = std::find_if(summary_.Days.begin(), summary_.Days.end(),
                                    [&](const PracticeDay& d) { return d.Day == day; });
    if (found == summary_.Days.end())
        return -1;
    const int index = int(found - summary_.Days.begin());
    return DayRect(size_t(index)).contains(point) ? index : -1;
}

int PracticeCalendarHeight(int width)
{
    const int step = std::clamp((width - kWeekdayLabelWidth) / kCalendarColumns, 5, 20);
    return kMonthLabelHeight + 7 * step + kLegendHeight + 6;
}

void PaintPracticeCalendar(QPainter& painter, const QRect& area, const LearningSummary& summary)
{
    if (summary.IsEmpty()) {
        PaintMessage(painter, area, NoRecordYetText());
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const CalendarLayout layout(summary, area);
    const QPoint origin = layout.Origin();
    const int step = layout.Step();
    const int cell = layout.Cell();
    painter.setFont(PixelFont(11));
    painter.setPen(RecordColours::Faint);
    for (int row : {0, 2, 4})
        painter.drawText(QRect(area.left(), origin.y() + row * step, kWeekdayLabelWidth - 4, cell),
                         Qt::AlignRight | Qt::AlignVCenter, WeekdayName(row + 1));

    // A month's name above the column of its first day; the first column
    // shows its own month when the next name is not too close.
    int labelRight = area.left();
    for (size_t i = 0; i < summary.Days.size(); ++i) {
        const QDate day = summary.Days[i].Day;
        if (day.day() != 1 && i != 0)
            continue;
        const QRect square = layout.DayRect(i);
        const QString name = QStringLiteral("%1月").arg(day.month());
        const int width = painter.fontMetrics().horizontalAdvance(name);
        const bool firstTooClose = i == 0 && day.daysInMonth() - day.day() < 14;
        if (square.left() < labelRight || firstTooClose)
            continue;
        painter.drawText(QRect(square.left(), area.top(), width + 2, kMonthLabelHeight - 2),
                         Qt::AlignLeft | Qt::AlignBottom, name);
        labelRight = square.left() + width + 4;
    }

    painter.setPen(Qt::NoPen);
    for (size_t i = 0; i < summary.Days.size(); ++i) {
        painter.setBrush(MinutesShade(summary.Days[i].Minutes));
        painter.drawRect(layout.DayRect(i));
    }
    painter.setBrush(Qt::NoBrush);
    const auto markToday = [&](const QRect& square) {
        painter.setPen(
            QPen(RecordColours::TodayMark, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawRect(square.adjusted(0, 0, -1, -1).marginsAdded(QMargins(1, 1, 1, 1)));
    };
    for (size_t i = 0; i < summary.Days.size(); ++i)
        if (summary.Days[i].Day == summary.Today)
            markToday(layout.DayRect(i));

    // Legend: the shades with the minutes they start at, and today's mark.
    painter.setFont(PixelFont(11));
    const int top = layout.LegendTop();
    const int box = std::min(cell, 12);
    int x = origin.x();
    const auto label = [&](const QString& text) {
        const int width = painter.fontMetrics().horizontalAdvance(text);
        painter.setPen(RecordColours::Faint);
        painter.drawText(QRect(x, top - 2, width + 2, box + 4), Qt::AlignLeft | Qt::AlignVCenter,
                         text);
        x += width + 8;
    };
    label(QStringLiteral("分钟"));
    const QString bounds[] = {QStringLiteral("0"), QStringLiteral("1+"), QStringLiteral("15+"),
                              QStringLiteral("30+"), QStringLiteral("60+")};
    for (int i = 0; i < 5; ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(kShades[i]);
        painter.drawRect(x, top, box, box);
        painter.setBrush(Qt::NoBrush);
        x += box + 3;
        label(bounds[i]);
    }
    x += 6;
    painter.setBrush(kShades[0]);
    painter.setPen(Qt::NoPen);
    painter.drawRect(x, top, box, box);
    markToday(QRect(x, top, box, box));
    x += box + 4;
    label(QStringLiteral("今天"));
    painter.restore();
}

QString PracticeDayText(const PracticeDay& day)
{
    return QStringLiteral("%1 星期%2\n练习 %3 分钟，测试 %4 次")
        .arg(day.Day.toString(QStringLiteral("yyyy年M月d日")), WeekdayName(day.Day.dayOfWeek()))
        .arg(day.Minutes)
        .arg(day.Tests);
}

// --- Lesson progress

QColor PassedShareColour(double share)
{
    if (share < 0.4)
        return {0xd9, 0x53, 0x4f};
    if (share < 0.8)
        return {0xf0, 0xad, 0x4e};
    return {0x5c, 0xb8, 0x5c};
}

LessonProgressTable::LessonProgressTable(const LearningSummary& summary) : summary_(summary)
{
    if (summary.IsEmpty())
        return;
    for (size_t i = 0; i < summary.Lessons.size(); ++i) {
        const QString& unit = summary.Lessons[i].Unit;
        if (!unit.isEmpty() && (i == 0 || summary.Lessons[i - 1].Unit != unit))
            lines_.push_back({true, i});
        lines_.push_back({false, i});
    }
}

namespace {
constexpr int kWordsWidth = 40, kPassedWidth = 48, kBarWidth = 76, kModeWidth = 64,
              kRecordingsWidth = 40, kReadWidth = 56, kMinNameWidth = 72;
constexpr int kFixedWidth = kWordsWidth + kPassedWidth + kBarWidth + kRecordedModes * kModeWidth +
                            kRecordingsWidth + kReadWidth;
} // namespace

int LessonProgressTable::MinimumWidth()
{
    return kMinNameWidth + kFixedWidth;
}

LessonProgressTable::Columns LessonProgressTable::ColumnsFor(const QRect& area)
{
    constexpr int words = kWordsWidth, passed = kPassedWidth, bar = kBarWidth, mode = kModeWidth,
                  recordings = kRecordingsWidth, read = kReadWidth;
    Columns c{};
    c.Name = area.left();
    c.Words = c.Name + std::max(kMinNameWidth, area.width() - kFixedWidth);
    c.Passed = c.Words + words;
    c.Bar = c.Passed + passed;
    c.Modes = c.Bar + bar;
    c.Mode = mode;
    c.Recordings = c.Modes + kRecordedModes * mode;
    c.Read = c.Recordings + recordings;
    c.End = c.Read + read;
    return c;
}

QRect LessonProgressTable::BarTrack(const QRect& area, size_t lesson) const
{
    const Columns c = ColumnsFor(area);
    const auto line = std::find_if(lines_.begin(), lines_.end(),
                                   [&](const Line& l) { return !l.IsUnit && l.Lesson == lesson; });
    const int index = int(line - lines_.begin());
    const int top = area.top() + (index + 1) * LineHeight;
    return {c.Bar + 4, top + 7, c.Modes - c.Bar - 8, LineHeight - 14};
}

void LessonProgressTable::Paint(QPainter& painter, const QRect& area, int first, int count) const
{
    if (summary_.IsEmpty()) {
        PaintMessage(painter, area, NoRecordYetText());
        return;
    }
    if (summary_.Lessons.empty()) {
        PaintMessage(painter, area, QStringLiteral("这本书没有课文。"));
        return;
    }
    const int last = count < 0 ? Lines() : std::min(Lines(), first + count);
    const Columns c = ColumnsFor(area);
    const int right = std::min(area.right() + 1, c.End);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(PixelFont(12));

    int y = area.top();
    const auto cell = [&](int left, int width) { return QRect(left, y, width, LineHeight); };
    painter.fillRect(QRect(c.Name, y, right - c.Name, LineHeight), RecordColours::Heading);
    painter.setPen(RecordColours::Ink);
    DrawCellText(painter, cell(c.Name, c.Words - c.Name), QStringLiteral("课文"));
    DrawCellText(painter, cell(c.Words, c.Passed - c.Words), QStringLiteral("单词"),
                 Qt::AlignRight);
    DrawCellText(painter, cell(c.Passed, c.Bar - c.Passed), QStringLiteral("已掌握"),
                 Qt::AlignRight);
    for (int m = 0; m < kRecordedModes; ++m)
        DrawCellText(painter, cell(c.Modes + m * c.Mode, c.Mode),
                     RecordedModeName(RecordedMode(m + 1)), Qt::AlignCenter);
    DrawCellText(painter, cell(c.Recordings, c.Read - c.Recordings), QStringLiteral("录音"),
                 Qt::AlignRight);
    DrawCellText(painter, cell(c.Read, c.End - c.Read), QStringLiteral("朗读分钟"), Qt::AlignRight);
    y += LineHeight;

    for (int i = first; i < last; ++i, y += LineHeight) {
        const Line& line = lines_[size_t(i)];
        const LessonProgress& lesson = summary_.Lessons[line.Lesson];
        if (line.IsUnit) {
            painter.fillRect(QRect(c.Name, y, right - c.Name, LineHeight), RecordColours::UnitLine);
            painter.setPen(RecordColours::Ink);
            painter.setFont(PixelFont(12, true));
            DrawCellText(painter, cell(c.Name, right - c.Name), lesson.Unit);
            painter.setFont(PixelFont(12));
            continue;
        }
        painter.setPen(RecordColours::Grid);
        painter.drawLine(c.Name, y + LineHeight - 1, right - 1, y + LineHeight - 1);
        painter.setPen(RecordColours::Ink);
        DrawCellText(painter, cell(c.Name + 10, c.Words - c.Name - 10), lesson.Lesson);
        DrawCellText(painter, cell(c.Words, c.Passed - c.Words), QString::number(lesson.Words),
                     Qt::AlignRight);
        DrawCellText(painter, cell(c.Passed, c.Bar - c.Passed), QString::number(lesson.PassedWords),
                     Qt::AlignRight);

        const QRect track(c.Bar + 4, y + 7, c.Modes - c.Bar - 8, LineHeight - 14);
        painter.fillRect(track, RecordColours::Grid);
        if (lesson.Words > 0) {
            const double share = std::clamp(double(lesson.PassedWords) / lesson.Words, 0.0, 1.0);
            const int filled = int(std::lround(track.width() * share));
            painter.fillRect(QRect(track.left(), track.top(), filled, track.height()),
                             PassedShareColour(share));
        }

        painter.setPen(RecordColours::Ink);
        for (int m = 0; m < kRecordedModes; ++m) {
            const ModeResult& result = lesson.Results[size_t(m)];
            const QString text = result.Taken
                                     ? QStringLiteral("%1 %2")
                                           .arg(result.Score)
                                           .arg(result.When.toString(QStringLiteral("M/d")))
                                     : QStringLiteral("—");
            DrawCellText(painter, cell(c.Modes + m * c.Mode, c.Mode), text, Qt::AlignCenter);
        }
        DrawCellText(painter, cell(c.Recordings, c.Read - c.Recordings),
                     QString::number(lesson.Recordings), Qt::AlignRight);
        DrawCellText(painter, cell(c.Read, c.End - c.Read), QString::number(lesson.ReadMinutes),
                     Qt::AlignRight);
    }
    painter.restore();
}

// --- Score curve

QColor ModeColour(RecordedMode mode)
{
    switch (mode) {
    case RecordedMode::Sentence:
        return {0x1f, 0x6f, 0xb4};
    case RecordedMode::Dictation:
        return {0x2e, 0x9e, 0x4f};
    case RecordedMode::Memorising:
        return {0x7b, 0x4f, 0xa8};
    case RecordedMode::WrongWords:
        return {0xc0, 0x39, 0x2b};
    }
    return RecordColours::Ink;
}

void PaintScoreCurve(QPainter& painter, const QRect& area, const LearningSummary& summary)
{
    if (summary.IsEmpty()) {
        PaintMessage(painter, area, NoRecordYetText());
        return;
    }
    if (summary.Scores.empty()) {
        PaintMessage(painter, area, NothingTestedText());
        return;
    }
    painter.save();
    painter.setFont(PixelFont(11));
    const QFontMetrics metrics = painter.fontMetrics();

    // Legend of the modes present, along the top.
    bool present[kRecordedModes] = {};
    for (const ScorePoint& p : summary.Scores)
        present[int(p.Mode) - 1] = true;
    int x = area.left() + 34;
    for (int m = 0; m < kRecordedModes; ++m) {
        if (!present[m])
            continue;
        const QString name = RecordedModeName(RecordedMode(m + 1));
        painter.fillRect(QRect(x, area.top() + 8, 16, 3), ModeColour(RecordedMode(m + 1)));
        x += 20;
        painter.setPen(RecordColours::Ink);
        painter.drawText(QRect(x, area.top(), metrics.horizontalAdvance(name) + 2, 18),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
        x += metrics.horizontalAdvance(name) + 14;
    }

    const QRect plot = area.adjusted(34, 26, -12, -22);
    if (plot.width() < 20 || plot.height() < 20) {
        painter.restore();
        return;
    }
    // Grid every 20 points with its score on the left.
    const auto yOf = [&](int score) {
        return plot.bottom() - (plot.height() - 1) * std::clamp(score, 0, 100) / 100.0;
    };
    for (int score = 0; score <= 100; score += 20) {
        const int y = int(std::lround(yOf(score)));
        painter.setPen(score == 0 ? RecordColours::Ink : RecordColours::Grid);
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(RecordColours::Faint);
        painter.drawText(QRect(area.left(), y - 8, 30, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(score));
    }
    painter.setPen(RecordColours::Ink);
    painter.drawLine(plot.left(), plot.top(), plot.left(), plot.bottom());

    // Time runs from the first score to the last, inset so that the dots at
    // either end stay inside.
    const QRectF inner = QRectF(plot).adjusted(8, 0, -8, 0);
    const qint64 t0 = summary.Scores.front().When.toMSecsSinceEpoch();
    const qint64 t1 = summary.Scores.back().When.toMSecsSinceEpoch();
    const auto xOf = [&](const QDateTime& when) {
        if (t1 <= t0)
            return inner.center().x();
        return inner.left() +
               inner.width() * double(when.toMSecsSinceEpoch() - t0) / double(t1 - t0);
    };
    const bool yearsDiffer =
        summary.Scores.front().When.date().year() != summary.Scores.back().When.date().year();
    const QString dateFormat = yearsDiffer ? QStringLiteral("yy/M/d") : QStringLiteral("M/d");
    const int ticks = t1 <= t0 ? 1 : std::clamp(int(inner.width()) / 90 + 1, 2, 6);
    for (int i = 0; i < ticks; ++i) {
        const QDateTime when =
            ticks == 1 ? summary.Scores.front().When
                       : QDateTime::fromMSecsSinceEpoch(t0 + (t1 - t0) * i / (ticks - 1));
        const int tx = int(std::lround(xOf(when)));
        painter.setPen(RecordColours::Ink);
        painter.drawLine(tx, plot.bottom(), tx, plot.bottom() + 3);
        painter.setPen(RecordColours::Faint);
        painter.drawText(QRect(tx - 40, plot.bottom() + 4, 80, 16), Qt::AlignCenter,
                         when.toString(dateFormat));
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    for (int m = 0; m < kRecordedModes; ++m) {
        if (!present[m])
            continue;
        const QColor colour = ModeColour(RecordedMode(m + 1));
        QPainterPath line;
        std::vector<QPointF> dots;
        for (const ScorePoint& p : summary.Scores) {
            if (int(p.Mode) != m + 1)
                continue;
            const QPointF at(xOf(p.When), yOf(p.Score));
            if (dots.empty())
                line.moveTo(at);
            else
                line.lineTo(at);
            dots.push_back(at);
        }
        painter.setPen(QPen(colour, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(line);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        for (const QPointF& dot : dots)
            painter.drawEllipse(dot, 3.0, 3.0);
    }
    painter.restore();
}

// --- Hard words

int HardWordsHeight(const LearningSummary& summary)
{
    return (1 + std::max<int>(2, int(summary.HardWords.size()))) * kHardWordLineHeight;
}

void PaintHardWords(QPainter& painter, const QRect& area, const LearningSummary& summary)
{
    if (summary.IsEmpty()) {
        PaintMessage(painter, area, NoRecordYetText());
        return;
    }
    if (summary.HardWords.empty()) {
        PaintMessage(painter, area, NoHardWordText());
        return;
    }
    constexpr int wrong = 34, right = 34, last = 82;
    const int rest = std::max(120, area.width() - wrong - right - last);
    const int word = area.left();
    const int wrongX = word + rest * 2 / 5;
    const int rightX = wrongX + wrong;
    const int spellings = rightX + right;
    const int lastX = spellings + rest - rest * 2 / 5;
    const int end = lastX + last;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(PixelFont(12));
    int y = area.top();
    const auto cell = [&](int left, int to) {
        return QRect(left, y, to - left, kHardWordLineHeight);
    };
    painter.fillRect(QRect(word, y, end - word, kHardWordLineHeight), RecordColours::Heading);
    painter.setPen(RecordColours::Ink);
    DrawCellText(painter, cell(word, wrongX), QStringLiteral("单词"));
    DrawCellText(painter, cell(wrongX, rightX), QStringLiteral("错"), Qt::AlignRight);
    DrawCellText(painter, cell(rightX, spellings), QStringLiteral("对"), Qt::AlignRight);
    DrawCellText(painter, cell(spellings, lastX), QStringLiteral("常见错拼"));
    DrawCellText(painter, cell(lastX, end), QStringLiteral("最近测试"));
    y += kHardWordLineHeight;
    for (const HardWord& hard : summary.HardWords) {
        painter.setPen(RecordColours::Grid);
        painter.drawLine(word, y + kHardWordLineHeight - 1, end - 1, y + kHardWordLineHeight - 1);
        painter.setPen(RecordColours::Ink);
        painter.setFont(PixelFont(12, true));
        DrawCellText(painter, cell(word, wrongX), hard.Word);
        painter.setFont(PixelFont(12));
        DrawCellText(painter, cell(wrongX, rightX), QString::number(hard.Wrong), Qt::AlignRight);
        DrawCellText(painter, cell(rightX, spellings), QString::number(hard.Right), Qt::AlignRight);
        DrawCellText(painter, cell(spellings, lastX), hard.Misspellings.join(QStringLiteral(", ")));
        DrawCellText(painter, cell(lastX, end),
                     hard.LastTested.toString(QStringLiteral("yyyy-MM-dd")));
        y += kHardWordLineHeight;
    }
    painter.restore();
}

} // namespace zarelo
