// Conditions as stored and their migrations.
#include "data/cond_record.h"

namespace {

// Older files hold two 16-bit values where the operands now stand; they are read here
// and never used.
thread_local int16_t g_nDroppedCond16[2];

}  // namespace

// ---- cCond ---------------------------------------------------------------------------

void cCond::RegisterFields(uint32_t version) {
    Reg(m_nKind);
    Reg(m_nValue);
    if (version >= 110) {
        Reg(m_nRandMin);
        Reg(m_nRandMax);
        Reg(m_nLeftSubject);
        Reg(m_nLeftStatus);
        Reg(m_nLeftKind);
        Reg(m_nLeftVarTable);
        Reg(m_nLeftVarIndex);
        Reg(m_nRightKind);
        Reg(m_nRightSubject);
        Reg(m_nRightStatus);
        Reg(m_nRightVarTable);
        Reg(m_nRightVarIndex);
    } else {
        Reg(g_nDroppedCond16[0]);
        Reg(g_nDroppedCond16[1]);
    }
    Reg(m_nOperator);
    if (version >= 43) Reg(m_bPercent);
    Reg(m_nMeasure);
}

bool cCond::Load(FILE* fp) {
    if (!cSaveRecord::Load(fp)) return false;
    const uint32_t version = FileVersion();
    if (version >= kCurrentDataVersion) return true;

    // Kinds 5 and 6 came in before the state and distance tests.
    if (version < 160 && m_nKind >= 5) m_nKind += 2;
    // The on-a-block state was stored with the opposite sense.
    if (version < 161 && m_nKind == 6 && m_nLeftStatus == 2) m_nOperator = m_nOperator == 0 ? 1 : 0;
    // Character statuses gained an entry at 10 (168) and at 5 (203); subject 2 was the
    // system, whose values did not move.
    const auto raiseStatuses = [this](uint8_t from) {
        if (m_nKind != 4) return;
        if (m_nLeftKind == 0 && m_nLeftSubject != 2 && m_nLeftStatus >= from) ++m_nLeftStatus;
        if (m_nRightKind == 2 && m_nRightSubject != 2 && m_nRightStatus >= from) ++m_nRightStatus;
    };
    if (version < 168) raiseStatuses(10);
    if (version < 203) raiseStatuses(5);
    if (version < 210 && m_nKind == 5 && m_nLeftSubject != 2 && m_nLeftStatus >= 6) ++m_nLeftStatus;
    if (m_nKind == 7) {
        if (version < 657) m_nLeftSubject = 0;
        if (version < 745) m_nLeftKind = 0;
        if (version < 746) {
            m_nRightKind = 1;
            m_nRightSubject = 1;
        }
    }
    // The old subjects were self, target, system; targets 2..4 now stand between.
    if (version < 767 && (m_nKind == 4 || m_nKind == 5)) {
        if (m_nLeftSubject >= 2) m_nLeftSubject += 3;
        if (m_nRightSubject >= 2) m_nRightSubject += 3;
    }
    return true;
}

bool LoadCondList(std::vector<cCond>& list, ByteReader& in) {
    return ReadList(in, list);
}

bool LoadCondList(std::vector<cCond>& list, FILE* fp) {
    ByteReader in(fp);
    return LoadCondList(list, in);
}

bool SaveCondList(std::vector<cCond>& list, FILE* fp) {
    ByteWriter out(fp);
    return WriteList(out, list);
}

// ---- cCondList -----------------------------------------------------------------------

void cCondList::RegisterFields(uint32_t /*version*/) {
    Reg(m_nMode);
    Reg(m_nExtra);
}

bool cCondList::Load(FILE* fp) {
    if (!cSaveRecord::Load(fp)) return false;
    if (FileVersion() < 766) return true;
    return LoadCondList(m_vConds, fp);
}

bool cCondList::Save(FILE* fp) {
    return cSaveRecord::Save(fp) && SaveCondList(m_vConds, fp);
}

// ---- cKeyCond ------------------------------------------------------------------------

void cKeyCond::RegisterFields(uint32_t /*version*/) {
    Reg(m_bMirror);
    Reg(m_nMinHold);
    Reg(m_nMaxHold);
    Reg(m_bAnyLength);
    Reg(m_nMode);
}

bool cKeyCond::Load(FILE* fp) {
    if (!cSaveRecord::Load(fp)) return false;
    ByteReader in(fp);
    const bool ok = ReadList(in, m_vKeys);
    // Evaluation walks 19 entries whatever the file held.
    Validate();
    return ok;
}

bool cKeyCond::Save(FILE* fp) {
    Validate();
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vKeys);
}

void cKeyCond::Validate() {
    m_vKeys.resize(kKeyCondKeyCount, 0);
}

bool LoadKeyCondList(std::vector<cKeyCond>& list, ByteReader& in) {
    return ReadList(in, list);
}
