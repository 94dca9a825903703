// The learning record window over a known summary: the pixels of each part
// (shades, today's mark, bar lengths, a line per mode), the texts they paint,
// the day tooltips, the empty history, the "错词听写" result, the export and
// the report through the file seams, and the report rendered back to pages
// with pdftoppm. ZARELO_SCREENSHOTS=<folder> keeps the pictures to look at.

#include "quiz/gui/LearningRecordWindow.h"
#include "quiz/gui/LearningCharts.h"
#include "quiz/gui/LearningReport.h"
#include "support/ScriptedMessages.h"

#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QPaintEngine>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <algorithm>
#include <climits>

using namespace zarelo;

namespace {

const QDate kToday(2024, 5, 15);        // a Wednesday
const QDate kFirstMonday(2023, 11, 20); // 25 weeks before today's Monday

LessonProgress Lesson(const QString& unit, const QString& name, int words, int passed)
{
    LessonProgress lesson;
    lesson.Unit = unit;
    lesson.Lesson = name;
    lesson.Words = words;
    lesson.PassedWords = passed;
    return lesson;
}

// 26 weeks of days ending today, practice on a few of them; three lessons in
// two units; dictation and sentence scores rising; three hard words.
LearningSummary KnownSummary()
{
    LearningSummary s;
    s.Publisher = QStringLiteral("人民教育出版社");
    s.Book = QStringLiteral("三年级上册");
    s.Today = kToday;
    s.FirstRecord = QDate(2024, 3, 1);
    for (QDate d = kFirstMonday; d <= kToday; d = d.addDays(1))
        s.Days.push_back({d, 0, 0});
    const auto day = [&](QDate d) -> PracticeDay& {
        return s.Days[size_t(kFirstMonday.daysTo(d))];
    };
    day(QDate(2024, 3, 1)) = {QDate(2024, 3, 1), 20, 1};
    day(QDate(2024, 5, 13)) = {QDate(2024, 5, 13), 90, 0};
    day(QDate(2024, 5, 14)) = {QDate(2024, 5, 14), 5, 1};
    day(kToday) = {kToday, 45, 2};

    const auto at = [](int month, int dayOfMonth) {
        return QDateTime(QDate(2024, month, dayOfMonth), QTime(18, 0));
    };
    LessonProgress one = Lesson(QStringLiteral("Unit 1"), QStringLiteral("Lesson 1"), 20, 5);
    one.Results[size_t(RecordedMode::Dictation) - 1] = {true, 80, at(5, 10)};
    one.Recordings = 3;
    one.ReadMinutes = 12;
    LessonProgress two = Lesson(QStringLiteral("Unit 1"), QStringLiteral("Lesson 2"), 20, 15);
    LessonProgress three = Lesson(QStringLiteral("Unit 2"), QStringLiteral("Lesson 3"), 10, 10);
    three.Results[size_t(RecordedMode::Sentence) - 1] = {true, 90, at(5, 14)};
    s.Lessons = {one, two, three};

    s.Scores = {{at(3, 1), RecordedMode::Dictation, 40},  {at(3, 15), RecordedMode::Sentence, 70},
                {at(4, 1), RecordedMode::Dictation, 60},  {at(5, 1), RecordedMode::Dictation, 80},
                {at(5, 10), RecordedMode::Dictation, 95}, {at(5, 14), RecordedMode::Sentence, 90}};
    s.HardWords = {{QStringLiteral("because"),
                    4,
                    1,
                    {QStringLiteral("becuse"), QStringLiteral("becouse")},
                    at(5, 14)},
                   {QStringLiteral("friend"), 3, 2, {QStringLiteral("frend")}, at(5, 10)},
                   {QStringLiteral("beautiful"), 2, 0, {QStringLiteral("beautifull")}, at(5, 1)}};
    return s;
}

// Nothing practised: the same days and lessons, no record at all.
LearningSummary EmptySummary()
{
    LearningSummary s = KnownSummary();
    s.FirstRecord = QDate();
    for (PracticeDay& d : s.Days)
        d.Minutes = d.Tests = 0;
    for (LessonProgress& l : s.Lessons) {
        l.PassedWords = l.Recordings = l.ReadMinutes = 0;
        l.Results = {};
    }
    s.Scores.clear();
    s.HardWords.clear();
    return s;
}

// A paint device that keeps the text of every text item painted on it, to
// read back what a part says.
class TextEngine final : public QPaintEngine {
public:
    TextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    // Shapes are not kept; the defaults would turn them into one another.
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
    Type type() const override { return QPaintEngine::User; }
    QStringList texts;
};

class TextDevice final : public QPaintDevice {
public:
    explicit TextDevice(QSize size) : size_(size) {}
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable TextEngine engine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return size_.width() * 254 / 960;
        case PdmHeightMM:
            return size_.height() * 254 / 960;
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize size_;
};

// The texts `part` paints.
QStringList PaintedTexts(QWidget* part)
{
    TextDevice device(part->size());
    part->render(&device);
    return device.engine.texts;
}

QImage Grab(QWidget* part, const QString& name)
{
    const QImage image = part->grab().toImage();
    if (const QString folder = qEnvironmentVariable("ZARELO_SCREENSHOTS"); !folder.isEmpty())
        image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    return image;
}

bool Near(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

struct Found {
    int count = 0;
    QRect bounds;
};

// Pixels of `image` within `tolerance` of `colour`, inside `area`.
Found PixelsNear(const QImage& image, const QColor& colour, int tolerance, QRect area = {})
{
    if (area.isNull())
        area = image.rect();
    Found found;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (Near(image.pixelColor(x, y), colour, tolerance)) {
                ++found.count;
                found.bounds |= QRect(x, y, 1, 1);
            }
    return found;
}

struct Window {
    explicit Window(const LearningSummary& summary, LearningRecordActions actions = {})
        : view(summary, std::move(actions), messages)
    {
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    fakes::ScriptedMessages messages;
    LearningRecordWindow view;
};

// The topmost square of pixels near `colour`: those within `side` rows of
// the first one found, so that a legend's sample further down is left out.
Found TopSquare(const QImage& image, const QColor& colour, int tolerance, int side)
{
    const Found all = PixelsNear(image, colour, tolerance);
    if (all.count == 0)
        return all;
    return PixelsNear(image, colour, tolerance,
                      QRect(0, all.bounds.top(), image.width(), side + 1));
}

QString Pdftoppm()
{
    return QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
}

// Renders `pdf` to PNG pages at `dpi`; the pages, first first.
QList<QImage> RenderPages(const QString& pdf, int dpi)
{
    const QString prefix = QFileInfo(pdf).absolutePath() + QStringLiteral("/page");
    QProcess run;
    run.start(Pdftoppm(),
              {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), pdf, prefix});
    if (!run.waitForFinished(60000) || run.exitCode() != 0)
        qWarning() << "pdftoppm failed:" << run.readAllStandardError();
    QList<QImage> pages;
    QStringList files = QDir(QFileInfo(pdf).absolutePath())
                            .entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        pages << QImage(QFileInfo(pdf).absolutePath() + QLatin1Char('/') + file);
    return pages;
}

} // namespace

class LearningRecordWindowTest : public QObject {
    Q_OBJECT
private slots:
    void calendarShadesDaysByMinutesAndMarksToday();
    void calendarTooltipsGiveDateMinutesAndTests();
    void lessonProgressGroupsUnitsAndBarsFollowTheShare();
    void scoreCurveDrawsALinePerModeTaken();
    void hardWordsListWordsAndStartTheirDictation();
    void emptyHistorySaysThereIsNothingYet();
    void exportAsksTheFileAndShowsItsError();
    void reportIsAskedForAndWritten();
    void reportRendersBackWithTheCalendarOnPageOne();
};

void LearningRecordWindowTest::calendarShadesDaysByMinutesAndMarksToday()
{
    const LearningSummary summary = KnownSummary();
    Window w(summary);
    QWidget* part = w.view.PracticeCalendar;
    const QImage image = Grab(part, QStringLiteral("record-calendar"));
    const CalendarLayout layout(summary, LearningRecordWindow::PictureArea(part));
    const auto index = [](QDate d) { return size_t(kFirstMonday.daysTo(d)); };
    const auto centre = [&](QDate d) {
        return image.pixelColor(layout.DayRect(index(d)).center());
    };

    // Weeks run left to right, Monday on top: today (Wednesday) two rows
    // below this Monday in the last column; a week earlier one column left.
    const QRect today = layout.DayRect(index(kToday));
    const QRect monday = layout.DayRect(index(QDate(2024, 5, 13)));
    QCOMPARE(today.left(), monday.left());
    QCOMPARE(today.top() - monday.top(), 2 * layout.Step());
    QCOMPARE(layout.DayRect(index(QDate(2024, 5, 8))).left(), today.left() - layout.Step());
    const QRect sunday = layout.DayRect(index(QDate(2024, 5, 12)));
    QCOMPARE(sunday.left(), today.left() - layout.Step());
    QCOMPARE(sunday.top() - monday.top(), 6 * layout.Step());
    QCOMPARE(layout.DayRect(0).left(), today.left() - 25 * layout.Step());
    QVERIFY(today.right() < part->width());

    // More minutes, a darker square; a day of none the lightest.
    const int ninety = centre(QDate(2024, 5, 13)).lightness();
    const int fortyFive = centre(kToday).lightness();
    const int five = centre(QDate(2024, 5, 14)).lightness();
    const int none = centre(QDate(2024, 5, 12)).lightness();
    QVERIFY2(ninety < fortyFive && fortyFive < five && five < none,
             qPrintable(QStringLiteral("lightness 90 min %1, 45 min %2, 5 min %3, none %4")
                            .arg(ninety)
                            .arg(fortyFive)
                            .arg(five)
                            .arg(none)));
    QVERIFY(none < 255); // an empty day still shows its square
    QCOMPARE(centre(QDate(2024, 5, 11)), centre(QDate(2024, 1, 1)));

    // Today's square is framed, yesterday's is not.
    const auto framed = [&](const QRect& square) {
        const QColor left = image.pixelColor(square.left() - 1, square.center().y());
        const QColor top = image.pixelColor(square.center().x(), square.top() - 1);
        return left == RecordColours::TodayMark && top == RecordColours::TodayMark;
    };
    QVERIFY(framed(today));
    QVERIFY(!framed(layout.DayRect(index(QDate(2024, 5, 14)))));
    QVERIFY(!framed(monday));

    // Month names over the columns where each month begins, in order;
    // November's first column is too near December's to carry a name.
    const QString texts = PaintedTexts(part).join(QString());
    QVERIFY2(texts.contains(QStringLiteral("12月1月2月3月4月5月")), qPrintable(texts));
    QVERIFY(!texts.contains(QStringLiteral("11月")));
    Grab(&w.view, QStringLiteral("record-window"));
}

void LearningRecordWindowTest::calendarTooltipsGiveDateMinutesAndTests()
{
    const LearningSummary summary = KnownSummary();
    Window w(summary);
    QWidget* part = w.view.PracticeCalendar;
    const CalendarLayout layout(summary, LearningRecordWindow::PictureArea(part));
    const auto pointAt = [&](QPoint at) {
        QHelpEvent event(QEvent::ToolTip, at, part->mapToGlobal(at));
        QApplication::sendEvent(part, &event);
    };
    pointAt(layout.DayRect(size_t(kFirstMonday.daysTo(kToday))).center());
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("2024年5月15日 星期三\n练习 45 分钟，测试 2 次"));
    pointAt(layout.DayRect(size_t(kFirstMonday.daysTo(QDate(2024, 3, 1)))).center());
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("2024年3月1日 星期五\n练习 20 分钟，测试 1 次"));
    // Thursday of this week has not come: no square, no tip.
    pointAt(layout.DayRect(size_t(kFirstMonday.daysTo(kToday))).center() +
            QPoint(0, layout.Step()));
    QTRY_VERIFY(!QToolTip::isVisible());
}

