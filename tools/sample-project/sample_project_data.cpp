// The sample's project files: System.dat, the common palette with its hero, walker,
// blocks and items, the world map and the two stages.
#include <cstdio>

#include "core/record.h"
#include "data/cmd_types.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/palette.h"
#include "data/system_data.h"
#include "platform/fs/fs.h"
#include "sample_project.h"

namespace sample {

namespace {

// Key list entries of a key condition: the ten direction slots, then the buttons.
constexpr size_t kKeyLeft = 1;
constexpr size_t kKeyRight = 2;
constexpr size_t kKeyButton1 = 10;

constexpr uint8_t kMoveDirLeft = 2;
constexpr uint8_t kMoveDirRight = 3;

constexpr int8_t kTriggerAlways = 0;

cFlowCmd MoveCmd(FlowCmdType type, uint8_t direction, int16_t speed, uint16_t useTime) {
    cFlowCmd cmd;
    cmd.m_nType = static_cast<int8_t>(type);
    cmd.m_nUseTime = useTime;
    cmd.MakeEdMove();
    cmd.m_pMove->m_nDir = direction;
    cmd.m_pMove->m_nSpeed = speed;
    return cmd;
}

// A flow that runs while one key is held.
cFlow KeyFlow(size_t key, cFlowCmd cmd) {
    cFlow flow;
    flow.m_nTrigger = kTriggerAlways;
    flow.m_bKeyHold = 1;
    cKeyCond keys;
    keys.m_vKeys[key] = 1;
    flow.m_vKeyConds.push_back(keys);
    flow.m_vCmds.push_back(std::move(cmd));
    return flow;
}

cCharaDef Hero() {
    cCharaDef hero;
    hero.m_strText = kHeroName;
    hero.m_nSide = 0;  // the player's side
    hero.m_nPlayerNo = 0;
    hero.m_nCell = 0;  // row 0 of the first character sheet
    hero.m_nBmpSet = 1;
    hero.m_nAnimeSet = 1;
    hero.m_nMaxHP = 3;
    hero.m_nPriority = 4;
    hero.m_bFacingFixed = 0;
    // Walk with the direction keys, jump with the first button.
    hero.m_vFlows.push_back(KeyFlow(kKeyLeft, MoveCmd(kCmdStraightMove, kMoveDirLeft, 20, 1)));
    hero.m_vFlows.push_back(KeyFlow(kKeyRight, MoveCmd(kCmdStraightMove, kMoveDirRight, 20, 1)));
    cFlowCmd jump;
    jump.m_nType = kCmdJump;
    jump.m_nUseTime = 1;
    cFlow jumpFlow = KeyFlow(kKeyButton1, std::move(jump));
    jumpFlow.m_bKeyHold = 0;  // once per press
    hero.m_vFlows.push_back(std::move(jumpFlow));
    return hero;
}

cCharaDef Walker() {
    cCharaDef walker;
    walker.m_strText = kEnemyName;
    walker.m_nSide = 1;
    walker.m_nCell = 1;  // row 1 of the first character sheet
    walker.m_nBmpSet = 1;
    walker.m_nAnimeSet = 2;
    walker.m_nMaxHP = 1;
    walker.m_nPower = 1;
    walker.m_nScore = 100;
    walker.m_bFacingFixed = 0;
    walker.m_nVanishEffect = 2;  // "破裂"
    // Always walking, turning back at walls and ledges.
    cFlow walk;
    walk.m_nTrigger = kTriggerAlways;
    walk.m_vCmds.push_back(MoveCmd(kCmdGroundTurnMove, 0, 10, 10));
    walker.m_vFlows.push_back(std::move(walk));
    return walker;
}

cBlockDef Block(const char* name, uint16_t cell, uint8_t contact) {
    cBlockDef block;
    block.m_strText = name;
    block.m_nCell = cell;
    block.m_nBmpSet = 0;
    block.m_nContact = contact;
    return block;
}

cItemDef Item(const char* name, uint16_t cell) {
    cItemDef item;
    item.m_strText = name;
    item.m_nCell = cell;
    item.m_nBmpSet = 2;
    return item;
}

bool Fail(std::string& error, const char* path) {
    error = std::string("cannot write ") + path;
    return false;
}

}  // namespace

bool WriteSystemData(std::string& error) {
    cSystemData system;
    system.SetBgmCount(g_Database.m_vBgm.size());
    system.m_strTitle = kTitle;
    system.m_vText[0] = "ワールド";
    system.m_vText[1] = "ステージ";
    system.m_vText[10] = "ステージに挑む";
    system.m_vText[11] = "やめておく";
    for (int i = 0; i < kSystemSoundCount; ++i)
        system.m_vSystemSound[static_cast<size_t>(i)] = SystemSoundFile(i);
    system.m_vScreenBgm[0] = 1;  // the title plays Bgm record 1
    if (!system.SaveFile(DataPath[35])) return Fail(error, DataPath[35]);
    return true;
}

bool WriteCommonPalette(std::string& error) {
    cPalette palette;
    palette.m_vBlocks.assign(1, cBlockDef{});
    palette.m_vBlocks.push_back(Block(kBlockNames[1], 1, 1));
    palette.m_vBlocks.push_back(Block(kBlockNames[2], 2, 1));
    cBlockDef spring = Block(kBlockNames[3], 3, 1);
    spring.m_nFootEffect = 1;  // standing on it jumps
    spring.m_nFootParam = 8;   // hbl
    palette.m_vBlocks.push_back(spring);
    palette.m_vBlocks.push_back(Block(kBlockNames[4], 4, 2));
    cBlockDef coinBlock = Block(kBlockNames[5], 2, 1);
    coinBlock.m_nItemBank = kPaletteCommon;
    coinBlock.m_nItemIndex = 1;
    palette.m_vBlocks.push_back(coinBlock);

    palette.m_vCharas.assign(1, cCharaDef{});
    palette.m_vCharas.push_back(Hero());
    palette.m_vCharas.push_back(Walker());

    palette.m_vItems.assign(1, cItemDef{});
    cItemDef coin = Item(kItemNames[1], 5);
    coin.m_nSound = 1;  // "コイン"
    coin.m_bGetEffect = 1;
    palette.m_vItems.push_back(coin);
    cItemDef star = Item(kItemNames[2], 6);
    cFlowCmd clear;
    clear.m_nCategory = kCmdCategoryItem;
    clear.m_nType = 2;  // "ステージクリア"
    star.m_vCmds.push_back(clear);
    palette.m_vItems.push_back(star);

    if (!palette.SaveFile(DataPath[7])) return Fail(error, DataPath[7]);
    return true;
}

bool WriteProjectData(std::string& error) {
    // Definitions bring their database numbers into range when they are saved: the
    // sample's own databases must be the ones in force.
    if (!g_Database.Load()) {
        error = "cannot read back the databases";
        return false;
    }
    if (!platform::fs::CreateGameDirectory("data\\stg4")) return Fail(error, "data\\stg4");
    return WriteSystemData(error) && WriteCommonPalette(error);
}

}  // namespace sample
