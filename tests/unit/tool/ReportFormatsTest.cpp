#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "Check.hpp"
#include "Explain.hpp"
#include "FileFixture.hpp"
#include "GithubFormat.hpp"
#include "JunitFormat.hpp"
#include "OutputText.hpp"
#include "SarifFormat.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

Diagnostic diagnostic(std::size_t file, Severity severity, std::string code, std::string message,
                      std::optional<TextPosition> position, std::string path = "") {
    Diagnostic d;
    d.file = file;
    d.severity = severity;
    d.code = std::move(code);
    d.message = std::move(message);
    d.position = position;
    d.path = std::move(path);
    return d;
}

FileEntry fileEntry(std::string name, std::string schemaId, bool ok, bool unreadable) {
    FileEntry file;
    file.name = std::move(name);
    file.schemaId = std::move(schemaId);
    file.ok = ok;
    file.unreadable = unreadable;
    return file;
}

// A passing server file with a note, a failing bridges file whose issues
// were found out of line order (one with a suggestion), and a file that
// could not be read; sorted as the checks leave them.
Report sample() {
    Report report;
    report.files = {
        fileEntry("site/orvexbridged_conf.json", "BridgingServerConfiguration", true, false),
        fileEntry("site/bridges.json", "BridgingConfiguration", false, false),
        fileEntry("gone.json", "Group", false, true)};
    report.diagnostics = {
        diagnostic(1, Severity::Error, "missing_group_ref", "no group 'x'", TextPosition{40, 9},
                   "/bridges/0/groups/0"),
        diagnostic(1, Severity::Warning, "group_no_networking", "no net", TextPosition{3, 5},
                   "/groups/0"),
        diagnostic(0, Severity::Info, "mode_force_mixed", "forced", TextPosition{7, 5}),
        diagnostic(2, Severity::Error, "read_error", "cannot read file: gone", std::nullopt),
    };
    report.diagnostics[0].hint = "did you mean \"X\"?";
    sortDiagnostics(report);
    return report;
}

TEST(PrintableText, EscapesControlCharactersAndBrokenUtf8Only) {
    EXPECT_EQ(printableText("tab\tline\ncr\r"), "tab\tline\ncr\r");
    EXPECT_EQ(printableText("\x1b[31mred\x7f"), "\\u001b[31mred\\u007f");
    EXPECT_EQ(printableText(std::string("nul\0end", 7)), "nul\\u0000end");
    EXPECT_EQ(printableText("\xC2\x9B"
                            "csi \xC2\xA0nbsp"),
              "\\u009bcsi \xC2\xA0nbsp");
    EXPECT_EQ(printableText("caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x8E\xA7"),
              "caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x8E\xA7");
    // A stray continuation byte, a truncated sequence, an overlong form, a
    // surrogate, a code point above U+10FFFF.
    EXPECT_EQ(printableText("\x80|\xE2\x80|\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80"),
              "\\x80|\\xe2\\x80|\\xc0\\xaf|\\xed\\xa0\\x80|\\xf4\\x90\\x80\\x80");
}

// XML 1.0 cannot carry U+FFFE and U+FFFF at all; every format escapes
// them as the text format does. Other noncharacters are legal XML.
TEST(PrintableText, EscapesTheCodePointsXmlCannotCarry) {
    for (const LineBreaks mode : {LineBreaks::Escape, LineBreaks::Keep}) {
        EXPECT_EQ(printable("a\xEF\xBF\xBE"
                            "b\xEF\xBF\xBF"
                            "c",
                            mode),
                  "a\\ufffeb\\uffffc");
        EXPECT_EQ(printable("\xEF\xBF\xBD\xEF\xB7\x90\xF0\x9F\xBF\xBE", mode),
                  "\xEF\xBF\xBD\xEF\xB7\x90\xF0\x9F\xBF\xBE");
    }
    EXPECT_EQ(printable("\xEF\xBF"), "\\xef\\xbf");
}

TEST(GithubFormat, EscapesDataAndProperties) {
    EXPECT_EQ(escapeWorkflowData("100% a:b,c\r\nd"), "100%25 a:b,c%0D%0Ad");
    EXPECT_EQ(escapeWorkflowProperty("100% a:b,c\r\nd"), "100%25 a%3Ab%2Cc%0D%0Ad");
    // The escapes are applied once: an already escaped text is escaped again.
    EXPECT_EQ(escapeWorkflowData("%0A"), "%250A");
    EXPECT_EQ(escapeWorkflowProperty("\x1b]8;;x\x07"), "\\u001b]8;;x\\u0007");
}

