#include "FileUri.hpp"

#include <cctype>

#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate::Lsp {

namespace {

bool isCaseInsensitivePrefix(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::string pathFromUri(const std::string& uri) {
    const std::string scheme = "file://";
    if (!isCaseInsensitivePrefix(uri, scheme)) return "";
    std::string rest = uri.substr(scheme.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos) return "";
    const std::string host = rest.substr(0, slash);
    if (!host.empty() && host != "localhost") return "";
    rest.erase(0, slash);
    // A query or fragment is no part of the path.
    const std::size_t end = rest.find_first_of("?#");
    if (end != std::string::npos) rest.erase(end);
    std::string path;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexDigitValue(rest[i + 1]) >= 0 &&
            hexDigitValue(rest[i + 2]) >= 0) {
            const char decoded =
                static_cast<char>(hexDigitValue(rest[i + 1]) * 16 + hexDigitValue(rest[i + 2]));
            // A NUL cannot be part of a path; such a URI names no file.
            if (decoded == '\0') return "";
            path += decoded;
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

std::string uriFromPath(const std::string& path) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 0x0F];
        }
    }
    return uri;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace OrvexConfigValidate::Lsp
