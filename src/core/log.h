// The game's two text logs: the report file (created at every start, one line
// appended per call) and the trace file (a developer log, off in normal runs).
// Each line is opened, appended and closed, so the text survives a crash.
#pragma once

#include <string>

#include "platform/win_types.h"

// Trace switch and state (process-wide).
extern int g_bTrace;
extern bool g_bTraceStarted;

int ReportOpen(const char* path);
int ReportPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
int ReportTracePrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
int ReportTracePrintfBox(const char* format, ...) __attribute__((format(printf, 1, 2)));

void TraceSetup(int enable, const char* path);
void TraceWrite(const char* text);
void TraceWriteLine(const char* text);
void TracePrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void TraceFatal(HWND window, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The paths in use (empty until set).
std::string ReportPath();
std::string TracePath();

// How the logs open their files: by default through the file-system layer's
// game-path resolver (platform::fs::OpenGameFile); tests may install another.
using LogFileOpener = FILE* (*)(const char* path, const char* mode);
void SetLogFileOpener(LogFileOpener opener);

// Forgets both paths and the trace state (tests).
void ResetLogsForTest();
