#pragma once
// The finish effect of a test window: the panel PnShow3D with its paint box
// PaintBox1, the animation timer Timer1, the surfaces and the flame. Both
// test windows own one each; they differ only by their FinishEffectValues
// and by where they place the panel. UI thread only.

#include "quiz/FinishEffect.h"
#include "quiz/Surface.h"

#include <QObject>
#include <QRect>
#include <QWidget>

class QFrame;
class QTimer;

namespace zarelo {

// The paint box of the finish effect: presents the front surface.
class FinishPaintBox final : public QWidget {
public:
    explicit FinishPaintBox(QWidget* parent) : QWidget(parent) {}
    const Surface* Front = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class FinishEffectPanel final : public QObject {
public:
    // Creates PnShow3D (hidden) on `parent`; the flame is read from
    // `programFolder` + "/fire2.tga" at every start.
    FinishEffectPanel(QWidget* parent, const FinishEffectValues& values,
                      const QString& programFolder);
    ~FinishEffectPanel() override;

    // Timer1 off, PaintBox1 hidden (silver), PnShow3D hidden.
    void Hide();
    // Places PnShow3D at `geometry`, makes the surfaces, loads the flame (a
    // missing or unreadable one costs only the flame) and starts Timer1.
    void Start(int score, const QRect& geometry);
    bool Running() const { return running_; }

    const Surface& FrontSurface() const { return front_; }
    const Surface& FlameImage() const { return flame_; }
    int FinishStep() const { return animation_.AnimStep; }

    QFrame* PnShow3D;
    FinishPaintBox* PaintBox1;
    QTimer* Timer1;

private:
    void Timer1Timer();
    void UpdateMe();

    FinishEffectValues values_;
    QString programFolder_;
    // One background rule for the window's life, the animation and the
    // surfaces of the current finish.
    FinishBackground background_;
    FinishAnimation animation_;
    Surface front_;
    Surface text_;
    Surface flame_;
    int score_ = 0;
    bool running_ = false; // from Start to Hide
};

} // namespace zarelo
