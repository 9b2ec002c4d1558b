#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Graph.hpp>

#include "review/GraphRender.hpp"

namespace OrvexConfigValidate::Tool {
namespace {

// The label as Mermaid shows it: its entity codes read, as Mermaid reads them.
std::string shown(const std::string& label) {
    static const std::regex code("#(quot|lt|gt|[0-9]+);");
    std::string out;
    std::size_t last = 0;
    for (std::sregex_iterator it(label.begin(), label.end(), code), end; it != end; ++it) {
        out += label.substr(last, static_cast<std::size_t>(it->position()) - last);
        const std::string name = (*it)[1];
        if (name == "quot")
            out += '"';
        else if (name == "lt")
            out += '<';
        else if (name == "gt")
            out += '>';
        else
            out += static_cast<char>(std::stoi(name));  // the table codes only ASCII
        last = static_cast<std::size_t>(it->position() + it->length());
    }
    return out + label.substr(last);
}

TEST(GraphMermaid, LabelsHoldNoSyntaxAndShowTheIdAsWritten) {
    struct Case {
        std::string id;
        std::string shownAs;
    };
    const std::vector<Case> cases = {
        {"say \"hi\"", "say \"hi\""},
        {"<b>x</b> & #35; [y] {z}", "<b>x</b> & #35; [y] {z}"},
        {"a &amp; b", "a &amp; b"},
        {"style n0 fill:#f00", "style n0 fill:#f00"},
        {"classDef k fill:#0f0;", "classDef k fill:#0f0;"},
        // A directive or comment anywhere in the text restyles the diagram.
        {"%%{init: {'theme': 'dark'}}%% 50%", "%%{init: {'theme': 'dark'}}%% 50%"},
        // Mermaid's own stand-ins for "&" and ";" cannot be coded; they are escaped.
        {"\xEF\xAC\x82\xC2\xB0lt\xC2\xB6\xC3\x9F", "\\ufb02\xC2\xB0lt\\u00b6\xC3\x9F"},
    };
    nlohmann::json groups = nlohmann::json::array();
    for (const Case& each : cases) groups.push_back({{"id", each.id}});
    const DeploymentGraph graph =
        deploymentGraph(nullptr, {{"groups", groups}, {"bridges", nlohmann::json::array()}});

    std::istringstream lines(graphMermaid(graph));
    std::string line;
    std::getline(lines, line);  // the diagram's kind
    for (std::size_t i = 0; i < cases.size(); ++i) {
        ASSERT_TRUE(std::getline(lines, line));
        const std::size_t open = line.find('"');
        const std::size_t close = line.rfind('"');
        ASSERT_LT(open, close) << line;
        const std::string label = line.substr(open + 1, close - open - 1);
        const std::string name = label.substr(0, label.find("<br/>"));
        for (const char* hazard :
             {"\"", "&", "<", ">", "%", "style", "classDef", "\xEF\xAC\x82", "\xC2\xB6"}) {
            EXPECT_EQ(name.find(hazard), std::string::npos) << hazard << " in " << line;
        }
        EXPECT_EQ(shown(name), "group '" + cases[i].shownAs + "'") << line;
    }
}

}  // namespace
}  // namespace OrvexConfigValidate::Tool
