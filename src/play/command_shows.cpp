// The picture list and the effect commands' animations.
#include "play/command_shows.h"

#include <cstdio>

#include "core/bounds.h"
#include "core/log.h"
#include "core/msgbox.h"
#include "data/database.h"
#include "flow/status_ops.h"
#include "media/draw/dd_device.h"
#include "objects/play_context.h"
#include "platform/msg/msg.h"
#include "play/stage_draw.h"
#include "play/stage_run.h"
#include "play/text_images.h"

namespace {

// DirectDraw keeps a picture in system memory when it will be stretched and the setting
// does not stretch in video memory, or when less than a fifth of the video memory is free.
int32_t PictureInSystemMemory(int32_t zoom, bool videoStretch) {
    if (lpDTCon) return 0;
    if (zoom != 100 && !videoStretch) return 1;
    uint64_t total = 0;
    uint64_t free = 0;
    DDGetVideoMemory(total, free);
    return total != 0 && free * 100 / total < 20 ? 1 : 0;
}

}  // namespace

ShownHandle PictureList::Show(const PictureRequest& req, const cChara& chara, bool videoStretch) {
    if (req.picture == 0 && req.hasId == 0) {
        Clear();
        return 0;
    }
    const bool erase = req.picture == 0;
    auto at = records_.end();
    if (req.hasId != 0) {
        auto it = records_.begin();
        while (it != records_.end() &&
               !(it->state.m_nValueA != 0 && it->state.m_nValueB == req.pictureId))
            ++it;
        if (it == records_.end()) {
            if (erase) return 0;
        } else {
            // The new picture takes the place of the old one.
            at = Erase(it);
            if (erase) return 0;
        }
    }
    const std::vector<cPicture>& pictures = g_Database.m_vPicture;
    if (pictures.empty()) return 0;
    const cPicture& picture = V(pictures, req.picture);

    auto rec = records_.emplace(at);
    std::snprintf(rec->file.szFileName, sizeof(rec->file.szFileName), "%s",
                  picture.m_strFile.c_str());
    rec->file.p1 = 1;
    rec->file.p2 = PictureInSystemMemory(req.zoom, videoStretch);
    if (DDCreateSurfaceFromFile(&rec->surface, rec->file.szFileName, 1, g_nBitsPerPixel,
                                rec->file.p2, 0, 0, 0, 0, 0, 0) != 0) {
        ErrorBoxF("%s 読み込み失敗！", picture.m_strFile.c_str());
        TracePrintf("%s 読み込み失敗！", picture.m_strFile.c_str());
        platform::msg::PostMainWindow(WM_CLOSE);
        // Nothing is drawn of a picture that is not there while the program closes.
        Erase(rec);
        return 0;
    }
    const int32_t width = Percent32(rec->surface.nWidth, req.zoom);
    const int32_t height = Percent32(rec->surface.nHeight, req.zoom);
    double x = 0.0;
    double y = 0.0;
    CalcPicturePos(x, y, width, height, chara, req.mode, req.blockX, req.blockY, req.offsetX,
                   req.offsetY);
    const PlayState& st = Play().State();
    SetPictureState(rec->state, req.picture, x, y, width, height, req.fixed, req.layer, req.zoom,
                    req.durationMode, req.frames, req.countWhilePaused, req.hasId, req.pictureId,
                    st.scrollX.m_dPos, st.scrollY.m_dPos);
    rec->handle = ++lastHandle_;
    return rec->handle;
}

void PictureList::Remove(ShownHandle handle) {
    for (auto it = records_.begin(); it != records_.end(); ++it) {
        if (it->handle == handle) {
            Erase(it);
            return;
        }
    }
}

void PictureList::Clear() {
    while (!records_.empty()) Erase(records_.begin());
}

void PictureList::DrawLayer(DDSURFACEDATA* dest, int32_t layer, int paused, double scrollX,
                            double scrollY) {
    for (auto it = records_.begin(); it != records_.end();) {
        const bool drawable = dest && DDDeviceSurface(&it->surface) != nullptr;
        if (it->state.m_nLayer == layer &&
            DrawPictureState(it->state, drawable ? dest : nullptr,
                             drawable ? &it->surface : nullptr, paused, scrollX, scrollY) == 1)
            it = Erase(it);
        else
            ++it;
    }
}

std::list<PictureRecord>::iterator PictureList::Erase(std::list<PictureRecord>::iterator it) {
    DDReleaseSurface(&it->surface);
    return records_.erase(it);
}

void AddCommandEffect(StageRun& run, int16_t effect, double x, double y, int32_t width,
                      int32_t height, int32_t hold) {
    cEffectObj& obj = run.effects.emplace_back();
    obj.SetupAt(effect, x, y, width, height, hold);
    obj.m_bByCommand = 1;
}

void ClearCommandEffects(StageRun& run) {
    run.effects.remove_if([](const cEffectObj& e) { return e.m_bByCommand != 0; });
}

// ---- Message windows ---------------------------------------------------------------

namespace {

TextImageArgs ArgsOf(const MessageRequest& req, int32_t reuse) {
    TextImageArgs a;
    static_cast<MessageLayout&>(a) = req;
    a.kind = kTextImageText;
    a.text = req.text.c_str();
    a.reuseSurface = reuse;
    return a;
}

// A window names itself by its address: images never move in their list, and none is
// made while its command waits.
ShownHandle HandleOf(const cTextImage& image) {
    return static_cast<ShownHandle>(reinterpret_cast<uintptr_t>(&image));
}

}  // namespace

ShownHandle ShowMessage(StageRun& run, StageDrawScene& scene, const MessageRequest& req) {
    // The variables and the camera a new text is laid out and placed by.
    PrepareTextImageWorld(run);
    std::list<cTextImage>& images = scene.textImages;
    auto at = images.end();
    if (req.hasId != 0) {
        auto old = images.begin();
        while (old != images.end() && !(old->m_bHasId != 0 && old->m_nMessageId == req.messageId))
            ++old;
        if (old == images.end()) {
            if (req.erase != 0) return 0;
        } else {
            if (req.erase != 0) {
                images.erase(old);
                return 0;
            }
            // A text of the same size is drawn again into the old window's picture.
            std::string text = req.text;
            const TextImageWorld& world = TextImages();
            if (req.substitute != 0) LayoutTextImage(text, world.runVars, world.stageVars);
            int32_t width = 0;
            int32_t height = 0;
            MeasureTextImage(world.font, text, width, height);
            if (width == old->m_nWidth && height == old->m_nHeight) {
                old->MakeTextImage(ArgsOf(req, 1));
                return HandleOf(*old);
            }
            at = images.erase(old);
        }
    } else if (req.erase != 0) {
        return 0;
    }
    const auto made = images.emplace(at, ArgsOf(req, 0));
    return HandleOf(*made);
}

void RemoveMessage(StageDrawScene& scene, ShownHandle handle) {
    std::list<cTextImage>& images = scene.textImages;
    for (auto it = images.begin(); it != images.end(); ++it) {
        if (HandleOf(*it) == handle) {
            images.erase(it);
            return;
        }
    }
}
