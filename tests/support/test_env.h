// The process environment in tests: a variable changed for one scope and put back after
// it, and the X display that a test may use.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace wftest {

// Sets (or, with nullptr, removes) one environment variable; the destructor puts back
// what it held before, or removes it again when it was not set.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) before_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (before_)
            setenv(name_.c_str(), before_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> before_;
};

// The name of the variable that says DISPLAY is a virtual X server started for the test
// run (CTest and tools/xvfb-check.sh set it next to xvfb-run).
constexpr const char* kVirtualDisplayMark = "WRENFOLD_TEST_XVFB";

// The display a test that needs X may open: only a virtual server started for it, never
// the desktop of whoever runs the tests (keys and pointer moves would reach their windows).
// Null when there is none.
inline const char* VirtualXDisplay() {
    const char* mark = std::getenv(kVirtualDisplayMark);
    const char* display = std::getenv("DISPLAY");
    if (!mark || std::string(mark) != "1" || !display || !*display) return nullptr;
    return display;
}

}  // namespace wftest
