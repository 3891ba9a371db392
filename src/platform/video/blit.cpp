// Raw copies and nearest stretches between CPU images of the software device: row loops
// chosen once per blit for the pixel size and copy rule, and the pixel-by-pixel form of
// the same rules that they are checked against.
#include "platform/video/blit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/video/pixel_rules.h"

namespace platform::video {

namespace {

bool Skipped(uint32_t p, const CopyRule& rule) {
    switch (rule.skip) {
        case SkipRule::None:
            return px::Skips<SkipRule::None>(p, rule.key);
        case SkipRule::ColourKey:
            return px::Skips<SkipRule::ColourKey>(p, rule.key);
        case SkipRule::HighBits16Zero:
            return px::Skips<SkipRule::HighBits16Zero>(p, rule.key);
        case SkipRule::AlphaByteZero:
            return px::Skips<SkipRule::AlphaByteZero>(p, rule.key);
    }
    return false;
}

uint32_t Converted(uint32_t p, PixelConvert convert) {
    if (convert == PixelConvert::A1R5G5B5ToR5G6B5)
        return px::Converts<PixelConvert::A1R5G5B5ToR5G6B5>(p);
    return px::Converts<PixelConvert::Raw>(p);
}

// Raw copies need pixels of one size (X8R8G8B8 takes A8R8G8B8 as it is); the
// conversion reads 16-bit pixels and writes 16-bit pixels.
bool Compatible(const Image& dst, const Image& src, const CopyRule& rule) {
    if (rule.convert == PixelConvert::A1R5G5B5ToR5G6B5)
        return BytesPerPixel(dst.Format()) == 2 && BytesPerPixel(src.Format()) == 2;
    return BytesPerPixel(dst.Format()) == BytesPerPixel(src.Format());
}

// Cuts a copy of one size to both images, moving both corners together; false when
// nothing is left.
bool ClipCopy(const Image& dst, int& dx, int& dy, const Image& src, int& sx, int& sy, int& width,
              int& height) {
    if (sx < 0) width += sx, dx -= sx, sx = 0;
    if (sy < 0) height += sy, dy -= sy, sy = 0;
    if (dx < 0) width += dx, sx -= dx, dx = 0;
    if (dy < 0) height += dy, sy -= dy, dy = 0;
    width = std::min({width, src.Width() - sx, dst.Width() - dx});
    height = std::min({height, src.Height() - sy, dst.Height() - dy});
    return width > 0 && height > 0;
}

// A copy of the part of an image that a call reads, so a copy within one image never
// reads what it has already written.
Image Snapshot(const Image& src, int x, int y, int width, int height) {
    Image copy(src.Format(), width, height);
    CopyRect(copy, 0, 0, src, x, y, width, height);
    return copy;
}

// A key that does not fit the pixel matches nothing: the copy then keeps every pixel.
CopyRule Effective(CopyRule rule, int bytes) {
    if (rule.skip == SkipRule::ColourKey && bytes < 4 && (rule.key >> (8 * bytes)) != 0)
        rule.skip = SkipRule::None;
    return rule;
}

// Scratch kept between calls so that no blit allocates once it has grown.
std::vector<uint8_t>& ScratchRow() {
    thread_local std::vector<uint8_t> row;
    return row;
}
std::vector<int>& ScratchColumns() {
    thread_local std::vector<int> cols;
    return cols;
}
std::vector<int>& ScratchRows() {
    thread_local std::vector<int> rows;
    return rows;
}
std::vector<uint8_t>& ScratchWidened() {
    thread_local std::vector<uint8_t> row;
    return row;
}

// StretchSourceIndex for the offsets start, start + 1, ... stepped without a division:
// the quotient and remainder of c x |sn| / dn move on by those of |sn| / dn.
class StretchSteps {
  public:
    StretchSteps(int s, int sn, int dn, int start)
        : sign_(sn < 0 ? -1 : 1),
          dn_(dn),
          step_(sign_ * (std::llabs(sn) / dn)),
          part_(std::llabs(sn) % dn),
          index_(s - (sn < 0 ? 1 : 0) + sign_ * (start * std::llabs(sn) / dn)),
          r_(start * std::llabs(sn) % dn) {}
    int Index() const { return static_cast<int>(index_); }
    void Next() {
        index_ += step_;
        r_ += part_;
        if (r_ >= dn_) r_ -= dn_, index_ += sign_;
    }

