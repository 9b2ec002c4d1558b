#include "fix/IssueFixes.hpp"

#include <algorithm>
#include <optional>
#include <string>

#include <orvexconfigvalidate/Configuration.hpp>

#include "fix/ObjectEdits.hpp"
#include "json/PointerText.hpp"
#include "semantic/GroupRules.hpp"

namespace OrvexConfigValidate {

namespace {

const char kOutputDetail[] = "bridgeTargetOutputDetail";

Fix makeFix(std::string title, std::vector<TextEdit> edits, bool safe) {
    std::sort(edits.begin(), edits.end(),
              [](const TextEdit& a, const TextEdit& b) { return a.offset < b.offset; });
    Fix fix;
    fix.title = std::move(title);
    fix.edits = std::move(edits);
    fix.safe = safe;
    return fix;
}

Fix safeFix(std::string title, std::vector<TextEdit> edits) {
    return makeFix(std::move(title), std::move(edits), true);
}

// The node of the value a pointer names, when the document has that value.
std::optional<std::uint32_t> nodeOf(std::string_view pointer, FixSite& site) {
    if (!valueAt(site.document, pointer)) return std::nullopt;
    const TextLocation location = site.locator.locate(pointer);
    if (!location.known()) return std::nullopt;
    return ObjectEdits(site.text, site.index).nodeStartingAt(location.offset);
}

std::string parentOf(std::string_view pointer) {
    const std::size_t slash = pointer.rfind('/');
    return std::string(pointer.substr(0, slash == std::string_view::npos ? 0 : slash));
}

std::vector<Fix> removeEarlier(const Issue& issue, FixSite& site) {
    const ObjectEdits edits(site.text, site.index);
    const auto earlier = edits.memberWithKeyAt(issue.related.offset);
    if (!earlier || !issue.related.known()) return {};
    const auto removal = edits.removeMember(*earlier);
    if (!removal || removal->offset + removal->length > issue.location.offset) return {};
    const auto tokens = splitPointer(issue.pointer);
    const std::string name = tokens && !tokens->empty() ? tokens->back() : std::string();
    return {safeFix("Remove the earlier " + jsonString(name), {*removal})};
}

std::vector<Fix> renameMember(const Issue& issue, std::string_view pointer, FixSite& site) {
    const std::string& name = issue.suggestion;
    const JsonView parent = valueAt(site.document, parentOf(pointer));
    // A name the object holds already would make a second member of it.
    if (!parent.isObject() || parent.member(name)) return {};
    const auto node = nodeOf(pointer, site);
    if (!node) return {};
    const auto edit = ObjectEdits(site.text, site.index).renameMember(*node, name);
    if (!edit) return {};
    return {safeFix("Rename to " + jsonString(name), {*edit})};
}

std::vector<Fix> replaceReference(const Issue& issue, std::string_view pointer, FixSite& site) {
    const auto node = nodeOf(pointer, site);
    if (!node) return {};
    const std::string id = jsonString(issue.suggestion);
    // Another group is another group: a typo would pass as a working bridge
    // of the wrong one, so only the operator may choose it.
    return {makeFix("Replace with " + id,
                    {ObjectEdits(site.text, site.index).replaceValue(*node, id)}, false)};
}

std::vector<Fix> addRequired(const Issue& issue, std::string_view pointer, FixSite& site) {
    const JsonView object = valueAt(site.document, pointer);
    const auto node = nodeOf(pointer, site);
    if (!object.isObject() || !node) return {};
    std::vector<NewMember> members;
    std::string title = "Add";
    for (const auto& [name, value] : issue.suggestedMembers) {
        if (object.member(name)) return {};
        members.emplace_back(name, value);
        title +=
            (members.size() > 1 ? ", " : " ") + jsonString(name) + ": " + members.back().second;
    }
    if (members.empty()) return {};
    return {safeFix(title, {ObjectEdits(site.text, site.index).addMembers(*node, members)})};
}

std::int32_t readOr(JsonView value, std::int32_t fallback) {
    if (!value) return fallback;
    return readInt32(value).value_or(fallback);
}

// Writes what the server forces, changing only what differs from it.
class ForcedWriter {
  public:
    ForcedWriter(JsonView group, std::uint32_t node, FixSite& site)
        : group_(group), node_(node), edits_(site.text, site.index) {}

