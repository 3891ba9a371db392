// The few Windows-shaped types and numbers that the game's code and its stored
// data speak in. They are our own definitions: message numbers, box flags and
// button results keep the values the game was written against, because the
// game's logic (and its editor link) compares against them.
#pragma once

#include <cstdint>

namespace platform {
struct Window;  // opaque: a window of our UI layer
}  // namespace platform

using HWND = platform::Window*;
using UINT = uint32_t;
using DWORD = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using BOOL = int;

// Window messages.
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_QUERYNEWPALETTE = 0x030F;
constexpr UINT WM_PALETTECHANGED = 0x0311;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// Show commands (ShowWindow and the start of the program).
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_RESTORE = 9;

// Window styles.
constexpr uint32_t WS_VSCROLL = 0x00200000;
constexpr uint32_t WS_HSCROLL = 0x00100000;
constexpr uint32_t WS_DLGFRAME = 0x00400000;
constexpr uint32_t WS_BORDER = 0x00800000;
constexpr uint32_t WS_CAPTION = 0x00C00000;  // border and dialog frame together
constexpr uint32_t WS_THICKFRAME = 0x00040000;
constexpr uint32_t WS_SYSMENU = 0x00080000;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;
constexpr uint32_t WS_DISABLED = 0x08000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_POPUP = 0x80000000;

// Control notifications (high word of WM_COMMAND's wParam) and scroll requests.
constexpr UINT BN_CLICKED = 0;
constexpr UINT EN_KILLFOCUS = 0x0200;
constexpr UINT EN_UPDATE = 0x0400;
constexpr UINT LBN_SELCHANGE = 1;
constexpr UINT LBN_DBLCLK = 2;
constexpr UINT CBN_SELCHANGE = 1;
constexpr UINT CBN_EDITCHANGE = 5;
constexpr UINT SB_LINEUP = 0;
constexpr UINT SB_LINEDOWN = 1;
constexpr UINT SB_PAGEUP = 2;
constexpr UINT SB_PAGEDOWN = 3;
constexpr UINT SB_THUMBTRACK = 5;
constexpr UINT SB_TOP = 6;
constexpr UINT SB_BOTTOM = 7;

constexpr WPARAM MakeWParam(unsigned low, unsigned high) {
    return static_cast<WPARAM>((low & 0xFFFF) | (high & 0xFFFF) << 16);
}
constexpr unsigned LoWord(uintptr_t v) {
    return static_cast<unsigned>(v & 0xFFFF);
}
constexpr unsigned HiWord(uintptr_t v) {
    return static_cast<unsigned>((v >> 16) & 0xFFFF);
}

// Message box styles.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x40;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0xF0;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFMASK = 0xF00;

// Message box results.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

static_assert(sizeof(void*) == 8 || sizeof(void*) == 4);
