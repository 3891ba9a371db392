// The scripted event source of tests and headless runs.
#include "platform/ui/events.h"

namespace platform::ui {

uint32_t MakeKeyData(bool up, bool wasDown, int scanCode) {
    uint32_t data = 1u | (static_cast<uint32_t>(scanCode) & 0xFF) << 16;
    if (wasDown || up) data |= 1u << 30;
    if (up) data |= 1u << 31;
    return data;
}

void ScriptedEventSource::Push(const UiEvent& event) {
    std::lock_guard lock(mutex_);
    steps_.push_back({event, nullptr});
}

void ScriptedEventSource::KeyDown(int virtualKey) {
    UiEvent e;
    e.type = UiEvent::Type::KeyDown;
    e.virtualKey = virtualKey;
    e.keyData = MakeKeyData(false, false);
    Push(e);
}

void ScriptedEventSource::KeyUp(int virtualKey) {
    UiEvent e;
    e.type = UiEvent::Type::KeyUp;
    e.virtualKey = virtualKey;
    e.keyData = MakeKeyData(true, true);
    Push(e);
}

void ScriptedEventSource::Key(int virtualKey) {
    KeyDown(virtualKey);
    KeyUp(virtualKey);
}

void ScriptedEventSource::Type(const std::string& utf8) {
    UiEvent e;
    e.type = UiEvent::Type::Text;
    e.textUtf8 = utf8;
    Push(e);
}

void ScriptedEventSource::Compose(const std::string& utf8) {
    UiEvent e;
    e.type = UiEvent::Type::Composition;
    e.textUtf8 = utf8;
    Push(e);
}

void ScriptedEventSource::Click(int x, int y, int clicks) {
    UiEvent e;
    e.x = x;
    e.y = y;
    e.clicks = clicks;
    e.type = UiEvent::Type::MouseMove;
    Push(e);
    e.type = UiEvent::Type::MouseDown;
    Push(e);
    e.type = UiEvent::Type::MouseUp;
    Push(e);
}

void ScriptedEventSource::Call(std::function<void()> fn) {
    std::lock_guard lock(mutex_);
    steps_.push_back({UiEvent{}, std::move(fn)});
}

bool ScriptedEventSource::Next(UiEvent& out, uint32_t /*timeoutMs*/) {
    for (;;) {
        Step step;
        {
            std::lock_guard lock(mutex_);
            if (steps_.empty()) {
                out = UiEvent{};
                out.type = UiEvent::Type::Close;
                return true;
            }
            step = std::move(steps_.front());
            steps_.pop_front();
        }
        if (!step.call) {
            out = step.event;
            return true;
        }
        step.call();
    }
}

void ScriptedEventSource::StartTextInput(int, int, int, int) {
    std::lock_guard lock(mutex_);
    textInput_ = true;
}

void ScriptedEventSource::StopTextInput() {
    std::lock_guard lock(mutex_);
    textInput_ = false;
}

void ScriptedEventSource::WarpMouse(int x, int y) {
    warpX_ = x;
    warpY_ = y;
}

bool ScriptedEventSource::TextInputOn() const {
    std::lock_guard lock(mutex_);
    return textInput_;
}

size_t ScriptedEventSource::Remaining(bool countKeyUps) const {
    std::lock_guard lock(mutex_);
    size_t n = 0;
    for (const Step& s : steps_)
        if (countKeyUps || s.call || s.event.type != UiEvent::Type::KeyUp) ++n;
    return n;
}

}  // namespace platform::ui
