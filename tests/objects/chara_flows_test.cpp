// Loop expansion, binding flows into runs (numbering, use times, speeds, mode 1 insertion)
// and the anime schedule.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <tuple>
#include <vector>

#include "data/database.h"
#include "object_fakes.h"
#include "objects/chara.h"

namespace {

// A command marked by its use time; a loop (category, type) when asked.
cFlowCmd Cmd(uint16_t mark, uint8_t category = 0, int8_t type = 1,
             std::vector<int32_t> params = {}) {
    cFlowCmd cmd;
    cmd.m_nCategory = category;
    cmd.m_nType = type;
    cmd.m_nUseTime = mark;
    cmd.m_vParams = std::move(params);
    return cmd;
}
cFlowCmd Loop(int32_t count, int32_t n) {
    return Cmd(0, 0, 39, {count, n});
}

std::vector<int> Marks(const std::vector<cFlowCmd>& cmds) {
    std::vector<int> out;
    for (const cFlowCmd& c : cmds) out.push_back(c.m_nType == 39 ? -1 : c.m_nUseTime);
    return out;
}

}  // namespace

TEST(CharaFlows, LoopExpansion) {
    struct Case {
        const char* name;
        std::vector<cFlowCmd> cmds;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"count 3 of 2", {Loop(3, 2), Cmd(1), Cmd(2), Cmd(3)}, {1, 2, 1, 2, 1, 2, 3}},
        {"block past the end", {Cmd(9), Loop(3, 5), Cmd(1), Cmd(2)}, {9, 1, 2, 1, 2, 1, 2}},
        {"count 0 and negative as 1", {Loop(0, 2), Cmd(1), Cmd(2), Loop(-4, 1), Cmd(3)}, {1, 2, 3}},
        {"nested", {Loop(2, 3), Cmd(1), Loop(2, 1), Cmd(2), Cmd(3)}, {1, 2, 2, 1, 2, 2, 3}},
        {"item loop", {Cmd(0, 1, 24, {2, 1}), Cmd(1)}, {1, 1}},
        {"type 24 of a flow is no loop", {Cmd(7, 0, 24, {2, 1}), Cmd(1)}, {7, 1}},
        {"no parameters", {Cmd(0, 0, 39), Cmd(1)}, {1}},
        {"negative length", {Loop(3, -2), Cmd(1)}, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<cFlowCmd> cmds = c.cmds;
        ExpandLoopCmds(cmds);
        EXPECT_EQ(Marks(cmds), c.expected);
    }
    std::vector<cFlowCmd> none = {Cmd(1)};
    EXPECT_EQ(ExpandOneLoop(none), 0);

    // Large and nested counts stop at the cap, with no loop command left.
    std::vector<cFlowCmd> big = {Loop(70000, 1), Cmd(5)};
    ExpandLoopCmds(big);
    EXPECT_EQ(big.size(), kMaxExpandedCmds);
    std::vector<cFlowCmd> nested = {Loop(300, 2), Loop(300, 1), Cmd(5)};
    ExpandLoopCmds(nested);
    EXPECT_LE(nested.size(), kMaxExpandedCmds);
    const std::vector<int> marks = Marks(nested);
    EXPECT_EQ(std::count(marks.begin(), marks.end(), -1), 0);
}

TEST(CharaFlows, BindingNumbersRunsAndScalesTimesAndSpeeds) {
    wftest::FakePlay play;
    wftest::RecordingFlows flows;
    wftest::StageSteps steps(2, 1.0);  // R = F = 2
    cChara c;
    cCharaDef def;
    def.m_vFlows.resize(2);
    def.m_vFlows[0].m_vCmds = {Cmd(10), Cmd(0), Cmd(1)};
    def.m_vFlows[0].m_vCmds[0].m_nUseTimeLv = 2;
    def.m_vFlows[0].m_vCmds[2].m_nUseTimeLv = -5;
    cFlowCmd& move = def.m_vFlows[0].m_vCmds[1];
    move.MakeEdMove();
    move.m_pMove->m_nSpeed = 20, move.m_pMove->m_nSpeedLv = 5;
    move.m_pMove->m_bInertia = 1, move.m_pMove->m_nSpeed2 = 40, move.m_pMove->m_nTimeMode = 3;
    c.Setup(&def, 0, 0, 0, 0, 3);
    c.BuildFlows(c.m_Def.m_vFlows, 0, -1);

    ASSERT_EQ(c.m_vFlowRuns.size(), 2u);
    const std::vector<cCmdRun>& runs = c.m_vFlowRuns[0].m_vCmds;
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].m_nUseTime, (3u * 2 + 10) * 2 * 6);
    EXPECT_EQ(runs[2].m_nUseTime, 0u);  // (3 x -5 + 1) tenths: no time, not a wrapped one
    EXPECT_DOUBLE_EQ(runs[1].m_dSpeed, (3 * 5 + 20) * 0.1 / 2);
    EXPECT_DOUBLE_EQ(runs[1].m_dSpeed2, 40 * 0.1 / 2);
    EXPECT_EQ(runs[1].m_nMode, 3);
    EXPECT_EQ(flows.setups,
              (std::vector<cCmdRun*>{&c.m_vFlowRuns[0].m_vCmds[0], &c.m_vFlowRuns[0].m_vCmds[1],
                                     &c.m_vFlowRuns[0].m_vCmds[2]}));

    // Mode 1 inserts before an index; the new runs take the next serials, every run points
    // into the grown list, and only always-flows may start in this frame.
    std::vector<cFlow> added(2);
    added[1].m_nTrigger = 5;
    added[0].m_vCmds = {Loop(2, 1), Cmd(4)};
    c.BuildFlows(added, 1, 1);
    c.BuildFlows(added, 1, -1);
    ASSERT_EQ(c.m_vFlowRuns.size(), 6u);
    const std::vector<int> serials = {0, 2, 3, 1, 4, 5};
    for (size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const cFlowRun& run = c.m_vFlowRuns[i];
        EXPECT_EQ(run.m_nSerial, serials[i]);
        EXPECT_EQ(run.m_nIndex, static_cast<int>(i));
        EXPECT_EQ(run.m_pFlow, &c.m_Def.m_vFlows[i]);
        ASSERT_EQ(run.m_vCmds.size(), c.m_Def.m_vFlows[i].m_vCmds.size());
        for (size_t j = 0; j < run.m_vCmds.size(); ++j)
            EXPECT_EQ(run.m_vCmds[j].m_pCmd, &c.m_Def.m_vFlows[i].m_vCmds[j]);
    }
    EXPECT_EQ(Marks(c.m_Def.m_vFlows[1].m_vCmds), (std::vector<int>{4, 4}));
    EXPECT_EQ(c.m_vFlowRuns[1].m_bStartLatch, 0);
    EXPECT_EQ(c.m_vFlowRuns[2].m_bStartLatch, 1);
}

