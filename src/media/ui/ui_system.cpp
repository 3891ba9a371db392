// The windows, messages and modal loop of the in-window UI.
#include "media/ui/ui_system.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <map>

#include "core/strings.h"
#include "media/ui/message_box.h"
#include "media/ui/ui_paint.h"
#include "platform/input/input.h"
#include "platform/input/virtual_keys.h"
#include "platform/instance/instance_lock.h"
#include "platform/msg/msg.h"
#include "platform/msgbox/msgbox.h"
#include "platform/text/cp932.h"
#include "platform/video/present.h"

namespace ui {
namespace in = platform::input;
using platform::Window;
using platform::ui::UiEvent;

namespace {

struct Posted {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Dialog item texts for the core's GetDlgItemString and SetDlgItemString.
class ItemTexts : public DlgTextProvider {
  public:
    std::string GetItemText(HWND dialog, int id) override {
        return GetWindowText(GetDlgItem(dialog, id));
    }
    void SetItemText(HWND dialog, int id, const std::string& text) override {
        SetWindowText(GetDlgItem(dialog, id), text);
    }
};

struct State {
    Host host;
    Window* main = nullptr;  // owned below, or the app's own record
    std::unique_ptr<Window> ownedMain;
    std::vector<std::unique_ptr<Window>> tops;  // dialogs, bottom first
    std::deque<Posted> posted;
    std::map<uint16_t, DialogTemplate> templates;
    std::array<bool, 256> keys{};
    std::array<bool, 2> mouse{};
    int cursorX = 0, cursorY = 0;
    bool cursorKnown = false;
    KeyboardHookProc hook = nullptr;
    Window* pressed = nullptr;
    platform::video::Image overlay;
    bool overlayShown = false;
    bool textInput = false;
    // The user asked the program to close: no modal window stays open from here on.
    bool programClosing = false;
    ItemTexts itemTexts;
};

State& S() {
    static State state;
    return state;
}

bool Contains(const Window* root, const Window* w) {
    if (root == w) return true;
    for (const auto& c : root->children)
        if (Contains(c.get(), w)) return true;
    return false;
}

Window* TopOf(Window* w) {
    while (w && w->parent) w = w->parent;
    return w;
}

bool IsButtonKind(Kind k) {
    return k == Kind::PushButton || k == Kind::DefPushButton || k == Kind::RadioButton ||
           k == Kind::CheckBox;
}

bool Focusable(const Window* c) {
    return c->visible && c->enabled &&
           (IsButtonKind(c->kind) || c->kind == Kind::Edit || c->kind == Kind::ListBox);
}

void Notify(Window* control, UINT code) {
    if (!control || !control->parent) return;
    SendMessage(control->parent, WM_COMMAND, MakeWParam(static_cast<unsigned>(control->id), code),
                reinterpret_cast<LPARAM>(control));
}

// ---- edits ----

// Start of the character before byte position pos, Shift-JIS aware.
int PrevCharStart(const std::string& text, int pos) {
    int i = 0, last = 0;
    while (i < pos) {
        last = i;
        i += IsSjisPair(text.c_str() + i) ? 2 : 1;
    }
    return last;
}
int NextCharEnd(const std::string& text, int pos) {
    if (pos >= static_cast<int>(text.size())) return static_cast<int>(text.size());
    return pos + (IsSjisPair(text.c_str() + pos) ? 2 : 1);
}

void NormaliseSel(Window* e) {
    const int n = static_cast<int>(e->text.size());
    e->selStart = std::clamp(e->selStart, 0, n);
    e->selEnd = std::clamp(e->selEnd, 0, n);
}

// Replaces the selection; what would pass the text limit is cut at a whole character,
// and a text that cannot take anything is left alone. True when the text changed.
bool ReplaceSel(Window* e, std::string insert) {
    NormaliseSel(e);
    const int s = std::min(e->selStart, e->selEnd), t = std::max(e->selStart, e->selEnd);
    const size_t kept = e->text.size() - static_cast<size_t>(t - s);
    const size_t room = e->limit > kept ? e->limit - kept : 0;
    if (insert.size() > room) {
        size_t cut = 0;
        while (cut < insert.size()) {
            const size_t step = IsSjisPair(insert.c_str() + cut) ? 2 : 1;
            if (cut + step > room) break;
            cut += step;
        }
        insert.resize(cut);
        if (insert.empty() && s == t) return false;
    }
    if (insert.empty() && s == t) return false;
    e->text = e->text.substr(0, s) + insert + e->text.substr(t);
    e->selStart = e->selEnd = s + static_cast<int>(insert.size());
    return true;
}

// Committed UTF-8 as Shift-JIS: a character that has no code page 932 form is refused,
// as are control characters (a single-line edit takes no line breaks).
std::string CommittedSjis(const std::string& utf8, bool multiLine) {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        size_t len = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        len = std::min(len, utf8.size() - i);
        const std::string one = utf8.substr(i, len);
        i += len;
        if (lead < 0x20 || lead == 0x7F) {
            if (multiLine && lead == '\n') out += "\r\n";
            continue;
        }
        std::string sjis;
        if (platform::text::TryUtf8ToSjis(one, sjis)) out += sjis;
    }
    return out;
}

void EditKey(Window* e, int vk) {
    NormaliseSel(e);
    const int n = static_cast<int>(e->text.size());
    const bool shift = KeyHeld(in::VK_SHIFT);
    auto moveCaret = [&](int pos) {
        e->selEnd = pos;
        if (!shift) e->selStart = pos;
    };
    switch (vk) {
        case in::VK_LEFT:
            moveCaret(PrevCharStart(e->text, e->selEnd));
            break;
        case in::VK_RIGHT:
            moveCaret(NextCharEnd(e->text, e->selEnd));
            break;
        case in::VK_HOME:
            moveCaret(0);
            break;
        case in::VK_END:
            moveCaret(n);
            break;
        case in::VK_BACK:
            if (e->selStart == e->selEnd) {
                if (e->selStart == 0) return;
                // A line break goes as a whole.
                int from = PrevCharStart(e->text, e->selStart);
                if (from > 0 && e->text.compare(from - 1, 2, "\r\n") == 0) --from;
                e->selStart = from;
            }
            if (ReplaceSel(e, "")) Notify(e, EN_UPDATE);
            break;
        case in::VK_DELETE:
            if (e->selStart == e->selEnd) {
                if (e->selStart >= n) return;
                int to = NextCharEnd(e->text, e->selStart);
                if (e->text.compare(e->selStart, 2, "\r\n") == 0) to = e->selStart + 2;
                e->selEnd = to;
            }
            if (ReplaceSel(e, "")) Notify(e, EN_UPDATE);
            break;
        default:
            break;
    }
}

// ---- buttons, lists, focus ----

// The radio buttons that stand next to each other form one group.
std::vector<Window*> RadioGroup(Window* radio) {
    std::vector<Window*> group;
    Window* dialog = radio->parent;
    bool inGroup = false;
    for (const auto& c : dialog->children) {
        if (c->kind == Kind::RadioButton) {
            group.push_back(c.get());
            if (c.get() == radio) inGroup = true;
        } else if (c->kind != Kind::GroupBox) {
            if (inGroup) break;
            group.clear();
        }
    }
    return group;
}

void Click(Window* c) {
    if (!c || !c->enabled) return;
    if (c->kind == Kind::RadioButton) {
        for (Window* r : RadioGroup(c)) r->check = r == c ? 1 : 0;
    } else if (c->kind == Kind::CheckBox) {
        c->check = c->check ? 0 : 1;
    }
    Notify(c, BN_CLICKED);
}

void ListSelect(Window* list, int index, bool doubleClick) {
    if (list->items.empty()) return;
    index = std::clamp(index, 0, static_cast<int>(list->items.size()) - 1);
    const bool changed = index != list->curSel;
    list->curSel = index;
    if (changed) Notify(list, LBN_SELCHANGE);
    if (doubleClick) Notify(list, LBN_DBLCLK);
}

// The controls Tab stops at, in order: a radio group is one stop, its checked button
// (or its first).
std::vector<Window*> TabStops(Window* dialog) {
    std::vector<Window*> order;
    for (const auto& c : dialog->children) {
        if (!Focusable(c.get())) continue;
        if (c->kind == Kind::RadioButton) {
            const auto group = RadioGroup(c.get());
            Window* stop = group.front();
            for (Window* r : group)
                if (r->check) stop = r;
            if (stop != c.get()) continue;
        }
        order.push_back(c.get());
    }
    return order;
}

// An edit that the dialog manager gives the keyboard has its text selected, so typing
// replaces it.
void FocusStop(Window* control) {
    SetFocus(control);
    if (control->kind == Kind::Edit && !control->multiLine) SetEditSel(control, 0, -1);
}

void MoveFocus(Window* dialog, bool back) {
    const std::vector<Window*> order = TabStops(dialog);
    if (order.empty()) return;
    auto it = std::find(order.begin(), order.end(), dialog->focus);
    int i = it == order.end() ? (back ? 0 : -1) : static_cast<int>(it - order.begin());
    const int n = static_cast<int>(order.size());
    i = ((back ? i - 1 : i + 1) % n + n) % n;
    FocusStop(order[i]);
}

Window* DefaultButton(Window* dialog) {
    for (const auto& c : dialog->children)
        if (c->kind == Kind::DefPushButton && c->visible && c->enabled) return c.get();
    return nullptr;
}

// What the dialog manager does with a key the hook passed on.
void DialogKey(Window* dialog, int vk) {
    Window* f = dialog->focus;
    // While the input method composes, the keys are its own (Enter commits).
    if (f && f->kind == Kind::Edit && !f->composition.empty()) return;
    switch (vk) {
        case in::VK_TAB:
            MoveFocus(dialog, KeyHeld(in::VK_SHIFT));
            return;
        case in::VK_RETURN:
            if (f && (f->kind == Kind::PushButton || f->kind == Kind::DefPushButton)) {
                Click(f);
            } else if (f && f->kind == Kind::Edit && f->multiLine) {
                if (ReplaceSel(f, "\r\n")) Notify(f, EN_UPDATE);
            } else if (Window* def = DefaultButton(dialog)) {
                Click(def);
            } else {
                SendMessage(dialog, WM_COMMAND, MakeWParam(IDOK, BN_CLICKED), 0);
            }
            return;
        case in::VK_ESCAPE:
            // Esc ends the program's dialogs as their close box does.
            SendMessage(dialog, WM_CLOSE);
            return;
        default:
            break;
    }
    if (!f) return;
    if (vk == in::VK_SPACE) {
        if (IsButtonKind(f->kind)) {
            Click(f);
        } else if (f->kind == Kind::ListBox && f->multiSelect && f->curSel >= 0) {
            f->marked.resize(f->items.size());
            f->marked[f->curSel] = !f->marked[f->curSel];
            Notify(f, LBN_SELCHANGE);
        }
        return;
    }
    const bool arrow =
        vk == in::VK_LEFT || vk == in::VK_RIGHT || vk == in::VK_UP || vk == in::VK_DOWN;
    if (f->kind == Kind::Edit) {
        EditKey(f, vk);
    } else if (f->kind == Kind::RadioButton && arrow) {
        const auto group = RadioGroup(f);
        auto it = std::find(group.begin(), group.end(), f);
        const int n = static_cast<int>(group.size());
        int i = static_cast<int>(it - group.begin());
        i = ((vk == in::VK_LEFT || vk == in::VK_UP) ? i - 1 + n : i + 1) % n;
        SetFocus(group[i]);
        Click(group[i]);
    } else if (f->kind == Kind::ListBox) {
        const int rows = std::max(1, ListRows(f));
        switch (vk) {
            case in::VK_UP:
                ListSelect(f, f->curSel - 1, false);
                break;
            case in::VK_DOWN:
                ListSelect(f, f->curSel + 1, false);
                break;
            case in::VK_PRIOR:
                ListSelect(f, f->curSel - rows, false);
                break;
            case in::VK_NEXT:
                ListSelect(f, f->curSel + rows, false);
                break;
            case in::VK_HOME:
                ListSelect(f, 0, false);
                break;
            case in::VK_END:
                ListSelect(f, static_cast<int>(f->items.size()) - 1, false);
                break;
            default:
                break;
        }
        KeepListSelectionShown(f);
    }
}

// The control under a client position of a dialog (statics, frames and bars take no
// clicks).
Window* ControlAt(Window* dialog, int cx, int cy) {
    for (auto it = dialog->children.rbegin(); it != dialog->children.rend(); ++it) {
        Window* c = it->get();
        if (!c->visible || !c->enabled) continue;
        if (c->kind == Kind::Static || c->kind == Kind::GroupBox || c->kind == Kind::Icon ||
            c->kind == Kind::StatusBar || c->kind == Kind::Toolbar)
            continue;
        if (Rect{c->x, c->y, c->width, c->height}.Contains(cx, cy)) return c;
    }
    return nullptr;
}

void MouseEvent(const UiEvent& e) {
    State& s = S();
    Window* dialog = ActiveWindow();
    if (!dialog || !dialog->enabled) return;
    const int cx = e.x - dialog->ClientX(), cy = e.y - dialog->ClientY();
    const LPARAM pos = static_cast<LPARAM>((cx & 0xFFFF) | (cy & 0xFFFF) << 16);
    if (e.type == UiEvent::Type::MouseMove) {
        SendMessage(dialog, WM_MOUSEMOVE, 0, pos);
        return;
    }
    const bool down = e.type == UiEvent::Type::MouseDown;
    if (e.button == 1) {
        SendMessage(dialog,
                    down ? (e.clicks >= 2 ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP, 0,
                    pos);
        return;
    }
    if (down && dialog->caption && CloseBoxRect(dialog).Contains(e.x, e.y)) {
        SendMessage(dialog, WM_CLOSE);
        return;
    }
    Window* c = ControlAt(dialog, cx, cy);
    if (down) {
        s.pressed = nullptr;
        if (!c) {
            SendMessage(dialog, e.clicks >= 2 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, 0, pos);
            return;
        }
        if (Focusable(c)) SetFocus(c);
        if (IsButtonKind(c->kind)) {
            s.pressed = c;
        } else if (c->kind == Kind::ListBox) {
            const int row = ListRowAt(c, cy - c->y);
            if (row >= 0 && row < static_cast<int>(c->items.size())) {
                if (c->multiSelect && KeyHeld(in::VK_CONTROL)) {
                    c->marked.resize(c->items.size());
                    c->marked[row] = !c->marked[row];
                    c->curSel = row;
                    Notify(c, LBN_SELCHANGE);
                } else {
                    if (c->multiSelect) c->marked.assign(c->items.size(), 0);
                    ListSelect(c, row, e.clicks >= 2);
                }
            }
        } else if (c->kind == Kind::Edit) {
            c->selStart = c->selEnd = static_cast<int>(c->text.size());
        } else if (c->kind == Kind::ScrollBar) {
            // A click before or after the middle pages back or on.
            const bool before = c->vertical ? cy - c->y < c->height / 2 : cx - c->x < c->width / 2;
            SendMessage(dialog, c->vertical ? WM_VSCROLL : WM_HSCROLL,
                        before ? SB_PAGEUP : SB_PAGEDOWN, reinterpret_cast<LPARAM>(c));
        }
        return;
    }
    Window* wasPressed = s.pressed;
    s.pressed = nullptr;
    if (wasPressed && wasPressed == c && IsWindow(wasPressed)) {
        Click(wasPressed);
        return;
    }
    if (!c) SendMessage(dialog, WM_LBUTTONUP, 0, pos);
}

void UpdateTextInput() {
    State& s = S();
    if (!s.host.events) return;
    Window* dialog = ActiveWindow();
    Window* f = dialog ? dialog->focus : nullptr;
    if (f && f->kind == Kind::Edit && f->enabled) {
        s.host.events->StartTextInput(dialog->ClientX() + f->x, dialog->ClientY() + f->y, f->width,
                                      f->height);
        s.textInput = true;
    } else if (s.textInput) {
        s.host.events->StopTextInput();
        s.textInput = false;
    }
}

std::unique_ptr<Window> TakeTop(Window* w) {
    State& s = S();
    for (auto it = s.tops.begin(); it != s.tops.end(); ++it) {
        if (it->get() != w) continue;
        std::unique_ptr<Window> taken = std::move(*it);
        s.tops.erase(it);
        return taken;
    }
    return nullptr;
}

}  // namespace

void InstallHost(Host host) {
    S().host = std::move(host);
    S().programClosing = false;
    SetDlgTextProvider(&S().itemTexts);
    InstallWindowMessageBoxes();
}

void RemoveHost() {
    State& s = S();
    if (s.textInput && s.host.events) s.host.events->StopTextInput();
    s.textInput = false;
    if (s.host.presenter && s.overlayShown) s.host.presenter->SetOverlay(platform::video::Image());
    s.overlayShown = false;
    s.host = Host();
    platform::msgbox::SetWindowBoxHandler(nullptr);
    SetDlgTextProvider(nullptr);
}

bool HostReady() {
    return S().host.events != nullptr;
}
const Host& CurrentHost() {
    return S().host;
}

void AdoptMainWindow(HWND window) {
    State& s = S();
    if (!window) return;
    window->kind = Kind::Main;
    window->x = window->y = 0;
    window->width = kDesktopWidth;
    window->height = kDesktopHeight;
    if (window != s.ownedMain.get()) s.ownedMain.reset();
    s.main = window;
}

HWND MainWindowHandle() {
    State& s = S();
    if (!s.main) {
        s.ownedMain = std::make_unique<Window>();
        AdoptMainWindow(s.ownedMain.get());
    }
    return s.main;
}

void RegisterDialogTemplate(uint16_t resourceId, DialogTemplate dialogTemplate) {
    S().templates[resourceId] = std::move(dialogTemplate);
}

const DialogTemplate* FindDialogTemplate(uint16_t resourceId) {
    auto it = S().templates.find(resourceId);
    return it == S().templates.end() ? nullptr : &it->second;
}

HWND CreateDialogWindow(const DialogTemplate& t, HWND owner, Window::Proc proc) {
    auto w = std::make_unique<Window>();
    w->kind = Kind::Dialog;
    w->caption = t.caption;
    w->text = t.captionText;
    w->frameLeft = w->frameRight = w->frameBottom = kDialogFrame;
    w->frameTop = kDialogFrame + (t.caption ? kCaptionHeight : 0);
    w->width = t.clientWidth + w->frameLeft + w->frameRight;
    w->height = t.clientHeight + w->frameTop + w->frameBottom;
    w->x = (kDesktopWidth - w->width) / 2;
    w->y = (kDesktopHeight - w->height) / 2;
    w->parent = nullptr;
    w->proc = std::move(proc);
    (void)owner;
    for (const ItemTemplate& item : t.items) {
        auto c = std::make_unique<Window>();
        c->kind = item.kind;
        c->id = item.id;
        c->parent = w.get();
        c->x = item.x;
        c->y = item.y;
        c->width = item.width;
        c->height = item.height;
        c->text = item.text;
        c->multiLine = item.multiLine;
        c->multiSelect = item.multiLine;
        if (c->kind == Kind::Edit) c->selStart = c->selEnd = static_cast<int>(c->text.size());
        w->children.push_back(std::move(c));
    }
    Window* handle = w.get();
    S().tops.push_back(std::move(w));
    return handle;
}

void DestroyWindow(HWND window) {
    State& s = S();
    if (!window || !IsWindow(window)) return;
    if (window->parent) return;  // controls go with their dialog
    SendMessage(window, WM_DESTROY);
    // Controls with a procedure of their own (the dialog's scroll bars) hear it too.
    if (IsWindow(window))
        for (const auto& c : window->children)
            if (c->proc) SendMessage(c.get(), WM_DESTROY);
    if (s.pressed && Contains(window, s.pressed)) s.pressed = nullptr;
    std::erase_if(s.posted, [&](const Posted& p) { return Contains(window, p.window); });
    std::unique_ptr<Window> gone = TakeTop(window);
    UpdateTextInput();
}

bool IsWindow(HWND window) {
    if (!window) return false;
    State& s = S();
    if (s.main && Contains(s.main, window)) return true;
    for (const auto& t : s.tops)
        if (Contains(t.get(), window)) return true;
    return false;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> out;
    if (S().main) out.push_back(S().main);
    for (const auto& t : S().tops) out.push_back(t.get());
    return out;
}

HWND ActiveWindow() {
    State& s = S();
    for (auto it = s.tops.rbegin(); it != s.tops.rend(); ++it)
        if ((*it)->visible) return it->get();
    return nullptr;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window || !IsWindow(window) || !window->proc) return 0;
    // The procedure may destroy the window; keep it alive for the call.
    Window::Proc proc = window->proc;
    return proc(window, message, wParam, lParam);
}

bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(window)) return false;
    S().posted.push_back({window, message, wParam, lParam});
    return true;
}

