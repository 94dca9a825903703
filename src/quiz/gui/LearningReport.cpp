#include "quiz/gui/LearningReport.h"

#include "base/gui/Controls.h"
#include "quiz/gui/LearningCharts.h"

#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>

namespace zarelo {

namespace {

constexpr double kLayoutDpi = 96; // the report is laid out in the window's pixels
constexpr int kCaptionHeight = 26;
constexpr int kGap = 14;
constexpr int kMessageHeight = 60; // a part's "nothing yet" text

QString WriteError(const QString& path, const QString& reason)
{
    return QStringLiteral("无法写入报告文件“%1”：%2").arg(QDir::toNativeSeparators(path), reason);
}

// A section's caption at `y`; returns the y below it.
int PaintCaption(QPainter& painter, int left, int y, int width, const QString& caption)
{
    painter.setFont(PixelFont(15, true));
    painter.setPen(RecordColours::Ink);
    painter.drawText(QRect(left, y, width, kCaptionHeight - 4), Qt::AlignLeft | Qt::AlignBottom,
                     caption);
    painter.setPen(RecordColours::Grid);
    painter.drawLine(left, y + kCaptionHeight - 2, left + width - 1, y + kCaptionHeight - 2);
    return y + kCaptionHeight + 4;
}

} // namespace

QString WriteLearningReport(const LearningSummary& summary, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return WriteError(path, file.errorString());

    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(QStringLiteral("学习记录 %1").arg(summary.Book));
    writer.setCreator(QStringLiteral("Zarelo英语学习软件"));
    QPainter painter;
    if (!painter.begin(&writer))
        return WriteError(path, QStringLiteral("无法开始写 PDF"));
    const double scale = writer.resolution() / kLayoutDpi;
    painter.scale(scale, scale);
    const QRect page(0, 0, int(writer.width() / scale), int(writer.height() / scale));
    const int left = page.left();
    const int width = page.width();

    // Title, book and the dates covered.
    int y = page.top();
    painter.setPen(RecordColours::Ink);
    painter.setFont(PixelFont(24, true));
    painter.drawText(QRect(left, y, width, 34), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("学习记录"));
    y += 38;
    painter.setFont(PixelFont(15));
    painter.drawText(QRect(left, y, width, 22), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("%1 %2").arg(summary.Publisher, summary.Book).trimmed());
    y += 24;
    const QString today = summary.Today.toString(QStringLiteral("yyyy-MM-dd"));
    painter.drawText(
        QRect(left, y, width, 22), Qt::AlignLeft | Qt::AlignVCenter,
        summary.FirstRecord.isValid()
            ? QStringLiteral("记录日期：%1 至 %2")
                  .arg(summary.FirstRecord.toString(QStringLiteral("yyyy-MM-dd")), today)
            : QStringLiteral("截至 %1 还没有学习记录").arg(today));
    y += 22 + kGap;

    y = PaintCaption(painter, left, y, width, QStringLiteral("练习日历"));
    const int calendarHeight = summary.IsEmpty() ? kMessageHeight : PracticeCalendarHeight(width);
    PaintPracticeCalendar(painter, QRect(left, y, width, calendarHeight), summary);
    y += calendarHeight + kGap;

    // The lesson table runs on as far as page 1 allows and goes on to page 2,
    // which keeps room for the hard words; lines beyond that are left out and
    // counted.
    const LessonProgressTable table(summary);
    const int lines = table.Lines();
    const int hardHeight = kCaptionHeight + 4 +
                           (summary.HardWords.empty() ? kMessageHeight : HardWordsHeight(summary));
    const int tableHeight = lines == 0 ? kMessageHeight : LessonProgressTable::Height(lines);
    const auto linesFitting = [&](int room) {
        return std::clamp(room / LessonProgressTable::LineHeight - 1, 0, lines);
    };
    const int bottom = page.bottom();
    const bool onePage = y + kCaptionHeight + 4 + tableHeight + kGap + hardHeight <= bottom;
    if (onePage || lines == 0) {
        y = PaintCaption(painter, left, y, width, QStringLiteral("课本进度"));
        table.Paint(painter, QRect(left, y, width, tableHeight));
        y += tableHeight + kGap;
        if (!onePage) {
            writer.newPage();
            y = page.top();
        }
    } else {
        int first = linesFitting(bottom - y - kCaptionHeight - 4);
        if (first < 3) // a caption with one or two lines alone reads badly: start on page 2
            first = 0;
        if (first > 0) {
            y = PaintCaption(painter, left, y, width, QStringLiteral("课本进度"));
            table.Paint(painter, QRect(left, y, width, LessonProgressTable::Height(first)), 0,
                        first);
        }
        writer.newPage();
        y = page.top();
        const int rest = lines - first;
        const int noteHeight = 22;
        int second = linesFitting(bottom - y - kCaptionHeight - 4 - kGap - hardHeight);
        if (second < rest)
            second = linesFitting(bottom - y - kCaptionHeight - 4 - kGap - hardHeight - noteHeight);
        second = std::min(second, rest);
        y = PaintCaption(painter, left, y, width,
                         first > 0 ? QStringLiteral("课本进度（续）") : QStringLiteral("课本进度"));
        table.Paint(painter, QRect(left, y, width, LessonProgressTable::Height(second)), first,
                    second);
        y += LessonProgressTable::Height(second);
        if (second < rest) {
            painter.setFont(PixelFont(12));
            painter.setPen(RecordColours::Faint);
            painter.drawText(QRect(left, y, width, noteHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringLiteral("另有 %1 行没有印出，请在程序的“学习记录”中查看。")
                                 .arg(rest - second));
            y += noteHeight;
        }
        y += kGap;
    }

    y = PaintCaption(painter, left, y, width, QStringLiteral("易错单词"));
    PaintHardWords(painter, QRect(left, y, width, hardHeight - kCaptionHeight - 4), summary);

    if (!painter.end())
        return WriteError(path, QStringLiteral("PDF 没有写完"));
    if (!file.commit())
        return WriteError(path, file.errorString());
    return {};
}

} // namespace zarelo
