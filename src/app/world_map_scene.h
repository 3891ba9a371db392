// The world map (scene 1), the story mode's map: the hero stands at the screen centre
// while the map scrolls under it; walking onto a stage not yet cleared asks to enter it,
// and cancel opens the save menu.
#pragma once

#include <cstdint>
#include <string>

#include "app/menu.h"
#include "app/scene.h"
#include "app/screen_common.h"
#include "data/world_map.h"
#include "media/draw/dd_surface.h"

// ---- What a map point's record says -------------------------------------------------
// A point acts through its first stage record; a point without one is no point. The
// record's kind is its type (0 a stage, 1 a road, 2 not walkable); its free values hold
// the rest, in this order.
namespace map_point {

// The point's record, or null.
const cWorldMapRec* Record(const cWorldMapPoint* point);
// Row of the point picture the point is drawn from.
int32_t Graphic(const cWorldMapRec& rec);
// The entry of the run's cleared flags that records the stage as cleared.
int32_t FlagIndex(const cWorldMapRec& rec);
// Walkable past it without clearing it.
bool PassFlag(const cWorldMapRec& rec);
// A cleared stage may be entered again.
bool ReEnter(const cWorldMapRec& rec);

bool IsPointCleared(const cWorldMapRec& rec);
// Cleared, or walkable past without clearing.
bool IsPointPassed(const cWorldMapRec& rec);
// What the run stored for the point's stage (its best score), 0 before it was played.
int32_t StoredValue(const cWorldMapRec& rec);

}  // namespace map_point

class cWorldMapScene : public cSceneBase {
  public:
    enum State { kFadeIn = 0, kWalk = 1, kEnter = 2, kFadeOut = 3 };

    // The hero's cell is drawn here: the view's top-left cell is the hero's minus (9, 7).
    static constexpr int kHeroX = 288;
    static constexpr int kHeroY = 224;
    // Facings of the hero.
    enum Facing { kDown = 0, kUp = 1, kLeft = 2, kRight = 3 };

    cWorldMapScene();
    ~cWorldMapScene() override;
    cWorldMapScene(const cWorldMapScene&) = delete;
    cWorldMapScene& operator=(const cWorldMapScene&) = delete;

    void Init() override;
    void FadeIn() override;
    void OnWalk();
    void OnEnter();

    // One step by the direction bits (the first of left, right, up, down held wins),
    // kept on the map, refused onto a cell that is no place of the map (IsPlace: a wall
    // point, or a blocked cell without a point).
    // True when the hero stands on another cell.
    bool Step(uint16_t keys);

    // The hero's cell: the map's own cursor, under any question's cursor.
    int HeroX() const { return g_CursorStack.m_vEntries.front().column; }
    int HeroY() const { return g_CursorStack.m_vEntries.front().row; }
    int ViewX() const { return m_nViewX; }
    int ViewY() const { return m_nViewY; }
    int Facing() const { return m_nFacing; }
    int PointIndex() const { return m_nPoint; }
    int32_t InfoCounter() const { return m_nInfoCounter; }

  protected:
    void DrawScreen() override;

  private:
    static CursorEntry& HeroCursor() { return g_CursorStack.m_vEntries.front(); }
    void DrawMap(bool withInfo);
    void PaintMapSurface();
    void SetView();
    void FindHeroPoint();
    const cWorldMapRec* HeroRecord() const;
    void ShowPointInfo();
    void PutHeroOn(int x, int y);
    void StartMapStage();
    bool LoadPointStage();
    void AskToEnter();
    void AfterRankingKeys();

    int m_nViewX = 0;
    int m_nViewY = 0;
    int m_nPoint = -1;  // index of the point under the hero
    int m_nFacing = kDown;
    CursorEntry m_StepFrom;  // the cursor before the last step
    CursorEntry m_InfoAt;    // the cursor when the point's information was last shown
    int32_t m_nInfoCounter = 0;
    int m_nWalkFrame = 0;  // the hero's two frames, 80 frames round
    bool m_bStageLoaded = false;
    bool m_bSurfaces = false;
    screen_parts::ButtonEdges m_Edges;
    DDSURFACEDATA m_Map;
};

// The lives the map's box shows: the number, or "∞" for unlimited lives.
std::string MapLivesText(int32_t lives);

// Makes the world map for the scene table; null when there is no memory.
cSceneBase* NewWorldMapScene();