bool DispatchPosted() {
    State& s = S();
    bool any = false;
    while (!s.posted.empty()) {
        const Posted p = s.posted.front();
        s.posted.pop_front();
        SendMessage(p.window, p.message, p.wParam, p.lParam);
        any = true;
    }
    return any;
}

HWND GetDlgItem(HWND dialog, int id) {
    return dialog && IsWindow(dialog) ? dialog->Child(id) : nullptr;
}

std::string GetWindowText(HWND window) {
    return window ? window->text : std::string();
}

void SetWindowText(HWND window, const std::string& sjis) {
    if (!window) return;
    window->text = sjis;
    if (window->kind == Kind::Edit) NormaliseSel(window);
}

void MoveWindow(HWND window, int x, int y, int width, int height) {
    if (!window) return;
    const bool resized =
        window->width != std::max(0, width) || window->height != std::max(0, height);
    window->x = x;
    window->y = y;
    window->width = std::max(0, width);
    window->height = std::max(0, height);
    // A window told of its new size lays out what it holds (bars, scroll bars).
    if (resized)
        SendMessage(window, WM_SIZE, 0,
                    static_cast<LPARAM>((window->ClientWidth() & 0xFFFF) |
                                        (window->ClientHeight() & 0xFFFF) << 16));
}

void EnableWindow(HWND window, bool enable) {
    if (!window) return;
    window->enabled = enable;
    if (!enable && window->parent && window->parent->focus == window)
        window->parent->focus = nullptr;
}

