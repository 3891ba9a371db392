// Loading the ten databases in order, the content of a new project, and the sequence,
// effect-state and sound-file tables start-up derives from them.
#include "data/database.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/bounds.h"
#include "core/log.h"
#include "core/msgbox.h"
#include "data/data_path.h"
#include "data/database_refs.h"
#include "platform/diag.h"

// AnimeSet.dat is DataPath entry 15; each later database follows its predecessor's
// factory copy.
const char* DatabaseFilePath(int list) {
    return DataPath[15 + 2 * list];
}

cDatabase g_Database;
AnimSeqTable g_AnimeSeqTable;
AnimSeqTable g_EffectSeqTable;
std::vector<cEffectInst> g_CharaEffectInst;
std::vector<cEffectInst> g_CharaEffectInstRev;
std::vector<cEffectInst2> g_ScrEffectInst;
std::vector<cEffectInst2> g_ScrEffectInstRev;

namespace {

// The list is read into a copy and replaces the loaded one only when every record was
// read, so a failed load leaves the list as it was.
template <RecordType T>
int LoadDatabaseList(std::vector<T>& list, const char* path, const T& prototype,
                     int32_t minRecords = 0) {
    FILE* fp = OpenRecordRead(path);
    if (!fp) return 0;
    std::vector<T> loaded = list;
    ByteReader in(fp);
    int32_t count = 0;
    bool present = false;  // without a count at all the list keeps what it has
    bool ok = in.ReadPartCount(count, kMinRecordBytes, present);
    if (ok && present) {
        loaded.resize(static_cast<size_t>(count), prototype);
        for (T& record : loaded) {
            ok = ReadWholeElement(in, kMinRecordBytes, "database record",
                                  [&] { return record.Load(fp); });
            if (!ok) break;
        }
    }
    CloseRecordFile(fp);
    if (!ok) {
        platform::Diag(platform::DiagLevel::Error, "database", "%s: damaged, not loaded", path);
        return 0;
    }
    if (static_cast<int64_t>(loaded.size()) < minRecords) {
        // Entry 0 of an effect list is the no-effect entry every effect state and the
        // first-entry fix index; a list without it cannot be played.
        platform::Diag(platform::DiagLevel::Error, "database", "%s: holds no record", path);
        return 0;
    }
    if (g_bStripCR)
        for (T& record : loaded) record.StripCR();
    list = std::move(loaded);
    return 1;
}

// Tenths of a second to frames at 60 frames per second; a time too long for a tick
// count stays at the longest one.
int32_t TenthsToTicks(uint32_t tenths) {
    const uint64_t ticks = static_cast<uint64_t>(tenths) * 6;
    return static_cast<int32_t>(
        std::min<uint64_t>(ticks, static_cast<uint64_t>(std::numeric_limits<int32_t>::max())));
}

// Sequence 0 of both tables is the still "none" entry: every frame holds and it loops.
// Every other sequence runs its frames once and ends.
AnimFrame ControlFrame(size_t sequence) {
    return sequence == 0 ? AnimFrame{kAnimCodeLoop, 0, 1} : AnimFrame{kAnimCodeEnd, 0, 0};
}

}  // namespace

cDatabase::cDatabase() {
    SetDefaults();
}

int cDatabase::Load() {
    int index = 0;
    // Each file in turn; the first that fails names itself and stops the load.
    auto next = [&index](int ok) {
        if (!ok) ErrorBoxF("%s のロードに失敗！", DatabaseFilePath(index));
        ++index;
        return ok != 0;
    };
    const bool all =
        next(LoadDatabaseList(m_vAnimeSet, DatabaseFilePath(0), cAnimeSet{})) &&
        next(LoadDatabaseList(m_vAnime, DatabaseFilePath(1), cAnime::WithDefaults())) &&
        next(LoadDatabaseList(m_vBmpCharaExc, DatabaseFilePath(2), cBmpCharaExc{})) &&
        next(LoadDatabaseList(m_vSwordType, DatabaseFilePath(3), cSwordType{})) &&
        next(LoadDatabaseList(m_vEffect, DatabaseFilePath(4), cEffect{})) &&
        next(LoadDatabaseList(m_vCharaEffect, DatabaseFilePath(5), cCharaEffect{}, 1)) &&
        next(LoadDatabaseList(m_vScrEffect, DatabaseFilePath(6), cScrEffect{}, 1)) &&
        next(LoadDatabaseList(m_vPicture, DatabaseFilePath(7), cPicture{})) &&
        next(LoadDatabaseList(m_vSound, DatabaseFilePath(8), cSound{})) &&
        next(LoadDatabaseList(m_vBgm, DatabaseFilePath(9), cBgm{}));
    if (!all) return 0;
    FixFirstEffects();
    return 1;
}

void cDatabase::SetDefaults() {
    Clear();

    m_vAnimeSet.assign(1, cAnimeSet{});

    m_vAnime.assign(2, cAnime::WithDefaults());
    m_vAnime[0].m_strName = "なし";
    m_vAnime[1].m_strName = "アクションA";

    m_vBmpCharaExc.assign(2, cBmpCharaExc{});
    for (cBmpCharaExc& bmp : m_vBmpCharaExc) bmp.m_nScale = 2;

    m_vSwordType.assign(1, cSwordType{});
    m_vEffect.assign(2, cEffect{});
    m_vCharaEffect.assign(2, cCharaEffect{});
    m_vScrEffect.assign(2, cScrEffect{});
    m_vPicture.assign(2, cPicture{});
    m_vSound.assign(2, cSound{});
    m_vBgm.assign(2, cBgm{});
}

