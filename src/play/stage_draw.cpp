// Stage drawing.
#include "play/stage_draw.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/log.h"
#include "core/maths.h"
#include "core/strings.h"
#include "core/timing.h"
#include "data/builtin_tables.h"
#include "data/database.h"
#include "data/db_effect.h"
#include "data/db_media.h"
#include "data/db_sword.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_draw_helpers.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_sprite.h"
#include "media/draw/font.h"
#include "media/draw/plain_parts.h"
#include "media/sound/sound.h"
#include "flow/flow_scene.h"
#include "objects/chara_draw.h"
#include "objects/flow_host.h"
#include "objects/shot_draw.h"
#include "platform/msg/msg.h"
#include "platform/win_types.h"
#include "play/stage_run.h"

StageDrawScene g_StageDraw;

namespace {

constexpr int32_t kStatusSheet = 40;
constexpr int32_t kDigitSheet = 41;
constexpr int32_t kAnimeSheet = 43;
constexpr int32_t kSystemSheet = 49;
constexpr int32_t kStripSheet = 54;
constexpr int32_t kBlockWorkA = 63;
constexpr int32_t kBlockWorkB = 64;
constexpr int32_t kSightMaskSheet = kSheetSightMask;
constexpr int32_t kSightShapeSheet = 66;
constexpr int kSmallFont = 0;
constexpr int kNormalFont = 1;
constexpr int kLargeFont = 2;

bool HasImage(const DDSURFACEDATA* sd) {
    return sd && DDDeviceSurface(sd) != nullptr;
}

// The sprite batches exist in Direct3D mode only; elsewhere each copy goes straight to
// the back buffer in call order.
struct SpriteBatch {
    explicit SpriteBatch(int sorted, DDSURFACEDATA* texture = nullptr) : on(lpDTCon != nullptr) {
        if (!on) return;
        D3DSpriteBatchBegin(sorted);
        if (texture) D3DSpriteBatchAddTexture(texture);
    }
    ~SpriteBatch() {
        if (on) D3DSpriteBatchEnd();
    }
    SpriteBatch(const SpriteBatch&) = delete;
    SpriteBatch& operator=(const SpriteBatch&) = delete;
    bool on;
};

// The pass an object is drawn in: its display layer, or every object in the one pass.
bool InPass(int32_t layer, int32_t pass, bool layered) {
    return !layered || layer == pass;
}

// ---- Sight -----------------------------------------------------------------------------

// The radius and shape the sight mask in its surface was made for.
struct SightMaskMade {
    int32_t radius = -1;
    uint32_t shape = 0;
};
SightMaskMade g_sightMade;

// The hero's sight through its mask: made at each stage start, and again when the device
// has lost it or the hero's sight is no longer the one it was made for.
void DrawHeroSight(const cPlayer& hero, DDSURFACEDATA* back) {
    const uint32_t shape = hero.m_Def.m_nSightShape;
    if (shape == 0) return;
    DDSURFACEDATA* mask = SheetSurface(kSightMaskSheet);
    if (mask && (mask->bRecreated || g_sightMade.radius != std::max(hero.m_nSightDots, 0) ||
                 g_sightMade.shape != shape))
        MakeHeroSightMask(hero);
    DrawFollowOverlay(hero, back);
}

// ---- Objects ---------------------------------------------------------------------------

void DrawHero(StageDrawScene& scene, cPlayer& hero, DDSURFACEDATA* back, int paused) {
    if (hero.m_bRemoved) {
        if (!DrawVanish(hero, back, paused != 0)) return;
        ++scene.missEnded;
        if (scene.heroVanished) scene.heroVanished();
        return;
    }
    DrawPlayer(hero, back, paused != 0);
    DrawHPGauge(hero, back);
    DrawSPGauge(hero, back);
}

// One stage character; 1 when its vanish animation has ended.
int DrawOneChara(cStageChara& c, DDSURFACEDATA* back, int paused) {
    if (c.m_bRemoved) return DrawVanish(c, back, paused != 0);
    if (c.m_bActive) {
        c.CalcScreenRect();
        // A hidden character only steps its animation and display effect; its gauges
        // still show.
        if (c.m_bHide || c.m_Def.m_bHidden)
            DrawChara(c, back, paused != 0);
        else
            DrawStageChara(c, back, paused != 0);
        DrawHPGauge(c, back);
        DrawSPGauge(c, back);
    } else if (c.m_bRunnable) {
        AdvanceAnims(c, paused != 0);
    }
    return 0;
}

// The character leaves its group, the scene's views and the list at once.
std::list<cStageChara>::iterator EraseVanished(StageRun& run, std::list<cStageChara>::iterator it) {
    cStageChara* c = &*it;
    LeaveGroup(run, *c);
    auto& views = run.stageCharas;
    views.erase(std::remove(views.begin(), views.end(), static_cast<cChara*>(c)), views.end());
    auto& pending = run.objects.pendingCharas;
    pending.erase(std::remove(pending.begin(), pending.end(), c), pending.end());
    return run.objects.charas.erase(it);
}

void DrawObjectPass(StageRun& run, StageDrawScene& scene, DDSURFACEDATA* back, int paused,
                    int32_t pass, bool layered) {
    if (!run.objects.players.empty()) {
        cPlayer& hero = run.objects.players.front();
        if (InPass(hero.m_Def.m_nPriority, pass, layered)) DrawHero(scene, hero, back, paused);
    }
    {
        SpriteBatch batch(1, SheetSurface(kAnimeSheet));
        for (cItemObj& item : run.objects.items) {
            if (!InPass(item.m_Def.m_nPriority, pass, layered)) continue;
            if (!item.m_bActive || item.m_bCarried) continue;
            item.CalcScreenRect();
            DrawItem(item, back, paused != 0);
        }
    }
    for (auto it = run.objects.charas.begin(); it != run.objects.charas.end();) {
        if (InPass(it->m_Def.m_nPriority, pass, layered) && DrawOneChara(*it, back, paused))
            it = EraseVanished(run, it);
        else
            ++it;
    }
    SpriteBatch batch(0);
    for (cShotObj& shot : run.shots) {
        if (!InPass(shot.m_nDepth, pass, layered) || !shot.IsInView()) continue;
        shot.CalcScreenRect();
        DrawShot(shot, back, paused != 0);
    }
}

// ---- Status bar --------------------------------------------------------------------------

constexpr int kStatusScore = 0, kStatusBonus = 1, kStatusHP = 2, kStatusSP = 3, kStatusLives = 4;

bool IsGauge(int item) {
    return item == kStatusHP || item == kStatusSP;
}

int32_t StatusWidth(const cStatusItem& s, int item) {
    int32_t w = s.m_bIcon == 1 ? 16 : 16 * SjisCharCount(s.m_strLabel.c_str());
    w += IsGauge(item) ? 50 : 16 * static_cast<int32_t>(s.m_nDigits);
    return w;
}

bool ValidFont(int i) {
    return g_Fonts[i].m_lpInfo != nullptr;
}

// The colours of the plain stand-ins for the status pictures: the system font's.
PlainColours StatusColours() {
    return PlainColoursOf(ValidFont(kNormalFont) ? &g_Fonts[kNormalFont] : nullptr);
}

void DrawIcon(DDSURFACEDATA* back, int item, int32_t x) {
    DrawCellOrPlain(back, x, 3, 16, 16, SheetSurface(kStatusSheet), 16 * item, 32,
                    PlainShape::FilledSquare, StatusColours());
}

// A gauge of the status bar, 50 x 16: its frame and its fill from the status picture, or
// a plain gauge; either shows the low fill while the value passes the entry's threshold.
void DrawStatusGauge(DDSURFACEDATA* back, int32_t x, int item, int32_t value, int32_t maximum) {
    const int32_t fill =
        maximum == 0 ? 0 : static_cast<int32_t>(static_cast<int64_t>(value) * 50 / maximum);
    const bool low = g_SystemData.PassesThreshold(item, value, maximum) == 1;
    DDSURFACEDATA* sheet = SheetSurface(kStatusSheet);
    if (!HasImage(sheet)) {
        DrawPlainGauge(back, x, 3, 50, 16, fill, low, StatusColours());
        return;
    }
    const int32_t col = item == kStatusHP ? 0 : 64;
    DDBltFast(back, x, 3, 50, 16, sheet, col, 128, 1);
    if (fill > 0) DDBltFast(back, x, 3, std::min(fill, 50), 16, sheet, col, low ? 160 : 144, 1);
}

void Text(int font, DDSURFACEDATA* back, int32_t x, int32_t y, const std::string& text) {
    if (ValidFont(font)) g_Fonts[font].DrawText(back, x, y, text.c_str());
}

}  // namespace

