#include "reading/gui/uOrvane.h"

#include "audio/VoicePlayer.h"
#include "base/BookError.h"
#include "base/SettingsKey.h"
#include "base/UserMessages.h"
#include "base/gui/Controls.h"
#include "book/Gbk.h"
#include "book/PageImage.h"
#include "reading/TextPageLayout.h"
#include "reading/gui/PageImageWidget.h"
#include "reading/gui/TextPageWidget.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>

#include <cmath>
#include <cstdlib>

namespace zarelo {

namespace {

const QColor kPageColour(0xD5, 0xE7, 0xEA);
const QColor kScrollBoxColour(0x60, 0x93, 0x9F);
constexpr int kButtonBarHeight = 50;
constexpr int kChineseLineHeight = 22;

// The scroll box's vertical bar is 12 px wide whatever the style says; the
// layout rules subtract exactly that width.
class NarrowScrollBar final : public QScrollBar {
public:
    explicit NarrowScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {}
    QSize sizeHint() const override { return {ScrollBarWidth, QScrollBar::sizeHint().height()}; }
};

QFrame* redLine(QWidget* parent, const char* name)
{
    auto* line = named(new QFrame(parent), name);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, Qt::red);
    line->setPalette(palette);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->resize(10, UnderlineHeight);
    line->hide();
    return line;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x)
{
    auto* b = named(new QPushButton(caption, parent), name);
    b->setGeometry(x, 12, 75, 25);
    b->setFocusPolicy(Qt::NoFocus); // command buttons never take the keyboard from the page
    return b;
}

void place(QWidget* widget, const StripPlace& p)
{
    if (p.visible) {
        widget->setGeometry(p.x, p.y, p.width, p.height);
        widget->show();
        widget->raise();
    } else {
        widget->hide();
    }
}

} // namespace

TfrmOrvane::TfrmOrvane(const OrvaneContext& context, QWidget* parent)
    : QWidget(parent), ctx_(context),
      pages_(context.Paths, context.Book, context.Messages, *this, this),
      controller_(context.Book, context.TestState, context.Ticks, *this, pages_, context.Player)
{
    setObjectName(QStringLiteral("frmOrvane"));
    buildComponents();

    // FormCreate
    ctx_.TestState.TestState = -1;
    Image1->move(0, 0);
    placePanel({pnlPagePic->x(), 3, 800, ctx_.Book.IsTextBook ? 1200 : pnlPagePic->height()});
    // Without a book or before a page is chosen there is nothing to show yet.
    // A missing page is not reported here: the main window writes the page
    // number into Edit1 next, and that reports it once.
    if (!ctx_.Book.CurrentBook.isEmpty() && ctx_.Book.CurrentPage >= 1)
        guarded([&] { pages_.ShowPageQuietly(); });
    // A voice loaded before the view existed keeps its rate and its pending speed.
    if (ctx_.Player.VoiceStream == 0) {
        ctx_.Player.SpeedPending = false;
        ctx_.Player.VoiceBaseFreq = 44100.0f;
    }
}

TfrmOrvane::~TfrmOrvane()
{
    StopReading();
}

