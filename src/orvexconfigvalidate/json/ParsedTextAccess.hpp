// The library's own view of a ParsedText's parts.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "json/ReleaseValue.hpp"
#include "json/TextIndex.hpp"
#include "json/WrittenNumbers.hpp"

namespace OrvexConfigValidate {

struct ParsedText::Impl {
    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    // A document may be freed because memory ran out: the index goes first
    // and the document is freed without asking for more.
    ~Impl() {
        { const TextIndex gone = std::move(index); }
        releaseValue(document);
    }

    nlohmann::json document;
    TextIndex index;
    std::vector<Issue> issues;
    bool ok = false;
    // Numbers whose double is not what the text says, by holding value.
    WrittenNumbers numbers;
};

// A moved-from ParsedText has no parts; it reads as an empty one that
// failed to parse, and gets parts of its own when written to.
struct ParsedTextAccess {
    using Impl = ParsedText::Impl;
    static ParsedText::Impl& of(ParsedText& parsed) {
        if (!parsed.impl) parsed.impl = std::make_unique<Impl>();
        return *parsed.impl;
    }
    static const ParsedText::Impl& of(const ParsedText& parsed) {
        static const Impl empty;
        return parsed.impl ? *parsed.impl : empty;
    }
};

}  // namespace OrvexConfigValidate
