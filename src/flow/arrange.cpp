// Arrange records and the arrange command.
#include "flow/arrange.h"

#include <array>
#include <limits>
#include <type_traits>

#include "core/bounds.h"
#include "data/cmd_types.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/param_desc.h"
#include "data/save_data.h"
#include "flow/cmd_families.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "flow/status_ops.h"
#include "objects/chara.h"
#include "objects/play_context.h"

namespace {

constexpr ParamSite M(int16_t field) {
    return {ParamHome::Move, field, 0};
}
constexpr ParamSite S(int16_t field, int8_t element = 0) {
    return {ParamHome::Shot, field, element};
}
constexpr ParamSite P(int16_t index) {
    return {ParamHome::Param, index, 0};
}

// Where each description of a type lives. Types 11 to 15 follow the shot part's own
// numbering of their descriptions; the others are read from the description names and
// the parameters of each command, one reason per row.
std::array<std::vector<ParamSite>, kFlowCmdTypeCount> BuildSites() {
    std::array<std::vector<ParamSite>, kFlowCmdTypeCount> s;
    // Target X/Y in blocks and dots are the target offsets 8/10 and 9/11 of the movement
    // part; the angle and its change per level are fields 3 and 4.
    s[kCmdStraightMove] = {M(8), M(10), M(9), M(11), M(3), M(4)};
    // The charge move reads the same fields as the straight move.
    s[kCmdChargeMove] = s[kCmdStraightMove];
    // The homing value and its change per level are fields 27 and 28; then the offsets.
    s[kCmdHomingMove] = {M(27), M(28), M(8), M(10), M(9), M(11)};
    s[kCmdShot] = {S(20),    S(21),    S(3, 0), S(3, 1), S(3, 2), S(1),  S(13), S(8),
                   S(9),     S(11),    S(14),   S(15),   S(16),   S(17), S(24), S(29, 0),
                   S(29, 1), S(29, 2), S(32),   S(33),   S(35),   S(36), S(37), S(39),
                   S(42),    S(43),    S(48),   S(49),   S(51)};
    s[kCmdSword] = {S(24), S(21), S(49), S(51)};
    s[kCmdSummonBlock] = {S(3, 0), S(3, 1), S(3, 2), S(1), S(14), S(16)};
    s[kCmdSummonChara] = {S(37), S(24), S(3, 0), S(3, 1), S(3, 2), S(1), S(14), S(16)};
    s[kCmdSummonItem] = {S(37), S(3, 0), S(3, 1), S(3, 2), S(1), S(14), S(16)};
    // The stage number is parameter 1, the start block parameters 3 and 4, and the two
    // carried values 6 and 7 are the world-map place after the clear.
    s[kCmdStageClear] = {P(1), P(3), P(4), P(6), P(7)};
    // The message id is parameter 13; block X/Y and the offsets are parameters 1 to 4.
    s[kCmdMessage] = {P(13), P(1), P(2), P(3), P(4)};
    // The warp's distance and its change per level are fields 24 and 25; the target in
    // blocks fields 8 and 9, its offsets in dots fields 10 and 11.
    s[kCmdWarp] = {M(24), M(25), M(8), M(9), M(10), M(11)};
    // Target group, character id and the variable's comparison value: parameters 2, 10, 13.
    s[kCmdSetTarget] = {P(2), P(10), P(13)};
    // The random bounds of the operand: parameters 8 and 9.
    s[kCmdStatusOp] = {P(8), P(9)};
    // The vanish group: parameter 1.
    s[kCmdVanish] = {P(1)};
    // The graphic number is parameter 1; the offset is the third graphic value, parameter 2.
    s[kCmdChangeGraphic] = {P(1), P(2)};
    // Block X/Y, the offsets and the scale: parameters 2 to 6.
    s[kCmdRunEffect] = {P(2), P(3), P(4), P(5), P(6)};
    // Picture id 13, block X/Y and the offsets 2 to 5, the scale 7.
    s[kCmdShowPicture] = {P(13), P(2), P(3), P(4), P(5), P(7)};
    // Red, green, blue and strength are parameters 0 to 3.
    s[kCmdScreenColor] = {P(0), P(1), P(2), P(3)};
    // The background number: parameter 0.
    s[kCmdChangeBackground] = {P(0)};
    return s;
}

const std::array<std::vector<ParamSite>, kFlowCmdTypeCount>& Sites() {
    static const std::array<std::vector<ParamSite>, kFlowCmdTypeCount> sites = BuildSites();
    return sites;
}

// A field of a part by its registration number: its address and width.
struct FieldRef {
    void* p = nullptr;
    enum class Kind { U8, I8, I16, I32 } kind = Kind::I32;
};

FieldRef MoveField(cEdMove& m, int field) {
    using K = FieldRef::Kind;
    switch (field) {
        case 3:
            return {&m.m_nAngle, K::I16};
        case 4:
            return {&m.m_nAngleLv, K::I16};
        case 8:
            return {&m.m_nOffsetXBl, K::I16};
        case 9:
            return {&m.m_nOffsetYBl, K::I16};
        case 10:
            return {&m.m_nOffsetXDot, K::I16};
        case 11:
            return {&m.m_nOffsetYDot, K::I16};
        case 24:
            return {&m.m_nDistance, K::I16};
        case 25:
            return {&m.m_nDistanceLv, K::I16};
        case 27:
            return {&m.m_nRadius, K::I16};
        case 28:
            return {&m.m_nRadiusLv, K::I16};
        default:
            return {};
    }
}

FieldRef ShotField(cEdShot& s, int field, int element) {
    using K = FieldRef::Kind;
    const size_t e = static_cast<size_t>(element) % 3;
    switch (field) {
        case 1:
            return {&s.m_nCount, K::U8};
        case 3:
            return {&s.m_anPattern[e], K::I16};
        case 8:
            return {&s.m_nAngle, K::I16};
        case 9:
            return {&s.m_nAngleStep, K::I16};
        case 11:
            return {&s.m_nSpread, K::I16};
        case 13:
            return {&s.m_nClones, K::U8};
        case 14:
            return {&s.m_nOffsetX, K::I16};
        case 15:
            return {&s.m_nOffsetXStep, K::I16};
        case 16:
            return {&s.m_nOffsetY, K::I16};
        case 17:
            return {&s.m_nOffsetYStep, K::I16};
        case 20:
            return {&s.m_nGraphic, K::I16};
        case 21:
            return {&s.m_nDepth, K::U8};
        case 24:
            return {&s.m_nSide, K::U8};
        case 29:
            return {&s.m_anMove[e], K::I16};
        case 32:
            return {&s.m_nSpeed, K::I16};
        case 33:
            return {&s.m_nSpeedStep, K::I16};
        case 35:
            return {&s.m_nAccel, K::I16};
        case 36:
            return {&s.m_nAccelStep, K::I16};
        case 37:
            return {&s.m_nDistance, K::I16};
        case 39:
            return {&s.m_nDistanceStep, K::I16};
        case 42:
            return {&s.m_nLife, K::I16};
        case 43:
            return {&s.m_nLifeStep, K::I16};
        case 48:
            return {&s.m_nVanish, K::U8};
        case 49:
            return {&s.m_nPower, K::I32};
        case 51:
            return {&s.m_nImpact, K::I8};
        default:
            return {};
    }
}

// The field behind description k of the command, or none.
FieldRef Locate(const cFlowCmd& cmd, int k) {
    const std::vector<ParamSite>& sites = ParamSites(FullCmdType(cmd.m_nCategory, cmd.m_nType));
    if (k < 0 || static_cast<size_t>(k) >= sites.size()) return {};
    const ParamSite& site = sites[static_cast<size_t>(k)];
    // The parts are the command's own; reading goes through the same address as writing.
    cFlowCmd& c = const_cast<cFlowCmd&>(cmd);
    switch (site.home) {
        case ParamHome::Move:
            return c.m_pMove ? MoveField(*c.m_pMove, site.field) : FieldRef{};
        case ParamHome::Shot:
            return c.m_pShot ? ShotField(*c.m_pShot, site.field, site.element) : FieldRef{};
        case ParamHome::Param:
            if (static_cast<size_t>(site.field) >= c.m_vParams.size()) return {};
            return {&c.m_vParams[static_cast<size_t>(site.field)], FieldRef::Kind::I32};
    }
    return {};
}

// Calls fn with the field's typed address.
template <class F>
void Visit(const FieldRef& f, F fn) {
    switch (f.kind) {
        case FieldRef::Kind::U8:
            fn(static_cast<uint8_t*>(f.p));
            break;
        case FieldRef::Kind::I8:
            fn(static_cast<int8_t*>(f.p));
            break;
        case FieldRef::Kind::I16:
            fn(static_cast<int16_t*>(f.p));
            break;
        case FieldRef::Kind::I32:
            fn(static_cast<int32_t*>(f.p));
            break;
    }
}

// The operand of a record: 0 common, 1 stage variables (from index 1), 2 the character's
// own variables; any other source gives 0. False when the index lies outside its table.
bool RecordOperand(const cChara& chara, int32_t source, int32_t index, int64_t& operand) {
    switch (source) {
        case 0: {
            const std::vector<uint32_t>& vars = g_PlaySession.m_vVariables;
            if (index < 1 || static_cast<size_t>(index) >= vars.size()) return false;
            operand = static_cast<int32_t>(vars[static_cast<size_t>(index)]);
            return true;
        }
        case 1: {
            const std::vector<int32_t>& vars = Scene().StageVars();
            if (index < 1 || static_cast<size_t>(index) >= vars.size()) return false;
            operand = vars[static_cast<size_t>(index)];
            return true;
        }
        case 2:
            if (index < 0 || static_cast<size_t>(index) >= chara.m_vVars.size()) return false;
            operand = chara.m_vVars[static_cast<size_t>(index)];
            return true;
        default:
            operand = 0;
            return true;
    }
}

// Type 38: the record goes to the hero for an item's command, to the flow that runs it
// otherwise.
int CmdArrange(CmdContext& ctx) {
    ArrangeRecord record(5);
    for (size_t i = 0; i < record.size(); ++i) record[i] = CmdParam(ctx.cmd, i);
    ArrangeList* list = nullptr;
    if (ctx.flow)
        list = &ctx.flow->m_lArrange;
    else if (cChara* hero = Play().Hero())
        list = hero->GetArrangeList();
    if (list) list->push_back(std::move(record));
    return 0;
}

}  // namespace

