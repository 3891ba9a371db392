#include "core/start_flags.h"

std::atomic<bool> g_bStartedByEditor{false};
