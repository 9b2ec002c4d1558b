// effective PATH: the server and bridges files as the server runs them,
// every defaulted or forced value listed with its reason and pointer.
#include <optional>
#include <stdexcept>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Effective.hpp>
#include <orvexconfigvalidate/Escape.hpp>
#include <orvexconfigvalidate/Format.hpp>
#include <orvexconfigvalidate/JsonWriter.hpp>

#include <orvexconfigvalidate/Report.hpp>
#include "Arguments.hpp"
#include "review/Commands.hpp"
#include "review/Version.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

const char* reasonName(EffectiveValue::Reason reason) {
    switch (reason) {
        case EffectiveValue::Reason::Absent:
            return "absent";
        case EffectiveValue::Reason::Mistyped:
            return "mistyped";
        case EffectiveValue::Reason::Forced:
            break;
    }
    return "forced";
}

std::string why(const EffectiveValue& value, std::int32_t mode) {
    switch (value.reason) {
        case EffectiveValue::Reason::Absent:
            return "absent: read as the default";
        case EffectiveValue::Reason::Mistyped:
            return "written as " + printable(jsonText(value.written)) +
                   ", not an integer of its type: read as the default";
        case EffectiveValue::Reason::Forced:
            break;
    }
    return "written as " + printable(jsonText(value.written)) + ", forced by server mode " +
           std::string(opModeName(mode)) + " [" + value.code + "]";
}

std::int32_t modeOf(const EffectiveConfiguration& effective) {
    // The effective server holds the mode as read, an integer.
    if (!effective.server.is_object()) return omADictatedByGroup;
    const auto mode = effective.server.find("mode");
    return mode != effective.server.end() && mode->is_number_integer() ? mode->get<std::int32_t>()
                                                                       : omADictatedByGroup;
}

std::string asText(const EffectiveConfiguration& effective, const LoadedVersion& version) {
    std::string out;
    const nlohmann::json* documents[2] = {&effective.server, &effective.bridges};
    const std::int32_t mode = modeOf(effective);
    for (int source = 0; source < 2; ++source) {
        if (!version.documents[source]) continue;
        const std::string file = printable(version.files[source]);
        // Laid out as fmt lays the file out, members in the schema's order.
        const FormatResult laidOut = OrvexConfigValidate::formatText(
            jsonText(*documents[source]), source == 0 ? kServerSchemaId : kBridgesSchemaId);
        out += "# " + file + " as the server runs it\n" +
               (laidOut.ok ? laidOut.text : jsonText(*documents[source], 2)) + "\n";
        for (const EffectiveValue& value : effective.values) {
            if (value.source != source) continue;
            out += file + ": " + printable(value.pointer) + " = " +
                   printable(jsonText(value.value)) + " (" + why(value, mode) + ")\n";
        }
    }
    if (!version.server()) {
        out += "# no server file: the groups dictate their output mode\n";
    }
    return judgedWithLine(version) + out;
}

std::string asJson(const EffectiveConfiguration& effective, const LoadedVersion& version) {
    nlohmann::json values = nlohmann::json::array();
    for (const EffectiveValue& value : effective.values) {
        // The other file of a lone file's deployment is read, not shown.
        if (!version.documents[value.source]) continue;
        nlohmann::json entry = {{"file", version.files[value.source]},
                                {"pointer", value.pointer},
                                {"reason", reasonName(value.reason)},
                                {"value", value.value}};
        if (value.reason != EffectiveValue::Reason::Absent) entry["written"] = value.written;
        if (!value.code.empty()) entry["code"] = value.code;
        values.push_back(std::move(entry));
    }
    nlohmann::json out = {{"values", std::move(values)}};
    for (int source = 0; source < 2; ++source) {
        if (!version.documents[source]) continue;
        out[source == 0 ? "server" : "bridges"] = {
            {"file", version.files[source]},
            {"document", source == 0 ? effective.server : effective.bridges}};
    }
    return jsonText(out, 2) + "\n";
}

}  // namespace

CommandResult runEffective(const std::vector<std::string>& args) {
    const SubcommandArguments split = splitArguments(args);
    if (!split.error.empty()) return usageFailure(split.error);
    VersionOptions options;
    options.maxSize = kDefaultMaxSize;
    bool json = false;
    for (const auto& [name, value] : split.options) {
        if (name == "--format") {
            json = value == "json";
        } else if (name == "--schema") {
            options.schemaId = value;
        } else if (const std::optional<std::size_t> size = parseSize(value)) {
            options.maxSize = *size;
        } else {
            return usageFailure("invalid --max-size '" + value + "'");
        }
    }
    if (split.operands.size() != 1) return usageFailure("effective takes one PATH");
    const LoadedVersion version = loadVersion(split.operands[0], options);
    CommandResult result;
    if (!version.error.empty()) {
        result.status = kUsageStatus;
        result.err = "orvex-config-validate: error: cannot read: " +
                     printable(version.error, LineBreaks::Escape) + "\n";
        return result;
    }
    EffectiveConfiguration effective;
    try {
        effective = effectiveConfiguration(version.server(), version.bridges());
    } catch (const std::invalid_argument& error) {
        result.status = kUsageStatus;
        result.err = "orvex-config-validate: error: " + std::string(error.what()) + "\n";
        return result;
    }
    result.out = json ? asJson(effective, version) : asText(effective, version);
    return result;
}

}  // namespace OrvexConfigValidate::Tool
