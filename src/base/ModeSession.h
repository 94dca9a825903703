#pragma once
// The modes of the program and what the mode owner asks of each of them.
// The main menu shows one mode at a time; at most the mode on show holds the
// one voice player. The mode owner (shell) decides; each mode's controller
// carries out its part through ModeSession. UI thread only.

namespace zarelo {

// Numbered as the main menu's CurrentMode: 1 read-aloud, 2 memorise words,
// 3 sentence listening, 4 word dictation; 0 before the first. Oral training
// is a modal window that borrows the voice player, never a mode on show.
enum class Mode { None = 0, ReadAloud = 1, Memorise = 2, SentenceTest = 3, Dictation = 4 };

// The shared test variable ActiveMode for the mode holding the voice player:
// 1 sentence listening, 2 dictation, 3 memorising, -1 any other.
constexpr int ActiveModeOf(Mode holder)
{
    switch (holder) {
    case Mode::SentenceTest:
        return 1;
    case Mode::Dictation:
        return 2;
    case Mode::Memorise:
        return 3;
    default:
        return -1;
    }
}

class ModeSession {
public:
    virtual ~ModeSession() = default;
    // The mode comes on show: builds what it shows (a test's items). True
    // when it then holds the voice player; a test without items does not.
    virtual bool Enter(Mode mode) = 0;
    // Another mode replaces it, or its test is built anew: its voice and its
    // pacing stop, and a running test is given up.
    virtual void Leave() = 0;
    // A modal window borrows the voice player for a while: the voice and the
    // pacing stop, the rest is kept.
    virtual void Suspend() = 0;
    // The voice player is back after Suspend: a test that was running goes
    // on (an item that was playing is asked again; a wait starts again).
    virtual void Resume() = 0;
};

} // namespace zarelo
