// The title screen.
#include "app/title_scene.h"

#include <algorithm>
#include <new>
#include <string>

#include "app/app_window.h"
#include "app/menu.h"
#include "app/run_start.h"
#include "app/screen_common.h"
#include "app/screen_settings.h"
#include "app/startup.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/strings.h"
#include "data/save_data.h"
#include "data/save_slots.h"
#include "data/system_data.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_effect_blit.h"
#include "media/draw/dd_fill.h"
#include "media/draw/font.h"
#include "media/draw/plain_parts.h"
#include "media/sound/sound.h"
#include "platform/msg/msg.h"

namespace {

// Built-in pictures of the title: the title picture, the menu picture, the cursors and the
// window skin.
constexpr int kTitlePicture = 47;
constexpr int kMenuPicture = 48;
using screen_parts::kCancel;
using screen_parts::kCursorPicture;
using screen_parts::kDecide;
using screen_parts::kWindowSkin;
constexpr int kTitleSurfaces[] = {kTitlePicture, kMenuPicture, kCursorPicture, kWindowSkin};

// The labels are drawn with the large font, one 32-dot cell a character.
constexpr int kLabelFont = 2;
constexpr int kListFont = 1;
// The window skin is laid over the menu almost opaque; the frame round it takes the
// fonts' frame colour.
constexpr int kSkinAlpha = 255 - 240;
constexpr uint32_t kFrameColour = 240;
// Without the title picture: the line of the game's title.
constexpr int kPlainTitleY = 80;

}  // namespace

cTitleScene::cTitleScene() {
    m_vStates = {&cSceneBase::FadeIn, static_cast<StateHandler>(&cTitleScene::OnMenu),
                 static_cast<StateHandler>(&cTitleScene::OnContinue), &cSceneBase::FadeOut};
}

cTitleScene::~cTitleScene() {
    EndScreen(kTitleSurfaces, &m_Menu);
}

void cTitleScene::Init() {
    m_bSurfaces = BeginScreen(kSceneTitle, kTitleSurfaces);

    const std::vector<cCmd>& list = g_SystemData.m_vTitleMenu;
    m_vItems.clear();
    for (size_t i = 0; i < list.size() && m_vItems.size() < 7; ++i)
        if (list[i].valid != 0) m_vItems.push_back(static_cast<int>(i));
    if (m_vItems.empty()) m_vItems.push_back(kTitleNewGame);

    // The item chosen last; when it is not shown its id stands for the row, and the
    // mover brings a row past the last round to the first.
    const int last = g_SceneMgr.m_nTitleItem;
    const auto at = std::find(m_vItems.begin(), m_vItems.end(), last);
    g_CursorStack.Current().row =
        at != m_vItems.end() ? static_cast<int32_t>(at - m_vItems.begin()) : last;

    // A project that asks for the picture menu but has no menu picture shows its labels
    // rather than a menu nobody can see.
    m_bPictureMenu = screen_settings::PictureMenu(g_SystemData) &&
                     DDDeviceSurface(BuiltinSurface(kMenuPicture)) != nullptr;
    m_nMenuX = kMenuX;
    if (m_bPictureMenu) m_nMenuX = 288 - BuiltinSurface(kMenuPicture)->nWidth / 2;
    if (m_bSurfaces && !BuildMenuSurface()) platform::msg::PostMainWindow(WM_CLOSE);
    m_nCounter = 0;
}

bool cTitleScene::BuildMenuSurface() {
    int width = 0;
    if (m_bPictureMenu) {
        width = BuiltinSurface(kMenuPicture)->nWidth + 32;
    } else {
        int widest = 0;
        for (int id : m_vItems)
            widest =
                std::max(widest, SjisCharCount(V(g_SystemData.m_vTitleMenu, id).label.c_str()));
        width = 32 * widest + 34;
    }
    const int height = kRowHeight * static_cast<int>(m_vItems.size()) + 2;
    DDReleaseSurface(&m_Menu);
    if (!DDCreateSurface(&m_Menu, width, height, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0)) return false;
    PaintMenuSurface();
    return true;
}

void cTitleScene::PaintMenuSurface() {
    ClearToTransparent(&m_Menu);
    const int rows = static_cast<int>(m_vItems.size());
    if (m_bPictureMenu) {
        DDSURFACEDATA* picture = BuiltinSurface(kMenuPicture);
        for (int row = 0; row < rows; ++row)
            DDBltFast(&m_Menu, 32, kRowHeight * row, picture->nWidth, kRowHeight, picture, 0,
                      kRowHeight * m_vItems[static_cast<size_t>(row)], 1);
    } else {
        const int w = m_Menu.nWidth, h = m_Menu.nHeight;
        DDSURFACEDATA* skin = BuiltinSurface(kWindowSkin);
        // Direct3D lays the skin on at its opacity; the DirectDraw pixel loops can only
        // mix halfway, which would leave the window half see-through, so the skin is
        // copied as it is there. Without a skin the window is plain.
        if (!HasPicture(skin))
            DrawPlainWindow(&m_Menu, 1, 1, w - 2, h - 2, screen_parts::ScreenColours());
        else if (lpDTCon)
            DDBltAlpha(&m_Menu, 1, 1, w - 2, h - 2, skin, 0, 0, 0, nullptr, kSkinAlpha);
        else
            DDBltFast(&m_Menu, 1, 1, w - 2, h - 2, skin, 0, 0, 0);
        DDFillFrame(&m_Menu, 0, 0, w, h, 1, kFrameColour);
        if (Font* font = MenuFont(kLabelFont))
            for (int row = 0; row < rows; ++row)
                font->DrawText(
                    &m_Menu, 32, kRowHeight * row,
                    V(g_SystemData.m_vTitleMenu, m_vItems[static_cast<size_t>(row)]).label.c_str());
    }
    m_Menu.bRecreated = 0;
}

