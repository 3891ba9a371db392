// The challenge screen.
#include "app/challenge_scene.h"

#include <algorithm>
#include <new>

#include "app/app_window.h"
#include "app/menu.h"
#include "app/run_start.h"
#include "app/screen_settings.h"
#include "core/bounds.h"
#include "core/msgbox.h"
#include "core/strings.h"
#include "data/data_path.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_loader.h"
#include "data/system_data.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/font.h"
#include "media/sound/sound.h"
#include "platform/msg/msg.h"

using namespace screen_parts;

namespace {

constexpr int kChallengeSurfaces[] = {kCursorPicture, kWindowSkin};
constexpr int kChallengePrefix = 37;  // "data\stg4\c"
constexpr int kStageExtension = 1;
constexpr int kSmallFont = 1;
constexpr int kLargeFont = 2;
constexpr int kChallengeTitle = 2;  // the title item "チャレンジ"
constexpr int kNameLabel = 0;       // each challenge's name, followed by its number
constexpr int kHeadingLabel = 3;    // "ハイスコア"
constexpr int kTotalLabel = 4;      // "トータルスコア"

}  // namespace

std::string MakeFirstStageName(int n) {
    const std::string name =
        StrPrintf("%s%02d-1.%s", DataPath[kChallengePrefix], n, DataExt[kStageExtension]);
    g_PlaySession.SetStage(name, 0, 0, 0);
    return name;
}

cChallengeScene::cChallengeScene() {
    m_vStates = {&cSceneBase::FadeIn, static_cast<StateHandler>(&cChallengeScene::OnMenu),
                 &cSceneBase::FadeOut};
}

cChallengeScene::~cChallengeScene() {
    EndScreen(kChallengeSurfaces, &m_Screen);
}

void cChallengeScene::CountListed() {
    const int all = static_cast<int>(g_SystemData.ChallengeCount());
    const int reached = static_cast<int>(std::min<uint32_t>(
        run_fields::ChallengesReached(g_PlaySession), static_cast<uint32_t>(all)));
    m_nListed = screen_settings::ChallengesOpenAll(g_SystemData) ? all : reached;
    m_nVisible = std::clamp(m_nListed - m_nTop, 0, kListRows);
}

void cChallengeScene::Init() {
    m_bSurfaces = BeginScreen(kSceneChallenge, kChallengeSurfaces);
    // Back on the challenge chosen last, kept inside the list as it is now.
    m_nTop = std::max(g_SceneMgr.m_nChallengeTop, 0);
    CountListed();
    const int row = std::clamp(g_SceneMgr.m_nChallengeCursor, 0, std::max(m_nListed - 1, 0));
    m_nTop = std::clamp(std::min(m_nTop, std::max(m_nListed - kListRows, 0)),
                        std::max(row - kListRows + 1, 0), row);
    CountListed();
    CursorEntry& cursor = g_CursorStack.Current();
    cursor.row = row;
    cursor.x = kListX;
    cursor.y = kListY + (row - m_nTop) * kRowHeight;
    SelectRow();
    if (m_bSurfaces && !DDCreateSurface(&m_Screen, 640, 480, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0))
        platform::msg::PostMainWindow(WM_CLOSE);
    PaintScreen();
    m_nCounter = 0;
}

void cChallengeScene::SelectRow() {
    const std::string name = MakeFirstStageName(g_CursorStack.Current().row + 1);
    LoadStageRanking(kModeChallenge, name, 0, 0, 0);
}