void TfrmOrvane::buildComponents()
{
    setAutoFillBackground(true);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, windowPalette.color(QPalette::ToolTipBase));
    setPalette(windowPalette);
    resize(1000, 700);

    Timer_Play = named(new QTimer(this), "Timer_Play");
    Timer_Play->setInterval(50);
    connect(Timer_Play, &QTimer::timeout, this, &TfrmOrvane::Timer_PlayTimer);

    ImageList1 = named(new QObject(this), "ImageList1");
    MediaPlayerTip = named(new QObject(this), "MediaPlayerTip");

    ScrollBox1 = named(new QScrollArea(this), "ScrollBox1");
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setVerticalScrollBar(new NarrowScrollBar(ScrollBox1));
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAutoFillBackground(true);
    QPalette boxPalette = ScrollBox1->palette();
    boxPalette.setColor(QPalette::Window, kScrollBoxColour);
    ScrollBox1->setPalette(boxPalette);
    ScrollBox1->viewport()->setPalette(boxPalette);
    ScrollBox1->viewport()->setAutoFillBackground(true);
    scrollContent_ = new QWidget;
    scrollContent_->setObjectName(QStringLiteral("ScrollBox1Content"));
    scrollContent_->setPalette(boxPalette);
    scrollContent_->setAutoFillBackground(true);
    ScrollBox1->setWidget(scrollContent_);
    ScrollBox1->installEventFilter(this);
    ScrollBox1->viewport()->installEventFilter(this);

    pnlPagePic = named(new QFrame(scrollContent_), "pnlPagePic");
    pnlPagePic->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlPagePic->setAutoFillBackground(true);
    QPalette pagePalette = pnlPagePic->palette();
    pagePalette.setColor(QPalette::Window, kPageColour);
    pnlPagePic->setPalette(pagePalette);
    pnlPagePic->setGeometry(0, 3, 800, 1131);

    Image1 = named(new PageImageWidget(pnlPagePic), "Image1");
    Image1->setGeometry(0, 0, 800, 1131);
    Image1->installEventFilter(this);
    PaintBox2 = named(new TextPageWidget(pnlPagePic), "PaintBox2");
    PaintBox2->setGeometry(0, 0, 800, 1200);
    PaintBox2->installEventFilter(this);
    PaintBox2->hide();

    BvTop = named(new FrameStrip(Qt::Horizontal, pnlPagePic), "BvTop");
    BvBot = named(new FrameStrip(Qt::Horizontal, pnlPagePic), "BvBot");
    BvLeft = named(new FrameStrip(Qt::Vertical, pnlPagePic), "BvLeft");
    BvRight = named(new FrameStrip(Qt::Vertical, pnlPagePic), "BvRight");
    for (FrameStrip* strip : {BvTop, BvBot, BvLeft, BvRight}) {
        strip->resize(FrameStripThickness, FrameStripThickness);
        strip->hide();
    }
    BvTop->resize(100, FrameStripThickness);
    BvBot->resize(100, FrameStripThickness);
    PTop = redLine(pnlPagePic, "PTop");
    PLine1 = redLine(pnlPagePic, "PLine1");
    PLine2 = redLine(pnlPagePic, "PLine2");
    PLine3 = redLine(pnlPagePic, "PLine3");

    EdtFocus = named(new QLineEdit(scrollContent_), "EdtFocus");
    EdtFocus->setFrame(false);
    EdtFocus->setReadOnly(true);
    EdtFocus->setGeometry(0, 5, 1, 1);
    EdtFocus->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
    EdtFocus->installEventFilter(this);

    PnCn = named(new QFrame(this), "PnCn");
    PnCn->setFrameShape(QFrame::NoFrame);
    PnCn->setAutoFillBackground(true);
    PnCn->resize(100, kChineseLineHeight);
    EdtCn = named(new QLineEdit(PnCn), "EdtCn");
    EdtCn->setFrame(false);
    EdtCn->setReadOnly(true);
    QFont chineseFont = EdtCn->font();
    chineseFont.setPixelSize(16);
    EdtCn->setFont(chineseFont);
    EdtCn->setGeometry(2, 2, 96, kChineseLineHeight - 4);
    PnCn->hide();

    pnlBtn = named(new QFrame(this), "pnlBtn");
    pnlBtn->setFrameStyle(QFrame::Panel | QFrame::Raised);
    sbtReadAllPage = button(pnlBtn, "sbtReadAllPage", QStringLiteral("整页朗读"), 8);
    sbtReadAllLesson = button(pnlBtn, "sbtReadAllLesson", QStringLiteral("整文朗读"), 88);
    SpeedBtn_Pause = button(pnlBtn, "SpeedBtn_Pause", QStringLiteral("停止朗读"), 168);
    SpeedBtn_Pause->setEnabled(false);
    SbtFill = button(pnlBtn, "SbtFill", QStringLiteral("整页显示"), 248);
    SbtOrign = button(pnlBtn, "SbtOrign", QStringLiteral("原始大小"), 248);
    SbtOrign->hide();
    SbtPrivPage = button(pnlBtn, "SbtPrivPage", QStringLiteral("上一页"), 328);
    SbtNextPage = button(pnlBtn, "SbtNextPage", QStringLiteral("下一页"), 408);
    ChkFromHere = named(new QCheckBox(QStringLiteral("顺序朗读"), pnlBtn), "ChkFromHere");
    ChkFromHere->setGeometry(492, 14, 80, 22);
    ChkRecycle = named(new QCheckBox(QStringLiteral("循环朗读"), pnlBtn), "ChkRecycle");
    ChkRecycle->setGeometry(572, 14, 80, 22);
    ChkDisplayChinese =
        named(new QCheckBox(QStringLiteral("显示中文"), pnlBtn), "ChkDisplayChinese");
    ChkDisplayChinese->setGeometry(652, 14, 80, 22);
    ChkDisplayChinese->setChecked(true);
    Label4 = named(new QLabel(QStringLiteral("语速"), pnlBtn), "Label4");
    Label4->setGeometry(740, 1, 120, 14);
    Label4->setAlignment(Qt::AlignHCenter);
    TrackBar1 = named(new QSlider(Qt::Horizontal, pnlBtn), "TrackBar1");
    TrackBar1->setGeometry(740, 15, 120, 20);
    TrackBar1->setRange(25, 75);
    TrackBar1->setValue(50);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(25);
    Label5 = named(new QLabel(QStringLiteral("-"), pnlBtn), "Label5");
    Label5->setGeometry(742, 34, 12, 14);
    Label6 = named(new QLabel(QStringLiteral("0"), pnlBtn), "Label6");
    Label6->setGeometry(796, 34, 12, 14);
    Label7 = named(new QLabel(QStringLiteral("+"), pnlBtn), "Label7");
    Label7->setGeometry(850, 34, 12, 14);
    Label1 = named(new QLabel(QStringLiteral("第"), pnlBtn), "Label1");
    Label1->setGeometry(874, 16, 16, 18);
    Edit1 = named(new QLineEdit(pnlBtn), "Edit1");
    Edit1->setGeometry(892, 13, 44, 24);
    Label2 = named(new QLabel(QStringLiteral("页"), pnlBtn), "Label2");
    Label2->setGeometry(940, 16, 16, 18);
    Label3 = named(new QLabel(pnlBtn), "Label3");
    Label3->setGeometry(964, 16, 140, 18);
    lbSoundLR = named(new QLabel(pnlBtn), "lbSoundLR");
    lbSoundLR->hide();

    connect(sbtReadAllPage, &QPushButton::clicked, this, &TfrmOrvane::sbtReadAllPageClick);
    connect(sbtReadAllLesson, &QPushButton::clicked, this, &TfrmOrvane::sbtReadAllLessonClick);
    connect(SpeedBtn_Pause, &QPushButton::clicked, this, &TfrmOrvane::SpeedBtn_PauseClick);
    connect(SbtFill, &QPushButton::clicked, this, &TfrmOrvane::SbtFillClick);
    connect(SbtOrign, &QPushButton::clicked, this, &TfrmOrvane::SbtOrignClick);
    connect(SbtPrivPage, &QPushButton::clicked, this, &TfrmOrvane::SbtPrivPageClick);
    connect(SbtNextPage, &QPushButton::clicked, this, &TfrmOrvane::SbtNextPageClick);
    connect(ChkFromHere, &QCheckBox::toggled, this, &TfrmOrvane::ChkFromHereClick);
    connect(ChkRecycle, &QCheckBox::toggled, this, &TfrmOrvane::ChkRecycleClick);
    connect(TrackBar1, &QSlider::valueChanged, this, &TfrmOrvane::TrackBar2Change);
    connect(Edit1, &QLineEdit::textChanged, this, &TfrmOrvane::Edit1Change);

    resizeEvent(nullptr);
}

