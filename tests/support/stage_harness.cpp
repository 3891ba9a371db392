// The headless stage harness.
#include "support/stage_harness.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <sstream>

#include "app/app_window.h"
#include "app/stage_play_scene.h"
#include "core/log.h"
#include "data/cmd_types.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_loader.h"
#include "data/system_data.h"
#include "flow/host.h"
#include "media/input/input.h"
#include "media/input/key_config.h"
#include "play/object_lists.h"
#include "play/stage_draw.h"
#include "play/stage_setup.h"

namespace wftest {

struct StageHarness::Saved {
    cStage stage = g_Stage;
    cStage play = g_PlayStage;
    cSaveData session = g_PlaySession;
    cSystemData system = g_SystemData;
};

namespace {

// FNV-1a over the bytes of plain values.
class Hasher {
  public:
    template <class T>
    void Add(const T& value) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
        for (size_t i = 0; i < sizeof(T); ++i) {
            hash_ ^= bytes[i];
            hash_ *= 1099511628211ull;
        }
    }
    uint64_t Value() const { return hash_; }

  private:
    uint64_t hash_ = 14695981039346656037ull;
};

// The keys a script holds, as the keyboard reports them to the game's own readers: the
// arrows and Z X C V A S D F for the fixed reader, the key configuration's keys for the
// configurable one. No joystick is plugged in.
class ScriptKeys final : public InputSource {
  public:
    explicit ScriptKeys(const PadInput& pad) : pad_(pad) {}
    bool KeyDown(int virtualKey) override {
        static constexpr int kFixedKeys[12] = {37,  39,  38,  40,  'Z', 'X',
                                               'C', 'V', 'A', 'S', 'D', 'F'};
        for (int i = 0; i < kKeyConfigEntries; ++i) {
            const KEYCONFIG::Key& entry = g_KeyConfig.aKey[i];
            const bool named = g_KeyConfig.dwAllPads ? entry.dwDevice == kKeyDeviceKeyboard &&
                                                           entry.wCode == virtualKey
                                                     : kFixedKeys[i] == virtualKey;
            if (named && Held(i)) return true;
        }
        return false;
    }
    bool ReadJoystick(unsigned, platform::input::JoyPos&) override { return false; }

  private:
    bool Held(int entry) const {
        return entry < 4 ? (pad_.dir & (1u << entry)) != 0
                         : (pad_.buttons & (1u << (entry - 4))) != 0;
    }
    PadInput pad_;
};

void AddObject(Hasher& h, const cGameObj& o) {
    h.Add(o.m_nId);
    h.Add(o.m_dX), h.Add(o.m_dY), h.Add(o.m_dVX), h.Add(o.m_dVY);
    h.Add(o.m_bActive), h.Add(o.m_bInView), h.Add(o.m_nFacing);
}

void AddChara(Hasher& h, const cChara& c) {
    AddObject(h, c);
    h.Add(c.m_nHP), h.Add(c.m_nSP), h.Add(c.m_bRemoved), h.Add(c.m_nHitCooldown);
    for (uint32_t contact : c.m_abContact) h.Add(contact);
    h.Add(c.m_dKnockX), h.Add(c.m_dKnockY);
}

}  // namespace

StageHarness::StageHarness(const cStage& stage, RunKind kind, int32_t lives,
                           std::vector<int> boxAnswers)
    : kind_(kind),
      boxes_(std::move(boxAnswers)),
      install_(g_StageRun, this),
      saved_(std::make_unique<Saved>()) {
    ResetLogsForTest();
    TraceSetup(1, dir_.File("trace.txt").c_str());
    InstallFlows();
    g_Stage = stage;
    g_PlayStage.CopySettingsFrom(g_Stage);
    g_PlayStage.DestroyDefinitionLists();
    // The run as its start leaves it (the title items and the scene's entry start runs;
    // the harness plays one stage of one).
    g_PlaySession.m_nLives = lives;
    g_PlaySession.m_nScore = 0;
    g_SystemData.m_bReplayRecord = 1;
    g_StageRun.tally.soundLog = &sounds_;
    // Drawing starts as a fresh scene finds it.
    ResetStageDrawing(g_StageRun, g_StageDraw);
    g_StageDraw = StageDrawScene{};
    Start(0);
}

StageHarness::~StageHarness() {
    g_StageRun.tally.soundLog = nullptr;
    ClearObjects(g_StageRun);
    g_StageRun.shots.clear();
    ResetStageDrawing(g_StageRun, g_StageDraw);
    g_StageDraw = StageDrawScene{};
    TextImages() = TextImageWorld{};
    g_StageRun.releaseWait = 0;
    g_Stage = saved_->stage;
    g_PlayStage = saved_->play;
    g_PlaySession = saved_->session;
    g_SystemData = saved_->system;
    TraceSetup(0, nullptr);
    ResetLogsForTest();
}

