// The sample's project files: System.dat, the common palette with its hero, its fairy,
// enemies, blocks and items, the world map with its three stages and the two challenge
// stages.
#include <algorithm>
#include <cstdio>
#include <string>

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

// Key list entries of a key condition: the ten direction slots, then the button slots,
// whose first is "no button held"; the first button (Z) is the one after it.
constexpr size_t kKeyLeft = 1;
constexpr size_t kKeyRight = 2;
constexpr size_t kKeyButton1 = 11;

constexpr uint8_t kMoveDirLeft = 2;
constexpr uint8_t kMoveDirRight = 3;

// The eight directions as the key list's direction slots (each the keys held exactly: a
// diagonal is its own slot) and as the straight move's directions.
struct FlyDirection {
    size_t key;
    uint8_t move;
};
constexpr FlyDirection kFlyDirections[] = {{1, 2}, {2, 3}, {3, 6},  {4, 7},
                                           {5, 8}, {6, 9}, {7, 10}, {8, 11}};

constexpr int8_t kTriggerAlways = 0;
constexpr int8_t kTriggerBeforeStart = 21;

// The character groups: the hero, its fairy and their shots in one, the enemies and
// theirs in the other. A shot hits the characters of every group but its own, and the
// characters of two groups touch.
constexpr uint8_t kHeroGroup = 0;
constexpr uint8_t kEnemyGroup = 1;

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
    // Held for any number of frames: a key condition otherwise asks for a hold between its
    // shortest and longest, both 0 here, which no press ever is.
    keys.m_bAnyLength = 1;
    flow.m_vKeyConds.push_back(keys);
    flow.m_vCmds.push_back(std::move(cmd));
    return flow;
}

cFlowCmd ShotCmd(uint8_t count, int16_t spread, int16_t speed, bool breaks, uint8_t group);
cFlowCmd JumpCmd(int32_t heightHalfBlocks);

// A character drawn from a row of the first sheet, in the group of its side (0 the hero's,
// 1 the enemies').
cCharaDef Character(const char* name, uint8_t side, int16_t graphic, int16_t animeSet,
                    uint32_t hp) {
    cCharaDef chara;
    chara.m_strText = name;
    chara.m_nSide = side;
    chara.m_nMapValue = side == 0 ? kHeroGroup : kEnemyGroup;
    chara.m_nCell = graphic;
    chara.m_nBmpSet = 1;
    chara.m_nAnimeSet = animeSet;
    chara.m_nMaxHP = hp;
    return chara;
}

// An enemy of the walker's looks that hurts by touch and bursts when defeated.
cCharaDef Enemy(const char* name, int hp, uint32_t score) {
    cCharaDef chara = Character(name, 1, kWalkerGraphic, 2, static_cast<uint32_t>(hp));
    chara.m_nPower = 1;
    chara.m_nScore = score;
    chara.m_nVanishEffect = 2;  // "破裂"
    return chara;
}

cCharaDef Hero() {
    cCharaDef hero = Character(kHeroName, 0, kHeroGraphic, 1, 3);
    hero.m_nPlayerNo = 0;
    // Carried along where the screen scrolls by itself.
    hero.m_bSyncScroll = 1;
    hero.m_nPriority = 4;
    hero.m_bFacingFixed = 0;
    // Walk with the direction keys, four dots a frame; jump four blocks high with the first
    // button, far enough to clear three blocks of spikes.
    hero.m_vFlows.push_back(KeyFlow(kKeyLeft, MoveCmd(kCmdStraightMove, kMoveDirLeft, 40, 1)));
    hero.m_vFlows.push_back(KeyFlow(kKeyRight, MoveCmd(kCmdStraightMove, kMoveDirRight, 40, 1)));
    cFlow jumpFlow = KeyFlow(kKeyButton1, JumpCmd(8));
    jumpFlow.m_bKeyHold = 0;  // once per press
    hero.m_vFlows.push_back(std::move(jumpFlow));
    // The second button fires a shot that breaks the breakable blocks.
    cFlow shotFlow = KeyFlow(kKeyButton1 + 1, ShotCmd(1, 0, 60, true, kHeroGroup));
    shotFlow.m_bKeyHold = 0;
    hero.m_vFlows.push_back(std::move(shotFlow));
    return hero;
}

