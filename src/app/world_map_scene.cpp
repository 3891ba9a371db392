// The world map.
#include "app/world_map_scene.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>

#include "app/app_display.h"
#include "app/app_window.h"
#include "app/run_start.h"
#include "app/save_menu_scene.h"
#include "app/screen_settings.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/msgbox.h"
#include "core/paths.h"
#include "core/strings.h"
#include "data/builtin_tables.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_loader.h"
#include "data/system_data.h"
#include "data/world_map.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_sprite.h"
#include "media/draw/font.h"
#include "media/sound/sound.h"
#include "platform/msg/msg.h"

using namespace screen_parts;

namespace map_point {

namespace {
// The record's free values, by place.
constexpr int kGraphicValue = 0;
constexpr int kFlagValue = 1;
constexpr int kPassValue = 2;
constexpr int kReEnterValue = 3;
}  // namespace

const cWorldMapRec* Record(const cWorldMapPoint* point) {
    return point && !point->m_vRecs.empty() ? &point->m_vRecs.front() : nullptr;
}

int32_t Graphic(const cWorldMapRec& rec) {
    return rec.m_anRecValue[kGraphicValue];
}

int32_t FlagIndex(const cWorldMapRec& rec) {
    return rec.m_anRecValue[kFlagValue];
}

bool PassFlag(const cWorldMapRec& rec) {
    return rec.m_anRecValue[kPassValue] != 0;
}

bool ReEnter(const cWorldMapRec& rec) {
    return rec.m_anRecValue[kReEnterValue] != 0;
}

bool IsPointCleared(const cWorldMapRec& rec) {
    return run_fields::IsFlagSet(g_PlaySession, FlagIndex(rec));
}

bool IsPointPassed(const cWorldMapRec& rec) {
    return PassFlag(rec) || IsPointCleared(rec);
}

int32_t StoredValue(const cWorldMapRec& rec) {
    const cSaveName* entry =
        std::as_const(g_PlaySession)
            .FindStageEntry(rec.m_sStageFile, static_cast<uint32_t>(rec.m_bNumbered),
                            static_cast<uint32_t>(rec.m_nCourse1),
                            static_cast<uint32_t>(rec.m_nCourse2));
    return entry ? static_cast<int32_t>(entry->m_nValue) : 0;
}

}  // namespace map_point

namespace {

constexpr int kStrip = 54;
constexpr int kMapChips = 52;
constexpr int kMapPoints = 53;
constexpr int kMapSurfaces[] = {kStrip,         kMapChips,   kMapPoints,
                                kCursorPicture, kWindowSkin, kWorldMapBackground};
constexpr int kCell = 32;
constexpr int kViewColumns = 20;
constexpr int kViewRows = 15;
constexpr int kInfoFont = 1;
constexpr int kEnterQuestion = 10;  // "ステージに挑む" / "やっぱりやめる"
constexpr int kScoreLabel = 2;      // "スコア"
constexpr int kInfoY = 392;
constexpr int kWalkFrames = 80;

enum EnterStep { kEnterLoad = 0, kEnterAsk = 1 };

int32_t CellType(int x, int y) {
    return g_WorldMapData.CellType(x, y);
}

bool CellBlocked(int x, int y) {
    return g_WorldMapData.CellBlocked(x, y);
}

cWorldMapPoint* PointAt(int x, int y, int* index) {
    cWorldMapPoint* point = g_WorldMapData.FindPoint(x, y);
    if (index) *index = point ? static_cast<int>(point - g_WorldMapData.m_vPoints.data()) : -1;
    return point;
}

// A load cut short because the program is closing is no fault of the file: nothing is
// said then.
void StageLoadFailed(const std::string& path) {
    if (platform::msg::QuitPosted()) return;
    ErrorBoxF("ステージファイル %s が読み込めません！", path.c_str());
}

}  // namespace

