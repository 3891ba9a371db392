#include "player_harness.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "app/menu.h"
#include "app/run_start.h"
#include "app/save_menu_scene.h"
#include "app/scene.h"
#include "app/stage_play_scene.h"
#include "app/startup.h"
#include "app/title_scene.h"
#include "core/key_state.h"
#include "core/log.h"
#include "core/record.h"
#include "core/system_report.h"
#include "core/timing.h"
#include "data/boot_data.h"
#include "data/builtin_tables.h"
#include "data/cmd_types.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/defs_item.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/save_data.h"
#include "data/save_slots.h"
#include "data/system_data.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_draw_helpers.h"
#include "objects/chara.h"
#include "objects/stage_chara.h"
#include "platform/clock.h"
#include "platform/input/input.h"
#include "platform/input/virtual_keys.h"
#include "platform/msg/msg.h"
#include "platform/msgbox/msgbox.h"
#include "platform/video/device.h"
#include "platform/video/present.h"
#include "play/stage_run.h"
#include "sample_project.h"

namespace wftest {

// This machine's facts for the start-up report, but the processor's clock measured over a
// few milliseconds rather than the second a start takes for it: the tests start the
// player several hundred times.
class QuickClockFacts final : public SystemFactsSource {
  public:
    platform::sysinfo::OsFacts Os() override { return MachineSystemFacts().Os(); }
    platform::sysinfo::CpuIdentity CpuIdentity() override {
        return MachineSystemFacts().CpuIdentity();
    }
    double CpuClockHz() override { return platform::sysinfo::MeasureCpuClockHz(5); }
    platform::sysinfo::MemoryFacts Memory() override { return MachineSystemFacts().Memory(); }
    std::optional<uint64_t> DiskFreeBytes(const std::string& sjisDir) override {
        return MachineSystemFacts().DiskFreeBytes(sjisDir);
    }
};
QuickClockFacts g_quickClockFacts;

// ---- The frame gate ------------------------------------------------------------------

// The memory presenter that holds the game after each presented frame while a script
// drives it. Submit runs on the thread that draws (the game loop or a stage-play
// sub-loop), after the frame's input, logic and drawing: the game stands between two
// frames there.
class FrameGate : public platform::video::MemoryPresenter {
  public:
    void Submit(const platform::video::Image& frame,
                const platform::video::Palette& palette) override {
        MemoryPresenter::Submit(frame, palette);
        std::unique_lock lock(mutex_);
        ++presented_;
        changed_.notify_all();
        while (locked_ && presented_ >= allowed_ && !(toQuit_ && platform::msg::QuitPosted())) {
            // Nothing wakes this thread when the window's thread tells it to quit: it looks.
            if (toQuit_)
                changed_.wait_for(lock, std::chrono::milliseconds(1));
            else
                changed_.wait(lock);
        }
    }

    // From the next frame on, a frame goes on only once the thread that made it has been
    // told to quit: the game stands until a close reaches it, however long the window's
    // thread waits for its turn.
    void HoldUntilQuit() {
        std::lock_guard lock(mutex_);
        toQuit_ = true;
        changed_.notify_all();
    }
    // Waits until the run has ended; false when nothing happened for a long time.
    bool AwaitEnd() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(kStallMs), [&] { return ended_; });
    }

    // Lock step on: the game stops after its next frame until Allow.
    void Lock() {
        std::lock_guard lock(mutex_);
        locked_ = true;
        allowed_ = presented_ + 1;
        ended_ = false;
        toQuit_ = false;
    }
    // Lock step off: the game runs freely again.
    void Unlock() {
        std::lock_guard lock(mutex_);
        locked_ = false;
        changed_.notify_all();
    }
    void SetEnded() {
        std::lock_guard lock(mutex_);
        ended_ = true;
        changed_.notify_all();
    }
    bool Ended() const {
        std::lock_guard lock(mutex_);
        return ended_;
    }
    int Presented() const {
        std::lock_guard lock(mutex_);
        return presented_;
    }

    // Lets the game present until `target` frames in all and waits for it. False when
    // the run ended first or no frame came for a long time (a game that waits for
    // something the script never gives).
    bool RunTo(int target) {
        std::unique_lock lock(mutex_);
        allowed_ = std::max(allowed_, target);
        changed_.notify_all();
        int seen = presented_;
        uint32_t since = platform::clock::TimeMs();
        while (presented_ < target && !ended_) {
            changed_.wait_for(lock, std::chrono::milliseconds(10));
            if (presented_ != seen) {
                seen = presented_;
                since = platform::clock::TimeMs();
            } else if (platform::clock::TimeMs() - since > kStallMs) {
                return false;
            }
        }
        return presented_ >= target;
    }

  private:
    static constexpr uint32_t kStallMs = 20000;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int presented_ = 0;
    int allowed_ = 0;
    bool locked_ = false;
    bool ended_ = false;
    bool toQuit_ = false;
};

