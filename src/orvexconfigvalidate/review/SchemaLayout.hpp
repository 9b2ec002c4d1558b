// The order in which the built-in schemas name the members of each place of
// a document, for a canonical layout: the schemas' "properties" in the order
// written, "$ref" followed to the schema it names.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace OrvexConfigValidate {

class SchemaLayout {
  public:
    // The members named, in schema order, each with the layout of its value.
    std::vector<std::pair<std::string, const SchemaLayout*>> members;
    // The layout of an array's elements, or null.
    const SchemaLayout* items = nullptr;

    // The member's place in schema order, or members.size() when unnamed.
    std::size_t rankOf(std::string_view name) const;
    // The layout of a named member's value, or null.
    const SchemaLayout* memberLayout(std::string_view name) const;

    // The layout of a built-in schema's document, or null for an unknown id.
    static const SchemaLayout* of(std::string_view schemaId);

  private:
    friend class SchemaLayouts;
    std::unordered_map<std::string_view, std::size_t> rank_;
};

}  // namespace OrvexConfigValidate
