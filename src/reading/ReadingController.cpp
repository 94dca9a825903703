#include "reading/ReadingController.h"

namespace zarelo {

ReadingController::ReadingController(OpenBook& book, SharedTestState& testState,
                                     const TickSource& ticks, ReadingView& view,
                                     ReadingPages& pages, VoicePlayback& player)
    : book_(book), testState_(testState), ticks_(ticks), view_(view), pages_(pages), player_(player)
{
}

void ReadingController::SetCurrentSentIndex(int i)
{
    const SentenceTable& table = book_.Content.Sentences;
    book_.CurrentSentence = i;

    const QByteArrayView voice = table.VoiceName[i];
    if (!player_.HoldsVoice(voice)) {
        view_.SetTimerActive(false);
        player_.SetPlaying(false);
        player_.StopVoice();
        player_.SelectVoice(voice);
    }

    const int page = book_.EntryPage(i);
    if (practice_)
        practice_->Played(1);
    if (page != book_.CurrentPage) {
        book_.CurrentPage = page;
        pages_.ShowPage();
    }

    if (table.Box1Left[i] == 0) {
        // An entry without a place on the page: the stream goes on where it
        // stands until the next tick finds it past byte 0.
        player_.SetRange(0, 0);
        player_.SetPlaying(true);
        player_.StopVoice();
        player_.Resume();
        view_.SetTimerActive(true);
        return;
    }

    view_.DisplayEntry(i);
    view_.SetReadAllPageEnabled(true);
    view_.SetReadAllLessonEnabled(true);
    pages_.ShowPageNumber();

    player_.SetPlaying(true);
    player_.PlayRange(table.StartTime[i], table.EndTime[i]);
    view_.SetTimerActive(true);
}

void ReadingController::stopAfterLast()
{
    player_.StopVoice();
    player_.SetPlaying(false);
    view_.SetReadAllPageEnabled(true);
    view_.SetReadAllLessonEnabled(true);
}

void ReadingController::Timer_PlayTimer()
{
    if (player_.TakeSpeedPending())
        player_.SetPlaybackRate(view_.ReadingSpeed());
    if (!player_.IsPlaying()) {
        view_.SetTimerActive(false);
        player_.SetPlaying(false);
        player_.StopVoice();
        view_.SetPauseEnabled(false);
        view_.SetReadAllPageEnabled(true);
        view_.SetReadAllLessonEnabled(true);
        if (practice_)
            practice_->Paused();
        return;
    }
    if (!view_.PauseEnabled())
        view_.SetPauseEnabled(true);
    if (testState_.ActiveMode != -1) {
        view_.SetTimerActive(false);
        player_.SetPlaying(false);
        player_.StopVoice();
        return;
    }
    if (!player_.RangeFinished())
        return;

    if (book_.CurrentSentence < ReadRangeLast) {
        // Clicks may run inside the wait; the next row is read after it.
        Delay(ticks_, 2);
        SetCurrentSentIndex(book_.CurrentSentence + 1);
    } else if (ReadRangeLast > 1) {
        stopAfterLast();
    } else if (view_.RecycleChecked()) {
        player_.PlayRange(player_.RangeStart(), player_.RangeEnd());
    } else if (view_.FromHereChecked()) {
        if (book_.CurrentSentence < book_.Content.Sentences.count() - 1)
            SetCurrentSentIndex(book_.CurrentSentence + 1);
        else
            stopAfterLast();
    } else {
        stopAfterLast();
    }
}

void ReadingController::ReadAllPage()
{
    player_.SetPlaying(true);
    player_.SetRange(900000, 0);
    ReadRangeFirst = ReadRangeLast = -1;
    const ReadingRange range = PageRange(book_.Content.Sentences, book_.CurrentPage);
    ReadRangeFirst = range.first;
    ReadRangeLast = range.last;
    if (ReadRangeFirst < 0)
        return;
    player_.SetRange(player_.RangeStart(), book_.Content.Sentences.EndTime[ReadRangeFirst]);
    SetCurrentSentIndex(ReadRangeFirst);
    view_.SetReadAllPageEnabled(false);
    view_.SetReadAllLessonEnabled(true);
    view_.SetPauseEnabled(true);
    view_.SetTimerActive(true);
}

void ReadingController::ReadAllLesson()
{
    player_.SetPlaying(true);
    book_.LessonOfPage();
    if (book_.Content.Lessons.count() == 0)
        return;
    ReadRangeFirst = -1;
    ReadRangeLast = book_.Content.Sentences.count() - 1;
    const ReadingRange range = LessonRange(book_, book_.CurrentLesson);
    ReadRangeFirst = range.first;
    ReadRangeLast = range.last;
    if (ReadRangeFirst < 0)
        return;
    SetCurrentSentIndex(ReadRangeFirst);
    view_.SetReadAllLessonEnabled(false);
    view_.SetReadAllPageEnabled(true);
    view_.SetPauseEnabled(true);
    view_.SetTimerActive(true);
}

void ReadingController::Pause()
{
    view_.UnVisibleBox();
    player_.SetPlaying(false);
    player_.StopVoice();
    view_.SetPauseEnabled(false);
    view_.SetReadAllPageEnabled(true);
    view_.SetReadAllLessonEnabled(true);
}

void ReadingController::PagePressed(int row)
{
    ReadRangeFirst = ReadRangeLast = -1;
    if (row >= 0) {
        SetCurrentSentIndex(row);
        return;
    }
    player_.SetRange(player_.RangeStart(), 0);
    player_.SetPlaying(false);
    player_.StopVoice();
    view_.SetReadAllPageEnabled(true);
    view_.SetReadAllLessonEnabled(true);
}

void ReadingController::StopReading()
{
    view_.SetTimerActive(false);
    player_.SetPlaying(false);
    player_.StopVoice();
    if (practice_)
        practice_->Paused();
}

} // namespace zarelo
