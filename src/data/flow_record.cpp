// Flows, commands and their movement and shot parts as stored.
#include "data/flow_record.h"

#include <algorithm>
#include <boost/checked_delete.hpp>
#include <utility>

#include "data/cmd_types.h"
#include "platform/diag.h"

namespace {

const FlowRefDatabase* g_pFlowRefDatabase = nullptr;
KeepTestFlowsQuery g_keepTestFlowsQuery = nullptr;

// Flows being loaded on this thread, outermost first.
thread_local int g_flowLoadDepth = 0;

class FlowDepthGuard {
  public:
    FlowDepthGuard() { ++g_flowLoadDepth; }
    ~FlowDepthGuard() { --g_flowLoadDepth; }
    FlowDepthGuard(const FlowDepthGuard&) = delete;
    FlowDepthGuard& operator=(const FlowDepthGuard&) = delete;
    bool TooDeep() const { return g_flowLoadDepth > kMaxFlowNesting; }
};

template <class T>
boost::shared_ptr<T> NewPart() {
    return boost::shared_ptr<T>(new T(), boost::checked_deleter<T>());
}

template <class T>
boost::shared_ptr<T> CopyPart(const boost::shared_ptr<T>& part) {
    if (!part) return boost::shared_ptr<T>();
    return boost::shared_ptr<T>(new T(*part), boost::checked_deleter<T>());
}

// One presence flag before an optional part. The file may end right there (the part and
// everything after it are then absent), as it may before any count word.
ReadStatus ReadPartFlag(ByteReader& in, uint32_t& flag) {
    if (in.Remaining() == 0) return ReadStatus::AtEnd;
    if (!in.Read(flag)) {
        in.NoteDamage("part flag", sizeof flag);
        return ReadStatus::Damaged;
    }
    return ReadStatus::Ok;
}

double MirroredOffset(int16_t base, int16_t step, uint8_t mirror, int index, int facing) {
    const double offset = static_cast<double>(step * index + base);
    return facing == 1 && mirror ? -offset : offset;
}

}  // namespace

void SetFlowRefDatabase(const FlowRefDatabase* database) {
    g_pFlowRefDatabase = database;
}
const FlowRefDatabase* GetFlowRefDatabase() {
    return g_pFlowRefDatabase;
}

void SetKeepTestFlowsQuery(KeepTestFlowsQuery query) {
    g_keepTestFlowsQuery = query;
}
bool KeepTestFlows() {
    return g_keepTestFlowsQuery && g_keepTestFlowsQuery();
}

// ---- cEdMove -------------------------------------------------------------------------

cEdMove::cEdMove() {
    Clear();
    m_bMirrorAngle = 1;
    m_bTargetX = 1;
    m_bTargetY = 1;
    m_bStopOnArrival = 1;
    m_bMirrorX = 1;
    m_bMirrorOnTurn = 1;
    m_nSpeed = 10;
    m_fBrake = 1.0;
}

void cEdMove::RegisterFields(uint32_t version) {
    Reg(m_nKind);
    Reg(m_nDir);
    Reg(m_nAngle);
    Reg(m_nAngleLv);
    if (version >= 158) Reg(m_bMirrorAngle);
    Reg(m_bTargetX);
    Reg(m_bTargetY);
    Reg(m_nOffsetXBl);
    Reg(m_nOffsetYBl);
    Reg(m_nOffsetXDot);
    Reg(m_nOffsetYDot);
    Reg(m_nCoordKind);
    Reg(m_bStopOnArrival);
    Reg(m_bNoMoveX);
    Reg(m_bNoMoveY);
    Reg(m_bMirrorX);
    Reg(m_bMirrorY);
    Reg(m_bMirrorOnTurn);
    Reg(m_bArrival);
    if (version >= 162) Reg(m_bKeepFacing);
    Reg(m_nTimeMode);
    Reg(m_nSpeed);
    Reg(m_nSpeedLv);
    Reg(m_nDistance);
    Reg(m_nDistanceLv);
    if (version >= 159) Reg(m_bDistanceDots);
    Reg(m_nRadius);
    Reg(m_nRadiusLv);
    Reg(m_bInertia);
    Reg(m_nSpeed2);
    Reg(m_fBrake);
    if (version >= 162) Reg(m_bNoWalkAnime);
    if (version >= 767) Reg(m_nTargetSlot);
}

// ---- cEdShot -------------------------------------------------------------------------

