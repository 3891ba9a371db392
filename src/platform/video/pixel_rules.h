// The per-pixel rules of the software device, written once per pixel format and per
// copy rule: how each format stores a pixel and reads as ARGB, which source pixels a
// copy leaves out and how it converts the rest. The pixel-by-pixel reference paths and
// the row loops the blits run are both built from these templates, so the two cannot
// drift apart. Only the video sources, the drawing effects built on the same machinery
// and their tests include this file.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/video/blit.h"
#include "platform/video/image.h"

namespace platform::video::px {

static_assert(std::endian::native == std::endian::little,
              "image rows hold little-endian pixels and are read in place");

// Pixels read and written in place in an image's byte rows; may_alias because the same
// rows are also read byte by byte.
typedef uint16_t Pixel16 __attribute__((may_alias));
typedef uint32_t Pixel32 __attribute__((may_alias));

template <int Bytes>
struct Storage;
template <>
struct Storage<1> {
    using type = uint8_t;
};
template <>
struct Storage<2> {
    using type = Pixel16;
};
template <>
struct Storage<4> {
    using type = Pixel32;
};
template <int Bytes>
using PixelOfSize = typename Storage<Bytes>::type;

constexpr int BytesOf(PixelFormat format) {
    return BytesPerPixel(format);
}
template <PixelFormat F>
using PixelOf = PixelOfSize<BytesOf(F)>;

template <typename T>
T* RowAt(Image& image, int x, int y) {
    return reinterpret_cast<T*>(image.Row(y)) + x;
}
template <typename T>
const T* RowAt(const Image& image, int x, int y) {
    return reinterpret_cast<const T*>(image.Row(y)) + x;
}

// Calls fn with the format as a compile-time constant (std::integral_constant).
template <typename Fn>
decltype(auto) WithFormat(PixelFormat format, Fn&& fn) {
    using F = PixelFormat;
    switch (format) {
        case F::Indexed8:
            return fn(std::integral_constant<F, F::Indexed8>{});
        case F::R5G6B5:
            return fn(std::integral_constant<F, F::R5G6B5>{});
        case F::A1R5G5B5:
            return fn(std::integral_constant<F, F::A1R5G5B5>{});
        case F::X8R8G8B8:
            return fn(std::integral_constant<F, F::X8R8G8B8>{});
        case F::A8R8G8B8:
            break;
    }
    return fn(std::integral_constant<F, F::A8R8G8B8>{});
}

// Calls fn with the pixel storage type of that many bytes (1, 2 or 4).
template <typename Fn>
decltype(auto) WithPixelSize(int bytes, Fn&& fn) {
    if (bytes == 1) return fn(uint8_t{});
    if (bytes == 2) return fn(Pixel16{});
    return fn(Pixel32{});
}

// Pixels gathered from the columns of a table into a block, four to a step (a short loop
// runs at a speed that depends on where it lands in the code).
template <typename T>
[[gnu::always_inline]] inline void Gather(T* __restrict block, const T* __restrict s,
                                          const int* cols, int m) {
    int k = 0;
    for (; k + 4 <= m; k += 4) {
        block[k] = s[cols[k]];
        block[k + 1] = s[cols[k + 1]];
        block[k + 2] = s[cols[k + 2]];
        block[k + 3] = s[cols[k + 3]];
    }
    for (; k < m; ++k) block[k] = s[cols[k]];
}

// Row loops run whole chunks of a fixed length, which the compiler turns into vector
// code with the project's own flags, then the rest pixel by pixel. The row functions
// stay out of line: inlined, their pointers lose the promise that they do not overlap,
// and the loops stay scalar.
constexpr int kChunk = 16;

// The row functions are also built for processors with 256-bit vectors (AVX2), and the
// build that suits the processor is chosen once when the program starts. The rules are
// whole-number arithmetic, so both builds write the same bytes.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define WF_ROW_LOOP [[gnu::noinline, gnu::target_clones("avx2", "default")]]
#else
#define WF_ROW_LOOP [[gnu::noinline]]
#endif

template <typename Op>
[[gnu::always_inline]] inline void EachPixel(int n, Op&& op) {
    int i = 0;
    for (; i + kChunk <= n; i += kChunk)
        for (int k = 0; k < kChunk; ++k) op(i + k);
    for (; i < n; ++i) op(i);
}

// piece(at) for at = 0, width, 2 x width, ... while a whole piece fits; then, as the
// piece gives a pixel the same value when run on it again, the rest of the row as its
// last whole piece, laid over pixels already done. Returns where the pixels left undone
// begin (n, unless the row is narrower than a piece).
template <typename Piece>
[[gnu::always_inline]] inline int EachPieceAgainSame(int n, int width, Piece&& piece) {
    int at = 0;
    for (; at + width <= n; at += width) piece(at);
    if (at < n && n >= width) piece(n - width), at = n;
    return at;
}

// EachPixel for an op that gives a pixel the same value when run on it again.
template <typename Op>
[[gnu::always_inline]] inline void EachPixelAgainSame(int n, Op&& op) {
    int i = EachPieceAgainSame(n, kChunk, [&](int at) __attribute__((always_inline)) {
        for (int k = 0; k < kChunk; ++k) op(at + k);
    });
    for (; i < n; ++i) op(i);
}

// Where a sprite is enlarged 2^k times and not turned over (dn = sn x 2^k), k; else -1.
inline int EnlargementShift(int sn, int dn) {
    const unsigned times = sn > 0 && dn % sn == 0 ? static_cast<unsigned>(dn / sn) : 0;
    return times != 0 && (times & (times - 1)) == 0 ? std::countr_zero(times) : -1;
}

// The run [first, end) of x in [x0, x1) where f(x) lies in [lo, hi) (read as
// !(f(x) < lo) && !(f(x) >= hi), so a NaN counts as inside), for f that moves one way
// along x (up: never down). Found from its ends by halving, as the run is one piece.
template <typename F, typename V>
void MonotoneRun(int x0, int x1, F&& f, bool up, V lo, V hi, int& first, int& end) {
    auto firstWhere = [&](auto&& pred) {
        int a = x0, b = x1;
        while (a < b) {
            const int mid = a + (b - a) / 2;
            if (pred(mid))
                b = mid;
            else
                a = mid + 1;
        }
        return a;
    };
    first = firstWhere([&](int x) { return up ? !(f(x) < lo) : !(f(x) >= hi); });
    end = firstWhere([&](int x) { return up ? f(x) >= hi : f(x) < lo; });
}

// A row of one pixel value.
template <typename T>
WF_ROW_LOOP void FillRow(T* __restrict d, int n, T value) {
    if constexpr (sizeof(T) == 1)
        std::memset(d, value, static_cast<size_t>(n));
    else
        EachPixel(n, [&](int i) { d[i] = value; });
}

// --- Field layouts and the display conversions (rounded) ---

constexpr FieldLayout LayoutFor(PixelFormat format) {
    switch (format) {
        case PixelFormat::Indexed8:
            return {};
        case PixelFormat::R5G6B5:
            return {{11, 31}, {5, 63}, {0, 31}, {0, 0}};
        case PixelFormat::A1R5G5B5:
            return {{10, 31}, {5, 31}, {0, 31}, {15, 1}};
        case PixelFormat::X8R8G8B8:
            return {{16, 255}, {8, 255}, {0, 255}, {0, 0}};
        case PixelFormat::A8R8G8B8:
            return {{16, 255}, {8, 255}, {0, 255}, {24, 255}};
    }
    return {};
}

// An 8-bit component into a field, truncated.
constexpr uint32_t Narrow(uint32_t c8, Field f) {
    if (f.max == 0) return 0;
    return ((c8 * f.max) / 255u) << f.shift;
}

// A field value to 0..255 with rounded scaling: 0 stays 0 and the field maximum
// becomes 255.
constexpr uint32_t WidenRounded(uint32_t v, uint32_t max) {
    return (v * 255u + max / 2) / max;
}

constexpr uint32_t Widen(uint32_t pixel, Field f) {
    if (f.max == 0) return 0;
    return WidenRounded((pixel >> f.shift) & f.max, f.max);
}

template <PixelFormat F>
constexpr uint32_t FromArgbOf(uint32_t argb) {
    if constexpr (F == PixelFormat::Indexed8) {
        return 0;
    } else if constexpr (F == PixelFormat::X8R8G8B8) {
        return argb & 0x00FFFFFFu;
    } else if constexpr (F == PixelFormat::A8R8G8B8) {
        return argb;
    } else {
        constexpr FieldLayout l = LayoutFor(F);
        return Narrow((argb >> 16) & 0xFF, l.red) | Narrow((argb >> 8) & 0xFF, l.green) |
               Narrow(argb & 0xFF, l.blue) | Narrow(argb >> 24, l.alpha);
    }
}

template <PixelFormat F>
constexpr uint32_t ToArgbOf(uint32_t pixel, const uint32_t* palette) {
    if constexpr (F == PixelFormat::Indexed8) {
        return 0xFF000000u | (palette ? (palette[pixel & 0xFF] & 0x00FFFFFFu) : 0u);
    } else if constexpr (F == PixelFormat::X8R8G8B8) {
        return 0xFF000000u | (pixel & 0x00FFFFFFu);
    } else if constexpr (F == PixelFormat::A8R8G8B8) {
        return pixel;
    } else {
        constexpr FieldLayout l = LayoutFor(F);
        const uint32_t a = l.alpha.max ? Widen(pixel, l.alpha) : 0xFFu;
        return a << 24 | Widen(pixel, l.red) << 16 | Widen(pixel, l.green) << 8 |
               Widen(pixel, l.blue);
    }
}

// Every 16-bit pixel of the format as ARGB, made once from ToArgbOf: a row then costs
// one load a pixel instead of three divisions.
template <PixelFormat F>
const uint32_t* ArgbTable() {
    static_assert(BytesOf(F) == 2);
    static const std::array<uint32_t, 65536> table = [] {
        std::array<uint32_t, 65536> t{};
        for (uint32_t p = 0; p < t.size(); ++p) t[p] = ToArgbOf<F>(p, nullptr);
        return t;
    }();
    return table.data();
}

template <PixelFormat F>
WF_ROW_LOOP void ToArgbRowOf(uint32_t* __restrict out, const PixelOf<F>* __restrict s, int n,
                             const uint32_t* palette) {
    if constexpr (BytesOf(F) == 2) {
        const uint32_t* table = ArgbTable<F>();
        for (int i = 0; i < n; ++i) out[i] = table[s[i]];
    } else {
        EachPixel(n, [&](int i) { out[i] = ToArgbOf<F>(s[i], palette); });
    }
}

// --- The copy rules of the blits ---

template <SkipRule S>
constexpr bool Skips(uint32_t p, uint32_t key) {
    if constexpr (S == SkipRule::ColourKey) return p == key;
    if constexpr (S == SkipRule::HighBits16Zero) return (p & 0xA000u) == 0;
    if constexpr (S == SkipRule::AlphaByteZero) return (p >> 24) == 0;
    (void)p;
    (void)key;
    return false;
}

template <PixelConvert C>
constexpr uint32_t Converts(uint32_t p) {
    if constexpr (C == PixelConvert::A1R5G5B5ToR5G6B5)
        return ((p >> 10) & 31u) << 11 | ((p >> 5) & 31u) << 6 | (p & 31u);
    return p;
}

// A pixel copied to a display surface of another format: the same format as it is, the
// 16-bit texture format to the full-screen 16-bit one field by field, anything else
// through opaque ARGB.
template <PixelFormat From, PixelFormat To>
constexpr uint32_t DisplayConvertOf(uint32_t v) {
    if constexpr (From == To) return v;
    if constexpr (From == PixelFormat::A1R5G5B5 && To == PixelFormat::R5G6B5)
        return Converts<PixelConvert::A1R5G5B5ToR5G6B5>(v);
    return FromArgbOf<To>(ToArgbOf<From>(v, nullptr) | 0xFF000000u);
}

template <PixelFormat From, PixelFormat To>
WF_ROW_LOOP void DisplayRowOf(PixelOf<To>* __restrict d, const PixelOf<From>* __restrict s, int n) {
    if constexpr (From == To) {
        std::memcpy(d, s, static_cast<size_t>(n) * sizeof(*d));
    } else if constexpr (BytesOf(From) == 2 && BytesOf(To) == 4) {
        // DisplayConvertOf with its ToArgbOf read from the table.
        const uint32_t* table = ArgbTable<From>();
        for (int i = 0; i < n; ++i) d[i] = FromArgbOf<To>(table[s[i]] | 0xFF000000u);
    } else {
        EachPixel(
            n, [&](int i) { d[i] = static_cast<PixelOf<To>>(DisplayConvertOf<From, To>(s[i])); });
    }
}

// Calls fn.template operator()<S, C>() with the rule's skip and conversion as constants.
template <typename Fn>
void WithRule(const CopyRule& rule, Fn&& fn) {
    auto withConvert = [&]<SkipRule S>() {
        if (rule.convert == PixelConvert::A1R5G5B5ToR5G6B5)
            fn.template operator()<S, PixelConvert::A1R5G5B5ToR5G6B5>();
        else
            fn.template operator()<S, PixelConvert::Raw>();
    };
    switch (rule.skip) {
        case SkipRule::None:
            return withConvert.template operator()<SkipRule::None>();
        case SkipRule::ColourKey:
            return withConvert.template operator()<SkipRule::ColourKey>();
        case SkipRule::HighBits16Zero:
            return withConvert.template operator()<SkipRule::HighBits16Zero>();
        case SkipRule::AlphaByteZero:
            return withConvert.template operator()<SkipRule::AlphaByteZero>();
    }
}

// One pixel of a copy: the source pixel converted when the rule keeps it, else the
// destination as it was. The key is compared in the pixel's own width (a key wider than
// the pixel matches nothing, and the caller drops the test then).
template <typename T, SkipRule S, PixelConvert C>
[[gnu::always_inline]] inline T Copied(T d, T v, T key, uint32_t wideKey) {
    const bool skip = S == SkipRule::ColourKey ? v == key : Skips<S>(v, wideKey);
    return skip ? d : static_cast<T>(Converts<C>(v));
}

// One row of a copy.
template <typename T, SkipRule S, PixelConvert C>
WF_ROW_LOOP void CopyRow(T* __restrict d, const T* __restrict s, int n, uint32_t key) {
    if constexpr (S == SkipRule::None && C == PixelConvert::Raw) {
        std::memcpy(d, s, static_cast<size_t>(n) * sizeof(T));
    } else {
        const T k = static_cast<T>(key);
        EachPixel(n, [&](int i) { d[i] = Copied<T, S, C>(d[i], s[i], k, key); });
    }
}

// One row of a copy of W pixels (W 0: of n pixels, in whole chunks and the rest).
template <typename T, SkipRule S, PixelConvert C, int W>
[[gnu::always_inline]] inline void CopyPixels(T* __restrict d, const T* __restrict s, int n, T k,
                                              uint32_t key) {
    if constexpr (W > 0) {
        for (int i = 0; i < W; ++i) d[i] = Copied<T, S, C>(d[i], s[i], k, key);
    } else {
        // A pixel copied again from the same source comes out the same.
        EachPixelAgainSame(n, [&](int i) { d[i] = Copied<T, S, C>(d[i], s[i], k, key); });
    }
}

// The rows of a copy, two rows a step: twice the independent work between the loop's
// branches.
template <typename T, SkipRule S, PixelConvert C, int W>
[[gnu::always_inline]] inline void CopyRowsOf(uint8_t* d, size_t dPitch, const uint8_t* s,
                                              size_t sPitch, int width, int height, uint32_t key) {
    const T k = static_cast<T>(key);
    auto dRow = [&](int r) { return reinterpret_cast<T*>(d + r * dPitch); };
    auto sRow = [&](int r) { return reinterpret_cast<const T*>(s + r * sPitch); };
    int r = 0;
    for (; r + 2 <= height; r += 2) {
        CopyPixels<T, S, C, W>(dRow(r), sRow(r), width, k, key);
        CopyPixels<T, S, C, W>(dRow(r + 1), sRow(r + 1), width, k, key);
    }
    if (r < height) CopyPixels<T, S, C, W>(dRow(r), sRow(r), width, k, key);
}

// The row above over a rectangle of rows of two different images (pitches in bytes):
// one call for a whole sprite. The common sprite widths run rows of a fixed length.
template <typename T, SkipRule S, PixelConvert C>
WF_ROW_LOOP void CopyRows(uint8_t* __restrict d, size_t dPitch, const uint8_t* __restrict s,
                          size_t sPitch, int width, int height, uint32_t key) {
    if constexpr (S == SkipRule::None && C == PixelConvert::Raw) {
        for (int r = 0; r < height; ++r)
            std::memcpy(d + r * dPitch, s + r * sPitch, static_cast<size_t>(width) * sizeof(T));
    } else if (width == kChunk) {
        CopyRowsOf<T, S, C, kChunk>(d, dPitch, s, sPitch, width, height, key);
    } else if (width == 2 * kChunk) {
        CopyRowsOf<T, S, C, 2 * kChunk>(d, dPitch, s, sPitch, width, height, key);
    } else {
        CopyRowsOf<T, S, C, 0>(d, dPitch, s, sPitch, width, height, key);
    }
}

// --- Stretched rows ---

// How the column table of a stretched row reads its source: every source pixel once,
// side by side (times 1), or twice in a row (times 2, the first one `lead` times); times
// 0 for any other table, which is gathered column by column.
struct Widening {
    int times = 0;
    int lead = 0;
};
inline Widening WideningOf(const int* cols, int n) {
    if (n < 1) return {};
    const int lead = n > 1 && cols[1] == cols[0] ? 2 : 1;
    // Any difference from either pattern, or-ed together (a loop that vectorises).
    unsigned single = 0, doubled = 0;
    for (int i = 1; i < n; ++i) {
        const unsigned offset = static_cast<unsigned>(cols[i]) - static_cast<unsigned>(cols[0]);
        single |= offset ^ static_cast<unsigned>(i);
        doubled |= offset ^ static_cast<unsigned>((i + 2 - lead) >> 1);
    }
    if (single == 0) return {1, 1};
    if (doubled == 0) return {2, lead};
    return {};
}

// Sixteen bytes from p, each twice, into out (32 bytes).
[[gnu::always_inline]] inline void DoubledBytes(uint8_t* __restrict out,
                                                const uint8_t* __restrict p) {
    typedef uint8_t U8x16 __attribute__((vector_size(16)));
    typedef uint8_t U8x32 __attribute__((vector_size(32)));
    U8x16 v;
    std::memcpy(&v, p, sizeof v);
    const U8x32 twice =
        __builtin_shufflevector(v, v, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9,
                                10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15, 15);
    std::memcpy(out, &twice, sizeof twice);
}

// The source pixels of a stretched row into `out`: column c takes s[cols[c]], the
// widening found by WideningOf read without the table.
template <typename T>
[[gnu::always_inline]] inline void WidenPixels(T* __restrict out, const T* __restrict s,
                                               const int* cols, int n, Widening w) {
    if (w.times == 1) {
        std::memcpy(out, s + cols[0], static_cast<size_t>(n) * sizeof(T));
        return;
    }
    if (w.times != 2) {
        Gather(out, s, cols, n);
        return;
    }
    const T* p = s + cols[0];
    T* o = out;
    if (w.lead == 1) *o++ = *p++;
    const int pairs = static_cast<int>(out + n - o) / 2;
    int j = 0;
    if constexpr (sizeof(T) == 1) {
        // Bytes are doubled a whole vector at a time: the drawing reads them back that wide
        // soon after, which narrower writes would hold up.
        for (; j + 16 <= pairs; j += 16) DoubledBytes(o + 2 * j, p + j);
    }
    for (; j + kChunk <= pairs; j += kChunk)
        for (int k = 0; k < kChunk; ++k) o[2 * (j + k)] = o[2 * (j + k) + 1] = p[j + k];
    // The rest as the last whole chunk, which writes the same pairs again.
    if (j < pairs && pairs >= kChunk) {
        j = pairs - kChunk;
        for (int k = 0; k < kChunk; ++k) o[2 * (j + k)] = o[2 * (j + k) + 1] = p[j + k];
        j = pairs;
    }
    for (; j < pairs; ++j) o[2 * j] = o[2 * j + 1] = p[j];
    if (o + 2 * pairs < out + n) o[2 * pairs] = p[pairs];
}
template <typename T>
WF_ROW_LOOP void WidenRow(T* __restrict out, const T* __restrict s, const int* cols, int n,
                          Widening w) {
    WidenPixels(out, s, cols, n, w);
}

// How many widened source rows EachWidenedRow keeps at once: a row is read back a few
// rows after it was written rather than at once, where the wide reads of the drawing
// would wait on the narrower writes of the widening.
constexpr int kWidenedRows = 8;

// The rows of a sprite in one call: destination row r (dPitch bytes apart) shows source
// row srcRows[r] of `rows` (pitch bytes apart), its columns widened as WidenRow widens
// them into `widened` (n x kWidenedRows pixels; once for the rows that repeat it), or
// read straight from the source where they lie side by side. draw(o, from) draws one
// row.
template <typename D, typename T, typename Draw>
[[gnu::always_inline]] inline void EachWidenedRow(uint8_t* d, size_t dPitch, const uint8_t* rows,
                                                  size_t pitch, const int* srcRows, int height,
                                                  const int* cols, int n, Widening w, T* widened,
                                                  Draw&& draw) {
    const auto source = [&](int r) {
        return reinterpret_cast<const T*>(rows + static_cast<size_t>(srcRows[r]) * pitch);
    };
    const auto target = [&](int r) {
        return reinterpret_cast<D*>(d + static_cast<size_t>(r) * dPitch);
    };
    if (w.times == 1) {
        for (int r = 0; r < height; ++r) draw(target(r), source(r) + cols[0]);
        return;
    }
    const auto repeats = [&](int r, int first) { return r > first && srcRows[r] == srcRows[r - 1]; };
    for (int first = 0; first < height;) {
        int end = first;
        T* slot = widened;
        for (int kept = 0; end < height; ++end) {
            if (repeats(end, first)) continue;
            if (kept == kWidenedRows) break;
            WidenPixels(widened + static_cast<size_t>(kept++) * n, source(end), cols, n, w);
        }
        for (int r = first; r < end; ++r) {
            if (r > first && !repeats(r, first)) slot += n;
            draw(target(r), slot);
        }
        first = end;
    }
}

// The rows of a stretch, each copied as CopyRow copies it.
template <typename T, SkipRule S, PixelConvert C>
WF_ROW_LOOP void StretchRows(uint8_t* __restrict d, size_t dPitch, const uint8_t* __restrict rows,
                             size_t pitch, const int* srcRows, int height, const int* cols, int n,
                             Widening w, T* __restrict widened, uint32_t key) {
    const T k = static_cast<T>(key);
    if constexpr (sizeof(T) == 1) {
        // Bytes doubled from the first column on, as sprites drawn at twice their size
        // are: each piece of 32 is doubled in a register and drawn from there.
        if (w.times == 2 && w.lead == 2 && n >= 32 && n % 2 == 0) {
            for (int r = 0; r < height; ++r) {
                const uint8_t* p = rows + static_cast<size_t>(srcRows[r]) * pitch + cols[0];
                uint8_t* o = d + static_cast<size_t>(r) * dPitch;
                auto piece = [&](int c) __attribute__((always_inline)) {
                    uint8_t from[32];
                    DoubledBytes(from, p + c / 2);
                    CopyPixels<T, S, C, 32>(o + c, from, 32, k, key);
                };
                EachPieceAgainSame(n, 32, piece);
            }
            return;
        }
    }
    EachWidenedRow<T>(
        d, dPitch, rows, pitch, srcRows, height, cols, n, w,
        widened, [&](T* __restrict o, const T* __restrict from) __attribute__((always_inline)) {
            // The common sprite widths run rows of a fixed length.
            if (n == kChunk)
                CopyPixels<T, S, C, kChunk>(o, from, n, k, key);
            else if (n == 2 * kChunk)
                CopyPixels<T, S, C, 2 * kChunk>(o, from, n, k, key);
            else
                CopyPixels<T, S, C, 0>(o, from, n, k, key);
        });
}

// --- The quad rasteriser's conversions (truncating pack, bit-repeating unpack) ---

constexpr uint32_t Repeat(uint32_t v, int bits) {
    switch (bits) {
        case 1:
            return v ? 255u : 0u;
        case 5:
            return v << 3 | v >> 2;
        case 6:
            return v << 2 | v >> 4;
        default:
            return v;
    }
}

// ARGB to the format, each field keeping the top bits of its component.
template <PixelFormat F>
constexpr uint32_t PackOf(uint32_t argb) {
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFFu, g = (argb >> 8) & 0xFFu,
                   b = argb & 0xFFu;
    if constexpr (F == PixelFormat::R5G6B5) return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
    if constexpr (F == PixelFormat::A1R5G5B5)
        return (a >> 7) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    if constexpr (F == PixelFormat::X8R8G8B8) return argb & 0x00FFFFFFu;
    if constexpr (F == PixelFormat::A8R8G8B8) return argb;
    (void)a, (void)r, (void)g, (void)b;
    return 0;
}

// A pixel to ARGB, fields widened by repeating their bits; no alpha field reads 0xFF.
template <PixelFormat F>
constexpr uint32_t UnpackOf(uint32_t p) {
    if constexpr (F == PixelFormat::R5G6B5)
        return 0xFF000000u | Repeat((p >> 11) & 31u, 5) << 16 | Repeat((p >> 5) & 63u, 6) << 8 |
               Repeat(p & 31u, 5);
    if constexpr (F == PixelFormat::A1R5G5B5)
        return Repeat((p >> 15) & 1u, 1) << 24 | Repeat((p >> 10) & 31u, 5) << 16 |
               Repeat((p >> 5) & 31u, 5) << 8 | Repeat(p & 31u, 5);
    if constexpr (F == PixelFormat::X8R8G8B8) return 0xFF000000u | (p & 0x00FFFFFFu);
    if constexpr (F == PixelFormat::A8R8G8B8) return p;
    (void)p;
    return 0;
}

// x / 255 without a division, for every x the rules below produce (a product of two
// components plus 127, or a weighted sum of two components plus 127).
constexpr uint32_t Div255(uint32_t x) {
    return (x + 1 + (x >> 8)) >> 8;
}
constexpr bool Div255Holds() {
    for (uint32_t x = 0; x <= 255u * 255u + 127u; ++x)
        if (Div255(x) != x / 255u) return false;
    return true;
}
static_assert(Div255Holds());

// Two components multiplied, rounded.
constexpr uint32_t Mul255(uint32_t a, uint32_t b) {
    return Div255(a * b + 127u);
}

// Source alpha over inverse source alpha, on alpha as on the colours.
constexpr uint32_t Blend(uint32_t src, uint32_t dst) {
    const uint32_t a = src >> 24;
    if (a == 255u) return src;
    if (a == 0u) return dst;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= Div255(((src >> shift) & 0xFFu) * a + ((dst >> shift) & 0xFFu) * (255u - a) + 127u)
               << shift;
    return out;
}

// The blend written without its two shortcuts, for vector code: the weighted sum gives
// the source itself at alpha 255 and the target at alpha 0, on every channel value
// (checked below), so it equals Blend everywhere.
// One channel of it: s over d at alpha a, all 0..255. Every step fits 16 bits (at most
// 255 x 255 + 127 + 255), which vector code uses.
[[gnu::always_inline]] constexpr uint16_t BlendChannel(uint16_t s, uint16_t d, uint16_t a) {
    const uint16_t x = static_cast<uint16_t>(s * a + d * static_cast<uint16_t>(255u - a) + 127u);
    return static_cast<uint16_t>(static_cast<uint16_t>(x + 1u + (x >> 8)) >> 8);
}
[[gnu::always_inline]] constexpr uint32_t BlendArithmetic(uint32_t src, uint32_t dst) {
    const uint16_t a = static_cast<uint16_t>(src >> 24);
    auto channel = [&](int shift) {
        return static_cast<uint32_t>(BlendChannel(static_cast<uint16_t>((src >> shift) & 0xFFu),
                                                  static_cast<uint16_t>((dst >> shift) & 0xFFu), a))
               << shift;
    };
    return channel(24) | channel(16) | channel(8) | channel(0);
}
constexpr bool BlendShortcutsHold() {
    for (uint32_t s = 0; s < 256; ++s)
        for (uint32_t d = 0; d < 256; ++d)
            if (Div255(s * 255u + 127u) != s || Div255(d * 255u + 127u) != d) return false;
    return true;
}
static_assert(BlendShortcutsHold());

// An ARGB colour drawn over a target pixel: transparent leaves it, opaque replaces it,
// anything between blends.
template <PixelFormat DF>
[[gnu::always_inline]] inline void PutArgb(PixelOf<DF>& d, uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a == 0) return;
    d = static_cast<PixelOf<DF>>(PackOf<DF>(a == 255 ? argb : Blend(argb, UnpackOf<DF>(d))));
}

