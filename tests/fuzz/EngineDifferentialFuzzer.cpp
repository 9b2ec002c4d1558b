// The engine against valijson on generated schemas and documents: the bytes
// choose a small schema and a small document, and both validators must
// give the same verdict. Generation keeps to what valijson judges right:
// small integers (no int64 edges, no 1.0 against 1), ASCII strings without
// U+0000, patterns without backtracking traps.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "baseline/ValijsonAdapter.hpp"
#include "engine/CompiledSchema.hpp"

namespace {

using nlohmann::json;

class Choices {
  public:
    Choices(const std::uint8_t* bytes, std::size_t count) : data(bytes), size(count) {}
    unsigned next(unsigned range) {
        if (size == 0) return 0;
        --size;
        return *data++ % range;
    }

  private:
    const std::uint8_t* data;
    std::size_t size;
};

const char* const kKeys[] = {"a", "b", "c"};
const char* const kTypes[] = {"null", "boolean", "object", "array", "number", "integer", "string"};
// The last ones are classes that RE2 cannot take as written: sets negated
// inside a class, "-" beside a set.
const char* const kPatterns[] = {"^a",        "b$",       "[0-9]",      "^[a-c]*$",
                                 "x|y",       "^.$",      "^[\\s\\S]$", "^[\\S]+$",
                                 "^[^\\S]*$", "[\\W\\d]", "^[^\\D]",    "^[\\w-]+$"};
const char* const kStrings[] = {"", "a", "ab", "b1", "abc", "x", "cab", "9", " ", "a-b", "\n"};

json scalar(Choices& in) {
    switch (in.next(5)) {
        case 0:
            return nullptr;
        case 1:
            return in.next(2) == 1;
        case 2:
            return static_cast<int>(in.next(13)) - 4;
        case 3:
            return kStrings[in.next(sizeof kStrings / sizeof kStrings[0])];
        default:
            return 2.5;
    }
}

json document(Choices& in, int depth) {
    const unsigned kind = depth > 2 ? 0 : in.next(4);
    if (kind == 2) {
        json array = json::array();
        for (unsigned n = in.next(4); n > 0; --n) array.push_back(document(in, depth + 1));
        return array;
    }
    if (kind == 3) {
        json object = json::object();
        for (unsigned n = in.next(4); n > 0; --n)
            object[kKeys[in.next(3)]] = document(in, depth + 1);
        return object;
    }
    return scalar(in);
}

json schema(Choices& in, int depth);

json schemaList(Choices& in, int depth) {
    json list = json::array();
    for (unsigned n = in.next(3) + 1; n > 0; --n) list.push_back(schema(in, depth + 1));
    return list;
}

void addKeyword(json& out, Choices& in, int depth) {
    const bool deeper = depth < 3;
    switch (in.next(deeper ? 20 : 13)) {
        case 0:
            out["type"] = kTypes[in.next(7)];
            break;
        case 1:
            out["type"] = json::array({kTypes[in.next(7)], kTypes[in.next(7)]});
            break;
        case 2:
            out["minimum"] = static_cast<int>(in.next(9)) - 3;
            break;
        case 3:
            out["maximum"] = static_cast<int>(in.next(9)) - 3;
            break;
        case 4:
            out[in.next(2) == 0 ? "minLength" : "maxLength"] = in.next(4);
            break;
        case 5:
            out["enum"] = json::array({scalar(in), scalar(in)});
            break;
        case 6:
            out["required"] = json::array({kKeys[in.next(3)]});
            break;
        case 7:
            out["uniqueItems"] = in.next(2) == 1;
            break;
        case 8:
            out["multipleOf"] = in.next(4) + 1;
            break;
        case 9:
            out["pattern"] = kPatterns[in.next(sizeof kPatterns / sizeof kPatterns[0])];
            break;
        case 10:
            out[in.next(2) == 0 ? "minItems" : "maxItems"] = in.next(3);
            break;
        case 11:
            out[in.next(2) == 0 ? "minProperties" : "maxProperties"] = in.next(3);
            break;
        case 12:
            out["const"] = scalar(in);
            break;
        case 13:
            out["properties"][kKeys[in.next(3)]] = schema(in, depth + 1);
            break;
        case 14:
            out["additionalProperties"] = schema(in, depth + 1);
            break;
        case 15:
            out["items"] = schema(in, depth + 1);
            break;
        case 16:
            out["allOf"] = schemaList(in, depth);
            break;
        case 17:
            out["anyOf"] = schemaList(in, depth);
            break;
        case 18:
            out["oneOf"] = schemaList(in, depth);
            break;
        default:
            out["not"] = schema(in, depth + 1);
            break;
    }
}

json schema(Choices& in, int depth) {
    if (in.next(8) == 0) return in.next(2) == 1;
    json out = json::object();
    for (unsigned n = in.next(3) + 1; n > 0; --n) addKeyword(out, in, depth);
    return out;
}

[[noreturn]] void disagree(const json& schemaValue, const json& documentValue, bool engineValid,
                           bool valijsonValid) {
    std::fprintf(stderr, "engine says %s, valijson says %s\n  schema: %s\n  document: %s\n",
                 engineValid ? "valid" : "invalid", valijsonValid ? "valid" : "invalid",
                 schemaValue.dump().c_str(), documentValue.dump().c_str());
    std::abort();
}

// Differences already triaged as valijson's faults: it truncates a
// fractional value before "multipleOf" (2.5 passes multipleOf 2), and
// applies "multipleOf" to strings that hold numbers ("9" fails multipleOf 4).
bool knownValijsonFault(const json& schemaValue, const json& documentValue) {
    const std::string text = documentValue.dump();
    const bool suspect =
        text.find("2.5") != std::string::npos || text.find('"') != std::string::npos;
    return suspect && schemaValue.dump().find("multipleOf") != std::string::npos;
}

class Ignore : public OrvexConfigValidate::baseline::ViolationHandler {
  public:
    void error(const json::json_pointer&, const json&, const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Choices in(data, size);
    const json schemaValue = schema(in, 0);
    const json documentValue = document(in, 0);

    const OrvexConfigValidate::SchemaCompilation compilation = OrvexConfigValidate::compileSchema(
        std::make_shared<const json>(schemaValue), "", [](const std::string&) { return nullptr; });
    if (!compilation.schema) {
        std::fprintf(stderr, "generated schema does not compile: %s\n  %s\n",
                     compilation.error.c_str(), schemaValue.dump().c_str());
        std::abort();
    }
    OrvexConfigValidate::ValidationResult result;
    OrvexConfigValidate::evaluateSchema(*compilation.schema, documentValue, result, {});
    const bool engineValid = result.issues.empty();
    if (engineValid != result.ok) std::abort();

    bool valijsonValid = false;
    try {
        OrvexConfigValidate::baseline::SchemaValidator validator([](const std::string&, json&) {});
        validator.setRootSchema(schemaValue);
        Ignore ignore;
        valijsonValid = validator.validate(documentValue, ignore);
    } catch (const std::exception&) {
        return 0;  // nothing to compare with
    }
    if (engineValid != valijsonValid && !knownValijsonFault(schemaValue, documentValue))
        disagree(schemaValue, documentValue, engineValid, valijsonValid);
    return 0;
}
