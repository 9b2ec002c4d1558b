// For strict mode: the subschemas that judge the same instance as a given
// one and name its members. Gathered when an evaluation first needs them,
// at its expense: a schema where every entry reaches every namer costs
// nothing until a document makes the evaluation look.
#pragma once

#include <vector>

namespace OrvexConfigValidate {

struct SchemaNode;
class WorkBudget;

struct MemberNamers {
    // The node itself included, when it names members.
    std::vector<const SchemaNode*> nodes;
    // One of them forbids unnamed members anyway.
    bool forbidsOtherMembers = false;
};

// Charges one unit per subschema and per edge followed.
MemberNamers collectMemberNamers(const SchemaNode& entry, WorkBudget& work);

}  // namespace OrvexConfigValidate
