#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lsp/Framing.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

// Everything the decoder yields for the input fed so far.
std::vector<Frame> drain(FrameDecoder& decoder) {
    std::vector<Frame> frames;
    while (auto frame = decoder.next()) frames.push_back(std::move(*frame));
    return frames;
}

TEST(Framing, EncodesLengthInBytes) {
    EXPECT_EQ(frameMessage("{\"a\":\"\xC3\xA9\"}"),
              "Content-Length: 10\r\n\r\n{\"a\":\"\xC3\xA9\"}");
}

TEST(Framing, DecodesBackToBackMessages) {
    FrameDecoder decoder;
    decoder.feed(frameMessage("{\"n\":1}") + frameMessage("[2]"));
    const auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Body);
    EXPECT_EQ(frames[0].text, "{\"n\":1}");
    EXPECT_EQ(frames[1].text, "[2]");
    EXPECT_FALSE(decoder.hasPartialFrame());
}

TEST(Framing, WaitsForHeadersAndBodiesCutAnywhere) {
    const std::string wire = frameMessage("{\"method\":\"x\"}") + frameMessage("{}");
    // Byte by byte: every cut through header and body.
    FrameDecoder decoder;
    std::vector<Frame> frames;
    for (char c : wire) {
        decoder.feed(std::string(1, c));
        for (auto& frame : drain(decoder)) frames.push_back(frame);
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].text, "{\"method\":\"x\"}");
    EXPECT_EQ(frames[1].text, "{}");
}

TEST(Framing, PartialHeaderIsHeldNotReported) {
    FrameDecoder decoder;
    decoder.feed("Content-Len");
    EXPECT_TRUE(drain(decoder).empty());
    EXPECT_TRUE(decoder.hasPartialFrame());
    decoder.feed("gth: 2\r\n");
    EXPECT_TRUE(drain(decoder).empty());
    decoder.feed("\r\n{}");
    const auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].text, "{}");
}

TEST(Framing, AcceptsOtherHeadersAnyCaseAndBareLineFeeds) {
    FrameDecoder decoder;
    decoder.feed(
        "content-type: application/vscode-jsonrpc; charset=utf-8\ncontent-length:  3 \n\n[1]");
    const auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Body);
    EXPECT_EQ(frames[0].text, "[1]");
}

TEST(Framing, MissingLengthIsReportedAndTheNextMessageStillRead) {
    FrameDecoder decoder;
    decoder.feed("Content-Type: x\r\n\r\n{\"lost\":true}" + frameMessage("{\"kept\":1}"));
    const auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Error);
    EXPECT_NE(frames[0].text.find("without Content-Length"), std::string::npos);
    EXPECT_EQ(frames[1].kind, Frame::Kind::Body);
    EXPECT_EQ(frames[1].text, "{\"kept\":1}");
}

TEST(Framing, BadLengthValuesAreErrors) {
    for (const char* value : {"-1", "abc", "", "1e3", "99999999999999999999999"}) {
        FrameDecoder decoder;
        decoder.feed(std::string("Content-Length: ") + value + "\r\n\r\n");
        const auto frames = drain(decoder);
        ASSERT_EQ(frames.size(), 1u) << value;
        EXPECT_EQ(frames[0].kind, Frame::Kind::Error) << value;
    }
}

TEST(Framing, HeaderLineWithoutColonIsAnError) {
    FrameDecoder decoder;
    decoder.feed("Content-Length: 2\r\ngarbage\r\n\r\n{}" + frameMessage("[]"));
    const auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Error);
    EXPECT_NE(frames[0].text.find("garbage"), std::string::npos);
    EXPECT_EQ(frames[1].text, "[]");
}

TEST(Framing, EmptyBodyIsAnError) {
    FrameDecoder decoder;
    decoder.feed("Content-Length: 0\r\n\r\n" + frameMessage("{}"));
    const auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Error);
    EXPECT_EQ(frames[1].text, "{}");
}

TEST(Framing, OversizedBodyIsRefusedSkippedAndNotBuffered) {
    FrameDecoder decoder(16);
    decoder.feed("Content-Length: 40\r\n\r\n");
    auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Error);
    EXPECT_NE(frames[0].text.find("40 bytes refused"), std::string::npos);
    // The refused body arrives in pieces and is dropped; the next message is read.
    decoder.feed(std::string(25, 'x'));
    EXPECT_TRUE(drain(decoder).empty());
    decoder.feed(std::string(15, 'y') + frameMessage("{\"ok\":1}"));
    frames = drain(decoder);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].text, "{\"ok\":1}");
    // A body exactly at the limit is accepted.
    decoder.feed(frameMessage(std::string(16, ' ')));
    frames = drain(decoder);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Body);
}

