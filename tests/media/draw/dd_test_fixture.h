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
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace ddtest {

namespace vid = platform::video;

inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

// A bitmap file of w x h pixels of the given depth: the file and info headers, the
// colour table (0x00RRGGBB each), then the rows bottom-up, each padded to 4 bytes.
// pixel(x, y) gives the bytes of the top-down pixel (x, y).
template <typename Pixel>
std::vector<uint8_t> Bmp(int w, int h, int bits, const std::vector<uint32_t>& table, Pixel pixel) {
    const int stride = (w * bits / 8 + 3) & ~3;
    const uint32_t offset = 54 + 4 * static_cast<uint32_t>(table.size());
    std::vector<uint8_t> b = {'B', 'M'};
    for (uint32_t v : {offset + stride * h, 0u, offset, 40u, uint32_t(w), uint32_t(h)}) Put32(b, v);
    Put32(b, 1 | bits << 16);  // planes, bits per pixel
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (uint32_t c : table) Put32(b, c);
    for (int y = h - 1; y >= 0; --y) {
        const size_t rowStart = b.size();
        for (int x = 0; x < w; ++x) pixel(b, x, y);
        b.resize(rowStart + stride, 0);
    }
    return b;
}

// A 24-bit bitmap of 0x00RRGGBB pixels given top-down.
inline std::vector<uint8_t> Bmp24(int w, int h, const std::vector<uint32_t>& rgb) {
    return Bmp(w, h, 24, {}, [&](std::vector<uint8_t>& b, int x, int y) {
        for (int i = 0; i < 3; ++i) b.push_back((rgb[y * w + x] >> (8 * i)) & 0xFF);
    });
}

// An 8-bit bitmap with a 256-entry table (0x00RRGGBB each) and indices given top-down.
inline std::vector<uint8_t> Bmp8(int w, int h, std::vector<uint32_t> table,
                                 const std::vector<uint8_t>& idx) {
    table.resize(256, 0);
    return Bmp(w, h, 8, table,
               [&](std::vector<uint8_t>& b, int x, int y) { b.push_back(idx[y * w + x]); });
}

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

}  // namespace ddtest
