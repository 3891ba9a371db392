// The options screen.
#include "app/options_scene.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "app/app_display.h"
#include "app/app_window.h"
#include "app/hbt_palette.h"
#include "app/menu.h"
#include "app/screen_common.h"
#include "app/startup.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/log.h"
#include "core/msgbox.h"
#include "core/strings.h"
#include "data/data_path.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/font.h"
#include "media/sound/bgm_manager.h"
#include "media/sound/sound.h"
#include "platform/msg/msg.h"

namespace {

using screen_parts::kCancel;
using screen_parts::kCursorPicture;
using screen_parts::kCursorSound;
using screen_parts::kDecide;
using screen_parts::kWindowSkin;

// Built-in pictures of the screen: the cursors and the window skin.
constexpr int kOptionsSurfaces[] = {kCursorPicture, kWindowSkin};
// Cells of the cursor picture: the 16x16 cursor and the value indicator beside it.
constexpr int kCursorCell = screen_parts::kCursorCell;
constexpr int kIndicatorCell = screen_parts::kMarkerCell;

// Only up and down move anything on this screen.
constexpr uint32_t kUpDownSound = 2;

// The heading is drawn with the large font (32-dot cells), the items with the system font.
constexpr int kHeadingFont = 2;
constexpr int kItemFont = 1;
// The heading is the title menu's label of its options item.
constexpr size_t kTitleOptionsItem = 5;
// What the back buffer is cleared to, as the fades leave it.
constexpr uint32_t kBackColour = 16;

// The option an item changes and the values it runs through.
struct OptionRange {
    int32_t cOptionData::*member;
    int32_t min, max;
};
constexpr OptionRange kRanges[cOptionScene::kItemCount] = {
    {&cOptionData::m_bBgm, 0, 1},
    {&cOptionData::m_nSeVolume, 0, static_cast<int32_t>(SeVolumeTable.size()) - 1},
    {&cOptionData::m_bRankEntry, 0, cSystemData::kRankModeCount - 1},
    {nullptr, 0, 0},  // the ranking name: a text
    {nullptr, 0, 0},  // back
    {&cOptionData::m_nPaletteNo, 0, kHbtPaletteCount - 1},
};

void SetSoundEffectVolume(int level) {
    const int32_t volume = SeVolumeTable[static_cast<size_t>(
        std::clamp(level, 0, static_cast<int>(SeVolumeTable.size()) - 1))];
    for (SOUNDENTRY& entry : g_SoundEntries)
        for (size_t i = 0; i < entry.ring.size(); ++i)
            SetSoundVolume(entry, static_cast<int>(i), volume, 0);
}

}  // namespace

// ---- The options in force ------------------------------------------------------------

void ApplyMusicOption() {
    const bool on = g_OptionData.m_bBgm != 0;
    if (!g_BgmManager.Enabled() && on) {
        g_BgmManager.Release();
        InitScreenMusicManager();
    } else if (g_BgmManager.Enabled() && !on) {
        g_BgmManager.Release();
    }
    g_nRequestedBgm.store(0);
}

void ApplyOptionValue(int item) {
    if (item == cOptionScene::kItemPalette)
        LoadHbtPalette(g_OptionData.m_nPaletteNo);
    else if (item == cOptionScene::kItemSeVolume)
        SetSoundEffectVolume(g_OptionData.m_nSeVolume);
}

// ---- The screen ----------------------------------------------------------------------

cOptionScene::cOptionScene() {
    m_vStates = {&cSceneBase::FadeIn, static_cast<StateHandler>(&cOptionScene::OnMenu),
                 static_cast<StateHandler>(&cOptionScene::FadeOut)};
}

cOptionScene::~cOptionScene() {
    EndScreen(kOptionsSurfaces, &m_Menu);
}

