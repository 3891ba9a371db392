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
#include "media/dd_device.h"
#include "media/dd_pixels.h"
#include "platform/video/device.h"
#include "platform/video/present.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace ddtest {

namespace vid = platform::video;

inline void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

// A bottom-up 24-bit bitmap of 0x00RRGGBB pixels given top-down.
inline std::vector<uint8_t> Bmp24(int w, int h, const std::vector<uint32_t>& rgb) {
    const int stride = (w * 3 + 3) & ~3;
    std::vector<uint8_t> b = {'B', 'M'};
    Put32(b, 54 + stride * h);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, w);
    Put32(b, h);
    Put16(b, 1);
    Put16(b, 24);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t c = rgb[y * w + x];
            b.push_back(c & 0xFF);
            b.push_back((c >> 8) & 0xFF);
            b.push_back((c >> 16) & 0xFF);
        }
        for (int p = w * 3; p < stride; ++p) b.push_back(0);
    }
    return b;
}

// An 8-bit bitmap with a 256-entry table (0x00RRGGBB each) and indices given top-down.
inline std::vector<uint8_t> Bmp8(int w, int h, const std::vector<uint32_t>& table,
                                 const std::vector<uint8_t>& idx) {
    const int stride = (w + 3) & ~3;
    std::vector<uint8_t> b = {'B', 'M'};
    Put32(b, 54 + 1024 + stride * h);
    Put32(b, 0);
    Put32(b, 54 + 1024);
    Put32(b, 40);
    Put32(b, w);
    Put32(b, h);
    Put16(b, 1);
    Put16(b, 8);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (int i = 0; i < 256; ++i) Put32(b, i < static_cast<int>(table.size()) ? table[i] : 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) b.push_back(idx[y * w + x]);
        for (int p = w; p < stride; ++p) b.push_back(0);
    }
    return b;
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

    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cd_{dir_.Path()};
    wftest::ScriptedBoxes boxes_;
    std::shared_ptr<vid::MemoryPresenter> presenter_ = std::make_shared<vid::MemoryPresenter>();
    DDSURFACEDATA table_[kBitmapTableSize];
    DDSURFACEFILE files_[kBitmapTableSize];
};

}  // namespace ddtest
