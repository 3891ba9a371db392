// Which window-less video driver counts as asked for: SDL_VIDEODRIVER names it, alone or
// in a list, in any letter case; nothing else does.
#include <gtest/gtest.h>

#include "platform/window/window_host.h"

namespace {

TEST(WindowDriver, AWindowlessDriverCountsOnlyWhenSdlVideoDriverNamesIt) {
    struct Case {
        const char* driver;
        const char* requested;
        bool asked;
    };
    const Case cases[] = {
        {"dummy", "dummy", true},
        {"dummy", "DUMMY", true},
        {"offscreen", "offscreen", true},
        {"dummy", "x11,dummy", true},
        {"dummy", "x11, dummy ", true},
        {"dummy", nullptr, false},
        {"dummy", "", false},
        {"offscreen", "dummy", false},
        {"dummy", "dummyx", false},
        {"dummy", "x11,wayland", false},
        {nullptr, "dummy", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.driver ? c.driver : "null") << " / "
                                        << (c.requested ? c.requested : "null"));
        EXPECT_EQ(platform::window::WindowlessDriverRequested(c.driver, c.requested), c.asked);
    }
}

}  // namespace
