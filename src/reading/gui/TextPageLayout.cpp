#include "reading/gui/TextPageLayout.h"

#include "book/Gbk.h"
#include "book/uFunc.h"

#include <QFontMetrics>

namespace zarelo {

QFont TextPageFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(20);
    return font;
}

std::vector<TextPageWord> LayoutTextPage(const SentenceTable& table, QByteArrayView pageName,
                                         const QFontMetrics& metrics)
{
    std::vector<TextPageWord> words;
    int x = 40;
    int y = 40;
    bool paragraphEnd = false;
    const auto rectOf = [&](const QString& t) {
        return QRect(x, y, metrics.horizontalAdvance(t), metrics.height());
    };
    for (int row = 0; row < table.count(); ++row) {
        if (table.PageName[row] != pageName)
            continue;
        if (paragraphEnd) {
            x = 40;
            y += 28;
            paragraphEnd = false;
        }
        const QByteArrayView english = table.EnglishText[row];
        const std::vector<QByteArrayView> parts = SplitFields(english, ' ');
        for (size_t k = 0; k < parts.size(); ++k) {
            QString t = fromGbk(parts[k]) + QLatin1Char(' ');
            QRect rect = rectOf(t);
            if (x > 650 && rect.x() + rect.width() > 760) {
                y += 28;
                x = 20;
                rect = rectOf(t);
            }
            if (k + 1 == parts.size() && english.endsWith('~')) {
                t.chop(2);
                paragraphEnd = true;
            }
            x += metrics.horizontalAdvance(t);
            words.push_back({row, rect, t});
        }
    }
    return words;
}

} // namespace zarelo