cWorldMapScene::cWorldMapScene() {
    m_vStates = {static_cast<StateHandler>(&cWorldMapScene::FadeIn),
                 static_cast<StateHandler>(&cWorldMapScene::OnWalk),
                 static_cast<StateHandler>(&cWorldMapScene::OnEnter), &cSceneBase::FadeOut};
}

cWorldMapScene::~cWorldMapScene() {
    EndScreen(kMapSurfaces, &m_Map);
}

void cWorldMapScene::Init() {
    const cWorldMapData& map = g_WorldMapData;
    // The background picture is the map's own, named before the pictures are made.
    SetRuntimeBitmapFile(kWorldMapBackground,
                         map.m_bBackPicture != 0 ? map.m_sBackPictureFile.c_str() : "");
    m_bSurfaces = BeginScreen(kSceneWorldMap, kMapSurfaces);

    // A cell off the map (a save of another map) puts the hero on the start cell.
    int x = static_cast<int>(g_PlaySession.m_nMapX), y = static_cast<int>(g_PlaySession.m_nMapY);
    if (x < 0 || y < 0 || x >= map.m_nWidth || y >= map.m_nHeight) {
        x = map.m_nStartX;
        y = map.m_nStartY;
    }
    CursorEntry& cursor = HeroCursor();
    cursor = {x, y, kHeroX, kHeroY};
    SetView();
    m_nFacing = static_cast<int>(std::min<uint32_t>(run_fields::MapFacing(g_PlaySession), 3));
    // The cell the hero came from, where a refused stage sends it back.
    m_StepFrom = cursor;
    const int prevX = static_cast<int>(run_fields::PrevMapX(g_PlaySession));
    const int prevY = static_cast<int>(run_fields::PrevMapY(g_PlaySession));
    if (prevX >= 0 && prevY >= 0 && prevX < map.m_nWidth && prevY < map.m_nHeight) {
        m_StepFrom.column = prevX;
        m_StepFrom.row = prevY;
    }
    FindHeroPoint();
    m_InfoAt = cursor;
    ShowPointInfo();

    // Back from a stage with auto-save on: the run is saved where it was saved last. A
    // run never saved has no slot, and nothing is written.
    if (run_fields::AutoSave(g_PlaySession) != 0 && g_SceneMgr.m_nPrevious == kSceneStagePlay &&
        run_fields::LastSlot(g_PlaySession) >= 0)
        SaveRunToSlot(run_fields::LastSlot(g_PlaySession));

    if (m_bSurfaces && !DDCreateSurface(&m_Map, 640, 480, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0))
        platform::msg::PostMainWindow(WM_CLOSE);
    PaintMapSurface();
    m_nCounter = 0;
}

void cWorldMapScene::SetView() {
    m_nViewX = HeroCursor().column - 9;
    m_nViewY = HeroCursor().row - 7;
}

void cWorldMapScene::FindHeroPoint() {
    PointAt(HeroX(), HeroY(), &m_nPoint);
}

const cWorldMapRec* cWorldMapScene::HeroRecord() const {
    if (m_nPoint < 0 || static_cast<size_t>(m_nPoint) >= g_WorldMapData.m_vPoints.size())
        return nullptr;
    return map_point::Record(&g_WorldMapData.m_vPoints[static_cast<size_t>(m_nPoint)]);
}

void cWorldMapScene::ShowPointInfo() {
    const cWorldMapRec* rec = HeroRecord();
    const bool stage = rec && rec->m_nKind == map_point::kStage;
    m_nInfoCounter = stage ? map_point::StoredValue(*rec) : 0;
    if (stage) {
        std::string name = rec->m_sStageFile;
        MakeRelativePathStr(name);
        LoadStageRanking(kModeStory, name, static_cast<uint32_t>(rec->m_bNumbered),
                         static_cast<uint32_t>(rec->m_nCourse1),
                         static_cast<uint32_t>(rec->m_nCourse2));
    }
}

