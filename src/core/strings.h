// String formatting and Shift-JIS text helpers used by every part of the player.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

#include "platform/win_types.h"

// printf-style formatting; out receives the whole result. The game formats through a
// 5120-byte work buffer; a longer result is kept whole rather than cut or overrun.
void StrFormat(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void StrFormatV(std::string& out, const char* format, va_list args);
std::string StrPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Cuts s at its first zero byte and returns the new length.
uint32_t StrReassign(std::string& s);

// out = the len bytes of source from pos, clipped to the source (which counts only up
// to its first zero byte). A negative pos shortens len by as much and starts at 0.
void StrMid(const std::string& source, std::string& out, int pos, int len);

inline bool IsSjisLead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsSjisTrail(uint8_t c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// 1 when p[0] is a lead byte and p[1] a trail byte of code page 932.
int IsSjisPair(const char* p);

// Characters of a zero-terminated Shift-JIS text; line feeds are not counted.
int SjisCharCount(const char* text);

// Dialog control texts. The dialog layer installs the provider; without one, reads
// give the empty text and writes do nothing.
class DlgTextProvider {
public:
    virtual ~DlgTextProvider() = default;
    virtual std::string GetItemText(HWND dialog, int id) = 0;
    virtual void SetItemText(HWND dialog, int id, const std::string& text) = 0;
};
void SetDlgTextProvider(DlgTextProvider* provider);

void GetDlgItemString(HWND dialog, int id, std::string& out, int maxCount);
void SetDlgItemString(HWND dialog, int id, const std::string& text);