// ---- Key scripts ---------------------------------------------------------------------

KeyScript& KeyScript::Hold(int from, int frames, int vk) {
    spans_.push_back({from, frames, vk});
    return *this;
}

std::vector<int> KeyScript::HeldAt(int frame) const {
    std::vector<int> keys;
    for (const Span& s : spans_)
        if (frame >= s.from && frame < s.from + s.frames &&
            std::find(keys.begin(), keys.end(), s.vk) == keys.end())
            keys.push_back(s.vk);
    return keys;
}

int KeyScript::Length() const {
    int end = 0;
    for (const Span& s : spans_) end = std::max(end, s.from + s.frames);
    return end + 1;
}

// ---- The driver ----------------------------------------------------------------------

namespace {

// Holds (down) or releases a key of the keyboard the game reads, as the window system
// would report it; false for a key with no physical key here.
bool SetGameKey(int virtualKey, bool down) {
    // The physical key (USB HID keyboard usage) at the virtual key's place on a US layout.
    uint32_t usage = 1;
    while (usage < 256 && platform::input::VirtualKeyFor(usage, 0, true) != virtualKey) ++usage;
    if (usage == 256) return false;
    platform::input::InputEvent e;
    e.type = down ? platform::input::InputEvent::Type::KeyDown
                  : platform::input::InputEvent::Type::KeyUp;
    e.usage = usage;
    if (virtualKey >= 'A' && virtualKey <= 'Z') e.layoutChar = U'a' + (virtualKey - 'A');
    if (virtualKey == platform::input::VK_SPACE) e.layoutChar = U' ';
    platform::input::HandleInputEvent(e);
    return true;
}

// Every key released.
void ReleaseGameKeys() {
    platform::input::InputEvent e;
    e.type = platform::input::InputEvent::Type::FocusLost;
    platform::input::HandleInputEvent(e);
}

void KeyEvent(int vk, bool down) {
    if (!SetGameKey(vk, down)) ADD_FAILURE() << "no key of the keyboard gives virtual key " << vk;
}

}  // namespace

std::string SceneName(int scene) {
    static const char* const kNames[kSceneCount] = {"title",     "world map",  "save menu",
                                                    "challenge", "stage play", "options"};
    return scene >= 0 && scene < kSceneCount ? kNames[scene] : "scene " + std::to_string(scene);
}

PlayDriver::PlayDriver(FrameGate& gate) : gate_(gate), base_(gate.Presented()) {}

int PlayDriver::Frame() const {
    return gate_.Presented() - base_;
}

int PlayDriver::Scene() const {
    return g_SceneMgr.m_nCurrent;
}

int PlayDriver::State() const {
    const cSceneBase* scene = g_SceneMgr.Scene(g_SceneMgr.m_nCurrent);
    return scene ? scene->m_nState : -1;
}

bool PlayDriver::Ended() const {
    return gate_.Ended();
}

std::string PlayDriver::Where() const {
    std::ostringstream out;
    out << "scene " << SceneName(Scene()) << ", state " << State() << ", frame " << Frame();
    if (Ended()) out << " (the run has ended)";
    return out.str();
}

testing::AssertionResult PlayDriver::Step(int frames) {
    if (Ended()) return testing::AssertionFailure() << "no frame to run: " << Where();
    // One frame at a time while a watcher reads each of them.
    for (int left = frames; left > 0;) {
        const int now = watch_ ? 1 : left;
        if (!gate_.RunTo(gate_.Presented() + now))
            return testing::AssertionFailure()
                   << "the game stopped before " << left << " more frame(s): " << Where();
        left -= now;
        if (watch_) watch_();
    }
    return testing::AssertionSuccess();
}

