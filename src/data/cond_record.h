// Conditions as stored: one condition, the condition part of a command, and the key
// conditions of a flow, with the migrations of older data versions.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/record.h"

// One condition. Its fields serve different roles by kind (1 common variable, 2 stage
// variable, 3 character variable, 4 status or variable against an operand, 5 switch
// status, 6 state, 7 distance); evaluation belongs to the flow layer.
class cCond : public cSaveRecord {
  public:
    cCond() { Clear(); }

    void RegisterFields(uint32_t version) override;
    // The registered fields, then the migrations of files older than the current version.
    bool Load(FILE* fp) override;

    uint8_t m_nKind = 0;
    int32_t m_nValue = 0;  // kind 4 also keeps its last right operand here
    int32_t m_nRandMin = 0;
    int32_t m_nRandMax = 0;
    uint8_t m_nLeftSubject = 0;
    uint8_t m_nLeftStatus = 0;
    uint8_t m_nLeftKind = 0;  // 0 status, 1 variable
    uint8_t m_nLeftVarTable = 0;
    int16_t m_nLeftVarIndex = 0;
    uint8_t m_nRightKind = 0;  // 0 constant, 1 random, 2 status, 3 variable
    uint8_t m_nRightSubject = 0;
    uint8_t m_nRightStatus = 0;
    uint8_t m_nRightVarTable = 0;
    int16_t m_nRightVarIndex = 0;
    uint8_t m_nOperator = 0;
    uint8_t m_bPercent = 0;
    uint8_t m_nMeasure = 0;
};

// A u32 count, then that many conditions, each standing at the current version after its
// load. The list is replaced only when every condition was read; a count the bytes left
// cannot hold is refused before anything is allocated.
bool LoadCondList(std::vector<cCond>& list, FILE* fp);
bool LoadCondList(std::vector<cCond>& list, ByteReader& in);
bool SaveCondList(std::vector<cCond>& list, FILE* fp);

// The condition part of a command (the flow-operation command is gated by it).
class cCondList : public cSaveRecord {
  public:
    cCondList() { Clear(); }

    void RegisterFields(uint32_t version) override;
    // The conditions follow the registered part from data version 766 on.
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    uint8_t m_nMode = 0;   // 0 all hold, 1 one holds, any other never holds
    uint8_t m_nExtra = 0;  // stored and copied, never read by evaluation
    std::vector<cCond> m_vConds;
};

// Entries of a key list: 0..9 the direction slots, 10..18 the button slots.
constexpr size_t kKeyCondKeyCount = 19;

// One step of a flow's key sequence.
class cKeyCond : public cSaveRecord {
  public:
    cKeyCond() : m_vKeys(kKeyCondKeyCount, 0) { Clear(); }

    void RegisterFields(uint32_t version) override;
    // The registered part, then the key list as a u32 count and that many bytes. Whatever
    // the file held, the list has exactly 19 entries afterwards.
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;
    // Brings the key list back to 19 entries (new ones 0: not tested).
    void Validate();

    uint8_t m_bMirror = 0;
    int16_t m_nMinHold = 0;  // frames
    int16_t m_nMaxHold = 0;
    uint8_t m_bAnyLength = 0;
    uint8_t m_nMode = 0;           // 0 all keys, 1 at least one, 2 exactly one
    std::vector<uint8_t> m_vKeys;  // 0 not tested, 1 pressed, 2 released
};

bool LoadKeyCondList(std::vector<cKeyCond>& list, ByteReader& in);
