// Effect animations over the stage: where a hit effect is placed, how long it runs, and
// the running stage's effect list; picture states.
#include "play/effect_obj.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "core/random.h"
#include "data/database.h"
#include "play/stage_run.h"
#include "support/dd_blit_fixture.h"
#include "support/stage_harness.h"

namespace {

// Effect records for one test, put back afterwards: 1 (32 x 24, fixed size, one frame),
// 2 (16 x 16, scalable, frames of cells 0 and 1), 3 (no frames), 4 (2 x 1 dots, scalable,
// cells 0 and 1), and their frame sequences.
class ScopedEffects {
  public:
    ScopedEffects() : effects_(g_Database.m_vEffect), table_(g_EffectSeqTable) {
        std::vector<cEffect>& list = g_Database.m_vEffect;
        list.assign(5, cEffect{});
        const auto set = [&](size_t n, uint32_t w, uint32_t h, uint32_t scalable, size_t frames) {
            list[n].m_nFrameWidth = w, list[n].m_nFrameHeight = h, list[n].m_bScalable = scalable;
            list[n].m_vItem.assign(frames, cEffectItem{});
            for (size_t i = 0; i < frames; ++i)
                list[n].m_vItem[i].m_nCell = static_cast<uint32_t>(i);
        };
        set(1, 32, 24, 0, 1);
        set(2, 16, 16, 1, 2);
        set(4, 2, 1, 1, 2);
        g_Database.BuildTablesB(g_EffectSeqTable);
    }
    ~ScopedEffects() {
        g_Database.m_vEffect = effects_;
        g_EffectSeqTable = table_;
    }
    ScopedEffects(const ScopedEffects&) = delete;
    ScopedEffects& operator=(const ScopedEffects&) = delete;

  private:
    std::vector<cEffect> effects_;
    AnimSeqTable table_;
};

class EffectObjTest : public testing::Test {
  protected:
    ScopedEffects effects;
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

// A hit spark two screens into a stage is drawn on the hit: the meeting point of the two
// bodies less the view's position, within the spark's random offset.
TEST_F(EffectObjTest, AHitSparkFarIntoTheStageIsDrawnOnTheHit) {
    cStage stage = wftest::MakeStage(60, 15, 45, 12);
    wftest::PlaceChara(stage, 45, 12, 10, 5).m_nHitEffect = 1;  // 32 x 24, six draws long
    wftest::StageHarness h(stage, wftest::RunKind::kStory);
    h.Frame();
    StageRun& run = h.Run();
    ASSERT_EQ(run.effects.size(), size_t{1});
    ASSERT_GT(run.state.scrollX.m_dPos, 640.0);
    const RectD& a = h.Hero()->m_aBody[0].rect;
    const RectD& b = run.objects.charas.front().m_aBody[0].rect;
    const double left = std::max(a.left, b.left), right = std::min(a.right, b.right);
    const double top = std::max(a.top, b.top), bottom = std::min(a.bottom, b.bottom);
    const double x = left + (static_cast<int>(right - left + 1) >> 1) - 16 - run.state.scrollX.m_dPos;
    const double y = top + (static_cast<int>(bottom - top + 1) >> 1) - 12 - run.state.scrollY.m_dPos;
    EXPECT_NEAR(run.effects.front().m_dX, x, 4.0);
    EXPECT_NEAR(run.effects.front().m_dY, y, 4.0);
}

class EffectDrawTest : public wftest::DrawTest {
  protected:
    ScopedEffects effects;
};

TEST_F(EffectDrawTest, FramesComeFromTheEffectsTwoPictures) {
    ASSERT_TRUE(Init(0, 32, false));
    DDDevice().dwColorKey = 0xFF00FF;
    std::vector<DDSURFACEDATA> pictures(8);  // effect 4: surfaces 6 and 7
    ASSERT_TRUE(DDCreateSurface(&pictures[6], 4, 1, 1, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    ASSERT_TRUE(DDCreateSurface(&pictures[7], 4, 1, 1, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    SetRow(&pictures[6], 0, {0x0000A1, 0xFF00FF, 0x0000C1, 0x0000C2});  // a keyed dot
    SetRow(&pictures[7], 0, {0x0000E1, 0x0000E2, 0x0000F1, 0x0000F2});
    DDSURFACEDATA* dst = Make(6, 2);
    const uint32_t u = 0x111111;
    const auto draw = [&](cEffectObj& fx, bool videoStretch) {
        for (int y = 0; y < 2; ++y) SetRow(dst, y, std::vector<uint32_t>(6, u));
        EXPECT_EQ(fx.Draw(dst, 0, {&pictures, videoStretch}), 0);
        return std::vector<std::vector<uint32_t>>{RowOf(dst, 0, 6), RowOf(dst, 1, 6)};
    };
    using Rows = std::vector<std::vector<uint32_t>>;
    cEffectObj plain;
    plain.SetupAt(4, 1.9, 0.0, 2, 1, 0);
    EXPECT_EQ(draw(plain, false), (Rows{{u, 0x0000A1, u, u, u, u}, std::vector<uint32_t>(6, u)}));
    for (int i = 0; i < 5; ++i) plain.Draw(nullptr, 0, {});
    EXPECT_EQ(draw(plain, false)[0], (std::vector<uint32_t>{u, 0x0000C1, 0x0000C2, u, u, u}));

    cEffectObj big;  // twice the cell: the enlarged picture, or in DirectDraw the first
    big.SetupAt(4, 0.0, 0.0, 4, 2, 0);
    const std::vector<uint32_t> enlarged{0x0000E1, 0x0000E1, 0x0000E2, 0x0000E2, u, u};
    EXPECT_EQ(draw(big, false), (Rows{enlarged, enlarged}));
    const std::vector<uint32_t> stretched{0x0000A1, 0x0000A1, u, u, u, u};
    EXPECT_EQ(draw(big, true), (Rows{stretched, stretched}));
    for (DDSURFACEDATA& sd : pictures) DDReleaseSurface(&sd);
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
