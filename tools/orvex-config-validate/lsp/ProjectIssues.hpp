// The project file as the language server sees it: the site rules of the
// project a checked document lies under, their issues for each checked
// version, and the entry that accepts an issue. Protocol-free: the protocol
// layer (ProjectActions) turns these into diagnostics and code actions.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Project.hpp>
#include <orvexconfigvalidate/Workspace.hpp>

namespace OrvexConfigValidate::Lsp {

// What the check of one pair gives the site rules.
struct CheckedPair {
    std::string path;  // the checked document's file
    std::shared_ptr<const Snapshot> own;
    std::string partnerPath;  // "" without a partner
    bool partnerIsServer = false;
    // The partner's snapshot when it is open, else its text from disk.
    std::shared_ptr<const Snapshot> partner;
    const std::string* partnerText = nullptr;
};

// An edit of the project file that accepts an issue: the whole new text,
// written as the least edit by the protocol layer.
struct AcceptEdit {
    std::string projectPath;
    std::string oldText;
    std::string newText;
};

class ProjectIssues {
  public:
    // Runs the site rules of the project (if any) on a checked pair and
    // keeps each open document's issues for its version.
    void afterCheck(const CheckedPair& pair);
    // The site issues of a document's version, placed in its text; null
    // when none were found for that version.
    const std::vector<Issue>* issuesOf(const std::string& key, std::int64_t version) const;
    void forget(const std::string& key) { states_.erase(key); }

    // The entry that accepts one of a version's issues (its own or a site
    // issue), added with an empty reason to the project file above the
    // document; nothing without one, or for an issue that cannot be
    // accepted.
    std::optional<AcceptEdit> acceptEdit(const Snapshot& snapshot, const std::string& path,
                                         const Issue& issue) const;

  private:
    struct State {
        std::int64_t version = 0;
        std::vector<Issue> issues;
    };
    std::map<std::string, State> states_;
};

}  // namespace OrvexConfigValidate::Lsp
