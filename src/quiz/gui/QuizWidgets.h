#pragma once
// What the two test views build their controls with: the shared colours and
// sizes, and small makers that give each control its name (objectName), font
// and colour (named and PixelFont come from book/gui/Controls.h).

#include "base/gui/Controls.h"
#include "quiz/FinishEffect.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace zarelo::quizview {

inline const QColor kPanelQColour(RedOf(kPanelColour), GreenOf(kPanelColour), BlueOf(kPanelColour));
inline const QColor kBarColour(0x60, 0x93, 0x9F); // the bottom bar, as the read-aloud view's frame
constexpr int kBottomBarHeight = 50;
constexpr int kProgressLimit = 1 << 30; // QProgressBar counts in int

inline void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

inline QLabel* label(QWidget* parent, const char* name, const QString& text, int pixels,
                     const QColor& colour = Qt::black)
{
    auto* l = named(new QLabel(text, parent), name);
    l->setFont(PixelFont(pixels));
    setTextColour(l, colour);
    return l;
}

// A command button of the bottom bar. It never takes the keyboard, so the
// word test's answer edit keeps it.
inline QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = named(new QPushButton(caption, parent), name);
    b->setFocusPolicy(Qt::NoFocus);
    b->resize(80, 28);
    return b;
}

inline void fill(QWidget* widget, const QColor& colour)
{
    widget->setAutoFillBackground(true);
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    widget->setPalette(p);
}

// A byte count as a progress bar value.
inline int clampBar(int64_t value)
{
    return int(std::clamp<int64_t>(value, 0, kProgressLimit));
}

} // namespace zarelo::quizview
