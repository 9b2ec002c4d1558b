// Fingerprints, and the report GitLab's merge-request widget reads.
#include <cstdint>
#include <filesystem>
#include <string>

#include <orvexconfigvalidate/JsonWriter.hpp>
#include <orvexconfigvalidate/Report.hpp>

namespace OrvexConfigValidate {

namespace {

using Json = nlohmann::ordered_json;

// FNV-1a over the text from a given basis; two bases make 128 bits, enough
// that two issues of a repository never share one.
std::uint64_t fnv1a(const std::string& text, std::uint64_t hash) {
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string hex(std::uint64_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[value & 15];
    return text;
}

// GitLab's scale: info, minor, major, critical, blocker.
const char* gitlabSeverity(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return "critical";
        case Severity::Warning:
            return "minor";
        default:
            return "info";
    }
}

// A path relative to the repository, which the check runs in.
std::string repositoryPath(const std::string& name) {
    namespace fs = std::filesystem;
    fs::path path(name);
    std::error_code error;
    if (path.is_absolute()) path = path.lexically_relative(fs::current_path(error));
    return path.lexically_normal().generic_string();
}

}  // namespace

std::string fingerprintOf(const Report& report, const Diagnostic& diagnostic) {
    std::string text = diagnostic.identity;
    if (text.empty()) {
        text =
            diagnostic.code + '\n' + report.files.at(diagnostic.file).name + '\n' + diagnostic.path;
    }
    return hex(fnv1a(text, 0xcbf29ce484222325ULL)) + hex(fnv1a(text, 0x84222325cbf29ce4ULL));
}

void writeGitlabReport(const Report& report, const std::function<void(std::string_view)>& out) {
    JsonWriter json(2);
    json.arrayBegin();
    for (const Diagnostic& d : report.diagnostics) {
        if (d.accepted) continue;
        const std::size_t line = d.position ? d.position->line : 1;
        Json issue = {{"description", printable(d.message)},
                      {"check_name", d.code},
                      {"fingerprint", fingerprintOf(report, d)},
                      {"severity", gitlabSeverity(d.severity)},
                      {"location",
                       {{"path", printable(repositoryPath(report.files.at(d.file).name))},
                        {"lines", {{"begin", line}}}}}};
        json.value(issue);
        out(json.take());
    }
    json.arrayEnd();
    out(json.take() + "\n");
}

}  // namespace OrvexConfigValidate
