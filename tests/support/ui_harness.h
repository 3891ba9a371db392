// The in-window UI run headless for tests: a memory presenter, scripted events, and
// everything the UI keeps forgotten before and after.
#pragma once

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
    ~UiHarness() { Forget(); }
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
