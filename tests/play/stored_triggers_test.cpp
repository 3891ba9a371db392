// Behaviour as a game maker stores it: flows written into a stage file, loaded by the stage
// loader and started by their real triggers during play. Every trigger kind starts its
// flows where the game's events happen (a hit, a touch, a landing, a removal ...); every
// condition kind gates a flow, holding and failing; and every name of the code text reads
// and writes what it names. What a flow did is read back from the stage variables its
// execute-code command writes, or from the object it changed.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "data/cmd_types.h"
#include "data/param_enums.h"
#include "data/save_data.h"
#include "objects/chara.h"
#include "objects/player.h"
#include "support/stage_harness.h"

namespace {

using wftest::CmdSpec;
using wftest::CondSpec;
using wftest::DefSpec;
using wftest::FlowSpec;
using wftest::PadInput;
using wftest::StageHarness;
using wftest::StageSpec;
using wftest::StoredCode;

// The hero stands on the floor at block (2, 13) of a 20 x 15 stage.
constexpr int16_t kHeroX = 2;
constexpr int16_t kGround = 13;

FlowSpec CodeFlow(int8_t trigger, const std::string& text) {
    return wftest::Flow(trigger, {StoredCode(text)});
}

// A flow that counts its starts in stage variable base + its trigger: 100 for the flows
// that must start, 200 for those that must not.
constexpr size_t kFireBase = 100;
constexpr size_t kQuietBase = 200;
FlowSpec Counting(int8_t trigger, size_t base) {
    const std::string var = "S" + std::to_string(base + static_cast<size_t>(trigger));
    return CodeFlow(trigger, var + " = " + var + " + 1");
}

// A shot straight ahead of the given power and impact, reporting its hits to its owner.
CmdSpec ReportingShot(int32_t power, int32_t impact) {
    CmdSpec cmd = wftest::Cmd(kCmdShot);
    cmd.useTime = 5;
    cmd.hasShot = true;
    cmd.shot.values = {{"count", 1}, {"size", 1}, {"graphic", 1},   {"speed", 40},
                       {"life", 20}, {"f44", 1},  {"power", power}, {"impact", impact},
                       {"side", 1},  {"f63", 1},  {"f64", 0}};
    return cmd;
}

// A character at block (x, on the ground) moving straight on (direction 2 left, 3 right).
DefSpec& Walker(StageSpec& s, int16_t x, int32_t dir) {
    DefSpec& walker = wftest::StoredChara(s, x, kGround, 50);
    CmdSpec move = wftest::Cmd(kCmdStraightMove);
    move.useTime = 100;
    move.hasMove = true;
    move.move.values = {{"dir", dir}, {"speed", 20}};
    walker.flows = {wftest::Flow(0, {move})};
    return walker;
}

int32_t StageVar(StageHarness& h, size_t i) {
    return h.Run().stageVars.at(i);
}

CondSpec Status(uint8_t subject, uint8_t status, uint8_t op, int32_t value, uint8_t percent = 0);

// ---- Triggers --------------------------------------------------------------------------

// A flow that must start, and every frame on which it does, from the event's first frame to
// its last (as Spans writes them; 0 is before the first frame). A flow started by the
// collisions of a step runs in the next: a rider's flows run from the frame after its
// landing to the frame of its take-off.
struct Fire {
    int8_t trigger;
    std::string frames;
};

struct TriggerRow {
    const char* name;
    std::vector<Fire> fire;     // these flows must start
    std::vector<int8_t> quiet;  // these must not
    uint16_t dir;               // held all along
    int frames;
    // Lays the stage out around the hero and gives the flows to whoever the event meets.
    std::function<void(StageSpec&, std::vector<FlowSpec>)> build;
};

void ToHero(StageSpec& s, std::vector<FlowSpec> flows) {
    for (FlowSpec& f : flows) wftest::StoredHero(s).flows.push_back(f);
}

// The flow holds only when its trigger's partner, put into the flow's target slot 2, is the
// character of that maximum HP (the hero has 60, the characters of these rows 50).
FlowSpec& Partner(FlowSpec& flow, int32_t maxHP) {
    flow.otherSubject = 1;
    flow.subjectSlot = 1;
    flow.conds = {Status(2, 3, 0, maxHP)};
    return flow;
}

// The hero jumps two blocks high now and then: 18 frames after each time it stands again.
void HopNow(StageSpec& s) {
    CmdSpec wait = wftest::Cmd(kCmdWait);
    wait.useTime = 3;
    wftest::StoredHero(s).flows.push_back(
        wftest::Flow(0, {wait, wftest::Cmd(kCmdJump, {0, 0, 4})}));
}

void Give(DefSpec& def, std::vector<FlowSpec> flows) {
    for (FlowSpec& f : flows) def.flows.push_back(f);
}

const std::string kLandings = "25,28,31,34,37,39,42,45,48,50,53,56,59";

const std::vector<TriggerRow>& TriggerRows() {
    static const std::vector<TriggerRow> rows = {
        {"always", {{0, "1-3"}}, {1, 22}, 0, 3, ToHero},
        {"always, one at a time per flag",
         {{0, "1"}},
         {0},
         0,
         10,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             // The first keeps running (a wait follows its code); the second shares its flag.
             CmdSpec wait = wftest::Cmd(kCmdWait);
             wait.useTime = 10;
             f[0].cmds.push_back(wait);
             f[0].flagIndex = f[1].flagIndex = 5;
             ToHero(s, f);
         }},
        {"damaged by a body",
         {{1, "2"}},
         {2},
         0,
         5,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredChara(s, kHeroX, kGround, 50).values["power"] = 3;
             ToHero(s, f);
         }},
        {"impacted by a body",
         {{2, "2"}},
         {1},
         0,
         5,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredChara(s, kHeroX, kGround, 50).values["impact"] = 4;
             ToHero(s, f);
         }},
        {"removed",
         {{3, "1"}},
         {},
         0,
         10,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredHero(s).values["power"] = 5;
             Give(wftest::StoredChara(s, kHeroX, kGround, 1), f);
         }},
        {"removed by its own code",
         {{3, "1"}},
         {},
         0,
         10,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             DefSpec& doomed = wftest::StoredChara(s, kHeroX + 6, kGround, 5);
             doomed.flows = {CodeFlow(0, "my.hp = 0")};
             Give(doomed, f);
         }},
        {"the hero's HP taken by a character's code",
         {{3, "1"}},
         {},
         0,
         10,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredChara(s, kHeroX + 6, kGround, 5).flows = {CodeFlow(0, "pl.hp = 0")};
             ToHero(s, f);
         }},
        {"touched a character",
         {{4, "2-5"}},
         {7, 1},
         0,
         5,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredChara(s, kHeroX, kGround, 50);
             ToHero(s, f);
         }},
        {"touched and stood on a block character",
         {{5, "3-19,51-60"}, {6, "3-19,51-60"}},
         {},
         0,
         60,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredHero(s).y = kGround - 1;
             wftest::StoredChara(s, kHeroX, kGround, 50).values["blockChara"] = 1;
             ToHero(s, f);
             HopNow(s);
         }},
        {"hit by a shot",
         {{7, "24,54"}},
         {4},
         0,
         60,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             DefSpec& gunner = wftest::StoredChara(s, kHeroX + 4, kGround, 50);
             gunner.flows = {wftest::Flow(0, {ReportingShot(1, 0)})};
             ToHero(s, f);
         }},
        {"an item never taken is not touched",
         {},
         {8},
         0,
         5,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredItem(s, kHeroX, kGround, 2);
             ToHero(s, f);
         }},
        {"an item taken on each contact",
         {{8, "2-5"}},
         {},
         0,
         5,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredItem(s, kHeroX, kGround, 1);
             ToHero(s, f);
         }},
        {"touched an item",
         {{8, "2"}},
         {4},
         0,
         5,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredItem(s, kHeroX, kGround, 0);
             ToHero(s, f);
         }},
        {"landed on a block",
         // It lands on frame 25. At rest the body sinks a fraction of a dot a frame and
         // meets its floor again every third frame or so, each time a landing.
         {{9, kLandings}, {13, kLandings}, {15, kLandings}},
         {10, 11, 12, 14},
         0,
         60,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredHero(s).y = kGround - 3;
             ToHero(s, f);
         }},
        {"walked into a wall on the left",
         {{9, "3,6-30"}, {10, "6-30"}, {11, "6-30"}},
         {12, 14},
         0,
         30,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             Give(Walker(s, kHeroX + 6, 2), f);
             s.blocks.push_back(wftest::Def(wftest::DefKind::Block, kHeroX + 5, kGround,
                                            {{"cell", 1}, {"contact", 1}}));
         }},
        {"walked into a wall on the right",
         {{9, "3,6-30"}, {10, "6-30"}, {12, "6-30"}},
         {11, 14},
         0,
         30,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             Give(Walker(s, kHeroX + 6, 3), f);
             s.blocks.push_back(wftest::Def(wftest::DefKind::Block, kHeroX + 7, kGround,
                                            {{"cell", 1}, {"contact", 1}}));
         }},
        {"bumped a block above",
         {{14, "11,36"}},
         {},
         0,
         60,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             DefSpec& jumper = wftest::StoredChara(s, kHeroX + 6, kGround, 50);
             jumper.flows = {wftest::Flow(0, {wftest::Cmd(kCmdJump, {0, 0, 8})})};
             Give(jumper, f);
             s.blocks.push_back(wftest::Def(wftest::DefKind::Block, kHeroX + 6, kGround - 2,
                                            {{"cell", 1}, {"contact", 1}}));
         }},
        {"ridden by the hero",
         {{16, "3-19,51-60"}, {17, "3-19,51-60"}},
         {},
         0,
         60,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredHero(s).y = kGround - 1;
             DefSpec& floor = wftest::StoredChara(s, kHeroX, kGround, 50);
             floor.values["blockChara"] = 1;
             Give(floor, f);
             HopNow(s);
         }},
        {"ridden by a character",
         {{17, "3-30"}},
         {16},
         0,
         30,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             DefSpec& floor = wftest::StoredChara(s, kHeroX + 6, kGround, 50);
             floor.values["blockChara"] = 1;
             Give(floor, f);
             wftest::StoredChara(s, kHeroX + 6, kGround - 1, 50);
         }},
        {"shot dealt damage",
         {{18, "24,54"}, {20, "24,54"}},
         {19},
         0,
         60,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             DefSpec& gunner = wftest::StoredChara(s, kHeroX + 4, kGround, 50);
             gunner.flows = {wftest::Flow(0, {ReportingShot(1, 0)})};
             Give(gunner, f);
         }},
        {"shot gave impact",
         {{19, "24"}, {20, "24"}},
         {18},
         0,
         60,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             DefSpec& gunner = wftest::StoredChara(s, kHeroX + 4, kGround, 50);
             gunner.flows = {wftest::Flow(0, {ReportingShot(0, 3)})};
             Give(gunner, f);
         }},
        {"the partner stands in the flow's target slot",
         {{4, "2-5"}},
         {4},
         0,
         5,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             wftest::StoredChara(s, kHeroX, kGround, 50);
             for (FlowSpec& flow : f) flow.otherSubject = 1, flow.subjectSlot = 1;
             f[0].conds = {Status(2, 3, 0, 50)};  // its maximum HP, not the hero's
             f[1].conds = {Status(2, 3, 0, 60)};
             ToHero(s, f);
         }},
        {"the partners: shot owner, victim and rider",
         {{1, "24,54"}, {7, "24,54"}, {17, "3-60"}, {18, "24,54"}},
         {},
         0,
         60,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             // The hero standing on a block character, and a gunner on a block to its right,
             // at its height: the shot's owner is the partner of the damage (1) and of the hit
             // (7), the hero of the report (18) and of the riding (17).
             wftest::StoredHero(s).y = kGround - 1;
             ToHero(s, {Partner(f[0], 50), Partner(f[1], 50)});
             DefSpec& floor = wftest::StoredChara(s, kHeroX, kGround, 50);
             floor.values["blockChara"] = 1;
             Give(floor, {Partner(f[2], 60)});
             DefSpec& gunner = wftest::StoredChara(s, kHeroX + 4, kGround - 1, 50);
             gunner.flows = {wftest::Flow(0, {ReportingShot(1, 0)}), Partner(f[3], 60)};
             s.blocks.push_back(wftest::Def(wftest::DefKind::Block, kHeroX + 4, kGround,
                                            {{"cell", 1}, {"contact", 1}}));
         }},
        {"a shot reports to the flows of its group",
         {{18, "24,54"}, {20, "24,54"}},
         {18, 20},
         0,
         60,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             DefSpec& gunner = wftest::StoredChara(s, kHeroX + 4, kGround, 50);
             CmdSpec shot = ReportingShot(1, 0);
             shot.shot.values["f64"] = 2;
             gunner.flows = {wftest::Flow(0, {shot})};
             f[0].group = f[1].group = 2;
             f[2].group = f[3].group = 1;
             Give(gunner, f);
         }},
        {"a shot without its report word reports nothing",
         {{7, "24,54"}},
         {18, 20},
         0,
         60,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             DefSpec& gunner = wftest::StoredChara(s, kHeroX + 4, kGround, 50);
             CmdSpec shot = ReportingShot(1, 0);
             shot.shot.values["f63"] = 0;
             gunner.flows = {wftest::Flow(0, {shot})};
             wftest::StoredHero(s).flows.push_back(f[0]);
             f.erase(f.begin());
             Give(gunner, f);
         }},
        {"before the stage starts", {{21, "0"}}, {22}, 0, 1, ToHero},
        {"before the stage starts: together commands only",
         {{21, "0"}},
         {21},
         0,
         1,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             f[1].cmds[0].together = 0;
             ToHero(s, f);
         }},
        {"started by a flow operation",
         {{22, "1-3"}},
         {},
         0,
         3,
         [](StageSpec& s, std::vector<FlowSpec> f) {
             CmdSpec start = wftest::Cmd(kCmdFlowOp, {0, 2, 3, 0});  // start group 3
             start.together = 1;
             wftest::StoredHero(s).flows.push_back(wftest::Flow(0, {start}));
             for (FlowSpec& flow : f) flow.group = 3;
             ToHero(s, f);
         }},
    };
    return rows;
}

