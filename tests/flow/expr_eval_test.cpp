// The code text of the execute-code command: grammar and precedence, every status, system
// value and function, assignments and what they set off, every error and the hostile
// texts (deep nesting, huge numbers, unterminated and empty texts, bad indices).
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "core/log.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "flow/conditions.h"
#include "flow/expr_eval.h"
#include "flow/expr_parser.h"
#include "flow/expr_status.h"
#include "flow_test_support.h"
#include "objects/units.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

using namespace wftest;

namespace {

// A running character with a target in slot 1, a hero, and the run's tables.
struct CodeStage {
    CodeStage() {
        ResetLogsForTest();
        ReportOpen(dir.File("Report_Game.txt").c_str());
        for (cChara* c : {&hero, &self, &target}) {
            Bind(*c, {});
            c->m_Def.m_nMaxHP = 100;
            c->m_Def.m_nMaxSP = 50;
            c->m_nHP = 90;
            c->m_nSP = 20;
        }
        h.play.players = {&hero};
        self.SetTarget(0, &target);
        g_PlaySession.m_vVariables.assign(kVariableCount, 0);
        g_PlaySession.m_nLives = 3;
        g_Stage.m_nScrollSpeedX = g_Stage.m_nScrollSpeedY = 0;
        g_Stage.m_bScrollAutoX = 1;
        g_Stage.m_bScrollAutoY = 0;
        h.play.score = 0;
    }
    ~CodeStage() {
        g_PlaySession.m_vVariables = savedVars;
        g_PlaySession.m_nLives = savedLives;
        g_Stage.m_nScrollSpeedX = savedScroll[0];
        g_Stage.m_nScrollSpeedY = savedScroll[1];
        g_Stage.m_bScrollAutoX = savedScroll[2];
        g_Stage.m_bScrollAutoY = savedScroll[3];
        self.SetTarget(0, nullptr);
        ResetLogsForTest();
    }
    // The value of a text as the command evaluates it, with the error flag.
    int32_t Value(const std::string& code, bool* failed = nullptr) {
        ClearExprError();
        ExprRun run{self, code};
        const int32_t v = ParseCode(run);
        if (failed) *failed = ExprErrorSet();
        return v;
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> texts;
        for (const auto& r : boxes.Asked()) texts.push_back(r.textSjis);
        return texts;
    }

    // The run's tables as the test found them.
    std::vector<uint32_t> savedVars = g_PlaySession.m_vVariables;
    int32_t savedLives = g_PlaySession.m_nLives;
    int32_t savedScroll[4] = {g_Stage.m_nScrollSpeedX, g_Stage.m_nScrollSpeedY,
                              g_Stage.m_bScrollAutoX, g_Stage.m_bScrollAutoY};
    TempDir dir;
    FlowHarness h;
    ScriptedBoxes boxes;
    PostedMessages posted;
    cChara hero, self, target;
};

}  // namespace

TEST(CodeText, GrammarPrecedenceAndNumbers) {
    CodeStage s;
    s.self.m_vVars[1] = 40;
    s.target.m_nHP = 33;
    s.hero.m_nSP = 12;
    g_PlaySession.m_vVariables[5] = 55;
    s.h.scene.vars[7] = -7;
    s.h.scene.time = 120;
    s.h.play.score = 4321;
    struct Case {
        const char* code;
        int32_t value;
    };
    const Case cases[] = {
        {"1 + 2 * 3", 7},
        {"(1 + 2) * 3", 9},
        {"7 / 2", 3},
        {"-7 % 2", -1},
        {"-7 / 2", -3},
        {"10 - 4 - 3", 3},
        {"100 / 10 / 5", 2},
        {"2 * 3 % 4", 2},
        {"1 + 8 % 3 * 2", 5},
        {"7/2", 7},  // words need spaces between them
        {"", 0},
        {"   ", 0},
        {"abc", 0},
        {"12abc", 12},
        {"+8", 8},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"2147483647 + 1", INT_MIN},
        {"-2147483648 - 1", INT_MAX},
        {"65536 * 65536", 0},
        {"-2147483648 / -1", INT_MIN},
        {"-2147483648 % -1", 0},
        {"((2))", 2},
        {"(2)5", 25},  // the value joins the word after it
        {"( 1 + (2 * (3 + 4)) )", 15},
        {"1 2 3", 1},
        {"1\t+\n2", 3},
        {"rand(3, 3)", 3},
        {"rand(4,4) + 1", 5},
        {"rand((1 + 1), 2)", 2},
        {"rand(rand(6, 6), 6) * 2", 12},
        {"v1", 40},
        {"my.v1 + 2", 42},
        {"hp", 90},
        {"tg.hp", 33},
        {"tg1.hp", 33},
        {"pl.sp", 12},
        {"C5", 55},
        {"my.C5", 55},
        {"S7", -7},
        {"Score", 0},  // a capital S names a stage variable
        {"time", 120},
        {"sys.time", 120},
        {"score", 4321},
        {"life", 3},
        {"my.time", 120},
        {"nothing", 0},
        {"my.5", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        bool failed = true;
        EXPECT_EQ(s.Value(c.code, &failed), c.value);
        EXPECT_FALSE(failed);
    }
    EXPECT_TRUE(s.Shown().empty());
    for (int i = 0; i < 200; ++i) {
        const int32_t r = s.Value("rand(5, 1)");
        ASSERT_GE(r, 1);
        ASSERT_LE(r, 5);
    }
}

