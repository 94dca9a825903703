#pragma once
// The read-aloud controller: which entry plays, what follows it, and the
// 50 ms Timer_Play that watches the voice player. It drives the page view and
// the voice player through interfaces, so that its rules run the same in the
// window and in unit tests. As a mode it holds the voice player while it is
// on show and stops reading when another mode replaces it. UI thread only.

#include "audio/VoicePlayback.h"
#include "base/ModeSession.h"
#include "base/PracticeLog.h"
#include "base/uFunc.h"
#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "reading/ReadingRange.h"

namespace zarelo {

// Page turning as the controller uses it (implemented by PageTurner).
class ReadingPages {
public:
    virtual ~ReadingPages() = default;
    // Shows CurrentPage; false when it cannot be shown (reported there).
    virtual bool ShowPage() = 0;
    // The page number box shows CurrentPage; when that changes its text, the
    // current lesson follows the page (LessonOfPage) and the main window is told.
    virtual void ShowPageNumber() = 0;
};

// The page view as the controller sees it (implemented by TfrmOrvane).
class ReadingView {
public:
    virtual ~ReadingView() = default;
    // Highlights entry `row` with its rectangles scaled by PageScale and its
    // Chinese line (DisplaySelectedBox).
    virtual void DisplayEntry(int row) = 0;
    virtual void UnVisibleBox() = 0;
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

class ReadingController final : public ModeSession {
public:
    // Keeps every reference; `pages` turns the page to a played entry's page.
    ReadingController(OpenBook& book, SharedTestState& testState, const TickSource& ticks,
                      ReadingView& view, ReadingPages& pages, VoicePlayback& player);

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

    // ModeSession: reading holds the voice player while it is on show; being
    // replaced or lending the player stops it; nothing resumes it.
    bool Enter(Mode) override { return true; }
    void Leave() override
    {
        StopReading();
        if (practice_)
            practice_->Ended();
    }
    void Suspend() override { StopReading(); }

    // Where the reading is recorded as practice; none: not recorded.
    void SetPracticeLog(PracticeLog* practice) { practice_ = practice; }
    void Resume() override {}

private:
    // The last entry has ended: voice off, the reading commands offered again.
    void stopAfterLast();

    OpenBook& book_;
    SharedTestState& testState_;
    const TickSource& ticks_;
    ReadingView& view_;
    ReadingPages& pages_;
    VoicePlayback& player_;
    PracticeLog* practice_ = nullptr;
};

} // namespace zarelo
