// The stage record and its file: the editor's minimal stage, every version threshold of
// the stage and its sub-records, the clean-up, the hit-level constants, the replay form
// and damaged files.
#include "data/stage_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "data/database.h"
#include "data/global_data.h"
#include "support/data_record_fixture.h"
#include "support/hex.h"
#include "fixtures/stage_writer.h"

namespace {

using wftest::DataRecordTest;
using wftest::DefKind;
using wftest::StageFieldSpec;
using wftest::StageSpec;

class StageFileTest : public DataRecordTest {
  protected:
    void TearDown() override {
        g_Database.m_vBgm.clear();
        DataRecordTest::TearDown();
    }
};

// Reads field i of the current registry of a stage as a double.
double RegisteredValue(const cStage& stage, size_t index) {
    const cFieldRef& f = stage.Fields()[index];
    if (f.elementSize == 8) {
        double d = 0;
        std::memcpy(&d, f.address, 8);
        return d;
    }
    int32_t n = 0;
    std::memcpy(&n, f.address, 4);
    return n;
}

// Every stage field by its name in the writer's table, read through the stage's own
// registry after a save has left it at 770 (its order is what the byte-for-byte test of
// the minimal stage pins down).
std::map<std::string, double> FieldsByName(const cStage& stage) {
    std::map<std::string, double> values;
    const auto& table = wftest::StageFieldTable();
    EXPECT_EQ(stage.Fields().size(), table.size());
    for (size_t i = 0; i < table.size() && i < stage.Fields().size(); ++i)
        values[table[i].name] = RegisteredValue(stage, i);
    return values;
}

TEST_F(StageFileTest, MinimalStageLoadsAndSavesByteForByte) {
    const std::vector<uint8_t> file = wftest::WriteStage(wftest::MinimalPlayableStage());
    cStage stage;
    ASSERT_TRUE(LoadRecord(file, stage));
    EXPECT_EQ(stage.FindHero(), 0);
    EXPECT_TRUE(stage.HasHero());
    ASSERT_EQ(stage.m_vBlocks.size(), 1u);
    EXPECT_EQ(stage.m_vBlocks[0].m_nCell, 1);
    EXPECT_EQ(stage.m_vBlocks[0].m_nY, 13);
    ASSERT_EQ(stage.m_vItems.size(), 1u);
    EXPECT_EQ(std::make_tuple(stage.m_vItems[0].m_nX, stage.m_vPalCharas.size(), stage.m_anSize[0],
                              stage.m_anSize[3]),
              std::make_tuple(5, 2u, 20, 15));
    ASSERT_EQ(stage.m_vBackgrounds.size(), 1u);
    EXPECT_EQ(stage.m_vBackgrounds[0].m_nKind, 1);
    const std::vector<uint8_t> saved = Saved(stage);
    EXPECT_EQ(saved, file) << wftest::FirstDifference(saved, file);
}

TEST_F(StageFileTest, NewStageSavesTheEditorsDefaults) {
    // A new stage has a map of 0 x 0, so the clean-up pulls the scroll limits down to
    // 0 - 20, 0 - 1, 0 - 15 and 0 - 1; each palette list gets its second entry.
    StageSpec spec;
    spec.values["m_nScrollLeft"] = -20;
    spec.values["m_nScrollRight"] = -1;
    spec.values["m_nScrollTop"] = -15;
    spec.values["m_nScrollBottom"] = -1;
    spec.palBlocks = {wftest::Def(DefKind::Block, 0, 0, {{"contact", 0}}),
                      wftest::Def(DefKind::Block, 0, 0, {{"contact", 0}})};
    spec.palCharas = {wftest::Def(DefKind::Chara), wftest::Def(DefKind::Chara)};
    spec.palItems = {wftest::Def(DefKind::Item), wftest::Def(DefKind::Item)};
    wftest::BackgroundSpec layer;
    layer.kind = 1;
    spec.backgrounds = {layer};
    cStage stage;
    EXPECT_FALSE(stage.HasHero());
    const std::vector<uint8_t> saved = Saved(stage);
    const std::vector<uint8_t> expected = wftest::WriteStage(spec);
    EXPECT_EQ(saved, expected) << wftest::FirstDifference(saved, expected);
}

TEST_F(StageFileTest, VersionThresholdsOfStageAndSubrecords) {
    const uint32_t versions[] = {60,  61,  62,  124, 125, 154, 155, 165, 166, 172, 173, 180,
                                 181, 182, 183, 184, 198, 199, 200, 224, 225, 753, 754, 770};
    const auto& table = wftest::StageFieldTable();
    for (uint32_t v : versions) {
        SCOPED_TRACE(v);
        // Every field a value of its own that no default or migration gives; the fields
        // the clean-up recomputes keep consistent values.
        StageSpec spec = wftest::MinimalPlayableStage();
        spec.version = v;
        spec.values["m_anSize[0]"] = 100;
        spec.values["m_anSize[3]"] = 100;
        const std::set<std::string> keep = {
            "m_nScrollLeft", "m_nScrollRight", "m_nScrollTop",    "m_nScrollBottom",
            "m_anSize[0]",   "m_anSize[3]",    "m_dGravity",      "m_nHitLevel",
            "m_nBgm",        "m_nFrameFactor", "m_dFrameFactor",  "m_dFrameFactorSq",
            "m_dMaxSpeed",   "m_dStepGravity", "m_dStepMaxSpeed", "m_nMaxStepInt"};
        for (size_t i = 0; i < table.size(); ++i)
            if (!keep.count(table[i].name))
                spec.values[table[i].name] = 1000 + static_cast<double>(i);
        spec.rankItems = {7, 8, 9, 10, 11, 12};
        spec.params[3] = {1, 2, 3, 4, 5, 6, 7, 8};
        wftest::BackgroundSpec layer;
        layer.visible = 0, layer.kind = 3, layer.fillColor = 7, layer.group = 2;
        layer.speedX = 0.5, layer.speedY = 0.25, layer.autoX = 1;
        layer.offsetX = 2.5, layer.offsetY = 4.5, layer.picture = "bg.bmp";
        spec.backgrounds = {layer};
        spec.strings = {"s0", "s1"};

        cStage stage;
        ASSERT_TRUE(LoadRecord(wftest::WriteStage(spec), stage));
        EXPECT_TRUE(stage.HasHero());
        Saved(stage);  // leaves the registry at 770
        std::map<std::string, double> got = FieldsByName(stage);

        // What each gated field is after the load: the file's value from its gate on,
        // else the migration.
        auto fileValue = [&](const char* name) { return spec.values[name]; };
        // clang-format off
        const std::map<std::string, double> migrated = {
            {"m_nBgmParam", 1}, {"m_bKeepBgm", 0}, {"m_nStageValueE", 1}, {"m_nStageValueD", 0},
            {"m_bStartBanner2", 0}, {"m_anPlayerSize[0]", 16}, {"m_anPlayerSize[1]", 24},
            {"m_anPlayerSize[2]", 16}, {"m_anPlayerSize[3]", 16},
            {"m_anPlayerBox[2]", fileValue("m_anPlayerBox[0]")},
            {"m_anPlayerBox[3]", fileValue("m_anPlayerBox[1]")}, {"m_anPlayerSize[4]", 1},
            {"m_anPlayerSize[5]", 0}, {"m_anPlayerBox[8]", 0}, {"m_anPlayerBox[9]", 0},
            {"m_anPlayerRect[0]", 0}, {"m_anPlayerRect[4]", 5}, {"m_anCharaBox[0]", 16},
            {"m_anCharaBox[1]", 30}, {"m_anCharaBox[2]", 16}, {"m_anCharaBox[3]", 30},
            {"m_anCharaBox[6]", fileValue("m_anCharaBox[4]")},
            {"m_anCharaBox[7]", fileValue("m_anCharaBox[5]")}, {"m_anCharaBox[10]", 1},
            {"m_anCharaBox[11]", 1}, {"m_anCharaBox[12]", 0}, {"m_anCharaBox[13]", 0}};
        // clang-format on
        for (const StageFieldSpec& f : table) {
            if (keep.count(f.name)) continue;
            const double expected = v >= f.gate ? spec.values[f.name] : migrated.at(f.name);
            EXPECT_EQ(got[f.name], expected) << f.name;
        }

        // Result flags: from 181 as stored, before that five with results 3 and 4 off.
        const std::vector<uint32_t> results = v >= 181 ? std::vector<uint32_t>{7, 8, 9, 10, 11, 12}
                                                       : std::vector<uint32_t>{7, 8, 9, 0, 0};
        EXPECT_EQ(stage.m_vRankItems, results);

        // Active area 4: before 125 the file holds the left switch and the distances only;
        // the other switches are a new stage's.
        const cStageParam& area = stage.m_aParams[3];
        EXPECT_EQ(std::make_tuple(area.m_abEraseSide[0], area.m_abEraseSide[1],
                                  area.m_abEraseSide[3], area.m_anEraseDist[3]),
                  std::make_tuple(1, v >= 125 ? 2 : 1, v >= 125 ? 4 : 1, 8));

        // The layer: visibility from 62, speeds and automatic scrolling from 61, offsets
        // from 62; what a version lacks keeps the layer defaults.
        ASSERT_EQ(stage.m_vBackgrounds.size(), 1u);
        const cBackground& bg = stage.m_vBackgrounds[0];
        EXPECT_EQ(std::make_tuple(bg.m_nKind, bg.m_nFillColor, bg.m_nGroup, bg.m_sPicture),
                  std::make_tuple(3, 7, 2, "bg.bmp"));
        EXPECT_EQ(std::make_tuple(bg.m_bVisible, bg.m_dScrollSpeedX, bg.m_dScrollSpeedY,
                                  bg.m_bAutoScrollX, bg.m_dOffsetX, bg.m_dOffsetY),
                  std::make_tuple(v >= 62 ? 0 : 1, v >= 61 ? 0.5 : 0.1, v >= 61 ? 0.25 : 0.1,
                                  v >= 61 ? 1 : 0, v >= 62 ? 2.5 : 0.0, v >= 62 ? 4.5 : 0.0));

        // Strings: a table of 1000 before 754.
        ASSERT_EQ(stage.m_vStrings.size(), v >= 754 ? 2u : 1000u);
        EXPECT_EQ(stage.m_vStrings[1].m_sText, "s1");
    }
}

TEST_F(StageFileTest, OldStagesKeepANewStagesRightTopAndBottomSwitchesInEveryArea) {
    StageSpec spec = wftest::MinimalPlayableStage();
    spec.version = 124;
    // Switches the file cannot hold are set against a new stage's, to show they are not read.
    spec.params = {{{1, 1, 1, 1, 1, 2, 3, 4},
                    {0, 1, 1, 1, 5, 6, 7, 8},
                    {1, 1, 1, 1, 9, 10, 11, 12},
                    {0, 0, 0, 0, 13, 14, 15, 16},
                    {1, 0, 0, 0, 17, 18, 19, 20}}};
    const std::vector<uint8_t> file = wftest::WriteStage(spec);
    // The five areas as a version-124 stage holds them: N = 5, the left switch, the four
    // distances, M = 0.
    const std::vector<uint8_t> areas = wftest::Hex(
        "05000000 01000000 01000000 02000000 03000000 04000000 00000000"
        "05000000 00000000 05000000 06000000 07000000 08000000 00000000"
        "05000000 01000000 09000000 0a000000 0b000000 0c000000 00000000"
        "05000000 00000000 0d000000 0e000000 0f000000 10000000 00000000"
        "05000000 01000000 11000000 12000000 13000000 14000000 00000000");
    ASSERT_NE(std::search(file.begin(), file.end(), areas.begin(), areas.end()), file.end());

    cStage stage;
    ASSERT_TRUE(LoadRecord(file, stage));
    // Areas 1 to 3 of a new stage have no side switched on, areas 4 and 5 every side.
    const std::array<std::array<int32_t, 8>, 5> expected{{{1, 0, 0, 0, 1, 2, 3, 4},
                                                          {0, 0, 0, 0, 5, 6, 7, 8},
                                                          {1, 0, 0, 0, 9, 10, 11, 12},
                                                          {0, 1, 1, 1, 13, 14, 15, 16},
                                                          {1, 1, 1, 1, 17, 18, 19, 20}}};
    for (size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(k);
        const cStageParam& area = stage.m_aParams[k];
        std::array<int32_t, 8> got;
        std::copy(std::begin(area.m_abEraseSide), std::end(area.m_abEraseSide), got.begin());
        std::copy(std::begin(area.m_anEraseDist), std::end(area.m_anEraseDist), got.begin() + 4);
        EXPECT_EQ(got, expected[k]);
    }
}

TEST_F(StageFileTest, TrailerIsPartOfTheFileFrom173) {
    const struct {
        uint32_t version;
        bool trailer;
        bool loads;
    } cases[] = {
        {172, false, true},
        {173, true, true},
        {173, false, false},  // the file ends where the trailer should be
        {770, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version << (c.trailer ? " with" : " without"));
        StageSpec spec = wftest::MinimalPlayableStage();
        spec.version = c.version, spec.trailer = c.trailer;
        std::vector<uint8_t> file = wftest::WriteStage(spec);
        if (c.version < 173 && c.trailer) file.insert(file.end(), {0x15, 0xCD, 0x5B, 0x07});
        cStage stage;
        EXPECT_EQ(LoadRecord(file, stage), c.loads);
    }
}

TEST_F(StageFileTest, DamagedFilesLeaveTheStageAsItWas) {
    const std::vector<uint8_t> file = wftest::WriteStage(wftest::MinimalPlayableStage());
    cStage stage;
    stage.m_sText = "kept", stage.m_nTimeLimit = 77;
    // Cut anywhere after the version word: never a success, never a change.
    for (size_t size = 4; size < file.size(); size += 7) {
        SCOPED_TRACE(size);
        const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(size));
        EXPECT_FALSE(LoadRecord(cut, stage));
        EXPECT_EQ(std::make_tuple(stage.m_sText, stage.m_nTimeLimit), std::make_tuple("kept", 77));
        EXPECT_FALSE(stage.HasHero());
    }
    // Counts no file could hold. Without placements, layers and strings the file ends in
    // five counts and the trailer.
    StageSpec spec = wftest::MinimalPlayableStage();
    spec.blocks.clear();
    spec.charas.clear();
    spec.items.clear();
    spec.backgrounds.clear();
    const std::vector<uint8_t> empty = wftest::WriteStage(spec);
    ASSERT_TRUE(LoadRecord(empty, stage));
    stage.m_sText = "kept";
    for (size_t count = 0; count < 5; ++count) {
        SCOPED_TRACE(count);
        std::vector<uint8_t> huge = empty;
        const size_t at = huge.size() - 4 - 20 + 4 * count;
        huge[at] = 0xFF;
        huge[at + 1] = 0xFF;
        huge[at + 2] = 0xFF;
        huge[at + 3] = 0x7F;
        EXPECT_FALSE(LoadRecord(huge, stage));
        EXPECT_EQ(stage.m_sText, "kept");
    }
}

