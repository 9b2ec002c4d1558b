#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Deployment.hpp>
#include <orvexconfigvalidate/JsonWriter.hpp>

#include "Verdict.hpp"
#include "model/Paths.hpp"

namespace OrvexConfigValidate {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::string quoted(const std::string& name) {
    return jsonString(name);
}

// A relative name that climbs out of the folder, or names the folder itself.
bool leavesFolder(const fs::path& relative) {
    const fs::path normal = relative.lexically_normal();
    return normal.empty() || normal == "." || *normal.begin() == "..";
}

BridgesFileChoice namedFile(const std::string& folder, const std::string& name,
                            BridgesFileReading reading) {
    BridgesFileChoice choice;
    choice.named = true;
    const std::string shown = quoted(name);
    if (name.empty() || name.find('\0') != std::string::npos) {
        choice.problem = std::string("\"") + kBridgesFileMember + "\" names no usable file";
        return choice;
    }
    const fs::path given(name);
    if (reading == BridgesFileReading::AsTheServer) {
        // Not normalised: "conf/../b.json" through a linked "conf" is
        // another file, and the server leaves that to the system.
        choice.path = given.is_absolute() ? name : joinPath(folder, name);
        return choice;
    }
    if (given.is_absolute()) {
        const std::string last = given.filename().string();
        if (last.empty() || last == "." || last == "..") {
            choice.problem = "bridges file " + shown + " names a folder, not a file";
            return choice;
        }
        choice.path = joinPath(folder, last);
    } else if (leavesFolder(given)) {
        choice.problem =
            "bridges file " + shown + " lies outside the server file's folder; it is not read";
        return choice;
    } else {
        choice.path = joinPath(folder, given.lexically_normal().generic_string());
    }
    if (!staysWithin(folder, choice.path)) {
        choice.problem = "bridges file " + shown +
                         " leads outside the server file's folder through a symbolic link; it "
                         "is not read";
        choice.path.clear();
    }
    return choice;
}

std::string tooLarge(std::uint64_t maxSize) {
    return "cannot read file: larger than the limit of " + std::to_string(maxSize) + " bytes";
}

FileText readDescriptor(int fd, std::uint64_t maxSize) {
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return {std::nullopt, "cannot read file: " + std::string(std::strerror(errno))};
    if (S_ISDIR(status.st_mode)) return {std::nullopt, "cannot read file: is a directory"};
    if (!S_ISREG(status.st_mode)) return {std::nullopt, "cannot read file: not a regular file"};
    if (static_cast<std::uint64_t>(status.st_size) > maxSize)
        return {std::nullopt, tooLarge(maxSize)};
    std::string text(static_cast<std::size_t>(status.st_size) + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == text.size()) {
            if (size > maxSize) return {std::nullopt, tooLarge(maxSize)};
            text.resize(text.size() * 2);  // the file grew while read
        }
        const ssize_t got = ::read(fd, text.data() + size, text.size() - size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0)
            return {std::nullopt, "cannot read file: " + std::string(std::strerror(errno))};
        if (got == 0) break;
        size += static_cast<std::size_t>(got);
    }
    if (size > maxSize) return {std::nullopt, tooLarge(maxSize)};
    text.resize(size);
    return {std::move(text), ""};
}

Issue fileIssue(int source, const char* code, std::string message) {
    Issue issue;
    issue.severity = Severity::Error;
    issue.path = "/";
    issue.code = code;
    issue.message = std::move(message);
    issue.source = source;
    return issue;
}

void addIssue(Deployment& deployment, Issue issue) {
    deployment.result.addIssue(std::move(issue));
}

// The server judged alone, with the reason its bridges file is not there.
void judgeServerAlone(const Validator& validator, Deployment& deployment,
                      const BridgesFileChoice& choice, const ValidateOptions& options) {
    ParsedText& server = *deployment.server;
    deployment.result = validator.validateText(kServerSchemaId, server, options);
    if (!server.ok()) return;  // its parse error says enough
    std::string message = choice.problem;
    if (message.empty() && !choice.named) {
        message = std::string("the server reads \"") + kBridgesFileName + "\" when \"" +
                  kBridgesFileMember + "\" is not set, and there is no " + choice.path;
    } else if (message.empty()) {
        message = "bridges file " +
                  quoted(std::string(server.root().member(kBridgesFileMember).string())) +
                  " not found (looked for " + choice.path + ")";
    }
    Issue issue = fileIssue(0, IssueCode::kMissingBridgesFile, std::move(message));
    if (choice.named) {
        issue.pointer = std::string("/") + kBridgesFileMember;
        issue.path = issue.pointer;
        issue.location = server.locate(issue.pointer);
    }
    addIssue(deployment, std::move(issue));
}

