#include "fix/ObjectEdits.hpp"

#include <algorithm>
#include <iterator>

namespace OrvexConfigValidate {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::optional<std::uint32_t> ObjectEdits::nodeStartingAt(std::size_t offset) const {
    const auto& nodes = index_.nodes;
    const auto found = std::partition_point(
        nodes.begin(), nodes.end(), [offset](const TextNode& node) { return node.start < offset; });
    if (found == nodes.end() || found->start != offset) return std::nullopt;
    return static_cast<std::uint32_t>(found - nodes.begin());
}

std::optional<std::uint32_t> ObjectEdits::memberWithKeyAt(std::size_t offset) const {
    // No value starts between a member's name and its value.
    const auto& nodes = index_.nodes;
    const auto found = std::partition_point(
        nodes.begin(), nodes.end(), [offset](const TextNode& node) { return node.start < offset; });
    if (found == nodes.end() || !found->hasKey() || found->keyStart() != offset) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(found - nodes.begin());
}

std::vector<std::uint32_t> ObjectEdits::children(std::uint32_t node) const {
    std::vector<std::uint32_t> list;
    const std::uint32_t end = index_.after(node);
    for (std::uint32_t child = node + 1; child < end; child = index_.after(child)) {
        list.push_back(child);
    }
    return list;
}

std::optional<std::uint32_t> ObjectEdits::memberOf(std::uint32_t objectNode, JsonView object,
                                                   const std::string& name) const {
    // Members are ranked in the order the view gives them.
    std::uint32_t rank = 0;
    const auto members = object.members();
    auto found = members.begin();
    for (; found != members.end() && (*found).name() != name; ++found) ++rank;
    if (found == members.end()) return std::nullopt;
    for (const std::uint32_t child : children(objectNode)) {
        const TextNode& node = index_.nodes[child];
        if (node.hasKey() && !node.shadowed() && node.rank == rank) return child;
    }
    return std::nullopt;
}

std::size_t ObjectEdits::keyEnd(std::uint32_t node) const {
    std::size_t at = index_.nodes[node].keyStart() + 1;
    while (at < text_.size() && text_[at] != '"') at += text_[at] == '\\' ? 2 : 1;
    return std::min(at + 1, text_.size());
}

TextEdit ObjectEdits::replaceValue(std::uint32_t node, std::string newText) const {
    const TextNode& value = index_.nodes[node];
    return {value.start, value.end - value.start, std::move(newText)};
}

std::optional<TextEdit> ObjectEdits::renameMember(std::uint32_t node,
                                                  const std::string& name) const {
    if (!index_.nodes[node].hasKey()) return std::nullopt;
    const std::size_t start = index_.nodes[node].keyStart();
    return TextEdit{start, keyEnd(node) - start, jsonString(name)};
}

std::optional<TextEdit> ObjectEdits::removeMember(std::uint32_t node) const {
    const TextNode& member = index_.nodes[node];
    const std::uint32_t next = index_.after(node);
    if (!member.hasKey() || next >= index_.nodes.size() || !index_.nodes[next].hasKey()) {
        return std::nullopt;
    }
    // Only a comma and white space lie between two members of one object.
    const std::size_t nextStart = index_.nodes[next].keyStart();
    for (std::size_t at = member.end; at < nextStart; ++at) {
        if (text_[at] != ',' && !isSpace(text_[at])) return std::nullopt;
    }
    return TextEdit{member.keyStart(), nextStart - member.keyStart(), std::string()};
}

TextEdit ObjectEdits::addMembers(std::uint32_t objectNode,
                                 const std::vector<NewMember>& members) const {
    const TextNode& object = index_.nodes[objectNode];
    const std::vector<std::uint32_t> list = children(objectNode);
    if (list.empty()) {
        std::string inside;
        for (const auto& [name, value] : members) {
            if (!inside.empty()) inside += ", ";
            inside += jsonString(name) + ": " + value;
        }
        return {object.start + 1, object.end - object.start - 2, inside};
    }
    const std::uint32_t last = list.back();
    const std::size_t keyStart = index_.nodes[last].keyStart();
    // The last member's lead (line break and indentation) and the way its
    // name meets its value are copied for the new ones.
    std::size_t leadStart = keyStart;
    while (leadStart > object.start + 1 && isSpace(text_[leadStart - 1])) --leadStart;
    const std::string_view lead = text_.substr(leadStart, keyStart - leadStart);
    const std::size_t nameEnd = keyEnd(last);
    const std::string_view colon = text_.substr(nameEnd, index_.nodes[last].start - nameEnd);
    std::string added;
    for (const auto& [name, value] : members) {
        added.append(",").append(lead).append(jsonString(name)).append(colon).append(value);
    }
    return {index_.nodes[last].end, 0, added};
}

}  // namespace OrvexConfigValidate
