// Loading a stage for play: trailer check, the read on the loader thread, the failure
// messages, the copy into the play stage and a quit taken while the file is read.
#include "data/stage_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "data/global_data.h"
#include "data/stage_file.h"
#include "support/data_record_fixture.h"
#include "fixtures/stage_writer.h"
#include "platform/msg/msg.h"

namespace {

using wftest::DataRecordTest;

// The game's texts, as Shift-JIS bytes.
const std::string kStageFile = "\x83\x58\x83\x65\x81\x5b\x83\x57\x83\x74\x83\x40\x83\x43\x83\x8b ";
const std::string kDamaged =
    " \x82\xaa\x94\x6a\x91\xb9\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x49";
const std::string kNotRead =
    " \x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5"
    "\x82\xbd\x81\x49";
const std::string kNoHero =
    "\x8e\xe5\x90\x6c\x8c\xf6\x82\xaa\x94\x7a\x92\x75\x82\xb3\x82\xea\x82\xc4\x82\xa2\x82\xc8"
    "\x82\xa2\x82\xcc\x82\xc5\x83\x76\x83\x8c\x83\x43\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1"
    "\x81\x49";

class StageLoaderTest : public DataRecordTest {
  protected:
    void SetUp() override {
        DataRecordTest::SetUp();
        g_Stage = cStage(), g_PlayStage = cStage(), g_Stage.m_sText = "previous stage";
        g_Stage.m_sPath = "previous.stg4";
    }
    void TearDown() override {
        g_Stage = cStage(), g_PlayStage = cStage();
        SetStageLoadDispatch(nullptr);
        DataRecordTest::TearDown();
    }
    void ExpectStageUnchanged() {
        EXPECT_EQ(g_Stage.m_sText, "previous stage");
        EXPECT_EQ(g_Stage.m_sPath, "previous.stg4");
        EXPECT_FALSE(g_Stage.HasHero());
    }

