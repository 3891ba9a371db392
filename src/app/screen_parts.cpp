// The shared pieces of the story and challenge screens.
#include "app/screen_parts.h"

#include "app/menu.h"
#include "app/scene.h"
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
#include "media/sound/sound.h"
#include "play/ranking.h"

namespace run_fields {

bool IsFlagSet(const cSaveData& s, int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < s.m_vListB.size() &&
           s.m_vListB[static_cast<size_t>(index)] != 0;
}

}  // namespace run_fields

namespace screen_parts {

namespace {

constexpr int kCursorSound = 0;
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

uint16_t Keys() {
    return V(g_KeyStates, 0).m_wDir;
}

uint16_t Buttons() {
    return V(g_KeyStates, 0).m_wButton;
}

uint16_t ButtonEdges::Pressed(uint16_t buttons, uint16_t mask) {
    const uint16_t now = buttons & mask;
    const uint16_t pressed = now & static_cast<uint16_t>(~m_wHeld);
    m_wHeld = now;
    return pressed;
}

void DrawSmallCursor(int x, int y, int cellX) {
    if (DDDeviceSurface(Picture(kCursorPicture)))
        DDBltFast(&BackBuffer, x, y, 16, 16, Picture(kCursorPicture), cellX, 0, 1);
}

int DrawTextBox(int first, int count, int centreX, int y, int cursorSpace) {
    const int x = g_SystemData.CentreTextX(centreX, first, count, cursorSpace);
    FontMenuTextPainter painter(MenuFont(kBoxFont));
    g_SystemData.DrawTextLines(painter, &BackBuffer, x, y, first, count, cursorSpace);
    return x;
}

void RunChoiceBox(int first, int centreX, int y) {
    const int x = g_SystemData.CentreTextX(centreX, first, 2, 1);
    const uint16_t keys = Keys();
    const int32_t row = g_CursorStack.Current().row;
    MoveGridCursor(keys, x, y, 0, 16, 1, 2);
    if (g_CursorStack.Current().row != row) PlayCursorSound(keys, 3, kCursorSound);
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

bool NeedsRepaint(DDSURFACEDATA* sd) {
    if (platform::video::Surface* s = DDDeviceSurface(sd); s && !lpDTCon && s->IsLost()) {
        s->Restore();
        return true;
    }
    return sd->bRecreated != 0;
}

void DrawSlotListOnBackBuffer(Font* font, int x, int y, int first, int rows) {
    BackBufferSlotCanvas canvas(font);
    DrawSlotList(canvas, x, y, g_SaveSlots, first, rows);
}

int CentredX(int centreX, const std::string& text) {
    return centreX - SjisCharCount(text.c_str()) * 16 / 2;
}

}  // namespace screen_parts
