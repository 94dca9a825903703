#pragma once
// A small book folder written for a test: program folder / publisher / book /
// with the packed tables "location.dat" and "LessonIndex.dat" (GBK text),
// packed JPEG pages and packed WAV voices. Every part a test may vary is a
// field; write() puts the folder on disk.
//
// Sound: row i of the table sounds a sine of ToneOf(i) Hz in its own voice
// file, over [StartOf(i), EndOf(i)] tenths of a second (i seconds to i.6
// seconds); the rest of every voice file is silent. A voice file holds only
// the rows that name it, so a wrong voice or range is heard as silence.

#include "support/PageJpeg.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

#include <map>
#include <optional>
#include <vector>

namespace zarelo::fakes {

struct TestBox {
    int Left, Top, Right, Bottom;
};

struct TestEntry {
    int Page = 1;                                     // written as "Page<N>"
    QByteArray Kind = "sent";                         // "sent", "word" or anything else
    std::vector<TestBox> Boxes{{100, 100, 300, 130}}; // 1 to 3 rectangles
    QByteArray Voice = "voice1";                      // VoiceName as the table has it
    QString Chinese = QStringLiteral("中文");         // written in GBK
    QByteArray English = "Good morning";
};

struct TestLesson {
    QByteArray Name; // "Unit 1", "Lesson 2", ...
    QByteArray Title;
    int FirstPage = 1;
    int EndPage = 1;
};

struct TestVoiceFile {
    QString FileName; // the name on disk, e.g. "U2.wav" for table voice "u2"
    int Rate = 22050; // Hz, mono 16-bit
};

struct TestBook {
    QString Publisher = QStringLiteral("Pub");
    QString Book = QStringLiteral("Book");
    QByteArray Header = "header;image;"; // "header;text;" makes a text book
    std::vector<TestEntry> Entries;
    std::vector<TestLesson> Lessons; // none: one "Lesson 1" over every page an entry names
    // File names in the book folder; an empty name leaves that table out.
    QString LocationFile = QStringLiteral("location.dat");
    QString LessonFile = QStringLiteral("LessonIndex.dat");
    QString PageFile = QStringLiteral("Page%1.zip"); // %1: the page number
    // The pages that get a picture; unset: every page an entry stands on.
    std::optional<std::vector<int>> Pages;
    // A page's picture: an 800 x 1000 PagePicture with the boxes of the
    // page's entries painted dark, unless the page is listed here.
    std::map<int, PagePicture> PagePictures;
    // File and rate of each voice the table names; a voice not listed is
    // written as "<name>.wav" at 22050 Hz. A voice listed with an empty
    // FileName is not written (a missing voice file).
    std::map<QByteArray, TestVoiceFile> Voices;
    QByteArray LineEnd = "\r\n";
    QByteArray LastLineEnd = "\r\n"; // of both tables; "" leaves the last line open

    static double ToneOf(int row) { return 300.0 + 100.0 * row; }
    static double StartOf(int row) { return 10.0 * row; }
    static double EndOf(int row) { return 10.0 * row + 6; }
    static constexpr double ToneAmplitude = 8000; // peak, in sample units
    // The row among the first `rows` whose tone dominates channel 0 of the
    // interleaved stereo `frames` played at `rate` Hz and `speed` times the
    // voice's own speed, or -1 when the frames are (nearly) silent.
    static int RowHeard(const std::vector<int16_t>& frames, int rows, int rate = 44100,
                        double speed = 1.0);

    QString folderIn(const QString& programFolder) const;
    // The table texts and file contents as written (unpacked).
    QByteArray locationText() const;
    QByteArray lessonText() const;
    QByteArray voiceWav(const QByteArray& voice) const;
    TestVoiceFile voiceFile(const QByteArray& voice) const;
    // Writes the book folder (created when missing) and returns its path,
    // without a trailing separator.
    QString write(const QString& programFolder) const;
};

// The book of the window tests: two units of one lesson each over four
// pages, two entries a page (a sentence, then a word), all in voice "voice1".
TestBook FourPageBook(const QString& publisher, const QString& book);

} // namespace zarelo::fakes
