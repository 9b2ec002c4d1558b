#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Graph.hpp>

namespace {

using namespace OrvexConfigValidate;
using Json = nlohmann::json;

std::vector<std::string> names(const DeploymentGraph& graph,
                               const std::vector<std::size_t>& nodes) {
    std::vector<std::string> out;
    for (const std::size_t node : nodes) out.push_back(graph.nodes[node].id);
    return out;
}

const Json kBridges = {{"groups", {{{"id", "g1"}}, {{"id", "g2"}}, {{"id", "g1"}}, {{"id", "g3"}}}},
                       {"bridges",
                        {{{"id", "b1"}, {"groups", {"g1", "zz", "g1"}}},
                         {{"id", "b2"}, {"groups", {"g2", "g3"}}},
                         {{"id", "b3"}, {"groups", {"g2"}}, {"enabled", false}},
                         {{"id", "b4"}, {"groups", {"zz"}}}}}};

TEST(Graph, DrawsDanglingReferencesAndRepeatedIdsAsNodesOfTheirOwn) {
    const Json server = {{"mode", 3}};
    const DeploymentGraph graph = deploymentGraph(&server, kBridges);
    std::vector<std::string> kinds;
    for (const GraphNode& node : graph.nodes) {
        kinds.push_back(std::to_string(static_cast<int>(node.kind)) + ":" + node.id);
    }
    // server, 3 groups + 1 duplicate, 4 bridges, one missing group (once).
    EXPECT_EQ(kinds, (std::vector<std::string>{"0:", "2:g1", "2:g2", "3:g1", "2:g3", "1:b1", "4:zz",
                                               "1:b2", "1:b3", "1:b4"}));
    EXPECT_TRUE(graph.hasServer);
    EXPECT_EQ(graph.nodes[3].pointer, "/groups/2");
    EXPECT_FALSE(graph.nodes[8].enabled);
    std::vector<std::string> edges;
    for (const GraphEdge& edge : graph.edges) {
        edges.push_back(graph.nodes[edge.from].id + ">" + graph.nodes[edge.to].id +
                        (edge.dangling ? "!" : ""));
    }
    EXPECT_EQ(edges, (std::vector<std::string>{">b1", "b1>g1", "b1>zz!", ">b2", "b2>g2", "b2>g3",
                                               ">b3", "b3>g2", ">b4", "b4>zz!"}));
}

TEST(Graph, TheImpactOfARemovalCountsOnlyEnabledBridges) {
    const DeploymentGraph graph = deploymentGraph(nullptr, kBridges);
    EXPECT_FALSE(graph.hasServer);
    const RemovalImpact g1 = removalImpact(graph, "g1");
    EXPECT_TRUE(g1.defined);
    EXPECT_EQ(names(graph, g1.bridges), std::vector<std::string>{"b1"});
    EXPECT_EQ(names(graph, g1.emptied), std::vector<std::string>{"b1"});  // zz is no group
    const RemovalImpact g2 = removalImpact(graph, "g2");
    EXPECT_EQ(names(graph, g2.bridges), std::vector<std::string>{"b2"});
    EXPECT_TRUE(g2.emptied.empty());  // b2 keeps g3
    const RemovalImpact zz = removalImpact(graph, "zz");
    EXPECT_FALSE(zz.defined);
    EXPECT_TRUE(zz.emptied.empty());
}

}  // namespace
