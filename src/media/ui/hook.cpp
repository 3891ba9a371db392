// The keyboard hook of the dialogs.
#include "media/ui/hook.h"

#include "core/msgbox.h"
#include "media/ui/ui_system.h"
#include "platform/input/virtual_keys.h"

namespace in = platform::input;

namespace {
void* g_hKeyboardHook = nullptr;
void* g_hOtherHook = nullptr;  // never installed here; released with the other
bool g_bControlDown = false;
bool g_failNextInstall = false;
}  // namespace

bool IsHookKey(int vk) {
    return vk == in::VK_SPACE || vk == in::VK_LEFT || vk == in::VK_UP || vk == in::VK_RIGHT ||
           vk == in::VK_DOWN || vk == in::VK_DELETE || (vk >= in::VK_F1 && vk <= in::VK_F1 + 7);
}

cHook::~cHook() {
    // The window may outlive its dialog object; it must not point at a dead hook.
    if (ui::IsWindow(m_hTarget) && ui::GetProp(m_hTarget, "cHook") == this)
        ui::RemoveProp(m_hTarget, "cHook");
}

bool cHook::Install(HWND window, bool forwardMode) {
    m_hTarget = window;
    m_bForward = forwardMode;
    ui::SetProp(window, "cHook", this);
    if (g_hKeyboardHook) return true;
    if (g_failNextInstall) {
        g_failNextInstall = false;
        return false;
    }
    g_hKeyboardHook = ui::InstallKeyboardHook(&cHook::HookProc);
    return g_hKeyboardHook != nullptr;
}

void UnhookAll() {
    if (g_hKeyboardHook) ui::RemoveKeyboardHook(g_hKeyboardHook);
    if (g_hOtherHook) ui::RemoveKeyboardHook(g_hOtherHook);
    g_hKeyboardHook = g_hOtherHook = nullptr;
    g_bControlDown = false;
}

void FailNextHookInstallForTest() {
    g_failNextInstall = true;
}

LRESULT cHook::HookProc(int code, WPARAM virtualKey, LPARAM keyData) {
    if (code < 0 || code == ui::HC_NOREMOVE) return ui::CallNextHook(code, virtualKey, keyData);
    HWND active = ui::ActiveWindow();
    auto* hook = static_cast<cHook*>(ui::GetProp(active, "cHook"));
    if (!hook || hook->m_hTarget != active) return ui::CallNextHook(code, virtualKey, keyData);
    const int vk = static_cast<int>(virtualKey);
    const bool context = ui::HasInputContext(active);
    const bool composing = context && !ui::CompositionOf(active).empty();
    if (static_cast<uint32_t>(keyData) & 0x80000000u) {
        if (vk == in::VK_CONTROL) g_bControlDown = false;
        if (!(hook->m_bForward && g_bControlDown))
            ui::PostMessage(active, WM_KEYUP, virtualKey, keyData);
        return ui::CallNextHook(code, virtualKey, keyData);
    }
    if (!context) DebugErrorBoxF("Err ImmGetContext");
    if (vk == in::VK_RETURN) {
        // Enter commits the composition: it belongs to the input method.
        if (composing) return ui::CallNextHook(code, virtualKey, keyData);
    } else if (vk == in::VK_TAB) {
        return ui::CallNextHook(code, virtualKey, keyData);
    } else {
        if (context && !composing && IsHookKey(vk)) {
            ui::PostMessage(active, WM_HOOKKEY, virtualKey, keyData);
            return ui::CallNextHook(code, virtualKey, keyData);
        }
        if (vk == in::VK_CONTROL) g_bControlDown = true;
    }
    // In forward mode (a modeless dialog) Ctrl combinations are not copied.
    if (!(hook->m_bForward && g_bControlDown))
        ui::PostMessage(active, WM_KEYDOWN, virtualKey, keyData);
    return ui::CallNextHook(code, virtualKey, keyData);
}
