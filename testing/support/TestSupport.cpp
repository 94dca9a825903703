#include "ManualClock.h"
#include "ScriptedMessages.h"
