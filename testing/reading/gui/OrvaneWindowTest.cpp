// The read-aloud view driven by its control names, with a real voice player
// over the manual sound device and a test book made in a temporary folder.
// Timer_Play never fires on its own here: each test ticks it after rendering
// the 50 ms of device frames a tick stands for, so the order is fixed.

#include "base/SettingsKey.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "reading/TextPageLayout.h"
#include "reading/gui/PageImageWidget.h"
#include "reading/gui/TextPageWidget.h"
#include "reading/gui/uOrvane.h"
#include "support/ManualClock.h"
#include "support/ManualVoice.h"
#include "support/ScriptedMessages.h"
#include "support/TestBook.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <memory>

using namespace zarelo;

namespace {

constexpr int kRate = 44100;
constexpr int kTickFrames = kRate / 20; // device frames in one 50 ms tick

struct EntrySpec {
    const char* page;
    int l, t, r, b;
    int l2 = -1, t2 = -1, r2 = -1, b2 = -1;
    const char* chinese = "中文";
    const char* voice = "v1";
};

// Entry i sounds its own tone over [10 i, 10 i + 6] tenths of its voice file,
// silence elsewhere (the test book's sound). The entry whose tone dominates
// the frames, or -1 for silence.
int entryHeard(const std::vector<int16_t>& stereo, int entries, double speed = 1.0)
{
    return fakes::TestBook::RowHeard(stereo, entries, kRate, speed);
}

// A page of `width` x `height` with a black bar across its middle.
fakes::PagePicture pagePicture(int width, int height, uint32_t paper)
{
    fakes::PagePicture picture;
    picture.Width = width;
    picture.Height = height;
    picture.Paper = paper;
    picture.Rects = {{width / 4, height / 4, width * 3 / 4, height / 4 + height / 8, 0x000000}};
    return picture;
}

// A program folder with book Pub/Book written by the test-book builder and
// loaded with LoadBookContent, a voice player over the manual device and the
// view. Voice v1 is at 44100 Hz, voice V2 at 22050 Hz.
struct Rig {
    QTemporaryDir dir;
    ProgramPaths paths;
    OpenBook book;
    fakes::ScriptedMessages messages;
    fakes::ManualClock clock{1000, 1};
    ManualAudioDevice* device = nullptr;
    std::unique_ptr<AudioEngine> engine;
    std::unique_ptr<VoicePlayer> player;
    SharedTestState test;
    int lessonChanges = 0;
    QStringList errors;
    std::unique_ptr<TfrmOrvane> view;
    int entries = 0;

    // Pages 1..pages: 800 x 1000 pictures, except `tallPage` at 1600 x 2263.
    Rig(const std::vector<EntrySpec>& specs, int pages = 3, int tallPage = 3, bool textBook = false)
    {
        paths.ProgramFolder = dir.path();
        paths.TempFolder = dir.path();
        paths.SettingsPath = dir.filePath("settings.ini");
        // Reading holds the voice player, as the mode owner makes it when it
        // shows this view.
        test.ActiveMode = -1;
        fakes::TestBook files;
        files.Header = textBook ? "header;text;" : "header;image;";
        files.Pages.emplace();
        for (int p = 1; p <= pages && !textBook; ++p) {
            files.Pages->push_back(p);
            files.PagePictures[p] = p == tallPage ? pagePicture(1600, 2263, 0xFFFFFF)
                                                  : pagePicture(800, 1000, 0xFAF0C8);
        }
        entries = int(specs.size());
        for (int i = 0; i < entries; ++i) {
            const EntrySpec& s = specs[i];
            fakes::TestEntry e;
            e.Page = QByteArray(s.page).mid(4).toInt();
            e.Boxes = {{s.l, s.t, s.r, s.b}};
            if (s.l2 != -1)
                e.Boxes.push_back({s.l2, s.t2, s.r2, s.b2});
            e.Voice = s.voice;
            e.Chinese = QString::fromUtf8(s.chinese);
            e.English = "Entry " + QByteArray::number(i) + ".~";
            files.Entries.push_back(e);
        }
        // The two voices have different native rates.
        files.Voices = {{"v1", {"v1.wav", kRate}}, {"V2", {"V2.wav", 22050}}};
        files.Lessons = {{"Lesson 1", "Title", 1, 2}, {"Lesson 2", "Title", 3, 3}};
        files.write(dir.path());

        QVERIFY(fakes::OpenManualVoice(paths, book, messages, device, engine, player, kRate));
        QCOMPARE(book.IsTextBook, textBook);
        book.CurrentPage = 1;

        OrvaneContext context{paths,
                              book,
                              *player,
                              test,
                              messages,
                              clock,
                              [this] { ++lessonChanges; },
                              [this](const QString& text) { errors << text; }};
        view = std::make_unique<TfrmOrvane>(context);
        view->resize(1000, 700);
        view->show();
        // Ticks come from the test only (see the top of the file).
        view->Timer_Play->setInterval(24 * 3600 * 1000);
        view->Edit1->setText("1");
    }
    ~Rig()
    {
        view.reset();
        player.reset();
        engine.reset();
    }

