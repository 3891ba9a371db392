// Error reporting of the code text, the keyword tables and the tokenizer.
#include "flow/expr_lexer.h"

#include <algorithm>
#include <array>
#include <climits>
#include <string>

#include "core/log.h"
#include "core/msgbox.h"
#include "core/strings.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "flow/expr_status.h"
#include "flow/flow_scene.h"
#include "objects/chara.h"
#include "objects/play_context.h"

namespace {

bool g_error = false;

// User text in a box is cut after this many bytes, never inside a double-byte character.
constexpr size_t kMaxQuotedBytes = 80;

std::string Quoted(std::string_view text) {
    size_t end = 0;
    while (end < text.size()) {
        const size_t step =
            end + 1 < text.size() && IsSjisLead(static_cast<uint8_t>(text[end])) ? 2 : 1;
        if (end + step > kMaxQuotedBytes) return std::string(text.substr(0, end)) + "...";
        end += step;
    }
    return std::string(text);
}

constexpr std::array<std::string_view, 6> kOperators = {"=", "+", "-", "*", "/", "%"};
constexpr std::array<std::string_view, 8> kObjects = {"my",  "tg",  "tg1", "tg2",
                                                      "tg3", "tg4", "pl",  "sys"};
constexpr std::array<std::string_view, kStatusCount> kStatuses = {
    "v1",  "v2",  "v3", "v4",   "v5",    "v6",    "v7",  "v8",  "hp",   "sp",   "mhp",
    "msp", "cid", "z",  "mark", "sight", "power", "imp", "def", "impd", "stop", "getsc"};
constexpr std::array<std::string_view, 5> kSystemValues = {"time", "scrlx", "scrly", "score",
                                                           "life"};
enum Object : int { kObjMy = 0, kObjTg, kObjTg1, kObjTg2, kObjTg3, kObjTg4, kObjPl, kObjSys };

template <size_t N>
int Find(const std::array<std::string_view, N>& table, std::string_view word) {
    const auto it = std::find(table.begin(), table.end(), word);
    return it == table.end() ? -1 : static_cast<int>(it - table.begin());
}

// The character an object names; null with the error flag set when there is none, and
// null without an error for "sys".
cChara* ObjectChara(ExprRun& run, int object, std::string_view word) {
    switch (object) {
        case kObjMy:
            return &run.chara;
        case kObjPl: {
            cChara* hero = Play().Hero();
            if (!hero) ExprBadIndex(word, 0, 0, static_cast<int>(sizeof(cChara*)), true);
            return hero;
        }
        case kObjSys:
            return nullptr;
        default: {
            const int slot = object == kObjTg ? 0 : object - kObjTg1;
            const std::vector<cChara*>& targets = run.chara.m_vTargets;
            if (static_cast<size_t>(slot) >= targets.size()) {
                ExprBadIndex(word, slot, static_cast<int>(targets.size()),
                             static_cast<int>(sizeof(cChara*)), true);
                return nullptr;
            }
            cChara* who = targets[static_cast<size_t>(slot)];
            if (!who) FailExpr();  // an empty target slot ends the text without a box
            return who;
        }
    }
}

bool ResolveVariable(std::string_view word, ExprToken& tok) {
    const bool common = word[0] == 'C';
    tok.kind = ExprTokKind::kRef;
    tok.ref = common ? ExprRefKind::kCommonVar : ExprRefKind::kStageVar;
    tok.index = ReadDecimal(word.substr(1));
    int size = 0;
    if (common) {
        const std::vector<uint32_t>& vars = g_PlaySession.m_vVariables;
        size = static_cast<int>(vars.size());
        if (tok.index >= 0 && tok.index < size)
            tok.value = static_cast<int32_t>(vars[static_cast<size_t>(tok.index)]);
    } else {
        const std::vector<int32_t>& vars = Scene().StageVars();
        size = static_cast<int>(vars.size());
        if (tok.index >= 0 && tok.index < size) tok.value = vars[static_cast<size_t>(tok.index)];
    }
    if (tok.index >= 0 && tok.index < size) return true;
    ExprBadIndex(word, tok.index, size, 4);
    return false;
}

bool ResolveStatus(int status, cChara& chara, std::string_view word, ExprToken& tok) {
    tok.kind = ExprTokKind::kRef;
    tok.ref = ExprRefKind::kStatus;
    tok.index = status;
    tok.chara = &chara;
    const ExprBounds b = ExprStatusBounds(chara, status);
    tok.low = b.low;
    tok.high = b.high;
    if (ReadExprStatus(chara, status, tok.value)) return true;
    ExprBadIndex(word, status + 1, static_cast<int>(chara.m_vVars.size()), 4);
    return false;
}

bool ResolveWord(ExprRun& run, std::string_view word, ExprToken& tok) {
    tok.word = word;
    std::string_view name = word;
    int object = kObjMy;
    cChara* chara = &run.chara;
    if (const size_t dot = word.find('.'); dot != std::string_view::npos) {
        const std::string_view objectWord = word.substr(0, dot);
        object = Find(kObjects, objectWord);
        if (object < 0) {
            ExprError("オブジェクト \"%s.\" が認識できません！", objectWord);
            return false;
        }
        chara = ObjectChara(run, object, objectWord);
        if (ExprErrorSet()) return false;
        name = word.substr(dot + 1);
    }
    if (const int op = Find(kOperators, name); op >= 0) {
        tok.kind = ExprTokKind::kOperator;
        tok.value = op;
        return true;
    }
    if (!name.empty() && (name[0] == 'C' || name[0] == 'S')) return ResolveVariable(name, tok);
    if (const int status = Find(kStatuses, name); status >= 0) {
        if (!chara) {
            ExprError("オブジェクト \"sys.\" にステータス %s はありません！", name);
            return false;
        }
        return ResolveStatus(status, *chara, word, tok);
    }
    if (const int value = Find(kSystemValues, name); value >= 0) {
        tok.kind = ExprTokKind::kRef;
        tok.ref = ExprRefKind::kSystem;
        tok.index = value;
        const ExprBounds b = ExprSystemBounds(value);
        tok.low = b.low;
        tok.high = b.high;
        tok.value = ReadExprSystem(value);
        return true;
    }
    tok.kind = ExprTokKind::kNumber;
    tok.value = ReadDecimal(name);
    return true;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

bool ExprErrorSet() {
    return g_error;
}

void ClearExprError() {
    g_error = false;
}

void FailExpr() {
    g_error = true;
}

void ExprError(const char* format, std::string_view userText) {
    g_error = true;
    std::string message;
    StrFormat(message, format, Quoted(userText).c_str());
    TracePrintf("%s", message.c_str());
    ErrorBox(message.c_str());
}

void ExprBadIndex(std::string_view word, int index, int size, int elementSize, bool object) {
    std::string line;
    StrFormat(line, "err V[%d] ( %d , %d )", index, size, elementSize);
    TraceWrite(line.c_str());
    ReportPrintf("%s", line.c_str());
    ExprError(object ? "オブジェクト \"%s.\" が存在しません！" : "変数 %s の番号が不正です！",
              word);
}

int ExprOpLevel(int32_t op) {
    switch (op) {
        case kOpMul:
        case kOpDiv:
        case kOpMod:
            return 0;
        case kOpAdd:
        case kOpSub:
            return 1;
        default:
            return 2;
    }
}

int32_t ReadDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (IsSpace(text[i]) || text[i] == '\v' || text[i] == '\f')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{INT32_MAX} + 1) break;  // saturated either way
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

bool TokenizeExpr(ExprRun& run, std::string_view text, std::vector<ExprToken>& out) {
    out.clear();
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsSpace(text[i])) ++i;
        const size_t start = i;
        while (i < text.size() && !IsSpace(text[i])) ++i;
        if (i == start) break;
        ExprToken tok;
        if (!ResolveWord(run, text.substr(start, i - start), tok)) return false;
        out.push_back(tok);
    }
    return true;
}