// The winged hero flies where the direction keys point, four dots a frame, through
// blocks; the second button fires its shot.
cCharaDef WingedHero() {
    cCharaDef hero = Character(kWingedHeroName, 0, kHeroGraphic, 1, 3);
    hero.m_nPlayerNo = 0;
    hero.m_nMoveType = 1;
    hero.m_nPriority = 4;
    hero.m_bFacingFixed = 0;
    for (const FlyDirection& d : kFlyDirections)
        hero.m_vFlows.push_back(KeyFlow(d.key, MoveCmd(kCmdStraightMove, d.move, 40, 1)));
    cFlow shotFlow = KeyFlow(kKeyButton1 + 1, ShotCmd(1, 0, 60, true, kHeroGroup));
    shotFlow.m_bKeyHold = 0;
    hero.m_vFlows.push_back(std::move(shotFlow));
    return hero;
}

cCharaDef Walker() {
    cCharaDef walker = Enemy(kEnemyName, 1, 100);
    walker.m_bFacingFixed = 0;
    // Always walking, turning back at walls and ledges.
    cFlow walk;
    walk.m_nTrigger = kTriggerAlways;
    walk.m_vCmds.push_back(MoveCmd(kCmdGroundTurnMove, 0, 10, 10));
    walker.m_vFlows.push_back(std::move(walk));
    return walker;
}

// A flow that runs on its own, over and over.
cFlow Always(std::vector<cFlowCmd> cmds) {
    cFlow flow;
    flow.m_nTrigger = kTriggerAlways;
    flow.m_vCmds = std::move(cmds);
    return flow;
}

cFlowCmd Cmd(FlowCmdType type, uint16_t useTime) {
    cFlowCmd cmd;
    cmd.m_nType = static_cast<int8_t>(type);
    cmd.m_nUseTime = useTime;
    return cmd;
}

// A jump of the full height, whatever the key does, as high as the given half-blocks.
cFlowCmd JumpCmd(int32_t heightHalfBlocks) {
    cFlowCmd cmd = Cmd(kCmdJump, 1);
    cmd.m_vParams.assign(static_cast<size_t>(CmdParamCount(kCmdCategoryFlow, kCmdJump)), 0);
    cmd.m_vParams[2] = heightHalfBlocks;
    return cmd;
}

// A shot command: `count` shots of graphic 1 fanned over `spread` degrees, flying
// straight for a second and a half, in the shooter's group; `breaks` lets them break
// blocks.
cFlowCmd ShotCmd(uint8_t count, int16_t spread, int16_t speed, bool breaks, uint8_t group) {
    cFlowCmd cmd = Cmd(kCmdShot, 5);
    cmd.MakeEdShot();
    cEdShot& shot = *cmd.m_pShot;
    shot.m_nCount = count;
    shot.m_nPattern = count > 1 ? 1 : 0;
    shot.m_nSpread = spread;
    shot.m_nGraphic = 1;
    shot.m_nSide = group;
    shot.m_nSpeed = speed;
    shot.m_nLife = 15;
    shot.m_nF44 = 1;  // life limited
    shot.m_nF47 = breaks ? 1 : 0;
    shot.m_nPower = 1;
    return cmd;
}

// Shot movements that home: on the shooter's target, on the nearest character of a group.
constexpr uint8_t kShotHomeTarget = 6;
constexpr uint8_t kShotHomeNearest = 7;

