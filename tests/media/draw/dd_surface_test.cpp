// Surfaces: texture sizes, colour keys per depth, mirrored cells, the bitmap table, the
// palette and the palette-index maps.
#include "media/draw/dd_surface.h"

#include "media/draw/dd_blit.h"
#include "support/dd_test_fixture.h"
#include "support/media_test.h"
#include "platform/msg/msg.h"

using namespace wftest;

TEST_F(DDTest, TextureSizesFollowTheDeviceCapabilities) {
    Write("big.bmp", Bmp24(100, 60, std::vector<uint32_t>(6000, 0x123456)));
    struct Case {
        bool pow2, square;
        int allocWidth, allocHeight;
    };
    const Case cases[] = {{false, false, 100, 60},
                          {true, false, 128, 64},
                          {true, true, 128, 128},
                          {false, true, 100, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pow2 " << c.pow2 << " square " << c.square);
        vid::Caps caps;
        caps.pow2Only = c.pow2;
        caps.squareOnly = c.square;
        caps.maxTextureWidth = 64;
        vid::SetCaps(caps);
        ASSERT_TRUE(Restart(1, 32, true));
        DDSURFACEDATA& sd = *FromFile("big.bmp", 0, 32, DTMEMORYTYPE_VIDEO_NORT);
        EXPECT_EQ(sd.nWidth, 100);
        EXPECT_EQ(sd.nHeight, 60);
        EXPECT_EQ(sd.nAllocWidth, c.allocWidth);
        EXPECT_EQ(sd.nAllocHeight, c.allocHeight);
        EXPECT_EQ(Pixels(sd).Get(99, 59), 0xFF123456u);
        EXPECT_EQ(Pixels(sd).Get(c.allocWidth - 1, c.allocHeight - 1),
                  c.allocWidth > 100 || c.allocHeight > 60 ? 0u : 0xFF123456u);
    }
    EXPECT_NE(Trace().find("DTMEMORYTYPE_VIDEO_NORT"), std::string::npos);
    EXPECT_NE(Report().find("(big.bmp)"), std::string::npos);  // the size warning names the file
}

TEST_F(DDTest, DirectDraw16BitColourKeyNeverSwallowsOpaquePixels) {
    ASSERT_TRUE(Init(0, 16, false));
    DDSetTransmitRGB(255, 0, 255);
    EXPECT_EQ(DDDevice().dwColorKey, 0xF81Fu);
    // (255,4,255) also converts to 0xF81F and is moved one below; (255,0,247) converts to
    // that lower value and stays; a picture 7 wide in cells of 3 mirrors two cells and
    // leaves the last column undrawn.
    Write("k.bmp",
          Bmp24(7, 1, {0xFF00FF, 0xFF04FF, 0xFF00F7, 0x000000, 0x0000FF, 0x00FF00, 0xFFFFFF}));
    EXPECT_EQ(RowOf(FromFile("k.bmp", 1, 16), 0, 7),
              (std::vector<uint32_t>{0xF81F, 0xF81E, 0xF81E, 0x0000, 0x001F, 0x07E0, 0xFFFF}));
    DDSURFACEDATA* mirrored = FromFile("k.bmp", 1, 16, 0, 0, 3);
    const uint32_t undrawn = DDPalToRGB16(g_DisplayPalette[0]);
    EXPECT_EQ(RowOf(mirrored, 0, 7),
              (std::vector<uint32_t>{0xF81E, 0xF81E, 0xF81F, 0x07E0, 0x001F, 0x0000, undrawn}));
    EXPECT_EQ(mirrored->nMirrorCellWidth, 3);
}

TEST_F(DDTest, TransparentColourInEveryDepth) {
    struct Case {
        uint32_t mode;
        int bits;
        uint32_t colourKey;
        uint16_t transmit16;
    };
    // Direct3D at 16 bits leaves the DirectDraw key as it was (kNotChecked).
    constexpr uint32_t kNotChecked = 0xFFFFFFFF;
    const Case cases[] = {{0, 32, 0xFF00FF, 0}, {1, 16, kNotChecked, 0xFC1F}, {1, 32, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " bits " << c.bits);
        ASSERT_TRUE(Init(c.mode, c.bits, false));
        DDSetTransmitRGB(255, 0, 255);
        if (c.colourKey != kNotChecked) {
            EXPECT_EQ(DDDevice().dwColorKey, c.colourKey);
        }
        if (lpDTCon) {
            EXPECT_EQ(lpDTCon->wTransmit_16, c.transmit16);
            EXPECT_EQ(lpDTCon->dwTransmitARGB, 0xFFFF00FFu);
        }
        DDEnd();
    }
    // From a picture: its top-left pixel; in Direct3D the 8-bit picture's entry 0 keys
    // 16-bit texture loading.
    Write("t8.bmp", Bmp8(2, 1, {0x00FF00, 0x0000FF}, {1, 0}));
    ASSERT_TRUE(Init(1, 16, true));
    ASSERT_TRUE(DDSetTransmit("t8.bmp"));
    EXPECT_EQ(lpDTCon->rgbTransmit.rgbtBlue, 0xFF);
    EXPECT_EQ(lpDTCon->rgbTransmit16.rgbtGreen, 0xFF);
    EXPECT_EQ(lpDTCon->wTransmit_16, 0x801F);
    // Blue stays: the green of entry 0 is the key.
    EXPECT_EQ(RowOf(FromFile("t8.bmp", 1, 16), 0, 2), (std::vector<uint32_t>{0x801F, 0}));
    EXPECT_FALSE(DDSetTransmit("missing.bmp"));
    ASSERT_TRUE(Restart(0, 32, false));
    ASSERT_TRUE(DDSetTransmit("t8.bmp"));
    EXPECT_EQ(DDDevice().dwColorKey, 0x0000FFu);
    EXPECT_EQ(DDDevice().lpTransTriple->rgbtBlue, 0xFF);
}

TEST_F(DDTest, Direct3DMirrorsEveryWholeCellInPlace) {
    ASSERT_TRUE(Init(1, 32, true));
    Write("m.bmp", Bmp24(5, 1, {1, 2, 3, 4, 5}));
    EXPECT_EQ(RowOf(FromFile("m.bmp", 0, 32, 0, 0, 2), 0, 5),
              (std::vector<uint32_t>{0xFF000002, 0xFF000001, 0xFF000004, 0xFF000003, 0}));
    // The temporary is gone; VirBackBuffer, WorkSD and the surface stay.
    EXPECT_EQ(DDSurfaceList().size(), 3u);
}

TEST_F(DDTest, ADeferredTableEntryDrawsFromThePictureThatHoldsItsTexture) {
    // Entry 3 holds the picture; 4 is its mirrored twin (two-dot cells) and 5 a plain
    // deferred copy, both kept as sizes only in Direct3D; 6 is deferred with no twin.
    Write("m.bmp", Bmp24(4, 1, {1, 2, 3, 4}));
    Write("lone.bmp", Bmp24(4, 1, {1, 2, 3, 4}));
    for (int i : {3, 4, 5}) SetFile(i, "m.bmp");
    SetFile(6, "lone.bmp");
    files_[4].p4 = files_[5].p4 = files_[6].p4 = 1;
    files_[4].p7 = 2;
    const int entries[] = {4, 5, 6, 3};  // the twin first: linked once the load is done
    for (uint32_t mode : {1u, 0u}) {
        SCOPED_TRACE(mode ? "Direct3D" : "DirectDraw");
        ASSERT_TRUE(Restart(mode, 32, true));
        ASSERT_TRUE(DDLoadSurfaceTable(table_, entries, 4));
        EXPECT_EQ(table_[4].lpAlias, mode ? &table_[3] : nullptr);
        EXPECT_EQ(table_[5].lpAlias, mode ? &table_[3] : nullptr);
        EXPECT_EQ(table_[6].lpAlias, nullptr);
        EXPECT_EQ(DDDrawnSurface(&table_[4]), mode ? &table_[3] : &table_[4]);
        // Each cell of the twin reads turned over in its own place, in both modes.
        DDSURFACEDATA* dst = Own();
        ASSERT_TRUE(DDCreateSurface(dst, 4, 1, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
        EXPECT_EQ(DDBltFast(dst, 0, 0, 2, 1, &table_[4], 0, 0, 0), vid::kOk);
        EXPECT_EQ(DDBltFast(dst, 2, 0, 2, 1, &table_[4], 2, 0, 0), vid::kOk);
        const uint32_t alpha = mode ? 0xFF000000 : 0;
        EXPECT_EQ(RowOf(dst, 0, 4), (std::vector<uint32_t>{alpha | 2, alpha | 1, alpha | 4,
                                                            alpha | 3}));
        DDReleaseSurface(&table_[4]);
        EXPECT_EQ(table_[4].lpAlias, nullptr);
    }
}

TEST_F(DDTest, BitmapTableLoadStopsAtAMissingPictureUnlessOptional) {
    ASSERT_TRUE(Init(1, 32, true));
    files_[3].p9 = 40;
    files_[3].p10 = 24;
    SetFile(4, "bmp\\nothere.bmp");
    files_[4].p6 = 1;
    const int optional[] = {3, 4};
    ASSERT_TRUE(DDLoadSurfaceTable(table_, optional, 2));
    EXPECT_EQ(table_[3].nWidth, 40);
    EXPECT_EQ(table_[3].nHeight, 24);
    EXPECT_STREQ(table_[3].szFile, "E");
    EXPECT_EQ(DDDeviceSurface(&table_[4]), nullptr);
    files_[4].p6 = 0;
    const int required[] = {4};
    EXPECT_FALSE(DDLoadSurfaceTable(table_, required, 1));
    const auto asked = boxes_.Asked();
    ASSERT_EQ(asked.size(), 1u);
    // "bmp\nothere.bmp の読み込みに失敗！" in code page 932.
    const std::vector<uint8_t> text = wftest::Hex(
        "62 6D 70 5C 6E 6F 74 68 65 72 65 2E 62 6D 70 20"  // bmp\nothere.bmp and a space
        "82 CC 93 C7 82 DD 8D 9E 82 DD 82 C9 8E B8 94 73 81 49");
    EXPECT_EQ(wftest::BytesOf(asked[0].textSjis), text);
    const int outside[] = {kBitmapTableSize};
    EXPECT_FALSE(DDLoadSurfaceTable(table_, outside, 1));
}

TEST_F(DDTest, OutOfVideoMemoryFallsBackAndFailureInSystemMemoryCloses) {
    ASSERT_TRUE(Init(1, 32, true));
    vid::SetOutOfVideoMemory(true);
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 16, 16, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    EXPECT_EQ(DDDeviceSurface(&sd)->GetPool(), vid::Pool::System);
    EXPECT_EQ(sd.lpDT->bRenderTarget, 0);
    EXPECT_NE(Report().find("VRAM"), std::string::npos);
    DDReleaseSurface(&sd);
    wftest::PostedMessages posted;
    vid::SetFailPoint(vid::FailPoint::CreateTexture);
    EXPECT_FALSE(DDCreateSurface(&sd, 16, 16, 1, 0, DTMEMORYTYPE_SYSTEM, 0, 0));
    EXPECT_EQ(posted.Count(WM_CLOSE), 1);
    DDReleaseSurface(&sd);
    // Deferred: only the size is kept.
    vid::ResetHooks();
    ASSERT_TRUE(DDCreateSurface(&sd, 30, 20, 0, 0, 0, 1, 0));
    EXPECT_EQ(sd.nWidth, 30);
    EXPECT_EQ(DDDeviceSurface(&sd), nullptr);
    DDReleaseSurface(&sd);
}

TEST_F(DDTest, PaletteLoadsFromThePictureInEachMode) {
    std::vector<uint32_t> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uint32_t>(i) << 16 | static_cast<uint32_t>(255 - i);
    // 16 x 24 picture; rows 8..23 hold indices 0..255, the block the palette is read from.
    std::vector<uint8_t> idx(16 * 24, 7);
    for (int i = 0; i < 256; ++i) idx[(8 + i / 16) * 16 + i % 16] = static_cast<uint8_t>(i);
    Write("plt.bmp", Bmp8(16, 24, table, idx));

    ASSERT_TRUE(Init(1, 32, true));
    ASSERT_TRUE(DDLoadPaletteFromFile(g_DisplayPalette, "plt.bmp", 1));
    EXPECT_EQ(g_DisplayPalette[9].peRed, 9);
    EXPECT_EQ(g_DisplayPalette[9].peBlue, 246);
    EXPECT_EQ(g_DisplayPalette[9].peFlags, 255);

    ASSERT_TRUE(Restart(0, 8, false));
    ASSERT_TRUE(DDLoadPaletteFromFile(g_DisplayPalette, "plt.bmp", 0));
    EXPECT_EQ(g_DisplayPalette[5].peFlags, PC_EXPLICIT);
    EXPECT_EQ(g_DisplayPalette[100].peFlags, PC_RESERVED);
    EXPECT_EQ(DDDevice().DisplayPalette[100], 0x0064009Bu);

    // DirectDraw 16 bits: field values, which convert back to exactly the block's pixels.
    ASSERT_TRUE(Restart(0, 16, false));
    ASSERT_TRUE(DDLoadPaletteFromFile(g_DisplayPalette, "plt.bmp", 0));
    DDSURFACEDATA& sd = *FromFile("plt.bmp", 0, 16);
    for (int i : {0, 1, 100, 255}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(DDPalToRGB16(g_DisplayPalette[i]), Pixels(sd).Get(i % 16, 8 + i / 16));
    }
    EXPECT_EQ(g_DisplayPalette[255].peRed, 31);
    EXPECT_EQ(g_DisplayPalette[255].peGreen, 0);
    EXPECT_FALSE(DDLoadPaletteFromFile(g_DisplayPalette, "none.bmp", 0));
}

TEST_F(DDTest, PaletteIndexMapsFindTheFirstMatchingEntry) {
    struct Case {
        uint32_t mode;
        int bits;
    };
    for (const Case& c : {Case{0, 16}, Case{0, 32}, Case{1, 16}, Case{1, 32}}) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " bits " << c.bits);
        ASSERT_TRUE(Restart(c.mode, c.bits, false));
        for (PALETTEENTRY& e : g_DisplayPalette) e = {1, 2, 3, 0};
        // Full-range colours survive every 16-bit format, so all modes agree.
        const bool ddFields = c.mode == 0 && c.bits == 16;
        g_DisplayPalette[0] =
            ddFields ? PALETTEENTRY{31, 63, 31, 0} : PALETTEENTRY{255, 255, 255, 0};
        g_DisplayPalette[4] = ddFields ? PALETTEENTRY{31, 0, 0, 0} : PALETTEENTRY{255, 0, 0, 0};
        g_DisplayPalette[9] = g_DisplayPalette[4];  // a later duplicate never wins
        g_DisplayPalette[200] = ddFields ? PALETTEENTRY{0, 0, 31, 0} : PALETTEENTRY{0, 0, 255, 0};
        DDSetTransmitRGB(0, 255, 0);
        Write("ix.bmp", Bmp24(4, 1, {0xFF0000, 0x0000FF, 0xFFFFFF, 0x00FF00}));
        std::vector<uint8_t>* map = DDIndexMap(FromFile("ix.bmp", 1, c.bits, 0, 1));
        ASSERT_NE(map, nullptr);
        ASSERT_GE(map->size(), 4u);
        EXPECT_EQ((*map)[0], 4);
        EXPECT_EQ((*map)[1], 200);
        EXPECT_EQ((*map)[2], 0);
        // The transparent pixel: index 0 in Direct3D 16-bit whatever entry 0 is; no match
        // anywhere else leaves 0 too.
        EXPECT_EQ((*map)[3], 0);
    }
}

TEST_F(DDTest, LocksAliasesAndRelease) {
    ASSERT_TRUE(Init(1, 32, true));
    void* pointer = &pointer;
    DDLOCKDESC desc;
    EXPECT_TRUE(DDLock(&BackBuffer, &desc, &pointer, 32));
    EXPECT_EQ(pointer, &pointer);  // untouched in Direct3D mode

    DDSURFACEDATA target, alias;
    ASSERT_TRUE(DDCreateSurface(&target, 8, 8, 0, 0, 0, 0, 0));
    DDAllocDeviceRecord(&alias);
    alias.lpAlias = &target;
    DDSURFACEDATA* followed = &alias;
    DDFollowSurfaceAlias(followed);
    EXPECT_EQ(followed, &target);
    DDReleaseSurface(&alias);
    EXPECT_NE(DDDeviceSurface(&target), nullptr);
    DDReleaseSurface(&target);
    DDReleaseSurface(&target);  // twice is harmless
    EXPECT_EQ(DDDeviceSurface(&target), nullptr);

    // A render target's pixels go through its system-memory copy and come back.
    {
        DDSurfaceLock lock;
        ASSERT_TRUE(lock.Lock(&WorkSD));
        lock.Image()->Set(2, 2, 0x80402010);
    }
    EXPECT_EQ(Pixels(WorkSD).Get(2, 2), 0x80402010u);
    vid::SetFailPoint(vid::FailPoint::GetRenderTargetData, 1);
    DDSurfaceLock failing;
    EXPECT_FALSE(failing.Lock(&WorkSD));
    EXPECT_NE(Trace().find("GetRenderTargetData"), std::string::npos);
    // Read only, it shows the render target's pixels as they are now (drawn since the
    // last lock too) and fails as the copy would.
    Pixels(WorkSD).Set(3, 3, 0x11223344);
    {
        DDSurfaceLock reading;
        ASSERT_TRUE(reading.LockToRead(&WorkSD));
        EXPECT_EQ(reading.Image()->Get(2, 2), 0x80402010u);
        EXPECT_EQ(reading.Image()->Get(3, 3), 0x11223344u);
    }
    vid::SetFailPoint(vid::FailPoint::GetRenderTargetData, 1);
    EXPECT_FALSE(failing.LockToRead(&WorkSD));

    std::list<DDSURFACEDATA> list;
    std::list<DDSURFACEFILE> fileList;
    ASSERT_TRUE(DDAddSurfaceEx(list, fileList, 10, 12, 1, 0, DTMEMORYTYPE_SYSTEM, 0));
    EXPECT_EQ(fileList.front().p9, 10);
    EXPECT_EQ(fileList.front().p3, DTMEMORYTYPE_SYSTEM);
    EXPECT_EQ(DDRemoveSurface(list, fileList, &list.front()), 1);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(fileList.empty());
    EXPECT_EQ(DDRemoveSurface(list, fileList, &target), 0);
}
