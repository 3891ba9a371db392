// The map of the running stage: cells built at every stage start, lookups inside and
// outside the grid, and block summons placing, removing and toggling cells.
#include "play/map_grid.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "data/palette.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "objects/game_obj.h"
#include "objects/object_fakes.h"
#include "platform/win_types.h"
#include "support/data_record_fixture.h"

namespace {

// Objects standing in for the players and stage characters.
class Occupants : public MapOccupants {
  public:
    struct Entry {
        cGameObj obj;
        bool removed = false, active = true;
        int32_t grace = 0;
    };
    void Players(std::vector<CellOccupant>& out) override { Fill(players, out); }
    void StageCharas(std::vector<CellOccupant>& out) override { Fill(charas, out); }
    // A 20 x 20 body at (x, y).
    static Entry At(double x, double y) {
        Entry e;
        e.obj.m_dX = x, e.obj.m_dY = y, e.obj.m_dRight = x + 19, e.obj.m_dBottom = y + 19;
        e.obj.m_nMapValue = 0;
        return e;
    }
    // Lists of one object (a body cannot be assigned, only made anew).
    static void One(std::vector<Entry>& list, const Entry& e) {
        list.clear();
        list.push_back(e);
    }
    std::vector<Entry> players, charas;

  private:
    static void Fill(std::vector<Entry>& list, std::vector<CellOccupant>& out) {
        for (Entry& e : list) out.push_back({&e.obj, e.removed, e.active, &e.grace});
    }
};

cBlockDef Block(uint16_t cell, uint8_t contact = 1) {
    cBlockDef b;
    b.m_nCell = cell, b.m_nContact = contact, b.m_nPassValue = 255;
    return b;
}

class MapGridTest : public wftest::DataRecordTest {
  protected:
    void SetUp() override {
        DataRecordTest::SetUp();
        palette_ = g_CommonPalette.m_vBlocks;
        lockSwitch_ = g_SystemData.m_bCompat637;
        cBlockDef empty = Block(0, 0);
        empty.m_nItemIndex = 77;  // tells the common palette's empty block from others
        g_CommonPalette.m_vBlocks = {empty, Block(5)};
        stage.m_anSize[0] = 12, stage.m_anSize[3] = 5;
        for (const auto& [x, y, cell] : {std::tuple{0, 0, 3}, {11, 4, 4}, {12, 0, 9}, {-1, 2, 9}}) {
            cBlockDef& b = stage.m_vBlocks.emplace_back(Block(static_cast<uint16_t>(cell)));
            b.m_nX = static_cast<int16_t>(x), b.m_nY = static_cast<int16_t>(y);
        }
        map.Build(stage);
        map.SetOccupants(&occupants);
    }
    void TearDown() override {
        g_CommonPalette.m_vBlocks = palette_;
        g_SystemData.m_bCompat637 = lockSwitch_;
        DataRecordTest::TearDown();
    }
    // The cell under the stage block (bx, by).
    cMapCell& StageCell(int32_t bx, int32_t by) { return map.CellAt(bx + 10, by + 10); }
    // The placement point of that cell's top-left corner.
    void Summon(int32_t bx, int32_t by, BlockChange change, const cBlockDef& block) {
        map.SetBlockAt((bx + 10) * 32.0, (by + 10) * 32.0, change, block);
    }
    int ReportedFaults() {
        const std::string report = wftest::ReadText(dir.File("Report_Game.txt"));
        int n = 0;
        for (size_t at = report.find("err V["); at != std::string::npos;
             at = report.find("err V[", at + 1))
            ++n;
        return n;
    }

    cStage stage;
    MapGrid map;
    Occupants occupants;
    wftest::RecordingFlows flows;