// A row of target pixels with one colour drawn over them as PutArgb draws it, for a
// colour neither transparent nor opaque (a flat quad that blends).
template <PixelFormat DF>
WF_ROW_LOOP void BlendColourRow(PixelOf<DF>* __restrict d, int n, uint32_t argb) {
    EachPixel(n, [&](int i) {
        d[i] = static_cast<PixelOf<DF>>(PackOf<DF>(BlendArithmetic(argb, UnpackOf<DF>(d[i]))));
    });
}

// --- Texels staged and blended channel by channel ---

// A field of a pixel widened to 0..255 by repeating its bits, as UnpackOf reads it; 255
// for a field the format lacks (only alpha is ever missing).
template <Field f, typename P>
[[gnu::always_inline]] constexpr uint16_t Widened(P p) {
    // In 16 bits throughout (a 16-bit pixel is taken apart in its own width), so that
    // vector code keeps sixteen channels to a register.
    constexpr int bits = std::bit_width(f.max);
    uint16_t v;
    if constexpr (sizeof(P) == 2)
        v = static_cast<uint16_t>(static_cast<uint16_t>(p >> f.shift) & f.max);
    else
        v = static_cast<uint16_t>((p >> f.shift) & f.max);
    if constexpr (bits == 0)
        return 255;
    else if constexpr (bits == 1)
        return static_cast<uint16_t>(0 - v) & 0xFF;
    else if constexpr (bits == 8)
        return v;
    else
        return static_cast<uint16_t>(v << (8 - bits) | v >> (2 * bits - 8));
}
static_assert([] {
    for (uint32_t v = 0; v < 64; ++v)
        if (Widened<Field{0, 63}>(v) != Repeat(v, 6) ||
            Widened<Field{0, 31}>(v & 31) != Repeat(v & 31, 5) ||
            Widened<Field{0, 1}>(v & 1) != Repeat(v & 1, 1))
            return false;
    return true;
}());

