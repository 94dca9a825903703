#pragma once
// The values the splash window reads at start-up: the skin and its tint.

#include <QString>

namespace zarelo {

struct SplashSettings {
    bool KeyOpened = false;
    QString SkinFileName; // empty when the key could not be opened
    QString ColourText;   // stored "selectcolor"; empty means no tint
};

// Opens the settings key (creating it), makes sure "bookname" and
// "publicname" exist (empty when missing), reads "selectskin" (writing
// "默认.ssk" when missing) and "selectcolor" (writing "" when missing), in
// this order.
SplashSettings ReadSplashSettings(const QString& settingsPath);

} // namespace zarelo
