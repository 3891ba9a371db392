// Character drawing: sheets and cells, animations, the character through its display
// effect, the vanishing character, gauges, icons, the player's rectangles and sight
// overlay, half-size graphics, map cells and the range areas of distance conditions.
#include "objects/chara_draw.h"

#include <algorithm>
#include <climits>

#include "core/maths.h"
#include "core/start_flags.h"
#include "data/database.h"
#include "data/system_data.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/plain_parts.h"
#include "objects/chara.h"
#include "objects/display_effects.h"
#include "objects/map_cell.h"
#include "objects/play_context.h"
#include "objects/player.h"
#include "objects/stage_chara.h"
#include "objects/steering.h"
#include "objects/stored_index.h"

const uint32_t kRangeColours[8] = {208, 212, 216, 220, 224, 228, 232, 236};

// The tints of immune characters in Direct3D mode: {vertex colour, colour operation}.
// The colour is added to the graphic (operation 7), so the character flashes toward it;
// entry 7 keeps only the colour (a dark silhouette) and entry 8 whitens.
const uint32_t kFlashColours[kFlashColourCount][2] = {
    {0xFFFFFFFF, 4}, {0xFFFF0000, 7}, {0xFF00FF00, 7}, {0xFF0000FF, 7}, {0xFFFFFF00, 7},
    {0xFFFF00FF, 7}, {0xFF8000FF, 7}, {0xFF000000, 3}, {0xFFFFFFFF, 7},
};