// A channel 0..255 narrowed to a field of a pixel P, as PackOf keeps its top bits.
template <Field f, typename P = uint32_t>
[[gnu::always_inline]] constexpr P Narrowed(uint16_t c) {
    constexpr int bits = std::bit_width(f.max);
    if constexpr (bits == 0)
        return 0;
    else
        return static_cast<P>(static_cast<P>(c >> (8 - bits)) << f.shift);
}

// Widened for a field of a 16-bit pixel with fewer bits than a channel, read in place by
// multiplies where it can be: v << (8 - bits) | v >> (2 bits - 8) is v (2^bits + 1) >>
// (2 bits - 8), as the bits of v and of its copy do not overlap, and the field in place
// times a power of two more gives that in the high half of the product.
template <Field f>
[[gnu::always_inline]] constexpr uint16_t WidenedInPlace(uint16_t p) {
    constexpr int bits = std::bit_width(f.max);
    if constexpr (bits < 4 || bits > 7) {
        return Widened<f>(p);
    } else {
        constexpr uint32_t repeat = (1u << bits) + 1;
        constexpr int down = 2 * bits - 8;
        const uint16_t field = static_cast<uint16_t>(p & (f.max << f.shift));
        constexpr int up = 16 - f.shift - down;
        if constexpr (up >= 0 && (repeat << up) < 65536u)
            return static_cast<uint16_t>((static_cast<uint32_t>(field) * (repeat << up)) >> 16);
        else if constexpr (f.shift == 0)
            // The lowest field shifted to the top, where nothing is left below it.
            return static_cast<uint16_t>(
                (static_cast<uint32_t>(static_cast<uint16_t>(p << (16 - bits))) *
                 (repeat << (bits - down))) >>
                16);
        else
            return static_cast<uint16_t>(static_cast<uint16_t>((field >> f.shift) * repeat) >>
                                         down);
    }
}
template <Field f>
constexpr bool WidenedInPlaceHolds() {
    for (uint32_t v = 0; v <= f.max; ++v)
        for (const uint32_t others : {0u, 0xFFFFu})
            if (WidenedInPlace<f>(
                    static_cast<uint16_t>((others & ~(f.max << f.shift)) | v << f.shift)) !=
                Widened<f>(static_cast<uint16_t>(v << f.shift)))
                return false;
    return true;
}
static_assert(WidenedInPlaceHolds<LayoutFor(PixelFormat::R5G6B5).red>() &&
              WidenedInPlaceHolds<LayoutFor(PixelFormat::R5G6B5).green>() &&
              WidenedInPlaceHolds<LayoutFor(PixelFormat::R5G6B5).blue>() &&
              WidenedInPlaceHolds<LayoutFor(PixelFormat::A1R5G5B5).red>() &&
              WidenedInPlaceHolds<LayoutFor(PixelFormat::A1R5G5B5).green>() &&
              WidenedInPlaceHolds<LayoutFor(PixelFormat::A1R5G5B5).blue>() &&
              WidenedInPlaceHolds<LayoutFor(PixelFormat::A1R5G5B5).alpha>());

