#include "core/msgbox.h"

#include <gtest/gtest.h>

#include "core/log.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

struct FullScreenCalls {
    static inline int count = 0;
    static inline std::string caption;
    static int Route(const char*, const char* c, UINT) {
        ++count;
        caption = c;
        return IDNO;
    }
};

class MsgBoxTest : public testing::Test {
  protected:
    void SetUp() override {
        FullScreenCalls::count = 0;
        SetFullScreenBoxRoute(&FullScreenCalls::Route);
        ResetLogsForTest();
    }
    void TearDown() override {
        SetFullScreenBoxRoute(nullptr);
        GetDisplayFlags().started = false;
        GetDisplayFlags().windowed = true;
        ResetLogsForTest();
    }
};

}  // namespace

TEST_F(MsgBoxTest, RoutesToTheFullScreenBoxOnlyWhenStartedAndFullScreen) {
    wftest::ScriptedBoxes boxes({IDYES, IDYES, IDYES});
    struct Case {
        bool started, windowed;
        bool fullScreenRoute;
    };
    const Case cases[] = {{false, false, false}, {true, true, false}, {true, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "started " << c.started << " windowed " << c.windowed);
        GetDisplayFlags().started = c.started;
        GetDisplayFlags().windowed = c.windowed;
        const int before = FullScreenCalls::count;
        const int r = AppMessageBox("q", "二重起動", MB_YESNO);
        EXPECT_EQ(FullScreenCalls::count - before, c.fullScreenRoute ? 1 : 0);
        EXPECT_EQ(r, c.fullScreenRoute ? IDNO : IDYES);
    }
    EXPECT_EQ(boxes.Asked().size(), 2u);
    EXPECT_EQ(FullScreenCalls::caption, "二重起動");
}

TEST_F(MsgBoxTest, ErrorBoxesUseTheErrorCaptionAndOkDebugOnesOnlyWhileTracing) {
    wftest::ScriptedBoxes boxes;
    EXPECT_EQ(ErrorBoxF("%d", 5), IDOK);
    EXPECT_EQ(DebugErrorBoxF("hidden %d", 1), 0);  // tracing is off
    const auto asked = boxes.Asked();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].textSjis, "5");
    EXPECT_EQ(asked[0].type, MB_OK);
    // "エラー" in code page 932.
    EXPECT_EQ(wftest::BytesOf(asked[0].captionSjis),
              (std::vector<uint8_t>{0x83, 0x47, 0x83, 0x89, 0x81, 0x5B}));
    // While tracing, the debug box shows.
    TraceSetup(1, "");
    EXPECT_EQ(DebugErrorBoxF("seen %d", 2), IDOK);
    ASSERT_EQ(boxes.Asked().size(), 2u);
    EXPECT_EQ(boxes.Asked()[1].textSjis, "seen 2");
}

TEST_F(MsgBoxTest, OutOfMemoryShowsTheBoxThenClosesTheWindow) {
    wftest::ScriptedBoxes boxes;
    wftest::PostedMessages posted;
    OutOfMemoryBox();
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].textSjis, "メモリが不足しています！");
    EXPECT_EQ(posted.Count(WM_CLOSE), 1);
}