namespace {

DrawSheets g_sheets;
int32_t g_rangeBlink = 0;

constexpr int32_t kCell = 32;

bool HasImage(const DDSURFACEDATA* sd) {
    return sd && DDDeviceSurface(DDDrawnSurface(sd)) != nullptr;
}

DDSURFACEDATA* OwnBitmap(int32_t index) {
    const DrawSheets& s = g_sheets;
    if (!s.ownBitmaps || index < 0 || index >= s.ownBitmapCount) return nullptr;
    return &s.ownBitmaps[index];
}

// The pair scaled drawing reads: the alternate set where the project asks for it and
// the alternate has a picture.
DDSURFACEDATA* Chosen(DDSURFACEDATA* normal, DDSURFACEDATA* alternate) {
    return g_sheets.alternateSheets && HasImage(alternate) ? alternate : normal;
}

// The sheet pair from table entry n: this facing and the other.
void SetPair(DrawParam& p, int32_t first, uint32_t facing) {
    const int32_t f = facing ? 1 : 0;
    p.face = SheetSurface(first + f);
    p.other = SheetSurface(first + 1 - f);
    p.faceAlt = SheetSurface(first + f + kSheetAlternate);
    p.otherAlt = SheetSurface(first + 1 - f + kSheetAlternate);
}

// The character's own frame, the anime set's offsets added.
int32_t AnimeSetOffsets(const cChara& c) {
    const cAnimeSet* set = StoredElement(g_Database.m_vAnimeSet, c.m_nBaseAnimeSet, "anime set");
    if (!set) return 0;
    int32_t base = 0;
    if (c.m_Def.m_nMoveType != 0) base += static_cast<int32_t>(set->m_nOffset3);
    if (c.m_Def.m_bBlockChara) base += static_cast<int32_t>(set->m_nOffset2);
    if (c.m_Def.m_nImmunity) base += static_cast<int32_t>(set->m_nOffset1);
    return base;
}

// The posture animations of an anime set: one sequence per motion slot, frames of
// tenths of a second, looping; a frame that holds makes the rest hold. Slots missing up
// to the posture shown stand still on cell 0, so a damaged set never sends the player
// past its sequences.
size_t PostureCount(const cAnimeSet& set, uint32_t posture) {
    return std::max<size_t>({set.m_vSlot.size(), 4, size_t{posture} + 1});
}

// Hands the frames of sequence i of the posture table to out, in order.
template <typename Out>
void PostureSequence(const cAnimeSet& set, size_t i, Out&& out) {
    uint32_t holding = 0;
    bool any = false;
    if (i < set.m_vSlot.size())
        for (const cAnimeFrame& f : set.m_vSlot[i].m_vFrame) {
            holding |= f.m_bHold ? 1u : 0u;
            const uint64_t ticks = std::min<uint64_t>(uint64_t{f.m_nTime} * 6, INT_MAX);
            out(AnimFrame{static_cast<int32_t>(std::min<uint32_t>(f.m_nCell, INT_MAX)),
                          static_cast<int32_t>(ticks), holding});
            any = true;
        }
    if (!any) out(AnimFrame{0, 1, 0});
    out(AnimFrame{kAnimCodeLoop, 0, holding});
}

AnimSeqTable PostureTable(const cAnimeSet& set, uint32_t posture) {
    AnimSeqTable table(PostureCount(set, posture));
    for (size_t i = 0; i < table.size(); ++i)
        PostureSequence(set, i, [&](const AnimFrame& f) { table[i].push_back(f); });
    return table;
}

// Whether seqs is the posture table, asked frame by frame without building one (this is
// asked of every character at every drawing).
bool IsPostureTable(const cAnimeSet& set, uint32_t posture, const AnimSeqTable& seqs) {
    if (seqs.size() != PostureCount(set, posture)) return false;
    for (size_t i = 0; i < seqs.size(); ++i) {
        const AnimSequence& seq = seqs[i];
        size_t n = 0;
        bool same = true;
        PostureSequence(set, i, [&](const AnimFrame& f) {
            same = same && n < seq.size() && seq[n] == f;
            ++n;
        });
        if (!same || n != seq.size()) return false;
    }
    return true;
}

// The character's own animation plays the slots of its current anime set; a changed set
// starts its animation afresh in the same posture.
void FollowAnimeSet(cChara& c) {
    const cAnimeSet* set = StoredElement(g_Database.m_vAnimeSet, c.m_nBaseAnimeSet, "anime set");
    if (!set) return;
    const uint32_t posture = c.m_Anime.Sequence();
    if (IsPostureTable(*set, posture, c.m_Anime.Sequences())) return;
    const AnimSeqTable table = PostureTable(*set, posture);
    c.m_Anime.Build(&table);
    c.m_Anime.Set(posture, true);
}

// The draw parameters of the character with its tint; extra: the animation column.
DrawParam CharaParam(cChara& c, int32_t extra) {
    DrawParam tint;
    const int32_t base = GetBaseFrame(c, tint);
    DrawParam p =
        MakeDrawParam(1, c.m_Def.m_nBmpSet, static_cast<int32_t>(c.m_nGraphic), base, &c, extra);
    p.bColour = tint.bColour;
    p.colour[0] = tint.colour[0];
    p.colour[1] = tint.colour[1];
    return p;
}

// The screen rectangle of a character, a screen-fixed axis taking its fixed place.
void PlaceOnScreen(cChara& c) {
    c.CalcScreenRect();
    RectI& r = c.m_rcGraphic;
    if (c.m_bScreenFixedX) {
        r.right = c.m_nScreenFixedX + (r.right - r.left);
        r.left = c.m_nScreenFixedX;
    }
    if (c.m_bScreenFixedY) {
        r.bottom = c.m_nScreenFixedY + (r.bottom - r.top);
        r.top = c.m_nScreenFixedY;
    }
}

bool IsHidden(const cChara& c) {
    return c.m_bHide != 0 || c.m_Def.m_bHidden != 0;
}

}  // namespace

// ---- Sheets ----------------------------------------------------------------------------

void SetDrawSheets(const DrawSheets& sheets) {
    g_sheets = sheets;
    SelectWorkSurfaces();
}

DrawSheets& Sheets() {
    return g_sheets;
}

void SelectWorkSurfaces() {
    DrawSheets& s = g_sheets;
    s.activeIcons = s.iconSheet;
    s.activeWork = s.work;
    s.activeWorkLarge = lpDTCon ? s.workLarge : nullptr;
}

