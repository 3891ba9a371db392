// The sample game played headless through the real program: Esc at several points of the
// title closes the program in order, each step named when it fails.
#include <gtest/gtest.h>

#include "app/scene.h"
#include "player_harness.h"

namespace {

TEST(Playthrough, EscClosesCleanlyAtEveryPointOfTheTitle) {
    const struct {
        const char* step;
        int frames;  // presented before the Esc
    } steps[] = {
        {"during the fade-in", 2},
        {"on the title menu", 40},
        {"after the title has stood a while", 120},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        wftest::PlayerRun run;
        EXPECT_EQ(run.Run("", s.frames), 0);
        EXPECT_GE(run.Frames(), s.frames);
        EXPECT_EQ(g_SceneMgr.m_nCurrent, kSceneTitle);
        EXPECT_TRUE(run.BoxTexts().empty());
    }
}

}  // namespace
