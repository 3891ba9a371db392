// Entry point of the player. The game folder is the current directory.
#include <filesystem>
#include <system_error>

#include "core/log.h"

int main() {
    TraceSetup(0, "EC_Game.txt");
    std::error_code ec;
    const std::filesystem::path report = std::filesystem::absolute("Report_Game.txt", ec);
    // Without a report file the game ends at once, without a message.
    if (ec || !ReportOpen(report.string().c_str())) return 0;
    ReportPrintf("App : ver %s", "770");
    return 0;
}
