// Finding entries on a page picture: the matching of entries' words against
// recognised words (a missing word, a word broken across lines, a sentence
// printed twice, a word that is also inside a sentence), and one small
// picture read through the recogniser end to end.

#include "bookmaker/PageImport.h"
#include "base/BookError.h"
#include "bookmaker/BookSource.h"

#include <QFont>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zarelo;
using namespace zarelo::bookmaker;

namespace {

// Recognised words laid out as printed: each line's words from x = 100, 40 px
// high, 60 px apart; a word is 20 px per letter and 20 px apart.
struct Printed {
    std::vector<RecognisedWord> Words;
    int Line = -1;
    int X = 0;

    Printed& line(const QString& text)
    {
        ++Line;
        X = 100;
        for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
            const int top = 100 + 60 * Line;
            RecognisedWord w;
            w.Text = word;
            w.Ink = {X, top + 5, X + 20 * int(word.size()), top + 35};
            w.Body = {X, top, X + 20 * int(word.size()), top + 40};
            w.Line = Line;
            Words.push_back(w);
            X = w.Ink.Right + 20;
        }
        return *this;
    }
};

} // namespace

TEST(MatchEntries, AMissingWordIsNamedAndTheOtherEntriesStillFound)
{
    Printed page;
    page.line("Good morning, Miss Wang.").line("Hello!");
    const MatchedPage match = MatchEntries(page.Words, {"Good morning, Miss Zhang.", "Hello!"});
    EXPECT_EQ(match.Failed, 0);
    EXPECT_TRUE(match.Boxes[0].empty());
    EXPECT_EQ(match.Why, QStringLiteral("“Good morning, Miss” is followed on the page by “Wang.”, "
                                        "not by “Zhang.”"));
    ASSERT_EQ(match.Boxes[1].size(), 1u);
    EXPECT_EQ(match.Boxes[1][0], (EntryBox{100, 160, 220, 200}));

    // A misread letter is no missing word; a word that is nowhere is.
    Printed misread;
    misread.line("Goud morninq, Miss Zhang.");
    EXPECT_EQ(MatchEntries(misread.Words, {"Good morning, Miss Zhang."}).Failed, -1);
    EXPECT_EQ(MatchEntries(misread.Words, {"Goodbye"}).Why,
              QStringLiteral("its first word “Goodbye” is nowhere on the page"));
}

TEST(MatchEntries, AWordBrokenAcrossLinesJoinsItsTwoHalvesAndTheLinesGetABoxEach)
{
    Printed page;
    // The speaker's name is read between the sentence's two lines.
    page.line("Nice to meet you. How are you to-").line("Tom").line("day? I am fine.");
    const MatchedPage match =
        MatchEntries(page.Words, {"Nice to meet you. How are you today? I am fine."});
    ASSERT_EQ(match.Failed, -1) << match.Why.toStdString();
    ASSERT_EQ(match.Boxes[0].size(), 2u);
    EXPECT_EQ(match.Boxes[0][0].Left, 100);
    EXPECT_EQ(match.Boxes[0][0].Top, 100);
    EXPECT_EQ(match.Boxes[0][0].Right, page.Words[7].Ink.Right); // "to-"
    EXPECT_EQ(match.Boxes[0][1].Top, 220);                       // below "Tom"
    EXPECT_EQ(match.Boxes[0][1].Right, page.Words.back().Ink.Right);

    // More than three printed lines is more than an entry's boxes hold.
    Printed tall;
    tall.line("One").line("two").line("three").line("four");
    EXPECT_EQ(MatchEntries(tall.Words, {"One two three four"}).Failed, 0);
}