  private:
    long long sign_, dn_, step_, part_, index_, r_;
};

// The offsets along one axis of a stretch whose destination and source pixels both lie
// inside their images: the first one, and the source index of each into `out` (empty
// when there are none). The source index moves monotonically with the offset, so those
// offsets form one run. Returns k where the source is enlarged 2^k times and not turned
// over (index s + offset / 2^k), otherwise -1.
int InsideRun(int d, int dn, int dstSize, int s, int sn, int srcSize, std::vector<int>& out,
              int& first) {
    const int start = std::max(0, -d);
    const int end = static_cast<int>(std::min<long long>(dn, static_cast<long long>(dstSize) - d));
    if (start >= end) {
        out.clear();
        return -1;
    }
    // Enlarged a power of two times, as sprites drawn at twice their size are: the
    // quotient is a shift, and the indices need no steps.
    if (const int shift = px::EnlargementShift(sn, dn); shift >= 0) {
        const long long a = s + (start >> shift), b = s + ((end - 1) >> shift);
        if (a >= 0 && b < srcSize) {
            out.resize(static_cast<size_t>(end - start));
            int* o = out.data();
            px::EachPixel(end - start, [&](int i) { o[i] = s + ((start + i) >> shift); });
            first = start;
            return shift;
        }
    }
    StretchSteps steps(s, sn, dn, start);
    // Both ends inside the source: every offset between is too (the common sprite). The
    // list keeps its size from one sprite to the next rather than being filled anew.
    const int a = steps.Index(), b = StretchSourceIndex(s, end - 1, sn, dn);
    if (a >= 0 && a < srcSize && b >= 0 && b < srcSize) {
        out.resize(static_cast<size_t>(end - start));
        for (int& index : out) index = steps.Index(), steps.Next();
        first = start;
        return -1;
    }
    out.clear();
    for (int c = start; c < end; ++c, steps.Next()) {
        const int si = steps.Index();
        if (si < 0 || si >= srcSize) {
            if (!out.empty()) break;
            continue;
        }
        if (out.empty()) first = c;
        out.push_back(si);
    }
    return -1;
}

}  // namespace

void BltCopyReference(Image& dst, int dx, int dy, const Image& src, int sx, int sy, int width,
                      int height, const CopyRule& rule) {
    if (!Compatible(dst, src, rule)) return;
    if (!ClipCopy(dst, dx, dy, src, sx, sy, width, height)) return;
    const Image* from = &src;
    Image held;
    if (&dst == &src) {
        held = Snapshot(src, sx, sy, width, height);
        from = &held;
        sx = sy = 0;
    }
    const int bpp = BytesPerPixel(dst.Format());
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const uint32_t p = from->Get(sx + c, sy + r);
            if (Skipped(p, rule)) continue;
            const uint32_t v = Converted(p, rule.convert);
            uint8_t* o = dst.Row(dy + r) + (dx + c) * bpp;
            for (int i = 0; i < bpp; ++i) o[i] = static_cast<uint8_t>(v >> (8 * i));
        }
    }
}

void BltCopy(Image& dst, int dx, int dy, const Image& src, int sx, int sy, int width, int height,
             const CopyRule& given) {
    if (!Compatible(dst, src, given)) return;
    if (!ClipCopy(dst, dx, dy, src, sx, sy, width, height)) return;
    const int bytes = BytesPerPixel(dst.Format());
    const CopyRule rule = Effective(given, bytes);
    if (rule.skip == SkipRule::None && rule.convert == PixelConvert::Raw &&
        dst.Format() == src.Format()) {
        CopyRect(dst, dx, dy, src, sx, sy, width, height);  // overlap-safe already
        return;
    }
    // Within one image each source row is read into scratch before its row is written,
    // rows walked away from the overlap: the same as reading the whole source first.
    const bool same = &dst == &src;
    const bool upward = same && dy > sy;
    std::vector<uint8_t>& scratch = ScratchRow();
    if (same && scratch.size() < static_cast<size_t>(width) * bytes)
        scratch.resize(static_cast<size_t>(width) * bytes);
    px::WithPixelSize(bytes, [&](auto pixel) {
        using T = decltype(pixel);
        px::WithRule(rule, [&]<SkipRule S, PixelConvert C>() {
            if constexpr (C != PixelConvert::Raw && sizeof(T) != 2) return;
            if (!same) {
                px::CopyRows<T, S, C>(dst.Row(dy) + dx * sizeof(T), dst.Pitch(),
                                      src.Row(sy) + sx * sizeof(T), src.Pitch(), width, height,
                                      rule.key);
                return;
            }
            for (int i = 0; i < height; ++i) {
                const int r = upward ? height - 1 - i : i;
                std::memcpy(scratch.data(), px::RowAt<T>(src, sx, sy + r),
                            static_cast<size_t>(width) * sizeof(T));
                px::CopyRow<T, S, C>(px::RowAt<T>(dst, dx, dy + r),
                                     reinterpret_cast<const T*>(scratch.data()), width, rule.key);
            }
        });
    });
}

