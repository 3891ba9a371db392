// The operator levels, assignment, and the execute-code command.
#include "flow/expr_eval.h"

#include <algorithm>
#include <vector>

#include "data/flow_record.h"
#include "data/save_data.h"
#include "flow/cmd_families.h"
#include "flow/dispatch.h"
#include "flow/expr_parser.h"
#include "flow/expr_status.h"
#include "flow/flow_scene.h"
#include "objects/chara.h"

namespace {

ExprToken Number(int32_t value, std::string_view word) {
    ExprToken tok;
    tok.value = value;
    tok.word = word;
    return tok;
}

// Arithmetic on 32 bits that wraps around; quotient and remainder truncate toward zero.
int32_t Wrap(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

// A common or stage variable's table, and whether the index still lies inside it.
bool WriteVariable(const ExprToken& ref, int32_t value) {
    if (ref.ref == ExprRefKind::kCommonVar) {
        std::vector<uint32_t>& vars = g_PlaySession.m_vVariables;
        if (ref.index < 0 || static_cast<size_t>(ref.index) >= vars.size()) {
            ExprBadIndex(ref.word, ref.index, static_cast<int>(vars.size()), 4);
            return false;
        }
        vars[static_cast<size_t>(ref.index)] = static_cast<uint32_t>(value);
        return true;
    }
    std::vector<int32_t>& vars = Scene().StageVars();
    if (ref.index < 0 || static_cast<size_t>(ref.index) >= vars.size()) {
        ExprBadIndex(ref.word, ref.index, static_cast<int>(vars.size()), 4);
        return false;
    }
    vars[static_cast<size_t>(ref.index)] = value;
    return true;
}

// left = right: the value clamped to the left reference's bounds and stored; the result
// is the value written (unlimited lives are left alone and read 0).
bool Assign(ExprRun& run, const ExprToken& left, const ExprToken& right, int32_t& result) {
    if (left.kind != ExprTokKind::kRef) {
        ExprError("%s には代入できません！", left.word.empty() ? run.code : left.word);
        return false;
    }
    // A status' bounds are taken again now: an earlier assignment of the same text may
    // have moved a maximum, and HP or SP must never stand above it.
    const ExprBounds b = left.ref == ExprRefKind::kStatus
                             ? ExprStatusBounds(*left.chara, left.index)
                             : ExprBounds{left.low, left.high};
    const int32_t value = std::clamp(right.value, b.low, std::max(b.low, b.high));
    result = value;
    switch (left.ref) {
        case ExprRefKind::kStatus:
            if (!WriteExprStatus(*left.chara, left.index, value, run.chara)) {
                ExprBadIndex(left.word, left.index + 1,
                             static_cast<int>(left.chara->m_vVars.size()), 4);
                return false;
            }
            return true;
        case ExprRefKind::kSystem:
            if (!WriteExprSystem(left.index, value)) result = ReadExprSystem(left.index);
            return true;
        default:
            return WriteVariable(left, value);
    }
}

bool Combine(ExprRun& run, const ExprToken& left, int32_t op, const ExprToken& right,
             int32_t& result) {
    const int64_t a = left.value;
    const int64_t b = right.value;
    switch (op) {
        case kOpAdd:
            result = Wrap(a + b);
            return true;
        case kOpSub:
            result = Wrap(a - b);
            return true;
        case kOpMul:
            result = Wrap(a * b);
            return true;
        case kOpDiv:
        case kOpMod:
            if (b == 0) {
                ExprError("0除算が行われました！(%s)", run.code);
                return false;
            }
            result = Wrap(op == kOpDiv ? a / b : a % b);
            return true;
        default:
            return Assign(run, left, right, result);
    }
}

// One operator level over the tokens, from the left; false with the error flag set.
bool ReduceLevel(ExprRun& run, std::vector<ExprToken>& tokens, int level) {
    std::vector<ExprToken> out;
    out.reserve(tokens.size());
    for (size_t k = 0; k < tokens.size(); ++k) {
        const ExprToken& tok = tokens[k];
        if (tok.kind != ExprTokKind::kOperator || ExprOpLevel(tok.value) != level) {
            out.push_back(tok);
            continue;
        }
        // An operator's place is never taken for a value.
        const bool leftMissing = out.empty() || out.back().kind == ExprTokKind::kOperator;
        const bool rightMissing =
            k + 1 >= tokens.size() || tokens[k + 1].kind == ExprTokKind::kOperator;
        if (leftMissing || rightMissing) {
            ExprError("演算子 %s の前後に値がありません！", tok.word);
            return false;
        }
        int32_t result = 0;
        if (!Combine(run, out.back(), tok.value, tokens[k + 1], result)) return false;
        out.back() = Number(result, out.back().word);
        ++k;
    }
    tokens.swap(out);
    return true;
}

// A text that fails has shown its box and written nothing further; the flow goes on
// (the play frame's results are for clearing and losing the stage, not for this).
int CmdExecCode(CmdContext& ctx) {
    ExecCode(ctx.cmd.m_strText, ctx.chara);
    return 0;
}

}  // namespace

int32_t EvalExpr(ExprRun& run, std::string_view text) {
    std::vector<ExprToken> tokens;
    if (!TokenizeExpr(run, text, tokens)) return 0;
    for (int level = 0; level <= 2; ++level)
        if (!ReduceLevel(run, tokens, level)) return 0;
    return tokens.empty() ? 0 : tokens.front().value;
}

bool ExecCode(std::string_view code, cChara& chara) {
    ClearExprError();
    const int32_t hp = chara.m_nHP;
    const int32_t sp = chara.m_nSP;
    ExprRun run{chara, code};
    ParseCode(run);
    if (ExprErrorSet()) return false;
    if (chara.m_nHP != hp) chara.StartHPGauge(static_cast<int32_t>(int64_t{chara.m_nHP} - hp));
    if (chara.m_nSP != sp) chara.StartSPGauge(static_cast<int32_t>(int64_t{chara.m_nSP} - sp));
    return true;
}

void RegisterCodeCommands() {
    SetCmdHandler(kCmdExecCode, CmdExecCode);
}