void LearningRecordWindowTest::lessonProgressGroupsUnitsAndBarsFollowTheShare()
{
    const LearningSummary summary = KnownSummary();
    Window w(summary);
    QWidget* part = w.view.LessonProgress;
    const QImage image = Grab(part, QStringLiteral("record-lessons"));
    const QRect area = LearningRecordWindow::PictureArea(part);
    const LessonProgressTable table(summary);
    QCOMPARE(table.Lines(), 5); // two unit captions, three lessons

    // The filled part of each bar, along its middle line.
    const auto filled = [&](size_t lesson) {
        const QRect track = table.BarTrack(area, lesson);
        int count = 0;
        for (int x = track.left(); x <= track.right(); ++x)
            count += image.pixelColor(x, track.center().y()) != RecordColours::Grid;
        return double(count) / track.width();
    };
    QVERIFY2(std::abs(filled(0) - 0.25) < 0.03, qPrintable(QString::number(filled(0))));
    QVERIFY2(std::abs(filled(1) - 0.75) < 0.03, qPrintable(QString::number(filled(1))));
    QVERIFY2(filled(2) > 0.97, qPrintable(QString::number(filled(2))));
    // Few words passed: a red bar; all passed: a green one.
    const QColor few = image.pixelColor(table.BarTrack(area, 0).topLeft() + QPoint(2, 2));
    const QColor all = image.pixelColor(table.BarTrack(area, 2).topLeft() + QPoint(2, 2));
    QVERIFY2(few.red() > few.green() + 60, qPrintable(few.name()));
    QVERIFY2(all.green() > all.red() + 60, qPrintable(all.name()));

    // Unit captions above their lessons, scores with their dates, "—" for
    // every mode not taken, recordings and minutes read.
    const QStringList texts = PaintedTexts(part);
    QCOMPARE(texts.indexOf(QStringLiteral("Unit 1")) < texts.indexOf(QStringLiteral("Lesson 1")),
             true);
    QVERIFY(texts.indexOf(QStringLiteral("Lesson 2")) < texts.indexOf(QStringLiteral("Unit 2")));
    QVERIFY(texts.indexOf(QStringLiteral("Unit 2")) < texts.indexOf(QStringLiteral("Lesson 3")));
    QVERIFY(texts.contains(QStringLiteral("80 5/10")));
    QVERIFY(texts.contains(QStringLiteral("90 5/14")));
    QCOMPARE(texts.count(QStringLiteral("—")), 3 * kRecordedModes - 2);
    for (const char* heading : {"句子听力", "单词听写", "单词记忆", "错词听写", "录音", "朗读分钟"})
        QVERIFY2(texts.contains(QString::fromUtf8(heading)), heading);
    const int lessonOne = int(texts.indexOf(QStringLiteral("Lesson 1")));
    QCOMPARE(texts.mid(lessonOne, 3), QStringList({"Lesson 1", "20", "5"}));
    QVERIFY(texts.mid(lessonOne, 10).contains(QStringLiteral("12")));

    // A long book scrolls.
    LearningSummary longBook = summary;
    for (int i = 0; i < 40; ++i)
        longBook.Lessons.push_back(
            Lesson(QStringLiteral("Unit 3"), QStringLiteral("Extra %1").arg(i), 8, 2));
    Window tall(longBook);
    QVERIFY(tall.view.LessonProgressArea->verticalScrollBar()->maximum() > 0);
    QVERIFY(w.view.LessonProgressArea->verticalScrollBar()->maximum() == 0);
}