void BltStretchReference(Image& dst, int dx, int dy, int dw, int dh, const Image& src, int sx,
                         int sy, int sw, int sh, const CopyRule& rule) {
    if (dw < 1 || dh < 1) return;
    if (!Compatible(dst, src, rule)) return;
    // Source columns and rows of every destination column and row, once.
    std::vector<int> cols(dw), rows(dh);
    for (int c = 0; c < dw; ++c) cols[c] = StretchSourceIndex(sx, c, sw, dw);
    for (int r = 0; r < dh; ++r) rows[r] = StretchSourceIndex(sy, r, sh, dh);
    const Image* from = &src;
    Image held;
    if (&dst == &src) {
        held = src;
        from = &held;
    }
    const int w = from->Width(), h = from->Height();
    for (int r = 0; r < dh; ++r) {
        const int y = dy + r, syr = rows[r];
        if (y < 0 || y >= dst.Height() || syr < 0 || syr >= h) continue;
        for (int c = 0; c < dw; ++c) {
            const int x = dx + c, sxc = cols[c];
            if (x < 0 || x >= dst.Width() || sxc < 0 || sxc >= w) continue;
            const uint32_t p = from->Get(sxc, syr);
            if (Skipped(p, rule)) continue;
            dst.Set(x, y, Converted(p, rule.convert));
        }
    }
}

void BltStretch(Image& dst, int dx, int dy, int dw, int dh, const Image& src, int sx, int sy,
                int sw, int sh, const CopyRule& rule) {
    if (dw < 1 || dh < 1) return;
    if (!Compatible(dst, src, rule)) return;
    // Unscaled and not turned over, every destination pixel takes the source pixel at
    // the same offset: the clipped copy.
    if (sw == dw && sh == dh) {
        BltCopy(dst, dx, dy, src, sx, sy, dw, dh, rule);
        return;
    }
    // The source column of each destination column inside both images: one run
    // [c0, c0 + n). Then the run of rows [r0, r1).
    std::vector<int>& cols = ScratchColumns();
    std::vector<int>& srcRows = ScratchRows();
    int c0 = 0, r0 = 0;
    const int columnShift = InsideRun(dx, dw, dst.Width(), sx, sw, src.Width(), cols, c0);
    InsideRun(dy, dh, dst.Height(), sy, sh, src.Height(), srcRows, r0);
    if (cols.empty() || srcRows.empty()) return;
    const int r1 = r0 + static_cast<int>(srcRows.size());
    const int n = static_cast<int>(cols.size());
    const int bytes = BytesPerPixel(dst.Format());
    // Within one image the part read is kept aside first, so the copy reads the image as
    // it was; the columns and rows then count from its corner.
    const uint8_t* rows = src.Data();
    size_t pitch = static_cast<size_t>(src.Pitch());
    int rowOrigin = 0;  // the first source row kept aside
    if (&dst == &src) {
        const int left = std::min(cols.front(), cols.back());
        const int width = std::max(cols.front(), cols.back()) - left + 1;
        const int a = srcRows.front(), b = srcRows.back();
        rowOrigin = std::min(a, b);
        const int height = std::max(a, b) - rowOrigin + 1;
        pitch = static_cast<size_t>(width) * bytes;
        std::vector<uint8_t>& held = ScratchRow();
        if (held.size() < pitch * height) held.resize(pitch * height);
        for (int y = 0; y < height; ++y)
            std::memcpy(held.data() + y * pitch, src.Row(rowOrigin + y) + left * bytes, pitch);
        for (int& c : cols) c -= left;
        for (int& r : srcRows) r -= rowOrigin;
        rows = held.data();
    }
    const CopyRule effective = Effective(rule, bytes);
    // Each source row is widened once and copied to every destination row that shows it.
    // Columns enlarged once or twice need no look at the table.
    px::Widening widening;
    if (columnShift == 0)
        widening = {1, 1};
    else if (columnShift == 1 && n > 1)
        widening = {2, cols[1] == cols[0] ? 2 : 1};
    else
        widening = px::WideningOf(cols.data(), n);
    std::vector<uint8_t>& widened = ScratchWidened();
    const size_t widenedBytes = static_cast<size_t>(n) * bytes * px::kWidenedRows;
    if (widened.size() < widenedBytes) widened.resize(widenedBytes);
    px::WithPixelSize(bytes, [&](auto pixel) {
        using T = decltype(pixel);
        px::WithRule(effective, [&]<SkipRule S, PixelConvert C>() {
            if constexpr (C != PixelConvert::Raw && sizeof(T) != 2) return;
            px::StretchRows<T, S, C>(
                reinterpret_cast<uint8_t*>(px::RowAt<T>(dst, dx + c0, dy + r0)),
                static_cast<size_t>(dst.Pitch()), rows, pitch, srcRows.data(), r1 - r0, cols.data(),
                n, widening, reinterpret_cast<T*>(widened.data()), effective.key);
        });
    });
}

}  // namespace platform::video
