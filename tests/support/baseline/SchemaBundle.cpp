#include "baseline/SchemaBundle.hpp"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

#include "engine/UriReference.hpp"

namespace OrvexConfigValidate::baseline {
namespace {

using nlohmann::json;

// How a keyword applies its subschemas.
enum class Applies {
    SameValue,  // allOf, not, if ... and "$ref": the instance itself
    Descends,   // properties, items ...: a member or an element
    Never,      // definitions: only through a reference
};

enum class Shape { One, List, Map };

struct Keyword {
    const char* name;
    Shape shape;
    Applies applies;
};

// In the order in which the validator compiles them.
const Keyword kKeywords[] = {
    {"allOf", Shape::List, Applies::SameValue},
    {"anyOf", Shape::List, Applies::SameValue},
    {"contains", Shape::One, Applies::Descends},
    {"dependencies", Shape::Map, Applies::SameValue},
    {"items", Shape::One, Applies::Descends},
    {"additionalItems", Shape::One, Applies::Descends},
    {"if", Shape::One, Applies::SameValue},
    {"then", Shape::One, Applies::SameValue},
    {"else", Shape::One, Applies::SameValue},
    {"not", Shape::One, Applies::SameValue},
    {"oneOf", Shape::List, Applies::SameValue},
    {"properties", Shape::Map, Applies::Descends},
    {"patternProperties", Shape::Map, Applies::Descends},
    {"additionalProperties", Shape::One, Applies::Descends},
    {"propertyNames", Shape::One, Applies::Descends},
    {"definitions", Shape::Map, Applies::Never},
};

std::string escapeToken(const std::string& token) {
    std::string escaped;
    for (const char c : token) {
        if (c == '~') {
            escaped += "~0";
        } else if (c == '/') {
            escaped += "~1";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// The validator percent-decodes pointer tokens, so anything but plain
// characters goes to it encoded.
std::string percentEncode(const std::string& pointer) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : pointer) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                           (u >= '0' && u <= '9') || c == '/' || c == '~' || c == '-' || c == '_' ||
                           c == '.' || c == '$';
        if (plain) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[u >> 4];
            encoded += kHex[u & 15];
        }
    }
    return encoded;
}

std::vector<std::string> pointerTokens(const std::string& pointer) {
    std::vector<std::string> tokens;
    std::size_t start = 1;
    while (start <= pointer.size()) {
        const auto end = pointer.find('/', start);
        std::string token =
            pointer.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string unescaped;
        for (std::size_t i = 0; i < token.size(); ++i) {
            if (token[i] == '~' && i + 1 < token.size() && token[i + 1] == '1') {
                unescaped += '/';
                ++i;
            } else if (token[i] == '~' && i + 1 < token.size() && token[i + 1] == '0') {
                unescaped += '~';
                ++i;
            } else {
                unescaped += token[i];
            }
        }
        tokens.push_back(std::move(unescaped));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return tokens;
}

bool isSchemaValue(const json& value) {
    return value.is_object() || value.is_boolean();
}

struct Node {
    int doc = 0;
    std::string pointer;  // RFC 6901, inside its document
    json* value = nullptr;
    std::string base;  // base URI in force at this node
    std::vector<std::pair<int, Applies>> children;
    bool isRef = false;
    int target = -1;
    // valijson compiles the subschema of "propertyNames" and those of
    // "dependencies" under a key that another subschema can own; such a
    // subschema is moved out of the way and referred to.
    bool relocate = false;
};

class Bundler {
  public:
    explicit Bundler(const SchemaLoader& source) : loader(source) {}

    json run(json root, const std::string& retrievalUri) {
        const int rootNode = addDocument(std::move(root), retrievalUri);
        const std::vector<int> reached = reach(rootNode);
        checkCycles(reached);
        checkChainLength(rootNode);
        planRelocations(reached);
        for (const int id : reached) rewrite(nodes[static_cast<std::size_t>(id)]);
        json moved = json::array();
        for (const int id : relocated) {
            // Deepest first, so that a moved subschema already refers to the
            // moved ones inside it.
            json* value = node(id).value;
            moved.push_back(*value);
            *value = json{{"$ref", "#/x/" + std::to_string(moved.size() - 1)}};
        }
        json documents = json::array();
        for (auto& document : docs) documents.push_back(std::move(*document));
        return json{{"$ref", "#/d/0"}, {"d", std::move(documents)}, {"x", std::move(moved)}};
    }

  private:
    Node& node(int id) { return nodes[static_cast<std::size_t>(id)]; }

    int addDocument(json content, const std::string& retrievalUri) {
        if (content.is_object()) {
            const auto unusable = content.find(kUnusableSchemaMember);
            if (unusable != content.end() && unusable->is_string())
                throw std::invalid_argument(unusable->get<std::string>());
        }
        if (jsonNestingDepth(content) > kMaxSchemaNesting) {
            throw std::invalid_argument("schema document " + label(retrievalUri) +
                                        " is nested deeper than " +
                                        std::to_string(kMaxSchemaNesting) + " levels");
        }
        const int doc = static_cast<int>(docs.size());
        docs.push_back(std::make_unique<json>(std::move(content)));
        docUris.push_back(retrievalUri);
        const int root = walk(doc, *docs.back(), "", retrievalUri);
        resources.emplace(retrievalUri, root);
        return root;
    }

    std::string label(const std::string& uri) const { return uri.empty() ? "#" : uri; }

    // Registers the node and every subschema below it (with their "$id"s).
    int walk(int doc, json& value, const std::string& pointer, std::string base) {
        const auto known = index.find({doc, pointer});
        if (known != index.end()) return known->second;
        const int id = static_cast<int>(nodes.size());
        nodes.push_back(Node{doc, pointer, &value, base, {}, false, -1, false});
        index.emplace(std::make_pair(doc, pointer), id);
        if (!value.is_object()) return id;
        const auto ref = value.find("$ref");
        if (ref != value.end()) {
            // Everything beside a reference is ignored, "$id" included.
            node(id).isRef = ref->is_string();
            return id;
        }
        const auto ownId = value.find("$id");
        if (ownId != value.end() && ownId->is_string()) {
            const std::string& text = ownId->get_ref<const std::string&>();
            const std::string resolved = resolveUriReference(base, text);
            bool hasFragment = false;
            const std::string fragment = fragmentOf(resolved, &hasFragment);
            if (!text.empty() && text[0] == '#') {
                if (!fragment.empty()) anchors.emplace(withoutFragment(base) + "#" + fragment, id);
            } else {
                base = withoutFragment(resolved);
                node(id).base = base;
                resources.emplace(base, id);
                if (!fragment.empty() && fragment[0] != '/')
                    anchors.emplace(base + "#" + fragment, id);
            }
        }
        std::vector<std::pair<int, Applies>> children;
        for (const Keyword& keyword : kKeywords) {
            const auto found = value.find(keyword.name);
            if (found == value.end()) continue;
            const std::string name = keyword.name;
            // The validator reads these only beside their partner keyword.
            if (name == "additionalItems") {
                const auto items = value.find("items");
                if (items == value.end() || !items->is_array()) continue;
            }
            if ((name == "then" || name == "else") && value.find("if") == value.end()) continue;
            const std::string at = pointer + "/" + name;
            json& member = *found;
            const bool list =
                keyword.shape == Shape::List || (name == "items" && member.is_array());
            if (list && member.is_array()) {
                for (std::size_t i = 0; i < member.size(); ++i) {
                    if (isSchemaValue(member[i]))
                        children.emplace_back(
                            walk(doc, member[i], at + "/" + std::to_string(i), base),
                            keyword.applies);
                }
            } else if (keyword.shape == Shape::Map && member.is_object()) {
                for (auto entry = member.begin(); entry != member.end(); ++entry) {
                    if (!isSchemaValue(entry.value())) continue;
                    const int child =
                        walk(doc, entry.value(), at + "/" + escapeToken(entry.key()), base);
                    if (name == "dependencies") markRelocated(child);
                    children.emplace_back(child, keyword.applies);
                }
            } else if (keyword.shape == Shape::One && isSchemaValue(member)) {
                const int child = walk(doc, member, at, base);
                if (name == "propertyNames") markRelocated(child);
                children.emplace_back(child, keyword.applies);
            }
        }
        node(id).children = std::move(children);
        return id;
    }

    void markRelocated(int id) {
        if (!node(id).isRef) node(id).relocate = true;
    }

    // Every node that compiling the root visits, resolving references (and
    // loading documents) on the way.
    std::vector<int> reach(int root) {
        std::vector<int> order;
        std::set<int> seen{root};
        std::vector<int> pending{root};
        while (!pending.empty()) {
            const int id = pending.back();
            pending.pop_back();
            order.push_back(id);
            checkPatterns(node(id));
            std::vector<int> next;
            if (node(id).isRef) {
                node(id).target = resolve(id);
                next.push_back(node(id).target);
            } else {
                for (const auto& [child, applies] : node(id).children)
                    if (applies != Applies::Never) next.push_back(child);
            }
            for (auto it = next.rbegin(); it != next.rend(); ++it)
                if (seen.insert(*it).second) pending.push_back(*it);
        }
        return order;
    }

    void checkPatterns(const Node& at) {
        if (!at.value->is_object() || at.isRef) return;
        const auto pattern = at.value->find("pattern");
        bool tooLong = pattern != at.value->end() && pattern->is_string() &&
                       pattern->get_ref<const std::string&>().size() > kMaxPatternLength;
        const auto patterns = at.value->find("patternProperties");
        if (patterns != at.value->end() && patterns->is_object()) {
            for (auto entry = patterns->begin(); entry != patterns->end(); ++entry)
                tooLong = tooLong || entry.key().size() > kMaxPatternLength;
        }
        if (tooLong) {
            throw std::invalid_argument("schema pattern longer than " +
                                        std::to_string(kMaxPatternLength) + " characters at " +
                                        nodeLabel(at));
        }
    }

    int resolve(int id) {
        const std::string written = node(id).value->at("$ref").get<std::string>();
        const std::string full = resolveUriReference(node(id).base, written);
        const std::string location = withoutFragment(full);
        const std::string fragment = fragmentOf(full);
        int start = -1;
        const auto known = resources.find(location);
        if (known != resources.end()) {
            start = known->second;
        } else {
            json fetched;
            loader(location + " # ", fetched);
            start = addDocument(std::move(fetched), location);
        }
        if (fragment.empty()) return start;
        if (fragment[0] != '/') {
            const auto anchor = anchors.find(location + "#" + fragment);
            if (anchor == anchors.end())
                throw std::invalid_argument("schema $ref target not found: " + full);
            return anchor->second;
        }
        const Node& from = node(start);
        json* value = from.value;
        std::string pointer = from.pointer;
        for (const std::string& token : pointerTokens(percentDecode(fragment))) {
            if (token.empty())
                throw std::invalid_argument("schema $ref through an empty member name: " + full);
            if (value->is_object() && value->contains(token)) {
                value = &(*value)[token];
            } else if (value->is_array() && !token.empty() && token.size() < 10 &&
                       token.find_first_not_of("0123456789") == std::string::npos &&
                       (token == "0" || token[0] != '0') && std::stoul(token) < value->size()) {
                value = &(*value)[std::stoul(token)];
            } else {
                throw std::invalid_argument("schema $ref target not found: " + full);
            }
            pointer += "/" + escapeToken(token);
        }
        if (!isSchemaValue(*value))
            throw std::invalid_argument("schema $ref target is not a schema: " + full);
        return walk(from.doc, *value, pointer, from.base);
    }

    std::string nodeLabel(const Node& at) const {
        const std::string& uri = docUris[static_cast<std::size_t>(at.doc)];
        return (at.doc == 0 ? std::string() : uri) + "#" + at.pointer;
    }

    // Edges along which the validator stays on the same value.
    std::vector<int> sameValueEdges(int id) {
        std::vector<int> next;
        if (node(id).isRef) {
            next.push_back(node(id).target);
        } else {
            for (const auto& [child, applies] : node(id).children)
                if (applies == Applies::SameValue) next.push_back(child);
        }
        return next;
    }

    // A loop of same-value edges makes the validator recurse without end.
    void checkCycles(const std::vector<int>& reached) {
        enum Colour { White, Grey, Black };
        std::map<int, Colour> colour;
        for (const int start : reached) {
            if (colour[start] != White) continue;
            std::vector<std::pair<int, std::vector<int>>> stack;
            stack.emplace_back(start, sameValueEdges(start));
            colour[start] = Grey;
            while (!stack.empty()) {
                auto& [id, next] = stack.back();
                if (next.empty()) {
                    colour[id] = Black;
                    stack.pop_back();
                    continue;
                }
                const int child = next.back();
                next.pop_back();
                if (colour[child] == Grey) reportCycle(stack, child);
                if (colour[child] == White) {
                    colour[child] = Grey;
                    stack.emplace_back(child, sameValueEdges(child));
                }
            }
        }
    }

    [[noreturn]] void reportCycle(const std::vector<std::pair<int, std::vector<int>>>& stack,
                                  int repeated) {
        std::string text;
        bool inCycle = false;
        for (const auto& entry : stack) {
            inCycle = inCycle || entry.first == repeated;
            if (!inCycle) continue;
            // Only references are named: they make the loop.
            const Node& at = node(entry.first);
            if (at.isRef || entry.first == repeated) text += nodeLabel(at) + " -> ";
        }
        text += nodeLabel(node(repeated));
        throw std::invalid_argument("schema $ref cycle: " + text);
    }

    // Compiling walks subschemas depth first and each reference target once;
    // a chain longer than the limit would exhaust the stack.
    void checkChainLength(int root) {
        std::set<int> expanded{root};
        std::vector<std::vector<int>> pending;
        auto childrenOf = [this](int id) {
            std::vector<int> next;
            if (node(id).isRef) {
                next.push_back(node(id).target);
            } else {
                for (const auto& [child, applies] : node(id).children)
                    if (applies != Applies::Never) next.push_back(child);
            }
            return std::vector<int>(next.rbegin(), next.rend());
        };
        pending.push_back(childrenOf(root));
        while (!pending.empty()) {
            if (pending.back().empty()) {
                pending.pop_back();
                continue;
            }
            const int child = pending.back().back();
            pending.back().pop_back();
            if (!expanded.insert(child).second) continue;
            if (pending.size() > kMaxSchemaChain) {
                throw std::invalid_argument("schema chain deeper than " +
                                            std::to_string(kMaxSchemaChain) + " subschemas at " +
                                            nodeLabel(node(child)));
            }
            pending.push_back(childrenOf(child));
        }
    }

    void planRelocations(const std::vector<int>& reached) {
        for (const int id : reached)
            if (node(id).relocate) relocated.push_back(id);
        std::stable_sort(relocated.begin(), relocated.end(), [this](int a, int b) {
            return node(a).pointer.size() > node(b).pointer.size();
        });
    }

    // Where a node ends up: inside the innermost moved subschema that holds
    // it, or where its document puts it.
    std::string bundlePointer(int id) {
        const Node& at = node(id);
        for (std::size_t k = 0; k < relocated.size(); ++k) {
            const Node& moved = node(relocated[k]);
            if (moved.doc != at.doc ||
                at.pointer.compare(0, moved.pointer.size(), moved.pointer) != 0)
                continue;
            if (at.pointer.size() > moved.pointer.size() && at.pointer[moved.pointer.size()] != '/')
                continue;
            return "#" + percentEncode("/x/" + std::to_string(k) +
                                       at.pointer.substr(moved.pointer.size()));
        }
        return "#" + percentEncode("/d/" + std::to_string(at.doc) + at.pointer);
    }

    void rewrite(Node& at) {
        if (!at.value->is_object()) return;
        if (at.isRef) {
            (*at.value)["$ref"] = bundlePointer(at.target);
            return;
        }
        // Not a draft-07 keyword, but the validator would take it as a
        // change of resolution scope.
        at.value->erase("id");
    }

    const SchemaLoader& loader;
    std::vector<std::unique_ptr<json>> docs;
    std::vector<std::string> docUris;
    std::vector<Node> nodes;
    std::map<std::pair<int, std::string>, int> index;
    std::map<std::string, int> resources;  // absolute location -> node
    std::map<std::string, int> anchors;    // location "#" plain name -> node
    std::vector<int> relocated;            // deepest first
};

}  // namespace

json bundleSchema(json root, const std::string& retrievalUri, const SchemaLoader& loader) {
    return Bundler(loader).run(std::move(root), retrievalUri);
}

}  // namespace OrvexConfigValidate::baseline
