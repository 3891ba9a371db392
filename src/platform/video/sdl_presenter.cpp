// The SDL presenter: window, renderer and one streaming texture, used on the UI thread.
#include "platform/video/sdl_presenter.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "platform/diag.h"

namespace platform::video {

struct SdlPresenter::Impl {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int width = 640, height = 480;
    bool sdlStarted = false;

    std::mutex mutex;  // guards the hand-over below
    // Two frame buffers trade places at every hand-over, so that a copy into pending
    // reuses the memory of the frame shown before.
    Image pending;
    Image shown;  // UI thread only, once swapped in
    Palette pendingPalette{};
    Palette shownPalette{};
    bool hasPending = false;
    bool hasShown = false;
    // The in-window dialogs over the frame; a change shows the last frame again with it.
    Image overlay;
    bool overlayChanged = false;
    int wantFullScreen = -1;  // -1 no request
    int wantCursor = -1;

    ~Impl() {
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        if (sdlStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

namespace {

// Whether frames go through the GPU. SDL's accelerated renderers draw with OpenGL; on a
// machine without a GPU that is Mesa's software rasteriser, which maps some 60 MiB of
// libraries to show a 640x480 picture. SDL's software renderer writes into the window's
// own surface instead and needs no GL at all.
bool UseAcceleratedRenderer() {
    const char* choice = std::getenv("WRENFOLD_RENDERER");
    if (choice && std::strcmp(choice, "software") == 0) return false;
    if (choice && std::strcmp(choice, "accelerated") == 0) return true;
    if (choice && *choice && std::strcmp(choice, "auto") != 0)
        DiagOnce("renderer-choice", DiagLevel::Warn, "video",
                 "WRENFOLD_RENDERER=%s is not auto, accelerated or software; choosing by itself",
                 choice);
    // A GPU shows itself by its device nodes.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("renderD", 0) == 0 || name.rfind("card", 0) == 0) return true;
    }
    return false;
}

}  // namespace

SdlPresenter::SdlPresenter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SdlPresenter::~SdlPresenter() = default;

std::shared_ptr<SdlPresenter> SdlPresenter::Create(const WindowOptions& options,
                                                   std::string& error) {
    auto impl = std::make_unique<Impl>();
    const bool accelerated = UseAcceleratedRenderer();
    if (!accelerated) {
        // Asked before the window's surface is made: otherwise SDL opens a GL context to
        // decide how to back that surface, and the GL stack stays mapped.
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        return nullptr;
    }
    impl->sdlStarted = true;
    impl->width = options.width;
    impl->height = options.height;
    Uint32 flags = SDL_WINDOW_RESIZABLE;
    if (options.fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (options.hidden) flags |= SDL_WINDOW_HIDDEN;
    impl->window = SDL_CreateWindow(options.titleUtf8.c_str(), SDL_WINDOWPOS_CENTERED,
                                    SDL_WINDOWPOS_CENTERED, options.width, options.height, flags);
    if (!impl->window) {
        error = SDL_GetError();
        return nullptr;
    }
    if (accelerated) {
        impl->renderer = SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_ACCELERATED);
        if (!impl->renderer)
            Diag(DiagLevel::Info, "video", "no accelerated renderer (%s), using the software one",
                 SDL_GetError());
    } else {
        Diag(DiagLevel::Debug, "video", "presenting through SDL's software renderer");
    }
    if (!impl->renderer)
        impl->renderer = SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_SOFTWARE);
    if (!impl->renderer) {
        error = SDL_GetError();
        return nullptr;
    }
    // Pixels stay sharp squares at any window size.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_RenderSetLogicalSize(impl->renderer, options.width, options.height);
    impl->texture = SDL_CreateTexture(impl->renderer, SDL_PIXELFORMAT_ARGB8888,
                                      SDL_TEXTUREACCESS_STREAMING, options.width, options.height);
    if (!impl->texture) {
        error = SDL_GetError();
        return nullptr;
    }
    SDL_SetTextureScaleMode(impl->texture, SDL_ScaleModeNearest);
    return std::shared_ptr<SdlPresenter>(new SdlPresenter(std::move(impl)));
}

void SdlPresenter::Submit(const Image& frame, const Palette& palette) {
    std::lock_guard lock(impl_->mutex);
    impl_->pending = frame;
    impl_->pendingPalette = palette;
    impl_->hasPending = true;
}

void SdlPresenter::SetFullScreen(bool fullScreen) {
    std::lock_guard lock(impl_->mutex);
    impl_->wantFullScreen = fullScreen ? 1 : 0;
}

void SdlPresenter::SetOverlay(const Image& overlay) {
    std::lock_guard lock(impl_->mutex);
    impl_->overlay = overlay;
    impl_->overlayChanged = true;
}

void SdlPresenter::SetCursorVisible(bool visible) {
    std::lock_guard lock(impl_->mutex);
    impl_->wantCursor = visible ? 1 : 0;
}

SDL_Window* SdlPresenter::NativeWindow() const {
    return impl_->window;
}

bool SdlPresenter::ServeUi(std::vector<uint32_t>* capture) {
    Impl& m = *impl_;
    bool has = false;
    int wantFull = -1, wantCursor = -1;
    Image overlay;
    {
        std::lock_guard lock(m.mutex);
        std::swap(wantFull, m.wantFullScreen);
        std::swap(wantCursor, m.wantCursor);
        if (m.hasPending) {
            std::swap(m.shown, m.pending);
            m.shownPalette = m.pendingPalette;
            m.hasPending = false;
            m.hasShown = true;
            has = true;
        }
        // A dialog that changed while the game waits shows over the last frame (or black).
        if (m.overlayChanged) has = true;
        m.overlayChanged = false;
        if (!m.overlay.Empty() && m.overlay.Format() == PixelFormat::A8R8G8B8) overlay = m.overlay;
    }
    if (wantFull >= 0)
        SDL_SetWindowFullscreen(m.window, wantFull ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (wantCursor >= 0) SDL_ShowCursor(wantCursor ? SDL_ENABLE : SDL_DISABLE);
    if (!has) return false;

    const Image& frame = m.shown;
    const Palette& palette = m.shownPalette;
    // A frame of another size than the logical one is drawn into its top-left corner.
    const int w = m.hasShown ? std::min(frame.Width(), m.width) : 0;
    const int h = m.hasShown ? std::min(frame.Height(), m.height) : 0;
    void* texPixels = nullptr;
    int texPitch = 0;
    if (SDL_LockTexture(m.texture, nullptr, &texPixels, &texPitch) != 0) {
        DiagOnce("sdl-lock", DiagLevel::Warn, "video", "cannot lock the frame texture: %s",
                 SDL_GetError());
        return false;
    }
    for (int y = 0; y < m.height; ++y) {
        auto* dst = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(texPixels) +
                                                static_cast<size_t>(y) * texPitch);
        if (y < h) {
            ToArgbRow(frame, y, w, palette, dst);
            std::fill(dst + w, dst + m.width, 0xFF000000u);
        } else {
            std::fill(dst, dst + m.width, 0xFF000000u);
        }
        if (y < overlay.Height()) {
            const auto* over = reinterpret_cast<const uint32_t*>(overlay.Row(y));
            const int ow = std::min(overlay.Width(), m.width);
            for (int x = 0; x < ow; ++x)
                if (over[x] >> 24) dst[x] = over[x] | 0xFF000000u;
        }
    }
    SDL_UnlockTexture(m.texture);
    SDL_SetRenderDrawColor(m.renderer, 0, 0, 0, 255);
    SDL_RenderClear(m.renderer);
    SDL_RenderCopy(m.renderer, m.texture, nullptr, nullptr);
    if (capture) {
        capture->assign(static_cast<size_t>(m.width) * m.height, 0);
        SDL_Rect all{0, 0, m.width, m.height};
        if (SDL_RenderReadPixels(m.renderer, &all, SDL_PIXELFORMAT_ARGB8888, capture->data(),
                                 m.width * static_cast<int>(sizeof(uint32_t))) != 0) {
            Diag(DiagLevel::Warn, "video", "cannot read the frame back: %s", SDL_GetError());
            capture->clear();
        }
    }
    SDL_RenderPresent(m.renderer);
    return true;
}

}  // namespace platform::video
