// The words of the member catalogue: what no schema says of its members.
#pragma once

#include <cstddef>

namespace OrvexConfigValidate {

struct MemberText {
    const char* schemaId;
    const char* pattern;
    const char* title;
    const char* description;
    const char* unit;
    const char* whenMissing;  // "" when the checks do not read the member
};

extern const MemberText kMemberTexts[];
extern const std::size_t kMemberTextCount;

}  // namespace OrvexConfigValidate