TEST(CharaFlows, AnimeScheduleLeadsIntoItsCommand) {
    wftest::FakePlay play;
    wftest::RecordingFlows flows;
    const std::vector<cAnime> saved = g_Database.m_vAnime;
    g_Database.m_vAnime.resize(2);
    g_Database.m_vAnime[1].m_vFrame.resize(2);
    g_Database.m_vAnime[1].m_vFrame[0].m_nTime = 2;  // 5 tenths in all
    g_Database.m_vAnime[1].m_vFrame[1].m_nTime = 3;

    cCharaDef def;
    def.m_vFlows.resize(1);
    def.m_vFlows[0].m_vCmds = {Cmd(2), Cmd(1), Cmd(4), Cmd(1, 0, 10)};
    def.m_vFlows[0].m_vCmds[1].m_bTogether = 1;  // runs with the command before: no time
    def.m_vFlows[0].m_vCmds[2].m_nAnime = 1;
    def.m_vFlows[0].m_vCmds[3].m_nAnime = 1;  // a jump
    using E = AnimeScheduleEntry;
    struct Case {
        int32_t level;
        std::vector<E> expected;  // start, anime, skipped, lead-in, hold, extension
    };
    // Level 1: the anime lasts 30 frames. Before the third command lie 12 frames: it starts
    // with the flow, 18 frames in. Before the jump lie 36: it starts at 36 - 30.
    // Level 2 doubles the frames; the skipped part stays in base frames.
    const Case cases[] = {
        {1, {E{0, 1, 18, 12, 24, 1}, E{6, 1, 0, 30, 6, 0}}},
        {2, {E{0, 1, 18, 24, 24, 1}, E{12, 1, 0, 60, 6, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        wftest::StageSteps steps(c.level, 1.0);
        cChara chara;
        chara.Setup(&def, 0, 0, 0, 0, 0);
        chara.BuildFlows(chara.m_Def.m_vFlows, 0, -1);
        const std::vector<E>& got = chara.m_vFlowRuns[0].m_vAnimeSchedule;
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            const E& g = got[i];
            const E& e = c.expected[i];
            EXPECT_EQ((std::vector<int32_t>{g.startFrame, g.anime, g.tickOffset, g.leadIn, g.hold,
                                            g.holdExtension}),
                      (std::vector<int32_t>{e.startFrame, e.anime, e.tickOffset, e.leadIn, e.hold,
                                            e.holdExtension}));
        }
    }
    g_Database.m_vAnime = saved;
}

TEST(CharaFlows, AnimeRunsOfAFlowAndTheBodyBox) {
    wftest::FakePlay play;
    cChara c;
    cCharaDef def;
    def.m_vFlows.resize(2);
    c.Setup(&def, 0, 0, 0, 0, 0);
    c.BuildFlows(c.m_Def.m_vFlows, 0, -1);
    auto run = [](int32_t serial, int32_t counted, int32_t count) {
        cAnimeRun a;
        a.serial = serial, a.counted = counted, a.count = count, a.hold = 1;
        return a;
    };
    c.m_lAnimeRuns = {run(0, 1, 0), run(1, 1, 0), run(0, 1, 2), run(0, 0, 0)};
    c.ReleaseFlowAnims(1);
    EXPECT_EQ(c.m_lAnimeRuns.front().hold + c.m_lAnimeRuns.back().hold, 2);
    EXPECT_EQ(std::next(c.m_lAnimeRuns.begin())->hold, 0);
    c.RemoveEndedFlowAnims(0);  // the used-up count of flow 0 only
    EXPECT_EQ(c.m_lAnimeRuns.size(), 3u);
    c.RemoveFlowAnims(0);
    ASSERT_EQ(c.m_lAnimeRuns.size(), 1u);
    EXPECT_EQ(c.m_lAnimeRuns.front().serial, 1);

    c.m_nGraphicOffsetX = 4, c.m_nGraphicOffsetY = 6;
    for (auto [bottom, ox, oy] : {std::tuple{0u, 2, -1}, {1u, 2, 4}}) {
        c.SetBodyRect(bottom, 20, 22);
        const BodyBox& b = c.m_aBody[0];
        EXPECT_EQ((std::vector<int32_t>{b.offsetX, b.offsetY, b.width, b.height, b.baseOffsetX,
                                        b.baseOffsetY, b.baseWidth, b.baseHeight}),
                  (std::vector<int32_t>{ox, oy, 20, 22, ox, oy, 20, 22}));
    }
}
