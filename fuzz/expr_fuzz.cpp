// Fuzzes the code text of the execute-code command: arbitrary bytes run as a text for a
// character with a target and a hero, on a fixed stage. No text may crash, overflow,
// recurse without bound or hang; every error is a box (answered at once) and a false
// result; and whatever a text assigns stays within the bounds of what it names.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string_view>

#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "flow/expr_eval.h"
#include "flow/expr_lexer.h"
#include "objects/chara.h"
#include "objects/map_cell.h"
#include "objects/play_context.h"
#include "platform/msgbox/msgbox.h"

namespace {

class FixedStage : public PlayContext {
  public:
    PlayState& State() override { return state; }
    std::vector<cMapCell>& MapCells() override { return cells; }
    cChara* Hero() override { return hero; }
    cChara* FindChara(const std::function<bool(cChara&)>&) override { return nullptr; }
    CharaList& CharaGroup(uint32_t) override { return group; }
    ShotList& ShotGroup(uint32_t) override { return shots; }
    int32_t& Score() override { return score; }

    PlayState state;
    std::vector<cMapCell> cells;
    cChara* hero = nullptr;
    CharaList group;
    ShotList shots;
    int32_t score = 100;
};

void Reset(cChara& c, int32_t hp) {
    c.m_vVars.assign(9, 0);
    c.m_Def.m_nMaxHP = 100;
    c.m_Def.m_nMaxSP = 50;
    c.m_nHP = hp;
    c.m_nSP = 10;
}

bool InBounds(const cChara& c) {
    for (int32_t v : c.m_vVars)
        if (v < -999999 || v > 999999) return false;
    return c.m_nHP >= 0 && c.m_nHP <= static_cast<int32_t>(c.m_Def.m_nMaxHP) && c.m_nSP >= 0 &&
           c.m_nSP <= static_cast<int32_t>(c.m_Def.m_nMaxSP) && c.m_Def.m_nMaxHP >= 1 &&
           c.m_Def.m_nMaxHP <= 999999 && c.m_Def.m_nSightRange <= 40 && c.m_Def.m_nDecel <= 200;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FixedStage stage;
    static cChara hero, self, target;
    static bool ready = [] {
        platform::msgbox::SetScriptedAnswerer([](const platform::msgbox::Request&) { return 1; });
        SetPlayContext(&stage);
        stage.hero = &hero;
        self.m_vTargets.assign(4, nullptr);
        self.m_vTargets[0] = &target;
        return true;
    }();
    (void)ready;
    Reset(hero, 100);
    Reset(self, 60);
    Reset(target, 30);
    g_PlaySession.m_vVariables.assign(kVariableCount, 0);
    g_PlaySession.m_nLives = 3;
    g_Stage.m_nScrollSpeedX = g_Stage.m_nScrollSpeedY = 0;

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool ok = ExecCode(text, self);
    if (ok == ExprErrorSet()) std::abort();
    for (const cChara* c : {&hero, &self, &target})
        if (!InBounds(*c)) std::abort();
    for (uint32_t v : g_PlaySession.m_vVariables)
        if (static_cast<int32_t>(v) < -999999 || static_cast<int32_t>(v) > 999999) std::abort();
    if (g_PlaySession.m_nLives < 0 || g_PlaySession.m_nLives > 99) std::abort();
    if (stage.score < 0 || stage.score > 999999) std::abort();
    return 0;
}
