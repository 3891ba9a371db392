// The sample's databases, its "System.ini" and the user's Boot.dat, written by the
// player's own record writers.
#include <cstdio>

#include "core/record.h"
#include "data/boot_data.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/vocab_effects.h"
#include "platform/fs/fs.h"
#include "sample_project.h"

namespace sample {

namespace {

// A database file: the version word, the record count, the records.
template <RecordType T>
bool WriteDatabaseList(int list, std::vector<T>& records, std::string& error) {
    const char* path = DatabaseFilePath(list);
    RecordFileWriter writer(path);
    FILE* fp = writer.Stream();
    bool ok = fp != nullptr;
    if (ok) {
        ByteWriter out(fp);
        ok = out.WriteCount(records.size());
        for (T& record : records)
            if (ok) ok = record.Save(fp);
    }
    if (!ok || !writer.Commit()) {
        error = std::string("cannot write ") + path;
        return false;
    }
    return true;
}

cAnime MakeAnime(const char* name, std::initializer_list<uint32_t> cells, uint32_t tenths) {
    cAnime anime;
    anime.SetDefaults();
    anime.m_strName = name;
    anime.m_vFrame.clear();
    for (uint32_t cell : cells) {
        cAnimeFrame frame;
        frame.m_nCell = cell;
        frame.m_nTime = tenths;
        anime.m_vFrame.push_back(frame);
    }
    return anime;
}

// Columns 0 and 1 of a character row stand, 2 and 3 walk; the set's offsets 4 and 8 lead
// to the immune and block-character colourings drawn beside them.
cAnimeSet MakeAnimeSet(const char* name, uint32_t standTenths, uint32_t walkTenths) {
    cAnimeSet set;
    set.m_strName = name;
    set.m_vSlot[0] = MakeAnime("立ち", {0, 1}, standTenths);
    set.m_vSlot[1] = MakeAnime("立ち移動", {2, 3}, walkTenths);
    set.m_vSlot[2] = MakeAnime("飛行", {0, 1}, standTenths);
    set.m_vSlot[3] = MakeAnime("飛行移動", {2, 3}, walkTenths);
    return set;
}

template <class T>
T Named(const char* name, const char* file) {
    T record;
    record.m_strName = name;
    record.m_strFile = file;
    return record;
}

// A timed effect with the parameter defaults of its kind.
template <class T>
T MakeEffect(const char* name, uint32_t kind, const cParamRange& (*param)(int64_t, int64_t)) {
    T effect;
    effect.m_strName = name;
    effect.m_nKind = kind;
    for (int slot = 0; slot < kEffectParamSlots; ++slot)
        effect.m_anParam[slot] = param(kind, slot).defaultValue;
    return effect;
}

}  // namespace

bool WriteDatabases(std::string& error) {
    if (!platform::fs::CreateGameDirectory("data\\database")) {
        error = "cannot create data\\database";
        return false;
    }
    cDatabase db;  // the content of a new project, then the sample's own records

    db.m_vAnimeSet[0].m_strName = "標準";
    db.m_vAnimeSet.push_back(MakeAnimeSet(kHeroName, 5, 2));
    db.m_vAnimeSet.push_back(MakeAnimeSet(kEnemyName, 4, 3));

    db.m_vAnime.push_back(MakeAnime("きらきら", {0, 1}, 1));

    db.m_vBmpCharaExc[0].m_strName = "なし";
    db.m_vBmpCharaExc[1].m_strName = "未使用";

    cSwordType sword;
    sword.m_strName = "ショートソード";
    sword.m_strFileLeft = "bmp\\sword\\Sword_L.bmp";
    sword.m_strFileRight = "bmp\\sword\\Sword_R.bmp";
    sword.m_vItem.clear();
    // Three frames of a swing: raised, level, lowered, each a 32 x 32 cell of the picture.
    for (uint32_t f = 0; f < 3; ++f) {
        cSwordTypeItem item;
        item.m_nOffsetX = 24;
        item.m_nOffsetY = static_cast<int32_t>(f * 8) - 8;
        item.m_nSrcX = f * 32;
        item.m_nWidth = 32;
        item.m_nHeight = 32;
        item.m_nTime = 1;
        sword.m_vItem.push_back(item);
    }
    db.m_vSwordType.push_back(sword);

    db.m_vEffect[0].m_strName = "なし";
    db.m_vEffect[1].m_strName = "火花";
    db.m_vEffect[1].m_strFile = "bmp\\effect\\Spark.bmp";
    db.m_vEffect[1].m_vItem.clear();
    for (uint32_t cell = 0; cell < 4; ++cell) {
        cEffectItem item;
        item.m_nCell = cell;
        item.m_nTime = 1;
        db.m_vEffect[1].m_vItem.push_back(item);
    }

    db.m_vCharaEffect[0].m_strName = "なし";
    db.m_vCharaEffect[0].m_nKind = 0;
    db.m_vCharaEffect[1] = MakeEffect<cCharaEffect>("点滅", 6, CharaEffectParam);
    db.m_vCharaEffect.push_back(MakeEffect<cCharaEffect>("破裂", 1, CharaEffectParam));

    db.m_vScrEffect[0].m_strName = "なし";
    db.m_vScrEffect[0].m_nKind = 0;
    db.m_vScrEffect[1] = MakeEffect<cScrEffect>("振動（横）", 2, ScrEffectParam);
    // From the whole screen to twice as close on the hero; the valley runs it reversed.
    db.m_vScrEffect.push_back(MakeEffect<cScrEffect>("拡大", 11, ScrEffectParam));

    db.m_vPicture[0].m_strName = "なし";
    db.m_vPicture[1] = Named<cPicture>("看板", "bmp\\picture\\Sign.bmp");

    db.m_vSound[0].m_strName = "なし";
    db.m_vSound[1] = Named<cSound>("コイン", kCoinSound);
    db.m_vSound.push_back(Named<cSound>("ばね", kSpringSound));

    db.m_vBgm[0].m_strName = "なし";
    db.m_vBgm[1] = Named<cBgm>("タイトル", kTitleMusic);
    db.m_vBgm.push_back(Named<cBgm>("野原", kMapMusic));
    db.m_vBgm.push_back(Named<cBgm>("城", kStageMusic));

    return WriteDatabaseList(0, db.m_vAnimeSet, error) &&
           WriteDatabaseList(1, db.m_vAnime, error) &&
           WriteDatabaseList(2, db.m_vBmpCharaExc, error) &&
           WriteDatabaseList(3, db.m_vSwordType, error) &&
           WriteDatabaseList(4, db.m_vEffect, error) &&
           WriteDatabaseList(5, db.m_vCharaEffect, error) &&
           WriteDatabaseList(6, db.m_vScrEffect, error) &&
           WriteDatabaseList(7, db.m_vPicture, error) && WriteDatabaseList(8, db.m_vSound, error) &&
           WriteDatabaseList(9, db.m_vBgm, error);
}

bool WriteSystemIni(std::string& error) {
    // A window of the desktop's depth, drawn through Direct3D, so that no question is
    // asked at start. The reader stops at "Exit"; lines without "=" are comments.
    static const char kIni[] =
        "// 描画モードと画面の設定\n"
        "Direct3D=1\n"
        "WindowMode=1\n"
        "Bpp=0\n"
        "VSync=2\n"
        "D3D_FontCache=0\n"
        "DD_FontCache=1\n"
        "DD_VideoStretch=0\n"
        "ShowFps=1\n"
        "English=0\n"
        "Exit\n";
    const auto* bytes = reinterpret_cast<const uint8_t*>(kIni);
    if (!platform::fs::WriteFileAtomic("System.ini", {bytes, sizeof kIni - 1})) {
        error = "cannot write System.ini";
        return false;
    }
    return true;
}

bool WriteBootData(std::string& error) {
    cBootData boot;
    boot.m_nDrawMode = 1;  // Direct3D
    boot.m_bNoDialog = 1;
    if (!platform::fs::CreateGameDirectory("user_data") || !boot.SaveFile(DataPath[46])) {
        error = std::string("cannot write ") + DataPath[46];
        return false;
    }
    return true;
}

}  // namespace sample