DDSURFACEDATA* EffectWorkSurface(int32_t w, int32_t h) {
    // The large surface serves exactly the graphics too large for the normal one: the
    // drawn size, which a size change can raise at any time, chooses it for each drawing.
    for (DDSURFACEDATA* work : {g_sheets.activeWork, g_sheets.activeWorkLarge})
        if (work && work->nWidth >= w && work->nHeight >= h) return work;
    return nullptr;
}

void ClearSurfaceData(DDSURFACEDATA* sd) {
    if (!sd) return;
    // Released first: the device keeps a list of its surfaces, which must not keep this one.
    DDReleaseSurface(sd);
    *sd = DDSURFACEDATA{};
}

DDSURFACEDATA* SheetSurface(int32_t n) {
    if (!g_sheets.table || n < 0 || n >= g_sheets.tableSize) return nullptr;
    return &g_sheets.table[n];
}

int32_t SelectSheetSurface(int32_t n, int32_t alternate) {
    if (!g_sheets.alternateSheets) return n;
    if (alternate == 0 && !HasImage(SheetSurface(n))) return n + kSheetAlternate;
    if (alternate != 0 && HasImage(SheetSurface(n + kSheetAlternate))) return n + kSheetAlternate;
    return n;
}

// ---- Draw parameters -------------------------------------------------------------------

DrawParam MakeDrawParam(int32_t mode, uint32_t kind, int32_t number, int32_t frame,
                        const cChara* owner, int32_t extra) {
    DrawParam p;
    const int32_t n = std::max(number, 0);
    const int32_t column = std::max(frame + extra, 0);
    const uint32_t facing = owner ? owner->m_nFacing : 0;
    int32_t edge = kCell;
    switch (kind) {
        case kGraphicBlock:
            p.face = SheetSurface(kSheetBlock);
            p.sx = (n / 15) * kCell;
            p.sy = (n % 15) * kCell;
            break;
        case kGraphicChara: {
            const int32_t first = kSheetCharaFirst + (n / 15) * 2;
            p.sy = (n % 15) * kCell;
            if (mode == 1 && owner) {
                SetPair(p, first, facing);
                p.sx = column * kCell;
            } else if (column < 20) {
                SetPair(p, first, 0);
                p.sx = column * kCell;
            } else {
                SetPair(p, first, 1);
                p.sx = (column - 20) * kCell;
            }
            break;
        }
        case kGraphicItem:
            p.face = g_sheets.itemSheet;
            p.sx = (n / 15) * 64 + (column & 1) * kCell;
            p.sy = (n % 15) * kCell;
            break;
        case kGraphicShot:
            SetPair(p, kSheetShot, facing);
            p.sx = (n / 30) * 64 + (column & 1) * kCell;
            p.sy = (n % 30) * kCell;
            break;
        case kGraphicOwn: {
            // Record 0 is the database's default and has no surfaces of its own.
            if (n < 1) break;
            const cBmpCharaExc* rec = StoredElement(g_Database.m_vBmpCharaExc, n, "chara bitmap");
            if (!rec) break;
            const cBmpCharaExc::Cell cell = rec->CutFrame(static_cast<uint32_t>(column));
            const int32_t at = (n - 1) * 4;
            const int32_t f = facing ? 1 : 0;
            p.face = OwnBitmap(at + f);
            p.other = OwnBitmap(at + 1 - f);
            p.faceAlt = OwnBitmap(at + 2 + f);
            p.otherAlt = OwnBitmap(at + 3 - f);
            p.sx = static_cast<int32_t>(cell.x);
            p.sy = static_cast<int32_t>(cell.y);
            p.scale = static_cast<uint8_t>(cell.scale);
            p.bOwnBitmap = 1;
            edge = static_cast<int32_t>(cell.edge);
            break;
        }
        default:
            break;
    }
    // A cell that its surface does not hold (or no surface) comes from the first
    // character sheet's first cell.
    if (!HasImage(p.face) || p.sx + edge > p.face->nWidth || p.sy + edge > p.face->nHeight) {
        p = DrawParam{};
        SetPair(p, kSheetCharaFirst, mode == 1 ? facing : 0);
    }
    p.chosen = Chosen(p.face, p.faceAlt);
    p.chosenOther = Chosen(p.other, p.otherAlt);
    return p;
}

