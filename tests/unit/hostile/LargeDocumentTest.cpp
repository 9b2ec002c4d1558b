// A bridging configuration of about 50 MB: validated in full, and
// validation needs little memory beyond the parsed document itself.
#include <gtest/gtest.h>

#include <malloc.h>

#include <string>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"
#include "ResidentMemory.hpp"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer keeps freed blocks in a quarantine of up to 256 MB, which
// would count as memory of validate(); a small one keeps the figure honest.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=4";
}
#endif

namespace OrvexConfigValidate {
namespace {

TEST(LargeDocument, FiftyMegabytesValidateWithinASmallShareOfTheDocumentsMemory) {
    constexpr std::size_t kGroups = 72000;  // about 50 MB of text
    nlohmann::json document;
    {
        const std::string text = generateBridgingConfiguration(kGroups);
        ASSERT_GT(text.size(), 50u * 1000 * 1000);
        document = nlohmann::json::parse(text);
    }
    // The last group is named by a bridge that does not exist in the text:
    // one issue proves the whole document was walked.
    document["bridges"].push_back({{"id", "late"}, {"groups", {"{grp-missing}"}}});
    malloc_trim(0);
    const long documentKb = residentKb();
    resetPeakResident();  // restart the peak from here

    const ValidationResult result = validate("BridgingConfiguration", document, ValidateOptions{});

    const long peakKb = peakResidentKb();
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].path, "/bridges/bridges/72000 (id=late)/groups/0");
    ASSERT_GT(documentKb, 0);
    ASSERT_GT(peakKb, 0);
    // Measured at about 1% of the document in a release build; the bound
    // leaves room for sanitizer bookkeeping but not for a copy of it.
    EXPECT_LT(peakKb - documentKb, documentKb / 4)
        << "document " << documentKb << " kB, peak while validating " << peakKb << " kB";
}

}  // namespace
}  // namespace OrvexConfigValidate