void cWorldMapScene::PutHeroOn(int x, int y) {
    CursorEntry& cursor = HeroCursor();
    cursor.column = x;
    cursor.row = y;
    g_PlaySession.m_nMapX = static_cast<uint32_t>(x);
    g_PlaySession.m_nMapY = static_cast<uint32_t>(y);
    const int viewX = m_nViewX, viewY = m_nViewY;
    SetView();
    if (viewX != m_nViewX || viewY != m_nViewY) PaintMapSurface();
    FindHeroPoint();
}

void cWorldMapScene::PaintMapSurface() {
    if (!DDDeviceSurface(&m_Map)) return;
    const cWorldMapData& map = g_WorldMapData;
    DDFillSurface(&m_Map, static_cast<uint32_t>(map.m_nBackColor));
    DDSURFACEDATA* back = BuiltinSurface(kWorldMapBackground);
    if (map.m_bBackPicture != 0 && DDDeviceSurface(back)) {
        // A view reaching past the map's top or left moves the picture instead.
        const int sx = m_nViewX * kCell, sy = m_nViewY * kCell;
        DDBltFast(&m_Map, std::max(-sx, 0), std::max(-sy, 0), 640, 480, back, std::max(sx, 0),
                  std::max(sy, 0), 0);
    }
    // Without the chip picture the cells a hero can walk are marked plainly: a dot of the
    // road on each, in the plain colour that reads over the map's colour; the blocked ones
    // are left bare.
    DDSURFACEDATA* chips = BuiltinSurface(kMapChips);
    const bool chipPicture = HasPicture(chips);
    const PlainColours plain = ScreenColours();
    const uint32_t road = PlainColourOver(plain, static_cast<uint32_t>(map.m_nBackColor));
    if (lpDTCon && chipPicture) D3DSpriteBatchBegin(0);
    for (int row = 0; row < kViewRows; ++row)
        for (int column = 0; column < kViewColumns; ++column) {
            const int x = m_nViewX + column, y = m_nViewY + row;
            const int32_t type = CellType(x, y);
            if (type < 0 || static_cast<size_t>(type) >= map.m_vCellTypes.size()) continue;
            const int32_t n = map.m_vCellTypes[static_cast<size_t>(type)].m_nGraphic;
            if (chipPicture && n >= 0)
                DDBltFast(&m_Map, column * kCell, row * kCell, kCell, kCell, chips, (n % 5) * kCell,
                          (n / 5) * kCell, 1);
            else if (!chipPicture && !CellBlocked(x, y))
                DDFillRect(&m_Map, column * kCell + 13, row * kCell + 13, 6, 6, road);
        }
    if (lpDTCon && chipPicture) D3DSpriteBatchEnd();
    // The points, or plain squares: open ones hollow, cleared ones filled.
    DDSURFACEDATA* points = BuiltinSurface(kMapPoints);
    const bool pointPicture = HasPicture(points);
    if (lpDTCon && pointPicture) D3DSpriteBatchBegin(0);
    for (const cWorldMapPoint& point : map.m_vPoints) {
        const cWorldMapRec* rec = map_point::Record(&point);
        if (!rec) continue;
        const int column = point.m_nX - m_nViewX, row = point.m_nY - m_nViewY;
        if (column < 0 || row < 0 || column >= kViewColumns || row >= kViewRows) continue;
        const bool cleared = map_point::IsPointCleared(*rec);
        DrawCellOrPlain(&m_Map, column * kCell, row * kCell, kCell, kCell, points,
                        cleared ? kCell : 0, map_point::Graphic(*rec) * kCell,
                        cleared ? PlainShape::FilledSquare : PlainShape::Square, plain);
    }
    if (lpDTCon && pointPicture) D3DSpriteBatchEnd();
    m_Map.bRecreated = 0;
}

