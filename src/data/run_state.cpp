// What stage play does with the run state: the course, the stage-start snapshot and its
// restore, the hero carried from stage to stage, the stage names' values and the ranking
// page.
#include <algorithm>

#include "core/bounds.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "data/system_data.h"

namespace {

// The definition's property groups (numbered as its inherit flags) that carried group k
// consists of. Hit and skill points (11, 12), the time limit, lives and music (22..24)
// live outside the definition: no groups.
struct CarryGroup {
    uint8_t count;
    uint8_t groups[3];
};
constexpr CarryGroup kCarryGroups[kCarryFlagCount] = {
    {3, {9, 10, 20}},  // 0 looks: graphic, anime set and size
    {1, {23}},         // maximum HP
    {1, {24}},         // maximum SP
    {2, {26, 27}},     // body attack: power and impact
    {1, {29}},         // defence
    {1, {30}},         // impact resistance
    {1, {31}},         // ease of stopping
    {1, {17}},         // movement type
    {1, {18}},         // immunity
    {1, {22}},         // sight
    {1, {36}},         // 10 behaviour: the flows
    {0, {}},           // hit points
    {0, {}},           // skill points
    {1, {3}},          // character id
    {1, {2}},          // map value
    {1, {15}},         // overlay icon
    {1, {28}},         // hit effect
    {1, {13}},         // display effect at the start
    {1, {14}},         // display effect on vanishing
    {1, {34}},         // score on defeat
    {1, {11}},         // 20 drawing priority
    {1, {16}},         // fixed facing
    {0, {}},           // time limit
    {0, {}},           // lives
    {0, {}},           // music
};

void CopyCarryGroup(size_t k, cCharaDef& dest, const cCharaDef& source) {
    for (uint8_t i = 0; i < kCarryGroups[k].count; ++i)
        dest.CopyGroup(kCarryGroups[k].groups[i], source);
}

// Switch k of a system list; a list shorter than the groups (damaged settings) has the
// missing switches off.
bool SwitchOn(const std::vector<uint8_t>& switches, size_t k) {
    return k < switches.size() && switches[k] != 0;
}

bool FlagSet(const std::vector<uint32_t>& flags, size_t k) {
    return k < flags.size() && flags[k] != 0;
}

// The results of the attempt go back to the stage start together: the score and the four
// totals the run end adds to.
void RestoreScoreAndTotals(cSaveData& run) {
    run.m_nScore = run.m_nSavedScore;
    run.m_nTotal1 = run.m_anSavedTotals[0];
    run.m_nTotal2 = run.m_anSavedTotals[1];
    run.m_nTotal3 = run.m_anSavedTotals[2];
    run.m_nTotal4 = run.m_anSavedTotals[3];
}

constexpr int kRankingPages = cModeRanking::kGenreCount;

bool PageRanked(int gameMode, int page) {
    const std::vector<cModeRanking>& modes = g_SystemData.m_vModeRanking;
    if (gameMode < 0 || static_cast<size_t>(gameMode) >= modes.size()) return false;
    const cModeRanking& ranking = modes[static_cast<size_t>(gameMode)];
    return ranking.m_bEnabled != 0 && static_cast<size_t>(page) < ranking.m_vGenre.size() &&
           ranking.m_vGenre[static_cast<size_t>(page)] != 0;
}

}  // namespace

void cSaveData::SetStage(const std::string& name, uint32_t courseFlag, uint32_t courseNumber,
                         uint32_t stageNumber) {
    m_strStageFile = name;
    CourseFlag() = courseFlag;
    CourseNumber() = courseNumber;
    CourseStage() = stageNumber;
    StopFlag() = 0;
    if (courseFlag == 0) return;
    // '-' and '.' are never the second byte of a Shift-JIS pair, so a byte search is safe.
    const size_t dot = m_strStageFile.rfind('.');
    if (dot == std::string::npos) return;
    const size_t minus = m_strStageFile.rfind('-', dot);
    const size_t slash = m_strStageFile.find_last_of("\\/", dot);
    if (minus == std::string::npos || (slash != std::string::npos && minus < slash)) return;
    m_strStageFile.erase(minus, dot - minus);
}

