// The save menu.
#include "app/save_menu_scene.h"

#include <algorithm>
#include <new>
#include <string>

#include "app/app_window.h"
#include "app/hbt_palette.h"
#include "app/menu.h"
#include "app/screen_common.h"
#include "app/screen_settings.h"
#include "core/bounds.h"
#include "core/msgbox.h"
#include "core/paths.h"
#include "core/strings.h"
#include "data/save_data.h"
#include "data/save_slots.h"
#include "data/system_data.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_effect_blit.h"
#include "media/draw/dd_fill.h"
#include "media/draw/font.h"
#include "media/draw/plain_parts.h"
#include "media/sound/sound.h"
#include "platform/msg/msg.h"

using namespace screen_parts;

namespace {

constexpr int kLetterPicture = 50;
constexpr int kSaveMenuSurfaces[] = {kWindowSkin, kLetterPicture, kCursorPicture};
constexpr int kMenuFont = 1;

// System texts of the save menu's message boxes.
constexpr int kSaveQuestion = 12;      // "セーブする" / "やっぱりやめる"
constexpr int kAutoSaveQuestion = 14;  // "オートセーブＯＮ" / "オートセーブＯＦＦ"
constexpr int kNoSlotYet = 16;         // "保存先が不明です！…"
constexpr int kTitleQuestion = 17;     // "タイトルへ戻る" / "やっぱりやめる"
constexpr int kTotalLabel = 4;         // "トータルスコア"

// The menu window lets a little of the screen under it through (opacity 240).
constexpr int kWindowAlpha = 255 - 240;

// The window of the menu: the window skin laid on at its opacity, framed as the font
// frames its boxes. Direct3D blends it by that opacity; the DirectDraw pixel loops mix
// skin and screen halfway, as they do for every see-through picture. Without a skin the
// font's own box stands in.
void DrawMenuWindow(Font& font, int x, int y, int w, int h) {
    DDSURFACEDATA* skin = BuiltinSurface(kWindowSkin);
    if (!HasPicture(skin)) {
        font.DrawFrameBox(&BackBuffer, x, y, w, h);
        return;
    }
    // At 8 bits the halfway mix reads the palette's half-blend table.
    DDBltAlpha(&BackBuffer, x, y, w, h, skin, 0, 0, 0, &g_HueTable, kWindowAlpha);
    const int t = font.m_nFrameThickness;
    if (t > 0) DDFillFrame(&BackBuffer, x - t, y - t, w + 2 * t, h + 2 * t, t, font.m_dwFrameColor);
}

enum SaveStep { kSaveOpen = 0, kSaveList = 1, kSaveConfirm = 2 };
enum AutoStep { kAutoOpen = 0, kAutoAsk = 1, kAutoNoSlot = 2 };

}  // namespace

bool SaveRunToSlot(int slot) {
    int32_t& last = run_fields::LastSlot(g_PlaySession);
    const int32_t before = last;
    // The slot is stored in the file it is saved to, so that a continued run saves there.
    last = slot;
    if (g_PlaySession.SaveSlot(slot)) return true;
    last = before;
    char path[kMaxPath];
    MakeStoryPath(path, std::clamp(slot, 0, kSaveSlotCount - 1));
    ErrorBoxF("セーブデータ %s を保存できません！", path);
    return false;
}

cSaveMenuScene::cSaveMenuScene() {
    m_vStates = {&cSceneBase::FadeIn,
                 static_cast<StateHandler>(&cSaveMenuScene::OnMenu),
                 static_cast<StateHandler>(&cSaveMenuScene::OnSave),
                 static_cast<StateHandler>(&cSaveMenuScene::OnAutoSave),
                 static_cast<StateHandler>(&cSaveMenuScene::OnBack),
                 static_cast<StateHandler>(&cSaveMenuScene::OnToTitle),
                 &cSceneBase::FadeOut};
}

