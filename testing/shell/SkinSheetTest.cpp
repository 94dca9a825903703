// Colour numbers, the colourising rule and tinting a skin's style sheet.

#include "shell/SkinSheet.h"
#include "base/BookError.h"

#include <gtest/gtest.h>

namespace zarelo {
namespace {

TEST(StoredColour, RedIsTheLowByte)
{
    // 15969921 is the main window's right-hand column: 0xF3AE81.
    EXPECT_EQ(RgbFromStored(15969921), (Rgb{0x81, 0xAE, 0xF3}));
    EXPECT_EQ(StoredFromRgb({0x81, 0xAE, 0xF3}), 15969921);
    EXPECT_EQ(StoredFromRgb({255, 0, 0}), 0x0000FF);
    EXPECT_EQ(StoredFromRgb({0, 0, 255}), 0xFF0000);
}

TEST(StoredColour, SystemColoursAreKeptApart)
{
    EXPECT_EQ(SystemColourIndex(SystemButtonFaceColour), 15);
    EXPECT_EQ(SystemButtonFaceColour, -2147483633); // as the dialog writes it, signed decimal
    EXPECT_FALSE(SystemColourIndex(0x00FFFFFF).has_value());
    EXPECT_FALSE(SystemColourIndex(-1).has_value()); // "no colour" is not a system colour
}

TEST(Colorize, StrengthZeroLeavesTheColourAndOneTakesTheHue)
{
    const Rgb grey{128, 128, 128};
    const Rgb red{255, 0, 0};
    EXPECT_EQ(Colorize(grey, red, 0.0), grey);
    const Rgb full = Colorize(grey, red, 1.0);
    EXPECT_GT(full.r, full.g);
    EXPECT_EQ(full.g, full.b);
    // Lightness stays: (max + min) / 2 of the result is the grey's.
    EXPECT_NEAR((full.r + full.g) / 2.0, 128, 1.5);
    const Rgb half = Colorize(grey, red, 0.5);
    EXPECT_GT(half.r, grey.r);
    EXPECT_LT(half.r, full.r);
}

TEST(Colorize, WhiteAndBlackStayWhiteAndBlack)
{
    EXPECT_EQ(Colorize({255, 255, 255}, {0, 0, 255}, 0.5), (Rgb{255, 255, 255}));
    EXPECT_EQ(Colorize({0, 0, 0}, {0, 0, 255}, 0.5), (Rgb{0, 0, 0}));
}

TEST(TintStyleSheet, RewritesColoursInsideBlocksOnly)
{
    const QString sheet =
        QStringLiteral("QToolButton#fade { color: #808080; background: rgb(128, 128, 128); }\n"
                       "/* #808080 in a comment */ QLabel { border: 1px solid #888; }");
    const QString out = TintStyleSheet(sheet, {255, 0, 0}, 1.0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("QToolButton#fade {"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("/* #808080 in a comment */")));
    EXPECT_FALSE(out.contains(QStringLiteral("color: #808080")));
    EXPECT_FALSE(out.contains(QStringLiteral("rgb(")));
    EXPECT_FALSE(out.contains(QStringLiteral("#888;")));
    const Rgb tinted = Colorize({128, 128, 128}, {255, 0, 0}, 1.0);
    const QString hex = QStringLiteral("#%1%2%3")
                            .arg(tinted.r, 2, 16, QChar(u'0'))
                            .arg(tinted.g, 2, 16, QChar(u'0'))
                            .arg(tinted.b, 2, 16, QChar(u'0'));
    EXPECT_EQ(out.count(hex), 2) << out.toStdString();
}

TEST(TintStyleSheet, LeavesNamesThatLookLikeColoursAndBrokenSheets)
{
    // "#badcafe" has seven hex digits: not a colour; "#abcdefg" goes on
    // into a name; an unclosed block does not loop or throw.
    const QString sheet = QStringLiteral("QLabel { image: url(#badcafe); x: #abcdefg; color: #fff");
    const QString out = TintStyleSheet(sheet, {0, 0, 255}, 0.5);
    EXPECT_TRUE(out.contains(QStringLiteral("#badcafe")));
    EXPECT_TRUE(out.contains(QStringLiteral("#abcdefg")));
    EXPECT_TRUE(out.endsWith(QStringLiteral("#ffffff"))) << out.toStdString();
    EXPECT_EQ(TintStyleSheet(QString(), {0, 0, 255}, 0.5), QString());

    // A NUL inside "rgb(...)" is no number: the literal and everything up to
    // a later ")" (here a block end and a comment) stay as they were.
    const QString withNul = QStringLiteral("A { color: rgb(0") + QChar(0) +
                            QStringLiteral(" x; } /* B { color: rgb(1,2,3) } */");
    EXPECT_EQ(TintStyleSheet(withNul, {0, 0, 255}, 0.5), withNul);
}

TEST(ParseSkinColour, EmptyIsNoColourAndGarbageIsAnError)
{
    EXPECT_EQ(ParseSkinColour(QString()), -1);
    EXPECT_EQ(ParseSkinColour(QStringLiteral("255")), 255);
    EXPECT_EQ(ParseSkinColour(QStringLiteral("-2147483633")), SystemButtonFaceColour);
    try {
        ParseSkinColour(QStringLiteral("blue"));
        FAIL() << "no error for a colour that is not a number";
    } catch (const BookError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("selectcolor")));
        EXPECT_TRUE(error.message().contains(QStringLiteral("blue")));
    }
    EXPECT_THROW(ParseSkinColour(QStringLiteral("99999999999")), BookError);
    EXPECT_EQ(ParseSkinColour(QStringLiteral(" 12 ")), 12);
    EXPECT_THROW(ParseSkinColour(QStringLiteral("12") + QChar(0) + QStringLiteral("blue")),
                 BookError);
}

} // namespace
} // namespace zarelo
