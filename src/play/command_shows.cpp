// The picture list and the effect commands' animations.
#include "play/command_shows.h"

#include <cstdio>

#include "core/bounds.h"
#include "core/log.h"
#include "core/msgbox.h"
#include "data/database.h"
#include "media/draw/dd_device.h"
#include "objects/play_context.h"
#include "platform/msg/msg.h"
#include "play/stage_run.h"

PictureList g_Pictures;

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
    const int32_t width = PictureScaledSize(rec->surface.nWidth, req.zoom);
    const int32_t height = PictureScaledSize(rec->surface.nHeight, req.zoom);
    double x = 0.0;
    double y = 0.0;
    CalcPicturePos(x, y, width, height, chara, req.mode, req.blockX, req.blockY, req.offsetX,
                   req.offsetY);
    const PlayState& st = Play().State();
    SetPictureState(rec->state, req.picture, x, y, width, height, req.fixed, req.layer, req.zoom,
                    req.durationMode, req.frames, req.countWhilePaused, req.hasId, req.pictureId,
                    st.cameraX, st.cameraY);
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
        if (it->state.m_nLayer == layer &&
            DrawPictureState(it->state, dest, &it->surface, paused, scrollX, scrollY) == 1)
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