void cOptionScene::Init() {
    m_bSurfaces = BeginScreen(kSceneOption, kOptionsSurfaces);

    // An item is shown when it is switched on and has a label; the list's places beyond
    // the six items name nothing.
    const std::vector<cCmd>& list = g_SystemData.m_vOptionMenu;
    m_vItems.clear();
    for (size_t i = 0; i < list.size() && i < static_cast<size_t>(kItemCount); ++i)
        if (list[i].valid != 0 && !list[i].label.empty()) m_vItems.push_back(static_cast<int>(i));
    if (m_vItems.empty()) m_vItems.push_back(kItemMusic);

    if (m_bSurfaces && !BuildMenuSurface()) platform::msg::PostMainWindow(WM_CLOSE);
    m_nEditItem = -1;
    m_pValue = nullptr;
    m_nCounter = kEnter;
}

bool cOptionScene::BuildMenuSurface() {
    DDReleaseSurface(&m_Menu);
    if (!DDCreateSurface(&m_Menu, 640, 480, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0)) return false;
    PaintMenuSurface();
    return true;
}

std::string cOptionScene::ValueText(int item) {
    const cOptionData& o = g_OptionData;
    switch (item) {
        case kItemMusic:
            return o.m_bBgm != 0 ? "ON" : "OFF";
        case kItemSeVolume:
            return StrPrintf("%d", o.m_nSeVolume);
        case kItemRankMode: {
            const std::vector<std::string>& names = g_SystemData.m_vRankModeName;
            const int mode = o.m_bRankEntry;
            return mode >= 0 && mode < static_cast<int>(names.size())
                       ? names[static_cast<size_t>(mode)]
                       : std::string();
        }
        case kItemRankName:
            return o.m_sRankName;
        case kItemPalette:
            return StrPrintf("%d", o.m_nPaletteNo);
        default:
            return std::string();
    }
}

void cOptionScene::PaintMenuSurface() {
    ClearToTransparent(&m_Menu);
    Font* items = MenuFont(kItemFont);
    if (items) items->DrawFrameBox(&m_Menu, 1, 1, m_Menu.nWidth - 2, m_Menu.nHeight - 2);
    const std::vector<cCmd>& title = g_SystemData.m_vTitleMenu;
    if (Font* heading = MenuFont(kHeadingFont); heading && title.size() > kTitleOptionsItem) {
        const char* label = title[kTitleOptionsItem].label.c_str();
        heading->DrawText(&m_Menu, 320 - 16 * SjisCharCount(label), kHeadingY, label);
    }
    if (items) {
        for (size_t row = 0; row < m_vItems.size(); ++row) {
            const int id = m_vItems[row];
            const int y = kFirstRowY + kRowHeight * static_cast<int>(row);
            items->DrawText(&m_Menu, kLabelX, y, V(g_SystemData.m_vOptionMenu, id).label.c_str());
            const std::string value = ValueText(id);
            if (!value.empty()) items->DrawText(&m_Menu, kValueX, y, value.c_str());
        }
    }
    m_Menu.bRecreated = 0;
}

void cOptionScene::DrawScreen() {
    if (!m_bSurfaces) return;
    // A lost or recreated menu surface is painted again before it is shown.
    if (RestoreForRepaint(m_Menu)) PaintMenuSurface();
    // The menu is drawn with transparency; a window skin with transparent pixels would
    // otherwise keep the cursors of earlier frames on the screen.
    DDFillSurface(&BackBuffer, kBackColour);
    DDBltFast(&BackBuffer, 0, 0, 640, 480, &m_Menu, 0, 0, 1);
    PrepareMenuColors();
}

void cOptionScene::OnMenu() {
    if (m_nCounter == kEnter) {
        g_CursorStack.Current() = CursorEntry();
        m_nCounter = kChoose;
    }
    if (m_nCounter == kChoose)
        Choose();
    else if (m_nCounter == kEdit)
        Edit();
}

