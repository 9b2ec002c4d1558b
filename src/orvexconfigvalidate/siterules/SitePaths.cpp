#include <vector>

#include "siterules/SiteRuleSet.hpp"

namespace OrvexConfigValidate {
namespace {

// reach[j]: the pattern read so far matches the first j bytes of the path.
using Reach = std::vector<char>;

// "**": any run of bytes; "**/" also stands for no folder at all.
Reach anyFolders(const Reach& reach, std::string_view path, bool slash) {
    Reach next(reach.size(), 0);
    bool any = false;
    for (std::size_t j = 0; j < reach.size(); ++j) {
        any = any || reach[j] != 0;
        next[j] = any ? 1 : 0;
    }
    if (!slash) return next;
    Reach after(reach);
    for (std::size_t j = 0; j < path.size(); ++j)
        if (next[j] != 0 && path[j] == '/') after[j + 1] = 1;
    return after;
}

// "*": any run of bytes within one name.
Reach withinName(const Reach& reach, std::string_view path) {
    Reach next(reach.size(), 0);
    bool run = false;
    for (std::size_t j = 0; j < reach.size(); ++j) {
        run = run || reach[j] != 0;
        next[j] = run ? 1 : 0;
        if (j < path.size() && path[j] == '/') run = false;
    }
    return next;
}

// One byte, or "?" for any byte but "/".
Reach oneByte(const Reach& reach, std::string_view path, char c) {
    Reach next(reach.size(), 0);
    for (std::size_t j = 0; j < path.size(); ++j)
        if (reach[j] != 0 && (c == '?' ? path[j] != '/' : path[j] == c)) next[j + 1] = 1;
    return next;
}

}  // namespace

bool sitePathMatches(std::string_view pattern, std::string_view path) {
    // One row per pattern byte: time is the product of the lengths.
    Reach reach(path.size() + 1, 0);
    reach[0] = 1;
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (pattern.compare(i, 2, "**") == 0) {
            const bool slash = pattern.compare(i + 2, 1, "/") == 0;
            reach = anyFolders(reach, path, slash);
            i += slash ? 3 : 2;
        } else if (pattern[i] == '*') {
            reach = withinName(reach, path);
            ++i;
        } else {
            reach = oneByte(reach, path, pattern[i]);
            ++i;
        }
    }
    return reach[path.size()] != 0;
}

}  // namespace OrvexConfigValidate
