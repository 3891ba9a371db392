#include "core/strings.h"

#include <atomic>
#include <cstdio>
#include <vector>

namespace {
constexpr size_t kWorkBuffer = 5120;
std::atomic<DlgTextProvider*> g_dlgProvider{nullptr};
}  // namespace

void StrFormatV(std::string& out, const char* format, va_list args) {
    char buf[kWorkBuffer];
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    if (n < 0) {
        out.clear();
    } else if (static_cast<size_t>(n) < sizeof buf) {
        out.assign(buf, static_cast<size_t>(n));
    } else {
        // The game's buffer would have overflowed here; keep the whole text instead.
        std::vector<char> big(static_cast<size_t>(n) + 1);
        std::vsnprintf(big.data(), big.size(), format, again);
        out.assign(big.data(), static_cast<size_t>(n));
    }
    va_end(again);
    // The work buffer ends the text at its first zero byte (a "%c" of 0, say).
    StrReassign(out);
}

void StrFormat(std::string& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    StrFormatV(out, format, args);
    va_end(args);
}

std::string StrPrintf(const char* format, ...) {
    std::string out;
    va_list args;
    va_start(args, format);
    StrFormatV(out, format, args);
    va_end(args);
    return out;
}

uint32_t StrReassign(std::string& s) {
    const size_t zero = s.find('\0');
    if (zero != std::string::npos) s.resize(zero);
    return static_cast<uint32_t>(s.size());
}

void StrMid(const std::string& source, std::string& out, int pos, int len) {
    // Works on a local copy: the game used one shared scratch string here, which made
    // the operation unsafe on two threads at once.
    std::string text = source;
    if (pos < 0) {
        len += pos;
        pos = 0;
    } else {
        StrReassign(text);
        if (static_cast<size_t>(pos) > text.size()) {
            out.clear();
            return;
        }
    }
    if (len == 0) {
        out.clear();
        return;
    }
    StrReassign(text);
    const size_t start = static_cast<size_t>(pos);
    if (start >= text.size()) {
        out.clear();
        return;
    }
    // A negative clipped length takes the rest of the text, as the game does.
    if (len < 0 || start + static_cast<size_t>(len) > text.size())
        out = text.substr(start);
    else
        out = text.substr(start, static_cast<size_t>(len));
}

int IsSjisPair(const char* p) {
    const auto a = static_cast<uint8_t>(p[0]);
    if (!IsSjisLead(a)) return 0;
    return IsSjisTrail(static_cast<uint8_t>(p[1])) ? 1 : 0;
}

int SjisCharCount(const char* text) {
    int count = 0;
    const char* p = text;
    while (*p != '\0') {
        if (IsSjisPair(p)) {
            ++count;
            p += 2;
        } else {
            if (*p != '\n') ++count;
            ++p;
        }
    }
    return count;
}

void SetDlgTextProvider(DlgTextProvider* provider) { g_dlgProvider.store(provider); }

void GetDlgItemString(HWND dialog, int id, std::string& out, int maxCount) {
    DlgTextProvider* provider = g_dlgProvider.load();
    std::string text = provider ? provider->GetItemText(dialog, id) : std::string();
    StrReassign(text);
    // At most maxCount - 1 bytes, as the control read leaves room for the zero.
    const int limit = maxCount > 0 ? maxCount - 1 : 0;
    if (text.size() > static_cast<size_t>(limit)) {
        size_t cut = 0;
        // Never split a double-byte character at the limit.
        while (cut < text.size()) {
            const size_t step = IsSjisPair(text.c_str() + cut) ? 2 : 1;
            if (cut + step > static_cast<size_t>(limit)) break;
            cut += step;
        }
        text.resize(cut);
    }
    out = text;
}

void SetDlgItemString(HWND dialog, int id, const std::string& text) {
    if (DlgTextProvider* provider = g_dlgProvider.load()) {
        std::string t = text;
        StrReassign(t);
        provider->SetItemText(dialog, id, t);
    }
}
