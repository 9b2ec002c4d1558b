// Arbitrary bytes as a document: whatever parses is validated against every
// schema id with every flag combination, and the result's invariants checked.
#include <cstddef>
#include <cstdint>

#include "FuzzInvariants.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto document = nlohmann::json::parse(data, data + size, nullptr, false);
    if (!document.is_discarded()) {
        OrvexConfigValidate::checkAllInvariants(document);
    }
    return 0;
}