const std::vector<ParamSite>& ParamSites(int fullType) {
    static const std::vector<ParamSite> none;
    if (fullType < 0 || fullType >= kFlowCmdTypeCount) return none;
    return Sites()[static_cast<size_t>(fullType)];
}

bool GetCmdParamField(const cFlowCmd& cmd, int k, int32_t& value) {
    const FieldRef f = Locate(cmd, k);
    if (!f.p) return false;
    Visit(f, [&](auto* p) { value = *p; });
    return true;
}

bool SetCmdParamField(cFlowCmd& cmd, int k, int32_t value) {
    const FieldRef f = Locate(cmd, k);
    if (!f.p) return false;
    Visit(f, [&](auto* p) { *p = static_cast<std::remove_pointer_t<decltype(p)>>(value); });
    return true;
}

bool CmdParamFieldBounds(const cFlowCmd& cmd, int k, int64_t& lo, int64_t& hi) {
    const FieldRef f = Locate(cmd, k);
    if (!f.p) return false;
    Visit(f, [&](auto* p) {
        using T = std::remove_pointer_t<decltype(p)>;
        lo = std::numeric_limits<T>::min();
        hi = std::numeric_limits<T>::max();
    });
    return true;
}

void ApplyArrangeRecord(cChara& chara, const ArrangeRecord& record, cFlowCmd& cmd) {
    if (record.size() < 5) return;
    const int type = FullCmdType(cmd.m_nCategory, cmd.m_nType);
    if (type != record[0] || type < 0 || type >= kFlowCmdTypeCount) return;
    const int k = record[1];
    const std::vector<cParamRange>& desc = V(g_ParamDesc, type);
    // A type without descriptions, or a field past them, has nothing to change.
    if (k < 0 || static_cast<size_t>(k) >= desc.size()) return;
    int32_t value = 0;
    int64_t fieldLo = 0, fieldHi = 0;
    if (!GetCmdParamField(cmd, k, value) || !CmdParamFieldBounds(cmd, k, fieldLo, fieldHi)) return;
    int64_t operand = 0;
    if (!RecordOperand(chara, record[3], record[4], operand)) return;
    // The description's range, inside what the field can hold: the formation- and
    // movement-specific values allow up to 2147483647 but live in 16 bits.
    const cParamRange& range = desc[static_cast<size_t>(k)];
    const int64_t lo = std::max<int64_t>(range.minimum, fieldLo);
    const int64_t hi = std::min<int64_t>(range.maximum, fieldHi);
    ApplyStatusOp(value, operand, record[2], lo, hi);
    SetCmdParamField(cmd, k, value);
}

void ApplyArrangeList(cChara& chara, const ArrangeList& records, cFlowCmd& cmd) {
    for (const ArrangeRecord& record : records) ApplyArrangeRecord(chara, record, cmd);
}

void RegisterArrangeCommand() {
    SetCmdHandler(kCmdArrange, CmdArrange);
}