    void type(std::int32_t forced) {
        const JsonView current = group_.member("type");
        if (readOr(current, gtUnknown) == forced) return;
        const auto member = edits_.memberOf(node_, group_, "type");
        if (member) {
            out_.push_back(edits_.replaceValue(*member, std::to_string(forced)));
        } else {
            added_.emplace_back("type", std::to_string(forced));
        }
    }

    void outputMode(std::int32_t forced) {
        const JsonView detail = group_.member(kOutputDetail);
        const JsonView mode = detail.member("mode");
        // As the server reads it: anything but an object means bomRaw.
        if (readOr(mode, bomRaw) == forced) return;
        const std::string modeText = std::to_string(forced);
        const auto detailNode = edits_.memberOf(node_, group_, kOutputDetail);
        if (!detailNode) {
            added_.emplace_back(kOutputDetail, "{\"mode\": " + modeText + "}");
        } else if (!detail.isObject()) {
            out_.push_back(edits_.replaceValue(*detailNode, "{\"mode\": " + modeText + "}"));
        } else if (const auto modeNode = edits_.memberOf(*detailNode, detail, "mode")) {
            out_.push_back(edits_.replaceValue(*modeNode, modeText));
        } else {
            out_.push_back(edits_.addMembers(*detailNode, {{"mode", modeText}}));
        }
    }

    std::vector<TextEdit> finish() {
        if (!added_.empty()) out_.push_back(edits_.addMembers(node_, added_));
        return std::move(out_);
    }

  private:
    JsonView group_;
    std::uint32_t node_;
    ObjectEdits edits_;
    std::vector<NewMember> added_;
    std::vector<TextEdit> out_;
};

std::vector<Fix> writeForced(const ForcedGroupSettings& forced, std::string_view pointer,
                             FixSite& site) {
    const JsonView group = valueAt(site.document, pointer);
    const auto node = nodeOf(pointer, site);
    if (!group.isObject() || !node) return {};
    ForcedWriter writer(group, *node, site);
    std::string title = "Write what the server forces:";
    if (forced.type) {
        writer.type(*forced.type);
        title += " type " + std::string(groupTypeName(*forced.type)) + ",";
    }
    writer.outputMode(forced.outputMode);
    title += " output mode " + std::string(bridgingOpModeName(forced.outputMode));
    std::vector<TextEdit> edits = writer.finish();
    if (edits.empty()) return {};
    return {safeFix(title, std::move(edits))};
}

void forcedMembers(const ForcedGroupSettings& forced, const std::string& group,
                   std::vector<WrittenMember>& out) {
    if (forced.type) out.emplace_back(group, "type");
    out.emplace_back(group, kOutputDetail);
    out.emplace_back(group + "/" + kOutputDetail, "mode");
}

}  // namespace

std::vector<WrittenMember> membersWritten(const Issue& issue) {
    std::vector<WrittenMember> out;
    if (issue.code == IssueCode::kUnknownMember && !issue.suggestion.empty()) {
        out.emplace_back(parentOf(issue.pointer), issue.suggestion);
    } else if (const ForcedGroupSettings* forced = forcedGroupSettings(issue.code)) {
        forcedMembers(*forced, issue.pointer, out);
    } else if (issue.code == IssueCode::kSchema) {
        for (const auto& member : issue.suggestedMembers)
            out.emplace_back(issue.pointer, member.first);
    }
    return out;
}

bool mayHaveFixes(const Issue& issue) {
    if (issue.code == IssueCode::kDuplicateKey) return true;
    if (forcedGroupSettings(issue.code) != nullptr) return true;
    if (issue.code == IssueCode::kUnknownMember || issue.code == IssueCode::kMissingGroupRef) {
        return !issue.suggestion.empty();
    }
    return issue.code == IssueCode::kSchema && !issue.suggestedMembers.empty();
}

std::vector<Fix> fixesFor(const Issue& issue, std::string_view pointer, FixSite& site) {
    if (!mayHaveFixes(issue)) return {};
    if (issue.code == IssueCode::kDuplicateKey) return removeEarlier(issue, site);
    if (issue.code == IssueCode::kUnknownMember) return renameMember(issue, pointer, site);
    if (issue.code == IssueCode::kMissingGroupRef) return replaceReference(issue, pointer, site);
    if (const ForcedGroupSettings* forced = forcedGroupSettings(issue.code)) {
        return writeForced(*forced, pointer, site);
    }
    return addRequired(issue, pointer, site);
}

}  // namespace OrvexConfigValidate