  private:
    std::vector<cBlockDef> palette_;
    uint32_t lockSwitch_ = 0;
};

TEST_F(MapGridTest, EveryStageStartBuildsEveryCell) {
    EXPECT_EQ(std::make_tuple(map.Shift(), map.Columns(), map.Rows(), map.cells.size()),
              std::make_tuple(5, 32, 25, size_t{32 * 25}));
    EXPECT_EQ(StageCell(0, 0).m_nCell, 3);
    EXPECT_EQ(&StageCell(0, 0), &map.cells[(10 << 5) + 10]);
    EXPECT_EQ(StageCell(11, 4).m_nCell, 4);
    int placed = 0;  // the placements outside the stage are left out
    for (const cMapCell& c : map.cells) placed += c.m_nCell != 0;
    EXPECT_EQ(placed, 2);
    EXPECT_EQ(std::make_tuple(map.CellAt(0, 0).m_nItemIndex, map.CellAt(0, 0).m_nContact),
              std::make_tuple(uint16_t{77}, uint8_t{0}));
    EXPECT_EQ(&map.CellAtDots(10 * 32 + 31, 10 * 32), &StageCell(0, 0));

    // Whatever play did to the cells, the next start has them as the stage says.
    Summon(3, 3, {0, false, false}, Block(6));
    StageCell(0, 0).m_nMark = 4, StageCell(0, 0).m_bCondHeld = 1;
    map.m_ToggledCells = {1, 2};
    map.Build(stage);
    EXPECT_EQ(StageCell(3, 3).m_nCell, 0);
    EXPECT_EQ(std::make_tuple(StageCell(0, 0).m_nMark, StageCell(0, 0).m_bCondHeld),
              std::make_tuple(uint8_t{0}, 0u));
    EXPECT_TRUE(map.m_ToggledCells.empty());
}

TEST_F(MapGridTest, LookupsOutsideTheGridArePassable) {
    map.CellAt(0, 1) = map.CellAt(10, 10);  // a solid cell at the start of row 1
    const std::tuple<const char*, int32_t, int32_t> cases[] = {
        {"left of the border", -1, 10},
        {"past the row's end", 32, 0},
        {"above the map", 10, -1},
        {"below the map", 10, 25},
    };
    for (const auto& [name, column, row] : cases) {
        SCOPED_TRACE(name);
        cMapCell& cell = map.CellAt(column, row);
        EXPECT_EQ(std::make_tuple(cell.m_nCell, cell.m_nContact, cell.HasConds()),
                  std::make_tuple(uint16_t{0}, uint8_t{0}, false));
        EXPECT_EQ(GetEnabledFlag(cell, 0), 0);
        cell.m_nContact = 1;  // a caller writing into it changes no cell of the map
    }
    EXPECT_EQ(ReportedFaults(), 1);  // once per stage start
    EXPECT_EQ(posted.Count(WM_CLOSE), 0);
    map.Build(stage);
    map.CellAtDots(-1, 0);
    EXPECT_EQ(ReportedFaults(), 2);
}

TEST_F(MapGridTest, BlockSummonsPlaceRemoveAndRespectLocks) {
    struct Case {
        const char* name;
        uint16_t oldCell;
        uint8_t lock;
        bool condsHold;
        uint32_t lockEverywhere;
        BlockChange change;
        bool heroInside, charaInside, charaActive;
        uint16_t newCell;
        int32_t heroGrace, charaGrace;
    };
    const Case cases[] = {
        {"place onto the hero", 0, 0, true, 0, {0, false, false}, true, false, true, 6, 2, 0},
        {"refused by the hero", 2, 0, true, 0, {0, true, false}, true, false, true, 2, 2, 0},
        {"refuse for players only", 2, 0, true, 0, {0, true, false}, false, true, true, 6, 0, 2},
        {"refused by a character", 2, 0, true, 0, {0, false, true}, false, true, true, 2, 0, 2},
        {"an inactive character", 2, 0, true, 0, {0, false, true}, false, true, false, 6, 0, 0},
        {"remove", 2, 0, true, 0, {1, false, false}, false, false, true, 0, 0, 0},
        {"locked block stands", 2, 1, true, 0, {1, false, false}, false, false, true, 2, 0, 0},
        {"locked block whose conditions fail",
         2,
         1,
         false,
         0,
         {1, false, false},
         false,
         false,
         true,
         0,
         0,
         0},
        {"locked empty cell", 0, 1, true, 0, {0, false, false}, false, false, true, 6, 0, 0},
        {"lock everywhere", 0, 1, true, 1, {0, false, false}, false, false, true, 0, 0, 0},
        {"unknown mode", 2, 0, true, 0, {3, false, false}, false, false, true, 2, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        map.Build(stage);
        cMapCell& cell = StageCell(4, 2);
        AssignCell(cell, Block(c.oldCell));
        cell.m_bSummonProof = c.lock, cell.m_nMark = 9;
        if (c.oldCell != 0) cell.m_pConds = std::make_shared<cCellConds>(cCellConds{{cCond{}}});
        flows.cellConds = [&](cMapCell& asked) { return &asked != &cell || c.condsHold; };
        g_SystemData.m_bCompat637 = c.lockEverywhere;
        const double x = (4 + 10) * 32.0, y = (2 + 10) * 32.0;
        Occupants::One(occupants.players, Occupants::At(c.heroInside ? x + 5 : x + 40, y));
        Occupants::One(occupants.charas, Occupants::At(c.charaInside ? x - 10 : x - 40, y + 20));
        occupants.charas[0].active = c.charaActive;
        Summon(4, 2, c.change, Block(6));
        EXPECT_EQ(cell.m_nCell, c.newCell);
        EXPECT_EQ(cell.m_nMark, c.newCell == c.oldCell ? 9 : 0);
        if (c.change.mode == 1 && c.newCell == 0) {
            EXPECT_EQ(cell.m_nItemIndex, 77);  // the common palette's, not the stage's
        }
        EXPECT_EQ(std::make_tuple(occupants.players[0].grace, occupants.charas[0].grace),
                  std::make_tuple(c.heroGrace, c.charaGrace));
    }
}

TEST_F(MapGridTest, ToggleChangesACellOnceUntilTheListIsCleared) {
    const BlockChange toggle{2, false, false};
    Summon(5, 1, toggle, Block(6));
    EXPECT_EQ(StageCell(5, 1).m_nCell, 6);
    Summon(5, 1, toggle, Block(6));  // already toggled in this attempt
    EXPECT_EQ(StageCell(5, 1).m_nCell, 6);
    Summon(0, 0, toggle, Block(6));  // a standing block is taken away
    EXPECT_EQ(StageCell(0, 0).m_nCell, 0);
    EXPECT_EQ(map.m_ToggledCells.size(), 2u);
    map.ClearToggledCells();
    Summon(5, 1, toggle, Block(6));
    EXPECT_EQ(StageCell(5, 1).m_nCell, 0);

    Occupants::One(occupants.players, Occupants::At((7 + 10) * 32.0, (1 + 10) * 32.0));
    Summon(7, 1, {2, true, false}, Block(6));  // refused: not counted as toggled
    EXPECT_EQ(StageCell(7, 1).m_nCell, 0);
    EXPECT_EQ(map.m_ToggledCells.size(), 1u);
}

TEST_F(MapGridTest, PlacementPointsRoundToTheNearestCell) {
    const std::tuple<double, double, int32_t, int32_t> cases[] = {
        {15.4, 0.0, 0, 0}, {15.5, 0.0, 1, 0}, {0.0, 47.4, 0, 1}, {-17.0, 0.0, 0, 0},  // toward zero
    };
    for (const auto& [x, y, column, row] : cases) {
        SCOPED_TRACE(testing::Message() << x << ", " << y);
        map.Build(stage);
        map.SetBlockAt(x, y, {0, false, false}, Block(8));
        EXPECT_EQ(map.CellAt(column, row).m_nCell, 8);
    }
    map.Build(stage);
    map.SetBlockAt(-50.0, 0.0, {0, false, false}, Block(8));  // off the map: nothing
    for (const cMapCell& c : map.cells) EXPECT_NE(c.m_nCell, 8);
    EXPECT_EQ(ReportedFaults(), 1);
}

}  // namespace