void StageHarness::Start(uint32_t reload) {
    StageStart start;
    start.reload = reload;
    start.restartMusic = reload == 0 ? 1 : 0;
    start.replayPlayback = kind_ == RunKind::kReplay;
    start.editorTestPlay = kind_ == RunKind::kTestPlay;
    // The harness stands where the stage-play scene stands: its own parts are the music
    // it is asked for; everything else of the start is the game's.
    StageSceneParts parts(*this);
    parts.requestBgm = [this](int32_t bgm, int32_t arg) { RequestStageBgm(bgm, arg); };
    parts.playingBgm = [this] { return playingBgm; };
    SetStage(g_StageRun, start, parts);
    replayAt_ = 0;
    heroVanished = false;
}

cPlayer* StageHarness::Hero() {
    return g_StageRun.objects.players.empty() ? nullptr : &g_StageRun.objects.players.front();
}

PlayFrameEnd StageHarness::Frame() {
    ++frame_;
    cKeyState& keys = g_KeyStates[0];
    // The script's keys read by the reader the key configuration selects, as each frame
    // of the game reads the controller.
    ScriptKeys held(input ? input(frame_) : PadInput{});
    if (!PollController(keys, g_KeyConfig, held, 0, kPollKeyboard, 60))
        PollControllerAllPads(g_KeyStates, g_KeyConfig, held, 1, 60);
    const PlayFrameEnd end = PlayFrame(g_StageRun, *this, keys);
    hashes_.push_back(Hash());
    return end;
}

PlayFrameEnd StageHarness::Run(int n) {
    PlayFrameEnd end = PlayFrameEnd::kPlaying;
    for (int i = 0; i < n; ++i) {
        end = Frame();
        if (end != PlayFrameEnd::kPlaying) break;
    }
    return end;
}