// Frames as spans: "3", "1-30", "2-4,9".
std::string Spans(const std::vector<int>& frames) {
    std::string out;
    for (size_t i = 0; i < frames.size();) {
        size_t j = i;
        while (j + 1 < frames.size() && frames[j + 1] == frames[j] + 1) ++j;
        if (!out.empty()) out += ",";
        out += std::to_string(frames[i]);
        if (j > i) out += "-" + std::to_string(frames[j]);
        i = j + 1;
    }
    return out;
}

void PlayTriggerRow(const TriggerRow& row) {
    StageSpec spec = wftest::StoredStage(20, 15, kHeroX, kGround);
    std::vector<FlowSpec> flows;
    for (const Fire& f : row.fire) flows.push_back(Counting(f.trigger, kFireBase));
    for (int8_t t : row.quiet) flows.push_back(Counting(t, kQuietBase));
    row.build(spec, flows);
    StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree);
    const uint16_t dir = row.dir;
    h.input = [dir](uint32_t) { return PadInput{dir, 0}; };
    // The frames on which each flow that must start started; 0 before the first.
    std::vector<std::vector<int>> started(row.fire.size());
    for (size_t i = 0; i < row.fire.size(); ++i)
        if (StageVar(h, kFireBase + static_cast<size_t>(row.fire[i].trigger)) > 0)
            started[i].push_back(0);
    for (int frame = 1; frame <= row.frames; ++frame) {
        std::vector<int32_t> before;
        for (const Fire& f : row.fire)
            before.push_back(StageVar(h, kFireBase + static_cast<size_t>(f.trigger)));
        const PlayFrameEnd end = h.Frame();
        for (size_t i = 0; i < row.fire.size(); ++i)
            if (StageVar(h, kFireBase + static_cast<size_t>(row.fire[i].trigger)) > before[i])
                started[i].push_back(frame);
        if (end != PlayFrameEnd::kPlaying) break;
    }
    for (size_t i = 0; i < row.fire.size(); ++i)
        EXPECT_EQ(Spans(started[i]), row.fire[i].frames) << "trigger " << int{row.fire[i].trigger};
    for (int8_t t : row.quiet)
        EXPECT_EQ(StageVar(h, kQuietBase + static_cast<size_t>(t)), 0) << "trigger " << int{t};
}

