// Dialog boxes.
#include "media/ui/dialog.h"

#include <algorithm>

#include "core/msgbox.h"
#include "platform/input/virtual_keys.h"

namespace in = platform::input;

cDialog::cDialog() {
    // The program's dialogs keep their template's size, between 100 x 100 and the
    // game window.
    Create(0, 0, 100, 100, 640, 480, WS_POPUP | WS_CAPTION, false, 0, 0, 0, 0);
}

cDialog::~cDialog() {
    if (m_hWnd && ui::IsWindow(m_hWnd)) {
        // A modeless window that is still up when its object goes: end it rather than
        // leave a window whose object is gone.
        if (m_pParent) std::erase(m_pParent->m_vDialogs, this);
        HWND window = m_hWnd;
        ui::RemoveProp(window, "DLG_CLASS");
        window->proc = nullptr;
        ui::DestroyWindow(window);
        m_hWnd = nullptr;
        ErrorBox("ウインドウの破棄に失敗！");
    }
    for (cGdiBitmap& b : m_Bitmap) {
        b.Release();
        b.ReleaseSecond();
    }
}

void cDialog::SetCreateParams(uint16_t resourceId, cWindowBase* parent, intptr_t value) {
    m_pParent = parent;
    cWindowBase::SetCreateParams(resourceId, nullptr, value);
}

void cDialog::SetScrollRange(int bar, int minimum, int maximum, int page) {
    if (bar < 0 || bar > 1) return;
    m_Scroll[bar].nMin = minimum;
    m_Scroll[bar].nMax = maximum;
    m_Scroll[bar].nPage = page;
    m_Scroll[bar].nPos = std::clamp(m_Scroll[bar].nPos, minimum, std::max(minimum, maximum));
}

int cDialog::DoModal(uint32_t flags) {
    if (m_hWnd) return 0;
    m_nEndCode = 0;
    m_bModeless = false;
    m_dwModalFlags = flags;
    const ui::DialogTemplate* t = ui::FindDialogTemplate(m_wResourceId);
    if (!t || !ui::HostReady()) return -1;
    m_vHidden.clear();
    m_vDisabled.clear();
    for (HWND other : ui::TopLevelWindows()) {
        if ((flags & kModalHideOthers) && other->visible) {
            ui::ShowWindow(other, false);
            m_vHidden.push_back(other);
        }
        if ((flags & kModalDisableOthers) && other->enabled) {
            ui::EnableWindow(other, false);
            m_vDisabled.push_back(other);
        }
    }
    m_bEnded = false;
    m_bSubclassed = false;
    HWND owner = m_pParent ? m_pParent->m_hWnd : nullptr;
    HWND window = ui::CreateDialogWindow(
        *t, owner, [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return WndProc(w, m, wp, lp); });
    m_hWnd = window;
    ui::SendMessage(window, WM_INITDIALOG, 0, 0);
    ui::SetInitialFocus(window);
    ui::RunModalLoop(window, [this] { return m_bEnded; });
    ui::DestroyWindow(window);
    m_hWnd = nullptr;
    RestoreOthers();
    ui::Repaint();
    return m_nEndCode;
}

void cDialog::RestoreOthers() {
    for (HWND w : m_vHidden)
        if (ui::IsWindow(w)) ui::ShowWindow(w, true);
    for (HWND w : m_vDisabled)
        if (ui::IsWindow(w)) ui::EnableWindow(w, true);
    m_vHidden.clear();
    m_vDisabled.clear();
}

void cDialog::End(int code) {
    m_nEndCode = code;
    if (m_bModeless) {
        if (m_pParent) std::erase(m_pParent->m_vDialogs, this);
        ui::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        return;
    }
    m_bEnded = true;
}

void cDialog::ForEachControl() {
    for (cControl* c : m_vControls) c->Refresh();
}

void cDialog::StoreControls() {
    for (cControl* c : m_vControls) c->Store();
}

void cDialog::Spare() {
    for (cControl* c : m_vControls)
        if (c->m_nType == kCtrlComboBox) c->RefreshCombo();
}

LRESULT cDialog::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT handled = OnMessage(window, message, wParam, lParam);
    if (message == WM_CLOSE) {
        End(0);
        return 1;
    }
    if (message == WM_DESTROY) return 1;
    return handled;
}

