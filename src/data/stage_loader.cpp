// The stage-file load of the free-play, story, world-map and challenge starters.
#include "data/stage_loader.h"

#include <atomic>
#include <memory>
#include <string>
#include <utility>

#include "core/bounds.h"
#include "core/log.h"
#include "core/msgbox.h"
#include "core/paths.h"
#include "core/record.h"
#include "core/strings.h"
#include "data/data_path.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "platform/clock.h"
#include "platform/win_types.h"

cThread g_StageLoaderThread;

namespace {

std::atomic<StageLoadDispatch> g_dispatch{nullptr};

// What the loader thread works on. Shared with the thread, so that a thread the shell
// gave up on can never write into memory the caller has let go.
struct LoadJob {
    std::string path;
    cStage stage;
    CancelFlag cancel{false};
    std::atomic<bool> ok{false};
    std::atomic<bool> done{false};
};

struct LoaderArgument {
    std::shared_ptr<LoadJob> job;
};

unsigned StageLoaderProc(void* argument) {
    // The argument is ours from here on.
    const std::unique_ptr<LoaderArgument> arg(static_cast<LoaderArgument*>(argument));
    LoadJob& job = *arg->job;
    bool ok = false;
    // A bounds fault inside the read closes the game in order; the caller must still
    // learn that the read is over, or its pump would wait for ever.
    RunCatchingFaults("stage loader", [&] {
        if (FILE* fp = OpenRecordRead(job.path.c_str())) {
            ok = job.stage.Load(fp, &job.cancel);
            CloseRecordFile(fp);
        }
    });
    job.ok.store(ok);
    job.done.store(true);
    return 0;
}

}  // namespace

void SetStageLoadDispatch(StageLoadDispatch dispatch) {
    g_dispatch.store(dispatch);
}

uint32_t CheckStageFile(const char* path) {
    FILE* fp = OpenRecordRead(path);
    if (!fp) return 1;
    const uint32_t version = FileVersion();
    bool intact = true;
    if (version >= 174) {
        // A file too short to hold its version and the trailer cannot end in one.
        uint32_t trailer = 0;
        intact = std::fseek(fp, -4, SEEK_END) == 0 && std::ftell(fp) >= 4 &&
                 std::fread(&trailer, sizeof trailer, 1, fp) == 1 && trailer == kStageTrailer;
    }
    CloseRecordFile(fp);
    if (intact) return 1;
    ErrorBoxF("ステージファイル %s が破損しています！", path);
    platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
    return 0;
}

uint32_t LoadStageFile(const char* name, uint32_t newest, cStage* dst) {
    const char* base = name ? name : "";
    std::string path;
    if (newest) {
        if (!FindNewestBackupStr(path, base, DataExt[1])) return 0;
    } else {
        StrFormat(path, "%s", base);
    }
    MakeRelativePathStr(path);

    if (!CheckStageFile(path.c_str())) return 0;

    auto job = std::make_shared<LoadJob>();
    job->path = path;
    if (!g_StageLoaderThread.Start(StageLoaderProc, new LoaderArgument{job})) {
        // The argument was never handed over; the load simply did not happen.
        g_Stage.m_bLoaded = 0;
        ErrorBoxF("ステージファイル %s の読み込みに失敗しました！", path.c_str());
        return 0;
    }

    // Keep the caller's queue moving while the file is read: windows stay responsive and
    // requests other threads send to this one are served. Each pass takes every message
    // waiting, so one posted before the call is seen even when the read is quick.
    for (;;) {
        platform::msg::Message msg;
        while (platform::msg::PeekMessage(msg)) {
            if (msg.message == WM_QUIT) {
                TracePrintf("msg.message == WM_QUIT");
                // Stop the read at its next list element and wait for it: the stage is
                // left as it was and nothing of the read outlives this call.
                job->cancel.store(true);
                while (!job->done.load()) platform::clock::Sleep(1);
                g_StageLoaderThread.Stop();
                // The quit belongs to the caller's own loop.
                platform::msg::PostThread(platform::msg::CurrentThreadId(), WM_QUIT, 0, 0);
                return 0;
            }
            if (StageLoadDispatch dispatch = g_dispatch.load()) dispatch(msg);
        }
        if (job->done.load()) break;
        platform::msg::WaitMessage(1);
    }
    g_StageLoaderThread.Stop();

    if (!job->ok.load()) {
        g_Stage.m_bLoaded = 0;
        ErrorBoxF("ステージファイル %s の読み込みに失敗しました！", path.c_str());
        return 0;
    }
    if (!job->stage.HasHero()) {
        ErrorBox("主人公が配置されていないのでプレイできません！");
        platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
        return 0;
    }

    g_Stage = std::move(job->stage);
    g_Stage.m_sPath = path;
    g_Stage.m_bNewest = newest;
    g_Stage.m_bLoaded = 1;
    if (dst && dst != &g_Stage) {
        dst->CopySettingsFrom(g_Stage);
        dst->DestroyDefinitionLists();
    }
    return 1;
}
