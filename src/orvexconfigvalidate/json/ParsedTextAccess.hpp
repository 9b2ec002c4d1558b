// The library's own view of a ParsedText's parts.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include "json/LeanDocument.hpp"
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

    // A text read without a document keeps the text and a LeanDocument
    // over it; the document is read again from the text on first use.
    std::string text;
    std::unique_ptr<LeanDocument> lean;
    mutable std::once_flag documentRead;
    void readDocument() const;
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
};

// Reads `text` without building its document: ok(), issues() and
// position() come from the index, lean() is set when it parsed, and every
// other use reads the document from the kept text first.
ParsedText parseTextLean(std::string text, const ReadProgress& progress);
const LeanDocument* leanDocumentOf(const ParsedText& parsed);

}  // namespace OrvexConfigValidate