void cTitleScene::DrawBackground() {
    DDSURFACEDATA* picture = BuiltinSurface(kTitlePicture);
    if (HasPicture(picture)) {
        // A picture smaller than the screen leaves the plain screen round it, not the
        // frames before.
        if (picture->nWidth < 640 || picture->nHeight < 480)
            DDFillSurface(&BackBuffer, screen_parts::ScreenColours().paper);
        DDBltFast(&BackBuffer, 0, 0, 640, 480, picture, 0, 0, 0);
        return;
    }
    // A game without a title picture: the game's title over a plain screen, in the large
    // font where it fits the width and in the system font where it does not.
    DDFillSurface(&BackBuffer, screen_parts::ScreenColours().paper);
    const std::string& title = g_SystemData.m_strTitle;
    for (int f : {kLabelFont, kListFont}) {
        Font* font = MenuFont(f);
        if (!font) continue;
        int width = 0, height = 0;
        font->MeasureText(title.c_str(), width, height);
        if (width > 608 && f == kLabelFont) continue;
        font->DrawText(&BackBuffer, 320 - width / 2, kPlainTitleY, title.c_str());
        break;
    }
}

void cTitleScene::DrawScreen() {
    if (!m_bSurfaces) return;
    // A lost or recreated menu surface is painted again before it is shown.
    if (RestoreForRepaint(m_Menu)) PaintMenuSurface();
    DrawBackground();
    DDBltFast(&BackBuffer, m_nMenuX, kMenuY, m_Menu.nWidth, m_Menu.nHeight, &m_Menu, 0, 0, 1);
    PrepareMenuColors();
}

void cTitleScene::OnMenu() {
    StepMenuCursor(m_nMenuX, kMenuY, kRowHeight, static_cast<int>(m_vItems.size()));
    if (!(MenuButtons() & kDecide)) {
        DrawScreen();
        const CursorEntry& c = g_CursorStack.Current();
        if (m_bSurfaces) screen_parts::DrawArrowCursor(c.x, c.y);
        return;
    }
    PlaySE(1);
    const int id = V(m_vItems, g_CursorStack.Current().row);
    g_SceneMgr.m_nTitleItem = id;
    const TitleOutcome outcome = StartTitleItem(id);
    switch (outcome.kind) {
        case TitleOutcome::Leave:
            g_SceneMgr.m_nNext = outcome.nextScene;
            m_nState = kFadeOut;
            break;
        case TitleOutcome::ContinueList:
            m_nState = kContinue;
            m_nCounter = 0;
            break;
        case TitleOutcome::Stay:
        case TitleOutcome::Quit:
            break;
    }
}

void cTitleScene::OnContinue() {
    if (m_nCounter == 0) {
        g_CursorStack.Current() = CursorEntry();
        m_nTop = 0;
        m_nCounter = 1;
        BuildSlotList(g_SaveSlots);
    }
    const int total = static_cast<int>(g_SaveSlots.size());
    m_nVisible = std::min(total, kListRows);
    StepListCursor(&m_nTop, kListX, kListY, kListRow, m_nVisible, total);

    const uint16_t buttons = MenuButtons();
    if (buttons & kDecide) {
        const int slot = g_CursorStack.Current().row;
        // A slot that was damaged after the list was read loads as nothing: a buzz, as
        // for an empty slot, and the run state stays as it was.
        if (V(g_SaveSlots, slot).m_bUsed && g_PlaySession.LoadSlot(slot)) {
            PlaySE(1);
            g_SceneMgr.m_nNext = kSceneWorldMap;
            m_nState = kFadeOut;
        } else {
            PlaySE(3);
        }
        return;
    }
    if (buttons & kCancel) {
        PlaySE(2);
        ReturnToMenu(*this, kMenu);
        return;
    }
    DrawContinueList();
}

void cTitleScene::DrawContinueList() {
    if (!m_bSurfaces) return;
    DrawBackground();
    PrepareMenuColors();
    screen_parts::DrawSlotListOnBackBuffer(MenuFont(kListFont), kListX, kListY, m_nTop, m_nVisible);
    const CursorEntry& c = g_CursorStack.Current();
    screen_parts::DrawSmallCursor(c.x, c.y);
}

cSceneBase* NewTitleScene() {
    return new (std::nothrow) cTitleScene;
}
