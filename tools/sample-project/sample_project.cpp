// The whole sample project, piece by piece, and its factory copy.
#include "platform/fs/fs.h"
#include "sample_project.h"

namespace sample {

bool WriteSampleProject(std::string& error) {
    if (!WriteDatabases(error) || !WriteProjectData(error) || !WritePictures(error) ||
        !WriteSounds(error) || !WriteMusic(error) || !WriteSystemIni(error) ||
        !WriteBootData(error))
        return false;
    // The factory copy the start-up data check offers to restore "data\" from.
    if (!platform::fs::CopyGameTree("data", "default")) {
        error = "cannot copy data into default";
        return false;
    }
    return true;
}

}  // namespace sample
