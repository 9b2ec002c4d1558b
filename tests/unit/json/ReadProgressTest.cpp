#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "ConfigGenerator.hpp"

namespace OrvexConfigValidate {
namespace {

// A text of several MiB with a duplicated member near its start and one
// near its end, so that the reader passes both while reporting progress.
std::string largeText() {
    std::string text = generateBridgingConfiguration(6000);
    text.insert(text.find('{') + 1, "\"groups\": 1, ");
    text.insert(text.rfind('}'), ", \"late\": [1, {\"k\": 2, \"k\": 3}]");
    return text;
}

// Parses a copy of the text, overwriting every byte the reader calls done:
// a reader that looked back would see the scribbles.
ParsedText parseScribbling(const std::string& original, std::vector<std::size_t>& reports) {
    std::string text = original;
    return parseText(text, [&](std::size_t done) {
        for (std::size_t k = reports.empty() ? 0 : reports.back(); k < done; ++k) text[k] = '#';
        reports.push_back(done);
    });
}

void expectSameIssues(const std::vector<Issue>& a, const std::vector<Issue>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t k = 0; k < a.size(); ++k) {
        EXPECT_EQ(a[k].code, b[k].code);
        EXPECT_EQ(a[k].message, b[k].message);
        EXPECT_EQ(a[k].pointer, b[k].pointer);
        EXPECT_EQ(a[k].location.offset, b[k].location.offset);
        EXPECT_EQ(a[k].location.line, b[k].location.line);
        EXPECT_EQ(a[k].related.offset, b[k].related.offset);
    }
}

TEST(ReadProgress, BytesReportedDoneAreNeverReadAgain) {
    const std::string text = largeText();
    ASSERT_GT(text.size(), std::size_t{3} << 20);
    std::vector<std::size_t> reports;
    const ParsedText scribbled = parseScribbling(text, reports);
    const ParsedText plain = parseText(text);
    ASSERT_TRUE(plain.ok());
    ASSERT_TRUE(scribbled.ok());
    EXPECT_EQ(scribbled.document(), plain.document());
    expectSameIssues(scribbled.issues(), plain.issues());
    ASSERT_EQ(plain.issues().size(), 2u);

    // About once per MiB, growing, never past the text.
    ASSERT_GE(reports.size(), 3u);
    for (std::size_t k = 1; k < reports.size(); ++k) {
        EXPECT_GE(reports[k] - reports[k - 1], std::size_t{1} << 20);
    }
    EXPECT_LE(reports.back(), text.size());

    for (const char* pointer : {"/groups/5999/rx", "/bridges/17", "/late/1/k", "/groups/0"}) {
        EXPECT_EQ(scribbled.locate(pointer).offset, plain.locate(pointer).offset) << pointer;
    }
    for (std::size_t offset = 0; offset < text.size(); offset += 99991) {
        EXPECT_EQ(scribbled.pointerAt(offset), plain.pointerAt(offset)) << offset;
    }
}

TEST(ReadProgress, ErrorsLateInTheTextAreReportedAsWithout) {
    std::string text = largeText();
    text.insert(text.rfind(']'), ", {\"id\": \"x\" \"type\": 1}");
    std::vector<std::size_t> reports;
    const ParsedText scribbled = parseScribbling(text, reports);
    const ParsedText plain = parseText(text);
    EXPECT_FALSE(scribbled.ok());
    EXPECT_FALSE(reports.empty());
    expectSameIssues(scribbled.issues(), plain.issues());
    EXPECT_EQ(plain.issues().back().code, "parse_error");
}

TEST(ReadProgress, SmallTextsAreNotReported) {
    std::size_t calls = 0;
    EXPECT_TRUE(parseText(R"({"a": [1, 2, 3]})", [&](std::size_t) { ++calls; }).ok());
    EXPECT_EQ(calls, 0u);
}

}  // namespace
}  // namespace OrvexConfigValidate
