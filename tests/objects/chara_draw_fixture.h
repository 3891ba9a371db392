// The drawing tests of characters, items and shots: DirectDraw at 32 bits, a small surface
// table whose sheets hold numbered pixels, the other sheets, and a character on the sheet.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/database.h"
#include "data/effect_inst.h"
#include "object_fakes.h"
#include "data/vocab_effects.h"
#include "objects/chara_draw.h"
#include "objects/display_effects.h"
#include "objects/stage_chara.h"
#include "support/bmp.h"
#include "support/dd_blit_fixture.h"

namespace wftest {

class CharaDrawTest : public DrawTest {
  protected:
    static constexpr int kTable = 40;

    void SetUp() override {
        DrawTest::SetUp();
        ASSERT_TRUE(Init(mode_, bits_, false));
        DDSetTransmitRGB(255, 0, 255);
        key_ = lpDTCon ? 0 : DDDevice().dwColorKey;
        // Block 64 x 96, character pairs 4..7 and the shot pair 128 x 64.
        Sheet(2, 64, 96);
        for (int i = 4; i < 8; ++i) Sheet(i, 128, 64);
        Sheet(20, 128, 64);
        Sheet(21, 128, 64);
        DrawSheets s;
        s.table = table_;
        s.tableSize = kTable;
        s.itemSheet = Numbered(Make(128, 64, 1, DTMEMORYTYPE_SYSTEM), 30);
        s.iconSheet = Numbered(Make(64, 64, 1, DTMEMORYTYPE_SYSTEM), 31);
        s.work = Make(320, 320, 1, DTMEMORYTYPE_SYSTEM);
        SetDrawSheets(s);
        g_Database.m_vAnimeSet.assign(1, cAnimeSet{});
        std::swap(g_CharaEffectInst, savedInst_);
        std::swap(g_CharaEffectInstRev, savedRev_);
    }
    void TearDown() override {
        SetDrawSheets(DrawSheets{});
        g_Database.m_vAnimeSet.clear();
        g_Database.m_vCharaEffect.clear();
        g_Database.m_vCharaEffectRev.clear();
        std::swap(g_CharaEffectInst, savedInst_);
        std::swap(g_CharaEffectInstRev, savedRev_);
        for (DDSURFACEDATA& sd : table_) DDReleaseSurface(&sd);
        DrawTest::TearDown();
    }

    // Pixel (x, y) of sheet `id`: id in the top byte, then y and x; never the key.
    static uint32_t Px(int id, int x, int y) {
        return static_cast<uint32_t>(id) << 16 | static_cast<uint32_t>(y) << 8 |
               static_cast<uint32_t>(x);
    }
    // Pixels are written as they stand at DirectDraw's 32 bits, else as opaque colours of
    // the mode.
    DDSURFACEDATA* Numbered(DDSURFACEDATA* sd, int id) const {
        for (int y = 0; y < sd->nHeight; ++y)
            for (int x = 0; x < sd->nWidth; ++x) {
                const uint32_t v = Px(id, x, y);
                Pixels(*sd).Set(x, y,
                                mode_ == 0 && bits_ == 32
                                    ? v
                                    : vid::FromArgb(0xFF000000u | v, DDSurfaceFormat()));
            }
        return sd;
    }
    void Sheet(int i, int w, int h) {
        ASSERT_TRUE(DDCreateSurface(&table_[i], w, h, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
        Numbered(&table_[i], i);
    }
    DDSURFACEDATA* Target(int w, int h) {
        DDSURFACEDATA* sd = Make(w, h, 0, lpDTCon ? DTMEMORYTYPE_VIDEO_RT : DTMEMORYTYPE_SYSTEM);
        Pixels(*sd).FillAll(0);
        return sd;
    }

    // Character effects of the given records (kind and five parameters), forward states.
    void Effects(const std::vector<std::vector<int32_t>>& records) {
        g_Database.m_vCharaEffect.assign(records.size(), cCharaEffect{});
        for (size_t i = 0; i < records.size(); ++i) {
            g_Database.m_vCharaEffect[i].m_nKind = static_cast<uint32_t>(records[i][0]);
            for (size_t k = 1; k < records[i].size(); ++k)
                g_Database.m_vCharaEffect[i].m_anParam[k - 1] = records[i][k];
        }
        g_Database.BuildReversedLists();
        g_Database.SizeCharaEffectStates(g_CharaEffectInst, g_CharaEffectInstRev);
    }

    // Records of every kind with the stored defaults of its parameters.
    void DefaultEffects() {
        std::vector<std::vector<int32_t>> records;
        for (int32_t kind = 0; kind < kDispEffectKinds; ++kind) {
            std::vector<int32_t> r = {kind};
            for (int i = 0; i < kEffectParamSlots; ++i)
                r.push_back(CharaEffectParam(kind, i).defaultValue);
            records.push_back(r);
        }
        Effects(records);
    }
    // Character graphic 0 with an edge of the transparent colour and a diagonal.
    void KeyedPicture() {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (x == 0 || y == 31 || x == y) Pixels(table_[4]).Set(x, y, key_);
    }

    // A 32 x 32 character of graphic 0 at screen (8, 8), facing left, size 1.
    void Place(cChara& c, int size = 1) {
        c.m_Def.m_nBmpSet = kGraphicChara;
        c.m_Def.m_nSize = static_cast<uint8_t>(size);
        c.m_nGraphic = 0;
        c.m_nBaseGraphicWidth = c.m_nBaseGraphicHeight = 32;
        c.m_nGraphicWidth = c.m_nGraphicHeight = 32 * size;
        c.m_dX = 8;
        c.m_dY = 8;
        c.m_nFacing = 0;
    }

    // FNV-1a over the w x h region at (x, y).
    static uint64_t Hash(DDSURFACEDATA* sd, int x, int y, int w, int h) {
        uint64_t hash = 1469598103934665603ull;
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) {
                hash ^= Pixels(*sd).Get(i, j);
                hash *= 1099511628211ull;
            }
        return hash;
    }
    // With WF_DRAW_DUMP naming a folder, the surface is written there for review.
    static void Dump(DDSURFACEDATA* sd, const std::string& name) {
        const char* dir = std::getenv("WF_DRAW_DUMP");
        if (!dir) return;
        std::vector<uint32_t> rgb;
        for (int y = 0; y < sd->nHeight; ++y)
            for (int x = 0; x < sd->nWidth; ++x) rgb.push_back(Pixels(*sd).Get(x, y) & 0xFFFFFF);
        WriteBytes(std::string(dir) + "/" + name + ".bmp", Bmp24(sd->nWidth, sd->nHeight, rgb));
    }

    uint32_t mode_ = 0;  // DirectDraw
    int bits_ = 32;
    DDSURFACEDATA table_[kTable];
    uint32_t key_ = 0;
    std::vector<cEffectInst> savedInst_, savedRev_;
};

}  // namespace wftest
