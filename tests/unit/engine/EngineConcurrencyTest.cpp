// One compiled schema, evaluated by several threads at once.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "EngineHarness.hpp"

namespace OrvexConfigValidate {
namespace {

using nlohmann::json;

TEST(EngineConcurrency, ThreadsShareACompiledSchema) {
    const SchemaCompilation compilation = compileJson(json::parse(R"({
        "properties": {"name": {"pattern": "^[a-z]+$"}, "port": {"maximum": 65535},
                       "tags": {"uniqueItems": true, "items": {"$ref": "#/definitions/tag"}}},
        "definitions": {"tag": {"anyOf": [{"type": "string"}, {"type": "integer"}]}}})"));
    ASSERT_TRUE(compilation.schema) << compilation.error;
    const json good = json::parse(R"({"name": "abc", "port": 80, "tags": ["a", 1]})");
    const json bad = json::parse(R"({"name": "ab c", "port": 65536, "tags": ["a", "a", null]})");
    std::vector<std::vector<std::string>> seen(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < seen.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 200; ++round) {
                if (!evaluateJson(*compilation.schema, good, true).issues.empty()) {
                    seen[t] = {"good document judged invalid"};
                    return;
                }
                const std::vector<std::string> found =
                    messages(evaluateJson(*compilation.schema, bad, true));
                if (round == 0) seen[t] = found;
                if (found != seen[t]) {
                    seen[t] = {"results differ between rounds"};
                    return;
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    const std::vector<std::string> expected = {R"("ab c" does not match the pattern "^[a-z]+$")",
                                               "65536 is greater than the maximum 65535",
                                               "items 0 and 1 are equal, but items must be unique",
                                               "null matches none of the 2 alternatives"};
    for (const auto& found : seen) EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace OrvexConfigValidate
