#include "reading/PageGeometry.h"

#include <cmath>

namespace zarelo {

int nearest(double v)
{
    const double floorValue = std::floor(v);
    const double fraction = v - floorValue;
    double result = floorValue;
    if (fraction > 0.5)
        result = floorValue + 1.0;
    else if (fraction == 0.5)
        result = std::fmod(floorValue, 2.0) == 0.0 ? floorValue : floorValue + 1.0;
    return static_cast<int>(result);
}

QByteArray PageNameOf(int page)
{
    return QByteArray("Page") + QByteArray::number(page);
}

static PixelRect scaled(int left, int top, int right, int bottom, double scale)
{
    return {nearest(left * scale), nearest(top * scale), nearest(right * scale),
            nearest(bottom * scale)};
}

EntryBoxes ScaledBoxes(const SentenceTable& t, int row, double scale)
{
    EntryBoxes b;
    b.r1 = scaled(t.Box1Left[row], t.Box1Top[row], t.Box1Right[row], t.Box1Bottom[row], scale);
    b.r2 = scaled(t.Box2Left[row], t.Box2Top[row], t.Box2Right[row], t.Box2Bottom[row], scale);
    b.r3 = scaled(t.Box3Left[row], t.Box3Top[row], t.Box3Right[row], t.Box3Bottom[row], scale);
    b.has2 = t.Box2Left[row] != -1;
    b.has3 = t.Box3Left[row] != -1;
    return b;
}

static bool inside(int left, int top, int right, int bottom, double scale, double x, double y)
{
    return left * scale < x && x < right * scale && top * scale < y && y < bottom * scale;
}

int HitTest(const SentenceTable& t, QByteArrayView pageName, double scale, double x, double y)
{
    const int rows = t.count();
    for (int i = 0; i < rows; ++i) {
        // The rectangles first: they reject almost every row with a few
        // compares, so the page name is read only for rows under the point.
        const bool hit =
            inside(t.Box1Left[i], t.Box1Top[i], t.Box1Right[i], t.Box1Bottom[i], scale, x, y) ||
            (t.Box2Left[i] != -1 &&
             inside(t.Box2Left[i], t.Box2Top[i], t.Box2Right[i], t.Box2Bottom[i], scale, x, y)) ||
            (t.Box3Left[i] != -1 &&
             inside(t.Box3Left[i], t.Box3Top[i], t.Box3Right[i], t.Box3Bottom[i], scale, x, y));
        if (hit && t.PageName[i] == pageName)
            return i;
    }
    return -1;
}

PanelLayout StandardLayout(int scrollBoxWidth, int pictureWidth, int pictureHeight)
{
    const double r = static_cast<double>(pictureHeight) / pictureWidth;
    PanelLayout p;
    p.width = 800;
    p.height = nearest(800 * r);
    p.left = divTrunc(scrollBoxWidth - ScrollBarWidth - p.width, 2);
    p.top = 3;
    return p;
}

WholePageLayout WholeLayout(int scrollBoxWidth, int scrollBoxHeight, int pictureWidth,
                            int pictureHeight)
{
    const double r = static_cast<double>(pictureHeight) / pictureWidth;
    WholePageLayout w;
    w.scale = scrollBoxHeight / (800 * r);
    w.panel.top = 3;
    w.panel.height = scrollBoxHeight;
    w.panel.width = nearest(w.panel.height / r);
    w.panel.left = divTrunc(scrollBoxWidth - w.panel.width, 2);
    return w;
}

static StripPlace underline(const PixelRect& r)
{
    return {true, r.left, r.bottom - 1, r.width(), UnderlineHeight};
}

HighlightLayout LayoutHighlight(const EntryBoxes& b)
{
    HighlightLayout h;
    const PixelRect& r1 = b.r1;
    h.spanTop = r1.top;
    h.spanBottom = r1.bottom;
    if (!b.has2 && r1.height() >= FrameMinHeight) {
        h.top = {true, r1.left, r1.top - 2, r1.width(), FrameStripThickness};
        h.left = {true, r1.left - 2, r1.top, FrameStripThickness, r1.height()};
        h.bottom = {true, r1.left, r1.bottom, r1.width(), FrameStripThickness};
        h.right = {true, r1.right, r1.top, FrameStripThickness,
                   r1.height() + FrameStripThickness - 1};
    } else {
        h.line1 = underline(r1);
        if (b.has2) {
            h.line2 = underline(b.r2);
            h.spanBottom = b.r2.bottom;
        }
    }
    if (b.has3) {
        h.top.visible = h.left.visible = h.bottom.visible = h.right.visible = false;
        h.line3 = underline(b.r3);
        h.spanBottom = b.r3.bottom;
    }
    return h;
}

int ScrollForSpan(int spanTop, int spanBottom, int position, int scrollBoxHeight)
{
    if (spanTop - position - 5 < 0)
        position = spanTop - 5;
    if (spanBottom - position + 15 > scrollBoxHeight)
        position = spanBottom - scrollBoxHeight + 25;
    return position;
}

ChineseLinePlace PlaceChineseLine(const EntryBoxes& b, int spanBottom, int panelLeft, int panelTop,
                                  int scrollBoxWidth, qsizetype gbkBytes)
{
    ChineseLinePlace c;
    int x = b.r1.left;
    if (b.has2 && 0 < b.r2.left && b.r2.left < b.r1.left)
        x = b.r2.left;
    c.top = panelTop + spanBottom + 10;
    c.editWidth = static_cast<int>(gbkBytes * 9);
    c.panelWidth = c.editWidth + 4;
    c.left = panelLeft + x;
    if (c.left + c.panelWidth > scrollBoxWidth)
        c.left = scrollBoxWidth - c.panelWidth - 8;
    return c;
}

} // namespace zarelo
