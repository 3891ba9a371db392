// Effect animations over the stage: where a hit effect is placed, how long it runs, and
// the running stage's effect list; picture states.
#include "play/effect_obj.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/random.h"
#include "data/database.h"
#include "play/stage_run.h"

namespace {

// Effect records 1 (32 x 24, fixed size, one frame) and 2 (16 x 16, scalable, two
// frames) and their frame sequences, for one test.
class EffectObjTest : public testing::Test {
  protected:
    void SetUp() override {
        effects_ = g_Database.m_vEffect;
        table_ = g_EffectSeqTable;
        std::vector<cEffect>& list = g_Database.m_vEffect;
        list.assign(4, cEffect{});
        list[1].m_nFrameWidth = 32, list[1].m_nFrameHeight = 24;
        list[1].m_vItem.assign(1, cEffectItem{});
        list[2].m_nFrameWidth = 16, list[2].m_nFrameHeight = 16, list[2].m_bScalable = 1;
        list[2].m_vItem.assign(2, cEffectItem{});
        list[2].m_vItem[1].m_nCell = 1;
        // Record 3 has no frames.
        g_Database.BuildTablesB(g_EffectSeqTable);
    }
    void TearDown() override {
        g_Database.m_vEffect = effects_;
        g_EffectSeqTable = table_;
    }

  private:
    std::vector<cEffect> effects_;
    AnimSeqTable table_;
};

TEST_F(EffectObjTest, HitEffectsSitOnTheBoxesOverlap) {
    const RectD a{10, 20, 50, 60}, b{30, 40, 90, 100}, apart{200, 200, 210, 210};
    struct Case {
        const char* name;
        int16_t effect;
        RectD second;
        int8_t scale;
        double x, y;  // before the random offset
        int32_t width, height, scaled, k;
    };
    const Case cases[] = {
        {"overlap, fixed size", 1, b, 3, 30 + 10 - 16, 40 + 10 - 12, 32, 24, 0, 1},
        {"apart: round (0, 0)", 1, apart, 1, -16, -12, 32, 24, 0, 1},
        {"enlarged three times", 2, b, 3, 30 + 10 - 24, 40 + 10 - 24, 48, 48, 1, 3},
        {"scale 1", 2, b, 1, 30 + 10 - 8, 40 + 10 - 8, 16, 16, 0, 1},
        {"scale 0", 2, b, 0, 30 + 10 - 8, 40 + 10 - 8, 16, 16, 0, 1},
        {"negative scale", 2, b, -4, 30 + 10 - 8, 40 + 10 - 8, 16, 16, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Srand(4321);
        const int dx = RandRange(-4 * c.k, 4 * c.k);
        const int dy = RandRange(-4 * c.k, 4 * c.k);
        Srand(4321);
        cEffectObj fx;
        fx.Setup(c.effect, a, c.second, c.scale);
        EXPECT_EQ(std::make_tuple(fx.m_dX, fx.m_dY), std::make_tuple(c.x + dx, c.y + dy));
        EXPECT_EQ(std::make_tuple(fx.m_nWidth, fx.m_nHeight, fx.m_bScaled, fx.m_bHold),
                  std::make_tuple(c.width, c.height, c.scaled, 0));
        EXPECT_EQ(fx.m_Anime.Value(), 0);
    }
    cEffectObj at;
    at.SetupAt(2, 5.5, 6.5, 32, 32, 1);
    EXPECT_EQ(std::make_tuple(at.m_dX, at.m_dY, at.m_bScaled, at.m_bHold),
              std::make_tuple(5.5, 6.5, 1, 1));
}

TEST_F(EffectObjTest, EffectsRunTheirFramesAndLeaveTheList) {
    // Frames of one item last 6 ticks each; the pause holds an effect without hold.
    const auto drawsUntilEnd = [](cEffectObj& fx, int paused) {
        for (int i = 1; i <= 100; ++i)
            if (fx.Draw(nullptr, paused, {})) return i;
        return 0;
    };
    cEffectObj two;
    two.SetupAt(2, 0, 0, 16, 16, 0);
    EXPECT_EQ(drawsUntilEnd(two, 1), 0);  // paused: it never moves on
    EXPECT_EQ(drawsUntilEnd(two, 0), 12);
    cEffectObj held;
    held.SetupAt(2, 0, 0, 16, 16, 1);
    EXPECT_EQ(drawsUntilEnd(held, 1), 12);  // held effects run through the pause
    cEffectObj none;
    none.SetupAt(3, 0, 0, 16, 16, 0);
    EXPECT_EQ(drawsUntilEnd(none, 0), 1);  // no frames: over at once

    StageRun run;
    run.AddEffectObject(1, {0, 0, 9, 9}, {5, 5, 20, 20}, 1);
    run.AddEffectObject(2, {0, 0, 9, 9}, {5, 5, 20, 20}, 2);
    std::vector<size_t> counts;
    for (int i = 0; i < 12; ++i) {
        run.DrawEffects(nullptr, 0);
        counts.push_back(run.effects.size());
    }
    EXPECT_EQ(counts, (std::vector<size_t>{2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 0}));
}

TEST(PictureState, FixedPicturesKeepTheirScreenPlaceAndTimedOnesEnd) {
    cPictureState pic;
    SetPictureState(pic, 3, 100.7, 50.2, 64, 32, 1, 1, 150, 2, 2, 0, 7, 8, 40.9, 10.0);
    EXPECT_EQ(std::make_tuple(pic.m_bZoomed, pic.m_bLatched, pic.m_nLatchedX, pic.m_nLatchedY,
                              pic.m_nValueA, pic.m_nValueB),
              std::make_tuple(1, 1, 60, 40, 7, 8));
    // Two frames to show; a pause without counting does not use them up.
    std::vector<int> results;
    for (int paused : {0, 1, 1, 0, 0})
        results.push_back(DrawPictureState(pic, nullptr, nullptr, paused, 0, 0));
    EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 0, 1}));
    SetPictureState(pic, 3, 100.7, 50.2, 64, 32, 0, 1, 100, 0, 0, 0, 0, 0, 40.9, 10.0);
    EXPECT_EQ(std::make_tuple(pic.m_bZoomed, pic.m_bLatched), std::make_tuple(0, 0));
    EXPECT_EQ(DrawPictureState(pic, nullptr, nullptr, 0, 0, 0), 0);  // shown until removed
}

}  // namespace
