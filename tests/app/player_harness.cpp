#include "player_harness.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "app/startup.h"
#include "core/log.h"
#include "core/record.h"
#include "data/boot_data.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/system_data.h"
#include "media/draw/dd_device.h"
#include "platform/clock.h"
#include "platform/input/virtual_keys.h"
#include "platform/msg/msg.h"
#include "sample_project.h"

namespace wftest {

bool WriteSampleGameAndResetGlobals(std::string& error) {
    ResetLogsForTest();
    g_nDataVersion = kCurrentDataVersion;
    g_bStripCR = true;
    if (!sample::WriteSampleProject(error)) return false;
    // Start-up finds the globals as the program starts them.
    g_Database = cDatabase();
    g_SystemData = cSystemData();
    g_CommonPalette = cPalette();
    g_IniSetting = IniSetting();
    g_OptionData = cOptionData();
    g_BootData = cBootData();
    g_WorldMapData = cWorldMapData();
    g_Stage = cStage();
    g_PlayStage = cStage();
    return true;
}

PlayerRun::PlayerRun(std::vector<int> answers)
    : cd_(dir_.Path()),
      boxes_(std::move(answers)),
      presenter_(std::make_shared<platform::video::MemoryPresenter>()),
      events_(std::make_shared<platform::ui::ScriptedEventSource>()) {
    std::string error;
    EXPECT_TRUE(WriteSampleGameAndResetGlobals(error)) << error;
    PlayerHost host;
    host.headless = true;
    host.presenter = presenter_;
    host.uiEvents = events_;
    host.lockPath = LockPath();
    host.endOwnerGraceMs = 100;
    SetPlayerHost(host);
}

PlayerRun::~PlayerRun() {
    SetPlayerHost(PlayerHost());
    DDResetForTest();
    ResetLogsForTest();
}

void PlayerRun::SetIni(const std::string& key, const std::string& value) {
    std::ifstream in(dir_.File("System.ini"), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string all = text.str(), out;
    std::istringstream lines(all);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key + "=", 0) == 0) line = key + "=" + value;
        out += line + "\n";
    }
    std::ofstream(dir_.File("System.ini"), std::ios::binary) << out;
}

int PlayerRun::Run(const char* commandLine, int frames, std::function<void()> act,
                   int showCommand) {
    if (!act) act = [] { platform::msg::PostMainWindow(WM_KEYDOWN, platform::input::VK_ESCAPE); };
    std::atomic<bool> finished{false};
    std::thread driver([&] {
        // Ten seconds at most: a run that never presents is ended all the same.
        const uint32_t start = platform::clock::TimeMs();
        while (!finished.load() && presenter_->Frames() < frames &&
               platform::clock::TimeMs() - start < 10000)
            platform::clock::Sleep(1);
        if (!finished.load()) act();
    });
    const int result = WinMain(nullptr, nullptr, commandLine, showCommand);
    finished.store(true);
    driver.join();
    return result;
}

std::vector<std::string> PlayerRun::BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& r : boxes_.Asked()) texts.push_back(r.textSjis);
    return texts;
}

}  // namespace wftest