    void write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath("Pub/Book/" + name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    template <class T> T* child(const char* name) const
    {
        return view->findChild<T*>(QLatin1String(name));
    }

    QWidget* page() const
    {
        return view->Image1->isHidden() ? static_cast<QWidget*>(view->PaintBox2) : view->Image1;
    }
    void mouse(QEvent::Type type, QPointF at)
    {
        QWidget* target = page();
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, target->mapToGlobal(at), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    void hover(QPointF at) { mouse(QEvent::MouseMove, at); }
    void click(QPointF at)
    {
        mouse(QEvent::MouseButtonPress, at);
        mouse(QEvent::MouseButtonRelease, at);
    }
    bool playing() const { return player->PlayState == "mpPlaying"; }

    // One tick: 50 ms of device frames, then Timer_Play. Returns the entry heard.
    int tick(double speed = 1.0)
    {
        const int heard = entryHeard(device->render(kTickFrames), entries, speed);
        view->Timer_PlayTimer();
        return heard;
    }
    // Ticks until the timer is off (at most `limit` ticks); the entries heard
    // in order, each run of the same entry once.
    QList<int> readToEnd(int limit = 400)
    {
        QList<int> heard;
        for (int i = 0; i < limit && view->Timer_Play->isActive(); ++i) {
            const int e = tick();
            if (e >= 0 && (heard.isEmpty() || heard.last() != e))
                heard << e;
        }
        return heard;
    }
};

// Page 1 (800 x 1000 picture, standard size 800 x 1000):
//   0 single rectangle near the right edge, 30 px high, a long Chinese line
//   1 48 px high (framed)      2 47 px high (underlined)
//   3 two rectangles            4 overlaps 1, later in the table
// Page 2: 5 at the top, 6 far down the page. Page 3 (1600 x 2263): 7, voice v2.
std::vector<EntrySpec> standardBook()
{
    return {
        {"Page1", 600, 100, 790, 130, -1, -1, -1, -1, "这是一行很长很长很长的中文解释文字啊啊"},
        {"Page1", 100, 200, 500, 248},
        {"Page1", 100, 300, 500, 347},
        {"Page1", 300, 400, 790, 430, 20, 440, 300, 470, "两行"},
        {"Page1", 100, 210, 500, 240, -1, -1, -1, -1, "覆盖"},
        {"Page2", 100, 100, 300, 130},
        {"Page2", 100, 700, 300, 760},
        {"Page3", 100, 100, 300, 130, -1, -1, -1, -1, "第三页", "V2"},
    };
}

} // namespace

class OrvaneWindowTest : public QObject {
    Q_OBJECT
private slots:
    void componentsAtStart();
    void hitTestEdgesOverlapAndOtherPages();
    void underline47AndFrame48();
    void chineseLineAtTheRightEdge();
    void spanScrolledIntoView();
    void wholePageModeFillsTheScrollBoxHeight();
    void pagingPastTheLastAndBeforeTheFirstPage();
    void pageNumberBox();
    void clickPlaysExactlyThatEntryWithinOneBuffer();
    void readAllPageInOrderAndStops();
    void readAllLessonTurnsPages();
    void loopAndFromHere();
    void rangeEndingAtRowOneIsNoRange();
    void entryWithoutPlaceIsNotHighlighted();
    void speedBarHalvesAndRaisesTheRate();
    void aTestTakingThePlayerStopsReading();
    void remLastPageOverwritesOnlyExistingValues();
    void textBookPagesAreDrawn();
    void textPageLayoutWrapsAndEndsParagraphs();
};

void OrvaneWindowTest::componentsAtStart()
{
    Rig rig(standardBook());
    for (const char* name : {"Timer_Play",
                             "Label3",
                             "ImageList1",
                             "PnCn",
                             "EdtCn",
                             "ScrollBox1",
                             "pnlPagePic",
                             "Image1",
                             "BvTop",
                             "BvBot",
                             "BvLeft",
                             "BvRight",
                             "PTop",
                             "PLine1",
                             "PLine2",
                             "PLine3",
                             "MediaPlayerTip",
                             "EdtFocus",
                             "pnlBtn",
                             "SbtOrign",
                             "SbtPrivPage",
                             "SbtNextPage",
                             "SpeedBtn_Pause",
                             "SbtFill",
                             "sbtReadAllLesson",
                             "sbtReadAllPage",
                             "ChkFromHere",
                             "ChkDisplayChinese",
                             "ChkRecycle",
                             "Label1",
                             "Label2",
                             "lbSoundLR",
                             "Edit1",
                             "Label4",
                             "TrackBar1",
                             "Label5",
                             "Label6",
                             "Label7",
                             "PaintBox2"})
        QVERIFY2(rig.view->findChild<QObject*>(QLatin1String(name)), name);
    QVERIFY(!rig.child<QPushButton>("SpeedBtn_Pause")->isEnabled());
    QVERIFY(rig.child<QPushButton>("SbtOrign")->isHidden());
    QCOMPARE(rig.child<QSlider>("TrackBar1")->value(), 50);
    QCOMPARE(rig.child<QWidget>("pnlBtn")->height(), 50);
    QCOMPARE(rig.test.TestState, -1);
    // Standard size: 800 px wide, centred with the 12 px scroll bar subtracted.
    QWidget* panel = rig.child<QWidget>("pnlPagePic");
    QCOMPARE(panel->geometry(), QRect((1000 - 12 - 800) / 2, 3, 800, 1000));
    QCOMPARE(rig.view->Image1->naturalSize(), QSize(800, 1000));
    QVERIFY(rig.messages.shown.isEmpty());
    QScrollBar* bar = rig.view->ScrollBox1->verticalScrollBar();
    QTRY_VERIFY(bar->isVisible());
    QCOMPARE(bar->width(), 12);
    QCOMPARE(bar->maximum(), 1003 - rig.view->ScrollBox1->height());
}

void OrvaneWindowTest::hitTestEdgesOverlapAndOtherPages()
{
    Rig rig(standardBook());
    QWidget* bvTop = rig.child<QWidget>("BvTop");
    QWidget* line1 = rig.child<QWidget>("PLine1");
    // On the left edge of entry 1 (x = 100): outside; just inside: framed.
    rig.hover({100, 220});
    QVERIFY(bvTop->isHidden() && line1->isHidden());
    rig.hover({101, 220});
    QVERIFY(!bvTop->isHidden());
    QCOMPARE(bvTop->geometry(), QRect(100, 198, 400, 6));
    QCOMPARE(rig.view->Image1->cursor().shape(), Qt::PointingHandCursor);
    // Entry 4 overlaps entry 1 there; entry 1 comes first in the table.
    rig.hover({300, 230});
    QCOMPARE(bvTop->geometry(), QRect(100, 198, 400, 6));
    // Entry 5 of page 2 sits where nothing of page 1 is: no highlight.
    rig.hover({150, 120});
    QVERIFY(bvTop->isHidden() && line1->isHidden());
    QCOMPARE(rig.view->Image1->cursor().shape(), Qt::ArrowCursor);
    // The second rectangle of entry 3 counts too.
    rig.hover({100, 455});
    QVERIFY(!line1->isHidden());
    QCOMPARE(line1->geometry(), QRect(300, 429, 490, 3));
    QCOMPARE(rig.child<QWidget>("PLine2")->geometry(), QRect(20, 469, 280, 3));
}

void OrvaneWindowTest::underline47AndFrame48()
{
    Rig rig(standardBook());
    rig.hover({200, 320}); // entry 2: 47 px
    QVERIFY(rig.child<QWidget>("BvTop")->isHidden());
    QCOMPARE(rig.child<QWidget>("PLine1")->geometry(), QRect(100, 346, 400, 3));
    rig.hover({200, 205}); // entry 1: 48 px
    QVERIFY(rig.child<QWidget>("PLine1")->isHidden());
    QCOMPARE(rig.child<QWidget>("BvLeft")->geometry(), QRect(98, 200, 6, 48));
    QCOMPARE(rig.child<QWidget>("BvBot")->geometry(), QRect(100, 248, 400, 6));
    QCOMPARE(rig.child<QWidget>("BvRight")->geometry(), QRect(500, 200, 6, 53));
    QVERIFY(rig.child<QWidget>("PTop")->isHidden());
    // ZARELO_SHOT=<file.png> keeps a picture of the framed entry to look at.
    if (qEnvironmentVariableIsSet("ZARELO_SHOT"))
        rig.view->grab().save(qEnvironmentVariable("ZARELO_SHOT"));
    // Moving off every box hides it all again.
    rig.hover({5, 5});
    for (const char* name : {"BvTop", "BvBot", "BvLeft", "BvRight", "PLine1", "PnCn"})
        QVERIFY2(rig.child<QWidget>(name)->isHidden(), name);
}

void OrvaneWindowTest::chineseLineAtTheRightEdge()
{
    Rig rig(standardBook());
    rig.hover({700, 115}); // entry 0 at x 600..790, 19 Chinese characters
    QWidget* pnCn = rig.child<QWidget>("PnCn");
    QVERIFY(!pnCn->isHidden());
    QCOMPARE(rig.child<QLineEdit>("EdtCn")->width(), 19 * 18);
    QCOMPARE(pnCn->width(), 19 * 18 + 4);
    QVERIFY(94 + 600 + pnCn->width() > rig.view->ScrollBox1->width());
    QCOMPARE(pnCn->x(), rig.view->ScrollBox1->width() - pnCn->width() - 8);
    QCOMPARE(pnCn->y(), 3 + 130 + 10); // under the entry, the page at its top
    QCOMPARE(pnCn->height(), 22);
    // Entry 3 starts its Chinese line under its second, further left rectangle.
    rig.hover({400, 415});
    QCOMPARE(pnCn->x(), 94 + 20);
    QCOMPARE(pnCn->width(), 4 * 9 + 4);
    // Without the box ticked no line is shown.
    rig.child<QCheckBox>("ChkDisplayChinese")->setChecked(false);
    rig.hover({200, 205});
    QVERIFY(pnCn->isHidden());
}

void OrvaneWindowTest::spanScrolledIntoView()
{
    Rig rig(standardBook());
    rig.view->Edit1->setText("2");
    QScrollBar* bar = rig.view->ScrollBox1->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    const int boxHeight = rig.view->ScrollBox1->height();
    rig.hover({200, 730}); // entry 6: 700..760, below the visible area
    QCOMPARE(bar->value(), 760 - boxHeight + 25);
    // The Chinese line follows the scrolled page.
    QCOMPARE(rig.child<QWidget>("PnCn")->y(), 3 - bar->value() + 760 + 10);
    bar->setValue(300);
    rig.hover({200, 115}); // entry 5: 100..130, above it
    QCOMPARE(bar->value(), 95);
    // The wheel moves 5 px a step, the keys 10.
    QWheelEvent wheel({10, 10}, rig.view->ScrollBox1->mapToGlobal(QPoint(10, 10)), {}, {0, -240},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(rig.view->ScrollBox1->viewport(), &wheel);
    QCOMPARE(bar->value(), 105);
    rig.view->HandlePageKey(Qt::Key_Down);
    rig.view->HandlePageKey(Qt::Key_Space);
    rig.view->HandlePageKey(Qt::Key_Up);
    QCOMPARE(bar->value(), 115);
    // Dragging: the page follows the hand.
    rig.mouse(QEvent::MouseButtonPress, {5, 500});
    rig.mouse(QEvent::MouseMove, {5, 460});
    QCOMPARE(bar->value(), 155);
    rig.mouse(QEvent::MouseButtonRelease, {5, 460});
    rig.mouse(QEvent::MouseMove, {5, 300});
    QCOMPARE(bar->value(), 155);
}

void OrvaneWindowTest::wholePageModeFillsTheScrollBoxHeight()
{
    Rig rig(standardBook());
    QWidget* panel = rig.child<QWidget>("pnlPagePic");
    QScrollArea* box = rig.view->ScrollBox1;
    QTest::mouseClick(rig.child<QPushButton>("SbtFill"), Qt::LeftButton);
    QVERIFY(rig.child<QPushButton>("SbtFill")->isHidden());
    QVERIFY(!rig.child<QPushButton>("SbtOrign")->isHidden());
    QCOMPARE(panel->height(), box->height());
    QCOMPARE(panel->width(), 520); // 650 / 1.25
    QCOMPARE(panel->x(), (box->width() - 520) / 2);
    QCOMPARE(panel->y(), 3);
    QCOMPARE(rig.view->Image1->geometry(), QRect(QPoint(0, 0), panel->size()));
    QCOMPARE(rig.view->PageScale(), 650.0 / 1000.0);
    // Boxes scale with the page: entry 1 (48 px) is now 31 px high: underlined.
    rig.hover({200 * 0.65, 220 * 0.65});
    QCOMPARE(rig.child<QWidget>("PLine1")->geometry(), QRect(65, 161 - 1, 260, 3));
    QVERIFY(rig.child<QWidget>("BvTop")->isHidden());
    // The 1600 x 2263 page: width nearest(650 / 1.414375) = 460, scale recomputed.
    rig.view->Edit1->setText("3");
    QCOMPARE(panel->size(), QSize(460, 650));
    QCOMPARE(panel->x(), (1000 - 460) / 2);
    QCOMPARE(rig.view->PageScale(), 650 / (800 * (2263.0 / 1600)));
    QImage shot = rig.view->Image1->grab().toImage();
    QCOMPARE(shot.size(), QSize(460, 650));
    QCOMPARE(QColor(shot.pixel(230, 200)).value(), 0); // the black bar, scaled
    // Resizing re-centres without resizing.
    rig.view->resize(900, 700);
    QCOMPARE(panel->x(), (900 - 460) / 2);
    QCOMPARE(panel->size(), QSize(460, 650));
    // Back to standard size: 800 x nearest(1131.5) = 1132, no reload.
    QTest::mouseClick(rig.child<QPushButton>("SbtOrign"), Qt::LeftButton);
    QCOMPARE(panel->geometry(), QRect((900 - 12 - 800) / 2, 3, 800, 1132));
    QCOMPARE(rig.view->PageScale(), 1.0);
}

void OrvaneWindowTest::pagingPastTheLastAndBeforeTheFirstPage()
{
    Rig rig(standardBook());
    QLabel* status = rig.child<QLabel>("Label3");
    QLineEdit* edit = rig.child<QLineEdit>("Edit1");
    QPushButton* next = rig.child<QPushButton>("SbtNextPage");
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(rig.book.CurrentPage, 3);
    QCOMPARE(edit->text(), "3");
    QCOMPARE(rig.book.CurrentLesson, 1);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(rig.book.CurrentPage, 3);
    QCOMPARE(edit->text(), "3");
    QCOMPARE(status->text(), "这是最后一页");
    QCOMPARE(rig.messages.texts(), QStringList{"页面文件不存在！         "});
    QCOMPARE(rig.messages.shown[0].caption, "提示");
    QCOMPARE(rig.messages.shown[0].owner, rig.view.get());
    QCOMPARE(rig.view->Image1->naturalSize(), QSize(1600, 2263)); // page 3 stays

    rig.view->HandlePageKey(Qt::Key_PageUp);
    rig.view->HandlePageKey(Qt::Key_PageUp);
    QCOMPARE(rig.book.CurrentPage, 1);
    QCOMPARE(rig.book.CurrentLesson, 0);
    QVERIFY(rig.lessonChanges > 0);
    // Page Up on page 1 while reading: reading stops, the highlight goes,
    // the page stays.
    rig.click({200, 205});
    QVERIFY(rig.playing());
    QVERIFY(!rig.child<QWidget>("BvTop")->isHidden());
    rig.view->HandlePageKey(Qt::Key_PageUp);
    QVERIFY(!rig.playing());
    QVERIFY(rig.child<QWidget>("BvTop")->isHidden());
    QCOMPARE(status->text(), "这是第一页");
    QCOMPARE(rig.book.CurrentPage, 1);
    QCOMPARE(rig.messages.shown.size(), 1);
}

void OrvaneWindowTest::pageNumberBox()
{
    Rig rig(standardBook());
    QLineEdit* edit = rig.child<QLineEdit>("Edit1");
    edit->setText("2");
    QCOMPARE(rig.book.CurrentPage, 2);
    edit->setText("x2");
    QCOMPARE(rig.book.CurrentPage, 2);
    QCOMPARE(edit->text(), "2");
    edit->setText("9");
    QCOMPARE(rig.book.CurrentPage, 2);
    QCOMPARE(edit->text(), "2");
    QCOMPARE(rig.messages.texts(), QStringList{"页面文件不存在！         "});
    // A damaged page: the error report, the old page back, the old picture kept.
    rig.write("Page1.zip", PackBytes("not a jpeg"));
    edit->setText("1");
    QCOMPARE(rig.errors.size(), 1);
    QCOMPARE(rig.book.CurrentPage, 2);
    QCOMPARE(edit->text(), "2");
    QCOMPARE(rig.view->Image1->naturalSize(), QSize(800, 1000));
    // ShowLesson: the lesson's first page.
    rig.view->ShowLesson("Lesson 2", "Title");
    QCOMPARE(rig.book.CurrentPage, 3);
    QCOMPARE(edit->text(), "3");
    QCOMPARE(rig.book.CurrentLesson, 1);
    rig.view->ShowLesson("Lesson 2", "title"); // exact comparison: no match
    QCOMPARE(rig.book.CurrentPage, 3);
}

void OrvaneWindowTest::clickPlaysExactlyThatEntryWithinOneBuffer()
{
    Rig rig(standardBook());
    rig.device->render(3000); // the stream stands somewhere else before the click
    rig.click({200, 320});    // entry 2
    QVERIFY(rig.playing());
    QCOMPARE(rig.book.CurrentSentence, 2);
    // The very first device buffer after the click already carries the entry.
    const std::vector<int16_t> first = rig.device->render(1024);
    QCOMPARE(entryHeard(first, rig.entries), 2);
    QVERIFY(std::abs(first[2 * 3]) > 0 || std::abs(first[2 * 10]) > 0);
    QCOMPARE(rig.readToEnd(), QList<int>{2});
    QVERIFY(!rig.playing());
    QVERIFY(!rig.view->Timer_Play->isActive());
    // A click beside every box stops playback.
    rig.click({200, 205});
    rig.tick();
    rig.click({5, 5});
    QVERIFY(!rig.playing());
    QCOMPARE(rig.player->PlayRangeEnd, 0.0);
    QCOMPARE(entryHeard(rig.device->render(2048), rig.entries), -1);
}

void OrvaneWindowTest::readAllPageInOrderAndStops()
{
    Rig rig(standardBook());
    rig.child<QCheckBox>("ChkRecycle")->setChecked(true); // no effect on page reading
    QTest::mouseClick(rig.child<QPushButton>("sbtReadAllPage"), Qt::LeftButton);
    QVERIFY(!rig.child<QPushButton>("sbtReadAllPage")->isEnabled());
    QVERIFY(rig.child<QPushButton>("SpeedBtn_Pause")->isEnabled());
    QCOMPARE(rig.view->controller().ReadRangeFirst, 0);
    QCOMPARE(rig.view->controller().ReadRangeLast, 4);
    QCOMPARE(rig.readToEnd(), (QList<int>{0, 1, 2, 3, 4}));
    QVERIFY(!rig.playing());
    QVERIFY(!rig.child<QPushButton>("SpeedBtn_Pause")->isEnabled());
    QVERIFY(rig.child<QPushButton>("sbtReadAllPage")->isEnabled());
    QCOMPARE(rig.book.CurrentPage, 1);

    // "停止朗读" in the middle: silence from the next buffer, timer off at the next tick.
    QTest::mouseClick(rig.child<QPushButton>("sbtReadAllPage"), Qt::LeftButton);
    rig.tick();
    QTest::mouseClick(rig.child<QPushButton>("SpeedBtn_Pause"), Qt::LeftButton);
    QVERIFY(rig.child<QWidget>("BvTop")->isHidden() && rig.child<QWidget>("PLine1")->isHidden());
    QCOMPARE(rig.tick(), -1);
    QVERIFY(!rig.view->Timer_Play->isActive());
}

void OrvaneWindowTest::readAllLessonTurnsPages()
{
    Rig rig(standardBook());
    rig.view->Edit1->setText("2");
    rig.lessonChanges = 0;
    QTest::mouseClick(rig.child<QPushButton>("sbtReadAllLesson"), Qt::LeftButton);
    QCOMPARE(rig.book.CurrentPage, 1); // lesson 1 starts on page 1
    QCOMPARE(rig.view->Edit1->text(), "1");
    QVERIFY(!rig.child<QPushButton>("sbtReadAllLesson")->isEnabled());
    QList<int> pages;
    QList<int> heard;
    for (int i = 0; i < 400 && rig.view->Timer_Play->isActive(); ++i) {
        const int e = rig.tick();
        if (e >= 0 && (heard.isEmpty() || heard.last() != e)) {
            heard << e;
            pages << rig.book.CurrentPage;
        }
    }
    QCOMPARE(heard, (QList<int>{0, 1, 2, 3, 4, 5, 6}));
    QCOMPARE(pages, (QList<int>{1, 1, 1, 1, 1, 2, 2}));
    QCOMPARE(rig.view->Edit1->text(), "2");
    QCOMPARE(rig.view->Image1->naturalSize(), QSize(800, 1000));
    QVERIFY(!rig.playing());
    QVERIFY(rig.lessonChanges > 0);
}

void OrvaneWindowTest::loopAndFromHere()
{
    Rig rig(standardBook());
    QCheckBox* recycle = rig.child<QCheckBox>("ChkRecycle");
    QCheckBox* fromHere = rig.child<QCheckBox>("ChkFromHere");
    recycle->setChecked(true);
    fromHere->setChecked(true);
    QVERIFY(!recycle->isChecked()); // at most one of the two
    recycle->setChecked(true);
    QVERIFY(!fromHere->isChecked());

    // Loop: the clicked entry over and over.
    rig.click({200, 320});
    int repeats = 0;
    int last = -1;
    for (int i = 0; i < 60; ++i) {
        const int e = rig.tick();
        if (e == 2 && last != 2)
            ++repeats;
        QVERIFY(e == 2 || e == -1);
        last = e;
    }
    QVERIFY(repeats >= 3);
    QVERIFY(rig.playing());

    // From here: from entry 4 (last of page 1) on over the page boundary to
    // the end of the table, switching to voice V2 for entry 7.
    fromHere->setChecked(true);
    rig.click({300, 220}); // entry 1 wins the overlap; take entry 3 instead
    rig.click({400, 415});
    QCOMPARE(rig.book.CurrentSentence, 3);
    QCOMPARE(rig.readToEnd(), (QList<int>{3, 4, 5, 6, 7}));
    QCOMPARE(rig.book.CurrentPage, 3);
    QCOMPARE(rig.view->Edit1->text(), "3");
    QCOMPARE(rig.book.CurrentVoiceName, QByteArray("V2"));
    QVERIFY(rig.messages.shown.isEmpty());

    // Loop across a page boundary: clicking an entry of page 3 after page turning.
    recycle->setChecked(true);
    rig.click({150, 115});
    QCOMPARE(rig.book.CurrentSentence, 7);
    for (int i = 0; i < 40; ++i)
        QVERIFY(rig.tick() != 6);
    QVERIFY(rig.playing());
}

void OrvaneWindowTest::rangeEndingAtRowOneIsNoRange()
{
    // Page 1 holds rows 0 and 1 only: at the end of the page the from-here
    // box applies as after a single entry, and reading goes on to page 2.
    Rig rig({{"Page1", 100, 100, 300, 130},
             {"Page1", 100, 200, 300, 230},
             {"Page2", 100, 100, 300, 130},
             {"Page2", 100, 200, 300, 230}});
    rig.child<QCheckBox>("ChkFromHere")->setChecked(true);
    QTest::mouseClick(rig.child<QPushButton>("sbtReadAllPage"), Qt::LeftButton);
    QCOMPARE(rig.view->controller().ReadRangeLast, 1);
    QCOMPARE(rig.readToEnd(), (QList<int>{0, 1, 2, 3}));

    // A single entry range at row 0 without a box ticked just stops.
    Rig single({{"Page1", 100, 100, 300, 130}, {"Page2", 100, 100, 300, 130}});
    QTest::mouseClick(single.child<QPushButton>("sbtReadAllPage"), Qt::LeftButton);
    QCOMPARE(single.view->controller().ReadRangeLast, 0);
    QCOMPARE(single.readToEnd(), QList<int>{0});
}

void OrvaneWindowTest::entryWithoutPlaceIsNotHighlighted()
{
    // Row 1 has Box1Left 0: read in turn it is not highlighted and sounds
    // only until the next tick, going on where the stream stood.
    Rig rig({{"Page1", 100, 100, 300, 130},
             {"Page1", 0, 200, 300, 230},
             {"Page1", 100, 300, 300, 330},
             {"Page2", 100, 100, 300, 130}});
    QTest::mouseClick(rig.child<QPushButton>("sbtReadAllPage"), Qt::LeftButton);
    for (int i = 0; i < 100 && rig.book.CurrentSentence == 0; ++i)
        rig.tick();
    QCOMPARE(rig.book.CurrentSentence, 1);
    QCOMPARE(rig.player->PlayRangeEnd, 0.0);
    QVERIFY(rig.playing());
    // Still the highlight of row 0.
    QCOMPARE(rig.child<QWidget>("PLine1")->geometry(), QRect(100, 129, 200, 3));
    rig.tick();
    QCOMPARE(rig.book.CurrentSentence, 2);
    QCOMPARE(rig.child<QWidget>("PLine1")->geometry(), QRect(100, 329, 200, 3));
}

void OrvaneWindowTest::speedBarHalvesAndRaisesTheRate()
{
    Rig rig(standardBook());
    float rate = 0;
    QSlider* bar = rig.child<QSlider>("TrackBar1");
    bar->setValue(25);
    rig.engine->BASS_ChannelGetAttribute(rig.player->VoiceStream, BASS_ATTRIB_FREQ, &rate);
    QCOMPARE(rate, 22050.0f);
    // At half speed the tone of entry 2 comes out an octave lower.
    rig.click({200, 320});
    rig.device->render(1024);
    QCOMPARE(entryHeard(rig.device->render(4096), rig.entries, 0.5), 2);
    bar->setValue(75);
    rig.engine->BASS_ChannelGetAttribute(rig.player->VoiceStream, BASS_ATTRIB_FREQ, &rate);
    QCOMPARE(rate, 66150.0f);
    QCOMPARE(entryHeard(rig.device->render(4096), rig.entries, 1.5), 2);
    // A newly loaded voice plays at its own native rate until the next tick
    // applies the speed to that rate.
    rig.view->Edit1->setText("3");
    rig.click({150, 115}); // entry 7, voice V2 at 22050 Hz
    QVERIFY(rig.player->SpeedPending);
    rig.engine->BASS_ChannelGetAttribute(rig.player->VoiceStream, BASS_ATTRIB_FREQ, &rate);
    QCOMPARE(rate, 22050.0f);
    rig.tick();
    rig.engine->BASS_ChannelGetAttribute(rig.player->VoiceStream, BASS_ATTRIB_FREQ, &rate);
    QCOMPARE(rate, 33075.0f);
    QVERIFY(!rig.player->SpeedPending);
    QCOMPARE(entryHeard(rig.device->render(4096), rig.entries, 1.5), 7);
}

void OrvaneWindowTest::aTestTakingThePlayerStopsReading()
{
    Rig rig(standardBook());
    QTest::mouseClick(rig.child<QPushButton>("sbtReadAllPage"), Qt::LeftButton);
    rig.tick();
    rig.test.ActiveMode = 2;
    rig.tick();
    QVERIFY(!rig.view->Timer_Play->isActive());
    QVERIFY(!rig.playing());
    QCOMPARE(entryHeard(rig.device->render(2048), rig.entries), -1);
    // StopReading goes straight to idle.
    rig.test.ActiveMode = -1;
    rig.click({200, 320});
    rig.view->StopReading();
    QVERIFY(!rig.view->Timer_Play->isActive());
    QVERIFY(!rig.playing());
}

void OrvaneWindowTest::remLastPageOverwritesOnlyExistingValues()
{
    Rig rig(standardBook());
    rig.view->Edit1->setText("2");
    rig.view->RemLastPage();
    {
        SettingsKey key(rig.paths.SettingsPath);
        QVERIFY(!key.valueExists("LastPage"));
        QVERIFY(!key.valueExists("LastVoiceName"));
        key.writeString("LastPage", "1");
        key.writeString("LastVoiceName", "old");
    }
    rig.view->Edit1->setText("3");
    rig.view->RemLastPage();
    SettingsKey key(rig.paths.SettingsPath);
    QCOMPARE(key.readString("LastPage"), "3");
    QCOMPARE(key.readString("LastVoiceName"), "v1");
}

void OrvaneWindowTest::textBookPagesAreDrawn()
{
    Rig rig({{"Page1", 40, 40, 200, 60}, {"Page1", 40, 68, 200, 88}, {"Page2", 40, 40, 200, 60}}, 0,
            0, true);
    QVERIFY(rig.view->Image1->isHidden());
    QVERIFY(!rig.view->PaintBox2->isHidden());
    QCOMPARE(rig.child<QWidget>("pnlPagePic")->size(), QSize(800, 1200));
    const QImage& bitmap = rig.view->PaintBox2->TextPageBitmap;
    QCOMPARE(bitmap.size(), QSize(800, 1200));
    // Text in the first line and the heading, background elsewhere.
    int dark = 0;
    for (int x = 40; x < 200; ++x)
        for (int y = 40; y < 64; ++y)
            dark += QColor(bitmap.pixel(x, y)).value() < 128;
    QVERIFY(dark > 20);
    QCOMPARE(bitmap.pixel(700, 1100), QColor(0xD5, 0xE7, 0xEA).rgb());
    // Hovering uses the table's boxes at 1:1.
    rig.hover({100, 50});
    QCOMPARE(rig.child<QWidget>("PLine1")->geometry(), QRect(40, 59, 160, 3));
    // Page 2 is the last page of text; paging on stops there without a box.
    QTest::mouseClick(rig.child<QPushButton>("SbtNextPage"), Qt::LeftButton);
    QCOMPARE(rig.book.CurrentPage, 2);
    QTest::mouseClick(rig.child<QPushButton>("SbtNextPage"), Qt::LeftButton);
    QCOMPARE(rig.book.CurrentPage, 2);
    QCOMPARE(rig.child<QLabel>("Label3")->text(), "这是最后一页");
    QVERIFY(rig.messages.shown.isEmpty());
    // The page keys act only on a picture page; the size buttons do nothing.
    rig.view->HandlePageKey(Qt::Key_PageUp);
    QCOMPARE(rig.book.CurrentPage, 2);
    rig.view->SbtFillClick();
    QCOMPARE(rig.view->PageScale(), 1.0);
}

void OrvaneWindowTest::textPageLayoutWrapsAndEndsParagraphs()
{
    SentenceTable t;
    const auto add = [&](const char* page, const char* english) {
        t.PageName.append(page);
        t.EnglishText.append(english);
    };
    QByteArray longText;
    for (int i = 0; i < 40; ++i)
        longText += "word" + QByteArray::number(i) + ' ';
    longText += "end.~";
    add("Page1", longText);
    add("Page2", "elsewhere");
    add("Page1", "Next paragraph");
    const QFontMetrics metrics(TextPageFont());
    const std::vector<TextPageWord> words =
        LayoutTextPage(TextPageEntries(t, "Page1"), TextPageMeasure(metrics));
    QCOMPARE(int(words.size()), 41 + 2);
    QCOMPARE(words[0].rect.topLeft(), QPoint(40, 40));
    QCOMPARE(words[0].rect.height(), metrics.height());
    int lines = 1;
    for (size_t i = 1; i < words.size(); ++i) {
        const TextPageWord& previous = words[i - 1];
        const TextPageWord& w = words[i];
        if (w.rect.y() == previous.rect.y()) {
            QCOMPARE(w.rect.x(), previous.rect.x() + metrics.horizontalAdvance(previous.text));
            continue;
        }
        ++lines;
        QCOMPARE(w.rect.y(), previous.rect.y() + 28);
        if (w.row == previous.row) { // wrapped: the word would have passed 760 from past 650
            const int wouldStart = previous.rect.x() + metrics.horizontalAdvance(previous.text);
            QVERIFY(wouldStart > 650);
            QVERIFY(wouldStart + metrics.horizontalAdvance(w.text) > 760);
            QCOMPARE(w.rect.x(), 20);
        } else { // a new paragraph
            QCOMPARE(w.rect.x(), 40);
            QCOMPARE(w.row, 2);
        }
    }
    QVERIFY(lines >= 3);
    QCOMPARE(words[40].text, "end."); // "~" and its blank dropped
    QCOMPARE(words[41].text, "Next ");
}

QTEST_MAIN(OrvaneWindowTest)
#include "OrvaneWindowTest.moc"
