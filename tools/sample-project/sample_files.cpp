// The file builders of the sample: indexed canvases with a small font, the 8-bit bitmap,
// The PNG writer and the PCM WAVE writer.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>

#include "sample_project.h"

namespace sample {

bool CannotWrite(std::string& error, const std::string& what) {
    error = "cannot write " + what;
    return false;
}

void PutBe32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 3; i >= 0; --i) b.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}
void PutTag(std::vector<uint8_t>& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(tag[i]));
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// One PNG chunk: length, type, data and the CRC of type and data.
void PutPngChunk(std::vector<uint8_t>& b, const char* type, const std::vector<uint8_t>& data) {
    PutBe32(b, static_cast<uint32_t>(data.size()));
    const size_t from = b.size();
    PutTag(b, type);
    b.insert(b.end(), data.begin(), data.end());
    PutBe32(b, Crc32(b.data() + from, b.size() - from));
}

// A zlib stream of stored (uncompressed) deflate blocks: every PNG reader takes it, and
// it needs no compressor.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - at, 65535);
        z.push_back(at + n == raw.size() ? 1 : 0);
        Put16(z, static_cast<uint32_t>(n));
        Put16(z, static_cast<uint32_t>(~n & 0xFFFFu));
        z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(at),
                 raw.begin() + static_cast<ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    uint32_t a = 1, s = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        s = (s + a) % 65521;
    }
    PutBe32(z, (s << 16) | a);
    return z;
}

