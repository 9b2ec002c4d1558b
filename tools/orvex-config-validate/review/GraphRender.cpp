#include "review/GraphRender.hpp"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/JsonWriter.hpp>

#include <orvexconfigvalidate/Report.hpp>

namespace OrvexConfigValidate::Tool {

namespace {

const char* kindName(GraphNode::Kind kind) {
    switch (kind) {
        case GraphNode::Kind::Server:
            return "server";
        case GraphNode::Kind::Bridge:
            return "bridge";
        case GraphNode::Kind::DuplicateGroup:
            return "duplicate group";
        case GraphNode::Kind::MissingGroup:
            return "missing group";
        case GraphNode::Kind::Group:
            break;
    }
    return "group";
}

// The label's lines: the node's name, then where it is or why it is drawn
// apart.
std::vector<std::string> label(const DeploymentGraph& graph, const GraphNode& node) {
    std::vector<std::string> lines{nodeName(node)};
    if (node.kind == GraphNode::Kind::Server) {
        const std::string_view mode = opModeName(graph.serverMode);
        lines.push_back("mode " + std::to_string(graph.serverMode) +
                        (mode.empty() ? "" : " (" + std::string(mode) + ")"));
    }
    if (node.kind == GraphNode::Kind::Bridge && !node.enabled) lines.emplace_back("disabled");
    if (node.kind == GraphNode::Kind::MissingGroup) lines.emplace_back("not defined");
    if (!node.pointer.empty()) lines.push_back(node.pointer);
    return lines;
}

template <typename Escape>
std::string joined(const std::vector<std::string>& lines, const char* lineBreak, Escape escape) {
    std::string out;
    for (const std::string& line : lines) out += (out.empty() ? "" : lineBreak) + escape(line);
    return out;
}

std::string dotEscaped(const std::string& text) {
    std::string out;
    for (const char c : printable(text, LineBreaks::Escape)) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

const char* dotStyle(const GraphNode& node) {
    switch (node.kind) {
        case GraphNode::Kind::Server:
            return "shape=doubleoctagon";
        case GraphNode::Kind::Bridge:
            return node.enabled ? "shape=box" : "shape=box, style=dashed";
        case GraphNode::Kind::DuplicateGroup:
            return "shape=ellipse, style=filled, fillcolor=orange";
        case GraphNode::Kind::MissingGroup:
            return "shape=octagon, style=\"filled,dashed\", fillcolor=\"#ff9999\", color=red";
        case GraphNode::Kind::Group:
            break;
    }
    return "shape=ellipse";
}

// Mermaid reads entity codes in quoted labels: a quote, "&", "#" or an angle
// bracket written plainly would end or change the label. Before that it drops
// the last ";" of a line that reads like a style statement ("style" or
// "classDef" ... ":" ... "#"), so those words start with a code. And it takes
// U+FB02 and U+00B6 for stand-ins of "&" and ";" even in the SVG it writes,
// where no code can hide them: they are shown escaped, as control characters are.
struct MermaidCode {
    std::string_view plain;
    const char* code;
};

constexpr MermaidCode kMermaidCodes[] = {
    {"\"", "#quot;"},
    {"&", "#38;"},
    {"#", "#35;"},
    {"<", "#lt;"},
    {">", "#gt;"},
    {"style", "#115;tyle"},
    {"classDef", "#99;lassDef"},
    {"\xEF\xAC\x82", "\\ufb02"},
    {"\xC2\xB6", "\\u00b6"},
};

std::string mermaidEscaped(const std::string& text) {
    const std::string plain = printable(text, LineBreaks::Escape);
    const std::string_view rest(plain);
    std::string out;
    for (std::size_t i = 0; i < rest.size();) {
        const auto* code = std::find_if(std::begin(kMermaidCodes), std::end(kMermaidCodes),
                                        [&](const MermaidCode& each) {
                                            return rest.substr(i, each.plain.size()) == each.plain;
                                        });
        if (code == std::end(kMermaidCodes)) {
            out.push_back(rest[i++]);
            continue;
        }
        out += code->code;
        i += code->plain.size();
    }
    return out;
}

std::string mermaidNode(const std::string& name, const GraphNode& node, const std::string& text) {
    const std::string quoted = "\"" + text + "\"";
    switch (node.kind) {
        case GraphNode::Kind::Server:
            return name + "[[" + quoted + "]]";
        case GraphNode::Kind::Bridge:
            return name + "[" + quoted + "]";
        case GraphNode::Kind::DuplicateGroup:
            return name + "{{" + quoted + "}}";
        case GraphNode::Kind::MissingGroup:
            return name + ">" + quoted + "]";
        case GraphNode::Kind::Group:
            break;
    }
    return name + "([" + quoted + "])";
}

}  // namespace

std::string nodeName(const GraphNode& node) {
    if (node.kind == GraphNode::Kind::Server) return "server";
    return std::string(kindName(node.kind)) + (node.id.empty() ? "" : " '" + node.id + "'");
}

std::string graphDot(const DeploymentGraph& graph) {
    std::string out = "digraph deployment {\n  rankdir=LR;\n";
    for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
        const GraphNode& node = graph.nodes[i];
        out += "  n" + std::to_string(i) + " [label=\"" +
               joined(label(graph, node), "\\n", dotEscaped) + "\", " + dotStyle(node) + "];\n";
    }
    for (const GraphEdge& edge : graph.edges) {
        out += "  n" + std::to_string(edge.from) + " -> n" + std::to_string(edge.to);
        out += edge.dangling ? " [color=red, style=dashed, label=\"dangling\"];\n" : ";\n";
    }
    return out + "}\n";
}

std::string graphMermaid(const DeploymentGraph& graph) {
    std::string out = "flowchart LR\n";
    std::string missing;
    std::string duplicate;
    for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
        const GraphNode& node = graph.nodes[i];
        const std::string name = "n" + std::to_string(i);
        out += "  " + mermaidNode(name, node, joined(label(graph, node), "<br/>", mermaidEscaped)) +
               "\n";
        if (node.kind == GraphNode::Kind::MissingGroup)
            missing += (missing.empty() ? "" : ",") + name;
        if (node.kind == GraphNode::Kind::DuplicateGroup) {
            duplicate += (duplicate.empty() ? "" : ",") + name;
        }
    }
    for (const GraphEdge& edge : graph.edges) {
        out += "  n" + std::to_string(edge.from) +
               (edge.dangling ? " -. dangling .-> n" : " --> n") + std::to_string(edge.to) + "\n";
    }
    out += "  classDef missing fill:#f99,stroke:#d00,stroke-dasharray:5 5\n";
    out += "  classDef duplicate fill:#fc8,stroke:#c60\n";
    if (!missing.empty()) out += "  class " + missing + " missing\n";
    if (!duplicate.empty()) out += "  class " + duplicate + " duplicate\n";
    return out;
}

std::string graphJson(const DeploymentGraph& graph) {
    nlohmann::json nodes = nlohmann::json::array();
    for (const GraphNode& node : graph.nodes) {
        nlohmann::json entry = {{"kind", kindName(node.kind)}, {"id", node.id}};
        if (!node.pointer.empty()) entry["pointer"] = node.pointer;
        if (node.kind == GraphNode::Kind::Bridge) entry["enabled"] = node.enabled;
        nodes.push_back(std::move(entry));
    }
    nlohmann::json edges = nlohmann::json::array();
    for (const GraphEdge& edge : graph.edges) {
        edges.push_back({{"from", edge.from}, {"to", edge.to}, {"dangling", edge.dangling}});
    }
    nlohmann::json out = {{"nodes", std::move(nodes)}, {"edges", std::move(edges)}};
    if (graph.hasServer) out["serverMode"] = graph.serverMode;
    return jsonText(out, 2) + "\n";
}

}  // namespace OrvexConfigValidate::Tool
