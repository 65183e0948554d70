// Condition evaluation speed: 100,000 typical item conditions, each with three comparisons, two
// variable references and one function call, evaluated as the database evaluates them (through
// EvaluateCondition, every operand passing through the variable expansion).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "expressions/Evaluator.h"
#include "platform/StrUtils.h"

namespace velk {
namespace {

constexpr int kConditions = 100000;

std::vector<std::string> MakeConditions() {
    std::vector<std::string> conditions;
    conditions.reserve(kConditions);
    for (int i = 0; i < kConditions; ++i)
        conditions.push_back(
            Format("%%OSVersion%% = '%s' and FileExists('%%AppDir%%\\bin\\file%d.dll') = %d or "
                   "%%Build%% > %d",
                   i % 3 ? "XP" : "2K", i, i % 2, 1000 + i % 2000));
    return conditions;
}

// The expansion of the database, reduced to a fixed table of three variables.
std::string Expand(const std::string& text) {
    if (text.find('%') == std::string::npos)
        return text;
    std::string r;
    size_t i = 0;
    while (i < text.size()) {
        size_t p = text.find('%', i);
        size_t q = p == std::string::npos ? p : text.find('%', p + 1);
        if (q == std::string::npos) {
            r.append(text, i, std::string::npos);
            break;
        }
        r.append(text, i, p - i);
        std::string_view name(text.data() + p + 1, q - p - 1);
        if (SameText(name, "OSVersion"))
            r += "XP";
        else if (SameText(name, "AppDir"))
            r += "C:\\Program Files\\Sample";
        else if (SameText(name, "Build"))
            r += "2195";
        i = q + 1;
    }
    return r;
}

void BM_EvaluateConditions(benchmark::State& state) {
    const std::vector<std::string> conditions = MakeConditions();
    TvkEvaluator ev;
    ev.VariableExpander = Expand;
    ev.AddFunction("FileExists", 1, [](TvkEvaluator&, const TvkArguments& a) {
        return BoolText(a[0].size() % 2 == 0);
    });
    int trueCount = 0;
    for (auto _ : state) {
        trueCount = 0;
        for (const std::string& condition : conditions)
            trueCount += ev.EvaluateCondition(condition);
        benchmark::DoNotOptimize(trueCount);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kConditions);
    state.counters["true"] = trueCount;
    state.counters["evaluations/s"] =
        benchmark::Counter(double(state.iterations()) * kConditions, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EvaluateConditions)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velk

BENCHMARK_MAIN();
