// The flow runner: command timing and break, restarts of a flow by its own command,
// trigger latches, flag indices, instant flows, nested starts and deferred erasure.
#include <gtest/gtest.h>

#include "core/record.h"
#include "data/database.h"
#include "data/system_data.h"
#include "flow/runner.h"
#include "flow_test_support.h"
#include "support/temp_dir.h"

#include <filesystem>

using namespace wftest;

namespace {

std::vector<int32_t> MarksOfFrame(const FlowHarness& h, uint32_t frame) {
    std::vector<int32_t> marks;
    for (const ProbeCall& c : h.calls)
        if (c.frame == frame) marks.push_back(c.mark);
    return marks;
}

// Under those switches: a trigger tried first for another group, then for any group in the
// same frame. The early latch refuses the second try.
bool StartsAfterGroupRefusal(uint32_t compat744, uint32_t compat525) {
    g_SystemData.m_bCompat744 = compat744;
    g_SystemData.m_bCompat525 = compat525;
    cChara a;
    Bind(a, {Flow(5, {Probe(1)}, 0, 1)});
    StartFlowsByTrigger(a, 5, nullptr, 2);
    StartFlowsByTrigger(a, 5, nullptr, 0);
    return a.m_vFlowRuns[0].m_bRunning != 0;
}

}  // namespace

