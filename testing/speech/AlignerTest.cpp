// The word aligner on espeak-ng readings with known word boundaries.
#include "SpokenWords.h"

#include "base/BookError.h"
#include "speech/SphinxAligner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

using namespace zarelo;
using namespace zarelo::speech;

namespace {

SpeechModel testModel()
{
    SpeechModel model;
    model.AcousticModel = QStringLiteral("/usr/share/pocketsphinx/model/en-us/en-us");
    model.Dictionary = QStringLiteral("/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict");
    model.HandDictionary =
        qEnvironmentVariable("ZARELO_SOURCE_DIR") + QStringLiteral("/data/speech/names.dict");
    return model;
}

const std::shared_ptr<const Lexicon>& sharedLexicon()
{
    static const auto lexicon = LoadLexicon(testModel());
    return lexicon;
}

std::vector<WordTiming> align(const QString& text, const fakes::SpokenText& spoken)
{
    SphinxAligner aligner(testModel(), sharedLexicon());
    return aligner.Align(text, PcmView{spoken.Samples, spoken.Rate, 1});
}

// Each aligned word holds its own sound and none of its neighbours': its
// start and end within 130 ms of the truth (a stop's closure or a vowel
// running into the next may move a boundary), and two thirds of the starts
// and ends within 50 ms.
void expectBoundaries(const std::vector<WordTiming>& found, const fakes::SpokenText& truth)
{
    ASSERT_EQ(found.size(), truth.Words.size());
    size_t close = 0;
    for (size_t i = 0; i < found.size(); ++i) {
        SCOPED_TRACE(truth.Words[i].Word.toStdString());
        EXPECT_EQ(found[i].Word, truth.Words[i].Word);
        ASSERT_TRUE(found[i].Found);
        EXPECT_NEAR(double(found[i].StartMs), double(truth.Words[i].StartMs), 130.0);
        EXPECT_NEAR(double(found[i].EndMs), double(truth.Words[i].EndMs), 130.0);
        close += std::abs(found[i].StartMs - truth.Words[i].StartMs) <= 50;
        close += std::abs(found[i].EndMs - truth.Words[i].EndMs) <= 50;
        EXPECT_GT(found[i].Confidence, 0.0);
        EXPECT_LE(found[i].Confidence, 1.0);
    }
    EXPECT_GE(close * 3, found.size() * 2 * 2);
}

} // namespace

TEST(Aligner, WordBoundariesMatchTheReading)
{
    const QStringList words = QString("Good morning how are you today").split(' ');
    // Uneven pauses, one shorter than a stop's closure.
    const auto spoken = fakes::SpeakWords(words, {60, 250, 30, 120, 400});
    expectBoundaries(align(words.join(' '), spoken), spoken);

    // The same reading as 44.1 kHz stereo: the aligner converts it.
    std::vector<int16_t> stereo;
    const double step = double(spoken.Rate) / 44100;
    for (double at = 0; at < spoken.Samples.size() - 1; at += step) {
        const int16_t s = spoken.Samples[size_t(at)];
        stereo.push_back(s);
        stereo.push_back(s);
    }
    SphinxAligner aligner(testModel(), sharedLexicon());
    const auto fromStereo = aligner.Align(words.join(' '), PcmView{stereo, 44100, 2});
    expectBoundaries(fromStereo, spoken);
    // Another aligner gives the same answer (the dither has a fixed seed).
    SphinxAligner another(testModel(), sharedLexicon());
    const auto again = another.Align(words.join(' '), PcmView{stereo, 44100, 2});
    for (size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].StartMs, fromStereo[i].StartMs);
        EXPECT_EQ(again[i].EndMs, fromStereo[i].EndMs);
    }
}