// One shot of graphic 2 that vanishes where it hits and lives `tenths`; the movement
// homes on its goal for the first `homingHbl` half-blocks of its flight.
cFlowCmd HomingShotCmd(uint8_t moveKind, int16_t homingHbl, int16_t speed, int16_t tenths,
                       uint8_t group) {
    cFlowCmd cmd = ShotCmd(1, 0, speed, false, group);
    cEdShot& shot = *cmd.m_pShot;
    shot.m_nGraphic = 2;
    shot.m_nLife = tenths;
    shot.m_nMoveKind = moveKind;
    shot.m_anMove[1] = homingHbl;  // homing ends; it starts at once
    // The nearest character is looked for among the other group.
    shot.m_anMove[2] = group == kHeroGroup ? kEnemyGroup : kHeroGroup;
    shot.m_nF56 = 1;  // it vanishes where it hits
    return cmd;
}

// A summon of common palette entry `index` (a character or a block) beside the summoner;
// blockMode 2 toggles the block cell (placed when empty, removed when there).
cFlowCmd SummonCmd(FlowCmdType type, int16_t index, int16_t offsetX, uint8_t blockMode) {
    cFlowCmd cmd = Cmd(type, 5);
    cmd.MakeEdShot();
    cmd.m_pShot->m_nCount = 1;
    cmd.m_pShot->m_nBank = 0;
    cmd.m_pShot->m_nDefIndex = index;
    cmd.m_pShot->m_nOffsetX = offsetX;
    cmd.m_pShot->m_nBlockMode = blockMode;
    return cmd;
}

// Hops on the spot every second.
cCharaDef Jumper() {
    cCharaDef chara = Enemy(kCharaNames[3], 1, 150);
    chara.m_nCellExtra = 4;  // drawn in the immune colouring, so it reads apart
    chara.m_vFlows.push_back(Always({JumpCmd(4), Cmd(kCmdWait, 10)}));
    return chara;
}

// Stands and fires one shot every two seconds.
cCharaDef Shooter() {
    cCharaDef chara = Enemy(kCharaNames[4], 2, 200);
    chara.m_nCellExtra = 8;
    chara.m_vFlows.push_back(Always({ShotCmd(1, 0, 30, false, kEnemyGroup), Cmd(kCmdWait, 20)}));
    return chara;
}

// A code text for the execute-code command.
cFlowCmd CodeCmd(const char* text) {
    cFlowCmd cmd = Cmd(kCmdExecCode, 0);
    cmd.m_strText = text;
    return cmd;
}

// The boss: a fan of five shots, a walker summoned at its side, a block of the switch
// kind toggled before it, then a rest; it counts its rounds in its first variable.
cCharaDef Boss() {
    cCharaDef chara = Enemy(kCharaNames[5], 12, 5000);
    chara.m_nSize = 2;
    chara.m_nImpactResist = 20;
    chara.m_vFlows.push_back(
        Always({ShotCmd(5, 90, 25, false, kEnemyGroup), Cmd(kCmdWait, 10),
                SummonCmd(kCmdSummonChara, 2, -48, 0), SummonCmd(kCmdSummonBlock, 7, -96, 2),
                CodeCmd("my.v1 = my.v1 + 1"), Cmd(kCmdWait, 30)}));
    return chara;
}

// The hero's fairy: it floats through walls along with the screen and every two seconds
// fires a shot that homes on the nearest enemy. Shots pass it by and no touch hurts it:
// a defeat on the hero's side would be the hero's.
cCharaDef Fairy() {
    cCharaDef chara = Character(kCharaNames[6], 0, kFairyGraphic, 1, 1);
    chara.m_nMoveType = 1;  // flies through blocks
    chara.m_bSyncScroll = 1;
    chara.m_nImmunity = 2;
    chara.m_nFacing = 1;  // to the right, ahead of the hero
    chara.m_vFlows.push_back(
        Always({HomingShotCmd(kShotHomeNearest, 40, 40, 30, kHeroGroup), Cmd(kCmdWait, 15)}));
    return chara;
}

