// The server file's link to the bridges file it names.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "Documents.hpp"

namespace OrvexConfigValidate::Lsp {

struct BridgesFileLink {
    // The name's bytes, without its quotes.
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string target;  // the path the name leads to
};

// Of a server file that names its bridges file.
std::optional<BridgesFileLink> bridgesFileLink(const Document& document);

}  // namespace OrvexConfigValidate::Lsp
