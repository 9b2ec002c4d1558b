#include "FixFiles.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>

#include <orvexconfigvalidate/Configuration.hpp>

#include "EditTrail.hpp"
#include "FixRound.hpp"
#include "Output.hpp"
#include "UnifiedDiff.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

// Each round re-checks the texts; fixes rarely wait more than one.
constexpr int kRounds = 4;

// The texts of one validation call, fixed round after round.
class UnitFixer {
  public:
    UnitFixer(std::string schemaId, std::vector<std::string> paths, std::vector<std::string> texts)
        : schemaId_(std::move(schemaId)), paths_(std::move(paths)), texts_(std::move(texts)) {
        for (const std::string& text : texts_) trails_.emplace_back(text.size());
        originals_ = texts_;
        applied_.assign(texts_.size(), 0);
    }

    void run(const ValidateOptions& options) {
        for (int round = 0; round < kRounds && runRound(options); ++round) {
        }
    }

    void collect(std::vector<FileFix>& out, std::set<std::string>& seen) {
        for (std::size_t s = 0; s < texts_.size(); ++s) {
            if (!seen.insert(paths_[s]).second || applied_[s] == 0) continue;
            out.push_back({paths_[s], std::move(originals_[s]), trails_[s].edits(), applied_[s]});
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
    std::vector<std::string> paths_;
    std::vector<std::string> texts_;
    std::vector<std::string> originals_;
    std::vector<EditTrail> trails_;
    std::vector<std::size_t> applied_;
};

std::optional<std::string> readText(const std::string& path, const CheckOptions& options) {
    LoadedInput input = loadInput(path, options.standardInput, options.maxSize);
    if (input.error) return std::nullopt;
    return std::string(input.text());
}

// A deployment's bridges file is the one its server names.
std::optional<UnitFixer> deploymentFixer(const std::string& serverFile,
                                         const CheckOptions& options) {
    DeploymentOptions deployment;
    deployment.validate = options.validate;
    deployment.maxFileSize = options.maxSize;
    std::vector<std::pair<std::string, std::string>> texts;
    deployment.read = [&texts, &options](const std::string& path) {
        FileText read = readConfigurationFile(path, options.maxSize);
        if (read.text) texts.emplace_back(path, *read.text);
        return read;
    };
    const Deployment found = checkDeployment(serverFile, deployment);
    const auto textOf = [&texts](const std::string& path) -> const std::string* {
        for (const auto& [read, text] : texts) {
            if (read == path) return &text;
        }
        return nullptr;
    };
    const std::string* server = textOf(found.serverFile);
    const std::string* bridges = found.bridgesFound ? textOf(found.bridgesFile) : nullptr;
    if (server == nullptr) return std::nullopt;
    if (bridges == nullptr) return UnitFixer(kServerSchemaId, {found.serverFile}, {*server});
    return UnitFixer(kEnvelopeSchemaId, {found.serverFile, found.bridgesFile}, {*server, *bridges});
}

std::optional<UnitFixer> fixerOf(const CheckUnit& unit, const CheckOptions& options) {
    if (unit.deployment) return deploymentFixer(unit.paths.front(), options);
    std::vector<std::string> texts;
    for (const std::string& path : unit.paths) {
        std::optional<std::string> text = readText(path, options);
        if (!text) return std::nullopt;
        texts.push_back(std::move(*text));
    }
    return UnitFixer(unit.schemaId, unit.paths, std::move(texts));
}

std::string failure(const std::string& path, const std::string& why) {
    return "cannot fix '" + path + "': " + why;
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

// Written beside the file and renamed over it: a reader sees the old text
// or the new, never a part.
std::string replaceFile(const std::string& target, mode_t mode, const std::string& text) {
    const std::filesystem::path path(target);
    std::string temporary =
        (path.parent_path() / ("." + path.filename().string() + ".fix-XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return std::string("cannot create a file beside it: ") + std::strerror(errno);
    const bool written = ::fchmod(fd, mode) == 0 &&
                         writeAll(fd, text).outcome == WriteOutcome::Written && ::fsync(fd) == 0;
    int error = errno;
    const bool closed = ::close(fd) == 0;
    if (written && !closed) error = errno;
    if (written && closed && ::rename(temporary.c_str(), target.c_str()) == 0) return "";
    if (written && closed) error = errno;
    ::unlink(temporary.c_str());
    return std::strerror(error);
}

}  // namespace

std::vector<FileFix> planFixes(const InputPlan& plan, const CheckOptions& options) {
    std::vector<FileFix> fixes;
    std::set<std::string> seen;
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

std::string writeFixed(const FileFix& fix) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // A link stays a link: the file it leads to is the one fixed.
    const fs::path target = fs::canonical(fix.path, ec);
    struct stat status {};
    if (ec || ::stat(target.c_str(), &status) != 0) {
        return failure(fix.path, ec ? ec.message() : std::strerror(errno));
    }
    // The owner may write anything; a file nobody may write is meant to stay.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
        ::access(target.c_str(), W_OK) != 0) {
        return failure(fix.path, "the file is read-only");
    }
    const std::string why = replaceFile(target.string(), status.st_mode & 07777, fixedText(fix));
    return why.empty() ? why : failure(fix.path, why);
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