// A target command choosing the hero into a target slot, done the moment it starts.
cFlowCmd TargetHeroCmd(int32_t slot) {
    cFlowCmd cmd = Cmd(kCmdSetTarget, 0);
    cmd.m_vParams.assign(static_cast<size_t>(CmdParamCount(kCmdCategoryFlow, kCmdSetTarget)), 0);
    cmd.m_vParams[0] = slot;
    cmd.m_bTogether = 1;
    return cmd;
}

// The zoom of ScrEffect record 2 run reversed, done the moment it starts: the screen
// starts twice as close on the hero and draws back to the whole picture in a second.
cFlowCmd ZoomOutCmd() {
    cFlowCmd cmd = Cmd(kCmdRunScreenEffect, 0);
    cmd.m_vParams.assign(static_cast<size_t>(CmdParamCount(kCmdCategoryFlow, kCmdRunScreenEffect)),
                         0);
    cmd.m_vParams[0] = 2;  // "拡大"
    cmd.m_vParams[1] = 1;  // reversed
    cmd.m_bTogether = 1;
    return cmd;
}

// A cannon on a ledge. Its shots go for its second target, which it takes before the stage
// starts: the hero, shown up close as the stage opens. Then it fires at it every two
// seconds, by turns a shot aimed at where the hero will be and a shot that homes on it.
cCharaDef Cannon() {
    constexpr uint8_t kSlot = 1;  // target 2
    cCharaDef chara = Enemy(kCharaNames[7], 6, 300);
    chara.m_nCell = kCannonGraphic;
    cFlow beforeStart;
    beforeStart.m_nTrigger = kTriggerBeforeStart;
    beforeStart.m_vCmds.push_back(TargetHeroCmd(kSlot));
    beforeStart.m_vCmds.push_back(ZoomOutCmd());
    chara.m_vFlows.push_back(std::move(beforeStart));
    cFlowCmd aimed = ShotCmd(1, 0, 30, false, kEnemyGroup);
    aimed.m_pShot->m_nLife = 40;
    aimed.m_pShot->m_nF06 = 1;  // aimed at a target
    aimed.m_pShot->m_nPatternSlot = kSlot;
    aimed.m_pShot->m_nF56 = 1;  // it vanishes where it hits
    cFlowCmd homing = HomingShotCmd(kShotHomeTarget, 30, 30, 40, kEnemyGroup);
    homing.m_pShot->m_nMoveSlot = kSlot;
    chara.m_vFlows.push_back(Always({aimed, Cmd(kCmdWait, 15), homing, Cmd(kCmdWait, 15)}));
    return chara;
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
enum : size_t {
    kGround = 1,
    kWall = 2,
    kSpring = 3,
    kSpikes = 4,
    kCoinBlock = 5,
    kBreakable = 6,
    kToggle = 7
};
enum : size_t {
    kHero = 1,
    kWalker = 2,
    kJumper = 3,
    kShooter = 4,
    kBoss = 5,
    kFairy = 6,
    kCannon = 7,
    kWingedHero = 8
};
enum : size_t { kCoin = 1, kGoal = 2, kHeart = 3, kSwitch = 4, kFlag = 5 };

// Stage characters hold no item: their held-item placement is -1 (0 would name the
// stage's item placement 0).
constexpr uint32_t kNoHeldItem = 0xFFFFFFFFu;

// A stage drawn as text, one character a cell, 15 rows: '#' ground, 'W' wall, 'S' spring,
// '^' spikes, 'B' coin block, 'X' breakable block, 'T' switch block, 'o' coin, 'G' goal,
// 'h' heart, 's' switch, 'f' flag, 'H' hero, 'P' winged hero, 'E' walker, 'J' jumper,
// 'F' shooter, 'K' boss, 'A' fairy, 'C' cannon. The hero is placed first: the first
// placement on the hero's side is the hero.
cStage MakeStage(const char* text, const std::vector<std::string>& rows, uint32_t bgm) {
    const cPalette& pal = g_CommonPalette;
    cStage stage;
    stage.m_sText = text;
    stage.m_anSize[0] = static_cast<int32_t>(rows[0].size());
    stage.m_anSize[3] = static_cast<int32_t>(rows.size());
    stage.m_nBgm = bgm;
    // Items are never erased off screen: the goal lies further from the start than the
    // default item area reaches.
    stage.m_aParams[4].Set8(0, 0, 0, 0, 0, 0, 0, 0);
    auto chara = [&](size_t index, int cx, int cy) {
        cCharaDef def = Place(pal.m_vCharas, index, cx, cy);
        def.m_nPlacementValue = kNoHeldItem;
        stage.m_vCharas.push_back(def);
    };
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            if (rows[y][x] == 'H' || rows[y][x] == 'P')
                chara(rows[y][x] == 'H' ? kHero : kWingedHero, static_cast<int>(x),
                      static_cast<int>(y));
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
                case 'X':
                    stage.m_vBlocks.push_back(Place(pal.m_vBlocks, kBreakable, cx, cy));
                    break;
                case 'T':
                    stage.m_vBlocks.push_back(Place(pal.m_vBlocks, kToggle, cx, cy));
                    break;
                case 'h':
                    stage.m_vItems.push_back(Place(pal.m_vItems, kHeart, cx, cy));
                    break;
                case 's':
                    stage.m_vItems.push_back(Place(pal.m_vItems, kSwitch, cx, cy));
                    break;
                case 'f':
                    stage.m_vItems.push_back(Place(pal.m_vItems, kFlag, cx, cy));
                    break;
                case 'A':
                    chara(kFairy, cx, cy);
                    break;
                case 'C':
                    chara(kCannon, cx, cy);
                    break;
                case 'E':
                    chara(kWalker, cx, cy);
                    break;
                case 'J':
                    chara(kJumper, cx, cy);
                    break;
                case 'F':
                    chara(kShooter, cx, cy);
                    break;
                case 'K':
                    chara(kBoss, cx, cy);
                    break;
                default:
                    break;
            }
        }
    }
    return stage;
}

