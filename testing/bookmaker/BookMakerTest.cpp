// The book maker against the book readers: make a book in a temporary program
// folder, read it back with LoadBookContent, the JPEG page reader and
// libsndfile, and check that what the tables say matches what the files hold.

#include "ReadBack.h"
#include "base/BookError.h"
#include "book/BookLoader.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "bookmaker/BookSource.h"
#include "bookmaker/BookWriter.h"
#include "bookmaker/PageDrawing.h"
#include "bookmaker/Voice.h"
#include "bookmaker/Wav.h"
#include "reading/TextPageLayout.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

using namespace zarelo;
using namespace zarelo::bookmaker;
using namespace zarelo::makertest;

namespace {

const char* const kImageSource = R"(# a small image book
publisher 测试出版社
book 测试课本
layout image
say Zhang JH AA NG

heading Unit 1 | Test unit
heading Lesson 1 | First lesson
voice VoiceA
page 1
section Let's talk
sent Good morning, Miss Zhang. | 早上好，张老师。 | teacher Miss Zhang
sent This is my friend Lily. She is in Class One, Grade Three. | 这是我的朋友莉莉。她在三年级一班。 | boy Tom
sent Hello, everyone! My name is Tom. I am nine years old. I like cats, dogs and birds, and I go to the zoo with my father every Sunday. | 大家好！我叫汤姆。我九岁了。我喜欢猫、狗和鸟，每个星期天我都和爸爸去动物园。
other Hello, hello! | 你好，你好！
page 2
section Let's learn
word cat | 猫 | cat
word dog | 狗 | dog
word hello | 你好

heading Lesson 2 | Second lesson
voice VoiceB
page 3
sent What's this? | 这是什么？ | boy Tom
word panda | 熊猫 | panda
)";

const char* const kTextSource = R"(publisher 测试出版社
book 测试短文
layout text
heading Unit 1 | Stories
heading Lesson 1 | My Family
voice Story
page 1
sent My name is Amy. I am ten years old. | 我叫埃米。我十岁了。
sent There are four people in my family, and we live in a small house near the river. | 我家有四口人，我们住在河边的一座小房子里。
sent My father is a doctor.~ | 我爸爸是医生。
sent We love each other very much.~ | 我们非常爱彼此。
heading Lesson 2 | A Rainy Day
page 2
sent It is a rainy day today.~ | 今天是个下雨天。
)";

struct MadeBook {
    QTemporaryDir program;
    QTemporaryDir temp;
    BookSource source;
    OpenBook open;
    QString folder;
};

std::unique_ptr<MadeBook> make(const char* text)
{
    auto made = std::make_unique<MadeBook>();
    made->source = ParseBookSource(text, QStringLiteral("test.txt"));
    made->folder = WriteBook(made->source, made->program.path(), SpeechOptions{}).Folder;
    made->open = LoadBook(made->program.path(), made->source.Publisher, made->source.Name,
                          made->temp.path());
    return made;
}

// The page view's hit test: the first entry of the page, in table order,
// whose rectangle holds the point strictly inside.
int hitTest(const OpenBook& book, int page, int x, int y)
{
    const SentenceTable& t = book.Content.Sentences;
    for (int row = 0; row < t.count(); ++row) {
        if (book.EntryPage(row) != page)
            continue;
        for (const Rect& r : BoxesOf(t, row))
            if (r.Left < x && x < r.Right && r.Top < y && y < r.Bottom)
                return row;
    }
    return -1;
}

} // namespace

