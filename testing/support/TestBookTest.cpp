// The test-book builder against the program's own readers: what the tables
// say is where the files hold it, so tests built on it check what they mean.

#include "support/TestBook.h"
#include "book/BookLoader.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "book/PageImage.h"
#include "support/ScriptedMessages.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace zarelo;
using fakes::TestBook;

namespace {

struct Pcm {
    int Rate = 0;
    int Channels = 0;
    std::vector<int16_t> Samples;
};

// The plain 44-byte-header PCM WAV the builder writes.
Pcm ReadPcm(const QByteArray& wav)
{
    Pcm pcm;
    if (wav.size() < 44 || !wav.startsWith("RIFF") || wav.mid(8, 8) != "WAVEfmt " ||
        wav.mid(36, 4) != "data")
        return pcm;
    pcm.Channels = qFromLittleEndian<quint16>(wav.constData() + 22);
    pcm.Rate = qFromLittleEndian<qint32>(wav.constData() + 24);
    const qint32 bytes = qFromLittleEndian<qint32>(wav.constData() + 40);
    pcm.Samples.resize(size_t(std::min<qsizetype>(bytes, wav.size() - 44) / 2));
    for (size_t i = 0; i < pcm.Samples.size(); ++i)
        pcm.Samples[i] = qFromLittleEndian<qint16>(wav.constData() + 44 + 2 * i);
    return pcm;
}

// Goertzel power of `hz` over samples [first, last) against their energy: 0.5
// for a pure sine of that frequency, near 0 for another one.
double ShareAt(const Pcm& pcm, double hz, size_t first, size_t last)
{
    const double coeff = 2 * std::cos(2 * std::numbers::pi * hz / pcm.Rate);
    double s1 = 0, s2 = 0, energy = 0;
    for (size_t i = first; i < last; ++i) {
        const double s = pcm.Samples[i] + coeff * s1 - s2;
        s2 = s1;
        s1 = s;
        energy += double(pcm.Samples[i]) * pcm.Samples[i];
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return energy > 0 ? power / energy / double(last - first) : 0;
}

int Peak(const Pcm& pcm, size_t first, size_t last)
{
    int peak = 0;
    for (size_t i = first; i < last; ++i)
        peak = std::max(peak, std::abs(int(pcm.Samples[i])));
    return peak;
}

} // namespace

TEST(TestBook, TablesLoadAndEachEntrySoundsItsToneInItsVoiceOnly)
{
    QTemporaryDir root, temp;
    TestBook book;
    book.Publisher = QStringLiteral("出版社");
    book.Book = QStringLiteral("课本");
    fakes::TestEntry word;
    word.Kind = "word";
    word.Boxes = {{10, 20, 30, 40}, {1, 2, 3, 4}, {5, 6, 7, 8}};
    word.Voice = "u2";
    word.Chinese = QStringLiteral("猫");
    word.English = "cat";
    book.Entries = {fakes::TestEntry{}, word, fakes::TestEntry{}};
    book.Entries[2].Page = 3;
    book.Voices = {{"u2", {QStringLiteral("U2.wav"), 11025}}};
    book.Pages = std::vector<int>{1};
    const QString folder = book.write(root.path() + QStringLiteral("/program"));

    ProgramPaths paths;
    paths.ProgramFolder = root.path() + QStringLiteral("/program");
    paths.TempFolder = temp.path();
    OpenBook open;
    open.CurrentPublisher = book.Publisher;
    open.CurrentBook = book.Book;
    fakes::ScriptedMessages messages;
    ASSERT_TRUE(LoadBookContent(paths, open, messages, nullptr, {}, {}));
    const SentenceTable& t = open.Content.Sentences;
    ASSERT_EQ(t.count(), 3);
    EXPECT_EQ(t.PageName[2], "Page3");
    EXPECT_EQ(t.Kind[1], "word");
    EXPECT_EQ(t.Box1Left[1], 10);
    EXPECT_EQ(t.Box1Bottom[1], 40);
    EXPECT_EQ(t.Box2Left[1], 1);
    EXPECT_EQ(t.Box3Bottom[1], 8);
    EXPECT_EQ(t.Box2Left[0], -1);
    EXPECT_EQ(t.VoiceName[1], "u2");
    EXPECT_EQ(t.VoiceName[2], "voice1");
    EXPECT_EQ(fromGbk(t.ChineseText[1]), QStringLiteral("猫"));
    EXPECT_EQ(t.EnglishText[1], "cat");
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(t.StartTime[row], TestBook::StartOf(row));
        EXPECT_EQ(t.EndTime[row], TestBook::EndOf(row));
    }
    // One lesson over the pages the entries name.
    ASSERT_EQ(open.Content.Lessons.count(), 1);
    EXPECT_EQ(open.Content.Lessons.FirstPage[0], 1);
    EXPECT_EQ(open.Content.Lessons.EndPage[0], 3);

    // Only the pages asked for, each a picture of the standard size.
    EXPECT_EQ(LoadPicFromZipFile(folder + QStringLiteral("/Page1.zip")).Width, 800);
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/Page3.zip")));

    // The voice files under their own names and rates; each row's tone only
    // in its range of its own voice.
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/u2.wav")));
    const Pcm u2 = ReadPcm(UnpackFile(folder + QStringLiteral("/U2.wav")));
    const Pcm voice1 = ReadPcm(UnpackFile(folder + QStringLiteral("/voice1.wav")));
    ASSERT_EQ(u2.Rate, 11025);
    ASSERT_EQ(voice1.Rate, 22050);
    EXPECT_EQ(u2.Channels, 1);
    for (const auto& [pcm, row, sounds] : {std::tuple{&u2, 1, true},
                                           {&u2, 0, false},
                                           {&voice1, 0, true},
                                           {&voice1, 1, false},
                                           {&voice1, 2, true}}) {
        const size_t first = size_t(TestBook::StartOf(row) / 10 * pcm->Rate);
        const size_t last = size_t(TestBook::EndOf(row) / 10 * pcm->Rate);
        ASSERT_LE(last, pcm->Samples.size());
        if (sounds) {
            EXPECT_GT(ShareAt(*pcm, TestBook::ToneOf(row), first, last), 0.45) << row;
            EXPECT_LT(ShareAt(*pcm, TestBook::ToneOf(row + 1), first, last), 0.05) << row;
            // Silent from the end of the range to the next second.
            EXPECT_EQ(Peak(*pcm, last + 1, size_t(pcm->Rate) * (row + 1)), 0) << row;
        } else {
            EXPECT_EQ(Peak(*pcm, first, last), 0) << row;
        }
    }
}

TEST(TestBook, FileNamesAndLineEndsAreTheTestsChoice)
{
    QTemporaryDir root;
    TestBook book;
    book.Entries.resize(2);
    book.LocationFile = QStringLiteral("LOCATION.DAT");
    book.LessonFile.clear();
    book.PageFile = QStringLiteral("page%1.ZIP");
    book.LineEnd = "\n";
    book.LastLineEnd = "\r";
    book.Voices = {{"voice1", {QString(), 22050}}};
    const QString folder = book.write(root.path());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files),
              (QStringList{QStringLiteral("LOCATION.DAT"), QStringLiteral("page1.ZIP")}));
    const QByteArray location = UnpackFile(folder + QStringLiteral("/LOCATION.DAT"));
    EXPECT_EQ(location, book.locationText());
    EXPECT_EQ(location.count('\n'), 2);
    EXPECT_TRUE(location.endsWith("Good morning\r"));
    EXPECT_TRUE(
        location.startsWith("header;image;\nPage1;sent;100,100;300,130;voice1;0:0:0,0:0:6;"));
}