TEST(StoredTriggers, EveryTriggerStartsItsFlowsWhereItsEventHappens) {
    // Every trigger the editor offers has a row that starts it.
    std::vector<bool> covered(kFlowTriggerLabelCount, false);
    for (const TriggerRow& row : TriggerRows())
        for (const Fire& f : row.fire) covered.at(static_cast<size_t>(f.trigger)) = true;
    for (int t = 0; t < kFlowTriggerLabelCount; ++t)
        EXPECT_TRUE(covered[static_cast<size_t>(t)]) << "no row starts trigger " << t;
    for (const TriggerRow& row : TriggerRows()) {
        SCOPED_TRACE(row.name);
        PlayTriggerRow(row);
    }
}

// ---- Conditions -----------------------------------------------------------------------

CondSpec Status(uint8_t subject, uint8_t status, uint8_t op, int32_t value, uint8_t percent) {
    CondSpec c;
    c.kind = 4;
    c.leftSubject = subject;
    c.leftStatus = status;
    c.op = op;
    c.value = value;
    c.percent = percent;
    return c;
}

CondSpec Switch(uint8_t subject, uint8_t status, uint8_t op, int16_t comparand) {
    CondSpec c;
    c.kind = 5;
    c.leftSubject = subject;
    c.leftStatus = status;
    c.leftVarIndex = comparand;
    c.op = op;
    return c;
}