void cDialog::OnInit(WPARAM, LPARAM) {
    if (m_bModeless && m_pParent) m_pParent->m_vDialogs.push_back(this);
    if (!m_bSubclassed) {
        // The window finds its object through the property from now on.
        ui::SetProp(m_hWnd, "DLG_CLASS", this);
        m_OldProc = m_hWnd->proc;
        m_hWnd->proc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            auto* dialog = static_cast<cDialog*>(ui::GetProp(w, "DLG_CLASS"));
            return dialog && dialog->m_OldProc ? dialog->m_OldProc(w, m, wp, lp) : 0;
        };
        m_bSubclassed = true;
    }
    m_dwStyle = WS_POPUP | (m_hWnd->caption ? WS_CAPTION : WS_DLGFRAME);
    RecomputeFrame();
    if (m_nClientW != 0) SetClientSize(m_nClientW, m_nClientH);
    CreateScrollBars();
    Place();
    if (!m_Hook.Install(m_hWnd, m_bModeless)) ErrorBox("KeyboardHookに失敗!");
    GetClientCursorPos(false, 3);
}

void cDialog::Place() {
    const ui::Rect work = ui::WorkArea();
    const int w = m_hWnd->width, h = m_hWnd->height;
    int x = 0, y = 0;
    if (m_pOwner) {
        m_pOwner->GetWindowPos(x, y);
        if (m_bCenter && m_pOwner->m_hWnd) {
            x += m_pOwner->m_hWnd->ClientWidth() / 2 - m_hWnd->ClientWidth() / 2;
            y += m_pOwner->m_hWnd->ClientHeight() / 2 - m_hWnd->ClientHeight() / 2;
        }
    } else if (m_hParent) {
        x = m_hParent->x;
        y = m_hParent->y;
        if (m_bCenter) {
            x += m_hParent->ClientWidth() / 2 - m_hWnd->ClientWidth() / 2;
            y += m_hParent->ClientHeight() / 2 - m_hWnd->ClientHeight() / 2;
        }
    } else if (m_nPosX != kNoPosition && m_nPosY != kNoPosition) {
        x = m_nPosX;
        y = m_nPosY;
    } else {
        x = work.x + (work.width - w) / 2;
        y = work.y + (work.height - h) / 2;
    }
    if (x < work.x)
        x = work.x;
    else if (x + w >= work.x + work.width)
        x = work.x + work.width - w;
    if (y < work.y)
        y = work.y;
    else if (y + h >= work.y + work.height)
        y = work.y + work.height - h;
    Move(x, y);
}

void cDialog::CreateScrollBars() {
    for (int bar = 0; bar < 2; ++bar) {
        if (!(m_dwScrollMask & (1u << bar)) || m_hScroll[bar]) continue;
        auto control = std::make_unique<platform::Window>();
        control->kind = ui::Kind::ScrollBar;
        control->id = 0xFFF0 + bar;
        control->parent = m_hWnd;
        control->vertical = bar == 1;
        m_hScroll[bar] = control.get();
        m_hWnd->children.push_back(std::move(control));
        // The bar keeps right clicks to itself (they would open a menu nobody asked for).
        HWND h = m_hScroll[bar];
        ui::SetProp(h, "CTRL_SCROLL_CLASS", this);
        h->proc = [](HWND w, UINT m, WPARAM, LPARAM) -> LRESULT {
            if (m == WM_DESTROY) {
                ui::RemoveProp(w, "CTRL_SCROLL_CLASS");
                w->proc = nullptr;
            }
            return 0;
        };
    }
    PlaceScrollBars();
}

void cDialog::PlaceScrollBars() {
    if (!m_hWnd) return;
    // Along the bottom and the right edge of the client area, which the toolbar and the
    // status bar leave.
    const ui::Rect& c = m_rcClient;
    for (int bar = 0; bar < 2; ++bar) {
        HWND h = m_hScroll[bar];
        if (!h) continue;
        if (bar == 0)
            ui::MoveWindow(h, c.x, c.y + c.height, c.width, ui::kScrollBarSize);
        else
            ui::MoveWindow(h, c.x + c.width, c.y, ui::kScrollBarSize, c.height);
        h->scrollMin = m_Scroll[bar].nMin;
        h->scrollMax = m_Scroll[bar].nMax;
        h->scrollPage = m_Scroll[bar].nPage;
        h->scrollPos = m_Scroll[bar].nPos;
    }
}