void cEdShot::RegisterFields(uint32_t version) {
    Reg(m_nCount);
    Reg(m_nPattern);
    Reg(m_anPattern);
    if (version >= 671) Reg(m_nF04);
    Reg(m_nDir);
    Reg(m_nF06);
    if (version >= 767) Reg(m_nPatternSlot);
    Reg(m_nAngle);
    Reg(m_nAngleStep);
    if (version >= 158) Reg(m_bMirrorAngle);
    Reg(m_nSpread);
    Reg(m_nF12);
    Reg(m_nClones);
    Reg(m_nOffsetX);
    Reg(m_nOffsetXStep);
    Reg(m_nOffsetY);
    Reg(m_nOffsetYStep);
    Reg(m_bMirrorX);
    Reg(m_bMirrorY);
    Reg(m_nGraphic);
    Reg(m_nDepth);
    Reg(m_nF22);
    Reg(m_nF23);
    Reg(m_nSide);
    Reg(m_nF25);
    Reg(m_nSize);
    Reg(m_nF27);
    Reg(m_nMoveKind);
    Reg(m_anMove);
    if (version >= 767) Reg(m_nMoveSlot);
    if (version >= 211) Reg(m_nF31);
    Reg(m_nSpeed);
    Reg(m_nSpeedStep);
    if (version >= 213) {
        Reg(m_nF34);
        Reg(m_nAccel);
        Reg(m_nAccelStep);
    }
    Reg(m_nDistance);
    Reg(m_nF38);
    Reg(m_nDistanceStep);
    Reg(m_nF40);
    Reg(m_nF41);
    Reg(m_nLife);
    Reg(m_nLifeStep);
    Reg(m_nF44);
    Reg(m_nF45);
    if (version >= 636) Reg(m_nF46);
    Reg(m_nF47);
    Reg(m_nVanish);
    Reg(m_nPower);
    Reg(m_nF50);
    Reg(m_nImpact);
    Reg(m_nF52);
    Reg(m_nF53);
    Reg(m_nF54);
    Reg(m_nBlockMode);
    Reg(m_nF56);
    if (version >= 197) Reg(m_nF57);
    Reg(m_nBank);
    Reg(m_nDefIndex);
    Reg(m_nF60);
    Reg(m_nF61);
    Reg(m_nF62);
    if (version >= 762) {
        Reg(m_nF63);
        Reg(m_nF64);
    }
}

double cEdShot::GetOffsetX(int index, int facing) const {
    return MirroredOffset(m_nOffsetX, m_nOffsetXStep, m_bMirrorX, index, facing);
}

double cEdShot::GetOffsetY(int index, int facing) const {
    return MirroredOffset(m_nOffsetY, m_nOffsetYStep, m_bMirrorY, index, facing);
}

// ---- cFlowCmd: copies and parts ------------------------------------------------------

cFlowCmd::cFlowCmd() {
    Clear();
}

cFlowCmd::cFlowCmd(const cFlowCmd& source)
    : cSaveRecord(source),
      m_nCategory(source.m_nCategory),
      m_nType(source.m_nType),
      m_strText(source.m_strText),
      m_nUseTime(source.m_nUseTime),
      m_nUseTimeLv(source.m_nUseTimeLv),
      m_bTogether(source.m_bTogether),
      m_nSound(source.m_nSound),
      m_bSoundFlag(source.m_bSoundFlag),
      m_nAnime(source.m_nAnime),
      m_pMove(CopyPart(source.m_pMove)),
      m_pShot(CopyPart(source.m_pShot)),
      m_pCond(CopyPart(source.m_pCond)),
      m_vFlows(source.m_vFlows),
      m_vParams(source.m_vParams) {}

cFlowCmd::cFlowCmd(cFlowCmd&& source) noexcept = default;

cFlowCmd& cFlowCmd::operator=(const cFlowCmd& source) {
    if (this == &source) return *this;
    cFlowCmd copy(source);
    return *this = std::move(copy);
}

cFlowCmd& cFlowCmd::operator=(cFlowCmd&& source) noexcept = default;

cFlowCmd::~cFlowCmd() = default;

void cFlowCmd::MakeEdMove() {
    m_pMove = NewPart<cEdMove>();
}
void cFlowCmd::MakeEdShot() {
    m_pShot = NewPart<cEdShot>();
}
void cFlowCmd::MakeCondList() {
    m_pCond = NewPart<cCondList>();
}

// ---- cFlowCmd: file ------------------------------------------------------------------

void cFlowCmd::RegisterFields(uint32_t /*version*/) {
    Reg(m_nCategory);
    Reg(m_nType);
    RegStr(m_strText);
    Reg(m_nUseTime);
    Reg(m_nUseTimeLv);
    Reg(m_bTogether);
    Reg(m_nSound);
    Reg(m_bSoundFlag);
    Reg(m_nAnime);
}