CondSpec State(uint8_t subject, uint8_t state, bool negate) {
    CondSpec c;
    c.kind = 6;
    c.leftSubject = subject;
    c.leftStatus = state;
    c.op = negate ? 1 : 0;
    return c;
}

// The hero (subject 0) or target n within (op 0) or outside (op 1) hbl x 16 + dots.
CondSpec Distance(uint8_t measure, uint8_t op, int32_t hbl, int16_t dots) {
    CondSpec c;
    c.kind = 7;
    c.measure = measure;
    c.op = op;
    c.value = hbl;
    c.rightVarIndex = dots;
    return c;
}

// A record with a change of its defaults.
template <typename T, typename F>
T With(T c, F change) {
    change(c);
    return c;
}

struct CondRow {
    const char* name;
    std::vector<CondSpec> conds;
    uint8_t mode;
    bool holds;
    std::string prep;                        // code the subject runs before the stage starts
    std::map<std::string, uint32_t> values;  // of the subject's definition
    // The subject is a character three blocks right of the hero facing left; else the hero.
    bool watcher = false;
    // The conditions count as holding once they have held; code the subject runs after the
    // gated flow every frame; the starts expected over three frames (-1: not counted).
    uint8_t once = 0;
    std::string after = {};
    int32_t starts = -1;
    // The hero stands on a block, two blocks above the ground.
    bool heroAbove = false;
};

