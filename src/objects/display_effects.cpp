// The display effects of characters. The values each effect draws with are those of the
// effect record's stored parameter list: parameter 0 the time, 1 and 2 the start and end
// of the value the timer moves, 3 and 4 the kind's own settings (split count, wave count
// and roughness, circle roughness, lens offsets, colour). The value drawn in a frame is
// the one before that frame's step, so the first frame shows the start value.
#include "objects/display_effects.h"

#include <algorithm>
#include <cmath>

#include "core/maths.h"
#include "data/db_effect.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_draw_helpers.h"
#include "media/draw/dd_effect_blit.h"
#include "media/draw/dd_fill.h"
#include "objects/chara.h"
#include "objects/stage_chara.h"

namespace {

// What one effect frame draws with.
struct Fx {
    cChara& c;
    DDSURFACEDATA* dest;
    const DrawParam& p;
    int32_t x, y, w, h;  // the graphic rectangle
    int32_t size;        // the character's size factor
    double v;            // the interpolated value of this frame
    int32_t Param(int i) const {
        const cCharaEffect* rec = c.m_Effect.m_pRecord;
        return rec && i >= 0 && i < kEffectParamSlots ? rec->m_anParam[i] : 0;
    }
    int32_t Value() const { return TruncToInt32(v); }
    int32_t BaseW() const { return c.m_nBaseGraphicWidth * p.scale; }
    int32_t BaseH() const { return c.m_nBaseGraphicHeight * p.scale; }
    bool Scaled() const { return w != BaseW() || h != BaseH(); }
};

// A source rectangle of the graphic at its drawn size.
struct FxSource {
    DDSURFACEDATA* sd = nullptr;
    int32_t sx = 0, sy = 0;
};

// The sheet cell itself when the graphic is drawn at its stored scale (and no work
// surface is asked for), else the graphic stretched into the corner of a work surface
// that holds it. None when no work surface does.
FxSource Source(const Fx& fx, bool viaWork) {
    if (!viaWork && !fx.Scaled()) return {fx.p.face, fx.p.sx, fx.p.sy};
    DDSURFACEDATA* work = EffectWorkSurface(fx.w, fx.h);
    if (!work || !fx.p.chosen) return {};
    DDClearRectToTransparent(work, 0, 0, fx.w, fx.h);
    DDBltStretch(work, 0, 0, fx.w, fx.h, fx.p.chosen, fx.p.sx, fx.p.sy, fx.BaseW(), fx.BaseH(), 1);
    return {work, 0, 0};
}

Fx MakeFx(cChara& c, DDSURFACEDATA* dest, const DrawParam& p) {
    return Fx{c,
              dest,
              p,
              c.m_rcGraphic.left,
              c.m_rcGraphic.top,
              c.m_nGraphicWidth,
              c.m_nGraphicHeight,
              CharaSizeFactor(c.m_Def),
              c.m_Effect.m_dCurrent};
}

// Draws (when asked and there is a target) with the value of this frame, then steps the
// timer unless paused; 1 when the timer says the effect has ended.
template <class Draw>
int32_t Frame(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw,
              Draw&& drawFn) {
    if (draw && dest) drawFn(MakeFx(c, dest, p));
    return paused ? 0 : c.m_Effect.Step();
}

// The graphic as it is.
void DrawPlain(const Fx& fx, bool tinted) {
    BlitGraphic(fx.dest, fx.p, fx.x, fx.y, fx.w, fx.h, fx.c.m_nBaseGraphicWidth,
                fx.c.m_nBaseGraphicHeight, tinted);
}

// Draws the effect from the graphic's source. A graphic that no work surface holds (a
// character the status operation enlarged past them) is drawn as it is, without the
// effect, rather than not at all.
template <class Draw>
void WithSource(const Fx& fx, bool viaWork, Draw&& draw) {
    const FxSource s = Source(fx, viaWork);
    if (s.sd)
        draw(s);
    else
        DrawPlain(fx, false);
}

// The blink counter of kinds 6 and 14: the phase turns over every period (parameter 1)
// frames. Returns the phase of this frame (before the count).
uint32_t BlinkPhase(cChara& c, bool paused) {
    const cCharaEffect* rec = c.m_Effect.m_pRecord;
    const int32_t period = rec ? rec->m_anParam[1] : 1;
    const uint32_t phase = static_cast<uint32_t>(c.m_Effect.m_anWork[1]) & 1u;
    if (!paused && ++c.m_Effect.m_anWork[0] >= std::max(period, 1)) {
        c.m_Effect.m_anWork[0] = 0;
        c.m_Effect.m_anWork[1] = static_cast<int32_t>(phase ^ 1u);
    }
    return phase;
}

int32_t FxPlain(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool, bool draw) {
    // Plain drawing never ends by itself.
    if (draw && dest) DrawPlain(MakeFx(c, dest, p), true);
    return 0;
}

int32_t FxBurst(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    return Frame(c, dest, p, paused, draw, [](const Fx& fx) {
        WithSource(fx, false, [&](const FxSource& s) {
            DDBltQuarters(fx.dest, fx.x, fx.y, fx.w, fx.h, s.sd, s.sx, s.sy, fx.Value(), 1);
        });
    });
}

template <int Columns>
int32_t FxSplit(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    return Frame(c, dest, p, paused, draw, [](const Fx& fx) {
        WithSource(fx, false, [&](const FxSource& s) {
            // Strips of ceil(size / count): a count below 1 keeps the graphic whole.
            const int32_t count = std::max(fx.Param(3), 1);
            const int32_t span = Columns ? fx.w : fx.h;
            const int32_t strip = (span + count - 1) / count;
            DDBltZoom(fx.dest, fx.x, fx.y, fx.w, fx.h, strip, fx.Value(), s.sd, s.sx, s.sy, 1,
                      Columns);
        });
    });
}

template <int Columns>
int32_t FxWave(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    const int32_t r = Frame(c, dest, p, paused, draw, [](const Fx& fx) {
        WithSource(fx, false, [&](const FxSource& s) {
            // A stretched graphic keeps the wave's look: amplitude and roughness grow with
            // it. An own bitmap stored at the size it is drawn at is not stretched, and its
            // wave is the record's as it stands.
            const int32_t factor = fx.Scaled() ? fx.size : 1;
            const double amplitude = fx.v * factor;
            const int32_t strip = std::max(fx.Param(4), 1) * factor;
            DDBltWave(fx.dest, fx.x, fx.y, fx.w, fx.h, fx.Param(3), amplitude,
                      fx.c.m_Effect.m_anWork[0], strip, s.sd, s.sx, s.sy, 1, Columns);
        });
    });
    if (!paused) c.m_Effect.m_anWork[0] = (c.m_Effect.m_anWork[0] + 1) % 360;
    return r;
}

int32_t FxBlink(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    const uint32_t phase = BlinkPhase(c, paused);
    return Frame(c, dest, p, paused, draw, [phase](const Fx& fx) {
        if (phase == 1) DrawPlain(fx, false);
    });
}

// Rotation about the centre. Both kinds draw alike; B goes through the work surface.
template <bool ViaWork>
int32_t FxRotate(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    return Frame(c, dest, p, paused, draw, [](const Fx& fx) {
        WithSource(fx, ViaWork, [&](const FxSource& s) {
            DDBltRotate(fx.dest, fx.x + fx.w / 2, fx.y + fx.h / 2, fx.w, fx.h, fx.w / 2, fx.h / 2,
                        fx.v, s.sd, s.sx, s.sy, 1);
        });
    });
}

int32_t FxRotateDepth(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    return Frame(c, dest, p, paused, draw, [](const Fx& fx) {
        // The back of the card is the other facing; the stretch serves every size.
        DDSURFACEDATA* front = fx.Scaled() ? fx.p.chosen : fx.p.face;
        DDSURFACEDATA* back = fx.Scaled() ? fx.p.chosenOther : fx.p.other;
        DDBltStriped(fx.dest, fx.x, fx.y, fx.w, fx.h, front, fx.p.sx, fx.p.sy, back, fx.p.sx,
                     fx.p.sy, fx.BaseW(), fx.BaseH(), 1, fx.Value(), 0);
    });
}

int32_t FxCircle(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    return Frame(c, dest, p, paused, draw, [](const Fx& fx) {
        WithSource(fx, false, [&](const FxSource& s) {
            const int32_t radius = fx.Value() * fx.size;
            const int32_t strip = std::max(fx.Param(3), 1) * fx.size;
            DDBltCircle(fx.dest, fx.x + fx.w / 2, fx.y + fx.h / 2, fx.w / 2, fx.h / 2, radius,
                        strip, s.sd, s.sx + fx.w / 2, s.sy + fx.h / 2, 1);
        });
    });
}

int32_t FxZoom(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    return Frame(c, dest, p, paused, draw, [](const Fx& fx) {
        // The graphic grows by the value, whatever its size, and moves up and left by half
        // of it; a stretched graphic moves left by only a quarter, as the game draws it.
        const int32_t grow = fx.Value();
        const int32_t w = fx.w + grow, h = fx.h + grow;
        if (w <= 0 || h <= 0) return;
        DDSURFACEDATA* src = fx.Scaled() ? fx.p.chosen : fx.p.face;
        if (!src) return;
        const int32_t left = fx.x - (fx.Scaled() ? grow / 4 : grow / 2);
        DDBltStretch(fx.dest, left, fx.y - grow / 2, w, h, src, fx.p.sx, fx.p.sy, fx.BaseW(),
                     fx.BaseH(), 1);
    });
}

int32_t FxLens(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    return Frame(c, dest, p, paused, draw, [](const Fx& fx) {
        WithSource(fx, false, [&](const FxSource& s) {
            // The lens covers the graphic's inscribed circle; its distance (at least 1) sets
            // the magnification and the offsets move it over the target.
            const int32_t radius = std::min(fx.w, fx.h) / 2;
            DDBltDisc(fx.dest, fx.x + fx.w / 2 + fx.Param(3) * fx.size,
                      fx.y + fx.h / 2 + fx.Param(4) * fx.size, radius, std::max(fx.Value(), 1),
                      s.sd, s.sx + fx.w / 2, s.sy + fx.h / 2, 1, 0);
        });
    });
}

int32_t FxColour(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    return Frame(c, dest, p, paused, draw, [](const Fx& fx) {
        WithSource(fx, false, [&](const FxSource& s) {
            DDBltTint(fx.dest, fx.x, fx.y, fx.w, fx.h, s.sd, s.sx, s.sy, 1, Sheets().palette,
                      Sheets().halfTable, fx.Param(3), fx.Value());
        });
    });
}

int32_t FxHalf(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    const uint32_t phase = BlinkPhase(c, paused);
    return Frame(c, dest, p, paused, draw, [phase](const Fx& fx) {
        // Translucent in the first phase, so a period longer than the effect keeps the
        // whole run translucent; solid in the other.
        if (phase == 1) {
            DrawPlain(fx, false);
            return;
        }
        WithSource(fx, false, [&](const FxSource& s) {
            DDBltHalf(fx.dest, fx.x, fx.y, fx.w, fx.h, s.sd, s.sx, s.sy, 1, Sheets().halfTable);
        });
    });
}

int32_t FxMosaic(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    return Frame(c, dest, p, paused, draw, [](const Fx& fx) {
        WithSource(fx, false, [&](const FxSource& s) {
            const int32_t size = std::max(fx.Value(), 1);
            // Palette numbers have no average: at 8 bits the mosaic's own 8-bit routine
            // fills each block with one of its pixels' numbers.
            if (g_nBitsPerPixel == 8)
                DDBltMosaic8(fx.dest, fx.x, fx.y, fx.w, fx.h, size, s.sd, s.sx, s.sy, 1);
            else
                DDBltMosaic(fx.dest, fx.x, fx.y, fx.w, fx.h, size, s.sd, s.sx, s.sy, 1);
        });
    });
}

int32_t FxBlur(cChara& c, DDSURFACEDATA* dest, const DrawParam& p, bool paused, bool draw) {
    return Frame(c, dest, p, paused, draw, [](const Fx& fx) {
        WithSource(fx, false, [&](const FxSource& s) {
            const int32_t r = fx.Value();
            // A radius of 0 (a stored value below the editor's range, or a run that passes
            // through 0) blurs nothing: the character is drawn as it is, where the blur
            // itself would draw nothing at all.
            if (r <= 0) return DrawPlain(fx, false);
            DDBltBlur(fx.dest, fx.x, fx.y, fx.w, fx.h, r, r, s.sd, s.sx, s.sy, 1);
            // At 8 bits the blur refuses (its trace line says so): no palette number stands
            // for the average of others. The character stays there unblurred; the editor's
            // note on the blur tells the maker it works only at 16 bits and more.
            if (g_nBitsPerPixel == 8) DrawPlain(fx, false);
        });
    });
}

}  // namespace

const DispEffectFn g_DispEffectDraw[kDispEffectKinds] = {
    FxPlain, FxBurst,         FxSplit<0>,     FxSplit<1>,    FxWave<0>, FxWave<1>,
    FxBlink, FxRotate<false>, FxRotate<true>, FxRotateDepth, FxCircle,  FxZoom,
    FxLens,  FxColour,        FxHalf,         FxMosaic,      FxBlur,
};

uint32_t DispEffectKind(const cChara& chara) {
    const cCharaEffect* rec = chara.m_Effect.m_pRecord;
    if (!rec || rec->m_nKind >= static_cast<uint32_t>(kDispEffectKinds)) return 0;
    return rec->m_nKind;
}

int32_t RunCharaEffect(cChara& chara, DDSURFACEDATA* dest, const DrawParam& param, bool paused,
                       bool draw) {
    const int32_t ended = g_DispEffectDraw[DispEffectKind(chara)](chara, dest, param, paused, draw);
    if (ended) chara.m_Effect.Reset();
    return ended;
}
