#include "review/SchemaLayout.hpp"

#include <map>

#include <nlohmann/json.hpp>

#include "schemas/EmbeddedSchemas.hpp"
#include "schemas/SchemaId.hpp"

namespace OrvexConfigValidate {

// Built once from the schema texts, read as written (ordered_json keeps the
// order of "properties", which the engine's documents do not).
class SchemaLayouts {
  public:
    SchemaLayouts() {
        for (const EmbeddedSchema& entry : kEmbeddedSchemas) {
            roots_[entry.id] = build(nlohmann::ordered_json::parse(entry.text));
        }
        // References are joined once every schema has its layout.
        for (auto& [node, id] : refs_) {
            const auto found = roots_.find(id);
            if (found != roots_.end()) *node = *found->second;
        }
        for (const auto& owned : owned_) {
            for (std::size_t i = 0; i < owned->members.size(); ++i) {
                owned->rank_.emplace(owned->members[i].first, i);
            }
        }
    }

    const SchemaLayout* find(std::string_view id) const {
        const auto found = roots_.find(std::string(id));
        return found == roots_.end() ? nullptr : found->second;
    }

  private:
    SchemaLayout* build(const nlohmann::ordered_json& schema) {
        owned_.push_back(std::make_unique<SchemaLayout>());
        SchemaLayout* node = owned_.back().get();
        if (!schema.is_object()) return node;
        const auto ref = schema.find("$ref");
        if (ref != schema.end() && ref->is_string()) {
            refs_.emplace_back(node, normalizeSchemaId(ref->get<std::string>()));
            return node;
        }
        const auto properties = schema.find("properties");
        if (properties != schema.end() && properties->is_object()) {
            for (const auto& [name, sub] : properties->items()) {
                node->members.emplace_back(name, build(sub));
            }
        }
        const auto items = schema.find("items");
        if (items != schema.end() && items->is_object()) node->items = build(*items);
        return node;
    }

    std::map<std::string, SchemaLayout*> roots_;
    // A referring node takes a copy of the root it names: the root's own
    // members point at nodes that live here.
    std::vector<std::pair<SchemaLayout*, std::string>> refs_;
    std::vector<std::unique_ptr<SchemaLayout>> owned_;
};

std::size_t SchemaLayout::rankOf(std::string_view name) const {
    const auto found = rank_.find(name);
    return found == rank_.end() ? members.size() : found->second;
}

const SchemaLayout* SchemaLayout::memberLayout(std::string_view name) const {
    const std::size_t rank = rankOf(name);
    return rank < members.size() ? members[rank].second : nullptr;
}

const SchemaLayout* SchemaLayout::of(std::string_view schemaId) {
    static const SchemaLayouts layouts;
    return layouts.find(schemaId);
}

}  // namespace OrvexConfigValidate
