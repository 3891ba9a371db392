// Answers the game's message boxes in tests and records what was asked.
#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "platform/msgbox/msgbox.h"

namespace wftest {

class ScriptedBoxes {
public:
    // Installs itself as the answerer; each box takes the next scripted answer, or
    // the box's default button when none is left.
    explicit ScriptedBoxes(std::vector<int> answers = {});
    ~ScriptedBoxes();

    std::vector<platform::msgbox::Request> Asked() const;

private:
    mutable std::mutex mutex_;
    std::deque<int> answers_;
    std::vector<platform::msgbox::Request> asked_;
};

// Records every message posted to the main window while it lives.
class PostedMessages {
public:
    PostedMessages();
    ~PostedMessages();
    std::vector<UINT> Messages() const;
    int Count(UINT message) const;

private:
    mutable std::mutex mutex_;
    std::vector<UINT> messages_;
};

}  // namespace wftest