// Two channels 0..255 multiplied, rounded: Mul255 in 16 bits.
[[gnu::always_inline]] constexpr uint16_t Mul255Channel(uint16_t a, uint16_t b) {
    const uint16_t x = static_cast<uint16_t>(a * b + 127u);
    return static_cast<uint16_t>(static_cast<uint16_t>(x + 1u + (x >> 8)) >> 8);
}

// The texture stage of the sprites the game draws, for each of its ARGB channels: the
// texel's channel t with the vertex colour's v, by the stage operations the quads of the
// game set most (kTopSelectArg1 2: the texel's, kTopSelectArg2 3: the vertex colour's,
// kTopModulate 4: their product).
template <uint32_t Op>
[[gnu::always_inline]] constexpr uint16_t StageChannel(uint16_t t, uint16_t v) {
    if constexpr (Op == 2) return t;
    if constexpr (Op == 3) return v;
    return Mul255Channel(t, v);
}

// A texel's field through the stage operation Op with the vertex channel v, narrowed into
// field f of a 16-bit pixel in place: for a product, Div255 then the drop to the field's
// bits is one division, floor(floor(x / 255) / 2^k) being floor(x / (255 2^k)). For the
// fields of five and six bits that division is the high half of x times 0x8081 shifted
// down by 7 + k, for every x a product plus 127 can be (checked below); shifted on into
// the field, the two shifts are one, or none when they cancel.
[[gnu::always_inline]] constexpr uint16_t HighTimes8081(uint16_t x) {
    return static_cast<uint16_t>((static_cast<uint32_t>(x) * 0x8081u) >> 16);
}
constexpr bool DivFieldHolds() {
    for (uint32_t x = 0; x <= 255u * 255u + 127u; ++x)
        for (int k = 2; k <= 3; ++k)
            if (static_cast<uint32_t>(HighTimes8081(static_cast<uint16_t>(x)) >> (7 + k)) !=
                x / (255u << k))
                return false;
    return true;
}
static_assert(DivFieldHolds());

