// FreeType faces chosen by fontconfig, and Shift-JIS character codes as Unicode.
#include "platform/text/glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include <fontconfig/fontconfig.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <unordered_map>

#include "platform/diag.h"
#include "platform/text/cp932.h"

namespace platform::text {
namespace {

std::atomic<FaceOpener> g_opener{nullptr};

// The cell height of a font asked for with height 0.
constexpr int kDefaultHeight = 16;

// The first code point of a UTF-8 text, 0 when it holds none or more than one.
char32_t SingleCodePoint(const std::string& utf8) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    if (n == 0) return 0;
    char32_t c;
    size_t len;
    if (p[0] < 0x80) {
        c = p[0];
        len = 1;
    } else if ((p[0] & 0xE0) == 0xC0) {
        c = p[0] & 0x1F;
        len = 2;
    } else if ((p[0] & 0xF0) == 0xE0) {
        c = p[0] & 0x0F;
        len = 3;
    } else {
        c = p[0] & 0x07;
        len = 4;
    }
    if (len != n) return 0;
    for (size_t i = 1; i < len; ++i) c = c << 6 | (p[i] & 0x3F);
    return c;
}

// Every double-byte character of code page 932, converted once: drawing asks for the
// same few hundred characters every frame.
const std::array<char32_t, 65536>& DoubleByteTable() {
    static std::array<char32_t, 65536> table{};
    static std::once_flag once;
    std::call_once(once, [] {
        std::string pair(2, '\0'), utf8;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (lead > 0x9F && lead < 0xE0) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                pair[0] = static_cast<char>(lead);
                pair[1] = static_cast<char>(trail);
                if (TrySjisToUtf8(pair, utf8)) table[lead << 8 | trail] = SingleCodePoint(utf8);
            }
        }
    });
    return table;
}

struct FtLibraryDeleter {
    void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FtFaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FtLibrary = std::unique_ptr<std::remove_pointer_t<FT_Library>, FtLibraryDeleter>;
using FtFace = std::unique_ptr<std::remove_pointer_t<FT_Face>, FtFaceDeleter>;

// A font file mapped once for every face drawn from it: each font of the game opens its
// faces anew, and faces over one mapping share the pages they have read instead of each
// keeping its own.
class FontFile {
  public:
    static std::shared_ptr<const FontFile> Open(const std::string& path) {
        static std::mutex mutex;
        static std::map<std::string, std::weak_ptr<const FontFile>> open;
        std::lock_guard lock(mutex);
        if (auto kept = open[path].lock()) return kept;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return nullptr;
        struct stat st {};
        void* data = MAP_FAILED;
        if (::fstat(fd, &st) == 0 && st.st_size > 0)
            data = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        ::close(fd);
        if (data == MAP_FAILED) return nullptr;
        auto file = std::shared_ptr<FontFile>(new FontFile(data, static_cast<size_t>(st.st_size)));
        open[path] = file;
        return file;
    }
    ~FontFile() { ::munmap(data_, size_); }
    FontFile(const FontFile&) = delete;
    FontFile& operator=(const FontFile&) = delete;

    const FT_Byte* Data() const { return static_cast<const FT_Byte*>(data_); }
    FT_Long Size() const { return static_cast<FT_Long>(size_); }

  private:
    FontFile(void* data, size_t size) : data_(data), size_(size) {}
    void* data_;
    size_t size_;
};

struct FoundFace {
    std::string file;
    int index = 0;
    std::string family;
    bool asked = false;  // one of the families asked for, not fontconfig's last resort
};

// fontconfig's best face for a list of families, Japanese text preferred.
bool FindFace(const char* families, FoundFace& out) {
    static std::mutex mutex;  // fontconfig's current configuration is shared
    std::lock_guard<std::mutex> lock(mutex);
    if (!FcInit()) return false;
    FcPattern* pattern = FcPatternCreate();
    std::vector<std::string> asked;
    std::stringstream list(families);
    for (std::string family; std::getline(list, family, ',');) {
        asked.push_back(family);
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    }
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    int index = 0;
    const bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    if (ok) {
        out.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        out.index = index;
        out.asked = false;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
            const std::string name = reinterpret_cast<const char*>(family);
            if (i == 0) out.family = name;
            for (const std::string& a : asked) out.asked = out.asked || a == name;
        }
    }
    FcPatternDestroy(match);
    return ok;
}

class FreeTypeSource : public GlyphSource {
  public:
    static std::unique_ptr<GlyphSource> Open(const FaceRequest& request) {
        auto source = std::unique_ptr<FreeTypeSource>(new FreeTypeSource(request));
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) return nullptr;
        source->lib_.reset(lib);