void PlayDriver::KeyDown(int vk) {
    if (std::find(held_.begin(), held_.end(), vk) != held_.end()) return;
    held_.push_back(vk);
    KeyEvent(vk, true);
}

void PlayDriver::KeyUp(int vk) {
    const auto at = std::find(held_.begin(), held_.end(), vk);
    if (at == held_.end()) return;
    held_.erase(at);
    KeyEvent(vk, false);
}

void PlayDriver::ReleaseKeys() {
    while (!held_.empty()) KeyUp(held_.back());
}

testing::AssertionResult PlayDriver::Press(int vk, int hold, int after) {
    KeyDown(vk);
    testing::AssertionResult held = Step(hold);
    KeyUp(vk);
    if (!held || after <= 0) return held;
    return Step(after);
}

testing::AssertionResult PlayDriver::Play(const KeyScript& script) {
    const int length = script.Length();
    for (int f = 0; f < length; ++f) {
        const std::vector<int> keys = script.HeldAt(f);
        for (const int vk : std::vector<int>(held_))
            if (std::find(keys.begin(), keys.end(), vk) == keys.end()) KeyUp(vk);
        for (const int vk : keys) KeyDown(vk);
        if (testing::AssertionResult r = Step(); !r) {
            ReleaseKeys();
            return r << " (key script frame " << f << " of " << length << ")";
        }
    }
    ReleaseKeys();
    return testing::AssertionSuccess();
}

testing::AssertionResult PlayDriver::Until(const std::function<bool()>& done, int maxFrames,
                                           const std::string& what) {
    for (int i = 0; i <= maxFrames; ++i) {
        if (done()) return testing::AssertionSuccess();
        if (i == maxFrames) break;
        if (testing::AssertionResult r = Step(); !r) return r << " while waiting for " << what;
    }
    return testing::AssertionFailure()
           << what << " not reached within " << maxFrames << " frames: " << Where();
}

testing::AssertionResult PlayDriver::WaitForScene(int scene, int state, int maxFrames) {
    std::string what = SceneName(scene);
    if (state >= 0) what += " in state " + std::to_string(state);
    return Until([&] { return Scene() == scene && (state < 0 || State() == state); }, maxFrames,
                 what);
}