void cDialog::Scroll(int bar, unsigned request, int trackPos) {
    SCROLLINFO& si = m_Scroll[bar];
    int pos = si.nPos;
    switch (request) {
        case SB_LINEUP:
            pos -= 1;
            break;
        case SB_LINEDOWN:
            pos += 1;
            break;
        case SB_PAGEUP:
            pos -= si.nPage;
            break;
        case SB_PAGEDOWN:
            pos += si.nPage;
            break;
        case SB_THUMBTRACK:
            pos = trackPos;
            break;
        case SB_TOP:
            pos = si.nMin;
            break;
        case SB_BOTTOM:
            pos = si.nMax;
            break;
        default:
            return;
    }
    // As the window system keeps it: the page may not run past the end.
    const int last = std::max(si.nMin, si.nMax - std::max(si.nPage - 1, 0));
    pos = std::clamp(pos, si.nMin, last);
    if (pos == si.nPos) return;
    si.nPos = pos;
    if (m_hScroll[bar]) m_hScroll[bar]->scrollPos = pos;
    OnPaint();
}

LRESULT cDialog::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT handled = cWindowBase::OnMessage(window, message, wParam, lParam);
    switch (message) {
        case WM_INITDIALOG:
            OnInit(wParam, lParam);
            return 1;
        case WM_DESTROY:
            RestoreOthers();
            for (HWND& h : m_hScroll) h = nullptr;
            return 1;
        case WM_SIZE:
            PlaceScrollBars();
            return 1;
        case WM_NOTIFY:
            for (cControl* c : m_vControls)
                if (LRESULT r = c->OnNotify(wParam, lParam)) return r;
            return handled;
        case WM_HSCROLL:
        case WM_VSCROLL: {
            const int bar = message == WM_HSCROLL ? 0 : 1;
            if (m_hScroll[bar] && reinterpret_cast<HWND>(lParam) == m_hScroll[bar])
                Scroll(bar, LoWord(wParam), static_cast<int16_t>(HiWord(wParam)));
            for (cControl* c : m_vControls)
                if (LRESULT r = c->OnScroll(wParam, lParam)) return r;
            return 1;
        }
        case WM_KEYDOWN: {
            const int vk = static_cast<int>(wParam);
            if (m_hScroll[1] && (vk == in::VK_PRIOR || vk == in::VK_NEXT))
                Scroll(1, vk == in::VK_PRIOR ? SB_PAGEUP : SB_PAGEDOWN, 0);
            if (m_hScroll[0] && (vk == in::VK_HOME || vk == in::VK_END))
                Scroll(0, vk == in::VK_HOME ? SB_PAGEUP : SB_PAGEDOWN, 0);
            if (m_hScroll[0] && (vk == in::VK_LEFT || vk == in::VK_RIGHT))
                Scroll(0, vk == in::VK_LEFT ? SB_LINEUP : SB_LINEDOWN, 0);
            if (m_hScroll[1] && (vk == in::VK_UP || vk == in::VK_DOWN))
                Scroll(1, vk == in::VK_UP ? SB_LINEUP : SB_LINEDOWN, 0);
            if (!m_bKeysOff)
                for (cControl* c : m_vControls) c->OnKey(vk);
            return 1;
        }
        case WM_HOOKKEY:
            ui::SendMessage(window, WM_KEYDOWN, wParam, lParam);
            return 1;
        default:
            return handled;
    }
}

void cDialog::OnCommand(WPARAM wParam, LPARAM) {
    const int id = static_cast<int>(LoWord(wParam));
    const unsigned code = HiWord(wParam);
    bool done = false;
    for (cControl* c : m_vControls) {
        if (c->m_wId != id) continue;
        switch (c->m_nType) {
            case kCtrlEdit:
            case kCtrlEditMulti:
                if (code == EN_UPDATE) c->OnChange(), done = true;
                if (code == EN_KILLFOCUS) c->OnLeave(), done = true;
                break;
            case kCtrlListBox:
                if (code == LBN_SELCHANGE) c->OnChange(), done = true;
                break;
            case kCtrlComboBox:
                if (code == CBN_SELCHANGE) c->OnChange(), done = true;
                if (code == CBN_EDITCHANGE) c->OnLeave(), done = true;
                break;
            default:
                break;
        }
        break;
    }
    if (!done) return;
    for (cControl* c : m_vControls) {
        if (c->m_nType != kCtrlComboBox) continue;
        ui::SendMessage(c->m_hWnd, WM_SETREDRAW, 0, 0);
        c->Redraw();
    }
}