// ---- Pieces ------------------------------------------------------------------------------

void PrepareBlockSheets() {
    const int32_t sources[2] = {2, 3};
    const int32_t sheets[2] = {kBlockWorkA, kBlockWorkB};
    for (int s = 0; s < 2; ++s) {
        DDSURFACEDATA* dst = SheetSurface(sheets[s]);
        DDSURFACEDATA* src = SheetSurface(sources[s]);
        if (!HasImage(src)) src = SheetSurface(sources[0]);
        if (!HasImage(dst)) continue;
        DDFillSurface(dst, 0);
        if (!HasImage(src)) continue;
        for (int r = 0; r < 30; ++r)
            for (int k = 0; k < 4; ++k) {
                DDBltFast(dst, 64 * k + 8, 8 + 32 * r, 16, 16, src, 32 * k, 16 * r, 0);
                DDBltFast(dst, 64 * k + 40, 8 + 32 * r, 16, 16, src, 32 * k + 16, 16 * r, 0);
            }
    }
}

void ScrollBackgrounds() {
    std::vector<cBackground>& list = g_Stage.m_vBackgrounds;
    for (size_t i = 0; i < list.size(); ++i) {
        DDSURFACEDATA* pic =
            i < 8 ? SheetSurface(kFirstBackgroundPicture + static_cast<int32_t>(i)) : nullptr;
        const bool has = HasImage(pic);
        list[i].StepAutoScroll(has ? pic->nWidth : 0, has ? pic->nHeight : 0);
    }
}