bool cFlowCmd::Load(FILE* fp) {
    if (!cSaveRecord::Load(fp)) return false;
    const uint32_t version = FileVersion();
    ByteReader in(fp);

    // Each part: a nonzero flag brings a fresh part read from the file, a zero flag none.
    bool atEnd = false;
    const auto readPart = [&](auto& part, auto makePart) {
        if (atEnd) return true;
        uint32_t flag = 0;
        switch (ReadPartFlag(in, flag)) {
            case ReadStatus::AtEnd:
                atEnd = true;
                return true;
            case ReadStatus::Damaged:
                return false;
            case ReadStatus::Ok:
                break;
        }
        if (flag == 0) {
            part.reset();
            return true;
        }
        (this->*makePart)();
        return part->Load(fp);
    };
    if (!readPart(m_pMove, &cFlowCmd::MakeEdMove)) return false;
    if (!readPart(m_pShot, &cFlowCmd::MakeEdShot)) return false;
    if (version >= 764 && !readPart(m_pCond, &cFlowCmd::MakeCondList)) return false;
    if (!atEnd && !(LoadFlowList(m_vFlows, in) && ReadList(in, m_vParams))) return false;

    if (version < kCurrentDataVersion) Migrate(version);
    if (!KeepTestFlows()) EraseMarkedFlows(m_vFlows);
    Validate();
    return true;
}

bool cFlowCmd::Save(FILE* fp) {
    Validate();
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    const auto writePart = [&](auto& part) {
        if (!out.Write<uint32_t>(part ? 1 : 0)) return false;
        return !part || part->Save(fp);
    };
    return writePart(m_pMove) && writePart(m_pShot) && writePart(m_pCond) &&
           SaveFlowList(m_vFlows, fp) && WriteList(out, m_vParams) && out.Ok();
}