bool cWorldMapScene::Step(uint16_t keys) {
    static constexpr struct {
        uint16_t bit;
        int facing, dx, dy;
    } kMoves[] = {{kKeyLeft, kLeft, -1, 0},
                  {kKeyRight, kRight, 1, 0},
                  {kKeyUp, kUp, 0, -1},
                  {kKeyDown, kDown, 0, 1}};
    const auto move = std::find_if(std::begin(kMoves), std::end(kMoves),
                                   [keys](const auto& m) { return (keys & m.bit) != 0; });
    if (move == std::end(kMoves)) return false;
    CursorEntry& cursor = HeroCursor();
    m_StepFrom = cursor;
    run_fields::PrevMapX(g_PlaySession) = static_cast<uint32_t>(cursor.column);
    run_fields::PrevMapY(g_PlaySession) = static_cast<uint32_t>(cursor.row);
    m_nFacing = move->facing;
    const int x = std::clamp(cursor.column + move->dx, 0, std::max(g_WorldMapData.m_nWidth - 1, 0));
    const int y = std::clamp(cursor.row + move->dy, 0, std::max(g_WorldMapData.m_nHeight - 1, 0));
    if (x == cursor.column && y == cursor.row) {
        // Held at the map's edge the hero stays on its cell but turns, and keeps that
        // facing as after a step: a visit to the save menu shows it as it was left.
        run_fields::MapFacing(g_PlaySession) = static_cast<uint32_t>(m_nFacing);
        return false;
    }
    if (!g_WorldMapData.IsPlace(x, y)) return false;
    run_fields::MapFacing(g_PlaySession) = static_cast<uint32_t>(m_nFacing);
    PutHeroOn(x, y);
    return true;
}

void cWorldMapScene::FadeIn() {
    const bool stepBack = g_PlaySession.ReturnedToMap() != 0;
    DrawMap(!stepBack);
    const SceneFades& fades = GetSceneFades();
    if (!(fades.fadeIn ? fades.fadeIn : &ScreenFadeIn)(g_nFadeSpeed)) return;
    m_nState = kWalk;
    const cWorldMapRec* rec = HeroRecord();
    if (!rec || rec->m_nKind != map_point::kStage) return;
    if (stepBack) {
        // Back from stage play's own menus: an uncleared stage is left from where the hero
        // came.
        g_PlaySession.ReturnedToMap() = 0;
        if (!map_point::IsPointCleared(*rec)) {
            PutHeroOn(m_StepFrom.column, m_StepFrom.row);
            m_InfoAt = HeroCursor();
            ShowPointInfo();
        }
        return;
    }
    if (g_SceneMgr.m_nPrevious == kSceneSaveMenu || map_point::IsPointPassed(*rec)) return;
    // Standing on a stage never cleared starts it without a question.
    if (!LoadStageFile(rec->m_sStageFile.c_str(), 1, &g_PlayStage)) {
        StageLoadFailed(rec->m_sStageFile);
        platform::msg::PostMainWindow(WM_CLOSE);
        return;
    }
    StartMapStage();
    run_fields::PrevMapX(g_PlaySession) = static_cast<uint32_t>(HeroX());
    run_fields::PrevMapY(g_PlaySession) = static_cast<uint32_t>(HeroY());
    m_nCounter = 0;
    g_SceneMgr.m_nNext = kSceneStagePlay;
    m_nState = kFadeOut;
}

