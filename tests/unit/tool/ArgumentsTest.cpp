#include <gtest/gtest.h>

#include "Arguments.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

const std::vector<std::string> kIds = {"BridgingConfiguration",
                                       "BridgingServerConfiguration",
                                       "Obs",
                                       "Group",
                                       "NetworkAddress",
                                       "enums"};

TEST(Arguments, SchemaAndFilesWithBothValueSpellings) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--schema", "Group", "a.json", "-"}, {"a.json", "--schema=Group", "-"}}) {
        const auto parsed = parseArguments(args);
        ASSERT_EQ(parsed.error, "");
        EXPECT_EQ(parsed.commandLine.action, Action::Check);
        EXPECT_EQ(parsed.commandLine.schemaId, "Group");
        EXPECT_EQ(parsed.commandLine.files, (std::vector<std::string>{"a.json", "-"}));
    }
}

TEST(Arguments, OptionsMapOntoValidateOptions) {
    const auto parsed = parseArguments({"--fail-on-warning", "--schema-dir", "/s", "--format",
                                        "json", "--fail-on-info", "bridges.json"});
    ASSERT_EQ(parsed.error, "");
    const auto& line = parsed.commandLine;
    EXPECT_TRUE(line.options.failOnWarning);
    EXPECT_TRUE(line.options.failOnInfo);
    EXPECT_EQ(line.options.schemaDir, "/s");
    EXPECT_EQ(line.format, OutputFormat::Json);

    const auto defaults = parseArguments({"bridges.json"}).commandLine;
    EXPECT_FALSE(defaults.options.failOnWarning);
    EXPECT_FALSE(defaults.options.failOnInfo);
    EXPECT_EQ(defaults.options.schemaDir, "");
    EXPECT_EQ(defaults.format, OutputFormat::Text);
    EXPECT_FALSE(defaults.options.strict);
    EXPECT_EQ(defaults.maxSize, std::size_t{512} << 20);
}

