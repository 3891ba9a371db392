// The logging and shutdown half of the bounds-tested accessors.
#include "core/bounds.h"

#include <string>

#include "core/log.h"
#include "core/strings.h"
#include "platform/diag.h"
#include "platform/msg/msg.h"
#include "platform/win_types.h"

namespace {

// Trace first, then report, then the close request: the order the game writes them.
void WriteFaultAndClose(const std::string& line) {
    TraceWrite(line.c_str());
    ReportPrintf("%s", line.c_str());
    platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
}

}  // namespace

void BoundsFaultV(int index, int size, int elementSize) {
    std::string line;
    StrFormat(line, "err V[%d] ( %d , %d )", index, size, elementSize);
    WriteFaultAndClose(line);
}

void BoundsFaultL(int index, int size, int elementSize) {
    std::string line;
    StrFormat(line, "err L[%d] ( %d , %d )", index, size, elementSize);
    WriteFaultAndClose(line);
}

void FillVecU8(std::vector<uint8_t>& table, uint8_t value) {
    const int size = static_cast<int>(table.size());
    for (int i = 0; i < size; ++i) V(table, i) = value;
}

void CloseOnEscapedException(const char* where, const std::exception& e) {
    platform::Diag(platform::DiagLevel::Error, "core", "%s: %s escaped; closing",
                   where ? where : "?", e.what());
    platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
}

void CloseOnEscapedException(const char* where) {
    platform::Diag(platform::DiagLevel::Error, "core", "%s: unknown exception escaped; closing",
                   where ? where : "?");
    platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
}
