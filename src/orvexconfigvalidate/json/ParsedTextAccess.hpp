// The library's own view of a ParsedText's parts.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/LeanText.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "json/LeanDocument.hpp"
#include "json/Locator.hpp"
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

    // A text read without a document keeps the text (or a view of a text
    // its caller keeps) and a LeanDocument over it; the document is read
    // again from the text on first use.
    std::string text;
    std::shared_ptr<const void> keeper;
    std::string_view source;
    std::unique_ptr<LeanDocument> lean;
    mutable std::once_flag documentRead;
    mutable std::atomic<bool> documentReady{false};
    void readDocument() const;
    // The lean document, while no one has asked for the document (which
    // may have been changed since).
    const LeanDocument* leanOnly() const {
        return documentReady.load(std::memory_order_acquire) ? nullptr : lean.get();
    }
};

// A moved-from ParsedText has no parts; it reads as an empty one that
// failed to parse, and gets parts of its own when written to.
struct ParsedTextAccess {
    using Impl = ParsedText::Impl;
    // The parts with their document, read first if the text was read lean.
    static ParsedText::Impl& of(ParsedText& parsed) {
        Impl& impl = parts(parsed);
        impl.readDocument();
        return impl;
    }
    static const ParsedText::Impl& of(const ParsedText& parsed) {
        const Impl& impl = parts(parsed);
        impl.readDocument();
        return impl;
    }
    // The parts as they are: a lean text's document may be unread.
    static ParsedText::Impl& parts(ParsedText& parsed) {
        if (!parsed.impl) parsed.impl = std::make_unique<Impl>();
        return *parsed.impl;
    }
    static const ParsedText::Impl& parts(const ParsedText& parsed) {
        static const Impl empty;
        return parsed.impl ? *parsed.impl : empty;
    }
    // Places values by the lean document when there is one, so that
    // placing issues never reads the document.
    static Locator locatorOf(const ParsedText& parsed, bool remember);
};

// parseTextLean over a text the caller keeps unchanged while the parse
// lives.
ParsedText parseTextLeanOver(std::string_view text);
const LeanDocument* leanDocumentOf(const ParsedText& parsed);

}  // namespace OrvexConfigValidate
