// The key table and the joystick slots, and the translation of physical keys into the
// virtual-key codes the game tests.
#include "platform/input/input.h"

#include <array>
#include <atomic>
#include <mutex>
#include <unordered_map>

#include "platform/diag.h"
#include "platform/input/virtual_keys.h"

namespace platform::input {
namespace {

// USB HID keyboard usages of the keys with a fixed meaning.
constexpr uint32_t kUsageA = 4;
constexpr uint32_t kUsageZ = 29;
constexpr uint32_t kUsage1 = 30;
constexpr uint32_t kUsage0 = 39;
constexpr uint32_t kUsageF1 = 58;
constexpr uint32_t kUsageF12 = 69;
constexpr uint32_t kUsageKp1 = 89;
constexpr uint32_t kUsageKp0 = 98;

std::array<std::atomic<uint8_t>, 256> g_keys{};

// UI thread only: which virtual key each held physical key set, so that its release
// clears the same code even when Num Lock or the layout changed in between.
std::unordered_map<uint32_t, int> g_heldUsage;

struct JoySlot {
    bool used = false;
    int32_t device = 0;
    JoyPos pos;
};
std::mutex g_joyMutex;
std::array<JoySlot, kMaxJoysticks> g_joys;

int FixedVirtualKey(uint32_t usage, bool numLock) {
    if (usage >= kUsageA && usage <= kUsageZ) return 'A' + static_cast<int>(usage - kUsageA);
    if (usage >= kUsage1 && usage < kUsage0) return '1' + static_cast<int>(usage - kUsage1);
    if (usage == kUsage0) return '0';
    if (usage >= kUsageF1 && usage <= kUsageF12) return VK_F1 + static_cast<int>(usage - kUsageF1);
    if (usage >= kUsageKp1 && usage <= kUsageKp0) {
        // The pad's digits, or with Num Lock off the editing keys printed beside them.
        static constexpr int kNavigation[10] = {VK_END,   VK_DOWN, VK_NEXT, VK_LEFT,  VK_CLEAR,
                                                VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR, VK_INSERT};
        const int i = static_cast<int>(usage - kUsageKp1);  // 0 = pad 1 ... 9 = pad 0
        if (!numLock) return kNavigation[i];
        return usage == kUsageKp0 ? VK_NUMPAD0 : VK_NUMPAD0 + 1 + i;
    }
    switch (usage) {
        case 40:
            return VK_RETURN;
        case 41:
            return VK_ESCAPE;
        case 42:
            return VK_BACK;
        case 43:
            return VK_TAB;
        case 44:
            return VK_SPACE;
        case 45:
            return VK_OEM_MINUS;
        case 46:
            return VK_OEM_PLUS;
        case 47:
            return VK_OEM_4;
        case 48:
            return VK_OEM_6;
        case 49:
            return VK_OEM_5;
        case 50:
            return VK_OEM_5;  // the key beside Enter on non-US boards
        case 51:
            return VK_OEM_1;
        case 52:
            return VK_OEM_7;
        case 53:
            return VK_OEM_3;
        case 54:
            return VK_OEM_COMMA;
        case 55:
            return VK_OEM_PERIOD;
        case 56:
            return VK_OEM_2;
        case 57:
            return VK_CAPITAL;
        case 70:
            return VK_SNAPSHOT;
        case 71:
            return VK_SCROLL;
        case 72:
            return VK_PAUSE;
        case 73:
            return VK_INSERT;
        case 74:
            return VK_HOME;
        case 75:
            return VK_PRIOR;
        case 76:
            return VK_DELETE;
        case 77:
            return VK_END;
        case 78:
            return VK_NEXT;
        case 79:
            return VK_RIGHT;
        case 80:
            return VK_LEFT;
        case 81:
            return VK_DOWN;
        case 82:
            return VK_UP;
        case 83:
            return VK_NUMLOCK;
        case 84:
            return VK_DIVIDE;
        case 85:
            return VK_MULTIPLY;
        case 86:
            return VK_SUBTRACT;
        case 87:
            return VK_ADD;
        case 88:
            return VK_RETURN;  // the pad's Enter is the same key to the game
        case 99:
            return numLock ? VK_DECIMAL : VK_DELETE;
        case 100:
            return VK_OEM_102;
        case 101:
            return VK_APPS;
        case 135:
            return VK_OEM_102;  // Japanese ろ
        case 137:
            return VK_OEM_5;  // Japanese yen
        case 138:
            return VK_CONVERT;
        case 139:
            return VK_NONCONVERT;
        case 224:
            return VK_LCONTROL;
        case 225:
            return VK_LSHIFT;
        case 226:
            return VK_LMENU;
        case 227:
            return VK_LWIN;
        case 228:
            return VK_RCONTROL;
        case 229:
            return VK_RSHIFT;
        case 230:
            return VK_RMENU;
        case 231:
            return VK_RWIN;
        default:
            return 0;
    }
}

void StoreKey(int vk, bool down) {
    g_keys[static_cast<size_t>(vk)].store(down ? 1 : 0, std::memory_order_relaxed);
    // The generic modifier reads as held while either side is.
    auto both = [](int generic, int left, int right) {
        const bool held = g_keys[static_cast<size_t>(left)].load(std::memory_order_relaxed) ||
                          g_keys[static_cast<size_t>(right)].load(std::memory_order_relaxed);
        g_keys[static_cast<size_t>(generic)].store(held ? 1 : 0, std::memory_order_relaxed);
    };
    if (vk == VK_LSHIFT || vk == VK_RSHIFT) both(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    if (vk == VK_LCONTROL || vk == VK_RCONTROL) both(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    if (vk == VK_LMENU || vk == VK_RMENU) both(VK_MENU, VK_LMENU, VK_RMENU);
}

void ClearKeys() {
    for (auto& key : g_keys) key.store(0, std::memory_order_relaxed);
    g_heldUsage.clear();
}

uint32_t AxisToJoy(int32_t value) {
    if (value < -32768) value = -32768;
    if (value > 32767) value = 32767;
    return static_cast<uint32_t>(value + 32768);
}

void HandleJoystick(const InputEvent& event) {
    std::lock_guard lock(g_joyMutex);
    JoySlot* slot = nullptr;
    for (auto& s : g_joys)
        if (s.used && s.device == event.device) slot = &s;

    switch (event.type) {
        case InputEvent::Type::JoystickAdded:
            if (slot) return;  // already known
            for (auto& s : g_joys) {
                if (!s.used) {
                    s = JoySlot{true, event.device, JoyPos{}};
                    return;
                }
            }
            Diag(DiagLevel::Warn, "input", "joystick %d ignored: all %u joystick slots are taken",
                 event.device, kMaxJoysticks);
            return;
        case InputEvent::Type::JoystickRemoved:
            if (slot) *slot = JoySlot{};
            return;
        case InputEvent::Type::JoystickAxis:
            if (!slot) return;
            if (event.index == 0) slot->pos.x = AxisToJoy(event.axisValue);
            if (event.index == 1) slot->pos.y = AxisToJoy(event.axisValue);
            return;
        case InputEvent::Type::JoystickButton:
            if (!slot || event.index < 0 || event.index >= 32) return;
            if (event.pressed)
                slot->pos.buttons |= 1u << event.index;
            else
                slot->pos.buttons &= ~(1u << event.index);
            return;
        default:
            return;
    }
}

}  // namespace

int VirtualKeyFor(uint32_t usage, char32_t layoutChar, bool numLock) {
    // Letters follow the layout, as Windows' codes do; a layout without Latin letters
    // keeps the code of the key's place.
    if (usage >= kUsageA && usage <= kUsageZ) {
        if (layoutChar >= U'a' && layoutChar <= U'z')
            return 'A' + static_cast<int>(layoutChar - U'a');
        if (layoutChar >= U'A' && layoutChar <= U'Z') return static_cast<int>(layoutChar);
    }
    return FixedVirtualKey(usage, numLock);
}

void HandleInputEvent(const InputEvent& event) {
    switch (event.type) {
        case InputEvent::Type::KeyDown: {
            auto held = g_heldUsage.find(event.usage);
            if (held != g_heldUsage.end()) return;  // auto-repeat of a held key
            const int vk = VirtualKeyFor(event.usage, event.layoutChar, event.numLock);
            if (vk == 0) return;
            g_heldUsage[event.usage] = vk;
            StoreKey(vk, true);
            return;
        }
        case InputEvent::Type::KeyUp: {
            auto held = g_heldUsage.find(event.usage);
            if (held == g_heldUsage.end()) return;
            const int vk = held->second;
            g_heldUsage.erase(held);
            // Two physical keys can share a code (both Enters): the code stays held while
            // the other one is.
            for (const auto& [usage, other] : g_heldUsage)
                if (other == vk) return;
            StoreKey(vk, false);
            return;
        }
        case InputEvent::Type::FocusLost:
            ClearKeys();
            return;
        default:
            HandleJoystick(event);
            return;
    }
}

int16_t GetAsyncKeyState(int virtualKey) {
    return IsKeyDown(virtualKey) ? static_cast<int16_t>(0x8000) : 0;
}

bool IsKeyDown(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return false;
    return g_keys[static_cast<size_t>(virtualKey)].load(std::memory_order_relaxed) != 0;
}

bool ReadJoystick(unsigned id, JoyPos& out) {
    if (id >= kMaxJoysticks) return false;
    std::lock_guard lock(g_joyMutex);
    if (!g_joys[id].used) return false;
    out = g_joys[id].pos;
    return true;
}

void ResetInput() {
    ClearKeys();
    std::lock_guard lock(g_joyMutex);
    g_joys.fill(JoySlot{});
}

}  // namespace platform::input
