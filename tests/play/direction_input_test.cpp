// Flows that take their direction from the controller, played from a stage file: a flier
// moves, warps, shoots or summons the way the held direction points, for each of the
// eight.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "data/cmd_types.h"
#include "data/flow_record.h"
#include "data/stage_file.h"
#include "play/stage_flows.h"
#include "support/stage_harness.h"
#include "support/stored_stage.h"

namespace {

using wftest::Command;
using wftest::PadInput;
using wftest::StageHarness;

constexpr uint8_t kFromController = 12;

enum class Act { kMove, kWarp, kShot, kSummon };

// The flier's one flow: the act, once, on the first frame, then a long wait.
cFlow ActFlow(Act act) {
    cFlowCmd cmd;
    switch (act) {
        case Act::kMove:
            // A dot a frame for 6 frames.
            cmd = Command(kCmdStraightMove, 1);
            cmd.MakeEdMove();
            cmd.m_pMove->m_nDir = kFromController;
            cmd.m_pMove->m_nSpeed = 10;
            break;
        case Act::kWarp:
            // Half a block a frame for 6 frames, from where it stands.
            cmd = Command(kCmdWarp, 1);
            cmd.MakeEdMove();
            cmd.m_pMove->m_nKind = 0;
            cmd.m_pMove->m_nDir = kFromController;
            cmd.m_pMove->m_nDistance = 1;
            break;
        case Act::kShot:
            // Two dots a frame, harmless, into the open.
            cmd = wftest::Shot(20, 0, 1);
            cmd.m_pShot->m_nDir = kFromController;
            cmd.m_pShot->m_nLife = 100;
            break;
        case Act::kSummon:
            // Entry 1 of the stage palette, beside the flier.
            cmd = Command(kCmdSummonChara, 1);
            cmd.MakeEdShot();
            cmd.m_pShot->m_nCount = 1;
            cmd.m_pShot->m_nDir = kFromController;
            cmd.m_pShot->m_nBank = 1;
            cmd.m_pShot->m_nDefIndex = 1;
            break;
    }
    return wftest::Always({cmd, Command(kCmdWait, 1000)});
}

// The hero stands in the bottom-left corner; a flier (no gravity, stops at blocks) with
// the flow floats in the middle of an open 20 x 15 stage.
cStage FlierStage(Act act) {
    cStage stage = wftest::MakeStage(20, 15, 1, 13);
    cCharaDef& flier = wftest::PlaceChara(stage, 9, 6, 10);
    flier.m_nMoveType = 2;
    flier.m_vFlows = {ActFlow(act)};
    // What the summon brings: a flier of its own, one block square.
    cCharaDef child = flier;
    child.m_vFlows.clear();
    child.m_nPlaced = 1;
    child.m_nSize = 1;
    stage.m_vPalCharas = {cCharaDef{}, child};
    return wftest::StoredAndLoaded(stage);
}

// Where the thing that went stands: the flier, its shot, or what it summoned (from the
// flier's own place).
bool Where(StageHarness& h, Act act, double& x, double& y) {
    if (act == Act::kSummon) {
        const auto& charas = h.Run().objects.charas;
        if (charas.size() != 2) return false;
        x = charas.back().m_dX, y = charas.back().m_dY;
        if (charas.front().m_pParent || charas.back().m_pParent != &charas.front()) return false;
        return true;
    }
    if (act == Act::kShot) {
        if (h.Run().shots.empty()) return false;
        x = h.Run().shots.front().m_dX, y = h.Run().shots.front().m_dY;
    } else {
        if (h.Run().objects.charas.empty()) return false;
        x = h.Run().objects.charas.front().m_dX, y = h.Run().objects.charas.front().m_dY;
    }
    return true;
}

int Sign(double d) {
    return d > 2.0 ? 1 : d < -2.0 ? -1 : 0;
}

TEST(DirectionFromController, MovesWarpsShotsAndSummonsGoWhereTheHeldDirectionPoints) {
    struct Held {
        const char* name;
        uint16_t bits;  // 1 left, 2 right, 4 up, 8 down
        int sx, sy;
    };
    const Held held[] = {
        {"left", 1, -1, 0},         {"right", 2, 1, 0},          {"up", 4, 0, -1},
        {"down", 8, 0, 1},          {"up-left", 1 | 4, -1, -1},  {"down-left", 1 | 8, -1, 1},
        {"up-right", 2 | 4, 1, -1}, {"down-right", 2 | 8, 1, 1},
    };
    struct Kind {
        const char* name;
        Act act;
        int from, to;     // frames between which the way is measured
        double distance;  // dots gone on a straight axis in that time
    };
    const Kind kinds[] = {
        {"move", Act::kMove, 0, 12, 6.0},
        {"warp", Act::kWarp, 0, 12, 96.0},
        {"shot", Act::kShot, 2, 12, 20.0},    // it leaves on the first frame
        {"summon", Act::kSummon, 0, 1, 0.0},  // way from the flier to what it summoned
    };
    for (const Kind& k : kinds) {
        const cStage stage = FlierStage(k.act);
        ASSERT_EQ(stage.m_vCharas.size(), 2u);
        ASSERT_EQ(stage.m_vCharas[1].m_vFlows.size(), 1u);
        for (const Held& d : held) {
            SCOPED_TRACE(::testing::Message() << k.name << " holding " << d.name);
            StageHarness h(stage, wftest::RunKind::kStory);
            const uint16_t bits = d.bits;
            h.input = [bits](uint32_t) { return PadInput{bits, 0}; };
            double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
            h.Run(k.from);
            if (k.act == Act::kSummon) {
                x0 = h.Run().objects.charas.front().m_dX, y0 = h.Run().objects.charas.front().m_dY;
            } else {
                ASSERT_TRUE(Where(h, k.act, x0, y0));
            }
            h.Run(k.to - k.from);
            ASSERT_TRUE(Where(h, k.act, x1, y1));
            const double dx = x1 - x0, dy = y1 - y0;
            EXPECT_EQ(Sign(dx), d.sx) << dx;
            EXPECT_EQ(Sign(dy), d.sy) << dy;
            if (k.distance == 0.0) continue;  // the side only
            const double share = d.sx != 0 && d.sy != 0 ? k.distance / std::sqrt(2.0) : k.distance;
            EXPECT_NEAR(std::fabs(dx), d.sx != 0 ? share : 0.0, 1.0) << dx;
            EXPECT_NEAR(std::fabs(dy), d.sy != 0 ? share : 0.0, 1.0) << dy;
        }
    }
}

}  // namespace
