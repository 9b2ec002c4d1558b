#include <orvexconfigvalidate/Pages.hpp>
#include <orvexconfigvalidate/Validation.hpp>

#include <algorithm>
#include <utility>

#include "json/JsonReader.hpp"
#include "json/Locator.hpp"
#include "json/ParsedTextAccess.hpp"

namespace OrvexConfigValidate {

Document::Document() = default;
Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

bool Document::ok() const {
    return ParsedTextAccess::parts(*this).ok;
}

std::string_view Document::text() const {
    return ParsedTextAccess::parts(*this).text;
}

const std::vector<Issue>& Document::issues() const {
    return ParsedTextAccess::parts(*this).issues;
}

JsonView Document::root() const {
    const LeanDocument* lean = leanDocumentOf(*this);
    return lean == nullptr ? JsonView() : lean->view(LeanDocument::root());
}

nlohmann::json Document::toJson() const {
    return root().toJson();
}

Locator ParsedTextAccess::locatorOf(const Document& parsed) {
    return Locator(leanDocumentOf(parsed));
}

TextLocation Document::locate(std::string_view pointer) const {
    return ParsedTextAccess::locatorOf(*this).locate(pointer);
}

std::vector<TextLocation> Document::locateAll(const std::vector<std::string>& pointers) const {
    Locator locator = ParsedTextAccess::locatorOf(*this);
    std::vector<TextLocation> places;
    places.reserve(pointers.size());
    for (const std::string& pointer : pointers) places.push_back(locator.locate(pointer));
    return places;
}

std::string Document::pointerAt(std::size_t offset) const {
    return ParsedTextAccess::locatorOf(*this).pointerAt(offset);
}

TextLocation Document::position(std::size_t offset) const {
    return ParsedTextAccess::parts(*this).index.at(offset, 0);
}

namespace {

Document read(std::string_view text, std::shared_ptr<const void> keeper) {
    Document parsed;
    auto impl = std::make_unique<ParsedTextAccess::Impl>();
    impl->keeper = std::move(keeper);
    impl->text = text;
    // Room for a value every 8 bytes: a dense file (about 16 bytes a value)
    // never moves the index, whose copy would add its size to the peak, and
    // the room it leaves unused is never touched, so never resident.
    impl->index.nodes.reserve(std::min(text.size(), kMaxTextSize) / 8 + 16);
    adviseHugePages(impl->index.nodes.data(), impl->index.nodes.capacity() * sizeof(TextNode));
    UnescapedStrings strings;
    impl->ok = readJsonLean(text, impl->index, strings, impl->issues);
    if (impl->ok) {
        impl->lean = std::make_unique<LeanDocument>(text, impl->index, std::move(strings));
    }
    ParsedTextAccess::adopt(parsed, std::move(impl));
    return parsed;
}

}  // namespace

Document parseText(std::string_view text) {
    auto copy = std::make_shared<const std::string>(text);
    const std::string_view kept(*copy);
    return read(kept, std::move(copy));
}

Document parseText(std::string_view text, std::shared_ptr<const void> keeper) {
    return read(text, std::move(keeper));
}

Document parseTextLeanOver(std::string_view text) {
    return read(text, nullptr);
}

const LeanDocument* leanDocumentOf(const Document& parsed) {
    return ParsedTextAccess::parts(parsed).lean.get();
}

}  // namespace OrvexConfigValidate
