// Key conditions against a controller history written run by run: the current input, key
// sequences with leniency and with and without overlap, mirroring, the first-frame rule
// and a history shorter than its slots.
#include <gtest/gtest.h>

#include <utility>

#include "core/key_state.h"
#include "flow/compat.h"
#include "flow/key_conds.h"
#include "flow_test_support.h"

using namespace wftest;

namespace {

constexpr uint8_t kPress = 1;
constexpr uint8_t kRelease = 2;
constexpr int kLeft = 1;
constexpr int kRight = 2;
constexpr int kButton0 = 11;  // key entry of button ring 1 (button 0)

// Controller 0 for one test, put back afterwards.
class History {
  public:
    History() : saved_(g_KeyStates.at(0)) {
        for (auto* rings : {&keys().m_vDirPattern, &keys().m_vButtonPattern})
            for (auto& ring : *rings) ring.assign(kKeyRunsPerRing, cKeyRun{0, 0});
    }
    ~History() { g_KeyStates.at(0) = saved_; }
    static cKeyState& keys() { return g_KeyStates.at(0); }
    // Runs of one key entry, newest first: {held, frames}.
    static void Set(int entry, std::vector<std::pair<int, int>> runs) {
        std::vector<cKeyRun>& ring = entry < kDirSlotCount
                                         ? keys().m_vDirPattern.at(entry)
                                         : keys().m_vButtonPattern.at(entry - kDirSlotCount);
        ring.assign(kKeyRunsPerRing, cKeyRun{0, 0});
        for (size_t i = 0; i < runs.size(); ++i) ring[i] = {runs[i].first, runs[i].second};
    }

  private:
    cKeyState saved_;
};

cKeyCond Key(int entry, uint8_t value, int16_t minHold = 1, int16_t maxHold = 10,
             bool anyLength = false, uint8_t mode = 0) {
    cKeyCond k;
    k.m_vKeys.assign(kKeyCondKeyCount, 0);
    k.m_vKeys[static_cast<size_t>(entry)] = value;
    k.m_nMinHold = minHold;
    k.m_nMaxHold = maxHold;
    k.m_bAnyLength = anyLength ? 1 : 0;
    k.m_nMode = mode;
    return k;
}

bool Sequence(const cChara& chara, const std::vector<cKeyCond>& conds, int leniency) {
    std::vector<const cKeyCond*> ptrs;
    for (const cKeyCond& k : conds) ptrs.push_back(&k);
    return CheckKeySequence(chara, History::keys(), ptrs, leniency);
}

}  // namespace

TEST(KeyConds, CurrentInputAndModes) {
    FlowHarness harness;
    History h;
    History::Set(kLeft, {{1, 4}});
    History::Set(kRight, {{0, 4}});
    cKeyCond both = Key(kLeft, kPress);
    both.m_vKeys[kRight] = kPress;
    struct Case {
        uint8_t mode;
        bool expected;
    };
    for (const Case c : {Case{0, false}, Case{1, true}, Case{2, true}}) {
        both.m_nMode = c.mode;
        EXPECT_EQ(CheckKeyCondNow(History::keys(), both), c.expected) << int{c.mode};
    }
    EXPECT_TRUE(Flows().KeyCondHeld(cChara{}, Key(kLeft, kPress)));
    both.m_vKeys[kRight] = kRelease;
    both.m_nMode = 2;
    EXPECT_FALSE(CheckKeyCondNow(History::keys(), both));  // two match
    both.m_nMode = 0;
    EXPECT_TRUE(CheckKeyCondNow(History::keys(), both));

    History::Set(0, {{0, 4}});
    History::Set(kLeft, {{0, 4}});
    History::Set(3, {{1, 2}});
    EXPECT_EQ(FirstHeldDirection(History::keys()), DirSlot::kUp);
    History::Set(3, {{0, 2}});
    EXPECT_EQ(FirstHeldDirection(History::keys()), DirSlot::kNone);
}