TEST(Arguments, StrictAndMaxSize) {
    const auto parsed = parseArguments({"--strict", "--max-size=64K", "bridges.json"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.commandLine.options.strict);
    EXPECT_EQ(parsed.commandLine.maxSize, 65536u);
    EXPECT_EQ(parseArguments({"--max-size", "100", "bridges.json"}).commandLine.maxSize, 100u);
    EXPECT_EQ(parseArguments({"--strict=yes", "bridges.json"}).error,
              "option '--strict' takes no value");
    EXPECT_NE(parseArguments({"--max-size", "lots", "bridges.json"}).error.find("'lots'"),
              std::string::npos);
}

TEST(Arguments, MaxIssuesIsACountAndZeroListsAll) {
    EXPECT_EQ(parseArguments({"bridges.json"}).commandLine.maxIssues, kDefaultMaxIssues);
    EXPECT_EQ(parseArguments({"--max-issues=0", "bridges.json"}).commandLine.maxIssues, 0u);
    EXPECT_EQ(parseArguments({"--max-issues", "25", "b.json"}).commandLine.maxIssues, 25u);
    for (const char* bad : {"", "1K", "-1", "lots", "99999999999999999999"}) {
        EXPECT_EQ(parseArguments({"--max-issues", bad, "bridges.json"}).error,
                  std::string("option '--max-issues' needs a number of issues (0 for no limit), "
                              "not '") +
                      bad + "'");
    }
    EXPECT_EQ(parseArguments({"--lsp", "--max-issues", "5"}).error,
              "--max-issues applies to checks only");
}

TEST(Arguments, SizesWithUnits) {
    EXPECT_EQ(parseSize("0"), 0u);
    EXPECT_EQ(parseSize("4096"), 4096u);
    EXPECT_EQ(parseSize("2k"), 2048u);
    EXPECT_EQ(parseSize("512M"), std::size_t{512} << 20);
    EXPECT_EQ(parseSize("3G"), std::size_t{3} << 30);
    EXPECT_FALSE(parseSize(""));
    EXPECT_FALSE(parseSize("M"));
    EXPECT_FALSE(parseSize("5MB"));
    EXPECT_FALSE(parseSize("-1"));
    EXPECT_FALSE(parseSize("99999999999999999999"));
    EXPECT_FALSE(parseSize("99999999999999G"));
}

TEST(Arguments, DoubleDashEndsOptions) {
    const auto parsed = parseArguments({"--schema", "Group", "--", "--help", "-x"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.commandLine.action, Action::Check);
    EXPECT_EQ(parsed.commandLine.files, (std::vector<std::string>{"--help", "-x"}));
}

TEST(Arguments, Actions) {
    EXPECT_EQ(parseArguments({"--help"}).commandLine.action, Action::Help);
    EXPECT_EQ(parseArguments({"-h", "--bogus"}).error, "unknown option '--bogus'");
    EXPECT_EQ(parseArguments({"x.json", "-h"}).commandLine.action, Action::Help);
    EXPECT_EQ(parseArguments({"--version"}).commandLine.action, Action::Version);
    EXPECT_EQ(parseArguments({"--list-schemas"}).commandLine.action, Action::ListSchemas);
    const auto print = parseArguments({"--print-schema", "Obs"});
    EXPECT_EQ(print.commandLine.action, Action::PrintSchema);
    EXPECT_EQ(print.commandLine.printSchemaId, "Obs");
}

TEST(Arguments, ReportFormatsAndExplain) {
    const std::vector<std::pair<std::string, OutputFormat>> formats = {
        {"text", OutputFormat::Text},     {"json", OutputFormat::Json},
        {"github", OutputFormat::Github}, {"sarif", OutputFormat::Sarif},
        {"junit", OutputFormat::Junit},   {"gitlab", OutputFormat::Gitlab}};
    for (const auto& [name, format] : formats) {
        const auto parsed = parseArguments({"--format=" + name, "a.json"});
        ASSERT_EQ(parsed.error, "") << name;
        EXPECT_EQ(parsed.commandLine.format, format) << name;
    }
    const auto explain = parseArguments({"--explain", "schema"});
    ASSERT_EQ(explain.error, "");
    EXPECT_EQ(explain.commandLine.action, Action::Explain);
    EXPECT_EQ(explain.commandLine.explainCode, "schema");
    EXPECT_EQ(parseArguments({"--explain"}).error, "option '--explain' needs a value");
    EXPECT_EQ(parseArguments({"--explain=schema", "a.json"}).error,
              "--explain takes no input files");
    EXPECT_EQ(parseArguments({"--format", "SARIF", "a.json"}).error,
              "unknown format 'SARIF' (use text, json, github, sarif, junit or gitlab)");
}

TEST(Arguments, UsageErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no input files"},
        {{"--frobnicate"}, "unknown option '--frobnicate'"},
        {{"-x", "a.json"}, "unknown option '-x'"},
        {{"a.json", "--schema"}, "option '--schema' needs a value"},
        {{"--fail-on-info=yes", "a.json"}, "option '--fail-on-info' takes no value"},
        {{"--format", "xml", "a.json"},
         "unknown format 'xml' (use text, json, github, sarif, junit or gitlab)"},
        {{"--schema", "Group", "--schema", "Obs", "a"},
         "option '--schema' is given more than once"},
        {{"--server", "s.json"}, "--server and --bridges must be given together"},
        {{"--bridges", "b.json"}, "--server and --bridges must be given together"},
        {{"--schema", "Group"}, "no input files"},
        {{"--schema", "Group", "--server", "s", "--bridges", "b"},
         "--schema applies to FILE arguments, and none is given"},
        {{"--server", "-", "--bridges", "-"}, "standard input ('-') can be read only once"},
        {{"--schema", "Group", "-", "-"}, "standard input ('-') can be read only once"},
        {{"--list-schemas", "a.json"}, "--list-schemas takes no input files"},
        {{"--print-schema", "Obs", "a.json"}, "--print-schema takes no input files"},
        {{"--print-schema", "Obs", "--list-schemas"},
         "--list-schemas and --print-schema cannot be combined"},
        {{"--schema-dir=", "bridges.json"}, "option '--schema-dir' needs a directory"},
        {{"-t", "s.json", "a.json"}, "--config-test takes no FILE arguments"},
        {{"-t", "-"}, "--config-test reads files, not standard input"},
        {{"-t", "s", "--bridges", "-"}, "--config-test reads files, not standard input"},
        {{"--config-test="}, "option '--config-test' needs a file name"},
        {{"-t", "s", "--config-test", "t"}, "option '--config-test' is given more than once"},
        {{"-t", "s", "--server", "a", "--bridges", "b"},
         "--config-test cannot be combined with --server"},
        {{"-t", "s", "--format", "json"}, "--config-test cannot be combined with --format"},
        {{"-t", "s", "--diff"}, "--config-test cannot be combined with --fix or --diff"},
        {{"--display-name", "d/bridges.json", "a", "b"},
         "--display-name names the one file checked: give one FILE, or use it with "
         "--config-test"},
        {{"--display-name", "d/bridges.json", "--fix", "a"},
         "--display-name cannot be combined with --fix or --diff"},
        {{"-q", "--format", "sarif", "a.json"}, "-q applies to the text report only"},
    };
    for (const auto& [args, error] : cases) {
        EXPECT_EQ(parseArguments(args).error, error) << (args.empty() ? "(none)" : args.front());
    }
}

TEST(Arguments, LanguageServerTakesOptionsButNoInputs) {
    const auto parsed = parseArguments({"--lsp", "--schema-dir", "/s", "--strict"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.commandLine.action, Action::LanguageServer);
    EXPECT_EQ(parsed.commandLine.options.schemaDir, "/s");
    EXPECT_TRUE(parsed.commandLine.options.strict);
    EXPECT_EQ(parseArguments({"--lsp", "bridges.json"}).error, "--lsp takes no input files");
    EXPECT_EQ(parseArguments({"--server", "a", "--bridges", "b", "--lsp"}).error,
              "--lsp takes no input files");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--lsp", "--list-schemas"},
                                               {"--lsp", "--print-schema", "Obs"},
                                               {"--lsp", "--schema", "Obs"}}) {
        EXPECT_NE(parseArguments(args).error.find("--lsp cannot be combined"), std::string::npos);
    }
    EXPECT_EQ(parseArguments({"--lsp=1"}).error, "option '--lsp' takes no value");
    // --help still wins, as with every other action.
    EXPECT_EQ(parseArguments({"--lsp", "--help"}).commandLine.action, Action::Help);
}

