#pragma once
// The test settings of the settings key and the one routine that loads them.

#include "base/uPublicVarDefine.h"

namespace zarelo {

// Loads testarea, wordnumber, waittime, seririghttimes, lasttestrightdays and
// righttestovertimes, in this order, creating each missing one with its
// default ("1", "十个", "10", "3", "3", "3"). A stored integer setting that is
// not a whole number counts as missing: the default is used and written back.
// A key that cannot be opened leaves `settings` as it was.
void ReadSettings(const QString& settingsPath, TestSettings& settings);

} // namespace zarelo