const std::vector<CondRow>& CondRows() {
    static const std::vector<CondRow> rows = {
        // Kinds 1-3: a variable compared with the value.
        {"common >= holds", {wftest::VarCond(1, 7, 2, 5)}, 0, true, "C7 = 5", {}},
        {"common > fails", {wftest::VarCond(1, 7, 4, 5)}, 0, false, "C7 = 5", {}},
        {"common -7 divisible by 7", {wftest::VarCond(1, 7, 6, 7)}, 0, true, "C7 = -7", {}},
        {"common divisible by 0", {wftest::VarCond(1, 7, 6, 0)}, 0, true, "C7 = 3", {}},
        {"common not divisible by 0", {wftest::VarCond(1, 7, 7, 0)}, 0, false, "C7 = 3", {}},
        {"common operator 8", {wftest::VarCond(1, 7, 8, 3)}, 0, false, "C7 = 3", {}},
        {"stage < holds", {wftest::VarCond(2, 4, 5, 0)}, 0, true, "S4 = -3", {}},
        {"stage >= fails", {wftest::VarCond(2, 4, 2, 0)}, 0, false, "S4 = -3", {}},
        {"a stage variable beyond the table reads the first",
         {wftest::VarCond(2, 2000, 0, 7)},
         0,
         true,
         "S0 = 7",
         {}},
        {"an own variable beyond the table reads the first",
         {wftest::VarCond(3, 20, 1, 0)},
         0,
         false,
         "my.v1 = 4",
         {}},
        {"own variable 2 holds", {wftest::VarCond(3, 2, 0, 9)}, 0, true, "my.v2 = 9", {}},
        {"own variable 1 fails", {wftest::VarCond(3, 1, 0, 9)}, 0, false, "my.v2 = 9", {}},
        {"target 1 is the hero", {Status(1, 1, 0, 60)}, 0, true, "", {}, true},
        // Kind 4: statuses, variables and system values on both sides.
        {"HP above half its maximum", {Status(0, 1, 4, 50, 1)}, 0, true, "my.hp = 40", {}},
        {"HP not below half its maximum", {Status(0, 1, 5, 50, 1)}, 0, false, "my.hp = 40", {}},
        {"HP below three quarters", {Status(0, 1, 5, 75, 1)}, 0, true, "my.hp = 40", {}},
        {"impact compared at 8 bits", {Status(0, 10, 0, 253)}, 0, true, "", {{"impact", 253}}},
        {"character variable by its index",
         {With(Status(0, 0, 0, 11), [](CondSpec& c) { c.leftVarIndex = 3; })},
         0,
         true,
         "my.v3 = 11",
         {}},
        {"a player has no sight", {Status(0, 8, 2, 0)}, 0, false, "", {}},
        {"an absent target fails", {Status(2, 1, 2, 0)}, 0, false, "", {}},
        {"score equals", {Status(5, 3, 0, 12)}, 0, true, "sys.score = 12", {}},
        {"score differs", {Status(5, 3, 0, 11)}, 0, false, "sys.score = 12", {}},
        {"stage variable against a random range",
         {With(Status(0, 0, 0, 0),
               [](CondSpec& c) {
                   c.leftKind = 1, c.leftVarTable = 1, c.leftVarIndex = 4;
                   c.rightKind = 1, c.randMin = -3, c.randMax = -3;
               })},
         0,
         true,
         "S4 = -3",
         {}},
        {"an unknown variable table fails",
         {With(Status(0, 0, 2, -5), [](CondSpec& c) { c.leftKind = 1, c.leftVarTable = 2; })},
         0,
         false,
         "",
         {}},
        {"maximum HP against HP",
         {With(Status(0, 3, 0, 0),
               [](CondSpec& c) { c.rightKind = 2, c.rightSubject = 0, c.rightStatus = 1; })},
         0,
         false,
         "my.hp = 40",
         {}},
        {"HP against a common variable",
         {With(Status(0, 1, 0, 0),
               [](CondSpec& c) { c.rightKind = 3, c.rightVarTable = 0, c.rightVarIndex = 7; })},
         0,
         true,
         "C7 = 60",
         {}},
        // Kind 5: switches and scroll modes.
        {"fixed facing", {Switch(0, 2, 0, 1)}, 0, true, "", {{"facingFixed", 1}}},
        {"fixed facing negated", {Switch(0, 2, 1, 1)}, 0, false, "", {{"facingFixed", 1}}},
        {"invincible", {Switch(0, 4, 0, 2)}, 0, true, "", {{"immunity", 2}}},
        {"vanish is no switch", {Switch(0, 0, 0, 0)}, 0, false, "", {}},
        {"horizontal scroll follows the hero", {Switch(5, 0, 0, 0)}, 0, true, "", {}},
        {"vertical scroll is not automatic", {Switch(5, 1, 0, 1)}, 0, false, "", {}},
        {"no third scroll mode", {Switch(5, 2, 0, 0)}, 0, false, "", {}},
        // Kind 6: states.
        {"facing right", {State(0, 1, false)}, 0, true, "", {{"facing", 1}}},
        {"not facing left", {State(0, 0, true)}, 0, true, "", {{"facing", 1}}},
        {"on screen", {State(0, 3, false)}, 0, true, "", {}},
        {"itself exists", {State(0, 4, false)}, 0, true, "", {}},
        {"an absent target does not exist", {State(2, 4, true)}, 0, true, "", {}},
        {"an absent target faces nowhere", {State(2, 0, true)}, 0, false, "", {}},
        // Kind 7: the hero three blocks to the watcher's left, two blocks between them.
        {"within sideways", {Distance(0, 0, 5, 0)}, 0, true, "", {{"facing", 0}}, true},
        {"not within sideways", {Distance(0, 0, 3, 0)}, 0, false, "", {{"facing", 0}}, true},
        {"outside sideways", {Distance(0, 1, 3, 0)}, 0, true, "", {{"facing", 0}}, true},
        {"in front", {Distance(1, 0, 5, 0)}, 0, true, "", {{"facing", 0}}, true},
        {"not behind", {Distance(2, 0, 5, 0)}, 0, false, "", {{"facing", 0}}, true},
        {"behind when turned", {Distance(2, 0, 5, 0)}, 0, true, "", {{"facing", 1}}, true},
        {"within vertically on one row",
         {Distance(3, 0, 0, 1)},
         0,
         true,
         "",
         {{"facing", 0}},
         true},
        {"within a circle", {Distance(6, 0, 6, 1)}, 0, true, "", {{"facing", 0}}, true},
        {"not within a smaller circle",
         {Distance(6, 0, 5, 15)},
         0,
         false,
         "",
         {{"facing", 0}},
         true},
        {"measure 7 is never within", {Distance(7, 1, 5, 0)}, 0, true, "", {{"facing", 0}}, true},
        {"an absent target is nowhere",
         {With(Distance(0, 1, 5, 0), [](CondSpec& c) { c.leftSubject = 2; })},
         0,
         false,
         "",
         {{"facing", 0}},
         true},
        // Kind 7 on the vertical axis: the hero on a block, two blocks above the watcher.
        {"within vertically",
         {Distance(3, 0, 7, 0)},
         0,
         true,
         "",
         {{"facing", 0}},
         true,
         0,
         "",
         -1,
         true},
        {"not within vertically",
         {Distance(3, 0, 3, 0)},
         0,
         false,
         "",
         {{"facing", 0}},
         true,
         0,
         "",
         -1,
         true},
        {"above is in front facing left",
         {Distance(4, 0, 7, 0)},
         0,
         true,
         "",
         {{"facing", 0}},
         true,
         0,
         "",
         -1,
         true},
        {"above is not in front facing right",
         {Distance(4, 0, 7, 0)},
         0,
         false,
         "",
         {{"facing", 1}},
         true,
         0,
         "",
         -1,
         true},
        {"above is behind facing right",
         {Distance(5, 0, 7, 0)},
         0,
         true,
         "",
         {{"facing", 1}},
         true,
         0,
         "",
         -1,
         true},
        {"above is not behind facing left",
         {Distance(5, 0, 7, 0)},
         0,
         false,
         "",
         {{"facing", 0}},
         true,
         0,
         "",
         -1,
         true},
        // Once held, held for good.
        {"held once, then no longer",
         {wftest::VarCond(1, 7, 0, 5)},
         0,
         true,
         "C7 = 5",
         {},
         false,
         0,
         "C7 = 0",
         1},
        {"held once, held for good",
         {wftest::VarCond(1, 7, 0, 5)},
         0,
         true,
         "C7 = 5",
         {},
         false,
         1,
         "C7 = 0",
         3},
        // Combining.
        {"one of two holds",
         {wftest::VarCond(1, 7, 0, 1), wftest::VarCond(1, 7, 0, 5)},
         1,
         true,
         "C7 = 5",
         {}},
        {"not all of two hold",
         {wftest::VarCond(1, 7, 0, 1), wftest::VarCond(1, 7, 0, 5)},
         0,
         false,
         "C7 = 5",
         {}},
        {"combine mode 2 never holds", {wftest::VarCond(1, 7, 0, 5)}, 2, false, "C7 = 5", {}},
    };
    return rows;
}

