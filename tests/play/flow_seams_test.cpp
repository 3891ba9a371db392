// Flows that the objects and the play frame start or feed, played whole: each stage is
// saved as its file holds it and read back, then played through the stage set-up and the
// play frame, and its flows count what they saw in common variables. Riders of block
// characters, a summoned child reporting to its parent, an item that gives an item, and
// the sight status of a character as the three readers of statuses see it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "data/cmd_types.h"
#include "data/flow_record.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "flow/commands_clear.h"
#include "objects/player.h"
#include "play/stage_flows.h"
#include "support/data_version.h"
#include "support/stage_harness.h"
#include "support/stored_stage.h"

namespace {

using wftest::CodeFlow;
using wftest::Command;
using wftest::RunKind;
using wftest::StageHarness;

// Common variables 1 to 9, the counters of the flows below; zeroed when play starts.
constexpr size_t kCounters = 10;
void ZeroCounters() {
    std::vector<uint32_t>& vars = g_PlaySession.Variables();
    if (vars.size() < kCounters) vars.resize(kCounters);
    for (size_t i = 1; i < kCounters; ++i) vars[i] = 0;
}
int32_t C(size_t i) {
    return static_cast<int32_t>(g_PlaySession.Variables()[i]);
}

// A flow of the trigger that adds 1 to common variable n; of group g when given.
cFlow Counter(int8_t trigger, int n, uint8_t group = 0) {
    cFlow flow = CodeFlow(trigger, "C" + std::to_string(n) + " = C" + std::to_string(n) + " + 1");
    flow.m_nGroup = group;
    return flow;
}

constexpr int8_t kTouchedBlockChara = 5;
constexpr int8_t kOnBlockChara = 6;
constexpr int8_t kRidden = 17;
constexpr int8_t kDealtDamage = 18;
constexpr int8_t kDealtImpact = 19;
constexpr int8_t kHitSomething = 20;

// A block character at block (x, y) flying through blocks, gliding in a direction (3
// right, 7 down) at tenths of a dot a frame, counting in C3 the times it is ridden.
cCharaDef& Platform(cStage& stage, int16_t x, int16_t y, int16_t speed, uint8_t dir = 3) {
    cCharaDef& p = wftest::PlaceChara(stage, x, y, 10);
    p.m_bBlockChara = 1;
    p.m_nMoveType = 1;
    p.m_vFlows = {wftest::StraightOn(dir, speed), Counter(kRidden, 3)};
    return p;
}

// What a rider counts: C1 the touches of a block character, C2 the steps on one.
void CountRides(cCharaDef& rider) {
    rider.m_vFlows.push_back(Counter(kTouchedBlockChara, 1));
    rider.m_vFlows.push_back(Counter(kOnBlockChara, 2));
}

// A character that stands on a block character, or touches one, starts its flows of
// "touched a block character" and "standing on a block character" in the steps it does,
// as the block character starts its "ridden" flows: riding is touching too, and a rider
// that the block character has left behind starts neither any more.
TEST(FlowSeams, RidersOfBlockCharactersStartTheirFlows) {
    const wftest::ScopedDataVersion version;  // played at the version the player runs at
    struct Case {
        const char* name;
        std::function<void(cStage&)> build;
        int minRides, maxRides;  // starts of "standing on", equal to the platform's "ridden"
        int minTouches;
    };
    const Case cases[] = {
        {"the hero on a gliding platform",
         [](cStage& s) {
             CountRides(s.m_vCharas[0]);
             Platform(s, 5, 13, 5);
         },
         45, 60, 45},
        {"a walker on a gliding platform",
         [](cStage& s) {
             CountRides(wftest::PlaceChara(s, 12, 12, 10));
             Platform(s, 12, 13, 5);
         },
         45, 60, 45},
        {"the hero jumping into a block character above",
         [](cStage& s) {
             s.m_vCharas[0].m_nY = 13;
             CountRides(s.m_vCharas[0]);
             s.m_vCharas[0].m_vFlows.push_back(wftest::Always({wftest::Jump(8)}));
             Platform(s, 5, 11, 0);
         },
         0, 0, 1},
        // A flier that stops at blocks: a solid coming in from the left marks the contact
        // as it moves into it, and then glides over it.
        {"a block character gliding into a flier",
         [](cStage& s) {
             cCharaDef& flier = wftest::PlaceChara(s, 10, 5, 10);
             flier.m_nMoveType = 2;
             CountRides(flier);
             Platform(s, 8, 5, 10);
         },
         0, 0, 1},
        // A wall holds the hero back; the platform glides on from under it.
        {"a platform gliding away from under the hero",
         [](cStage& s) {
             CountRides(s.m_vCharas[0]);
             Platform(s, 5, 13, 20);
             for (int16_t y = 10; y <= 12; ++y) wftest::PlaceBlock(s, 7, y, 1);
         },
         10, 40, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = wftest::MakeStage(30, 15, 5, 12);
        c.build(stage);
        StageHarness h(wftest::StoredAndLoaded(stage), RunKind::kStory);
        ZeroCounters();
        h.Run(60);
        ASSERT_FALSE(h.Hero()->m_bRemoved);
        EXPECT_EQ(C(2), C(3)) << "rides against the platform's ridden";
        EXPECT_GE(C(2), c.minRides);
        EXPECT_LE(C(2), c.maxRides);
        EXPECT_GE(C(1), std::max(C(2), c.minTouches));
    }
}

// A summoned child's body hits and touches start its parent's flows of "dealt damage",
// "dealt an impact" and "hit something" when the summon says so, for the parent's flows of
// the group the summon names (every group for 0); otherwise they stay the child's own. The
// parent's flows are of groups 3 and 4.
TEST(FlowSeams, ASummonedChildReportsItsBodyHitsToItsParent) {
    const wftest::ScopedDataVersion version;  // played at the version the player runs at
    struct Case {
        const char* name;
        uint8_t report, group;
        bool reported, otherGroup;
    };
    const Case cases[] = {
        {"reported to every flow", 1, 0, true, true},
        {"reported to the flows of group 3", 1, 3, true, false},
        {"not reported", 0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = wftest::MakeStage(30, 15, 5, 12);
        stage.m_vCharas[0].m_nImmunity = 1;  // the hero outlives the hits
        // The child: it walks left at 2 dots a frame into the hero and hits by its body.
        // Entry 0 of a palette list is the reset entry; the child is entry 1.
        stage.m_vPalCharas.resize(2);
        cCharaDef& child = stage.m_vPalCharas[1];
        child.m_nSide = 1, child.m_nCell = 1, child.m_nMaxHP = 5, child.m_nMapValue = 1;
        child.m_nPower = 1, child.m_nImpact = 1, child.m_nPlaced = 1;
        child.m_nPlacementValue = static_cast<uint32_t>(-1);
        child.m_vFlows = {wftest::StraightOn(2, 20)};
        // The parent summons it once, in front of itself, and waits.
        cFlowCmd summon = Command(kCmdSummonChara, 1);
        summon.MakeEdShot();
        cEdShot& part = *summon.m_pShot;
        part.m_nCount = 1, part.m_nPattern = 1, part.m_nSize = 1;
        part.m_nBank = 1, part.m_nDefIndex = 1;
        part.m_nF63 = c.report, part.m_nF64 = c.group;
        cCharaDef& parent = wftest::PlaceChara(stage, 10, 12, 10);
        parent.m_vFlows = {wftest::Always({summon, Command(kCmdWait, 1000)}),
                           Counter(kDealtDamage, 1, 3),
                           Counter(kDealtImpact, 2, 3),
                           Counter(kHitSomething, 3, 3),
                           Counter(kDealtDamage, 4, 4),
                           Counter(kHitSomething, 4, 4)};
        StageHarness h(wftest::StoredAndLoaded(stage), RunKind::kStory);
        ZeroCounters();
        h.Run(90);
        ASSERT_EQ(h.Run().objects.charas.size(), 2u) << "the parent and its child";
        EXPECT_EQ(C(1) > 0, c.reported) << "dealt damage " << C(1);
        EXPECT_EQ(C(2) > 0, c.reported) << "dealt an impact " << C(2);
        EXPECT_EQ(C(3) > 0, c.reported) << "hit something " << C(3);
        EXPECT_EQ(C(4) > 0, c.otherGroup) << "another group " << C(4);
    }
}

// An item command of the given type with its parameters (the rest 0).
cFlowCmd ItemCommand(FlowCmdType type, std::vector<int32_t> params) {
    cFlowCmd cmd;
    cmd.m_nCategory = kCmdCategoryItem;
    cmd.m_nType = static_cast<int8_t>(type - 15);
    params.resize(static_cast<size_t>(CmdParamCount(kCmdCategoryItem, cmd.m_nType)), 0);
    cmd.m_vParams = params;
    return cmd;
}

// An item that clears the stage ends it however it reaches the hero: taken, given by a
// taken item (even at one more remove), or given by a flow.
TEST(FlowSeams, AGivenItemThatClearsTheStageEndsIt) {
    const wftest::ScopedDataVersion version;  // played at the version the player runs at
    // Stage palette items (entry 0 is the reset entry): 1 clears the stage, 2 gives item 1.
    const cFlowCmd clear = ItemCommand(kCmdStageClear, {});
    const cFlowCmd giveClear = ItemCommand(kCmdGetItem, {1, 1});
    const cFlowCmd giveGiver = ItemCommand(kCmdGetItem, {1, 2});
    cFlowCmd flowGive = Command(kCmdGetItem, 1);
    flowGive.m_vParams = {1, 1};
    struct Case {
        const char* name;
        std::vector<cFlowCmd> itemCmds;  // of the item under the hero (none: no item)
        std::vector<cFlowCmd> heroFlow;
    };
    const Case cases[] = {
        {"an item that clears the stage", {clear}, {}},
        {"an item that gives the clearing item", {giveClear}, {}},
        {"an item that gives an item that gives it", {giveGiver}, {}},
        {"a flow that gives the clearing item", {}, {flowGive}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = wftest::MakeStage(30, 15, 5, 13);
        stage.m_vPalItems.resize(3);
        stage.m_vPalItems[1].m_vCmds = {clear};
        stage.m_vPalItems[2].m_vCmds = {giveClear};
        if (!c.itemCmds.empty()) wftest::PlaceItem(stage, 5, 13, 0).m_vCmds = c.itemCmds;
        if (!c.heroFlow.empty()) stage.m_vCharas[0].m_vFlows = {wftest::Always(c.heroFlow)};
        StageClear() = StageClearChoice{};
        StageHarness h(wftest::StoredAndLoaded(stage), RunKind::kStory);
        EXPECT_EQ(h.Run(30), PlayFrameEnd::kRunEnded);
        EXPECT_LE(h.FrameNumber(), 2u);
        EXPECT_EQ(StageClear().nextStage, g_PlaySession.m_nStage + 1);
        StageClear() = StageClearChoice{};
    }
}

// The sight status of a character as it was written by the status command or the code
// text, and as the status command's operand (C1), the condition (C2) and the code text
// (C3) then read it: an ally and an enemy alike, the hero, a player, having none.
TEST(FlowSeams, TheSightStatusHasOneRuleForEveryReader) {
    const wftest::ScopedDataVersion version;  // played at the version the player runs at
    enum Who { kAlly, kEnemy, kHero };
    struct Case {
        const char* name;
        Who who;
        bool byCode;
        int32_t statusRead, conditionHeld, codeRead;
        uint8_t range;
        int32_t dots;
    };
    const Case cases[] = {
        {"an ally, by the status command", kAlly, false, 12, 1, 12, 12, 192},
        {"an ally, by the code", kAlly, true, 12, 1, 12, 12, 192},
        {"an enemy, by the status command", kEnemy, false, 12, 1, 12, 12, 192},
        {"the hero, by the status command", kHero, false, 0, 0, 5, 5, 80},
        {"the hero, by the code", kHero, true, 0, 0, 12, 12, 80},
    };
    // Status operation: the sight of the running character := 12; common variable 1 := its
    // sight.
    cFlowCmd write = Command(kCmdStatusOp, 0);
    write.m_vParams[4] = 8, write.m_vParams[7] = 12;
    cFlowCmd read = Command(kCmdStatusOp, 0);
    read.m_vParams[0] = 1, read.m_vParams[2] = 1, read.m_vParams[6] = 2, read.m_vParams[13] = 8;
    cCond sightIs12;
    sightIs12.m_nKind = 4, sightIs12.m_nLeftStatus = 8, sightIs12.m_nValue = 12;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = wftest::MakeStage(30, 15, 5, 12);
        cCharaDef& who =
            c.who == kHero ? stage.m_vCharas[0] : wftest::PlaceChara(stage, 12, 12, 10);
        if (c.who == kAlly) who.m_nSide = 0;
        who.m_nSightRange = 5;
        cFlow operate = CodeFlow(0, "my.sight = 12");
        if (!c.byCode) operate.m_vCmds.front() = write;
        for (cFlowCmd cmd : {read, CodeFlow(0, "C3 = my.sight").m_vCmds.front()}) {
            cmd.m_bTogether = 1;
            operate.m_vCmds.push_back(cmd);
        }
        operate.m_vCmds.front().m_bTogether = 1;
        cFlow gated = CodeFlow(0, "C2 = 1");
        gated.m_vConds = {sightIs12};
        who.m_vFlows = {operate, gated};
        StageHarness h(wftest::StoredAndLoaded(stage), RunKind::kStory);
        ZeroCounters();
        h.Run(5);
        const cChara* played =
            c.who == kHero ? static_cast<cChara*>(h.Hero()) : &h.Run().objects.charas.front();
        ASSERT_EQ(played->m_nSide, c.who == kEnemy ? 1u : 0u);
        EXPECT_EQ(C(1), c.statusRead);
        EXPECT_EQ(C(2), c.conditionHeld);
        EXPECT_EQ(C(3), c.codeRead);
        EXPECT_EQ(played->m_Def.m_nSightRange, c.range);
        EXPECT_EQ(played->m_nSightDots, c.dots);
    }
}

}  // namespace

namespace {

// A block character gliding along the ground pushes the hero standing beside it along the
// ground: carried before it, on its feet, and alive.
TEST(FlowSeams, ABlockCharacterPushesTheHeroAlongTheGround) {
    const wftest::ScopedDataVersion version;
    cStage stage = wftest::MakeStage(30, 15, 5, 12);
    Platform(stage, 2, 13, 10);
    StageHarness h(wftest::StoredAndLoaded(stage), RunKind::kStory);
    h.Run(20);  // on the ground
    const double bottom = h.Hero()->m_dBottom;
    const double x = h.Hero()->m_dX;
    h.Run(150);  // it meets the block character after about 50 frames
    ASSERT_FALSE(h.Hero()->m_bRemoved);
    EXPECT_GT(h.Hero()->m_dX, x + 60.0) << "carried before the block character";
    EXPECT_NEAR(h.Hero()->m_dBottom, bottom, 1.0) << "on its feet";
}

}  // namespace

namespace {

constexpr int8_t kRiddenByHero = 16;

// C5 + 1 on every frame the hero stands on a block, block characters included.
cFlow CountStanding() {
    cFlow flow = CodeFlow(0, "C5 = C5 + 1");
    cCond standing;
    standing.m_nKind = 6;
    standing.m_nLeftStatus = 2;
    flow.m_vConds = {standing};
    return flow;
}

enum class Under { kGround, kFlying, kWalking };

// The hero at block (5, 12) above what it stands on: the floor, or a block character on
// the floor row gliding (flying through blocks) or walking right at a tenth of a dot a frame
// (the hero lands on it again after each jump).
// The hero counts in C1 its touches of a block character, in C2 its steps on one and in
// C5 its frames standing; the block character in C3 and C4 its starts of "ridden" and
// "ridden by the hero". The hero jumps on the frames its first button is pressed.
struct RideRun {
    struct Seen {
        double heroBottom, heroVY, solidTop;
        int32_t counts[5];  // what C1..C5 grew by in the frame
    };
    std::vector<Seen> frames;  // from frame 0 (the start)
};

RideRun RideAndJump(Under under, int32_t level, std::vector<uint32_t> presses, int frames) {
    cStage stage = wftest::MakeStage(30, 15, 5, under == Under::kGround ? 13 : 12);
    stage.m_nHitLevel = level;
    cCharaDef& hero = stage.m_vCharas[0];
    hero.m_vFlows = {wftest::JumpOnFirstButton(), Counter(kTouchedBlockChara, 1),
                     Counter(kOnBlockChara, 2), CountStanding()};
    if (under != Under::kGround) {
        cCharaDef& solid = Platform(stage, 5, 13, 1);
        if (under == Under::kWalking) solid.m_nMoveType = 0;
        solid.m_vFlows.push_back(Counter(kRiddenByHero, 4));
    }
    StageHarness h(wftest::StoredAndLoaded(stage), RunKind::kStory);
    // Each press holds the button for 40 frames: the jump's full height.
    h.input = [presses](uint32_t f) {
        const bool press = std::any_of(presses.begin(), presses.end(),
                                       [f](uint32_t p) { return f >= p && f < p + 40; });
        return wftest::PadInput{0, uint16_t(press ? 1 : 0)};
    };
    ZeroCounters();
    RideRun run;
    run.frames.push_back({h.Hero()->m_dBottom, h.Hero()->m_dVY, 0.0, {}});  // frame 0
    for (int f = 1; f <= frames; ++f) {
        int32_t before[5];
        for (int i = 0; i < 5; ++i) before[i] = C(static_cast<size_t>(i + 1));
        h.Frame();
        const cChara& me = *h.Hero();
        RideRun::Seen seen{me.m_dBottom, me.m_dVY, 0.0, {}};
        if (!h.Run().objects.charas.empty()) seen.solidTop = h.Run().objects.charas.front().m_dY;
        for (int i = 0; i < 5; ++i) seen.counts[i] = C(static_cast<size_t>(i + 1)) - before[i];
        run.frames.push_back(seen);
    }
    return run;
}

// How high the hero rose after the press on that frame, until the next press.
double Rise(const RideRun& run, uint32_t press, uint32_t next) {
    const double from = run.frames.at(press - 1).heroBottom;
    double top = from;
    for (uint32_t f = press; f < next; ++f) top = std::min(top, run.frames.at(f).heroBottom);
    return from - top;
}

// A jump off a block character, flying or walking, rises as high as the same jump off the
// ground, the second time as the first.
TEST(FlowSeams, JumpsOffABlockCharacterRiseAsHighAsOffTheGround) {
    const wftest::ScopedDataVersion version;
    for (int32_t level : {1, 3, 10, 15}) {
        SCOPED_TRACE(::testing::Message() << "hit level " << level);
        const std::vector<uint32_t> presses = {30, 90};
        const RideRun ground = RideAndJump(Under::kGround, level, presses, 150);
        const double height = Rise(ground, 30, 90);
        ASSERT_GT(height, 40.0);
        EXPECT_NEAR(Rise(ground, 90, 150), height, 1.0);
        for (Under under : {Under::kFlying, Under::kWalking}) {
            SCOPED_TRACE(under == Under::kFlying ? "flying" : "walking");
            const RideRun ride = RideAndJump(under, level, presses, 150);
            EXPECT_NEAR(Rise(ride, 30, 90), height, 1.0) << "the first jump";
            EXPECT_NEAR(Rise(ride, 90, 150), height, 1.0) << "the second jump";
        }
    }
}

// A block character coming straight down onto the hero standing on the floor, or on
// another block character, weighs on its head from its first touch: the hero is squeezed
// ("Dead 6") before the block reaches its middle, and never thrown aside. An invincible
// hero is not squeezed.
TEST(FlowSeams, ABlockCharacterComingDownCrushesTheHero) {
    const wftest::ScopedDataVersion version;
    for (int under = 0; under < 3; ++under) {
        const bool onSolid = under == 1, invincible = under == 2;
        for (int16_t speed : {20, 80, 200}) {
            SCOPED_TRACE(::testing::Message() << (onSolid ? "on a block character" : "on the floor")
                                              << (invincible ? ", invincible" : "") << ", "
                                              << speed / 10 << " dots a frame");
            cStage stage = wftest::MakeStage(30, 15, 5, onSolid ? 12 : 13);
            if (invincible) stage.m_vCharas[0].m_nImmunity = 2;
            if (onSolid) Platform(stage, 5, 13, 0);
            Platform(stage, 5, 3, speed, 7);
            StageHarness h(wftest::StoredAndLoaded(stage), RunKind::kStory);
            h.Run(5);  // on its feet
            const cChara& hero = *h.Hero();
            const cChara& solid = h.Run().objects.charas.back();
            const double x = hero.m_dX, bottom = hero.m_dBottom;
            const double middle = (hero.m_dY + hero.m_dBottom) / 2;
            for (int frame = 1; frame <= 200 && !hero.m_bRemoved; ++frame) {
                h.Frame();
                if (hero.m_bRemoved || invincible) continue;
                ASSERT_EQ(hero.m_dX, x) << frame;
                ASSERT_NEAR(hero.m_dBottom, bottom, 1.0) << frame;
                ASSERT_LT(solid.m_dBottom, middle) << frame;
            }
            EXPECT_EQ(hero.m_bRemoved, invincible ? 0u : 1u);
            const std::vector<std::string> lines = h.TraceLines();
            EXPECT_EQ(std::find(lines.begin(), lines.end(), "Dead 6") != lines.end(), !invincible);
        }
    }
}

}  // namespace

namespace {

// Frame by frame, a rider of a block character, walking or gliding, starts its flows of
// "touched a block character" and "standing on a block character", the block character its
// flows of "ridden" and "ridden by the hero", and "standing on a block" holds, on the frames
// after a step on it (flows started by a step run in the next), from its landing to its
// take-off, and on no frame while the rider is above it by its own jump.
TEST(FlowSeams, ARiderRidesFromLandingToTakeOff) {
    const wftest::ScopedDataVersion version;
    for (Under under : {Under::kFlying, Under::kWalking}) {
        SCOPED_TRACE(under == Under::kFlying ? "flying" : "walking");
        const RideRun run = RideAndJump(under, 1, {30, 90}, 150);
        int riding = 0, inAir = 0;
        // From frame 4, after the first landing (the hero starts just above the block).
        for (size_t f = 4; f < run.frames.size(); ++f) {
            const RideRun::Seen& last = run.frames[f - 1];
            const double gap = last.solidTop - 1.0 - last.heroBottom;
            const bool rides = gap > -1.0 && gap < 0.5 && last.heroVY >= 0.0 && last.heroVY < 1.0;
            (rides ? riding : inAir) += 1;
            const RideRun::Seen& seen = run.frames[f];
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ(seen.counts[i] > 0, rides) << "frame " << f << ", C" << i + 1;
        }
        EXPECT_GT(riding, 80);
        EXPECT_GT(inAir, 40);
    }
}

}  // namespace