void DrawBackgrounds(StageRun& run, DDSURFACEDATA* back, int32_t layer) {
    const std::vector<cBackground>& list = g_Stage.m_vBackgrounds;
    int drawn = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        const cBackground& bg = list[i];
        if (!bg.m_bVisible || bg.m_nGroup != layer) continue;
        if (bg.m_nKind != 0) {
            if (back)
                DDFillRect(back, 0, 0, kScreenW, kScreenH, static_cast<uint32_t>(bg.m_nFillColor));
            ++drawn;
            continue;
        }
        // A background whose picture did not load is passed over.
        DDSURFACEDATA* pic =
            i < 8 ? SheetSurface(kFirstBackgroundPicture + static_cast<int32_t>(i)) : nullptr;
        if (!HasImage(pic) || pic->nWidth <= 0 || pic->nHeight <= 0) continue;
        const int w = pic->nWidth, h = pic->nHeight;
        const int sx = TileStart(bg.PictureX(run.scrollX.m_dPos, run.state.originX), w);
        const int sy = TileStart(bg.PictureY(run.scrollY.m_dPos, run.state.originY), h);
        const int transparent = layer == 0 && drawn == 0 ? 0 : 1;
        ++drawn;
        if (!back) continue;
        SpriteBatch batch(0);
        int y = 0;
        for (int row = 0; row < 1000 && y < kScreenH; ++row) {
            const int srcY = row == 0 ? sy : 0;
            const int tileH = h - srcY;
            int x = 0;
            for (int col = 0; col < 1000 && x < kScreenW; ++col) {
                const int srcX = col == 0 ? sx : 0;
                const int tileW = w - srcX;
                DDBltFast(back, x, y, tileW, tileH, pic, srcX, srcY, transparent);
                x += tileW;
            }
            y += tileH;
        }
    }
    if (layer == 0 && drawn == 0 && back) DDFillRect(back, 0, 0, kScreenW, kScreenH, kFillColour);
}

