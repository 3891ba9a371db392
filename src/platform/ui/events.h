// Where the in-window UI gets its input while a dialog runs: window-system events in
// our own form, from SDL in the real window or from a script in tests and headless runs.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace platform::ui {

struct UiEvent {
    enum class Type : uint8_t {
        None,     // the wait ended with nothing to report
        KeyDown,  // virtualKey, keyData as the window system packs it
        KeyUp,
        Text,         // committed text of the keyboard or the input method (UTF-8)
        Composition,  // the input method's text being composed (UTF-8; empty: ended)
        MouseMove,    // x, y in the 640x480 client
        MouseDown,    // button 0 left, 1 right; clicks 2 for a double click
        MouseUp,
        Close,  // the window's close box, or the end of a script
    };
    Type type = Type::None;
    int virtualKey = 0;
    uint32_t keyData = 0;
    std::string textUtf8;
    int x = 0, y = 0;
    int button = 0;
    int clicks = 1;
    // Close: true when the user closed the game window itself (the program should end),
    // false when only the dialog is to end.
    bool quitProgram = false;
};

// The key data word of a key message: repeat count 1, the scan code, bit 30 for a key
// that was down before, bit 31 for a release.
uint32_t MakeKeyData(bool up, bool wasDown, int scanCode = 0);

class EventSource {
  public:
    virtual ~EventSource() = default;
    // Waits up to timeoutMs for the next event; between waits the source does the
    // idle work of the UI thread (presenting the window, serving requests of other
    // threads). False when nothing came.
    virtual bool Next(UiEvent& out, uint32_t timeoutMs) = 0;
    // Text entry with the input method over a control's rectangle (client coordinates).
    virtual void StartTextInput(int x, int y, int width, int height) = 0;
    virtual void StopTextInput() = 0;
    // Whether the input method can be used at all (the window has an input context).
    virtual bool HasInputContext() const = 0;
    // Puts the mouse cursor at a client position.
    virtual void WarpMouse(int x, int y) = 0;
};

// Scripted events for tests and headless runs: the script is played in order; when
// it runs out, a Close ends whatever waits, so nothing can hang on a missing event.
class ScriptedEventSource : public EventSource {
  public:
    explicit ScriptedEventSource(bool inputContext = true) : inputContext_(inputContext) {}

    void Push(const UiEvent& event);
    void Key(int virtualKey);  // down and up
    void KeyDown(int virtualKey);
    void KeyUp(int virtualKey);
    void Type(const std::string& utf8);  // committed text
    void Compose(const std::string& utf8);
    void Click(int x, int y, int clicks = 1);
    // Runs fn on the UI thread when the script reaches this point (tests look at the
    // state in the middle of a dialog).
    void Call(std::function<void()> fn);

    bool Next(UiEvent& out, uint32_t timeoutMs) override;
    void StartTextInput(int x, int y, int width, int height) override;
    void StopTextInput() override;
    bool HasInputContext() const override { return inputContext_; }
    void WarpMouse(int x, int y) override;

    bool TextInputOn() const;
    int WarpX() const { return warpX_; }
    int WarpY() const { return warpY_; }
    // Steps not yet played; key releases can be left out (a key that ends a dialog is
    // released after it).
    size_t Remaining(bool countKeyUps = true) const;

  private:
    struct Step {
        UiEvent event;
        std::function<void()> call;
    };
    mutable std::mutex mutex_;
    std::deque<Step> steps_;
    bool inputContext_;
    bool textInput_ = false;
    int warpX_ = -1, warpY_ = -1;
};

}  // namespace platform::ui
