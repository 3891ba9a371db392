#include "support/scripted_boxes.h"

#include <algorithm>

#include "platform/msg/msg.h"

namespace wftest {

ScriptedBoxes::ScriptedBoxes(std::vector<int> answers) : answers_(answers.begin(), answers.end()) {
    platform::msgbox::SetScriptedAnswerer([this](const platform::msgbox::Request& r) {
        std::lock_guard lock(mutex_);
        asked_.push_back(r);
        if (answers_.empty()) return platform::msgbox::DefaultButton(r.type);
        const int a = answers_.front();
        answers_.pop_front();
        return a;
    });
}

ScriptedBoxes::~ScriptedBoxes() { platform::msgbox::SetScriptedAnswerer(nullptr); }

std::vector<platform::msgbox::Request> ScriptedBoxes::Asked() const {
    std::lock_guard lock(mutex_);
    return asked_;
}

PostedMessages::PostedMessages() {
    platform::msg::ResetMainWindowQueue();
    platform::msg::SetMainWindowPostObserver([this](const platform::msg::Message& m) {
        std::lock_guard lock(mutex_);
        messages_.push_back(m.message);
    });
}

PostedMessages::~PostedMessages() {
    platform::msg::SetMainWindowPostObserver(nullptr);
    platform::msg::ResetMainWindowQueue();
}

std::vector<UINT> PostedMessages::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

int PostedMessages::Count(UINT message) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(messages_.begin(), messages_.end(), message));
}

}  // namespace wftest
