// Story slots and the challenge file: slot names, the slot list and its drawing, saves
// that fail half-way, damaged and missing files, and the lives rule of a load.
#include "data/save_slots.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "core/paths.h"
#include "core/record.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "platform/diag.h"
#include "platform/fs/fs.h"
#include "support/record_bytes.h"
#include "support/temp_dir.h"

namespace {

using wftest::Hex;

using ByteVec = std::vector<uint8_t>;
namespace fs = std::filesystem;

constexpr SaveTime kMarch7 = {2009, 3, 6, 7, 14, 5, 30, 250};
constexpr SaveTime kMay1 = {2011, 5, 0, 1, 9, 30, 0, 0};
// Where a new run's save time starts in its file: version, 35 fields with their count,
// the string count and the strings "", "" and "aaa".
constexpr size_t kSaveTimeOffset = 4 + 4 + 35 * 4 + 4 + 4 + 4 + 8;

SaveTime FixedMarch7() {
    return kMarch7;
}

class SaveSlotsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        oldVersion_ = g_nDataVersion, g_nDataVersion = 770, oldSystem_ = g_SystemData;
        oldMap_ = g_WorldMapData, oldSession_ = g_PlaySession, oldSlots_ = g_SaveSlots;
        g_WorldMapData.m_nWidth = 20, g_WorldMapData.m_nHeight = 15, g_SystemData.m_nListLimit = 2;
        g_SystemData.m_vStartLives = {3, 4, 5, 6};
        g_SystemData.m_vUnlimitedLives = {0, 0, 0, 0};
        g_PlaySession.Reset();
        g_SaveSlots.assign(kSaveSlotCount, cSaveSlotInfo());
        ASSERT_TRUE(platform::fs::CreateGameDirectory("user_data\\story"));
        ASSERT_TRUE(platform::fs::CreateGameDirectory("user_data\\challenge"));
        SetSaveTimeSource(&FixedMarch7);
        oldThreshold_ = platform::DiagThreshold();
        platform::SetDiagThreshold(platform::DiagLevel::Error);  // damaged files say so
    }
    void TearDown() override {
        platform::SetDiagThreshold(oldThreshold_);
        platform::fs::SetAtomicWriteFailPoint(platform::fs::FailPoint::None);
        SetSaveTimeSource(nullptr);
        g_SaveSlots = oldSlots_, g_PlaySession = oldSession_, g_SystemData = oldSystem_;
        g_WorldMapData = oldMap_, g_nDataVersion = oldVersion_;
    }

    fs::path Story(int number) const {
        char name[32];
        std::snprintf(name, sizeof(name), "Story%02d.dat", number);
        return dir_.Path() / "user_data" / "story" / name;
    }
    fs::path Challenge() const { return dir_.Path() / "user_data" / "challenge" / "Challenge.dat"; }

    // A slot file holding a run with these lives.
    ByteVec RunFile(int32_t startLives, int32_t lives, SaveTime time) {
        cSaveData r;
        r.m_nStartLives = startLives, r.m_nLives = lives, r.m_nScore = 4321, r.m_SaveTime = time;
        const std::string path = dir_.File("run.dat");
        EXPECT_EQ(r.SaveFile(path.c_str()), 1);
        return wftest::ReadBytes(path);
    }
    ByteVec SessionBytes() {
        const std::string path = dir_.File("session.dat");
        EXPECT_EQ(g_PlaySession.SaveFile(path.c_str()), 1);
        return wftest::ReadBytes(path);
    }

    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cwd_{dir_.Path()};
    uint32_t oldVersion_ = 0;
    cSystemData oldSystem_;
    cWorldMapData oldMap_;
    cSaveData oldSession_;
    std::vector<cSaveSlotInfo> oldSlots_;
    platform::DiagLevel oldThreshold_ = platform::DiagLevel::Warn;
};

// Records what the slot list draws.
class RecordingCanvas : public SlotListCanvas {
  public:
    void DrawFrameBox(int x, int y, int width, int height) override {
        calls.push_back(Format("box %d %d %d %d", x, y, width, height));
    }
    void FillRect(int x, int y, int width, int height, int colour) override {
        calls.push_back(Format("fill %d %d %d %d %d", x, y, width, height, colour));
    }
    void DrawText(int x, int y, const std::string& text) override {
        calls.push_back(Format("text %d %d ", x, y) + text);
    }
    template <class... A>
    static std::string Format(const char* format, A... args) {
        char buffer[96];
        std::snprintf(buffer, sizeof(buffer), format, args...);
        return buffer;
    }
    std::vector<std::string> calls;
};

}  // namespace

