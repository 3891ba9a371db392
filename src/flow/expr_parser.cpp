// Parentheses and the rand function of the code text.
#include "flow/expr_parser.h"

#include <string>
#include <vector>

#include "core/random.h"
#include "flow/expr_eval.h"

namespace {

constexpr std::string_view kSpaces = " \t\r\n";

// The ")" that closes the "(" at `open`, counting nested pairs; npos when there is none.
size_t MatchingClose(std::string_view text, size_t open) {
    int nesting = 0;
    for (size_t i = open; i < text.size(); ++i) {
        if (text[i] == '(') ++nesting;
        if (text[i] == ')' && --nesting == 0) return i;
    }
    return std::string_view::npos;
}

// The arguments of a call, split at the commas outside nested parentheses.
std::vector<std::string_view> SplitArguments(std::string_view inside) {
    std::vector<std::string_view> args;
    int nesting = 0;
    size_t start = 0;
    for (size_t i = 0; i < inside.size(); ++i) {
        if (inside[i] == '(') ++nesting;
        if (inside[i] == ')') --nesting;
        if (inside[i] == ',' && nesting == 0) {
            args.push_back(inside.substr(start, i - start));
            start = i + 1;
        }
    }
    args.push_back(inside.substr(start));
    return args;
}

class DepthGuard {
  public:
    explicit DepthGuard(ExprRun& run) : run_(run) { ++run_.depth; }
    ~DepthGuard() { --run_.depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

  private:
    ExprRun& run_;
};

// "rand" with its arguments; false with the error flag set.
bool CallFunction(ExprRun& run, std::string_view name, std::string_view inside, int32_t& value) {
    const std::vector<std::string_view> args = SplitArguments(inside);
    if (args.size() != 2) {
        ExprError("関数 %s の引数が不正です！", name);
        return false;
    }
    const int32_t a = ParseCode(run, args[0]);
    if (ExprErrorSet()) return false;
    const int32_t b = ParseCode(run, args[1]);
    if (ExprErrorSet()) return false;
    value = RandRange(a, b);
    return true;
}

}  // namespace

int32_t ParseCode(ExprRun& run, std::string_view text) {
    if (run.depth > kMaxExprDepth) {
        ExprError("括弧の入れ子が深すぎます！(%s)", run.code);
        return 0;
    }
    const DepthGuard guard(run);
    // The text with every parenthesis met so far replaced by its value. Scanning on from
    // there sees exactly what a fresh scan of the rebuilt text would: a value joins the
    // word before it, and a "(" right after a value finds that value as its word.
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const size_t open = text.find('(', i);
        if (open == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, open - i));
        const size_t lastSpace = out.find_last_of(kSpaces);
        const size_t wordStart = lastSpace == std::string::npos ? 0 : lastSpace + 1;
        const std::string word = out.substr(wordStart);
        const size_t close = MatchingClose(text, open);
        const std::string_view inside = close == std::string_view::npos
                                            ? std::string_view{}
                                            : text.substr(open + 1, close - open - 1);
        int32_t value = 0;
        if (word.empty()) {
            if (close == std::string_view::npos) {
                ExprError("\")\"が見つかりません！%s", "");
                return 0;
            }
            value = ParseCode(run, inside);
        } else {
            // The function is checked before its parenthesis: a call without its ")"
            // names the function.
            if (word != "rand") {
                ExprError("関数 %s の引数が不正です！", word);
                return 0;
            }
            if (close == std::string_view::npos) {
                ExprError("関数 %s で\")\"が見つかりません！", word);
                return 0;
            }
            CallFunction(run, word, inside, value);
            out.erase(wordStart);
        }
        if (ExprErrorSet()) return 0;
        out += std::to_string(value);
        i = close + 1;
    }
    return EvalExpr(run, out);
}
