// Rectangles and points in dots, as the game's hit boxes and screen areas use them.
#pragma once

struct PointD {
    double x = 0.0;
    double y = 0.0;
};

// No order is enforced: left may exceed right, and such a box overlaps nothing
// that a well-formed one would not.
struct RectD {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    void Clear() { left = top = right = bottom = 0.0; }

    // 1 when the rectangles overlap or touch: edges that meet count, so boxes that
    // just reach each other hit.
    int Overlaps(const RectD& b) const {
        if (!(left <= b.right)) return 0;
        if (!(right >= b.left)) return 0;
        if (!(top <= b.bottom)) return 0;
        if (!(bottom >= b.top)) return 0;
        return 1;
    }
    static int Overlaps(const RectD& a, const RectD& b) { return a.Overlaps(b); }
};

static_assert(sizeof(PointD) == 16);
static_assert(sizeof(RectD) == 32);

// Two rectangles kept and cleared together (a character's body boxes).
struct RectDPair {
    RectD first;
    RectD second;

    void Clear() {
        first.Clear();
        second.Clear();
    }
};