void TfrmOrvane::resizeEvent(QResizeEvent*)
{
    const int barTop = qMax(0, height() - kButtonBarHeight);
    ScrollBox1->setGeometry(0, 0, width(), barTop);
    pnlBtn->setGeometry(0, barTop, width(), kButtonBarHeight);
}

// ---- errors

void TfrmOrvane::report(const QString& text)
{
    if (ctx_.ReportError)
        ctx_.ReportError(text);
    else
        ctx_.Messages.showMessage(text, QStringLiteral("提示"), this);
}

template <class F> void TfrmOrvane::guarded(F&& handler)
{
    try {
        handler();
    } catch (const BookError& error) {
        report(error.message());
    } catch (const std::exception& error) {
        report(QString::fromLocal8Bit(error.what()));
    }
}

// ---- scrolling

int TfrmOrvane::ScrollPosition() const
{
    return ScrollBox1->verticalScrollBar()->value();
}

void TfrmOrvane::SetScrollPosition(int position)
{
    ScrollBox1->verticalScrollBar()->setValue(position); // the bar clamps to its range
}

void TfrmOrvane::ScrollBy(int pixels)
{
    SetScrollPosition(ScrollPosition() + pixels);
}

void TfrmOrvane::updateContentSize()
{
    const int height = pnlPagePic->y() + pnlPagePic->height();
    scrollContent_->resize(qMax(1, ScrollBox1->viewport()->width()), qMax(1, height));
}

