#include "book/PageImage.h"
#include "TestLibrary.h"
#include "base/BookError.h"
#include "book/PackedFile.h"
#include "support/PageJpeg.h"

#include <gtest/gtest.h>

using namespace zarelo;

namespace {

// A width x height JPEG: left half red, right half blue (4:4:4, quality 95).
QByteArray makeJpeg(int width, int height)
{
    fakes::PagePicture picture;
    picture.Width = width;
    picture.Height = height;
    picture.Paper = 0xFF0000;
    picture.Rects = {{width / 2, 0, width, height, 0x0000FF}};
    picture.Quality = 95;
    picture.FullChroma = true;
    return fakes::PageJpeg(picture);
}

// B, G, R of the pixel at (x, y).
std::array<int, 3> pixel(const DecodedImage& image, int x, int y)
{
    const auto* p = reinterpret_cast<const unsigned char*>(image.Pixels.constData()) +
                    (y * image.Width + x) * 4;
    return {p[0], p[1], p[2]};
}

} // namespace

TEST(PageImage, DecodesIntoBgrxPixels)
{
    const QByteArray jpeg = makeJpeg(40, 24);
    ASSERT_FALSE(jpeg.isEmpty());
    const DecodedImage image = DecodeJpeg(jpeg, "Page1.zip");
    EXPECT_EQ(image.Width, 40);
    EXPECT_EQ(image.Height, 24);
    ASSERT_EQ(image.Pixels.size(), 40 * 24 * 4);
    const auto red = pixel(image, 5, 12);
    EXPECT_LT(red[0], 30);
    EXPECT_GT(red[2], 225);
    const auto blue = pixel(image, 35, 12);
    EXPECT_GT(blue[0], 225);
    EXPECT_LT(blue[2], 30);
}

TEST(PageImage, PackedPageFileRoundTrip)
{
    zarelo::booktest::TestLibrary library;
    const QString path = library.paths.ProgramFolder + "/Page7.zip";
    zarelo::booktest::TestLibrary::writeFile(path, PackBytes(makeJpeg(16, 16)) + "trailing");
    const DecodedImage image = LoadPicFromZipFile(path);
    EXPECT_EQ(image.Width, 16);
    EXPECT_FALSE(image.isNull());
    EXPECT_THROW(LoadPicFromZipFile(library.paths.ProgramFolder + "/Page8.zip"), BookError);
}

TEST(PageImage, DamagedBytesAreErrorsNamingThePage)
{
    const QByteArray jpeg = makeJpeg(32, 32);
    for (const QByteArray& damaged : {QByteArray(), QByteArray("not a jpeg at all"), jpeg.left(20),
                                      QByteArray(jpeg).replace(0, 2, "XX")}) {
        try {
            DecodeJpeg(damaged, "Page3.zip");
            ADD_FAILURE() << "no error for " << damaged.size() << " bytes";
        } catch (const BookError& e) {
            EXPECT_TRUE(e.message().contains("Page3.zip")) << qPrintable(e.message());
        }
    }
    // An empty packed page (L = 0) fails to decode the same way.
    EXPECT_THROW(DecodeJpeg(UnpackBytes(PackBytes(""), "Page4.zip"), "Page4.zip"), BookError);
}

TEST(PackedFile, LengthBeyondWhatTheStreamCanYieldIsRefused)
{
    QByteArray packed = PackBytes("tiny");
    packed[0] = packed[1] = packed[2] = char(0xff);
    packed[3] = 0x7f; // 2 GB claimed by a few bytes
    EXPECT_THROW(UnpackBytes(packed, "x"), BookError);
    // Highly compressible content still unpacks: the bound is not too tight.
    const QByteArray zeros(4 << 20, '\0');
    EXPECT_EQ(UnpackBytes(PackBytes(zeros), "x"), zeros);
}
