// Replay recording, playback, validation, names, files and the saving keys.
#include "play/replay.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/key_state.h"
#include "support/hex.h"
#include "core/random.h"
#include "platform/input/virtual_keys.h"
#include "support/stage_harness.h"
#include "support/data_version.h"
#include "support/temp_dir.h"

namespace {

struct Frame {
    uint16_t dir;
    uint16_t buttons;
    bool operator==(const Frame&) const = default;
};

// A scripted attempt: frame i's words from a small deterministic pattern.
std::vector<Frame> Script(size_t frames, uint32_t salt) {
    std::vector<Frame> out;
    for (size_t i = 0; i < frames; ++i)
        out.push_back({static_cast<uint16_t>(((i + salt) / 7) % 16),
                       static_cast<uint16_t>(((i * 3 + salt) / 11) % 4)});
    return out;
}

cReplayInput Recorded(const std::vector<Frame>& frames, uint32_t seed) {
    cReplayInput r;
    r.m_nSeed = seed;
    for (const Frame& f : frames) ReplayRecord(r, f.dir, f.buttons);
    return r;
}

std::vector<Frame> PlayAll(cReplayInput& r) {
    std::vector<Frame> out;
    cKeyState key;
    ReplayRewind(r);
    while (ReplayNextInput(r, key) == 0) out.push_back({key.m_wDir, key.m_wButton});
    return out;
}

cStage StageWithHero() {
    cStage stage;
    cCharaDef hero;
    hero.m_nCell = 1;
    hero.m_nSide = 0;
    stage.m_vCharas.push_back(hero);
    stage.m_sText = "replay stage";
    return stage;
}

TEST(Replay, RecordingMakesRunsAndPlaybackRepeatsIt) {
    cReplayInput same;
    for (int i = 0; i < 1000; ++i) ReplayRecord(same, 6, 1);
    EXPECT_EQ(same.m_vDirWords, std::vector<uint16_t>{6});
    EXPECT_EQ(same.m_vDirRuns, std::vector<uint32_t>{1000});
    EXPECT_EQ(same.m_vButtonRuns, std::vector<uint32_t>{1000});

    const std::vector<Frame> script = Script(500, 3);
    cReplayInput r = Recorded(script, 9);
    EXPECT_LT(r.m_vDirWords.size(), 500u);
    EXPECT_TRUE(ValidateReplayInput(r));
    EXPECT_EQ(PlayAll(r), script);

    // The shorter stream ends playback.
    r.m_vButtonRuns.back() = 1;
    EXPECT_LT(PlayAll(r).size(), script.size());

    // Direction codes as the recording's reader made them: opposite sides held together
    // (which only the fixed reader stores) cancel.
    const struct {
        uint16_t bits;
        int code;
    } codes[] = {{0, 5},
                 {kKeyLeft, 4},
                 {kKeyLeft | kKeyRight, 5},
                 {kKeyUp | kKeyDown | kKeyRight, 6},
                 {kKeyUp | kKeyLeft, 1},
                 {kKeyDown | kKeyRight, 9}};
    for (const auto& c : codes) EXPECT_EQ(ReplayDirectionCode(c.bits), c.code) << c.bits;
}

TEST(Replay, MalformedInputIsRefused) {
    const cReplayInput good = Recorded(Script(40, 1), 1);
    const struct {
        const char* what;
        void (*spoil)(cReplayInput&);
    } cases[] = {
        {"runs missing", [](cReplayInput& r) { r.m_vDirRuns.pop_back(); }},
        {"extra button word", [](cReplayInput& r) { r.m_vButtonWords.push_back(1); }},
        {"run of zero", [](cReplayInput& r) { r.m_vButtonRuns[0] = 0; }},
        {"lengths differ", [](cReplayInput& r) { r.m_vDirRuns[0] += 1; }},
        {"empty", [](cReplayInput& r) { r.Reset(); }},
    };
    for (const auto& c : cases) {
        cReplayInput r = good;
        c.spoil(r);
        std::string why;
        EXPECT_FALSE(ValidateReplayInput(r, &why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
        // Playback of such a record never reads past its lists.
        PlayAll(r);
    }
}

TEST(Replay, FilesRoundTripAndRefuseDamage) {
    wftest::ScopedDataVersion version;
    wftest::TempDir dir;
    wftest::ScopedCurrentDir cd(dir.Path());
    std::filesystem::create_directories(dir.Path() / "user_data" / "rpl4");

    cSaveData run;
    run.CourseFlag() = 1;
    run.CourseNumber() = 4;
    run.CourseStage() = 2;
    EXPECT_EQ(ProposeReplayName("data\\stg4\\c01.stg4_770", run),
              "user_data\\rpl4\\c01_c004_2_00.rpl4_770");
    wftest::WriteBytes(dir.Path() / "user_data/rpl4/c01_c004_2_00.rpl4_770", {1});
    EXPECT_EQ(ProposeReplayName("c01.stg4_770", run), "user_data\\rpl4\\c01_c004_2_01.rpl4_770");
    EXPECT_EQ(ProposeReplayName("", run), "");

    // The current and the previous attempt, each with its own run-state snapshot.
    cStage stage = StageWithHero();
    cStage playStage;
    playStage.CopySettingsFrom(stage);
    cSaveData newer;
    newer.m_nScore = 120;
    cSaveData older;
    older.m_nScore = 40;
    const std::vector<Frame> current = Script(300, 5);
    const std::vector<Frame> previous = Script(200, 8);
    cReplayInput cur = Recorded(current, 1234);
    cReplayInput prev = Recorded(previous, 77);
    ASSERT_EQ(SaveReplayFile(cur, "user_data\\rpl4\\a.rpl4_770", stage, playStage, newer), 1);
    ASSERT_EQ(SaveReplayFile(prev, "user_data\\rpl4\\b.rpl4_770", stage, playStage, older), 1);

    const struct {
        const char* file;
        const std::vector<Frame>* frames;
        uint32_t seed;
        int32_t score;
    } loads[] = {{"user_data\\rpl4\\a.rpl4_770", &current, 1234, 120},
                 {"user_data\\rpl4\\b.rpl4_770", &previous, 77, 40}};
    for (const auto& l : loads) {
        cReplayInput record;
        cStage loaded, dest;
        cSaveData state;
        std::string why;
        ASSERT_EQ(LoadReplayFile(record, l.file, loaded, dest, state, &why), 1) << why;
        EXPECT_EQ(record.m_nSeed, l.seed);
        EXPECT_EQ(PlayAll(record), *l.frames);
        EXPECT_EQ(state.m_nScore, l.score);
        EXPECT_EQ(dest.m_sText, "replay stage");
        EXPECT_TRUE(dest.m_vCharas.empty());
        EXPECT_TRUE(loaded.HasHero());
    }

    // Damaged files change nothing: cut inside the input, and input whose streams differ.
    const std::vector<uint8_t> whole = wftest::ReadBytes(dir.Path() / "user_data/rpl4/a.rpl4_770");
    std::vector<uint8_t> cut(whole.begin(), whole.end() - 2000);
    wftest::WriteBytes(dir.Path() / "user_data/rpl4/cut.rpl4_770", cut);
    cReplayInput spoiled = cur;
    spoiled.m_vButtonRuns[0] += 5;
    ASSERT_EQ(SaveReplayFile(spoiled, "user_data\\rpl4\\bad.rpl4_770", stage, playStage, newer), 1);
    for (const char* file : {"user_data\\rpl4\\cut.rpl4_770", "user_data\\rpl4\\bad.rpl4_770",
                             "user_data\\rpl4\\none.rpl4_770"}) {
        cReplayInput record = prev;
        cStage loaded, dest;
        cSaveData state;
        state.m_nScore = 5;
        std::string why;
        EXPECT_EQ(LoadReplayFile(record, file, loaded, dest, state, &why), 0) << file;
        EXPECT_FALSE(why.empty()) << file;
        EXPECT_EQ(record.m_nSeed, 77u) << file;
        EXPECT_EQ(state.m_nScore, 5) << file;
        EXPECT_FALSE(loaded.HasHero()) << file;
    }
}

// Two attempts at a stage played through the play frame with scripted input: the second
// is saved as the current record, the first as the previous attempt with the older
// snapshot. Each file, loaded and played back, repeats its attempt frame for frame.
TEST(Replay, AttemptsPlayBackFrameForFrameFromTheirFiles) {
    wftest::ScopedDataVersion version;
    wftest::StageHarness h(wftest::MakeStage(20, 15, 5, 12), wftest::RunKind::kFree);
    wftest::TempDir dir;
    wftest::ScopedCurrentDir cd(dir.Path());
    const auto attempt = [&](uint32_t salt, cReplayInput& record, std::vector<uint64_t>& hashes) {
        h.Start(record.m_nSeed == 0 ? 0 : 1);
        record.Reset();
        record.m_nSeed = 4242 + salt;
        Srand(record.m_nSeed);
        h.input = [salt](uint32_t frame) {
            const uint32_t f = frame + salt;
            return wftest::PadInput{static_cast<uint16_t>((f / 20) % 3 == 1 ? kKeyRight : 0),
                                    static_cast<uint16_t>((f / 15) % 4 == 2 ? 1 : 0)};
        };
        h.recorded.clear();
        const size_t from = h.Hashes().size();
        h.Run(120);
        for (const wftest::PadInput& p : h.recorded) ReplayRecord(record, p.dir, p.buttons);
        hashes.assign(h.Hashes().begin() + static_cast<long>(from), h.Hashes().end());
    };
    cReplayInput first, second;
    std::vector<uint64_t> firstHashes, secondHashes;
    attempt(0, first, firstHashes);
    // The run state as the second attempt starts (not its score: a replay plays from a
    // score of 0).
    g_PlaySession.m_nLives = 5;
    attempt(7, second, secondHashes);
    ASSERT_GT(h.dirFramesSeen, 0);
    ASSERT_NE(firstHashes, secondHashes);
    ASSERT_EQ(
        SaveReplayFile(second, "now.rpl4_770", g_Stage, g_PlayStage, g_StageRun.runStartNewer), 1);
    ASSERT_EQ(
        SaveReplayFile(first, "before.rpl4_770", g_Stage, g_PlayStage, g_StageRun.runStartOlder),
        1);

    for (const auto& [file, hashes, seed] :
         {std::tuple{"now.rpl4_770", &secondHashes, second.m_nSeed},
          std::tuple{"before.rpl4_770", &firstHashes, first.m_nSeed}}) {
        SCOPED_TRACE(file);
        cReplayInput loaded;
        cStage stage, playStage;
        cSaveData state;
        std::string why;
        ASSERT_EQ(LoadReplayFile(loaded, file, stage, playStage, state, &why), 1) << why;
        EXPECT_EQ(loaded.m_nSeed, seed);
        wftest::StageHarness back(stage, wftest::RunKind::kReplay);
        g_PlaySession = state;
        for (const Frame& f : PlayAll(loaded)) back.replay.push_back({f.dir, f.buttons});
        back.Start();
        Srand(loaded.m_nSeed);
        back.Run(static_cast<int>(hashes->size()));
        EXPECT_EQ(back.Hashes(), *hashes);
    }
}

// Scripted keys and what serving them asked for.
int g_keys = 0;
std::vector<int> g_sounds;
std::vector<int> g_requests;

TEST(Replay, SavingKeys) {
    ReplaySaveIo io;
    io.keyDown = [](int vk) {
        return (vk == platform::input::VK_F1 && (g_keys & 1)) ||
               (vk == platform::input::VK_F2 && (g_keys & 2));
    };
    io.playSound = [](int n) { g_sounds.push_back(n); };
    io.request = [](int which) {
        g_requests.push_back(which);
        return true;
    };
    const cReplayInput keepCur = g_ReplayInput, keepPrev = g_ReplayInputPrev;
    g_ReplayInput.Reset();
    g_ReplayInputPrev = Recorded(Script(10, 0), 1);
    ReplaySaveKeys keys;
    g_sounds.clear();
    g_requests.clear();

    g_keys = 1;  // F1 with an empty current record: refused once per 60 frames
    for (int i = 0; i < 61; ++i) EXPECT_EQ(keys.Serve(io, true, false), 0);
    EXPECT_EQ(g_sounds, (std::vector<int>{3, 3}));
    g_keys = 3;  // F1 empty, F2 has the previous attempt
    EXPECT_EQ(keys.Serve(io, true, false), 1);
    EXPECT_EQ(keys.Serve(io, false, false), 0);  // not recording
    EXPECT_EQ(keys.Serve(io, true, true), 0);    // playback
    g_ReplayInput = Recorded(Script(5, 0), 1);
    EXPECT_EQ(keys.Serve(io, true, false), 1);
    EXPECT_EQ(g_requests, (std::vector<int>{1, 0}));
    g_ReplayInput = keepCur;
    g_ReplayInputPrev = keepPrev;
}

}  // namespace