void ShowWindow(HWND window, bool show) {
    if (window) window->visible = show;
}

void SetFocus(HWND control) {
    if (!control || !control->parent) return;
    Window* dialog = control->parent;
    Window* old = dialog->focus;
    if (old == control) return;
    dialog->focus = control;
    if (old && old->kind == Kind::Edit) {
        old->composition.clear();
        Notify(old, EN_KILLFOCUS);
    }
}

HWND GetFocus(HWND dialog) {
    return dialog ? dialog->focus : nullptr;
}

void SetInitialFocus(HWND dialog) {
    if (!dialog || dialog->focus) return;
    const std::vector<Window*> order = TabStops(dialog);
    if (!order.empty()) FocusStop(order.front());
}

void SetProp(HWND window, std::string_view name, void* value) {
    if (window) window->props[std::string(name)] = value;
}

void* GetProp(HWND window, std::string_view name) {
    if (!window) return nullptr;
    auto it = window->props.find(name);
    return it == window->props.end() ? nullptr : it->second;
}

void RemoveProp(HWND window, std::string_view name) {
    if (!window) return;
    auto it = window->props.find(name);
    if (it != window->props.end()) window->props.erase(it);
}

int GetCheck(HWND button) {
    return button ? button->check : 0;
}
void SetCheck(HWND button, int check) {
    if (button) button->check = check;
}

