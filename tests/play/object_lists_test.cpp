// Summoned characters and items made into the stage's lists, erasure at a defined point,
// and the objects a changed map cell catches.
#include "play/object_lists.h"

#include <gtest/gtest.h>

#include <tuple>

#include "data/defs_block.h"
#include "data/flow_record.h"
#include "play/play_fixture.h"

namespace {

using wftest::PlayFixture;

TEST(ObjectLists, SummonsOutsideWallsLiveTheirTimeAndJoinTheirGroup) {
    PlayFixture f;
    wftest::StageSteps steps(2, 0.4);  // two updates per frame
    cChara& parent = f.Body(1, 700, 392, 16, 16);
    cCharaDef def;
    def.m_nSide = 1, def.m_nCell = 1, def.m_nMaxHP = 5;
    def.m_nCopies = 2, def.m_nRowXStep = 64;  // copies at +0, +64 and +128 dots
    cEdShot part;
    part.m_nDistance = 10;  // one second
    f.Cell(18, 12, 1);      // the second copy stands in this wall
    EXPECT_EQ(CreateSummonedChara(f.run, def, 512, 384, 1, parent, part), 2);

    std::vector<std::tuple<double, int32_t, cChara*, uint32_t>> made;
    for (cStageChara& c : f.run.objects.charas)
        if (&c != &parent) made.emplace_back(c.m_dX, c.m_nLife, c.m_pParent, c.m_nFacing);
    EXPECT_EQ(made, (std::vector<std::tuple<double, int32_t, cChara*, uint32_t>>{
                        {520, 120, &parent, 1}, {648, 120, &parent, 1}}));
    EXPECT_EQ(f.run.CharaGroup(1).size(), size_t{2});
    EXPECT_EQ(f.run.stageCharas.size(), size_t{3});

    // Without an existence time a summon lives on; a summoned item sits where it is put.
    part.m_nDistance = 0;
    def.m_nCopies = 0;
    EXPECT_EQ(CreateSummonedChara(f.run, def, 384, 384, 0, parent, part), 1);
    EXPECT_EQ(f.run.objects.charas.back().m_nLife, 0x7FFFFFFF);
    cItemDef item;
    item.m_nOffsetX = 3;
    EXPECT_EQ(CreateSummonedItem(f.run, item, 448, 384, 0, part), 1);
    EXPECT_EQ(f.run.objects.items.back().m_dX, 448 + 2 + 3.0);  // 28-dot body centred, offset
}

TEST(ObjectLists, ErasureWaitsForTheFlushAndHappensOnce) {
    PlayFixture f;
    cChara& a = f.Body(1, 500, 392, 16, 16);
    cChara& b = f.Body(1, 600, 392, 16, 16);
    EnterGroup(f.run, a);
    EnterGroup(f.run, b);
    auto& sa = static_cast<cStageChara&>(a);
    QueueErase(f.run, sa);
    QueueErase(f.run, sa);
    EXPECT_EQ(f.run.objects.charas.size(), size_t{2});  // still there while lists are walked
    FlushErasures(f.run);
    EXPECT_EQ(std::make_tuple(f.run.objects.charas.size(), f.run.stageCharas.size(),
                              f.run.CharaGroup(1).size(), f.run.CharaGroup(1).front()),
              std::make_tuple(size_t{1}, size_t{1}, size_t{1}, &b));
}

TEST(ObjectLists, ABlockPlacedOnACharacterGivesItCrushGrace) {
    PlayFixture f;
    cChara& hero = f.Body(0, 520, 392, 16, 16, false, true);
    cChara& enemy = f.Body(1, 600, 392, 16, 16);
    cBlockDef block;
    block.m_nCell = 1, block.m_nContact = 1, block.m_nPassValue = 255;
    f.run.map.SetBlockAt(512 - 16, 384 - 16, BlockChange{}, block);  // the hero's cell
    f.run.map.SetBlockAt(608 - 16, 384 - 16, BlockChange{}, block);  // the enemy's
    EXPECT_EQ(std::make_tuple(hero.m_nCrushGrace, enemy.m_nCrushGrace), std::make_tuple(2, 2));
    // A summon refused where players stand leaves the cell as it was.
    BlockChange refuse;
    refuse.refuseOnPlayers = true;
    PlayFixture::Move(hero, 540, 392);                        // now across cells 16 and 17
    f.run.map.SetBlockAt(544 - 16, 384 - 16, refuse, block);  // the hero's right half
    EXPECT_EQ(f.run.map.CellAt(17, 12).m_nContact, 0);
}

}  // namespace
