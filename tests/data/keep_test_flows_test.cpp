// Whether character definitions keep their test-play flows in this run.
#include <gtest/gtest.h>

#include "core/log.h"
#include "core/start_flags.h"
#include "data/flow_record.h"
#include "data/system_data.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

TEST(KeepTestFlows, EditorStartOrTheProjectSwitchKeepsThem) {
    wftest::TempDir dir;
    wftest::ScopedCurrentDir cwd(dir.Path());
    wftest::ScriptedBoxes boxes;
    const cSystemData saved = g_SystemData;
    // No System.dat here: the load fails, but the question is in place for what follows.
    EXPECT_FALSE(LoadSystemData(1));
    const struct {
        bool editor;
        uint32_t keepSwitch;
        bool kept;
    } cases[] = {{false, 0, false}, {true, 0, true}, {false, 1, true}, {true, 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "editor " << c.editor << " switch " << c.keepSwitch);
        g_bStartedByEditor = c.editor, g_SystemData.m_bKeepTestFlows = c.keepSwitch;
        EXPECT_EQ(KeepTestFlows(), c.kept);
    }
    g_bStartedByEditor = false, g_SystemData = saved;
    SetKeepTestFlowsQuery(nullptr);
    ResetLogsForTest();
}
