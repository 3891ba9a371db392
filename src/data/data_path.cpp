// The data path and extension tables, the start-up check of "data\" and the
// folders made at start.
#include "data/data_path.h"

#include "core/msgbox.h"
#include "platform/diag.h"
#include "platform/fs/fs.h"

const char* const DataPath[kDataPathCount] = {
    "data\\",                               // 0
    "default\\",                            // 1
    "data\\stg4\\old_ver\\",                // 2
    "data\\work\\",                         // 3
    "e_data\\EditConfig.dat",               // 4
    "data\\PrjOption.dat",                  // 5
    "default\\PrjOption.dat",               // 6
    "data\\CommonPalette.cplt4",            // 7
    "default\\CommonPalette.cplt4",         // 8
    "data\\GValInfo.dat",                   // 9
    "default\\GValInfo.dat",                // 10
    "data\\stg4\\Default.stg4_***",         // 11
    "default\\stg4\\Default.stg4_***",      // 12
    "data\\WorldMap.dat",                   // 13
    "default\\WorldMap.dat",                // 14
    "data\\database\\AnimeSet.dat",         // 15
    "default\\database\\AnimeSet.dat",      // 16
    "data\\database\\Anime.dat",            // 17
    "default\\database\\Anime.dat",         // 18
    "data\\database\\Bmp_CharaExc.dat",     // 19
    "default\\database\\Bmp_CharaExc.dat",  // 20
    "data\\database\\SwordType.dat",        // 21
    "default\\database\\SwordType.dat",     // 22
    "data\\database\\Effect.dat",           // 23
    "default\\database\\Effect.dat",        // 24
    "data\\database\\CharaEffect.dat",      // 25
    "default\\database\\CharaEffect.dat",   // 26
    "data\\database\\ScrEffect.dat",        // 27
    "default\\database\\ScrEffect.dat",     // 28
    "data\\database\\Picture.dat",          // 29
    "default\\database\\Picture.dat",       // 30
    "data\\database\\Sound.dat",            // 31
    "default\\database\\Sound.dat",         // 32
    "data\\database\\Bgm.dat",              // 33
    "default\\database\\Bgm.dat",           // 34
    "data\\System.dat",                     // 35
    "default\\System.dat",                  // 36
    "data\\stg4\\c",                        // 37
    "user_data\\story\\",                   // 38
    "user_data\\challenge\\",               // 39
    "user_data\\free\\",                    // 40
    "user_data\\story\\Story",              // 41
    "user_data\\challenge\\Challenge.dat",  // 42
    "user_data\\Option.dat",                // 43
    "user_data\\",                          // 44
    "user_data\\KeyConfig.dat",             // 45
    "user_data\\Boot.dat",                  // 46
    "user_data\\Window.dat",                // 47
};

const char* const DataExt[kDataExtCount] = {"cplt4", "stg4", "plt4", "rkg"};

namespace {

// In the order the game makes them.
constexpr const char* kStartFolders[] = {
    "user_data",
    "user_data\\story",
    "user_data\\challenge",
    "user_data\\free",
    "user_data\\rpl4",
    "data",
    "data\\database",
    "data\\stg4",
    "data\\stg4\\old_ver",
    "data\\work",
    "data\\plt4",
    "bmp",
    "bmp\\back",
    "bmp\\chara_sp",
    "bmp\\effect",
    "bmp\\picture",
    "bmp\\sword",
    "bmp\\convert",
    "bmp\\plt",
    "bmp\\hbt",
    "wave",
    "bgm",
};

}  // namespace

int CheckDataFolder(HWND /*window*/) {
    if (platform::fs::GameDirectoryExists(DataPath[0])) return 1;
    if (!platform::fs::GameDirectoryExists(DataPath[1])) return 0;
    if (AppMessageBox("データが存在しません！デフォルトデータを作成しますか？\n",
                      "デフォルトデータ作成の確認", MB_YESNO) != IDYES)
        return 0;
    // The whole factory tree becomes "data\"; a copy that fails halfway is removed
    // again, so the next start asks afresh.
    return platform::fs::CopyGameTree(DataPath[1], DataPath[0]) ? 1 : 0;
}

bool CreateStartFolders() {
    bool all = true;
    for (const char* folder : kStartFolders) {
        if (platform::fs::CreateGameDirectory(folder)) continue;
        platform::Diag(platform::DiagLevel::Warn, "data", "cannot create the folder '%s'",
                       platform::fs::ResolveGamePath(folder).c_str());
        all = false;
    }
    return all;
}
