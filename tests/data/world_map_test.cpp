// The world map file: its layout, the grid resize, the clean-up after loading and the
// stage lookup of the run state.
#include "data/world_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

#include "support/data_record_fixture.h"
#include "fixtures/stage_writer.h"

namespace {

using wftest::ByteBuilder;
using wftest::DataRecordTest;

class WorldMapTest : public DataRecordTest {};

// A 3 x 2 map at 770: one cell type, the 8 cells of 2 rows of pitch 4, one point with one
// record, an empty second point list.
std::vector<uint8_t> SmallMapFile() {
    ByteBuilder b;
    b.U32(770);
    b.U32(8).I32(3).I32(2).I32(4).I32(2).I32(1).I32(1).I32(16).I32(0);
    b.U32(2).Str("W").Str("");
    b.U32(1);  // cell types
    b.U32(3).I32(5).I32(1).I32(7).U32(2).Str("a").Str("");
    b.U32(8);  // grid
    for (uint32_t c = 0; c < 8; ++c) b.U32(c * 3);
    b.U32(1);  // points
    b.U32(2).I32(1).I32(0).U32(1).Str("P");
    b.U32(1);  // its records
    b.U32(15).I32(0);
    for (int32_t v = 1; v <= 9; ++v) b.I32(v);
    b.I32(10).I32(11).I32(1).I32(2).I32(3);
    b.U32(2).Str("R").Str("s-1.stg4");
    b.U32(0);  // second point list
    return b.Bytes();
}

TEST_F(WorldMapTest, LoadsAndSavesTheFileByteForByte) {
    const std::vector<uint8_t> file = SmallMapFile();
    cWorldMapData map;
    ASSERT_TRUE(LoadRecord(file, map));
    EXPECT_EQ(std::make_tuple(map.m_nWidth, map.m_nPitchShift, map.m_sName),
              std::make_tuple(3, 2, "W"));
    ASSERT_EQ(map.m_vCellTypes.size(), 1u);
    EXPECT_EQ(map.m_vCellTypes[0].m_nGraphic, 7);
    EXPECT_EQ(map.m_vCellTypes[0].m_sEntryText, "a");
    ASSERT_EQ(map.m_vGrid.size(), 8u);
    EXPECT_EQ(map.m_vGrid[5], 15u);
    ASSERT_EQ(map.m_vPoints.size(), 1u);
    ASSERT_EQ(map.m_vPoints[0].m_vRecs.size(), 1u);
    const cWorldMapRec& rec = map.m_vPoints[0].m_vRecs[0];
    EXPECT_EQ(
        std::make_tuple(rec.m_anRecValue[8], rec.m_nRecValue10, rec.m_nCourse2, rec.m_sStageFile),
        std::make_tuple(9, 11, 3, "s-1.stg4"));
    EXPECT_TRUE(map.m_vPoints2.empty());
    EXPECT_EQ(Saved(map), file);
}

TEST_F(WorldMapTest, OlderRecordsLackTheirLaterFields) {
    // Files before 209 lack the eleventh value (it becomes 0); before 758 the course
    // numbering (a fresh record's 0).
    const struct {
        uint32_t version;
        int32_t fields;
        int32_t value10, numbered;
    } cases[] = {{208, 11, 0, 0}, {209, 12, 11, 0}, {757, 12, 11, 0}, {758, 15, 11, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        ByteBuilder b;
        b.U32(c.version).U32(1).U32(c.fields);
        for (int32_t i = 0; i < c.fields; ++i) b.I32(i + 1);
        b.U32(2).Str("R").Str("x.stg4");
        std::vector<cWorldMapRec> recs;
        ASSERT_TRUE(LoadBytes(b.Bytes(), [&](FILE* fp) {
            ByteReader in(fp);
            return ReadList(in, recs);
        }));
        ASSERT_EQ(recs.size(), 1u);
        EXPECT_EQ(std::make_tuple(recs[0].m_nRecValue9, recs[0].m_nRecValue10, recs[0].m_bNumbered,
                                  recs[0].m_sStageFile),
                  std::make_tuple(11, c.value10 ? 12 : 0, c.numbered ? 13 : 0, "x.stg4"));
    }
}

TEST_F(WorldMapTest, DamagedFileLeavesTheMapAsItWas) {
    std::vector<uint8_t> file = SmallMapFile();
    file.resize(file.size() - 20);  // cut inside the point's record
    cWorldMapData map;
    map.m_sName = "before";
    EXPECT_FALSE(LoadRecord(file, map));
    EXPECT_EQ(std::make_tuple(map.m_sName, map.m_nWidth, map.m_vGrid.size()),
              std::make_tuple("before", 20, 480u));
}

TEST(WorldMap, NewMapHasTheEditorsDefaults) {
    cWorldMapData map;
    EXPECT_EQ(map.m_sName, "\x83\x8f\x81\x5b\x83\x8b\x83\x68");  // ワールド
    EXPECT_EQ(std::make_tuple(map.m_nWidth, map.m_nHeight, map.m_nPitch, map.m_nStartX,
                              map.m_nStartY, map.m_nBackColor),
              std::make_tuple(20, 15, 32, 9, 7, 16));
    ASSERT_EQ(map.m_vCellTypes.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        const cWorldMapEntry& e = map.m_vCellTypes[static_cast<size_t>(i)];
        EXPECT_EQ(std::make_tuple(e.m_nGraphic, e.m_bBlocked), std::make_tuple(i, i < 5 ? 1 : 0));
        EXPECT_EQ(e.m_sLabel, i < 5 ? "\x92\xca\x8d\x73\x95\x73\x89\xc2"  // 通行不可
                                    : "\x92\xca\x8d\x73\x89\xc2");        // 通行可
    }
    EXPECT_EQ(map.m_vGrid.size(), 480u);
    ASSERT_EQ(map.m_vPoints.size(), 1u);
    EXPECT_EQ(map.m_vPoints[0].m_sName, "\x83\x66\x83\x74\x83\x48\x83\x8b\x83\x67");  // デフォルト
}

TEST(WorldMap, SetSizeKeepsTheSharedCells) {
    const struct {
        int32_t width, height;
        uint32_t result;
        int32_t pitch, shift;
    } cases[] = {
        {20, 15, 1, 32, 5}, {16, 4, 1, 16, 4}, {17, 2, 1, 32, 5},
        {1, 1, 1, 1, 0},    {0, 5, 0, 0, 0},   {5, -1, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        cWorldMapData map;
        map.m_vGrid.clear();
        map.m_nWidth = map.m_nHeight = map.m_nPitch = map.m_nPitchShift = 0;
        EXPECT_EQ(map.SetSize(c.width, c.height), c.result);
        EXPECT_EQ(map.m_nPitch, c.pitch);
        EXPECT_EQ(map.m_nPitchShift, c.shift);
        EXPECT_EQ(map.m_vGrid.size(), c.result ? static_cast<size_t>(c.height * c.pitch) : 0u);
    }

    // 20 x 15 numbered cells, then 10 x 20: the left 10 columns of the first 15 rows stay.
    cWorldMapData map;
    for (int32_t y = 0; y < 15; ++y)
        for (int32_t x = 0; x < 20; ++x) map.m_vGrid[static_cast<size_t>(y * 32 + x)] = 100 * y + x;
    ASSERT_EQ(map.SetSize(10, 20), 1u);
    EXPECT_EQ(map.m_nPitch, 16);
    ASSERT_EQ(map.m_vGrid.size(), 320u);
    for (int32_t y = 0; y < 20; ++y) {
        for (int32_t x = 0; x < 16; ++x) {
            const uint32_t expected = (y < 15 && x < 10) ? static_cast<uint32_t>(100 * y + x) : 0;
            EXPECT_EQ(map.m_vGrid[static_cast<size_t>(y * 16 + x)], expected) << x << "," << y;
        }
    }
}

TEST(WorldMap, ValidateDropsPointsBeyondTheGrid) {
    cWorldMapData map;  // 20 x 15
    map.m_vPoints.assign(5, cWorldMapPoint());
    const int32_t at[5][2] = {{1, 1}, {20, 3}, {3, 15}, {-1, 3}, {19, 14}};
    for (size_t i = 0; i < 5; ++i) {
        map.m_vPoints[i].m_nX = at[i][0], map.m_vPoints[i].m_nY = at[i][1];
    }
    map.m_vPoints2.assign(1, cWorldMapPoint());
    map.m_vPoints2[0].m_nX = 50, map.m_nStartX = 25, map.m_nStartY = 3;
    map.Validate();
    // Two neighbours outside: the second is examined at the index the first left.
    ASSERT_EQ(map.m_vPoints.size(), 3u);
    EXPECT_EQ(map.m_vPoints[0].m_nX, 1);
    EXPECT_EQ(map.m_vPoints[1].m_nX, -1);  // only the far edges drop a point
    EXPECT_EQ(
        std::make_tuple(map.m_vPoints[2].m_nX, map.m_vPoints2.size(), map.m_nStartX, map.m_nStartY),
        std::make_tuple(19, 1u, 19, 3));

    EXPECT_EQ(map.FindPoint(19, 14), &map.m_vPoints[2]);
    EXPECT_EQ(map.FindPoint(20, 3), nullptr);
}

TEST(WorldMap, ValidateTakesADamagedFilesSmallestSizeWithoutOverflow) {
    cWorldMapData map;
    map.m_nWidth = map.m_nHeight = INT32_MIN;  // as a damaged file may hold them
    map.Validate();
    EXPECT_EQ(std::make_pair(map.m_nStartX, map.m_nStartY), std::make_pair(INT32_MIN, INT32_MIN));
}

TEST(WorldMap, CheckStageEntryMatchesNameAndCourse) {
    cWorldMapData map;
    map.m_vPoints.assign(2, cWorldMapPoint());
    auto addRec = [&](size_t point, int32_t kind, const char* file, int32_t numbered, int32_t c1,
                      int32_t c2) {
        cWorldMapRec rec;
        rec.m_nKind = kind, rec.m_sStageFile = file, rec.m_bNumbered = numbered;
        rec.m_nCourse1 = c1, rec.m_nCourse2 = c2;
        map.m_vPoints[point].m_vRecs.push_back(rec);
    };
    addRec(0, 1, "road-1.stg4", 0, 0, 0);  // not a stage entry
    addRec(0, 0, "stage03-1.stg4", 0, 0, 0);
    addRec(1, 0, "extra.stg4", 0, 0, 0);
    addRec(1, 0, "course-1.stg4", 1, 2, 5);
    addRec(1, 0, "a-1b-1.stg4", 0, 0, 0);

    struct Case {
        const char* name;
        uint32_t numbered;
        int32_t c1, c2;
        uint32_t expected;
    };
    const Case cases[] = {
        {"stage03.", 0, 0, 0, 1}, {"stage03", 0, 0, 0, 0},  // the dot belongs to the name
        {"STAGE03.", 0, 0, 0, 0},                           // case-sensitive
        {"stage03.", 1, 0, 0, 0},                           // the record is not numbered
        {"extra.", 0, 0, 0, 1},                             // no "-1": a dot appended
        {"road.", 0, 0, 0, 0},                              // kind 1 is a road
        {"course.", 1, 2, 5, 1},  {"course.", 1, 2, 6, 0},
        {"course.", 0, 0, 0, 0},  {"a-1b.", 0, 0, 0, 1},  // the last "-1" counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(map.CheckStageEntry(c.name, c.numbered, c.c1, c.c2), c.expected);
    }
}

// A place is where the hero may stand: a point's kind decides where it has a record, the
// cell's type elsewhere. Map letters: '.' open ground, '#' blocked ground, 'W' a wall point
// on open ground, 'S' a stage point and 'R' a road point on blocked ground, 'o' and 'x' a
// point without a record on open and on blocked ground.
TEST(WorldMap, APlaceIsACellTheHeroMayStandOn) {
    const char* const rows[] = {".#WSRox"};
    cWorldMapData map;
    ASSERT_EQ(map.SetSize(7, 1), 1u);
    map.m_vPoints.clear();
    for (int32_t x = 0; x < 7; ++x) {
        const char c = rows[0][x];
        map.m_vGrid[static_cast<size_t>(x)] = c == '.' || c == 'W' || c == 'o' ? 5 : 0;
        if (c == '.' || c == '#') continue;
        cWorldMapPoint point;
        point.m_nX = x;
        if (c != 'o' && c != 'x') {
            cWorldMapRec rec;
            rec.m_nKind = c == 'W' ? 2 : c == 'R' ? 1 : 0;
            point.m_vRecs.push_back(rec);
        }
        map.m_vPoints.push_back(point);
    }
    std::string places;
    for (int32_t x = -1; x <= 7; ++x) places += map.IsPlace(x, 0) ? 'y' : '-';
    EXPECT_EQ(places, "-y--yyy--");  // off the map on both sides
    EXPECT_FALSE(map.IsPlace(0, 1));
}

}  // namespace
