// Behaviour records as stored in definitions, palettes and stage files: flows, their
// commands and the movement and shot parts a command may own, with the migrations of
// older data versions, validation against the databases, and the removal of flows meant
// for test play only.
#pragma once

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"
#include "data/cond_record.h"

// Nested flows (a flow-operation command holds flows of its own) deeper than this fail the
// load: a crafted file must not run the reader's recursion off the stack.
constexpr int kMaxFlowNesting = 64;

// Validation compares stored database numbers with the loaded databases. The database
// object implements this and installs itself once its lists are loaded; while none is
// installed (tools, tests without databases) the database checks are skipped, so that
// nothing is reset against lists that were never read.
class FlowRefDatabase {
  public:
    enum class List {
        AnimeSet,
        Anime,
        SwordType,
        Effect,
        CharaEffect,
        ScrEffect,
        Picture,
        Sound,
        Bgm
    };

    virtual ~FlowRefDatabase() = default;
    virtual int Count(List list) const = 0;
    // Sum of the durations of every item of a sword type below Count(List::SwordType).
    virtual int64_t SwordDuration(int swordType) const = 0;
};
void SetFlowRefDatabase(const FlowRefDatabase* database);
const FlowRefDatabase* GetFlowRefDatabase();

// Flows marked for test play stay only in test play from the editor or when the system
// data keeps them. Start-up installs the question; without it they are dropped.
using KeepTestFlowsQuery = bool (*)();
void SetKeepTestFlowsQuery(KeepTestFlowsQuery query);
bool KeepTestFlows();

// Movement part of a command (types 2 to 7 and the warp). A new part holds the defaults.
class cEdMove : public cSaveRecord {
  public:
    cEdMove();

    void RegisterFields(uint32_t version) override;

    uint8_t m_nKind = 0;         // 0 by direction, 1 toward coordinates (warp: target kind)
    uint8_t m_nDir = 0;          // move direction
    int16_t m_nAngle = 0;        // degrees
    int16_t m_nAngleLv = 0;      // per level
    uint8_t m_bMirrorAngle = 0;  // from 158
    uint8_t m_bTargetX = 0;
    uint8_t m_bTargetY = 0;
    int16_t m_nOffsetXBl = 0;
    int16_t m_nOffsetYBl = 0;
    int16_t m_nOffsetXDot = 0;
    int16_t m_nOffsetYDot = 0;
    uint8_t m_nCoordKind = 0;
    uint8_t m_bStopOnArrival = 0;
    uint8_t m_bNoMoveX = 0;
    uint8_t m_bNoMoveY = 0;
    uint8_t m_bMirrorX = 0;  // circle: turn by 180 degrees when mirrored
    uint8_t m_bMirrorY = 0;
    uint8_t m_bMirrorOnTurn = 0;
    uint8_t m_bArrival = 0;
    uint8_t m_bKeepFacing = 0;  // from 162
    uint8_t m_nTimeMode = 0;
    int16_t m_nSpeed = 0;  // tenths of a dot per frame
    int16_t m_nSpeedLv = 0;
    int16_t m_nDistance = 0;  // circle: end angle
    int16_t m_nDistanceLv = 0;
    uint8_t m_bDistanceDots = 0;  // from 159; else half-blocks
    int16_t m_nRadius = 0;        // circle radius in half-blocks, or homing value
    int16_t m_nRadiusLv = 0;
    uint8_t m_bInertia = 0;
    int16_t m_nSpeed2 = 0;  // tenths of a dot per frame
    double m_fBrake = 0.0;
    uint8_t m_bNoWalkAnime = 0;  // from 162
    uint8_t m_nTargetSlot = 0;   // from 767
};

// Shot, sword and summon part of a command. Fields whose role only the shot objects know
// carry their registration number.
class cEdShot : public cSaveRecord {
  public:
    cEdShot() { Clear(); }

    void RegisterFields(uint32_t version) override;

    // Offset of emission i in dots: step x i + base, negated for a character facing right
    // (facing 1) when that axis's mirror switch is set.
    double GetOffsetX(int index, int facing) const;
    double GetOffsetY(int index, int facing) const;

