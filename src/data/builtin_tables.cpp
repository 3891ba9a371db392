// The built-in bitmap, text-surface and font tables and the surface-group links.
#include "data/builtin_tables.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "data/font_faces.h"

namespace {

// Built at compile time, so the tables stand before any static initialiser runs.
constexpr DDSURFACEFILE SurfaceFile(const char* name, int32_t p1, int32_t p2, int32_t p3,
                                    int32_t p4, int32_t p5, int32_t p6, int32_t p7, int32_t p8,
                                    int32_t p9, int32_t p10) {
    DDSURFACEFILE entry{};
    for (int i = 0; name[i] != '\0' && i < static_cast<int>(sizeof entry.szFileName) - 1; ++i)
        entry.szFileName[i] = name[i];
    entry.p1 = p1;
    entry.p2 = p2;
    entry.p3 = p3;
    entry.p4 = p4;
    entry.p5 = p5;
    entry.p6 = p6;
    entry.p7 = p7;
    entry.p8 = p8;
    entry.p9 = p9;
    entry.p10 = p10;
    return entry;
}

constexpr DDFONTINFO FontInfo(const char* face, int32_t q1, int32_t q2, int32_t q3, int32_t q4,
                              int32_t q5, int32_t q6, int32_t q7, int32_t q8, int32_t q9,
                              int32_t q10) {
    DDFONTINFO entry{};
    for (int i = 0; face[i] != '\0' && i < static_cast<int>(sizeof entry.szFaceName) - 1; ++i)
        entry.szFaceName[i] = face[i];
    entry.q1 = q1;
    entry.q2 = q2;
    entry.q3 = q3;
    entry.q4 = q4;
    entry.q5 = q5;
    entry.q6 = q6;
    entry.q7 = q7;
    entry.q8 = q8;
    entry.q9 = q9;
    entry.q10 = q10;
    return entry;
}

constexpr DDFONTINFO kBuiltinFontTable[kFontTableSize] = {
    FontInfo("ＭＳ ゴシック", 0, 9, 10, 10, 241, 45, 1, 240, 50, 2),
    FontInfo("ＭＳ ゴシック", 0, 16, 16, 16, 241, 45, 1, 240, 50, 2),
    FontInfo("ＭＳ ゴシック", 0, 30, 32, 32, 241, 45, 1, 240, 50, 0),
};

std::vector<SurfaceGroupLink*>& SurfaceGroups() {
    static std::vector<SurfaceGroupLink*> groups;
    return groups;
}

}  // namespace

