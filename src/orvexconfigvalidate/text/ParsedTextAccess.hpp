// The library's own view of a ParsedText's parts.
#pragma once

#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "engine/WrittenNumbers.hpp"
#include "text/TextIndex.hpp"

namespace OrvexConfigValidate {

struct ParsedText::Impl {
    nlohmann::json document;
    TextIndex index;
    std::vector<Issue> issues;
    bool ok = false;
    // Numbers whose double is not what the text says, by holding value.
    WrittenNumbers numbers;
};

struct ParsedTextAccess {
    using Impl = ParsedText::Impl;
    static ParsedText::Impl& of(ParsedText& parsed) { return *parsed.impl; }
    static const ParsedText::Impl& of(const ParsedText& parsed) { return *parsed.impl; }
};

}  // namespace OrvexConfigValidate
