// Replay recording, playback, files and the saving keys.
#include "play/replay.h"

#include "core/key_state.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/strings.h"
#include "data/save_slots.h"
#include "platform/fs/fs.h"
#include "platform/input/virtual_keys.h"

namespace {

// Files from this version on end with the run state.
constexpr uint32_t kReplayRunStateVersion = 173;
constexpr int kRefuseCooldown = 60;

template <typename Word>
void AppendRun(std::vector<Word>& words, std::vector<uint32_t>& runs, Word word) {
    if (!words.empty() && words.back() == word && !runs.empty()) {
        ++runs.back();
        return;
    }
    words.push_back(word);
    runs.push_back(1);
}

// The word at the position; the position moves on when its run has been played.
uint16_t NextWord(const std::vector<uint16_t>& words, const std::vector<uint32_t>& runs,
                  uint32_t& pos, uint32_t& played) {
    const uint16_t word = words[pos];
    if (++played >= runs[pos]) {
        played = 0;
        ++pos;
    }
    return word;
}

bool Refuse(std::string* whyNot, const std::string& why) {
    if (whyNot) *whyNot = why;
    return false;
}

bool StreamFrames(const std::vector<uint16_t>& words, const std::vector<uint32_t>& runs,
                  const char* name, uint64_t& frames, std::string* whyNot) {
    if (words.size() != runs.size())
        return Refuse(whyNot, std::string(name) + ": the words and their runs differ in number");
    frames = 0;
    for (uint32_t run : runs) {
        if (run == 0) return Refuse(whyNot, std::string(name) + ": a run of no frames");
        frames += run;
    }
    return true;
}

}  // namespace

void ReplayRecord(cReplayInput& record, uint16_t direction, uint16_t buttons) {
    AppendRun(record.m_vDirWords, record.m_vDirRuns, direction);
    AppendRun(record.m_vButtonWords, record.m_vButtonRuns, buttons);
}

int ReplayDirectionCode(uint16_t bits) {
    // Each reader made its code from the bits it stored: the fixed reader adds up every
    // held arrow, so opposite sides cancel; the configurable one keeps one side per axis
    // and never stores both, and for its words the sum is its code too. So the sum gives
    // the recording's code whichever reader plays the replay back.
    int code = 5;
    if (bits & kKeyLeft) code -= 1;
    if (bits & kKeyRight) code += 1;
    if (bits & kKeyUp) code -= 3;
    if (bits & kKeyDown) code += 3;
    return code;
}

int ReplayNextWords(cReplayInput& record, uint16_t& direction, uint16_t& buttons) {
    // Positions past a run list that is shorter than its word list (a record that was not
    // validated) end playback instead of reading past the end.
    if (record.m_nDirPos >= record.m_vDirWords.size() ||
        record.m_nButtonPos >= record.m_vButtonWords.size() ||
        record.m_nDirPos >= record.m_vDirRuns.size() ||
        record.m_nButtonPos >= record.m_vButtonRuns.size())
        return 1;
    direction =
        NextWord(record.m_vDirWords, record.m_vDirRuns, record.m_nDirPos, record.m_nDirPlayed);
    buttons = NextWord(record.m_vButtonWords, record.m_vButtonRuns, record.m_nButtonPos,
                       record.m_nButtonPlayed);
    return 0;
}

int ReplayNextInput(cReplayInput& record, cKeyState& key) {
    uint16_t direction = 0, buttons = 0;
    if (ReplayNextWords(record, direction, buttons)) return 1;
    key.m_wDir = direction;
    key.m_wButton = buttons;
    key.m_nDirCode = ReplayDirectionCode(direction);
    return 0;
}

void ReplayRewind(cReplayInput& record) {
    record.m_nDirPos = 0;
    record.m_nButtonPos = 0;
    record.m_nDirPlayed = 0;
    record.m_nButtonPlayed = 0;
}

bool ValidateReplayInput(const cReplayInput& record, std::string* whyNot) {
    uint64_t dirFrames = 0;
    uint64_t buttonFrames = 0;
    if (!StreamFrames(record.m_vDirWords, record.m_vDirRuns, "direction", dirFrames, whyNot) ||
        !StreamFrames(record.m_vButtonWords, record.m_vButtonRuns, "buttons", buttonFrames, whyNot))
        return false;
    if (dirFrames != buttonFrames)
        return Refuse(whyNot, "the direction and button streams differ in length");
    if (dirFrames == 0) return Refuse(whyNot, "no input");
    return true;
}

