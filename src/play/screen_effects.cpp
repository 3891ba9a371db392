// The screen effects and the screen colour of stage play.
#include "play/screen_effects.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "core/bounds.h"
#include "core/maths.h"
#include "data/database.h"
#include "data/db_effect.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_draw_helpers.h"
#include "media/draw/dd_effect_blit.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_pixels.h"

namespace {

// One frame of a handler: the parameters of the record, the view, and whether the
// timer may run.
struct EffectFrame {
    ScreenEffect& effect;
    const ScreenEffectView& view;
    const int32_t* p;  // P0..P4
    bool drawOnly;

    double Value() const { return effect.timer.m_dCurrent; }
    // The copy of the picture drawn so far; the back buffer filled unless asked not to.
    void TakeCopy(bool fill = true) const {
        if (!view.back || !view.copy) return;
        DDBltFast(view.copy, 0, 0, kScreenW, kScreenH, view.back, 0, 0, 0);
        if (fill) DDFillRect(view.back, 0, 0, kScreenW, kScreenH, kFillColour);
    }
    // The timer's step after drawing: 1 when the run has ended.
    int Step(int32_t start, int32_t end) const {
        if (drawOnly) return 0;
        return effect.timer.Step(start, end, effect.timer.m_dSpeed);
    }
};

// Draws through the Direct3D draw mode 1 the effects draw with.
template <class Draw>
void InDrawMode(Draw draw) {
    D3DSetDrawMode(1);
    draw();
    D3DResetDrawMode();
}

int RunNone(EffectFrame&) {
    // An effect without a kind has nothing to show: it ends at once, whichever the mode.
    return 1;
}

int RunSlide(EffectFrame& f) {
    // The time is the divisor of the path: a slide of no time ends.
    if (f.p[0] == 0) return 1;
    f.TakeCopy();
    const double t = f.Value();
    const int x = static_cast<int>(f.p[1] + static_cast<double>(f.p[3] - f.p[1]) / f.p[0] * t);
    const int y = static_cast<int>(f.p[2] + static_cast<double>(f.p[4] - f.p[2]) / f.p[0] * t);
    if (f.view.back && f.view.copy)
        InDrawMode([&] { DDBltFast(f.view.back, x, y, kScreenW, kScreenH, f.view.copy, 0, 0, 0); });
    return f.Step(0, f.p[0]);
}

// The shakes: the offset (the timer's second value) runs toward +P1, turns, runs toward
// -P1 and turns again; the direction lives in the timer's first work value.
double ShakeOffset(EffectFrame& f) {
    ScreenEffect& e = f.effect;
    double& offset = e.timer.m_dSecond;
    if (f.drawOnly) return offset;
    const double step = static_cast<double>(f.p[2]) * f.p[1] * 4 / (f.p[0] * 6.0);
    const double bound = std::abs(static_cast<double>(f.p[1]));
    int32_t& back = e.timer.m_anValue[0];
    offset += back ? -step : step;
    if (!back && offset >= bound) {
        offset = bound;
        back = 1;
    } else if (back && offset <= -bound) {
        offset = -bound;
        back = 0;
    }
    return offset;
}

int RunShake(EffectFrame& f, bool vertical) {
    if (f.p[0] == 0) return 1;
    const int d = static_cast<int>(ShakeOffset(f));
    f.TakeCopy(vertical);
    if (f.view.back && f.view.copy) {
        // Only the strip the shift uncovers is filled: the rest is drawn over at once.
        if (!vertical && d > 0) DDFillRect(f.view.back, 0, 0, d + 1, kScreenH, kFillColour);
        if (!vertical && d < 0)
            DDFillRect(f.view.back, kScreenW + d, 0, 1 - d, kScreenH, kFillColour);
        InDrawMode([&] {
            DDBltFast(f.view.back, vertical ? 0 : d, vertical ? d : 0, kScreenW, kScreenH,
                      f.view.copy, 0, 0, 0);
        });
    }
    return f.Step(0, f.p[0]);
}

int RunZoomStrips(EffectFrame& f, int columns) {
    // The strip size divides the screen: strips of no size end the effect.
    if (f.p[3] <= 0) return 1;
    f.TakeCopy();
    if (f.view.back && f.view.copy)
        InDrawMode([&] {
            DDBltZoom(f.view.back, 0, 0, kScreenW, kScreenH, f.p[3], static_cast<int>(f.Value()),
                      f.view.copy, 0, 0, 0, columns);
        });
    return f.Step(f.p[1], f.p[2]);
}

int RunWave(EffectFrame& f, int columns) {
    if (f.p[3] <= 0) return 1;
    f.TakeCopy();
    if (f.view.back && f.view.copy)
        InDrawMode([&] {
            DDBltWave(f.view.back, 0, 0, kScreenW, kScreenH, f.p[4], f.Value(), f.effect.frame,
                      f.p[3], f.view.copy, 0, 0, 0, columns);
        });
    if (!f.drawOnly && ++f.effect.frame >= 360) f.effect.frame = 0;
    return f.Step(f.p[1], f.p[2]);
}

int RunBlink(EffectFrame& f) {
    if (f.effect.toggle == 0 && f.view.drawBackgrounds) f.view.drawBackgrounds();
    if (!f.drawOnly && ++f.effect.frame >= f.p[1]) {
        f.effect.frame = 0;
        f.effect.toggle ^= 1;
    }
    return f.Step(0, f.p[0]);
}

int RunRotation(EffectFrame& f) {
    f.TakeCopy();
    if (f.view.back && f.view.copy && f.view.copy2) {
        DDBltFast(f.view.copy2, 0, 0, kScreenW, kScreenH, f.view.copy, 0, 0, 0);
        InDrawMode([&] {
            DDBltRotate(f.view.back, 320, 240, kScreenW, kScreenH, 320, 240, f.Value(),
                        f.view.copy2, 0, 0, 0);
        });
    }
    return f.Step(f.p[1], f.p[2]);
}

int RunIris(EffectFrame& f) {
    f.TakeCopy();
    const int cx = f.view.heroX, cy = f.view.heroY;
    const int hw = cx < 320 ? kScreenW - cx : cx;
    const int hh = cy < 240 ? kScreenH - cy : cy;
    if (f.view.back && f.view.copy)
        InDrawMode([&] {
            DDBltCircle(f.view.back, cx, cy, hw, hh, static_cast<int>(f.Value()), f.p[3],
                        f.view.copy, cx, cy, 0);
        });
    return f.Step(f.p[1], f.p[2]);
}

int RunZoom(EffectFrame& f) {
    f.TakeCopy();
    const double s = f.Value() * 0.0015625;
    if (f.view.back && f.view.copy && s > 0.0) {
        InDrawMode([&] {
            if (s < 1.0) {
                const int w = static_cast<int>(kScreenW * s), h = static_cast<int>(kScreenH * s);
                DDBltStretch(f.view.back, (kScreenW - w) / 2, (kScreenH - h) / 2, w, h, f.view.copy,
                             0, 0, kScreenW, kScreenH, 0);
                return;
            }
            const int w = static_cast<int>(kScreenW / s), h = static_cast<int>(kScreenH / s);
            const int left = std::clamp(f.view.heroX - w / 2, 0, kScreenW - w);
            const int top = std::clamp(f.view.heroY - h / 2, 0, kScreenH - h);
            DDBltStretch(f.view.back, 0, 0, kScreenW, kScreenH, f.view.copy, left, top, w, h, 0);
        });
    }
    return f.Step(f.p[1], f.p[2]);
}

int RunSpotlight(EffectFrame& f) {
    const int cx = f.view.heroX + f.p[3], cy = f.view.heroY + f.p[4];
    const int far = std::max(std::max(cx, kScreenW - cx), std::max(cy, kScreenH - cy));
    const int r = static_cast<int>(far * MathSqrt(2.0));
    if (f.view.back && f.view.copy2) {
        const int side = g_nBitsPerPixel == 16 ? 4 * r : 2 * r;
        DDFillRect(f.view.copy2, cx - side / 2, cy - side / 2, side, side, 0);
        DDBltFast(f.view.copy2, 0, 0, kScreenW, kScreenH, f.view.back, 0, 0, 0);
        DDFillRect(f.view.back, 0, 0, kScreenW, kScreenH, kFillColour);
        InDrawMode([&] {
            DDBltDisc(f.view.back, cx, cy, static_cast<int>(f.Value()), r, f.view.copy2, cx, cy, 0,
                      1);
        });
    }
    return f.Step(f.p[1], f.p[2]);
}

int RunMosaic(EffectFrame& f) {
    f.TakeCopy();
    const int size = static_cast<int>(f.Value());
    if (f.view.back && f.view.copy)
        InDrawMode([&] {
            // Blocks of less than a dot are the picture itself.
            if (size < 1)
                DDBltFast(f.view.back, 0, 0, kScreenW, kScreenH, f.view.copy, 0, 0, 0);
            else
                DDBltMosaic(f.view.back, 0, 0, kScreenW, kScreenH, size, f.view.copy, 0, 0, 0);
        });
    return f.Step(f.p[1], f.p[2]);
}

using Handler = int (*)(EffectFrame&);
constexpr Handler kHandlers[] = {
    RunNone,
    RunSlide,
    [](EffectFrame& f) { return RunShake(f, false); },
    [](EffectFrame& f) { return RunShake(f, true); },
    [](EffectFrame& f) { return RunZoomStrips(f, 0); },
    [](EffectFrame& f) { return RunZoomStrips(f, 1); },
    [](EffectFrame& f) { return RunWave(f, 0); },
    [](EffectFrame& f) { return RunWave(f, 1); },
    RunBlink,
    RunRotation,
    RunIris,
    RunZoom,
    RunSpotlight,
    RunMosaic,
};

}  // namespace

