// Which schema an open document follows, which file of its deployment it
// is checked with, and the snapshots that come of it. Protocol-free: the
// protocol layer turns publications into diagnostics.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <orvexconfigvalidate/Deployment.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>
#include <orvexconfigvalidate/Workspace.hpp>

#include "ProjectIssues.hpp"

namespace OrvexConfigValidate::Lsp {

struct CheckSettings {
    ValidateOptions options;
    // Schema ids chosen by the editor, keyed by URI, path or file name.
    std::vector<std::pair<std::string, std::string>> schemaChoices;
};

// The workspace an editor checks in: the issues of one check kept for
// publishing are those of a pair's two files.
WorkspaceOptions workspaceOptions(const CheckSettings& settings);

// What the editor is to be told about one document.
struct Publication {
    std::string uri;
    std::optional<std::int64_t> version;  // absent for a closed document
    // The version checked; null for a closed document or one no schema
    // applies to (an empty list).
    std::shared_ptr<const Snapshot> snapshot;
    // Why the check did not run to its end, said instead of its issues.
    std::string failure;
};

class Checker {
  public:
    Checker(Workspace& workspace, CheckSettings settings);
    ~Checker();

    // The editor's folders: each one's deployments are indexed whole, by a
    // bounded walk made when a file in it is first checked (not at the
    // start, which an editor waits for). A folder listed twice, or inside
    // another one listed, is walked once, with the outer one. Files outside
    // them are paired through their own folder and those above it.
    void setRoots(const std::vector<std::string>& folders);
    // Told of each folder's walk, once it is made.
    using WalkTold = std::function<void(const std::string& folder, const WalkSummary& walked)>;
    void onWalk(WalkTold told) { walkTold = std::move(told); }

    // After a document was opened, changed, saved or closed: the document,
    // and every open document whose partner it was or is now.
    std::vector<Publication> refresh(const std::string& uri);
    // Files created, changed or deleted on disk: every open document that
    // may be one half of a deployment.
    std::vector<Publication> filesChanged(const std::vector<std::string>& paths);

    const Validator& schemas() const { return workspace.validator(); }
    // How many edits had their issues carried over rather than the whole
    // text checked again.
    std::size_t carriedEdits() const { return workspace.carriedVersions(); }

    // The schema id of an open document; "" when none applies.
    std::string schemaIdFor(const std::string& uri);

    // The site rules' issues of the versions checked.
    const ProjectIssues& project() const { return projectIssues; }

  private:
    struct Partner {
        std::string path;
        bool isServer = false;
    };

    void check(const std::string& uri, std::set<std::string>& done, std::vector<Publication>& out);
    std::string chosenSchemaId(const std::string& uri, const std::string& path) const;
    bool mayPair(const std::string& uri) const;
    std::optional<Partner> partnerOf(const std::string& path, const std::string& schemaId);
    // The open document of a path, or "".
    std::string openUriOf(const std::string& path) const;
    DeploymentIndex& indexFor(const std::string& path);

    struct Root {
        std::string folder;
        std::unique_ptr<DeploymentIndex> index;  // null until first needed
    };
    Root* rootOf(const std::string& path);

    Workspace& workspace;
    CheckSettings settings;
    std::vector<Root> roots;
    WalkTold walkTold;
    // For files outside every root: their own folder and those above it.
    std::unique_ptr<DeploymentIndex> loose;
    // The partner each open document was last checked with.
    std::map<std::string, std::string> lastPartner;
    ProjectIssues projectIssues;
};

}  // namespace OrvexConfigValidate::Lsp