void GetEditSel(HWND edit, int& start, int& end) {
    start = end = 0;
    if (!edit) return;
    NormaliseSel(edit);
    start = std::min(edit->selStart, edit->selEnd);
    end = std::max(edit->selStart, edit->selEnd);
}

void SetEditSel(HWND edit, int start, int end) {
    if (!edit) return;
    const int n = static_cast<int>(edit->text.size());
    if (end < 0) end = n;
    edit->selStart = std::clamp(start, 0, n);
    edit->selEnd = std::clamp(end, 0, n);
}

void SetEditLimit(HWND edit, size_t bytes) {
    if (edit) edit->limit = bytes ? bytes : 0x7FFFFFFE;
}

bool HasInputContext(HWND window) {
    const State& s = S();
    return window && s.host.events && s.host.events->HasInputContext();
}

std::string CompositionOf(HWND window) {
    Window* top = TopOf(window);
    if (!top || !top->focus || top->focus->kind != Kind::Edit) return std::string();
    return top->focus->composition;
}

bool KeyHeld(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return false;
    return S().keys[virtualKey] || in::IsKeyDown(virtualKey);
}

bool MouseButtonHeld(int button) {
    return button >= 0 && button < 2 && S().mouse[button];
}

bool CursorPos(int& x, int& y) {
    x = S().cursorX;
    y = S().cursorY;
    return HostReady();
}

