// Effect objects and picture states of stage play.
#include "play/effect_obj.h"

#include <algorithm>

#include "core/bounds.h"
#include "core/maths.h"
#include "core/random.h"
#include "data/database.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_surface.h"

namespace {

// Surface i of the effect pictures, or null when the list does not hold it. A picture
// that is missing is a drawing failure, and drawing failures never stop a frame.
DDSURFACEDATA* EffectSurface(const EffectSurfaces& surfaces, int index) {
    if (!surfaces.list || index < 0 || static_cast<size_t>(index) >= surfaces.list->size())
        return nullptr;
    return &(*surfaces.list)[static_cast<size_t>(index)];
}

}  // namespace

void cEffectObj::Setup(int16_t n, const RectD& a, const RectD& b, int8_t scale) {
    const cEffect& record = V(g_Database.m_vEffect, n);
    m_nEffect = n;
    m_Anime = cAnimSeq{};
    m_bHold = 0;
    int32_t k = 1;
    const int32_t cellWidth = static_cast<int32_t>(record.m_nFrameWidth);
    const int32_t cellHeight = static_cast<int32_t>(record.m_nFrameHeight);
    if (record.m_bScalable != 0 && scale > 1) {
        k = scale;
        m_bScaled = 1;
        m_nWidth = cellWidth * k;
        m_nHeight = cellHeight * k;
    } else {
        m_bScaled = 0;
        m_nWidth = cellWidth;
        m_nHeight = cellHeight;
    }
    RectD meet;  // empty at (0, 0) unless the boxes meet
    if (a.Overlaps(b)) {
        meet.left = std::max(a.left, b.left);
        meet.top = std::max(a.top, b.top);
        meet.right = std::min(a.right, b.right);
        meet.bottom = std::min(a.bottom, b.bottom);
    }
    m_dX = meet.left + (TruncToInt32(meet.right - meet.left + 1.0) >> 1) - (m_nWidth >> 1);
    m_dY = meet.top + (TruncToInt32(meet.bottom - meet.top + 1.0) >> 1) - (m_nHeight >> 1);
    m_dX += RandRange(-4 * k, 4 * k);
    m_dY += RandRange(-4 * k, 4 * k);
    StartAnime(n);
}

void cEffectObj::SetupAt(int16_t n, double x, double y, int32_t width, int32_t height,
                         int32_t hold) {
    const cEffect& record = V(g_Database.m_vEffect, n);
    m_nEffect = n;
    m_dX = x;
    m_dY = y;
    m_nWidth = width;
    m_nHeight = height;
    m_bHold = hold;
    m_Anime = cAnimSeq{};
    m_bScaled = width != static_cast<int32_t>(record.m_nFrameWidth) ? 1 : 0;
    StartAnime(n);
}

void cEffectObj::StartAnime(int16_t n) {
    const AnimSeqTable one{V(g_EffectSeqTable, n)};
    m_Anime.Build(&one);
    m_Anime.Set(0, true);
}

int cEffectObj::Draw(DDSURFACEDATA* dest, int paused, const EffectSurfaces& surfaces) {
    const cEffect& record = V(g_Database.m_vEffect, m_nEffect);
    if (record.m_vItem.empty()) return 1;
    int32_t frame;
    if (m_bHold == 0 && paused) {
        frame = m_Anime.Value();
    } else {
        frame = m_Anime.Tick();
        if (frame == kAnimCodeEnd) return 1;
    }
    const int32_t cellWidth = static_cast<int32_t>(record.m_nFrameWidth);
    const int32_t cellHeight = static_cast<int32_t>(record.m_nFrameHeight);
    const int first = 2 * m_nEffect - 2;
    const int x = TruncToInt32(m_dX);
    const int y = TruncToInt32(m_dY);
    if (!m_bScaled) {
        if (DDSURFACEDATA* src = EffectSurface(surfaces, first))
            DDBltFast(dest, x, y, m_nWidth, m_nHeight, src, frame * m_nWidth, 0, 1);
        return 0;
    }
    // DirectDraw stretches the cell-size picture when the setting asks it to; otherwise
    // the enlarged copy is drawn from.
    const bool fromFirst = lpDTCon == nullptr && surfaces.videoStretch;
    if (DDSURFACEDATA* src = EffectSurface(surfaces, fromFirst ? first : first + 1))
        DDBltStretch(dest, x, y, m_nWidth, m_nHeight, src, cellWidth * frame, 0, cellWidth,
                     cellHeight, 1);
    return 0;
}

void SetPictureState(cPictureState& state, int16_t picture, double x, double y, int32_t width,
                     int32_t height, int32_t fixed, int32_t layer, int32_t zoomPercent,
                     int32_t durationMode, int32_t frames, int32_t countWhilePaused, int32_t valueA,
                     int32_t valueB, double scrollX, double scrollY) {
    state = cPictureState{};
    state.m_nPicture = picture;
    state.m_dX = x;
    state.m_dY = y;
    state.m_nWidth = width;
    state.m_nHeight = height;
    state.m_bFixed = fixed;
    state.m_nLayer = layer;
    state.m_bZoomed = zoomPercent != 100 ? 1 : 0;
    state.m_nDurationMode = durationMode;
    state.m_nFramesLeft = frames;
    state.m_bCountWhilePaused = countWhilePaused;
    state.m_nValueA = valueA;
    state.m_nValueB = valueB;
    if (fixed) {
        state.m_bLatched = 1;
        state.m_nLatchedX = TruncToInt32(x) - TruncToInt32(scrollX);
        state.m_nLatchedY = TruncToInt32(y) - TruncToInt32(scrollY);
    }
}

int DrawPictureState(cPictureState& state, DDSURFACEDATA* dest, DDSURFACEDATA* source, int paused,
                     double scrollX, double scrollY) {
    if (state.m_nDurationMode == 2 && !(paused && !state.m_bCountWhilePaused)) {
        --state.m_nFramesLeft;
        if (state.m_nFramesLeft < 0) return 1;
    }
    int x;
    int y;
    if (state.m_bFixed) {
        x = state.m_nLatchedX;
        y = state.m_nLatchedY;
    } else {
        x = TruncToInt32(state.m_dX) - TruncToInt32(scrollX);
        y = TruncToInt32(state.m_dY) - TruncToInt32(scrollY);
    }
    if (!source) return 0;
    if (state.m_bZoomed)
        DDBltStretch(dest, x, y, state.m_nWidth, state.m_nHeight, source, 0, 0, source->nWidth,
                     source->nHeight, 1);
    else
        DDBltFast(dest, x, y, state.m_nWidth, state.m_nHeight, source, 0, 0, 1);
    return 0;
}