void LearningRecordWindowTest::scoreCurveDrawsALinePerModeTaken()
{
    const LearningSummary summary = KnownSummary();
    Window w(summary);
    QWidget* part = w.view.ScoreCurve;
    const QImage image = Grab(part, QStringLiteral("record-scores"));
    // Below the legend line.
    const QRect plot = LearningRecordWindow::PictureArea(part).adjusted(0, 24, 0, 0);
    const auto pixels = [&](RecordedMode mode, QRect area) {
        return PixelsNear(image, ModeColour(mode), 24, area);
    };
    const Found dictation = pixels(RecordedMode::Dictation, plot);
    const Found sentence = pixels(RecordedMode::Sentence, plot);
    QVERIFY2(dictation.count > 150, qPrintable(QString::number(dictation.count)));
    QVERIFY2(sentence.count > 80, qPrintable(QString::number(sentence.count)));
    QCOMPARE(pixels(RecordedMode::Memorising, image.rect()).count, 0);
    QCOMPARE(pixels(RecordedMode::WrongWords, image.rect()).count, 0);
    // The dictation scores rise from 40 to 95: its line runs from the lower
    // left to the upper right, spanning the plot's width.
    QVERIFY(dictation.bounds.width() > plot.width() * 3 / 4);
    // 40 to 95 points is 55 % of the score axis, 2.75 times the sentence
    // scores' rise from 70 to 90.
    const auto rise = [&](RecordedMode mode, const Found& line) {
        const Found first = pixels(mode, QRect(line.bounds.left(), plot.top(), 8, plot.height()));
        const Found last =
            pixels(mode, QRect(line.bounds.right() - 7, plot.top(), 8, plot.height()));
        return double(first.bounds.center().y() - last.bounds.center().y());
    };
    const double dictationRise = rise(RecordedMode::Dictation, dictation);
    const double sentenceRise = rise(RecordedMode::Sentence, sentence);
    QVERIFY2(dictationRise > plot.height() * 0.4 && dictationRise < plot.height() * 0.6,
             qPrintable(QString::number(dictationRise)));
    QVERIFY2(std::abs(dictationRise / sentenceRise - 2.75) < 0.5,
             qPrintable(QStringLiteral("%1 / %2").arg(dictationRise).arg(sentenceRise)));
    // Legend and dates along the time axis.
    const QStringList texts = PaintedTexts(part);
    QVERIFY(texts.contains(QStringLiteral("单词听写")));
    QVERIFY(texts.contains(QStringLiteral("句子听力")));
    QVERIFY(!texts.contains(QStringLiteral("单词记忆")));
    QVERIFY(texts.contains(QStringLiteral("3/1")));
    QVERIFY(texts.contains(QStringLiteral("5/14")));
}

