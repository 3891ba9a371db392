// Story save slots and the challenge file: slot names, the slot list and its drawing, and
// the loads and saves of cSaveData that go to these files.
#include "data/save_slots.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "core/bounds.h"
#include "core/paths.h"
#include "core/strings.h"
#include "data/data_path.h"
#include "data/system_data.h"
#include "platform/diag.h"
#include "platform/fs/fs.h"
#include "platform/text/cp932.h"

std::vector<cSaveSlotInfo> g_SaveSlots(kSaveSlotCount);

namespace {

constexpr int kStoryPathIndex = 41;      // "user_data\story\Story"
constexpr int kChallengePathIndex = 42;  // "user_data\challenge\Challenge.dat"
constexpr int kStoryMode = 0;
constexpr int kChallengeMode = 1;

constexpr int kRowHeight = 16;
constexpr int kListWidth = 320;
constexpr int kSeparatorColour = 240;

SaveTime LocalNow() {
    std::timespec ts{};
    if (std::timespec_get(&ts, TIME_UTC) == 0) ts.tv_sec = std::time(nullptr);
    std::tm local{};
    {
        // localtime's result lives in one shared buffer.
        static std::mutex mutex;
        std::lock_guard<std::mutex> lock(mutex);
        const std::time_t seconds = ts.tv_sec;
        if (const std::tm* tm = std::localtime(&seconds)) local = *tm;
    }
    SaveTime t;
    t.wYear = static_cast<uint16_t>(local.tm_year + 1900);
    t.wMonth = static_cast<uint16_t>(local.tm_mon + 1);
    t.wDayOfWeek = static_cast<uint16_t>(local.tm_wday);
    t.wDay = static_cast<uint16_t>(local.tm_mday);
    t.wHour = static_cast<uint16_t>(local.tm_hour);
    t.wMinute = static_cast<uint16_t>(local.tm_min);
    t.wSecond = static_cast<uint16_t>(std::min(local.tm_sec, 59));  // no leap second
    t.wMilliseconds = static_cast<uint16_t>(ts.tv_nsec / 1000000);
    return t;
}

SaveTimeSource g_saveTimeSource = nullptr;

// Game paths are Shift-JIS; our diagnostics are UTF-8.
std::string ForDiag(const char* path) {
    std::string utf8;
    if (!platform::text::TrySjisToUtf8(path, utf8)) return path;
    return utf8;
}

bool SlotInRange(int slot) {
    if (slot >= 0 && slot < static_cast<int>(g_SaveSlots.size())) return true;
    platform::Diag(platform::DiagLevel::Warn, "save", "slot %d does not exist", slot);
    return false;
}

// A damaged challenge file would be replaced by the next challenge stage's result; keep it
// beside as "Challenge.dat.bad" so that it can still be looked at or mended.
void MoveAside(const char* path) {
    const std::filesystem::path from = platform::fs::ResolveGamePath(path);
    std::filesystem::path to = from;
    to += ".bad";
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    platform::fs::InvalidateGamePathCache();
    if (ec)
        platform::Diag(platform::DiagLevel::Warn, "save",
                       "%s is damaged and could not be moved: %s", ForDiag(path).c_str(),
                       ec.message().c_str());
    else
        platform::Diag(platform::DiagLevel::Warn, "save", "%s is damaged; kept as %s",
                       ForDiag(path).c_str(), to.c_str());
}

}  // namespace

// Only the used flag is registered: clearing or record-copying a row leaves its save time,
// which a plain copy of the row carries along.
void cSaveSlotInfo::RegisterFields(uint32_t /*version*/) {
    Reg(m_bUsed);
}

void SetSaveTimeSource(SaveTimeSource source) {
    g_saveTimeSource = source;
}

SaveTime NowForSave() {
    return g_saveTimeSource ? g_saveTimeSource() : LocalNow();
}

void MakeStoryPath(char* buffer, int slot) {
    const std::string number = StrPrintf("%02d", slot + 1);
    const std::string path = StrPrintf("%s%s.dat", DataPath[kStoryPathIndex], number.c_str());
    // Slot numbers give at most "Story100.dat"; the buffer holds kMaxPath bytes.
    const size_t n = std::min(path.size(), static_cast<size_t>(kMaxPath - 1));
    path.copy(buffer, n);
    buffer[n] = '\0';
}

void BuildSlotList(std::vector<cSaveSlotInfo>& slots) {
    cSaveData scratch;
    for (size_t n = 0; n < slots.size(); ++n) {
        char path[kMaxPath];
        MakeStoryPath(path, static_cast<int>(n));
        cSaveSlotInfo& slot = slots[n];
        FILE* fp = OpenRecordRead(path);
        if (!fp) {
            slot.m_bUsed = 0;
            continue;
        }
        const bool ok = scratch.Load(fp);
        CloseRecordFile(fp);
        if (!ok) {
            // Offered as free: it cannot be continued, and its date would be a guess.
            platform::Diag(platform::DiagLevel::Warn, "save", "%s is damaged; slot shown free",
                           ForDiag(path).c_str());
            slot.m_bUsed = 0;
            continue;
        }
        slot.m_bUsed = 1;
        slot.m_SaveTime = scratch.m_SaveTime;
    }
}