// Older data: parameters added, inserted and renumbered as the command types grew. A row
// names a main type; an item command takes the row of its number + 15 (types below 17
// have no item command). Types are compared as they stand at each step.
void cFlowCmd::Migrate(uint32_t version) {
    std::vector<int32_t>& p = m_vParams;
    const auto is = [this](int type) {
        if (m_nCategory == kCmdCategoryFlow) return m_nType == type;
        if (m_nCategory == kCmdCategoryItem)
            return type >= kCmdStageClear && m_nType + kItemCmdTypeOffset == type;
        return false;
    };
    // Parameters the row names but a damaged or odd list lacks read as 0 and are not written.
    const auto get = [&p](size_t i) { return i < p.size() ? p[i] : 0; };
    const auto set = [&p](size_t i, int32_t value) {
        if (i < p.size()) p[i] = value;
    };
    const auto resize = [&p](size_t n) { p.resize(n, 0); };
    // Moves parameters k.. one place up (the last one falls off) and writes value at k.
    const auto insert = [&p](size_t k, int32_t value) {
        if (k >= p.size()) return;
        std::move_backward(p.begin() + static_cast<std::ptrdiff_t>(k), p.end() - 1, p.end());
        p[k] = value;
    };
    // The status-operation indices that moved up when a status was inserted before them.
    const auto raiseStatusOp = [&](int32_t bound) {
        if (get(0) == 0 && get(3) != 2 && get(4) > bound) set(4, get(4) + 1);
        if (get(6) == 2 && get(12) != 2 && get(13) > bound) set(13, get(13) + 1);
    };

    if (version < 145 && is(17)) resize(9);
    if (version < 166 && is(35)) {
        resize(2);
        set(1, 1);
    }
    if (version < 168 && is(22)) raiseStatusOp(9);
    if (version < 189 && is(21)) {
        resize(16);
        insert(2, 0);
    }
    if (version < 194 && is(31)) {
        resize(15);
        insert(6, 1);
    }
    if (version < 195 && (is(29) || is(30))) {
        resize(3);
        insert(1, 0);
    }
    if (version < 203) {
        if (is(14) || is(15)) p.clear();
        if (is(16)) resize(4);
        if (is(22)) raiseStatusOp(4);
    }
    if (version < 210 && is(23) && get(0) != 2 && get(1) > 5) set(1, get(1) + 1);
    if (version < 219 && is(25) && get(0) == 3) set(1, std::min(get(1) + 1, 119));
    if (version < 220 && is(11) && m_pShot)
        m_pShot->m_nGraphic = static_cast<int16_t>(std::min(m_pShot->m_nGraphic + 1, 119));
    // The charge move gained its angle: old charges go straight, mirrored as new ones are.
    if (version < 514 && is(5) && m_pMove) {
        m_pMove->m_nAngle = 0;
        m_pMove->m_nAngleLv = 0;
        m_pMove->m_bMirrorAngle = 1;
    }
    if (version < 545) {
        if (is(19)) {
            resize(18);
            set(10, 1);
        }
        if (is(31)) {
            resize(15);
            set(11, 0);
        }
    }
    if (version < 546 && is(19)) set(10, get(0) == 0 || get(0) == 7 ? 1 : 0);
    if (version < 547) {
        if (is(19)) {
            resize(18);
            set(11, 0);
            set(12, 0);
            set(13, 0);
            set(14, 1);
            set(15, 0);
        }
        if (is(31)) {
            resize(15);
            set(12, 0);
            set(13, 0);
        }
    }
    if (version < 556 && is(19)) {
        resize(18);
        set(16, 1);
    }
    if (version < 722 && is(17) && get(0) > 1) set(0, get(0) + 1);
    if (version < 723) {
        if (is(19)) {
            resize(18);
            set(17, 0);
        }
        if (is(31)) {
            resize(15);
            set(14, 0);
        }
    }
    if (version < 726 && is(37)) {
        resize(5);
        set(0, 11);
    }
    if (version < 727 && is(37) && get(0) == 11) {
        int32_t field = get(1);
        for (int32_t bound : {1, 2, 3, 13, 14, 15, 16})
            if (field > bound) ++field;
        set(1, field);
    }
    // Type 24 came in between: everything from 24 on moved up, arrange targets with it.
    if (version < 734) {
        const int full = FullCmdType(m_nCategory, m_nType);
        if ((m_nCategory == kCmdCategoryFlow || m_nCategory == kCmdCategoryItem) && full >= 24)
            ++m_nType;
        if (is(38) && get(0) > 23) set(0, get(0) + 1);
    }
    if (version < 747 && is(21)) {
        resize(16);
        set(10, 0);
        set(11, 1);
        set(14, 0);
    }
    if (version < 760 && is(16)) {
        resize(4);
        set(3, 0);
    }
    if (version < 764 && is(16)) MakeCondList();
    // Targets 2..4 came in beside target 1.
    if (version < 767) {
        if (is(9) && get(0) > 3) set(0, get(0) + 6);
        if (is(20) && m_pMove && m_pMove->m_nKind > 1) m_pMove->m_nKind += 3;
        if (is(21)) {
            resize(16);
            insert(0, 0);
        }
        if (is(22)) {
            if (get(0) == 0 && get(3) > 1) set(3, get(3) + 3);
            if (get(6) == 2 && get(12) > 1) set(12, get(12) + 3);
        }
        if (is(23) && get(0) > 1) set(0, get(0) + 3);
    }
}

// ---- cFlowCmd: validation ------------------------------------------------------------

void cFlowCmd::Validate() {
    const FlowRefDatabase* database = GetFlowRefDatabase();
    if (database) {
        if (m_nSound >= database->Count(FlowRefDatabase::List::Sound)) m_nSound = 0;
        if (m_nAnime >= database->Count(FlowRefDatabase::List::Anime)) m_nAnime = 0;
    }
    m_vParams.resize(static_cast<size_t>(CmdParamCount(m_nCategory, m_nType)), 0);
    if (database) ValidateDatabaseRefs(*database);
    for (cFlow& flow : m_vFlows) flow.Validate();
}

void cFlowCmd::ValidateDatabaseRefs(const FlowRefDatabase& database) {
    using List = FlowRefDatabase::List;
    struct Ref {
        int type;
        List list;
        int32_t fallback;
    };
    static constexpr Ref kRefs[] = {
        {kCmdChangeAnimeSet, List::AnimeSet, 0},
        {kCmdRunAnime, List::Anime, 1},
        {kCmdRunEffect, List::Effect, 1},
        {kCmdRunCharaEffect, List::CharaEffect, 1},
        {kCmdRunScreenEffect, List::ScrEffect, 1},
        {kCmdShowPicture, List::Picture, 1},
        {kCmdPlaySE, List::Sound, 1},
        {kCmdPlayBGM, List::Bgm, 1},
    };
    if (!IsKnownCmdType(m_nCategory, m_nType)) return;
    const int full = FullCmdType(m_nCategory, m_nType);
    for (const Ref& ref : kRefs) {
        if (ref.type != full || m_vParams.empty()) continue;
        // A negative number is as far outside the list as one past its end.
        if (m_vParams[0] < 0 || m_vParams[0] >= database.Count(ref.list))
            m_vParams[0] = ref.fallback;
    }
    if (m_nCategory == kCmdCategoryFlow && m_nType == kCmdSword && m_pShot) {
        if (m_pShot->m_nMoveKind >= database.Count(List::SwordType)) m_pShot->m_nMoveKind = 0;
        if (m_pShot->m_nMoveKind < database.Count(List::SwordType)) {
            const int64_t total = database.SwordDuration(m_pShot->m_nMoveKind);
            m_nUseTime = static_cast<uint16_t>(std::clamp<int64_t>(total, 0, 9999));
        }
    }
}

