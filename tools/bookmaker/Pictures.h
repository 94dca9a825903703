#pragma once
// The simple pictures of the sample pages, drawn from a hint of the book
// source: "cat", "pencil", "paint red", "number 3", ... (list in README.md).

#include <QString>
#include <QStringList>

class QPainter;
class QRect;

namespace zarelo::bookmaker {

// True when `hint` names a picture DrawPicture can draw.
bool IsKnownPicture(const QString& hint);

// Draws the picture of `hint` into the square `area` (any size; the drawing
// is made in 100 x 100 units and scaled). Unknown hints draw nothing.
void DrawPicture(QPainter& painter, const QRect& area, const QString& hint);

// Every picture name, for the README and tests ("paint" and "number" take an
// argument: a colour name, or 0 to 10).
QStringList PictureNames();

} // namespace zarelo::bookmaker
