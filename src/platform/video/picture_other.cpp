// PNG, JPEG and the other picture formats, read through SDL2_image.
#include "platform/video/bmp.h"

#include <SDL.h>
#if __has_include(<SDL_image.h>)
#include <SDL_image.h>
#define WRENFOLD_HAVE_SDL_IMAGE 1
#endif

#include <memory>

namespace platform::video {

bool DecodeOtherPicture(std::span<const uint8_t> file, Picture& out, std::string& error) {
#ifdef WRENFOLD_HAVE_SDL_IMAGE
    SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    if (!rw) {
        error = SDL_GetError();
        return false;
    }
    std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> loaded(IMG_Load_RW(rw, 1),
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
