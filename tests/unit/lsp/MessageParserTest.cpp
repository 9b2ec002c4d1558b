#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "lsp/MessageParser.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

// A didChange-like body whose text member is the given literal contents.
std::string bodyWith(const std::string& literal, const std::string& tail = "") {
    return R"({"jsonrpc": "2.0", "method": "textDocument/didChange", "params": {"contentChanges": [{"text": ")" +
           literal + R"("}], "other": "short \" \\ string")" + tail + "}}";
}

// Long enough for the fast path.
std::string padding() {
    return std::string(kFastPathBody, 'a');
}

// parseMessage must agree with the general parser: the same value, or an
// error for the same bodies.
void expectSameAsGeneralParser(const std::string& body) {
    nlohmann::json expected;
    bool expectedError = false;
    try {
        expected = nlohmann::json::parse(body);
    } catch (const nlohmann::json::parse_error&) {
        expectedError = true;
    }
    // Read from a view, and from the body's own string, whose room the
    // text may take.
    if (expectedError) {
        EXPECT_THROW(parseMessage(std::string_view(body)), nlohmann::json::parse_error)
            << body.substr(0, 200);
        EXPECT_THROW(parseMessage(std::string(body)), nlohmann::json::parse_error)
            << body.substr(0, 200);
    } else {
        EXPECT_EQ(parseMessage(std::string_view(body)), expected) << body.substr(0, 200);
        EXPECT_EQ(parseMessage(std::string(body)), expected) << body.substr(0, 200);
    }
}

TEST(MessageParser, DecodesEveryEscapeOfALongString) {
    const std::string literal = padding() +
                                R"(\" \\ \/ \b \f \n \r \t \u00e9 \u2014 \uD83D\uDE00 \u0000 )" +
                                "\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80" + padding();
    // Taken with its body, in room of its size as the framing hands it over,
    // the text is decoded into the body's own room.
    std::string body = bodyWith(literal);
    body.shrink_to_fit();
    const char* const room = body.data();
    const nlohmann::json message = parseMessage(std::move(body));
    const auto& text = message["params"]["contentChanges"][0]["text"].get_ref<const std::string&>();
    EXPECT_EQ(text.data(), room);
    const std::string middle = text.substr(kFastPathBody, text.size() - 2 * kFastPathBody);
    EXPECT_EQ(middle,
              std::string("\" \\ / \b \f \n \r \t \xC3\xA9 \xE2\x80\x94 \xF0\x9F\x98\x80 ") +
                  std::string(1, '\0') + " \xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80");
    expectSameAsGeneralParser(bodyWith(literal));
}

// A text full of escaped quotes is much shorter than its literal; the
// document keeps it, so it must not keep much of the literal's room too,
// whether it took the body's room or room of its own.
TEST(MessageParser, ALongTextKeepsLittleOfTheRoomItsEscapesFreed) {
    for (const std::size_t every : {std::size_t{2}, std::size_t{4}, std::size_t{64}}) {
        std::string literal;
        for (std::size_t i = 0; i < kFastPathBody; ++i) literal += i % every == 0 ? "\\\"" : "a";
        const nlohmann::json message = parseMessage(bodyWith(literal));
        const auto& text =
            message["params"]["contentChanges"][0]["text"].get_ref<const std::string&>();
        ASSERT_EQ(text.size(), kFastPathBody) << every;
        EXPECT_LE(text.capacity(), text.size() + text.size() / 3) << every;
    }
}

TEST(MessageParser, RejectsWhatTheGeneralParserRejects) {
    const std::string pad = padding();
    for (const std::string& bad :
         {std::string("\x01"), std::string("\n"), std::string("\\x"), std::string("\\u12"),
          std::string("\\uD83D"), std::string("\\uDE00"), std::string("\\uD83D\\u0041"),
          std::string("\xC3"), std::string("\xC0\xAF"), std::string("\xED\xA0\x80"),
          std::string("\xF4\x90\x80\x80"), std::string("\xFF"), std::string("\\")}) {
        expectSameAsGeneralParser(bodyWith(pad + bad + pad));
    }
    // Faults outside the long string.
    expectSameAsGeneralParser(bodyWith(pad, ", }"));
    expectSameAsGeneralParser(bodyWith(pad, ", \"x\": tru"));
    expectSameAsGeneralParser(bodyWith(pad).substr(0, kFastPathBody + 200));
    expectSameAsGeneralParser(bodyWith(pad) + " 1");
}

TEST(MessageParser, LongMemberNamesAndSeveralLongStrings) {
    const std::string pad = padding();
    expectSameAsGeneralParser("{\"" + pad + "\" : \"" + pad + "b\", \"list\": [\"" + pad +
                              "c\", \"" + pad + "d\", 5]}");
}

TEST(MessageParser, TextThatLooksLikeItsPlaceholdersIsStillRead) {
    const std::string pad = padding();
    expectSameAsGeneralParser(bodyWith(pad, R"(, "trap": "\u0000orvex-text-0")"));
    expectSameAsGeneralParser(bodyWith(pad, R"(, "trap": "\u0000\u006frvex-text-0")"));
    expectSameAsGeneralParser(bodyWith(pad, R"(, "trap": "\u0000\u006frvex-text-7")"));
    const nlohmann::json message =
        parseMessage(bodyWith(pad, R"(, "trap": "\u0000\u006frvex-text-0")"));
    EXPECT_EQ(message["params"]["trap"], std::string(1, '\0') + "orvex-text-0");
    EXPECT_EQ(message["params"]["contentChanges"][0]["text"], pad);
}

TEST(MessageParser, SmallBodiesAndShortStrings) {
    expectSameAsGeneralParser(R"({"a": "\u00e9", "b": [1, 2.5, null, true]})");
    expectSameAsGeneralParser("not json");
    expectSameAsGeneralParser("[" + std::string(kFastPathBody, ' ') + "\"short\"]");
}

TEST(MessageParser, NestingDepthSkipsStringsAndStopsAtTheLimit) {
    EXPECT_EQ(nestingDepth(R"({"a": [1, {"b": []}]})", 100), 4u);
    // Brackets inside strings, also after escaped quotes, do not count.
    EXPECT_EQ(nestingDepth(R"(["[[{", "\"[[", "\\", []])", 100), 2u);
    EXPECT_EQ(nestingDepth("", 100), 0u);
    // A stray closing bracket never lowers the count below zero.
    EXPECT_EQ(nestingDepth("]]][[", 100), 2u);
    // The scan ends once past the limit.
    EXPECT_EQ(nestingDepth(std::string(1000, '['), 10), 11u);
}

TEST(MessageParser, RefusesBodiesNestedBeyondTheLimitBeforeParsing) {
    const auto nested = [](std::size_t levels, const std::string& inner) {
        return R"({"jsonrpc": "2.0", "method": "m", "params": )" + std::string(levels, '[') +
               inner + std::string(levels, ']') + "}";
    };
    // The message object is one level; its params fill the rest.
    EXPECT_NO_THROW(parseMessage(nested(kMaxMessageDepth - 1, "1")));
    EXPECT_THROW(parseMessage(nested(kMaxMessageDepth, "1")), MessageTooDeep);
    // Far past the limit, on the general parser and on the fast path.
    EXPECT_THROW(parseMessage(nested(1000000, "1")), MessageTooDeep);
    EXPECT_THROW(parseMessage(nested(100000, "\"" + std::string(5000, 'x') + "\"")),
                 MessageTooDeep);
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