void cChallengeScene::PaintScreen() {
    if (!DDDeviceSurface(&m_Screen)) return;
    DDFillSurface(&m_Screen, 16);
    if (Font* large = MenuFont(kLargeFont)) {
        const std::string& title = V(g_SystemData.m_vTitleMenu, kChallengeTitle).label;
        large->DrawText(&m_Screen, 320 - SjisCharCount(title.c_str()) * 32 / 2, 32, title.c_str());
        for (int i = 0; i < m_nVisible; ++i)
            large->DrawTextF(&m_Screen, 64, kListY + i * kRowHeight, "%s%d",
                             V(g_SystemData.m_vText, kNameLabel).c_str(), m_nTop + i + 1);
    }
    if (Font* small = MenuFont(kSmallFont)) {
        const int32_t total = static_cast<int32_t>(run_fields::ShownTotal(g_PlaySession));
        const bool scores = screen_settings::ShowChallengeScores(g_SystemData);
        if (scores && total > 0) {
            const std::string text =
                StrPrintf("%s%d", V(g_SystemData.m_vText, kTotalLabel).c_str(), total);
            small->DrawText(&m_Screen, CentredX(320, text), 88, text.c_str());
        }
        if (scores && run_fields::RankingView(g_PlaySession) == 0)
            small->DrawTextF(&m_Screen, 32, 128, "         %s",
                             V(g_SystemData.m_vText, kHeadingLabel).c_str());
    }
    if (m_nListed > 0) DrawStageRanking(&m_Screen, 292, 108, kModeChallenge);
    m_Screen.bRecreated = 0;
}

bool cChallengeScene::StartChallenge(int row) {
    const std::string name = MakeFirstStageName(row + 1);
    if (!LoadStageFile(name.c_str(), 1, &g_PlayStage)) {
        // The screen stays: another challenge may be there. A load cut short because the
        // program is closing says nothing.
        if (platform::msg::QuitPosted()) return false;
        PlaySE(3);
        ErrorBoxF("ステージファイル %s が読み込めません！", name.c_str());
        return false;
    }
    PlaySE(1);
    g_PlaySession.StageEntryIndex() = static_cast<uint32_t>(row + 1);
    g_PlaySession.m_nStage = 1;
    const RunLives lives = LivesOfMode(kModeChallenge);
    g_PlaySession.m_nStartLives = lives.start;
    g_PlaySession.m_nLives = lives.remaining;
    g_bCommandLineRun.store(false);
    g_bChallengeRun.store(true);
    return true;
}

void cChallengeScene::OnMenu() {
    CountListed();
    const uint16_t keys =
        StepListCursor(&m_nTop, kListX, kListY, kRowHeight, m_nVisible, m_nListed);
    bool repaint = false;
    if (keys != 0) {
        CountListed();
        SelectRow();
        repaint = true;
    }
    const uint16_t buttons = MenuButtons();
    if ((buttons & kDecide) && m_nListed > 0) {
        const int chosen = g_CursorStack.Current().row;
        if (StartChallenge(chosen)) {
            g_SceneMgr.m_nChallengeCursor = chosen;
            g_SceneMgr.m_nChallengeTop = m_nTop;
            g_SceneMgr.m_nNext = kSceneStagePlay;
            g_SceneMgr.m_nPrevious = kSceneChallenge;
            m_nState = kFadeOut;
            return;
        }
    } else if (buttons & kCancel) {
        PlaySE(2);
        g_SceneMgr.m_nNext = kSceneTitle;
        g_SceneMgr.m_nPrevious = kSceneChallenge;
        m_nState = kFadeOut;
        return;
    }
    if (SwitchRankingView(m_Edges.Pressed(buttons, kThird | kFourth), kModeChallenge))
        repaint = true;
    if (repaint) PaintScreen();
    DrawScreen();
    const CursorEntry& c = g_CursorStack.Current();
    if (m_bSurfaces) DrawArrowCursor(c.x, c.y);
}

void cChallengeScene::DrawScreen() {
    if (!m_bSurfaces) return;
    if (RestoreForRepaint(m_Screen)) PaintScreen();
    DDBltFast(&BackBuffer, 0, 0, 640, 480, &m_Screen, 0, 0, 0);
    PrepareMenuColors();
}

cSceneBase* NewChallengeScene() {
    return new (std::nothrow) cChallengeScene;
}
