// PNG and JPEG, read through SDL2_image once the size their header states has passed
// the limits every picture decoder keeps.
#include "platform/video/bmp.h"

#include <SDL.h>
#if __has_include(<SDL_image.h>)
#include <SDL_image.h>
#define WRENFOLD_HAVE_SDL_IMAGE 1
#endif

#include <memory>

namespace platform::video {

namespace {

bool Refuse(std::string& error, const std::string& why) {
    error = why;
    return false;
}

uint32_t Be16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] << 8 | p[1]);
}
uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

bool StartsWith(std::span<const uint8_t> file, std::string_view magic) {
    return file.size() >= magic.size() &&
           std::equal(magic.begin(), magic.end(), file.begin(),
                      [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

// The signature and the image header, the chunk that must come first.
bool PngSize(std::span<const uint8_t> file, std::string& error) {
    if (file.size() < 24 || Be32(&file[8]) < 8 || !StartsWith(file.subspan(12), "IHDR"))
        return Refuse(error, "PNG without its image header");
    return PictureSizeAllowed(Be32(&file[16]), Be32(&file[20]), error);
}

// The first frame header (SOF0..SOF15 but the table markers C4, C8 and CC) among the
// segments after the start mark; the decoder reads no further frame.
bool JpegSize(std::span<const uint8_t> file, std::string& error) {
    size_t pos = 2;
    while (pos + 1 < file.size()) {
        if (file[pos] != 0xFF) return Refuse(error, "JPEG segment without its marker");
        const uint8_t marker = file[pos + 1];
        pos += 2;
        if (marker == 0xFF) {  // fill byte before a marker
            --pos;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (marker == 0xD9 || marker == 0xDA) break;  // the picture ends or its data begins
        if (pos + 2 > file.size()) break;
        const uint32_t length = Be16(&file[pos]);
        if (length < 2) return Refuse(error, "JPEG segment shorter than its length");
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7 || pos + 7 > file.size()) break;
            // A height of 0 waits for a later line count, which the decoder does not take.
            return PictureSizeAllowed(Be16(&file[pos + 5]), Be16(&file[pos + 3]), error);
        }
        pos += length;
    }
    return Refuse(error, "JPEG without a frame header");
}

// The SDL2_image type of the file once its stated size has passed, or null with the
// reason.
const char* CheckedType(std::span<const uint8_t> file, std::string& error) {
    if (StartsWith(file, "\x89PNG\r\n\x1A\n")) return PngSize(file, error) ? "PNG" : nullptr;
    if (StartsWith(file, "\xFF\xD8")) return JpegSize(file, error) ? "JPG" : nullptr;
    // Everything else, GIF among it: the game's pictures are never GIF, and SDL2_image's GIF
    // decoder frees memory it does not own on some damaged files. Nor are they portable
    // bitmaps (PNM), whose header SDL2_image reads its own way: a size that passed a check
    // of ours could still send its decoder after hundreds of megabytes.
    Refuse(error, "picture format not supported");
    return nullptr;
}

}  // namespace

bool DecodeOtherPicture(std::span<const uint8_t> file, Picture& out, std::string& error) {
#ifdef WRENFOLD_HAVE_SDL_IMAGE
    const char* type = CheckedType(file, error);
    if (!type) return false;
    SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    if (!rw) {
        error = SDL_GetError();
        return false;
    }
    // Read as the type whose header was checked, never as another the bytes might pass for.
    std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> loaded(IMG_LoadTyped_RW(rw, 1, type),
                                                                    &SDL_FreeSurface);
    if (!loaded) {
        error = IMG_GetError();
        return false;
    }
    std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> argb(
        SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0), &SDL_FreeSurface);
    if (!argb) {
        error = SDL_GetError();
        return false;
    }
    Picture pic;
    pic.width = argb->w;
    pic.height = argb->h;
    pic.bitCount = 32;
    const size_t n = static_cast<size_t>(pic.width) * pic.height;
    pic.rgb.resize(n);
    pic.alpha.resize(n);
    if (SDL_LockSurface(argb.get()) != 0) {
        error = SDL_GetError();
        return false;
    }
    for (int y = 0; y < pic.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch);
        for (int x = 0; x < pic.width; ++x) {
            pic.rgb[static_cast<size_t>(y) * pic.width + x] = row[x] & 0x00FFFFFFu;
            pic.alpha[static_cast<size_t>(y) * pic.width + x] = static_cast<uint8_t>(row[x] >> 24);
        }
    }
    SDL_UnlockSurface(argb.get());
    out = std::move(pic);
    return true;
#else
    (void)file;
    (void)out;
    error = "SDL2_image is not available";
    return false;
#endif
}

}  // namespace platform::video