TEST(StoredConditions, EveryKindGatesAFlow) {
    for (const CondRow& row : CondRows()) {
        SCOPED_TRACE(row.name);
        StageSpec spec = wftest::StoredStage(20, 15, kHeroX, kGround);
        if (row.heroAbove) {
            wftest::StoredHero(spec).y = kGround - 3;
            spec.blocks.push_back(wftest::Def(wftest::DefKind::Block, kHeroX, kGround - 2,
                                              {{"cell", 1}, {"contact", 1}}));
        }
        DefSpec& subject = row.watcher ? wftest::StoredChara(spec, kHeroX + 3, kGround, 50)
                                       : wftest::StoredHero(spec);
        for (const auto& [name, value] : row.values) subject.values[name] = value;
        if (!row.prep.empty()) subject.flows.push_back(CodeFlow(21, row.prep));
        FlowSpec gated = CodeFlow(0, "S1 = S1 + 1");
        gated.conds = row.conds;
        gated.condMode = row.mode;
        gated.condOnce = row.once;
        subject.flows.push_back(gated);
        if (!row.after.empty()) subject.flows.push_back(CodeFlow(0, row.after));
        StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree);
        h.Run(3);
        if (row.holds) {
            EXPECT_GT(StageVar(h, 1), 0);
        } else {
            EXPECT_EQ(StageVar(h, 1), 0);
        }
        if (row.starts >= 0) {
            EXPECT_EQ(StageVar(h, 1), row.starts);
        }
    }
}

// ---- Key conditions ---------------------------------------------------------------------

// Entries of a key condition: the direction slots 1 left, 2 right, then the buttons.
constexpr size_t kKeyLeftSlot = 1;
constexpr size_t kKeyRightSlot = 2;
constexpr size_t kKeyButton1 = 11;

wftest::KeyCondSpec Keys(std::vector<std::pair<size_t, uint8_t>> entries, uint8_t mode = 0) {
    wftest::KeyCondSpec k;
    k.anyLength = 1;
    k.mode = mode;
    for (const auto& [entry, value] : entries) k.keys[entry] = value;
    return k;
}

// Held over frames [from, to] (numbered from 1).
struct PadHold {
    uint32_t from, to;
    PadInput pad;
};

struct KeyRow {
    const char* name;
    std::vector<wftest::KeyCondSpec> keys;
    uint8_t keyHold;
    uint8_t leniency;
    uint32_t heroFacing;
    std::vector<PadHold> input;
    int32_t starts;  // over ten frames
    int8_t flagIndex = 0;
};

constexpr PadInput kLeft{1, 0};
constexpr PadInput kRight{2, 0};
constexpr PadInput kButton{0, 1};
constexpr PadInput kLeftButton{1, 1};