void DrawSlotDate(const cSaveSlotInfo& slot, SlotListCanvas& canvas, int x, int y) {
    if (!slot.m_bUsed) return;
    const SaveTime& t = slot.m_SaveTime;
    canvas.DrawText(
        x, y,
        StrPrintf("%04d/%02d/%02d %02d:%02d\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute));
}

void DrawSlotList(SlotListCanvas& canvas, int x, int y, const std::vector<cSaveSlotInfo>& slots,
                  int first, int rows) {
    canvas.DrawFrameBox(x, y, kListWidth, rows * kRowHeight);
    for (int i = 0; i < rows; ++i) {
        const int top = y + kRowHeight * i;
        if (i != rows - 1) canvas.FillRect(x, top + 15, kListWidth, 1, kSeparatorColour);
        const int index = first + i;
        if (index >= static_cast<int>(slots.size())) break;
        if (index < 0) continue;  // a page that starts before slot 1 leaves those rows empty
        canvas.DrawText(x + 16, top, StrPrintf("%d", index + 1));
        DrawSlotDate(slots[static_cast<size_t>(index)], canvas, x + 64, top);
    }
}

// ---- Loads and saves of cSaveData ------------------------------------------------------

void cSaveData::ApplyLifeRule(int mode) {
    if (V(g_SystemData.m_vUnlimitedLives, mode) != 0) {
        m_nStartLives = kUnlimited;
        m_nLives = kUnlimited;
    } else if (m_nLives == kUnlimited) {
        // Saved while the mode had no limit; the project has one now.
        m_nLives = static_cast<int32_t>(V(g_SystemData.m_vStartLives, mode));
    }
}

int cSaveData::SaveSlot(int slot) {
    if (!SlotInRange(slot)) return 0;
    char path[kMaxPath];
    MakeStoryPath(path, slot);
    const SaveTime before = m_SaveTime;
    m_SaveTime = NowForSave();
    // Written beside the old file and renamed over it: a failed save keeps the old slot
    // byte for byte, and the list keeps showing what is on disk.
    if (!SaveFile(path)) {
        m_SaveTime = before;
        platform::Diag(platform::DiagLevel::Error, "save",
                       "%s could not be written; kept as it was", ForDiag(path).c_str());
        return 0;
    }
    cSaveSlotInfo& info = V(g_SaveSlots, slot);
    info.m_bUsed = 1;
    info.m_SaveTime = m_SaveTime;
    return 1;
}

cSaveData RecordToLoadInto(const cSaveData& current) {
    cSaveData fresh;
    fresh.m_vSavedVariables = current.m_vSavedVariables;
    fresh.m_nSavedLives = current.m_nSavedLives;
    fresh.m_nSavedScore = current.m_nSavedScore;
    std::copy(std::begin(current.m_anSavedTotals), std::end(current.m_anSavedTotals),
              std::begin(fresh.m_anSavedTotals));
    return fresh;
}

int cSaveData::LoadSlot(int slot) {
    if (!SlotInRange(slot)) return 0;
    char path[kMaxPath];
    MakeStoryPath(path, slot);
    // Loaded aside and taken over whole: a missing or damaged file changes nothing.
    cSaveData loaded = RecordToLoadInto(*this);
    if (!loaded.LoadFile(path)) return 0;
    loaded.ApplyLifeRule(kStoryMode);
    *this = std::move(loaded);
    return 1;
}

int cSaveData::LoadChallenge() {
    const char* path = DataPath[kChallengePathIndex];
    if (!platform::fs::GameFileExists(path)) return 0;
    cSaveData loaded = RecordToLoadInto(*this);
    FILE* fp = OpenRecordRead(path);
    if (!fp) {
        // There but unreadable (no rights) is left alone; there but too short to hold its
        // version word is damaged.
        FILE* raw = platform::fs::OpenGameFile(path, "rb");
        if (!raw) return 0;
        std::fclose(raw);
        MoveAside(path);
        return 0;
    }
    const bool ok = loaded.Load(fp);
    CloseRecordFile(fp);
    if (!ok) {
        MoveAside(path);
        return 0;
    }
    loaded.ApplyLifeRule(kChallengeMode);
    *this = std::move(loaded);
    return 1;
}

int cSaveData::SaveChallenge() {
    const char* path = DataPath[kChallengePathIndex];
    if (!SaveFile(path)) {
        platform::Diag(platform::DiagLevel::Error, "save",
                       "%s could not be written; kept as it was", ForDiag(path).c_str());
        return 0;
    }
    return 1;
}