testing::AssertionResult PlayDriver::CloseWithEsc() {
    ReleaseKeys();
    // The close runs on the window's thread; the game goes on to its quit without playing
    // a frame more.
    gate_.HoldUntilQuit();
    platform::msg::PostMainWindow(WM_KEYDOWN, platform::input::VK_ESCAPE);
    if (gate_.AwaitEnd()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "Esc did not close the program: " << Where();
}

testing::AssertionResult PlayDriver::PressToClose(int vk) {
    // The frame that reads the key is presented; the game stands after it until the close
    // it asked for has told it to quit.
    gate_.HoldUntilQuit();
    KeyDown(vk);
    const testing::AssertionResult stepped = Step();
    ReleaseKeys();
    if (!stepped) return stepped;
    if (gate_.AwaitEnd()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "key " << vk << " did not close the program: " << Where();
}

// ---- Shared steps ----------------------------------------------------------------------

int CursorRow() {
    return g_CursorStack.Current().row;
}

int RowOf(const std::vector<int>& items, int id) {
    const auto at = std::find(items.begin(), items.end(), id);
    return at == items.end() ? -1 : static_cast<int>(at - items.begin());
}

testing::AssertionResult ChooseRow(PlayDriver& d, int row) {
    for (int tries = 0; CursorRow() != row; ++tries) {
        if (tries > 12)
            return testing::AssertionFailure() << "the cursor did not reach row " << row << " (at "
                                               << CursorRow() << "): " << d.Where();
        if (testing::AssertionResult r =
                d.Press(CursorRow() < row ? platform::input::VK_DOWN : platform::input::VK_UP);
            !r)
            return r;
    }
    return d.Press(kDecideKey);
}

testing::AssertionResult ChooseTitleItem(PlayDriver& d, int id) {
    if (testing::AssertionResult r = d.WaitForScene(kSceneTitle, cTitleScene::kMenu); !r) return r;
    const auto* title = static_cast<const cTitleScene*>(g_SceneMgr.Scene(kSceneTitle));
    const int row = RowOf(title->ShownItems(), id);
    if (row < 0) return testing::AssertionFailure() << "the title does not show item " << id;
    return ChooseRow(d, row);
}

testing::AssertionResult ChooseSaveMenuItem(PlayDriver& d, int id) {
    if (testing::AssertionResult r = d.WaitForScene(kSceneSaveMenu, cSaveMenuScene::kMenu); !r)
        return r;
    const auto* menu = static_cast<const cSaveMenuScene*>(g_SceneMgr.Scene(kSceneSaveMenu));
    const int row = RowOf(menu->ShownItems(), id);
    if (row < 0) return testing::AssertionFailure() << "the save menu does not show item " << id;
    return ChooseRow(d, row);
}

testing::AssertionResult AnswerYes(PlayDriver& d) {
    if (testing::AssertionResult r = d.Press(platform::input::VK_UP); !r) return r;
    if (CursorRow() != 0) return testing::AssertionFailure() << "the box's cursor is not on yes";
    return d.Press(kDecideKey);
}

bool SeeHero(HeroSight& s) {
    const cChara* hero = g_StageRun.Hero();
    if (!hero) return false;
    s.x = hero->m_dX;
    s.y = hero->m_dY;
    s.vy = hero->m_dVY;
    // Standing on the floor of row 12 (it settles a little into it between landings).
    s.onGround = std::fabs(s.vy) < 0.2 && s.y > Column(12) - 32 - 8;
    s.enemyAhead = 1e9;
    for (const cStageChara& c : g_StageRun.objects.charas)
        if (c.m_nSide == 1 && !c.m_bRemoved && c.m_dX > s.x && std::fabs(c.m_dY - s.y) < 16)
            s.enemyAhead = std::min(s.enemyAhead, c.m_dX - s.x);
    return true;
}

RouteLeg JumpFrom(const char* name, double x) {
    return {name, [x](const HeroSight& h, bool tap) {
                HeroKeys k;
                k.jump = h.x >= x && h.onGround && tap;
                k.next = h.x >= x && h.vy < -0.2;
                return k;
            }};
}

RouteLeg RunUpTo(const char* name, double x) {
    return {name, [x](const HeroSight& h, bool) {
                HeroKeys k;
                k.right = h.x < x;
                return k;
            }};
}

RouteLeg ShootAhead(const char* name, double x, double range) {
    return {name, [x, range](const HeroSight& h, bool tap) {
                HeroKeys k;
                const bool there = h.x >= x && h.onGround;
                const bool target = there && h.enemyAhead < range;
                k.right = !target;
                k.fire = target && tap;
                k.next = there && !target;
                return k;
            }};
}

testing::AssertionResult RunRoute(PlayDriver& d, const std::vector<RouteLeg>& legs, int maxFrames) {
    size_t leg = 0;
    HeroSight h;
    for (int frame = 0; frame < maxFrames; ++frame) {
        if (d.Scene() != kSceneStagePlay || d.State() != cStagePlay::kPlay) break;
        if (!SeeHero(h)) return testing::AssertionFailure() << "no hero: " << d.Where();
        const HeroKeys keys = legs[leg].keys(h, frame % 3 == 0);
        if (keys.next && leg + 1 < legs.size()) ++leg;
        keys.right ? d.KeyDown(platform::input::VK_RIGHT) : d.KeyUp(platform::input::VK_RIGHT);
        keys.jump ? d.KeyDown(kDecideKey) : d.KeyUp(kDecideKey);
        keys.fire ? d.KeyDown(kCancelKey) : d.KeyUp(kCancelKey);
        if (testing::AssertionResult r = d.Step(); !r) return r << " (" << legs[leg].name << ")";
    }
    d.ReleaseKeys();
    if (d.Scene() == kSceneStagePlay && d.State() == cStagePlay::kResult)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the stage was not cleared while " << legs[leg].name
                                       << ": hero at (" << h.x << ", " << h.y << "), " << d.Where();
}

// Run right, jump the spikes, shoot the walkers in the way, hop up beside the spring and drop
// onto it, let it throw the hero over the pit, land short of the ledge and jump onto it,
// where the goal star stands. Jump and fire are tapped.
testing::AssertionResult ClearFirstStage(PlayDriver& d) {
    return RunRoute(
        d, {
               // a block before the spikes of columns 11 to 13
               JumpFrom("running to the spikes", Column(9) + 12),
               ShootAhead("shooting the walkers", Column(14), 320),
               // the spring stands in column 26, a block high
               JumpFrom("running to the spring", Column(25)),
               {"dropping onto the spring",
                [fell = false](const HeroSight& h, bool) mutable {
                    HeroKeys k;
                    k.right = h.x < Column(26) + 4;
                    fell = fell || h.vy > 0.5;
                    k.next = fell && h.vy < -0.5;  // thrown up
                    return k;
                }},
               {"flying over the pit",  // the pit is columns 27 to 29; the ledge starts at 33
                [](const HeroSight& h, bool) {
                    HeroKeys k;
                    k.right = h.x < Column(30) + 20;
                    k.next = h.x >= Column(30) + 10 && h.onGround;
                    return k;
                }},
               JumpFrom("jumping onto the ledge", 0),
               RunUpTo("reaching the goal", 1e9),
           });
}

// ---- Set-up --------------------------------------------------------------------------

void EditPalette(const std::function<void(cPalette&)>& edit) {
    ASSERT_TRUE(InitDatabases());
    ASSERT_EQ(g_CommonPalette.LoadFile(DataPath[7]), 1);
    edit(g_CommonPalette);
    ASSERT_EQ(g_CommonPalette.SaveFile(DataPath[7]), 1);
    ResetPlayerGlobals();
}

void SetGoalClear(cPalette& palette, std::vector<int32_t> params, const std::string& text) {
    constexpr int8_t kItemCmdClear = 2;
    int changed = 0;
    for (cItemDef& item : palette.m_vItems)
        for (cFlowCmd& cmd : item.m_vCmds)
            if (cmd.m_nCategory == kCmdCategoryItem && cmd.m_nType == kItemCmdClear) {
                params.resize(static_cast<size_t>(CmdParamCount(kCmdCategoryItem, kItemCmdClear)));
                cmd.m_vParams = params;
                cmd.m_strText = text;
                ++changed;
            }
    EXPECT_EQ(changed, 1) << "the palette's goal stars";
}

void ResetPlayerGlobals() {
    g_Database = cDatabase();
    g_SystemData = cSystemData();
    g_CommonPalette = cPalette();
    g_IniSetting = IniSetting();
    g_OptionData = cOptionData();
    g_BootData = cBootData();
    g_WorldMapData = cWorldMapData();
    g_Stage = cStage();
    g_PlayStage = cStage();
    g_PlaySession = cSaveData();
    g_ReplayInput = cReplayInput();
    g_SaveSlots.assign(kSaveSlotCount, cSaveSlotInfo());
    g_KeyStates.assign(1, cKeyState());
    // Start-up prepares the font table from the settings; a prepared table keeps its
    // font-cache mode against the next preparation.
    ResetFontTable();
    g_bCommandLineRun.store(false);
    g_bChallengeRun.store(false);
    ResetCursorStack();
    // A run closed halfway through a screen fade leaves the fade's level where it was; the
    // next start's first fade would begin from it.
    DDResetScreenEffectsForTest();
    g_SceneMgr.Reset();
    ResetFrameState();
    ResetTimingForTest();
    platform::input::ResetInput();
    // The last run took its WM_QUIT from the main window's queue; that quit is sticky
    // and would end the next loop that reads the queue at once.
    platform::msg::ResetMainWindowQueue();
}

bool WriteSampleGameAndResetGlobals(std::string& error, sample::SampleKind kind) {
    ResetLogsForTest();
    g_nDataVersion = kCurrentDataVersion;
    g_bStripCR = true;
    if (!sample::WriteSampleProject(error, kind)) return false;
    // Start-up finds the globals as the program starts them.
    ResetPlayerGlobals();
    return true;
}

PlayerRun::PlayerRun(std::vector<int> answers, sample::SampleKind kind)
    : cd_(dir_.Path()),
      boxes_(std::move(answers)),
      presenter_(std::make_shared<FrameGate>()),
      events_(std::make_shared<platform::ui::ScriptedEventSource>()) {
    std::string error;
    EXPECT_TRUE(WriteSampleGameAndResetGlobals(error, kind)) << error;
}

PlayerRun::~PlayerRun() {
    ReleaseGameKeys();
    SetPlayerHost(PlayerHost());
    SetSystemFactsSource(nullptr);
    platform::video::SetPacingEnabled(true);
    DDResetForTest();
    ResetPlayerGlobals();
    ResetLogsForTest();
}

void PlayerRun::PrepareRun() {
    if (runs_++ > 0) {
        // A restart in the same folder: what the last run loaded goes, its files stay.
        ResetLogsForTest();
        g_nDataVersion = kCurrentDataVersion;
        ResetPlayerGlobals();
        DDResetForTest();
    }
    PlayerHost host;
    host.headless = true;
    host.presenter = presenter_;
    host.uiEvents = events_;
    host.lockPath = LockPath();
    host.endOwnerGraceMs = 100;
    SetPlayerHost(host);
    SetSystemFactsSource(&g_quickClockFacts);
}

void PlayerRun::AnswerBoxesInTheWindow() {
    platform::msgbox::SetScriptedAnswerer(nullptr);
}

void PlayerRun::SetIni(const std::string& key, const std::string& value) {
    std::ifstream in(dir_.File("System.ini"), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string all = text.str(), out;
    std::istringstream lines(all);
    bool found = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key + "=", 0) == 0) {
            line = key + "=" + value;
            found = true;
        }
        // The reader stops at "Exit": a key the file lacks goes before it.
        if (line == "Exit" && !found) {
            out += key + "=" + value + "\n";
            found = true;
        }
        out += line + "\n";
    }
    std::ofstream(dir_.File("System.ini"), std::ios::binary) << out;
}

