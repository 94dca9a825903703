#include "support/TestBook.h"

#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "support/Wav.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

namespace zarelo::fakes {

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray number(int n)
{
    return QByteArray::number(n);
}

// Tenths of a second as the sentence time m:s:f with a one-digit fraction.
QByteArray sentenceTime(double tenths)
{
    const int t = static_cast<int>(tenths);
    return number(t / 600) + ':' + number(t / 10 % 60) + ':' + number(t % 10);
}

QByteArray joinLines(const std::vector<QByteArray>& lines, const QByteArray& end,
                     const QByteArray& lastEnd)
{
    QByteArray text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += lines[i] + (i + 1 == lines.size() ? lastEnd : end);
    return text;
}

} // namespace

QString TestBook::folderIn(const QString& programFolder) const
{
    return programFolder + u'/' + Publisher + u'/' + Book;
}

QByteArray TestBook::locationText() const
{
    std::vector<QByteArray> lines{Header};
    for (size_t row = 0; row < Entries.size(); ++row) {
        const TestEntry& e = Entries[row];
        QByteArray boxes;
        for (size_t k = 0; k < e.Boxes.size(); ++k) {
            const TestBox& b = e.Boxes[k];
            if (k > 0)
                boxes += '@' + number(b.Left) + ',' + number(b.Top) + '@';
            boxes += number(b.Right) + ',' + number(b.Bottom);
        }
        const TestBox& first = e.Boxes.at(0);
        const int r = static_cast<int>(row);
        lines.push_back("Page" + number(e.Page) + ';' + e.Kind + ';' + number(first.Left) + ',' +
                        number(first.Top) + ';' + boxes + ';' + e.Voice + ';' +
                        sentenceTime(StartOf(r)) + ',' + sentenceTime(EndOf(r)) + ';' +
                        toGbk(e.Chinese) + ':' + e.English);
    }
    return joinLines(lines, LineEnd, LastLineEnd);
}

QByteArray TestBook::lessonText() const
{
    std::vector<TestLesson> lessons = Lessons;
    if (lessons.empty()) {
        int first = 1, last = 1;
        for (size_t i = 0; i < Entries.size(); ++i) {
            first = i ? std::min(first, Entries[i].Page) : Entries[i].Page;
            last = i ? std::max(last, Entries[i].Page) : Entries[i].Page;
        }
        lessons.push_back({"Lesson 1", "Title", first, last});
    }
    std::vector<QByteArray> lines;
    for (const TestLesson& l : lessons)
        lines.push_back(l.Name + ';' + l.Title + ";c2;0:00:0;c4;0:10:0;" + number(l.FirstPage) +
                        ';' + number(l.EndPage));
    return joinLines(lines, LineEnd, LastLineEnd);
}

TestVoiceFile TestBook::voiceFile(const QByteArray& voice) const
{
    const auto found = Voices.find(voice);
    if (found != Voices.end())
        return found->second;
    return {QString::fromUtf8(voice) + QStringLiteral(".wav"), 22050};
}

QByteArray TestBook::voiceWav(const QByteArray& voice) const
{
    const int rate = voiceFile(voice).Rate;
    int rows = 0;
    for (size_t row = 0; row < Entries.size(); ++row)
        if (Entries[row].Voice == voice)
            rows = static_cast<int>(row) + 1;
    // One second per row up to the last row of this voice, then a silent second.
    std::vector<int16_t> samples;
    for (int row = 0; row <= rows; ++row) {
        const bool sounds = row < rows && Entries[size_t(row)].Voice == voice;
        const std::vector<int16_t> tone = ToneSamples(rate, (EndOf(row) - StartOf(row)) / 10,
                                                      sounds ? ToneOf(row) : 0, ToneAmplitude);
        samples.insert(samples.end(), tone.begin(), tone.end());
        samples.resize(size_t(rate) * (row + 1), 0);
    }
    return WavBytes(rate, 1, samples);
}

QString TestBook::write(const QString& programFolder) const
{
    const QString folder = folderIn(programFolder);
    QDir().mkpath(folder);
    if (!LocationFile.isEmpty())
        writeFile(folder + u'/' + LocationFile, PackBytes(locationText()));
    if (!LessonFile.isEmpty())
        writeFile(folder + u'/' + LessonFile, PackBytes(lessonText()));

    std::vector<int> pages;
    if (Pages) {
        pages = *Pages;
    } else {
        for (const TestEntry& e : Entries)
            if (std::find(pages.begin(), pages.end(), e.Page) == pages.end())
                pages.push_back(e.Page);
    }
    for (int page : pages) {
        PagePicture picture;
        if (const auto own = PagePictures.find(page); own != PagePictures.end()) {
            picture = own->second;
        } else {
            for (const TestEntry& e : Entries)
                if (e.Page == page)
                    for (const TestBox& b : e.Boxes)
                        picture.Rects.push_back({b.Left, b.Top, b.Right, b.Bottom, 0x202020});
        }
        writeFile(folder + u'/' + PageFile.arg(page), PackBytes(PageJpeg(picture)));
    }

    std::set<QByteArray> voices;
    for (const TestEntry& e : Entries)
        voices.insert(e.Voice);
    for (const QByteArray& voice : voices) {
        const TestVoiceFile file = voiceFile(voice);
        if (!file.FileName.isEmpty())
            writeFile(folder + u'/' + file.FileName, PackBytes(voiceWav(voice)));
    }
    return folder;
}

TestBook FourPageBook(const QString& publisher, const QString& book)
{
    TestBook b;
    b.Publisher = publisher;
    b.Book = book;
    for (int page = 1; page <= 4; ++page)
        for (int k = 0; k < 2; ++k) {
            TestEntry e;
            e.Page = page;
            e.Kind = k ? "word" : "sent";
            e.Boxes = {{100, 100 + 60 * k, 700, 140 + 60 * k}};
            e.Chinese = QStringLiteral("早上好");
            e.English = "Good morning " + QByteArray::number((page - 1) * 2 + k);
            b.Entries.push_back(e);
        }
    b.Lessons = {{"Unit 1", "Hello", 1, 2},
                 {"Lesson 1", "Good morning", 1, 2},
                 {"Unit 2", "My school", 3, 4},
                 {"Lesson 2", "Our classroom", 3, 4}};
    return b;
}

int TestBook::RowHeard(const std::vector<int16_t>& frames, int rows, int rate, double speed)
{
    double energy = 0;
    for (size_t i = 0; i < frames.size(); i += 2)
        energy += double(frames[i]) * frames[i];
    if (energy / double(frames.size() / 2 + 1) < 1e5)
        return -1;
    // Goertzel power of each row's tone in channel 0.
    int best = -1;
    double bestPower = 0;
    for (int row = 0; row < rows; ++row) {
        const double w = 2 * std::numbers::pi * ToneOf(row) * speed / rate;
        const double coeff = 2 * std::cos(w);
        double s1 = 0, s2 = 0;
        for (size_t i = 0; i < frames.size(); i += 2) {
            const double s = frames[i] + coeff * s1 - s2;
            s2 = s1;
            s1 = s;
        }
        const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
        if (power > bestPower)
            bestPower = power, best = row;
    }
    return best;
}

} // namespace zarelo::fakes