void cSaveData::RecordStageStart() {
    m_vSavedVariables = m_vVariables;
    m_nSavedLives = m_nLives;
    m_nSavedScore = m_nScore;
    m_anSavedTotals[0] = m_nTotal1;
    m_anSavedTotals[1] = m_nTotal2;
    m_anSavedTotals[2] = m_nTotal3;
    m_anSavedTotals[3] = m_nTotal4;
}

void cSaveData::RestoreSnapshot(int full, int gameMode, uint32_t restoreVariables) {
    // A record that never took a snapshot (a run loaded from a file keeps none) has no
    // variables to go back to: the run keeps its own rather than lose every one of them.
    const bool snapshot = !m_vSavedVariables.empty();
    if (full) {
        if (snapshot) m_vVariables = m_vSavedVariables;
        RestoreScoreAndTotals(*this);
        m_nLives = m_nSavedLives;
        return;
    }
    RestoreScoreAndTotals(*this);
    if (snapshot && (restoreVariables != 0 || gameMode == 3)) m_vVariables = m_vSavedVariables;
}

uint32_t RestoreVariablesSwitch(const cSystemData& system, int gameMode, bool playedDirectly) {
    if (playedDirectly) return system.m_nUserDataOptionD;
    switch (gameMode) {
        case 0:
            return system.m_nUserDataOptionA;
        case 1:
            return system.m_nUserDataOptionB;
        case 2:
            return system.m_nUserDataOptionC;
        default:
            return 0;
    }
}

void cSaveData::ClearStageCounters() {
    m_nScore = 0;
    m_nTotal1 = m_nTotal2 = m_nTotal3 = m_nTotal4 = 0;
}

void cSaveData::StoreCarryOver(size_t player, const CarriedHero& hero) {
    m_bCarryOver = 1;
    if (m_vHeroes.size() <= player) m_vHeroes.resize(player + 1);
    if (m_vCarryFlags.size() < kCarryFlagCount) m_vCarryFlags.resize(kCarryFlagCount, 0);
    cSaveChara& saved = m_vHeroes[player];
    for (size_t k = 0; k < kCarryFlagCount; ++k) {
        if (!SwitchOn(g_SystemData.m_vSwitchA, k)) continue;
        CopyCarryGroup(k, saved.m_Def, hero.def);
        switch (k) {
            case kCarryHP:
                saved.m_nValue1 = static_cast<uint32_t>(hero.hp);
                break;
            case kCarrySP:
                saved.m_nValue2 = static_cast<uint32_t>(hero.sp);
                break;
            case kCarryTimeLimit:
                saved.m_nTimeLimit = static_cast<uint32_t>(hero.timeLimit);
                break;
            case kCarryLives:
                saved.m_nLives = static_cast<uint32_t>(hero.lives);
                break;
            case kCarryMusic:
                saved.m_nMusic = static_cast<uint32_t>(hero.music);
                break;
            default:
                break;
        }
        m_vCarryFlags[k] = 1;
    }
}

void cSaveData::ApplyCarryOver(size_t player, cCharaDef& hero) const {
    if (m_bCarryOver == 0 || player >= m_vHeroes.size()) return;
    const cSaveChara& saved = m_vHeroes[player];
    for (size_t k = 0; k < kCarryFlagCount; ++k) {
        if (kCarryGroups[k].count == 0) continue;  // not a part of the definition
        if (!SwitchOn(g_SystemData.m_vSwitchA, k) || !FlagSet(m_vCarryFlags, k)) continue;
        CopyCarryGroup(k, hero, saved.m_Def);
        if (k == 0 && static_cast<int8_t>(hero.m_nSize) < 1) hero.m_nSize = 1;
    }
}

void cSaveData::ApplyCarriedStage(size_t player, cStage& stage) const {
    if (m_bCarryOver == 0 || player >= m_vHeroes.size()) return;
    const cSaveChara& saved = m_vHeroes[player];
    const auto carried = [&](size_t k) {
        return SwitchOn(g_SystemData.m_vSwitchA, k) && FlagSet(m_vCarryFlags, k);
    };
    if (carried(kCarryTimeLimit)) stage.m_nTimeLimit = static_cast<int32_t>(saved.m_nTimeLimit);
    if (carried(kCarryMusic)) stage.m_nBgm = static_cast<int32_t>(saved.m_nMusic);
}

