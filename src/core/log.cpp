#include "core/log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "core/msgbox.h"
#include "core/strings.h"
#include "platform/fs/fs.h"
#include "platform/msg/msg.h"

int g_bTrace = 0;
bool g_bTraceStarted = false;

namespace {

// One lock for both files, so lines from several threads never interleave. (The
// game had none and could lose or mix lines.)
std::mutex g_logMutex;
std::string g_szReportPath;
std::string g_szTracePath;
std::atomic<LogFileOpener> g_opener{nullptr};

FILE* OpenLog(const std::string& path, const char* mode) {
    if (path.empty()) return nullptr;
    if (LogFileOpener opener = g_opener.load()) return opener(path.c_str(), mode);
    // The report path is made absolute at start ("\home\me\game\Report_Game.txt");
    // the file-system layer opens that form like any game path.
    return platform::fs::OpenGameFile(path, mode);
}

// The game writes its lines in text mode: every line feed lands as CR LF.
void WriteTextMode(FILE* f, const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    out += "\r\n";
    std::fwrite(out.data(), 1, out.size(), f);
}

// Appends to an existing file ("rt+" and a seek to the end); nothing when it is
// missing.
bool AppendLine(const std::string& path, const std::string& text) {
    FILE* f = OpenLog(path, "rb+");
    if (!f) return false;
    std::fseek(f, 0, SEEK_END);
    WriteTextMode(f, text);
    std::fclose(f);
    return true;
}

// Caller holds g_logMutex.
void TraceWriteLocked(const std::string& text) {
    if (g_bTrace == 0) return;
    if (g_bTraceStarted) {
        AppendLine(g_szTracePath, text);
        return;
    }
    // The first trace write of a run replaces the file of the previous run.
    if (FILE* f = OpenLog(g_szTracePath, "wb")) {
        WriteTextMode(f, text);
        std::fclose(f);
    }
    g_bTraceStarted = true;
}

}  // namespace

int ReportOpen(const char* path) {
    std::lock_guard lock(g_logMutex);
    FILE* f = OpenLog(path ? path : "", "wb");
    if (!f) return 0;
    std::fclose(f);
    g_szReportPath = path;
    return 1;
}

int ReportPrintf(const char* format, ...) {
    std::string text;
    va_list args;
    va_start(args, format);
    StrFormatV(text, format, args);
    va_end(args);
    std::lock_guard lock(g_logMutex);
    return AppendLine(g_szReportPath, text) ? 1 : 0;
}

namespace {

int ReportTraceV(const char* format, va_list args, bool box) {
    std::string text;
    StrFormatV(text, format, args);
    {
        std::lock_guard lock(g_logMutex);
        // No report file: nothing is written anywhere, the trace file included.
        if (!AppendLine(g_szReportPath, text)) return 0;
        TraceWriteLocked(text);
    }
    // The game showed the box while the report file was still open. The box waits
    // for the user, so it is shown after the lock is released: other threads keep
    // logging meanwhile.
    if (box) ErrorBox(text.c_str());
    return 1;
}

}  // namespace

int ReportTracePrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int r = ReportTraceV(format, args, false);
    va_end(args);
    return r;
}

int ReportTracePrintfBox(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int r = ReportTraceV(format, args, true);
    va_end(args);
    return r;
}

void TraceSetup(int enable, const char* path) {
    std::lock_guard lock(g_logMutex);
    g_bTrace = enable;
    g_szTracePath = path ? path : "";
}

void TraceWrite(const char* text) {
    std::lock_guard lock(g_logMutex);
    TraceWriteLocked(text ? text : "");
}

void TraceWriteLine(const char* text) { TraceWrite(text); }

namespace {

void TraceV(const char* format, va_list args) {
    if (g_bTrace == 0) return;
    std::string text;
    StrFormatV(text, format, args);
    std::lock_guard lock(g_logMutex);
    TraceWriteLocked(text);
}

}  // namespace

void TracePrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceV(format, args);
    va_end(args);
}

void TraceFatal(HWND window, const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceV(format, args);
    va_end(args);
    platform::msg::PostWindow(window, WM_CLOSE, 0, 0);
}

std::string ReportPath() {
    std::lock_guard lock(g_logMutex);
    return g_szReportPath;
}

std::string TracePath() {
    std::lock_guard lock(g_logMutex);
    return g_szTracePath;
}

void SetLogFileOpener(LogFileOpener opener) { g_opener.store(opener); }

void ResetLogsForTest() {
    std::lock_guard lock(g_logMutex);
    g_szReportPath.clear();
    g_szTracePath.clear();
    g_bTrace = 0;
    g_bTraceStarted = false;
}