void LearningRecordWindowTest::hardWordsListWordsAndStartTheirDictation()
{
    const LearningSummary summary = KnownSummary();
    {
        Window w(summary);
        QWidget* part = w.view.HardWords;
        const QImage image = Grab(part, QStringLiteral("record-hardwords"));
        // A heading band and a line under each word.
        const QRect area = LearningRecordWindow::PictureArea(part);
        QCOMPARE(image.pixelColor(area.left() + 2, area.top() + 2), RecordColours::Heading);
        int separators = 0;
        for (int y = area.top(); y < area.bottom(); ++y)
            separators += image.pixelColor(area.center().x(), y) == RecordColours::Grid;
        QCOMPARE(separators, 3);
        const QStringList texts = PaintedTexts(part);
        const int because = int(texts.indexOf(QStringLiteral("because")));
        QVERIFY(because >= 0);
        QCOMPARE(texts.mid(because, 5),
                 QStringList({"because", "4", "1", "becuse, becouse", "2024-05-14"}));
        QVERIFY(texts.indexOf(QStringLiteral("friend")) > because);

        QVERIFY(w.view.BtnWrongWordDictation->isEnabled());
        QCOMPARE(w.view.BtnWrongWordDictation->text(), QStringLiteral("错词听写"));
        QTest::mouseClick(w.view.BtnWrongWordDictation, Qt::LeftButton);
        QCOMPARE(w.view.result(), int(LearningRecordWindow::StartWrongWordDictation));
        QVERIFY(!w.view.isVisible());
    }
    {
        // No hard word: nothing to dictate.
        LearningSummary none = summary;
        none.HardWords.clear();
        Window w(none);
        QVERIFY(!w.view.BtnWrongWordDictation->isEnabled());
        QTest::mouseClick(w.view.BtnWrongWordDictation, Qt::LeftButton);
        QVERIFY(w.view.isVisible());
        QVERIFY(PaintedTexts(w.view.HardWords).contains(QStringLiteral("还没有答错的单词。")));
        QTest::mouseClick(w.view.BtnClose, Qt::LeftButton);
        QCOMPARE(w.view.result(), int(QDialog::Rejected));
    }
}