TEST_F(SaveSlotsTest, SlotFilesAreNumberedFromOneWithTwoDigits) {
    const struct {
        int slot;
        const char* path;
    } cases[] = {{0, "user_data\\story\\Story01.dat"},
                 {8, "user_data\\story\\Story09.dat"},
                 {9, "user_data\\story\\Story10.dat"},
                 {98, "user_data\\story\\Story99.dat"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        char buffer[kMaxPath];
        MakeStoryPath(buffer, c.slot);
        EXPECT_STREQ(buffer, c.path);
    }
}

TEST_F(SaveSlotsTest, SavingStampsTheTimeAndMarksTheSlot) {
    g_PlaySession.m_nScore = 99;
    ASSERT_EQ(g_PlaySession.SaveSlot(8), 1);
    ASSERT_TRUE(fs::exists(Story(9)));
    const ByteVec file = wftest::ReadBytes(Story(9));
    ASSERT_GE(file.size(), kSaveTimeOffset + 16);
    EXPECT_EQ(ByteVec(file.begin() + kSaveTimeOffset, file.begin() + kSaveTimeOffset + 16),
              Hex("d9 07 03 00 06 00 07 00 0e 00 05 00 1e 00 fa 00"));
    EXPECT_EQ(std::make_tuple(g_PlaySession.m_SaveTime, g_SaveSlots[8].m_bUsed,
                              g_SaveSlots[8].m_SaveTime, g_SaveSlots[7].m_bUsed),
              std::make_tuple(kMarch7, 1u, kMarch7, 0u));
    EXPECT_EQ(file, SessionBytes());
}

TEST_F(SaveSlotsTest, SavingTakesTheLocalTime) {
    SetSaveTimeSource(nullptr);
    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(g_PlaySession.SaveSlot(0), 1);
    std::tm local{};
    local.tm_year = g_SaveSlots[0].m_SaveTime.wYear - 1900;
    local.tm_mon = g_SaveSlots[0].m_SaveTime.wMonth - 1;
    local.tm_mday = g_SaveSlots[0].m_SaveTime.wDay, local.tm_hour = g_SaveSlots[0].m_SaveTime.wHour;
    local.tm_min = g_SaveSlots[0].m_SaveTime.wMinute;
    local.tm_sec = g_SaveSlots[0].m_SaveTime.wSecond, local.tm_isdst = -1;
    const std::time_t stamped = std::mktime(&local);
    EXPECT_LE(std::abs(static_cast<long>(stamped - before)), 2L);
    EXPECT_LT(g_SaveSlots[0].m_SaveTime.wDayOfWeek, 7);
    EXPECT_LT(g_SaveSlots[0].m_SaveTime.wMilliseconds, 1000);
}

TEST_F(SaveSlotsTest, ASaveThatFailsKeepsTheOldSlotAndTheList) {
    using platform::fs::FailPoint;
    for (FailPoint point :
         {FailPoint::Create, FailPoint::Write, FailPoint::Sync, FailPoint::Rename}) {
        SCOPED_TRACE(static_cast<int>(point));
        const ByteVec old = RunFile(3, 2, kMay1);
        wftest::WriteBytes(Story(5), old);
        g_SaveSlots[4].m_bUsed = 1, g_SaveSlots[4].m_SaveTime = kMay1;
        g_PlaySession.m_SaveTime = kMay1, g_PlaySession.m_nScore = 5;

        platform::fs::SetAtomicWriteFailPoint(point);
        EXPECT_EQ(g_PlaySession.SaveSlot(4), 0);
        platform::fs::SetAtomicWriteFailPoint(FailPoint::None);

        EXPECT_EQ(wftest::ReadBytes(Story(5)), old);
        EXPECT_EQ(g_SaveSlots[4].m_SaveTime, kMay1);
        EXPECT_EQ(g_PlaySession.m_SaveTime, kMay1);
        // Nothing left behind in the folder but the slot.
        EXPECT_EQ(
            std::distance(fs::directory_iterator(Story(5).parent_path()), fs::directory_iterator()),
            1);
    }
    // A slot that did not exist stays free.
    platform::fs::SetAtomicWriteFailPoint(FailPoint::Rename);
    EXPECT_EQ(g_PlaySession.SaveSlot(6), 0);
    EXPECT_EQ(g_SaveSlots[6].m_bUsed, 0u);
    EXPECT_FALSE(fs::exists(Story(7)));
}

TEST_F(SaveSlotsTest, SlotsOutsideTheListAreRefused) {
    for (int slot : {-1, 99, 1000}) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(g_PlaySession.SaveSlot(slot), 0);
        EXPECT_EQ(g_PlaySession.LoadSlot(slot), 0);
    }
    EXPECT_TRUE(fs::is_empty(Story(1).parent_path()));
}

