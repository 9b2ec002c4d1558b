// The table of issue codes. Codes are a stable interface: an entry may be
// reworded, but a code is never renamed or given another severity.
#include <algorithm>

#include <orvexconfigvalidate/SiteRules.hpp>
#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

namespace {

const std::vector<IssueCodeInfo>& table() {
    static const std::vector<IssueCodeInfo> codes = {
        {IssueCode::kInvalidParameters, Severity::Error, "the schema id is empty",
         "validate was called without a schema id, so the document was not checked against "
         "anything.",
         "Nothing is known about the configuration: a check that passes no id checks nothing.",
         "Pass one of the schema ids; orvex-config-validate --list-schemas prints them."},
        {IssueCode::kUnknownSchema, Severity::Error, "no schema is registered under the id",
         "The schema id names none of the six built-in schemas and no replacement file of the "
         "schema directory.",
         "The document was not checked, so a wrong id lets any configuration through unseen.",
         "Use an id that --list-schemas prints (ids are case-sensitive and carry no "
         "\".schema.json\"), or put ID.schema.json into the schema directory."},
        {IssueCode::kSchema, Severity::Error, "a JSON Schema violation",
         "A value breaks the schema of its file: a wrong JSON type, a number out of range, a "
         "missing required member, a value outside its enumeration.",
         "The server reads its files with the same expectations; a value it cannot use makes it "
         "refuse the file or run without the setting that was meant.",
         "Correct the value at the reported place so that it fits; orvex-config-validate "
         "--print-schema ID shows the schema."},
        {IssueCode::kSchemaEngine, Severity::Error,
         "the schema could not be compiled or a $ref not resolved",
         "The schema itself failed: a replacement file in the schema directory is not a usable "
         "draft-07 schema, or one of its references does not resolve.",
         "The document was not checked, so nothing is known about it.",
         "Fix or remove the replacement schema in the schema directory; with the built-in "
         "schemas alone this is a fault of the validator and worth reporting."},
        {IssueCode::kParseError, Severity::Error, "the input is not one JSON document",
         "The text breaks JSON syntax at the reported place: a comment, a trailing comma, a "
         "truncated file, bytes that are not UTF-8, or anything after the value.",
         "The server cannot load a file that it cannot parse, so none of its settings take "
         "effect; nothing else in the file was checked.",
         "Correct the syntax at the reported place and check the file again."},
        {IssueCode::kDuplicateKey, Severity::Warning, "a member is written twice in one object",
         "The same member name appears twice in one JSON object; the message names the line of "
         "the first.",
         "Only the later value is used and the earlier one is silently dropped, which is "
         "usually an editing mistake.",
         "Remove one of the two members, keeping the value that is meant."},
        {IssueCode::kDuplicateGroupId, Severity::Error, "a group id used by an earlier group",
         "Two group objects in \"groups\" carry the same \"id\"; the message names the index of "
         "the first.",
         "Bridges name groups by id, so a bridge cannot tell the two groups apart and one of them "
         "is not bridged as intended.",
         "Give every group its own \"id\" and point the bridges at the one they mean."},
        {IssueCode::kModeRequiresAudioGroup, Severity::Error,
         "server mode 1 or 2 needs group type gtAudio (1)",
         "The server runs in omMultistream (1) or omMixedStream (2), and the group's \"type\" is "
         "not gtAudio (1).",
         "In these modes the server bridges audio streams only; a raw, presence or unknown group "
         "cannot be bridged as configured.",
         "Set the group's \"type\" to 1, or run the server in a mode that fits the group (the "
         "\"mode\" of orvexbridged_conf.json)."},
        {IssueCode::kBomTypeMismatch, Severity::Error,
         "under mode 3, the group's output mode does not fit its type",
         "With the server in omADictatedByGroup (3), each group's \"bridgeTargetOutputDetail\" "
         "\"mode\" decides its output: bomRaw (0, also when the member is absent) needs type "
         "gtRaw (3), bomMultistream (1) and bomMixedStream (2) need type gtAudio (1).",
         "The server would bridge the group in an output mode that its type cannot produce.",
         "Change the group's \"type\" or its \"bridgeTargetOutputDetail\" \"mode\" so that they "
         "fit; bomNone (3) fits any type."},
        {IssueCode::kModeForceRaw, Severity::Info,
         "mode 0 will force type gtRaw and output mode bomRaw",
         "The server runs in omRaw (0), and the group is not already of type gtRaw (3) with output "
         "mode bomRaw (0).",
         "At run time the server treats the group as gtRaw with bomRaw, whatever the file says: "
         "the group's own type and output mode have no effect.",
         "Nothing is broken. To make the file say what the server does, set \"type\": 3 and "
         "\"bridgeTargetOutputDetail\": {\"mode\": 0}; --fail-on-info makes such notes fail."},
        {IssueCode::kModeForceMultistream, Severity::Info,
         "mode 1 will force output mode bomMultistream",
         "The server runs in omMultistream (1), and the group's output mode is not bomMultistream "
         "(1).",
         "At run time the server bridges the group as bomMultistream, whatever its "
         "\"bridgeTargetOutputDetail\" says.",
         "Nothing is broken. To make the file say what the server does, set "
         "\"bridgeTargetOutputDetail\": {\"mode\": 1}; --fail-on-info makes such notes fail."},
        {IssueCode::kModeForceMixed, Severity::Info, "mode 2 will force output mode bomMixedStream",
         "The server runs in omMixedStream (2), and the group's output mode is not bomMixedStream "
         "(2).",
         "At run time the server bridges the group as bomMixedStream, whatever its "
         "\"bridgeTargetOutputDetail\" says.",
         "Nothing is broken. To make the file say what the server does, set "
         "\"bridgeTargetOutputDetail\": {\"mode\": 2}; --fail-on-info makes such notes fail."},
        {IssueCode::kGroupNoNetworking, Severity::Warning, "no vortapoints, tx/rx or appTransport",
         "The group has no non-empty \"vortapoints\", no non-empty \"tx\" or \"rx\", and no "
         "\"appTransport\" with a non-empty \"id\".",
         "The group cannot reach the network: what is bridged into it goes nowhere (it may "
         "blackhole) and nothing arrives from it.",
         "Give the group vortapoints, a tx/rx address or an appTransport, or remove it."},
        {IssueCode::kBridgeEmptyGroups, Severity::Warning, "an enabled bridge names no groups",
         "An enabled bridge (\"enabled\" absent or not false) has no \"groups\" array, or an "
         "empty one.",
         "The bridge is active but connects nothing.",
         "List the ids of the groups to bridge in its \"groups\", or set \"enabled\": false."},
        {IssueCode::kMissingGroupRef, Severity::Error,
         "a bridge names a group id that no group defines",
         "An entry of an enabled bridge's \"groups\" matches the \"id\" of no group object in the "
         "same configuration; ids are compared exactly, case included.",
         "The bridge cannot connect that group: what should reach it is not bridged.",
         "Correct the id in the bridge (--strict suggests a close one), or define the group."},
        {IssueCode::kUnknownMember, Severity::Warning,
         "a member the schema does not name (--strict)",
         "With --strict, a member that the schema at its place does not declare; the schemas "
         "allow additional members, so it is otherwise accepted without a word.",
         "The server ignores members it does not know: a misspelt name leaves its setting at the "
         "default without any sign.",
         "Correct the name (the suggestion names a close declared one), or remove the member."},
        {IssueCode::kIntegralFloat, Severity::Warning,
         "an integer member written as a float (--strict)",
         "With --strict, the server \"mode\", a group's \"type\" or its "
         "\"bridgeTargetOutputDetail\" \"mode\" is written with a fraction or exponent, such "
         "as 2.0 or 1e0. The schemas count such a number as an integer.",
         "The server reads a float as a mistyped member, even when it is integral: it runs "
         "with the default (omRaw, gtUnknown, bomRaw), not with the value written, and the "
         "rules judge the file as the server will run it.",
         "Write the number as an integer (2, not 2.0)."},
        {IssueCode::kReadError, Severity::Error, "the input could not be read",
         "The file does not exist, is not a regular file, cannot be opened or read, or is larger "
         "than the size limit.",
         "Nothing in it was checked.",
         "Check the path and its permissions; name a regular file, or \"-\" for standard "
         "input."},
        {IssueCode::kOutOfMemory, Severity::Error, "the tool ran out of memory on a file",
         "Checking the file needed more memory than the tool could get; the other files were "
         "still checked.",
         "Nothing in that file was checked.",
         "Check the file on a machine with more memory, or look for a runaway generated "
         "file; --max-size refuses such files up front."},
        {IssueCode::kMissingBridgesFile, Severity::Error,
         "the bridges file the server names is not there",
         "In a deployment folder, the bridges file that the server's "
         "\"bridgingConfigurationFileName\" names does not exist or may not be read: a relative "
         "name is taken under the server file's folder and never outside it (\"../\" that climbs "
         "out, or a symbolic link that leads out, is refused), an absolute one by its last "
         "component, and bridges.json stands for an absent member.",
         "The server would not find its groups and bridges, and the cross-file rules could not "
         "be applied.",
         "Put the bridges file into the folder under that name, or correct "
         "\"bridgingConfigurationFileName\"."},
        {IssueCode::kUnusedAccept, Severity::Warning,
         "an accepted-issue entry of the project file matches no issue",
         "An entry of \"accept\" in orvex-project.json names an issue (code, file, group or "
         "bridge id, member) that the check of that file no longer finds: the issue was fixed, "
         "or its group or bridge was renamed. Entries of files that were not checked are not "
         "judged.",
         "A stale entry would silently accept the issue again if it came back.",
         "Remove the entry (the quick fix does), or run orvex-config-validate prune-accepted "
         "over every file."},
        {IssueCode::kExpiredAccept, Severity::Warning,
         "an accepted-issue entry of the project file has expired",
         "The \"expires\" day of an entry in orvex-project.json has passed (the entry holds "
         "through that UTC day), or the date is not a real day; its issue is reported again, "
         "marked \"accepted until\" that day.",
         "The issue counts again in the verdict and the reports.",
         "Fix the issue, or give the entry a new date with a reason that still holds."},
        {kInvalidSiteRuleCode, Severity::Error, "a site rule of the project file cannot be run",
         "A rule of \"rules\" in orvex-project.json is not one the tool can run: its code does "
         "not start with site_ or names another rule, its severity, entity or profile is "
         "unknown, a schema cannot be compiled, a pointer is no JSON pointer or a bound no "
         "number. The rule is left out.",
         "The project's own law is not checked: deployments that break it pass.",
         "Correct the rule at the reported place; docs/site-rules.md describes each member."},
    };
    return codes;
}

}  // namespace

const std::vector<IssueCodeInfo>& issueCodes() {
    return table();
}

const IssueCodeInfo* describeIssueCode(std::string_view code) {
    const auto& codes = table();
    const auto found = std::find_if(codes.begin(), codes.end(), [code](const IssueCodeInfo& info) {
        return info.code == code;
    });
    return found == codes.end() ? nullptr : &*found;
}

}  // namespace OrvexConfigValidate
