#pragma once
// The read-aloud controller: which entry plays, what follows it, and the
// 50 ms Timer_Play that watches the voice player. It drives the page view and
// the player through the two small interfaces below, so that its rules run
// the same in the window and in unit tests. UI thread only.

#include "book/BookContent.h"
#include "reading/ReadingRange.h"
#include "book/uFunc.h"
#include "book/uPublicVarDefine.h"

namespace zarelo {

// The page view as the controller sees it (implemented by TfrmOrvane).
class ReadingView {
public:
    virtual ~ReadingView() = default;
    virtual bool ShowPage() = 0;
    // Highlights entry `row` with its rectangles scaled by PageScale and its
    // Chinese line (DisplaySelectedBox).
    virtual void DisplayEntry(int row) = 0;
    virtual void UnVisibleBox() = 0;
    // The page number box shows CurrentPage; when that changes its text, the
    // current lesson follows the page (LessonOfPage) and the main window is told.
    virtual void ShowPageNumber() = 0;
    virtual void SetReadAllPageEnabled(bool on) = 0;
    virtual void SetReadAllLessonEnabled(bool on) = 0;
    virtual void SetPauseEnabled(bool on) = 0;
    virtual bool PauseEnabled() const = 0;
    virtual bool RecycleChecked() const = 0;  // ChkRecycle "循环朗读"
    virtual bool FromHereChecked() const = 0; // ChkFromHere "顺序朗读"
    // Reading speed factor 0.5..1.5 (TrackBar1 position x 2 / 100).
    virtual float ReadingSpeed() const = 0;
    virtual void SetTimerActive(bool on) = 0; // Timer_Play on / off
};

// The voice player as the controller uses it (VoicePlayerAdapter over the
// real one). Times in tenths of a second.
class ReadingPlayer {
public:
    virtual ~ReadingPlayer() = default;
    virtual bool IsPlaying() const = 0;        // PlayState == "mpPlaying"
    virtual void SetPlaying(bool playing) = 0; // PlayState := "mpPlaying" / "mpStop"
    virtual double RangeStart() const = 0;
    virtual double RangeEnd() const = 0;
    virtual void SetRange(double start, double end) = 0; // PlayRangeStart/End only
    virtual void PlayRange(double start, double end) = 0;
    virtual bool RangeFinished() const = 0;
    virtual void StopVoice() = 0;
    // BASS_ChannelPlay of VoiceStream without restart: goes on where it stands.
    virtual void Resume() = 0;
    virtual void SetPlaybackRate(float factor) = 0;
    virtual bool SpeedPending() const = 0;
    virtual void ClearSpeedPending() = 0;
    // OpenVoiceFile(CurrentBook) of the voice named by CurrentVoiceName.
    virtual void LoadVoiceFile() = 0;
};

// True when two GBK names are equal with only the ASCII letters a-z folded to
// capitals (bytes >= 0x80 are compared as they are).
bool SameVoiceName(QByteArrayView a, QByteArrayView b);

class ReadingController {
public:
    ReadingController(OpenBook& book, SharedTestState& testState, const TickSource& ticks,
                      ReadingView& view, ReadingPlayer& player);

    // First and last row of the page or lesson being read; -1 when none / a
    // single entry is played.
    int ReadRangeFirst = -1;
    int ReadRangeLast = -1;

    // Makes row `i` current and plays it: switches the voice when needed,
    // turns the page to the entry's page, highlights it and plays its range.
    // Throws BookError (before anything plays) when its page name holds no
    // page number; the voice may already have been switched then.
    void SetCurrentSentIndex(int i);
    // One tick of Timer_Play (every 50 ms while it is on).
    void Timer_PlayTimer();
    // "整页朗读": reads the run of rows of CurrentPage.
    void ReadAllPage();
    // "整文朗读": reads the run of rows of the lesson of CurrentPage.
    void ReadAllLesson();
    // "停止朗读" (also the page buttons): the timer switches itself off at
    // its next tick.
    void Pause();
    // A press on the page: ends page or lesson reading; `row` -1 (beside every
    // box) stops playback, otherwise that entry plays.
    void PagePressed(int row);
    // Timer off, "mpStop", voice stopped: straight to idle.
    void StopReading();

private:
    void stopAfterLast(); // steps 7 / 8: voice off, commands offered again

    OpenBook& book_;
    SharedTestState& testState_;
    const TickSource& ticks_;
    ReadingView& view_;
    ReadingPlayer& player_;
};

} // namespace zarelo