int PlayerRun::Run(const char* commandLine, int frames, std::function<void()> act,
                   int showCommand) {
    PrepareRun();
    if (!act) act = [] { platform::msg::PostMainWindow(WM_KEYDOWN, platform::input::VK_ESCAPE); };
    std::atomic<bool> finished{false};
    std::thread driver([&] {
        // A run that stops presenting is ended all the same once no frame has come for
        // long; a slow one (a busy machine) gets all its frames.
        int seen = presenter_->Frames();
        uint32_t since = platform::clock::TimeMs();
        while (!finished.load() && presenter_->Frames() < frames &&
               platform::clock::TimeMs() - since < 10000) {
            if (presenter_->Frames() != seen) {
                seen = presenter_->Frames();
                since = platform::clock::TimeMs();
            }
            platform::clock::Sleep(1);
        }
        if (!finished.load()) act();
    });
    const int result = WinMain(nullptr, nullptr, commandLine, showCommand);
    finished.store(true);
    driver.join();
    return result;
}

int PlayerRun::Play(const std::function<void(PlayDriver&)>& script, const char* commandLine,
                    int showCommand) {
    PrepareRun();
    FrameGate& gate = *presenter_;
    const int before = gate.Presented();
    gate.Lock();
    // No waiting for the display's tick: frames come as fast as the script lets them.
    platform::video::SetPacingEnabled(false);
    std::thread driver([&] {
        PlayDriver d(gate);
        if (!gate.RunTo(before + 1)) {
            ADD_FAILURE() << "the run presented no frame: " << d.Where();
        } else {
            script(d);
        }
        d.ReleaseKeys();
        if (!gate.Ended()) platform::msg::PostMainWindow(WM_KEYDOWN, platform::input::VK_ESCAPE);
        gate.Unlock();
    });
    const int result = WinMain(nullptr, nullptr, commandLine, showCommand);
    gate.SetEnded();
    driver.join();
    gate.Unlock();
    platform::video::SetPacingEnabled(true);
    platform::input::ResetInput();
    return result;
}

std::string PlayerRun::GameFile(const std::string& gamePath) const {
    std::string path = gamePath;
    std::replace(path.begin(), path.end(), '\\', '/');
    return dir_.File(path);
}

std::vector<std::string> PlayerRun::BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& r : boxes_.Asked()) texts.push_back(r.textSjis);
    return texts;
}

int PlayerRun::Frames() const {
    return presenter_->Frames();
}

std::vector<uint32_t> PlayerRun::Pixels() const {
    return presenter_->Pixels();
}

}  // namespace wftest
