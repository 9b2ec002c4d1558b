// Arbitrary bytes as a replacement schema: whatever parses becomes
// "NetworkAddress" in a schema directory, next to an "enums" replacement that
// refers to it, and a few fixed documents are validated against both. Beyond
// the result invariants, the two must agree: "enums" is only allOf [that
// schema], so it accepts exactly what "NetworkAddress" accepts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "FuzzInvariants.hpp"

namespace {

using nlohmann::json;
using OrvexConfigValidate::Issue;
using OrvexConfigValidate::ValidateOptions;
using OrvexConfigValidate::ValidationResult;

const std::string& schemaDir() {
    static const std::string dir = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvex-schema-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        std::ofstream(pattern + "/enums.schema.json")
            << R"({"allOf": [{"$ref": "NetworkAddress.schema.json"}]})";
        return pattern;
    }();
    return dir;
}

// Short strings only: a hostile "pattern" may backtrack exponentially in the
// length of the text it is matched against.
const json& documents() {
    static const json docs = json::array(
        {json::object(), json{{"address", "10.0.0.1"}, {"port", 80}}, json{{"port", -1}},
         json::array({1, "a", nullptr, json{{"x", {true, 2.5}}}}), "text", 42, -0.5, nullptr, true,
         json{{"id", "g"}, {"type", 1}, {"a", {{"b", {1, 2, {{"c", "d"}}}}}}}});
    return docs;
}

bool has(const ValidationResult& result, const std::string& code) {
    for (const Issue& issue : result.issues)
        if (issue.code == code) return true;
    return false;
}

[[noreturn]] void disagree(const json& document, const ValidationResult& direct,
                           const ValidationResult& wrapped) {
    std::fprintf(stderr, "NetworkAddress and enums disagree on %s\n", document.dump().c_str());
    for (const Issue& issue : direct.issues)
        std::fprintf(stderr, "  direct [%s] %s: %s\n", issue.path.c_str(), issue.code.c_str(),
                     issue.message.c_str());
    for (const Issue& issue : wrapped.issues)
        std::fprintf(stderr, "  wrapped [%s] %s: %s\n", issue.path.c_str(), issue.code.c_str(),
                     issue.message.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Read like the engine reads a file (one value, rest ignored); bytes that
    // do not parse would leave the previous input's schema in force.
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    try {
        json probe;
        stream >> probe;
    } catch (const std::exception&) {
        return 0;
    }
    const std::string& dir = schemaDir();
    std::ofstream(dir + "/NetworkAddress.schema.json", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    ValidateOptions options;
    options.schemaDir = dir;
    for (const json& document : documents()) {
        const ValidationResult direct = validate("NetworkAddress", document, options);
        const ValidationResult wrapped = validate("enums", document, options);
        const bool decided = !has(direct, "schema_engine") && !has(wrapped, "schema_engine");
        if (decided && has(direct, "schema") != has(wrapped, "schema"))
            disagree(document, direct, wrapped);
        if (!direct.ok && direct.issues.empty()) std::abort();
        // The replacement stays in force for calls without a directory.
        OrvexConfigValidate::checkInvariants("NetworkAddress", document);
        OrvexConfigValidate::checkInvariants("enums", document);
    }
    return 0;
}