const DDSURFACEFILE g_BitmapTable[kBitmapTableSize] = {
    SurfaceFile("bmp\\plt\\Palette.bmp", 0, 1, 0, 0, 0, 0, 0, 0, 0, 0),  // 0
    SurfaceFile("bmp\\Debug.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0),         // 1
    SurfaceFile("bmp\\Block.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0),         // 2
    SurfaceFile("bmp\\Block.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),         // 3
    SurfaceFile("bmp\\Character1.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0),    // 4
    SurfaceFile("bmp\\Character1.bmp", 1, 0, 0, 1, 0, 0, 32, 0, 0, 0),   // 5
    SurfaceFile("bmp\\Character2.bmp", 1, 0, 0, 0, 0, 1, 0, 0, 0, 0),    // 6
    SurfaceFile("bmp\\Character2.bmp", 1, 0, 0, 1, 0, 1, 32, 0, 0, 0),   // 7
    SurfaceFile("bmp\\Character3.bmp", 1, 0, 0, 0, 0, 1, 0, 0, 0, 0),    // 8
    SurfaceFile("bmp\\Character3.bmp", 1, 0, 0, 1, 0, 1, 32, 0, 0, 0),   // 9
    SurfaceFile("bmp\\Character4.bmp", 1, 0, 0, 0, 0, 1, 0, 0, 0, 0),    // 10
    SurfaceFile("bmp\\Character4.bmp", 1, 0, 0, 1, 0, 1, 32, 0, 0, 0),   // 11
    SurfaceFile("bmp\\Character5.bmp", 1, 0, 0, 0, 0, 1, 0, 0, 0, 0),    // 12
    SurfaceFile("bmp\\Character5.bmp", 1, 0, 0, 1, 0, 1, 32, 0, 0, 0),   // 13
    SurfaceFile("bmp\\Character6.bmp", 1, 0, 0, 0, 0, 1, 0, 0, 0, 0),    // 14
    SurfaceFile("bmp\\Character6.bmp", 1, 0, 0, 1, 0, 1, 32, 0, 0, 0),   // 15
    SurfaceFile("bmp\\Character7.bmp", 1, 0, 0, 0, 0, 1, 0, 0, 0, 0),    // 16
    SurfaceFile("bmp\\Character7.bmp", 1, 0, 0, 1, 0, 1, 32, 0, 0, 0),   // 17
    SurfaceFile("bmp\\Character8.bmp", 1, 0, 0, 0, 0, 1, 0, 0, 0, 0),    // 18
    SurfaceFile("bmp\\Character8.bmp", 1, 0, 0, 1, 0, 1, 32, 0, 0, 0),   // 19
    SurfaceFile("bmp\\Shot.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0),          // 20
    SurfaceFile("bmp\\Shot.bmp", 1, 0, 0, 1, 0, 0, 16, 0, 0, 0),         // 21
    SurfaceFile("bmp\\Character1.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),    // 22
    SurfaceFile("bmp\\Character1.bmp", 1, 1, 0, 1, 0, 0, 32, 0, 0, 0),   // 23
    SurfaceFile("bmp\\Character2.bmp", 1, 1, 0, 1, 0, 1, 0, 0, 0, 0),    // 24
    SurfaceFile("bmp\\Character2.bmp", 1, 1, 0, 1, 0, 1, 32, 0, 0, 0),   // 25
    SurfaceFile("bmp\\Character3.bmp", 1, 1, 0, 1, 0, 1, 0, 0, 0, 0),    // 26
    SurfaceFile("bmp\\Character3.bmp", 1, 1, 0, 1, 0, 1, 32, 0, 0, 0),   // 27
    SurfaceFile("bmp\\Character4.bmp", 1, 1, 0, 1, 0, 1, 0, 0, 0, 0),    // 28
    SurfaceFile("bmp\\Character4.bmp", 1, 1, 0, 1, 0, 1, 32, 0, 0, 0),   // 29
    SurfaceFile("bmp\\Character5.bmp", 1, 1, 0, 1, 0, 1, 0, 0, 0, 0),    // 30
    SurfaceFile("bmp\\Character5.bmp", 1, 1, 0, 1, 0, 1, 32, 0, 0, 0),   // 31
    SurfaceFile("bmp\\Character6.bmp", 1, 1, 0, 1, 0, 1, 0, 0, 0, 0),    // 32
    SurfaceFile("bmp\\Character6.bmp", 1, 1, 0, 1, 0, 1, 32, 0, 0, 0),   // 33
    SurfaceFile("bmp\\Character7.bmp", 1, 1, 0, 1, 0, 1, 0, 0, 0, 0),    // 34
    SurfaceFile("bmp\\Character7.bmp", 1, 1, 0, 1, 0, 1, 32, 0, 0, 0),   // 35
    SurfaceFile("bmp\\Character8.bmp", 1, 1, 0, 1, 0, 1, 0, 0, 0, 0),    // 36
    SurfaceFile("bmp\\Character8.bmp", 1, 1, 0, 1, 0, 1, 32, 0, 0, 0),   // 37
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 38
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 39
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 40
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 41
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 42
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 43
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 44
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 45
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 46
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 47
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 48
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 49
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 50
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 51
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 52
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 53
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 54
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 55
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 56
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 57
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 58
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 59
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 60
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 61
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 62
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 63
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 64
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 65
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 66
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 67
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 68
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 69
    SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0),          // 70
};

const DDSURFACEFILE g_TextSurfaceTable[kTextSurfaceTableSize] = {
    SurfaceFile("", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0),
    SurfaceFile("", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0),
    SurfaceFile("", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0),
};

DDFONTINFO g_FontTable[kFontTableSize] = {kBuiltinFontTable[0], kBuiltinFontTable[1],
                                          kBuiltinFontTable[2]};

void PrepareFontTable(int64_t fontFace, int32_t modeFontCache) {
    const char* face = FontFaceName(fontFace);
    for (DDFONTINFO& font : g_FontTable) {
        std::memset(font.szFaceName, 0, sizeof font.szFaceName);
        std::strncpy(font.szFaceName, face, sizeof font.szFaceName - 1);
        if (font.q10 == kFontCacheFromSettings) font.q10 = modeFontCache;
    }
}

void ResetFontTable() {
    std::copy(std::begin(kBuiltinFontTable), std::end(kBuiltinFontTable), g_FontTable);
}

void RegisterSurfaceGroup(SurfaceGroupLink* group) {
    auto& groups = SurfaceGroups();
    if (group && std::find(groups.begin(), groups.end(), group) == groups.end())
        groups.push_back(group);
}

void UnregisterSurfaceGroup(SurfaceGroupLink* group) {
    auto& groups = SurfaceGroups();
    groups.erase(std::remove(groups.begin(), groups.end(), group), groups.end());
}

void LinkSurfaceTables() {
    for (SurfaceGroupLink* group : SurfaceGroups()) group->LinkToElements();
}