void StartScreenEffect(ScreenEffect& effect, int16_t n, int32_t mode, int32_t loop) {
    effect.number = n;
    effect.entry = nullptr;
    effect.frame = 0;
    effect.toggle = 0;
    effect.timer.Start(n, mode, loop);
}

void RunScreenEffect(ScreenEffect& effect, int drawOnly, const ScreenEffectView& view) {
    if (effect.number == 0) return;
    const cScrEffect& entry = V(g_Database.m_vScrEffect, effect.number);
    effect.entry = &entry;
    // A kind past the table (damaged data) is an effect with nothing to show.
    const uint32_t kind = entry.m_nKind;
    // The handlers read P0..P4 of the record the timer took its state from. A reversed run,
    // and the second half of a round trip, take the reversed record, whose start and end
    // are exchanged: with the loaded record's bounds a reversed value would step away from
    // its end and stop at the first frame, and a slide would run forward.
    const cScrEffect& running = effect.timer.m_pRecord ? *effect.timer.m_pRecord : entry;
    EffectFrame frame{effect, view, running.m_anParam, drawOnly != 0};
    const int ended = kind < std::size(kHandlers) ? kHandlers[kind](frame) : 1;
    if (ended) {
        effect.number = 0;
        D3DUseVirtualBackBuffer(0);
    }
}