TEST(GithubFormat, OneCommandPerIssueInReportOrderThenSummary) {
    EXPECT_EQ(formatGithub(sample()),
              "::notice file=site/orvexbridged_conf.json,line=7,col=5,title=mode_force_mixed::"
              "forced\n"
              "::warning file=site/bridges.json,line=3,col=5,title=group_no_networking::/groups/0: "
              "no net\n"
              "::error file=site/bridges.json,line=40,col=9,title=missing_group_ref::"
              "/bridges/0/groups/0: no group 'x' (did you mean \"X\"?)\n"
              "::error file=gone.json,title=read_error::cannot read file: gone\n"
              "3 files checked: 2 errors, 1 warning, 1 note\n");
}

TEST(GithubFormat, FileNamesCannotForgeCommands) {
    Report report;
    report.files = {fileEntry("a,line=1::b\n::error file=x", "Group", false, false)};
    report.diagnostics = {
        diagnostic(0, Severity::Error, "schema", "m\n::error::forged", TextPosition{2, 3})};
    EXPECT_EQ(formatGithub(report),
              "::error file=a%2Cline=1%3A%3Ab\\u000a%3A%3Aerror file=x,line=2,col=3,title=schema::"
              "m\\u000a::error::forged\n"
              "1 file checked: 1 error, 0 warnings, 0 notes\n");
}

TEST(SarifFormat, ArtifactUrisAreRelativeAndEncoded) {
    EXPECT_EQ(artifactUri("site/bridges.json", "/work"), "site/bridges.json");
    EXPECT_EQ(artifactUri("./site/../site/bridges.json", "/work"), "site/bridges.json");
    EXPECT_EQ(artifactUri("/work/site/bridges.json", "/work"), "site/bridges.json");
    EXPECT_EQ(artifactUri("/etc/orvex/bridges.json", "/work/repo"), "../../etc/orvex/bridges.json");
    EXPECT_EQ(artifactUri("my site/#1 100%?.json", "/work"), "my%20site/%231%20100%25%3F.json");
    EXPECT_EQ(artifactUri("caf\xC3\xA9/a:b.json", "/work"), "caf%C3%A9/a%3Ab.json");
}

TEST(SarifFormat, RulesFromTheCodeTableAndResultsPointingAtThem) {
    const auto log = nlohmann::ordered_json::parse(formatSarif(sample(), "/work", "9.9"));
    ASSERT_EQ(log["runs"].size(), 1u);
    const auto& run = log["runs"][0];
    EXPECT_EQ(run["tool"]["driver"]["version"], "9.9");
    const auto& rules = run["tool"]["driver"]["rules"];
    ASSERT_EQ(rules.size(), issueCodes().size());
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const IssueCodeInfo& info = issueCodes()[i];
        EXPECT_EQ(rules[i]["id"], std::string(info.code));
        EXPECT_EQ(rules[i]["shortDescription"]["text"], std::string(info.summary));
    }
    const auto& results = run["results"];
    ASSERT_EQ(results.size(), 4u);
    for (const auto& result : results) {
        EXPECT_EQ(rules[result["ruleIndex"].get<std::size_t>()]["id"], result["ruleId"]);
    }
    const auto& missing = results[2];
    EXPECT_EQ(missing["message"]["text"], "no group 'x' (did you mean \"X\"?)");
    EXPECT_EQ(missing["ruleId"], "missing_group_ref");
    EXPECT_EQ(missing["level"], "error");
    const auto& location = missing["locations"][0];
    EXPECT_EQ(location["physicalLocation"]["artifactLocation"]["uri"], "site/bridges.json");
    EXPECT_EQ(location["physicalLocation"]["region"]["startLine"], 40);
    EXPECT_EQ(location["physicalLocation"]["region"]["startColumn"], 9);
    EXPECT_EQ(location["logicalLocations"][0]["fullyQualifiedName"], "/bridges/0/groups/0");
    EXPECT_EQ(results[0]["level"], "note");
    // The unreadable file is placed at its start; it has no pointer.
    EXPECT_EQ(results[3]["locations"][0]["physicalLocation"]["region"]["startLine"], 1);
    EXPECT_FALSE(results[3]["locations"][0].contains("logicalLocations"));
}

