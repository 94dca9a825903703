#include "reading/TextPageLayout.h"

#include "book/Gbk.h"

#include <QStringList>

namespace zarelo {

namespace {

constexpr int kStartX = 40;
constexpr int kStartY = 40;
constexpr int kWrapX = 20;
constexpr int kLineStep = 28;
constexpr int kWrapAfterX = 650; // a word starting at or before this x stays on its line
constexpr int kRightLimit = 760;

} // namespace

QString TextPageFontFamily()
{
    return QStringLiteral("宋体");
}

std::vector<TextPageWord> LayoutTextPage(std::span<const TextPageEntry> entries,
                                         const TextMeasure& measure)
{
    std::vector<TextPageWord> words;
    int x = kStartX;
    int y = kStartY;
    bool paragraphEnd = false;
    for (const TextPageEntry& entry : entries) {
        if (paragraphEnd) {
            x = kStartX;
            y += kLineStep;
            paragraphEnd = false;
        }
        const QStringList parts = entry.english.split(u' ');
        for (qsizetype k = 0; k < parts.size(); ++k) {
            QString t = parts[k] + u' ';
            const int width = measure.width(t);
            if (x > kWrapAfterX && x + width > kRightLimit) {
                y += kLineStep;
                x = kWrapX;
            }
            const QRect rect(x, y, width, measure.height);
            if (k + 1 == parts.size() && entry.english.endsWith(u'~')) {
                t.chop(2);
                paragraphEnd = true;
            }
            x += measure.width(t);
            words.push_back({entry.row, rect, t, x});
        }
    }
    return words;
}

std::vector<TextPageEntry> TextPageEntries(const SentenceTable& table, QByteArrayView pageName)
{
    std::vector<TextPageEntry> entries;
    for (int row = 0; row < table.count(); ++row) {
        if (table.PageName[row] == pageName)
            entries.push_back({row, fromGbk(table.EnglishText[row])});
    }
    return entries;
}

TextPageHeading LayoutTextPageHeading(const QString& name, const QString& title,
                                      const TextMeasure& measure)
{
    TextPageHeading heading{QRect(20, 10, 380, 70), name + u' ' + title};
    const int room = heading.rect.width();
    if (measure.width(heading.text) <= room)
        return heading;
    const QString ellipsis(QChar(0x2026));
    QString kept = heading.text;
    while (!kept.isEmpty()) {
        kept.chop(kept.size() >= 2 && kept.back().isLowSurrogate() ? 2 : 1);
        if (measure.width(kept + ellipsis) <= room) {
            heading.text = kept + ellipsis;
            return heading;
        }
    }
    heading.text = measure.width(ellipsis) <= room ? ellipsis : QString();
    return heading;
}

} // namespace zarelo