TEST(KeyConds, SequencesWithLeniencyMirrorAndOverlap) {
    FlowHarness harness;
    History h;
    cChara c;
    Bind(c, {});
    c.m_nFacing = 1;
    const std::vector<cKeyCond> leftThenRight = {Key(kLeft, kPress), Key(kRight, kPress)};

    // Left held 5 frames, right held for the last 3: a sequence without a gap.
    History::Set(kLeft, {{0, 3}, {1, 5}, {0, 50}});
    History::Set(kRight, {{1, 3}, {0, 50}});
    EXPECT_TRUE(Sequence(c, leftThenRight, 0));
    // Held too long for the step's maximum.
    EXPECT_FALSE(Sequence(c, {Key(kLeft, kPress, 1, 4), Key(kRight, kPress)}, 0));

    // Two frames of nothing between them: only a leniency of 2 or more bridges the gap.
    History::Set(kLeft, {{0, 5}, {1, 4}, {0, 50}});
    for (const auto& [leniency, expected] :
         std::vector<std::pair<int, bool>>{{0, false}, {1, false}, {2, true}, {5, true}}) {
        EXPECT_EQ(Sequence(c, leftThenRight, leniency), expected) << "leniency " << leniency;
    }

    // Mirrored: facing left, "left" reads the right slot.
    cKeyCond mirrored = Key(kLeft, kPress);
    mirrored.m_bMirror = 1;
    History::Set(kLeft, {{0, 9}});
    EXPECT_FALSE(Sequence(c, {mirrored}, 0));
    c.m_nFacing = 0;
    EXPECT_TRUE(Sequence(c, {mirrored}, 0));

    // One press of a button, asked as two presses: the older step is found only one frame
    // into the newer one, which the overlap switch allows.
    History::Set(kButton0, {{1, 5}, {0, 40}});
    const std::vector<cKeyCond> twice = {Key(kButton0, kPress, 1, 1, true),
                                         Key(kButton0, kPress, 1, 1, true)};
    g_SystemData.m_bCompat695 = 0;
    EXPECT_FALSE(Sequence(c, twice, 1));
    g_SystemData.m_bCompat695 = 1;
    EXPECT_TRUE(Sequence(c, twice, 1));
    // Two presses with a release between hold either way.
    History::Set(kButton0, {{1, 2}, {0, 3}, {1, 2}, {0, 40}});
    g_SystemData.m_bCompat695 = 0;
    EXPECT_TRUE(Sequence(c, {twice[0], Key(kButton0, kRelease), twice[1]}, 0));
}

TEST(KeyConds, CursorsStayInsideAShortHistory) {
    History h;
    // A ring shorter than its 32 runs (a damaged or fresh controller record).
    History::keys().m_vDirPattern.at(kLeft) = {{1, 2}, {0, 3}};
    KeyCursors cursors = StartKeyCursors(History::keys());
    EXPECT_EQ(cursors[kLeft].run, 0);
    EXPECT_EQ(cursors[kLeft].framesLeft, 2);
    ShiftKeyHistory(History::keys(), cursors, -4);
    EXPECT_EQ(cursors[kLeft].run, 1);
    EXPECT_EQ(cursors[kLeft].framesLeft, 1);
    ShiftKeyHistory(History::keys(), cursors, -100);
    EXPECT_EQ(cursors[kLeft].run, 1);
    EXPECT_EQ(cursors[kLeft].framesLeft, 0);
    // Toward the present it steps into the newer run, and no further than the present.
    ShiftKeyHistory(History::keys(), cursors, 4);
    EXPECT_EQ(cursors[kLeft].run, 0);
    EXPECT_EQ(cursors[kLeft].framesLeft, 1);
    ShiftKeyHistory(History::keys(), cursors, 50);
    EXPECT_EQ(cursors[kLeft].run, 0);
    EXPECT_EQ(cursors[kLeft].framesLeft, 2);
    // An empty history matches no press.
    History::keys().m_vButtonPattern.clear();
    cChara c;
    EXPECT_FALSE(Sequence(c, {Key(kButton0, kPress, 1, 1, true)}, 3));
}

TEST(KeyConds, FlowStartsOnTheFirstFrameOfAMatch) {
    FlowHarness harness;
    History h;
    History::Set(kRight, {{1, 1}});
    cFlow keyed = Flow(0, {Probe(1)}, 4);
    keyed.m_vKeyConds = {Key(kRight, kPress, 1, 99, true)};
    cFlow held = Flow(5, {Probe(2)});
    held.m_vKeyConds = keyed.m_vKeyConds;
    held.m_bKeyHold = 1;
    cChara c;
    Bind(c, {keyed, held});
    cFlowRun& run = c.m_vFlowRuns[0];
    EXPECT_TRUE(CheckFlowKeys(c, run));
    // Still held: no new start, but the always-flow's flag of this frame says it runs; its
    // started flag stays clear, or the flow would never start again.
    EXPECT_FALSE(CheckFlowKeys(c, run));
    EXPECT_EQ(c.m_vFlowStarted[4], 0);
    EXPECT_EQ(c.m_vFlowStartedNow[4], 1);
    EXPECT_EQ(c.m_bAnyFlowEnded, 1u);
    // With key hold every frame of the match counts.
    EXPECT_TRUE(CheckFlowKeys(c, c.m_vFlowRuns[1]));
    EXPECT_TRUE(CheckFlowKeys(c, c.m_vFlowRuns[1]));
    // Let go, then pressed again: a new first frame. The frame check clears the mark
    // while the flow is not tried.
    History::Set(kRight, {{0, 1}, {1, 3}});
    CheckFrameConds(c);
    EXPECT_EQ(run.m_bKeyHeld, 0);
    History::Set(kRight, {{1, 1}, {0, 1}});
    EXPECT_TRUE(CheckFlowKeys(c, run));
}