template <Field f, uint32_t Op>
[[gnu::always_inline]] constexpr uint16_t StagedField(uint16_t t, uint16_t v) {
    constexpr int bits = std::bit_width(f.max);
    if constexpr (Op == 4 && (bits == 5 || bits == 6)) {
        const uint16_t m = HighTimes8081(static_cast<uint16_t>(t * v + 127u));
        constexpr int down = 7 + 8 - bits;
        constexpr uint16_t mask = static_cast<uint16_t>(f.max << f.shift);
        if constexpr (f.shift >= down)
            return static_cast<uint16_t>(static_cast<uint16_t>(m << (f.shift - down)) & mask);
        else
            return static_cast<uint16_t>((m >> (down - f.shift)) & mask);
    } else {
        return Narrowed<f, uint16_t>(StageChannel<Op>(t, v));
    }
}

// A field of a texel widened as Widened reads it, by multiplies for a 16-bit texel.
template <Field f, typename P>
[[gnu::always_inline]] constexpr uint16_t TexelChannel(P t) {
    if constexpr (sizeof(P) == 2)
        return WidenedInPlace<f>(t);
    else
        return Widened<f>(t);
}

// A texel of TF through those stage operations (colour CO, alpha AO) with the vertex
// colour `vertex` (its A, R, G, B, one a channel), then drawn over a target pixel of DF as
// PutArgb draws it: a staged alpha of 0 leaves the pixel. Channel by channel in 16 bits,
// so vector code runs eight channels at a time.
template <PixelFormat TF, PixelFormat DF, uint32_t CO, uint32_t AO>
[[gnu::always_inline]] inline PixelOf<DF> StagedTexelOver(PixelOf<TF> t, PixelOf<DF> d,
                                                          const uint16_t* vertex) {
    using D = PixelOf<DF>;
    constexpr FieldLayout tl = LayoutFor(TF), dl = LayoutFor(DF);
    const uint16_t a = StageChannel<AO>(Widened<tl.alpha>(t), vertex[0]);
    auto channel = [&](uint16_t s, uint16_t under) __attribute__((always_inline)) {
        return BlendChannel(s, under, a);
    };
    const uint16_t r = StageChannel<CO>(Widened<tl.red>(t), vertex[1]);
    const uint16_t g = StageChannel<CO>(Widened<tl.green>(t), vertex[2]);
    const uint16_t b = StageChannel<CO>(Widened<tl.blue>(t), vertex[3]);
    const D out = Narrowed<dl.red, D>(channel(r, Widened<dl.red>(d))) |
                  Narrowed<dl.green, D>(channel(g, Widened<dl.green>(d))) |
                  Narrowed<dl.blue, D>(channel(b, Widened<dl.blue>(d))) |
                  Narrowed<dl.alpha, D>(channel(a, Widened<dl.alpha>(d)));
    return a == 0 ? d : out;
}