    uint8_t m_nCount = 0;         // 1: shots per element, or summoned objects
    uint8_t m_nPattern = 0;       // 2: volley pattern 0..5
    int16_t m_anPattern[3] = {};  // 3
    uint8_t m_nF04 = 0;           // 4: from 671
    uint8_t m_nDir = 0;           // 5: move direction of the volley
    uint8_t m_nF06 = 0;           // 6
    uint8_t m_nPatternSlot = 0;   // 7: from 767
    int16_t m_nAngle = 0;         // 8
    int16_t m_nAngleStep = 0;     // 9
    uint8_t m_bMirrorAngle = 0;   // 10: from 158
    int16_t m_nSpread = 0;        // 11
    uint8_t m_nF12 = 0;           // 12
    uint8_t m_nClones = 0;        // 13: elements = value + 1
    int16_t m_nOffsetX = 0;       // 14
    int16_t m_nOffsetXStep = 0;   // 15
    int16_t m_nOffsetY = 0;       // 16
    int16_t m_nOffsetYStep = 0;   // 17
    uint8_t m_bMirrorX = 0;       // 18
    uint8_t m_bMirrorY = 0;       // 19
    int16_t m_nGraphic = 0;       // 20: shot graphic 1..120
    uint8_t m_nDepth = 0;         // 21
    uint8_t m_nF22 = 0;           // 22
    uint8_t m_nF23 = 0;           // 23
    uint8_t m_nSide = 0;          // 24
    uint8_t m_nF25 = 0;           // 25
    uint8_t m_nSize = 0;          // 26: half-blocks; sword size
    uint8_t m_nF27 = 0;           // 27
    uint8_t m_nMoveKind = 0;      // 28: shot movement; sword command: sword type
    int16_t m_anMove[3] = {};     // 29
    uint8_t m_nMoveSlot = 0;      // 30: from 767
    uint8_t m_nF31 = 0;           // 31: from 211
    int16_t m_nSpeed = 0;         // 32
    int16_t m_nSpeedStep = 0;     // 33
    uint8_t m_nF34 = 0;           // 34: from 213
    int16_t m_nAccel = 0;         // 35: from 213
    int16_t m_nAccelStep = 0;     // 36: from 213
    int16_t m_nDistance = 0;      // 37: half-blocks; summons: existence time
    uint8_t m_nF38 = 0;           // 38
    int16_t m_nDistanceStep = 0;  // 39
    uint8_t m_nF40 = 0;           // 40
    uint8_t m_nF41 = 0;           // 41
    int16_t m_nLife = 0;          // 42: tenths of a second
    int16_t m_nLifeStep = 0;      // 43
    uint8_t m_nF44 = 0;           // 44
    uint8_t m_nF45 = 0;           // 45
    uint8_t m_nF46 = 0;           // 46: from 636
    uint8_t m_nF47 = 0;           // 47
    uint8_t m_nVanish = 0;        // 48
    int32_t m_nPower = 0;         // 49
    int16_t m_nF50 = 0;           // 50
    int8_t m_nImpact = 0;         // 51: -20..20 in one byte
    int16_t m_nF52 = 0;           // 52
    uint8_t m_nF53 = 0;           // 53
    int16_t m_nF54 = 0;           // 54
    uint8_t m_nBlockMode = 0;     // 55
    uint8_t m_nF56 = 0;           // 56
    uint8_t m_nF57 = 0;           // 57: from 197
    uint8_t m_nBank = 0;          // 58: 0 common, 1 stage palette
    int16_t m_nDefIndex = 0;      // 59
    uint8_t m_nF60 = 0;           // 60
    uint8_t m_nF61 = 0;           // 61
    uint8_t m_nF62 = 0;           // 62
    uint8_t m_nF63 = 0;           // 63: from 762
    uint8_t m_nF64 = 0;           // 64: from 762
};

class cFlow;

// One command of a flow, or of an item's list (category 1).
class cFlowCmd : public cSaveRecord {
  public:
    // Out of line: the nested flows are of a type not yet complete here.
    cFlowCmd();
    // Copies own new parts: two commands never share a part.
    cFlowCmd(const cFlowCmd& source);
    cFlowCmd(cFlowCmd&& source) noexcept;
    cFlowCmd& operator=(const cFlowCmd& source);
    cFlowCmd& operator=(cFlowCmd&& source) noexcept;
    ~cFlowCmd() override;

    void RegisterFields(uint32_t version) override;
    // The registered part, the three optional parts, the nested flows and the parameters;
    // then the migrations of older files, the removal of test-play flows among the nested
    // ones, and Validate. False when the file is damaged (nesting too deep included).
    bool Load(FILE* fp) override;
    // Validate, then the registered part, the three parts each behind a u32 flag, the
    // nested flows and the parameters.
    bool Save(FILE* fp) override;

    // Database numbers back into range, the parameter list to its type's length, the
    // sword's use time from its sword type; then every nested flow.
    void Validate();
    // The database numbers held in the shot part (the sword's sword type), here and in
    // the nested flows.
    void ValidateRefs();

