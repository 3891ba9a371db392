// Block characters met by every kind of mover, played from stored stages through the stage
// set-up and the play frame. The movers: the hero, an enemy and an ally walking under
// gravity, a flier that stops at blocks and a block character under gravity (a crate). The
// solids: a block character at rest, walking, gliding, circling, rising or falling, and, in
// the reference rows, map blocks in its place. A row names the pair, what the mover does and
// the hit levels it is played at, and what the player sees: where the mover is (within the
// tolerance the row gives, in dots), the frames in which its flows of touching and standing
// on a block character and the solid's flows of being ridden start (a flow that a step
// starts runs in the next frame), the frames it stands on a block, and whether it is crushed
// and how. A row whose mover is a stage character is played in both list orders, the solid
// listed before the mover and after it: what the player sees must not change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "data/cmd_types.h"
#include "data/cond_record.h"
#include "data/flow_record.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "objects/player.h"
#include "play/stage_flows.h"
#include "support/stage_harness.h"
#include "support/stored_stage.h"

namespace {

using wftest::Always;
using wftest::Command;
using wftest::Jump;
using wftest::StraightMove;

// ---- The pairs ---------------------------------------------------------------------------

enum class Mover { kHero, kEnemy, kAlly, kFlier, kCrate };
// kGround: no block character; map blocks stand where it would (the reference rows).
enum class Motion { kGround, kStill, kWalking, kGliding, kCircling, kRising, kFalling };
enum class Action {
    kLandAndRide,     // dropped two blocks above it, lands and rides
    kJumpOff,         // stands on it and jumps: wait half a second, jump three blocks, again
    kWalkOff,         // walks off its right edge, its jump asked in the fall
    kKnockedUp,       // a flier rising from below knocks it upward
    kIntoCeiling,     // carried up into a map ceiling
    kIntoWall,        // pushed along the floor into a wall
    kIntoEnd,         // pushed along the floor into the stage's end the solid glides to
    kFromSide,        // moves into it along the floor at a dot a frame (right, or left)
    kUnderFalling,    // stands on the floor under it as it comes down
    kWarpOnto,        // stands on the floor; after a second the solid, three blocks to its
                      // right, warps three blocks left less a quarter block: over all of it
    kWarpOntoByWall,  // the same with a wall at its left
    kWarpOntoHead,    // the same, the solid a quarter block higher: over its upper part
    kWarpInto,        // warps into the still solid's left part, from three blocks left
    kPlacedOn,        // the stage places the solid on the block the mover stands in
    kTouchedJumps,    // jumps as kJumpOff, touched once a second by a hovering character of
                      // impact that pushes it nowhere
    kShotJumps,       // jumps as kJumpOff, shot from the right once a second by a shot of
                      // impact that its resistance takes whole
    kOnACrate,        // placed on a crate that stands on the solid, touching it
};

// What an ally standing apart does while the hero is the mover.
enum class Ally {
    kNone,
    kStands,     // stands on the floor
    kHops,       // jumps half a block, again and again
    kFalls,      // dropped from the top of the stage
    kKnockedUp,  // knocked upward by a flier rising from the floor under it
};

// What a row looks at.
enum class See {
    kLandsBy,       // resting on the solid's top (within tol) from frame `value` to `to`
    kMovesWith,     // from `from` to `to` it keeps its x offset to the solid within tol
    kFrames,        // the frames of [from, to] in which `counter` grew: value +- tol
    kRise,          // the most its bottom rose above where it was at frame `from`, up to `to`
    kAirClean,      // no count grows in a frame that starts and ends clear of every support
    kFallsOff,      // from the step after it clears the solid's edge it never rises nor
                    // counts until it lands; it comes to rest with its bottom at value +- tol
    kRemoved,       // removed by frame `to` (value 1) or never (value 0)
    kXSteady,       // x within tol of its x at frame `from`, until the end or its removal
    kBottomSteady,  // its bottom the same way
    kRowSteady,     // the dot row its bottom is drawn on, the same way
    kX,             // x at frame `to`: value +- tol
    kBottom,        // its bottom at frame `to`: value +- tol
    kTouching,      // at frame `to` its side is against the solid's: at most tol dots apart
    kNoCrossing,    // its x order with the solid never changes
    kJumps,         // take-offs in [from, to]: value +- tol
};

// What the flows count, one common variable each.
enum Counter {
    kTouched,       // the mover's flows of touching a block character (trigger 5)
    kOnBlockChara,  // the mover's flows of standing on a block character (trigger 6)
    kRidden,        // the solid's flows of being ridden (trigger 17)
    kRiddenByHero,  // the solid's flows of being ridden by the hero (trigger 16)
    kStanding,      // the mover's flow gated by "standing on a block"
    kCounters
};

// A value that differs by hit level.
struct AtLevel {
    int32_t level;
    double value;
};

struct Check {
    See what;
    double value = 0;
    double tol = 0;
    int from = 0, to = 0;
    Counter counter = kTouched;
    std::vector<AtLevel> byLevel = {};  // when given, the value at the level played
};

struct Row {
    const char* name;
    Mover mover;
    Motion motion;
    Action action;
    std::vector<int32_t> levels;
    int16_t speed;  // the solid's, tenths of a dot a frame (of a degree for circling);
                    // negative: to the left
    int frames;
    std::vector<Check> checks;
    const char* deaths = "";  // the trace lines of which one must be written, '|' apart
    bool invincible = false;  // the hero's definition immunity
    bool fromRight = false;   // kFromSide: the mover comes from the right
    uint8_t flierType = 2;    // 2 stops at blocks, 3 dies at them
    Ally ally = Ally::kNone;  // an ally apart at the hero's right, the hero the mover
};

void PrintTo(const Row& r, std::ostream* os) {
    *os << r.name;
}

// ---- Shorthands for the checks -----------------------------------------------------------

Check LandsBy(int frame, int to, double tol = 1.0) {
    return {See::kLandsBy, double(frame), tol, 0, to};
}
Check MovesWith(int from, int to, double tol = 1.0) {
    return {See::kMovesWith, 0, tol, from, to};
}
Check Frames(Counter c, int from, int to, int frames, int tol = 0) {
    return {See::kFrames, double(frames), double(tol), from, to, c};
}
Check Rise(int from, int to, std::vector<AtLevel> dots, double tol) {
    return {See::kRise, 0, tol, from, to, kTouched, std::move(dots)};
}
Check AirClean() {
    return {See::kAirClean};
}
Check FallsOff(double restBottom) {
    return {See::kFallsOff, restBottom, 2.0};
}
Check Removed(int by) {
    return {See::kRemoved, 1, 0, 0, by};
}
Check Stays() {
    return {See::kRemoved, 0};
}
Check XSteady(int from, double tol) {
    return {See::kXSteady, 0, tol, from};
}
Check BottomSteady(int from, double tol) {
    return {See::kBottomSteady, 0, tol, from};
}
Check RowSteady(int from) {
    return {See::kRowSteady, 0, 0, from};
}
Check XAt(int frame, double x, double tol) {
    return {See::kX, x, tol, 0, frame};
}
Check BottomAt(int frame, double bottom, double tol) {
    return {See::kBottom, bottom, tol, 0, frame};
}
Check Touching(int frame, double tol) {
    return {See::kTouching, 0, tol, 0, frame};
}
Check NoCrossing() {
    return {See::kNoCrossing};
}
Check Jumps(int from, int to, int jumps, int tol) {
    return {See::kJumps, double(jumps), double(tol), from, to};
}

// ---- The stage of a row ------------------------------------------------------------------

// Map dots of block (x, y): the map lies ten blocks in.
constexpr double Dots(int blocks) {
    return (10 + blocks) * 32.0;
}

constexpr uint8_t kSolidGroup = 2;    // the solid's and the knocker's: they never touch
constexpr uint8_t kSupportGroup = 3;  // a block character that only holds the mover up
constexpr uint8_t kLeft = 2, kRight = 3, kUp = 6, kDown = 7;

cFlow CountFlow(int8_t trigger, Counter c) {
    const std::string v = "C" + std::to_string(c + 1);
    return wftest::CodeFlow(trigger, v + " = " + v + " + 1");
}

cFlow CountStanding() {
    cFlow flow = CountFlow(0, kStanding);
    cCond standing;
    standing.m_nKind = 6;        // a state
    standing.m_nLeftStatus = 2;  // standing on a block
    flow.m_vConds = {standing};
    return flow;
}

// Where the solid and the mover start, in blocks (the floor is row 14).
struct Layout {
    int16_t solidX = 8, solidRow = 10, moverX = 8, moverRow = 9;
    int16_t heroX = 1;  // where the hero stands when it is not the mover
};

Layout LayoutOf(const Row& r) {
    Layout l;
    const bool walking = r.motion == Motion::kWalking;
    switch (r.action) {
        case Action::kLandAndRide:
            l.solidRow = walking ? 13 : 10;
            l.moverRow = static_cast<int16_t>(l.solidRow - 3);
            break;
        case Action::kJumpOff:
        case Action::kTouchedJumps:
        case Action::kShotJumps:
            l.solidRow = walking ? 13 : 10;
            l.moverRow = static_cast<int16_t>(l.solidRow - 1);
            break;
        case Action::kWalkOff:
            l.solidRow = 9, l.moverRow = 8;
            break;
        case Action::kOnACrate:
            l.solidRow = walking ? 13 : 10;
            l.moverRow = static_cast<int16_t>(l.solidRow - 2);
            break;
        case Action::kKnockedUp:
            // On the ground the floor under it is what it stands on.
            l.solidRow = r.motion == Motion::kGround ? 14 : walking ? 13 : 12;
            l.moverRow = static_cast<int16_t>(l.solidRow - 1);
            break;
        case Action::kIntoCeiling:
            l.solidRow = 12, l.moverRow = 11;
            break;
        case Action::kIntoWall:
            l.solidRow = 13, l.moverX = 6, l.moverRow = 13;
            break;
        case Action::kIntoEnd: {
            // The hero keeps to its scroll area, whose ends are the map's: it stands on the
            // first or last block of the floor. Every other character keeps to the stage,
            // whose ends lie past the map's border, off the screen: it stands there on a
            // still block character.
            const bool left = r.speed < 0;
            const int16_t border = r.mover == Mover::kHero ? 0 : 10;
            l.solidRow = 13, l.moverRow = 13;
            l.moverX = static_cast<int16_t>(left ? -border : 29 + border);
            l.solidX = static_cast<int16_t>(left ? 2 - border : 27 + border);
            // Not the mover, the hero stands out of the way with that end of the map in view.
            l.heroX = left ? 9 : 20;
            break;
        }
        case Action::kFromSide:
            l.solidRow = r.motion == Motion::kFalling ? 12 : 13;
            l.moverX = r.fromRight ? 12 : 4, l.moverRow = 13;
            break;
        case Action::kUnderFalling:
            l.solidRow = 1, l.moverRow = 13;
            break;
        case Action::kWarpOnto:
        case Action::kWarpOntoByWall:
        case Action::kWarpOntoHead:
            l.solidX = 9, l.solidRow = 13, l.moverX = 6, l.moverRow = 13;
            break;
        case Action::kWarpInto:
            l.solidRow = 13, l.moverX = 5, l.moverRow = 13;
            break;
        case Action::kPlacedOn:
            l.solidX = 6, l.solidRow = 13, l.moverX = 6, l.moverRow = 13;
            break;
    }
    return l;
}

// A wait of a second, a warp by blocks and dots across (and dots down), and a long wait.
cFlow WarpAcross(int16_t blocks, int16_t dots, int16_t down = 0) {
    cFlowCmd warp = Command(kCmdWarp, 0);
    warp.MakeEdMove();
    warp.m_pMove->m_nKind = 5;       // to coordinates
    warp.m_pMove->m_nCoordKind = 0;  // from where it stands
    warp.m_pMove->m_nOffsetXBl = blocks;
    warp.m_pMove->m_nOffsetXDot = dots;
    warp.m_pMove->m_nOffsetYDot = down;
    return Always({Command(kCmdWait, 10), warp, Command(kCmdWait, 1000)});
}

// The solid of the row: a block character of its motion, counting its rides; on the
// ground, map blocks where its body would be.
void PlaceSolid(cStage& stage, const Row& r, const Layout& l) {
    if (r.motion == Motion::kGround) {
        if (l.solidRow < 14) wftest::PlaceBlock(stage, l.solidX, l.solidRow, 1);
        if (r.action == Action::kFromSide)
            wftest::PlaceBlock(stage, l.solidX, static_cast<int16_t>(l.solidRow - 1), 1);
        return;
    }
    cCharaDef& s = wftest::PlaceChara(stage, l.solidX, l.solidRow, 10);
    s.m_bBlockChara = 1;
    s.m_nMapValue = kSolidGroup;
    s.m_nMoveType = r.motion == Motion::kWalking ? 0 : 1;
    const uint8_t across = r.speed < 0 ? kLeft : kRight;
    const auto speed = static_cast<int16_t>(std::abs(r.speed));
    switch (r.motion) {
        case Motion::kWalking:
        case Motion::kGliding:
            s.m_vFlows = {wftest::StraightOn(across, speed)};
            break;
        case Motion::kCircling:
            s.m_vFlows = {
                Always({wftest::CircleTurn(r.action == Action::kFromSide ? 1 : 2, speed)})};
            break;
        case Motion::kRising:
            s.m_vFlows = {wftest::StraightOn(kUp, speed)};
            break;
        case Motion::kFalling:
            s.m_vFlows = {wftest::StraightOn(kDown, speed)};
            break;
        default:
            break;
    }
    if (r.action == Action::kWarpOnto || r.action == Action::kWarpOntoByWall)
        s.m_vFlows = {WarpAcross(-3, 8)};
    if (r.action == Action::kWarpOntoHead) s.m_vFlows = {WarpAcross(-3, 8, -8)};
    s.m_vFlows.push_back(CountFlow(17, kRidden));
    s.m_vFlows.push_back(CountFlow(16, kRiddenByHero));
}

// The mover's script for the action.
std::vector<cFlow> Script(const Row& r) {
    switch (r.action) {
        case Action::kJumpOff:
        case Action::kTouchedJumps:
        case Action::kShotJumps:
            return {Always({Command(kCmdWait, 5), Jump(6)})};
        case Action::kWalkOff:
            return {Always({Command(kCmdWait, 3), StraightMove(kRight, 30, 4), Jump(6),
                            Command(kCmdWait, 1000)})};
        case Action::kFromSide:
            return {wftest::StraightOn(r.fromRight ? kLeft : kRight, 10)};
        case Action::kWarpInto:
            return {WarpAcross(3, -8)};
        default:
            return {};
    }
}

cStage BuildStage(const Row& r, int32_t level) {
    const bool hero = r.mover == Mover::kHero;
    const Layout l = LayoutOf(r);
    // The hero stands apart when it is not the mover.
    cStage stage = wftest::MakeStage(30, 15, hero ? l.moverX : l.heroX, hero ? l.moverRow : 13);
    stage.m_nHitLevel = level;
    // One hit a second at most.
    stage.m_nHitWaitPlayer = stage.m_nHitWaitEnemy = 60;
    PlaceSolid(stage, r, l);

    cCharaDef* def = &stage.m_vCharas[0];
    if (!hero) {
        def = &wftest::PlaceChara(stage, l.moverX, l.moverRow, 10);
        switch (r.mover) {
            case Mover::kAlly:
                def->m_nSide = 0;
                def->m_nMapValue = 0;
                break;
            case Mover::kFlier:
                def->m_nMoveType = r.flierType;
                break;
            case Mover::kCrate:
                def->m_bBlockChara = 1;
                break;
            default:
                break;
        }
    }
    if (r.invincible) def->m_nImmunity = 1;
    def->m_vFlows = Script(r);
    def->m_vFlows.push_back(CountFlow(5, kTouched));
    def->m_vFlows.push_back(CountFlow(6, kOnBlockChara));
    def->m_vFlows.push_back(CountStanding());

    // A flier of the solid's group (it never touches the solid) with impact, rising from
    // under what the one it knocks up stands on, pushing straight up by its body.
    const auto knocker = [&](int16_t x, int16_t row, uint16_t waitTenths = 5) -> cCharaDef& {
        cCharaDef& k = wftest::PlaceChara(stage, x, row, 10);
        k.m_nMoveType = 1;
        k.m_nMapValue = kSolidGroup;
        k.m_nImpact = 10;
        k.m_vFlows = {Always({Command(kCmdWait, waitTenths), StraightMove(kUp, 40, 1000)})};
        return k;
    };
    switch (r.action) {
        case Action::kKnockedUp:
            knocker(l.moverX, std::min<int16_t>(l.solidRow + 1, 14));
            break;
        case Action::kTouchedJumps:
            // Hovering where the mover stands: at rest, neither moves the other.
            knocker(l.moverX, l.moverRow).m_vFlows.clear();
            break;
        case Action::kShotJumps: {
            // Facing left, four blocks to the right of the mover.
            def->m_nImpactResist = 20;
            cFlowCmd shot = wftest::Shot(30, 0, kSolidGroup);
            shot.m_pShot->m_nImpact = 10;
            knocker(static_cast<int16_t>(l.moverX + 4), l.moverRow).m_vFlows = {
                Always({shot, Command(kCmdWait, 10)})};
            break;
        }
        case Action::kIntoCeiling:
            for (int16_t x = 5; x <= 11; ++x) wftest::PlaceBlock(stage, x, 8, 1);
            break;
        case Action::kOnACrate: {
            cCharaDef& crate = wftest::PlaceChara(stage, l.moverX, l.moverRow + 1, 10);
            crate.m_bBlockChara = 1;
            crate.m_nMapValue = kSupportGroup;
            break;
        }
        case Action::kIntoWall:
        case Action::kWarpOntoByWall:
            for (int16_t y = 11; y <= 13; ++y) wftest::PlaceBlock(stage, 5, y, 1);
            break;
        case Action::kIntoEnd:
            if (hero) break;
            {
                // Beyond the map: a still floor under the mover; the characters act wherever
                // they are across the screen, and none is erased for being off it.
                cCharaDef& floor = wftest::PlaceChara(stage, l.moverX, 14, 10);
                floor.m_bBlockChara = 1;
                floor.m_nMapValue = kSupportGroup;
                floor.m_nMoveType = 1;
            }
            for (size_t i = 1; i < stage.m_vCharas.size(); ++i)
                stage.m_vCharas[i].m_nAppearMode = 2;
            for (cStageParam& region : stage.m_aParams) region.Set8(0, 0, 0, 0, 0, 0, 0, 0);
            break;
        default:
            break;
    }
    if (r.ally != Ally::kNone) {
        constexpr int16_t kAllyX = 14;
        const bool falls = r.ally == Ally::kFalls;
        cCharaDef& a = wftest::PlaceChara(stage, kAllyX, falls ? 0 : 13, 10);
        a.m_nSide = 0;
        a.m_nMapValue = 0;
        if (r.ally == Ally::kHops) a.m_vFlows = {Always({Jump(1)})};
        if (r.ally == Ally::kKnockedUp) knocker(kAllyX, 14, 3);  // in the air as the hero jumps
    }
    return stage;
}

// Which of the solid and the mover the stage lists first (the hero is no stage character:
// it always acts between the block characters and the others).
enum class Listed { kSolidFirst, kMoverFirst };

// The stage with the mover's placement listed before the solid's.
cStage MoverFirst(cStage stage) {
    const auto isSolid = [](const cCharaDef& d) {
        return d.m_bBlockChara && d.m_nMapValue == kSolidGroup && d.m_nImpact == 0;
    };
    const auto isMover = [&](const cCharaDef& d) { return !isSolid(d) && d.m_nImpact == 0; };
    auto& list = stage.m_vCharas;
    const auto solid = std::find_if(list.begin() + 1, list.end(), isSolid);
    const auto mover = std::find_if(list.begin() + 1, list.end(), isMover);
    if (solid != list.end() && mover != list.end()) std::iter_swap(solid, mover);
    return stage;
}

// ---- Playing a row -----------------------------------------------------------------------

struct Box {
    double left = 0, top = 0, right = 0, bottom = 0;
};
Box BoxOf(const cChara& c) {
    return {c.m_dX, c.m_dY, c.m_dRight, c.m_dBottom};
}

struct Seen {
    bool present = false;  // the mover, not removed
    Box me;
    double vy = 0;
    bool hasSolid = false;
    Box solid;
    bool grew[kCounters] = {};
};

struct Played {
    std::vector<Seen> frames;  // frame 0: the start
    std::vector<std::string> trace;
};

const cChara* FindById(wftest::StageHarness& h, uint32_t id) {
    if (cPlayer* hero = h.Hero(); hero && hero->m_nId == id) return hero;
    for (const cStageChara& c : h.Run().objects.charas)
        if (c.m_nId == id) return &c;
    return nullptr;
}

Played Play(const Row& r, int32_t level, Listed listed) {
    cStage stage = BuildStage(r, level);
    if (listed == Listed::kMoverFirst) stage = MoverFirst(std::move(stage));
    wftest::StageHarness h(wftest::StoredAndLoaded(stage), wftest::RunKind::kStory);
    std::vector<uint32_t>& vars = g_PlaySession.Variables();
    if (vars.size() < kCounters + 1) vars.resize(kCounters + 1);
    for (size_t i = 1; i <= kCounters; ++i) vars[i] = 0;
    // The solid is the block character of the solid's group; the mover is the hero or the
    // other character placed, not the knocker.
    uint32_t moverId = h.Hero()->m_nId, solidId = 0;
    bool hasSolid = false;
    for (const cStageChara& c : h.Run().objects.charas) {
        if (c.m_Def.m_nImpact != 0 || c.m_nMapValue == kSupportGroup) continue;
        if (c.m_Def.m_bBlockChara && c.m_nMapValue == kSolidGroup) {
            solidId = c.m_nId;
            hasSolid = true;
        } else if (r.mover != Mover::kHero) {
            moverId = c.m_nId;
        }
    }
    Played p;
    const auto see = [&](const uint32_t* before) {
        Seen s;
        if (const cChara* me = FindById(h, moverId); me && !me->m_bRemoved) {
            s.present = true;
            s.me = BoxOf(*me);
            s.vy = me->m_dVY;
        }
        if (const cChara* solid = hasSolid ? FindById(h, solidId) : nullptr;
            solid && !solid->m_bRemoved) {
            s.hasSolid = true;
            s.solid = BoxOf(*solid);
        } else if (r.motion == Motion::kGround) {
            // The map block in its place.
            const Layout l = LayoutOf(r);
            s.hasSolid = true;
            s.solid = {Dots(l.solidX), Dots(l.solidRow), Dots(l.solidX + 1) - 1,
                       Dots(l.solidRow + 1) - 1};
        }
        for (int i = 0; i < kCounters; ++i) s.grew[i] = before && vars[i + 1] != before[i];
        return s;
    };
    p.frames.push_back(see(nullptr));
    for (int f = 1; f <= r.frames; ++f) {
        uint32_t before[kCounters];
        for (int i = 0; i < kCounters; ++i) before[i] = vars[i + 1];
        const PlayFrameEnd end = h.Frame();
        p.frames.push_back(see(before));
        if (end != PlayFrameEnd::kPlaying) break;
    }
    p.trace = h.TraceLines();
    return p;
}

// ---- Judging what was seen ---------------------------------------------------------------

// Resting on the solid: its bottom row right above the solid's top, overlapping it across.
bool OnSolid(const Seen& s, double tol) {
    return s.present && s.hasSolid && std::fabs(s.me.bottom - (s.solid.top - 1.0)) <= tol &&
           s.me.right >= s.solid.left && s.me.left <= s.solid.right;
}

// Clear of every support: more than two dots above the solid's top or beside it, and
// above the floor.
bool InAir(const Seen& s) {
    const bool overSolid = s.hasSolid && s.me.right >= s.solid.left && s.me.left <= s.solid.right &&
                           s.me.bottom > s.solid.top - 3.0;
    return s.present && !overSolid && s.me.bottom < Dots(14) - 3.0;
}

int LastFrame(const Played& p, int to) {
    return to > 0 ? std::min(to, int(p.frames.size()) - 1) : int(p.frames.size()) - 1;
}

std::string Num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

const char* const kCounterNames[kCounters] = {"touched (5)", "on a block character (6)",
                                              "ridden (17)", "ridden by the hero (16)",
                                              "standing on a block"};

// The first counter that grew in frame f, or null.
const char* Grew(const Seen& s) {
    for (int i = 0; i < kCounters; ++i)
        if (s.grew[i]) return kCounterNames[i];
    return nullptr;
}

// What is wrong with what was seen for the check ("": nothing).
std::string Judge(const Check& check, int32_t level, const Played& p) {
    Check c = check;
    for (const AtLevel& v : check.byLevel)
        if (v.level == level) c.value = v.value;
    const auto& fr = p.frames;
    const int last = LastFrame(p, c.to);
    const auto off = [&](double seen) { return std::fabs(seen - c.value) > c.tol; };
    switch (c.what) {
        case See::kLandsBy:
            for (int f = int(c.value); f <= last; ++f)
                if (!OnSolid(fr[f], c.tol))
                    return "not resting on the solid at frame " + std::to_string(f) + ": bottom " +
                           Num(fr[f].me.bottom) + ", the solid's top " + Num(fr[f].solid.top) +
                           ", x " + Num(fr[f].me.left) + " over " + Num(fr[f].solid.left) + ".." +
                           Num(fr[f].solid.right);
            return "";
        case See::kMovesWith: {
            const double offset = fr[c.from].me.left - fr[c.from].solid.left;
            for (int f = c.from; f <= last; ++f)
                if (std::fabs(fr[f].me.left - fr[f].solid.left - offset) > c.tol)
                    return "left behind at frame " + std::to_string(f) + ": " +
                           Num(fr[f].me.left - fr[f].solid.left) + " from the solid's left, " +
                           Num(offset) + " at frame " + std::to_string(c.from);
            return "";
        }
        case See::kFrames: {
            int n = 0;
            for (int f = c.from; f <= last; ++f) n += fr[f].grew[c.counter] ? 1 : 0;
            if (!off(n)) return "";
            return std::string(kCounterNames[c.counter]) + " in " + std::to_string(n) +
                   " frames of " + std::to_string(c.from) + ".." + std::to_string(last) + ", not " +
                   std::to_string(int(c.value));
        }
        case See::kRise: {
            double top = fr[c.from].me.bottom;
            for (int f = c.from; f <= last; ++f)
                if (fr[f].present) top = std::min(top, fr[f].me.bottom);
            const double rise = fr[c.from].me.bottom - top;
            return off(rise) ? "rose " + Num(rise) + " dots, not " + Num(c.value) : "";
        }
        case See::kAirClean:
            for (size_t f = 1; f < fr.size(); ++f)
                if (InAir(fr[f - 1]) && InAir(fr[f]) && Grew(fr[f]))
                    return std::string(Grew(fr[f])) + " in the air at frame " + std::to_string(f) +
                           ", bottom " + Num(fr[f].me.bottom) + ", the solid's top " +
                           Num(fr[f].solid.top);
            return "";
        case See::kFallsOff: {
            size_t clear = 0;
            for (size_t f = 1; f < fr.size() && !clear; ++f)
                if (fr[f].present && fr[f].hasSolid && fr[f].me.left > fr[f].solid.right) clear = f;
            if (!clear) return "never cleared the solid's edge";
            const std::string after = " (cleared the edge at frame " + std::to_string(clear) + ")";
            for (size_t f = clear + 1; f < fr.size(); ++f) {
                if (fr[f].me.bottom < fr[f - 1].me.bottom)
                    return "rose " + Num(fr[f - 1].me.bottom - fr[f].me.bottom) +
                           " in the air at frame " + std::to_string(f) + after;
                if (f >= clear + 2 && Grew(fr[f]))
                    return std::string(Grew(fr[f])) + " in the air at frame " + std::to_string(f) +
                           after;
                if (!off(fr[f].me.bottom)) return "";
            }
            return "never came to rest at " + Num(c.value) + after;
        }
        case See::kRemoved: {
            int gone = 0;
            for (int f = 0; f < int(fr.size()) && !gone; ++f)
                if (!fr[f].present) gone = f;
            if (c.value == 0) return gone ? "removed at frame " + std::to_string(gone) : "";
            if (!gone) return "never removed";
            return gone > c.to ? "removed at frame " + std::to_string(gone) + ", after " +
                                     std::to_string(c.to)
                               : "";
        }
        case See::kXSteady:
        case See::kBottomSteady:
        case See::kRowSteady: {
            const bool x = c.what == See::kXSteady;
            const bool row = c.what == See::kRowSteady;
            const auto at = [&](size_t f) {
                return x ? fr[f].me.left : row ? std::trunc(fr[f].me.bottom) : fr[f].me.bottom;
            };
            for (size_t f = c.from; f < fr.size() && fr[f].present; ++f)
                if (std::fabs(at(f) - at(c.from)) > c.tol)
                    return std::string(x ? "moved to x " : "moved to bottom ") + Num(at(f)) +
                           " at frame " + std::to_string(f) + ", from " + Num(at(c.from));
            return "";
        }
        case See::kX:
            if (!fr[last].present) return "gone at frame " + std::to_string(last);
            return off(fr[last].me.left) ? "x " + Num(fr[last].me.left) + " at frame " +
                                               std::to_string(last) + ", not " + Num(c.value)
                                         : "";
        case See::kBottom:
            if (!fr[last].present) return "gone at frame " + std::to_string(last);
            return off(fr[last].me.bottom) ? "bottom " + Num(fr[last].me.bottom) + " at frame " +
                                                 std::to_string(last) + ", not " + Num(c.value)
                                           : "";
        case See::kTouching: {
            const Seen& s = fr[last];
            if (!s.present || !s.hasSolid) return "gone at frame " + std::to_string(last);
            const double gap = s.me.left < s.solid.left ? s.solid.left - s.me.right - 1.0
                                                        : s.me.left - s.solid.right - 1.0;
            return std::fabs(gap) > c.tol
                       ? "a gap of " + Num(gap) + " to the solid at frame " + std::to_string(last)
                       : "";
        }
        case See::kNoCrossing: {
            const bool leftOf = fr[0].me.left < fr[0].solid.left;
            for (size_t f = 0; f < fr.size(); ++f)
                if (fr[f].present && fr[f].hasSolid && (fr[f].me.left < fr[f].solid.left) != leftOf)
                    return "crossed the solid at frame " + std::to_string(f) + ": x " +
                           Num(fr[f].me.left) + ", the solid's " + Num(fr[f].solid.left);
            return "";
        }
        case See::kJumps: {
            int n = 0;
            for (int f = std::max(c.from, 1); f <= last; ++f)
                n += fr[f].vy < 0.0 && fr[f - 1].vy >= 0.0 ? 1 : 0;
            return off(n)
                       ? std::to_string(n) + " take-offs in frames " + std::to_string(c.from) +
                             ".." + std::to_string(last) + ", not " + std::to_string(int(c.value))
                       : "";
        }
    }
    return "";
}

// Where two plays of a row part: the first frame in which the mover or the solid stands
// elsewhere, one is there and not the other, or a count grows in one only ("": nowhere).
std::string Difference(const Played& a, const Played& b) {
    if (a.frames.size() != b.frames.size())
        return std::to_string(a.frames.size()) + " frames against " +
               std::to_string(b.frames.size());
    const auto same = [](const Box& x, const Box& y) {
        return x.left == y.left && x.top == y.top && x.right == y.right && x.bottom == y.bottom;
    };
    for (size_t f = 0; f < a.frames.size(); ++f) {
        const Seen& x = a.frames[f];
        const Seen& y = b.frames[f];
        const bool counts = std::equal(std::begin(x.grew), std::end(x.grew), std::begin(y.grew));
        if (x.present != y.present || x.hasSolid != y.hasSolid || !same(x.me, y.me) ||
            !same(x.solid, y.solid) || !counts)
            return "frame " + std::to_string(f) + ": mover x " + Num(x.me.left) + " / " +
                   Num(y.me.left) + ", bottom " + Num(x.me.bottom) + " / " + Num(y.me.bottom) +
                   ", solid x " + Num(x.solid.left) + " / " + Num(y.solid.left) +
                   (counts ? "" : ", counts differ");
    }
    return "";
}

void Expect(const Row& r, int32_t level, Listed listed, const Played& p) {
    const char* order = listed == Listed::kSolidFirst ? "solid listed first" : "mover listed first";
    for (const Check& c : r.checks)
        if (const std::string problem = Judge(c, level, p); !problem.empty())
            ADD_FAILURE() << r.name << ", hit level " << level << ", " << order << ": " << problem;
    if (*r.deaths) {
        const std::string accepted = std::string("|") + r.deaths + "|";
        bool found = false;
        for (const std::string& l : p.trace)
            if (l.starts_with("Dead") && accepted.find("|" + l + "|") != std::string::npos)
                found = true;
        if (!found)
            ADD_FAILURE() << r.name << ", hit level " << level << ", " << order
                          << ": no trace line of " << r.deaths;
    }
}

// ---- The table ---------------------------------------------------------------------------

// The rise of the knocked-up mover off map ground, at each level: the rise off a solid.
const std::vector<AtLevel> kKnockRise = {{1, 20.8}, {10, 160.0}, {15, 160.4}};
// The rise of the hero's jump off map ground (at level 1 held to its 6 dots a step).
const std::vector<AtLevel> kJumpRise = {{1, 48.0}, {10, 95.7}, {15, 96.7}};
// The rise of the ally's jump off map ground.
const std::vector<AtLevel> kAllyJumpRise = {{1, 48.0}, {10, 92.15}, {15, 92.14}};
// The deaths of a squeeze.
constexpr const char* kSqueezed = "Dead 6|Dead 9|Dead SP";
constexpr const char* kPressed = "Dead 6|Dead 7|Dead 9|Dead SP";

using enum Mover;
using enum Motion;
using enum Action;

// clang-format off
const Row kRows[] = {
    // The hero.
    {"hero lands on a still platform", kHero, kStill, kLandAndRide, {1, 10, 12, 15}, 0, 120,
     {LandsBy(20, 120), Frames(kStanding, 1, 17, 0), Frames(kOnBlockChara, 1, 17, 0),
      Frames(kStanding, 21, 120, 100), Frames(kOnBlockChara, 21, 120, 100),
      Frames(kTouched, 21, 120, 100), Frames(kRidden, 21, 120, 100),
      Frames(kRiddenByHero, 21, 120, 100)}},
    {"hero rides a circling platform", kHero, kCircling, kLandAndRide, {1, 10, 15}, 20, 240,
     {LandsBy(20, 240), MovesWith(20, 240), Frames(kStanding, 21, 240, 220),
      Frames(kRiddenByHero, 21, 240, 220)}},
    {"hero jumps on map blocks", kHero, kGround, kJumpOff, {1, 10, 15}, 0, 240,
     {Rise(30, 60, kJumpRise, 1), Jumps(1, 240, 4, 0), AirClean()}},
    // Riding before rising: on a rising lift it stands on every frame and jumps as high.
    {"hero rides a rising lift and jumps", kHero, kRising, kJumpOff, {1, 10, 15}, 5, 240,
     {Frames(kStanding, 3, 30, 28), Frames(kRiddenByHero, 3, 30, 28), Rise(30, 60, kJumpRise, 1),
      AirClean()}},
    {"hero walks off a rising lift", kHero, kRising, kWalkOff, {1, 10, 12, 15}, 10, 120,
     {LandsBy(3, 25), FallsOff(767)}},
    {"hero walks off a sinking lift", kHero, kFalling, kWalkOff, {1, 10, 15}, 5, 120,
     {LandsBy(3, 25), FallsOff(767)}},
    {"hero knocked up off the ground", kHero, kGround, kKnockedUp, {1, 10, 15}, 0, 120,
     {Rise(30, 120, kKnockRise, 3), AirClean()}},
    {"hero knocked up off a gliding platform", kHero, kGliding, kKnockedUp, {1, 10, 15}, 2, 120,
     {Rise(30, 120, kKnockRise, 3), AirClean()}},
    {"hero knocked up off a walking block", kHero, kWalking, kKnockedUp, {1, 10, 15}, 2, 120,
     {Rise(30, 120, kKnockRise, 3), AirClean()}},
    {"lift carries the hero into a ceiling", kHero, kRising, kIntoCeiling, {1, 10, 12, 15}, 10, 120,
     {Removed(90), XSteady(0, 2)}, kSqueezed},
    {"lift carries an invincible hero into a ceiling", kHero, kRising, kIntoCeiling,
     {1, 10, 12, 15}, 10, 120, {Stays(), XSteady(0, 2)}, "", true},
    {"block glides the hero into a wall", kHero, kGliding, kIntoWall, {1, 10, 12, 15}, -10, 120,
     {Removed(60)}, kPressed},
    {"hero walks into map blocks", kHero, kGround, kFromSide, {1, 10, 15}, 0, 150,
     {XAt(150, 560.5, 1), NoCrossing()}},
    {"hero walks into a still block", kHero, kStill, kFromSide, {1, 10, 15}, 0, 150,
     {XAt(150, 560.5, 1), NoCrossing(), Stays()}},
    // 60, 30 and 20 dots a step: one step from above the hero to below it, or deeper into
    // it than it is wide.
    {"fast block comes down on the hero", kHero, kFalling, kUnderFalling, {11, 12, 13}, 600, 60,
     {Removed(10), XSteady(0, 0.5), BottomSteady(0, 1)}, "Dead 6"},
    // Spared by the squeeze, it is still met from above: never thrown aside.
    {"block comes down on an invincible hero", kHero, kFalling, kUnderFalling, {1, 10, 15}, 40,
     150, {Stays(), XSteady(0, 0.5)}, "", true},

    // An enemy walker.
    {"enemy jumps on map blocks", kEnemy, kGround, kJumpOff, {1, 10, 15}, 0, 960,
     {Jumps(1, 960, 18, 1), AirClean()}},
    {"enemy jumps on a still block", kEnemy, kStill, kJumpOff, {1, 10, 15}, 0, 960,
     {Jumps(1, 960, 18, 1), AirClean()}},
    {"enemy lands on a gliding platform", kEnemy, kGliding, kLandAndRide, {1, 10, 15}, 5, 150,
     {LandsBy(20, 150), MovesWith(20, 150), Frames(kOnBlockChara, 21, 150, 130),
      Frames(kStanding, 21, 150, 130), Frames(kRidden, 21, 150, 130),
      Frames(kRiddenByHero, 1, 150, 0)}},
    {"enemy knocked up off the ground", kEnemy, kGround, kKnockedUp, {1, 10, 15}, 0, 120,
     {Rise(30, 120, kKnockRise, 3), AirClean()}},
    {"enemy knocked up off a walking block", kEnemy, kWalking, kKnockedUp, {1, 10, 15}, 2, 120,
     {Rise(30, 120, kKnockRise, 3), AirClean()}},
    {"enemy walks off a rising lift", kEnemy, kRising, kWalkOff, {1, 10, 12, 15}, 10, 120,
     {LandsBy(3, 25), FallsOff(767)}},
    {"enemy rides a circling platform", kEnemy, kCircling, kLandAndRide, {1, 10, 15}, 20, 240,
     {LandsBy(25, 240), MovesWith(25, 240), Frames(kRidden, 26, 240, 215),
      Frames(kStanding, 26, 240, 215)}},
    {"lift carries an enemy into a ceiling", kEnemy, kRising, kIntoCeiling, {1, 10, 15}, 10, 120,
     {Removed(90), XSteady(0, 2)}},
    {"block glides an enemy into a wall", kEnemy, kGliding, kIntoWall, {1, 10, 15}, -10, 120,
     {Removed(60)}},
    {"block comes down on an enemy", kEnemy, kFalling, kUnderFalling, {1, 10, 15}, 40, 150,
     {Removed(100), XSteady(0, 0.5), BottomSteady(0, 1)}},
    {"enemy walks into a walking block", kEnemy, kWalking, kFromSide, {1, 10, 15}, -5, 150,
     {NoCrossing(), XAt(150, 485, 1), Touching(150, 1), Stays()}},

    // An ally walker (a stage character of the hero's side).
    {"ally walks off a map ledge", kAlly, kGround, kWalkOff, {1, 10, 15}, 0, 120,
     {LandsBy(3, 25), FallsOff(767)}},
    {"ally walks off a still block", kAlly, kStill, kWalkOff, {1, 10, 15}, 0, 120,
     {LandsBy(3, 25), FallsOff(767)}},
    {"ally jumps on map blocks", kAlly, kGround, kJumpOff, {1, 10, 15}, 0, 960,
     {Jumps(1, 960, 18, 1), Rise(30, 60, kAllyJumpRise, 1)}},
    {"ally jumps on a still block", kAlly, kStill, kJumpOff, {1, 10, 15}, 0, 960,
     {Jumps(1, 960, 18, 1), Rise(30, 60, kAllyJumpRise, 1), AirClean()}},
    {"ally rides a rising lift and jumps", kAlly, kRising, kJumpOff, {1, 10, 15}, 5, 240,
     {Frames(kStanding, 3, 30, 28), Frames(kRidden, 3, 30, 28), Rise(30, 60, kAllyJumpRise, 1),
      AirClean()}},
    {"ally lands on a walking block", kAlly, kWalking, kLandAndRide, {1, 10, 15}, 5, 150,
     {LandsBy(20, 150), MovesWith(20, 150), Frames(kOnBlockChara, 21, 150, 130),
      Frames(kStanding, 21, 150, 130), Frames(kRidden, 21, 150, 130)}},
    {"ally knocked up off the ground", kAlly, kGround, kKnockedUp, {1, 10, 15}, 0, 120,
     {Rise(30, 120, kKnockRise, 3), AirClean()}},
    {"ally knocked up off a gliding platform", kAlly, kGliding, kKnockedUp, {1, 10, 15}, 2, 120,
     {Rise(30, 120, kKnockRise, 3), AirClean()}},
    {"ally rides a sinking lift", kAlly, kFalling, kLandAndRide, {1, 10, 15}, 3, 150,
     {LandsBy(21, 150), MovesWith(21, 150), Frames(kStanding, 22, 150, 129),
      Frames(kRidden, 22, 150, 129)}},
    {"ally rides a circling platform", kAlly, kCircling, kLandAndRide, {1, 10, 15}, 20, 240,
     {LandsBy(20, 240), MovesWith(20, 240), Frames(kStanding, 21, 240, 220),
      Frames(kRidden, 21, 240, 220)}},

    // A flier that stops at blocks: where it flies into a block character it stops as at a
    // map block in the same place; a block character moving into it pushes it out of its
    // way (up over one gliding left, aside from one rising).
    {"flier stops at map blocks", kFlier, kGround, kFromSide, {1, 10, 12, 15}, 0, 150,
     {XAt(150, 560.5, 1)}},
    {"flier stops at a still block", kFlier, kStill, kFromSide, {1, 10, 12, 15}, 0, 150,
     {XAt(150, 560.5, 1), NoCrossing(), Stays()}},
    {"flier stops at map blocks from the right", kFlier, kGround, kFromSide, {1, 10, 15}, 0, 150,
     {XAt(150, 608.5, 1)}, "", false, true},
    {"flier stops at a still block from the right", kFlier, kStill, kFromSide, {1, 10, 15}, 0,
     150, {XAt(150, 608.5, 1), NoCrossing(), Stays()}, "", false, true},
    {"flier that dies at blocks meets a still block", kFlier, kStill, kFromSide, {1, 10, 15}, 0,
     150, {Removed(110)}, "", false, false, 3},
    {"flier meets a walking block", kFlier, kWalking, kFromSide, {1, 10, 15}, -5, 200,
     {NoCrossing(), XAt(200, 460.5, 1), Touching(200, 1)}},
    {"flier meets a sinking block", kFlier, kFalling, kFromSide, {1, 10, 15}, 2, 240,
     {NoCrossing(), XAt(240, 560.5, 1)}},
    {"flier that dies at blocks meets a circling block", kFlier, kCircling, kFromSide,
     {1, 10, 15}, 30, 200, {Removed(130)}, "", false, false, 3},
    {"block glides into a flier by a wall", kFlier, kGliding, kIntoWall, {1, 10, 15}, -10, 120,
     {Stays(), XAt(120, 520.5, 1), BottomAt(120, 735, 1)}},
    {"lift rises under a flier", kFlier, kRising, kIntoCeiling, {1, 10, 15}, 10, 120,
     {Stays(), XAt(120, 560.5, 1), BottomAt(120, 695, 1)}},

    // A block character under gravity.
    {"crate lands on a gliding platform", kCrate, kGliding, kLandAndRide, {1, 10, 12, 15}, 5,
     150, {LandsBy(20, 150), MovesWith(20, 150), Frames(kOnBlockChara, 21, 150, 130),
           Frames(kStanding, 21, 150, 130), Frames(kRidden, 21, 150, 130)}},
    {"crate lands on a still platform", kCrate, kStill, kLandAndRide, {1, 10, 15}, 0, 120,
     {LandsBy(20, 120), Frames(kStanding, 21, 120, 100), Frames(kRidden, 21, 120, 100)}},
    {"crate rides a walking block", kCrate, kWalking, kLandAndRide, {1, 10, 15}, 5, 150,
     {LandsBy(20, 150), MovesWith(20, 150), Frames(kStanding, 21, 150, 130),
      Frames(kRidden, 21, 150, 130)}},
    {"crate rides a circling platform", kCrate, kCircling, kLandAndRide, {1, 10, 15}, 20, 240,
     {LandsBy(20, 240), MovesWith(20, 240), Frames(kRidden, 21, 240, 220)}},
    {"crate jumps on a still block", kCrate, kStill, kJumpOff, {1, 10, 15}, 0, 960,
     {Jumps(1, 960, 18, 1), AirClean()}},
    // Two block characters pressing on each other: each is put clear of the other by the
    // side contacts, so the pair shifts as those settle it, but never crosses.
    {"crate walks into a walking block", kCrate, kWalking, kFromSide, {1, 10, 15}, -5, 150,
     {NoCrossing(), Touching(150, 2)}},
    {"crate walks off a rising lift", kCrate, kRising, kWalkOff, {1, 10, 15}, 10, 120,
     {LandsBy(3, 25), FallsOff(767)}},
    {"lift carries a crate into a ceiling", kCrate, kRising, kIntoCeiling, {1, 10, 15}, 10, 120,
     {Removed(80), XSteady(0, 2)}},
    {"block glides a crate into a wall", kCrate, kGliding, kIntoWall, {1, 10, 15}, -10, 120,
     {Removed(60)}},
    {"block comes down on a crate", kCrate, kFalling, kUnderFalling, {1, 10, 15}, 40, 150,
     {Removed(100), XSteady(0, 0.5)}},

    // Meetings whose result no list order changes (every row above is played in both
    // orders too), sides held by the map at every speed, and solids that warp.
    // Two walking block characters of one speed meet halfway and stop at each other, as
    // each would at a wall: neither drives the other back.
    {"two equal walkers meet", kCrate, kWalking, kFromSide, {1, 10, 15}, -10, 150,
     {NoCrossing(), XAt(150, 496.6, 0.5), Touching(150, 1.5), XSteady(80, 0.5), Stays()}},
    // A walker stops at a crate standing by a wall as at the wall itself: it does not press
    // the crate into it.
    {"walker walks into a crate by a wall", kCrate, kWalking, kIntoWall, {1, 10, 15}, -10, 150,
     {Stays(), XSteady(0, 0.5), Touching(150, 1.5), NoCrossing()}},
    // Listed before or after its solid, a crate is crushed all the same at every level.
    {"block comes down on a crate at levels 11 to 13", kCrate, kFalling, kUnderFalling,
     {11, 12, 13}, 40, 150, {Removed(100), XSteady(0, 0.5)}},
    {"lift carries a crate into a ceiling at levels 11 to 13", kCrate, kRising, kIntoCeiling,
     {11, 12, 13}, 10, 120, {Removed(80), XSteady(0, 2)}},
    // A block gliding so fast that it passes the hero's width in a step: the wall still
    // holds the hero, which is pressed against it.
    {"fast block glides the hero into a wall", kHero, kGliding, kIntoWall, {11, 12, 13, 19},
     -450, 60, {Removed(10), NoCrossing()}, kPressed},
    {"fast block glides an enemy into a wall", kEnemy, kGliding, kIntoWall, {11, 12, 13, 19},
     -450, 60, {Removed(10), NoCrossing()}},
    // A solid warped onto a character standing in the open (over its whole width, its middle
    // to the right of the character's) puts it out on the left, against the solid's left
    // edge; with a wall there, the character is pressed between the two.
    {"block warps onto the hero", kHero, kStill, kWarpOnto, {1, 10, 15}, 0, 120,
     {Stays(), XAt(120, 504, 0.5), Touching(120, 1), XSteady(70, 0.5)}},
    {"block warps onto an enemy", kEnemy, kStill, kWarpOnto, {1, 10, 15}, 0, 120,
     {Stays(), XAt(120, 504, 0.5), Touching(120, 1), XSteady(70, 0.5)}},
    {"block warps onto the hero by a wall", kHero, kStill, kWarpOntoByWall, {1, 10, 15}, 0, 120,
     {Removed(80)}, kPressed},
    // Over the upper two thirds of the hero, less deep than across: it presses the hero
    // down on the ground.
    {"block warps onto the hero's head", kHero, kStill, kWarpOntoHead, {1, 10, 15}, 0, 120,
     {Removed(80), XSteady(0, 0.5)}, kSqueezed},
    // Placed on the same block, their middles at one place: a standing character goes out
    // on the left, its right edge a dot and a half left of the solid's left edge.
    {"block placed on the hero", kHero, kStill, kPlacedOn, {1, 10, 15}, 0, 60,
     {Stays(), XAt(60, Dots(6) + 0.5 - 16.5, 0.5), Touching(60, 1), XSteady(1, 0.5)}},
    {"block placed on an enemy", kEnemy, kStill, kPlacedOn, {1, 10, 15}, 0, 60,
     {Stays(), XAt(60, Dots(6) + 0.5 - 16.5, 0.5), Touching(60, 1), XSteady(1, 0.5)}},
    // A character never warps into a block character: it stays where it was (its body, 16
    // dots wide, in the middle of its block).
    {"enemy warps into a block", kEnemy, kStill, kWarpInto, {1, 10, 15}, 0, 120,
     {Stays(), XAt(120, Dots(5) + 8.5, 0.5), XSteady(0, 0.5)}},

    // The ends of the stage hold as walls: a block gliding along the floor presses the
    // mover against the end and crushes it as against the wall above; spared, the hero is
    // held at the end while the block passes through it.
    {"block glides the hero into the left end", kHero, kGliding, kIntoEnd, {1, 10, 12, 15}, -10,
     120, {Removed(60), NoCrossing()}, kPressed},
    {"block glides the hero into the right end", kHero, kGliding, kIntoEnd, {1, 10, 12, 15}, 10,
     120, {Removed(60), NoCrossing()}, kPressed},
    {"block glides an invincible hero into the left end", kHero, kGliding, kIntoEnd,
     {1, 10, 15}, -10, 150, {Stays(), XSteady(52, 0)}, "", true},
    {"block glides an invincible hero into the right end", kHero, kGliding, kIntoEnd,
     {1, 10, 15}, 10, 150, {Stays(), XSteady(52, 0)}, "", true},
    {"block glides an enemy into the left end", kEnemy, kGliding, kIntoEnd, {1, 10, 15}, -10,
     120, {Removed(60), NoCrossing()}},
    {"block glides an enemy into the right end", kEnemy, kGliding, kIntoEnd, {1, 10, 15}, 10,
     120, {Removed(60), NoCrossing()}},
    {"block glides a crate into the left end", kCrate, kGliding, kIntoEnd, {1, 10, 15}, -10,
     120, {Removed(60), NoCrossing()}},
    {"block glides a crate into the right end", kCrate, kGliding, kIntoEnd, {1, 10, 15}, 10,
     120, {Removed(60), NoCrossing()}},

    // A landing on a block character is a landing: touched or shot while it stands there
    // (which moves it nowhere), a character jumps on its next command as on map ground.
    {"enemy touched on map blocks jumps", kEnemy, kGround, kTouchedJumps, {1, 10, 15}, 0, 960,
     {Jumps(1, 960, 18, 1)}},
    {"enemy touched on a still block jumps", kEnemy, kStill, kTouchedJumps, {1, 10, 15}, 0, 960,
     {Jumps(1, 960, 18, 1)}},
    {"enemy touched on a standing walking block jumps", kEnemy, kWalking, kTouchedJumps,
     {1, 10, 15}, 0, 960, {Jumps(1, 960, 18, 1)}},
    {"enemy shot on map blocks jumps", kEnemy, kGround, kShotJumps, {1, 10, 15}, 0, 960,
     {Jumps(1, 960, 18, 1)}},
    {"enemy shot on a still block jumps", kEnemy, kStill, kShotJumps, {1, 10, 15}, 0, 960,
     {Jumps(1, 960, 18, 1)}},
    {"ally touched on map blocks jumps", kAlly, kGround, kTouchedJumps, {1, 10, 15}, 0, 960,
     {Jumps(1, 960, 18, 1)}},
    {"ally touched on a still block jumps", kAlly, kStill, kTouchedJumps, {1, 10, 15}, 0, 960,
     {Jumps(1, 960, 18, 1)}},
    {"ally touched on a standing walking block jumps", kAlly, kWalking, kTouchedJumps,
     {1, 10, 15}, 0, 960, {Jumps(1, 960, 18, 1)}},

    // The hero's own air spends its jump, an ally's never does: whatever the ally does, the
    // hero takes off as in "hero jumps on map blocks", first by frame 31, four times in all.
    {"hero jumps while an ally stands", kHero, kGround, kJumpOff, {1, 10, 15}, 0, 240,
     {Jumps(1, 31, 1, 0), Jumps(1, 240, 4, 0)}, "", false, false, 2, Ally::kStands},
    {"hero jumps while an ally hops", kHero, kGround, kJumpOff, {1, 10, 15}, 0, 240,
     {Jumps(1, 31, 1, 0), Jumps(1, 240, 4, 0)}, "", false, false, 2, Ally::kHops},
    {"hero jumps while an ally falls", kHero, kGround, kJumpOff, {1, 10, 15}, 0, 240,
     {Jumps(1, 31, 1, 0), Jumps(1, 240, 4, 0)}, "", false, false, 2, Ally::kFalls},
    {"hero jumps while an ally is knocked up", kHero, kGround, kJumpOff, {1, 10, 15}, 0, 240,
     {Jumps(1, 31, 1, 0), Jumps(1, 240, 4, 0)}, "", false, false, 2, Ally::kKnockedUp},

    // A rider at rest keeps its height, drawn on the same dot row as on map ground.
    {"hero rests on map blocks", kHero, kGround, kLandAndRide, {1, 10, 15}, 0, 240,
     {RowSteady(30)}},
    {"hero rests on a standing walking block", kHero, kWalking, kLandAndRide, {1, 10, 15}, 0,
     240, {LandsBy(20, 240), RowSteady(30)}},
    {"hero rests on a still platform", kHero, kStill, kLandAndRide, {1, 10, 15}, 0, 240,
     {LandsBy(20, 240), RowSteady(30)}},
    {"hero rests on a gliding platform", kHero, kGliding, kLandAndRide, {1, 10, 15}, 5, 240,
     {LandsBy(20, 240), RowSteady(30)}},
    {"enemy rests on a standing walking block", kEnemy, kWalking, kLandAndRide, {1, 10, 15}, 0,
     240, {LandsBy(20, 240), RowSteady(30)}},
    {"ally rests on a standing walking block", kAlly, kWalking, kLandAndRide, {1, 10, 15}, 0,
     240, {LandsBy(20, 240), RowSteady(30)}},
    {"crate rests on a standing walking block", kCrate, kWalking, kLandAndRide, {1, 10, 15}, 0,
     240, {LandsBy(20, 240), RowSteady(30)}},

    // A crate on a crate: the lower one settles onto the solid as the upper one comes down
    // on it, and the upper one lands on it rather than sinking into it (both then crushed).
    {"crate on a crate on a still block", kCrate, kStill, kOnACrate, {1, 10, 15}, 0, 120,
     {Stays(), BottomSteady(10, 1)}},
    {"crate on a crate on a standing walking block", kCrate, kWalking, kOnACrate, {1, 10, 15}, 0,
     120, {Stays(), BottomSteady(10, 1)}},
    {"crate on a crate on a walking block", kCrate, kWalking, kOnACrate, {1, 10, 15}, 5, 120,
     {Stays(), BottomSteady(10, 1), MovesWith(10, 120, 1)}},
};
// clang-format on

class SolidPairs : public ::testing::TestWithParam<Row> {};

TEST_P(SolidPairs, PlaysAsTheRowSays) {
    const Row& r = GetParam();
    // A pair of stage characters is played in both list orders: a row of two block
    // characters so has the faster one listed first and second.
    const bool twoCharas = r.mover != Mover::kHero && r.motion != Motion::kGround;
    for (int32_t level : r.levels) {
        const Played solidFirst = Play(r, level, Listed::kSolidFirst);
        Expect(r, level, Listed::kSolidFirst, solidFirst);
        if (!twoCharas) continue;
        const Played moverFirst = Play(r, level, Listed::kMoverFirst);
        Expect(r, level, Listed::kMoverFirst, moverFirst);
        // And the two orders play alike, frame by frame.
        if (const std::string d = Difference(solidFirst, moverFirst); !d.empty())
            ADD_FAILURE() << r.name << ", hit level " << level << ": the orders differ, " << d;
    }
}

// The row's name as a test name: its words joined.
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    std::string name;
    bool upper = true;
    for (const char* c = info.param.name; *c; ++c) {
        if (*c == ' ') {
            upper = true;
        } else if (std::isalnum(static_cast<unsigned char>(*c))) {
            name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c;
            upper = false;
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryMoverAndSolid, SolidPairs, ::testing::ValuesIn(kRows), RowName);

}  // namespace