// StagedTexelOver for a staged alpha of 0 or 255: the texel leaves the pixel or replaces
// it, with no blend to work out (blending at 255 gives the staged channels themselves).
template <PixelFormat TF, PixelFormat DF, uint32_t CO, uint32_t AO>
[[gnu::always_inline]] inline PixelOf<DF> StagedTexelSolid(PixelOf<TF> t, PixelOf<DF> d,
                                                           const uint16_t* vertex) {
    using D = PixelOf<DF>;
    constexpr FieldLayout tl = LayoutFor(TF), dl = LayoutFor(DF);
    const uint16_t a = StageChannel<AO>(Widened<tl.alpha>(t), vertex[0]);
    if constexpr (sizeof(D) == 2) {
        const D colour = StagedField<dl.red, CO>(TexelChannel<tl.red>(t), vertex[1]) |
                         StagedField<dl.green, CO>(TexelChannel<tl.green>(t), vertex[2]) |
                         StagedField<dl.blue, CO>(TexelChannel<tl.blue>(t), vertex[3]);
        if constexpr (sizeof(t) == 2 && AO == 2 && tl.alpha.max == 1 && dl.alpha.max <= 1) {
            // The texel's one alpha bit decides, and is the target's alpha bit.
            const uint16_t bit = static_cast<uint16_t>(t & (1u << tl.alpha.shift));
            D alphaBit = 0;
            if constexpr (dl.alpha.max != 0 && tl.alpha.shift == dl.alpha.shift)
                alphaBit = bit;
            else if constexpr (dl.alpha.max != 0)
                alphaBit = static_cast<D>(bit >> tl.alpha.shift << dl.alpha.shift);
            return bit == 0 ? d : static_cast<D>(colour | alphaBit);
        }
        return a == 0 ? d : static_cast<D>(colour | Narrowed<dl.alpha, D>(a));
    }
    const D out = Narrowed<dl.red, D>(StageChannel<CO>(TexelChannel<tl.red>(t), vertex[1])) |
                  Narrowed<dl.green, D>(StageChannel<CO>(TexelChannel<tl.green>(t), vertex[2])) |
                  Narrowed<dl.blue, D>(StageChannel<CO>(TexelChannel<tl.blue>(t), vertex[3])) |
                  Narrowed<dl.alpha, D>(a);
    return a == 0 ? d : out;
}

// --- 32-bit texels staged eight at a time ---

// Eight 32-bit pixels, and the same bits as sixteen 16-bit lanes. A pixel masked with
// 0x00FF00FF holds blue and red one to a lane, shifted down by 8 first green and alpha:
// each channel then works in a lane of its own, by the same 16-bit steps as above.
typedef uint32_t U32x8 __attribute__((vector_size(32)));
typedef uint16_t U16x16 __attribute__((vector_size(32)));
typedef uint64_t U64x4 __attribute__((vector_size(32)));
typedef uint64_t U64x2 __attribute__((vector_size(16)));

// Whether any lane is set, folded to one 64-bit half. (By reference: vector values passed
// or returned would change the calling convention between the builds.)
[[gnu::always_inline]] inline bool AnyLane(const U32x8& lanes) {
    const U64x4 v = reinterpret_cast<U64x4>(lanes);
    const U64x2 fold = __builtin_shufflevector(v, v, 0, 1) | __builtin_shufflevector(v, v, 2, 3);
    return (fold[0] | fold[1]) != 0;
}

// Whether each of `height` rows of `count` texels, row(r) the first of row r (nullptr for
// a row that repeats the one before), has only alphas of 0 and 255: a sprite's texels are
// looked at once, and its rows then drawn without a look at each group's alphas. (For a
// plain unscaled sprite the look costs what it saves; it is not taken there.)
template <PixelFormat TF, typename Row>
[[gnu::always_inline]] inline bool SolidTexels(Row&& row, int height, int count) {
    if constexpr (LayoutFor(TF).alpha.max <= 1) {
        return true;
    } else {
        // 0 and 255 are the only alphas for which a + 1 has none of the bits 0xFE. Or-ed
        // eight lanes at a time over all the rows and looked at once: a look a row would
        // cost as much as the rows.
        static_assert(sizeof(PixelOf<TF>) == 4);
        U32x8 partly = {};
        for (int r = 0; r < height; ++r) {
            const PixelOf<TF>* s = row(r);
            if (!s) continue;
            int i = 0;
            for (; i + 8 <= count; i += 8) {
                U32x8 t;
                std::memcpy(&t, s + i, sizeof t);
                partly |= ((t >> 24) + 1u) & 0xFEu;
            }
            for (; i < count; ++i) partly[0] |= ((s[i] >> 24) + 1u) & 0xFEu;
        }
        return !AnyLane(partly);
    }
}

// StagedTexelOver for 32-bit texels onto 32-bit pixels, eight at a time, without the blend
// where all eight staged alphas are 0 or 255.
template <PixelFormat TF, PixelFormat DF, uint32_t CO, uint32_t AO>
class StagedEight {
    static_assert(CO == 2 || CO == 4, "the colour stage selects the texel or modulates");

  public:
    // Every stage here is Mul255 of the texel's channel (255 where it stands for none)
    // with a factor: the vertex channel, or 255 where the texel's channel is taken as it
    // is (Mul255 of x and 255 is x).
    explicit StagedEight(const uint16_t* vertex) {
        constexpr bool textureAlpha = LayoutFor(TF).alpha.max != 0;
        const uint16_t colour[3] = {CO == 2 ? uint16_t{255} : vertex[3],
                                    CO == 2 ? uint16_t{255} : vertex[2],
                                    CO == 2 ? uint16_t{255} : vertex[1]};
        const uint16_t alphaFactor = AO == 2 ? 255 : vertex[0];
        const uint16_t alphaFill = !textureAlpha || AO == 3 ? 255 : 0;
        alphaFactor_ = alphaFactor, alphaFill_ = alphaFill;
        for (int k = 0; k < 16; k += 2) {
            lowFactor_[k] = colour[0], lowFactor_[k + 1] = colour[2];
            highFactor_[k] = colour[1], highFactor_[k + 1] = alphaFactor;
            highFill_[k + 1] = alphaFill;
        }
    }

    // Whether every texel of a sprite (height rows of n at texels(r)) stages to an alpha
    // of 0 or 255, so that its groups need not look at theirs. false where not known.
    template <typename Texels>
    [[gnu::always_inline]] bool AllSolid(Texels&& texels, int height, int n) const {
        if (alphaFill_ == 255) {
            // The texels' alpha takes no part: one alpha for all.
            const uint32_t a = (255u * alphaFactor_ + 127) / 255;
            return a == 0 || a == 255;
        }
        // Else, where the staged alpha is the texel's own, as the texels' alphas are.
        return alphaFactor_ == 255 && SolidTexels<TF>(texels, height, n);
    }