std::string ReplayExtension() {
    std::string ext;
    StrFormat(ext, "rpl4_%s", "770");
    return ext;
}

std::string ProposeReplayName(const std::string& stageFile, cSaveData& run) {
    if (stageFile.empty()) return {};
    char name[kMaxPath];
    snprintf(name, sizeof(name), "%s", stageFile.c_str());
    StripDirectory(name);
    std::string base = name;
    StripExtensionStr(base);
    if (run.CourseFlag() != 0) {
        std::string numbered;
        StrFormat(numbered, "%s_c%03u_%u", base.c_str(), run.CourseNumber(), run.CourseStage());
        base = numbered;
    }
    const std::string ext = ReplayExtension();
    for (int i = 0; i <= 8; ++i)
        for (int j = 0; j <= 8; ++j) {
            std::string candidate;
            StrFormat(candidate, "user_data\\rpl4\\%s_%d%d.%s", base.c_str(), i, j, ext.c_str());
            if (!platform::fs::GamePathExists(candidate)) return candidate;
        }
    return {};
}

int SaveReplayFile(cReplayInput& record, const char* path, cStage& stage, cStage& playStage,
                   cSaveData& runStart) {
    RecordFileWriter file(path);
    FILE* fp = file.Stream();
    if (!fp || !stage.SaveForReplay(fp, playStage) || !record.Save(fp) || !runStart.Save(fp) ||
        !file.Commit()) {
        ReportTracePrintf("リプレイファイル %s の保存に失敗", path ? path : "");
        return 0;
    }
    return 1;
}

int LoadReplayFile(cReplayInput& record, const char* path, cStage& stage, cStage& destination,
                   cSaveData& runState, std::string* whyNot) {
    FILE* fp = OpenRecordRead(path);
    if (!fp) {
        Refuse(whyNot, "the file cannot be opened");
        return 0;
    }
    cStage loadedStage;
    cReplayInput input;
    // A file older than the run state's part brings none: the replay plays from a new
    // run's, whatever run was played before it.
    cSaveData loadedRun = RecordToLoadInto(runState);
    const uint32_t version = FileVersion();
    bool ok = loadedStage.Load(fp);
    if (!ok) Refuse(whyNot, "the stage part is damaged");
    if (ok && !(ok = input.Load(fp))) Refuse(whyNot, "the input part is damaged");
    if (ok && version >= kReplayRunStateVersion && !(ok = loadedRun.Load(fp)))
        Refuse(whyNot, "the run state is damaged");
    CloseRecordFile(fp);
    ok = ok && ValidateReplayInput(input, whyNot);
    if (ok && !(ok = loadedStage.HasHero())) Refuse(whyNot, "no hero is placed");
    if (!ok) return 0;

    loadedStage.m_sPath = path;
    loadedStage.m_bLoaded = 1;
    stage = std::move(loadedStage);
    destination.CopySettingsFrom(stage);
    destination.DestroyDefinitionLists();
    ReplayRewind(input);
    record = std::move(input);
    runState = std::move(loadedRun);
    return 1;
}

int ReplaySaveKeys::Serve(const ReplaySaveIo& io, bool recording, bool playback) {
    if (playback || !recording || !io.keyDown) return 0;
    if (m_nCooldown > 0) --m_nCooldown;
    const bool f1 = io.keyDown(platform::input::VK_F1);
    const bool f2 = io.keyDown(platform::input::VK_F2);
    if (!f1 && !f2) return 0;
    int which = -1;
    if (f1 && !g_ReplayInput.m_vDirWords.empty())
        which = 0;
    else if (f2 && !g_ReplayInputPrev.m_vDirWords.empty())
        which = 1;
    if (which >= 0) {
        if (io.playSound) io.playSound(1);
        if (io.request) io.request(which);
        return 1;
    }
    if (m_nCooldown < 1) {
        if (io.playSound) io.playSound(3);
        m_nCooldown = kRefuseCooldown;
    }
    return 0;
}