TEST(SarifFormat, CodesOutsideTheTableGetARuleAndStandardInputNoArtifact) {
    Report report;
    report.files = {fileEntry("<stdin>", "Group", false, false)};
    report.diagnostics = {
        diagnostic(0, Severity::Warning, "brand_new", "m", TextPosition{1, 2}, "/a")};
    const auto log = nlohmann::ordered_json::parse(formatSarif(report, "/work", "1"));
    const auto& rules = log["runs"][0]["tool"]["driver"]["rules"];
    ASSERT_EQ(rules.size(), issueCodes().size() + 1);
    EXPECT_EQ(rules.back()["id"], "brand_new");
    EXPECT_EQ(rules.back()["defaultConfiguration"]["level"], "warning");
    const auto& result = log["runs"][0]["results"][0];
    EXPECT_EQ(result["ruleIndex"], issueCodes().size());
    EXPECT_FALSE(result["locations"][0].contains("physicalLocation"));
    EXPECT_EQ(result["locations"][0]["logicalLocations"][0]["fullyQualifiedName"], "/a");
}

// SARIF columns are code points: "é" and "ü" before the value are two bytes
// each but one column each.
class SarifColumns : public FileFixture {
  protected:
    SarifColumns() : FileFixture("sarif_") {}
};

TEST_F(SarifColumns, CountCodePointsOfTheKeptText) {
    const std::string text = "{\"groups\": [{\"id\": \"\u00e9\u00fc\", \"type\": 99}]}";
    const std::string path = write("columns.json", text);
    CheckOptions options;
    options.standardInput = -1;
    options.countCharacters = true;
    const Report report = runChecks({CheckUnit{"BridgingConfiguration", {path}, false}}, options);
    options.countCharacters = false;
    const Report bytes = runChecks({CheckUnit{"BridgingConfiguration", {path}, false}}, options);
    // The type member's issue; the others sit on the group object.
    const auto typeIssue = [](const Report& r) {
        return std::find_if(r.diagnostics.begin(), r.diagnostics.end(),
                            [](const Diagnostic& d) { return d.path == "/groups/0/type"; });
    };
    const auto counted = typeIssue(report);
    ASSERT_NE(counted, report.diagnostics.end());
    const TextPosition& position = *counted->position;
    EXPECT_EQ(position.column, text.find("99") + 1);
    EXPECT_EQ(position.characterColumn, position.column - 2);
    ASSERT_NE(typeIssue(bytes), bytes.diagnostics.end());
    EXPECT_EQ(typeIssue(bytes)->position->characterColumn, 0u);
    const auto log = nlohmann::ordered_json::parse(formatSarif(report, "/", "1"));
    EXPECT_EQ(log["runs"][0]["columnKind"], "unicodeCodePoints");
    const auto index = static_cast<std::size_t>(counted - report.diagnostics.begin());
    EXPECT_EQ(log["runs"][0]["results"][index]["locations"][0]["physicalLocation"]["region"]
                 ["startColumn"],
              position.column - 2);
}

