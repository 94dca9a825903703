#pragma once
// Speaking the entries with espeak-ng and joining the entries of one voice
// file with pauses, recording where each entry's sound lies.

#include "bookmaker/Wav.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace zarelo::bookmaker {

struct SpeechOptions {
    QString Program = QStringLiteral("espeak-ng");
    QString Voice = QStringLiteral("en-us");
    int WordsPerMinute = 135;
    // The program's pronunciations of names, for finding the words of
    // recordings (empty: the speech model's dictionary only).
    QString HandDictionary;
};

// Speaks every text with its own espeak-ng process (a few at a time) and
// returns the sounds in the order of `texts`, with the silence before and
// after the speech trimmed. Throws BookError when espeak-ng cannot be run,
// fails, or yields no sound.
std::vector<MonoSound> SpeakAll(const QStringList& texts, const SpeechOptions& options);

// Cuts the silence (|sample| < 256) off both ends of a sound, keeping 20 ms
// before the speech and 60 ms after it.
void TrimSilence(MonoSound& sound);

// A time range of one clip in a joined voice, in hundredths of a second.
struct ClipTime {
    int Start = 0;
    int End = 0;
};

struct JoinedVoice {
    MonoSound Sound;
    std::vector<ClipTime> Times; // one per clip
};

// Joins the clips (all of one sample rate) after a 0.3 s lead-in with a
// 0.6 s pause between them and 0.5 s after the last. Each clip starts on the
// first sample at or after its start time, and its end time is the first
// hundredth at or after its last sample, so the range holds all of the clip
// and nothing of the next.
JoinedVoice JoinClips(const std::vector<MonoSound>& clips);

// Hundredths of a second as m:s:f with two fraction digits ("0:03:25").
QString SentenceTimeText(int hundredths);
// Tenths of a second as m:s:t ("0:03:2").
QString LessonTimeText(int tenths);

} // namespace zarelo::bookmaker