TEST(Framing, AnnouncedLengthIsNotHeldUntilPartOfTheBodyCame) {
    constexpr std::size_t kLength = std::size_t{48} << 20;
    FrameDecoder decoder;
    decoder.feed("Content-Length: " + std::to_string(kLength) + "\r\n\r\n{");
    EXPECT_TRUE(drain(decoder).empty());
    // A header alone, or a header and a byte, holds no room for 48 MiB.
    EXPECT_LT(decoder.capacity(), std::size_t{1} << 20);
    // Once a megabyte came, room for the whole body is made at once.
    const std::string piece((std::size_t{1} << 20) + 1, ' ');
    decoder.feed(piece);
    EXPECT_TRUE(drain(decoder).empty());
    EXPECT_GE(decoder.capacity(), kLength);
    const std::size_t fed = 1 + piece.size();
    decoder.feed(std::string(kLength - fed - 1, ' ') + "}");
    const auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].text.size(), kLength);
    EXPECT_EQ(frames[0].text.back(), '}');
    EXPECT_FALSE(decoder.hasPartialFrame());
}

// A large body is handed over with its buffer, and what came after it stays
// for the next message: wherever the feed is cut behind the body.
TEST(Framing, LargeBodyFollowedByTheNextMessage) {
    const std::string large = "[\"" + std::string(std::size_t{2} << 20, 'x') + "\"]";
    const std::string next = frameMessage("{\"n\":2}");
    for (const std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{20}, next.size()}) {
        FrameDecoder decoder;
        decoder.feed(frameMessage(large) + next.substr(0, cut));
        auto frames = drain(decoder);
        decoder.feed(next.substr(cut));
        for (auto& frame : drain(decoder)) frames.push_back(frame);
        ASSERT_EQ(frames.size(), 2u) << cut;
        EXPECT_EQ(frames[0].text, large) << cut;
        EXPECT_EQ(frames[1].text, "{\"n\":2}") << cut;
        EXPECT_FALSE(decoder.hasPartialFrame());
        EXPECT_LT(decoder.capacity(), std::size_t{1} << 20) << cut;
    }
}

// Fed as a reader gets it, in pieces of which the last brings the next
// message's start too: the body keeps the room made for it rather than
// outgrowing it (which would double it) for the bytes behind it.
TEST(Framing, ABodyFedInPiecesKeepsItsRoom) {
    const std::string large = "[\"" + std::string(std::size_t{3} << 20, 'x') + "\"]";
    const std::string stream = frameMessage(large) + frameMessage("{\"n\":2}");
    for (const std::size_t piece : {std::size_t{65536}, (std::size_t{1} << 20) + 7}) {
        FrameDecoder decoder;
        std::vector<Frame> frames;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            decoder.feed(std::string_view(stream).substr(at, piece));
            for (auto& frame : drain(decoder)) frames.push_back(std::move(frame));
        }
        ASSERT_EQ(frames.size(), 2u) << piece;
        EXPECT_EQ(frames[0].text, large) << piece;
        EXPECT_LT(frames[0].text.capacity(), large.size() + large.size() / 8) << piece;
        EXPECT_EQ(frames[1].text, "{\"n\":2}") << piece;
        EXPECT_FALSE(decoder.hasPartialFrame()) << piece;
    }
}

TEST(Framing, EndlessHeaderIsCutOffAndRecovered) {
    FrameDecoder decoder;
    decoder.feed(std::string(FrameDecoder::kMaxHeader + 1, 'h'));
    auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Error);
    decoder.feed("more junk" + frameMessage("{}"));
    frames = drain(decoder);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].text, "{}");
}

TEST(Framing, BodyIsPassedOnUninterpreted) {
    // Framing does not judge the body: JSON errors and batches are the
    // server's to answer.
    FrameDecoder decoder;
    decoder.feed(frameMessage("not json") + frameMessage("[{\"a\":1},{\"b\":2}]"));
    const auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].text, "not json");
    EXPECT_EQ(frames[1].text, "[{\"a\":1},{\"b\":2}]");
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
