// The start-up report's display block read from the software device.
#include "media/draw/dd_display_facts.h"

#include <gtest/gtest.h>

#include "core/system_report.h"
#include "support/dd_test_fixture.h"

namespace wftest {

class DisplayFactsTest : public DDTest {
  protected:
    void SetUp() override {
        DDTest::SetUp();
        DDInstallDisplayFacts();
    }
    void TearDown() override {
        DDRemoveDisplayFacts();
        DDTest::TearDown();
    }
};

TEST_F(DisplayFactsTest, ReportNamesTheModeTheDeviceStartedIn) {
    struct Case {
        uint32_t mode;
        bool windowed;
        const char* line;
    };
    const Case cases[] = {{0, true, "Mode : Window"}, {1, false, "Mode : Fullscreen"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        ASSERT_TRUE(Init(c.mode, 32, c.windowed));
        ASSERT_TRUE(ReportOpen(dir_.File("report.txt").c_str()));
        ReportDisplayInfo(1);
        EXPECT_NE(Report().find(c.line), std::string::npos) << Report();
        for (DDSURFACEDATA& sd : table_) DDReleaseSurface(&sd);
        DDEnd();
    }
}

TEST_F(DisplayFactsTest, FormatTableSaysWhatTheDeviceCanDo) {
    ASSERT_TRUE(Init(1, 32, true));
    ASSERT_TRUE(ReportOpen(dir_.File("report.txt").c_str()));
    ReportDisplayInfo(1);
    // Render targets, dynamic textures and software processing are the device's own;
    // mipmaps, depth and displacement maps it has not; the rest are buffer usages.
    const char* lines[] = {
        "AU-SU× AU-TE× ", "DE-SU× DE-TE× ",   "DM-SU× DM-TE× ",   "DO-SU？ DO-TE？ ",
        "DY-SU× DY-TE○ ", "NP-SU？ NP-TE？ ", "PO-SU？ PO-TE？ ", "RT-SU？ RT-TE？ ",
        "RE-SU○ RE-TE○ ", "SO-SU○ SO-TE○ ",   "WR-SU？ WR-TE？ ",
    };
    const std::string report = Report();
    for (const char* line : lines) EXPECT_NE(report.find(line), std::string::npos) << line;
    for (DDSURFACEDATA& sd : table_) DDReleaseSurface(&sd);
    DDEnd();
}

TEST_F(DisplayFactsTest, DriverLevelFollowsTheDevice) {
    EXPECT_EQ(GetDxDiagDDIVersion(), 9);
    vid::Caps caps;
    caps.ddiVersion = 8;
    vid::SetCaps(caps);
    // An old driver is seen, so the Direct3D start can refuse it.
    EXPECT_EQ(GetDxDiagDDIVersion(), 8);
}

}  // namespace wftest