void TfrmOrvane::placePanel(const PanelLayout& layout)
{
    pnlPagePic->setGeometry(layout.left, layout.top, layout.width, layout.height);
    updateContentSize();
}

void TfrmOrvane::ScrollBox1Resize()
{
    const int boxWidth = ScrollBox1->width();
    if (wholePage_ && !ctx_.Book.IsTextBook) {
        pnlPagePic->move(divTrunc(boxWidth - pnlPagePic->width(), 2), pnlPagePic->y());
    } else {
        pnlPagePic->move(divTrunc(boxWidth - ScrollBarWidth - pnlPagePic->width(), 2), 3);
    }
    updateContentSize();
}

// ---- showing a page

double TfrmOrvane::boxScale() const
{
    // Text pages are always drawn at 1:1; their boxes come from the same layout.
    return ctx_.Book.IsTextBook ? 1.0 : PageScale_;
}

void TfrmOrvane::LoadPicFromZipFile(const QString& path)
{
    // Decoded no larger than the bigger of the two size modes shows it, so
    // switching modes never needs the file again.
    const int boxHeight = ScrollBox1->height();
    DecodedImage page = zarelo::LoadPicFromZipFile(path, [boxHeight](int width, int height) {
        const double r = double(height) / width;
        return std::pair(qMax(800, int(std::ceil(boxHeight / r))),
                         qMax(int(std::ceil(800 * r)), boxHeight));
    });
    const QSize natural(page.NaturalWidth, page.NaturalHeight);
    Image1->setPicture(std::move(page), natural);
}

bool TfrmOrvane::ShowPage()
{
    return pages_.ShowPage();
}

void TfrmOrvane::RefreshPage()
{
    pages_.RefreshPage();
}

void TfrmOrvane::ShowTextPage()
{
    placePanel({divTrunc(ScrollBox1->width() - ScrollBarWidth - 800, 2), 3, 800, 1200});
    drawTextPage();
    SetScrollPosition(0);
}

void TfrmOrvane::ShowPicture(const QString& path)
{
    LoadPicFromZipFile(path); // a damaged file throws here; the shown page stays
    PaintBox2->hide();
    Image1->show();
    const QSize natural = Image1->naturalSize();

    if (!wholePage_) {
        SetScrollPosition(0);
        const PanelLayout layout =
            StandardLayout(ScrollBox1->width(), natural.width(), natural.height());
        Image1->setGeometry(0, 0, layout.width, layout.height);
        placePanel(layout);
    } else {
        const WholePageLayout whole = WholeLayout(ScrollBox1->width(), ScrollBox1->height(),
                                                  natural.width(), natural.height());
        PageScale_ = whole.scale;
        placePanel(whole.panel);
        Image1->setGeometry(0, 0, whole.panel.width, whole.panel.height);
    }
    SetScrollPosition(0);
}