TEST(CodeText, EveryStatusReadsClampsAndStoresAtItsWidth) {
    CodeStage s;
    cChara& c = s.self;
    c.m_Def.m_nMaxHP = 500;
    c.m_Def.m_nMaxSP = 400;
    using Field = std::function<int32_t(const cChara&)>;
    struct Case {
        const char* name;
        int32_t low, high;
        Field field;
    };
    auto var = [](size_t i) { return [i](const cChara& x) { return x.m_vVars[i]; }; };
    const Case cases[] = {
        {"v1", -999999, 999999, var(1)},
        {"v2", -999999, 999999, var(2)},
        {"v3", -999999, 999999, var(3)},
        {"v4", -999999, 999999, var(4)},
        {"v5", -999999, 999999, var(5)},
        {"v6", -999999, 999999, var(6)},
        {"v7", -999999, 999999, var(7)},
        {"v8", -999999, 999999, var(8)},
        {"hp", 0, 500, [](const cChara& x) { return x.m_nHP; }},
        {"sp", 0, 400, [](const cChara& x) { return x.m_nSP; }},
        {"cid", 0, 99, [](const cChara& x) { return int32_t{x.m_Def.m_nCharaId}; }},
        {"z", 0, 7, [](const cChara& x) { return int32_t{x.m_Def.m_nPriority}; }},
        {"mark", 0, 119, [](const cChara& x) { return int32_t{x.m_Def.m_nIcon}; }},
        {"sight", 0, 40, [](const cChara& x) { return int32_t{x.m_Def.m_nSightRange}; }},
        {"power", -999999, 999999, [](const cChara& x) { return x.m_Def.m_nPower; }},
        {"imp", -20, 20, [](const cChara& x) { return int32_t{x.m_Def.m_nImpact}; }},
        {"def", 0, 999999, [](const cChara& x) { return x.m_Def.m_nDefence; }},
        {"impd", 0, 20, [](const cChara& x) { return int32_t{x.m_Def.m_nImpactResist}; }},
        {"stop", 0, 200, [](const cChara& x) { return int32_t{x.m_Def.m_nDecel}; }},
        {"getsc", -999999, 999999,
         [](const cChara& x) { return static_cast<int32_t>(x.m_Def.m_nScore); }},
        // The maxima last: lowering them drags HP and SP along.
        {"mhp", 1, 999999, [](const cChara& x) { return static_cast<int32_t>(x.m_Def.m_nMaxHP); }},
        {"msp", 1, 999999, [](const cChara& x) { return static_cast<int32_t>(x.m_Def.m_nMaxSP); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::string name = std::string("my.") + k.name;
        const int32_t mid = k.low + (k.high - k.low) / 3;
        EXPECT_EQ(s.Value(name + " = " + std::to_string(mid)), mid);
        EXPECT_EQ(k.field(c), mid);
        EXPECT_EQ(s.Value(name), mid);
        EXPECT_EQ(s.Value(name + " = 2000000000"), k.high);
        EXPECT_EQ(k.field(c), k.high);
        EXPECT_EQ(s.Value(k.name + std::string(" = -2000000000")), k.low);
        EXPECT_EQ(k.field(c), k.low);
    }
    EXPECT_TRUE(s.Shown().empty());
}

TEST(CodeText, NarrowStatusesReadSignedAsTheConditionsReadThem) {
    CodeStage s;
    cCharaDef& d = s.self.m_Def;
    // Values outside the editor's ranges, as a damaged or hand-made file stores them.
    d.m_nCharaId = static_cast<uint8_t>(-100);
    d.m_nPriority = static_cast<uint8_t>(-3);
    d.m_nIcon = static_cast<uint16_t>(-1000);
    d.m_nSightRange = static_cast<uint8_t>(-40);
    d.m_nImpact = -20;
    d.m_nImpactResist = -5;
    d.m_nDecel = static_cast<uint16_t>(-200);
    const struct {
        const char* name;
        uint8_t condStatus;
        int32_t value;
    } cases[] = {
        {"cid", 5, -100}, {"z", 6, -3},     {"mark", 7, -1000}, {"sight", 8, -40},
        {"imp", 10, -20}, {"impd", 12, -5}, {"stop", 13, -200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(s.Value(std::string("my.") + c.name), c.value);
        EXPECT_TRUE(ExecCode(std::string("my.v1 = ") + c.name + " * 2", s.self));
        EXPECT_EQ(s.self.m_vVars[1], 2 * c.value);
        int32_t condition = 0;
        ASSERT_TRUE(ReadCharaStatus(s.self, c.condStatus, 0, condition));
        EXPECT_EQ(condition, c.value);
    }
    EXPECT_TRUE(s.Shown().empty());
}

TEST(CodeText, AssignmentsAndWhatTheySetOff) {
    CodeStage s;
    cChara& c = s.self;
    // HP never above the maximum, the gauge shows the change.
    EXPECT_TRUE(ExecCode("my.hp = my.hp + 10", c));
    EXPECT_EQ(c.m_nHP, 100);
    EXPECT_GT(c.m_HPGauge.timer, 0u);
    EXPECT_EQ(c.m_SPGauge.timer, 0u);
    EXPECT_TRUE(ExecCode("sp = sp - 5", c));
    EXPECT_EQ(c.m_nSP, 15);
    EXPECT_GT(c.m_SPGauge.timer, 0u);
    // The maxima bring HP and SP into 1..the new maximum.
    EXPECT_TRUE(ExecCode("my.mhp = 30", c));
    EXPECT_EQ(c.m_nHP, 30);
    c.m_nSP = 0;
    EXPECT_TRUE(ExecCode("my.msp = 20", c));
    EXPECT_EQ(c.m_nSP, 1);
    // HP is bounded by the maximum that stands when it is written, not when it was read.
    EXPECT_TRUE(ExecCode("my.mhp = 10 my.hp = 100", c));
    EXPECT_EQ(c.m_nHP, 10);
    // Another character's HP at 0 asks for the defeat sweep; the running one's does not.
    EXPECT_TRUE(ExecCode("my.hp = 0", c));
    EXPECT_EQ(s.h.scene.defeatChecks, 0);
    EXPECT_TRUE(ExecCode("tg.hp = -5", c));
    EXPECT_EQ(s.target.m_nHP, 0);
    EXPECT_EQ(s.h.scene.defeatChecks, 1);
    // Sight in dots for non-players only; ease of stopping refreshes the stopping rate.
    EXPECT_TRUE(ExecCode("my.sight = 3", c));
    EXPECT_EQ(c.m_nSightDots, HblToDot(3));
    s.hero.m_nSightDots = 7;
    EXPECT_TRUE(ExecCode("pl.sight = 5", c));
    EXPECT_EQ(s.hero.m_Def.m_nSightRange, 5);
    EXPECT_EQ(s.hero.m_nSightDots, 7);
    EXPECT_TRUE(ExecCode("my.stop = 50", c));
    EXPECT_EQ(c.m_dDecel, PercentToSpeed(50));
    // Variables of both tables, written and clamped.
    EXPECT_TRUE(ExecCode("C1000 = 1234567", c));
    EXPECT_EQ(g_PlaySession.m_vVariables[1000], 999999u);
    EXPECT_TRUE(ExecCode("S3 = C1000 - 1", c));
    EXPECT_EQ(s.h.scene.vars[3], 999998);
    // System values: clock and scroll go to the stage with the axis' mode.
    EXPECT_TRUE(ExecCode("sys.time = 5000", c));
    EXPECT_EQ(s.h.scene.time, 999);
    EXPECT_TRUE(ExecCode("scrlx = -600 scrly = 12", c));
    EXPECT_EQ(g_Stage.m_nScrollSpeedX, -480);
    EXPECT_EQ(g_Stage.m_nScrollSpeedY, 12);
    EXPECT_EQ(s.h.scene.scrolls, (std::vector<std::vector<int32_t>>{{0, 1, -480}, {1, 0, 12}}));
    EXPECT_TRUE(ExecCode("score = 1000000", c));
    EXPECT_EQ(s.h.play.score, 999999);
    EXPECT_TRUE(ExecCode("life = life + 200", c));
    EXPECT_EQ(g_PlaySession.m_nLives, 99);
    g_PlaySession.m_nLives = 999999;  // unlimited lives stay so
    EXPECT_EQ(s.Value("sys.life = 5"), 0);
    EXPECT_EQ(g_PlaySession.m_nLives, 999999);
    // Several assignments in one text, each made as it is met.
    EXPECT_TRUE(ExecCode("my.v1 = 7 / 2 my.v2 = -7 % 2 my.v3 = 1 + 2 * 3", c));
    EXPECT_EQ(c.m_vVars[1], 3);
    EXPECT_EQ(c.m_vVars[2], -1);
    EXPECT_EQ(c.m_vVars[3], 7);
    EXPECT_TRUE(ExecCode("my.v4 = rand(5, 1)", c));
    EXPECT_GE(c.m_vVars[4], 1);
    EXPECT_LE(c.m_vVars[4], 5);
    EXPECT_TRUE(s.Shown().empty());
}

TEST(CodeText, EveryErrorShowsItsBoxWritesNothingAndFails) {
    const std::string deep = std::string(300, '(') + "1" + std::string(300, ')');
    const std::string deepest = std::string(256, '(') + "1" + std::string(256, ')');
    std::string deepCalls;
    for (int i = 0; i < 300; ++i) deepCalls += "rand(1, ";
    deepCalls += "1" + std::string(300, ')');
    const std::string longName(200, 'x');
    struct Case {
        std::string code;
        std::string box;  // empty: the text fails without a box
        std::string report = {};
    };
    const Case cases[] = {
        {"my.v1 = (1 + 2", "\")\"が見つかりません！"},
        {"my.v1 = ((1)", "\")\"が見つかりません！"},
        {"my.v1 = rand(1, 2", "関数 rand で\")\"が見つかりません！"},
        {"my.v1 = rand(1)", "関数 rand の引数が不正です！"},
        {"my.v1 = rand()", "関数 rand の引数が不正です！"},
        {"my.v1 = rand(1, 2, 3)", "関数 rand の引数が不正です！"},
        {"my.v1 = foo(1)", "関数 foo の引数が不正です！"},
        {"my.v1 = foo(1", "関数 foo の引数が不正です！"},
        {"my.v1 = (1)(2)", "関数 1 の引数が不正です！"},
        {"my.v1 = -(2)", "関数 - の引数が不正です！"},
        {"xx.v1 = 1", "オブジェクト \"xx.\" が認識できません！"},
        {"my.v1 = .hp", "オブジェクト \".\" が認識できません！"},
        {longName + ".hp = 1",
         "オブジェクト \"" + std::string(80, 'x') + "....\" が認識できません！"},
        {"my.v1 = 1 / 0", "0除算が行われました！(my.v1 = 1 / 0)"},
        {"my.v1 = 5 % (2 - 2)", "0除算が行われました！(my.v1 = 5 % (2 - 2))"},
        {"%s%n = 1", "%s%n には代入できません！"},
        {"tg2.v1 = 1", ""},
        {"my.v1 = tg4.hp", ""},
        {"sys.hp = 1", "オブジェクト \"sys.\" にステータス hp はありません！"},
        {"C1001 = 1", "変数 C1001 の番号が不正です！", "err V[1001] ( 1001 , 4 )"},
        {"my.v1 = C-1", "変数 C-1 の番号が不正です！", "err V[-1] ( 1001 , 4 )"},
        {"S99999999999 = 1", "変数 S99999999999 の番号が不正です！",
         "err V[2147483647] ( 1001 , 4 )"},
        {"= 5", "演算子 = の前後に値がありません！"},
        {"my.v1 =", "演算子 = の前後に値がありません！"},
        {"my.v1 = 1 +", "演算子 + の前後に値がありません！"},
        {"my.v1 = * 2", "演算子 * の前後に値がありません！"},
        {"my.v1 = 1 + - 2", "演算子 + の前後に値がありません！"},
        {"5 = 3", "5 には代入できません！"},
        {"1 + 2 = 3", "1 には代入できません！"},
        {deep, "括弧の入れ子が深すぎます！(" + std::string(80, '(') + "...)"},
        {deepCalls, "括弧の入れ子が深すぎます！(" + deepCalls.substr(0, 80) + "...)"},
        {"my.v1 = (" + deepest + ")",
         "括弧の入れ子が深すぎます！(my.v1 = " + std::string(72, '(') + "...)"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.code.substr(0, 60));
        CodeStage s;
        EXPECT_FALSE(ExecCode(k.code, s.self));
        EXPECT_TRUE(ExprErrorSet());
        EXPECT_EQ(s.self.m_vVars[1], 0);
        EXPECT_EQ(g_PlaySession.m_vVariables[1000], 0u);
        const std::vector<std::string> shown = s.Shown();
        if (k.box.empty()) {
            EXPECT_TRUE(shown.empty());
        } else {
            EXPECT_EQ(shown, std::vector<std::string>{k.box});
        }
        if (!k.report.empty()) {
            const std::string report = ReadText(s.dir.File("Report_Game.txt"));
            EXPECT_NE(report.find(k.report), std::string::npos) << report;
        }
        EXPECT_EQ(s.posted.Count(WM_CLOSE), 0);
    }
    // The deepest nesting allowed still evaluates.
    CodeStage s;
    EXPECT_TRUE(ExecCode("my.v1 = " + deepest, s.self));
    EXPECT_EQ(s.self.m_vVars[1], 1);
}

TEST(CodeText, ErrorsKeepEarlierAssignmentsAndBadIndicesNeverClose) {
    CodeStage s;
    cChara& c = s.self;
    EXPECT_FALSE(ExecCode("my.v1 = 5 3 = 4", c));
    EXPECT_EQ(c.m_vVars[1], 5);
    EXPECT_FALSE(ExecCode("(my.v2 = 6) + 1 / 0", c));
    EXPECT_EQ(c.m_vVars[2], 6);
    // A new execution clears the flag.
    EXPECT_TRUE(ExecCode("my.v3 = 1", c));
    EXPECT_FALSE(ExprErrorSet());
    // A character with fewer variables, and a hero list that is empty.
    c.m_vVars.resize(3);
    EXPECT_FALSE(ExecCode("my.v5 = 1", c));
    EXPECT_EQ(c.m_vVars.size(), 3u);
    s.h.play.players.clear();
    EXPECT_FALSE(ExecCode("pl.hp = 1", c));
    const std::string report = ReadText(s.dir.File("Report_Game.txt"));
    EXPECT_NE(report.find("err V[5] ( 3 , 4 )"), std::string::npos);
    EXPECT_NE(report.find("err V[0] ( 0 , " + std::to_string(sizeof(cChara*)) + " )"),
              std::string::npos);
    EXPECT_EQ(s.posted.Count(WM_CLOSE), 0);
    EXPECT_EQ(s.Shown(),
              (std::vector<std::string>{
                  "3 には代入できません！", "0除算が行われました！((my.v2 = 6) + 1 / 0)",
                  "変数 my.v5 の番号が不正です！", "オブジェクト \"pl.\" が存在しません！"}));
}

TEST(CodeText, TheCommandRunsItsTextForTheCharacter) {
    CodeStage s;
    cFlowCmd cmd = Cmd(kCmdExecCode);
    cmd.m_strText = "my.v1 = tg.hp * 2";
    s.target.m_nHP = 21;
    bool shown = false;
    CmdContext ctx{s.self, nullptr, nullptr, cmd, s.h.play, &shown};
    ASSERT_NE(FindCmdHandler(kCmdExecCode), nullptr);
    EXPECT_EQ(FindCmdHandler(kCmdExecCode)(ctx), 0);
    EXPECT_EQ(s.self.m_vVars[1], 42);
    cmd.m_strText = "my.v1 = (";
    EXPECT_EQ(FindCmdHandler(kCmdExecCode)(ctx), 0);  // a failed text does not end the run
    EXPECT_EQ(s.self.m_vVars[1], 42);
}
