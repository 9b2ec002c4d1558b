#include "engine/MemberNamers.hpp"

#include <unordered_set>

#include "engine/SchemaNode.hpp"
#include "engine/WorkBudget.hpp"

namespace OrvexConfigValidate {
namespace {

bool isFalseSchema(const SchemaNode* node) {
    return node != nullptr && node->checks.size() == 1 && node->checks[0] == Check::False;
}

// The subschemas applied to the same instance, in the order strict mode
// has always gathered them. What must not match ("not") names nothing the
// instance may hold.
template <typename Visit>
void forSameInstance(const SchemaNode& node, const Visit& visit) {
    const auto take = [&](const SchemaNode* child) {
        if (child != nullptr && child != node.notSchema) visit(child);
    };
    for (const auto* list : {&node.allOf, &node.anyOf})
        for (const SchemaNode* child : *list) take(child);
    for (const SchemaNode* single : {node.ifSchema, node.thenSchema, node.elseSchema}) take(single);
    for (const SchemaNode* child : node.oneOf) take(child);
    for (const Dependency& dependency : node.dependencies) take(dependency.schema);
}

}  // namespace

MemberNamers collectMemberNamers(const SchemaNode& entry, WorkBudget& work) {
    MemberNamers found;
    std::unordered_set<const SchemaNode*> seen{&entry};
    std::vector<const SchemaNode*> pending{&entry};
    while (!pending.empty()) {
        const SchemaNode* current = pending.back();
        pending.pop_back();
        work.charge(1);
        if (current->namesMembers()) found.nodes.push_back(current);
        if (isFalseSchema(current->additionalProperties)) found.forbidsOtherMembers = true;
        forSameInstance(*current, [&](const SchemaNode* child) {
            work.charge(1);
            if (seen.insert(child).second) pending.push_back(child);
        });
    }
    return found;
}

}  // namespace OrvexConfigValidate
