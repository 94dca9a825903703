#pragma once
// A picture box of the oral training window. Its paint handler draws the
// window's picture for it; between two repaints it may instead show a frame
// drawn straight onto its screen (the live spectrum), which the next
// Repaint() replaces with the picture again.

#include "base/Surface.h"

#include <QWidget>

#include <functional>

class QPainter;

namespace zarelo {

class SurfaceBox final : public QWidget {
    Q_OBJECT
public:
    explicit SurfaceBox(QWidget* parent = nullptr);

    // Called from paintEvent with a painter on the box.
    std::function<void(QPainter&)> OnPaint;

    // The box's screen: draw a frame on it, then ShowScreen().
    Surface& Screen() { return screen_; }
    // Shows the screen's frame until the next Repaint().
    void ShowScreen();
    // Drops a shown frame and paints the box's picture again.
    void Repaint();
    bool ShowsScreen() const { return showScreen_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Surface screen_;
    bool showScreen_ = false;
};

} // namespace zarelo
