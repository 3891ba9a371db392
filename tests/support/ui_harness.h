// The in-window UI run headless for tests: a memory presenter, scripted events, and
// everything the UI keeps forgotten before and after.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "media/ui/hook.h"
#include "media/ui/ui_system.h"
#include "media/ui/window_base.h"
#include "platform/ui/events.h"
#include "platform/video/present.h"

namespace wftest {

class UiHarness {
  public:
    explicit UiHarness(bool inputContext = true)
        : events(std::make_shared<platform::ui::ScriptedEventSource>(inputContext)),
          presenter(std::make_shared<platform::video::MemoryPresenter>()) {
        Forget();
        ui::InstallHost({presenter, events, nullptr});
    }
    // A script with steps left over would have fed the next dialog of the test.
    ~UiHarness() {
        EXPECT_EQ(events->Remaining(false), 0u) << "scripted events left unplayed";
        Forget();
    }
    UiHarness(const UiHarness&) = delete;
    UiHarness& operator=(const UiHarness&) = delete;

    std::shared_ptr<platform::ui::ScriptedEventSource> events;
    std::shared_ptr<platform::video::MemoryPresenter> presenter;

  private:
    static void Forget() {
        ui::ResetForTest();
        UnhookAll();
        ResetMouseButtonPoll();
    }
};

}  // namespace wftest
