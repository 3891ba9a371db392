// Decoding of Windows bitmap files, every depth and both RLE forms, bounded by the
// bytes of the file.
#include "platform/video/bmp.h"

#include <algorithm>
#include <cstring>

namespace platform::video {

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;
// Larger pictures than this are taken as damaged files, not allocated.
constexpr int64_t kMaxPixels = int64_t{1} << 26;
constexpr int kMaxSide = 32768;

uint32_t U16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct Mask {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
};

Mask MakeMask(uint32_t m) {
    Mask r;
    r.mask = m;
    if (m == 0) return r;
    while (((m >> r.shift) & 1u) == 0) ++r.shift;
    r.max = m >> r.shift;
    return r;
}

bool ValidMask(const Mask& m) {
    // A field must be one run of bits for the component to mean anything.
    return m.mask == 0 || (m.max & (m.max + 1)) == 0;
}

uint32_t Component(uint32_t pixel, const Mask& m) {
    if (m.max == 0) return 0;
    const uint64_t v = (pixel & m.mask) >> m.shift;
    return static_cast<uint32_t>((v * 255 + m.max / 2) / m.max);
}

bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
}

// RLE8 / RLE4: indices written into a bottom-up canvas; pixels the stream skips keep
// index 0.
bool DecodeRle(std::span<const uint8_t> data, int width, int height, bool four,
               std::vector<uint8_t>& indices, std::string& error) {
    size_t pos = 0;
    int x = 0, y = 0;  // y counts rows from the bottom
    auto put = [&](uint8_t index) {
        if (x < width && y < height)
            indices[static_cast<size_t>(height - 1 - y) * width + x] = index;
        ++x;
    };
    while (true) {
        if (pos + 2 > data.size())
            return Fail(error, "RLE data ends without an end-of-bitmap mark");
        const uint8_t count = data[pos], value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? static_cast<uint8_t>((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta
            if (pos + 2 > data.size()) return Fail(error, "RLE delta runs past the data");
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else {  // absolute run, padded to a word
            const size_t n = value;
            const size_t bytes = four ? (n + 1) / 2 : n;
            if (pos + bytes > data.size()) return Fail(error, "RLE absolute run past the data");
            for (size_t i = 0; i < n; ++i) {
                const uint8_t b = data[pos + (four ? i / 2 : i)];
                put(four ? static_cast<uint8_t>((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            pos += (bytes + 1) & ~size_t{1};
        }
        if (y > height) return Fail(error, "RLE data runs past the last row");
    }
}

}  // namespace

bool PictureSizeAllowed(int64_t width, int64_t height, std::string& error) {
    if (width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
        width * height <= kMaxPixels)
        return true;
    return Fail(error, "picture size " + std::to_string(width) + "x" + std::to_string(height) +
                           " out of range");
}

bool LooksLikeBmp(std::span<const uint8_t> file) {
    return file.size() >= 2 && file[0] == 'B' && file[1] == 'M';
}

bool DecodeBmp(std::span<const uint8_t> file, Picture& out, std::string& error) {
    if (file.size() < 14 + 12) return Fail(error, "file too short for a bitmap header");
    if (!LooksLikeBmp(file)) return Fail(error, "no BM signature");
    const uint32_t offBits = U32(&file[10]);
    const uint32_t headerSize = U32(&file[14]);
    if (headerSize < 12 || 14 + static_cast<uint64_t>(headerSize) > file.size())
        return Fail(error, "info header size " + std::to_string(headerSize) + " does not fit");
    const uint8_t* h = &file[14];

    int64_t width = 0, height = 0;
    uint32_t bitCount = 0, compression = kBiRgb, clrUsed = 0;
    bool core = headerSize == 12;
    size_t tablePos = 14 + headerSize;
    int entryBytes = 4;
    Mask red, green, blue, alpha;
    if (core) {
        width = U16(h + 4);
        height = static_cast<int16_t>(U16(h + 6));
        bitCount = U16(h + 10);
        entryBytes = 3;
    } else {
        if (headerSize < 40)
            return Fail(error, "unknown info header size " + std::to_string(headerSize));
        width = static_cast<int32_t>(U32(h + 4));
        height = static_cast<int32_t>(U32(h + 8));
        bitCount = U16(h + 14);
        compression = U32(h + 16);
        clrUsed = U32(h + 32);
        if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
            const size_t maskCount = compression == kBiAlphaBitfields ? 4 : 3;
            const uint8_t* m = h + 40;
            if (headerSize == 40) {
                // The masks follow a plain info header, before any colour table.
                if (tablePos + maskCount * 4 > file.size())
                    return Fail(error, "bit-field masks past the end");
                m = &file[tablePos];
                tablePos += maskCount * 4;
            } else if (headerSize < 40 + maskCount * 4) {
                return Fail(error, "bit-field masks missing from the header");
            }
            red = MakeMask(U32(m));
            green = MakeMask(U32(m + 4));
            blue = MakeMask(U32(m + 8));
            if (maskCount == 4 || headerSize >= 56) alpha = MakeMask(U32(m + 12));
        }
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (!PictureSizeAllowed(width, height, error)) return false;
    switch (bitCount) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return Fail(error, "unsupported bit count " + std::to_string(bitCount));
    }
    const bool rle = compression == kBiRle8 || compression == kBiRle4;
    if (compression == kBiRle8 && bitCount != 8)
        return Fail(error, "RLE8 on a picture that is not 8-bit");
    if (compression == kBiRle4 && bitCount != 4)
        return Fail(error, "RLE4 on a picture that is not 4-bit");
    if (rle && topDown) return Fail(error, "RLE picture stored top-down");
    const bool fields = compression == kBiBitfields || compression == kBiAlphaBitfields;
    if (fields && bitCount != 16 && bitCount != 32)
        return Fail(error, "bit fields on a picture that is not 16 or 32-bit");
    if (!rle && !fields && compression != kBiRgb)
        return Fail(error, "unsupported compression " + std::to_string(compression));
    if (fields && (!ValidMask(red) || !ValidMask(green) || !ValidMask(blue) || !ValidMask(alpha)))
        return Fail(error, "bit-field mask is not one run of bits");
    if (!fields) {
        if (bitCount == 16) {
            red = MakeMask(0x7C00);
            green = MakeMask(0x03E0);
            blue = MakeMask(0x001F);
        } else if (bitCount == 32) {
            red = MakeMask(0x00FF0000);
            green = MakeMask(0x0000FF00);
            blue = MakeMask(0x000000FF);
        }
    }

    Picture pic;
    pic.width = static_cast<int>(width);
    pic.height = static_cast<int>(height);
    pic.bitCount = static_cast<int>(bitCount);
    if (bitCount <= 8) {
        const uint32_t full = 1u << bitCount;
        uint32_t count = (core || clrUsed == 0) ? full : clrUsed;
        if (count > 256)
            return Fail(error, "colour table of " + std::to_string(count) + " entries");
        if (tablePos + static_cast<uint64_t>(count) * entryBytes > file.size())
            return Fail(error, "colour table past the end of the file");
        pic.colourTable.resize(count);
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* e = &file[tablePos + i * entryBytes];
            pic.colourTable[i] = {e[0], e[1], e[2], entryBytes == 4 ? e[3] : uint8_t{0}};
        }
    }

    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (offBits > file.size()) return Fail(error, "pixel data offset past the end of the file");
    std::span<const uint8_t> data = file.subspan(offBits);
    const size_t stride = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    // The file must hold the rows its header promises before anything is allocated for
    // them: a header of a few bytes may claim a picture of hundreds of megabytes. The last
    // row may lack its padding in files written by careless tools. (An RLE stream may end
    // the picture early, so its size says nothing; kMaxPixels bounds it.)
    if (!rle && stride * static_cast<size_t>(height) > data.size()) {
        const size_t need = stride * (static_cast<size_t>(height) - 1) +
                            (static_cast<size_t>(width) * bitCount + 7) / 8;
        if (need > data.size())
            return Fail(error, "pixel data: " + std::to_string(data.size()) + " bytes, " +
                                   std::to_string(stride * height) + " needed");
    }
    if (bitCount <= 8) pic.indices.assign(pixels, 0);
    pic.rgb.assign(pixels, 0);
    pic.alpha.assign(pixels, 0xFF);

    if (rle) {
        if (!DecodeRle(data, pic.width, pic.height, compression == kBiRle4, pic.indices, error))
            return false;
    } else {
        for (int y = 0; y < pic.height; ++y) {
            const int fileRow = topDown ? y : pic.height - 1 - y;
            const uint8_t* row = data.data() + stride * fileRow;
            const size_t o = static_cast<size_t>(y) * pic.width;
            for (int x = 0; x < pic.width; ++x) {
                switch (bitCount) {
                    case 1:
                        pic.indices[o + x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
                        break;
                    case 4:
                        pic.indices[o + x] = (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
                        break;
                    case 8:
                        pic.indices[o + x] = row[x];
                        break;
                    case 24: {
                        const uint8_t* p = row + x * 3;
                        pic.rgb[o + x] = static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
                        break;
                    }
                    default: {
                        const uint32_t v = bitCount == 16 ? U16(row + x * 2) : U32(row + x * 4);
                        pic.rgb[o + x] =
                            Component(v, red) << 16 | Component(v, green) << 8 | Component(v, blue);
                        if (alpha.max) pic.alpha[o + x] = static_cast<uint8_t>(Component(v, alpha));
                        break;
                    }
                }
            }
        }
    }
    if (bitCount <= 8) {
        // An index past the end of the colour table shows as black, as Windows draws it.
        for (size_t i = 0; i < pixels; ++i) {
            const uint8_t idx = pic.indices[i];
            if (idx < pic.colourTable.size()) {
                const ColourEntry& e = pic.colourTable[idx];
                pic.rgb[i] = static_cast<uint32_t>(e.red) << 16 | e.green << 8 | e.blue;
            }
        }
    }
    out = std::move(pic);
    return true;
}

}  // namespace platform::video
