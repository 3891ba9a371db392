// What the message command asks of the stage: the window's values, whom it follows, the
// pop-in after an earlier message, and erasing by id.
#include <gtest/gtest.h>

#include "show_scene.h"

using namespace wftest;

TEST(MessageCommand, RequestFromParameters) {
    ShowStage s;
    cChara hero;
    hero.m_nId = 42;
    s.h.play.players.push_back(&hero);
    cFlowCmd cmd = Cmd(kCmdMessage, {2, 3, 4, 5, 6, 1, 2, 30, 0, 1, 1, 1, 1, 77, 1, 0, 12, 0});
    cmd.m_strText = "こんにちは #C12";
    s.Run(cmd, true);
    ASSERT_EQ(s.scene.messages.size(), 1u);
    const MessageRequest& m = s.scene.messages[0];
    EXPECT_EQ(m.text, cmd.m_strText);
    EXPECT_EQ(std::vector<int32_t>({m.anchor, m.blockX, m.blockY, m.offsetX, m.offsetY, m.clamp,
                                    m.durationMode, m.frames, m.countWhilePaused, m.substitute,
                                    m.fixed, m.refresh, m.hasId, m.messageId, m.box, m.erase,
                                    m.refreshInterval, m.noPopIn}),
              std::vector<int32_t>({2, 3, 4, 5, 6, 1, 2, 180, 0, 1, 1, 1, 1, 77, 1, 0, 12, 1}));
    EXPECT_EQ(m.targetId, s.chara.m_nId);

    // Anchors 1..3 follow the character, 4..6 the hero, the others no one.
    const uint32_t targets[9] = {0, 7, 7, 7, 42, 42, 42, 0, 0};
    for (int32_t anchor = 0; anchor < 9; ++anchor) {
        s.Run(Cmd(kCmdMessage, {anchor}));
        EXPECT_EQ(s.scene.messages.back().targetId, targets[anchor]) << "anchor " << anchor;
        EXPECT_EQ(s.scene.messages.back().noPopIn, 0);
    }
}

TEST(MessageCommand, EraseNeedsAnId) {
    ShowStage s;
    std::vector<int32_t> params(18, 0);
    params[15] = 1;
    params[8] = 1;
    s.Run(Cmd(kCmdMessage, params));  // no id: nothing to erase
    EXPECT_TRUE(s.scene.messages.empty());
    params[12] = 1;
    params[13] = 5;
    s.Run(Cmd(kCmdMessage, params));  // the stage erases window 5; nothing waits
    ASSERT_EQ(s.scene.messages.size(), 1u);
    EXPECT_EQ(s.scene.messages[0].erase, 1);
    EXPECT_EQ(s.scene.messages[0].messageId, 5);
    EXPECT_TRUE(s.scene.waits.empty());
}

TEST(MessageCommand, ItemListsKeepTheirOwnShownFlag) {
    ShowStage s;
    cFlowCmd cmd = Cmd(kCmdMessage, std::vector<int32_t>(18, 0));
    cmd.m_vParams[8] = 1;
    bool shown = true;
    CmdContext ctx{s.chara, nullptr, nullptr, cmd, Play(), &shown};
    DispatchCmd(ctx);
    ASSERT_EQ(s.scene.waits.size(), 1u);
    EXPECT_EQ(s.scene.waits[0].delay, 0);
    EXPECT_EQ(s.scene.messages[0].noPopIn, 1);
}
