#include "shell/SplashSettings.h"

#include "base/SettingsKey.h"

namespace zarelo {

SplashSettings ReadSplashSettings(const QString& settingsPath)
{
    SplashSettings out;
    SettingsKey key(settingsPath);
    if (!key.isOpen())
        return out;
    out.KeyOpened = true;
    key.readOrCreate(QStringLiteral("bookname"), QString());
    key.readOrCreate(QStringLiteral("publicname"), QString());
    out.SkinFileName = key.readOrCreate(QStringLiteral("selectskin"), QStringLiteral("默认.ssk"));
    out.ColourText = key.readOrCreate(QStringLiteral("selectcolor"), QString());
    return out;
}

} // namespace zarelo
