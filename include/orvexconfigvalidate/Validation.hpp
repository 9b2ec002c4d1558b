// Validation of the bridging server's configuration documents.
//
// validate() checks a JSON document against one of the six schema ids
// ("BridgingConfiguration", "BridgingServerConfiguration", "Obs", "Group",
// "NetworkAddress", "enums"), then applies the cross-field rules that a
// schema cannot express. Problems of the document come back as issues; the
// call does not throw for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Document.hpp>
#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate {

enum class Severity : std::int32_t { Error = 0, Warning = 1, Info = 2 };

// The issue codes, each named once: programs branch on these, never on
// spelled-out strings. issueCodes() describes every one of them.
namespace IssueCode {
inline constexpr char kInvalidParameters[] = "invalid_parameters";
inline constexpr char kUnknownSchema[] = "unknown_schema";
inline constexpr char kSchema[] = "schema";
inline constexpr char kSchemaEngine[] = "schema_engine";
inline constexpr char kParseError[] = "parse_error";
inline constexpr char kDuplicateKey[] = "duplicate_key";
inline constexpr char kDuplicateGroupId[] = "duplicate_group_id";
inline constexpr char kModeRequiresAudioGroup[] = "mode_requires_audio_group";
inline constexpr char kBomTypeMismatch[] = "bom_type_mismatch";
inline constexpr char kModeForceRaw[] = "mode_force_raw";
inline constexpr char kModeForceMultistream[] = "mode_force_multistream";
inline constexpr char kModeForceMixed[] = "mode_force_mixed";
inline constexpr char kGroupNoNetworking[] = "group_no_networking";
inline constexpr char kBridgeEmptyGroups[] = "bridge_empty_groups";
inline constexpr char kMissingGroupRef[] = "missing_group_ref";
inline constexpr char kUnknownMember[] = "unknown_member";
inline constexpr char kIntegralFloat[] = "integral_float";
inline constexpr char kReadError[] = "read_error";
inline constexpr char kOutOfMemory[] = "out_of_memory";
inline constexpr char kMissingBridgesFile[] = "missing_bridges_file";
inline constexpr char kUnusedAccept[] = "unused_accept";
inline constexpr char kExpiredAccept[] = "expired_accept";
}  // namespace IssueCode

// One replacement in a text: the `length` bytes at `offset` become newText.
struct TextEdit {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::string newText;
};

// A way to put an issue right, as edits of the text the issue was found in
// (the text of its source). The edits are sorted and never overlap; applied
// together they leave valid JSON and every other byte as it was.
struct Fix {
    std::string title;
    std::vector<TextEdit> edits;
    // The only candidate, and nothing the server does changes beyond what
    // the issue says: a tool may apply it without asking. Re-pointing a
    // reference at another group never is.
    bool safe = false;
};

struct Issue {
    Severity severity = Severity::Error;
    // JSON pointer of the offending location ("/" for the whole document);
    // semantic rules may append " (id=...)" after an array index.
    std::string path;
    // Stable snake_case identifier, meant for programs.
    std::string code;
    std::string message;
    // The plain RFC 6901 pointer into the validated document ("" for the
    // whole document), never with an id suffix:
    // document.at(nlohmann::json::json_pointer(pointer)) resolves.
    std::string pointer;
    // The id of the group or bridge the issue is about, when it has one.
    std::string id;
    // A suggestion ("did you mean ...?"), empty when there is none.
    std::string hint;
    // Which text of validateTextPair the issue belongs to: 0 the server
    // text (or the only text), 1 the bridges text. With validateTextPair
    // the pointer is relative to that text's own document.
    int source = 0;
    // The pointer of a related place in the same document, such as the
    // first group that defines a repeated group id; "" when there is none.
    std::string relatedPointer;
    // Filled by validateText: the place of the value named by the pointer
    // (a missing member: its parent object), and of a related place such as
    // the first occurrence of a duplicated key or group id.
    TextLocation location;
    TextLocation related;
    // Filled when the issue was found in a text and the library knows how to
    // put it right.
    std::vector<Fix> fixes;
    // What a fix writes, as data: the one close declared name of an unknown
    // member whose every schema takes the member's value (and whose rename,
    // with the document's other renames, adds no issue), or the one close
    // defined id of a missing group reference; "" when there is no single
    // candidate.
    std::string suggestion;
    // For a missing required member whose schema leaves one value: the
    // members to add, each a name and its value as JSON text.
    std::vector<std::pair<std::string, std::string>> suggestedMembers;
    // What the issue is about, whatever its line or index, as one text: set
    // when a project judges the issue (Project.hpp), for reports'
    // fingerprints; "" otherwise.
    std::string identity{};
};

// Issues by severity.
struct IssueCounts {
    std::size_t errors = 0;
    std::size_t warnings = 0;
    std::size_t infos = 0;