void DrawMapLayer(StageRun& run, DDSURFACEDATA* back, uint8_t layer) {
    const int32_t camX = static_cast<int32_t>(run.scrollX.m_dPos);
    const int32_t camY = static_cast<int32_t>(run.scrollY.m_dPos);
    const int32_t firstCol = camX >> 5, firstRow = camY >> 5;
    SpriteBatch batch(0);
    for (int32_t row = 0; row < 16; ++row)
        for (int32_t col = 0; col < 21; ++col) {
            const int32_t c = firstCol + col, r = firstRow + row;
            if (!run.map.Inside(c, r)) continue;
            cMapCell& cell = run.map.CellAt(c, r);
            if (cell.m_nCell == 0 || cell.m_nLayer != layer || cell.m_bHidden) continue;
            // The conditions are asked on every drawn frame, headless too: a latching
            // block remembers that they held.
            if (cell.HasConds() && !Flows().CellCondsHold(cell)) continue;
            DrawCell32(back, cell, col * 32 - (camX & 31), row * 32 - (camY & 31));
        }
}

void DrawPictureLayer(StageRun& run, StageDrawScene& scene, DDSURFACEDATA* back, int32_t layer,
                      int paused) {
    scene.pictures.DrawLayer(back, layer, paused, run.scrollX.m_dPos, run.scrollY.m_dPos);
}

void DrawStatusBar(StageRun& run, StageDrawScene& scene, DDSURFACEDATA* back) {
    if (!scene.statusBar || !back) return;
    const std::vector<cStatusItem>& items = g_SystemData.m_vStatusItem;
    const int count = std::min<int>(static_cast<int>(items.size()), 5);
    int shown = 0;
    int32_t sum = 0;
    for (int i = 0; i < count; ++i)
        if (items[static_cast<size_t>(i)].m_bShow) {
            ++shown;
            sum += StatusWidth(items[static_cast<size_t>(i)], i);
        }
    if (shown == 0) return;
    const int32_t gap = (638 - sum) / (shown + 1);
    DDSURFACEDATA* strip = SheetSurface(kStripSheet);
    if (HasImage(strip)) {
        DDBltFast(back, 0, 0, kScreenW, 20, strip, 0, 0, 1);
    } else {
        // A plain band, so that the status reads over any stage.
        const PlainColours c = StatusColours();
        DDFillRect(back, 0, 0, kScreenW, 19, c.paper);
        DDFillRect(back, 0, 19, kScreenW, 1, c.ink);
    }
    cChara* hero = run.Hero();
    const cSaveData& session = g_PlaySession;
    int32_t x = gap;
    for (int i = 0; i < count; ++i) {
        const cStatusItem& s = items[static_cast<size_t>(i)];
        if (!s.m_bShow) continue;
        const bool icon = s.m_bIcon == 1;
        const int32_t start = x;
        if (IsGauge(i)) {
            const int32_t value = hero ? (i == kStatusHP ? hero->m_nHP : hero->m_nSP) : 0;
            const int32_t maximum =
                hero ? static_cast<int32_t>(i == kStatusHP ? hero->m_Def.m_nMaxHP
                                                           : hero->m_Def.m_nMaxSP)
                     : 0;
            if (icon) {
                DrawIcon(back, i, x);
                x += 16;
            } else {
                Text(kNormalFont, back, x, 3, s.m_strLabel);
                x += 16 * SjisCharCount(s.m_strLabel.c_str());
            }
            DrawStatusGauge(back, x, i, value, maximum);
            if (s.m_bShowValue) Text(kSmallFont, back, x, 6, std::to_string(value));
        } else {
            const int32_t value = i == kStatusScore   ? session.m_nScore
                                  : i == kStatusBonus ? session.m_nBonus
                                                      : session.m_nLives;
            // Lives of 999999 are unlimited: shown as a dash.
            const std::string number =
                i == kStatusLives && value == 999999 ? std::string("-") : std::to_string(value);
            if (icon) {
                DrawIcon(back, i, x);
                Text(kNormalFont, back, x + 16, 3, number);
            } else {
                Text(kNormalFont, back, x, 3, s.m_strLabel + number);
            }
        }
        x = start + StatusWidth(s, i) + gap;
    }
}