// 5 x 7 glyphs, one string per row, '#' for a dot.
const std::map<char, std::array<const char*, 7>>& Glyphs() {
    static const std::map<char, std::array<const char*, 7>> glyphs = {
        {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
        {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
        {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
        {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
        {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
        {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
        {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
        {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
        {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
        {'J', {"  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "}},
        {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
        {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
        {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
        {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
        {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
        {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
        {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
        {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
        {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
        {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
        {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
        {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
        {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "}},
        {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
        {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
        {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
        {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
        {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
        {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
        {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
        {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
        {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
        {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
        {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
        {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
        {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
        {'!', {"  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  "}},
        {'-', {"     ", "     ", "     ", "#####", "     ", "     ", "     "}},
        {'.', {"     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "}},
        {':', {"     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "}},
        {'?', {" ### ", "#   #", "    #", "   # ", "  #  ", "     ", "  #  "}},
    };
    return glyphs;
}

}  // namespace

std::string SystemSoundFile(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "wave\\se%02d.wav", index);
    return name;
}

Canvas::Canvas(int width, int height, uint8_t fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Canvas::Set(int x, int y, uint8_t index) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<size_t>(y) * width_ + x] = index;
}

void Canvas::FillRect(int x, int y, int w, int h, uint8_t index) {
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx) Set(xx, yy, index);
}

void Canvas::Stamp(int x, int y, const std::vector<std::string>& rows,
                   const std::string& legendChars, const std::vector<uint8_t>& legendColours,
                   bool mirror) {
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::string& row = rows[r];
        for (size_t c = 0; c < row.size(); ++c) {
            const size_t k = legendChars.find(row[c]);
            if (row[c] == '.' || k == std::string::npos || k >= legendColours.size()) continue;
            const int dx = mirror ? static_cast<int>(row.size() - 1 - c) : static_cast<int>(c);
            Set(x + dx, y + static_cast<int>(r), legendColours[k]);
        }
    }
}

void Canvas::Text(int x, int y, const std::string& text, int scale, uint8_t index) {
    for (char ch : text) {
        const auto found = Glyphs().find(ch);
        if (found != Glyphs().end()) {
            for (int r = 0; r < 7; ++r)
                for (int c = 0; c < 5; ++c)
                    if (found->second[r][c] == '#')
                        FillRect(x + c * scale, y + r * scale, scale, scale, index);
        }
        x += 6 * scale;
    }
}

int Canvas::TextWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * 6 * scale - scale;
}

const std::array<Rgb, 256>& SamplePalette() {
    static const std::array<Rgb, 256> palette = [] {
        std::array<Rgb, 256> p{};
        // 0..31: the named colours the sprites and blocks are drawn with.
        const Rgb named[] = {
            {0, 0, 0},       {255, 255, 255}, {24, 24, 40},    {250, 204, 160},  // 0..3
            {224, 48, 48},   {128, 16, 24},   {56, 96, 232},   {24, 40, 128},    // 4..7
            {72, 192, 72},   {24, 104, 40},   {248, 224, 64},  {248, 144, 32},   // 8..11
            {168, 104, 56},  {96, 56, 32},    {144, 144, 152}, {208, 208, 216},  // 12..15
            {120, 200, 248}, {160, 80, 200},  {64, 216, 216},  {80, 80, 88},     // 16..19
            {200, 160, 96},  {255, 248, 200}, {232, 96, 160},  {40, 152, 88},    // 20..23
        };
        std::copy(std::begin(named), std::end(named), p.begin());
        for (int i = 24; i < 32; ++i) {
            const auto v = static_cast<uint8_t>(32 + (i - 24) * 24);
            p[i] = {v, v, v};
        }
        // 32..95: the sky of the title, deep blue to pale.
        for (int i = 0; i < 64; ++i)
            p[32 + i] = {static_cast<uint8_t>(16 + i * 3), static_cast<uint8_t>(24 + i * 3),
                         static_cast<uint8_t>(96 + i * 2)};
        // 96..159: evening light, orange to purple.
        for (int i = 0; i < 64; ++i)
            p[96 + i] = {static_cast<uint8_t>(248 - i * 2), static_cast<uint8_t>(160 - i * 2),
                         static_cast<uint8_t>(64 + i * 2)};
        // 160..255: a grey ramp, never quite black.
        for (int i = 0; i < 96; ++i) {
            const auto v = static_cast<uint8_t>(4 + i * 263 / 100);
            p[160 + i] = {v, v, v};
        }
        return p;
    }();
    return palette;
}

std::vector<uint8_t> EncodeBmp8(const Canvas& canvas, const std::array<Rgb, 256>& palette) {
    const uint32_t stride = (static_cast<uint32_t>(canvas.Width()) + 3u) & ~3u;
    const uint32_t imageBytes = stride * static_cast<uint32_t>(canvas.Height());
    const uint32_t offset = 14 + 40 + 256 * 4;
    std::vector<uint8_t> b;
    b.reserve(offset + imageBytes);
    b.push_back('B');
    b.push_back('M');
    Put32(b, offset + imageBytes);
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(canvas.Width()));
    Put32(b, static_cast<uint32_t>(canvas.Height()));  // positive: rows bottom-up
    Put16(b, 1);
    Put16(b, 8);
    Put32(b, 0);  // BI_RGB
    Put32(b, imageBytes);
    Put32(b, 2835);  // 72 dots per inch
    Put32(b, 2835);
    Put32(b, 256);
    Put32(b, 0);
    for (const Rgb& c : palette) {
        b.push_back(c.b);
        b.push_back(c.g);
        b.push_back(c.r);
        b.push_back(0);
    }
    for (int y = canvas.Height() - 1; y >= 0; --y) {
        for (int x = 0; x < canvas.Width(); ++x) b.push_back(canvas.At(x, y));
        for (uint32_t pad = static_cast<uint32_t>(canvas.Width()); pad < stride; ++pad)
            b.push_back(0);
    }
    return b;
}

std::vector<uint8_t> EncodePng8(const Canvas& canvas, const std::array<Rgb, 256>& palette) {
    std::vector<uint8_t> b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBe32(header, static_cast<uint32_t>(canvas.Width()));
    PutBe32(header, static_cast<uint32_t>(canvas.Height()));
    header.insert(header.end(), {8, 3, 0, 0, 0});  // 8 bits, palette, no interlace
    PutPngChunk(b, "IHDR", header);
    std::vector<uint8_t> colours;
    for (const Rgb& c : palette) colours.insert(colours.end(), {c.r, c.g, c.b});
    PutPngChunk(b, "PLTE", colours);
    std::vector<uint8_t> raw;
    for (int y = 0; y < canvas.Height(); ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < canvas.Width(); ++x) raw.push_back(canvas.At(x, y));
    }
    PutPngChunk(b, "IDAT", StoredZlib(raw));
    PutPngChunk(b, "IEND", {});
    return b;
}

std::vector<uint8_t> EncodeWave8(const std::vector<uint8_t>& samples, uint32_t rate) {
    const auto dataBytes = static_cast<uint32_t>(samples.size());
    const uint32_t pad = dataBytes & 1u;  // RIFF chunks are word-aligned
    std::vector<uint8_t> b;
    PutTag(b, "RIFF");
    Put32(b, 4 + (8 + 16) + (8 + dataBytes + pad));
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);  // PCM
    Put16(b, 1);  // mono
    Put32(b, rate);
    Put32(b, rate);  // bytes per second: one byte a sample
    Put16(b, 1);
    Put16(b, 8);
    PutTag(b, "data");
    Put32(b, dataBytes);
    b.insert(b.end(), samples.begin(), samples.end());
    if (pad) b.push_back(0x80);
    return b;
}

}  // namespace sample