// ---- Screen colour ---------------------------------------------------------------------

namespace {

int32_t Param(const std::vector<int32_t>& params, size_t i) {
    return i < params.size() ? params[i] : 0;
}

}  // namespace

void SetScreenColor(ScreenColor& s, const std::vector<int32_t>& params) {
    const bool cont = Param(params, 4) != 0;
    if (cont) {
        // Continuing needs a colour to continue from.
        if (lpDTCon && !s.active) return;
        if (!lpDTCon && g_nBitsPerPixel == 8 && !s.set) return;
    }
    s.prevRed = s.red;
    s.prevGreen = s.green;
    s.prevBlue = s.blue;
    s.prevStrength = s.strength;
    s.prevOpacity = s.opacity;
    s.red = static_cast<uint8_t>(Param(params, 0));
    s.green = static_cast<uint8_t>(Param(params, 1));
    s.blue = static_cast<uint8_t>(Param(params, 2));
    s.strength = Param(params, 3);
    s.continued = cont ? 1 : 0;
    // A damaged time lasts as long as a frame count can: never past the count's range.
    s.duration = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{Param(params, 5)} * 6, INT32_MIN, INT32_MAX));
    s.blink = Param(params, 6) != 0 ? 1 : 0;
    s.repeats = Param(params, 7);
    s.active = 1;
    s.frame = 0;
    s.repetition = 0;
    if (!cont) {
        s.opacity = 0;
        s.set = 1;
    } else {
        s.red = s.prevRed;
        s.green = s.prevGreen;
        s.blue = s.prevBlue;
        s.strength = s.prevStrength;
        s.opacity = s.prevOpacity;
    }
}

int32_t ScreenColorOpacity(const ScreenColor& s) {
    if (s.continued && !s.blink) {
        if (s.duration <= 0) return 255;
        return TruncToInt32(s.prevOpacity +
                            static_cast<double>(s.frame) / s.duration * (255 - s.prevOpacity));
    }
    if (s.duration <= 0) return TruncToInt32(255 - s.strength * 2.55);
    return TruncToInt32(255 - static_cast<double>(s.frame) / s.duration * s.strength * 2.55);
}

namespace {

void PaintScreenColor(ScreenColor& s, DDSURFACEDATA* back, int32_t opacity) {
    const int32_t a = std::clamp(opacity, 0, 255);
    if (lpDTCon) {
        if (back)
            D3DFillRect(back, 0, 0, kScreenW, kScreenH,
                        static_cast<uint32_t>(a) << 24 | uint32_t{s.red} << 16 |
                            uint32_t{s.green} << 8 | s.blue);
        return;
    }
    // Headless play has no display to judge: the colour runs its course unseen.
    if (!DDDevice().bInit) return;
    if (g_nBitsPerPixel != 8) {
        // DirectDraw lays the colour over a palette only.
        s.active = 0;
        return;
    }
    PALETTEENTRY blended[256];
    PalBlendToColor(blended, 0, 255, 256 - a, s.red, s.green, s.blue, g_DisplayPalette);
    DDSetPalette(blended);
}

}  // namespace

void DrawScreenColor(ScreenColor& s, DDSURFACEDATA* back, int drawOnly) {
    if (!s.active) return;
    s.opacity = ScreenColorOpacity(s);
    PaintScreenColor(s, back, s.opacity);
    if (!s.active || drawOnly) return;
    if (s.frame < s.duration) {
        ++s.frame;
        return;
    }
    if (s.blink) {
        PaintScreenColor(s, back, 255);
        s.frame = 0;
        if (++s.repetition >= s.repeats) s.active = 0;
    } else if (s.continued || s.strength == 0) {
        s.active = 0;
    }
    // An 8-bit screen gets its own colours back once the colour has gone.
    if (!s.active && !lpDTCon && g_nBitsPerPixel == 8) DDSetPalette(g_DisplayPalette);
}