void TfrmOrvane::drawTextPage()
{
    const OpenBook& book = ctx_.Book;
    PaintBox2->setGeometry(0, 0, pnlPagePic->width(), pnlPagePic->height());
    Image1->hide();
    PaintBox2->show();

    QImage& bitmap = PaintBox2->TextPageBitmap;
    if (bitmap.size() != pnlPagePic->size())
        bitmap = QImage(pnlPagePic->size(), QImage::Format_RGB32);
    bitmap.fill(kPageColour);
    QPainter painter(&bitmap);
    const QFont font = TextPageFont();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    // Each word's rectangle is exactly as wide as its text, so nothing is cut;
    // eliding against the rounded width would cut most words, so it is drawn
    // whole from the rectangle's corner.
    const TextMeasure measure = TextPageMeasure(metrics);
    const std::vector<TextPageEntry> entries =
        TextPageEntries(book.Content.Sentences, PageNameOf(book.CurrentPage));
    for (const TextPageWord& word : LayoutTextPage(entries, measure))
        painter.drawText(word.rect.topLeft() + QPoint(0, metrics.ascent()), word.text);

    ctx_.Book.LessonOfPage();
    const LessonTable& lessons = book.Content.Lessons;
    const int lesson = book.CurrentLesson;
    if (lessons.count() > 0 && lesson >= 0 && lesson < lessons.count()) {
        const TextPageHeading heading = LayoutTextPageHeading(
            fromGbk(lessons.Name[lesson]), fromGbk(lessons.Title[lesson]), measure);
        painter.drawText(heading.rect, flags, heading.text);
    }
    painter.end();
    PaintBox2->update();
}

// ---- size modes

void TfrmOrvane::SbtFillClick()
{
    if (ctx_.Book.IsTextBook)
        return;
    SbtFill->hide();
    SbtOrign->show();
    wholePage_ = true;
    const int boxHeight = ScrollBox1->height();
    PageScale_ = static_cast<double>(boxHeight) / qMax(1, pnlPagePic->height());
    const QSize natural = Image1->naturalSize();
    PanelLayout provisional;
    provisional.height = boxHeight - 10;
    provisional.width =
        natural.isEmpty()
            ? pnlPagePic->width()
            : nearest(provisional.height * double(natural.width()) / natural.height());
    provisional.left = divTrunc(ScrollBox1->width() - ScrollBarWidth - provisional.width, 2);
    placePanel(provisional);
    Image1->setGeometry(0, 0, provisional.width, provisional.height);
    SetScrollPosition(0);
    guarded([&] { ShowPage(); });
}

void TfrmOrvane::SbtOrignClick()
{
    if (ctx_.Book.IsTextBook)
        return;
    SbtFill->show();
    SbtOrign->hide();
    wholePage_ = false;
    PageScale_ = 1.0;
    const QSize natural = Image1->naturalSize();
    if (natural.isEmpty())
        return;
    const PanelLayout layout =
        StandardLayout(ScrollBox1->width(), natural.width(), natural.height());
    Image1->setGeometry(0, 0, layout.width, layout.height);
    placePanel(layout);
}

// ---- the highlight

void TfrmOrvane::DisplayEntry(int row)
{
    const SentenceTable& table = ctx_.Book.Content.Sentences;
    DisplaySelectedBox(ScaledBoxes(table, row, boxScale()), fromGbk(table.ChineseText[row]));
}

void TfrmOrvane::DisplaySelectedBox(const EntryBoxes& boxes, const QString& chinese)
{
    const HighlightLayout h = LayoutHighlight(boxes);
    PTop->hide();
    place(BvTop, h.top);
    place(BvLeft, h.left);
    place(BvBot, h.bottom);
    place(BvRight, h.right);
    place(PLine1, h.line1);
    place(PLine2, h.line2);
    place(PLine3, h.line3);

    SetScrollPosition(
        ScrollForSpan(h.spanTop, h.spanBottom, ScrollPosition(), ScrollBox1->height()));

    if (ChkDisplayChinese->isChecked() && !chinese.isEmpty()) {
        const QPoint panelInWindow = pnlPagePic->mapTo(this, QPoint(0, 0));
        const ChineseLinePlace line =
            PlaceChineseLine(boxes, h.spanBottom, panelInWindow.x(), panelInWindow.y(),
                             ScrollBox1->width(), gbkLength(chinese));
        EdtCn->setText(chinese);
        EdtCn->setGeometry(2, 2, line.editWidth, kChineseLineHeight - 4);
        PnCn->setGeometry(line.left, line.top, line.panelWidth, kChineseLineHeight);
        PnCn->show();
        PnCn->raise();
    } else {
        PnCn->hide();
    }
}

