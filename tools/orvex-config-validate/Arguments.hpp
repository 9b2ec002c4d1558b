// Command-line handling of orvex-config-validate: what to do, on which files.
#pragma once

#include <orvexconfigvalidate/Configuration.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "Input.hpp"

namespace OrvexConfigValidate {
class DeploymentIndex;
}

namespace OrvexConfigValidate::Tool {

enum class Action {
    Check,
    ConfigTest,
    Help,
    Version,
    ListSchemas,
    PrintSchema,
    Explain,
    LanguageServer
};
enum class OutputFormat { Text, Json, Github, Sarif, Junit, Gitlab };
// --fix writes the safe fixes into the files; --diff shows them.
enum class FixMode { None, Apply, Diff };

// How many issues of one file a report lists unless --max-issues says otherwise.
constexpr std::size_t kDefaultMaxIssues = 1000;

struct CommandLine {
    Action action = Action::Check;
    OutputFormat format = OutputFormat::Text;
    std::string schemaId;       // --schema; empty: chosen by file name
    std::string printSchemaId;  // --print-schema
    std::string explainCode;    // --explain
    std::string serverFile;     // --server
    std::string bridgesFile;    // --bridges
    std::vector<std::string> files;
    std::string configTest;   // --config-test (-t): the server file to test before a reload
    std::string displayName;  // --display-name: the name the one file checked is reported under
    bool quiet = false;       // -q: only what fails the check
    ValidateOptions options;
    std::size_t maxSize = kDefaultMaxSize;      // --max-size, in bytes
    std::size_t maxIssues = kDefaultMaxIssues;  // --max-issues; 0: no limit
    FixMode fix = FixMode::None;
    std::string projectFile;      // --project: "" looks for orvex-project.json
    std::string today;            // --today YYYY-MM-DD; "": the UTC day
    bool reportAccepted = false;  // --report-accepted
};

// One validation call: a single file, or the server/bridges pair checked as
// one composite document.
struct CheckUnit {
    std::string schemaId;            // "Obs" for a pair
    std::vector<std::string> paths;  // one path, or server then bridges
    bool pair = false;
    // A server file of a deployment folder: its bridges file is the one it
    // names, found and read by the library's deployment rule.
    bool deployment = false;
    BridgesFileReading reading = BridgesFileReading::InFolder;
    // Where the file is read when paths.front() is only the name it is
    // reported and judged under (a new version in a temporary file); "" reads
    // the path itself. For a deployment, its server file.
    std::string readFrom{};
    // For a deployment: where its bridges file is read instead.
    std::string bridgesReadFrom{};
    // The index that found the deployment; it hands over the server text it
    // read, so that the check does not read it again.
    std::shared_ptr<DeploymentIndex> index{};
    // A FILE argument that the deployment's server file names: only it is
    // reported, judged with that server file.
    std::string claimedFile{};
    // A server file given as a lone FILE: its deployment is reported, and
    // its entry says which bridges file it was judged with.
    bool loneServer = false;
};

// A non-empty error is a usage error; the other fields are then unspecified.
struct ParsedArguments {
    CommandLine commandLine;
    std::string error;
};

struct CheckPlan {
    std::vector<CheckUnit> units;
    std::string error;
};

// A size such as "4096", "64K", "512M" or "2G" (powers of 1024).
std::optional<std::size_t> parseSize(const std::string& text);

// A count such as "1000": digits only.
std::optional<std::size_t> parseCount(const std::string& text);

// The arguments after the program name.
ParsedArguments parseArguments(const std::vector<std::string>& args);

// Turns the inputs of a Check command line into validation calls, checking
// schema ids against the known ones.
CheckPlan planChecks(const CommandLine& commandLine, const std::vector<std::string>& knownIds);

std::string helpText();

}  // namespace OrvexConfigValidate::Tool
