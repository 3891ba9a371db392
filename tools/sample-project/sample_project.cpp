// The whole sample project, piece by piece, and its factory copy.
#include "platform/fs/fs.h"
#include "sample_project.h"

namespace sample {

bool WriteSampleProject(std::string& error, SampleKind kind) {
    if (!WriteDatabases(error) || !WriteProjectData(error) || !WritePictures(error, kind) ||
        !WriteSounds(error) || !WriteMusic(error) || !WriteSystemIni(error))
        return false;
    // The boot choice is the user's file, which a game as it is handed out does not hold.
    if (kind == SampleKind::Full && !WriteBootData(error)) return false;
    // The factory copy the start-up data check offers to restore "data\" from.
    if (!platform::fs::CopyGameTree("data", "default")) {
        error = "cannot copy data into default";
        return false;
    }
    return true;
}

}  // namespace sample
