// Cost of validate(), next to the cost of parsing the same text, to the old
// valijson pipeline ("before") and to valijson alone, in one run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"
#include "Fixture.hpp"
#include "baseline/BaselineValidate.hpp"

namespace {

using namespace OrvexConfigValidate;

// Document shapes: today's generator, the dense one, and the "Obs"
// composite of each.
enum Shape : int { kGenerated, kDense, kGeneratedObs, kDenseObs };

const char* const kShapeNames[] = {"Generated", "Dense", "GeneratedObs", "DenseObs"};

const std::string& shapeText(int shape, std::size_t groups) {
    static std::map<std::pair<int, std::size_t>, std::string> cache;
    const auto key = std::make_pair(shape, groups);
    auto it = cache.find(key);
    if (it == cache.end()) {
        std::string text;
        switch (shape) {
            case kGenerated:
                text = generateBridgingConfiguration(groups);
                break;
            case kDense:
                text = generateDenseBridgingConfiguration(groups);
                break;
            case kGeneratedObs:
                text = composeObs(generateServerConfiguration(3), shapeText(kGenerated, groups));
                break;
            default:
                text = composeObs(generateServerConfiguration(3), shapeText(kDense, groups));
                break;
        }
        it = cache.emplace(key, std::move(text)).first;
    }
    return it->second;
}

std::string shapeSchema(int shape) {
    return shape == kGenerated || shape == kDense ? "BridgingConfiguration" : "Obs";
}

// One parsed document at a time: the largest ones are hundreds of MB.
const nlohmann::json& shapeDocument(int shape, std::size_t groups) {
    static std::pair<int, std::size_t> key{-1, 0};
    static nlohmann::json document;
    if (key != std::make_pair(shape, groups)) {
        document = nlohmann::json();
        document = nlohmann::json::parse(shapeText(shape, groups));
        key = {shape, groups};
    }
    return document;
}

void setCounters(benchmark::State& state, std::size_t groups, std::size_t bytes) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * groups));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_Parse(benchmark::State& state, int shape) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::string& text = shapeText(shape, n);
    for (auto _ : state) {
        nlohmann::json document = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(document);
    }
    setCounters(state, n, text.size());
}

template <typename Run>
void validating(benchmark::State& state, int shape, Run run) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const nlohmann::json& document = shapeDocument(shape, n);
    const std::string schemaId = shapeSchema(shape);
    for (auto _ : state) {
        if (!run(schemaId, document)) {
            state.SkipWithError("generated document has errors");
            break;
        }
    }
    setCounters(state, n, shapeText(shape, n).size());
}

void BM_Validate(benchmark::State& state, int shape) {
    validating(state, shape, [](const std::string& id, const nlohmann::json& document) {
        const ValidationResult result = validate(id, document, ValidateOptions{});
        benchmark::DoNotOptimize(result);
        return result.ok;
    });
}

void BM_Before(benchmark::State& state, int shape) {
    validating(state, shape, [](const std::string& id, const nlohmann::json& document) {
        const ValidationResult result = baseline::validate(id, document, ValidateOptions{});
        benchmark::DoNotOptimize(result);
        return result.ok;
    });
}

void BM_ValijsonAlone(benchmark::State& state, int shape) {
    const baseline::ValijsonAlone valijson(shapeSchema(shape));
    validating(state, shape, [&valijson](const std::string&, const nlohmann::json& document) {
        return valijson.isValid(document);
    });
}

// A small valid document per schema id, and the fixed cost of a call
// measured with a document that exercises next to nothing.
const std::map<std::string, std::pair<nlohmann::json, nlohmann::json>>& smallDocuments() {
    static const std::map<std::string, std::pair<nlohmann::json, nlohmann::json>> docs = {
        {"BridgingConfiguration",
         {nlohmann::json::parse(generateBridgingConfiguration(2)), nlohmann::json::object()}},
        {"BridgingServerConfiguration",
         {nlohmann::json::parse(generateServerConfiguration(3)), {{"enginePolicy", {}}}}},
        {"Obs",
         {nlohmann::json::parse(
              composeObs(generateServerConfiguration(3), generateBridgingConfiguration(2))),
          {{"server", {{"enginePolicy", nlohmann::json::object()}}},
           {"bridges", nlohmann::json::object()}}}},
        {"Group",
         {nlohmann::json::parse(generateBridgingConfiguration(1))["groups"][0],
          {{"id", "g"},
           {"type", 1},
           {"bridgeTargetOutputDetail", {{"mode", 1}}},
           {"tx", {{"p", 1}}}}}},
        {"NetworkAddress", {{{"address", "10.1.2.3"}, {"port", 7443}}, nlohmann::json::object()}},
        {"enums", {{{"mode", 3}}, nullptr}},
    };
    return docs;
}

template <typename Validate>
void smallCalls(benchmark::State& state, const nlohmann::json& document, const std::string& id,
                Validate run) {
    for (auto _ : state) benchmark::DoNotOptimize(run(id, document, ValidateOptions{}));
}

ValidationResult validateAfter(const std::string& id, const nlohmann::json& document,
                               const ValidateOptions& options) {
    return validate(id, document, options);
}

// The composite that the self-check program validates first.
void BM_Validate_SelfCheckObs(benchmark::State& state) {
    nlohmann::json document;
    document["server"] = loadFixture("valid_server.json");
    document["bridges"] = loadFixture("valid_bridges.json");
    for (auto _ : state) benchmark::DoNotOptimize(validate("Obs", document, ValidateOptions{}));
}
BENCHMARK(BM_Validate_SelfCheckObs)->Unit(benchmark::kMicrosecond);

const int registered = [] {
    // Grouped by document, so that each large document is parsed once.
    for (int shape = kGenerated; shape <= kDenseObs; ++shape) {
        const std::string name = kShapeNames[shape];
        for (const int n : {1000, 10000, 100000}) {
            for (const auto& [label, run] :
                 {std::make_pair("BM_Parse/", &BM_Parse),
                  std::make_pair("BM_Validate/", &BM_Validate),
                  std::make_pair("BM_Before/", &BM_Before),
                  std::make_pair("BM_ValijsonAlone/", &BM_ValijsonAlone)}) {
                benchmark::RegisterBenchmark((label + name).c_str(), run, shape)
                    ->Arg(n)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    for (const auto& [id, documents] : smallDocuments()) {
        const nlohmann::json* small = &documents.first;
        const nlohmann::json* empty = &documents.second;
        const std::string schemaId = id;
        benchmark::RegisterBenchmark(("BM_SmallDocument/" + id).c_str(),
                                     [small, schemaId](benchmark::State& state) {
                                         smallCalls(state, *small, schemaId, validateAfter);
                                     })
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_FixedCost/" + id).c_str(), [empty, schemaId](
                                                                         benchmark::State& state) {
            smallCalls(state, *empty, schemaId, validateAfter);
        })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_FixedCostBefore/" + id).c_str(),
                                     [empty, schemaId](benchmark::State& state) {
                                         smallCalls(state, *empty, schemaId, baseline::validate);
                                     })
            ->Unit(benchmark::kMicrosecond);
    }
    return 0;
}();

}  // namespace

BENCHMARK_MAIN();
