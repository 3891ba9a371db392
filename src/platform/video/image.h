// CPU images in the display formats the drawing layer works in, and the pixel
// conversions between them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::video {

// The formats of the display and of textures. Indexed8 is the 256-colour display
// with its palette; the 16-bit ones keep the field layout the game's pixel loops
// assume.
enum class PixelFormat : uint8_t { Indexed8, R5G6B5, A1R5G5B5, X8R8G8B8, A8R8G8B8 };

constexpr int BytesPerPixel(PixelFormat format) {
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
int BitsPerPixel(PixelFormat format);
const char* FormatName(PixelFormat format);

// One field of a pixel: component = (pixel >> shift) & max.
struct Field {
    int shift = 0;
    uint32_t max = 0;  // 0 when the format has no such field
};
struct FieldLayout {
    Field red, green, blue, alpha;
};
// Indexed8 has no fields (all max 0).
FieldLayout LayoutOf(PixelFormat format);

// An ARGB value (0xAARRGGBB) in the format: every field truncated from 8 bits.
// Indexed8 cannot be reached this way and gives 0.
uint32_t FromArgb(uint32_t argb, PixelFormat format);
// A pixel as ARGB: fields scaled to 0..255 with rounding, missing alpha 0xFF,
// Indexed8 through the palette (entries are 0x00RRGGBB; the result is opaque).
uint32_t ToArgb(uint32_t pixel, PixelFormat format, const uint32_t* palette);

using Palette = std::array<uint32_t, 256>;  // 0x00RRGGBB per entry

class Image {
  public:
    Image() = default;
    Image(PixelFormat format, int width, int height);

    PixelFormat Format() const { return format_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Pitch() const { return pitch_; }  // bytes per row
    bool Empty() const { return width_ == 0 || height_ == 0; }

    uint8_t* Row(int y) { return data_.data() + static_cast<size_t>(y) * pitch_; }
    const uint8_t* Row(int y) const { return data_.data() + static_cast<size_t>(y) * pitch_; }
    uint8_t* Data() { return data_.data(); }
    const uint8_t* Data() const { return data_.data(); }
    size_t SizeBytes() const { return data_.size(); }

    // Raw pixel values; out-of-range reads give 0, writes are dropped.
    uint32_t Get(int x, int y) const;
    void Set(int x, int y, uint32_t value);

    // Fills the part of the rectangle that lies inside the image.
    void Fill(int x, int y, int width, int height, uint32_t value);
    void FillAll(uint32_t value) { Fill(0, 0, width_, height_, value); }
    // Every byte set to b (the state of memory whose contents were lost).
    void FillBytes(uint8_t b);

  private:
    PixelFormat format_ = PixelFormat::X8R8G8B8;
    int width_ = 0;
    int height_ = 0;
    int pitch_ = 0;
    std::vector<uint8_t> data_;
};

// Copies a rectangle between images of one format, raw, clipped to both; the two
// may be the same image and overlap.
void CopyRect(Image& dst, int dx, int dy, const Image& src, int sx, int sy, int width, int height);

// The whole image as ARGB8888 rows (width x height, no padding).
void ToArgbPixels(const Image& image, const Palette& palette, std::vector<uint32_t>& out);
// The first `width` pixels (at most the image's width) of row y as ARGB8888.
void ToArgbRow(const Image& image, int y, int width, const Palette& palette, uint32_t* out);

// A pixel copied between display surfaces: the same format as it is; A1R5G5B5 to R5G6B5
// field by field with the 5-bit green doubled (no alpha); anything else through opaque
// ARGB (Indexed8 reads as black, having no palette here).
uint32_t DisplayConvert(uint32_t pixel, PixelFormat from, PixelFormat to);
// Pixels [0, width) x [0, height) of dst (cut to dst) set to DisplayConvert of the pixel
// at the same place in src; pixels beyond src convert the value 0.
void DisplayCopy(Image& dst, const Image& src, int width, int height);

}  // namespace platform::video
