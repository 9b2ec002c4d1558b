// One read of a file, as a whole process, for paired runs beside the
// simdjson DOM parse (bench/lean-read): "lean" reads it into the document
// as the tool does (the index and the view over the text), "text" also
// builds the nlohmann copy that a caller of toJson() asks for. The text is
// kept in both, as the tool keeps it.
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
        const Document parsed = parseText(text, nullptr);
        const LeanDocument* lean = leanDocumentOf(parsed);
        return lean != nullptr && lean->kind(LeanDocument::root()) == JsonKind::Object ? 0 : 1;
    }
    const Document parsed = parseText(text, nullptr);
    return parsed.ok() && parsed.toJson().is_object() ? 0 : 1;
}
