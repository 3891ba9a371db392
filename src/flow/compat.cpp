// The compatibility switches read by the behaviour layer.
#include "flow/compat.h"

#include "data/system_data.h"

// Latch A is the early latch; latch B switches latching off. With both set the early
// latch gives way: B decides.
bool StartLatchEarly() {
    return g_SystemData.m_bCompat744 != 0 && g_SystemData.m_bCompat525 == 0;
}

bool StartLatchOff() {
    return g_SystemData.m_bCompat525 != 0;
}

bool KeepNegativeUseTimes() {
    return g_SystemData.m_bCompat669 != 0;
}

bool KeySequenceOverlap() {
    return g_SystemData.m_bCompat695 != 0;
}
