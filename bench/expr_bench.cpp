// Code texts of the execute-code command as a damaged or hostile game may hold them: 200 KB
// nested past the depth the language allows, as brackets and as calls, and a text of the
// same length within that depth. The goal is a refusal in well under 100 ms: a text runs
// on the frame of the command that holds it, so a slow refusal stalls the game.
#include <benchmark/benchmark.h>

#include <string>

#include "flow/expr_eval.h"
#include "flow/expr_lexer.h"
#include "objects/chara.h"
#include "platform/msgbox/msgbox.h"
#include "platform/win_types.h"

namespace {

constexpr size_t kTextBytes = 200 * 1024;

// Brackets nested all the way: "((( ... 1 ... )))".
std::string NestedBrackets() {
    const size_t depth = (kTextBytes - 1) / 2;
    return std::string(depth, '(') + "1" + std::string(depth, ')');
}

// Calls nested all the way: "rand(1, rand(1, ... 1))".
std::string NestedCalls() {
    const size_t depth = kTextBytes / 9;
    std::string text;
    for (size_t i = 0; i < depth; ++i) text += "rand(1, ";
    return text + "1" + std::string(depth, ')');
}

// 200 brackets deep around a sum as long as the rest of the text: evaluated, not refused.
std::string LongSumWithinDepth() {
    constexpr size_t kDepth = 200;
    std::string sum = "1";
    while (sum.size() + 2 * kDepth < kTextBytes) sum += " + 1";
    return std::string(kDepth, '(') + sum + std::string(kDepth, ')');
}

void RunText(benchmark::State& state, const std::string& text, bool refused) {
    // The error boxes are counted, not shown.
    int boxes = 0;
    platform::msgbox::SetScriptedAnswerer([&](const platform::msgbox::Request&) {
        ++boxes;
        return IDOK;
    });
    cChara chara;
    for (auto _ : state) {
        const bool ran = ExecCode(text, chara);
        if (ran == refused) state.SkipWithError("the text did not end as expected");
    }
    platform::msgbox::SetScriptedAnswerer(nullptr);
    state.counters["text_KiB"] = static_cast<double>(text.size()) / 1024.0;
    state.counters["boxes_per_run"] = benchmark::Counter(boxes, benchmark::Counter::kAvgIterations);
}

void RefuseNestedBrackets(benchmark::State& state) {
    RunText(state, NestedBrackets(), true);
}
void RefuseNestedCalls(benchmark::State& state) {
    RunText(state, NestedCalls(), true);
}
void RunLongSumWithinDepth(benchmark::State& state) {
    RunText(state, LongSumWithinDepth(), false);
}

}  // namespace

BENCHMARK(RefuseNestedBrackets)->Unit(benchmark::kMillisecond);
BENCHMARK(RefuseNestedCalls)->Unit(benchmark::kMillisecond);
BENCHMARK(RunLongSumWithinDepth)->Unit(benchmark::kMillisecond);
