#pragma once
// A book read by a real person, for measuring how well the maker finds each
// entry of a recording: the tracks a textbook CD brings (even and uneven
// pauses, hiss, MP3, entries spoken close together, an entry left out or read
// twice, an instruction and music between entries), each with the true span
// of every entry's speech.
//
// The voice is Allison Smith's, from the prompts of Debian's
// asterisk-core-sounds-en-wav (8 kHz 16-bit mono WAV, CC BY-SA 3.0); the
// music is from asterisk-moh-opsound-wav (8 kHz mono). Only prompts whose
// words are certain from their file names are used (numbers, days, months,
// the spelling alphabet). Each entry is one to four prompts spoken in
// sequence with 30 to 120 ms between them. The tracks are 16 kHz (the prompts
// resampled): a CD track's speech is wider than a telephone's, and at 8 kHz
// lame's 64 kbit/s coding wipes out the soft start of a fricative ("S" of
// "Saturday") that it keeps at 16 kHz.
//
// The true span of an entry runs from the first sample of its first prompt to
// the last sample of its last prompt that reach 40 dB below the voice's level
// (the median of the peaks of the book's prompts), measured on the clean
// prompts before any hiss or coding is added. A level common to the voice,
// not each prompt's own peak: the soft end of a loud word is as much speech
// as that of a soft one.

#include "bookmaker/Voice.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace zarelo::makertest {

using bookmaker::ClipTime;

// Where the prompts and the music lie once their packages are installed.
inline constexpr const char* kRealVoiceFolder = "/usr/share/asterisk/sounds/en_US_f_Allison";
inline constexpr const char* kRealMusicFolder = "/usr/share/asterisk/moh";

// One entry of the book: its source line's fields and the prompts that say it.
struct RealEntry {
    QString Kind; // "word" or "sent"
    QString English;
    QString Chinese;
    QStringList Prompts; // prompt files under kRealVoiceFolder, without ".wav", in spoken order
};

// The book's twelve entries, in source order.
const std::vector<RealEntry>& RealBookEntries();

// The tracks of a textbook CD the book is measured on.
enum class TrackCase {
    EvenPauses,          // every entry once, 1 s between entries
    UnevenPauses,        // 0.35 to 2 s between entries; one entry holds a 0.5 s pause itself
    Hiss40,              // even pauses under pink noise 40 dB below the speech's RMS
    Hiss30,              // the same, 30 dB below
    Mp3,                 // even pauses, coded by lame at 64 kbit/s
    TwoClose,            // even pauses but for two entries 0.05 s apart
    EntryLeftOut,        // one entry of the book is not in the recording
    InstructionAndMusic, // an instruction and 3 s of music before the first entry, music between
                         // two
    EntryReadTwice,      // one entry is read twice, 1 s apart
};

// Every case, in the order above.
std::vector<TrackCase> AllTrackCases();

// A few words naming the case, for printing.
QString TrackCaseName(TrackCase c);

// Samples of a track: [Begin, End), End one past the last sample.
struct SpeechSpan {
    int64_t Begin = 0, End = 0;
};

struct RealTrack {
    TrackCase Case = TrackCase::EvenPauses;
    int Rate = 16000;             // frames per second
    std::vector<int16_t> Samples; // the track as recorded, before any coding
    QString FileName;             // "track.wav" or "track.mp3"
    QByteArray Bytes;             // the file's bytes
    // Per entry of the book: the true span of each reading of it in the track
    // (none when the entry was left out, two when it was read twice).
    std::vector<std::vector<SpeechSpan>> Truth;
};

// Makes the track of a case. Deterministic: the noise comes from a fixed
// seed. Throws std::runtime_error naming the missing package when a prompt,
// the music or lame (for the MP3) is not installed.
RealTrack MakeRealTrack(TrackCase c);

// Writes the track's file and a book source "book.txt" with a voice
// `voice V from <file>` and the book's entries into `folder`; returns the
// source's path. Throws std::runtime_error when a file cannot be written.
QString WriteRealBook(const RealTrack& track, const QString& folder);

// What an import gave: one range per entry of the book, in hundredths of a
// second, or none for an entry the import named as not found (every entry
// when it refused the whole recording), and the import's message, if any.
struct ImportOutcome {
    std::vector<std::optional<ClipTime>> Ranges;
    QString Message;
};

enum class Verdict {
    Right,    // the range holds the speech, starting at most 30 ms and ending at most 60 ms off it
    Reported, // the import refused the recording or named the entry
    Wrong,    // a range that cuts the speech, holds too much of the pause, or is of another part
};

// Judges each entry's range against its true spans; a range is right for an
// entry read twice when it fits either reading. Right means: it starts no more
// than 40 ms before the speech starts (the 30 ms lead plus a hundredth) and not
// after it, and ends not before the speech ends and no more than 70 ms after
// it (the 60 ms tail plus a hundredth). An entry left out can only be reported
// or wrong.
std::vector<Verdict> JudgeImport(const RealTrack& track, const ImportOutcome& outcome);

// The case's shares of right, reported and wrong entries and each wrong
// entry with its range and its truth, a few lines for printing.
QString DescribeImport(const RealTrack& track, const ImportOutcome& outcome,
                       const std::vector<Verdict>& verdicts);

} // namespace zarelo::makertest