// The meadow: coin blocks in the ground after the switch, walkers on the ground and one
// on the ledge above them, spikes, a spring over the pit and the goal on a ledge.
const std::vector<std::string> kStage1 = {
    "........................................", "........................................",
    "........................................", "........................................",
    "........................................", "........................................",
    "...........ooo..........................", "....................ooo.................",
    "..........WWWWW......E..................", "...................WWWWW.........o......",
    "....................................G...", "...o.o.o.........................WWWWW..",
    ".H.s............E.....E...S............W", "####BBB####^^^#############...##########",
    "###########################...##########",
};

// The valley, which scrolls by itself: the hero's fairy floats beside it and a cannon on a
// ledge fires at it, then spikes, a jumper, a spring, a walker and a shooter before the
// goal on a wall.
const std::vector<std::string> kStage2 = {
    "........................................................",
    "........................................................",
    "........................................................",
    "........................................................",
    "........................................................",
    "........................................................",
    "................................BBB.....................",
    "........................................................",
    ".............C..................................G.......",
    "..A..........WWW......................o.o.o...WWWWW.....",
    "..............................................W.........",
    "................................h..........E..W.........",
    ".H.............................J.....S.....F..X.........",
    "#############################^^^########################",
    "########################################################",
};

// The castle on the branch: a breakable wall, a switch block and the boss.
const std::vector<std::string> kStage3 = {
    "..............................", "..............................",
    "..............................", "..............................",
    "..............................", "..............................",
    "..............................", "..............................",
    "..............................", "..........TTT...........WWWWW.",
    "........................W.....", "....h...................W..G..",
    ".H......X..........K.........W", "##############################",
    "##############################",
};

