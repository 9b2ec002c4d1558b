// The library's plain C interface for a WebAssembly host (a browser page,
// Node): texts go in as bytes with their lengths, placed in the module's
// heap by the caller, and every answer comes back in a buffer from malloc
// that the caller hands to ocv_free. Plain exported functions need no
// eval of generated glue, so a page under a strict content security policy
// can load them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/MemberCatalogue.hpp>
#include <orvexconfigvalidate/Report.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

namespace {

// Bits of the flags argument.
constexpr int kStrict = 1;
constexpr int kFailOnWarning = 2;
constexpr int kFailOnInfo = 4;

ValidateOptions optionsOf(int flags) {
    ValidateOptions options;
    options.strict = (flags & kStrict) != 0;
    options.failOnWarning = (flags & kFailOnWarning) != 0;
    options.failOnInfo = (flags & kFailOnInfo) != 0;
    return options;
}

std::string_view viewOf(const char* bytes, std::size_t length) {
    return bytes == nullptr ? std::string_view() : std::string_view(bytes, length);
}

// The answer as a NUL-terminated copy from malloc; null when there is no
// memory for it.
char* handOver(std::string_view text) {
    auto* out = static_cast<char*>(std::malloc(text.size() + 1));  // NOLINT: freed by ocv_free
    if (out == nullptr) return nullptr;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return out;
}

// One text or a pair, checked as the command-line tool checks its files:
// the same parse, bounds and report.
struct Input {
    std::string name;
    std::string schemaId;
    std::string_view text;
};

std::string checkReport(const std::vector<Input>& inputs, std::size_t maxIssues, int flags) {
    Report report;
    std::vector<std::size_t> entries;
    std::vector<ParsedText> parsed;
    for (const Input& input : inputs) {
        entries.push_back(report.files.size());
        report.files.push_back({input.name, input.schemaId, true, false});
        parsed.push_back(parseText(input.text, nullptr));
    }
    ValidateOptions options = optionsOf(flags);
    // As the tool bounds a call of several files; a bound past counting is none.
    options.maxIssues = maxIssues <= SIZE_MAX / inputs.size() ? maxIssues * inputs.size() : 0;
    const ValidationResult result = parsed.size() == 2
                                        ? validateTextPair(parsed[0], parsed[1], options)
                                        : validateText(inputs[0].schemaId, parsed[0], options);
    addIssues(report, result, entries, {}, maxIssues, options);
    sortDiagnostics(report);
    return jsonReportText(report);
}

// The texts with their safe fixes made, round after round, as --fix makes
// them; the answer is a header line "APPLIED LENGTH ..." (one pair a text)
// and then the texts' bytes, so that a text is handed back byte for byte.
std::string fixedTexts(std::vector<std::string> texts, const std::string& schemaId, int flags) {
    const ValidateOptions options = optionsOf(flags);
    const CheckTexts check = [&](const std::vector<std::string>& now) {
        return now.size() == 2 ? validateTextPair(now[0], now[1], options)
                               : validateText(schemaId, now[0], options);
    };
    std::vector<std::size_t> applied(texts.size(), 0);
    for (int round = 0; round < kFixRounds; ++round) {
        std::vector<AppliedFixes> fixed = fixRound(texts, check);
        bool any = false;
        for (std::size_t s = 0; s < texts.size(); ++s) {
            if (fixed[s].applied == 0) continue;
            texts[s] = std::move(fixed[s].text);
            applied[s] += fixed[s].applied;
            any = true;
        }
        if (!any) break;
    }
    std::string header;
    std::string body;
    for (std::size_t s = 0; s < texts.size(); ++s) {
        header += (s == 0 ? "" : " ") + std::to_string(applied[s]) + " " +
                  std::to_string(texts[s].size());
        body += texts[s];
    }
    return header + "\n" + body;
}

std::string explainJson(const char* code) {
    const IssueCodeInfo* info = describeIssueCode(code == nullptr ? "" : code);
    if (info == nullptr) return "null";
    const nlohmann::ordered_json out = {
        {"code", info->code},       {"severity", severityName(info->severity, "info")},
        {"summary", info->summary}, {"explanation", info->explanation},
        {"impact", info->impact},   {"fix", info->fix}};
    return out.dump();
}

// The last text asked about a member: a page asks again and again as the
// pointer moves over one text, which is parsed once.
struct MemberText {
    std::string text;
    ParsedText parsed;
};

std::string memberJson(const std::string& schemaId, std::string_view text, std::size_t offset) {
    static MemberText last;
    if (last.text != text) {
        last.text.assign(text);
        last.parsed = parseText(last.text);
    }
    if (!last.parsed.ok()) return "null";
    const std::string pointer = last.parsed.pointerAt(offset);
    const MemberEntry* entry = describeMember(schemaId, pointer);
    if (entry == nullptr) return "null";
    nlohmann::ordered_json out = {{"pointer", pointer},
                                  {"title", entry->title},
                                  {"description", entry->description},
                                  {"type", entry->type},
                                  {"required", entry->required},
                                  {"unit", entry->unit},
                                  {"range", entry->range},
                                  {"whenMissing", entry->whenMissing},
                                  {"enumerators", nlohmann::json::array()}};
    for (const auto& [value, name] : entry->enumerators) {
        out["enumerators"].push_back({{"value", value}, {"name", name}});
    }
    return out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Every answer is made here: a failure of the library (running out of
// memory, above all, in a module of bounded heap) becomes a null answer
// instead of an exception that would end the module.
template <class Make>
char* answer(Make make) noexcept {
    try {
        return handOver(make());
    } catch (const std::exception&) {
        return nullptr;
    }
}

}  // namespace

}  // namespace OrvexConfigValidate

using namespace OrvexConfigValidate;  // NOLINT(google-build-using-namespace)

extern "C" {

// The JSON report of one text checked under a schema id.
char* ocv_check(const char* schemaId, const char* name, const char* text, std::size_t length,
                std::size_t maxIssues, int flags) {
    return answer([&] {
        return checkReport({{name, schemaId, viewOf(text, length)}}, maxIssues, flags);
    });
}

// The JSON report of a server file and its bridges file, judged together.
char* ocv_check_pair(const char* serverName, const char* serverText, std::size_t serverLength,
                     const char* bridgesName, const char* bridgesText, std::size_t bridgesLength,
                     std::size_t maxIssues, int flags) {
    return answer([&] {
        return checkReport({{serverName, kServerSchemaId, viewOf(serverText, serverLength)},
                            {bridgesName, kBridgesSchemaId, viewOf(bridgesText, bridgesLength)}},
                           maxIssues, flags);
    });
}

// The schema ids, as a JSON array.
char* ocv_schemas() {
    return answer([] { return nlohmann::json(schemaIds()).dump(); });
}

// What an issue code means, as a JSON object; "null" for an unknown code.
char* ocv_explain(const char* code) {
    return answer([&] { return explainJson(code); });
}

// The member at a byte offset of a text of the schema id, with what the
// member catalogue says of it, as a JSON object; "null" where none is.
char* ocv_member_at(const char* schemaId, const char* text, std::size_t length,
                    std::size_t offset) {
    return answer([&] { return memberJson(schemaId, viewOf(text, length), offset); });
}

// One text with its safe fixes made (see fixedTexts for the answer's form).
char* ocv_fix(const char* schemaId, const char* text, std::size_t length, int flags) {
    return answer([&] { return fixedTexts({std::string(viewOf(text, length))}, schemaId, flags); });
}

// The pair with their safe fixes made.
char* ocv_fix_pair(const char* serverText, std::size_t serverLength, const char* bridgesText,
                   std::size_t bridgesLength, int flags) {
    return answer([&] {
        return fixedTexts({std::string(viewOf(serverText, serverLength)),
                           std::string(viewOf(bridgesText, bridgesLength))},
                          "Obs", flags);
    });
}

void ocv_free(char* answer) {
    std::free(answer);  // NOLINT: what handOver allocated
}

}  // extern "C"