void cWorldMapScene::StartMapStage() {
    const cWorldMapRec* rec = HeroRecord();
    if (!rec) return;
    run_fields::MapPoint(g_PlaySession) = static_cast<uint32_t>(m_nPoint);
    std::string name = rec->m_sStageFile;
    MakeRelativePathStr(name);
    g_PlaySession.SetStage(name, static_cast<uint32_t>(rec->m_bNumbered),
                           static_cast<uint32_t>(rec->m_nCourse1),
                           static_cast<uint32_t>(rec->m_nCourse2));
    g_PlaySession.StageEntryIndex() = static_cast<uint32_t>(map_point::FlagIndex(*rec));
    // The stage number the banner shows and a "next stage" clear counts on from: a point
    // of a numbered course enters the course at its own stage (its "c01-3" is stage 3, and
    // its next stage "c01-4"), any other point at stage 1.
    g_PlaySession.m_nStage =
        rec->m_bNumbered != 0 && rec->m_nCourse2 > 0 ? static_cast<uint32_t>(rec->m_nCourse2) : 1;
    if (screen_settings::CarryLives(g_SystemData)) {
        if (V(g_SystemData.m_vUnlimitedLives, kModeStory) != 0)
            g_PlaySession.m_nStartLives = g_PlaySession.m_nLives = kUnlimited;
        else
            g_PlaySession.m_nStartLives = g_PlaySession.m_nLives + 1;
    } else {
        const RunLives lives = LivesOfMode(kModeStory);
        g_PlaySession.m_nStartLives = lives.start;
        g_PlaySession.m_nLives = lives.remaining;
    }
    g_bChallengeRun.store(false);
}

void cWorldMapScene::AskToEnter() {
    g_PlaySession.m_nMapX = static_cast<uint32_t>(HeroX());
    g_PlaySession.m_nMapY = static_cast<uint32_t>(HeroY());
    g_CursorStack.PushLinkedEntry(0);
    m_nCounter = kEnterLoad;
    m_nState = kEnter;
}

void cWorldMapScene::AfterRankingKeys() {
    if (SwitchRankingView(m_Edges.Pressed(MenuButtons(), kThird | kFourth), kModeStory))
        ShowPointInfo();
}

void cWorldMapScene::OnWalk() {
    const uint16_t keys = MenuKeys();
    if (Step(keys)) PlayCursorSound(keys, 3, kCursorSound);
    const cWorldMapRec* rec = HeroRecord();
    const bool onStage = rec && rec->m_nKind == map_point::kStage;
    if (onStage) {
        const CursorEntry& cursor = HeroCursor();
        // Arriving at a stage that bars the way asks at once. Asked once an arrival: a
        // hero that could not be sent back is not asked again and again.
        if (cursor.column != m_InfoAt.column || cursor.row != m_InfoAt.row) {
            ShowPointInfo();
            m_InfoAt = cursor;
            if (!map_point::IsPointPassed(*rec)) {
                AskToEnter();
                return;
            }
        }
    }
    const uint16_t buttons = MenuButtons();
    if ((buttons & kDecide) && onStage) {
        // A cleared stage is entered again only when its point allows it.
        if (map_point::ReEnter(*rec) || !map_point::IsPointCleared(*rec)) {
            AskToEnter();
            return;
        }
    }
    AfterRankingKeys();
    if (buttons & kCancel) {
        PlaySE(4);
        g_PlaySession.m_nMapX = static_cast<uint32_t>(HeroX());
        g_PlaySession.m_nMapY = static_cast<uint32_t>(HeroY());
        m_nCounter = 0;
        g_SceneMgr.m_nNext = kSceneSaveMenu;
        m_nState = kFadeOut;
        return;
    }
    DrawScreen();
}

bool cWorldMapScene::LoadPointStage() {
    const cWorldMapRec* rec = HeroRecord();
    if (!rec) return false;
    if (LoadStageFile(rec->m_sStageFile.c_str(), 1, &g_PlayStage)) return true;
    StageLoadFailed(rec->m_sStageFile);
    return false;
}

