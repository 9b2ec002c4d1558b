// A deployment as a graph: the server, its bridges, and the groups each
// bridge joins; a reference to an undefined group and a group id defined
// twice are nodes of their own kinds, so a drawing can show them apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate {

struct GraphNode {
    enum class Kind {
        Server,
        Bridge,
        Group,
        DuplicateGroup,  // a later group object repeating a defined id
        MissingGroup,    // an id that bridges name and no group defines
    };
    Kind kind = Kind::Group;
    std::string id;       // "" for the server or an element without id
    std::string pointer;  // in its document; "" for the server and a missing group
    int source = 1;       // 0 the server file, 1 the bridges file
    bool enabled = true;  // bridges: false only for "enabled": false
};

struct GraphEdge {
    std::size_t from = 0;  // node indexes
    std::size_t to = 0;
    bool dangling = false;  // to a MissingGroup
};

struct DeploymentGraph {
    std::vector<GraphNode> nodes;
    std::vector<GraphEdge> edges;
    bool hasServer = false;
    std::int32_t serverMode = 0;  // the server "mode" as the rules read it
};

// The server document may be null (a bridges file alone). Linear in the
// documents.
DeploymentGraph deploymentGraph(const nlohmann::json* server, const nlohmann::json& bridges);

// What removing every group object of an id breaks.
struct RemovalImpact {
    bool defined = false;  // some group object carries the id
    // Enabled bridges that name the id: each loses the group; those in
    // `emptied` are left naming no defined group at all.
    std::vector<std::size_t> bridges;  // node indexes into the graph
    std::vector<std::size_t> emptied;
};
RemovalImpact removalImpact(const DeploymentGraph& graph, const std::string& groupId);

}  // namespace OrvexConfigValidate
