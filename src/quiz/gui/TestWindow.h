#pragma once
// What both test windows are built from besides their own part: the client
// panel pnlTest with the title and unit lines and the two progress bars, the
// command bar PanelTest, the finish effect panel PnShow3D and the pacing
// timer Timer_Play, and the handlers of the commands, each run under the
// general error report. A test window derives from TestWindow, makes these
// controls in its own order with the make* helpers, places them, and
// implements its own view interface; the TestFlowView part is implemented
// here, apart from where the finish effect lies. UI thread only.

#include "base/Settings.h"
#include "quiz/FinishEffect.h"
#include "quiz/TestFlow.h"
#include "quiz/gui/FinishEffectPanel.h"
#include "quiz/gui/TestCommandBar.h"

#include <QWidget>
#include <functional>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace zarelo {

// The context of a test's controller from the window's context (a
// WordTestWindowContext or SentTestWindowContext): ReadSettings reloads the
// settings file; the run is recorded in the context's Journal.
template <class WindowContext> WordTestContext FlowContextOf(const WindowContext& context)
{
    return {context.Book,
            context.TestState,
            context.Settings,
            context.Messages,
            context.Ticks,
            context.Paths.Data(),
            [&paths = context.Paths, &settings = context.Settings] {
                ReadSettings(paths.SettingsPath, settings);
            },
            context.Journal};
}

class TestWindow : public QWidget, protected virtual TestFlowView {
    Q_OBJECT
public:
    ~TestWindow() override;

    // The finish effect's state, for the window's own drawing.
    const Surface& FrontSurface() const { return effect_->FrontSurface(); }
    const Surface& FlameImage() const { return effect_->FlameImage(); }
    int FinishStep() const { return effect_->FinishStep(); }

    // The components, by their names (each also its objectName).
    QFrame* pnlTest = nullptr;
    QLabel* lbTestTitle = nullptr;
    QLabel* lbUnit = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar3 = nullptr;
    TestCommandBar* PanelTest = nullptr;
    QLabel* LblCore = nullptr;
    QPushButton* SbtStartTesting = nullptr;
    QPushButton* SbtStopTesting = nullptr;
    QPushButton* SbtRetest = nullptr;
    QPushButton* SpeedButton12 = nullptr;
    QFrame* PnShow3D = nullptr;
    FinishPaintBox* PaintBox1 = nullptr;
    QTimer* Timer_Play = nullptr;
    QTimer* Timer1 = nullptr;

public slots:
    void SbtStartTestingClick();
    void SbtStopTestingClick();
    void SbtRetestClick();
    void SpeedButton12Click();
    void Timer_PlayTimer();

protected:
    // `reportError`: the general error report for an unexpected error inside
    // a handler (empty: a "提示" box through `messages`); `programFolder`:
    // where the flame of the finish effect is. The window is 1000 x 700.
    TestWindow(UserMessages& messages, std::function<void(const QString&)> reportError,
               const QString& programFolder, QWidget* parent);

    // The controller behind the window.
    virtual TestFlow& flow() = 0;
    // Runs an event handler; a BookError escaping it ends it there and goes
    // to the general error report.
    template <class F> void guarded(F&& handler)
    {
        RunReportingBookErrors(std::forward<F>(handler), reportError_, messages_, this);
    }
    void hideEvent(QHideEvent* event) override; // FormHide
    void resizeEvent(QResizeEvent* event) override;
    // Places the window's controls for its size, at every resize.
    virtual void layoutComponents() = 0;

    // The makers, in the window's order of creation. makeClientPanel:
    // pnlTest on `parent` (none: for a scroll area). makeHeading: the title
    // `title` and the unit line on pnlTest. makeProgressBars: ProgressBar1
    // and ProgressBar3 on pnlTest, the time bar with the skin resource
    // number `skinResID`. makeCommandBar: PanelTest on `parent`, its buttons
    // connected. makeFinishEffect: PnShow3D on pnlTest with `values`.
    void makeClientPanel(QWidget* parent);
    void makeHeading(const QString& title);
    void makeProgressBars(int skinResID);
    void makeCommandBar(QWidget* parent, bool withShowError);
    void makeFinishEffect(const FinishEffectValues& values);

    // TestFlowView, but for StartFinishEffect
    void SetTimerActive(bool on) override;
    void SetUnitText(const QString& text) override;
    void SetScoreText(const QString& text) override;
    void SetItemProgress(int maximum, int position) override;
    void SetTimeMaximum(int64_t maximum) override;
    void SetTimePosition(int64_t position) override;
    void SetStartEnabled(bool on) override;
    void SetStopEnabled(bool on) override;
    void SetRetestEnabled(bool on) override;
    void HideFinishEffect() override;
    void CloseWindow() override;
    QObject* MessageOwner() override { return this; }

    FinishEffectPanel* effect_ = nullptr; // PnShow3D, PaintBox1 and Timer1

private:
    UserMessages& messages_;
    std::function<void(const QString&)> reportError_;
    QString programFolder_;
};

} // namespace zarelo
