#pragma once
// The command bar PanelTest along the bottom of both test windows: the score
// LblCore on the left and, from the right, the hidden Back button
// SpeedButton12 "返回", in the word test SbtShowError "查看答案", then
// SbtRetest "重新出题", SbtStopTesting "放弃" and SbtStartTesting "开 始".
// Give up, new questions and 查看答案 start disabled. The window connects the
// buttons to its handlers. UI thread only.

#include <QFrame>

class QLabel;
class QPushButton;

namespace zarelo {

class TestCommandBar final : public QFrame {
public:
    // `withShowError`: the word test's bar, with 查看答案.
    TestCommandBar(QWidget* parent, bool withShowError);

    // Stretches the bar over `width` pixels of its parent with its lower
    // edge at `bottom`, and lays out its controls.
    void PlaceAlongBottom(int width, int bottom);

    // The controls, by their names (each also its objectName).
    QLabel* LblCore;
    QPushButton* SbtStartTesting;
    QPushButton* SbtStopTesting;
    QPushButton* SbtRetest;
    QPushButton* SbtShowError = nullptr; // the word test's only
    QPushButton* SpeedButton12;
};

} // namespace zarelo
