#include "bookmaker/PageDrawing.h"

#include "base/BookError.h"
#include "bookmaker/Pictures.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <numbers>

namespace zarelo::bookmaker {

namespace {

const QColor kPaper(255, 253, 246);
const QColor kText(40, 40, 48);
constexpr int kBandHeight = 56;
constexpr int kContentBottom = 1070;

// One colour theme per top-level heading, in turn.
struct Theme {
    QColor Band, Light, Accent;
};

Theme themeOf(int topHeading)
{
    static const Theme themes[] = {
        {QColor(46, 150, 160), QColor(220, 242, 242), QColor(20, 110, 125)},
        {QColor(235, 130, 50), QColor(253, 234, 214), QColor(190, 90, 20)},
        {QColor(120, 90, 190), QColor(234, 226, 248), QColor(90, 60, 160)},
        {QColor(80, 160, 70), QColor(226, 244, 220), QColor(50, 120, 40)},
    };
    const int n = sizeof themes / sizeof themes[0];
    return themes[(topHeading < 0 ? 0 : topHeading) % n];
}

QFont englishFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont chineseFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

[[noreturn]] void failAt(const BookSource& book, int line, const QString& what)
{
    throw BookError(QStringLiteral("%1 line %2: %3").arg(book.FileName).arg(line).arg(what));
}

// The text page layout's measure in a font; the metrics must outlive it.
TextMeasure measureIn(const QFontMetrics& metrics)
{
    return {[&metrics](const QString& text) { return metrics.horizontalAdvance(text); },
            metrics.height()};
}

// Greedy word wrap at blanks; a word wider than the width stands alone.
QStringList wrapWords(const QString& text, const QFontMetrics& metrics, int width)
{
    QStringList lines;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + u' ' + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

class ImagePagePainter {
public:
    ImagePagePainter(const BookSource& book, const SourcePage& page)
        : book_(book), page_(page), theme_(themeOf(book.topHeadingOf(page.Number)))
    {
        result_.Image = QImage(kPageWidth, kImagePageHeight, QImage::Format_RGB32);
        result_.Image.fill(kPaper);
        painter_.begin(&result_.Image);
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.setRenderHint(QPainter::TextAntialiasing);
    }

    DrawnPage draw()
    {
        band();
        const auto& items = page_.Items;
        for (size_t i = 0; i < items.size();) {
            const PageItem& item = items[i];
            if (item.What == PageItem::Heading) {
                heading(book_.Headings[item.Index]);
                ++i;
            } else if (item.What == PageItem::Section) {
                section(item.Text);
                ++i;
            } else {
                const SourceEntry& e = book_.Entries[item.Index];
                if (e.Kind == u"word") {
                    // A run of words of the same kind (cards or list) forms one group.
                    const bool cards = !e.Hint.isEmpty();
                    size_t end = i;
                    while (end < items.size() && items[end].What == PageItem::Entry &&
                           book_.Entries[items[end].Index].Kind == u"word" &&
                           book_.Entries[items[end].Index].Hint.isEmpty() != cards)
                        ++end;
                    if (cards)
                        wordCards(i, end);
                    else
                        wordList(i, end);
                    i = end;
                } else {
                    sentence(item.Index);
                    ++i;
                }
            }
            if (y_ > kContentBottom)
                failAt(book_, lineOf(item), QStringLiteral("page %1 overflows").arg(page_.Number));
        }
        pageNumber();
        painter_.end();
        return std::move(result_);
    }

private:
    int lineOf(const PageItem& item) const
    {
        if (item.What == PageItem::Entry)
            return book_.Entries[item.Index].Line;
        if (item.What == PageItem::Heading)
            return book_.Headings[item.Index].Line;
        return 0;
    }

    void band()
    {
        painter_.fillRect(QRect(0, 0, kPageWidth, kBandHeight), theme_.Band);
        painter_.setPen(Qt::white);
        painter_.setFont(chineseFont(20));
        painter_.drawText(QRect(24, 0, 360, kBandHeight), Qt::AlignLeft | Qt::AlignVCenter,
                          book_.Name);
        const int top = book_.topHeadingOf(page_.Number);
        if (top >= 0) {
            painter_.setFont(englishFont(20, true));
            painter_.drawText(QRect(400, 0, 376, kBandHeight), Qt::AlignRight | Qt::AlignVCenter,
                              book_.Headings[top].Name + QStringLiteral("  ") +
                                  book_.Headings[top].Title);
        }
        y_ = kBandHeight + 26;
    }

    void heading(const SourceHeading& h)
    {
        if (!h.IsLesson) {
            const QRect panel(40, y_, 720, 72);
            painter_.setPen(QPen(theme_.Band, 3));
            painter_.setBrush(theme_.Light);
            painter_.drawRoundedRect(panel, 18, 18);
            painter_.setPen(theme_.Accent);
            painter_.setFont(englishFont(34, true));
            painter_.drawText(panel, Qt::AlignCenter, h.Name + QStringLiteral("  ") + h.Title);
            y_ += 96;
            return;
        }
        painter_.setPen(theme_.Accent);
        painter_.setFont(englishFont(30, true));
        const QFontMetrics name(painter_.font());
        painter_.drawText(QPoint(44, y_ + name.ascent()), h.Name);
        const int x = 44 + name.horizontalAdvance(h.Name) + 18;
        painter_.setPen(kText);
        painter_.setFont(englishFont(28));
        painter_.drawText(QPoint(x, y_ + name.ascent()), h.Title);
        painter_.setPen(QPen(theme_.Band, 2));
        painter_.drawLine(40, y_ + name.height() + 6, 760, y_ + name.height() + 6);
        y_ += name.height() + 30;
    }

    void section(const QString& title)
    {
        painter_.setFont(englishFont(22, true));
        const QFontMetrics metrics(painter_.font());
        const QRect pill(40, y_, metrics.horizontalAdvance(title) + 40, 36);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(theme_.Band);
        painter_.drawRoundedRect(pill, 18, 18);
        painter_.setPen(Qt::white);
        painter_.drawText(pill, Qt::AlignCenter, title);
        y_ += 54;
    }

    // A speaker: "boy Tom", "girl Lily", "teacher Miss Zhang".
    void speaker(const SourceEntry& e, int top)
    {
        const qsizetype space = e.Hint.indexOf(u' ');
        const QString figure = space < 0 ? e.Hint : e.Hint.left(space);
        const QString name = space < 0 ? QString() : e.Hint.mid(space + 1);
        if (figure != u"boy" && figure != u"girl" && figure != u"teacher")
            failAt(book_, e.Line,
                   QStringLiteral("a speaker is “boy|girl|teacher Name”, not “%1”").arg(e.Hint));
        DrawPicture(painter_, QRect(44, top, 64, 64), figure);
        painter_.setPen(kText);
        painter_.setFont(englishFont(14, true));
        painter_.drawText(QRect(10, top + 64, 132, 20), Qt::AlignHCenter | Qt::AlignTop, name);
    }

    // A sentence or another line, wrapped onto at most three lines.
    void sentence(int index)
    {
        const SourceEntry& e = book_.Entries[index];
        const bool other = e.Kind != u"sent";
        const int x0 = e.Hint.isEmpty() ? 60 : 150;
        QFont font = englishFont(24, other);
        font.setItalic(other);
        painter_.setFont(font);
        const QFontMetrics metrics(font);
        const QStringList lines = wrapWords(e.English, metrics, 760 - x0);
        if (lines.size() > 3)
            failAt(book_, e.Line, QStringLiteral("the entry needs more than three lines"));
        const int step = metrics.height() + 10;
        const int top = y_;
        if (!e.Hint.isEmpty())
            speaker(e, top);
        else if (other)
            star(QPointF(40, top + metrics.height() / 2.0));
        painter_.setFont(font);
        painter_.setPen(other ? theme_.Accent : kText);
        std::vector<EntryBox> boxes;
        for (int i = 0; i < lines.size(); ++i) {
            const int ly = top + i * step;
            painter_.drawText(QPoint(x0, ly + metrics.ascent()), lines[i]);
            boxes.push_back(
                {x0, ly, x0 + metrics.horizontalAdvance(lines[i]), ly + metrics.height()});
        }
        result_.Boxes[index] = boxes;
        const int textHeight = static_cast<int>(lines.size()) * step;
        y_ = top + std::max(textHeight, e.Hint.isEmpty() ? 0 : 90) + 12;
    }

    void star(QPointF centre)
    {
        QPainterPath path;
        for (int i = 0; i < 10; ++i) {
            const qreal r = i % 2 ? 5.0 : 12.0;
            const qreal a = std::numbers::pi / 2 + i * std::numbers::pi / 5;
            const QPointF p(centre.x() + r * std::cos(a), centre.y() - r * std::sin(a));
            i == 0 ? path.moveTo(p) : path.lineTo(p);
        }
        path.closeSubpath();
        painter_.setPen(QPen(QColor(200, 150, 20), 1.5));
        painter_.setBrush(QColor(250, 210, 50));
        painter_.drawPath(path);
    }

    // Cards of 170 x 170 px, four to a row: picture, word, meaning. The box
    // is the whole card.
    void wordCards(size_t begin, size_t end)
    {
        constexpr int width = 170, height = 170, gap = 20, perRow = 4;
        const int left = (kPageWidth - perRow * width - (perRow - 1) * gap) / 2;
        int row = 0;
        for (size_t i = begin; i < end; ++i) {
            const int k = static_cast<int>(i - begin);
            row = k / perRow;
            const QRect card(left + (k % perRow) * (width + gap), y_ + row * (height + gap), width,
                             height);
            const int index = page_.Items[i].Index;
            const SourceEntry& e = book_.Entries[index];
            if (!IsKnownPicture(e.Hint))
                failAt(book_, e.Line, QStringLiteral("unknown picture “%1”").arg(e.Hint));
            painter_.setPen(QPen(theme_.Band, 2));
            painter_.setBrush(Qt::white);
            painter_.drawRoundedRect(card.adjusted(1, 1, -1, -1), 14, 14);
            DrawPicture(painter_, QRect(card.left() + 35, card.top() + 8, 100, 100), e.Hint);
            painter_.setPen(kText);
            painter_.setFont(englishFont(24, true));
            painter_.drawText(QRect(card.left(), card.top() + 108, width, 32), Qt::AlignCenter,
                              e.English);
            painter_.setPen(QColor(110, 110, 120));
            painter_.setFont(chineseFont(18));
            painter_.drawText(QRect(card.left(), card.top() + 138, width, 26), Qt::AlignCenter,
                              e.Chinese);
            result_.Boxes[index] = {
                {card.left(), card.top(), card.left() + width, card.top() + height}};
        }
        y_ += (row + 1) * (height + gap) + 6;
    }

    // A word list: two columns of chips "word  meaning", 40 px high.
    void wordList(size_t begin, size_t end)
    {
        constexpr int width = 340, height = 40, step = 52;
        int row = 0;
        for (size_t i = begin; i < end; ++i) {
            const int k = static_cast<int>(i - begin);
            row = k / 2;
            const QRect chip(k % 2 ? 420 : 40, y_ + row * step, width, height);
            const int index = page_.Items[i].Index;
            const SourceEntry& e = book_.Entries[index];
            painter_.setPen(Qt::NoPen);
            painter_.setBrush(theme_.Light);
            painter_.drawRoundedRect(chip, 10, 10);
            painter_.setPen(theme_.Accent);
            const QFont english = englishFont(24, true);
            painter_.setFont(english);
            painter_.drawText(chip.adjusted(16, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                              e.English);
            const int x =
                chip.left() + 16 + QFontMetrics(english).horizontalAdvance(e.English) + 20;
            painter_.setPen(kText);
            painter_.setFont(chineseFont(20));
            painter_.drawText(QRect(x, chip.top(), chip.right() - x, height),
                              Qt::AlignLeft | Qt::AlignVCenter, e.Chinese);
            result_.Boxes[index] = {
                {chip.left(), chip.top(), chip.left() + width, chip.top() + height}};
        }
        y_ += (row + 1) * step + 8;
    }

    void pageNumber()
    {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(theme_.Band);
        painter_.drawEllipse(QPoint(kPageWidth / 2, 1100), 18, 18);
        painter_.setPen(Qt::white);
        painter_.setFont(englishFont(18, true));
        painter_.drawText(QRect(kPageWidth / 2 - 18, 1082, 36, 36), Qt::AlignCenter,
                          QString::number(page_.Number));
    }

    const BookSource& book_;
    const SourcePage& page_;
    Theme theme_;
    DrawnPage result_;
    QPainter painter_;
    int y_ = 0;
};

} // namespace

DrawnPage DrawImagePage(const BookSource& book, const SourcePage& page)
{
    return ImagePagePainter(book, page).draw();
}

QFont TextPageFont()
{
    QFont font(TextPageFontFamily());
    font.setPixelSize(kTextPageFontPixels);
    return font;
}

std::vector<TextPageWord> LayoutTextPage(const BookSource& book, const SourcePage& page,
                                         const QFontMetrics& metrics)
{
    std::vector<TextPageEntry> entries;
    for (const PageItem& item : page.Items) {
        if (item.What == PageItem::Entry)
            entries.push_back({item.Index, book.Entries[item.Index].English});
    }
    return zarelo::LayoutTextPage(entries, measureIn(metrics));
}

std::map<int, std::vector<EntryBox>> TextPageBoxes(const BookSource& book,
                                                   const std::vector<TextPageWord>& words)
{
    std::map<int, std::vector<EntryBox>> boxes;
    for (const TextPageWord& w : words) {
        std::vector<EntryBox>& entry = boxes[w.row];
        if (entry.empty() || entry.back().Top != w.rect.top()) {
            if (entry.size() == 3)
                failAt(book, book.Entries[w.row].Line,
                       QStringLiteral("the entry covers more than three lines of its text page"));
            entry.push_back(
                {w.rect.left(), w.rect.top(), w.drawnRight, w.rect.top() + w.rect.height()});
        } else {
            entry.back().Right = w.drawnRight;
        }
    }
    return boxes;
}

DrawnPage DrawTextPage(const BookSource& book, const SourcePage& page)
{
    DrawnPage result;
    result.Image = QImage(kPageWidth, kTextPageHeight, QImage::Format_RGB32);
    result.Image.fill(QColor(0xD5, 0xE7, 0xEA));
    QPainter painter(&result.Image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFont font = TextPageFont();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font);
    const std::vector<TextPageWord> words = LayoutTextPage(book, page, metrics);
    for (const TextPageWord& w : words) {
        // The rectangle is as wide as the word's rounded advance; the glyphs may
        // reach a fraction of a pixel further, so they are drawn unclipped and
        // uncut (eliding against the rounded width would cut most words).
        painter.drawText(
            w.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, w.text);
    }
    // The heading of the first lesson row whose pages hold this page.
    for (const SourceHeading& h : book.Headings) {
        if (h.FirstPage <= page.Number && page.Number <= h.EndPage) {
            const TextPageHeading heading =
                LayoutTextPageHeading(h.Name, h.Title, measureIn(metrics));
            painter.drawText(heading.rect, Qt::AlignLeft | Qt::AlignTop, heading.text);
            break;
        }
    }
    painter.end();
    result.Boxes = TextPageBoxes(book, words);
    return result;
}

} // namespace zarelo::bookmaker