TEST(BookMaker, ImageBookReadsBackThroughTheBookReaders)
{
    const auto made = make(kImageSource);
    const SentenceTable& t = made->open.Content.Sentences;
    const BookSource& source = made->source;
    ASSERT_EQ(t.count(), static_cast<int>(source.Entries.size()));
    EXPECT_FALSE(made->open.IsTextBook);
    EXPECT_EQ(made->open.CurrentVoiceName, "VoiceA");
    for (int row = 0; row < t.count(); ++row) {
        const SourceEntry& e = source.Entries[row];
        EXPECT_EQ(fromGbk(t.PageName[row]), QStringLiteral("Page%1").arg(e.Page));
        EXPECT_EQ(fromGbk(t.Kind[row]), e.Kind);
        EXPECT_EQ(fromGbk(t.ChineseText[row]), e.Chinese) << "GBK round trip";
        EXPECT_EQ(fromGbk(t.EnglishText[row]), e.English);
        EXPECT_EQ(fromGbk(t.VoiceName[row]), e.Voice);
    }
    // The source's pronunciations lie beside the tables and are read with
    // them, for the word aligner.
    EXPECT_EQ(made->open.Content.Pronunciations, "zhang JH AA NG\n");

    // Table boxes are the rectangles the pages were drawn with.
    for (const SourcePage& page : source.Pages) {
        const DrawnPage drawn = DrawImagePage(source, page);
        for (const auto& [row, boxes] : drawn.Boxes) {
            const std::vector<Rect> read = BoxesOf(t, row);
            ASSERT_EQ(read.size(), boxes.size()) << "entry " << row;
            for (size_t k = 0; k < boxes.size(); ++k) {
                EXPECT_EQ(read[k].Left, boxes[k].Left);
                EXPECT_EQ(read[k].Top, boxes[k].Top);
                EXPECT_EQ(read[k].Right, boxes[k].Right);
                EXPECT_EQ(read[k].Bottom, boxes[k].Bottom);
            }
        }
    }
    // One line, a wrap onto two lines and one onto three; the second and
    // third lines start at the first line's left edge, lower down.
    EXPECT_EQ(t.Box2Left[0], -1);
    EXPECT_NE(t.Box2Left[1], -1);
    EXPECT_EQ(t.Box3Left[1], -1);
    EXPECT_NE(t.Box3Left[2], -1);
    EXPECT_EQ(t.Box2Left[2], t.Box1Left[2]);
    EXPECT_GT(t.Box2Top[2], t.Box1Bottom[2]);
    EXPECT_GT(t.Box3Top[2], t.Box2Bottom[2]);
    // Sentence lines are underlined (lower than 48 px), word cards framed.
    for (int row : {0, 1, 2, 3})
        EXPECT_LT(t.Box1Bottom[row] - t.Box1Top[row], 48);
    for (int row : {4, 5, 8})
        EXPECT_GE(t.Box1Bottom[row] - t.Box1Top[row], 48);

    CheckEntriesAgainstFiles(made->open, made->folder);

    // Each voice holds its entries and ends 0.5 s after the last one.
    for (const char* name : {"VoiceA", "VoiceB"}) {
        const DecodedVoice voice = DecodeWav(UnpackFile(made->folder + u'/' + name + ".wav"));
        double lastEnd = 0;
        for (int row = 0; row < t.count(); ++row)
            if (t.VoiceName[row] == name)
                lastEnd = std::max(lastEnd, t.EndTime[row]);
        const int64_t endHundredths = std::llround(lastEnd * 10);
        EXPECT_EQ(static_cast<int64_t>(voice.Samples.size()),
                  ((endHundredths + 50) * voice.SampleRate + 99) / 100)
            << name;
    }

    const LessonTable& lessons = made->open.Content.Lessons;
    ASSERT_EQ(lessons.count(), 3);
    EXPECT_EQ(fromGbk(lessons.Name[0]), "Unit 1");
    EXPECT_EQ(fromGbk(lessons.Title[1]), "First lesson");
    EXPECT_EQ(lessons.FirstPage[0], 1);
    EXPECT_EQ(lessons.EndPage[0], 3);
    EXPECT_EQ(lessons.FirstPage[1], 1);
    EXPECT_EQ(lessons.EndPage[1], 2);
    EXPECT_EQ(lessons.FirstPage[2], 3);
    EXPECT_EQ(lessons.EndPage[2], 3);
    EXPECT_EQ(lessons.Column2[2], "VoiceB");
    EXPECT_LT(lessons.StartTime[2], lessons.EndTime[2]);
}

