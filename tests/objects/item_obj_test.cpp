// Items: set-up at a size factor or carried, placement on a block, growth about the bottom
// and the animation step of the drawing.
#include <gtest/gtest.h>

#include "data/global_data.h"
#include "object_fakes.h"
#include "objects/item_obj.h"

TEST(ItemObj, SetupPlacementAndGrowth) {
    wftest::FakePlay play;
    play.state.stageWidth = play.state.stageHeight = 2000;
    play.state.originX = play.state.originY = 10;
    g_Stage.SetBoxDefaults();  // 28 x 28 item boxes
    struct Case {
        uint8_t size;
        uint32_t carried;
        int32_t body;
        uint32_t active;
        double x, y;  // placed at block (2, 3)
    };
    const Case cases[] = {{0, 0, 28, 0, 386.5, 418},
                          {1, 0, 28, 0, 386.5, 418},
                          {2, 0, 56, 0, 372.5, 388},
                          {2, 1, 28, 1, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.size} << " carried " << c.carried);
        cItemDef def;
        def.m_nSize = c.size;
        def.m_vCmds.resize(3);
        def.m_vCmds[0].m_nCategory = 1, def.m_vCmds[0].m_nType = 24;  // loop the next one 3x
        def.m_vCmds[0].m_vParams = {3, 1};
        def.m_vCmds[1].m_nCategory = 1, def.m_vCmds[1].m_nType = 7;
        cItemObj item;
        item.Setup(5, def, c.carried);
        EXPECT_EQ(def.m_nSize, c.size == 0 ? 1 : c.size);
        EXPECT_EQ(item.m_nGraphicOffsetX, 2 * (c.body / 28));
        EXPECT_EQ(item.m_nBodyWidth, c.body);
        EXPECT_EQ(item.m_nBodyHeight, c.body);
        EXPECT_EQ(item.m_bActive, c.active);
        EXPECT_EQ(item.m_bGravityOff, 1u);
        EXPECT_EQ(item.m_Def.m_vCmds.size(), 4u);  // the loop unrolled
        if (c.carried) continue;
        item.PlaceAtBlock(2, 3);
        EXPECT_EQ(item.m_dX, c.x);
        EXPECT_EQ(item.m_dY, c.y);
        EXPECT_EQ(item.m_dBottom, c.y + c.body - 1);
        // Growing by one keeps the body's foot: y moves up by the base height and offset.
        const double before = item.m_dY;
        item.SetSizeFactor(item.SizeFactor() + 1, item.SizeFactor());
        EXPECT_EQ(item.m_dY, before - 30);
    }
}

TEST(ItemObj, DrawStepTicksOnlyWhenShownAndNotFrozen) {
    wftest::FakePlay play;
    cItemDef def;
    cItemObj item;
    item.Setup(1, def, 0);
    std::vector<int32_t> frames;
    for (int i = 0; i < 31; ++i) frames.push_back(item.StepDrawFrame(false));
    EXPECT_EQ(frames.front(), 0);
    EXPECT_EQ(frames[15], 1);  // the blink: 15 ticks a cell
    EXPECT_EQ(frames[30], 0);
    const int32_t tick = item.m_Anime.TickCount();
    EXPECT_EQ(item.StepDrawFrame(true), item.m_Anime.Value());
    EXPECT_EQ(item.m_Anime.TickCount(), tick);
    item.m_Def.m_bHidden = 1;
    EXPECT_EQ(item.StepDrawFrame(false), -1);
    EXPECT_EQ(item.m_Anime.TickCount(), tick);
}