    // The eight pixels at d with the eight texels at s drawn over them; with kSolid, texels
    // known to stage to an alpha of 0 or 255.
    template <bool kSolid = false>
    [[gnu::always_inline]] void operator()(uint32_t* d, const uint32_t* s) const {
        // A target without alpha keeps 0 in its top byte.
        constexpr uint32_t kept = LayoutFor(DF).alpha.max != 0 ? 0xFFFFFFFFu : 0x00FFFFFFu;
        U32x8 t, under;
        std::memcpy(&t, s, sizeof t);
        std::memcpy(&under, d, sizeof under);
        // Mul255 in each lane; x / 255 is Div255 over the products and sums here.
        U16x16 low = reinterpret_cast<U16x16>(t & 0x00FF00FFu);
        U16x16 high = reinterpret_cast<U16x16>((t >> 8) & 0x00FF00FFu) | highFill_;
        low = (low * lowFactor_ + 127) / 255;
        high = (high * highFactor_ + 127) / 255;
        const U32x8 a = reinterpret_cast<U32x8>(high) >> 16;
        // Staged alphas between 0 and 255 blend (0 and 255 are the only values for which
        // a + 1 has none of the bits 0xFE), every channel as BlendChannel does.
        if (!kSolid && AnyLane((a + 1u) & 0xFEu)) {
            const U16x16 alpha = reinterpret_cast<U16x16>(a | a << 16);
            const U16x16 lowUnder = reinterpret_cast<U16x16>(under & 0x00FF00FFu);
            // (A target without alpha keeps none of the alpha lanes.)
            const U16x16 highUnder = reinterpret_cast<U16x16>((under >> 8) & 0x00FF00FFu);
            low = (low * alpha + lowUnder * (255 - alpha) + 127) / 255;
            high = (high * alpha + highUnder * (255 - alpha) + 127) / 255;
        }
        const U32x8 out =
            (reinterpret_cast<U32x8>(low) | reinterpret_cast<U32x8>(high) << 8) & kept;
        const U32x8 drawn = a == 0u ? under : out;
        std::memcpy(d, &drawn, sizeof drawn);
    }

  private:
    U16x16 lowFactor_ = {}, highFactor_ = {}, highFill_ = {};
    uint16_t alphaFactor_ = 0, alphaFill_ = 0;
};

// The vertex colour ARGB as its A, R, G, B channels.
struct VertexChannels {
    uint16_t c[4];
    explicit VertexChannels(uint32_t argb)
        : c{static_cast<uint16_t>(argb >> 24), static_cast<uint16_t>((argb >> 16) & 0xFFu),
            static_cast<uint16_t>((argb >> 8) & 0xFFu), static_cast<uint16_t>(argb & 0xFFu)} {}
};

// A row of them. Chunks whose staged alphas are all 0 or 255 (every chunk of a one-bit
// alpha texture, most of any sprite's) go without the blend.
template <PixelFormat TF, PixelFormat DF, uint32_t CO, uint32_t AO>
[[gnu::always_inline]] inline void StagedTexelPixels(PixelOf<DF>* __restrict d,
                                                     const PixelOf<TF>* __restrict s, int n,
                                                     const uint16_t* vertex) {
    constexpr Field alpha = LayoutFor(TF).alpha;
    if constexpr (BytesOf(TF) == 4 && BytesOf(DF) == 4) {
        const StagedEight<TF, DF, CO, AO> eight(vertex);
        int i = 0;
        for (; i + 8 <= n; i += 8) eight(d + i, s + i);
        // The last few pixel by pixel.
        for (; i < n; ++i) d[i] = StagedTexelOver<TF, DF, CO, AO>(s[i], d[i], vertex);
        return;
    }
    // A texture without alpha or with a one-bit alpha, passed as it is: 0 or 255 always.
    if constexpr (alpha.max <= 1 && AO == 2) {
        EachPixel(
            n, [&](int i) __attribute__((always_inline)) {
                d[i] = StagedTexelSolid<TF, DF, CO, AO>(s[i], d[i], vertex);
            });
        return;
    }
    int i = 0;
    for (; i + kChunk <= n; i += kChunk) {
        uint32_t partly = 0;
        for (int k = 0; k < kChunk; ++k) {
            const uint16_t a = StageChannel<AO>(Widened<alpha>(s[i + k]), vertex[0]);
            partly |= static_cast<uint16_t>(a - 1u) < 254u ? 1u : 0u;
        }
        if (partly) {
            for (int k = 0; k < kChunk; ++k)
                d[i + k] = StagedTexelOver<TF, DF, CO, AO>(s[i + k], d[i + k], vertex);
            continue;
        }
        for (int k = 0; k < kChunk; ++k)
            d[i + k] = StagedTexelSolid<TF, DF, CO, AO>(s[i + k], d[i + k], vertex);
    }
    for (; i < n; ++i) d[i] = StagedTexelOver<TF, DF, CO, AO>(s[i], d[i], vertex);
}

// The rows of a quad whose texels go through the stage operations (colour CO, alpha AO)
// with the vertex colour ARGB `diffuse`, one call for a whole sprite, the rows as
// EachWidenedRow walks them.
template <PixelFormat TF, PixelFormat DF, uint32_t CO, uint32_t AO>
WF_ROW_LOOP void StagedTexelRows(uint8_t* __restrict d, size_t dPitch,
                                 const uint8_t* __restrict rows, size_t pitch, const int* srcRows,
                                 int height, const int* cols, int n, Widening w,
                                 PixelOf<TF>* __restrict widened, uint32_t diffuse) {
    const VertexChannels vertex(diffuse);
    // Sprite-wide quads whose texels lie side by side run a column of eight or of a chunk
    // down all the rows at a time, so that the stage's constants are set up once for all
    // of them; wider ones go row by row, which keeps their rows in the cache.
    const bool columns = w.times == 1 && n <= 4 * kChunk;
    if constexpr (BytesOf(TF) == 4 && BytesOf(DF) == 4) {
        if (columns) {
            const StagedEight<TF, DF, CO, AO> eight(vertex.c);
            auto target = [&](int r) __attribute__((always_inline)) {
                return reinterpret_cast<uint32_t*>(d + static_cast<size_t>(r) * dPitch);
            };
            auto texels = [&](int r) __attribute__((always_inline)) {
                return reinterpret_cast<const uint32_t*>(rows +
                                                         static_cast<size_t>(srcRows[r]) * pitch) +
                       cols[0];
            };
            int c = 0;
            if (eight.AllSolid(texels, height, n)) {
                auto column = [&](int at) __attribute__((always_inline)) {
                    for (int r = 0; r < height; ++r)
                        eight.template operator()<true>(target(r) + at, texels(r) + at);
                };
                // A solid texel drawn again comes out the same.
                c = EachPieceAgainSame(n, 8, column);
            } else {
                for (; c + 8 <= n; c += 8)
                    for (int r = 0; r < height; ++r) eight(target(r) + c, texels(r) + c);
            }
            for (int r = 0; c < n && r < height; ++r)
                for (int k = c; k < n; ++k)
                    target(r)[k] =
                        StagedTexelOver<TF, DF, CO, AO>(texels(r)[k], target(r)[k], vertex.c);
            return;
        }
    }
    if constexpr (BytesOf(TF) == 2 && LayoutFor(TF).alpha.max <= 1 && AO == 2) {
        if (columns) {
            // Every staged alpha 0 or 255.
            using D = PixelOf<DF>;
            using T = PixelOf<TF>;
            auto target = [&](int r, int c) __attribute__((always_inline)) {
                return reinterpret_cast<D*>(d + static_cast<size_t>(r) * dPitch) + c;
            };
            auto texels = [&](int r, int c) __attribute__((always_inline)) {
                return reinterpret_cast<const T*>(rows + static_cast<size_t>(srcRows[r]) * pitch) +
                       cols[0] + c;
            };
            auto column = [&](int at) __attribute__((always_inline)) {
                for (int r = 0; r < height; ++r) {
                    D* o = target(r, at);
                    const T* from = texels(r, at);
                    for (int k = 0; k < kChunk; ++k)
                        o[k] = StagedTexelSolid<TF, DF, CO, AO>(from[k], o[k], vertex.c);
                }
            };
            // A solid texel drawn again comes out the same.
            const int c = EachPieceAgainSame(n, kChunk, column);
            for (int r = 0; c < n && r < height; ++r) {
                D* o = target(r, c);
                const T* from = texels(r, c);
                for (int k = 0; k < n - c; ++k)
                    o[k] = StagedTexelSolid<TF, DF, CO, AO>(from[k], o[k], vertex.c);
            }
            return;
        }
    }
    EachWidenedRow<PixelOf<DF>>(
        d, dPitch, rows, pitch, srcRows, height, cols, n, w, widened,
        [&](PixelOf<DF>* __restrict o, const PixelOf<TF>* __restrict from) __attribute__((
            always_inline)) { StagedTexelPixels<TF, DF, CO, AO>(o, from, n, vertex.c); });
}