const std::vector<KeyRow>& KeyRows() {
    static const std::vector<KeyRow> rows = {
        {"held: starts on the first frame only",
         {Keys({{kKeyRightSlot, 1}})},
         0,
         0,
         0,
         {{1, 10, kRight}},
         1},
        {"held with key hold: every frame",
         {Keys({{kKeyRightSlot, 1}})},
         1,
         0,
         0,
         {{1, 10, kRight}},
         10},
        {"pressed again: starts again",
         {Keys({{kKeyRightSlot, 1}})},
         0,
         0,
         0,
         {{1, 3, kRight}, {6, 8, kRight}},
         2},
        {"pressed again: a flow with a flag starts again",
         {Keys({{kKeyRightSlot, 1}})},
         0,
         0,
         0,
         {{1, 3, kRight}, {6, 8, kRight}},
         2,
         3},
        {"mirrored while facing left",
         {With(Keys({{kKeyRightSlot, 1}}), [](auto& k) { k.mirror = 1; })},
         0,
         0,
         0,
         {{1, 10, kLeft}},
         1},
        {"not mirrored while facing right",
         {With(Keys({{kKeyRightSlot, 1}}), [](auto& k) { k.mirror = 1; })},
         0,
         0,
         1,
         {{1, 10, kLeft}},
         0},
        {"exactly one of two",
         {Keys({{kKeyLeftSlot, 1}, {kKeyButton1, 1}}, 2)},
         0,
         0,
         0,
         {{1, 10, kButton}},
         1},
        {"not exactly one of two",
         {Keys({{kKeyLeftSlot, 1}, {kKeyButton1, 1}}, 2)},
         0,
         0,
         0,
         {{1, 10, kLeftButton}},
         0},
        {"one or more of two",
         {Keys({{kKeyLeftSlot, 1}, {kKeyRightSlot, 1}}, 1)},
         1,
         0,
         0,
         {{1, 10, kRight}},
         10},
        {"all of two",
         {Keys({{kKeyLeftSlot, 1}, {kKeyButton1, 1}})},
         1,
         0,
         0,
         {{1, 4, kButton}, {5, 10, kLeftButton}},
         6},
        {"a released button", {Keys({{kKeyButton1, 2}})}, 1, 0, 0, {{1, 4, kButton}}, 6},
        {"held five to eight frames",
         {With(Keys({{kKeyRightSlot, 1}}),
               [](auto& k) { k.anyLength = 0, k.minHold = 5, k.maxHold = 8; })},
         1,
         0,
         0,
         {{1, 10, kRight}},
         4},
        {"right then left",
         {Keys({{kKeyRightSlot, 1}}), Keys({{kKeyLeftSlot, 1}})},
         0,
         0,
         0,
         {{1, 3, kRight}, {4, 10, kLeft}},
         1},
        {"left alone is no sequence",
         {Keys({{kKeyRightSlot, 1}}), Keys({{kKeyLeftSlot, 1}})},
         0,
         0,
         0,
         {{4, 10, kLeft}},
         0},
        {"a gap without leniency",
         {Keys({{kKeyRightSlot, 1}}), Keys({{kKeyLeftSlot, 1}})},
         0,
         0,
         0,
         {{1, 3, kRight}, {6, 10, kLeft}},
         0},
        {"a gap within the leniency",
         {Keys({{kKeyRightSlot, 1}}), Keys({{kKeyLeftSlot, 1}})},
         0,
         3,
         0,
         {{1, 3, kRight}, {6, 10, kLeft}},
         1},
    };
    return rows;
}

TEST(StoredKeyConditions, HeldKeysStartAFlow) {
    for (const KeyRow& row : KeyRows()) {
        SCOPED_TRACE(row.name);
        StageSpec spec = wftest::StoredStage(20, 15, kHeroX, kGround);
        DefSpec& hero = wftest::StoredHero(spec);
        hero.values["facing"] = row.heroFacing;
        FlowSpec flow = CodeFlow(0, "S1 = S1 + 1");
        flow.keyConds = row.keys;
        flow.keyHold = row.keyHold;
        flow.keyLeniency = row.leniency;
        flow.flagIndex = row.flagIndex;
        hero.flows.push_back(flow);
        StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree);
        const std::vector<PadHold> input = row.input;
        h.input = [input](uint32_t frame) {
            for (const PadHold& hold : input)
                if (frame >= hold.from && frame <= hold.to) return hold.pad;
            return PadInput{};
        };
        h.Run(10);
        EXPECT_EQ(StageVar(h, 1), row.starts);
    }
}

// ---- Names of the code text ------------------------------------------------------------

// A character status: its number in the conditions, its name in the code, a value to
// write and what is then stored.
struct StatusName {
    uint8_t status;
    const char* name;
    int32_t write;
    int32_t stored;
};
constexpr StatusName kStatusNames[] = {
    {1, "hp", 100, 60},    {2, "sp", 5, 0},    {3, "mhp", 80, 80},    {4, "msp", 7, 7},
    {5, "cid", 120, 99},   {6, "z", -2, 0},    {7, "mark", 300, 119}, {9, "power", -7, -7},
    {10, "imp", -25, -20}, {11, "def", -1, 0}, {12, "impd", 9, 9},    {13, "stop", 250, 200},
    {14, "getsc", 77, 77},
};

// Written by the code, read back by the code and by the status condition of that number.
TEST(StoredCode, StatusNamesReadAndWriteWhatTheConditionsRead) {
    for (const StatusName& s : kStatusNames) {
        SCOPED_TRACE(s.name);
        StageSpec spec = wftest::StoredStage(20, 15, kHeroX, kGround);
        DefSpec& hero = wftest::StoredHero(spec);
        const std::string ref = std::string("my.") + s.name;
        hero.flows.push_back(wftest::Flow(
            21, {StoredCode(ref + " = " + std::to_string(s.write)), StoredCode("S1 = " + ref)}));
        FlowSpec gated = CodeFlow(0, "S2 = 1");
        gated.conds = {Status(0, s.status, 0, s.stored)};
        hero.flows.push_back(gated);
        StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree);
        h.Run(2);
        EXPECT_EQ(StageVar(h, 1), s.stored);
        EXPECT_EQ(StageVar(h, 2), 1);
    }
}

