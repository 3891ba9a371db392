// "System.ini": the technical settings block and the byte-wise reader of its key=value
// lines, with the keys and defaults the project's System.dat lists.
#pragma once

#include <cstdint>
#include <span>

class cIniKey;

// Fields in the order of the project's key list: entries 0 to 7 are the integers,
// entry 8 the stage path, entry 9 the language switch.
struct IniSetting {
    int32_t Direct3D = 2;  // 0 DirectDraw, 1 Direct3D, 2 or more: ask at start
    int32_t WindowMode = 0;
    int32_t Bpp = 0;
    int32_t VSync = 2;
    int32_t D3D_FontCache = 0;
    int32_t DD_FontCache = 1;
    int32_t DD_VideoStretch = 0;
    int32_t ShowFps = 1;
    char FreeStage[260] = {};
    int32_t English = 0;
};

extern IniSetting g_IniSetting;

// The integer defaults of key entries 0 to 7, the text default of entry 8 (empty when it
// is empty or longer than a path), and English 0. Entries the list lacks leave their field as it
// is.
void LoadIniDefaults(IniSetting& settings, std::span<const cIniKey> keyList);

// Reads the file (a game path): 1 when it was read to its "Exit" line (or a zero byte, or
// the 10000th line), 0 when it cannot be opened or ends before "Exit". Values of the keys
// read so far stay set either way; start-up puts the defaults back after a 0.
int ReadIni(const char* path, IniSetting& settings, std::span<const cIniKey> keyList);