        const char* families = FaceFamilies(request.faceSjis);
        FoundFace found;
        if (!FindFace(families, found) || !source->Load(found, source->face_)) {
            DiagOnce("no-face", DiagLevel::Error, "text", "no installed face can draw text");
            return nullptr;
        }
        source->family_ = found.family;
        const std::string wanted = SjisToUtf8(request.faceSjis);
        if (!found.asked) {
            DiagOnce("face-fallback:" + wanted, DiagLevel::Warn, "text",
                     "none of %s is installed for the face %s; drawing with %s", families,
                     wanted.c_str(), found.family.c_str());
        } else {
            DiagOnce("face:" + wanted, DiagLevel::Info, "text", "face %s drawn with %s (%s)",
                     wanted.c_str(), found.family.c_str(), found.file.c_str());
        }
        // Characters the chosen face lacks (Japanese text in a Latin face) come from the
        // Japanese gothic, as Windows links its Japanese face behind every other one.
        FoundFace gothic;
        if (FindFace(FaceFamilies("ＭＳ ゴシック"), gothic) && gothic.file != found.file)
            source->Load(gothic, source->fallback_);
        return source;
    }

    int CellHeight() const override { return cellHeight_; }
    std::string Family() const override { return family_; }

    const Glyph& Get(char32_t code) override {
        auto it = glyphs_.find(code);
        if (it != glyphs_.end()) return it->second;
        // A game shows a bounded set of characters; the bound only guards against text
        // that walks through the whole code page.
        if (glyphs_.size() >= 8192) glyphs_.clear();
        Glyph& g = glyphs_[code];
        Render(code, g);
        return g;
    }

  private:
    explicit FreeTypeSource(const FaceRequest& request) : request_(request) {}

    bool Load(const FoundFace& found, FtFace& out) {
        std::shared_ptr<const FontFile> file = FontFile::Open(found.file);
        FT_Face face = nullptr;
        if (!file ||
            FT_New_Memory_Face(lib_.get(), file->Data(), file->Size(), found.index, &face) != 0)
            return false;
        files_.push_back(std::move(file));
        out.reset(face);
        FT_Select_Charmap(face, FT_ENCODING_UNICODE);
        // The game's height is the character cell (ascent + descent) and its width the
        // average character width, as the Windows font mapper reads them.
        // A negative height asks for the em size instead, and 0 for the default size.
        FT_Size_RequestRec size{};
        size.type = request_.height < 0 ? FT_SIZE_REQUEST_TYPE_NOMINAL : FT_SIZE_REQUEST_TYPE_CELL;
        size.width = static_cast<FT_Long>(std::abs(request_.width)) * 64;
        size.height = static_cast<FT_Long>(request_.height == 0 ? kDefaultHeight
                                                                : std::abs(request_.height)) *
                      64;
        if (FT_Request_Size(face, &size) != 0) {
            // Bitmap-only faces offer fixed sizes; take the first.
            if (face->num_fixed_sizes == 0 || FT_Select_Size(face, 0) != 0) {
                out.reset();
                return false;
            }
        }
        if (&out == &face_) {
            const FT_Size_Metrics& m = face->size->metrics;
            cellHeight_ = size.type == FT_SIZE_REQUEST_TYPE_CELL && face->num_fixed_sizes == 0
                              ? static_cast<int>(size.height / 64)
                              : static_cast<int>((m.ascender - m.descender + 32) >> 6);
        }
        return true;
    }

    void Render(char32_t code, Glyph& g) {
        g = Glyph();
        if (code == 0) return;
        FT_Face face = face_.get();
        FT_UInt index = FT_Get_Char_Index(face, code);
        if (index == 0 && fallback_) {
            const FT_UInt other = FT_Get_Char_Index(fallback_.get(), code);
            if (other != 0) {
                face = fallback_.get();
                index = other;
            }
        }
        const bool mono = request_.mode == GlyphMode::Mono;
        const FT_Int32 flags =
            FT_LOAD_DEFAULT | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
        if (FT_Load_Glyph(face, index, flags) != 0) return;
        FT_GlyphSlot slot = face->glyph;
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return;
        const FT_Bitmap& bm = slot->bitmap;
        // The baseline of a cell lies at the ascent of the face the text was asked in.
        const int ascent = static_cast<int>((face_->size->metrics.ascender + 32) >> 6);
        g.left = slot->bitmap_left;
        g.top = ascent - slot->bitmap_top;
        g.width = static_cast<int>(bm.width);
        g.height = static_cast<int>(bm.rows);
        g.coverage.assign(static_cast<size_t>(g.width) * g.height, 0);
        const int pitch = bm.pitch < 0 ? -bm.pitch : bm.pitch;
        for (int y = 0; y < g.height; ++y) {
            const unsigned char* row =
                bm.pitch < 0 ? bm.buffer + (g.height - 1 - y) * pitch : bm.buffer + y * pitch;
            for (int x = 0; x < g.width; ++x) {
                uint8_t v;
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                    v = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays == 256)
                    v = row[x];
                else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
                    v = static_cast<uint8_t>(row[x] * 255 / (bm.num_grays - 1));
                else
                    v = 0;
                g.coverage[static_cast<size_t>(y) * g.width + x] = v;
            }
        }
    }

    FaceRequest request_;
    // The files outlive the faces over them (members go in reverse order).
    std::vector<std::shared_ptr<const FontFile>> files_;
    FtLibrary lib_;
    FtFace face_;
    FtFace fallback_;
    std::string family_;
    int cellHeight_ = 0;
    std::unordered_map<char32_t, Glyph> glyphs_;
};

}  // namespace

char32_t SjisToCodePoint(uint8_t lead, uint8_t trail) {
    if (trail != 0) return DoubleByteTable()[lead << 8 | trail];
    if (lead == 0x5C) return 0xA5;
    if (lead >= 0x20 && lead < 0x7F) return lead;
    if (lead >= 0xA1 && lead <= 0xDF) return 0xFF61 + (lead - 0xA1);
    return 0;
}

std::unique_ptr<GlyphSource> OpenFace(const FaceRequest& request) {
    if (FaceOpener opener = g_opener.load()) return opener(request);
    return FreeTypeSource::Open(request);
}

void SetFaceOpenerForTest(FaceOpener opener) {
    g_opener.store(opener);
}

}  // namespace platform::text
