// The run starters: a new story, a run on a stage file, and the title items.
#include "app/run_start.h"

#include <string>

#include "app/app_window.h"
#include "app/menu.h"
#include "app/scene.h"
#include "core/bounds.h"
#include "core/paths.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_loader.h"
#include "data/system_data.h"
#include "data/world_map.h"
#include "platform/msg/msg.h"

std::atomic<bool> g_bCommandLineRun{false};
std::atomic<bool> g_bChallengeRun{false};

namespace {

TitleRequests g_requests;

void PostQuit() {
    platform::msg::PostMainWindow(WM_CLOSE);
}

TitleRequests Effective() {
    TitleRequests r = g_requests;
    if (!r.loadStage) r.loadStage = &RequestLoadStage;
    if (!r.loadReplay) r.loadReplay = &RequestLoadReplay;
    if (!r.quit) r.quit = &PostQuit;
    return r;
}

void SetLives(const RunLives& lives) {
    g_PlaySession.m_nStartLives = lives.start;
    g_PlaySession.m_nLives = lives.remaining;
}

// The game mode and the ranking switch of its entry in the per-mode list.
void ChooseMode(int gameMode, int rankingEntry) {
    g_SceneMgr.m_nGameMode = gameMode;
    g_SceneMgr.m_nRankSwitch = V(g_SystemData.m_vModeRanking, rankingEntry).m_bEnabled != 0 ? 1 : 0;
}

// The challenge record of the last challenge run, or a new one with an empty entry for
// each challenge. The challenge entries are the item list, which the clean-up of every
// load and save makes as long as the challenge list: a new record has it so from its
// first use, so the first clear of a fresh game folder finds its entry.
void PrepareChallengeRecord() {
    if (g_PlaySession.LoadChallenge()) return;
    g_PlaySession.Reset();
    g_PlaySession.Normalize();
}

}  // namespace

RunLives LivesOfMode(int mode) {
    if (V(g_SystemData.m_vUnlimitedLives, mode) != 0) return {kUnlimited, kUnlimited};
    const auto value = static_cast<int32_t>(V(g_SystemData.m_vStartLives, mode));
    return {value, value - 1};
}

void StartNewStory() {
    g_PlaySession.Reset();
    g_PlaySession.m_nMapX = static_cast<uint32_t>(g_WorldMapData.m_nStartX);
    g_PlaySession.m_nMapY = static_cast<uint32_t>(g_WorldMapData.m_nStartY);
    // The world map's progress starts at 0; the reset has cleared every stored number.
    SetLives(LivesOfMode(kModeStory));
    g_bChallengeRun.store(false);
}

bool BeginStageSession(const char* path, int mode) {
    g_PlaySession.Reset();
    const std::string name = path ? path : "";
    if (!LoadStageFile(name.c_str(), mode == 1 ? 1u : 0u, &g_PlayStage)) return false;
    g_PlaySession.StageEntryIndex() = 1;  // the stage counter
    g_PlaySession.m_nStage = 1;           // the course counter
    if (g_bCommandLineRun.load() || V(g_SystemData.m_vUnlimitedLives, kModeFree) != 0)
        SetLives({kUnlimited, kUnlimited});
    else
        SetLives(LivesOfMode(kModeFree));
    std::string relative = name;
    MakeRelativePathStr(relative);
    g_PlaySession.SetStage(relative, 0, 0, 0);
    g_bChallengeRun.store(false);
    return true;
}

void SetTitleRequests(const TitleRequests& requests) {
    g_requests = requests;
}

TitleOutcome StartTitleItem(int id) {
    const TitleRequests requests = Effective();
    // What the title starts is chosen on the title: no longer the stage named at start-up
    // (a test play whose next stage could not be loaded ends on the title).
    g_bCommandLineRun.store(false);
    switch (id) {
        case kTitleNewGame:
            ChooseMode(kModeStory, 0);
            StartNewStory();
            return {TitleOutcome::Leave, kSceneWorldMap};
        case kTitleContinue:
            ChooseMode(kModeStory, 0);
            g_CursorStack.PushLinkedEntry(0);
            return {TitleOutcome::ContinueList, 0};
        case kTitleChallenge:
            ChooseMode(kModeChallenge, 1);
            PrepareChallengeRecord();
            return {TitleOutcome::Leave, kSceneChallenge};
        case kTitleFree:
            ChooseMode(kModeFree, 2);
            if (!requests.loadStage()) return {};
            return {TitleOutcome::Leave, kSceneStagePlay};
        case kTitleReplay:
            ChooseMode(kModeReplay, 3);
            if (!requests.loadReplay()) return {};
            return {TitleOutcome::Leave, kSceneStagePlay};
        case kTitleOptions:
            return {TitleOutcome::Leave, kSceneOption};
        case kTitleQuit:
            requests.quit();
            return {TitleOutcome::Quit, 0};
        default:
            return {};
    }
}

void InstallRunStarters() {
    AppRequestHooks hooks = GetAppRequestHooks();
    hooks.beginStageSession = [](const char* path, int mode) {
        return BeginStageSession(path, mode) ? 1 : 0;
    };
    SetAppRequestHooks(hooks);
    SceneFades fades = GetSceneFades();
    fades.resetCursors = &ResetCursorStack;
    SetSceneFades(fades);
}