    wftest::ScopedCurrentDir here{dir.Path()};
};

TEST_F(StageLoaderTest, MinimalStageLoadsAndCopiesIntoThePlayStage) {
    Put(wftest::WriteStage(wftest::MinimalPlayableStage()), "first.stg4");
    ASSERT_EQ(LoadStageFile("first.stg4", 0, &g_PlayStage), 1u);
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(posted.Count(WM_CLOSE), 0);

    EXPECT_EQ(g_Stage.FindHero(), 0);
    EXPECT_EQ(std::make_tuple(g_Stage.m_vBlocks.size(), g_Stage.m_sPath, g_Stage.m_bLoaded,
                              g_Stage.m_bNewest, g_Stage.m_sText),
              std::make_tuple(1u, "first.stg4", 1u, 0u, ""));

    // The play stage: the settings part, no definitions.
    EXPECT_EQ(std::make_tuple(g_PlayStage.m_anSize[0], g_PlayStage.m_vBackgrounds.size(),
                              g_PlayStage.m_vRankItems, g_PlayStage.m_aParams[4].m_anEraseDist[0]),
              std::make_tuple(20, 1u, g_Stage.m_vRankItems, 10));
    EXPECT_TRUE(g_PlayStage.m_vCharas.empty());
    EXPECT_TRUE(g_PlayStage.m_vPalItems.empty());

    // The loaded stage saves as the editor wrote it.
    EXPECT_EQ(Saved(g_Stage), wftest::WriteStage(wftest::MinimalPlayableStage()));
}

TEST_F(StageLoaderTest, NewestGenerationIsLoaded) {
    wftest::StageSpec older = wftest::MinimalPlayableStage();
    older.text = "old";
    wftest::StageSpec newer = wftest::MinimalPlayableStage();
    newer.text = "new";
    Put(wftest::WriteStage(older), "st.stg4_001");
    Put(wftest::WriteStage(newer), "st.stg4_003");
    ASSERT_EQ(LoadStageFile("st.stg4", 1, nullptr), 1u);
    EXPECT_EQ(std::make_tuple(g_Stage.m_sText, g_Stage.m_bNewest, g_Stage.m_sPath),
              std::make_tuple("new", 1u, "st.stg4_003"));

    // No generation at all: 0 and nothing shown.
    EXPECT_EQ(LoadStageFile("none.stg4", 1, nullptr), 0u);
    EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(StageLoaderTest, FailuresShowTheirMessageAndKeepTheStage) {
    wftest::StageSpec noHero = wftest::MinimalPlayableStage();
    noHero.charas[0].values["side"] = 1;
    wftest::StageSpec badTrailer = wftest::MinimalPlayableStage();
    badTrailer.trailerValue = 123456788;
    wftest::StageSpec oldBadTrailer = badTrailer;
    oldBadTrailer.version = 173;
    std::vector<uint8_t> shortFile = {0x02, 0x03, 0x00, 0x00, 0x15, 0xCD};

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;  // empty: no file
        std::string box;
        int closes;
        uint32_t result;
    };
    const Case cases[] = {
        {"missing.stg4", {}, kStageFile + "missing.stg4" + kNotRead, 0, 0},
        {"nohero.stg4", wftest::WriteStage(noHero), kNoHero, 1, 0},
        {"trailer.stg4", wftest::WriteStage(badTrailer), kStageFile + "trailer.stg4" + kDamaged, 1,
         0},
        // Too short to end in a trailer.
        {"short.stg4", shortFile, kStageFile + "short.stg4" + kDamaged, 1, 0},
        // Version 173 carries the trailer, but its value is not checked.
        {"v173.stg4", wftest::WriteStage(oldBadTrailer), "", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wftest::ScriptedBoxes answers;
        wftest::PostedMessages closes;
        if (!c.bytes.empty()) Put(c.bytes, c.name);
        EXPECT_EQ(LoadStageFile(c.name, 0, &g_PlayStage), c.result);
        const auto asked = answers.Asked();
        if (c.box.empty()) {
            EXPECT_TRUE(asked.empty());
        } else {
            ASSERT_EQ(asked.size(), 1u);
            EXPECT_EQ(asked[0].textSjis, c.box);
        }
        EXPECT_EQ(closes.Count(WM_CLOSE), c.closes);
        if (c.result == 0) ExpectStageUnchanged();
    }
}

TEST_F(StageLoaderTest, CheckStageFileTestsTheTrailerFrom174) {
    const struct {
        uint32_t version;
        uint32_t trailer;
        uint32_t result;
    } cases[] = {
        {173, 1, 1}, {174, 1, 0}, {174, 123456789, 1}, {770, 123456789, 1}, {770, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version << " " << c.trailer);
        wftest::ScriptedBoxes answers;
        wftest::PostedMessages closes;
        // Only the version word and the last four bytes count.
        const std::string path =
            Put(wftest::ByteBuilder().U32(c.version).U32(0).U32(c.trailer).Bytes(), "t.stg4");
        EXPECT_EQ(CheckStageFile(path.c_str()), c.result);
        EXPECT_EQ(answers.Asked().size(), c.result ? 0u : 1u);
        EXPECT_EQ(closes.Count(WM_CLOSE), c.result ? 0 : 1);
    }
    // A file that cannot be opened is left to the load to report.
    EXPECT_EQ(CheckStageFile("no such file.stg4"), 1u);
}

TEST_F(StageLoaderTest, QuitDuringTheLoadCancelsAndIsLeftForTheCaller) {
    Put(wftest::WriteStage(wftest::MinimalPlayableStage()), "q.stg4");
    uint32_t result = 99;
    bool quitSeenAfter = false;
    // A thread of its own, whose queue the quit may end.
    std::thread caller([&] {
        const platform::msg::ThreadId self = platform::msg::CurrentThreadId();
        platform::msg::PostThread(self, WM_QUIT, 0, 0);
        result = LoadStageFile("q.stg4", 0, &g_PlayStage);
        platform::msg::Message msg;
        quitSeenAfter = platform::msg::PeekMessage(msg) && msg.message == WM_QUIT;
        platform::msg::ReleaseThreadQueue(self);
    });
    caller.join();
    EXPECT_EQ(result, 0u);
    EXPECT_TRUE(quitSeenAfter);
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(posted.Count(WM_CLOSE), 0);
    ExpectStageUnchanged();
    EXPECT_TRUE(g_PlayStage.m_vBackgrounds.size() == 1 && g_PlayStage.m_vCharas.empty());
    EXPECT_TRUE(g_StageLoaderThread.HasEnded());
}

std::vector<UINT> g_dispatched;
void RecordDispatch(const platform::msg::Message& m) {
    g_dispatched.push_back(m.message);
}

TEST_F(StageLoaderTest, MessagesTakenDuringTheLoadGoToTheDispatcher) {
    Put(wftest::WriteStage(wftest::MinimalPlayableStage()), "d.stg4");
    g_dispatched.clear();
    SetStageLoadDispatch(RecordDispatch);
    uint32_t result = 0;
    std::thread caller([&] {
        const platform::msg::ThreadId self = platform::msg::CurrentThreadId();
        platform::msg::PostThread(self, WM_USER + 7, 0, 0);
        result = LoadStageFile("d.stg4", 0, nullptr);
        platform::msg::ReleaseThreadQueue(self);
    });
    caller.join();
    EXPECT_EQ(result, 1u);
    EXPECT_EQ(g_dispatched, std::vector<UINT>{WM_USER + 7});
}

}  // namespace