TEST(Aligner, LeftOutWordIsNotFound)
{
    const auto spoken = fakes::SpeakWords(QString("I like red apples and pears").split(' '), {200});
    const auto found = align(QStringLiteral("I like red apples and green pears"), spoken);
    ASSERT_EQ(found.size(), 7u);
    EXPECT_FALSE(found[5].Found) << "green at " << found[5].StartMs << "-" << found[5].EndMs;
    EXPECT_EQ(found[5].StartMs, 0);
    EXPECT_EQ(found[5].Confidence, 0.0);
    for (int i : {0, 1, 2, 3, 4, 6}) {
        SCOPED_TRACE(found[i].Word.toStdString());
        ASSERT_TRUE(found[i].Found);
        const auto& truth = spoken.Words[i < 5 ? i : 5];
        EXPECT_NEAR(double(found[i].StartMs), double(truth.StartMs), 50.0);
        EXPECT_NEAR(double(found[i].EndMs), double(truth.EndMs), 80.0);
    }

    // A text that goes on long past the reading: the words read are found
    // where they were, the rest not at all.
    const auto longer =
        align(QStringLiteral("I like red apples and green pears but my friend likes sweet bananas"),
              spoken);
    ASSERT_EQ(longer.size(), 13u);
    for (size_t i = 0; i < longer.size(); ++i) {
        SCOPED_TRACE(longer[i].Word.toStdString());
        const bool read = i < 5 || i == 6;
        EXPECT_EQ(longer[i].Found, read);
        if (read) {
            const auto& truth = spoken.Words[i < 5 ? i : 5];
            EXPECT_NEAR(double(longer[i].StartMs), double(truth.StartMs), 130.0);
        }
    }

    // A text none of whose words were spoken finds nothing in the reading,
    // or nothing it is sure of.
    for (const WordTiming& word : align(QStringLiteral("elephant umbrella"), spoken)) {
        SCOPED_TRACE(word.Word.toStdString());
        EXPECT_TRUE(!word.Found || word.Confidence < 0.5) << word.Confidence;
    }
}

TEST(Aligner, LongReadingIsFoundPartByPart)
{
    // Over a minute of sentences read as parts, with pauses of 0.7 s between
    // them and of 5 s after every fifth (a pupil's time to repeat); the
    // seventh sentence of the text is not read.
    const QStringList sentences = {"Good morning boys and girls",
                                   "This is my friend Tom",
                                   "I like red apples and green pears",
                                   "Where is the library please",
                                   "It is next to the park",
                                   "How old are you today",
                                   "My brother likes to play football",
                                   "We go to school by bus",
                                   "The panda is black and white",
                                   "Look at the big red bus",
                                   "Can you count from one to ten",
                                   "Nice to meet you Lily"};
    QStringList parts, read;
    std::vector<int> pauses;
    for (int round = 0; round < 3; ++round)
        for (const QString& sentence : sentences) {
            parts << sentence;
            if (parts.size() == 7)
                continue;
            const QStringList words = sentence.split(' ');
            read += words;
            pauses.insert(pauses.end(), size_t(words.size() - 1), 80);
            pauses.push_back(parts.size() % 5 == 0 ? 5000 : 700);
        }
    const auto spoken = fakes::SpeakWords(read, pauses);
    ASSERT_GT(spoken.Samples.size(), size_t(spoken.Rate) * 100);

    SphinxAligner aligner(testModel(), sharedLexicon());
    const auto found = aligner.AlignParts(parts, PcmView{spoken.Samples, spoken.Rate, 1});
    ASSERT_EQ(found.size(), size_t(parts.size()));
    // Every word found lies where it was read; nearly all are found (a short
    // word such as "the" may pass for part of its neighbour).
    size_t next = 0, heard = 0; // the next word of the reading; words found
    for (qsizetype p = 0; p < parts.size(); ++p) {
        SCOPED_TRACE(parts[p].toStdString());
        if (p == 6) {
            for (const WordTiming& word : found[size_t(p)])
                EXPECT_FALSE(word.Found) << word.Word.toStdString() << " at " << word.StartMs;
            continue;
        }
        for (const WordTiming& word : found[size_t(p)]) {
            const fakes::SpokenWord& truth = spoken.Words[next++];
            SCOPED_TRACE(truth.Word.toStdString());
            if (!word.Found)
                continue;
            ++heard;
            EXPECT_NEAR(double(word.StartMs), double(truth.StartMs), 130.0);
            EXPECT_NEAR(double(word.EndMs), double(truth.EndMs), 130.0);
        }
    }
    EXPECT_GE(heard * 100, read.size() * 95) << heard << " of " << read.size();
}