void cWorldMapScene::OnEnter() {
    if (m_nCounter == kEnterLoad) {
        PlaySE(1);
        m_bStageLoaded = LoadPointStage();
        g_CursorStack.Current() = CursorEntry();
        g_CursorStack.Current().row = 1;
        m_nCounter = kEnterAsk;
    }
    DrawScreen();
    RunChoiceBox(kEnterQuestion, 304, 260);
    AfterRankingKeys();
    const uint16_t buttons = MenuButtons();
    if (!(buttons & (kDecide | kCancel))) return;
    const bool enter = (buttons & kDecide) && g_CursorStack.Current().row == 0;
    g_CursorStack.PopLinkedEntry(1);
    if (enter && m_bStageLoaded) {
        run_fields::MapPointCounter(g_PlaySession) = static_cast<uint32_t>(m_nInfoCounter);
        StartMapStage();
        m_nCounter = 0;
        g_SceneMgr.m_nNext = kSceneStagePlay;
        m_nState = kFadeOut;
        return;
    }
    if (buttons & kCancel) PlaySE(2);
    // Refused: a stage that bars the way sends the hero back to where it came from; at a
    // point it may pass, it stays.
    const cWorldMapRec* rec = HeroRecord();
    if (rec && !map_point::IsPointPassed(*rec)) {
        PutHeroOn(m_StepFrom.column, m_StepFrom.row);
        m_InfoAt = HeroCursor();
        ShowPointInfo();
    }
    m_nState = kWalk;
}

void cWorldMapScene::DrawScreen() {
    DrawMap(true);
}

void cWorldMapScene::DrawMap(bool withInfo) {
    if (!m_bSurfaces) return;
    if (RestoreForRepaint(m_Map)) PaintMapSurface();
    DDBltFast(&BackBuffer, 0, 0, 640, 480, &m_Map, 0, 0, 0);

    // The hero by facing, its second frame in the last 40 of every 80 frames.
    static constexpr int kHeroCells[4][2] = {{0, 64}, {64, 64}, {64, 96}, {0, 96}};
    const int* cell = kHeroCells[std::clamp(m_nFacing, 0, 3)];
    const int frame = m_nWalkFrame >= kWalkFrames / 2 ? kCell : 0;
    m_nWalkFrame = (m_nWalkFrame + 1) % kWalkFrames;
    DrawCellOrPlain(&BackBuffer, kHeroX, kHeroY, kCell, kCell, BuiltinSurface(kCursorPicture),
                    cell[0] + frame, cell[1], PlainShape::Diamond, ScreenColours());

    Font* font = MenuFont(kInfoFont);
    if (font && screen_settings::ShowMapLives(g_SystemData)) {
        const std::string lives = MapLivesText(g_PlaySession.m_nLives);
        int width = 0, height = 0;
        font->MeasureText(lives.c_str(), width, height);
        const int x = 621 - width;
        font->DrawFrameBox(&BackBuffer, x - 24, 17, width + 28, 20);
        DrawCellOrPlain(&BackBuffer, x - 20, 19, 16, 16, BuiltinSurface(kCursorPicture), 0, 48,
                        PlainShape::FilledSquare, ScreenColours());
        font->DrawText(&BackBuffer, x, 19, lives.c_str());
    }
    if (const cWorldMapRec* shown = HeroRecord(); shown && shown->m_nKind == map_point::kStage)
        DrawStageRanking(&BackBuffer, 367, 64, kModeStory);

    // The point's box tells what the run has of its stage: a stage not played yet (its
    // counter 0) has none.
    const cWorldMapRec* rec = HeroRecord();
    if (font && withInfo && rec && rec->m_nKind == map_point::kStage &&
        screen_settings::ShowPointInfo(g_SystemData) && m_nInfoCounter > 0) {
        const std::string& name = V(g_WorldMapData.m_vPoints, m_nPoint).m_sName;
        std::string text = name;
        if (screen_settings::ShowPointScore(g_SystemData))
            text +=
                StrPrintf("\n%s%d", V(g_SystemData.m_vText, kScoreLabel).c_str(), m_nInfoCounter);
        int width = 0, height = 0;
        font->MeasureText(text.c_str(), width, height);
        width += 32;
        font->DrawTextBoxDefault(&BackBuffer, 304 - width / 2, kInfoY, width, height + 8,
                                 text.c_str(), 16);
    }
    PrepareMenuColors();
}

std::string MapLivesText(int32_t lives) {
    return lives == kUnlimited ? std::string("∞") : StrPrintf("%d", lives);
}

cSceneBase* NewWorldMapScene() {
    return new (std::nothrow) cWorldMapScene;
}
