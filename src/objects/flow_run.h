// The running state of a character's flows: one cFlowRun per flow definition, one
// cCmdRun per command, and the anime schedule built with them. The character binds them
// (cChara::BuildFlows); the flow runner steps them.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "core/key_state.h"

class cFlow;
class cFlowCmd;
class cKeyCond;

// An arrange record as the arrange command builds it: [0] full command type, [1] parameter
// field, [2] operation, [3] operand source, [4] variable index. Flow runs and the hero
// keep them in the same list until the next command that starts takes them.
using ArrangeRecord = std::vector<int32_t>;
using ArrangeList = std::list<ArrangeRecord>;

class cCmdRun {
  public:
    const cFlowCmd* m_pCmd = nullptr;
    int32_t m_bDone = 0;
    uint32_t m_nUseTime = 0;   // frames the command runs (a jump's hold limit)
    int32_t m_nRemaining = 0;  // frames left; 0: not started
    int32_t m_nFrame = 0;      // frames since the command started
    int32_t m_bStarted = 0;
    uint8_t m_nMode = 0;     // the movement part's time mode
    double m_dSpeed = 0.0;   // dots per frame
    double m_dSpeed2 = 0.0;  // the movement part's second speed, dots per frame
    double m_dJumpSpeed = 0.0;
    // What the steering steps fill and the snapping operations clear.
    double m_dVX = 0.0;
    double m_dVY = 0.0;
    uint32_t m_nDir = 0;  // 0 none, 1 left, 2 right
    int32_t m_nTargetOffsetX = 0;
    int32_t m_nTargetOffsetY = 0;
    // 1: the circle movement turns the other way (the mirror switches at binding).
    int32_t m_nDirection = 0;
    // Work values of the set-up operations and handlers (distances, angles, phases).
    double m_adWork[4] = {};
    int32_t m_anWork[4] = {};
};

// One anime a flow starts by itself so that it leads into the command naming it.
struct AnimeScheduleEntry {
    int32_t startFrame = 0;     // the flow run's frame at which the anime starts
    int32_t anime = 0;          // Anime database number
    int32_t tickOffset = 0;     // base frames of the anime skipped at once
    int32_t leadIn = 0;         // frames of the anime before the command starts
    int32_t hold = 0;           // the command's time x 6
    int32_t holdExtension = 0;  // 0 for jump and sword commands, else 1
};

class cFlowRun {
  public:
    int32_t m_nIndex = 0;   // position of the flow in the character's list
    int32_t m_nSerial = 0;  // unique within the character; anime runs carry it
    const cFlow* m_pFlow = nullptr;
    std::vector<const cKeyCond*> m_vKeyConds;
    std::vector<cCmdRun> m_vCmds;
    std::vector<AnimeScheduleEntry> m_vAnimeSchedule;
    int32_t m_nLatch = 0;
    int32_t m_bKeyHeld = 0;
    int32_t m_bRunning = 0;
    int32_t m_bPaused = 0;
    int32_t m_bHalted = 0;
    int32_t m_bRemove = 0;
    int32_t m_nFrontier = 0;
    int32_t m_nFrames = 0;
    DirSlot m_nInputSlot = DirSlot::kNone;  // the direction held when the flow started
    int32_t m_bStartLatch = 0;              // not started again in this frame
    int32_t m_bStartedThisFrame = 0;
    int32_t m_bMessageShown = 0;
    int32_t m_bBreak = 0;
    // Arrange records waiting for the next command that starts.
    ArrangeList m_lArrange;
    // Counts the starts of the run: a command that starts its own flow again is seen by
    // it, and the runner leaves the restarted run alone for the rest of the frame.
    uint32_t m_nGeneration = 0;
};
