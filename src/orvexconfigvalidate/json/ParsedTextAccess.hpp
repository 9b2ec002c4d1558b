// The library's own view of a Document's parts.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include <orvexconfigvalidate/Validation.hpp>

#include "json/LeanDocument.hpp"
#include "json/Locator.hpp"
#include "json/TextIndex.hpp"

namespace OrvexConfigValidate {

struct Document::Impl {
    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() = default;

    // Whatever holds the bytes of `text` (null when the caller keeps them).
    std::shared_ptr<const void> keeper;
    std::string_view text;
    TextIndex index;
    std::vector<Issue> issues;
    bool ok = false;
    // Over text and index; null when the text did not parse.
    std::unique_ptr<LeanDocument> lean;
};

// A moved-from Document has no parts; it reads as an empty one that failed
// to parse.
struct ParsedTextAccess {
    using Impl = Document::Impl;
    static const Impl& parts(const Document& parsed) {
        static const Impl empty;
        return parsed.impl ? *parsed.impl : empty;
    }
    static const Impl& of(const Document& parsed) { return parts(parsed); }
    static Locator locatorOf(const Document& parsed);
    static void adopt(Document& parsed, std::unique_ptr<Impl> impl) {
        parsed.impl = std::move(impl);
    }
};

// A document over a text the caller keeps unchanged while it lives.
Document parseTextLeanOver(std::string_view text);
const LeanDocument* leanDocumentOf(const Document& parsed);

}  // namespace OrvexConfigValidate
