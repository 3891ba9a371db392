// Loading a stage file for play: the trailer check, the read on the stage-loader thread
// while the caller keeps its message queue moving, the hero check and the copy into the
// play stage.
#pragma once

#include <cstdint>

#include "core/thread.h"
#include "platform/msg/msg.h"

class cStage;

// 1 when the file may be loaded: it cannot be opened (the load reports that), it is
// older than 174, or its last word is the trailer. Otherwise "ステージファイル %s が破損
// しています！" in an error box, WM_CLOSE to the main window and 0.
uint32_t CheckStageFile(const char* path);

// Loads a stage file into g_Stage and, when dst is given, copies its settings part into
// dst (whose definition lists are emptied). newest nonzero: the newest numbered
// generation of name with the stage extension ("name.stg4_NNN"); none existing gives 0
// without a message. 1 on success; 0 after the message of the failure, or when a WM_QUIT
// reached the calling thread during the read: then the read is stopped, the quit is
// left for the caller's own loop, and g_Stage is as it was.
uint32_t LoadStageFile(const char* name, uint32_t newest, cStage* dst);

// The thread that reads the stage file; the shell stops it at shut-down.
extern cThread g_StageLoaderThread;

// What the caller's pump does with a message other than WM_QUIT that it takes while the
// file is read (the window procedure, on the UI thread). Unset, such messages are
// dropped, as a thread without windows drops them.
using StageLoadDispatch = void (*)(const platform::msg::Message& message);
void SetStageLoadDispatch(StageLoadDispatch dispatch);
