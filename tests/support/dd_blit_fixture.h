// Shared set-up of the fill, blit and sprite-batch tests: small surfaces of the active
// mode owned by the test, row access, and closed batches around every test.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/dd_test_fixture.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_sprite.h"

namespace wftest {

class DrawTest : public DDTest {
  protected:
    void SetUp() override {
        DDTest::SetUp();
        DDResetFillBatchForTest();
        g_SpriteBatch = D3DSPRITEBATCH();
    }
    void TearDown() override {
        DDResetFillBatchForTest();
        g_SpriteBatch = D3DSPRITEBATCH();
        DDTest::TearDown();
    }

    // An empty surface: DirectDraw in system memory, Direct3D of the given memory type.
    DDSURFACEDATA* Make(int w, int h, int transparent = 0, int type = DTMEMORYTYPE_VIDEO_RT) {
        DDSURFACEDATA* sd = Own();
        EXPECT_TRUE(DDCreateSurface(sd, w, h, transparent, 1, type, 0, 0));
        return sd;
    }
    // A picture loaded as a texture that is not a render target (Direct3D).
    DDSURFACEDATA* Load(const std::string& name, int w, int h, const std::vector<uint32_t>& rgb,
                        int transparent) {
        Write(name, Bmp24(w, h, rgb));
        DDSURFACEDATA* sd = Own();
        EXPECT_EQ(DDCreateSurfaceFromFile(sd, name.c_str(), transparent, g_nBitsPerPixel, 1,
                                          DTMEMORYTYPE_VIDEO_RT, 0, 0, 0, 0, 0),
                  0);
        return sd;
    }

    static void SetRow(DDSURFACEDATA* sd, int y, const std::vector<uint32_t>& values) {
        for (size_t x = 0; x < values.size(); ++x)
            Pixels(*sd).Set(static_cast<int>(x), y, values[x]);
    }
};

}  // namespace wftest
