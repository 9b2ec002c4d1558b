#include "semantic/FloatReadings.hpp"

#include <cmath>
#include <string>
#include <string_view>

#include "model/MemberReaders.hpp"
#include "semantic/GroupRules.hpp"

namespace OrvexConfigValidate {

namespace {

// A member that the schemas pass as an integer and the server reads as its
// default, unless it is the default anyway (0.0). A fractional float is left
// to the schema stage, which refuses it.
bool surprises(const JsonView& value, std::int32_t fallback) {
    if (!value.isFloat()) return false;
    const double number = value.number();
    return std::isfinite(number) && std::trunc(number) == number && number != fallback;
}

struct Reading {
    const char* member;  // as the message names it
    std::int32_t fallback;
    std::string_view (*name)(std::int64_t);
};

const Reading kServerMode{"mode", omRaw, opModeName};
const Reading kGroupType{"type", gtUnknown, groupTypeName};
const Reading kOutputMode{"bridgeTargetOutputDetail/mode", bomRaw, bridgingOpModeName};

// The number as nlohmann writes it.
std::string numberDump(const JsonView& value) {
    if (const nlohmann::json* held = value.json()) return held->dump();
    return value.toJson().dump();
}

void warn(const JsonView& value, const Reading& reading, std::string pointer, std::string path,
          std::string_view id, ValidationResult& result) {
    Issue issue;
    issue.severity = Severity::Warning;
    issue.code = IssueCode::kIntegralFloat;
    issue.message = "\"" + std::string(reading.member) + "\" is " + numberDump(value) +
                    ", a float: the server reads it as mistyped and runs with the default " +
                    std::to_string(reading.fallback) + " (" +
                    std::string(reading.name(reading.fallback)) +
                    "); write it as an integer, without a fraction or exponent";
    issue.pointer = std::move(pointer);
    issue.path = std::move(path);
    issue.id = std::string(id);
    result.addIssue(std::move(issue));
}

void checkGroup(const ConfigGroup& group, const Configuration& configuration,
                ValidationResult& result) {
    const std::string pointer = configuration.groupPointer(group.index);
    const std::string path = makeGroupPath(group.index, group.id);
    if (const JsonView type = group.value.member("type"); surprises(type, kGroupType.fallback)) {
        warn(type, kGroupType, pointer + "/type", path, group.id, result);
    }
    const JsonView mode = group.value.member("bridgeTargetOutputDetail").member("mode");
    if (surprises(mode, kOutputMode.fallback)) {
        warn(mode, kOutputMode, pointer + "/bridgeTargetOutputDetail/mode", path, group.id, result);
    }
}

}  // namespace

void checkFloatReadings(const Configuration& configuration, ValidationResult& result) {
    // A server held apart from the document (an editor's pair) has no
    // pointer into it; its own check says it.
    const JsonView server = configuration.server();
    if (server && configuration.serverInDocument()) {
        const JsonView mode = server.member("mode");
        if (surprises(mode, kServerMode.fallback)) {
            const std::string pointer = configuration.serverPointer() + "/mode";
            warn(mode, kServerMode, pointer, pointer, {}, result);
        }
    }
    for (const ConfigGroup& group : configuration.groups())
        checkGroup(group, configuration, result);
}

}  // namespace OrvexConfigValidate
