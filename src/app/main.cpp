// Entry point of the player. The game folder is the current directory; the arguments
// together are the command line (a stage file to start at once).
#include <cstdlib>
#include <string>

#include "app/startup.h"
#include "platform/editor/editor_link.h"
#include "platform/fs/fs.h"
#include "platform/win_types.h"

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    if (!commandLine.empty()) commandLine = platform::fs::ToGamePath(commandLine);
    // The editor starts the player for test play with its socket named in the
    // environment; that start is the one the game knows by show command 5.
    const int showCommand = platform::editor::LinkConfigured() ? SW_SHOW : SW_SHOWNORMAL;
    return WinMain(nullptr, nullptr, commandLine.c_str(), showCommand);
}
