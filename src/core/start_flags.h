// How the player was started, as the deeper layers need to know it.
#pragma once

#include <atomic>

// Set by the editor link when the editor started the player for test play: character
// definitions then keep their test-play flows, and editor-only range displays show.
extern std::atomic<bool> g_bStartedByEditor;
