// Replay recording, playback, validation, names, files and the saving keys.
#include "play/replay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <tuple>

#include "core/key_state.h"
#include "support/hex.h"
#include "core/random.h"
#include "data/save_slots.h"
#include "data/system_data.h"
#include "platform/input/virtual_keys.h"
#include "support/stage_harness.h"
#include "support/data_version.h"
#include "fixtures/stage_writer.h"
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

// Files of older versions load into a new run's record: what such a file does not store
// (the carried start block and facing before 678, the whole run before 173 in a replay)
// is never taken from the run in memory, here one whose last clear gave the next stage
// a start block.
TEST(Replay, OlderFilesLoadIntoANewRunNotTheRunInMemory) {
    wftest::ScopedDataVersion version;
    wftest::TempDir dir;
    wftest::ScopedCurrentDir cd(dir.Path());
    for (const char* folder : {"user_data/story", "user_data/challenge", "user_data/rpl4"})
        std::filesystem::create_directories(dir.Path() / folder);
    const cSystemData system = g_SystemData;
    g_SystemData.m_vStartLives = {3, 4, 5, 6};
    g_SystemData.m_vUnlimitedLives = {0, 0, 0, 0};

    cStage stage = StageWithHero();
    cStage playStage;
    playStage.CopySettingsFrom(stage);
    const auto story = [](cSaveData& r) { return r.LoadSlot(0); };
    const auto challenge = [](cSaveData& r) { return r.LoadChallenge(); };
    const auto replay = [](cSaveData& r) {
        cReplayInput input;
        cStage loaded, dest;
        return LoadReplayFile(input, "user_data\\rpl4\\old.rpl4_770", loaded, dest, r);
    };
    const auto saveRun = [](const char* path) {
        return [path](cSaveData& file, cStage&, cStage&) { return file.SaveFile(path); };
    };
    const auto saveReplay = [](cSaveData& file, cStage& st, cStage& play) {
        cReplayInput input = Recorded(Script(30, 1), 5);
        return SaveReplayFile(input, "user_data\\rpl4\\old.rpl4_770", st, play, file);
    };
    // Files before 173 end with the input: the stage as such a file stores it, then the
    // input record.
    const auto saveRunlessReplay = [](cSaveData&, cStage&, cStage&) {
        wftest::StageSpec layout = wftest::MinimalPlayableStage();
        layout.version = g_nDataVersion;
        std::vector<uint8_t> bytes = wftest::WriteStage(layout);
        cReplayInput input = Recorded(Script(30, 1), 5);
        FILE* fp = std::tmpfile();
        if (!fp || !input.Save(fp)) return 0;
        const long size = std::ftell(fp);
        std::rewind(fp);
        std::vector<uint8_t> record(static_cast<size_t>(size));
        const size_t read = std::fread(record.data(), 1, record.size(), fp);
        std::fclose(fp);
        if (read != record.size()) return 0;
        bytes.insert(bytes.end(), record.begin(), record.end());
        wftest::WriteBytes("user_data/rpl4/old.rpl4_770", bytes);
        return 1;
    };
    const struct {
        const char* what;
        uint32_t version;
        std::function<int(cSaveData&, cStage&, cStage&)> write;
        std::function<int(cSaveData&)> load;
        int32_t score;  // the file's 500, or a new run's 0
    } cases[] = {
        {"story slot of 677", 677, saveRun("user_data\\story\\Story01.dat"), story, 500},
        {"challenge file of 677", 677, saveRun("user_data\\challenge\\Challenge.dat"), challenge,
         500},
        {"replay of 677", 677, saveReplay, replay, 500},
        {"replay of 172", 172, saveRunlessReplay, replay, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cSaveData file;
        file.m_nScore = 500;
        g_nDataVersion = c.version;
        ASSERT_EQ(c.write(file, stage, playStage), 1);
        g_nDataVersion = kCurrentDataVersion;

        cSaveData run;
        run.m_nScore = 9;
        run.CarriedPosition() = 1;
        run.CarriedBlockX() = 7;
        run.CarriedBlockY() = 3;
        run.CarriedFacing() = 1;
        run.m_vVariables[4] = 44;
        ASSERT_EQ(c.load(run), 1);
        EXPECT_EQ(run.m_nScore, c.score);
        EXPECT_EQ(std::make_tuple(run.CarriedPosition(), run.CarriedBlockX(), run.CarriedBlockY(),
                                  run.CarriedFacing()),
                  std::make_tuple(0u, 0, 0, 0u));
        EXPECT_EQ(run.m_vVariables[4], 0u);
    }
    g_SystemData = system;
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
