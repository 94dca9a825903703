#pragma once
// Finding each entry's time range in a real recording of a voice (a book's
// CD track): the word aligner finds where the entries' words lie, and the
// runs of sound between the pauses give the exact edges.

#include "bookmaker/BookSource.h"
#include "bookmaker/Voice.h"
#include "speech/WordAligner.h"

#include <QByteArray>

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace zarelo::bookmaker {

// A run of sound in a recording, in frames: [Begin, End).
struct SoundRun {
    int64_t Begin = 0, End = 0;
};

// The sound of a recording as the import sees it.
struct SoundMap {
    int Rate = 0;
    std::vector<SoundRun> Runs;
    // Where noise raised the runs' threshold above the soft sounds at the
    // edges of speech (a fricative's start, a stop's release): the energy of
    // the recording's slope in windows of SoftWindow frames, and the level
    // above which they are sound. Empty on a quiet recording.
    std::vector<float> Slope;
    int64_t SoftWindow = 0;
    float SoftLevel = 0;
    // How far the noise floor lies below the loudest speech (peaks, dB).
    double NoiseBelowLoud = 120;
};

// The sound of a mono recording. Its runs: 10 ms windows whose peak passes
// a threshold 40 dB below the recording's loud level (and well above its
// noise floor), joined into runs wherever less than 30 ms of quiet lies
// between them. Each run starts on its first sample above the threshold and
// ends after its last. A run shorter than 20 ms joins a longer run less than
// 150 ms away (the release of a stop that ends a word); one with none so near
// is a click and left out.
SoundMap MapSound(const std::vector<float>& frames, int rate);

// Where an entry's words were heard, in frames of the recording: [Begin, End)
// from the start of its first word found to the end of its last, how many of
// its words were found (all, some or none) with the least confidence of them
// (0..1), and how many were not heard before the first heard and after the
// last.
struct HeardEntry {
    int64_t Begin = 0, End = 0;
    int Words = 0, Found = 0;
    double Confidence = 0;
    int UnheardFirst = 0, UnheardLast = 0;
};

// How sure the import is of an entry's range.
enum class Placement {
    Sure,    // every word heard, the edges on sound
    Unsure,  // placed, but a word unheard, a weak match or an edge not on sound
    Missing, // not one word heard: the entry is not in the recording
};

struct PlacedEntry {
    Placement How = Placement::Missing;
    ClipTime Time; // hundredths; only when not missing
    QString Why;   // for an unsure entry (or one missing though heard): what made it so
};

// Ranges of entries from where their words were heard, in order: each range
// starts 30 ms before the entry's first sound and ends 50 ms after its last
// (at most 60 with the hundredth it is rounded up to). An edge is taken from
// the run of sound at the words' edge when that run starts (ends) near where
// the words do and holds nothing of the next entry, so that a stop's release
// after the last word stays in, and moved over the soft sound beside it under
// noise; otherwise the words' own edge is used and the entry is unsure. A
// range never reaches past the middle of the pause to the sound before or
// after it, nor into its neighbour's range (an entry whose sound lies in the
// hundredth its neighbour's range ends in has none: it is missing, with Why).
// `heard` is in order: the words of a found entry end after they begin and
// before those of the next found one begin. `from` and `to` bound the stretch
// of the recording (runs outside it are not looked at).
std::vector<PlacedEntry> PlaceEntries(const std::vector<HeardEntry>& heard, const SoundMap& sound,
                                      int64_t from, int64_t to);

// Entries found with less confidence than this are unsure.
inline constexpr double kSureConfidence = 0.35;

// An entry the import is unsure of, for the maker's report and `check`.
struct UnsureEntry {
    size_t Entry = 0; // index into book.Entries
    QString Text;     // "book.txt line 12: voice V 3.40-5.10 s “...”: why"
};

struct ImportedVoice {
    QByteArray Bytes; // the recording file as it is, stored as the voice file
    // One per entry of `entries`: its range, or none when it is not in the
    // recording.
    std::vector<std::optional<ClipTime>> Times;
    QStringList Missing;             // one line per entry not found: file, line, text
    std::vector<UnsureEntry> Unsure; // entries placed without certainty
};

// Reads the recording of `voice` (book.Recordings) and finds each of its
// entries (indices into book.Entries, in source order) by its words with
// `aligner`. Audio of no entry (a title, an instruction, music, a repeat) is
// passed over; an entry not in the recording is named in Missing while the
// entries after it are still found. Entries timed by hand keep their time
// and bound the search for the others between them. Throws BookError naming
// the source file and line when the recording cannot be read.
ImportedVoice ImportVoice(const BookSource& book, const QString& voice,
                          const std::vector<size_t>& entries, speech::WordAligner& aligner);

// The name of the list of unsure ranges kept in a book folder the maker
// imported voices into, one line of UnsureEntry::Text each (UTF-8).
inline constexpr const char* kUnsureRangesName = "unsure-ranges.txt";

} // namespace zarelo::bookmaker
