// A shot's memory of whom it hit outlives the characters it names.
#include "play/attack_hits.h"

#include <gtest/gtest.h>

#include "data/stage_file.h"
#include "objects/shot_obj.h"
#include "play/items_in_play.h"
#include "play/object_lists.h"
#include "support/stage_harness.h"

namespace {

using wftest::RunKind;
using wftest::StageHarness;

// A shot remembers the characters it hit by who they are: a character made where an erased
// one stood, in the memory the erased one left, is hit as a new one.
TEST(AttackHits, AShotMeetsACharacterMadeWhereAnErasedOneStood) {
    cStage stage = wftest::MakeStage(20, 15, 2, 12);
    stage.m_bHitInViewOnly = 0;
    wftest::PlaceChara(stage, 8, 12, 10);
    StageHarness h(stage, RunKind::kStory);
    h.Frame();
    StageRun& run = h.Run();
    cShotObj shot;
    shot.m_Part.m_nPower = 3;  // keeps going (vanish-on-hit 0), each character once
    shot.m_rcAttack = {0, 0, 5000, 5000};
    AddShot(run.shots, shot);
    const auto hitAll = [&] {
        for (cStageChara& c : run.objects.charas) c.m_aBody[1].rect = {100, 100, 120, 120};
        return ProcessHits(run);
    };
    ASSERT_EQ(hitAll(), 0);
    ASSERT_EQ(run.objects.charas.front().m_nHP, 7);

    QueueErase(run, run.objects.charas.front());
    FlushErasures(run);
    ASSERT_EQ(CreateStageChara(run, 8, 12, stage.m_vCharas.back(), nullptr), 1);
    cStageChara& newcomer = run.objects.charas.front();
    EnterGroup(run, newcomer);
    UpdateActivity(run);  // the next step wakes it
    ASSERT_EQ(hitAll(), 0);
    EXPECT_EQ(newcomer.m_nHP, 7);
    ASSERT_EQ(hitAll(), 0);
    EXPECT_EQ(newcomer.m_nHP, 7);  // and only once
}

}  // namespace
