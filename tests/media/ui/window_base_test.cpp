// The window base's own bars: a toolbar over the top rows and a status bar along the
// bottom, the sizes they add to the window, the client area they leave, and the layout
// that follows every change of size.
#include "media/ui/window_base.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "media/ui/dialog.h"
#include "support/ui_harness.h"

namespace {

constexpr uint16_t kBarDialog = 0xE001;

// x, y, width, height; all -1 for a bar that is not there.
using Box = std::array<int, 4>;
Box BoxOf(HWND w) {
    return w ? Box{w->x, w->y, w->width, w->height} : Box{-1, -1, -1, -1};
}
Box BoxOf(const ui::Rect& r) {
    return {r.x, r.y, r.width, r.height};
}

// A captioned window of a 200 x 100 client area with the bars and scroll bars asked for.
class BarWindow : public cDialog {
  public:
    BarWindow(int toolbarRows, int statusMode, uint32_t scrollMask) {
        SetCreateParams(kBarDialog, nullptr, 0);
        Create(200, 100, 100, 100, 640, 480, WS_POPUP | WS_CAPTION, false, toolbarRows, statusMode,
               0, scrollMask);
    }
};

}  // namespace

TEST(WindowBase, BarsTakeTheirRowsAndFollowEverySize) {
    wftest::UiHarness harness;
    ui::DialogTemplate t;
    t.caption = true;
    t.clientWidth = 50;  // the window's own client size wins
    t.clientHeight = 50;
    ui::RegisterDialogTemplate(kBarDialog, t);
    const struct Case {
        const char* name;
        int rows, status;
        uint32_t scroll;
        int windowW, windowH;  // frames 3 | 3 and 23 | 3
        Box client;
        int scrollBarTop;  // the horizontal scroll bar, -1 none
    } cases[] = {
        // Mode 1 takes the strip under the client area, the toolbar row the top; the own
        // scroll bars stand between them.
        {"toolbar, status 1, both scroll bars",
         1,
         1,
         3,
         222,
         100 + 26 + 28 + 20 + 16,
         {0, 28, 200, 100},
         128},
        // A status bar of mode 2 lies over the client area: the window grows by it, the
        // client area keeps it.
        {"two rows, status 2", 2, 2, 0, 206, 100 + 26 + 56 + 20, {0, 56, 200, 120}, -1},
        {"no bars", 0, 0, 0, 206, 126, {0, 0, 200, 100}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BarWindow window(c.rows, c.status, c.scroll);
        EXPECT_EQ(std::tie(window.m_nWindowW, window.m_nWindowH), std::tie(c.windowW, c.windowH));
        Box made{}, client{}, status{}, toolbar{}, scrollBar{};
        Box grownClient{}, grownStatus{}, grownToolbar{};
        harness.events->Call([&] {
            HWND w = window.m_hWnd;
            made = {0, 0, w->width, w->height};
            client = BoxOf(window.m_rcClient);
            status = BoxOf(window.m_hStatusBar);
            toolbar = BoxOf(window.m_hToolbar);
            scrollBar = BoxOf(window.m_hScroll[0]);
            // A new size reaches the bars through WM_SIZE.
            window.SetClientSize(300, 150);
            grownClient = BoxOf(window.m_rcClient);
            grownStatus = BoxOf(window.m_hStatusBar);
            grownToolbar = BoxOf(window.m_hToolbar);
        });
        EXPECT_EQ(window.DoModal(0), 0);
        EXPECT_EQ(made, (Box{0, 0, c.windowW, c.windowH}));
        EXPECT_EQ(client, c.client);
        const int clientW = c.windowW - 6, clientH = c.windowH - 26;
        const Box noBar{-1, -1, -1, -1};
        EXPECT_EQ(status, (c.status ? Box{0, clientH - 20, clientW, 20} : noBar));
        EXPECT_EQ(toolbar, (c.rows ? Box{0, 0, clientW, 28 * c.rows} : noBar));
        EXPECT_EQ(scrollBar, (c.scrollBarTop < 0 ? noBar : Box{0, c.scrollBarTop, 200, 16}));

        const int grownW = clientW + 100, grownH = clientH + 50;
        EXPECT_EQ(grownClient, (Box{0, c.client[1], 300, c.client[3] + 50}));
        EXPECT_EQ(grownStatus, (c.status ? Box{0, grownH - 20, grownW, 20} : noBar));
        EXPECT_EQ(grownToolbar, (c.rows ? Box{0, 0, grownW, 28 * c.rows} : noBar));
        // The bars went with the window.
        EXPECT_EQ(std::tie(window.m_hStatusBar, window.m_hToolbar),
                  std::make_tuple(nullptr, nullptr));
    }
}
