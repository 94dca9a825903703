#pragma once
// The mode views as their controllers see them: each records what it was
// told to show, and answers from plain fields.

#include "quiz/SentenceTestController.h"
#include "quiz/WordTestController.h"
#include "reading/ReadingController.h"

#include <QList>
#include <QString>
#include <vector>

namespace zarelo::fakes {

// The page view and its page turning as the read-aloud controller sees them.
struct FakeReadingView final : ReadingView, ReadingPages {
    OpenBook* book = nullptr;
    bool showOk = true;
    QList<int> shownPages, displayed;
    bool readAllPage = true, readAllLesson = true, pause = false, timer = false;
    bool recycle = false, fromHere = false;
    float speed = 1.0f;
    int unVisible = 0;

    bool ShowPage() override
    {
        shownPages << book->CurrentPage;
        return showOk;
    }
    void DisplayEntry(int row) override { displayed << row; }
    void UnVisibleBox() override { ++unVisible; }
    void ShowPageNumber() override {}
    void SetReadAllPageEnabled(bool on) override { readAllPage = on; }
    void SetReadAllLessonEnabled(bool on) override { readAllLesson = on; }
    void SetPauseEnabled(bool on) override { pause = on; }
    bool PauseEnabled() const override { return pause; }
    bool RecycleChecked() const override { return recycle; }
    bool FromHereChecked() const override { return fromHere; }
    float ReadingSpeed() const override { return speed; }
    void SetTimerActive(bool on) override { timer = on; }
};

// The part of a test window both test controllers drive alike: the pacing
// timer, the unit line, the score, the bars, the command bar and the finish
// effect.
class FakeTestFlowView : public virtual TestFlowView {
public:
    bool timer = false;
    QString unit, score;
    int itemMax = 0, itemPos = 0;
    int64_t timeMax = 0, timePos = 0;
    bool start = false, stop = false, retest = false;
    bool effect = false;
    int effectScore = -1;
    bool closed = false;

    void SetTimerActive(bool on) override { timer = on; }
    void SetUnitText(const QString& t) override { unit = t; }
    void SetScoreText(const QString& t) override { score = t; }
    void SetItemProgress(int maximum, int position) override
    {
        if (maximum >= 0)
            itemMax = maximum;
        itemPos = position;
    }
    void SetTimeMaximum(int64_t m) override { timeMax = m; }
    void SetTimePosition(int64_t p) override { timePos = p; }
    void SetStartEnabled(bool on) override { start = on; }
    void SetStopEnabled(bool on) override { stop = on; }
    void SetRetestEnabled(bool on) override { retest = on; }
    void HideFinishEffect() override { effect = false; }
    void StartFinishEffect(int s) override
    {
        effect = true;
        effectScore = s;
    }
    void CloseWindow() override { closed = true; }
    QObject* MessageOwner() override { return nullptr; }
};

// The word test window as its controller sees it.
class FakeWordTestView final : public FakeTestFlowView, public WordTestView {
public:
    QString title, count, chinese, mark, expected, edit;
    bool editEnabled = false, voiceVisible = false, dispVisible = false;
    bool voiceChecked = false, dispChecked = false;
    bool showError = false;

    void SetTitle(const QString& t) override { title = t; }
    void SetWordCount(const QString& t) override { count = t; }
    void SetChinese(const QString& t) override { chinese = t; }
    void SetMark(const QString& t) override { mark = t; }
    void SetExpected(const QString& t) override { expected = t; }
    QString EnterWordText() const override { return edit; }
    void SetEnterWordText(const QString& t) override { edit = t; }
    void SetEnterWordEnabled(bool on) override { editEnabled = on; }
    void FocusEnterWord() override {}
    void ShowEntryPanel() override {}
    void SetVoiceCheckVisible(bool on) override { voiceVisible = on; }
    void SetDisplayChineseVisible(bool on) override { dispVisible = on; }
    bool VoiceChecked() const override { return voiceChecked; }
    bool DisplayChineseChecked() const override { return dispChecked; }
    void SetShowErrorEnabled(bool on) override { showError = on; }
};

// The sentence test window as its controller sees it.
class FakeSentenceTestView final : public FakeTestFlowView, public SentenceTestView {
public:
    FakeSentenceTestView() { unit = QStringLiteral("untouched"); }

    std::vector<QString> labels;
    std::vector<bool> lime;
    int clears = 0;

    void ClearSentenceLabels() override
    {
        ++clears;
        labels.clear();
        lime.clear();
    }
    void AddSentenceLabel(const QString& text) override
    {
        labels.push_back(text);
        lime.push_back(false);
    }
    int SentenceLabelCount() const override { return int(labels.size()); }
    QString SentenceLabelText(int i) const override { return labels[size_t(i)]; }
    bool SentenceLabelLime(int i) const override { return lime[size_t(i)]; }
    void SetSentenceLabelLime(int i) override { lime[size_t(i)] = true; }
};

} // namespace zarelo::fakes