cSaveMenuScene::~cSaveMenuScene() {
    EndScreen(kSaveMenuSurfaces);
}

void cSaveMenuScene::Init() {
    m_bSurfaces = BeginScreen(kSceneSaveMenu, kSaveMenuSurfaces);
    const std::vector<cCmd>& list = g_SystemData.m_vSaveMenu;
    m_vItems.clear();
    // Only the four items the menu knows: a longer list from a newer editor would enter
    // states that are not there.
    for (size_t i = 0; i < list.size() && i < 4; ++i)
        if (list[i].valid != 0) m_vItems.push_back(static_cast<int>(i));
    if (m_vItems.empty()) m_vItems.push_back(0);
    m_nCounter = 0;
}

void cSaveMenuScene::DrawScreen() {
    DDFillSurface(&BackBuffer, 16);
    Font* font = MenuFont(kMenuFont);
    if (font) {
        int widest = 0;
        std::string labels;
        for (int id : m_vItems) {
            const std::string& label = V(g_SystemData.m_vSaveMenu, id).label;
            widest = std::max(widest, SjisCharCount(label.c_str()));
            labels += label + "\n";
        }
        const int rows = static_cast<int>(m_vItems.size());
        DrawMenuWindow(*font, kMenuX, kMenuY, 16 * (widest + 1), kRowHeight * rows);
        font->DrawText(&BackBuffer, kMenuX + 16, kMenuY, labels.c_str());
        const int32_t total = static_cast<int32_t>(run_fields::ShownTotal(g_PlaySession));
        if (screen_settings::ShowSaveMenuTotal(g_SystemData) && total > 0) {
            const std::string& label = V(g_SystemData.m_vText, kTotalLabel);
            const std::string digits = StrPrintf("%d", total);
            const int width =
                16 * (SjisCharCount(label.c_str()) + 1 + static_cast<int>(digits.size()) - 1);
            font->DrawTextBoxDefault(&BackBuffer, 320 - width / 2, 260, width, 16,
                                     (label + digits).c_str(), 0);
        }
    }
    PrepareMenuColors();
}

void cSaveMenuScene::OnMenu() {
    StepMenuCursor(kMenuX, kMenuY, kRowHeight, static_cast<int>(m_vItems.size()));
    const uint16_t buttons = MenuButtons();
    if (buttons & kDecide) {
        PlaySE(1);
        m_nState = V(m_vItems, g_CursorStack.Current().row) + kSave;
        m_nCounter = 0;
        g_CursorStack.PushLinkedEntry(0);
        return;
    }
    if (buttons & kCancel) {
        PlaySE(2);
        m_nState = kBack;
        return;
    }
    DrawScreen();
    const CursorEntry& c = g_CursorStack.Current();
    DrawSmallCursor(c.x, c.y);
}

void cSaveMenuScene::DrawSlots() {
    DDFillSurface(&BackBuffer, 16);
    DrawSlotListOnBackBuffer(MenuFont(kMenuFont), kListX, kListY, m_nTop, m_nVisible);
}

