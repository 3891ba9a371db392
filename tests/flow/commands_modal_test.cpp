// The modal commands: the wait record each command hands to the stage, the windows and
// pictures taken off after their wait, and the commands that do not wait at all.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "data/database.h"
#include "show_scene.h"

using namespace wftest;

namespace {

// A command of that type with `count` parameters, those named set.
cFlowCmd With(int8_t type, size_t count, const std::map<size_t, int32_t>& set) {
    std::vector<int32_t> params(count, 0);
    for (const auto& [i, v] : set) params[i] = v;
    return Cmd(type, params);
}

// Effect 1: a 40 x 30 cell, frames of 2 and 3 tenths.
struct EffectDatabase {
    EffectDatabase() : kept(g_Database.m_vEffect) {
        g_Database.m_vEffect.assign(2, cEffect{});
        cEffect& e = g_Database.m_vEffect[1];
        e.m_nFrameWidth = 40;
        e.m_nFrameHeight = 30;
        e.m_vItem.assign(2, cEffectItem{});
        e.m_vItem[0].m_nTime = 2;
        e.m_vItem[1].m_nTime = 3;
    }
    ~EffectDatabase() { g_Database.m_vEffect = kept; }
    std::vector<cEffect> kept;
};

cModalWait Wait(uint32_t kind, int32_t delay, uint32_t key, int32_t frames) {
    cModalWait w;
    w.kind = kind;
    w.delay = delay;
    w.waitKey = key;
    w.frames = frames;
    return w;
}

}  // namespace

TEST(ModalCommands, WaitRecordPerCommand) {
    struct Case {
        const char* name;
        cFlowCmd cmd;
        bool shown;  // the flow's message-shown flag
        std::vector<cModalWait> waits;
        size_t removed;  // windows or pictures taken off after the wait
    };
    const Case cases[] = {
        {"game wait 1 s", With(kCmdGameWait, 1, {{0, 10}}), false, {Wait(0, 0, 0, 60)}, 0},
        {"message until key", With(kCmdMessage, 18, {{8, 1}}), false, {Wait(1, 10, 1, 0)}, 1},
        {"message after a message", With(kCmdMessage, 18, {{8, 1}}), true, {Wait(1, 0, 1, 0)}, 1},
        {"message 3 s",
         With(kCmdMessage, 18, {{6, 2}, {7, 30}, {8, 1}}),
         false,
         {Wait(1, 0, 0, 180)},
         1},
        {"message one frame",
         With(kCmdMessage, 18, {{6, 2}, {7, 30}, {8, 1}, {17, 1}}),
         false,
         {Wait(1, 0, 0, 1)},
         1},
        {"message until stage end", With(kCmdMessage, 18, {{6, 1}, {8, 1}}), false, {}, 0},
        {"message without stop", With(kCmdMessage, 18, {}), false, {}, 0},
        {"effect with stop",
         With(kCmdRunEffect, 8, {{0, 1}, {6, 100}, {7, 1}}),
         false,
         {Wait(2, 0, 0, 30)},
         0},
        {"effect without stop", With(kCmdRunEffect, 8, {{0, 1}, {6, 100}}), false, {}, 0},
        {"picture until key",
         With(kCmdShowPicture, 15, {{0, 1}, {7, 100}, {10, 1}}),
         false,
         {Wait(3, 0, 1, 0)},
         1},
        {"picture 0.5 s",
         With(kCmdShowPicture, 15, {{0, 1}, {8, 2}, {9, 5}, {10, 1}}),
         false,
         {Wait(3, 0, 0, 30)},
         1},
        {"picture one frame",
         With(kCmdShowPicture, 15, {{0, 1}, {8, 2}, {9, 5}, {10, 1}, {14, 1}}),
         false,
         {Wait(3, 0, 0, 1)},
         1},
        {"picture until stage end",
         With(kCmdShowPicture, 15, {{0, 1}, {8, 1}, {10, 1}}),
         false,
         {},
         0},
        {"picture without stop", With(kCmdShowPicture, 15, {{0, 1}}), false, {}, 0},
    };
    EffectDatabase db;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowStage s;
        EXPECT_EQ(s.Run(c.cmd, c.shown), 0);
        EXPECT_EQ(s.scene.waits, c.waits);
        EXPECT_EQ(s.scene.removed.size(), c.removed);
        // What is taken off is what the command showed.
        if (c.removed) {
            EXPECT_EQ(s.scene.removed[0], s.scene.handles);
        }
    }
}

TEST(ModalCommands, NothingShownNothingWaits) {
    EffectDatabase db;
    const cFlowCmd message = With(kCmdMessage, 18, {{8, 1}});
    const cFlowCmd effect = With(kCmdRunEffect, 8, {{0, 1}, {6, 100}, {7, 1}});
    const cFlowCmd picture = With(kCmdShowPicture, 15, {{0, 1}, {10, 1}});
    {
        // While the program closes the three show nothing; the game wait still holds.
        ShowStage s;
        s.scene.closing = true;
        for (const cFlowCmd* cmd : {&message, &effect, &picture}) s.Run(*cmd);
        EXPECT_TRUE(s.scene.messages.empty());
        EXPECT_TRUE(s.scene.effects.empty());
        EXPECT_TRUE(s.scene.pictures.empty());
        EXPECT_TRUE(s.scene.waits.empty());
        s.Run(With(kCmdGameWait, 1, {{0, 1}}));
        EXPECT_EQ(s.scene.waits.size(), 1u);
    }
    {
        // A picture whose file could not be read holds nothing.
        ShowStage s;
        s.scene.failLoad = true;
        s.Run(picture);
        EXPECT_EQ(s.scene.pictures.size(), 1u);
        EXPECT_TRUE(s.scene.waits.empty());
        EXPECT_TRUE(s.scene.removed.empty());
    }
    {
        // An effect number past the database starts nothing and waits for nothing.
        ShowStage s;
        s.Run(With(kCmdRunEffect, 8, {{0, 5}, {6, 100}, {7, 1}}));
        EXPECT_TRUE(s.scene.effects.empty());
        EXPECT_TRUE(s.scene.waits.empty());
    }
}
