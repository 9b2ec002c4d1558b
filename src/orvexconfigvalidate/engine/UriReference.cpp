#include "engine/UriReference.hpp"

#include <cctype>
#include <optional>

#include <orvexconfigvalidate/Text.hpp>

namespace OrvexConfigValidate {
namespace {

struct UriParts {
    std::optional<std::string> scheme;
    std::optional<std::string> authority;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;
};

// Splits per the regular expression of RFC 3986, appendix B.
UriParts split(const std::string& text) {
    UriParts parts;
    std::string rest = text;
    const auto hash = rest.find('#');
    if (hash != std::string::npos) {
        parts.fragment = rest.substr(hash + 1);
        rest.erase(hash);
    }
    const auto question = rest.find('?');
    if (question != std::string::npos) {
        parts.query = rest.substr(question + 1);
        rest.erase(question);
    }
    const auto colon = rest.find(':');
    if (colon != std::string::npos && colon > 0 && rest.find('/') > colon &&
        std::isalpha(static_cast<unsigned char>(rest[0])) != 0) {
        bool schemeChars = true;
        for (std::size_t i = 0; i < colon; ++i) {
            const unsigned char c = static_cast<unsigned char>(rest[i]);
            if (std::isalnum(c) == 0 && c != '+' && c != '-' && c != '.') schemeChars = false;
        }
        if (schemeChars) {
            parts.scheme = rest.substr(0, colon);
            rest.erase(0, colon + 1);
        }
    }
    if (rest.compare(0, 2, "//") == 0) {
        const auto end = rest.find('/', 2);
        parts.authority = rest.substr(2, end == std::string::npos ? std::string::npos : end - 2);
        rest = end == std::string::npos ? std::string() : rest.substr(end);
    }
    parts.path = rest;
    return parts;
}

std::string removeDotSegments(std::string input) {
    std::string output;
    while (!input.empty()) {
        if (input.compare(0, 3, "../") == 0) {
            input.erase(0, 3);
        } else if (input.compare(0, 2, "./") == 0) {
            input.erase(0, 2);
        } else if (input.compare(0, 3, "/./") == 0) {
            input.erase(0, 2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.compare(0, 4, "/../") == 0 || input == "/..") {
            input = input.size() == 3 ? std::string("/") : input.substr(3);
            const auto last = output.rfind('/');
            output.erase(last == std::string::npos ? 0 : last);
        } else if (input == "." || input == "..") {
            input.clear();
        } else {
            const auto next = input.find('/', input[0] == '/' ? 1 : 0);
            output += input.substr(0, next);
            input = next == std::string::npos ? std::string() : input.substr(next);
        }
    }
    return output;
}

std::string merge(const UriParts& base, const std::string& path) {
    if (base.authority && base.path.empty()) return "/" + path;
    const auto slash = base.path.rfind('/');
    return slash == std::string::npos ? path : base.path.substr(0, slash + 1) + path;
}

std::string join(const UriParts& parts) {
    std::string text;
    if (parts.scheme) text += *parts.scheme + ":";
    if (parts.authority) text += "//" + *parts.authority;
    text += parts.path;
    if (parts.query) text += "?" + *parts.query;
    if (parts.fragment) text += "#" + *parts.fragment;
    return text;
}

}  // namespace

std::string resolveUriReference(const std::string& base, const std::string& reference) {
    const UriParts ref = split(reference);
    const UriParts from = split(base);
    UriParts target;
    if (ref.scheme) {
        target = ref;
        target.path = removeDotSegments(ref.path);
    } else {
        target.scheme = from.scheme;
        if (ref.authority) {
            target.authority = ref.authority;
            target.path = removeDotSegments(ref.path);
            target.query = ref.query;
        } else {
            target.authority = from.authority;
            if (ref.path.empty()) {
                target.path = from.path;
                target.query = ref.query ? ref.query : from.query;
            } else {
                target.path =
                    removeDotSegments(ref.path[0] == '/' ? ref.path : merge(from, ref.path));
                target.query = ref.query;
            }
        }
        target.fragment = ref.fragment;
    }
    return join(target);
}

std::string withoutFragment(const std::string& uri) {
    return uri.substr(0, uri.find('#'));
}

std::string fragmentOf(const std::string& uri, bool* hasFragment) {
    const auto hash = uri.find('#');
    if (hasFragment != nullptr) *hasFragment = hash != std::string::npos;
    return hash == std::string::npos ? std::string() : uri.substr(hash + 1);
}

std::string percentDecode(const std::string& text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0 &&
            hexDigitValue(text[i + 2]) >= 0) {
            decoded +=
                static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

}  // namespace OrvexConfigValidate
