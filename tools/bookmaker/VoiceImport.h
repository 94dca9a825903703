#pragma once
// Finding each entry's time range in a real recording of a voice (a book's
// CD track): the recording is cut into runs of sound at its pauses, and the
// runs are assigned to the entries in order, so that each entry's share fits
// the length its text would take to speak.

#include "bookmaker/BookSource.h"
#include "bookmaker/Voice.h"

#include <QByteArray>

#include <QString>
#include <cstdint>
#include <vector>

namespace zarelo::bookmaker {

// A run of sound in a recording, in frames: [Begin, End).
struct SoundRun {
    int64_t Begin = 0, End = 0;
};

// The runs of sound of a mono recording: 10 ms windows whose peak passes a
// threshold 40 dB below the recording's loud level (and well above its noise
// floor), joined into runs wherever less than 30 ms of quiet lies between
// them. Each run starts on its first sample above the threshold and ends after
// its last. A run shorter than 20 ms joins a longer run less than 150 ms
// away (the release of a stop that ends a word); one with none so near is a
// click and left out.
std::vector<SoundRun> FindSoundRuns(const std::vector<float>& frames, int rate);

// How long an English text takes to speak, in no particular unit: letters and
// digits, a little per word, more per pause inside the text (a comma, a full
// stop between sentences).
double SpokenWeight(const QString& english);

struct FittedVoice {
    std::vector<ClipTime> Times; // one per entry, hundredths; empty on failure
    int Failed = -1;             // the entry that could not be placed
    QString Why;                 // what went wrong, for the error text
};

// Assigns the runs to entries of the given spoken weights, in order: each
// entry gets one run or several neighbouring ones (a run may hold an inner
// pause that is really the end of an entry, and a pause inside a sentence may
// be longer than one between entries). Among all assignments the one wins
// whose entries' lengths fit the weights best, with the longest pauses
// preferred as entry ends. Each range starts 30 ms before its first sound and
// ends 60 ms after its last, never past the middle of a neighbouring pause.
// `from` and `to` (frames) bound the part of the recording the runs lie in:
// the whole recording, or the stretch between two entries timed by hand.
// Fails when there are fewer runs than entries, or when an entry's share is
// far from its expected length.
FittedVoice FitRuns(const std::vector<SoundRun>& runs, const std::vector<double>& weights, int rate,
                    int64_t from, int64_t to);

struct ImportedVoice {
    QByteArray Bytes;            // the recording file as it is, stored as the voice file
    std::vector<ClipTime> Times; // one per entry of `entries`
};

// Reads the recording of `voice` (book.Recordings) and finds the range of
// each of its entries (indices into book.Entries, in source order). Entries
// timed by hand keep their time and bound the search for the others between
// them. Throws BookError naming the source file, the line and what was
// sought when the recording cannot be read or fitted; nothing is written.
ImportedVoice ImportVoice(const BookSource& book, const QString& voice,
                          const std::vector<size_t>& entries);

} // namespace zarelo::bookmaker
