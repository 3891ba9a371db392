// Message boxes drawn in the window, and the overlay the UI lays over the last frame.
#include "media/ui/message_box.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/msgbox.h"
#include "platform/input/virtual_keys.h"
#include "platform/video/present.h"
#include "support/ui_harness.h"

namespace in = platform::input;
namespace vid = platform::video;

TEST(WindowMessageBox, AnswersByKeys) {
    struct Case {
        const char* name;
        UINT type;
        std::vector<int> keys;
        int answer;
    } cases[] = {
        {"Enter on OK", MB_OK, {in::VK_RETURN}, IDOK},
        {"Esc on OK", MB_OK, {in::VK_ESCAPE}, IDOK},
        {"Esc takes Cancel", MB_OKCANCEL, {in::VK_ESCAPE}, IDCANCEL},
        {"second default button", MB_YESNO | MB_DEFBUTTON2, {in::VK_RETURN}, IDNO},
        {"Tab to the next button", MB_YESNOCANCEL, {in::VK_TAB, in::VK_RETURN}, IDNO},
        {"Space presses the focused button", MB_RETRYCANCEL, {in::VK_SPACE}, IDRETRY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wftest::UiHarness ui;
        for (int k : c.keys) ui.events->Key(k);
        EXPECT_EQ(AppMessageBox("text", "caption", c.type), c.answer);
        EXPECT_EQ(ui::ActiveWindow(), nullptr);
    }
}

TEST(WindowMessageBox, OtherThreadsAndNoWindowKeepToTheSystemBox) {
    wftest::UiHarness ui;
    // SDL's box cannot open under the dummy driver: the default button answers, and
    // nothing was drawn in the window.
    int answer = 0;
    std::thread([&] {
        answer = AppMessageBox("text", "caption", MB_YESNO | MB_DEFBUTTON2);
    }).join();
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(ui.presenter->Frames(), 0);
    EXPECT_TRUE(ui.presenter->Pixels().empty());
    ui::RemoveHost();
    EXPECT_EQ(AppMessageBox("text", "caption", MB_OK), IDOK);
}

TEST(Overlay, DialogsLieOverTheLastFrameUntilTheyEnd) {
    struct Case {
        const char* name;
        bool frame;
        uint32_t outside;  // a pixel away from the box
    } cases[] = {
        {"over the game's frame", true, 0xFF336699},
        {"before the display starts: on black", false, 0xFF000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wftest::UiHarness ui;
        if (c.frame) {
            vid::Image frame(vid::PixelFormat::X8R8G8B8, 640, 480);
            frame.FillAll(0x336699);
            ui.presenter->Submit(frame, vid::Palette{});
        }
        std::vector<uint32_t> during;
        int x = 0, y = 0, width = 0;
        ui.events->Call([&] {
            during = ui.presenter->Pixels();
            HWND box = ui::ActiveWindow();
            x = box->x;
            y = box->y;
            width = box->width;
        });
        ui.events->Key(in::VK_RETURN);
        ui::RunMessageBox("text", "caption", MB_OK);
        ASSERT_EQ(during.size(), 640u * 480u);
        EXPECT_EQ(during[5 * 640 + 5], c.outside);
        // The caption bar under the frame's edge, the face colour inside.
        EXPECT_EQ(during[(y + 5) * 640 + x + 10], 0xFF0A246Au);
        EXPECT_EQ(during[(y + 40) * 640 + x + width - 5], 0xFFD4D0C8u);
        const std::vector<uint32_t> after = ui.presenter->Pixels();
        if (c.frame) {
            EXPECT_EQ(after, std::vector<uint32_t>(640 * 480, 0xFF336699));
        } else {
            EXPECT_TRUE(after.empty());
        }
    }
}