// Several places on one line, with two-byte characters between them: each
// column is its own byte column less the continuation bytes before it.
TEST_F(SarifColumns, PlacesSharingALineAreEachCountedFromTheLineStart) {
    const std::string text =
        "{\"groups\": [{\"id\": \"\u00e9\", \"type\": 99, \"name\": \"\u00fc\u00fc\", "
        "\"tx\": 5,\n \"rx\": \"\u00e9\", \"vortapoints\": 7}]}";
    CheckOptions options;
    options.standardInput = -1;
    options.countCharacters = true;
    const Report report = runChecks(
        {CheckUnit{"BridgingConfiguration", {write("one_line.json", text)}, false}}, options);
    std::size_t counted = 0;
    for (const Diagnostic& d : report.diagnostics) {
        if (!d.position) continue;
        std::size_t lineStart = 0;
        for (std::size_t line = 1; line < d.position->line; ++line) {
            lineStart = text.find('\n', lineStart) + 1;
        }
        std::size_t continuation = 0;
        for (std::size_t k = lineStart; k < lineStart + d.position->column - 1; ++k) {
            continuation += (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80;
        }
        EXPECT_EQ(d.position->characterColumn, d.position->column - continuation) << d.path;
        counted += continuation > 0;
    }
    EXPECT_GE(counted, 3u);
}

TEST(JunitFormat, EscapesMarkupAndWhatXmlCannotCarry) {
    EXPECT_EQ(escapeXml("<a href=\"x\">&'</a>", false), "&lt;a href=\"x\"&gt;&amp;'&lt;/a&gt;");
    EXPECT_EQ(escapeXml("<\"&>", true), "&lt;&quot;&amp;&gt;");
    EXPECT_EQ(escapeXml("a\tb\nc\rd", false), "a\tb\nc&#13;d");
    EXPECT_EQ(escapeXml("a\tb\nc\rd", true), "a&#9;b&#10;c&#13;d");
    EXPECT_EQ(escapeXml(std::string("\x1b\x0b\x0c\0\xff", 5), false),
              "\\u001b\\u000b\\u000c\\u0000\\xff");
    EXPECT_EQ(escapeXml("]]>", false), "]]&gt;");
}

TEST(JunitFormat, OneCasePerFileWithFailureOrError) {
    EXPECT_EQ(
        formatJunit(sample()),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<testsuites name=\"orvex-config-validate\" tests=\"3\" failures=\"1\" errors=\"1\">\n"
        "  <testsuite name=\"orvex-config-validate\" tests=\"3\" failures=\"1\" errors=\"1\" "
        "skipped=\"0\" time=\"0\">\n"
        "    <testcase name=\"site/orvexbridged_conf.json\" "
        "classname=\"BridgingServerConfiguration\" time=\"0\">\n"
        "      <system-out>site/orvexbridged_conf.json:7:5: note: forced "
        "[mode_force_mixed]\n</system-out>\n"
        "    </testcase>\n"
        "    <testcase name=\"site/bridges.json\" classname=\"BridgingConfiguration\" "
        "time=\"0\">\n"
        "      <failure message=\"2 issues\" type=\"issues\">"
        "site/bridges.json:3:5: warning: /groups/0: no net [group_no_networking]\n"
        "site/bridges.json:40:9: error: /bridges/0/groups/0: no group 'x' (did you mean "
        "\"X\"?) [missing_group_ref]\n</failure>\n"
        "    </testcase>\n"
        "    <testcase name=\"gone.json\" classname=\"Group\" time=\"0\">\n"
        "      <error message=\"cannot read file: gone\" type=\"read_error\">"
        "gone.json: error: cannot read file: gone [read_error]\n</error>\n"
        "    </testcase>\n"
        "  </testsuite>\n"
        "</testsuites>\n");
}

// True when the text is well-formed UTF-8 of characters that XML 1.0 allows.
bool onlyXmlCharacters(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
        if (i + length > text.size()) return false;
        unsigned code = length == 1 ? byte : byte & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        const bool allowed = code == 0x9 || code == 0xA || code == 0xD ||
                             (code >= 0x20 && code <= 0xD7FF) ||
                             (code >= 0xE000 && code <= 0xFFFD) || code >= 0x10000;
        if (!allowed) return false;
        i += length;
    }
    return true;
}

// Ids, member names and file names from hostile documents: whatever they
// hold, the XML stays well-formed and each issue stays one line.
Report hostileReport() {
    Report report;
    report.files = {fileEntry("\xff\xEF\xBF\xBE.json", "BridgingConfiguration", false, false),
                    fileEntry("\xfe\xEF\xBF\xBF.json", "BridgingConfiguration", false, false)};
    const std::string forged = "x\xEF\xBF\xBE\nbridges.json:9:9: error: forged [schema]\r\x1b";
    report.diagnostics = {
        diagnostic(0, Severity::Error, "missing_group_ref",
                   "Bridge references group id '" + forged + "' which has no definition",
                   TextPosition{2, 3}, "/bridges/0/groups/0"),
        diagnostic(1, Severity::Error, "schema", "a message", TextPosition{4, 5},
                   "/groups/0/\xEF\xBF\xBF\n"),
        diagnostic(1, Severity::Warning, "unknown_member", "unknown member", TextPosition{6, 7},
                   "/a"),
    };
    report.diagnostics[2].hint = "did you mean \"" + forged + "\"?";
    return report;
}

TEST(JunitFormat, HostileNamesKeepTheReportWellFormedAndOneLinePerIssue) {
    const std::string xml = formatJunit(hostileReport());
    EXPECT_TRUE(onlyXmlCharacters(xml)) << xml;
    EXPECT_EQ(xml.find("\nbridges.json:9:9"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<testcase name=\"\\xff\\ufffe.json\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<failure message=\"Bridge references group id "
                       "'x\\ufffe\\u000abridges.json:9:9: error: forged [schema]\\u000d\\u001b'"
                       " which has no definition\" type=\"missing_group_ref\">"
                       "\\xff\\ufffe.json:2:3: error: /bridges/0/groups/0: Bridge references"),
              std::string::npos)
        << xml;
    EXPECT_NE(
        xml.find("\\xfe\\uffff.json:4:5: error: /groups/0/\\uffff\\u000a: a message [schema]\n"
                 "\\xfe\\uffff.json:6:7: warning: /a: unknown member (did you mean "),
        std::string::npos)
        << xml;
}

