#pragma once
// What the windows build their controls with: a control named by its name in
// the program (its objectName, by which tests find it) and fonts sized in
// pixels.

#include <QFont>
#include <QObject>
#include <QString>

namespace zarelo {

template <class T> T* named(T* object, const char* name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

// A font of `pixels` pixels; `family` empty: the application's font.
inline QFont PixelFont(int pixels, bool bold = false, const QString& family = {})
{
    QFont font = family.isEmpty() ? QFont() : QFont(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace zarelo
