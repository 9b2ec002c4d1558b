// The text reader against nlohmann::json::parse on the same text, and the
// cost of locating many issues against a valid text of the same size.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"

namespace {

using namespace OrvexConfigValidate;

const std::string& validText(std::size_t groups) {
    static std::map<std::size_t, std::string> cache;
    auto it = cache.find(groups);
    if (it == cache.end()) it = cache.emplace(groups, generateBridgingConfiguration(groups)).first;
    return it->second;
}

// The same text with every group of type 0 instead of 1: one
// "bom_type_mismatch" error per group, not one byte more.
const std::string& brokenText(std::size_t groups) {
    static std::map<std::size_t, std::string> cache;
    auto it = cache.find(groups);
    if (it == cache.end()) {
        std::string text = validText(groups);
        const std::string from = "\"type\": 1,";
        for (std::size_t at = text.find(from); at != std::string::npos;
             at = text.find(from, at + from.size())) {
            text[at + 8] = '0';
        }
        it = cache.emplace(groups, std::move(text)).first;
    }
    return it->second;
}

void setCounters(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_ParseNlohmann(benchmark::State& state) {
    const std::string& text = validText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        nlohmann::json document = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(document);
    }
    setCounters(state, text.size());
}

void BM_ParseText(benchmark::State& state) {
    const std::string& text = validText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        ParsedText parsed = parseText(text);
        if (!parsed.ok()) {
            state.SkipWithError("generated text does not parse");
            break;
        }
        benchmark::DoNotOptimize(parsed);
    }
    setCounters(state, text.size());
}

void runValidateText(benchmark::State& state, const std::string& text, std::size_t expected) {
    for (auto _ : state) {
        ValidationResult result = validateText("BridgingConfiguration", text, ValidateOptions{});
        if (result.issues.size() != expected) {
            state.SkipWithError("unexpected number of issues");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
    setCounters(state, text.size());
    state.counters["issues"] = static_cast<double>(expected);
}

void BM_ValidateTextValid(benchmark::State& state) {
    runValidateText(state, validText(static_cast<std::size_t>(state.range(0))), 0);
}

void BM_ValidateTextOneIssuePerGroup(benchmark::State& state) {
    const auto groups = static_cast<std::size_t>(state.range(0));
    runValidateText(state, brokenText(groups), groups);
}

BENCHMARK(BM_ParseNlohmann)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseText)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValidateTextValid)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValidateTextOneIssuePerGroup)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