void cDatabase::FixFirstEffects() {
    if (!m_vCharaEffect.empty()) m_vCharaEffect[0].m_nKind = 0;
    if (!m_vScrEffect.empty()) m_vScrEffect[0].m_nKind = 0;
}

void cDatabase::BuildReversedLists() {
    m_vCharaEffectRev = m_vCharaEffect;
    m_vScrEffectRev = m_vScrEffect;
}

void cDatabase::BuildTablesA(AnimSeqTable& table) const {
    table.assign(m_vAnime.size(), AnimSequence{});
    for (size_t i = 0; i < m_vAnime.size(); ++i) {
        const std::vector<cAnimeFrame>& frames = m_vAnime[i].m_vFrame;
        AnimSequence& seq = table[i];
        seq.reserve(frames.size() + 1);
        // Once a frame holds, the rest of the anime holds too, whatever its own flag.
        uint32_t holding = 0;
        for (const cAnimeFrame& frame : frames) {
            if (i == 0) {
                seq.push_back({static_cast<int32_t>(frame.m_nCell), 0, 1});
                continue;
            }
            if (frame.m_bHold) holding = 1;
            seq.push_back(
                {static_cast<int32_t>(frame.m_nCell), TenthsToTicks(frame.m_nTime), holding});
        }
        seq.push_back(ControlFrame(i));
    }
}

void cDatabase::BuildTablesB(AnimSeqTable& table) const {
    table.assign(m_vEffect.size(), AnimSequence{});
    for (size_t e = 0; e < m_vEffect.size(); ++e) {
        const std::vector<cEffectItem>& items = m_vEffect[e].m_vItem;
        AnimSequence& seq = table[e];
        seq.reserve(items.size() + 1);
        for (const cEffectItem& item : items) {
            if (e == 0)
                seq.push_back({static_cast<int32_t>(item.m_nCell), 0, 1});
            else
                seq.push_back({static_cast<int32_t>(item.m_nCell), TenthsToTicks(item.m_nTime), 0});
        }
        seq.push_back(ControlFrame(e));
    }
}

void cDatabase::SizeCharaEffectStates(std::vector<cEffectInst>& forward,
                                      std::vector<cEffectInst>& reversed) {
    forward.clear();
    reversed.clear();
    forward.resize(m_vCharaEffect.size(), cEffectInst{});
    reversed.resize(m_vCharaEffect.size(), cEffectInst{});
    for (size_t i = 0; i < m_vCharaEffect.size(); ++i) {
        const auto n = static_cast<int16_t>(i);
        forward[i].Setup(n, 0, *this);
        reversed[i].Setup(n, 1, *this);
    }
}

void cDatabase::SizeScrEffectStates(std::vector<cEffectInst2>& forward,
                                    std::vector<cEffectInst2>& reversed) {
    forward.clear();
    reversed.clear();
    forward.resize(m_vScrEffect.size(), cEffectInst2{});
    reversed.resize(m_vScrEffect.size(), cEffectInst2{});
    for (size_t i = 0; i < m_vScrEffect.size(); ++i) {
        const auto n = static_cast<int16_t>(i);
        forward[i].Setup(n, 0, *this);
        reversed[i].Setup(n, 1, *this);
    }
}

bool InitDatabases() {
    if (!g_Database.Load()) {
        ReportTracePrintfBox("データベースの読み込みに失敗…");
        return false;
    }
    g_Database.BuildReversedLists();
    g_Database.BuildTablesA(g_AnimeSeqTable);
    g_Database.BuildTablesB(g_EffectSeqTable);
    g_Database.SizeCharaEffectStates(g_CharaEffectInst, g_CharaEffectInstRev);
    g_Database.SizeScrEffectStates(g_ScrEffectInst, g_ScrEffectInstRev);
    // Definitions and stage files loaded from here on check their database numbers.
    InstallDatabaseRefs();
    return true;
}

std::vector<SOUNDFILE> BuildSoundFileList(std::span<const std::string> systemSounds,
                                          const std::vector<cSound>& sounds) {
    const size_t userSounds = sounds.size() > 1 ? sounds.size() - 1 : 0;
    std::vector<SOUNDFILE> list(kSystemSoundCount + userSounds, SOUNDFILE{});
    auto fill = [](SOUNDFILE& entry, const std::string& name, size_t index) {
        entry.nCount = 1;
        entry.nVolume = 0;
        if (name.size() < sizeof(entry.szFile)) {
            std::memcpy(entry.szFile, name.data(), name.size());
            return;
        }
        // A cut name would name another file; the entry stays without one and the sound
        // layer reports it like any other sound it cannot open.
        platform::Diag(platform::DiagLevel::Warn, "database",
                       "sound %zu: file name of %zu bytes is too long", index, name.size());
    };
    for (size_t i = 0; i < list.size(); ++i) {
        if (i < kSystemSoundCount) {
            static const std::string kNone;
            fill(list[i], i < systemSounds.size() ? systemSounds[i] : kNone, i);
        } else {
            fill(list[i], sounds[i - kSystemSoundCount + 1].m_strFile, i);
        }
    }
    return list;
}