int32_t GetBaseFrame(const cChara& chara, DrawParam& param) {
    const cCharaDef& def = chara.m_Def;
    const int32_t base = static_cast<int32_t>(def.m_nCellExtra) + AnimeSetOffsets(chara);
    param.bColour = 0;
    const uint8_t c = def.m_nFlashColor;
    if (def.m_nImmunity && lpDTCon && g_SystemData.m_nPlayOptionE != 0 && c != 0 &&
        c < kFlashColourCount) {
        param.bColour = 1;
        param.colour[0] = kFlashColours[c][0];
        param.colour[1] = kFlashColours[c][1];
    }
    return base;
}

int32_t AdvanceAnims(cChara& chara, bool frozen) {
    std::list<cAnimeRun>& runs = chara.m_lAnimeRuns;
    FollowAnimeSet(chara);
    if (!frozen) {
        chara.m_Anime.Tick();
        for (auto it = runs.begin(); it != runs.end();) {
            if (it->hold) {
                ++it;
                continue;
            }
            if (it->seq.Tick() == kAnimCodeEnd) {
                it = runs.erase(it);
                continue;
            }
            if (it->counted) --it->count;
            ++it;
        }
    }
    // The run shown: the one whose count runs out first; runs without a count only when
    // nothing else is chosen; once two have run out, the one that ran out last.
    const cAnimeRun* choice = nullptr;
    int32_t best = INT_MAX;
    bool bothOut = false;
    for (const cAnimeRun& run : runs) {
        if (run.hold) continue;
        if (bothOut) {
            if (run.counted && run.count <= 0 && run.count > best) {
                choice = &run;
                best = run.count;
            }
        } else if (!run.counted) {
            if (!choice) {
                choice = &run;
                best = INT_MAX;
            }
        } else if (run.count < 1 && best < 1) {
            choice = &run;
            best = run.count;
            bothOut = true;
        } else if (run.count < best) {
            choice = &run;
            best = run.count;
        }
    }
    return choice ? choice->seq.Value() : chara.m_Anime.Value();
}

void BlitGraphic(DDSURFACEDATA* dest, const DrawParam& p, int32_t x, int32_t y, int32_t w,
                 int32_t h, int32_t baseW, int32_t baseH, bool tinted) {
    if (!dest || !p.face) return;
    const int32_t sw = baseW * p.scale, sh = baseH * p.scale;
    const uint32_t* colour = tinted && p.bColour ? p.colour : nullptr;
    if (w == sw && h == sh) {
        if (colour)
            DDBltFastEx(dest, x, y, w, h, p.face, p.sx, p.sy, 1, colour);
        else
            DDBltFast(dest, x, y, w, h, p.face, p.sx, p.sy, 1);
        return;
    }
    if (!p.chosen) return;
    if (colour)
        DDBltFastColor(dest, x, y, w, h, p.chosen, p.sx, p.sy, sw, sh, 1, colour);
    else
        DDBltStretch(dest, x, y, w, h, p.chosen, p.sx, p.sy, sw, sh, 1);
}

// ---- Characters ------------------------------------------------------------------------

void RunDispEffect(cChara& chara, bool paused) {
    RunCharaEffect(chara, nullptr, DrawParam{}, paused, false);
}

