// Wrenfold's own diagnostics: a category, a level, one line on stderr. The game's
// report and trace files never receive these lines.
#pragma once

#include <string_view>

namespace platform {

enum class DiagLevel { Debug = 0, Info = 1, Warn = 2, Error = 3 };

// Lines below this level are dropped. Warnings and errors show by default;
// WRENFOLD_DEBUG=1 in the environment lowers the threshold to Debug.
void SetDiagThreshold(DiagLevel level);
DiagLevel DiagThreshold();

void Diag(DiagLevel level, const char* category, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Same, but only the first time this key is seen in the run (for facts that would
// otherwise repeat every frame).
void DiagOnce(std::string_view key, DiagLevel level, const char* category, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

}  // namespace platform
