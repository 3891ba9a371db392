// The sample's project files: System.dat, the common palette with its hero, walker,
// blocks and items, the world map and the two stages.
#include <algorithm>
#include <cstdio>

#include "core/record.h"
#include "data/cmd_types.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "data/world_map.h"
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
    hero.m_nCell = kHeroGraphic;
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
    walker.m_nCell = kWalkerGraphic;
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

// A placement of common palette entry `index` at a cell, taking every property group from
// the palette; it holds the palette's values too, so it reads the same either way.
template <class Def>
Def Place(const std::vector<Def>& list, size_t index, int x, int y) {
    Def def = list[index];
    def.m_nPalBank = kPaletteCommon;
    def.m_nPalIndex = static_cast<uint16_t>(index);
    std::fill(def.m_vInherit.begin(), def.m_vInherit.end(), uint8_t{1});
    def.m_nX = static_cast<int16_t>(x);
    def.m_nY = static_cast<int16_t>(y);
    return def;
}

// Palette indices of the sample's blocks, characters and items.
enum : size_t { kGround = 1, kWall = 2, kSpring = 3, kSpikes = 4, kCoinBlock = 5 };
enum : size_t { kHero = 1, kWalker = 2 };
enum : size_t { kCoin = 1, kGoal = 2 };

// A stage drawn as text, one character a cell, 15 rows: '#' ground, 'W' wall, 'S' spring,
// '^' spikes, 'B' coin block, 'o' coin, 'G' goal, 'H' hero, 'E' walker.
cStage MakeStage(const char* text, const std::vector<std::string>& rows) {
    const cPalette& pal = g_CommonPalette;
    cStage stage;
    stage.m_sText = text;
    stage.m_anSize[0] = static_cast<int32_t>(rows[0].size());
    stage.m_anSize[3] = static_cast<int32_t>(rows.size());
    stage.m_nBgm = 0;
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            const int cx = static_cast<int>(x), cy = static_cast<int>(y);
            switch (rows[y][x]) {
                case '#':
                    stage.m_vBlocks.push_back(Place(pal.m_vBlocks, kGround, cx, cy));
                    break;
                case 'W':
                    stage.m_vBlocks.push_back(Place(pal.m_vBlocks, kWall, cx, cy));
                    break;
                case 'S':
                    stage.m_vBlocks.push_back(Place(pal.m_vBlocks, kSpring, cx, cy));
                    break;
                case '^':
                    stage.m_vBlocks.push_back(Place(pal.m_vBlocks, kSpikes, cx, cy));
                    break;
                case 'B':
                    stage.m_vBlocks.push_back(Place(pal.m_vBlocks, kCoinBlock, cx, cy));
                    break;
                case 'o':
                    stage.m_vItems.push_back(Place(pal.m_vItems, kCoin, cx, cy));
                    break;
                case 'G':
                    stage.m_vItems.push_back(Place(pal.m_vItems, kGoal, cx, cy));
                    break;
                case 'H':
                    stage.m_vCharas.push_back(Place(pal.m_vCharas, kHero, cx, cy));
                    break;
                case 'E':
                    stage.m_vCharas.push_back(Place(pal.m_vCharas, kWalker, cx, cy));
                    break;
                default:
                    break;
            }
        }
    }
    return stage;
}

const std::vector<std::string> kStage1 = {
    "........................................", "........................................",
    "........................................", "........................................",
    "........................................", "........................................",
    "...........ooo..........................", "....................ooo.................",
    "..........WWWWW.........................", "...................WWWWW.........o......",
    "....................................G...", "...o.o.o.........................WWWWW..",
    ".H..............E.....E...S............W", "###########^^^#############...##########",
    "###########################...##########",
};

const std::vector<std::string> kStage2 = {
    "..............................", "..............................",
    "..............................", "..............................",
    "..............................", "..............................",
    "..........BBB.................", "..............................",
    "..........................G...", "................o.o.o...WWWWW.",
    "........................W.....", ".....................E..W.....",
    ".H.......E.....S........W.....", "#######^^^####################",
    "##############################",
};

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

bool WriteWorldMap(std::string& error) {
    cWorldMapData map;
    map.m_sName = "はじまりの島";
    // A road of walkable cells (type 5) between the two stage points; the rest is
    // blocked ground (type 0).
    constexpr int32_t kRoadY = 7, kFirstX = 4, kSecondX = 12;
    for (int32_t x = kFirstX; x <= kSecondX; ++x)
        map.m_vGrid[static_cast<size_t>(kRoadY * map.m_nPitch + x)] = 5;
    // The road is drawn with the path chip.
    map.m_vCellTypes[5].m_nGraphic = 1;
    map.m_nStartX = kFirstX;
    map.m_nStartY = kRoadY;
    map.m_vPoints.clear();
    const char* const names[kStageCount] = {"はじまりの草原", "とげの谷"};
    const int32_t xs[kStageCount] = {kFirstX, kSecondX};
    for (int i = 0; i < kStageCount; ++i) {
        cWorldMapPoint point;
        point.m_nX = xs[i];
        point.m_nY = kRoadY;
        point.m_sName = names[i];
        cWorldMapRec rec;
        rec.m_nKind = 0;  // a stage entry
        rec.m_sRecName = names[i];
        rec.m_sStageFile = kStageNames[i];
        // The point picture's row and the run's cleared flag of the stage (flag 0 is the
        // one that always stands, so the stages take 1 and 2).
        rec.m_anRecValue[0] = i;
        rec.m_anRecValue[1] = i + 1;
        point.m_vRecs.push_back(rec);
        map.m_vPoints.push_back(point);
    }
    if (!map.SaveFile(DataPath[13])) return Fail(error, DataPath[13]);
    return true;
}

bool WriteStages(std::string& error) {
    // Placements link to the common palette: it must be the one in force when the stages
    // are checked and saved.
    if (!g_CommonPalette.LoadFile(DataPath[7])) return Fail(error, DataPath[7]);
    cStage stages[kStageCount] = {MakeStage("はじまりの草原", kStage1),
                                  MakeStage("とげの谷", kStage2)};
    for (int i = 0; i < kStageCount; ++i)
        if (!stages[i].SaveFile(kStageFiles[i])) return Fail(error, kStageFiles[i]);
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
    return WriteSystemData(error) && WriteCommonPalette(error) && WriteWorldMap(error) &&
           WriteStages(error);
}

}  // namespace sample
