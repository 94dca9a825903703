// The text page layout with a fixed-width measure: 10 px per character,
// 17 px high, so every position below is counted by hand.

#include "reading/TextPageLayout.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace zarelo;

namespace {

const TextMeasure kMeasure{[](const QString& text) { return int(text.size()) * 10; }, 17};

struct Expected {
    int row, x, y, width;
    const char* text;
    int drawnRight;
};

void expectWords(const std::vector<TextPageWord>& words, const std::vector<Expected>& expected)
{
    ASSERT_EQ(words.size(), expected.size());
    for (size_t i = 0; i < words.size(); ++i) {
        const Expected& e = expected[i];
        EXPECT_EQ(words[i].row, e.row) << "word " << i;
        EXPECT_EQ(words[i].rect, QRect(e.x, e.y, e.width, 17)) << "word " << i;
        EXPECT_EQ(words[i].text, QString::fromLatin1(e.text)) << "word " << i;
        EXPECT_EQ(words[i].drawnRight, e.drawnRight) << "word " << i;
    }
}

} // namespace

TEST(TextPageLayout, WordsFlowWrapAndEndParagraphs)
{
    const QString nine = QStringLiteral("aaaaaaaaa"); // 100 px with its blank
    QStringList first(QStringLiteral("aaaaaaaaaa"));  // 110 px
    first << QStringList(5, nine) << QStringLiteral("bbbbbbbbbbbbb") << QStringLiteral("c");
    QStringList second(6, nine);
    second << nine << QStringLiteral("e") << QStringLiteral("f~");
    const std::vector<TextPageEntry> entries{
        {3, first.join(u' ')}, {5, second.join(u' ')}, {9, QStringLiteral("h")}};

    std::vector<Expected> expected;
    expected.push_back({3, 40, 40, 110, "aaaaaaaaaa ", 150});
    for (int i = 0; i < 5; ++i)
        expected.push_back({3, 150 + 100 * i, 40, 100, "aaaaaaaaa ", 250 + 100 * i});
    // Starting at 650 (not past it) it stays, though it ends past 760.
    expected.push_back({3, 650, 40, 140, "bbbbbbbbbbbbb ", 790});
    // Starting past 650 and ending past 760: the next line, at x 20.
    expected.push_back({3, 20, 68, 20, "c ", 40});
    // The next entry goes on in the same line.
    for (int i = 0; i < 7; ++i)
        expected.push_back({5, 40 + 100 * i, 68, 100, "aaaaaaaaa ", 140 + 100 * i});
    // Past 650 but ending exactly at 760: it stays.
    expected.push_back({5, 740, 68, 20, "e ", 760});
    // Measured with its "~" and blank (20 + 30 > 760 from 760), drawn without them.
    expected.push_back({5, 20, 96, 30, "f", 30});
    // After a paragraph end the next entry starts a new line at x 40.
    expected.push_back({9, 40, 124, 20, "h ", 60});
    expectWords(LayoutTextPage(entries, kMeasure), expected);

    // A paragraph end that fits stays on its line; every blank splits, so two
    // blanks make an empty word of one blank.
    const std::vector<TextPageEntry> small{{0, QStringLiteral("Hi  you.~")},
                                           {1, QStringLiteral("Yes~")}};
    expectWords(LayoutTextPage(small, kMeasure), {{0, 40, 40, 30, "Hi ", 70},
                                                  {0, 70, 40, 10, " ", 80},
                                                  {0, 80, 40, 60, "you.", 120},
                                                  {1, 40, 68, 50, "Yes", 70}});
    EXPECT_TRUE(LayoutTextPage({}, kMeasure).empty());
}

TEST(TextPageLayout, EntriesOfAPageComeFromTheTableInOrder)
{
    SentenceTable table;
    const auto add = [&](const char* page, const char* english) {
        table.PageName.append(page);
        table.EnglishText.append(english);
    };
    add("Page1", "One.");
    add("Page2", "Two.");
    add("Page12", "Twelve.");
    add("Page1", "\xc4\xe3\xba\xc3 Tom~"); // GBK text
    const std::vector<TextPageEntry> entries = TextPageEntries(table, "Page1");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].row, 0);
    EXPECT_EQ(entries[0].english, "One.");
    EXPECT_EQ(entries[1].row, 3);
    EXPECT_EQ(entries[1].english, QStringLiteral("你好 Tom~"));
    EXPECT_TRUE(TextPageEntries(table, "Page3").empty());
}

TEST(TextPageLayout, HeadingIsNameAndTitleCutToItsBox)
{
    const TextPageHeading fits =
        LayoutTextPageHeading(QStringLiteral("Lesson 1"), QStringLiteral("My Family"), kMeasure);
    EXPECT_EQ(fits.rect, QRect(QPoint(20, 10), QPoint(399, 79)));
    EXPECT_EQ(fits.text, "Lesson 1 My Family");

    // 38 characters fill the 380 px exactly and stay whole.
    const QString exact = QString(29, u'x');
    EXPECT_EQ(LayoutTextPageHeading(QStringLiteral("Lesson 1"), exact, kMeasure).text,
              QStringLiteral("Lesson 1 ") + exact);
    // One more: cut to 37 characters and the ellipsis.
    const TextPageHeading cut =
        LayoutTextPageHeading(QStringLiteral("Lesson 1"), QString(30, u'x'), kMeasure);
    EXPECT_EQ(cut.text, QStringLiteral("Lesson 1 ") + QString(28, u'x') + QChar(0x2026));
    EXPECT_EQ(cut.rect, fits.rect);
}
