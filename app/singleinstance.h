#pragma once
// One running instance per user: the platform's instance lock, which the
// companion tool also takes before it writes the stores.
#include "platform/instancelock.h"

using TSingleInstance = TInstanceLock;
