// What the menu screens share.
#include "app/screen_common.h"

#include "app/app_window.h"
#include "app/menu.h"
#include "app/scene.h"
#include "app/startup.h"
#include "app/system_ini.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/strings.h"
#include "data/system_data.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/font.h"
#include "media/draw/font_painters.h"
#include "media/draw/plain_parts.h"
#include "media/sound/bgm_manager.h"
#include "media/sound/sound.h"
#include "platform/msg/msg.h"
#include "play/ranking.h"

using screen_parts::kCursorSound;

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

void EndScreen(std::span<const int> pictures, DDSURFACEDATA* own) {
    for (int i : pictures) DDReleaseSurface(BuiltinSurface(i));
    if (own) DDReleaseSurface(own);
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

uint16_t StepMenuCursor(int x, int y, int rowHeight, int rows, uint32_t soundMask) {
    const uint16_t keys = MenuKeys();
    const int32_t row = g_CursorStack.Current().row;
    MoveGridCursor(keys, x, y, 0, rowHeight, 1, rows);
    if (g_CursorStack.Current().row != row) PlayCursorSound(keys, soundMask, kCursorSound);
    return keys;
}

void ReturnToMenu(cSceneBase& scene, int menuState) {
    g_CursorStack.PopLinkedEntry(1);
    scene.m_nState = menuState;
    scene.m_nCounter = 0;
}

uint16_t StepListCursor(int* top, int x, int y, int rowHeight, int visible, int total) {
    const uint16_t keys = MenuKeys();
    const int32_t row = g_CursorStack.Current().row;
    MoveListCursor(keys, 1, top, y, rowHeight, x, visible, total, 1);
    if (g_CursorStack.Current().row != row) PlayCursorSound(keys, 3, kCursorSound);
    return keys;
}

namespace run_fields {

bool IsFlagSet(const cSaveData& s, int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < s.m_vListB.size() &&
           s.m_vListB[static_cast<size_t>(index)] != 0;
}

}  // namespace run_fields

namespace screen_parts {

namespace {

constexpr int kViewSound = 6;
constexpr int kBoxFont = 1;

// The slot list of the save menu and the continue list, drawn onto the back buffer.
class BackBufferSlotCanvas : public SlotListCanvas {
  public:
    explicit BackBufferSlotCanvas(Font* font) : font_(font) {}
    void DrawFrameBox(int x, int y, int width, int height) override {
        if (font_) font_->DrawFrameBox(&BackBuffer, x, y, width, height);
    }
    void FillRect(int x, int y, int width, int height, int paletteColour) override {
        DDFillRect(&BackBuffer, x, y, width, height, static_cast<uint32_t>(paletteColour));
    }
    void DrawText(int x, int y, const std::string& text) override {
        if (font_) font_->DrawText(&BackBuffer, x, y, text.c_str());
    }

  private:
    Font* font_;
};

}  // namespace

uint16_t ButtonEdges::Pressed(uint16_t buttons, uint16_t mask) {
    const uint16_t now = buttons & mask;
    const uint16_t pressed = now & static_cast<uint16_t>(~m_wHeld);
    m_wHeld = now;
    return pressed;
}

PlainColours ScreenColours() {
    return PlainColoursOf(MenuFont(kBoxFont));
}

void DrawSmallCursor(int x, int y, int cellX) {
    DrawCellOrPlain(&BackBuffer, x, y, 16, 16, BuiltinSurface(kCursorPicture), cellX, 0,
                    cellX == kMarkerCell ? PlainShape::Square : PlainShape::Arrow, ScreenColours());
}

void DrawArrowCursor(int x, int y) {
    DrawCellOrPlain(&BackBuffer, x, y, 32, 32, BuiltinSurface(kCursorPicture), 0, 0,
                    PlainShape::Arrow, ScreenColours());
}

int DrawTextBox(int first, int count, int centreX, int y, int cursorSpace) {
    const int x = g_SystemData.CentreTextX(centreX, first, count, cursorSpace);
    FontMenuTextPainter painter(MenuFont(kBoxFont));
    g_SystemData.DrawTextLines(painter, &BackBuffer, x, y, first, count, cursorSpace);
    return x;
}

void RunChoiceBox(int first, int centreX, int y, uint32_t soundMask) {
    const int x = g_SystemData.CentreTextX(centreX, first, 2, 1);
    StepMenuCursor(x, y, 16, 2, soundMask);
    DrawTextBox(first, 2, centreX, y, 1);
    const CursorEntry& c = g_CursorStack.Current();
    DrawSmallCursor(c.x, c.y);
}

bool SwitchRankingView(uint16_t pressed, int gameMode) {
    const bool ranked = V(g_SystemData.m_vModeRanking, gameMode).m_bEnabled != 0;
    bool changed = false;
    if (pressed & kThird) {
        uint32_t& view = run_fields::RankingView(g_PlaySession);
        if (ranked) {
            PlaySE(kViewSound);
            view = view != 0 ? 0 : 1;
            changed = true;
        } else if (view != 0) {
            view = 0;
            changed = true;
        }
    }
    if ((pressed & kFourth) && ranked && g_SystemData.CountFlags(gameMode) >= 2) {
        PlaySE(kViewSound);
        g_PlaySession.StepRankingPage(gameMode, 1);
        changed = true;
    }
    return changed;
}

void LoadStageRanking(int gameMode, const std::string& stageFile, uint32_t courseFlag,
                      uint32_t courseNumber, uint32_t stageNumber) {
    if (g_SceneMgr.m_nRankSwitch == 0) return;
    // The stage's name as the run records it, which names its ranking file.
    cSaveData named;
    named.SetStage(stageFile, courseFlag, courseNumber, stageNumber);
    LoadRanking(g_RankFile, gameMode, named.m_strStageFile, courseFlag, courseNumber, stageNumber);
    g_PlaySession.StepRankingPage(gameMode, 0);
}

void DrawStageRanking(DDSURFACEDATA* dest, int x, int y, int gameMode) {
    if (g_SceneMgr.m_nRankSwitch == 0 || run_fields::RankingView(g_PlaySession) == 0) return;
    DrawRankingOf(dest, x, y, g_PlaySession.RankingPage(), gameMode, g_IniSetting.English != 0);
}

void DrawSlotListOnBackBuffer(Font* font, int x, int y, int first, int rows) {
    BackBufferSlotCanvas canvas(font);
    DrawSlotList(canvas, x, y, g_SaveSlots, first, rows);
}

int CentredX(int centreX, const std::string& text) {
    return centreX - SjisCharCount(text.c_str()) * 16 / 2;
}

}  // namespace screen_parts
