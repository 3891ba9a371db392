// CPU images and pixel conversions of the software drawing device.
#include "platform/video/image.h"

#include <algorithm>
#include <cstring>

namespace platform::video {

int BytesPerPixel(PixelFormat format) {
    switch (format) {
        case PixelFormat::Indexed8:
            return 1;
        case PixelFormat::R5G6B5:
        case PixelFormat::A1R5G5B5:
            return 2;
        case PixelFormat::X8R8G8B8:
        case PixelFormat::A8R8G8B8:
            return 4;
    }
    return 4;
}

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

namespace {

uint32_t Narrow(uint32_t c8, const Field& f) {
    if (f.max == 0) return 0;
    return ((c8 * f.max) / 255u) << f.shift;
}

uint32_t Widen(uint32_t pixel, const Field& f) {
    if (f.max == 0) return 0;
    const uint32_t v = (pixel >> f.shift) & f.max;
    // Rounded scaling: 0 stays 0 and the field maximum becomes 255.
    return (v * 255u + f.max / 2) / f.max;
}

}  // namespace

uint32_t FromArgb(uint32_t argb, PixelFormat format) {
    if (format == PixelFormat::Indexed8) return 0;
    const FieldLayout l = LayoutOf(format);
    if (format == PixelFormat::X8R8G8B8) return argb & 0x00FFFFFFu;
    if (format == PixelFormat::A8R8G8B8) return argb;
    return Narrow((argb >> 16) & 0xFF, l.red) | Narrow((argb >> 8) & 0xFF, l.green) |
           Narrow(argb & 0xFF, l.blue) | Narrow(argb >> 24, l.alpha);
}

uint32_t ToArgb(uint32_t pixel, PixelFormat format, const uint32_t* palette) {
    switch (format) {
        case PixelFormat::Indexed8:
            return 0xFF000000u | (palette ? (palette[pixel & 0xFF] & 0x00FFFFFFu) : 0u);
        case PixelFormat::X8R8G8B8:
            return 0xFF000000u | (pixel & 0x00FFFFFFu);
        case PixelFormat::A8R8G8B8:
            return pixel;
        default:
            break;
    }
    const FieldLayout l = LayoutOf(format);
    const uint32_t a = l.alpha.max ? Widen(pixel, l.alpha) : 0xFFu;
    return a << 24 | Widen(pixel, l.red) << 16 | Widen(pixel, l.green) << 8 | Widen(pixel, l.blue);
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
    const int bpp = BytesPerPixel(format_);
    uint8_t one[4];
    for (int i = 0; i < 4; ++i) one[i] = static_cast<uint8_t>(value >> (8 * i));
    for (int yy = y0; yy < y1; ++yy) {
        uint8_t* p = Row(yy) + x0 * bpp;
        if (bpp == 1) {
            std::memset(p, one[0], x1 - x0);
            continue;
        }
        for (int xx = x0; xx < x1; ++xx, p += bpp) std::memcpy(p, one, bpp);
    }
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

void ToArgbPixels(const Image& image, const Palette& palette, std::vector<uint32_t>& out) {
    const int w = image.Width(), h = image.Height();
    out.resize(static_cast<size_t>(w) * h);
    const PixelFormat f = image.Format();
    for (int y = 0; y < h; ++y) {
        uint32_t* o = out.data() + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) o[x] = ToArgb(image.Get(x, y), f, palette.data());
    }
}

}  // namespace platform::video
