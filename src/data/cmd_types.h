// The forty command types of flows and the twenty-five item commands: their numbering,
// names and parameter counts, as stored commands and their validation use them.
#pragma once

#include <cstdint>
#include <vector>

#include "data/vocab_table.h"

// Type byte of a command of category 0. The handlers and set-up operations indexed by it
// belong to the flow layer.
enum FlowCmdType : int {
    kCmdEmpty = 0,
    kCmdWait = 1,
    kCmdStraightMove = 2,
    kCmdGroundTurnMove = 3,
    kCmdCircleMove = 4,
    kCmdChargeMove = 5,
    kCmdHomingMove = 6,
    kCmdAvoidOffscreenMove = 7,
    kCmdDisableMove = 8,
    kCmdChangeDir = 9,
    kCmdJump = 10,
    kCmdShot = 11,
    kCmdSword = 12,
    kCmdSummonBlock = 13,
    kCmdSummonChara = 14,
    kCmdSummonItem = 15,
    kCmdFlowOp = 16,
    kCmdStageClear = 17,
    kCmdGameWait = 18,
    kCmdMessage = 19,
    kCmdWarp = 20,
    kCmdSetTarget = 21,
    kCmdStatusOp = 22,
    kCmdStatusOp2 = 23,
    kCmdVanish = 24,
    kCmdGetItem = 25,
    kCmdChangeGraphic = 26,
    kCmdChangeAnimeSet = 27,
    kCmdRunAnime = 28,
    kCmdRunEffect = 29,
    kCmdRunCharaEffect = 30,
    kCmdRunScreenEffect = 31,
    kCmdShowPicture = 32,
    kCmdScreenColor = 33,
    kCmdChangeBackground = 34,
    kCmdPlaySE = 35,
    kCmdPlayBGM = 36,
    kCmdExecCode = 37,
    kCmdArrange = 38,
    kCmdLoop = 39,
};
constexpr int kFlowCmdTypeCount = 40;

// Category byte of a command.
constexpr uint8_t kCmdCategoryFlow = 0;
constexpr uint8_t kCmdCategoryItem = 1;

// Item commands: 0 nothing, 1 flow change, and from 2 on the main types 17..39 under the
// number type - 15 (24 is the loop).
constexpr int kItemCmdNone = 0;
constexpr int kItemCmdFlowChange = 1;
constexpr int kItemCmdLoop = 24;
constexpr int kItemCmdTypeCount = 25;
constexpr int kItemCmdTypeOffset = 15;

// Names and parameter counts, index = type (value = parameter count). Filled before main
// and rebuilt by InitCmdTypes; read-only afterwards.
extern std::vector<cLabelId> g_CmdTypes;
extern std::vector<cLabelId> g_ItemCmdTypes;
void InitCmdTypes();

// The type a command stands for in the tables indexed by full type (parameter
// descriptions, arrange records): an item command counts as its number + 15.
int FullCmdType(uint8_t category, int8_t type);

// Whether a stored (category, type) pair names an entry of its table. A signed type
// byte below 0, a type past the table or an unknown category names none.
bool IsKnownCmdType(uint8_t category, int8_t type);

// Parameter count of a stored command: its row of g_CmdTypes, or for category 1 of the
// item-command table. A pair outside the tables has no parameters; it is never used as
// an index, and it is said once on our diagnostics.
int CmdParamCount(uint8_t category, int8_t type);

// The name of a stored command, the empty text for a pair outside the tables.
const char* CmdTypeName(uint8_t category, int8_t type);
