// Runs the whole player headless in a fresh copy of the sample game: memory presenter,
// scripted boxes, a lock file of its own, and a driver thread that acts once enough
// frames have been presented.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/events.h"
#include "platform/video/present.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace wftest {

// Writes the sample game into the current folder and puts the globals that start-up
// loads back to their state at program start. False with the reason on failure.
bool WriteSampleGameAndResetGlobals(std::string& error);

class PlayerRun {
  public:
    explicit PlayerRun(std::vector<int> answers = {});
    ~PlayerRun();

    // Replaces a line "Key=..." of System.ini.
    void SetIni(const std::string& key, const std::string& value);
    // The events the in-window dialogs of the run take.
    std::shared_ptr<platform::ui::ScriptedEventSource> UiEvents() const { return events_; }
    // Runs WinMain on this thread; once `frames` frames were presented, act runs on the
    // driver thread (default: a real Esc key message). Gives WinMain's result.
    int Run(const char* commandLine, int frames = 30, std::function<void()> act = nullptr,
            int showCommand = 1);

    std::string LockPath() const { return dir_.File("wrenfold.lock"); }
    const TempDir& Dir() const { return dir_; }
    std::vector<std::string> BoxTexts() const;
    int Frames() const { return presenter_->Frames(); }
    std::vector<uint32_t> Pixels() const { return presenter_->Pixels(); }

  private:
    TempDir dir_;
    ScopedCurrentDir cd_;
    ScriptedBoxes boxes_;
    std::shared_ptr<platform::video::MemoryPresenter> presenter_;
    std::shared_ptr<platform::ui::ScriptedEventSource> events_;
};

}  // namespace wftest