TEST(BookMaker, TextBookBoxesMatchThePageViewLayout)
{
    const auto made = make(kTextSource);
    const OpenBook& book = made->open;
    const SentenceTable& t = book.Content.Sentences;
    EXPECT_TRUE(book.IsTextBook);
    ASSERT_EQ(t.count(), 5);
    // The long second entry continues the first line and wraps to x = 20.
    EXPECT_EQ(t.Box1Left[0], 40);
    EXPECT_EQ(t.Box1Top[0], 40);
    EXPECT_EQ(t.Box1Left[1], t.Box1Right[0]);
    EXPECT_EQ(t.Box2Left[1], 20);
    EXPECT_EQ(t.Box2Top[1], 68);
    // After a paragraph end ("~") the next entry starts a line at x = 40.
    EXPECT_EQ(t.Box1Left[3], 40);
    EXPECT_EQ(t.Box1Top[3], BoxesOf(t, 2).back().Top + 28);
    EXPECT_EQ(t.Box1Left[4], 40);
    EXPECT_EQ(t.Box1Top[4], 40);

    // The page view lays the read-back table out with the shared text page
    // layout in its font. Each entry's boxes are its lines there: from its
    // first word's left to its last drawn word's right, one text high; and
    // every drawn word is hit as its own entry.
    QFont font(TextPageFontFamily());
    font.setPixelSize(kTextPageFontPixels);
    const QFontMetrics metrics(font);
    const TextMeasure measure{
        [&metrics](const QString& text) { return metrics.horizontalAdvance(text); },
        metrics.height()};
    for (const SourcePage& page : made->source.Pages) {
        const QByteArray pageName = "Page" + QByteArray::number(page.Number);
        const std::vector<TextPageWord> words =
            LayoutTextPage(TextPageEntries(t, pageName), measure);
        ASSERT_FALSE(words.empty());
        std::map<int, std::vector<Rect>> lines;
        for (const TextPageWord& w : words) {
            std::vector<Rect>& entry = lines[w.row];
            if (entry.empty() || entry.back().Top != w.rect.top())
                entry.push_back(
                    {w.rect.left(), w.rect.top(), w.drawnRight, w.rect.top() + metrics.height()});
            else
                entry.back().Right = w.drawnRight;
            const int x = (w.rect.left() + w.drawnRight) / 2;
            const int y = w.rect.top() + metrics.height() / 2;
            EXPECT_EQ(hitTest(book, page.Number, x, y), w.row) << w.text.toStdString();
        }
        for (const auto& [row, expected] : lines) {
            const std::vector<Rect> boxes = BoxesOf(t, row);
            ASSERT_EQ(boxes.size(), expected.size()) << "row " << row;
            for (size_t k = 0; k < boxes.size(); ++k) {
                EXPECT_EQ(boxes[k].Left, expected[k].Left) << "row " << row << " box " << k;
                EXPECT_EQ(boxes[k].Top, expected[k].Top) << "row " << row << " box " << k;
                EXPECT_EQ(boxes[k].Right, expected[k].Right) << "row " << row << " box " << k;
                EXPECT_EQ(boxes[k].Bottom, expected[k].Bottom) << "row " << row << " box " << k;
            }
        }
    }
    CheckEntriesAgainstFiles(book, made->folder);
    // The paragraph mark stays in the table, but is not spoken or drawn.
    EXPECT_EQ(t.EnglishText[2], "My father is a doctor.~");
}

TEST(BookMaker, FailedSpeechLeavesThePreviousBookInPlace)
{
    const auto made = make(kImageSource);
    SpeechOptions broken;
    broken.Program = QStringLiteral("/nonexistent/espeak-ng");
    EXPECT_THROW(WriteBook(made->source, made->program.path(), broken), BookError);
    const QDir publisher(made->program.path() + u'/' + made->source.Publisher);
    EXPECT_EQ(publisher.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{made->source.Name});
    LoadBook(made->program.path(), made->source.Publisher, made->source.Name, made->temp.path());
}

TEST(BookSource, ErrorsNameTheLine)
{
    const QByteArray head = "publisher P\nbook B\nheading Unit 1 | U\nvoice V\npage 1\n";
    const struct {
        QByteArray text;
        int line;
    } cases[] = {
        {head + "sent Hello: Tom | 你好\n", 6},               // ':' would split the text field
        {head + "sent Hello | 你好; 汤姆\n", 6},              // ';' would split the line
        {head + "sent Hello\n", 6},                           // no Chinese
        {head + "page 3\n", 6},                               // pages in order
        {head + "colour red\n", 6},                           // unknown keyword
        {head + "sent Good night~ | 晚安\n", 6},              // '~' only on text books
        {head + "sent Hello, \xc3\xa9t\xc3\xa9 | 你好\n", 6}, // not ASCII
        {"publisher P\nbook B\nvoice V\npage 1\nsent Hi | 嗨\n", 5}, // before any heading
        {"publisher P\nbook B\nheading Unit 1 | U\npage 1\nsent Hi | 嗨\n", 5}, // no voice
        {head + "sent Hi | 嗨\nheading Lesson 9 | Empty\n", 7}, // a heading without entries
        {head + "sent Hi | 嗨\npage 2\n", 7},                   // an empty page
        {head + "sent Hi | 嗨 | time 1-2\n", 6},                // a time without a recording
        {head + "sent Hi | 嗨 | box 1,2,30,40\n", 6},           // a box on a drawn page
        {head + "sent Hi | 嗨 | box 1,2,30\n", 6},              // three numbers
        {head + "sent Hi | 嗨 | time 2-1.5\n", 6},              // ends before it starts
        {head + "say Ling ling L IH NG\n", 6},                  // one word only
        {head + "say Lingling L IH NG L IH NG Q\n", 6},         // not a phone of the model
        {head + "say Lingling\n", 6},                           // no phones
        {head + "say Hao HH AW\nsay hao HH AW\n", 7},           // said twice
        {"publisher P\nbook B\nheading Unit 1 | U\nvoice V from nowhere.mp3\n", 4},
        {"publisher P\nbook B\nlayout text\npage 1 from scan.png\n", 4},
    };
    for (const auto& c : cases) {
        try {
            ParseBookSource(c.text, QStringLiteral("b.txt"));
            ADD_FAILURE() << "accepted: " << c.text.toStdString();
        } catch (const BookError& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("b.txt line %1:").arg(c.line)))
                << e.message().toStdString();
        }
    }
    EXPECT_THROW(ParseBookSource("publisher public1\nbook B\n", QStringLiteral("b.txt")),
                 BookError);
}

