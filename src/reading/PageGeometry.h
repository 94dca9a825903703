#pragma once
// Geometry of the page view: rounding, the two size modes, the hit test and
// where the highlight of an entry goes. Pure arithmetic over the open book's
// sentence table; the page view applies the results to its widgets.
//
// Box coordinates are pixels of the page scaled to 800 px width; screen
// coordinates are pixels relative to the page panel (pnlPagePic) unless a
// name says otherwise.

#include "book/BookContent.h"

#include <QByteArray>

namespace zarelo {

// The integer nearest to v; a value exactly halfway goes to the even integer
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
int nearest(double v);

// "Page" + page number, the PageName of the entries standing on that page.
QByteArray PageNameOf(int page);

struct PixelRect {
    int left = -1, top = -1, right = -1, bottom = -1;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

// The three rectangles of one entry on screen, each coordinate c drawn at
// nearest(c * scale). Rectangles 2 and 3 are present when the table holds a
// left other than -1 for them, whatever the scale.
struct EntryBoxes {
    PixelRect r1, r2, r3;
    bool has2 = false, has3 = false;
};
EntryBoxes ScaledBoxes(const SentenceTable& table, int row, double scale);

// Hit test at (x, y) on the page panel: the first row in table order whose
// PageName is `pageName` and one of whose present rectangles holds the point
// strictly inside (left * scale < x < right * scale, the same for y, on the
// unrounded products). -1 when none does.
int HitTest(const SentenceTable& table, QByteArrayView pageName, double scale, double x, double y);

// Place and size of the page panel inside the scroll box (content pixels).
struct PanelLayout {
    int left = 0, top = 3, width = 0, height = 0;
    bool operator==(const PanelLayout&) const = default;
};

// Width of the scroll box's vertical scroll bar, px; standard mode centres
// the page on the scroll box's width without it.
inline constexpr int ScrollBarWidth = 12;

// Standard size: the page 800 px wide and nearest(800 * h / w) high, centred
// with the scroll bar subtracted, top 3. `pictureWidth` > 0.
PanelLayout StandardLayout(int scrollBoxWidth, int pictureWidth, int pictureHeight);

// Whole page: as high as the scroll box, width nearest(height / r) with
// r = h / w, centred on the whole scroll box width; `scale` becomes
// scrollBoxHeight / (800 * r).
struct WholePageLayout {
    PanelLayout panel;
    double scale = 1.0;
};
WholePageLayout WholeLayout(int scrollBoxWidth, int scrollBoxHeight, int pictureWidth,
                            int pictureHeight);

// Integer division truncated toward zero, as the layout rules use it.
inline int divTrunc(int a, int b)
{
    return a / b;
}

// Where the highlight of one entry goes (DisplaySelectedBox): either a frame
// of four strips around r1 (one rectangle at least 48 px high) or red
// underlines under each present rectangle.
inline constexpr int FrameMinHeight = 48;
inline constexpr int FrameStripThickness = 6; // thickness of a frame strip, px
inline constexpr int UnderlineHeight = 3;

struct StripPlace {
    bool visible = false;
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const StripPlace&) const = default;
};

struct HighlightLayout {
    StripPlace top, left, bottom, right; // BvTop, BvLeft, BvBot, BvRight
    StripPlace line1, line2, line3;      // PLine1..PLine3
    // PLine3 is only hidden when r3 is absent; it is left as it was when
    // rectangle 3 is present (it is then shown anyway).
    int spanTop = 0, spanBottom = 0;
};
HighlightLayout LayoutHighlight(const EntryBoxes& boxes);

// The last part of the highlight: the new vertical scroll position that
// brings the span [spanTop, spanBottom] (content pixels) into view. The caller clamps it
// to the scroll bar's range.
int ScrollForSpan(int spanTop, int spanBottom, int position, int scrollBoxHeight);

// The Chinese line under an entry: its panel's place in the window.
struct ChineseLinePlace {
    int left = 0, top = 0;
    int editWidth = 0;  // 9 px per GBK byte of the text
    int panelWidth = 0; // editWidth + 4
};
// `panelLeft`, `panelTop`: the page panel's place in the window now (after
// any scrolling); `gbkBytes`: length of the text in GBK bytes.
ChineseLinePlace PlaceChineseLine(const EntryBoxes& boxes, int spanBottom, int panelLeft,
                                  int panelTop, int scrollBoxWidth, qsizetype gbkBytes);

} // namespace zarelo
