#include "platform/msgbox/msgbox.h"

#include <SDL.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/diag.h"
#include "platform/text/cp932.h"

namespace platform::msgbox {
namespace {

std::mutex g_mutex;
Handler g_window;
std::atomic<uint64_t> g_shown{0};
Handler g_scripted;

const char* ButtonLabel(int id) {
    switch (id) {
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "Cancel";
        case IDABORT:
            return "Abort";
        case IDRETRY:
            return "Retry";
        case IDIGNORE:
            return "Ignore";
        case IDYES:
            return "Yes";
        case IDNO:
            return "No";
    }
    return "?";
}

bool ShowWithSdl(const Request& r, int& result) {
    const std::string text = text::SjisToUtf8(r.textSjis);
    const std::string caption = text::SjisToUtf8(r.captionSjis);
    const std::vector<int> ids = Buttons(r.type);
    const int def = DefaultButton(r.type);
    const int escape = EscapeButton(r.type);
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (int id : ids) {
        SDL_MessageBoxButtonData b{};
        b.buttonid = id;
        b.text = ButtonLabel(id);
        if (id == def) b.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (id == escape) b.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons.push_back(b);
    }
    SDL_MessageBoxData data{};
    switch (r.type & MB_ICONMASK) {
        case MB_ICONERROR:
            data.flags = SDL_MESSAGEBOX_ERROR;
            break;
        case MB_ICONWARNING:
            data.flags = SDL_MESSAGEBOX_WARNING;
            break;
        default:
            data.flags = SDL_MESSAGEBOX_INFORMATION;
            break;
    }
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) != 0) return false;
    result = chosen < 0 ? escape : chosen;
    return true;
}

}  // namespace

void SetWindowBoxHandler(Handler handler) {
    std::lock_guard lock(g_mutex);
    g_window = std::move(handler);
}

void SetScriptedAnswerer(Handler handler) {
    std::lock_guard lock(g_mutex);
    g_scripted = std::move(handler);
}

std::vector<int> Buttons(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE:
            return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL:
            return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO:
            return {IDYES, IDNO};
        case MB_RETRYCANCEL:
            return {IDRETRY, IDCANCEL};
        default:
            return {IDOK};
    }
}

int EscapeButton(UINT type) {
    const std::vector<int> ids = Buttons(type);
    for (int b : ids)
        if (b == IDCANCEL) return b;
    return ids.back();
}

int DefaultButton(UINT type) {
    const std::vector<int> ids = Buttons(type);
    const size_t index = ((type & MB_DEFMASK) >> 8);
    return index < ids.size() ? ids[index] : ids[0];
}

uint64_t ShownCount() { return g_shown.load(); }

int Show(const std::string& textSjis, const std::string& captionSjis, UINT type) {
    g_shown.fetch_add(1);
    const Request r{textSjis, captionSjis, type};
    Handler scripted, window;
    {
        std::lock_guard lock(g_mutex);
        scripted = g_scripted;
        window = g_window;
    }
    if (scripted) return scripted(r);
    // Every box leaves its line on stderr, where a user who started the player from a
    // terminal or a launcher's log finds it after the box is gone.
    const std::string caption = text::SjisToUtf8(captionSjis), body = text::SjisToUtf8(textSjis);
    Diag(DiagLevel::Warn, "msgbox", "\"%s\": \"%s\"", caption.c_str(), body.c_str());
    if (window) {
        const int answer = window(r);
        if (answer != kDeclined) return answer;
    }
    int result = 0;
    if (ShowWithSdl(r, result)) return result;
    const int def = DefaultButton(type);
    Diag(DiagLevel::Warn, "msgbox", "no display for the message box \"%s\"; answered %s",
         caption.c_str(), ButtonLabel(def));
    return def;
}

}  // namespace platform::msgbox
