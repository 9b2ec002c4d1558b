#include "project/ProjectText.hpp"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Project.hpp>

namespace OrvexConfigValidate {

namespace {

bool digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether "YYYY-MM-DD" names a day of the Gregorian calendar.
bool realDay(const std::string& date) {
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') return false;
    const std::string_view text(date);
    if (!digits(text.substr(0, 4)) || !digits(text.substr(5, 2)) || !digits(text.substr(8, 2))) {
        return false;
    }
    const int year = std::stoi(date.substr(0, 4));
    const int month = std::stoi(date.substr(5, 2));
    const int day = std::stoi(date.substr(8, 2));
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

// The "accept" entries' places, in array order.
std::vector<TextLocation> entryPlaces(const ParsedText& parsed) {
    std::vector<std::string> pointers;
    for (std::size_t i = 0; i < parsed.root().member("accept").size(); ++i) {
        pointers.push_back("/accept/" + std::to_string(i));
    }
    return parsed.locateAll(pointers);
}

using Row = std::vector<char>;

// One byte of the pattern: itself, or "?" for any byte but "/".
Row afterOne(const Row& matched, char wanted, std::string_view path) {
    Row next(path.size() + 1, 0);
    for (std::size_t j = 0; j < path.size(); ++j) {
        const bool one = wanted == '?' ? path[j] != '/' : wanted == path[j];
        if (matched[j] != 0 && one) next[j + 1] = 1;
    }
    return next;
}

// A star spans any run of bytes, "/" only when doubled.
Row afterStar(const Row& matched, bool deep, std::string_view path) {
    Row next(path.size() + 1, 0);
    for (std::size_t j = 0; j <= path.size(); ++j) {
        if (matched[j] != 0) next[j] = 1;
        if (j > 0 && next[j - 1] != 0 && (deep || path[j - 1] != '/')) next[j] = 1;
    }
    return next;
}

// "**/": any run of folders, also none.
Row afterDeepFolder(const Row& before, const Row& star, std::string_view path) {
    Row next(path.size() + 1, 0);
    for (std::size_t j = 0; j < path.size(); ++j) {
        if (star[j] != 0 && path[j] == '/') next[j + 1] = 1;
    }
    for (std::size_t j = 0; j <= path.size(); ++j) next[j] = static_cast<char>(next[j] | before[j]);
    return next;
}

}  // namespace

bool expired(const std::string& expires, const std::string& today) {
    if (expires.empty()) return false;
    return !realDay(expires) || expires < today;
}

bool pathPatternMatches(std::string_view pattern, std::string_view path) {
    // matched[j]: the pattern read so far matches the first j bytes of path.
    Row matched(path.size() + 1, 0);
    matched[0] = 1;
    for (std::size_t p = 0; p < pattern.size(); ++p) {
        if (pattern[p] != '*') {
            matched = afterOne(matched, pattern[p], path);
            continue;
        }
        const bool deep = p + 1 < pattern.size() && pattern[p + 1] == '*';
        Row next = afterStar(matched, deep, path);
        if (deep) {
            ++p;
            if (p + 1 < pattern.size() && pattern[p + 1] == '/') {
                next = afterDeepFolder(matched, next, path);
                ++p;
            }
        }
        matched = std::move(next);
    }
    return matched[path.size()] != 0;
}

std::vector<TextEdit> removeEntries(const ParsedText& parsed,
                                    const std::vector<std::string>& pointers) {
    const std::vector<TextLocation> places = entryPlaces(parsed);
    std::set<std::size_t> gone;
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (std::find(pointers.begin(), pointers.end(), "/accept/" + std::to_string(i)) !=
            pointers.end()) {
            gone.insert(i);
        }
    }
    std::vector<TextEdit> edits;
    const auto end = [&](std::size_t i) { return places[i].offset + places[i].length; };
    // Each run of removed entries goes with the separator after it, or the
    // one before it when it ends the array.
    for (auto it = gone.begin(); it != gone.end();) {
        const std::size_t first = *it;
        std::size_t last = first;
        while (++it != gone.end() && *it == last + 1) last = *it;
        if (last + 1 < places.size()) {
            edits.push_back(
                {places[first].offset, places[last + 1].offset - places[first].offset, ""});
        } else if (first > 0) {
            edits.push_back({end(first - 1), end(last) - end(first - 1), ""});
        } else {
            edits.push_back({places[first].offset, end(last) - places[first].offset, ""});
        }
    }
    return edits;
}

std::string applyEdits(std::string_view text, const std::vector<TextEdit>& edits) {
    std::string out;
    std::size_t from = 0;
    for (const TextEdit& edit : edits) {
        out.append(text.substr(from, edit.offset - from));
        out += edit.newText;
        from = edit.offset + edit.length;
    }
    out.append(text.substr(std::min(from, text.size())));
    return out;
}

}  // namespace OrvexConfigValidate
