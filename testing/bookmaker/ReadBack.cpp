#include "ReadBack.h"

#include "book/BookLoader.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "support/ScriptedMessages.h"

#include <QFile>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <sndfile.h>

namespace zarelo::makertest {

namespace {

struct MemoryFile {
    const QByteArray* bytes;
    sf_count_t at = 0;
};

sf_count_t memLength(void* user)
{
    return static_cast<MemoryFile*>(user)->bytes->size();
}

sf_count_t memSeek(sf_count_t offset, int whence, void* user)
{
    auto* f = static_cast<MemoryFile*>(user);
    const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f->at : f->bytes->size();
    f->at = std::clamp<sf_count_t>(base + offset, 0, f->bytes->size());
    return f->at;
}

sf_count_t memRead(void* out, sf_count_t count, void* user)
{
    auto* f = static_cast<MemoryFile*>(user);
    const sf_count_t n = std::min<sf_count_t>(count, f->bytes->size() - f->at);
    std::memcpy(out, f->bytes->constData() + f->at, n);
    f->at += n;
    return n;
}

sf_count_t memTell(void* user)
{
    return static_cast<MemoryFile*>(user)->at;
}

int luminance(const DecodedImage& image, int x, int y)
{
    const auto* p = reinterpret_cast<const uint8_t*>(image.Pixels.constData()) +
                    (static_cast<qsizetype>(y) * image.Width + x) * 4;
    return (p[0] * 114 + p[1] * 587 + p[2] * 299) / 1000; // B G R X
}

} // namespace

DecodedVoice DecodeWav(const QByteArray& bytes)
{
    SF_VIRTUAL_IO io{memLength, memSeek, memRead, nullptr, memTell};
    MemoryFile file{&bytes};
    SF_INFO info{};
    SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &file);
    DecodedVoice voice;
    if (!sound) {
        ADD_FAILURE() << "libsndfile cannot read the voice: " << sf_strerror(nullptr);
        return voice;
    }
    voice.SampleRate = info.samplerate;
    voice.Channels = info.channels;
    voice.Samples.resize(static_cast<size_t>(info.frames * info.channels));
    const sf_count_t read = sf_readf_short(sound, voice.Samples.data(), info.frames);
    EXPECT_EQ(read, info.frames);
    sf_close(sound);
    return voice;
}

OpenBook LoadBook(const QString& programFolder, const QString& publisher, const QString& book,
                  const QString& tempFolder)
{
    ProgramPaths paths;
    paths.ProgramFolder = programFolder;
    paths.TempFolder = tempFolder;
    OpenBook open;
    open.CurrentPublisher = publisher;
    open.CurrentBook = book;
    open.CurrentPage = 1;
    fakes::ScriptedMessages messages;
    bool chooserRan = false;
    const bool loaded = LoadBookContent(paths, open, messages, nullptr,
                                        [&] { return chooserRan = true, false; }, {});
    EXPECT_TRUE(loaded) << messages.texts().join(u'|').toStdString();
    EXPECT_FALSE(chooserRan);
    EXPECT_TRUE(messages.shown.isEmpty());
    return open;
}

std::vector<Rect> BoxesOf(const SentenceTable& t, int row)
{
    std::vector<Rect> boxes{{t.Box1Left[row], t.Box1Top[row], t.Box1Right[row], t.Box1Bottom[row]}};
    if (t.Box2Left[row] != -1)
        boxes.push_back({t.Box2Left[row], t.Box2Top[row], t.Box2Right[row], t.Box2Bottom[row]});
    if (t.Box3Left[row] != -1)
        boxes.push_back({t.Box3Left[row], t.Box3Top[row], t.Box3Right[row], t.Box3Bottom[row]});
    return boxes;
}

void CheckEntriesAgainstFiles(const OpenBook& book, const QString& bookFolder)
{
    const SentenceTable& t = book.Content.Sentences;
    std::map<int, DecodedImage> pages;
    std::map<QByteArray, DecodedVoice> voices;
    // Per voice: the entry ranges in sample frames, to check the gaps.
    std::map<QByteArray, std::vector<std::pair<int64_t, int64_t>>> ranges;
    for (int row = 0; row < t.count(); ++row) {
        SCOPED_TRACE(QStringLiteral("entry %1 “%2”")
                         .arg(row)
                         .arg(fromGbk(t.EnglishText[row]))
                         .toStdString());
        const int page = book.EntryPage(row);
        if (!pages.count(page)) {
            const QString path = bookFolder + QStringLiteral("/Page%1.zip").arg(page);
            ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
            pages[page] = LoadPicFromZipFile(path);
            EXPECT_EQ(pages[page].Width, 800);
        }
        const DecodedImage& image = pages[page];
        for (const Rect& r : BoxesOf(t, row)) {
            ASSERT_TRUE(0 <= r.Left && r.Left < r.Right && r.Right <= image.Width && 0 <= r.Top &&
                        r.Top < r.Bottom && r.Bottom <= image.Height)
                << r.Left << ',' << r.Top << ' ' << r.Right << ',' << r.Bottom;
            int low = 255, high = 0;
            for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
                for (int x = r.Left + 1; x < r.Right - 1; ++x) {
                    const int v = luminance(image, x, y);
                    low = std::min(low, v);
                    high = std::max(high, v);
                }
            EXPECT_GT(high - low, 100) << "nothing drawn in " << r.Left << ',' << r.Top;
        }

        const QByteArray name(t.VoiceName[row].data(), t.VoiceName[row].size());
        if (!voices.count(name)) {
            const QString path = bookFolder + u'/' + fromGbk(name) + QStringLiteral(".wav");
            voices[name] = DecodeWav(UnpackFile(path));
            EXPECT_EQ(voices[name].Channels, 1);
        }
        const DecodedVoice& voice = voices[name];
        ASSERT_GT(voice.SampleRate, 0);
        // Times are tenths of a second.
        EXPECT_LT(t.StartTime[row], t.EndTime[row]);
        EXPECT_LE(t.EndTime[row] / 10.0, voice.seconds());
        const int64_t first =
            static_cast<int64_t>(t.StartTime[row] / 10.0 * voice.SampleRate + 1e-6);
        const int64_t end =
            std::min<int64_t>(static_cast<int64_t>(t.EndTime[row] / 10.0 * voice.SampleRate + 1e-6),
                              voice.Samples.size());
        int peak = 0;
        for (int64_t i = first; i < end; ++i)
            peak = std::max(peak, std::abs(int(voice.Samples[i])));
        EXPECT_GT(peak, 2000) << "no speech in the entry's range";
        ranges[name].push_back({first, end});
    }
    for (auto& [name, list] : ranges) {
        SCOPED_TRACE(name.toStdString());
        std::sort(list.begin(), list.end());
        const DecodedVoice& voice = voices[name];
        int64_t previousEnd = 0;
        for (const auto& [first, end] : list) {
            EXPECT_LE(previousEnd, first) << "entry ranges of one voice overlap";
            int gapPeak = 0;
            for (int64_t i = previousEnd; i < first; ++i)
                gapPeak = std::max(gapPeak, std::abs(int(voice.Samples[i])));
            EXPECT_LT(gapPeak, 256) << "sound outside the entries' ranges before frame " << first;
            previousEnd = end;
        }
        int tailPeak = 0;
        for (size_t i = previousEnd; i < voice.Samples.size(); ++i)
            tailPeak = std::max(tailPeak, std::abs(int(voice.Samples[i])));
        EXPECT_LT(tailPeak, 256) << "sound after the last entry";
    }
}

} // namespace zarelo::makertest
