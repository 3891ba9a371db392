// The drawing device: start in every admitted mode, failures and fallback, presentation,
// loss and restore, and the full-screen box.
#include "media/draw/dd_device.h"

#include "support/dd_test_fixture.h"
#include "support/media_test.h"
#include "platform/msgbox/msgbox.h"

using namespace wftest;

TEST_F(DDTest, StartsInEveryModeAndDepthTheDisplayDecisionAdmits) {
    struct Case {
        uint32_t mode;
        int bits;
        bool windowed;
        vid::PixelFormat backBuffer;
    };
    const Case cases[] = {
        {0, 8, false, vid::PixelFormat::Indexed8},  {0, 16, false, vid::PixelFormat::R5G6B5},
        {0, 32, false, vid::PixelFormat::X8R8G8B8}, {0, 16, true, vid::PixelFormat::R5G6B5},
        {0, 32, true, vid::PixelFormat::X8R8G8B8},  {1, 16, true, vid::PixelFormat::A1R5G5B5},
        {1, 16, false, vid::PixelFormat::R5G6B5},   {1, 32, true, vid::PixelFormat::X8R8G8B8},
        {1, 32, false, vid::PixelFormat::X8R8G8B8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "mode " << c.mode << " bits " << c.bits << " windowed " << c.windowed);
        vid::Caps caps;
        caps.desktopBits = c.bits;
        vid::SetCaps(caps);
        ASSERT_TRUE(Init(c.mode, c.bits, c.windowed));
        EXPECT_EQ(lpDTCon != nullptr, c.mode != 0);
        EXPECT_EQ(g_nBitsPerPixel, c.bits);
        EXPECT_EQ(Pixels(BackBuffer).Format(), c.backBuffer);
        EXPECT_TRUE(GetDisplayFlags().started);
        EXPECT_EQ(GetDisplayFlags().windowed.load(), c.windowed);
        EXPECT_EQ(presenter_->FullScreen(), !c.windowed);
        if (c.mode) {
            EXPECT_EQ(lpDTCon->TextureFormat,
                      c.bits == 16 ? vid::PixelFormat::A1R5G5B5 : vid::PixelFormat::A8R8G8B8);
            EXPECT_STREQ(VirBackBuffer.szName, "VirBackBuffer");
            EXPECT_STREQ(WorkSD.szName, "WorkSD");
            EXPECT_EQ(VirBackBuffer.lpDT->bRenderTarget, 1);
        } else if (c.bits == 16) {
            // Two starts in one run read the same R5G6B5 shifts.
            EXPECT_EQ(DDDevice().ScreenFormat.nShiftR, 11);
            EXPECT_EQ(DDDevice().ScreenFormat.nShiftG, 5);
            EXPECT_EQ(DDDevice().ScreenFormat.nMaskG, 63);
        }
        DDEnd();
        EXPECT_FALSE(GetDisplayFlags().started);
        EXPECT_EQ(lpDTCon, nullptr);
        DDEnd();  // a second end does nothing
    }
    EXPECT_TRUE(boxes_.Asked().empty());  // nothing leaked
}

