// What the menu screens share.
#include "app/screen_common.h"

#include "app/app_window.h"
#include "app/menu.h"
#include "app/scene.h"
#include "app/startup.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/sound/bgm_manager.h"
#include "platform/msg/msg.h"

const std::string kScreenOggNames[kScreenMusicCount] = {"bgm\\Title.ogg", "bgm\\WorldMap.ogg",
                                                        "bgm\\Challenge.ogg", "bgm\\Option.ogg",
                                                        "bgm\\Stage.ogg"};
const std::string kScreenMidiNames[kScreenMusicCount] = {"bgm\\Title.mid", "bgm\\WorldMap.mid",
                                                         "bgm\\Challenge.mid", "bgm\\Option.mid",
                                                         "bgm\\Stage.mid"};

void InitScreenMusicManager() {
    g_BgmManager.Init(1, kScreenOggNames, kScreenMidiNames, kScreenMusicCount);
}

DDSURFACEDATA* BuiltinSurface(int index) {
    return &g_SurfaceTable[index];
}

bool BeginScreen(int sceneIndex, std::span<const int> pictures) {
    RequestScreenMusic(ScreenMusicSlot(sceneIndex));
    const bool made =
        DDLoadSurfaceTable(g_SurfaceTable, pictures.data(), static_cast<int>(pictures.size()));
    if (!made) platform::msg::PostMainWindow(WM_CLOSE);
    g_CursorStack.ResetToOneEntry();
    return made;
}

void EndScreen(std::span<const int> pictures, DDSURFACEDATA& own) {
    for (int i : pictures) DDReleaseSurface(BuiltinSurface(i));
    DDReleaseSurface(&own);
}

void ClearToTransparent(DDSURFACEDATA* sd) {
    if (lpDTCon) {
        D3DClearRect(sd, 0, 0, sd->nWidth, sd->nHeight, D3DClearValue(sd));
        return;
    }
    if (platform::video::Surface* s = DDDeviceSurface(sd); s && sd->lpDD)
        s->image.Fill(0, 0, sd->nWidth, sd->nHeight, sd->lpDD->dwColorKey);
}

bool RestoreForRepaint(DDSURFACEDATA& sd) {
    if (platform::video::Surface* s = DDDeviceSurface(&sd); s && !lpDTCon && s->IsLost()) {
        s->Restore();
        return true;
    }
    return sd.bRecreated != 0;
}

uint16_t MenuKeys() {
    return V(g_KeyStates, 0).m_wDir;
}

uint16_t MenuButtons() {
    return V(g_KeyStates, 0).m_wButton;
}