void DrawChara(cChara& chara, DDSURFACEDATA* dest, bool paused) {
    const int32_t frame = AdvanceAnims(chara, paused);
    if (IsHidden(chara)) {
        RunDispEffect(chara, paused);
        return;
    }
    PlaceOnScreen(chara);
    const DrawParam p = CharaParam(chara, frame);
    RunCharaEffect(chara, dest, p, paused, true);
    if (chara.m_Def.m_bIcon == 1) {
        const RectI& r = chara.m_rcGraphic;
        const bool large = CharaSizeFactor(chara.m_Def) >= 2;
        DrawOverlayIcon(dest, chara.m_Def.m_nIcon, r.left, r.top,
                        large ? chara.m_nGraphicWidth : kCell,
                        large ? chara.m_nGraphicHeight : kCell);
    }
}

int32_t DrawVanish(cChara& chara, DDSURFACEDATA* dest, bool paused) {
    PlaceOnScreen(chara);
    const DrawParam p = CharaParam(chara, 0);
    const bool hasEffect = chara.m_Effect.m_nEffect != 0;
    if (chara.m_nSide != 0) {
        if (!hasEffect) return 1;
        return RunCharaEffect(chara, dest, p, paused, true);
    }
    if (hasEffect) {
        RunCharaEffect(chara, dest, p, paused, true);
        return 0;
    }
    if (paused) return 0;
    // A player-side character without a vanish effect stays one second.
    return ++chara.m_nVanishCounter > 60 ? 1 : 0;
}

void DrawHeldItemIcon(cStageChara& chara, DDSURFACEDATA* dest) {
    const HeldItemIcon icon = chara.StepHeldItemIcon();
    if (icon.show)
        DrawMiniGraphic(dest, icon.x, icon.y, icon.kind, static_cast<int32_t>(icon.number),
                        static_cast<int32_t>(icon.extra));
}

void DrawStageChara(cStageChara& chara, DDSURFACEDATA* dest, bool paused) {
    DrawChara(chara, dest, paused);
    DrawHeldItemIcon(chara, dest);
}

void DrawPlayer(cPlayer& player, DDSURFACEDATA* dest, bool paused) {
    DrawChara(player, dest, paused);
    for (const RectDraw& r : player.StepRectDisplays(g_nBitsPerPixel)) {
        if (!dest) continue;
        if (r.mode == 1)
            DDFillRect(dest, r.x, r.y, r.width, r.height, r.colour);
        else if (r.mode == 2)
            DDFillFrame(dest, r.x, r.y, r.width, r.height, 1, r.colour);
    }
}

void DrawFollowOverlay(const cPlayer& player, DDSURFACEDATA* dest) {
    // The sight mask is built-in surface 65 unless stage play names another.
    DDSURFACEDATA* mask = g_sheets.sightMask ? g_sheets.sightMask : SheetSurface(kSheetSightMask);
    if (!dest || !HasImage(mask)) return;
    int32_t sx = 0, sy = 0;
    if (player.FollowOverlaySource(mask->nWidth, mask->nHeight, sx, sy))
        DDBltFast(dest, 0, 0, 640, 480, mask, sx, sy, 1);
}

// ---- Gauges ----------------------------------------------------------------------------

