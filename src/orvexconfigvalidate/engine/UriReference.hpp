// URI-reference resolution (RFC 3986, section 5) for "$id" and "$ref".
#pragma once

#include <string>

namespace OrvexConfigValidate {

// The target of `reference` against `base`. A base without scheme (a bare
// path such as "/Group.schema.json", or empty) is resolved like one with an
// empty scheme and authority.
std::string resolveUriReference(const std::string& base, const std::string& reference);

// Splits at the first "#": the part before it, and the fragment after it
// (empty when there is none). `hasFragment` tells the two apart.
std::string withoutFragment(const std::string& uri);
std::string fragmentOf(const std::string& uri, bool* hasFragment = nullptr);

// Decodes %XX sequences; a malformed one stays as written.
std::string percentDecode(const std::string& text);

}  // namespace OrvexConfigValidate
