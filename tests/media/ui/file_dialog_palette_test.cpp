// The file dialogs over an 8-bit full-screen DirectDraw display: palette entry 0 is
// black while the dialog is up and the game's colour again afterwards.
#include <gtest/gtest.h>

#include "support/dd_test_fixture.h"
#include "media/ui/file_dialog.h"
#include "platform/input/virtual_keys.h"
#include "support/ui_harness.h"

namespace {
class FileDialogPaletteTest : public wftest::DDTest {};
}  // namespace

TEST_F(FileDialogPaletteTest, EntryZeroIsBlackOnlyWhileTheDialogIsUp) {
    struct Case {
        const char* name;
        uint32_t mode;
        int bits;
        bool windowed;
        uint32_t during;
    } cases[] = {
        {"8-bit DirectDraw, full screen", 0, 8, false, 0x000000},
        {"Direct3D keeps its palette", 1, 32, false, 0x0A141E},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Restart(c.mode, c.bits, c.windowed));
        g_DisplayPalette[0] = {0x0A, 0x14, 0x1E, 0};
        DDDevice().DisplayPalette[0] = 0x0A141E;
        wftest::UiHarness ui;
        uint32_t during = 1;
        ui.events->Call([&] { during = DDDevice().DisplayPalette[0]; });
        ui.events->Key(platform::input::VK_ESCAPE);
        char buffer[260] = {};
        EXPECT_EQ(SaveFileDialog(nullptr, buffer, "", "Save", nullptr, nullptr, false), 0);
        EXPECT_EQ(during, c.during);
        EXPECT_EQ(DDDevice().DisplayPalette[0], 0x0A141Eu);
    }
}