struct StatusCodeRow {
    const char* name;
    std::vector<std::string> code;  // run in turn before the stage starts
    int32_t s1;                     // stage variable 1 afterwards
    std::function<void(StageHarness&)> check;
    bool watcher = false;  // run by a character beside the hero, else by the hero
    std::map<std::string, double> stage = {};  // settings of the stage
};

const std::vector<StatusCodeRow>& CodeRows() {
    static const std::vector<StatusCodeRow> rows = {
        {"variables one to eight",
         {"my.v1 = -5", "my.v8 = 1234567", "S1 = my.v1 + my.v8"},
         999994,
         nullptr},
        {"the hero's HP",
         {"my.hp = my.hp - 15", "S1 = pl.hp"},
         45,
         [](StageHarness& h) { EXPECT_EQ(h.Hero()->m_nHP, 45); }},
        {"a lower maximum takes HP down with it",
         {"my.mhp = 25", "S1 = my.hp"},
         25,
         [](StageHarness& h) { EXPECT_EQ(h.Hero()->m_nHP, 25); }},
        {"a maximum SP lifts SP to 1", {"my.msp = 7", "S1 = my.sp"}, 1, nullptr},
        {"a common variable", {"C3 = 12", "S1 = C3 * 2"}, 24, nullptr},
        {"a stage variable beyond its bounds", {"S1 = 2000000"}, 999999, nullptr},
        {"the score",
         {"sys.score = 1000001", "S1 = score"},
         999999,
         [](StageHarness&) { EXPECT_EQ(g_PlaySession.m_nScore, 999999); }},
        {"the lives", {"sys.life = 150", "S1 = sys.life"}, 99, nullptr},
        {"the time without a limit", {"S1 = sys.time + 1"}, 1, nullptr},
        {"the time of a limit",
         {"S1 = sys.time"},
         120,
         nullptr,
         false,
         {{"m_bTimeLimit", 1}, {"m_nTimeLimit", 120}}},
        {"the time set before the stage starts",
         {"sys.time = 1200", "S1 = time"},
         999,
         [](StageHarness& h) { EXPECT_EQ(h.Run().timeSeconds, 999); },
         false,
         {{"m_bTimeLimit", 1}, {"m_nTimeLimit", 120}}},
        {"the scroll speeds",
         {"sys.scrlx = 500", "sys.scrly = -500", "S1 = scrlx - scrly"},
         960,
         nullptr},
        {"sight of a character", {"S1 = sight"}, 0, nullptr},
        {"operators bind by level", {"S1 = 1 + 2 * 3"}, 7, nullptr},
        {"parentheses and rand", {"S1 = (1 + 2) * rand(4, 4)"}, 12, nullptr},
        {"quotient and remainder truncate",
         {"S1 = 7 / 2", "S2 = -7 % 2", "S1 = S1 * 10 + S2"},
         29,
         nullptr},
        {"an empty target ends the text", {"S1 = 3", "S1 = tg2.hp"}, 3, nullptr},
        {"a division by zero assigns nothing", {"S1 = 3", "S1 = 4 / 0"}, 3, nullptr},
        {"tokens need spaces", {"S1 = 7/2"}, 7, nullptr},
        {"rand takes its bounds either way", {"S1 = rand(6, 6) + rand(3, 1) * 0"}, 6, nullptr},
        {"an unmatched parenthesis assigns nothing", {"S1 = 3", "S1 = (1 + 2"}, 3, nullptr},
        {"rand without its parenthesis", {"S1 = 3", "S1 = rand(1, 2"}, 3, nullptr},
        {"rand with one argument", {"S1 = 3", "S1 = rand(1)"}, 3, nullptr},
        {"an unknown object", {"S1 = 3", "S1 = foe.hp"}, 3, nullptr},
        {"a status of the system", {"S1 = 3", "S1 = sys.hp"}, 3, nullptr},
        {"target one is the hero", {"tg.v4 = 6", "S1 = tg1.v4 + pl.v4"}, 12, nullptr, true},
        {"the sight of a character", {"my.sight = 50", "S1 = sight"}, 40, nullptr, true},
        {"the hero's HP from a character",
         {"pl.hp = 10", "S1 = pl.hp"},
         10,
         [](StageHarness& h) { EXPECT_EQ(h.Hero()->m_nHP, 10); },
         true},
    };
    return rows;
}

TEST(StoredCode, NamesOfTheCodeText) {
    for (const StatusCodeRow& row : CodeRows()) {
        SCOPED_TRACE(row.name);
        StageSpec spec = wftest::StoredStage(20, 15, kHeroX, kGround);
        for (const auto& [name, value] : row.stage) spec.values[name] = value;
        std::vector<CmdSpec> cmds;
        for (const std::string& text : row.code) cmds.push_back(StoredCode(text));
        DefSpec& runner = row.watcher ? wftest::StoredChara(spec, kHeroX + 3, kGround, 50)
                                      : wftest::StoredHero(spec);
        runner.flows.push_back(wftest::Flow(21, cmds));
        StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree);
        h.Run(1);
        EXPECT_EQ(StageVar(h, 1), row.s1);
        if (row.check) row.check(h);
    }
}

}  // namespace