TEST_F(StageFileTest, CancelledReadChangesNothing) {
    const std::vector<uint8_t> file = wftest::WriteStage(wftest::MinimalPlayableStage());
    cStage stage;
    CancelFlag cancel{true};
    EXPECT_FALSE(LoadBytes(file, [&](FILE* fp) { return stage.Load(fp, &cancel); }));
    EXPECT_FALSE(stage.HasHero());
    cancel = false;
    EXPECT_TRUE(LoadBytes(file, [&](FILE* fp) { return stage.Load(fp, &cancel); }));
    EXPECT_TRUE(stage.HasHero());
}

TEST_F(StageFileTest, NormalizeBringsSettingsIntoRange) {
    g_Database.m_vBgm.assign(5, cBgm());
    struct Case {
        const char* what;
        int32_t width, height;
        int32_t left, right, top, bottom;
        int32_t bgm;
        int32_t expLeft, expRight, expTop, expBottom, expBgm;
    };
    const Case cases[] = {
        {"too far right", 50, 40, 100, 100, 100, 100, 4, 30, 49, 25, 39, 4},
        {"low values stay", 50, 40, -3, -3, -3, -3, 0, -3, -3, -3, -3, 0},
        {"in range", 50, 40, 30, 49, 25, 39, 1, 30, 49, 25, 39, 1},
        {"music past the list", 50, 40, 0, 0, 0, 0, 7, 0, 0, 0, 0, 0},
        {"music negative", 50, 40, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cStage stage;
        stage.m_anSize[0] = c.width, stage.m_anSize[3] = c.height, stage.m_nScrollLeft = c.left;
        stage.m_nScrollRight = c.right, stage.m_nScrollTop = c.top;
        stage.m_nScrollBottom = c.bottom, stage.m_nBgm = c.bgm;
        stage.Normalize();
        EXPECT_EQ(std::make_tuple(stage.m_nScrollLeft, stage.m_nScrollRight, stage.m_nScrollTop,
                                  stage.m_nScrollBottom, stage.m_nBgm),
                  std::make_tuple(c.expLeft, c.expRight, c.expTop, c.expBottom, c.expBgm));
    }

    // Palette lists of one and of no entry come out with two; a placement linked past the
    // stage palette is unlinked.
    cStage stage;
    stage.m_vPalBlocks.resize(1);
    stage.m_vPalCharas.clear();
    stage.m_vPalItems.resize(3);
    stage.m_vCharas.resize(1);
    stage.m_vCharas[0].m_nPalBank = kPaletteStage, stage.m_vCharas[0].m_nPalIndex = 5;
    stage.Normalize();
    EXPECT_EQ(std::make_tuple(stage.m_vPalBlocks.size(), stage.m_vPalCharas.size(),
                              stage.m_vPalItems.size(), stage.m_vCharas[0].m_nPalBank,
                              stage.m_vCharas[0].m_nPalIndex),
              std::make_tuple(2u, 2u, 3u, 0, 0));
}

TEST(StageHitLevel, DerivesTheStepConstants) {
    struct Case {
        int32_t level;
        int32_t storedLevel, k;
        double maxSpeed, stepMaxSpeed;
        int32_t maxSpeedInt, maxStepInt;
    };
    const Case cases[] = {
        {0, 1, 1, 6.0, 6.0, 6, 8},  // below 1 plays as 1: nothing divides by 0
        {-4, 1, 1, 6.0, 6.0, 6, 8},         {1, 1, 1, 6.0, 6.0, 6, 8},
        {10, 10, 10, 60.0, 6.0, 60, 80},    {11, 11, 1, 60.0, 60.0, 6, 8},
        {15, 15, 5, 60.0, 12.0, 30, 40},    {19, 19, 9, 60.0, 60.0 / 9, 54, 72},
        {20, 20, 20, 120.0, 6.0, 120, 160},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        cStage stage;
        stage.m_dGravity = 0.5;
        stage.SetHitLevel(c.level);
        EXPECT_EQ(std::make_tuple(stage.m_nHitLevel, stage.m_nFrameFactor, stage.m_dFrameFactor),
                  std::make_tuple(c.storedLevel, c.k, c.k));
        EXPECT_EQ(stage.m_dFrameFactorSq, static_cast<double>(c.k * c.k));
        EXPECT_EQ(std::make_tuple(stage.m_dMaxSpeed, stage.m_dStepMaxSpeed, stage.m_nMaxSpeedInt,
                                  stage.m_nMaxStepInt),
                  std::make_tuple(c.maxSpeed, c.stepMaxSpeed, c.maxSpeedInt, c.maxStepInt));
        EXPECT_EQ(stage.m_dStepGravity, 0.5 / (c.k * c.k));
    }
}

TEST_F(StageFileTest, ReplayFormTakesSettingsFromTheOtherStage) {
    cStage lists;
    ASSERT_TRUE(LoadRecord(wftest::WriteStage(wftest::MinimalPlayableStage()), lists));

    cStage settings;
    settings.m_anSize[0] = 20, settings.m_anSize[3] = 15, settings.m_sText = "S";
    settings.m_nTimeLimit = 99;
    settings.m_vRankItems = {1, 0, 1, 0, 1};
    settings.m_aParams[0].Set8(1, 0, 0, 0, 3, 0, 0, 0);
    settings.m_vBackgrounds.resize(2);
    settings.m_vBackgrounds[1].m_sPicture = "b.bmp";
    settings.m_vStrings.resize(1);
    settings.m_vStrings[0].m_sText = "hello";

    StageSpec expected = wftest::MinimalPlayableStage();
    expected.text = "S";
    expected.values["m_nTimeLimit"] = 99;
    expected.rankItems = {1, 0, 1, 0, 1};
    expected.params[0] = {1, 0, 0, 0, 3, 0, 0, 0};
    wftest::BackgroundSpec colour;
    colour.kind = 1;
    wftest::BackgroundSpec picture;
    picture.picture = "b.bmp";
    expected.backgrounds = {colour, picture};
    expected.strings = {"hello"};
    EXPECT_EQ(SavedBytes([&](FILE* fp) { return lists.SaveForReplay(fp, settings); }),
              wftest::WriteStage(expected));
}

TEST_F(StageFileTest, SettingsCopyLeavesTheDefinitions) {
    cStage loaded;
    ASSERT_TRUE(LoadRecord(wftest::WriteStage(wftest::MinimalPlayableStage()), loaded));
    loaded.m_sText = "T", loaded.m_nBgmParam = 4;
    loaded.m_vStrings.resize(3);
    loaded.m_vStrings[2].m_sText = "third";
    loaded.m_aParams[4].Set8(0, 1, 0, 1, 2, 3, 4, 5);
    loaded.m_vRankItems = {0, 0, 0, 0, 1};

    cStage play;
    play.CopySettingsFrom(loaded);
    play.DestroyDefinitionLists();
    EXPECT_EQ(std::make_tuple(play.m_sText, play.m_nBgmParam, play.m_anSize[0]),
              std::make_tuple("T", 4, 20));
    ASSERT_EQ(play.m_vStrings.size(), 3u);
    EXPECT_EQ(std::make_tuple(play.m_vStrings[2].m_sText, play.m_aParams[4].m_anEraseDist[3],
                              play.m_vRankItems),
              std::make_tuple("third", 5, loaded.m_vRankItems));
    EXPECT_TRUE(play.m_vCharas.empty());
    EXPECT_TRUE(play.m_vPalBlocks.empty());

    // Back the other way, as stage set-up does: the definitions of the target stay.
    loaded.m_sText = "changed in play";
    loaded.CopySettingsFrom(play);
    EXPECT_EQ(loaded.m_sText, "T");
    EXPECT_TRUE(loaded.HasHero());
}

}  // namespace