void SetCursorPos(int x, int y) {
    State& s = S();
    s.cursorX = x;
    s.cursorY = y;
    s.cursorKnown = true;
    if (s.host.events) s.host.events->WarpMouse(x, y);
}

Rect WorkArea() {
    return {0, 0, kDesktopWidth, kDesktopHeight};
}

void* InstallKeyboardHook(KeyboardHookProc proc) {
    if (!proc) return nullptr;
    S().hook = proc;
    return reinterpret_cast<void*>(proc);
}

bool RemoveKeyboardHook(void* handle) {
    State& s = S();
    if (!handle || reinterpret_cast<void*>(s.hook) != handle) return false;
    s.hook = nullptr;
    return true;
}

LRESULT CallNextHook(int, WPARAM, LPARAM) {
    return 0;
}

void HandleEvent(const UiEvent& e) {
    State& s = S();
    switch (e.type) {
        case UiEvent::Type::None:
            return;
        case UiEvent::Type::KeyDown:
        case UiEvent::Type::KeyUp: {
            const bool down = e.type == UiEvent::Type::KeyDown;
            if (e.virtualKey > 0 && e.virtualKey < 256) s.keys[e.virtualKey] = down;
            if (s.hook)
                s.hook(HC_ACTION, static_cast<WPARAM>(e.virtualKey),
                       static_cast<LPARAM>(e.keyData));
            if (down)
                if (Window* dialog = ActiveWindow(); dialog && dialog->enabled)
                    DialogKey(dialog, e.virtualKey);
            return;
        }
        case UiEvent::Type::Text:
        case UiEvent::Type::Composition: {
            Window* dialog = ActiveWindow();
            Window* f = dialog ? dialog->focus : nullptr;
            if (!f || f->kind != Kind::Edit || !f->enabled) return;
            if (e.type == UiEvent::Type::Composition) {
                f->composition = platform::text::Utf8ToSjis(e.textUtf8);
                return;
            }
            f->composition.clear();
            if (ReplaceSel(f, CommittedSjis(e.textUtf8, f->multiLine))) Notify(f, EN_UPDATE);
            return;
        }
        case UiEvent::Type::MouseMove:
        case UiEvent::Type::MouseDown:
        case UiEvent::Type::MouseUp:
            s.cursorX = e.x;
            s.cursorY = e.y;
            s.cursorKnown = true;
            if (e.type != UiEvent::Type::MouseMove && e.button >= 0 && e.button < 2)
                s.mouse[e.button] = e.type == UiEvent::Type::MouseDown;
            MouseEvent(e);
            return;
        case UiEvent::Type::Close:
            if (e.quitProgram) RequestProgramClose();
            if (Window* dialog = ActiveWindow()) SendMessage(dialog, WM_CLOSE);
            return;
    }
}