    std::size_t total() const { return errors + warnings + infos; }
    void add(Severity severity);
    IssueCounts& operator+=(const IssueCounts& other);
};

struct ValidationResult {
    bool ok = true;
    std::vector<Issue> issues;
    // Issues found past keepAtMost: counted, not kept. ok judges them too.
    IssueCounts omitted;
    // The part of omitted that belongs to the bridges text of a pair.
    IssueCounts omittedInBridges;
    // The most issues a result keeps, the first ones found (0: every one);
    // the library's calls set it from ValidateOptions::maxIssues.
    std::size_t keepAtMost = 0;
    // Set by the library while a "Obs" envelope is judged: an issue under
    // "/bridges" belongs to the bridges text.
    bool envelope = false;

    // Appends a copy of the issue; an Error makes the result not ok for good.
    // The pointer is taken from the path ("/" meaning the whole document).
    void addIssue(Severity severity, const std::string& path, const std::string& code,
                  const std::string& message);
    // Appends the issue with all its fields as given; a result that holds
    // keepAtMost issues already counts it in omitted instead.
    void addIssue(Issue issue);
    // Counts the issues past keepAtMost in omitted and lets them go.
    void dropPastBound();
    // Counts one issue that is not kept.
    void countOmitted(const Issue& issue);
    void countOmitted(Severity severity, bool inBridges);
    // The issues omitted of one text (Issue::source).
    IssueCounts omittedIn(int source) const;
    bool hasErrors() const;
};

// True when every issue of `after` is one that `before` has too, issues
// being told apart by text, code, pointer and severity (not by message or
// position, which an edit moves): a change that brings no new issue.
bool bringsNoNewIssue(const ValidationResult& before, const ValidationResult& after);

struct ValidateOptions {
    bool failOnWarning = false;
    bool failOnInfo = false;
    // Directory whose "<id>.schema.json" or "common/<id>.schema.json" files
    // replace the embedded schemas.
    std::string schemaDir;
    // Also report members that the schema at their place does not name
    // ("unknown_member" warnings, with a suggestion in Issue::hint).
    bool strict = false;
    // Keep at most this many issues in a result, the first ones found (the
    // text reader's come first); count the others in
    // ValidationResult::omitted. 0 keeps every issue. A document can hold
    // an issue every few bytes, and each kept issue costs some hundred
    // bytes: a caller that shows only some of them sets this.
    std::size_t maxIssues = 0;
};

// The one verdict rule: true when an issue of this severity makes a result
// not ok under these options.
bool failsVerdict(Severity severity, const ValidateOptions& options);
// True when some of the issues counted make a result not ok.
bool failsVerdict(const IssueCounts& counts, const ValidateOptions& options);

// Safe to call from several threads at once. The value is written out and
// read back as a text, so that it is judged as a text would be (numbers
// as nlohmann writes them).
ValidationResult validate(const std::string& schemaId, const nlohmann::json& document,
                          const ValidateOptions& options);

// validate on a text: parse errors and duplicate members become issues, and
// every issue carries its place in the text.
ValidationResult validateText(const std::string& schemaId, std::string_view text,
                              const ValidateOptions& options);
// The server/bridges pair, judged together as the "Obs" envelope; each
// issue's source, pointer and location refer to its own text. When one text
// cannot be parsed, the other is judged alone under its own schema.
ValidationResult validateTextPair(std::string_view serverText, std::string_view bridgesText,
                                  const ValidateOptions& options);
// The same on texts read already; the documents are only read.
ValidationResult validateText(const std::string& schemaId, const Document& parsed,
                              const ValidateOptions& options);
ValidationResult validateTextPair(const Document& server, const Document& bridges,
                                  const ValidateOptions& options);

// Fills the fixes of the issues of `source` from the document they were
// found in. validateText and validateTextPair on strings do it themselves;
// after the Document overloads, call it for each document. `text` must be
// the document's text (any other text gets no fixes).
void addFixes(ValidationResult& result, const Document& parsed, std::string_view text,
              int source = 0);
void addFixes(ValidationResult& result, const Document& parsed, int source = 0);

struct AppliedFixes {
    std::string text;
    std::size_t applied = 0;  // how many fixes were taken
    // The edits taken, sorted by offset, in the text that was given.
    std::vector<TextEdit> edits;
};

// The text with the safe fixes of the issues of `source` applied, in issue
// order; a fix whose edits overlap those of a fix already taken, or that
// writes (renames into or adds) a member name that one taken writes in the
// same object, is left out.
AppliedFixes applySafeFixes(std::string_view text, const std::vector<Issue>& issues,
                            int source = 0);

// Checks the texts of one validation call as they stand (one text, or the
// server/bridges pair); an issue's source is its text's index.
using CheckTexts = std::function<ValidationResult(const std::vector<std::string>&)>;

