// Shared set-up of the drawing-layer tests: a game folder, scripted boxes, logs, a memory
// presenter, and pictures written into the folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/msgbox.h"
#include "data/surface_tables.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "platform/video/device.h"
#include "platform/video/present.h"
#include "support/bmp.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace wftest {

namespace vid = platform::video;

class DDTest : public testing::Test {
  protected:
    void SetUp() override {
        vid::ResetHooks();
        vid::SetPacingEnabled(false);
        DDResetForTest();
        ResetLogsForTest();
        ReportOpen(dir_.File("report.txt").c_str());
        TraceSetup(1, dir_.File("trace.txt").c_str());
        vid::SetPresenter(presenter_);
        for (DDSURFACEFILE& f : files_) {
            f = DDSURFACEFILE{};
            std::snprintf(f.szFileName, sizeof(f.szFileName), "E");
            f.p9 = 8;
            f.p10 = 8;
        }
    }
    void TearDown() override {
        ReleaseOwned();
        for (DDSURFACEDATA& sd : table_) DDReleaseSurface(&sd);
        DDResetForTest();
        vid::ResetHooks();
        vid::SetPresenter(nullptr);
        ResetLogsForTest();
    }

    bool Init(uint32_t mode, int bits, bool windowed, uint32_t vsync = 0, uint32_t choice = 1) {
        return DDInit(mode, nullptr, 640, 480, bits, vsync, windowed ? 1 : 0, choice, 60, vsync,
                      table_, files_, kBitmapTableSize);
    }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        wftest::WriteBytes(dir_.Path() / name, bytes);
    }
    std::string Trace() const { return wftest::ReadText(dir_.Path() / "trace.txt"); }
    std::string Report() const { return wftest::ReadText(dir_.Path() / "report.txt"); }
    void SetFile(int i, const char* name) {
        std::snprintf(files_[i].szFileName, sizeof(files_[i].szFileName), "%s", name);
    }
    static vid::Image& Pixels(DDSURFACEDATA& sd) { return DDDeviceSurface(&sd)->image; }

    // Ends the device and starts it again in another mode.
    bool Restart(uint32_t mode, int bits, bool windowed) {
        ReleaseOwned();
        DDEnd();
        return Init(mode, bits, windowed);
    }
    // A record the fixture releases at the next restart or at the end.
    DDSURFACEDATA* Own() { return owned_.emplace_back(std::make_unique<DDSURFACEDATA>()).get(); }
    // A surface loaded from a picture of the game folder, in system memory for DirectDraw.
    DDSURFACEDATA* FromFile(const char* name, int transparent, int bits, int type = 0,
                            int indexMap = 0, int mirrorCell = 0) {
        DDSURFACEDATA* sd = Own();
        EXPECT_EQ(DDCreateSurfaceFromFile(sd, name, transparent, bits, 0, type, 0, indexMap,
                                          mirrorCell, 0, 0),
                  0);
        return sd;
    }
    static std::vector<uint32_t> RowOf(DDSURFACEDATA* sd, int y, int n) {
        std::vector<uint32_t> v;
        for (int x = 0; x < n; ++x) v.push_back(Pixels(*sd).Get(x, y));
        return v;
    }
    void ReleaseOwned() {
        for (auto& sd : owned_) DDReleaseSurface(sd.get());
        owned_.clear();
    }

    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cd_{dir_.Path()};
    wftest::ScriptedBoxes boxes_;
    std::shared_ptr<vid::MemoryPresenter> presenter_ = std::make_shared<vid::MemoryPresenter>();
    DDSURFACEDATA table_[kBitmapTableSize];
    DDSURFACEFILE files_[kBitmapTableSize];
    std::vector<std::unique_ptr<DDSURFACEDATA>> owned_;
};

}  // namespace wftest
