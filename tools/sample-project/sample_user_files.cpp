// The user's files of a short session of the sample, and the pictures in other formats:
// each written by the writer the player itself uses for it.
#include <algorithm>
#include <string>

#include "app/startup.h"
#include "core/key_state.h"
#include "data/data_path.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/save_slots.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "media/input/key_config.h"
#include "platform/fs/fs.h"
#include "play/ranking.h"
#include "play/replay.h"
#include "sample_project.h"

namespace sample {

namespace {

// A fixed save time, so that the slot file is the same at every generation.
SaveTime SampleSaveTime() {
    SaveTime t;
    t.wYear = 2024;
    t.wMonth = 5;
    t.wDayOfWeek = 3;
    t.wDay = 15;
    t.wHour = 18;
    t.wMinute = 30;
    return t;
}

// The run after the first stage: the hero on the road beside it with a cleared flag.
cSaveData RunAfterFirstStage() {
    cSaveData run;
    run.SetStage(kStageNames[0], 0, 0, 0);
    run.m_nMapX = 5;
    run.m_nMapY = 7;
    run.m_nScore = 1250;
    if (run.m_vListB.size() > 1) run.m_vListB[1] = 1;
    if (run.m_vVariables.size() > 3) run.m_vVariables[3] = 42;
    return run;
}

bool WriteSaves(std::string& error) {
    SetSaveTimeSource(&SampleSaveTime);
    cSaveData run = RunAfterFirstStage();
    const bool saved = run.SaveSlot(0) && run.SaveChallenge();
    SetSaveTimeSource(nullptr);
    return saved || CannotWrite(error, "the saves");
}

bool WriteSettings(std::string& error) {
    cOptionData options;
    options.m_bBgm = 1;
    options.m_nSeVolume = 7;
    options.m_bRankEntry = 1;
    options.m_sRankName = "WRN";
    if (!options.SaveFile(DataPath[43])) return CannotWrite(error, DataPath[43]);

    // The arrows and Z X as the player sets them, buttons 2 to 7 on the first pad's buttons
    // 0 to 5.
    KEYCONFIG keys{};
    SetDefaultKeyConfig(keys);
    for (int i = 6; i < kKeyConfigEntries; ++i) keys.aKey[i] = {0, PadButtonMask(i - 6), 0};
    keys.dwAllPads = 1;
    if (!SaveKeyConfig(kKeyConfigPath, keys)) return CannotWrite(error, kKeyConfigPath);

    cWindowRec window;
    window.m_nX = 120;
    window.m_nY = 80;
    if (!window.SaveFile(DataPath[47])) return CannotWrite(error, DataPath[47]);
    return true;
}

bool WriteRanking(std::string& error) {
    cRankFile ranking;
    ResetRankFile(ranking);
    const int32_t scores[] = {3200, 1250, 400};
    const char* const names[] = {"WRN", "AAA", "ZZZ"};
    for (int i = 0; i < 3; ++i) {
        RankAddScore(ranking.m_vTables[0], names[i], scores[i]);
        RankAddScore(ranking.m_vTables[kRankClearTimeTable], names[i], 6000 + 700 * i);
    }
    if (!SaveRanking(ranking, 2, kStageNames[0], 0, 0, 0)) return CannotWrite(error, kRankingFile);
    return true;
}

// A second of standing, a walk to the right with two jumps, and a shot.
bool WriteReplay(std::string& error) {
    cStage stage;
    if (!stage.LoadFile(kStageFiles[0])) return CannotWrite(error, kReplayFile);
    cStage playStage;
    playStage.CopySettingsFrom(stage);
    cReplayInput input;
    input.m_nSeed = 12345;
    constexpr uint16_t kRight = 0x2, kJump = 0x1, kShot = 0x2;
    for (int frame = 0; frame < 300; ++frame) {
        const uint16_t direction = frame < 60 ? 0 : kRight;
        uint16_t buttons = 0;
        if ((frame >= 90 && frame < 110) || (frame >= 180 && frame < 200)) buttons |= kJump;
        if (frame >= 250 && frame < 255) buttons |= kShot;
        ReplayRecord(input, direction, buttons);
    }
    cSaveData runStart;
    runStart.SetStage(kStageNames[0], 0, 0, 0);
    if (!SaveReplayFile(input, kReplayFile, stage, playStage, runStart))
        return CannotWrite(error, kReplayFile);
    return true;
}

bool WriteOtherPictures(std::string& error) {
    const std::vector<PictureFile> pictures = MakePictures();
    const auto sword = std::find_if(pictures.begin(), pictures.end(), [](const PictureFile& p) {
        return p.path == "bmp\\sword\\Sword_L.bmp";
    });
    if (sword == pictures.end()) return CannotWrite(error, kOtherPictures[0]);
    if (!platform::fs::WriteFileAtomic(kOtherPictures[0],
                                       EncodePng8(sword->canvas, SamplePalette())))
        return CannotWrite(error, kOtherPictures[0]);
    return true;
}

}  // namespace

bool WriteUserFiles(std::string& error) {
    // The saves keep the map position on the project's world map and the item list within
    // its settings, as they do in the player; the replay's stage refers to its databases.
    if (!g_Database.Load() ||
        !LoadSystemDataFile(g_SystemData, DataPath[35], g_Database.m_vBgm.size()) ||
        !g_WorldMapData.LoadFile(DataPath[13])) {
        error = "cannot read back the project";
        return false;
    }
    for (const char* folder :
         {"user_data\\story", "user_data\\challenge", "user_data\\free", "user_data\\rpl4"})
        if (!platform::fs::CreateGameDirectory(folder)) return CannotWrite(error, folder);
    return WriteSaves(error) && WriteSettings(error) && WriteRanking(error) && WriteReplay(error) &&
           WriteOtherPictures(error);
}

}  // namespace sample