// One round of fixing: the safe fixes of each text, as applySafeFixes takes
// them from a check, when a check of the result finds no issue (by text,
// code, pointer and severity) that was not there before. Otherwise they are
// tried one at a time, at most a few checks' worth, and those that add no
// issue are kept; the others are left out. A round costs a bounded number
// of checks.
std::vector<AppliedFixes> fixRound(const std::vector<std::string>& texts, const CheckTexts& check);

// Each round re-checks the texts; a fix that clashes with one taken waits
// for the next, and fixes rarely wait more than one.
constexpr int kFixRounds = 4;

// A member that a schema names for an object.
struct SchemaMemberInfo {
    std::string name;
    bool required = false;
    std::string title;
    std::string description;
};

// What a schema allows at one place of a document, for an editor's
// completion and hover. Every branch that may apply there (allOf, anyOf,
// oneOf, if/then/else, "$ref") is taken together, whatever the document
// holds.
struct SchemaPlaceInfo {
    bool known = false;  // some subschema speaks about the place
    std::string title;
    std::string description;
    std::vector<std::string> types;  // "object", "boolean", ... as the schema names them
    std::vector<nlohmann::json> enumValues;
    // Named members of an object at the place, sorted by name.
    std::vector<SchemaMemberInfo> members;
    bool allows(std::string_view type) const;
};

struct ValidatorOptions {
    // Directory whose files replace the embedded schemas for this validator.
    std::string schemaDir;
};

// Owns its compiled schemas: cheap to call repeatedly, safe to share
// between threads. Validators with different schema directories never see
// each other's schemas, and a Validator forgets replacements that its
// directory no longer holds: it is the way to independent schema sets. The
// free functions above use one process-wide default validator, which
// remembers: a schema replaced from any directory stays in force for every
// later call of the process (also calls naming no directory or another one
// without that file, and after the file is removed).
class Validator {
  public:
    Validator();
    explicit Validator(ValidatorOptions options);

    const ValidatorOptions& options() const { return validatorOptions; }

    // A non-empty options.schemaDir takes the place of the validator's own.
    ValidationResult validate(const std::string& schemaId, const nlohmann::json& document,
                              const ValidateOptions& options) const;
    ValidationResult validateText(const std::string& schemaId, std::string_view text,
                                  const ValidateOptions& options) const;
    ValidationResult validateTextPair(std::string_view serverText, std::string_view bridgesText,
                                      const ValidateOptions& options) const;
    ValidationResult validateText(const std::string& schemaId, const Document& parsed,
                                  const ValidateOptions& options) const;
    ValidationResult validateTextPair(const Document& server, const Document& bridges,
                                      const ValidateOptions& options) const;

    // The schema of the id at an RFC 6901 pointer (decimal tokens also step
    // into arrays). Not known for an unknown id, a schema that cannot be
    // used or a place no subschema reaches. Time is linear in the pointer's
    // tokens times the schema's size.
    SchemaPlaceInfo describeSchemaAt(const std::string& schemaId, std::string_view pointer) const;

  private:
    friend struct ValidatorAccess;
    struct State;
    ValidatorOptions validatorOptions;
    std::shared_ptr<State> state;
};

// What a schema directory holds for one schema id.
struct SchemaDirectoryEntry {
    struct IgnoredFile {
        std::string path;
        std::string problem;  // why it is not used, such as its parse error
    };
    std::string schemaId;
    // The file whose schema validation uses; "" for the embedded schema.
    std::string usedFile;
    // Files that are there but are not used, as they are not JSON.
    std::vector<IgnoredFile> ignored;
};

// Reads a schema directory as validation with that schemaDir would, and
// tells per schema id (in catalog order) which file it takes and which
// files it passes over and why; validation itself stays silent about them.
// An empty or missing directory leaves every id with its embedded schema.
std::vector<SchemaDirectoryEntry> describeSchemaDirectory(const std::string& dir);

// The six schema ids, in catalog order.
std::vector<std::string> schemaIds();

// The embedded (built-in) schema document of an id, or null for an unknown id.
// Replacements from a schema directory are not reflected here.
nlohmann::json embeddedSchema(const std::string& schemaId);

// What an issue code means, for the people who meet it: the one table that
// the tool's --explain, its SARIF rules and the documentation draw on.
struct IssueCodeInfo {
    std::string_view code;
    Severity severity;             // the severity the code is always reported with
    std::string_view summary;      // one line
    std::string_view explanation;  // what was found
    std::string_view impact;       // what it means for the running server
    std::string_view fix;          // how to put it right
};

// Every code that the library and its tool report, in a stable order.
const std::vector<IssueCodeInfo>& issueCodes();

// The entry of a code, or nullptr when the code is not in the table.
const IssueCodeInfo* describeIssueCode(std::string_view code);

}  // namespace OrvexConfigValidate