FileText readWith(const DeploymentOptions& options, const std::string& path) {
    return options.read ? options.read(path) : readConfigurationFile(path, options.maxFileSize);
}

}  // namespace

bool staysWithin(const std::string& folder, const std::string& path) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) return true;  // nothing to follow
    const fs::path root = fs::canonical(folder, ec);
    if (ec) return false;
    const fs::path target = fs::canonical(path, ec);
    if (ec) return true;  // a dangling link reads nothing
    const auto [rootEnd, unused] = std::mismatch(root.begin(), root.end(), target.begin());
    (void)unused;
    return rootEnd == root.end();
}

BridgesFileChoice bridgesFileFor(const std::string& serverFile, JsonView server,
                                 BridgesFileReading reading) {
    const std::string folder = folderOf(serverFile);
    const JsonView member = server.member(kBridgesFileMember);
    if (!member.isString()) {
        BridgesFileChoice choice;
        choice.path = joinPath(folder, kBridgesFileName);
        if (reading == BridgesFileReading::InFolder && !staysWithin(folder, choice.path)) {
            choice.problem = std::string("\"") + kBridgesFileName +
                             "\" leads outside the server file's folder through a symbolic "
                             "link; it is not read";
            choice.path.clear();
        }
        return choice;
    }
    return namedFile(folder, std::string(member.string()), reading);
}

FileText readConfigurationFile(const std::string& path, std::uint64_t maxSize) {
    // A device is not even opened: opening one may act (a tape rewinds).
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
        return {std::nullopt, S_ISDIR(named.st_mode) ? "cannot read file: is a directory"
                                                     : "cannot read file: not a regular file"};
    }
    // Non-blocking, so that a named pipe put in its place since does not
    // hang the open; it is then refused as not a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {std::nullopt, "cannot read file: " + std::string(std::strerror(errno))};
    FileText text;
    try {
        text = readDescriptor(fd, maxSize);
    } catch (const std::bad_alloc&) {
        text = {std::nullopt, "cannot read file: not enough memory to read it"};
    }
    ::close(fd);
    return text;
}

Deployment checkDeployment(const Validator& validator, const std::string& serverFile,
                           const DeploymentOptions& options) {
    Deployment deployment;
    deployment.serverFile = serverFile;
    FileText serverText = readWith(options, serverFile);
    if (!serverText.text) {
        addIssue(deployment, fileIssue(0, IssueCode::kReadError, serverText.error));
        applyVerdict(deployment.result, options.validate);
        return deployment;
    }
    deployment.server = parseText(*serverText.text);
    serverText.text.reset();
    const BridgesFileChoice choice =
        bridgesFileFor(serverFile, deployment.server->root(), options.reading);
    deployment.bridgesFile = choice.path;
    std::error_code ec;
    FileText bridgesText;
    if (!choice.path.empty() && (options.read || fs::exists(choice.path, ec))) {
        bridgesText = readWith(options, choice.path);
        deployment.bridgesFound = bridgesText.text.has_value() || fs::exists(choice.path, ec);
    }
    if (!deployment.bridgesFound) {
        judgeServerAlone(validator, deployment, choice, options.validate);
        return deployment;
    }
    if (!bridgesText.text) {
        deployment.result =
            validator.validateText(kServerSchemaId, *deployment.server, options.validate);
        addIssue(deployment, fileIssue(1, IssueCode::kReadError, bridgesText.error));
        applyVerdict(deployment.result, options.validate);
        return deployment;
    }
    deployment.bridges = parseText(*bridgesText.text);
    bridgesText.text.reset();
    deployment.result =
        validator.validateTextPair(*deployment.server, *deployment.bridges, options.validate);
    return deployment;
}

}  // namespace OrvexConfigValidate
