// A deployment graph drawn as Graphviz DOT, as a Mermaid flowchart, or
// given as JSON.
#pragma once

#include <string>

#include <orvexconfigvalidate/Graph.hpp>

namespace OrvexConfigValidate::Tool {

std::string graphDot(const DeploymentGraph& graph);
std::string graphMermaid(const DeploymentGraph& graph);
std::string graphJson(const DeploymentGraph& graph);

// A node as people name it: "bridge 'b1'", "group 'g1'", "server".
std::string nodeName(const GraphNode& node);

}  // namespace OrvexConfigValidate::Tool