void LearningRecordWindowTest::emptyHistorySaysThereIsNothingYet()
{
    const LearningSummary summary = EmptySummary();
    QVERIFY(summary.IsEmpty());
    Window w(summary);
    QCOMPARE(w.view.windowTitle(), QStringLiteral("学习记录"));
    QVERIFY(w.view.isModal());
    const QString nothingYet =
        QStringLiteral("还没有学习记录。做一次听写、朗读或口语训练后，这里会显示你的进步。");
    const struct {
        QWidget* part;
        const char* name;
    } parts[] = {{w.view.PracticeCalendar, "record-empty-calendar"},
                 {w.view.LessonProgress, "record-empty-lessons"},
                 {w.view.ScoreCurve, "record-empty-scores"},
                 {w.view.HardWords, "record-empty-hardwords"}};
    for (const auto& p : parts) {
        // The text, wrapped over lines, and no squares, grid or axes.
        QCOMPARE(PaintedTexts(p.part).join(QString()).remove(QLatin1Char(' ')), nothingYet);
        const QImage image = Grab(p.part, QLatin1String(p.name));
        QCOMPARE(PixelsNear(image, MinutesShade(0), 0).count, 0);
        QCOMPARE(PixelsNear(image, RecordColours::Grid, 0).count, 0);
        QCOMPARE(PixelsNear(image, RecordColours::Heading, 0).count, 0);
    }
    QVERIFY(!w.view.BtnWrongWordDictation->isEnabled());
}