// A row of pixels read as ARGB.
template <PixelFormat F>
WF_ROW_LOOP void UnpackRow(uint32_t* __restrict argb, const PixelOf<F>* __restrict s, int n) {
    EachPixel(n, [&](int i) { argb[i] = UnpackOf<F>(s[i]); });
}

// A row of ARGB colours drawn over target pixels as PutArgb draws one.
template <PixelFormat DF>
WF_ROW_LOOP void PutArgbRow(PixelOf<DF>* __restrict d, const uint32_t* __restrict argb, int n) {
    EachPixel(n, [&](int i) {
        const uint32_t v = argb[i];
        d[i] = (v >> 24) == 0
                   ? d[i]
                   : static_cast<PixelOf<DF>>(PackOf<DF>(BlendArithmetic(v, UnpackOf<DF>(d[i]))));
    });
}

// One texel of the plain sprite (white vertex colour, the texture's own alpha) over a
// target pixel: transparent texels leave it, opaque ones replace it, the rest blend.
template <PixelFormat TF, PixelFormat DF>
[[gnu::always_inline]] inline void PutTexel(PixelOf<DF>& d, uint32_t texel) {
    PutArgb<DF>(d, UnpackOf<TF>(texel));
}

// True when every pixel of the 16-bit format that is drawn (alpha not 0), read as ARGB
// and written back, comes out as it was: an opaque texel is then copied as it is. Found
// once by trying every pixel value.
template <PixelFormat F>
bool KeepsDrawnPixels() {
    static_assert(BytesOf(F) == 2);
    static const bool keeps = [] {
        for (uint32_t p = 0; p < 65536; ++p) {
            const uint32_t t = UnpackOf<F>(p);
            if ((t >> 24) != 0 && (PackOf<F>(t) != p || (t >> 24) != 255)) return false;
        }
        return true;
    }();
    return keeps;
}

// True when a plain texel drawn onto this target format is either left out or copied as
// it is (see KeepsDrawnPixels).
template <PixelFormat TF, PixelFormat DF>
bool CopiesDrawnTexels() {
    if constexpr (TF == DF && BytesOf(TF) == 2)
        return KeepsDrawnPixels<TF>();
    else
        return false;
}

// True when the texel's alpha as UnpackOf reads it is not 0, tested in the pixel's own
// width (a 16-bit row then stays eight pixels to a vector register).
template <PixelFormat F>
[[gnu::always_inline]] constexpr bool Drawn(PixelOf<F> texel) {
    return Widened<LayoutFor(F).alpha>(texel) != 0;
}

// PutTexel where CopiesDrawnTexels holds.
template <PixelFormat F>
[[gnu::always_inline]] inline void PutDrawnTexel(PixelOf<F>& d, PixelOf<F> texel) {
    if (Drawn<F>(texel)) d = texel;
}

// A row of plain sprite texels, unscaled. Chunks whose texels are all transparent or
// opaque (every texel of a one-bit alpha format, most of a sprite's) take the vector
// form; a chunk with partly transparent texels goes pixel by pixel.
// With kSolid, texels known to have an alpha of 0 or 255 (see SolidTexels).
template <PixelFormat TF, PixelFormat DF, bool kSolid = false>
[[gnu::always_inline]] inline void TexelPixels(PixelOf<DF>* __restrict d,
                                               const PixelOf<TF>* __restrict s, int n) {
    if constexpr (TF == DF && BytesOf(TF) == 2) {
        if (CopiesDrawnTexels<TF, DF>()) {
            EachPixel(n, [&](int i) {
                const PixelOf<TF> v = s[i];
                d[i] = Drawn<TF>(v) ? v : d[i];
            });
            return;
        }
    }
    if constexpr (kSolid) {
        // A solid texel drawn again comes out the same.
        EachPixelAgainSame(n, [&](int i) {
            const uint32_t t = UnpackOf<TF>(s[i]);
            d[i] = (t >> 24) == 0 ? d[i] : static_cast<PixelOf<DF>>(PackOf<DF>(t));
        });
        return;
    }
    constexpr bool twoLevels = LayoutFor(TF).alpha.max <= 1;
    int i = 0;
    for (; i + kChunk <= n; i += kChunk) {
        if constexpr (!twoLevels) {
            uint32_t partly = 0;
            for (int k = 0; k < kChunk; ++k) {
                const uint32_t a = UnpackOf<TF>(s[i + k]) >> 24;
                partly |= (a - 1u) < 254u ? 1u : 0u;
            }
            if (partly) {
                for (int k = 0; k < kChunk; ++k) PutTexel<TF, DF>(d[i + k], s[i + k]);
                continue;
            }
        }
        for (int k = 0; k < kChunk; ++k) {
            const uint32_t t = UnpackOf<TF>(s[i + k]);
            d[i + k] = (t >> 24) == 0 ? d[i + k] : static_cast<PixelOf<DF>>(PackOf<DF>(t));
        }
    }
    for (; i < n; ++i) PutTexel<TF, DF>(d[i], s[i]);
}

// TexelPixels over a rectangle of texels side by side in rows one below the other
// (pitches in bytes): one call for a whole sprite.
template <PixelFormat TF, PixelFormat DF>
WF_ROW_LOOP void TexelRows(uint8_t* __restrict d, size_t dPitch, const uint8_t* __restrict s,
                           size_t sPitch, int width, int height) {
    for (int r = 0; r < height; ++r)
        TexelPixels<TF, DF>(reinterpret_cast<PixelOf<DF>*>(d + r * dPitch),
                            reinterpret_cast<const PixelOf<TF>*>(s + r * sPitch), width);
}

// TexelPixels over the rows of a scaled quad, as EachWidenedRow walks them.
template <PixelFormat TF, PixelFormat DF>
WF_ROW_LOOP void TexelStretchRows(uint8_t* __restrict d, size_t dPitch,
                                  const uint8_t* __restrict rows, size_t pitch, const int* srcRows,
                                  int height, const int* cols, int n, Widening w,
                                  PixelOf<TF>* __restrict widened) {
    // The texels shown lie side by side from cols[0] on (widened or not), the rows as
    // srcRows gives them.
    auto texels = [&](int r) __attribute__((always_inline)) -> const PixelOf<TF>* {
        if (r > 0 && srcRows[r] == srcRows[r - 1]) return nullptr;
        return reinterpret_cast<const PixelOf<TF>*>(rows + static_cast<size_t>(srcRows[r]) * pitch) +
               cols[0];
    };
    auto each = [&]<bool kSolid>() __attribute__((always_inline)) {
        EachWidenedRow<PixelOf<DF>>(
            d, dPitch, rows, pitch, srcRows, height, cols, n, w, widened,
            [&](PixelOf<DF>* __restrict o, const PixelOf<TF>* __restrict from)
                __attribute__((always_inline)) { TexelPixels<TF, DF, kSolid>(o, from, n); });
    };
    if (w.times != 0 && SolidTexels<TF>(texels, height, cols[n - 1] - cols[0] + 1))
        each.template operator()<true>();
    else
        each.template operator()<false>();
}

}  // namespace platform::video::px
