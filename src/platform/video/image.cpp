// CPU images and pixel conversions of the software drawing device.
#include "platform/video/image.h"

#include <algorithm>
#include <cstring>

#include "platform/video/pixel_rules.h"

namespace platform::video {

int BitsPerPixel(PixelFormat format) {
    return BytesPerPixel(format) * 8;
}

const char* FormatName(PixelFormat format) {
    switch (format) {
        case PixelFormat::Indexed8:
            return "P8";
        case PixelFormat::R5G6B5:
            return "R5G6B5";
        case PixelFormat::A1R5G5B5:
            return "A1R5G5B5";
        case PixelFormat::X8R8G8B8:
            return "X8R8G8B8";
        case PixelFormat::A8R8G8B8:
            return "A8R8G8B8";
    }
    return "?";
}

FieldLayout LayoutOf(PixelFormat format) {
    return px::LayoutFor(format);
}

uint32_t FromArgb(uint32_t argb, PixelFormat format) {
    return px::WithFormat(format, [&](auto f) { return px::FromArgbOf<decltype(f)::value>(argb); });
}

uint32_t ToArgb(uint32_t pixel, PixelFormat format, const uint32_t* palette) {
    return px::WithFormat(format,
                          [&](auto f) { return px::ToArgbOf<decltype(f)::value>(pixel, palette); });
}

uint32_t DisplayConvert(uint32_t pixel, PixelFormat from, PixelFormat to) {
    return px::WithFormat(from, [&](auto f) {
        return px::WithFormat(to, [&](auto t) {
            return px::DisplayConvertOf<decltype(f)::value, decltype(t)::value>(pixel);
        });
    });
}

Image::Image(PixelFormat format, int width, int height)
    : format_(format),
      width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pitch_(width_ * BytesPerPixel(format)),
      data_(static_cast<size_t>(pitch_) * height_) {}

uint32_t Image::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const uint8_t* p = Row(y) + x * BytesPerPixel(format_);
    switch (BytesPerPixel(format_)) {
        case 1:
            return p[0];
        case 2:
            return static_cast<uint32_t>(p[0] | p[1] << 8);
        default:
            return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                   static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    }
}

void Image::Set(int x, int y, uint32_t value) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    uint8_t* p = Row(y) + x * BytesPerPixel(format_);
    const int n = BytesPerPixel(format_);
    for (int i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

void Image::Fill(int x, int y, int width, int height, uint32_t value) {
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + width, width_), y1 = std::min(y + height, height_);
    if (x0 >= x1 || y0 >= y1) return;
    px::WithPixelSize(BytesPerPixel(format_), [&](auto pixel) {
        using T = decltype(pixel);
        const T v = static_cast<T>(value);
        for (int yy = y0; yy < y1; ++yy) px::FillRow<T>(px::RowAt<T>(*this, x0, yy), x1 - x0, v);
    });
}

void Image::FillBytes(uint8_t b) {
    std::fill(data_.begin(), data_.end(), b);
}

void CopyRect(Image& dst, int dx, int dy, const Image& src, int sx, int sy, int width, int height) {
    if (dst.Format() != src.Format()) return;
    // Clip against the source, then the destination, moving both corners together.
    if (sx < 0) {
        width += sx;
        dx -= sx;
        sx = 0;
    }
    if (sy < 0) {
        height += sy;
        dy -= sy;
        sy = 0;
    }
    if (dx < 0) {
        width += dx;
        sx -= dx;
        dx = 0;
    }
    if (dy < 0) {
        height += dy;
        sy -= dy;
        dy = 0;
    }
    width = std::min({width, src.Width() - sx, dst.Width() - dx});
    height = std::min({height, src.Height() - sy, dst.Height() - dy});
    if (width <= 0 || height <= 0) return;
    const int bpp = BytesPerPixel(src.Format());
    const size_t bytes = static_cast<size_t>(width) * bpp;
    // Walk rows away from the overlap so a copy within one image reads before it writes.
    const bool upward = &dst == &src && dy > sy;
    for (int i = 0; i < height; ++i) {
        const int r = upward ? height - 1 - i : i;
        std::memmove(dst.Row(dy + r) + dx * bpp, src.Row(sy + r) + sx * bpp, bytes);
    }
}

void ToArgbRow(const Image& image, int y, int width, const Palette& palette, uint32_t* out) {
    const int n = std::min(width, image.Width());
    if (y < 0 || y >= image.Height() || n <= 0) return;
    px::WithFormat(image.Format(), [&](auto f) {
        constexpr PixelFormat F = decltype(f)::value;
        const px::PixelOf<F>* s = px::RowAt<px::PixelOf<F>>(image, 0, y);
        const uint32_t* pal = palette.data();
        px::ToArgbRowOf<F>(out, s, n, pal);
    });
}

void ToArgbPixels(const Image& image, const Palette& palette, std::vector<uint32_t>& out) {
    const int w = image.Width(), h = image.Height();
    out.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        ToArgbRow(image, y, w, palette, out.data() + static_cast<size_t>(y) * w);
}

void DisplayCopy(Image& dst, const Image& src, int width, int height) {
    if (&dst == &src) return;  // every pixel onto itself in its own format: nothing changes
    width = std::min(width, dst.Width());
    height = std::min(height, dst.Height());
    if (width <= 0 || height <= 0) return;
    px::WithFormat(src.Format(), [&](auto from) {
        px::WithFormat(dst.Format(), [&](auto to) {
            constexpr PixelFormat F = decltype(from)::value, T = decltype(to)::value;
            using S = px::PixelOf<F>;
            using D = px::PixelOf<T>;
            // Pixels beyond the source read as 0, as Get gives them.
            const D outside = static_cast<D>(px::DisplayConvertOf<F, T>(0));
            const int w = std::min(width, src.Width());
            for (int y = 0; y < height; ++y) {
                D* d = px::RowAt<D>(dst, 0, y);
                if (y >= src.Height()) {
                    std::fill_n(d, width, outside);
                    continue;
                }
                px::DisplayRowOf<F, T>(d, px::RowAt<S>(src, 0, y), w);
                std::fill_n(d + w, width - w, outside);
            }
        });
    });
}

}  // namespace platform::video