void DrawGauges(cChara& chara, DDSURFACEDATA* dest, int32_t kind) {
    Gauge& g = kind == 0 ? chara.m_HPGauge : chara.m_SPGauge;
    if (g.timer < 1 || chara.m_bRemoved) return;
    DDSURFACEDATA* strip = g_sheets.gaugeStrip;
    if (dest) {
        const RectI& r = chara.m_rcGraphic;
        const int32_t x = r.left + chara.m_nGraphicWidth / 2 - 25;
        const int32_t y = r.top - (kind == 0 ? 3 : 7);
        const int32_t value = kind == 0 ? chara.m_nHP : chara.m_nSP;
        const int32_t maximum =
            static_cast<int32_t>(kind == 0 ? chara.m_Def.m_nMaxHP : chara.m_Def.m_nMaxSP);
        // A status list without the gauge's entry (damaged data) shows no low value.
        const int item = kind == 0 ? 2 : 3;
        const bool low = g_SystemData.m_vStatusItem.size() > static_cast<size_t>(item) &&
                         g_SystemData.PassesThreshold(item, value, maximum) == 1;
        const int32_t length = std::clamp(g.length, 0, 50);
        if (!HasImage(strip)) {
            // A game without the gauge picture: a plain bar in the system font's colours.
            DrawPlainGauge(dest, x, y, 50, 2, length, low, PlainColoursOf(nullptr));
        } else {
            const bool small = strip->nHeight <= 208;
            const int32_t row = small ? 128 : 208;
            const int32_t step = small ? 16 : 2;
            const int32_t col = kind == 0 ? 0 : 64;
            DDBltFast(dest, x, y, 50, 2, strip, col, row, 1);
            DDBltFast(dest, x, y, length, 2, strip, col, row + (low ? 2 : 1) * step, 1);
            const int32_t change = TruncToInt32(g.change);
            if (g.change >= 0.0) {
                const int32_t w = std::min(change, length);
                if (w > 0)
                    DDBltFast(dest, x + length - w, y, w, 2, strip, col + length - w,
                              row + 4 * step, 1);
            } else {
                const int32_t w = std::min(-change, 50 - length);
                if (w > 0)
                    DDBltFast(dest, x + length, y, w, 2, strip, col + length, row + 3 * step, 1);
            }
        }
    }
    --g.timer;
    if (g.timer > 59)
        g.change -= g.step;
    else
        g.change = 0.0;
}

// ---- Icons, half-size graphics and cells -----------------------------------------------

void DrawOverlayIcon(DDSURFACEDATA* dest, int32_t icon, int32_t x, int32_t y, int32_t w,
                     int32_t h) {
    DDSURFACEDATA* sheet = g_sheets.activeIcons;
    if (!dest || !sheet) return;
    const int32_t i = std::max(icon, 0);
    const int32_t sx = (i / 15) * kCell, sy = (i % 15) * kCell;
    if (w == kCell && h == kCell)
        DDBltFast(dest, x, y, kCell, kCell, sheet, sx, sy, 1);
    else
        DDBltStretch(dest, x, y, w, h, sheet, sx, sy, kCell, kCell, 1);
}

void DrawMiniGraphic(DDSURFACEDATA* dest, int32_t x, int32_t y, uint32_t kind, int32_t number,
                     int32_t frame) {
    if (!dest) return;
    const DrawParam p = MakeDrawParam(0, kind, number, frame, nullptr, 0);
    if (!p.face) return;
    const int32_t edge = kCell * p.scale;
    DDBltStretch(dest, x, y, 16, 16, p.face, p.sx, p.sy, edge, edge, 1);
}

void DrawCell32(DDSURFACEDATA* dest, const cMapCell& cell, int32_t x, int32_t y) {
    if (!dest) return;
    const DrawParam p =
        MakeDrawParam(0, cell.m_nBmpSet, cell.m_nCell, cell.m_nCellExtra, nullptr, 0);
    BlitGraphic(dest, p, x, y, kCell, kCell, kCell, kCell, false);
    if (cell.m_bIcon == 1) DrawOverlayIcon(dest, cell.m_nIcon, x, y, kCell, kCell);
}

// ---- Range areas -----------------------------------------------------------------------