TEST(Aligner, NamesOfTheHandDictionaryAlign)
{
    ASSERT_FALSE(sharedLexicon()->Lookup("Meimei").isEmpty());
    const QStringList words = QString("My friends Meimei and Lingling").split(' ');
    // espeak-ng's default voice says these names so softly nasal that the
    // model takes them for silence; its third female voice is heard.
    const auto spoken = fakes::SpeakWords(words, {250}, QStringLiteral("en-us+f3"));
    expectBoundaries(align(words.join(' '), spoken), spoken);
}

TEST(Aligner, PronunciationsOfUnknownWords)
{
    Lexicon lexicon;
    lexicon.ReadText("ling L IH NG\nda D AA\nming M IH NG\ntwo T UW\n", "test words");
    // Joined from the dictionary's words where they fit, letters elsewhere.
    EXPECT_EQ(lexicon.Derive("Lingling"), "L IH NG L IH NG");
    EXPECT_EQ(lexicon.Derive("Daming"), "D AA M IH NG");
    EXPECT_EQ(lexicon.Derive("Xiaoq"), "SH IY AW CH");
    EXPECT_EQ(lexicon.Derive("B2"), "B T UW");
    EXPECT_EQ(lexicon.Pronounce("Ming"), QStringList{"M IH NG"});
    EXPECT_TRUE(lexicon.Derive("…").isEmpty());

    // A dictionary line with a phone the model lacks names its file and line.
    try {
        lexicon.ReadText("hello HH AH L OW\nworld W ER L DD\n", "names.dict");
        FAIL() << "no error";
    } catch (const BookError& e) {
        EXPECT_EQ(e.message(),
                  "names.dict, line 2: expected a word and phones of the speech model, "
                  "found “world W ER L DD”");
    }
    EXPECT_EQ(SplitWords("“Don't!” she said: it's 5 o'clock."),
              (QStringList{"Don't", "she", "said", "it's", "5", "o'clock"}));

    // A pronunciation given for one aligner wins over the derived one.
    SphinxAligner aligner(testModel(), sharedLexicon());
    EXPECT_FALSE(aligner.SetPronunciation("Bobo", "B OW B XX"));
    EXPECT_TRUE(aligner.SetPronunciation("Bobo", "B OW B OW"));
    const auto spoken = fakes::SpeakWords({"hello", "Bobo"}, {300});
    expectBoundaries(aligner.Align("hello Bobo", PcmView{spoken.Samples, spoken.Rate, 1}), spoken);

    // A book's pronunciations: the lines that read are taken, the others left
    // out. "Qwxq" would be guessed from its letters as nothing like "Bobo".
    SphinxAligner reader(testModel(), sharedLexicon());
    reader.UsePronunciations("qwxq B OW B XX\nhello(2) HH AH L OW\nqwxq(2) B OW B OW\n");
    const auto said = reader.Align("hello Qwxq", PcmView{spoken.Samples, spoken.Rate, 1});
    ASSERT_EQ(said.size(), 2u);
    ASSERT_TRUE(said[1].Found);
    EXPECT_NEAR(double(said[1].StartMs), double(spoken.Words[1].StartMs), 50.0);
    EXPECT_NEAR(double(said[1].EndMs), double(spoken.Words[1].EndMs), 80.0);
}

TEST(Aligner, BadModelAndBadRecordings)
{
    QTemporaryDir empty;
    SpeechModel model = testModel();
    model.AcousticModel = empty.path();
    try {
        SphinxAligner aligner(model, sharedLexicon());
        FAIL() << "opened a model folder with no model";
    } catch (const BookError& e) {
        EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(empty.path())));
    }
    model.Dictionary = empty.path() + "/missing.dict";
    EXPECT_THROW(LoadLexicon(model), BookError);

    SphinxAligner aligner(testModel(), sharedLexicon());
    const std::vector<int16_t> samples(16000, 1000);
    for (const PcmView& bad : {PcmView{samples, 0, 1}, PcmView{samples, 16000, 0},
                               PcmView{{}, 16000, 1}, PcmView{samples, 1, 1}}) {
        const auto found = aligner.Align("hello world", bad);
        ASSERT_EQ(found.size(), 2u);
        EXPECT_FALSE(found[0].Found);
        EXPECT_FALSE(found[1].Found);
    }
    EXPECT_TRUE(aligner.Align(" ,. ", PcmView{samples, 16000, 1}).empty());
}