void cFlowCmd::ValidateRefs() {
    const FlowRefDatabase* database = GetFlowRefDatabase();
    if (database && m_nCategory == kCmdCategoryFlow && m_nType == kCmdSword && m_pShot &&
        m_pShot->m_nMoveKind >= database->Count(FlowRefDatabase::List::SwordType))
        m_pShot->m_nMoveKind = 0;
    for (cFlow& flow : m_vFlows) flow.ValidateCmdRefs();
}

// ---- cFlow ---------------------------------------------------------------------------

cFlow::cFlow() {
    Clear();
    m_nKeyLeniency = 3;
}

void cFlow::RegisterFields(uint32_t version) {
    if (version >= 676) RegStr(m_strMemo);
    Reg(m_nGroup);
    Reg(m_nFlagIndex);
    Reg(m_bTestPlay);
    Reg(m_nCondMode);
    Reg(m_bCondOnce);
    Reg(m_nTrigger);
    if (version >= 762) Reg(m_bOtherSubject);
    if (version >= 767) Reg(m_nSubjectSlot);
    Reg(m_nKeyLeniency);
    Reg(m_bKeyHold);
}

bool cFlow::Load(FILE* fp) {
    const FlowDepthGuard depth;
    if (depth.TooDeep()) {
        platform::Diag(platform::DiagLevel::Warn, "record",
                       "damaged file: flows nested deeper than %d levels", kMaxFlowNesting);
        return false;
    }
    if (!cSaveRecord::Load(fp)) return false;
    ByteReader in(fp);
    if (!LoadCondList(m_vConds, in) || !LoadKeyCondList(m_vKeyConds, in) ||
        !LoadFlowCmdList(m_vCmds, in))
        return false;

    const uint32_t version = FileVersion();
    if (version < kCurrentDataVersion) {
        // Triggers were inserted at 11 (132), 5 and 6 (164) and 18..20 (762).
        if (version < 132 && m_nTrigger >= 11) ++m_nTrigger;
        if (version < 163 && m_nTrigger != 0) m_nFlagIndex = 0;
        if (version < 164 && m_nTrigger >= 5) m_nTrigger += 2;
        if (version < 762 && m_nTrigger >= 18) m_nTrigger += 3;
    }
    m_strMemo.clear();
    Validate();
    return true;
}

bool cFlow::Save(FILE* fp) {
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return SaveCondList(m_vConds, fp) && WriteList(out, m_vKeyConds) &&
           SaveFlowCmdList(m_vCmds, fp) && out.Ok();
}

void cFlow::Validate() {
    for (cKeyCond& key : m_vKeyConds) key.Validate();
    for (cFlowCmd& cmd : m_vCmds) cmd.Validate();
}

void cFlow::ValidateCmdRefs() {
    for (cFlowCmd& cmd : m_vCmds) cmd.ValidateRefs();
}

// ---- Lists ---------------------------------------------------------------------------

bool LoadFlowList(std::vector<cFlow>& list, ByteReader& in) {
    return ReadList(in, list);
}

bool LoadFlowList(std::vector<cFlow>& list, FILE* fp) {
    ByteReader in(fp);
    return LoadFlowList(list, in);
}

bool LoadFlowCmdList(std::vector<cFlowCmd>& list, ByteReader& in) {
    return ReadList(in, list);
}

bool LoadFlowCmdList(std::vector<cFlowCmd>& list, FILE* fp) {
    ByteReader in(fp);
    return LoadFlowCmdList(list, in);
}

bool SaveFlowList(std::vector<cFlow>& list, FILE* fp) {
    ByteWriter out(fp);
    return WriteList(out, list);
}

bool SaveFlowCmdList(std::vector<cFlowCmd>& list, FILE* fp) {
    ByteWriter out(fp);
    return WriteList(out, list);
}

void EraseMarkedFlows(std::vector<cFlow>& flows) {
    std::erase_if(flows, [](const cFlow& flow) { return flow.m_bTestPlay != 0; });
}