void TfrmOrvane::UnVisibleBox()
{
    for (QWidget* w : std::initializer_list<QWidget*>{PnCn, BvTop, BvBot, BvLeft, BvRight, PLine1,
                                                      PLine2, PLine3})
        w->hide();
}

// ---- mouse and keys

bool TfrmOrvane::eventFilter(QObject* watched, QEvent* event)
{
    const bool page = watched == Image1 || watched == PaintBox2;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (page) {
            Image1MouseDown(static_cast<QMouseEvent*>(event));
            return true;
        }
        break;
    case QEvent::MouseMove:
        if (page) {
            Image1MouseMove(static_cast<QMouseEvent*>(event));
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (page) {
            Image1MouseUp(static_cast<QMouseEvent*>(event));
            return true;
        }
        break;
    case QEvent::Wheel:
        if (watched == ScrollBox1->viewport() || watched == ScrollBox1) {
            // One wheel step (120 eighths of a degree) moves the page 5 px.
            wheelRemainder_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
            const int steps = wheelRemainder_ / 120;
            wheelRemainder_ -= steps * 120;
            ScrollBy(-5 * steps);
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (watched == EdtFocus || watched == ScrollBox1) {
            // The page keys are this view's, not the scroll box's own.
            const int key = static_cast<QKeyEvent*>(event)->key();
            // When the host forwards keys it has passed this one on already.
            if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Space ||
                key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
                if (!ctx_.HostForwardsKeys)
                    HandlePageKey(key);
                return true;
            }
        }
        break;
    case QEvent::Resize:
        if (watched == ScrollBox1)
            ScrollBox1Resize();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmOrvane::keyPressEvent(QKeyEvent* event)
{
    if (!ctx_.HostForwardsKeys)
        HandlePageKey(event->key()); // FormKeyDown
    QWidget::keyPressEvent(event);
}

void TfrmOrvane::Image1MouseDown(QMouseEvent* event)
{
    DragScrolling = true;
    DragStartY = qRound(event->globalPosition().y());
    const OpenBook& book = ctx_.Book;
    const QPointF at = event->position();
    const int row =
        HitTest(book.Content.Sentences, PageNameOf(book.CurrentPage), boxScale(), at.x(), at.y());
    guarded([&] { controller_.PagePressed(row); });
}

void TfrmOrvane::Image1MouseMove(QMouseEvent* event)
{
    auto* pageWidget =
        static_cast<QWidget*>(Image1->isHidden() ? static_cast<QWidget*>(PaintBox2) : Image1);
    EdtFocus->move(EdtFocus->x(), ScrollPosition() + 5);
    EdtFocus->setFocus();
    if (DragScrolling) {
        const int y = qRound(event->globalPosition().y());
        if (std::abs(y - DragStartY) > 1) {
            SetScrollPosition(DragStartY - y + ScrollPosition());
            DragStartY = y;
            pageWidget->setCursor(Qt::PointingHandCursor);
            return;
        }
    }
    const OpenBook& book = ctx_.Book;
    const QPointF at = event->position();
    const int row =
        HitTest(book.Content.Sentences, PageNameOf(book.CurrentPage), boxScale(), at.x(), at.y());
    const bool stopped = !ctx_.Player.IsPlaying();
    if (row >= 0) {
        pageWidget->setCursor(Qt::PointingHandCursor);
        if (stopped)
            DisplayEntry(row);
    } else {
        pageWidget->setCursor(Qt::ArrowCursor);
        if (stopped)
            UnVisibleBox();
    }
}

void TfrmOrvane::Image1MouseUp(QMouseEvent*)
{
    Image1->setCursor(Qt::ArrowCursor);
    PaintBox2->setCursor(Qt::ArrowCursor);
    DragScrolling = false;
}

void TfrmOrvane::HandlePageKey(int key)
{
    if (Image1->isHidden())
        return;
    switch (key) {
    case Qt::Key_Up:
        ScrollBy(-10);
        break;
    case Qt::Key_Down:
    case Qt::Key_Space:
        ScrollBy(10);
        break;
    case Qt::Key_PageUp:
        SbtPrivPageClick();
        break;
    case Qt::Key_PageDown:
        SbtNextPageClick();
        break;
    default:
        break;
    }
}

// ---- page navigation and the page number box

QString TfrmOrvane::PageNumberText() const
{
    return Edit1->text();
}

void TfrmOrvane::SetPageNumberText(const QString& text)
{
    const QSignalBlocker block(Edit1);
    Edit1->setText(text);
}

void TfrmOrvane::SetStatusText(const QString& text)
{
    Label3->setText(text);
}

void TfrmOrvane::StopForPageTurn()
{
    UnVisibleBox();
    SpeedBtn_PauseClick();
}

void TfrmOrvane::CurrentLessonChanged()
{
    if (ctx_.CurrentLessonChanged)
        ctx_.CurrentLessonChanged();
}

void TfrmOrvane::SbtNextPageClick()
{
    guarded([&] { pages_.NextPage(); });
}

void TfrmOrvane::SbtPrivPageClick()
{
    guarded([&] { pages_.PreviousPage(); });
}

void TfrmOrvane::Edit1Change()
{
    guarded([&] { pages_.PageNumberChanged(Edit1->text()); });
}

void TfrmOrvane::ShowLesson(const QByteArray& name, const QByteArray& title)
{
    guarded([&] { pages_.ShowLesson(name, title); });
}

// ---- reading

void TfrmOrvane::SetCurrentSentIndex(int row)
{
    controller_.SetCurrentSentIndex(row);
}

void TfrmOrvane::Timer_PlayTimer()
{
    guarded([&] { controller_.Timer_PlayTimer(); });
}

void TfrmOrvane::sbtReadAllPageClick()
{
    guarded([&] { controller_.ReadAllPage(); });
}

void TfrmOrvane::sbtReadAllLessonClick()
{
    guarded([&] { controller_.ReadAllLesson(); });
}

void TfrmOrvane::SpeedBtn_PauseClick()
{
    controller_.Pause();
}

void TfrmOrvane::ChkFromHereClick()
{
    if (ChkFromHere->isChecked())
        ChkRecycle->setChecked(false);
}

void TfrmOrvane::ChkRecycleClick()
{
    if (ChkRecycle->isChecked())
        ChkFromHere->setChecked(false);
}

void TfrmOrvane::TrackBar2Change()
{
    ctx_.Player.SetPlaybackRate(ReadingSpeed());
}

void TfrmOrvane::StopReading()
{
    controller_.StopReading();
}

void TfrmOrvane::RemLastPage()
{
    SettingsKey key(ctx_.Paths.SettingsPath);
    if (!key.isOpen())
        return;
    key.overwriteExisting(QStringLiteral("LastPage"), Edit1->text().trimmed());
    key.overwriteExisting(QStringLiteral("LastVoiceName"), fromGbk(ctx_.Book.CurrentVoiceName));
}

void TfrmOrvane::LoadVoiceFile()
{
    ctx_.Player.OpenVoiceFile(ctx_.Book.CurrentBook);
}

// ---- ReadingView

void TfrmOrvane::SetReadAllPageEnabled(bool on)
{
    sbtReadAllPage->setEnabled(on);
}
void TfrmOrvane::SetReadAllLessonEnabled(bool on)
{
    sbtReadAllLesson->setEnabled(on);
}
void TfrmOrvane::SetPauseEnabled(bool on)
{
    SpeedBtn_Pause->setEnabled(on);
}
bool TfrmOrvane::PauseEnabled() const
{
    return SpeedBtn_Pause->isEnabled();
}
bool TfrmOrvane::RecycleChecked() const
{
    return ChkRecycle->isChecked();
}
bool TfrmOrvane::FromHereChecked() const
{
    return ChkFromHere->isChecked();
}

float TfrmOrvane::ReadingSpeed() const
{
    return static_cast<float>(TrackBar1->value() * 2) / 100.0f;
}

void TfrmOrvane::SetTimerActive(bool on)
{
    if (!on)
        Timer_Play->stop();
    else if (!Timer_Play->isActive())
        Timer_Play->start();
}

} // namespace zarelo
