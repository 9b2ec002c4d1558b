#include "FixFiles.hpp"

#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>

#include "EditTrail.hpp"
#include "UnifiedDiff.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

// One file of a validation call, as read.
struct ReadFile {
    std::string path;  // as named
    std::string text;
    std::shared_ptr<const FixSource> source;
};

// A file however named: its device and inode.
using FileKey = std::pair<dev_t, ino_t>;

// The texts of one validation call, fixed round after round.
class UnitFixer {
  public:
    UnitFixer(std::string schemaId, std::vector<ReadFile> files)
        : schemaId_(std::move(schemaId)), files_(std::move(files)) {
        for (const ReadFile& file : files_) {
            texts_.push_back(file.text);
            trails_.emplace_back(file.text.size());
        }
        applied_.assign(files_.size(), 0);
    }

    void run(const ValidateOptions& options) {
        for (int round = 0; round < kFixRounds && runRound(options); ++round) {
        }
    }

    void collect(std::vector<FileFix>& out, std::set<FileKey>& seen) {
        for (std::size_t s = 0; s < files_.size(); ++s) {
            const struct stat& status = files_[s].source->status();
            if (!seen.insert({status.st_dev, status.st_ino}).second || applied_[s] == 0) continue;
            out.push_back({files_[s].path, std::move(files_[s].text), trails_[s].edits(),
                           applied_[s], files_[s].source});
        }
    }

  private:
    bool runRound(const ValidateOptions& options) {
        const auto check = [this, &options](const std::vector<std::string>& texts) {
            return texts.size() == 2 ? validateTextPair(texts[0], texts[1], options)
                                     : validateText(schemaId_, texts[0], options);
        };
        std::vector<AppliedFixes> round = fixRound(texts_, check);
        bool any = false;
        for (std::size_t s = 0; s < texts_.size(); ++s) {
            AppliedFixes& fixed = round[s];
            if (fixed.applied == 0) continue;
            trails_[s].apply(fixed.edits);
            texts_[s] = std::move(fixed.text);
            applied_[s] += fixed.applied;
            any = true;
        }
        return any;
    }

    std::string schemaId_;
    std::vector<ReadFile> files_;  // as read
    std::vector<std::string> texts_;
    std::vector<EditTrail> trails_;
    std::vector<std::size_t> applied_;
};

std::optional<ReadFile> readFile(const std::string& path, const CheckOptions& options) {
    FixRead read = readFixSource(path, options.maxSize);
    if (!read.source) return std::nullopt;
    return ReadFile{path, std::move(read.text), std::move(read.source)};
}

// A deployment's bridges file is the one its server names.
std::optional<UnitFixer> deploymentFixer(const std::string& serverFile,
                                         const CheckOptions& options) {
    DeploymentOptions deployment;
    deployment.validate = options.validate;
    deployment.maxFileSize = options.maxSize;
    std::vector<ReadFile> reads;
    deployment.read = [&reads, &options](const std::string& path) {
        FixRead read = readFixSource(path, options.maxSize);
        if (!read.source) return FileText{std::nullopt, read.error};
        reads.push_back({path, read.text, std::move(read.source)});
        return FileText{std::move(read.text), ""};
    };
    const Deployment found = checkDeployment(serverFile, deployment);
    const auto take = [&reads](const std::string& path) -> std::optional<ReadFile> {
        for (auto read = reads.begin(); read != reads.end(); ++read) {
            if (read->path != path) continue;
            std::optional<ReadFile> taken(std::move(*read));
            reads.erase(read);
            return taken;
        }
        return std::nullopt;
    };
    std::optional<ReadFile> server = take(found.serverFile);
    std::optional<ReadFile> bridges =
        found.bridgesFound ? take(found.bridgesFile) : std::optional<ReadFile>();
    if (!server) return std::nullopt;
    if (!bridges) return UnitFixer(kServerSchemaId, {std::move(*server)});
    return UnitFixer(kEnvelopeSchemaId, {std::move(*server), std::move(*bridges)});
}

std::optional<UnitFixer> fixerOf(const CheckUnit& unit, const CheckOptions& options) {
    if (unit.deployment) return deploymentFixer(unit.paths.front(), options);
    std::vector<ReadFile> files;
    for (const std::string& path : unit.paths) {
        std::optional<ReadFile> file = readFile(path, options);
        if (!file) return std::nullopt;
        files.push_back(std::move(*file));
    }
    return UnitFixer(unit.schemaId, std::move(files));
}

}  // namespace

std::vector<FileFix> planFixes(const InputPlan& plan, const CheckOptions& options) {
    std::vector<FileFix> fixes;
    std::set<FileKey> seen;
    for (const CheckUnit& unit : plan.plan.units) {
        std::optional<UnitFixer> fixer = fixerOf(unit, options);
        if (!fixer) continue;
        fixer->run(options.validate);
        fixer->collect(fixes, seen);
    }
    return fixes;
}

std::vector<std::string> irregularInputs(const InputPlan& plan) {
    std::vector<std::string> out;
    std::set<std::string> seen;
    for (const CheckUnit& unit : plan.plan.units) {
        for (const std::string& path : unit.paths) {
            struct stat status {};
            // stat does not open: a FIFO without a writer does not block it.
            if (::stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode)) continue;
            if (seen.insert(path).second) out.push_back(path);
        }
    }
    return out;
}

std::string fixedText(const FileFix& fix) {
    std::string out;
    std::size_t at = 0;
    for (const TextEdit& edit : fix.edits) {
        out.append(fix.text, at, edit.offset - at).append(edit.newText);
        at = edit.offset + edit.length;
    }
    return out.append(fix.text, at, std::string::npos);
}

std::optional<std::string> diffOf(const FileFix& fix, const std::string& workingDirectory) {
    namespace fs = std::filesystem;
    const fs::path here(workingDirectory);
    const fs::path named(fix.path);
    // "./x", "x/../y" and an absolute path under here name the file as git
    // apply, run here, finds it; a path that leaves here cannot be named.
    const fs::path path = here.empty() ? named.lexically_normal()
                                       : (here / named).lexically_normal().lexically_relative(here);
    if (path.empty() || path.is_absolute() || *path.begin() == "..") return std::nullopt;
    return unifiedDiff(fix.text, fix.edits, path.generic_string());
}

}  // namespace OrvexConfigValidate::Tool