namespace {

// What a distance condition keeps for its range display. The condition record has no
// fields of its own for it; these otherwise unused bytes of kind 7 carry it.
struct RangeView {
    uint8_t display;     // 0 not shown, 1 shown, 2 shown only in test play
    uint8_t activeOnly;  // 0: only while the character is active
    uint8_t drawHidden;  // 0: not while it is hidden
    uint8_t colour;      // 0..7 of the range colours
    uint8_t shape;       // the measure 0..6
    int32_t reach;       // dots
};

RangeView ViewOf(const cCond& c) {
    return {c.m_nLeftKind,   c.m_nRightKind, c.m_nRightSubject,
            c.m_nLeftStatus, c.m_nMeasure,   c.m_nValue * 16 + c.m_nRightVarIndex};
}

void VLine(DDSURFACEDATA* dest, double x, uint32_t colour) {
    DDFillRect(dest, TruncToInt32(x), 0, 1, 480, colour);
}
void HLine(DDSURFACEDATA* dest, double y, uint32_t colour) {
    DDFillRect(dest, 0, TruncToInt32(y), 640, 1, colour);
}

void RangeCircle(DDSURFACEDATA* dest, int32_t cx, int32_t cy, int32_t d, uint32_t colour) {
    DDSURFACEDATA* work = g_sheets.activeWork;
    // DirectDraw draws a large circle small and stretches it.
    if (!lpDTCon && d > 64 && work && work->nWidth >= 129 && work->nHeight >= 129) {
        if (platform::video::Surface* s = DDDeviceSurface(work))
            s->image.Fill(0, 0, 129, 129, DDDevice().dwColorKey);
        DDCircle(work, 64, 64, 64, colour);
        DDBltStretch(dest, cx - d, cy - d, 2 * d, 2 * d, work, 0, 0, 129, 129, 1);
        return;
    }
    DDCircle(dest, cx, cy, d, colour);
}

}  // namespace

int32_t& RangeBlinkCounter() {
    return g_rangeBlink;
}

void DrawRangeArea(DDSURFACEDATA* dest, const cChara& chara, const cCond& cond, int32_t counter) {
    const RangeView v = ViewOf(cond);
    if (!dest || v.display == 0 || (v.display == 2 && !g_bStartedByEditor.load())) return;
    if (v.activeOnly == 0 && !chara.m_bActive) return;
    if (v.drawHidden == 0 && IsHidden(chara)) return;
    const uint32_t colour = kRangeColours[v.colour & 7] + (counter >= 0 ? counter / 8 : 0);
    const RectI& r = chara.m_rcGraphic;
    const int32_t w = chara.m_nGraphicWidth, h = chara.m_nGraphicHeight;
    const double d = v.reach;
    const bool right = chara.m_nFacing != 0;
    double low = 0.0, high = 0.0;
    switch (v.shape) {
        case 0:
        case 1:
        case 2: {
            const bool front = v.shape == 1, back = v.shape == 2;
            const double before = v.shape == 0 || (front && !right) || (back && right) ? d : 0.0;
            const double after = v.shape == 0 || (front && right) || (back && !right) ? d : 0.0;
            CalcRangeSpan(low, high, r.left, w, before, after, v.shape == 0);
            VLine(dest, low, colour);
            VLine(dest, high, colour);
            break;
        }
        case 3:
        case 4:
        case 5: {
            const double above =
                v.shape == 3 || (v.shape == 4 && !right) || (v.shape == 5 && right) ? d : 0.0;
            const double below =
                v.shape == 3 || (v.shape == 4 && right) || (v.shape == 5 && !right) ? d : 0.0;
            CalcRangeSpan(low, high, r.top, h, above, below, v.shape == 3);
            HLine(dest, low, colour);
            HLine(dest, high, colour);
            break;
        }
        case 6:
            RangeCircle(dest, r.left + w / 2, r.top + h / 2, v.reach, colour);
            break;
        default:
            break;
    }
}

void DrawRangeAreas(DDSURFACEDATA* dest) {
    const bool held = g_nBitsPerPixel == 8 && g_SystemData.m_bCompat289 != 0;
    if (!held) g_rangeBlink = (g_rangeBlink + 1) & 31;
    for (uint32_t group = 0; group < 8; ++group)
        for (cChara* c : Play().CharaGroup(group)) {
            if (!c || c->m_bRemoved || !c->IsInView()) continue;
            for (const cCond& cond : c->m_Def.m_vConds)
                if (cond.m_nKind == 7) DrawRangeArea(dest, *c, cond, held ? -1 : g_rangeBlink);
        }
}
