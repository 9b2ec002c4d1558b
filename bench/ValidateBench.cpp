// Cost of validate(), next to the cost of parsing the same text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"
#include "Fixture.hpp"

namespace {

using namespace OrvexConfigValidate;

const std::string& bridgingText(std::size_t groups) {
    static std::map<std::size_t, std::string> cache;
    auto it = cache.find(groups);
    if (it == cache.end()) {
        it = cache.emplace(groups, generateBridgingConfiguration(groups)).first;
    }
    return it->second;
}

const std::string& obsText(std::size_t groups) {
    static std::map<std::size_t, std::string> cache;
    auto it = cache.find(groups);
    if (it == cache.end()) {
        it = cache.emplace(groups, composeObs(generateServerConfiguration(3), bridgingText(groups)))
                 .first;
    }
    return it->second;
}

void setCounters(benchmark::State& state, std::size_t groups, std::size_t bytes) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * groups));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["bytes"] = static_cast<double>(bytes);
}

void runValidate(benchmark::State& state, const std::string& schemaId, const std::string& text,
                 std::size_t groups) {
    const nlohmann::json document = nlohmann::json::parse(text);
    for (auto _ : state) {
        ValidationResult result = validate(schemaId, document, ValidateOptions{});
        if (result.hasErrors()) {
            state.SkipWithError("generated document has errors");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
    setCounters(state, groups, text.size());
}

void runParse(benchmark::State& state, const std::string& text, std::size_t groups) {
    for (auto _ : state) {
        nlohmann::json document = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(document);
    }
    setCounters(state, groups, text.size());
}

void BM_Parse_Bridging(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    runParse(state, bridgingText(n), n);
}
void BM_Validate_Bridging(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    runValidate(state, "BridgingConfiguration", bridgingText(n), n);
}
void BM_Parse_Obs(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    runParse(state, obsText(n), n);
}
void BM_Validate_Obs(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    runValidate(state, "Obs", obsText(n), n);
}

#define ORVEX_SCALING(fn)                                                       \
    BENCHMARK(fn)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->Unit( \
        benchmark::kMicrosecond)
ORVEX_SCALING(BM_Parse_Bridging);
ORVEX_SCALING(BM_Validate_Bridging);
ORVEX_SCALING(BM_Parse_Obs);
ORVEX_SCALING(BM_Validate_Obs);

// The composite that the self-check program validates first.
void BM_Validate_SelfCheckObs(benchmark::State& state) {
    nlohmann::json document;
    document["server"] = loadFixture("valid_server.json");
    document["bridges"] = loadFixture("valid_bridges.json");
    for (auto _ : state) {
        benchmark::DoNotOptimize(validate("Obs", document, ValidateOptions{}));
    }
}
BENCHMARK(BM_Validate_SelfCheckObs)->Unit(benchmark::kMicrosecond);

// A small valid document per schema id, and the fixed cost of a call (schema
// copy and compilation) measured with a document that exercises nothing.
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

void BM_SmallDocument(benchmark::State& state, const std::string& id) {
    const nlohmann::json& document = smallDocuments().at(id).first;
    for (auto _ : state) {
        benchmark::DoNotOptimize(validate(id, document, ValidateOptions{}));
    }
}
void BM_FixedCost(benchmark::State& state, const std::string& id) {
    const nlohmann::json& document = smallDocuments().at(id).second;
    for (auto _ : state) {
        benchmark::DoNotOptimize(validate(id, document, ValidateOptions{}));
    }
}

const int registered = [] {
    for (const char* id : {"BridgingConfiguration", "BridgingServerConfiguration", "Obs", "Group",
                           "NetworkAddress", "enums"}) {
        benchmark::RegisterBenchmark((std::string("BM_SmallDocument/") + id).c_str(),
                                     BM_SmallDocument, std::string(id))
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("BM_FixedCost/") + id).c_str(), BM_FixedCost,
                                     std::string(id))
            ->Unit(benchmark::kMicrosecond);
    }
    return 0;
}();

}  // namespace

BENCHMARK_MAIN();
