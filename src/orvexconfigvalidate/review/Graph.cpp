#include <orvexconfigvalidate/Graph.hpp>

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include <orvexconfigvalidate/Configuration.hpp>

#include "model/MemberReaders.hpp"

namespace OrvexConfigValidate {

namespace {

class GraphBuilder {
  public:
    GraphBuilder(const Configuration& model, DeploymentGraph& graph)
        : model_(model), graph_(graph) {}

    void build(bool hasServer) {
        if (hasServer) add({GraphNode::Kind::Server, "", "", 0, true});
        for (const ConfigGroup& group : model_.groups()) addGroup(group);
        for (const ConfigBridge& bridge : model_.bridges()) addBridge(bridge, hasServer);
    }

  private:
    std::size_t add(GraphNode node) {
        graph_.nodes.push_back(std::move(node));
        return graph_.nodes.size() - 1;
    }

    void addGroup(const ConfigGroup& group) {
        const std::string pointer = model_.groupPointer(group.index);
        const std::string id(group.id);
        if (!id.empty() && defined_.count(id) != 0) {
            add({GraphNode::Kind::DuplicateGroup, id, pointer, 1, true});
            return;
        }
        const std::size_t node = add({GraphNode::Kind::Group, id, pointer, 1, true});
        if (!id.empty()) defined_.emplace(id, node);
    }

    std::size_t groupNode(std::string_view id, bool& dangling) {
        const std::string key(id);
        const auto found = defined_.find(key);
        dangling = found == defined_.end();
        if (!dangling) return found->second;
        const auto missing = missing_.find(key);
        if (missing != missing_.end()) return missing->second;
        const std::size_t node = add({GraphNode::Kind::MissingGroup, key, "", 1, true});
        missing_.emplace(key, node);
        return node;
    }

    void addBridge(const ConfigBridge& bridge, bool hasServer) {
        const std::size_t node = add({GraphNode::Kind::Bridge, std::string(bridge.id),
                                      model_.bridgePointer(bridge.index), 1, bridge.enabled});
        if (hasServer) graph_.edges.push_back({0, node, false});
        std::unordered_set<std::size_t> joined;  // a group named twice is one edge
        for (const ConfigGroupReference& reference : bridge.references) {
            bool dangling = false;
            const std::size_t group = groupNode(reference.groupId, dangling);
            if (joined.insert(group).second) graph_.edges.push_back({node, group, dangling});
        }
    }

    const Configuration& model_;
    DeploymentGraph& graph_;
    std::unordered_map<std::string, std::size_t> defined_;
    std::unordered_map<std::string, std::size_t> missing_;
};

}  // namespace

DeploymentGraph deploymentGraph(const nlohmann::json* server, const nlohmann::json& bridges) {
    DeploymentGraph graph;
    const Configuration model = server != nullptr ? Configuration::ofPair(*server, bridges)
                                                  : Configuration(kBridgesSchemaId, bridges);
    graph.hasServer = server != nullptr;
    graph.serverMode = model.serverMode();
    GraphBuilder(model, graph).build(server != nullptr);
    return graph;
}

RemovalImpact removalImpact(const DeploymentGraph& graph, const std::string& groupId) {
    RemovalImpact impact;
    std::unordered_map<std::size_t, std::size_t> definedNamed;  // bridge -> defined groups named
    std::unordered_set<std::size_t> naming;
    for (const GraphNode& node : graph.nodes) {
        if (node.kind == GraphNode::Kind::Group && node.id == groupId) impact.defined = true;
    }
    for (const GraphEdge& edge : graph.edges) {
        const GraphNode& from = graph.nodes[edge.from];
        const GraphNode& to = graph.nodes[edge.to];
        if (from.kind != GraphNode::Kind::Bridge || !from.enabled) continue;
        if (to.kind == GraphNode::Kind::Group) ++definedNamed[edge.from];
        if (to.id == groupId && naming.insert(edge.from).second) {
            impact.bridges.push_back(edge.from);
        }
    }
    if (!impact.defined) return impact;
    for (const std::size_t bridge : impact.bridges) {
        if (definedNamed[bridge] == 1) impact.emptied.push_back(bridge);
    }
    return impact;
}

}  // namespace OrvexConfigValidate