TEST(FlowRunner, CommandTimingAcrossFrames) {
    struct Case {
        const char* name;
        std::vector<cFlowCmd> cmds;
        std::vector<uint32_t> frames;  // use time of each command
        // Probe marks per play frame 0, 1, 2, ...
        std::vector<std::vector<int32_t>> expected;
        int finishedAt;  // frame whose end sees the flow stopped
    };
    const Case cases[] = {
        {"all together in the first frame",
         {Probe(1, true), Probe(2, true), Probe(3, true)},
         {1, 1, 1},
         {{1, 2, 3}, {}},
         0},
        {"use time 0 and 1 act once", {Probe(1), Probe(2)}, {0, 1}, {{1}, {2}, {}}, 1},
        {"three frames hold the flow; the next starts on the fourth",
         {Probe(1), Probe(2)},
         {3, 1},
         {{1}, {1}, {1}, {2}, {}},
         3},
        {"a together command runs beside the next until the flow ends",
         {Probe(1, true), Probe(2)},
         {5, 2},
         {{1, 2}, {1, 2}, {}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlowHarness h;
        cChara chara;
        Bind(chara, {Flow(22, c.cmds)});
        for (size_t i = 0; i < c.frames.size(); ++i) SetFrames(chara, 0, i, c.frames[i]);
        StartFlowRun(chara.m_vFlowRuns[0], chara);
        for (size_t f = 0; f < c.expected.size(); ++f) {
            h.Frame(chara);
            EXPECT_EQ(MarksOfFrame(h, static_cast<uint32_t>(f)), c.expected[f]) << "frame " << f;
            EXPECT_EQ(chara.m_vFlowRuns[0].m_bRunning, static_cast<int>(f) < c.finishedAt ? 1 : 0);
        }
    }
}

TEST(FlowRunner, BreakEndsTheFlowsFrame) {
    FlowHarness h;
    cChara chara;
    Bind(chara, {Flow(0, {Probe(1, true), Probe(2, true), Probe(3)})});
    h.action = [&h](CmdContext& ctx, int32_t mark) {
        if (mark == 2 && h.play.state.frame == 0) ctx.flow->m_bBreak = 1;
        return 0;
    };
    for (int i = 0; i < 3; ++i) SetFrames(chara, 0, i, 4);
    h.Frame(chara);
    h.Frame(chara);
    EXPECT_EQ(MarksOfFrame(h, 0), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(MarksOfFrame(h, 1), (std::vector<int32_t>{1, 2, 3}));
    // The broken frame is not one of the flow's frames.
    EXPECT_EQ(chara.m_vFlowRuns[0].m_nFrames, 1);
}

// A flow that pauses itself ends that frame uncounted; resumed by another flow, it counts
// on from there, so the animes it schedules keep to its own frames.
TEST(FlowRunner, AFlowPausedByItselfCountsOnlyTheFramesItRan) {
    FlowHarness h;
    cChara chara;
    Bind(chara, {Flow(22, {Probe(1, true), FlowOp(2, 0, 0, 0, true), Probe(2)}, 0, 1),
                 Flow(22, {Probe(3), FlowOp(3, 2, 1, 0, true)})});
    SetFrames(chara, 0, 0, 20);
    SetFrames(chara, 0, 2, 20);
    SetFrames(chara, 1, 0, 3);
    StartFlowRun(chara.m_vFlowRuns[0], chara);
    StartFlowRun(chara.m_vFlowRuns[1], chara);
    const cFlowRun& paused = chara.m_vFlowRuns[0];
    std::vector<int32_t> frames;
    for (int f = 0; f < 6; ++f) {
        h.Frame(chara);
        frames.push_back(paused.m_nFrames);
    }
    // Paused in frame 0, resumed at the end of frame 3 (after the pausing flow's turn).
    EXPECT_EQ(frames, (std::vector<int32_t>{0, 0, 0, 0, 1, 2}));
    EXPECT_EQ(MarksOfFrame(h, 4), (std::vector<int32_t>{1, 2}));
}

TEST(FlowRunner, FlowRestartingItselfLoopsWithoutStalling) {
    FlowHarness h;
    // [wait, restart self]: the wait runs again and again, one frame of restart between.
    cChara loop;
    Bind(loop, {Flow(22, {Probe(1), FlowOp(0, 0)})});
    SetFrames(loop, 0, 0, 2);
    StartFlowRun(loop.m_vFlowRuns[0], loop);
    std::vector<uint32_t> waitStarts;
    h.action = [&](CmdContext& ctx, int32_t) {
        if (ctx.run->m_nRemaining == 2) waitStarts.push_back(h.play.state.frame);
        return 0;
    };
    for (int f = 0; f < 30; ++f) h.Frame(loop);
    EXPECT_EQ(loop.m_vFlowRuns[0].m_bRunning, 1);
    ASSERT_EQ(waitStarts.size(), 10u);
    for (size_t i = 0; i < waitStarts.size(); ++i) EXPECT_EQ(waitStarts[i], 3 * i);

    // [restart self] alone: restarted on every frame, never finishing.
    cChara self;
    Bind(self, {Flow(22, {FlowOp(0, 0)})});
    cFlowRun& run = self.m_vFlowRuns[0];
    StartFlowRun(run, self);
    const uint32_t first = run.m_nGeneration;
    for (int f = 0; f < 5; ++f) h.Frame(self);
    EXPECT_EQ(run.m_nGeneration, first + 5);
    EXPECT_EQ(run.m_bRunning, 1);
    EXPECT_EQ(run.m_vCmds[0].m_bDone, 0);
}

TEST(FlowRunner, TriggerLatchesBySwitches) {
    struct Case {
        uint32_t compat744, compat525;
        bool afterGroupRefusal, afterConditionRefusal;
    };
    // Early latch: any try latches. Late latch: only a try that passed the group test.
    // No latch: every try may start.
    const Case cases[] = {
        {1, 0, false, false}, {0, 0, true, false}, {0, 1, true, true}, {1, 1, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.compat744 << "/" << c.compat525);
        FlowHarness h;
        EXPECT_EQ(StartsAfterGroupRefusal(c.compat744, c.compat525), c.afterGroupRefusal);

        cChara b;
        cFlow gated = Flow(5, {Probe(1)});
        cCond cond;
        cond.m_nKind = 3;  // character variable 0 = 1
        cond.m_nValue = 1;
        gated.m_vConds.push_back(cond);
        Bind(b, {gated});
        StartFlowsByTrigger(b, 5, nullptr, 0);
        b.m_vVars[0] = 1;
        StartFlowsByTrigger(b, 5, nullptr, 0);
        EXPECT_EQ(b.m_vFlowRuns[0].m_bRunning != 0, c.afterConditionRefusal);
        // Next frame the latches are gone.
        ClearFlowMarks(b);
        StartFlowsByTrigger(b, 5, nullptr, 0);
        EXPECT_EQ(b.m_vFlowRuns[0].m_bRunning, 1);
    }
}

TEST(FlowRunner, OldSystemDataGivesTheEarlyLatch) {
    // A project saved at data version 600 predates the late latch (744) but not the
    // latch itself (525). Written by our own writer at that version: its last two lists
    // are left empty and the one version 600 lacks (the ranking mode names) is cut off.
    TempDir dir;
    const std::string path = dir.File("System.dat");
    cSystemData old;
    old.SetDefaults();
    old.m_vRankModeName.clear();
    old.m_vIniKey.clear();
    const uint32_t version = g_nDataVersion;
    g_nDataVersion = 600;
    old.RegisterFields(600);
    const int saved = old.SaveFile(path.c_str());
    g_nDataVersion = version;
    ASSERT_EQ(saved, 1);
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 4);
    cSystemData loaded;
    ASSERT_TRUE(LoadSystemDataFile(loaded, path.c_str(), 0));
    EXPECT_EQ(loaded.m_bCompat744, 1u);
    EXPECT_EQ(loaded.m_bCompat525, 0u);

    FlowHarness h;
    EXPECT_FALSE(StartsAfterGroupRefusal(loaded.m_bCompat744, loaded.m_bCompat525));
}

TEST(FlowRunner, FlagIndexKeepsAnAlwaysFlowToOneRunAtATime) {
    FlowHarness h;
    cChara chara;
    Bind(chara, {Flow(0, {Probe(1)}, 5), Flow(0, {Probe(2)}, 5)});
    SetFrames(chara, 0, 0, 2);
    SetFrames(chara, 1, 0, 1);
    h.Frame(chara);
    // The first flow set flags A[5] and B[5]: the second, of the same flag, stays idle.
    EXPECT_EQ(chara.m_vFlowStarted[5], 1);
    EXPECT_EQ(chara.m_vFlowRuns[1].m_bRunning, 0);
    h.Frame(chara);
    // It ended: A[5] and the ended flag are cleared after the walk, B[5] by the next frame.
    EXPECT_EQ(chara.m_vFlowRuns[0].m_bRunning, 0);
    EXPECT_EQ(chara.m_vFlowStarted[5], 0);
    EXPECT_EQ(chara.m_vFlowEnded[5], 0);
    h.Frame(chara);
    EXPECT_EQ(chara.m_vFlowRuns[0].m_bRunning, 1);
    EXPECT_EQ(MarksOfFrame(h, 2), (std::vector<int32_t>{1}));
}

TEST(FlowRunner, BeforeStageFlowRunsItsInstantCommandsOnce) {
    FlowHarness h;
    cChara chara;
    // Type 16 and on, together: run; the wait and the probe (type 9) are skipped.
    Bind(chara, {Flow(21, {Cmd(kCmdChangeBackground, {1, 1}, true), Probe(1, true),
                           Cmd(kCmdWait, {}, false, 5), Cmd(kCmdRunScreenEffect, {4, 5, 6}, true),
                           Cmd(kCmdRunScreenEffect, {7, 8, 9}, false)})});
    StartFlowsByTrigger(chara, 21, nullptr, 0);
    EXPECT_EQ(h.scene.screenEffects, (std::vector<std::vector<int32_t>>{{4, 5, 6}}));
    EXPECT_TRUE(h.calls.empty());
    EXPECT_EQ(chara.m_vFlowRuns[0].m_bRunning, 0);

    // Starting itself from there neither recurses nor leaves it running.
    cChara self;
    Bind(self, {Flow(21, {FlowOp(0, 0, 0, 0, true), Cmd(kCmdRunScreenEffect, {1, 2, 3}, true)})});
    StartFlowsByTrigger(self, 21, nullptr, 0);
    EXPECT_EQ(self.m_vFlowRuns[0].m_bRunning, 0);
    EXPECT_EQ(h.scene.screenEffects.size(), 1u);
}

TEST(FlowRunner, NestedTriggerStartKeepsTheRunningContext) {
    FlowHarness h;
    cChara other;
    Bind(other, {Flow(21, {Probe(2, true)}), Flow(7, {Probe(3)})});
    cChara chara;
    Bind(chara, {Flow(0, {Probe(1)})});
    PlayState& st = h.play.state;
    std::vector<const void*> seen;
    h.action = [&](CmdContext& ctx, int32_t mark) {
        if (mark != 1) return 0;
        StartFlowsByTrigger(other, 7, &ctx.chara, 0);
        StartFlowsByTrigger(other, 21, nullptr, 0);
        seen = {st.currentChara, st.currentFlow, st.currentCmd};
        return 0;
    };
    h.Frame(chara);
    EXPECT_EQ(seen, (std::vector<const void*>{&chara, &chara.m_vFlowRuns[0],
                                              &chara.m_vFlowRuns[0].m_vCmds[0]}));
    EXPECT_EQ(other.m_vFlowRuns[1].m_bRunning, 1);
    EXPECT_EQ(MarksOfFrame(h, 0), (std::vector<int32_t>{1}));
    EXPECT_EQ(st.currentChara, nullptr);
}

TEST(FlowRunner, ErasureWaitsForTheWalk) {
    FlowHarness h;
    cChara chara;
    // Flow 0 removes itself and sets group 3 going; the flows after it still run this frame.
    Bind(chara, {Flow(0, {Probe(1)}), Flow(0, {Probe(2)}, 0, 3), Flow(0, {Probe(3)}, 0, 3),
                 Flow(0, {Probe(4)})});
    h.action = [&](CmdContext& ctx, int32_t mark) {
        if (mark == 1) {
            EXPECT_EQ(SetFlowState(ctx.chara, 3), 1);
            RemoveFlow(ctx.chara, 0);
            EXPECT_EQ(ctx.chara.m_vFlowRuns.size(), 4u);
        }
        return 0;
    };
    h.Frame(chara);
    EXPECT_EQ(MarksOfFrame(h, 0), (std::vector<int32_t>{1, 4}));
    ASSERT_EQ(chara.m_vFlowRuns.size(), 1u);
    ASSERT_EQ(chara.m_Def.m_vFlows.size(), 1u);
    EXPECT_EQ(chara.m_vFlowRuns[0].m_pFlow, &chara.m_Def.m_vFlows[0]);
    EXPECT_EQ(chara.m_vFlowRuns[0].m_nIndex, 0);
    EXPECT_EQ(chara.m_bRemovePending, 0u);

    // A flow run on its own defers as well.
    cChara single;
    Bind(single, {Flow(22, {FlowOp(4, 0)}), Flow(22, {Probe(9)})});
    EXPECT_EQ(Flows().RunFlow(single, single.m_vFlowRuns[0]), 1);
    EXPECT_EQ(single.m_vFlowRuns.size(), 1u);
    EXPECT_EQ(single.m_vFlowRuns[0].m_pFlow, &single.m_Def.m_vFlows[0]);

    // Outside a walk the erasure is at once; a group nobody has changes nothing.
    EXPECT_EQ(SetFlowState(chara, 9), -1);
    EXPECT_EQ(chara.m_vFlowRuns.size(), 1u);
    EXPECT_EQ(SetFlowState(chara, 0), 0);
    EXPECT_TRUE(chara.m_vFlowRuns.empty());
    EXPECT_TRUE(chara.m_Def.m_vFlows.empty());
}

TEST(FlowRunner, RemovedOrBeatenCharacterEndsItsFrame) {
    FlowHarness h;
    cChara chara;
    Bind(chara, {Flow(0, {Probe(1)}), Flow(3, {Probe(2)}), Flow(0, {Probe(3)})});
    StartFlowsByTrigger(chara, 3, nullptr, 0);
    h.action = [](CmdContext& ctx, int32_t mark) {
        if (mark == 1) ctx.chara.m_nHP = 0;
        return 0;
    };
    EXPECT_EQ(h.Frame(chara), 1);
    EXPECT_EQ(MarksOfFrame(h, 0), (std::vector<int32_t>{1}));
    // The dying frame runs only the flows of the removal.
    h.calls.clear();
    StartFlowRun(chara.m_vFlowRuns[0], chara);
    EXPECT_EQ(RunCharaFlows(chara, true), 0);
    EXPECT_EQ(h.calls, (std::vector<ProbeCall>{{1, 1, 2}}));
}

TEST(FlowRunner, CommandResultsGoToTheStage) {
    FlowHarness h;
    cChara chara;
    Bind(chara, {Flow(0, {Probe(1), Probe(2)})});
    h.action = [](CmdContext&, int32_t mark) { return mark; };
    h.Frame(chara);
    h.Frame(chara);
    EXPECT_EQ(h.scene.results, (std::vector<int>{1, 2}));
}

TEST(FlowRunner, ScheduledAnimesStartOnTheirFrame) {
    FlowHarness h;
    const AnimSeqTable saved = g_AnimeSeqTable;
    // Cell 1 for 4 ticks, cell 2 (held) for 3, cell 3 for 5.
    g_AnimeSeqTable = {{{1, 4, 0}, {2, 3, 1}, {3, 5, 0}, {kAnimCodeEnd, 0, 0}}};
    cChara c;
    Bind(c, {Flow(22, {Probe(1)}), Flow(22, {Probe(2)})});
    AnimeScheduleEntry extended{0, 0, 5, 0, 10, 1};
    AnimeScheduleEntry plain{0, 0, 0, 0, 10, 0};
    AnimeScheduleEntry later{3, 0, 0, 0, 10, 1};
    c.m_vFlowRuns[0].m_vAnimeSchedule = {extended, later};
    c.m_vFlowRuns[1].m_vAnimeSchedule = {plain};
    StartFlowRun(c.m_vFlowRuns[0], c);
    StartFlowRun(c.m_vFlowRuns[1], c);
    PauseFlowRun(c.m_vFlowRuns[1]);
    StartScheduledAnims(c);
    ASSERT_EQ(c.m_lAnimeRuns.size(), 1u);
    cAnimeRun& anime = c.m_lAnimeRuns.front();
    EXPECT_EQ(anime.serial, c.m_vFlowRuns[0].m_nSerial);
    EXPECT_EQ(anime.scheduled, 1);
    // Five ticks skipped: one into the held cell, which now lasts 3 + 9 ticks.
    EXPECT_EQ(anime.seq.Value(), 2);
    for (int t = 0; t < 10; ++t) EXPECT_EQ(anime.seq.Tick(), 2) << t;
    EXPECT_EQ(anime.seq.Tick(), 3);

    // Without the extension the held cell keeps its length.
    ResumeFlowRun(c.m_vFlowRuns[1]);
    c.m_lAnimeRuns.clear();
    c.m_vFlowRuns[0].m_nFrames = 1;  // no entry of flow 0 is due
    StartScheduledAnims(c);
    ASSERT_EQ(c.m_lAnimeRuns.size(), 1u);
    cAnimSeq& seq = c.m_lAnimeRuns.front().seq;
    for (int t = 0; t < 6; ++t) seq.Tick();
    EXPECT_EQ(seq.Tick(), 3);
    g_AnimeSeqTable = saved;
}

TEST(FlowRunner, CharacterFrameRunsStopsAndEndsEarly) {
    struct Case {
        const char* name;
        bool dying;
        bool killInFirst, markInFirst;
        std::vector<int32_t> ran;     // probe marks, in order
        std::vector<size_t> stopped;  // runs no longer running afterwards
        int result;
    };
    // Flows: 0 always (flag index 5), 1 idle, 2 running without commands, 3 paused, 4 the
    // removal's flow.
    const Case cases[] = {
        {"ordinary", false, false, false, {0, 4}, {0, 1, 2, 4}, 0},
        {"dying frame", true, false, false, {4}, {1, 2, 4}, 0},
        {"HP ran out", false, true, false, {0}, {0, 1}, 1},
        {"marked for removal", false, false, true, {0}, {0, 1}, 1},
        {"HP out in the dying frame goes on", true, true, false, {4}, {1, 2, 4}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlowHarness h;
        cChara chara;
        Bind(chara, {Flow(0, {Probe(0)}, 5), Flow(0, {Probe(1)}), Flow(0, {}), Flow(0, {Probe(3)}),
                     Flow(3, {Probe(4)})});
        for (size_t i : {0, 2, 3, 4}) StartFlowRun(chara.m_vFlowRuns[i], chara);
        PauseFlowRun(chara.m_vFlowRuns[3]);
        h.action = [&](CmdContext& ctx, int32_t mark) {
            EXPECT_EQ(h.play.state.currentChara, &ctx.chara);
            if (mark == 0 && c.killInFirst) ctx.chara.m_nHP = 0;
            if (mark == 0 && c.markInFirst) ctx.chara.m_bRemoveMark = 1;
            return 0;
        };
        chara.m_bPostureSet = 1;
        chara.m_Anime.Set(5, true);
        EXPECT_EQ(RunCharaFlows(chara, c.dying), c.result);
        std::vector<int32_t> ran;
        for (const ProbeCall& call : h.calls) ran.push_back(call.mark);
        EXPECT_EQ(ran, c.ran);
        std::vector<size_t> stopped;
        for (size_t i = 0; i < chara.m_vFlowRuns.size(); ++i)
            if (!chara.m_vFlowRuns[i].m_bRunning) stopped.push_back(i);
        EXPECT_EQ(stopped, c.stopped);
        EXPECT_EQ(h.play.state.currentChara, nullptr);
        // Flow 0 ended with flag index 5: it may start again, unless it did not run or the
        // frame ended early.
        EXPECT_EQ(chara.m_vFlowStarted[5], c.dying || c.result == 1 ? 1 : 0);
        EXPECT_EQ(chara.m_Anime.Sequence(), 5u);  // the posture a command set stays
    }
}

TEST(FlowRunner, FrameEndErasesMarkedFlowsAndRests) {
    FlowHarness h;
    cChara chara;
    // The middle flow removes itself; the frame's end erases it and rebinds the others.
    Bind(chara, {Flow(22, {Probe(1)}), Flow(22, {FlowOp(4, 0)}), Flow(22, {Probe(3)})});
    for (cFlowRun& run : chara.m_vFlowRuns) StartFlowRun(run, chara);
    chara.m_bGravityOff = 1;
    chara.m_Anime.Set(5, true);
    EXPECT_EQ(RunCharaFlows(chara, false), 0);
    ASSERT_EQ(chara.m_vFlowRuns.size(), 2u);
    EXPECT_EQ(chara.m_Def.m_vFlows.size(), 2u);
    EXPECT_EQ(chara.m_vFlowRuns[1].m_pFlow, &chara.m_Def.m_vFlows[1]);
    EXPECT_EQ(chara.m_Anime.Sequence(), 2u);  // the floating resting posture
}
