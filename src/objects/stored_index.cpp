// The once-per-place report of bad stored indices.
#include "objects/stored_index.h"

#include <set>
#include <string>

#include "core/log.h"
#include "core/strings.h"

namespace {

// Game logic runs on the one thread that runs the frame.
std::set<std::string>& Reported() {
    static std::set<std::string> sites;
    return sites;
}

}  // namespace

void ReportStoredIndexOnce(const char* site, int index, int size, int elementSize) {
    if (!Reported().insert(site).second) return;
    std::string line;
    StrFormat(line, "err V[%d] ( %d , %d )", index, size, elementSize);
    TraceWrite(line.c_str());
    ReportPrintf("%s", line.c_str());
}

void ResetStoredIndexReports() {
    Reported().clear();
}