TEST_F(SaveSlotsTest, TheListShowsTheSlotsThatCanBeLoaded) {
    wftest::WriteBytes(Story(3), RunFile(3, 2, kMarch7));
    ByteVec damaged = RunFile(3, 2, kMay1);
    damaged.resize(damaged.size() - 3);
    wftest::WriteBytes(Story(5), damaged);
    wftest::WriteBytes(Story(7), {0x02, 0x03});  // not even a version word
    g_SaveSlots[10].m_bUsed = 1;                 // its file has gone since
    const ByteVec session = SessionBytes();

    BuildSlotList(g_SaveSlots);
    ASSERT_EQ(g_SaveSlots.size(), 99u);
    for (int n = 0; n < 99; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(g_SaveSlots[n].m_bUsed, n == 2 ? 1u : 0u);
    }
    EXPECT_EQ(g_SaveSlots[2].m_SaveTime, kMarch7);
    EXPECT_EQ(SessionBytes(), session);
}

TEST_F(SaveSlotsTest, LoadingASlotAppliesTheStoryLives) {
    const struct {
        int32_t startLives, lives;
        uint32_t unlimited;
        int32_t wantStart, wantLives;
    } cases[] = {
        {999999, 999999, 0, 999999, 3},  // saved without a limit: the mode's start lives
        {5, 2, 0, 5, 2},                 // a limited run stays as it was
        {5, 2, 1, 999999, 999999},       // the story mode has no limit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lives);
        g_SystemData.m_vUnlimitedLives[0] = c.unlimited;
        wftest::WriteBytes(Story(1), RunFile(c.startLives, c.lives, kMarch7));
        g_PlaySession.Reset();
        ASSERT_EQ(g_PlaySession.LoadSlot(0), 1);
        EXPECT_EQ(std::make_tuple(g_PlaySession.m_nStartLives, g_PlaySession.m_nLives,
                                  g_PlaySession.m_nScore, g_PlaySession.m_SaveTime),
                  std::make_tuple(c.wantStart, c.wantLives, 4321, kMarch7));
    }
}

TEST_F(SaveSlotsTest, AMissingOrDamagedSlotLeavesTheRunUntouched) {
    g_PlaySession.m_nScore = 77;
    g_PlaySession.m_vSavedVariables.assign(4, 9);
    const ByteVec session = SessionBytes();
    EXPECT_EQ(g_PlaySession.LoadSlot(1), 0);  // no file

    const ByteVec good = RunFile(3, 2, kMarch7);
    for (size_t size : {size_t{2}, size_t{4}, size_t{100}, kSaveTimeOffset + 8, good.size() - 1}) {
        SCOPED_TRACE(size);
        wftest::WriteBytes(Story(2), ByteVec(good.begin(), good.begin() + size));
        EXPECT_EQ(g_PlaySession.LoadSlot(1), 0);
        EXPECT_EQ(SessionBytes(), session);
        EXPECT_EQ(g_PlaySession.m_vSavedVariables, std::vector<uint32_t>(4, 9));
        EXPECT_TRUE(fs::exists(Story(2)));  // a slot file is never moved
    }
}

TEST_F(SaveSlotsTest, LoadingKeepsWhatTheFileDoesNotHold) {
    // Stage play's stage-start copy is not stored; a load leaves it as it was.
    wftest::WriteBytes(Story(1), RunFile(3, 2, kMarch7));
    g_PlaySession.m_vSavedVariables.assign(3, 5);
    g_PlaySession.m_nSavedScore = 8;
    ASSERT_EQ(g_PlaySession.LoadSlot(0), 1);
    EXPECT_EQ(g_PlaySession.m_vSavedVariables, std::vector<uint32_t>(3, 5));
    EXPECT_EQ(g_PlaySession.m_nSavedScore, 8);
}

