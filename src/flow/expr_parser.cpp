// Parentheses and the rand function of the code text.
#include "flow/expr_parser.h"

#include <string>
#include <vector>

#include "core/random.h"
#include "flow/expr_eval.h"

namespace {

constexpr std::string_view kSpaces = " \t\r\n";
constexpr size_t kNone = std::string_view::npos;

// For every "(" of the code text the ")" that closes it, counting nested pairs, or kNone.
// Every text the parser looks at is the code itself or a part of it whose brackets pair
// up among themselves (the inside of a pair, an argument of a call), so one table of the
// whole code answers for all of them.
class Brackets {
  public:
    explicit Brackets(std::string_view code) : code_(code), closes_(code.size(), kNone) {
        std::vector<size_t> open;
        for (size_t i = 0; i < code.size(); ++i) {
            if (code[i] == '(') {
                open.push_back(i);
            } else if (code[i] == ')' && !open.empty()) {
                closes_[open.back()] = i;
                open.pop_back();
            }
        }
    }

    // The ")" of the "(" at `open` of `text`, as an offset into `text`.
    size_t Close(std::string_view text, size_t open) const {
        const auto base = static_cast<size_t>(text.data() - code_.data());
        const size_t close = closes_[base + open];
        return close == kNone ? kNone : close - base;
    }

  private:
    std::string_view code_;
    std::vector<size_t> closes_;
};

// The arguments of a call, split at the commas outside nested parentheses.
std::vector<std::string_view> SplitArguments(const Brackets& brackets, std::string_view inside) {
    std::vector<std::string_view> args;
    size_t start = 0;
    for (size_t i = 0; i < inside.size(); ++i) {
        if (inside[i] == '(') i = brackets.Close(inside, i);  // inside a pair, every "(" closes
        if (inside[i] == ',') {
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

int32_t Parse(ExprRun& run, const Brackets& brackets, std::string_view text);

// "rand" with its arguments; false with the error flag set.
bool CallFunction(ExprRun& run, const Brackets& brackets, std::string_view name,
                  std::string_view inside, int32_t& value) {
    const std::vector<std::string_view> args = SplitArguments(brackets, inside);
    if (args.size() != 2) {
        ExprError("関数 %s の引数が不正です！", name);
        return false;
    }
    const int32_t a = Parse(run, brackets, args[0]);
    if (ExprErrorSet()) return false;
    const int32_t b = Parse(run, brackets, args[1]);
    if (ExprErrorSet()) return false;
    value = RandRange(a, b);
    return true;
}

int32_t Parse(ExprRun& run, const Brackets& brackets, std::string_view text) {
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
        if (open == kNone) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, open - i));
        const size_t lastSpace = out.find_last_of(kSpaces);
        const size_t wordStart = lastSpace == std::string::npos ? 0 : lastSpace + 1;
        const std::string word = out.substr(wordStart);
        const size_t close = brackets.Close(text, open);
        const std::string_view inside =
            close == kNone ? std::string_view{} : text.substr(open + 1, close - open - 1);
        int32_t value = 0;
        if (word.empty()) {
            if (close == kNone) {
                ExprError("\")\"が見つかりません！%s", "");
                return 0;
            }
            value = Parse(run, brackets, inside);
        } else {
            // The function is checked before its parenthesis: a call without its ")"
            // names the function.
            if (word != "rand") {
                ExprError("関数 %s の引数が不正です！", word);
                return 0;
            }
            if (close == kNone) {
                ExprError("関数 %s で\")\"が見つかりません！", word);
                return 0;
            }
            CallFunction(run, brackets, word, inside, value);
            out.erase(wordStart);
        }
        if (ExprErrorSet()) return 0;
        out += std::to_string(value);
        i = close + 1;
    }
    return EvalExpr(run, out);
}

}  // namespace

int32_t ParseCode(ExprRun& run) {
    const Brackets brackets(run.code);
    return Parse(run, brackets, run.code);
}