void DrawTimeDisplay(StageRun& run, DDSURFACEDATA* back, int beep) {
    if (run.noTimeLimit) return;
    DrawLargeNumber(back, 272, 24, 160, run.timeSeconds, 3);
    if (TimeBeepDue(run, beep)) PlaySE(13);
}

void DrawLargeNumber(DDSURFACEDATA* back, int x, int y, int row, int32_t value, int minDigits) {
    if (!back) return;
    DDSURFACEDATA* digits = SheetSurface(kDigitSheet);
    if (HasImage(digits))
        DDDrawNumber(back, x, y, 32, 32, digits, 0, row, 1, value, minDigits, 0);
    else if (HasImage(&g_DigitSurfaces[kLargeFont]))
        DDDrawNumber(back, x, y, 32, 32, &g_DigitSurfaces[kLargeFont], 0, 0, 1, value, minDigits,
                     0);
}

bool TimeBeepDue(const StageRun& run, int beep) {
    // Once a second of the warning time: the frame in which the shared second counter
    // stands at 0.
    return beep && !run.noTimeLimit && run.timeSeconds > 0 &&
           run.timeSeconds <= g_Stage.m_nTimeWarning && FrameCounterMod(2, 0) == 1;
}

void ClearPlayLists(StageRun& run, StageDrawScene& scene) {
    run.effects.clear();
    scene.pictures.Clear();
    scene.textImages.clear();
    DDReleaseSurface(&scene.effectCopy);
    DDReleaseSurface(&scene.effectCopy2);
}

void ResetStageDrawing(StageRun& run, StageDrawScene& scene) {
    ClearPlayLists(run, scene);
    if (scene.screenEffect.number != 0) D3DUseVirtualBackBuffer(0);
    scene.screenEffect = ScreenEffect{};
    scene.screenColor = ScreenColor{};
    scene.missEnded = 0;
}

bool MakeSightMask(DDSURFACEDATA* mask, DDSURFACEDATA* shape, int32_t radius, uint32_t sightShape) {
    if (!mask || !DDDevice().bInit) return true;
    const int32_t r = std::max(radius, 0);
    const int32_t side = 2 * r;
    g_sightMade = SightMaskMade{r, sightShape};
    ClearSurfaceData(mask);
    if (!DDCreateSurface(mask, side + 1280, side + 960, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0)) {
        platform::msg::PostMainWindow(WM_CLOSE);
        return false;
    }
    DDFillSurface(mask, kFillColour);
    if (r == 0) return true;
    // The hole at the centre, in the transparent colour.
    const int32_t hx = (mask->nWidth >> 1) - r, hy = (mask->nHeight >> 1) - r;
    DDClearRectToTransparent(mask, hx, hy, side, side);
    if (sightShape != 1 && sightShape != 2) return true;
    // The round shapes: colour 16 round a disc of the transparent colour, drawn over the
    // square hole, so that only the disc stays open.
    ClearSurfaceData(shape);
    if (!shape || !DDCreateSurface(shape, side, side, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0)) {
        platform::msg::PostMainWindow(WM_CLOSE);
        return false;
    }
    DDFillSurface(shape, kFillColour);
    for (int32_t y = 0; y < side; ++y) {
        const double dy = y - r + 0.5;
        const double half = MathSqrt(std::max(0.0, static_cast<double>(r) * r - dy * dy));
        const int32_t left = static_cast<int32_t>(r - half + 0.5);
        const int32_t right = static_cast<int32_t>(r + half + 0.5);
        if (right > left) DDClearRectToTransparent(shape, left, y, right - left, 1);
    }
    DDBltFast(mask, hx, hy, side, side, shape, 0, 0, 1);
    return true;
}

