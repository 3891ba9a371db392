// The "System.ini" reader: key, equals sign, value per line, up to a line "Exit".
#include "app/system_ini.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "data/system_subrecords.h"
#include "platform/fs/fs.h"

IniSetting g_IniSetting;

namespace {

constexpr int kMaxLines = 10000;
// Keys and values are kept in buffers of this size; longer ones are cut, which makes a
// key match nothing and a value end where the buffer does.
constexpr size_t kBufferSize = 2048;
constexpr int kFreeStageEntry = 8;
constexpr int kEnglishEntry = 9;

int32_t* IntField(IniSetting& s, int entry) {
    int32_t* fields[] = {&s.Direct3D,     &s.WindowMode,      &s.Bpp,    &s.VSync, &s.D3D_FontCache,
                         &s.DD_FontCache, &s.DD_VideoStretch, &s.ShowFps};
    if (entry >= 0 && entry < 8) return fields[entry];
    return entry == kEnglishEntry ? &s.English : nullptr;
}

// The leading decimal digits (after an optional sign), as the C library reads them;
// none gives 0. A number past the 32-bit range stays at its limit.
int32_t ParseInt(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<int32_t>::max()) {
            value = std::numeric_limits<int32_t>::max() + int64_t{negative};
            break;
        }
    }
    return static_cast<int32_t>(negative ? -value : value);
}

void Store(IniSetting& settings, std::span<const cIniKey> keyList, const std::string& key,
           const std::string& value) {
    for (size_t entry = 0; entry < keyList.size(); ++entry) {
        if (keyList[entry].m_strKey != key) continue;
        if (entry == kFreeStageEntry) {
            if (value.size() >= 2 && value.size() < sizeof settings.FreeStage) {
                std::memcpy(settings.FreeStage, value.data(), value.size());
                settings.FreeStage[value.size()] = '\0';
            }
        } else if (int32_t* field = IntField(settings, static_cast<int>(entry))) {
            *field = ParseInt(value);
        }
        return;
    }
}

}  // namespace

void LoadIniDefaults(IniSetting& settings, std::span<const cIniKey> keyList) {
    for (size_t entry = 0; entry < keyList.size() && entry < 8; ++entry)
        *IntField(settings, static_cast<int>(entry)) =
            static_cast<int32_t>(keyList[entry].m_nDefault);
    // Copied even when empty, so that the defaults put back after an unreadable file
    // also clear a stage path read before the reader failed.
    if (keyList.size() > kFreeStageEntry) {
        const std::string& text = keyList[kFreeStageEntry].m_strDefault;
        const size_t n = text.size() < sizeof settings.FreeStage ? text.size() : 0;
        std::memcpy(settings.FreeStage, text.data(), n);
        settings.FreeStage[n] = '\0';
    }
    settings.English = 0;
}

int ReadIni(const char* path, IniSetting& settings, std::span<const cIniKey> keyList) {
    FILE* fp = platform::fs::OpenGameFile(path ? path : "", "rb");
    if (!fp) return 0;
    int result = 1;  // also after the last line the reader takes
    std::string key;
    std::string value;
    for (int line = 0; line < kMaxLines; ++line) {
        key.clear();
        int c = 0;
        // The key: spaces, tabs and carriage returns are dropped wherever they stand.
        while ((c = std::fgetc(fp)) != EOF && c != '=' && c != '\n' && c != '\0') {
            if (c == ' ' || c == '\t' || c == '\r') continue;
            if (key.size() < kBufferSize - 1) key.push_back(static_cast<char>(c));
        }
        if (c == EOF) {
            result = 0;  // no "Exit" line: the file counts as unreadable
            break;
        }
        if (c == '\0') {
            result = 1;
            break;
        }
        if (c == '\n') {
            if (key == "Exit") {
                result = 1;
                break;
            }
            continue;  // a comment or a blank line
        }
        // The value runs to a blank, a slash, the line's end or a zero byte; a carriage
        // return stays in it. What follows on the line is read as a line of its own.
        value.clear();
        while ((c = std::fgetc(fp)) != EOF && c != ' ' && c != '\t' && c != '/' && c != '\n' &&
               c != '\0') {
            if (value.size() < kBufferSize - 1) value.push_back(static_cast<char>(c));
        }
        Store(settings, keyList, key, value);
        if (c == '\0') {
            result = 1;
            break;
        }
        if (c == EOF) {
            result = 0;
            break;
        }
    }
    std::fclose(fp);
    return result;
}