void LearningRecordWindowTest::exportAsksTheFileAndShowsItsError()
{
    QTemporaryDir dir;
    QStringList asked;
    QString answer;
    QStringList exported;
    QString exportError;
    LearningRecordActions actions;
    actions.AskSaveFileName = [&](QWidget* parent, const QString& caption, const QString& filter,
                                  const QString& suggested) {
        asked << caption << filter << suggested;
        [&] { QVERIFY(parent != nullptr); }();
        return answer;
    };
    actions.ExportTable = [&](const QString& path) {
        exported << path;
        return exportError;
    };
    Window w(KnownSummary(), actions);

    // Cancelled: nothing exported, nothing said.
    QTest::mouseClick(w.view.BtnExportTable, Qt::LeftButton);
    QCOMPARE(asked,
             QStringList({"导出表格", "表格 (*.csv)", "学习记录-三年级上册-2024-05-15.csv"}));
    QVERIFY(exported.isEmpty());
    QVERIFY(w.messages.shown.isEmpty());

    // A name without its suffix gets ".csv".
    answer = dir.filePath(QStringLiteral("记录"));
    QTest::mouseClick(w.view.BtnExportTable, Qt::LeftButton);
    QCOMPARE(exported, QStringList({dir.filePath(QStringLiteral("记录.csv"))}));
    QVERIFY(w.messages.shown.isEmpty());

    // The writer's error, in a "提示" box owned by the window.
    exportError = QStringLiteral("无法写入文件“/x/记录.csv”：权限不够");
    QTest::mouseClick(w.view.BtnExportTable, Qt::LeftButton);
    QCOMPARE(w.messages.shown.size(), 1);
    QCOMPARE(w.messages.shown[0].text, exportError);
    QCOMPARE(w.messages.shown[0].caption, QStringLiteral("提示"));
    QCOMPARE(w.messages.shown[0].owner, &w.view);
    QVERIFY(w.view.isVisible());

    // No writer, no export.
    QVERIFY(w.view.BtnExportTable->isEnabled());
    Window bare(KnownSummary());
    QVERIFY(!bare.view.BtnExportTable->isEnabled());

    // A book name with a slash still suggests a plain file name.
    LearningSummary slashed = KnownSummary();
    slashed.Book = QStringLiteral("上册/下册");
    Window other(slashed, actions);
    QCOMPARE(other.view.SuggestedFileName(QStringLiteral("csv")),
             QStringLiteral("学习记录-上册_下册-2024-05-15.csv"));
}