void MakeHeroSightMask(const cChara& hero) {
    if (hero.m_Def.m_nSightShape == 0) return;
    MakeSightMask(SheetSurface(kSightMaskSheet), SheetSurface(kSightShapeSheet), hero.m_nSightDots,
                  hero.m_Def.m_nSightShape);
}

// ---- Pictures of the databases ------------------------------------------------------------

PlayPictures g_PlayPictures;

namespace {

// A picture of the game into a fresh record; mirrorCell mirrors each cell of that width in
// place (the right-facing copy). The copies that enlarged drawing stretches from live in
// system memory, as the alternate character sheets do. False, traced by the caller, when
// it did not load.
bool LoadPicture(DDSURFACEDATA& sd, const std::string& file, int32_t mirrorCell,
                 bool forEnlarging = false) {
    if (file.empty()) return false;
    return DDCreateSurfaceFromFile(&sd, file.c_str(), 1, g_nBitsPerPixel, forEnlarging ? 1 : 0,
                                   forEnlarging ? DTMEMORYTYPE_SYSTEM : DTMEMORYTYPE_VIDEO_RT, 0, 0,
                                   mirrorCell, 0, 0) == 0;
}

// Releases and sizes a list once: records must stay where they are once created.
void Renew(std::vector<DDSURFACEDATA>& list, size_t count) {
    DDReleaseSurfaceVector(list);
    list.clear();
    list.resize(count);
}

}  // namespace

void LoadSpecialBitmaps() {
    const std::vector<cBmpCharaExc>& records = g_Database.m_vBmpCharaExc;
    const size_t count = records.empty() ? 0 : records.size() - 1;
    Renew(g_PlayPictures.special, count * 4);
    // Record 0 is the database's default and has no picture of its own.
    for (size_t n = 1; n < records.size(); ++n) {
        const cBmpCharaExc& r = records[n];
        if (r.m_strFile.empty()) continue;
        // Facing left, facing right (each cell mirrored in place), then the same two
        // for enlarged drawing.
        DDSURFACEDATA* four = &g_PlayPictures.special[(n - 1) * 4];
        const int32_t edge = static_cast<int32_t>(r.CutFrame(0).edge);
        bool loaded = true;
        for (int k = 0; k < 4; ++k)
            loaded &= LoadPicture(four[k], r.m_strFile, (k & 1) ? edge : 0, k >= 2);
        if (!loaded) TracePrintf("専用bmp %s 読み込み失敗！", r.m_strFile.c_str());
    }
    DrawSheets& sheets = Sheets();
    sheets.ownBitmaps = g_PlayPictures.special.empty() ? nullptr : g_PlayPictures.special.data();
    sheets.ownBitmapCount = static_cast<int32_t>(g_PlayPictures.special.size());
}

void LoadSwords() {
    const std::vector<cSwordType>& records = g_Database.m_vSwordType;
    Renew(g_PlayPictures.swords, records.size() * 4);
    for (size_t n = 0; n < records.size(); ++n) {
        const cSwordType& r = records[n];
        // 4n and 4n + 2 from the left picture, 4n + 1 and 4n + 3 from the right one; the
        // second pair serves swords of size factor 2 or more.
        const std::string* files[2] = {&r.m_strFileLeft, &r.m_strFileRight};
        for (size_t side = 0; side < 2; ++side) {
            if (files[side]->empty()) continue;
            DDSURFACEDATA* pair = &g_PlayPictures.swords[n * 4 + side];
            const bool plain = LoadPicture(pair[0], *files[side], 0);
            const bool enlarged = LoadPicture(pair[2], *files[side], 0, true);
            if (!plain || !enlarged) TracePrintf("ソード %s 読み込み失敗！", files[side]->c_str());
        }
    }
    DrawSheets& sheets = Sheets();
    sheets.swordPictures = g_PlayPictures.swords.empty() ? nullptr : g_PlayPictures.swords.data();
    sheets.swordPictureCount = static_cast<int32_t>(g_PlayPictures.swords.size());
}

