// The game wait, and the rules every command that holds the game shares: the modal-wait
// record of a message or picture, and times in tenths of a second.
#include <algorithm>
#include <limits>

#include "data/flow_record.h"
#include "flow/cmd_families.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "flow/show_commands.h"

namespace {

// The whole game stands still for parameter 0 tenths of a second.
int CmdGameWait(CmdContext& ctx) {
    cModalWait wait;
    wait.Set(kModalGameWait, 0, TenthsToFrames(CmdParam(ctx.cmd, 0)), 0);
    Scene().RunModalWait(wait);
    return 0;
}

}  // namespace

int32_t TenthsToFrames(int64_t tenths) {
    // A damaged count waits as long as a count can, never a wrapped negative time.
    return static_cast<int32_t>(std::clamp<int64_t>(tenths * 6, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

std::optional<cModalWait> ShowWait(uint32_t kind, int32_t durationMode, int32_t frames,
                                   uint32_t noDelay) {
    cModalWait wait;
    switch (durationMode) {
        case kShowUntilKey:
            wait.Set(kind, 1, 0, noDelay);
            return wait;
        case kShowForTime:
            wait.Set(kind, 0, frames, noDelay);
            return wait;
        default:
            // Until the stage ends there is no end to wait for.
            return std::nullopt;
    }
}

void RegisterModalCommands() {
    SetCmdHandler(kCmdGameWait, CmdGameWait);
}