TEST(MatchEntries, ASentencePrintedTwiceIsFoundTwiceAndAWordFindsItsOwnCard)
{
    Printed page;
    page.line("Hello! I am Amy.").line("Hello! I am Amy.").line("I like my cat.").line("cat");
    const MatchedPage match =
        MatchEntries(page.Words, {"Hello! I am Amy.", "Hello! I am Amy.", "cat", "I like my cat."});
    ASSERT_EQ(match.Failed, -1) << match.Why.toStdString();
    EXPECT_EQ(match.Boxes[0][0].Top, 100);
    EXPECT_EQ(match.Boxes[1][0].Top, 160);
    // The word's entry comes before the sentence holding the same word; the
    // sentence keeps its word and the word gets the one printed on its own.
    EXPECT_EQ(match.Boxes[2][0].Top, 280);
    EXPECT_EQ(match.Boxes[3][0].Top, 220);

    // A sentence the source lists twice but the page prints once.
    Printed once;
    once.line("Hello! I am Amy.");
    EXPECT_EQ(MatchEntries(once.Words, {"Hello! I am Amy.", "Hello! I am Amy."}).Failed, 1);
}

TEST(ImportPage, ASmallPrintedPageIsReadAndAFramedWordTakesItsFrame)
{
    QTemporaryDir dir;
    QImage picture(900, 420, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(40);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(60, 80, QStringLiteral("Good morning, Miss Zhang."));
        p.drawText(60, 150, QStringLiteral("How are you today?"));
        // A word card: a framed panel with the word in it.
        p.setPen(QPen(QColor(40, 120, 200), 4));
        p.drawRoundedRect(QRect(560, 200, 260, 180), 20, 20);
        p.setPen(Qt::black);
        p.drawText(QRect(560, 300, 260, 60), Qt::AlignCenter, QStringLiteral("pencil"));
    }
    ASSERT_TRUE(picture.save(dir.path() + "/scan.png"));

    const BookSource book = ParseBookSource(
        "publisher P\nbook B\nheading Lesson 1 | One\nvoice V\npage 1 from scan.png\n"
        "sent Good morning, Miss Zhang. How are you today? | 早上好。你好吗？\n"
        "word pencil | 铅笔\n"
        "word ruler | 尺子 | box 60,200,300,380\n",
        dir.path() + "/b.txt");
    const DrawnPage page = ImportPage(book, book.Pages[0]);
    // Stored at the table's 800 px width; boxes scaled by 800 / 900.
    EXPECT_EQ(page.Image.width(), 800);
    EXPECT_EQ(page.Image.height(), 373);
    const std::vector<EntryBox>& sentence = page.Boxes.at(0);
    ASSERT_EQ(sentence.size(), 2u);
    EXPECT_NEAR(sentence[0].Left, 60 * 8 / 9, 4);
    EXPECT_NEAR(sentence[0].Bottom, 90 * 8 / 9, 6);
    EXPECT_NEAR(sentence[1].Top, 110 * 8 / 9, 8);
    // The card's frame, inside its 4 px border.
    ASSERT_EQ(page.Boxes.at(1).size(), 1u);
    const EntryBox card = page.Boxes.at(1)[0];
    EXPECT_NEAR(card.Left, 562 * 8 / 9, 4);
    EXPECT_NEAR(card.Top, 202 * 8 / 9, 4);
    EXPECT_NEAR(card.Right, 818 * 8 / 9, 4);
    EXPECT_NEAR(card.Bottom, 378 * 8 / 9, 4);
    // A box by hand is taken as given, scaled alike.
    EXPECT_EQ(page.Boxes.at(2), (std::vector<EntryBox>{{53, 177, 267, 338}}));

    // An entry that is not printed: the line and what was sought.
    const BookSource missing = ParseBookSource(
        "publisher P\nbook B\nheading Lesson 1 | One\nvoice V\npage 1 from scan.png\n"
        "sent Good morning, Miss Zhang. | 早上好。\nword eraser | 橡皮\n",
        dir.path() + "/b.txt");
    try {
        ImportPage(missing, missing.Pages[0]);
        ADD_FAILURE() << "an entry that is not on the page was found";
    } catch (const BookError& e) {
        EXPECT_TRUE(e.message().startsWith(dir.path() + "/b.txt line 7: page 1 from "))
            << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("cannot find “eraser”")) << e.message().toStdString();
    }
}
