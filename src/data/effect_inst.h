// The interpolation states of the character and screen effects: one per effect record
// and direction, set up once at start-up and copied into a timer whenever an effect starts.
#pragma once

#include <cstdint>
#include <type_traits>

class cDatabase;
class cCharaEffect;
class cScrEffect;

// The state of one character effect. Plain data: the tables are zero-filled and copied
// word by word.
struct cEffectInst {
    int16_t m_nEffect;
    const cCharaEffect* m_pRecord;
    // Filled by the timer that copies the state: run mode, loop, reversed half.
    int32_t m_nMode;
    int32_t m_bLoop;
    int32_t m_bReversedHalf;
    int32_t m_nFrame;
    int32_t m_nStart;
    int32_t m_nEnd;
    double m_dCurrent;
    double m_dSpeed;      // per frame
    double m_dElapsed;    // counts the run when start equals end
    int32_t m_nDuration;  // tenths of a second
    int32_t m_anWork[2];

    // Prepares the state of CharaEffect record n by the record's kind. Reversed: from the
    // reversed list, whose record then has its start and end exchanged.
    void Setup(int16_t n, int32_t reversed, cDatabase& database);
    void Setup(int16_t n, int32_t reversed);  // over g_Database
};
static_assert(std::is_trivially_copyable_v<cEffectInst>);

// The state of one screen effect.
struct cEffectInst2 {
    int16_t m_nEffect;
    const cScrEffect* m_pRecord;
    int32_t m_nMode;
    int32_t m_bLoop;
    int32_t m_bReversedHalf;
    int32_t m_nFrame;
    double m_dCurrent;
    double m_dSecond;
    double m_dSpeed;
    int32_t m_anValue[2];  // kind 1: the start pair
    int32_t m_bConstant;   // start equals end: the run is timed by m_dElapsed
    double m_dElapsed;
    int32_t m_nDuration;  // tenths of a second

    void Setup(int16_t n, int32_t reversed, cDatabase& database);
    void Setup(int16_t n, int32_t reversed);  // over g_Database
};
static_assert(std::is_trivially_copyable_v<cEffectInst2>);
