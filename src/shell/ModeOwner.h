#pragma once
// The one owner of the modes: which mode the main window shows and which
// mode holds the one voice player. The main window asks it to show a mode,
// to build the test on show again, or to lend the voice player to a modal
// window; it leaves the old mode, builds the new one and keeps the shared
// ActiveMode in step, so that at most the voice of the mode on show plays.
// Views never stop or start one another. UI thread only.

#include "base/ModeSession.h"
#include "base/uPublicVarDefine.h"

#include <functional>

namespace zarelo {

// What the owner needs of the window that hosts the mode views.
class ModeHost {
public:
    virtual ~ModeHost() = default;
    // The controller of `mode`'s view; the view is made on first use.
    virtual ModeSession& SessionOf(Mode mode) = 0;
    // Shows `mode`'s view in front, in place of the test view shown before.
    virtual void ShowView(Mode mode) = 0;
};

class ModeOwner {
public:
    // Keeps both references. ActiveMode is written from here on.
    ModeOwner(SharedTestState& testState, ModeHost& host);

    // The mode on show (CurrentMode: 1 .. 4, 0 before the first).
    Mode Shown() const { return shown_; }
    int CurrentMode() const { return int(shown_); }
    // The mode whose voice may play; None while a test without items is on show.
    Mode VoiceHolder() const { return holder_; }

    // Shows `mode`: the mode that holds the voice player is left first (its
    // voice and pacing stop, a running test is given up), then `mode` is
    // built and shown, and holds the player when its build found items.
    void Show(Mode mode);
    // The test on show is given up and built again (for another lesson).
    // Nothing happens while no test holds the voice player.
    void RebuildTest();
    // The voice player is lent out: reading stops, a test keeps its state
    // with its voice and pacing stopped.
    void Suspend();
    // After Suspend: a test that was running goes on.
    void Resume();
    // Runs `window` (a modal window that plays through the voice player) as
    // Suspend, window, Resume.
    void Lend(const std::function<void()>& window);

private:
    ModeSession* holderSession();
    void setHolder(Mode holder);

    SharedTestState& testState_;
    ModeHost& host_;
    Mode shown_ = Mode::None;
    Mode holder_ = Mode::None;
};

} // namespace zarelo