    // A fresh part at the current version with its defaults, replacing any old one.
    void MakeEdMove();
    void MakeEdShot();
    void MakeCondList();

    uint8_t m_nCategory = 0;  // 0 flow command, 1 item command (type = item number)
    int8_t m_nType = 0;
    std::string m_strText;
    uint16_t m_nUseTime = 0;   // tenths of a second
    int16_t m_nUseTimeLv = 0;  // per level
    uint8_t m_bTogether = 0;   // the next command starts in the same frame
    uint16_t m_nSound = 0;
    uint8_t m_bSoundFlag = 0;
    uint16_t m_nAnime = 0;

    boost::shared_ptr<cEdMove> m_pMove;
    boost::shared_ptr<cEdShot> m_pShot;
    boost::shared_ptr<cCondList> m_pCond;
    std::vector<cFlow> m_vFlows;
    std::vector<int32_t> m_vParams;

  private:
    void Migrate(uint32_t version);
    void ValidateDatabaseRefs(const FlowRefDatabase& database);
};

// What starts a flow: the stored value of a flow's trigger field. Every place that starts
// flows names its event here, so the editor's numbers and ours cannot drift apart.
enum FlowTrigger : uint32_t {
    kTriggerAlways = 0,             // every frame
    kTriggerDamaged = 1,            // took damage
    kTriggerImpacted = 2,           // took an impact
    kTriggerDied = 3,               // died
    kTriggerTouched = 4,            // touched a character
    kTriggerTouchedBlockChara = 5,  // touched a block character
    kTriggerOnBlockChara = 6,       // standing on a block character
    kTriggerShotHit = 7,            // hit by a shot
    kTriggerItem = 8,               // touched an item
    kTriggerBlock = 9,              // a block touched it
    kTriggerWall = 10,              // a block on its left or right
    kTriggerWallLeft = 11,
    kTriggerWallRight = 12,
    kTriggerBlockAboveBelow = 13,   // a block above or below it
    kTriggerBlockAbove = 14,
    kTriggerBlockBelow = 15,
    kTriggerRiddenByHero = 16,      // the hero stands on it
    kTriggerRidden = 17,            // a character stands on it
    kTriggerDealtDamage = 18,       // its attack dealt damage
    kTriggerGaveImpact = 19,        // its attack gave an impact
    kTriggerReport = 20,            // its attack hit something
    kTriggerBeforeStart = 21,       // before the stage starts
    kTriggerByFlowOp = 22,          // only started by a flow operation
};

// One flow of a behaviour: a trigger, its conditions, key conditions and commands.
class cFlow : public cSaveRecord {
  public:
    // A new flow: cleared, key leniency 3 frames, as the editor makes one.
    cFlow();

    void RegisterFields(uint32_t version) override;
    // The registered part, the conditions, the key conditions and the commands; then the
    // trigger migrations of older files, the memo emptied, and Validate.
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    // Every key condition and command (conditions have nothing to bring into range).
    void Validate();
    // cFlowCmd::ValidateRefs over every command.
    void ValidateCmdRefs();

    std::string m_strMemo;  // from 676; the editor's, emptied by Load
    uint8_t m_nGroup = 0;
    int8_t m_nFlagIndex = 0;  // 0 none, else the flow flag this flow sets
    uint8_t m_bTestPlay = 0;  // exists only for test play
    uint8_t m_nCondMode = 0;
    uint8_t m_bCondOnce = 0;
    int8_t m_nTrigger = 0;        // FlowTrigger 0..22
    uint8_t m_bOtherSubject = 0;  // from 762
    int8_t m_nSubjectSlot = 0;    // from 767
    uint8_t m_nKeyLeniency = 0;   // frames
    uint8_t m_bKeyHold = 0;

    std::vector<cCond> m_vConds;
    std::vector<cKeyCond> m_vKeyConds;
    std::vector<cFlowCmd> m_vCmds;
};

// A u32 count and that many records, each loaded into a fresh record and left at the
// current version. The list is replaced only when every record was read.
bool LoadFlowList(std::vector<cFlow>& list, FILE* fp);
bool LoadFlowList(std::vector<cFlow>& list, ByteReader& in);
bool LoadFlowCmdList(std::vector<cFlowCmd>& list, FILE* fp);
bool LoadFlowCmdList(std::vector<cFlowCmd>& list, ByteReader& in);
bool SaveFlowList(std::vector<cFlow>& list, FILE* fp);
bool SaveFlowCmdList(std::vector<cFlowCmd>& list, FILE* fp);

// Removes every flow whose test-play mark is set, keeping the order of the others.
void EraseMarkedFlows(std::vector<cFlow>& flows);