// The sky, three screens wide and two high, for the winged hero: coins on floating islands,
// a flag in the middle of the stage and the goal at its bottom right corner.
const std::vector<std::string> kStage4 = {
    "............................................................",
    "............................................................",
    "............................................................",
    ".........ooo................................................",
    "........WWWWWW..............................................",
    "........................ooo.................................",
    "......................WWWWWW................................",
    ".............o.o.o..........................................",
    "............WWWWWW........................o.o.o.............",
    "........................................WWWWWWW.............",
    "............................................................",
    "............................................................",
    ".P..........................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "..............................f.............................",
    "....o.o.o...................................................",
    "...WWWWWW...................................................",
    ".............................................o.o.o..........",
    "............................................WWWWWW..........",
    "........o.o.................................................",
    "......WWWWWW................................................",
    "............................................................",
    "............................................................",
    "..................WWWWWW....................................",
    ".........................................................G..",
    "......................................................WWWWWW",
    "############################################################",
    "############################################################",
};

// The cliff, whose view scrolls right by itself and stops at the cliff's end: the fairy
// floats beside the hero, both carried until the view stands; the goal is at the end.
const std::vector<std::string> kStage5 = {
    "........................................", "........................................",
    "........................................", "........................................",
    "........................................", "........................................",
    "........................................", "........................................",
    ".........................ooo............", "..A.........ooo.........................",
    "...........WWWWW........................", "........................................",
    ".H...................................G..", "########################################",
    "########################################",
};

// The challenges: a short run past walkers and a coin hunt past a shooter.
const std::vector<std::string> kChallenge1 = {
    "....................", "....................", "....................", "....................",
    "....................", "....................", "....................", "....................",
    "........ooo.........", "....................", "...............G....", "..............WWW...",
    ".H.....E.......J....", "########^###########", "####################",
};
const std::vector<std::string> kChallenge2 = {
    "....................", "....................", "....................", "....................",
    "....................", "....................", "....................", "....o.o.o.o.........",
    "...BBBBBBBB.........", "....................", "..................G.", "................WWWW",
    ".H......S....F......", "####################", "####################",
};

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
    system.m_nMenuOption = kChallengeCount;  // the challenges the challenge screen lists
    system.m_vScreenBgm[0] = 1;              // the title plays Bgm record 1
    system.m_vScreenBgm[1] = 2;              // the world map and the save menu record 2
    system.m_vScreenBgm[2] = 2;              // the challenge list too
    // A miss in the story takes back what the attempt changed of the run's variables (the
    // coins it counted), as a retry does.
    system.m_nUserDataOptionA = 1;
    if (!system.SaveFile(DataPath[35])) return CannotWrite(error, DataPath[35]);
    return true;
}

// Item command numbers: the item list names the flow commands from stage clear (17) on,
// fifteen lower.
constexpr int8_t kItemCmdMessage = kCmdMessage - 15;
constexpr int8_t kItemCmdEffect = kCmdRunEffect - 15;
constexpr int8_t kItemCmdScreenEffect = kCmdRunScreenEffect - 15;
constexpr int8_t kItemCmdPicture = kCmdShowPicture - 15;
constexpr int8_t kItemCmdPlaySE = kCmdPlaySE - 15;
constexpr int8_t kItemCmdExecCode = kCmdExecCode - 15;