void LoadEffectBitmaps(StageRun& run, bool videoStretch) {
    const std::vector<cEffect>& records = g_Database.m_vEffect;
    const size_t count = records.empty() ? 0 : records.size() - 1;
    Renew(g_PlayPictures.effects, count * 2);
    for (size_t n = 1; n < records.size(); ++n) {
        const cEffect& r = records[n];
        if (r.m_strFile.empty()) continue;
        DDSURFACEDATA* two = &g_PlayPictures.effects[(n - 1) * 2];
        const bool plain = LoadPicture(two[0], r.m_strFile, 0);
        const bool enlarged = LoadPicture(two[1], r.m_strFile, 0, true);
        if (!plain || !enlarged) TracePrintf("エフェクト %s 読み込み失敗！", r.m_strFile.c_str());
    }
    run.effectSurfaces.list = &g_PlayPictures.effects;
    run.effectSurfaces.videoStretch = videoStretch;
}

namespace {

// The effects stretch a character's graphic into the corner of a work surface: the normal
// one holds it up to the editor's largest size factor (10, 320 dots), the large one
// (Direct3D) up to twice that. The status operation can enlarge a character further; a
// graphic no work surface holds is drawn without its effect.
constexpr int32_t kLargestGraphic = 32 * 10;
constexpr int32_t kWorkEdge = kLargestGraphic;
constexpr int32_t kWorkLargeEdge = 2 * kLargestGraphic;

// An empty work surface of edge x edge: a render target in Direct3D mode, which the device
// makes again after a loss; in system memory in DirectDraw mode, where nothing loses it.
// Null when it cannot be made (the effects then draw the graphic without themselves).
DDSURFACEDATA* MakeWorkSurface(DDSURFACEDATA& sd, int32_t edge) {
    ClearSurfaceData(&sd);
    if (DDCreateSurface(&sd, edge, edge, 1, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0)) return &sd;
    ClearSurfaceData(&sd);
    return nullptr;
}

}  // namespace

void LoadWorkSurfaces() {
    DrawSheets& sheets = Sheets();
    sheets.work = MakeWorkSurface(g_PlayPictures.work, kWorkEdge);
    ClearSurfaceData(&g_PlayPictures.workLarge);
    sheets.workLarge =
        lpDTCon ? MakeWorkSurface(g_PlayPictures.workLarge, kWorkLargeEdge) : nullptr;
    SelectWorkSurfaces();
}

void ReleasePlayPictures(StageRun& run) {
    Renew(g_PlayPictures.special, 0);
    Renew(g_PlayPictures.swords, 0);
    Renew(g_PlayPictures.effects, 0);
    ClearSurfaceData(&g_PlayPictures.work);
    ClearSurfaceData(&g_PlayPictures.workLarge);
    DrawSheets& sheets = Sheets();
    sheets.work = sheets.workLarge = nullptr;
    SelectWorkSurfaces();
    sheets.ownBitmaps = sheets.swordPictures = nullptr;
    sheets.ownBitmapCount = sheets.swordPictureCount = 0;
    run.effectSurfaces = EffectSurfaces{};
}

void PrepareTextImageWorld(StageRun& run) {
    TextImageWorld& world = TextImages();
    world.originX = run.state.originX;
    world.originY = run.state.originY;
    world.frameCounter = run.frameCounter;
    // What the scene did not name: the run's and the stage's variables, the system font,
    // the system picture's life icon.
    if (!world.runVars) world.runVars = &g_CommonVars;
    if (!world.stageVars) world.stageVars = &Scene().StageVars();
    if (!world.font && g_Fonts[kNormalFont].m_lpInfo) world.font = &g_Fonts[kNormalFont];
    if (!world.lifeIcon) world.lifeIcon = SheetSurface(kSystemSheet);
}