void cSaveData::ApplyCarriedPoints(size_t player, int32_t& hp, int32_t& sp) const {
    if (m_bCarryOver == 0 || player >= m_vHeroes.size()) return;
    const cSaveChara& saved = m_vHeroes[player];
    const auto carried = [&](size_t k) {
        return SwitchOn(g_SystemData.m_vSwitchA, k) && FlagSet(m_vCarryFlags, k);
    };
    if (carried(kCarryHP)) hp = static_cast<int32_t>(saved.m_nValue1);
    if (carried(kCarrySP)) sp = static_cast<int32_t>(saved.m_nValue2);
}

void cSaveData::DropCarryOnMiss() {
    for (size_t k = 0; k < m_vCarryFlags.size(); ++k)
        if (SwitchOn(g_SystemData.m_vSwitchB, k)) m_vCarryFlags[k] = 0;
}

void cSaveData::ApplyStart(RunStart start, const RunStartFacts& facts) {
    const bool snapshot = !m_vSavedVariables.empty();
    for (int i = 0; i < kRunValueCount; ++i) {
        const auto value = static_cast<RunValue>(i);
        const AtStart rule = RunStartRule(value, start);
        switch (value) {
            case RunValue::kScoreAndTotals:
                if (rule == AtStart::kCleared) ClearStageCounters();
                if (rule == AtStart::kSnapshot) RestoreScoreAndTotals(*this);
                break;
            case RunValue::kBonus:
                if (rule == AtStart::kCleared) m_nBonus = 0;
                break;
            case RunValue::kLives:
                // (A miss's life is used by the miss itself: it decides the game over.)
                if (rule == AtStart::kSnapshot) m_nLives = m_nSavedLives;
                break;
            case RunValue::kVariables:
                // A record that never took a snapshot (a run loaded from a file keeps
                // none) keeps its own variables rather than lose every one of them.
                if (!snapshot) break;
                if (rule == AtStart::kSnapshot ||
                    (rule == AtStart::kRestoreSwitch &&
                     (facts.restoreVariables != 0 || facts.gameMode == 3)))
                    m_vVariables = m_vSavedVariables;
                break;
            case RunValue::kCarriedHero:
                if (rule == AtStart::kCleared) ForgetCarryOver();
                if (rule == AtStart::kDropMarked && facts.carries) DropCarryOnMiss();
                break;
            case RunValue::kCarriedBlock:
                if (rule == AtStart::kCleared) CarriedPosition() = 0;
                break;
            case RunValue::kCarriedLives:
                if (rule != AtStart::kTaken) break;
                if (facts.carries && m_bCarryOver != 0 && !m_vHeroes.empty() &&
                    SwitchOn(g_SystemData.m_vSwitchA, kCarryLives) &&
                    FlagSet(m_vCarryFlags, kCarryLives))
                    m_nLives = static_cast<int32_t>(m_vHeroes[0].m_nLives);
                if (kCarryLives < m_vCarryFlags.size()) m_vCarryFlags[kCarryLives] = 0;
                break;
            case RunValue::kClearedTotal:
            case RunValue::kStageNumber:
            case RunValue::kRankingChoice:
                break;  // never reset: kept, or given by the start
        }
    }
}

void cSaveData::SumClearedValues() {
    uint32_t total = 0;
    for (const cSaveName& entry : m_vNames) {
        if (g_WorldMapData.CheckStageEntry(entry.m_strStage, entry.m_nNumbered,
                                           static_cast<int32_t>(entry.m_nCourse1),
                                           static_cast<int32_t>(entry.m_nCourse2)) != 0)
            total += entry.m_nValue;
    }
    m_nClearedTotal = total;
}

void cSaveData::StepRankingPage(int gameMode, int step) {
    int page = RankingPage();
    // A page stored outside 0..4 (a damaged save) counts from 0.
    if (page < 0 || page >= kRankingPages) page = 0;
    const int direction = step < 0 ? -1 : 1;
    if (step != 0) page = (page + direction + kRankingPages) % kRankingPages;
    for (int tried = 0; tried < kRankingPages; ++tried) {
        if (PageRanked(gameMode, page)) {
            RankingPage() = page;
            return;
        }
        page = (page + direction + kRankingPages) % kRankingPages;
    }
}