void cSaveMenuScene::OnSave() {
    const int total = static_cast<int>(g_SaveSlots.size());
    if (m_nCounter == kSaveOpen) {
        // The list opens on the slot saved to last (the first before any save).
        const int last = run_fields::LastSlot(g_PlaySession);
        g_CursorStack.Current() = CursorEntry();
        g_CursorStack.Current().row = std::clamp(last, 0, std::max(total - 1, 0));
        BuildSlotList(g_SaveSlots);
        m_nVisible = std::min(total, kListRows);
        m_nTop = g_CursorStack.Current().row;
        m_nCounter = kSaveList;
    }
    if (m_nCounter == kSaveList) {
        StepListCursor(&m_nTop, kListX, kListY, kRowHeight, m_nVisible, total);
        const uint16_t buttons = MenuButtons();
        if (buttons & kDecide) {
            PlaySE(1);
            g_CursorStack.PushLinkedEntry(0);
            g_CursorStack.Current().row = 1;
            m_nCounter = kSaveConfirm;
            return;
        }
        if (buttons & kCancel) {
            PlaySE(2);
            LeaveDialog();
            return;
        }
        DrawSlots();
        const CursorEntry& c = g_CursorStack.Current();
        DrawSmallCursor(c.x, c.y);
        return;
    }
    // The confirmation over the list, the slot marked where the list cursor stands.
    DrawSlots();
    if (const CursorEntry* slot = g_CursorStack.Previous()) DrawSmallCursor(slot->x, slot->y, 80);
    // The question's cursor is quiet: only its answers sound.
    RunChoiceBox(kSaveQuestion, 320, 400, 0);
    const uint16_t buttons = MenuButtons();
    if (!(buttons & (kDecide | kCancel))) return;
    if (buttons & kDecide) {
        if (g_CursorStack.Current().row == 0) {
            PlaySE(5);
            if (const CursorEntry* slot = g_CursorStack.Previous()) SaveRunToSlot(slot->row);
        } else {
            PlaySE(1);
        }
    } else {
        PlaySE(2);
    }
    g_CursorStack.PopLinkedEntry(1);
    m_nCounter = kSaveList;
}

void cSaveMenuScene::LeaveDialog() {
    ReturnToMenu(*this, kMenu);
}

void cSaveMenuScene::OnAutoSave() {
    if (m_nCounter == kAutoOpen) {
        g_CursorStack.Current() = CursorEntry();
        g_CursorStack.Current().row = run_fields::AutoSave(g_PlaySession) != 0 ? 0 : 1;
        m_nCounter = run_fields::LastSlot(g_PlaySession) < 0 ? kAutoNoSlot : kAutoAsk;
    }
    DrawScreen();
    const uint16_t buttons = MenuButtons();
    if (m_nCounter == kAutoNoSlot) {
        // Auto-save needs a slot to save into: until the run was saved once, only the
        // notice, and nothing changes.
        DrawTextBox(kNoSlotYet, 1, 320, 232, 0);
        if (buttons & kDecide) {
            PlaySE(1);
            LeaveDialog();
        } else if (buttons & kCancel) {
            PlaySE(2);
            LeaveDialog();
        }
        return;
    }
    RunChoiceBox(kAutoSaveQuestion, 320, 224, 0);
    if (buttons & kDecide) {
        PlaySE(1);
        if (g_CursorStack.Current().row == 0) {
            // Switched on before the save, so that the slot keeps the switch as chosen.
            run_fields::AutoSave(g_PlaySession) = 1;
            SaveRunToSlot(run_fields::LastSlot(g_PlaySession));
        } else {
            run_fields::AutoSave(g_PlaySession) = 0;
        }
        LeaveDialog();
    } else if (buttons & kCancel) {
        PlaySE(2);
        LeaveDialog();
    }
}

void cSaveMenuScene::OnBack() {
    g_SceneMgr.m_nNext = kSceneWorldMap;
    m_nState = kFadeOut;
}

void cSaveMenuScene::OnToTitle() {
    if (m_nCounter == 0) {
        g_CursorStack.Current() = CursorEntry();
        g_CursorStack.Current().row = 1;
        m_nCounter = 1;
    }
    DrawScreen();
    // The question is a quiet one: neither its cursor nor its answers sound.
    RunChoiceBox(kTitleQuestion, 320, 224, 0);
    const uint16_t buttons = MenuButtons();
    if ((buttons & kDecide) && g_CursorStack.Current().row == 0) {
        g_SceneMgr.m_nNext = kSceneTitle;
        m_nState = kFadeOut;
    } else if (buttons & (kDecide | kCancel)) {
        LeaveDialog();
    }
}

cSceneBase* NewSaveMenuScene() {
    return new (std::nothrow) cSaveMenuScene;
}
