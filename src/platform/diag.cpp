#include "platform/diag.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

namespace platform {
namespace {

DiagLevel InitialThreshold() {
    const char* env = std::getenv("WRENFOLD_DEBUG");
    return (env && *env && std::strcmp(env, "0") != 0) ? DiagLevel::Debug : DiagLevel::Warn;
}

std::atomic<int> g_threshold{static_cast<int>(InitialThreshold())};
std::mutex g_mutex;

const char* LevelName(DiagLevel level) {
    switch (level) {
        case DiagLevel::Debug: return "debug";
        case DiagLevel::Info: return "info";
        case DiagLevel::Warn: return "warning";
        case DiagLevel::Error: return "error";
    }
    return "?";
}

void Emit(DiagLevel level, const char* category, const char* format, va_list args) {
    char buf[2048];
    std::vsnprintf(buf, sizeof buf, format, args);
    std::lock_guard lock(g_mutex);
    std::fprintf(stderr, "wrenfold [%s] %s: %s\n", category, LevelName(level), buf);
}

}  // namespace

void SetDiagThreshold(DiagLevel level) { g_threshold.store(static_cast<int>(level)); }
DiagLevel DiagThreshold() { return static_cast<DiagLevel>(g_threshold.load()); }

void Diag(DiagLevel level, const char* category, const char* format, ...) {
    if (static_cast<int>(level) < g_threshold.load()) return;
    va_list args;
    va_start(args, format);
    Emit(level, category, format, args);
    va_end(args);
}

void DiagOnce(std::string_view key, DiagLevel level, const char* category, const char* format,
              ...) {
    static std::mutex onceMutex;
    static std::set<std::string, std::less<>> seen;
    {
        std::lock_guard lock(onceMutex);
        if (!seen.emplace(key).second) return;
    }
    if (static_cast<int>(level) < g_threshold.load()) return;
    va_list args;
    va_start(args, format);
    Emit(level, category, format, args);
    va_end(args);
}

}  // namespace platform