// An item command with its leading parameters; the rest are 0.
cFlowCmd ItemCmd(int8_t type, std::initializer_list<int32_t> params) {
    cFlowCmd cmd;
    cmd.m_nCategory = kCmdCategoryItem;
    cmd.m_nType = type;
    cmd.m_vParams.assign(static_cast<size_t>(CmdParamCount(kCmdCategoryItem, type)), 0);
    std::copy(params.begin(), params.end(), cmd.m_vParams.begin());
    return cmd;
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
    // Cracked stone the hero's shots break, and a lit block the boss switches on and off.
    palette.m_vBlocks.push_back(Block(kBlockNames[6], 5, 1));
    palette.m_vBlocks.push_back(Block(kBlockNames[7], 6, 1));

    palette.m_vCharas.assign(1, cCharaDef{});
    palette.m_vCharas.push_back(Hero());
    palette.m_vCharas.push_back(Walker());
    palette.m_vCharas.push_back(Jumper());
    palette.m_vCharas.push_back(Shooter());
    palette.m_vCharas.push_back(Boss());
    palette.m_vCharas.push_back(Fairy());
    palette.m_vCharas.push_back(Cannon());
    palette.m_vCharas.push_back(WingedHero());

    palette.m_vItems.assign(1, cItemDef{});
    cItemDef coin = Item(kItemNames[1], 5);
    coin.m_nSound = 1;  // "コイン"
    coin.m_bGetEffect = 1;
    const std::string counter = "C" + std::to_string(kCoinVariable);
    cFlowCmd count = ItemCmd(kItemCmdExecCode, {});
    count.m_strText = counter + " = " + counter + " + 1";
    coin.m_vCmds.push_back(count);
    palette.m_vItems.push_back(coin);
    cItemDef star = Item(kItemNames[2], 6);
    cFlowCmd clear;
    clear.m_nCategory = kCmdCategoryItem;
    clear.m_nType = 2;  // "ステージクリア"
    star.m_vCmds.push_back(clear);
    palette.m_vItems.push_back(star);
    // A heart: taken any number of times, it plays the spring's sound.
    cItemDef heart = Item(kItemNames[3], 5);
    heart.m_nTakeMode = 1;
    heart.m_nCellExtra = 1;
    heart.m_vCmds.push_back(ItemCmd(kItemCmdPlaySE, {2}));
    palette.m_vItems.push_back(heart);
    // The switch: a message in its box over the hero for three seconds, the sign standing
    // on the ground beside it (on the back picture layer, behind the hero), sparks on the
    // hero and the screen shaking sideways.
    cItemDef sw = Item(kItemNames[4], 6);
    sw.m_nCellExtra = 1;
    cFlowCmd message =
        ItemCmd(kItemCmdMessage, {4, 0, 0, 0, -32, 1, 2, 30, 0, 0, 0, 0, 0, 0, /*box=*/1});
    message.m_strText = "スイッチが入った！";
    sw.m_vCmds.push_back(message);
    // From stage block (5, 9), half a block in, right of the message: the sign's post
    // reaches down to the ground.
    sw.m_vCmds.push_back(ItemCmd(kItemCmdPicture, {1, 4, 5, 9, 16, 0, /*layer=*/0, 100, 2, 30}));
    sw.m_vCmds.push_back(ItemCmd(kItemCmdEffect, {1, 2, 0, 0, 0, 0, 100}));
    sw.m_vCmds.push_back(ItemCmd(kItemCmdScreenEffect, {1}));
    palette.m_vItems.push_back(sw);
    // The flag: taken once, its picture (the small one over the hero) and the sign held up
    // on the hero for two seconds, in front of everything.
    cItemDef flag = Item(kItemNames[5], 6);
    flag.m_bGetEffect = 1;
    flag.m_vCmds.push_back(
        ItemCmd(kItemCmdPicture, {1, /*on the hero=*/2, 0, 0, 0, 0, /*layer=*/1, 100, 2, 20}));
    palette.m_vItems.push_back(flag);

    // Saving checks the block's item links against the common palette in force: it must
    // be this one, or the coin block would lose its coin.
    g_CommonPalette = palette;
    if (!palette.SaveFile(DataPath[7])) return CannotWrite(error, DataPath[7]);
    return true;
}