TEST_F(SaveSlotsTest, TheChallengeFileLoadsWithTheChallengeLives) {
    EXPECT_EQ(g_PlaySession.LoadChallenge(), 0);  // none yet
    g_SystemData.m_vUnlimitedLives[1] = 1;
    wftest::WriteBytes(Challenge(), RunFile(3, 2, kMarch7));
    ASSERT_EQ(g_PlaySession.LoadChallenge(), 1);
    EXPECT_EQ(g_PlaySession.m_nStartLives, 999999);
    EXPECT_EQ(g_PlaySession.m_nLives, 999999);

    g_SystemData.m_vUnlimitedLives[1] = 0;
    wftest::WriteBytes(Challenge(), RunFile(999999, 999999, kMarch7));
    ASSERT_EQ(g_PlaySession.LoadChallenge(), 1);
    EXPECT_EQ(g_PlaySession.m_nStartLives, 999999);
    EXPECT_EQ(g_PlaySession.m_nLives, 4);
}

TEST_F(SaveSlotsTest, ADamagedChallengeFileIsMovedAside) {
    const ByteVec good = RunFile(3, 2, kMarch7);
    for (size_t size : {size_t{1}, size_t{40}, good.size() - 4}) {
        SCOPED_TRACE(size);
        const ByteVec damaged(good.begin(), good.begin() + size);
        wftest::WriteBytes(Challenge(), damaged);
        g_PlaySession.m_nScore = 12;
        const ByteVec session = SessionBytes();
        EXPECT_EQ(g_PlaySession.LoadChallenge(), 0);
        EXPECT_EQ(SessionBytes(), session);
        EXPECT_FALSE(fs::exists(Challenge()));
        fs::path bad = Challenge();
        bad += ".bad";
        EXPECT_EQ(wftest::ReadBytes(bad), damaged);
        // The next result is written where the damaged file was.
        EXPECT_EQ(g_PlaySession.SaveChallenge(), 1);
        EXPECT_EQ(wftest::ReadBytes(Challenge()), session);
        fs::remove(Challenge());
    }
}

TEST_F(SaveSlotsTest, AChallengeSaveThatFailsKeepsTheOldFile) {
    const ByteVec old = RunFile(3, 2, kMay1);
    wftest::WriteBytes(Challenge(), old);
    platform::fs::SetAtomicWriteFailPoint(platform::fs::FailPoint::Write);
    EXPECT_EQ(g_PlaySession.SaveChallenge(), 0);
    platform::fs::SetAtomicWriteFailPoint(platform::fs::FailPoint::None);
    EXPECT_EQ(wftest::ReadBytes(Challenge()), old);
    ASSERT_EQ(g_PlaySession.SaveChallenge(), 1);
    EXPECT_EQ(wftest::ReadBytes(Challenge()), SessionBytes());
}

TEST_F(SaveSlotsTest, TheDateOfAUsedSlot) {
    cSaveSlotInfo slot;
    slot.m_SaveTime = kMarch7;
    RecordingCanvas free;
    DrawSlotDate(slot, free, 5, 6);
    EXPECT_TRUE(free.calls.empty());

    slot.m_bUsed = 1;
    RecordingCanvas used;
    DrawSlotDate(slot, used, 5, 6);
    ASSERT_EQ(used.calls.size(), 1u);
    EXPECT_EQ(used.calls[0], "text 5 6 2009/03/07 14:05\n");
}

TEST_F(SaveSlotsTest, ARowsRecordPartIsItsUsedFlagAlone) {
    cSaveSlotInfo row;
    row.m_bUsed = 1, row.m_SaveTime = kMarch7;
    row.Clear();
    EXPECT_EQ(std::make_tuple(row.m_bUsed, row.m_SaveTime), std::make_tuple(0u, kMarch7));

    cSaveSlotInfo source;
    source.m_bUsed = 1, source.m_SaveTime = kMay1;
    ASSERT_TRUE(row.CopyFrom(source));
    EXPECT_EQ(std::make_tuple(row.m_bUsed, row.m_SaveTime), std::make_tuple(1u, kMarch7));
    const cSaveSlotInfo copy = source;
    EXPECT_EQ(std::make_tuple(copy.m_bUsed, copy.m_SaveTime), std::make_tuple(1u, kMay1));
}

TEST_F(SaveSlotsTest, APageOfTheSlotList) {
    std::vector<cSaveSlotInfo> slots(99);
    slots[97].m_bUsed = 1, slots[97].m_SaveTime = kMay1;

    RecordingCanvas canvas;
    DrawSlotList(canvas, 100, 50, slots, 96, 4);
    EXPECT_EQ(canvas.calls,
              (std::vector<std::string>{
                  "box 100 50 320 64", "fill 100 65 320 1 240", "text 116 50 97",
                  "fill 100 81 320 1 240", "text 116 66 98", "text 164 66 2011/05/01 09:30\n",
                  "fill 100 97 320 1 240", "text 116 82 99",
                  // the last row has no separator and no slot 100
              }));
}