// ---- The whole stage -------------------------------------------------------------------------

namespace {

void EnsureCopy(DDSURFACEDATA& sd) {
    if (HasImage(&sd)) return;
    ClearSurfaceData(&sd);
    DDCreateSurface(&sd, kScreenW, kScreenH, 0, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0);
}

void DrawStateText(StageDrawScene& scene, DDSURFACEDATA* back) {
    const std::vector<std::string>& texts = g_SystemData.m_vText;
    const size_t index = scene.testPlay ? 27 : scene.fromEditor ? 26 : 0;
    if (index == 0 || index >= texts.size() || texts[index].empty() || !back) return;
    const std::string& text = texts[index];
    Text(kNormalFont, back, 320 - 8 * SjisCharCount(text.c_str()), 456, text);
}

}  // namespace

void TakeStageDrawSwitches(StageDrawScene& scene) {
    scene.hideStageWhilePaused = g_SystemData.m_nStageDrawMode;
    scene.layerPasses = g_Stage.m_bDrawByPriority != 0 ? 1 : 0;
}

void DrawStage(StageRun& run, StageDrawScene& scene, DDSURFACEDATA* back, int playFrame, int paused,
               int beep, int stateText) {
    DDSURFACEDATA* workA = SheetSurface(kBlockWorkA);
    DDSURFACEDATA* workB = SheetSurface(kBlockWorkB);
    if ((workA && workA->bRecreated) || (workB && workB->bRecreated)) {
        PrepareBlockSheets();
        if (workA) workA->bRecreated = 0;
        if (workB) workB->bRecreated = 0;
    }
    if (scene.screenEffect.number != 0) D3DUseVirtualBackBuffer(1);
    // The backgrounds scroll on every call, under banners, menus and waits too.
    ScrollBackgrounds();
    DrawBackgrounds(run, back, 0);
    if (!playFrame && scene.state == 3 && scene.hideStageWhilePaused) {
        DrawBackgrounds(run, back, 1);
        DrawScreenColor(scene.screenColor, back, paused);
        return;
    }
    DrawPictureLayer(run, scene, back, 0, paused);
    DrawMapLayer(run, back, 0);
    const bool layered = scene.layerPasses != 0;
    for (int32_t pass = 0; pass < (layered ? 8 : 1); ++pass)
        DrawObjectPass(run, scene, back, paused, pass, layered);
    DrawMapLayer(run, back, 1);
    DrawBackgrounds(run, back, 1);
    DrawRangeAreas(back);
    if (!run.objects.players.empty()) DrawHeroSight(run.objects.players.front(), back);
    DrawPictureLayer(run, scene, back, 1, paused);
    {
        SpriteBatch batch(0);
        run.DrawEffects(back, paused);
    }
    PrepareTextImageWorld(run);
    DrawTextImages(scene.textImages, back, paused);
    if (scene.screenEffect.number != 0) {
        ScreenEffectView view;
        view.back = back;
        if (back) {
            EnsureCopy(scene.effectCopy);
            EnsureCopy(scene.effectCopy2);
            view.copy = &scene.effectCopy;
            view.copy2 = &scene.effectCopy2;
        }
        if (const cChara* hero = run.Hero()) {
            view.heroX = hero->m_rcGraphic.left + hero->m_nGraphicWidth / 2;
            view.heroY = hero->m_rcGraphic.top + hero->m_nGraphicHeight / 2;
        }
        view.drawBackgrounds = [&run, back] {
            DrawBackgrounds(run, back, 0);
            DrawBackgrounds(run, back, 1);
        };
        RunScreenEffect(scene.screenEffect, paused, view);
    }
    DrawStatusBar(run, scene, back);
    DrawTimeDisplay(run, back, beep);
    if (stateText) DrawStateText(scene, back);
    if (lpDTCon && scene.prepareMenuColors) scene.prepareMenuColors();
    DrawScreenColor(scene.screenColor, back, paused);
}
