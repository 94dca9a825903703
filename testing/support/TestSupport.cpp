#include "support/ManualClock.h"
#include "support/ScriptedMessages.h"
