#pragma once
// The skin layer: a skin is a Qt style sheet (".ssk" file in the skin
// folder) applied to the whole application; colourising tints the sheet's
// colours and the application palette. Nothing here ever stops start-up: a
// missing, unreadable or unparsable skin leaves the default look.
// UI thread only; needs a QApplication.

#include "base/gui/StoredColours.h"
#include "shell/SkinSheet.h"

#include <QColor>
#include <QPalette>
#include <QString>
#include <optional>

class QWidget;

namespace zarelo {

class SkinLayer {
public:
    SkinLayer();

    // Reads the skin file at `path` and applies it. `flags` is accepted and
    // unused. False, with the default look, when the file cannot be read.
    bool sppLoadSkin(const QString& path, int flags);
    // Tints the whole program with `colour` (a stored colour value, system
    // colours included) at `strength` 0..1, at once. -1 is no colour: the
    // tint is removed. `flags` is accepted and unused. False for a system
    // colour index the layer does not know (nothing changes then).
    bool sppColorize(int32_t colour, double strength, int flags);
    // Marks `window` with the skin resource `resourceId`: a skin addresses it
    // in its sheet as [skinResID="<id>"].
    void sppSetWindowResID(QWidget* window, int resourceId);

    const QString& skinSheet() const { return sheet_; } // as loaded, untinted
    std::optional<Rgb> tint() const { return tint_; }
    // The palette the program had before any tint (system colours come from it).
    const QPalette& systemPalette() const { return system_; }

private:
    void apply();

    QString sheet_;
    std::optional<Rgb> tint_;
    double strength_ = 0.0;
    QPalette system_;
};

} // namespace zarelo
