// The player's start on the sample game: from WinMain to the first title frame, the
// soundfont load apart, the load of the sample's largest stage, and the resident memory
// of the program on the title and in that stage. Google Benchmark prints the machine in
// its header.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "app/scene.h"
#include "app/startup.h"
#include "bench_machine.h"
#include "core/record.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/stage_file.h"
#include "data/stage_loader.h"
#include "data/system_data.h"
#include "platform/audio/fluid_synth.h"
#include "platform/audio/midi_sequence.h"
#include "platform/clock.h"
#include "platform/input/virtual_keys.h"
#include "platform/msg/msg.h"
#include "platform/ui/events.h"
#include "platform/video/present.h"
#include "sample_project.h"

namespace {

// A fresh sample game in a folder of its own, made the current directory.
class SampleFolder {
  public:
    SampleFolder() {
        dir_ = std::filesystem::temp_directory_path() /
               ("wrenfold-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
        g_nDataVersion = kCurrentDataVersion;
        g_bStripCR = true;
        std::string error;
        if (!sample::WriteSampleProject(error)) std::fprintf(stderr, "%s\n", error.c_str());
    }
    ~SampleFolder() {
        std::error_code ignored;
        std::filesystem::current_path(dir_.parent_path(), ignored);
        std::filesystem::remove_all(dir_, ignored);
    }

  private:
    std::filesystem::path dir_;
};

// Resident pages of this process, in bytes.
double ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

// Run first: a player run leaves its quit message on this thread, which would stop the
// load. The largest stage of the sample, loaded as the world map loads it (newest generation,
// on the loader thread, placements linked to the common palette).
void BM_LoadLargestSampleStage(benchmark::State& state) {
    SampleFolder folder;
    if (!InitDatabases() || !g_CommonPalette.LoadFile(DataPath[7])) {
        state.SkipWithError("the sample does not load");
        return;
    }
    const char* largest = sample::kStageNames[1];  // 56 x 15 blocks, the widest
    for (auto _ : state) {
        if (!LoadStageFile(largest, 1, &g_PlayStage)) state.SkipWithError("stage load failed");
        benchmark::DoNotOptimize(g_Stage.m_vBlocks.size());
    }
}
BENCHMARK(BM_LoadLargestSampleStage)->Unit(benchmark::kMicrosecond);

// One headless run of the player on the sample game in the current folder, the command
// line given: the time to its first presented frame, the resident memory once it has
// presented the given number of frames, and the scene it stood in then; an Esc ends
// it.
struct PlayerRunFigures {
    uint32_t firstFrameMs = 0;
    double residentBytes = 0;
    int scene = -1;
};
PlayerRunFigures RunPlayerHeadless(const char* commandLine, int frames) {
    g_Database = cDatabase();
    g_SystemData = cSystemData();
    g_CommonPalette = cPalette();
    auto presenter = std::make_shared<platform::video::MemoryPresenter>();
    PlayerHost host;
    host.headless = true;
    host.presenter = presenter;
    host.uiEvents = std::make_shared<platform::ui::ScriptedEventSource>();
    host.lockPath = "bench.lock";
    host.endOwnerGraceMs = 100;
    SetPlayerHost(host);
    PlayerRunFigures figures;
    std::atomic<uint32_t> firstFrameMs{0};
    const uint32_t start = platform::clock::TimeMs();
    std::thread driver([&] {
        while (presenter->Frames() < 1 && platform::clock::TimeMs() - start < 20000)
            platform::clock::Sleep(1);
        firstFrameMs = platform::clock::TimeMs() - start;
        while (presenter->Frames() < frames && platform::clock::TimeMs() - start < 20000)
            platform::clock::Sleep(1);
        figures.residentBytes = ResidentBytes();
        platform::msg::PostMainWindow(WM_KEYDOWN, platform::input::VK_ESCAPE);
    });
    WinMain(nullptr, nullptr, commandLine, 1);
    driver.join();
    SetPlayerHost(PlayerHost());
    figures.firstFrameMs = firstFrameMs.load();
    figures.scene = g_SceneMgr.m_nCurrent;  // where the Esc found it
    return figures;
}

// The time to the first title frame, and the resident memory once the title has shown
// for half a second.
void BM_StartToFirstTitleFrame(benchmark::State& state) {
    SampleFolder folder;
    double rss = 0;
    for (auto _ : state) {
        const PlayerRunFigures run = RunPlayerHeadless("", 30);
        state.SetIterationTime(run.firstFrameMs / 1000.0);
        rss = run.residentBytes;
    }
    state.counters["title_rss_MiB"] = rss / (1024.0 * 1024.0);
}
BENCHMARK(BM_StartToFirstTitleFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The largest sample stage played from the command line (the editor's test play): the
// time to its first frame, and the resident memory after five seconds of play, its
// characters, items and music running.
void BM_StageResidentMemory(benchmark::State& state) {
    SampleFolder folder;
    double rss = 0;
    for (auto _ : state) {
        const PlayerRunFigures run = RunPlayerHeadless(sample::kStageNames[1], 300);
        if (run.scene != kSceneStagePlay) state.SkipWithError("the stage did not start");
        state.SetIterationTime(run.firstFrameMs / 1000.0);
        rss = run.residentBytes;
    }
    state.counters["stage_rss_MiB"] = rss / (1024.0 * 1024.0);
}
BENCHMARK(BM_StageResidentMemory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The General MIDI soundfont the music plays on, loaded into a synth of its own: part of
// start-up's time above, reported apart.
void BM_SoundFontLoad(benchmark::State& state) {
    const std::string font = platform::audio::FindSoundFont();
    if (font.empty()) {
        state.SkipWithError("no soundfont installed");
        return;
    }
    for (auto _ : state) {
        std::string error;
        auto synth = platform::audio::CreateFluidSynth(22050, font, &error);
        if (!synth) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(synth);
    }
}
BENCHMARK(BM_SoundFontLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