bool WriteWorldMap(std::string& error) {
    cWorldMapData map;
    map.m_sName = "はじまりの島";
    // A road of walkable cells (type 5) from the first stage point to the second, with a
    // branch half-way that climbs to the castle; the rest is blocked ground (type 0).
    // Past the second stage it goes on to the sky and the cliff.
    constexpr int32_t kRoadY = 7, kFirstX = 4, kSecondX = 12, kBranchX = 8, kCastleY = 3;
    constexpr int32_t kSkyX = 15, kCliffX = 18;
    for (int32_t x = kFirstX; x <= kCliffX; ++x)
        map.m_vGrid[static_cast<size_t>(kRoadY * map.m_nPitch + x)] = 5;
    for (int32_t y = kCastleY; y < kRoadY; ++y)
        map.m_vGrid[static_cast<size_t>(y * map.m_nPitch + kBranchX)] = 5;
    // The road is drawn with the path chip.
    map.m_vCellTypes[5].m_nGraphic = 1;
    map.m_nStartX = kFirstX;
    map.m_nStartY = kRoadY;
    map.m_vPoints.clear();
    const char* const names[kStageCount] = {"はじまりの草原", "とげの谷", "ボスの城", "そらの回廊",
                                            "がけの道"};
    const int32_t xs[kStageCount] = {kFirstX, kSecondX, kBranchX, kSkyX, kCliffX};
    const int32_t ys[kStageCount] = {kRoadY, kRoadY, kCastleY, kRoadY, kRoadY};
    for (int i = 0; i < kStageCount; ++i) {
        cWorldMapPoint point;
        point.m_nX = xs[i];
        point.m_nY = ys[i];
        point.m_sName = names[i];
        cWorldMapRec rec;
        rec.m_nKind = 0;  // a stage entry
        rec.m_sRecName = names[i];
        rec.m_sStageFile = kStageNames[i];
        // The point picture's row and the run's cleared flag of the stage (flag 0 is the
        // one that always stands, so the stages take 1 and on).
        rec.m_anRecValue[0] = i % 4;
        rec.m_anRecValue[1] = i + 1;
        point.m_vRecs.push_back(rec);
        map.m_vPoints.push_back(point);
    }
    if (!map.SaveFile(DataPath[13])) return CannotWrite(error, DataPath[13]);
    return true;
}

bool WriteStages(std::string& error) {
    // Placements link to the common palette: it must be the one in force when the stages
    // are checked and saved.
    if (!g_CommonPalette.LoadFile(DataPath[7])) return CannotWrite(error, DataPath[7]);
    cStage stages[kStageCount] = {
        MakeStage("はじまりの草原", kStage1, 2), MakeStage("とげの谷", kStage2, 3),
        MakeStage("ボスの城", kStage3, 3), MakeStage("そらの回廊", kStage4, 2),
        MakeStage("がけの道", kStage5, 3)};
    // The valley scrolls to the right by itself, a dot a frame (a tenth of a dot in each of
    // the ten update steps).
    stages[1].m_bScrollAutoX = 1;
    stages[1].m_nScrollSpeedX = 10;
    // The cliff too, until its view reaches the cliff's end.
    stages[kCliffStage].m_bScrollAutoX = 1;
    stages[kCliffStage].m_nScrollSpeedX = 10;
    // The meadow's field tune loops and plays on through a miss. The map plays the same
    // tune, so an entry into the meadow keeps it when the run's tune is the field tune
    // already, rather than start it again.
    stages[0].m_nBgmParam = 1;
    stages[0].m_bKeepBgm = 1;
    for (int i = 0; i < kStageCount; ++i)
        if (!stages[i].SaveFile(kStageFiles[i])) return CannotWrite(error, kStageFiles[i]);
    cStage challenges[kChallengeCount] = {MakeStage("チャレンジ1", kChallenge1, 2),
                                          MakeStage("チャレンジ2", kChallenge2, 3)};
    for (int i = 0; i < kChallengeCount; ++i)
        if (!challenges[i].SaveFile(kChallengeFiles[i])) return CannotWrite(error, kChallengeFiles[i]);
    return true;
}

bool WriteProjectData(std::string& error) {
    // Definitions bring their database numbers into range when they are saved: the
    // sample's own databases must be the ones in force.
    if (!g_Database.Load()) {
        error = "cannot read back the databases";
        return false;
    }
    if (!platform::fs::CreateGameDirectory("data\\stg4")) return CannotWrite(error, "data\\stg4");
    return WriteSystemData(error) && WriteCommonPalette(error) && WriteWorldMap(error) &&
           WriteStages(error);
}

}  // namespace sample
