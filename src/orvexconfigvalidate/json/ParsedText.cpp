#include <orvexconfigvalidate/Pages.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include <algorithm>

#include "json/JsonReader.hpp"
#include "json/Locator.hpp"
#include "json/ParsedTextAccess.hpp"

namespace OrvexConfigValidate {

ParsedText::ParsedText() : impl(std::make_unique<Impl>()) {}
ParsedText::~ParsedText() = default;
ParsedText::ParsedText(ParsedText&&) noexcept = default;
ParsedText& ParsedText::operator=(ParsedText&&) noexcept = default;

bool ParsedText::ok() const {
    return ParsedTextAccess::parts(*this).ok;
}

const nlohmann::json& ParsedText::document() const {
    return ParsedTextAccess::of(*this).document;
}

nlohmann::json& ParsedText::document() {
    return ParsedTextAccess::of(*this).document;
}

const std::vector<Issue>& ParsedText::issues() const {
    return ParsedTextAccess::parts(*this).issues;
}

Locator ParsedTextAccess::locatorOf(const ParsedText& parsed, bool remember) {
    const Impl& parts = ParsedTextAccess::parts(parsed);
    if (parts.leanOnly() != nullptr) return Locator(*parts.lean);
    return Locator(parts.index, ParsedTextAccess::of(parsed).document, remember);
}

TextLocation ParsedText::locate(std::string_view pointer) const {
    return ParsedTextAccess::locatorOf(*this, false).locate(pointer);
}

std::vector<TextLocation> ParsedText::locateAll(const std::vector<std::string>& pointers) const {
    Locator locator = ParsedTextAccess::locatorOf(*this, true);
    std::vector<TextLocation> places;
    places.reserve(pointers.size());
    for (const std::string& pointer : pointers) places.push_back(locator.locate(pointer));
    return places;
}

std::string ParsedText::pointerAt(std::size_t offset) const {
    return ParsedTextAccess::locatorOf(*this, false).pointerAt(offset);
}

TextLocation ParsedText::position(std::size_t offset) const {
    return ParsedTextAccess::parts(*this).index.at(offset, 0);
}

ParsedText parseText(std::string_view text) {
    return parseText(text, nullptr);
}

ParsedText parseText(std::string_view text, const ReadProgress& progress) {
    ParsedText parsed;
    ParsedTextAccess::Impl& impl = ParsedTextAccess::of(parsed);
    // Configuration files spend well over ten bytes per value; a denser
    // text only makes the index grow once or twice more.
    impl.index.nodes.reserve(std::min(text.size(), kMaxTextSize) / 16 + 16);
    impl.ok = readJson(text, impl.document, impl.index, impl.issues, progress, &impl.numbers);
    return parsed;
}

void ParsedText::Impl::readDocument() const {
    if (!lean) return;
    std::call_once(documentRead, [this] {
        // The one change a const Impl makes: its document appears, once.
        Impl& self = const_cast<Impl&>(*this);
        TextIndex again;
        again.nodes.reserve(index.nodes.size());
        std::vector<Issue> same;
        readJson(source, self.document, again, same, nullptr, &self.numbers);
        documentReady.store(true, std::memory_order_release);
    });
}

namespace {

void readLean(ParsedTextAccess::Impl& impl, const ReadProgress& progress) {
    // Room for a value every 8 bytes: a dense file (about 16 bytes a value)
    // never moves the index, whose copy would add its size to the peak, and
    // the room it leaves unused is never touched, so never resident.
    impl.index.nodes.reserve(std::min(impl.source.size(), kMaxTextSize) / 8 + 16);
    adviseHugePages(impl.index.nodes.data(), impl.index.nodes.capacity() * sizeof(TextNode));
    UnescapedStrings strings;
    impl.ok = readJsonLean(impl.source, impl.index, strings, impl.issues, progress);
    if (impl.ok) {
        impl.lean = std::make_unique<LeanDocument>(impl.source, impl.index, std::move(strings));
    }
}

}  // namespace

ParsedText parseTextLean(std::string text, const ReadProgress& progress) {
    ParsedText parsed;
    ParsedTextAccess::Impl& impl = ParsedTextAccess::parts(parsed);
    impl.text = std::move(text);
    impl.source = impl.text;
    readLean(impl, progress);
    return parsed;
}

ParsedText parseTextLean(std::string_view text, std::shared_ptr<const void> keeper) {
    ParsedText parsed;
    ParsedTextAccess::Impl& impl = ParsedTextAccess::parts(parsed);
    impl.keeper = std::move(keeper);
    impl.source = text;
    readLean(impl, nullptr);
    return parsed;
}

ParsedText parseTextLeanOver(std::string_view text) {
    ParsedText parsed;
    ParsedTextAccess::Impl& impl = ParsedTextAccess::parts(parsed);
    impl.source = text;
    readLean(impl, nullptr);
    return parsed;
}

const LeanDocument* leanDocumentOf(const ParsedText& parsed) {
    return ParsedTextAccess::parts(parsed).lean.get();
}

// A lean document's root never changes, unlike a document handed out.
JsonView ParsedText::root() const {
    if (const LeanDocument* lean = leanDocumentOf(*this)) return lean->view(LeanDocument::root());
    return ParsedTextAccess::parts(*this).document;
}

}  // namespace OrvexConfigValidate
