// Copying the extended attributes of one open file to another; the access
// ACL is one of them (system.posix_acl_access).
#pragma once

#include <string>

namespace OrvexConfigValidate::Tool {

// Gives `to` exactly the extended attributes of `from`: each of `from`'s is
// set, and any that `to` got from its folder and `from` lacks is removed.
// "" when done, else why not, naming the attribute.
std::string copyExtendedAttributes(int from, int to);

}  // namespace OrvexConfigValidate::Tool