bool RunModalLoop(HWND window, const std::function<bool()>& ended) {
    State& s = S();
    if (!HostReady()) return false;
    // The windows change only through events and messages: a quiet wait repaints
    // nothing (the presenter keeps showing the last picture).
    bool changed = true;
    while (!ended() && IsWindow(window)) {
        // A close signal (a second start, the end of the session) is the close box's
        // request, whatever window is open.
        if (platform::instance::TakeCloseRequest()) RequestProgramClose();
        if (s.programClosing) {
            // Ended as cancelled; the windows under it end so in turn, and the main
            // window's loop then runs the close.
            SendMessage(window, WM_CLOSE);
            break;
        }
        changed |= DispatchPosted();
        if (ended() || !IsWindow(window)) break;
        if (changed) {
            UpdateTextInput();
            Repaint();
            changed = false;
        }
        UiEvent e;
        if (s.host.events->Next(e, 16)) {
            HandleEvent(e);
            changed = true;
        }
    }
    return true;
}

void RequestProgramClose() {
    State& s = S();
    if (s.programClosing) return;
    s.programClosing = true;
    platform::msg::PostMainWindow(WM_CLOSE);
}

const platform::video::Image& LastOverlay() {
    return S().overlay;
}

void Repaint() {
    State& s = S();
    std::vector<const Window*> shown;
    bool hideMain = s.main && !s.main->visible;
    for (const auto& t : s.tops)
        if (t->visible) shown.push_back(t.get());
    if (shown.empty() && !hideMain) {
        if (s.overlayShown && s.host.presenter)
            s.host.presenter->SetOverlay(platform::video::Image());
        s.overlayShown = false;
        s.overlay = platform::video::Image();
        return;
    }
    platform::video::Image picture(platform::video::PixelFormat::A8R8G8B8, kDesktopWidth,
                                   kDesktopHeight);
    picture.FillAll(hideMain ? 0xFF000000u : 0);
    PaintWindows(picture, shown, s.host.text.get());
    const bool same = s.overlayShown && s.overlay.SizeBytes() == picture.SizeBytes() &&
                      std::memcmp(s.overlay.Data(), picture.Data(), picture.SizeBytes()) == 0;
    s.overlay = std::move(picture);
    if (same) return;
    if (s.host.presenter) s.host.presenter->SetOverlay(s.overlay);
    s.overlayShown = true;
}

void ResetForTest() {
    State& s = S();
    RemoveHost();
    s.tops.clear();
    s.posted.clear();
    s.main = nullptr;
    s.ownedMain.reset();
    s.keys = {};
    s.mouse = {};
    s.cursorKnown = false;
    s.hook = nullptr;
    s.pressed = nullptr;
    s.overlay = platform::video::Image();
    s.programClosing = false;
}

}  // namespace ui
