#include <vector>

#include "siterules/SiteRuleSet.hpp"

namespace OrvexConfigValidate {

bool sitePathMatches(std::string_view pattern, std::string_view path) {
    // reach[j]: the pattern read so far matches the first j bytes of the
    // path. One row per pattern byte: time is the product of the lengths.
    std::vector<char> reach(path.size() + 1, 0);
    reach[0] = 1;
    std::size_t i = 0;
    while (i < pattern.size()) {
        std::vector<char> next(path.size() + 1, 0);
        const char c = pattern[i];
        if (c == '*' && i + 1 < pattern.size() && pattern[i + 1] == '*') {
            // "**/" also stands for no folder at all.
            const bool slash = i + 2 < pattern.size() && pattern[i + 2] == '/';
            bool any = false;
            for (std::size_t j = 0; j <= path.size(); ++j) {
                any = any || reach[j] != 0;
                next[j] = any ? 1 : 0;
            }
            if (slash) {
                std::vector<char> after(path.size() + 1, 0);
                for (std::size_t j = 0; j < path.size(); ++j)
                    if (next[j] != 0 && path[j] == '/') after[j + 1] = 1;
                for (std::size_t j = 0; j <= path.size(); ++j)
                    after[j] = (after[j] != 0 || reach[j] != 0) ? 1 : 0;
                next.swap(after);
            }
            i += slash ? 3 : 2;
        } else if (c == '*') {
            bool run = false;
            for (std::size_t j = 0; j <= path.size(); ++j) {
                if (reach[j] != 0) run = true;
                next[j] = run ? 1 : 0;
                if (j < path.size() && path[j] == '/') run = false;
            }
            i += 1;
        } else {
            for (std::size_t j = 0; j < path.size(); ++j)
                if (reach[j] != 0 && (c == '?' ? path[j] != '/' : path[j] == c)) next[j + 1] = 1;
            i += 1;
        }
        reach.swap(next);
    }
    return reach[path.size()] != 0;
}

}  // namespace OrvexConfigValidate
