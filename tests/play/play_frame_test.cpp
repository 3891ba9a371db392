// Stage play frame by frame through the headless harness.
#include "play/play_frame.h"

#include <gtest/gtest.h>

#include "objects/player.h"
#include "support/stage_harness.h"

namespace {

using wftest::MakeStage;
using wftest::PadInput;
using wftest::RunKind;
using wftest::StageHarness;

TEST(PlayFrame, HeroStandsOnTheFloorAndTheFrameIsDrawn) {
    StageHarness h(MakeStage(20, 15, 5, 12), RunKind::kStory);
    ASSERT_NE(h.Hero(), nullptr);
    EXPECT_EQ(h.Run(30), PlayFrameEnd::kPlaying);
    const double bottom = h.Hero()->m_dBottom;
    EXPECT_EQ(h.Run(30), PlayFrameEnd::kPlaying);
    EXPECT_EQ(h.drawn, 60);
    EXPECT_FALSE(h.Hero()->m_bRemoved);
    // Resting on the floor row (the map starts 10 blocks into its table).
    const double floorTop = (10 + 14) * 32.0;
    EXPECT_NEAR(bottom, floorTop, 1.0);
    EXPECT_NEAR(h.Hero()->m_dBottom, floorTop, 1.0);
}

}  // namespace
