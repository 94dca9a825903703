#include "base/Settings.h"

#include "base/SettingsKey.h"

namespace zarelo {

namespace {

// The stored whole number, or the default written back when the value is
// missing or not a whole number.
int readInteger(SettingsKey& key, const QString& name, int fallback)
{
    if (key.valueExists(name)) {
        bool ok = false;
        const int value = key.readString(name).toInt(&ok);
        if (ok)
            return value;
    }
    key.writeString(name, QString::number(fallback));
    return fallback;
}

} // namespace

void ReadSettings(const QString& settingsPath, TestSettings& settings)
{
    SettingsKey key(settingsPath);
    if (!key.isOpen())
        return;
    settings.TestAreaSetting = readInteger(key, QStringLiteral("testarea"), 1);
    settings.WordNumberSetting =
        key.readOrCreate(QStringLiteral("wordnumber"), QStringLiteral("十个"));
    settings.WaitTimeSetting = readInteger(key, QStringLiteral("waittime"), 10);
    settings.WaitMs = settings.WaitTimeSetting * 1000;
    settings.SeriRightSetting = readInteger(key, QStringLiteral("seririghttimes"), 3);
    settings.LastRightDaysSetting = readInteger(key, QStringLiteral("lasttestrightdays"), 3);
    settings.RightOverSetting = readInteger(key, QStringLiteral("righttestovertimes"), 3);
}

} // namespace zarelo
