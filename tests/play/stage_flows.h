// Flows and commands for stages built in code: the few a test of play gives its hero or
// its characters.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "data/cmd_types.h"
#include "data/flow_record.h"

namespace wftest {

// A command of that type with its parameters all 0, lasting `tenths` of a second.
inline cFlowCmd Command(FlowCmdType type, uint16_t tenths) {
    cFlowCmd cmd;
    cmd.m_nType = static_cast<int8_t>(type);
    cmd.m_nUseTime = tenths;
    cmd.m_vParams.assign(static_cast<size_t>(CmdParamCount(kCmdCategoryFlow, type)), 0);
    return cmd;
}

// A flow that runs its commands over and over.
inline cFlow Always(std::vector<cFlowCmd> cmds) {
    cFlow flow;
    flow.m_vCmds = std::move(cmds);
    return flow;
}

// A jump as high as the given half-blocks.
inline cFlowCmd Jump(int32_t halfBlocks) {
    cFlowCmd jump = Command(kCmdJump, 1);
    jump.m_vParams[2] = halfBlocks;
    return jump;
}

// The hero's jump, four blocks high, while its first button is held.
inline cFlow JumpOnFirstButton() {
    constexpr size_t kKeyButton1 = 11;  // the first button's slot in a key condition
    cFlow flow;
    cKeyCond keys;
    keys.m_vKeys[kKeyButton1] = 1;
    keys.m_bAnyLength = 1;
    flow.m_vKeyConds.push_back(keys);
    flow.m_vCmds.push_back(Jump(8));
    return flow;
}

// Walking on the ground, turning back at ledges, at tenths of a dot a frame.
inline cFlowCmd GroundTurnMove(int16_t speed) {
    cFlowCmd cmd = Command(kCmdGroundTurnMove, 10);
    cmd.MakeEdMove();
    cmd.m_pMove->m_nSpeed = speed;
    return cmd;
}

// A straight move in a direction (2 left, 3 right, 6 up, 7 down) at tenths of a dot a
// frame, for `tenths` of a second.
inline cFlowCmd StraightMove(uint8_t dir, int16_t speed, uint16_t tenths) {
    cFlowCmd cmd = Command(kCmdStraightMove, tenths);
    cmd.MakeEdMove();
    cmd.m_pMove->m_nDir = dir;
    cmd.m_pMove->m_nSpeed = speed;
    return cmd;
}

// Moving straight on in a direction at tenths of a dot a frame.
inline cFlow StraightOn(uint8_t dir, int16_t speed) {
    return Always({StraightMove(dir, speed, 100)});
}

// One turn of a circle of `halfBlocks` radius at tenths of a degree a frame, clockwise.
inline cFlowCmd CircleTurn(int16_t halfBlocks, int16_t speed) {
    cFlowCmd cmd = Command(kCmdCircleMove, 0);
    cmd.MakeEdMove();
    cmd.m_pMove->m_nRadius = halfBlocks;
    cmd.m_pMove->m_nSpeed = speed;
    cmd.m_pMove->m_nTimeMode = 1;
    cmd.m_pMove->m_nDistance = 360;
    return cmd;
}

// One shot straight ahead at tenths of a dot a frame for a second, of the given power,
// belonging to the group of characters with that map value (it hits the other groups).
inline cFlowCmd Shot(int16_t speed, int32_t power, uint8_t group) {
    cFlowCmd cmd = Command(kCmdShot, 5);
    cmd.MakeEdShot();
    cEdShot& shot = *cmd.m_pShot;
    shot.m_nCount = 1;
    shot.m_nSize = 1;
    shot.m_nGraphic = 1;
    shot.m_nSpeed = speed;
    shot.m_nLife = 10;
    shot.m_nF44 = 1;  // life limited
    shot.m_nPower = power;
    shot.m_nSide = group;
    return cmd;
}

}  // namespace wftest