TEST_F(DDTest, Direct3DFailuresEndTheStartAndDirectDrawTakesOver) {
    struct Case {
        const char* name;
        int bits;
        vid::FailPoint fail;
        int ddi;
        const char* traced;
    };
    const Case cases[] = {
        {"no device", 32, vid::FailPoint::CreateDeviceHardware, 9, "CreateDevice Err"},
        {"depth 24", 24, vid::FailPoint::Count, 9, nullptr},
        {"old driver", 32, vid::FailPoint::Count, 8, nullptr},
        {"no back vertex buffer", 16, vid::FailPoint::CreateVertexBuffer, 9,
         "Back CreateVertexBuffer Err 80004005"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vid::Caps caps;
        caps.ddiVersion = c.ddi;
        vid::SetCaps(caps);
        if (c.fail != vid::FailPoint::Count) vid::SetFailPoint(c.fail);
        if (c.fail == vid::FailPoint::CreateDeviceHardware)
            vid::SetFailPoint(vid::FailPoint::CreateDeviceSoftware);
        EXPECT_FALSE(Init(1, c.bits, true));
        EXPECT_FALSE(GetDisplayFlags().started);
        if (c.traced) {
            EXPECT_NE(Trace().find(c.traced), std::string::npos);
        }
        vid::ResetHooks();
        vid::SetPacingEnabled(false);
        DDEnd();
        EXPECT_EQ(lpDTCon, nullptr);
        ASSERT_TRUE(Init(0, 32, true));
        EXPECT_EQ(lpDTCon, nullptr);
        DDEnd();
    }
    // Hardware vertex processing refused: the software one serves.
    vid::SetFailPoint(vid::FailPoint::CreateDeviceHardware, 1);
    EXPECT_TRUE(Init(1, 32, true));
    EXPECT_NE(Report().find("Device HAL-SOFT"), std::string::npos);
}

TEST_F(DDTest, DirectDrawStartFailuresAreNamedByTheirCode) {
    struct Case {
        vid::FailPoint fail;
        int bits;
        bool windowed;
        const char* text;
    };
    const Case cases[] = {
        {vid::FailPoint::DirectDrawCreate, 16, false, "CREATEEX_ERR"},
        {vid::FailPoint::SetCooperativeLevel, 16, false, "SETCOOPLEVEL_ERR"},
        {vid::FailPoint::SetDisplayMode, 16, false, "SETDISPLAYMODE_ERR"},
        {vid::FailPoint::CreatePrimary, 16, false, "CREATESURFACE_ERR"},
        {vid::FailPoint::GetAttachedSurface, 16, false, "GETATTACHEDSURFACE_ERR"},
        {vid::FailPoint::CreatePalette, 16, false, "CREATEPALETTE_ERR"},
        {vid::FailPoint::SetPalette, 8, false, "SETPALETTE_ERR"},
        {vid::FailPoint::CreateClipper, 32, true, "CLIPPER_ERR"},
        {vid::FailPoint::SetClipperWindow, 32, true, "SETHWND_ERR"},
        {vid::FailPoint::SetClipper, 32, true, "SETCLIPPER_ERR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        vid::SetFailPoint(c.fail, 1);
        EXPECT_FALSE(Init(0, c.bits, c.windowed));
        EXPECT_NE(Trace().find(c.text), std::string::npos);
        DDEnd();
    }
    EXPECT_TRUE(DDErrorText(8));
    EXPECT_TRUE(DDErrorText(9));
    EXPECT_TRUE(DDErrorText(0));
    EXPECT_FALSE(DDErrorText(12));
}

TEST_F(DDTest, RefreshRateDecidesVSync) {
    vid::Caps caps;
    caps.refreshRate = 75;
    vid::SetCaps(caps);
    ASSERT_TRUE(Init(1, 32, true, 1));
    EXPECT_EQ(DDDevice().bVSync, 0u);
    EXPECT_EQ(lpDTCon->PresentParams.bIntervalImmediate, 1);
    EXPECT_NE(Report().find("RefreshRate : 75"), std::string::npos);
    DDEnd();
    // DirectDraw full screen asks for 60 Hz and settles for the display's own rate.
    ASSERT_TRUE(Init(0, 16, false, 1));
    DDEnd();
    caps.refreshRate = 60;
    vid::SetCaps(caps);
    ASSERT_TRUE(Init(1, 32, true, 1));
    EXPECT_EQ(DDDevice().bVSync, 1u);
    EXPECT_EQ(lpDTCon->PresentParams.bIntervalImmediate, 0);
}

TEST_F(DDTest, FlipShowsTheBackBufferThroughTheChain) {
    for (uint32_t choice : {1u, 2u}) {
        SCOPED_TRACE(choice);
        ASSERT_TRUE(Init(0, 32, false, 0, choice));
        EXPECT_EQ(DDDevice().lpSpareBuffer != nullptr, choice == 2);
        Pixels(BackBuffer).Set(3, 0, 0x123456);
        ASSERT_TRUE(DDFlip());
        EXPECT_EQ(presenter_->Pixels()[3], 0xFF123456u);
        EXPECT_EQ(Pixels(PrimarySurface).Get(3, 0), 0x123456u);
        DDEnd();
    }
    // The 8-bit display is shown through its palette.
    ASSERT_TRUE(Init(0, 8, false));
    PALETTEENTRY pal[256] = {};
    pal[5] = {0x10, 0x20, 0x30, 0};
    DDSetPalette(pal);
    Pixels(BackBuffer).Set(0, 0, 5);
    ASSERT_TRUE(DDBltToPrimary());
    EXPECT_EQ(presenter_->Pixels()[0], 0xFF102030u);
}

TEST_F(DDTest, SurfacesLeftAtTheEndAreReported) {
    ASSERT_TRUE(Init(0, 16, false));
    DDSURFACEDATA stray;
    ASSERT_TRUE(DDCreateSurface(&stray, 4, 4, 0, 0, 0, 0, 0));
    DDEnd();
    const auto asked = boxes_.Asked();
    ASSERT_EQ(asked.size(), 1u);
    // "解放漏れがあります" in code page 932.
    EXPECT_EQ(wftest::BytesOf(asked[0].textSjis),
              wftest::Hex("89 F0 95 FA 98 52 82 EA 82 AA 82 A0 82 E8 82 DC 82 B7"));
    EXPECT_EQ(asked[0].captionSjis, "DirectDraw");
    EXPECT_EQ(asked[0].type, MB_ICONHAND);
    DDReleaseSurface(&stray);
}

TEST_F(DDTest, LostDeviceIsRestoredAndOwnersRedraw) {
    ASSERT_TRUE(Init(1, 32, true));
    DDSetTransmitRGB(255, 0, 255);
    Write("pic.bmp", Bmp24(2, 1, {0xFF00FF, 0x102030}));
    SetFile(0, "pic.bmp");
    files_[0].p1 = 1;
    files_[1].p9 = 3;
    files_[1].p10 = 2;
    files_[2].p3 = DTMEMORYTYPE_SYSTEM;  // survives the loss with what was drawn on it
    files_[2].p9 = files_[2].p10 = 2;
    const int indices[] = {0, 1, 2};
    ASSERT_TRUE(DDLoadSurfaceTable(table_, indices, 3));
    EXPECT_EQ(Pixels(table_[0]).Get(0, 0), 0u);  // the transparent colour
    EXPECT_EQ(Pixels(table_[0]).Get(1, 0), 0xFF102030u);
    EXPECT_EQ(Pixels(table_[1]).Get(0, 0),
              0xFFFF00FFu);  // a new render target shows the key colour
    Pixels(table_[1]).Set(0, 0, 0xFFABCDEF);
    Pixels(table_[2]).Set(1, 1, 0xFF123456);

    vid::LoseDevice(false);
    EXPECT_EQ(D3DPresent(0, 0, 0), 0);
    EXPECT_EQ(DDRestoreSurface(), 0);  // not yet resettable: stays lost, asks again later
    vid::LoseDevice(true);
    ASSERT_EQ(DDRestoreSurface(), 1);
    EXPECT_EQ(D3DPresent(0, 0, 0), 1);
    EXPECT_EQ(Pixels(table_[0]).Get(1, 0), 0xFF102030u);
    EXPECT_EQ(Pixels(table_[0]).Get(0, 0), 0u);
    EXPECT_EQ(table_[1].bRecreated, 1);
    EXPECT_EQ(Pixels(table_[1]).Get(0, 0), 0xFFFF00FFu);  // its owner draws it again
    EXPECT_EQ(Pixels(table_[2]).Get(1, 1), 0xFF123456u);
    EXPECT_EQ(Pixels(VirBackBuffer).Width(), 640);
    const std::string trace = Trace();
    EXPECT_NE(trace.find("VSync : 0"), std::string::npos);  // the start-up line, traced too
    EXPECT_NE(trace.find("Restore In"), std::string::npos);
    EXPECT_NE(trace.find("Restore Out"), std::string::npos);
}

TEST_F(DDTest, LostDirectDrawSurfacesAreRestoredAndRedrawnFromTheirFiles) {
    ASSERT_TRUE(Init(0, 16, false));
    Write("pic.bmp", Bmp24(2, 1, {0xFF0000, 0x0000FF}));
    SetFile(0, "pic.bmp");
    files_[2].p2 = 1;  // an empty surface in system memory is never lost
    const int indices[] = {0, 1, 2};
    ASSERT_TRUE(DDLoadSurfaceTable(table_, indices, 3));
    EXPECT_EQ(Pixels(table_[0]).Get(0, 0), 0xF800u);
    vid::LoseSurfaces();
    EXPECT_EQ(Pixels(table_[0]).Get(0, 0), 0xCDCDu);
    ASSERT_EQ(DDRestore(), 1);
    EXPECT_EQ(Pixels(table_[0]).Get(0, 0), 0xF800u);
    EXPECT_EQ(Pixels(table_[0]).Get(1, 0), 0x001Fu);
    EXPECT_EQ(table_[0].bRecreated, 0);
    EXPECT_EQ(table_[1].bRecreated, 1);
    EXPECT_EQ(table_[2].bRecreated, 0);
    EXPECT_TRUE(DDFlip());
}

TEST_F(DDTest, FullScreenBoxesGoThroughTheDialogMode) {
    wftest::ScriptedBoxes boxes({IDNO});
    ASSERT_TRUE(Init(1, 32, false));
    EXPECT_FALSE(presenter_->CursorVisible());
    EXPECT_EQ(AppMessageBox("q", "c", MB_YESNO), IDNO);
    EXPECT_EQ(boxes.Asked().size(), 1u);
    EXPECT_FALSE(presenter_->CursorVisible());  // hidden again after the box
    vid::SetFailPoint(vid::FailPoint::SetDialogBoxMode, 1);
    EXPECT_EQ(DDMesBox("text", "cap", MB_OK), 0);
    EXPECT_NE(Trace().find("text, cap"), std::string::npos);
    EXPECT_EQ(boxes.Asked().size(), 1u);
}

TEST_F(DDTest, VirtualBackBufferTakesTheDrawingAndIsCopiedOut) {
    ASSERT_TRUE(Init(1, 16, false));
    DDSURFACEDATA* target = &BackBuffer;
    EXPECT_EQ(D3DRedirectBackBuffer(&target), 0);
    D3DUseVirtualBackBuffer(1);
    EXPECT_EQ(lpDTCon->lpRenderTarget, &BackBuffer);
    ASSERT_EQ(D3DRedirectBackBuffer(&target), 1);
    EXPECT_EQ(target, &VirBackBuffer);
    // A1R5G5B5 texture pixel into the R5G6B5 full-screen back buffer: green doubled.
    Pixels(VirBackBuffer).Set(1, 0, 0x8000 | 31 << 10 | 17 << 5 | 3);
    EXPECT_EQ(D3DPresent(0, 0, 0), 1);
    EXPECT_EQ(Pixels(BackBuffer).Get(1, 0), static_cast<uint32_t>(31 << 11 | 34 << 5 | 3));
    D3DUseVirtualBackBuffer(0);
    EXPECT_EQ(lpDTCon->lpRenderTarget, &VirBackBuffer);
}
