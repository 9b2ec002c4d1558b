#include "model/Paths.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace OrvexConfigValidate {

namespace {

namespace fs = std::filesystem;

fs::path normal(const std::string& path) {
    fs::path p = fs::path(path).lexically_normal();
    // "a/b/" names the folder "a/b".
    if (!p.has_filename() && p.has_relative_path()) p = p.parent_path();
    return p.empty() ? fs::path(".") : p;
}

fs::path absoluteNormal(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(normal(path), ec);
    return normal((ec ? fs::path(path) : absolute).generic_string());
}

}  // namespace

std::string folderOf(const std::string& file) {
    const std::string parent = fs::path(file).parent_path().generic_string();
    return parent.empty() ? "." : parent;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (fs::path(folder).lexically_normal() == ".") return name;
    return (fs::path(folder) / name).generic_string();
}

std::string pathKey(const std::string& path) {
    return normal(path).generic_string();
}

std::string fileIdentity(const std::string& path) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical.generic_string();
}

bool lexicallyWithin(const std::string& folder, const std::string& path) {
    const fs::path root = absoluteNormal(folder);
    const fs::path inner = absoluteNormal(path);
    const auto rootEnd = std::mismatch(root.begin(), root.end(), inner.begin(), inner.end()).first;
    return rootEnd == root.end();
}

bool inHiddenFolder(const std::string& root, const std::string& path) {
    const fs::path folder =
        absoluteNormal(path).lexically_relative(absoluteNormal(root)).parent_path();
    return std::any_of(folder.begin(), folder.end(), [](const fs::path& part) {
        const std::string name = part.generic_string();
        return name.size() > 1 && name[0] == '.' && name != "..";
    });
}

bool walkOrderBefore(const std::string& a, const std::string& b) {
    const fs::path left = normal(a);
    const fs::path right = normal(b);
    return std::lexicographical_compare(
        left.begin(), left.end(), right.begin(), right.end(),
        [](const fs::path& x, const fs::path& y) { return x.native() < y.native(); });
}

}  // namespace OrvexConfigValidate