TEST(Arguments, SchemaByFileName) {
    EXPECT_EQ(schemaIdForFileName("bridges.json"), "BridgingConfiguration");
    EXPECT_EQ(schemaIdForFileName("/etc/orvexbridged/bridges.json"), "BridgingConfiguration");
    EXPECT_EQ(schemaIdForFileName("conf/orvexbridged_conf.json"), "BridgingServerConfiguration");
    EXPECT_EQ(schemaIdForFileName("Bridges.json"), "");
    EXPECT_EQ(schemaIdForFileName("bridges.json.bak"), "");
    EXPECT_EQ(schemaIdForFileName("bridges.json/x"), "");
    EXPECT_EQ(schemaIdForFileName("-"), "");
}

TEST(Plan, UnitsInOrderPairFirst) {
    const auto line = parseArguments({"bridges.json", "--server", "s.json", "--bridges", "b.json",
                                      "x/orvexbridged_conf.json"})
                          .commandLine;
    const auto plan = planChecks(line, kIds);
    ASSERT_EQ(plan.error, "");
    ASSERT_EQ(plan.units.size(), 3u);
    EXPECT_TRUE(plan.units[0].pair);
    EXPECT_EQ(plan.units[0].schemaId, "Obs");
    EXPECT_EQ(plan.units[0].paths, (std::vector<std::string>{"s.json", "b.json"}));
    EXPECT_EQ(plan.units[1].schemaId, "BridgingConfiguration");
    EXPECT_FALSE(plan.units[1].pair);
    EXPECT_EQ(plan.units[2].schemaId, "BridgingServerConfiguration");
}

TEST(Plan, ExplicitSchemaOverridesFileName) {
    const auto plan =
        planChecks(parseArguments({"--schema", "Group", "bridges.json"}).commandLine, kIds);
    ASSERT_EQ(plan.units.size(), 1u);
    EXPECT_EQ(plan.units[0].schemaId, "Group");
}

// A temporary file is planned under the name it will have, and read where it is.
TEST(Plan, DisplayNameChoosesTheSchemaAndNamesTheFile) {
    const auto plan = planChecks(
        parseArguments({"/tmp/source", "--display-name", "/etc/ob/bridges.json"}).commandLine,
        kIds);
    ASSERT_EQ(plan.units.size(), 1u);
    EXPECT_EQ(plan.units[0].schemaId, "BridgingConfiguration");
    EXPECT_EQ(plan.units[0].paths, std::vector<std::string>{"/etc/ob/bridges.json"});
    EXPECT_EQ(plan.units[0].readFrom, "/tmp/source");
}

TEST(Plan, UnknownSchemaAndUnnamedFileAreUsageErrors) {
    auto plan = planChecks(parseArguments({"--schema", "group", "a.json"}).commandLine, kIds);
    EXPECT_EQ(plan.error,
              "unknown schema id 'group' (known: BridgingConfiguration, "
              "BridgingServerConfiguration, Obs, Group, NetworkAddress, enums)");

    plan = planChecks(parseArguments({"bridges.json", "-"}).commandLine, kIds);
    EXPECT_TRUE(plan.units.empty());
    EXPECT_NE(plan.error.find("cannot tell which schema '-' follows: pass --schema ID"),
              std::string::npos)
        << plan.error;
    EXPECT_NE(plan.error.find("--server FILE --bridges FILE"), std::string::npos);
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