// Every format writes document text as the text format does.
TEST(ReportFormats, EveryFormatEscapesAsTheTextFormat) {
    const Report report = hostileReport();
    const std::string escapedId =
        "'x\\ufffe\\u000abridges.json:9:9: error: forged [schema]\\u000d\\u001b'";
    const std::string text = formatText(report, false);
    EXPECT_NE(text.find(escapedId), std::string::npos) << text;
    const nlohmann::ordered_json json = nlohmann::ordered_json::parse(formatJsonText(report));
    // File names stay apart, bytes that are not UTF-8 included.
    EXPECT_EQ(json["files"][0]["file"], "\\xff\\ufffe.json");
    EXPECT_EQ(json["files"][1]["file"], "\\xfe\\uffff.json");
    const std::string message = json["files"][0]["issues"][0]["message"];
    EXPECT_NE(message.find(escapedId), std::string::npos) << message;
    EXPECT_EQ(json["files"][1]["issues"][0]["path"], "/groups/0/\\uffff\\u000a");
    const std::string hint = json["files"][1]["issues"][1]["hint"];
    EXPECT_NE(hint.find(escapedId.substr(1, escapedId.size() - 2)), std::string::npos) << hint;
    const std::string github = formatGithub(report);
    EXPECT_NE(github.find("error: forged [schema]\\u000d\\u001b'"), std::string::npos) << github;
    EXPECT_EQ(std::count(github.begin(), github.end(), '\n'), 4) << github;
    const nlohmann::ordered_json sarif =
        nlohmann::ordered_json::parse(formatSarif(report, "/work", "1"));
    const std::string sarifMessage = sarif["runs"][0]["results"][0]["message"]["text"];
    EXPECT_NE(sarifMessage.find(escapedId), std::string::npos) << sarifMessage;
    EXPECT_EQ(
        sarif["runs"][0]["results"][1]["locations"][0]["logicalLocations"][0]["fullyQualifiedName"],
        "/groups/0/\\uffff\\u000a");
}

TEST(JunitFormat, PassingFileWithoutIssuesIsAnEmptyCase) {
    Report report;
    report.files = {fileEntry("a&b/bridges.json", "BridgingConfiguration", true, false)};
    const std::string xml = formatJunit(report);
    EXPECT_NE(xml.find("<testcase name=\"a&amp;b/bridges.json\" classname=\"BridgingConfiguration\""
                       " time=\"0\"/>\n"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("tests=\"1\" failures=\"0\" errors=\"0\""), std::string::npos) << xml;
}

TEST(Explain, EveryCodeExplainedWithinEightyColumns) {
    for (const auto& info : issueCodes()) {
        const std::string text = explainText(info);
        EXPECT_EQ(text.rfind(std::string(info.code) + " (", 0), 0u) << text;
        EXPECT_NE(text.find("\n  " + std::string(info.summary.substr(0, 20))), std::string::npos)
            << text;
        for (const char* heading :
             {"\nWhat it means:\n", "\nWhy it matters:\n", "\nHow to fix it:\n"}) {
            EXPECT_NE(text.find(heading), std::string::npos) << info.code;
        }
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find('\n', start);
            EXPECT_LE(end - start, 80u) << info.code << ": " << text.substr(start, end - start);
            start = end + 1;
        }
    }
}

TEST(Explain, WrapsWordsWithoutLosingAny) {
    std::string words;
    for (int i = 0; i < 60; ++i) words += "word" + std::to_string(i) + " ";
    const std::string longWord(120, 'a');
    const std::string fix = "short " + longWord + " tail";
    const IssueCodeInfo info{"x", Severity::Warning, "s", words, "impact", fix};
    const std::string text = explainText(info);
    const std::size_t begin = text.find("What it means:\n") + 15;
    const std::string section = text.substr(begin, text.find("\nWhy it matters:") - begin);
    EXPECT_GT(std::count(section.begin(), section.end(), '\n'), 3);
    std::istringstream in(section);
    std::string rejoined;
    for (std::string word; in >> word;) rejoined += word + " ";
    EXPECT_EQ(rejoined, words);
    // A word longer than a line stands on a line of its own.
    EXPECT_NE(text.find("  short\n  " + longWord + "\n  tail\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
