// The TGA reader on pictures written byte by byte here: every pixel depth,
// both row orders and both column orders with exact pixel values, and the
// refusals with the texts a user would see.

#include "quiz/TgaImage.h"
#include "base/BookError.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <initializer_list>

using namespace zarelo;

namespace {

struct Header {
    int IdLength = 0;
    int MapType = 0;
    int ImageType = 2;
    int MapLength = 0;
    int MapEntryBits = 0;
    int Width = 0;
    int Height = 0;
    int Depth = 24;
    int Descriptor = 0;
};

QByteArray headerBytes(const Header& h)
{
    QByteArray b(18, '\0');
    b[0] = char(h.IdLength);
    b[1] = char(h.MapType);
    b[2] = char(h.ImageType);
    b[5] = char(h.MapLength & 0xFF);
    b[6] = char(h.MapLength >> 8);
    b[7] = char(h.MapEntryBits);
    b[12] = char(h.Width & 0xFF);
    b[13] = char(h.Width >> 8);
    b[14] = char(h.Height & 0xFF);
    b[15] = char(h.Height >> 8);
    b[16] = char(h.Depth);
    b[17] = char(h.Descriptor);
    return b;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

QString refusal(QByteArrayView file)
{
    try {
        ReadTga(file, QStringLiteral("fire2.tga"));
    } catch (const BookError& e) {
        return e.message();
    }
    return QStringLiteral("(read without an error)");
}

// Row by row, top row first.
std::vector<Pixel> pixelsOf(const Surface& s)
{
    return s.Pixels;
}

} // namespace

TEST(TgaReader, ReadsEveryPixelDepthStoredBottomRowFirst)
{
    // A 3 x 2 picture; the stored rows are the bottom row, then the top row.
    Header h;
    h.Width = 3;
    h.Height = 2;

    h.Depth = 24;                                                                     // B, G, R
    Surface s = ReadTga(headerBytes(h) + bytes({1, 2, 3, 4, 5, 6, 7, 8, 9,            // bottom
                                                10, 11, 12, 13, 14, 15, 16, 17, 18}), // top
                        QStringLiteral("a.tga"));
    ASSERT_EQ(s.Width, 3);
    ASSERT_EQ(s.Height, 2);
    EXPECT_EQ(pixelsOf(s), (std::vector<Pixel>{0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110, 0xFF030201,
                                               0xFF060504, 0xFF090807}));

    h.Depth = 32; // B, G, R, A: alpha is not kept
    s = ReadTga(headerBytes(h) + bytes({1,  2,  3,  0, 4,  5,  6,  128, 7,  8,  9,  255,
                                        10, 11, 12, 0, 13, 14, 15, 0,   16, 17, 18, 0}),
                QStringLiteral("a.tga"));
    EXPECT_EQ(pixelsOf(s), (std::vector<Pixel>{0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110, 0xFF030201,
                                               0xFF060504, 0xFF090807}));

    h.Depth = 8; // one grey level per pixel
    s = ReadTga(headerBytes(h) + bytes({0, 1, 2, 100, 200, 255}), QStringLiteral("a.tga"));
    EXPECT_EQ(pixelsOf(s), (std::vector<Pixel>{0xFF646464, 0xFFC8C8C8, 0xFFFFFFFF, 0xFF000000,
                                               0xFF010101, 0xFF020202}));

    // 5-5-5 little-endian words, the top bit ignored; 5 bits widen to 8 by
    // repeating their top bits: 10 -> 82, 20 -> 165, 5 -> 41, 31 -> 255.
    const int mixed = 10 << 10 | 20 << 5 | 5;
    const QByteArray words = bytes({mixed & 0xFF, mixed >> 8, // bottom left
                                    0x00, 0x7C | 0x80,        // red, top bit
                                    0xE0, 0x03,               // green
                                    0x1F, 0x00,               // top: blue
                                    0xFF, 0x7F,               // white
                                    0x00, 0x00});             // black
    const std::vector<Pixel> expected{0xFF0000FF, 0xFFFFFFFF, 0xFF000000,
                                      0xFF52A529, 0xFFFF0000, 0xFF00FF00};
    for (int depth : {15, 16}) {
        h.Depth = depth;
        s = ReadTga(headerBytes(h) + words, QStringLiteral("a.tga"));
        EXPECT_EQ(pixelsOf(s), expected) << depth;
    }
}

TEST(TgaReader, HonoursTopFirstRowsAndRightToLeftPixels)
{
    Header h;
    h.Width = 2;
    h.Height = 2;
    h.Depth = 24;
    // Stored pixels A B / C D, grey levels 1, 2, 3, 4.
    const QByteArray stored = bytes({1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4});
    const auto read = [&](int descriptor) {
        h.Descriptor = descriptor;
        std::vector<int> greys;
        for (Pixel p : ReadTga(headerBytes(h) + stored, QStringLiteral("a.tga")).Pixels)
            greys.push_back(BlueOf(p));
        return greys;
    };
    EXPECT_EQ(read(0x00), (std::vector<int>{3, 4, 1, 2})); // bottom row first
    EXPECT_EQ(read(0x20), (std::vector<int>{1, 2, 3, 4})); // top row first
    EXPECT_EQ(read(0x10), (std::vector<int>{4, 3, 2, 1})); // bottom first, right to left
    EXPECT_EQ(read(0x30), (std::vector<int>{2, 1, 4, 3})); // top first, right to left
    EXPECT_EQ(read(0x28), (std::vector<int>{1, 2, 3, 4})); // alpha bit count ignored
}

TEST(TgaReader, SkipsImageIdColourMapAndTrailingBytes)
{
    Header h;
    h.Width = 1;
    h.Height = 1;
    h.Depth = 24;
    h.IdLength = 5;
    h.MapType = 1;
    h.MapLength = 3;
    h.MapEntryBits = 15; // two bytes an entry
    const QByteArray file = headerBytes(h) + QByteArray("flame") + QByteArray(6, '\x77') +
                            bytes({30, 20, 10}) + QByteArray("TRUEVISION-XFILE.\0", 18);
    const Surface s = ReadTga(file, QStringLiteral("a.tga"));
    EXPECT_EQ(s.Pixels, (std::vector<Pixel>{MakePixel(10, 20, 30)}));

    // Image type 3: uncompressed grey, 8 bits.
    Header grey;
    grey.ImageType = 3;
    grey.Width = 2;
    grey.Height = 1;
    grey.Depth = 8;
    EXPECT_EQ(ReadTga(headerBytes(grey) + bytes({7, 250}), QStringLiteral("a.tga")).Pixels,
              (std::vector<Pixel>{MakePixel(7, 7, 7), MakePixel(250, 250, 250)}));
}

TEST(TgaReader, RefusesOtherPicturesNamingTheFileAndTheFault)
{
    Header h;
    h.Width = 2;
    h.Height = 2;
    h.Depth = 24;
    const QByteArray pixels(12, '\x40');

    EXPECT_EQ(refusal(QByteArray("GIF89a")),
              QStringLiteral("fire2.tga: not a TGA picture: the file holds 6 bytes, the header "
                             "alone takes 18"));
    EXPECT_EQ(refusal(headerBytes(h).left(17)),
              QStringLiteral("fire2.tga: not a TGA picture: the file holds 17 bytes, the header "
                             "alone takes 18"));

    Header rle = h;
    rle.ImageType = 10;
    EXPECT_EQ(refusal(headerBytes(rle) + pixels),
              QStringLiteral("fire2.tga: run-length compressed TGA pictures (image type 10) are "
                             "not read; only uncompressed true-colour ones are"));
    rle.ImageType = 9;
    EXPECT_EQ(refusal(headerBytes(rle) + pixels),
              QStringLiteral("fire2.tga: run-length compressed TGA pictures (image type 9) are "
                             "not read; only uncompressed true-colour ones are"));

    Header mapped = h;
    mapped.ImageType = 1;
    mapped.MapType = 1;
    mapped.MapLength = 2;
    mapped.MapEntryBits = 24;
    mapped.Depth = 8;
    EXPECT_EQ(refusal(headerBytes(mapped) + QByteArray(6 + 4, '\0')),
              QStringLiteral("fire2.tga: colour-mapped TGA pictures (image type 1) are not read; "
                             "only uncompressed true-colour ones are"));

    Header other = h;
    other.ImageType = 0;
    EXPECT_EQ(refusal(headerBytes(other)),
              QStringLiteral("fire2.tga: the TGA file holds no picture (image type 0)"));
    other.ImageType = 32;
    EXPECT_EQ(refusal(headerBytes(other) + pixels),
              QStringLiteral("fire2.tga: unknown TGA image type 32"));
    other = h;
    other.Depth = 12;
    EXPECT_EQ(refusal(headerBytes(other) + pixels),
              QStringLiteral("fire2.tga: a true-colour TGA picture with 12 bits per pixel is not "
                             "read (8, 15, 16, 24 or 32 are)"));
    other.ImageType = 3;
    other.Depth = 16;
    EXPECT_EQ(refusal(headerBytes(other) + pixels),
              QStringLiteral("fire2.tga: a grey TGA picture with 16 bits per pixel is not read (8 "
                             "is)"));
    other = h;
    other.MapType = 2;
    EXPECT_EQ(refusal(headerBytes(other) + pixels),
              QStringLiteral("fire2.tga: unknown TGA colour map type 2"));
    other = h;
    other.Descriptor = 0x40;
    EXPECT_EQ(refusal(headerBytes(other) + pixels),
              QStringLiteral("fire2.tga: interleaved TGA rows are not read"));
    other = h;
    other.Height = 0;
    EXPECT_EQ(refusal(headerBytes(other) + pixels),
              QStringLiteral("fire2.tga: the TGA picture has no pixels (2 × 0)"));
    other = h;
    other.Width = 65535;
    other.Height = 65535;
    EXPECT_EQ(refusal(headerBytes(other) + pixels),
              QStringLiteral("fire2.tga: the TGA picture is too large (65535 × 65535 pixels)"));

    // Truncated: the pixels, the image ID, the colour map.
    EXPECT_EQ(refusal(headerBytes(h) + pixels.left(11)),
              QStringLiteral("fire2.tga: truncated TGA file: 2 × 2 pixels of 24 bits need 12 "
                             "bytes of pixel data, the file holds 11"));
    EXPECT_EQ(refusal(headerBytes(h)),
              QStringLiteral("fire2.tga: truncated TGA file: 2 × 2 pixels of 24 bits need 12 "
                             "bytes of pixel data, the file holds 0"));
    Header id = h;
    id.IdLength = 200;
    EXPECT_EQ(refusal(headerBytes(id) + pixels),
              QStringLiteral("fire2.tga: truncated TGA file: the header announces 200 bytes of "
                             "image ID and colour map, the file ends 12 bytes after the header"));
    Header map = h;
    map.MapType = 1;
    map.MapLength = 256;
    map.MapEntryBits = 32;
    EXPECT_EQ(refusal(headerBytes(map) + pixels),
              QStringLiteral("fire2.tga: truncated TGA file: the header announces 1024 bytes of "
                             "image ID and colour map, the file ends 12 bytes after the header"));
}

TEST(TgaReader, LoadsAFileAndNamesAMissingOne)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/fire2.tga");
    Header h;
    h.Width = 1;
    h.Height = 1;
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(headerBytes(h) + bytes({3, 2, 1}));
    }
    EXPECT_EQ(LoadTgaFile(path).Pixels, (std::vector<Pixel>{MakePixel(1, 2, 3)}));

    const QString missing = dir.path() + QStringLiteral("/none.tga");
    try {
        LoadTgaFile(missing);
        FAIL() << "a missing file was read";
    } catch (const BookError& e) {
        EXPECT_TRUE(e.message().startsWith(missing + QStringLiteral(": cannot open the picture: ")))
            << e.message().toStdString();
    }
    // A refusal names the path it was loaded from.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(headerBytes(h));
    }
    try {
        LoadTgaFile(path);
        FAIL() << "a truncated file was read";
    } catch (const BookError& e) {
        EXPECT_TRUE(e.message().startsWith(path + QStringLiteral(": truncated TGA file")))
            << e.message().toStdString();
    }
}
