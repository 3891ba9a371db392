// Entry point of the player. The game folder is the current directory.
#include <cstdio>

#include "core/log.h"
#include "core/paths.h"
#include "core/system_report.h"

int main() {
    TraceSetup(0, "EC_Game.txt");
    char report[kMaxPath];
    std::snprintf(report, sizeof report, "%s", "Report_Game.txt");
    // Without a report file the game ends at once, without a message.
    if (!MakeAbsolutePath(report) || !ReportOpen(report)) return 0;
    ReportPrintf("App : ver %s", "770");
    ReportSystemInfo();
    return 0;
}
