#include "core/msgbox.h"

#include <cstdarg>
#include <string>

#include "core/log.h"
#include "core/strings.h"
#include "platform/msg/msg.h"
#include "platform/msgbox/msgbox.h"

namespace {
std::atomic<FullScreenBoxRoute> g_fullScreenRoute{nullptr};

int ErrorBoxV(const char* format, va_list args) {
    std::string text;
    StrFormatV(text, format, args);
    return ErrorBox(text.c_str());
}
}  // namespace

DisplayFlags& GetDisplayFlags() {
    static DisplayFlags flags;
    return flags;
}

void SetFullScreenBoxRoute(FullScreenBoxRoute route) { g_fullScreenRoute.store(route); }

int AppMessageBox(const char* text, const char* caption, UINT type) {
    const DisplayFlags& flags = GetDisplayFlags();
    // A plain box would stay hidden behind the full-screen display, in either
    // drawing mode.
    if (flags.started.load() && !flags.windowed.load()) {
        if (FullScreenBoxRoute route = g_fullScreenRoute.load())
            return route(text ? text : "", caption ? caption : "", type);
    }
    return platform::msgbox::Show(text ? text : "", caption ? caption : "", type);
}

int ErrorBox(const char* text) { return AppMessageBox(text, "エラー", MB_OK); }

int ErrorBoxF(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int r = ErrorBoxV(format, args);
    va_end(args);
    return r;
}

int DebugErrorBoxF(const char* format, ...) {
    if (g_bTrace == 0) return 0;
    va_list args;
    va_start(args, format);
    const int r = ErrorBoxV(format, args);
    va_end(args);
    return r;
}

void OutOfMemoryBox() {
    ErrorBox("メモリが不足しています！");
    platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
}