void cOptionScene::Choose() {
    StepMenuCursor(kCursorX, kFirstRowY, kRowHeight, static_cast<int>(m_vItems.size()),
                   kUpDownSound);
    const uint16_t buttons = MenuButtons();
    if (buttons & kDecide) {
        PlaySE(1);
        const int item = V(m_vItems, g_CursorStack.Current().row);
        if (item == kItemRankName) {
            RequestRankingName();
            PaintMenuSurface();
        } else if (item == kItemBack) {
            Leave();
        } else {
            BeginEdit(item);
        }
        return;
    }
    if (buttons & kCancel) {
        PlaySE(2);
        Leave();
        return;
    }
    DrawScreen();
    const CursorEntry& c = g_CursorStack.Current();
    if (m_bSurfaces) screen_parts::DrawSmallCursor(c.x, c.y, kCursorCell);
}

void cOptionScene::BeginEdit(int item) {
    const OptionRange& range = kRanges[item];
    m_nEditItem = item;
    m_pValue = &(g_OptionData.*range.member);
    m_nMin = range.min;
    m_nMax = range.max;
    m_nBefore = *m_pValue;
    g_CursorStack.PushLinkedEntry(0);
    m_nCounter = kEdit;
}

void cOptionScene::Edit() {
    const uint16_t keys = MenuKeys();
    const int step = (keys & kKeyUp) ? 1 : (keys & kKeyDown) ? -1 : 0;
    if (step != 0) {
        // A value past either end comes round to the other; so does a stored value that
        // was outside the range, even at the ends of 32 bits.
        const int64_t value = int64_t{*m_pValue} + step;
        if (value < m_nMin)
            *m_pValue = m_nMax;
        else if (value > m_nMax)
            *m_pValue = m_nMin;
        else
            *m_pValue = static_cast<int32_t>(value);
        ApplyOptionValue(m_nEditItem);
        PaintMenuSurface();
        PlayCursorSound(keys, kUpDownSound, kCursorSound);
    }

    const uint16_t buttons = MenuButtons();
    if (buttons & (kDecide | kCancel)) {
        const bool cancelled = !(buttons & kDecide);
        PlaySE(cancelled ? 2 : 1);
        if (cancelled) {
            *m_pValue = m_nBefore;
            ApplyOptionValue(m_nEditItem);
        }
        g_CursorStack.PopLinkedEntry(1);
        m_nEditItem = -1;
        m_pValue = nullptr;
        m_nCounter = kChoose;
        if (cancelled) PaintMenuSurface();
        return;
    }
    DrawScreen();
    const CursorEntry* menu = g_CursorStack.Previous();
    if (!m_bSurfaces || !menu) return;
    screen_parts::DrawSmallCursor(menu->x, menu->y, kIndicatorCell);
    screen_parts::DrawSmallCursor(kIndicatorX, menu->y, kCursorCell);
}

void cOptionScene::Leave() {
    g_SceneMgr.m_nNext = kSceneTitle;
    m_nCounter = kEnter;
    m_nState = kFadeOut;
}

void cOptionScene::FadeOut() {
    const SceneFades& fades = GetSceneFades();
    if (!(fades.fadeOut ? fades.fadeOut : &ScreenFadeOut)(g_nFadeSpeed)) return;
    DDFillSurface(&BackBuffer, kBackColour);
    ApplyMusicOption();
    // Written whole or not at all: a failed save leaves the file of the last visit, and the
    // user is told (also when no report file could be opened).
    if (!g_OptionData.SaveFile(DataPath[43])) {
        ReportTracePrintf("%s の保存に失敗！", DataPath[43]);
        ErrorBoxF("%s の保存に失敗！", DataPath[43]);
    }
    ResetCursorStack();
    g_SceneMgr.m_nPrevious = kSceneOption;
    g_SceneMgr.m_nCurrent = g_SceneMgr.m_nNext;
}

cSceneBase* NewOptionScene() {
    return new (std::nothrow) cOptionScene;
}
