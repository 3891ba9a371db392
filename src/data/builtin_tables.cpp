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

// A picture of a screen or of stage play: colour-keyed unless it covers the whole screen,
// created at once in both drawing modes. Every one is optional: the names are ours, a
// game made with the kit's editor need not hold them, and each screen that draws from
// one has a plain stand-in of its own.
constexpr DDSURFACEFILE Picture(const char* name, int32_t keyed) {
    return SurfaceFile(name, keyed, 0, 0, 0, 0, 1, 0, 0, 0, 0);
}
// A work surface the game draws into, of a fixed size.
constexpr DDSURFACEFILE Work(int32_t width, int32_t height) {
    return SurfaceFile("E", 1, 0, 0, 0, 0, 1, 0, 0, width, height);
}
// A picture named at run time (a stage background, the world map's background): empty,
// and so passed over, until then.
constexpr DDSURFACEFILE Named() {
    return SurfaceFile("", 1, 0, 0, 0, 0, 1, 0, 0, 0, 0);
}
// Entries the screens never load keep the shot sheet's creation values; like every entry
// from 40 on they are optional.
constexpr DDSURFACEFILE Unused() {
    return SurfaceFile("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 1, 0, 0, 0, 0);
}

// Entries 40..70: none is required, so a project holding only the block, character and
// shot sheets, the palette and the debug picture starts.
constexpr DDSURFACEFILE kScreenPictures[kBitmapTableSize - kFirstScreenPicture] = {
    Picture("bmp\\Status.bmp", 1),     // 40 status bar icons, gauge frames and fills
    Picture("bmp\\Digit.bmp", 1),      // 41 32x32 digits of the time and the results
    Picture("bmp\\Banner.bmp", 1),     // 42 stage, start, clear and game-over banners
    Picture("bmp\\Anime.bmp", 1),      // 43 32x32 overlay frames of animated items, cells
    Picture("bmp\\ItemGet.bmp", 1),    // 44 small graphics rising over the hero
    Picture("bmp\\Window.bmp", 1),     // 45 window skin of menus and text boxes
    Picture("bmp\\Result.bmp", 1),     // 46 result and ranking table parts
    Picture("bmp\\Title.bmp", 0),      // 47 title picture, the whole screen
    Picture("bmp\\TitleMenu.bmp", 1),  // 48 title menu, one 32-dot row per item id
    Picture("bmp\\System.bmp", 1),     // 49 cursors, life icon, world-map hero
    Picture("bmp\\Letter.bmp", 1),     // 50 letter pictures a..z of the fonts
    Picture("bmp\\Pause.bmp", 1),      // 51 pause and retry menu parts
    Picture("bmp\\MapChip.bmp", 1),    // 52 world-map cell chips, five across
    Picture("bmp\\MapPoint.bmp", 1),   // 53 world-map points, open and cleared
    Picture("bmp\\Strip.bmp", 1),      // 54 the 640x20 strip under the status bar
    Named(),                           // 55 stage background 0
    Named(),                           // 56 stage background 1
    Named(),                           // 57 stage background 2
    Named(),                           // 58 stage background 3
    Named(),                           // 59 stage background 4
    Named(),                           // 60 stage background 5
    Named(),                           // 61 stage background 6
    Named(),                           // 62 stage background 7
    Work(256, 960),                    // 63 block work sheet, 16-dot tiles
    Work(256, 960),                    // 64 its twin
    Work(1280, 960),                   // 65 sight mask (remade for the hero's radius)
    Work(32, 32),                      // 66 sight shape (remade with the mask)
    Named(),                           // 67 world map background
    Unused(),                          // 68
    Unused(),                          // 69
    Unused(),                          // 70
};

std::vector<SurfaceGroupLink*>& SurfaceGroups() {
    static std::vector<SurfaceGroupLink*> groups;
    return groups;
}

}  // namespace

DDSURFACEFILE g_BitmapTable[kBitmapTableSize] = {
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
    // 40..70: the sheets of stage play and the pictures of the screens, by role.
    kScreenPictures[0],
    kScreenPictures[1],
    kScreenPictures[2],
    kScreenPictures[3],
    kScreenPictures[4],
    kScreenPictures[5],
    kScreenPictures[6],
    kScreenPictures[7],
    kScreenPictures[8],
    kScreenPictures[9],
    kScreenPictures[10],
    kScreenPictures[11],
    kScreenPictures[12],
    kScreenPictures[13],
    kScreenPictures[14],
    kScreenPictures[15],
    kScreenPictures[16],
    kScreenPictures[17],
    kScreenPictures[18],
    kScreenPictures[19],
    kScreenPictures[20],
    kScreenPictures[21],
    kScreenPictures[22],
    kScreenPictures[23],
    kScreenPictures[24],
    kScreenPictures[25],
    kScreenPictures[26],
    kScreenPictures[27],
    kScreenPictures[28],
    kScreenPictures[29],
    kScreenPictures[30],
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

bool SetRuntimeBitmapFile(int index, const char* file) {
    if (!IsRuntimeBitmapEntry(index)) return false;
    DDSURFACEFILE& entry = g_BitmapTable[index];
    std::memset(entry.szFileName, 0, sizeof entry.szFileName);
    if (file) std::strncpy(entry.szFileName, file, sizeof entry.szFileName - 1);
    return true;
}

bool IsRuntimeBitmapEntry(int index) {
    return (index >= kFirstBackgroundPicture && index < kFirstBackgroundPicture + 8) ||
           index == kWorldMapBackground;
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
