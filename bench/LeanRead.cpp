// One read of a file, as a whole process, for paired runs beside the
// simdjson DOM parse (bench/lean-read): "text" reads it as the tool does
// today (the nlohmann document and the index), "lean" without a document
// (the index and a LeanDocument). The text is kept in both, as the tool
// keeps it.
//   orvexconfigvalidate_lean_read text|lean FILE
#include <fstream>
#include <iostream>
#include <string>
#include <utility>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "json/ParsedTextAccess.hpp"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " text|lean FILE\n";
        return 2;
    }
    const std::string mode = argv[1];
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        std::cerr << argv[0] << ": cannot read " << argv[2] << "\n";
        return 2;
    }
    // Read at its size, so that the text is counted once in the peak.
    in.seekg(0, std::ios::end);
    std::string text(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    using namespace OrvexConfigValidate;
    if (mode == "lean") {
        const ParsedText parsed = parseTextLean(std::move(text), nullptr);
        const LeanDocument* lean = leanDocumentOf(parsed);
        return lean != nullptr && lean->kind(LeanDocument::root()) == JsonKind::Object ? 0 : 1;
    }
    const ParsedText parsed = parseText(text);
    return parsed.ok() && parsed.document().is_object() ? 0 : 1;
}
