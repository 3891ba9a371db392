// The cursor stack, the cursor movers and the menu text colours.
#include "app/menu.h"

#include <algorithm>
#include <array>

#include "app/scene.h"
#include "app/screen_settings.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "data/system_data.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_draw_helpers.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/font.h"

cCursorStack g_CursorStack;

// ---- The cursor stack ------------------------------------------------------------------

void cCursorStack::ResetToOneEntry() {
    m_vEntries.assign(1, CursorEntry());
}

void cCursorStack::PushLinkedEntry(int /*mode*/) {
    m_vEntries.push_back(CursorEntry());
}

void cCursorStack::PopLinkedEntry(int mode) {
    if (m_vEntries.size() < 2) return;
    const CursorEntry removed = m_vEntries.back();
    m_vEntries.pop_back();
    if (mode == 0)
        m_vEntries.back() = CursorEntry();
    else if (mode == 2)
        m_vEntries.back() = removed;
}

CursorEntry* cCursorStack::Previous() {
    return m_vEntries.size() < 2 ? nullptr : &m_vEntries[m_vEntries.size() - 2];
}

void ResetCursorStack() {
    g_CursorStack.ResetToOneEntry();
}

// ---- The movers --------------------------------------------------------------------------

namespace {

// One step back (first bit) or forward (second bit), the back step winning; a value
// that leaves 0..count - 1 comes round at the other end.
int32_t StepWrapped(int32_t value, uint32_t keys, uint32_t backBit, uint32_t forwardBit,
                    int count) {
    if (keys & backBit)
        --value;
    else if (keys & forwardBit)
        ++value;
    if (value < 0) return count - 1;
    if (value >= count) return 0;
    return value;
}

}  // namespace

void MoveGridCursor(uint32_t keys, int originX, int originY, int cellWidth, int cellHeight,
                    int columns, int rows) {
    if (columns < 0 || rows < 0) return;
    CursorEntry& c = g_CursorStack.Current();
    c.column = StepWrapped(c.column, keys, kKeyLeft, kKeyRight, columns);
    c.row = StepWrapped(c.row, keys, kKeyUp, kKeyDown, rows);
    c.x = c.column * cellWidth + originX;
    c.y = c.row * cellHeight + originY;
}

void MoveListCursor(uint32_t keys, int vertical, int* top, int origin, int step, int fixed,
                    int visible, int total, int paging) {
    int dummyTop = 0;
    if (!top) top = &dummyTop;
    CursorEntry& c = g_CursorStack.Current();
    int32_t& cursor = vertical ? c.row : c.column;
    if (keys & kKeyUp) {
        if (cursor - *top < 1) --*top;
        --cursor;
    }
    if (keys & kKeyDown) {
        if (cursor - *top >= visible - 1) ++*top;
        ++cursor;
    }
    if (paging) {
        const int page = visible - 1;
        if (keys & kKeyRight) {
            if (*top != total - visible) {
                *top += page;
                cursor += page;
            } else {
                cursor = total - 1;
            }
        }
        if (keys & kKeyLeft) {
            if (*top != 0) {
                *top -= page;
                cursor -= page;
            } else {
                cursor = 0;
            }
        }
    }
    cursor = std::max(0, std::min(cursor, total - 1));
    *top = std::max(0, std::min(*top, std::max(0, total - visible)));
    const int along = (cursor - *top) * step + origin;
    c.x = vertical ? fixed : along;
    c.y = vertical ? along : fixed;
}

// ---- Menu fonts --------------------------------------------------------------------------

namespace {
Font* g_menuFonts = nullptr;
int g_menuFontCount = 0;
}  // namespace

void SetMenuFonts(Font* fonts, int count) {
    g_menuFonts = count > 0 ? fonts : nullptr;
    g_menuFontCount = fonts ? count : 0;
}

Font* MenuFont(int i) {
    return (g_menuFonts && i >= 0 && i < g_menuFontCount) ? &g_menuFonts[i] : nullptr;
}

// ---- Menu text colours ---------------------------------------------------------------------

namespace {

constexpr int kCycleFirst = 208;
constexpr int kCycleGroups = 8;
constexpr int kCycleGroupSize = 4;
constexpr int kCycleEvery = 6;

struct Pulse {
    int value = 0;
    int falling = 0;
};

// Which channels each colour pulses in (red 4, green 2, blue 1) and its draw mode: six
// colours pulse from black, four toward white over an opaque base.
struct PulseShape {
    uint32_t channels;
    bool towardWhite;
};
constexpr std::array<PulseShape, kMenuColourCount> kShapes = {{{4, false},
                                                               {2, false},
                                                               {1, false},
                                                               {6, false},
                                                               {5, false},
                                                               {3, false},
                                                               {4, true},
                                                               {2, true},
                                                               {1, true},
                                                               {6, true}}};

static_assert(kMenuColourCount == kCycledTextColours, "every menu colour is a text colour");

std::array<Pulse, kMenuColourCount> g_pulses;
std::array<MenuColour, kMenuColourCount> g_colours;
int g_cycleCalls = 0;

MenuColour ColourOf(const PulseShape& shape, int value) {
    const uint32_t v = static_cast<uint32_t>(std::clamp(value, 0, 255));
    const uint32_t base = shape.towardWhite ? 0xFFu : 0u;
    uint32_t rgb = 0;
    for (int bit = 2; bit >= 0; --bit) {
        const uint32_t channel = (shape.channels >> bit & 1u) ? v : (shape.towardWhite ? base : 0u);
        rgb = rgb << 8 | channel;
    }
    return {0xFF000000u | rgb, shape.towardWhite ? 10u : 7u};
}

void CyclePalette() {
    if (++g_cycleCalls < kCycleEvery) return;
    g_cycleCalls = 0;
    for (int g = 0; g < kCycleGroups; ++g) {
        const int first = kCycleFirst + g * kCycleGroupSize;
        PalRotate(g_DisplayPalette, first, first + kCycleGroupSize - 1, 1, 0, g_DisplayPalette);
    }
    DDSetPalette(g_DisplayPalette);
}

// Colour i from its pulse, handed on to the text that takes it.
void SetColour(int i) {
    g_colours[i] = ColourOf(kShapes[i], g_pulses[i].value);
    SetCycledTextColour(i, g_colours[i].argb);
}

void PulseColours(int speed) {
    for (int i = 0; i < kMenuColourCount; ++i) {
        PingPong(&g_pulses[i].value, &g_pulses[i].falling, speed, 0, 255);
        SetColour(i);
    }
}

}  // namespace

const MenuColour& GetMenuColour(int i) {
    return g_colours[static_cast<size_t>(std::clamp(i, 0, kMenuColourCount - 1))];
}

void PrepareMenuColors() {
    if (lpDTCon) {
        PulseColours(screen_settings::CyclingSpeed(g_SystemData));
        return;
    }
    if (g_nBitsPerPixel == 8 && screen_settings::ColourCycling(g_SystemData)) CyclePalette();
}

void ResetMenuColors() {
    g_cycleCalls = 0;
    for (int i = 0; i < kMenuColourCount; ++i) {
        // Spread over the range so that the colours do not pulse in step.
        g_pulses[i] = Pulse{i * 255 / kMenuColourCount, 0};
        SetColour(i);
    }
}

namespace {
// The pulses start spread out, before the first screen runs.
const bool g_coloursReady = (ResetMenuColors(), true);
}  // namespace