std::vector<std::string> StageHarness::TraceLines() const {
    std::vector<std::string> lines;
    std::istringstream text(ReadText(dir_.Path() / "trace.txt"));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

uint64_t StageHarness::Hash() {
    Hasher h;
    StageRun& run = g_StageRun;
    h.Add(run.frameCounter), h.Add(run.timeSeconds), h.Add(run.state.stageOver);
    h.Add(run.tally.playFrames), h.Add(run.tally.updateStepCount);
    h.Add(run.scrollX.m_dPos), h.Add(run.scrollY.m_dPos);
    h.Add(g_PlaySession.m_nScore), h.Add(g_PlaySession.m_nLives);
    for (const cPlayer& p : run.objects.players) AddChara(h, p);
    for (const cStageChara& c : run.objects.charas) AddChara(h, c);
    for (const cItemObj& item : run.objects.items) AddObject(h, item), h.Add(item.m_bTaken);
    for (const cShotObj& s : run.shots) AddObject(h, s), h.Add(s.m_bFinished);
    for (const cMapCell& cell : run.map.cells) h.Add(cell.m_nContact);
    for (int32_t v : run.stageVars) h.Add(v);
    return h.Value();
}

bool StageHarness::KeyAt(AsyncKey key) const {
    const auto it = asyncKeys.find(frame_);
    if (it == asyncKeys.end()) return false;
    for (AsyncKey k : it->second)
        if (k == key) return true;
    return false;
}

bool StageHarness::PauseKeyDown() {
    return KeyAt(AsyncKey::kSpace);
}

bool StageHarness::ServeSaveReplayKeys() {
    return KeyAt(AsyncKey::kF1) || KeyAt(AsyncKey::kF2);
}

bool StageHarness::NextReplayInput(uint16_t& dir, uint16_t& buttons) {
    if (replayAt_ >= replay.size()) return false;
    dir = replay[replayAt_].dir;
    buttons = replay[replayAt_].buttons;
    ++replayAt_;
    return true;
}

void StageHarness::RecordReplayInput(uint16_t dir, uint16_t buttons) {
    recorded.push_back({dir, buttons});
    if (dir) ++dirFramesSeen;
}

void StageHarness::DrawStage(bool paused) {
    ++drawn;
    if (paused) ++drawnPaused;
    // The game's own stage drawing, as play draws each frame; the scene's next step after
    // the hero's vanish is what the harness reports.
    g_StageDraw.heroVanished = [this] { heroVanished = true; };
    // The drawing's switches as the scene takes them, from the stage and the system data.
    TakeStageDrawSwitches(g_StageDraw);
    ::DrawStage(g_StageRun, g_StageDraw, surface, 1, paused ? 1 : 0, 1, 1);
    g_StageDraw.heroVanished = nullptr;
}

int32_t StageHarness::RankRow(int table, int32_t value) {
    return rankRow ? rankRow(table, value) : -1;
}

// The requests are noted, then served as the stage-play scene serves them: the screen
// effect and colour by the scene's services (the stage drawing runs them), the music by
// the main window, where a test has installed one.
void StageHarness::StartScreenEffect(int32_t effect, int32_t a, int32_t b) {
    presentation.push_back("effect " + std::to_string(effect) + " " + std::to_string(a) + " " +
                           std::to_string(b));
    if (const auto& serve = GetStagePlayServices().startScreenEffect) serve(effect, a, b);
}

void StageHarness::SetScreenColor(const std::vector<int32_t>& params) {
    presentation.push_back("colour " + std::to_string(params.size()));
    if (const auto& serve = GetStagePlayServices().setScreenColor) serve(params);
}

void StageHarness::RequestStageBgm(int32_t bgm, int32_t arg) {
    playingBgm = bgm;
    presentation.push_back("bgm " + std::to_string(bgm) + " " + std::to_string(arg));
    RequestStageMusic(bgm, static_cast<uint8_t>(arg));
}

namespace {

// An object's faults: not finite, or its body outside the stage.
void ObjectFaults(const cGameObj& o, const char* what, const StageRun& run,
                  std::vector<std::string>& faults) {
    const std::string name = std::string(what) + " " + std::to_string(o.m_nId);
    for (const double v : {o.m_dX, o.m_dY, o.m_dRight, o.m_dBottom, o.m_dVX, o.m_dVY})
        if (!std::isfinite(v)) return faults.push_back(name + ": not finite");
    const PlayState& st = run.state;
    if (o.m_dX < 0 || o.m_dRight >= st.stageWidth || o.m_dY < 0 || o.m_dBottom >= st.stageHeight)
        faults.push_back(name + " outside the stage at (" + std::to_string(o.m_dX) + ", " +
                         std::to_string(o.m_dY) + ")");
}

void Within(int64_t value, int64_t low, int64_t high, const std::string& what,
            std::vector<std::string>& faults) {
    if (value < low || value > high)
        faults.push_back(what + " " + std::to_string(value) + " outside " + std::to_string(low) +
                         ".." + std::to_string(high));
}

void CharaFaults(const cChara& c, const char* what, const StageRun& run,
                 std::vector<std::string>& faults) {
    if (c.m_bRemoved) return;
    ObjectFaults(c, what, run, faults);
    const std::string name = std::string(what) + " " + std::to_string(c.m_nId);
    Within(c.m_nHP, INT32_MIN, c.m_Def.m_nMaxHP, name + " hit points", faults);
    Within(c.m_nSP, INT32_MIN, c.m_Def.m_nMaxSP, name + " skill points", faults);
    Within(c.m_Def.m_nPriority, 0, 7, name + " z order", faults);
    Within(c.m_nBodyWidth, 1, INT32_MAX, name + " width", faults);
    Within(c.m_nBodyHeight, 1, INT32_MAX, name + " height", faults);
}

}  // namespace

std::vector<std::string> StateFaults(const StageRun& run) {
    std::vector<std::string> faults;
    for (const cPlayer& p : run.objects.players) CharaFaults(p, "hero", run, faults);
    for (const cStageChara& c : run.objects.charas) CharaFaults(c, "character", run, faults);
    for (const cItemObj& item : run.objects.items)
        if (!item.m_bTaken) ObjectFaults(item, "item", run, faults);
    for (const cShotObj& shot : run.shots)
        if (!shot.m_bFinished) ObjectFaults(shot, "shot", run, faults);
    for (const cEffectObj& effect : run.effects)
        for (const double v : {effect.m_dX, effect.m_dY})
            if (!std::isfinite(v)) faults.push_back("effect: not finite");
    Within(g_PlaySession.m_nLives, 0, 99, "lives", faults);
    Within(g_PlaySession.m_nScore, 0, 999999, "score", faults);
    for (const int32_t v : run.stageVars) Within(v, -999999, 999999, "stage variable", faults);
    return faults;
}

cStage LoadStageBytes(const std::vector<uint8_t>& bytes) {
    const TempDir dir;
    const std::string path = dir.File("stored.stg4");
    WriteBytes(path, bytes);
    // The loader reads into the loaded stage; that stays as it was for the caller.
    const cStage before = g_Stage;
    const uint32_t oldVersion = g_nDataVersion;
    g_nDataVersion = kCurrentDataVersion;
    cStage loaded;
    if (LoadStageFile(path.c_str(), 0, nullptr) == 1)
        loaded = g_Stage;
    else
        ADD_FAILURE() << "the stage loader refused the stored stage";
    g_Stage = before;
    g_nDataVersion = oldVersion;
    return loaded;
}

cStage LoadStoredStage(const StageSpec& spec) {
    return LoadStageBytes(WriteStage(spec));
}

StageSpec StoredStage(int32_t w, int32_t h, int16_t hx, int16_t hy) {
    StageSpec s;
    s.values["m_anSize[0]"] = w;
    s.values["m_anSize[3]"] = h;
    s.values["m_nHitLevel"] = 1;
    s.palBlocks = {Def(DefKind::Block, 0, 0, {{"contact", 0}})};
    s.palCharas = {Def(DefKind::Chara)};
    s.palItems = {Def(DefKind::Item)};
    DefSpec hero = Def(DefKind::Chara, hx, hy, {{"cell", 1}, {"side", 0}, {"mapValue", 0},
                                                {"maxHP", 60}});
    hero.placement = ~0u;
    s.charas = {hero};
    for (int32_t x = 0; x < w; ++x)
        s.blocks.push_back(Def(DefKind::Block, static_cast<int16_t>(x),
                               static_cast<int16_t>(h - 1), {{"cell", 1}, {"contact", 1}}));
    for (auto& row : s.params) row.fill(0);
    BackgroundSpec layer;
    layer.kind = 1;
    s.backgrounds = {layer};
    return s;
}

DefSpec& StoredChara(StageSpec& stage, int16_t x, int16_t y, uint32_t hp) {
    DefSpec def = Def(DefKind::Chara, x, y, {{"cell", 1}, {"side", 1}, {"maxHP", hp}});
    def.placement = ~0u;
    stage.charas.push_back(def);
    return stage.charas.back();
}

DefSpec& StoredHero(StageSpec& stage) {
    return stage.charas.front();
}

DefSpec& StoredItem(StageSpec& stage, int16_t x, int16_t y, uint32_t takeMode) {
    stage.items.push_back(Def(DefKind::Item, x, y, {{"cell", 1}, {"takeMode", takeMode}}));
    return stage.items.back();
}

CmdSpec StoredCode(const std::string& text) {
    CmdSpec cmd = Cmd(kCmdExecCode);
    cmd.text = text;
    cmd.together = 1;
    return cmd;
}

cStage MakeStage(int32_t w, int32_t h, int16_t hx, int16_t hy) {
    cStage s;
    s.m_anSize[0] = w;
    s.m_anSize[3] = h;
    s.m_nHitLevel = 1;
    cCharaDef hero;
    hero.m_nSide = 0;
    hero.m_nCell = 1;
    hero.m_nX = hx;
    hero.m_nY = hy;
    hero.m_nMaxHP = 60;
    hero.m_nMapValue = 0;
    s.m_vCharas.push_back(hero);
    for (int16_t x = 0; x < w; ++x) PlaceBlock(s, x, static_cast<int16_t>(h - 1), 1);
    return s;
}

void PlaceBlock(cStage& stage, int16_t x, int16_t y, uint8_t contact) {
    cBlockDef block;
    block.m_nX = x;
    block.m_nY = y;
    block.m_nCell = 1;
    block.m_nContact = contact;
    stage.m_vBlocks.push_back(block);
}

cCharaDef& PlaceChara(cStage& stage, int16_t x, int16_t y, uint32_t hp, int32_t power) {
    cCharaDef def;
    def.m_nSide = 1;
    def.m_nCell = 1;
    def.m_nX = x;
    def.m_nY = y;
    def.m_nMaxHP = hp;
    def.m_nPower = power;
    def.m_nMapValue = 1;
    def.m_nPlacementValue = static_cast<uint32_t>(-1);
    stage.m_vCharas.push_back(def);
    return stage.m_vCharas.back();
}

cItemDef& PlaceItem(cStage& stage, int16_t x, int16_t y, uint8_t takeMode) {
    cItemDef item;
    item.m_nX = x;
    item.m_nY = y;
    item.m_nCell = 1;
    item.m_nTakeMode = takeMode;
    stage.m_vItems.push_back(item);
    return stage.m_vItems.back();
}

cFlow CodeFlow(int8_t trigger, const std::string& code) {
    cFlowCmd cmd;
    cmd.m_nType = kCmdExecCode;
    cmd.m_strText = code;
    // Done in the frame the flow starts (before the stage starts, too).
    cmd.m_bTogether = 1;
    cFlow flow;
    flow.m_nTrigger = trigger;
    flow.m_vCmds = {cmd};
    return flow;
}

}  // namespace wftest
