// graph [--format dot|mermaid|json] [--impact GROUPID] PATH: the deployment
// drawn, or what removing a group breaks.
#include <algorithm>
#include <optional>

#include <orvexconfigvalidate/Escape.hpp>
#include <orvexconfigvalidate/Graph.hpp>
#include <orvexconfigvalidate/JsonWriter.hpp>

#include <orvexconfigvalidate/Report.hpp>
#include "Arguments.hpp"
#include "review/Commands.hpp"
#include "review/GraphRender.hpp"
#include "review/Version.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

struct GraphOptions {
    std::string format = "dot";
    std::optional<std::string> impact;
    VersionOptions version;
};

std::optional<std::string> readOptions(const SubcommandArguments& split, GraphOptions& options) {
    options.version.maxSize = kDefaultMaxSize;
    for (const auto& [name, value] : split.options) {
        if (name == "--format") {
            options.format = value;
        } else if (name == "--impact") {
            options.impact = value;
        } else if (name == "--schema") {
            options.version.schemaId = value;
        } else if (const std::optional<std::size_t> size = parseSize(value)) {
            options.version.maxSize = *size;
        } else {
            return "invalid --max-size '" + value + "'";
        }
    }
    if (split.operands.size() != 1) return std::string("graph takes one PATH");
    if (options.impact && options.format == "mermaid") {
        return std::string("--impact is written as text or JSON (--format json)");
    }
    return std::nullopt;
}

std::string impactText(const DeploymentGraph& graph, const RemovalImpact& impact,
                       const std::string& id) {
    std::string out;
    if (!impact.defined) return "group '" + printable(id) + "' is not defined\n";
    out = "removing group '" + printable(id) + "' breaks " + std::to_string(impact.bridges.size()) +
          " enabled bridge" + (impact.bridges.size() == 1 ? "" : "s") + "\n";
    for (const std::size_t bridge : impact.bridges) {
        const GraphNode& node = graph.nodes[bridge];
        const bool emptied =
            std::find(impact.emptied.begin(), impact.emptied.end(), bridge) != impact.emptied.end();
        out += "  " + printable(nodeName(node)) + " " + node.pointer +
               (emptied ? ": names no defined group any more\n" : ": loses the group\n");
    }
    return out;
}

std::string impactJson(const DeploymentGraph& graph, const RemovalImpact& impact,
                       const std::string& id) {
    nlohmann::json bridges = nlohmann::json::array();
    for (const std::size_t bridge : impact.bridges) {
        const GraphNode& node = graph.nodes[bridge];
        const bool emptied =
            std::find(impact.emptied.begin(), impact.emptied.end(), bridge) != impact.emptied.end();
        bridges.push_back({{"id", node.id}, {"pointer", node.pointer}, {"emptied", emptied}});
    }
    const nlohmann::json out = {{"group", id}, {"defined", impact.defined}, {"bridges", bridges}};
    return jsonText(out, 2) + "\n";
}

}  // namespace

CommandResult runGraph(const std::vector<std::string>& args) {
    const SubcommandArguments split = splitArguments(args);
    if (!split.error.empty()) return usageFailure(split.error);
    GraphOptions options;
    if (const std::optional<std::string> error = readOptions(split, options)) {
        return usageFailure(*error);
    }
    const LoadedVersion version = loadVersion(split.operands[0], options.version);
    CommandResult result;
    if (!version.error.empty() || !version.bridges()) {
        result.status = kUsageStatus;
        result.err =
            "orvex-config-validate: error: cannot draw: " +
            (version.error.empty() ? "'" + printable(split.operands[0]) + "': no bridges file"
                                   : printable(version.error, LineBreaks::Escape)) +
            "\n";
        return result;
    }
    const DeploymentGraph graph = deploymentGraph(version.server(), *version.bridges());
    if (options.impact) {
        const RemovalImpact impact = removalImpact(graph, *options.impact);
        result.out = options.format == "json" ? impactJson(graph, impact, *options.impact)
                                              : impactText(graph, impact, *options.impact);
        // A group that is not there cannot be removed: told apart for scripts.
        result.status = impact.defined ? 0 : 1;
        return result;
    }
    if (options.format == "mermaid") {
        result.out = graphMermaid(graph);
    } else if (options.format == "json") {
        result.out = graphJson(graph);
    } else {
        result.out = graphDot(graph);
    }
    return result;
}

}  // namespace OrvexConfigValidate::Tool