TEST(BookSource, DrawingRefusesWhatThePageCannotHold)
{
    const QByteArray head = "publisher P\nbook B\nheading Unit 1 | U\nvoice V\npage 1\n";
    const BookSource unknown =
        ParseBookSource(head + "word cat | 猫 | unicorn\n", QStringLiteral("b.txt"));
    EXPECT_THROW(DrawImagePage(unknown, unknown.Pages[0]), BookError);
    QByteArray many = head;
    for (int i = 0; i < 12; ++i)
        many += "sent Good morning, Miss Zhang. How are you today? | 早上好，张老师。您今天好吗？ "
                "| boy Tom\n";
    const BookSource overflowing = ParseBookSource(many, QStringLiteral("b.txt"));
    EXPECT_THROW(DrawImagePage(overflowing, overflowing.Pages[0]), BookError);
    QByteArray longText = head + "sent";
    for (int i = 0; i < 60; ++i)
        longText += " word";
    const BookSource tooLong = ParseBookSource(longText + " | 很长\n", QStringLiteral("b.txt"));
    EXPECT_THROW(DrawImagePage(tooLong, tooLong.Pages[0]), BookError);
}

TEST(VoiceTimes, TextsReadBackAsTheReadersParseThem)
{
    for (int h : {0, 5, 30, 325, 5999, 6000, 61234}) {
        const QByteArray text = SentenceTimeText(h).toLatin1();
        EXPECT_DOUBLE_EQ(SentenceTime(text), h / 10.0) << text.constData();
    }
    EXPECT_EQ(SentenceTimeText(325), "0:03:25");
    for (int tenths : {0, 3, 32, 599, 600, 6125})
        EXPECT_DOUBLE_EQ(LessonTime(LessonTimeText(tenths).toLatin1()), tenths);
}

TEST(VoiceTimes, JoinedClipsLieInsideTheirRanges)
{
    const int rate = 22050;
    std::vector<MonoSound> clips;
    for (int n : {1000, 22050, 333}) {
        MonoSound clip{rate, std::vector<int16_t>(n, 5000)};
        clips.push_back(clip);
    }
    const JoinedVoice joined = JoinClips(clips);
    ASSERT_EQ(joined.Times.size(), 3u);
    int previous = 0;
    for (size_t k = 0; k < clips.size(); ++k) {
        const ClipTime& time = joined.Times[k];
        EXPECT_GE(time.Start, previous + (k ? 60 : 30));
        const int64_t first = (int64_t(time.Start) * rate + 99) / 100;
        const int64_t end = int64_t(time.End) * rate / 100;
        // The clip's samples start at the range start and end inside it.
        EXPECT_EQ(joined.Sound.Samples[first], 5000);
        if (first > 0) {
            EXPECT_EQ(joined.Sound.Samples[first - 1], 0);
        }
        EXPECT_EQ(joined.Sound.Samples[first + clips[k].Samples.size() - 1], 5000);
        EXPECT_LE(first + int64_t(clips[k].Samples.size()), end);
        EXPECT_EQ(joined.Sound.Samples[end], 0);
        previous = time.End;
    }
}

TEST(Wav, WrittenSoundsDecodeWithLibsndfile)
{
    const MonoSound sound{22050, {0, 1, -1, 32767, -32768, 1234}};
    const MonoSound back = ReadWav(WriteWav(sound), QStringLiteral("x.wav"));
    EXPECT_EQ(back.SampleRate, 22050);
    EXPECT_EQ(back.Samples, sound.Samples);
    EXPECT_THROW(ReadWav("RIFF....WAVEjunk", QStringLiteral("x.wav")), BookError);

    for (const MonoSound& cue : {StartCue(), SuccessCue()}) {
        const DecodedVoice decoded = DecodeWav(WriteWav(cue));
        EXPECT_EQ(decoded.SampleRate, 44100);
        EXPECT_GT(decoded.seconds(), 0.3);
        EXPECT_LT(decoded.seconds(), 1.0);
        int peak = 0;
        for (int16_t s : decoded.Samples)
            peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 4000);
        EXPECT_LT(peak, 16000); // well below clipping
    }
}

int main(int argc, char** argv)
{
    // Pages are drawn with QPainter and fonts, which need the GUI application.
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
