// A cleared stage's name entry: written by the run end and read by the world map in the one
// form the map's stage check takes, each stage keeping its best value, and the cleared-stage
// total summed over the stages the map has.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "data/global_data.h"
#include "data/save_data.h"
#include "data/world_map.h"

namespace {

class StageEntryTest : public testing::Test {
  protected:
    void SetUp() override {
        // A plain stage, and stage 3 of numbered course 2, on the map.
        g_WorldMapData.m_vPoints.clear();
        for (const auto& [file, numbered, course2] :
             {std::tuple<const char*, int32_t, int32_t>{"data\\stg4\\Sample01.stg4", 0, 0},
              {"data\\stg4\\c01-1.stg4", 1, 3}}) {
            cWorldMapRec rec;
            rec.m_sStageFile = file;
            rec.m_bNumbered = numbered;
            rec.m_nCourse1 = numbered ? 2 : 0;
            rec.m_nCourse2 = course2;
            cWorldMapPoint point;
            point.m_vRecs.assign(1, rec);
            g_WorldMapData.m_vPoints.push_back(point);
        }
    }
    void TearDown() override { g_WorldMapData = map_; }

  private:
    const cWorldMapData map_ = g_WorldMapData;
};

TEST_F(StageEntryTest, AClearIsFoundWhereTheMapLooksAndKeepsTheBestValue) {
    struct Clear {
        const char* stage;  // the run's stage file, as the run keeps it
        uint32_t numbered, course1, course2, score;
    };
    const struct {
        const char* what;
        std::vector<Clear> clears;
        uint32_t plain, course;  // the values the map finds for its two stages
        uint32_t total;
        size_t entries;
    } cases[] = {
        {"one clear", {{"data\\stg4\\Sample01.stg4", 0, 0, 0, 500}}, 500, 0, 500, 1},
        {"a better clear raises the value by its improvement",
         {{"data\\stg4\\Sample01.stg4", 0, 0, 0, 500}, {"data\\stg4\\Sample01.stg4", 0, 0, 0, 800}},
         800,
         0,
         800,
         1},
        {"a lower clear keeps the best",
         {{"data\\stg4\\Sample01.stg4", 0, 0, 0, 500}, {"data\\stg4\\Sample01.stg4", 0, 0, 0, 300}},
         500,
         0,
         500,
         1},
        {"a numbered course under its course name",
         {{"data\\stg4\\c01.stg4", 1, 2, 3, 70}, {"data\\stg4\\Sample01.stg4", 0, 0, 0, 5}},
         5,
         70,
         75,
         2},
        {"another course number is another stage, off the map",
         {{"data\\stg4\\c01.stg4", 1, 2, 4, 70}},
         0,
         0,
         0,
         1},
        {"a stage the map does not have counts for nothing",
         {{"data\\stg4\\Other.stg4", 0, 0, 0, 900}},
         0,
         0,
         0,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cSaveData run;
        for (const Clear& clear : c.clears)
            run.KeepStageValue(clear.stage, clear.numbered, clear.course1, clear.course2,
                               clear.score);
        const auto found = [&](size_t point) {
            const cWorldMapRec& rec = g_WorldMapData.m_vPoints[point].m_vRecs[0];
            const cSaveName* entry = run.FindStageEntry(
                rec.m_sStageFile, static_cast<uint32_t>(rec.m_bNumbered),
                static_cast<uint32_t>(rec.m_nCourse1), static_cast<uint32_t>(rec.m_nCourse2));
            return entry ? entry->m_nValue : 0u;
        };
        EXPECT_EQ(found(0), c.plain);
        EXPECT_EQ(found(1), c.course);
        EXPECT_EQ(run.m_nClearedTotal, c.total);
        ASSERT_EQ(run.m_vNames.size(), c.entries);
        // Written as the map's check takes it.
        const cSaveName& first = run.m_vNames[0];
        EXPECT_EQ(first.m_strStage, WorldMapStageKey(c.clears[0].stage));
    }
}

}  // namespace