void LearningRecordWindowTest::reportIsAskedForAndWritten()
{
    QTemporaryDir dir;
    QString answer;
    QStringList asked;
    LearningRecordActions actions;
    actions.AskSaveFileName = [&](QWidget*, const QString& caption, const QString& filter,
                                  const QString& suggested) {
        asked = {caption, filter, suggested};
        return answer;
    };
    actions.ExportTable = [](const QString&) { return QString(); };
    Window w(KnownSummary(), actions);

    QTest::mouseClick(w.view.BtnPrintReport, Qt::LeftButton);
    QCOMPARE(asked,
             QStringList({"打印报告", "PDF 文件 (*.pdf)", "学习记录-三年级上册-2024-05-15.pdf"}));
    QVERIFY(QDir(dir.path()).isEmpty());

    answer = dir.filePath(QStringLiteral("报告"));
    QTest::mouseClick(w.view.BtnPrintReport, Qt::LeftButton);
    QFile pdf(dir.filePath(QStringLiteral("报告.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    QVERIFY(w.messages.shown.isEmpty());

    // A folder that is not there: the message names the file; nothing left.
    answer = dir.filePath(QStringLiteral("无此文件夹/报告.pdf"));
    QTest::mouseClick(w.view.BtnPrintReport, Qt::LeftButton);
    QCOMPARE(w.messages.shown.size(), 1);
    QVERIFY2(w.messages.shown[0].text.startsWith(
                 QStringLiteral("无法写入报告文件“%1”：").arg(QDir::toNativeSeparators(answer))),
             qPrintable(w.messages.shown[0].text));
    QCOMPARE(w.messages.shown[0].caption, QStringLiteral("提示"));
    QVERIFY(!QFileInfo::exists(answer));
}

void LearningRecordWindowTest::reportRendersBackWithTheCalendarOnPageOne()
{
    QVERIFY2(!Pdftoppm().isEmpty(),
             "pdftoppm not found on PATH: install poppler-utils (scripts/install-deps)");
    constexpr int dpi = 50;
    const auto writeAndRender = [&](const LearningSummary& summary, const QString& name) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        const QString error = WriteLearningReport(summary, path);
        [&] { QVERIFY2(error.isEmpty(), qPrintable(error)); }();
        const QList<QImage> pages = RenderPages(path, dpi);
        if (const QString folder = qEnvironmentVariable("ZARELO_SCREENSHOTS"); !folder.isEmpty())
            for (int i = 0; i < pages.size(); ++i)
                pages[i].save(QStringLiteral("%1/%2-%3.png").arg(folder, name).arg(i + 1));
        return pages;
    };

    // A short book: one A4 page, the calendar near its top.
    const LearningSummary summary = KnownSummary();
    const QList<QImage> pages = writeAndRender(summary, QStringLiteral("record-report"));
    QCOMPARE(pages.size(), 1);
    const QImage& page = pages[0];
    QVERIFY(std::abs(double(page.height()) / page.width() - 297.0 / 210.0) < 0.01);
    // The 90-minute Monday is the one square in the darkest shade, the
    // 45-minute day the one in the next: each a square of about 20/96 inch.
    const double side = 20.0 * dpi / 96.0;
    const Found darkest = TopSquare(page, MinutesShade(90), 10, int(side) + 1);
    const Found next = TopSquare(page, MinutesShade(45), 10, int(side) + 1);
    QVERIFY2(darkest.count > side * side / 2 && darkest.count < side * side * 1.5,
             qPrintable(QString::number(darkest.count)));
    QVERIFY2(next.count > side * side / 2, qPrintable(QString::number(next.count)));
    QVERIFY2(darkest.bounds.bottom() < page.height() / 3,
             qPrintable(QString::number(darkest.bounds.bottom())));
    // Monday sits two rows above today (Wednesday), in the same column.
    QVERIFY(std::abs(darkest.bounds.center().x() - next.bounds.center().x()) <= 1);
    QVERIFY(std::abs((next.bounds.center().y() - darkest.bounds.center().y()) - 2 * side) <= 2);
    // Many empty days in the lightest shade, the lesson bars below them.
    QVERIFY(PixelsNear(page, MinutesShade(0), 8).count > 150 * side * side / 2);
    QVERIFY(PixelsNear(page, PassedShareColour(1.0), 10).bounds.top() > darkest.bounds.bottom());

    // A long book: two pages, the calendar only on the first.
    LearningSummary longBook = summary;
    for (int i = 0; i < 60; ++i)
        longBook.Lessons.push_back(Lesson(QStringLiteral("Unit %1").arg(3 + i / 6),
                                          QStringLiteral("Extra %1").arg(i), 8, 8));
    const QList<QImage> two = writeAndRender(longBook, QStringLiteral("record-report-long"));
    QCOMPARE(two.size(), 2);
    QVERIFY(PixelsNear(two[0], MinutesShade(90), 10).count > side * side / 2);
    QCOMPARE(PixelsNear(two[1], MinutesShade(90), 10).count, 0);
    QVERIFY(PixelsNear(two[1], PassedShareColour(1.0), 10).count > 0); // the table goes on

    // Nothing written where the file cannot be made; the message names it.
    const QString nowhere = QStringLiteral("/nonexistent-folder/报告.pdf");
    const QString error = WriteLearningReport(summary, nowhere);
    QVERIFY2(error.contains(QDir::toNativeSeparators(nowhere)), qPrintable(error));
}

QTEST_MAIN(LearningRecordWindowTest)
#include "LearningRecordWindowTest.moc"
