// Unit conversions and the jump formulas at several frame-rate factors.
#include "objects/units.h"

#include <gtest/gtest.h>

#include "object_fakes.h"

TEST(Units, HalfBlocksPercentagesAndFrameRate) {
    EXPECT_EQ(HblToDot(-3), -48);
    EXPECT_EQ(HblToDot(4), 64);
    EXPECT_EQ(HblToDot(127), 2032);
    EXPECT_EQ(HblToDot(-128), -2048);

    struct Case {
        int32_t level;
        double percent50, perSecond120;
    };
    // Levels 11..19 step like level - 10.
    const Case cases[] = {{1, 0.5, 2.0}, {2, 0.125, 1.0}, {4, 0.03125, 0.5}, {12, 0.125, 1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        wftest::StageSteps steps(c.level, 1.0);
        EXPECT_DOUBLE_EQ(PercentToSpeed(50), c.percent50);
        EXPECT_DOUBLE_EQ(ScaleByFrameRate(120.0), c.perSecond120);
    }
}

TEST(Units, JumpSpeedRiseAndTime) {
    struct Case {
        int32_t level;
        double gravity;
        int8_t hbl;
        uint32_t side;
        double speed;
        int32_t riseFrames, time;
    };
    // (-g - sqrt((8 h + g) g)) / 2 with g = gravity / k^2, the player side times
    // (0.99 - gravity x 0.025); rise = trunc(k - v / g); time = rise / k / 6 + 1.
    const Case cases[] = {
        {1, 1.0, 4, 1, -11.824751652906125, 12, 3},  {1, 1.0, 4, 0, -11.41088534505441, 12, 3},
        {1, 1.0, 2, 1, -8.5156097709407, 9, 2},      {2, 1.0, 4, 1, -5.783235148878138, 25, 3},
        {2, 1.0, 4, 0, -5.580821918667403, 24, 3},   {3, 0.5, 2, 1, -1.9136004524992973, 37, 3},
        {3, 0.5, 4, 0, -2.6339608613259626, 50, 3},  {13, 2.0, 4, 1, -5.445601726292356, 27, 2},
        {13, 2.0, 2, 0, -3.6509447190152593, 19, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "level " << c.level << " h " << int{c.hbl} << " side " << c.side);
        wftest::StageSteps steps(c.level, c.gravity);
        EXPECT_NEAR(CalcJumpSpeedHbl(c.hbl, c.side), c.speed, 1e-12);
        EXPECT_DOUBLE_EQ(CalcJumpSpeed(c.hbl * 16.0, c.side), CalcJumpSpeedHbl(c.hbl, c.side));
        EXPECT_EQ(JumpRiseFrames(c.speed), c.riseFrames);
        EXPECT_EQ(CalcJumpTime(c.hbl, c.side), c.time);
    }
}

TEST(Units, JumpWithoutUsableGravityIsNoJump) {
    for (double gravity : {0.0, -1.0}) {
        SCOPED_TRACE(gravity);
        wftest::StageSteps steps(1, gravity);
        EXPECT_EQ(CalcJumpSpeedHbl(4, 1), 0.0);
        EXPECT_EQ(CalcJumpSpeedHbl(4, 0), 0.0);
        EXPECT_EQ(CalcJumpTime(4, 1), 1);
    }
    wftest::StageSteps none(1, 0.0);
    EXPECT_EQ(JumpRiseFrames(-5.0), 0);
    // A negative height under positive gravity has no real root either.
    wftest::StageSteps steps(1, 1.0);
    EXPECT_EQ(CalcJumpSpeed(-64.0, 1), 0.0);
}
