// Content-Length framing of the language server's messages: a decoder fed
// with whatever bytes arrive, and the encoder for outgoing bodies.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace OrvexConfigValidate::Lsp {

// What the decoder took out of its input: a whole body, or a framing fault
// that was skipped so that the next message can still be read.
struct Frame {
    enum class Kind { Body, Error };
    Kind kind = Kind::Body;
    std::string text;  // the body, or a description of the fault
};

class FrameDecoder {
  public:
    static constexpr std::size_t kDefaultMaxBody = std::size_t{64} * 1024 * 1024;
    static constexpr std::size_t kMaxHeader = 8192;

    explicit FrameDecoder(std::size_t largestBody = kDefaultMaxBody) : maxBody(largestBody) {}

    void feed(std::string_view bytes);
    // The next frame, or nothing until more bytes arrive.
    std::optional<Frame> next();
    // Bytes held that do not yet form a frame (a cut-off message at the end
    // of the input).
    bool hasPartialFrame() const {
        return !buffer.empty() || !behind.empty() || bodyLength != 0 || skipping != 0;
    }
    // Bytes the decoder has room for (to see what a peer can make it hold).
    std::size_t capacity() const { return buffer.capacity() + behind.capacity(); }

  private:
    std::optional<Frame> readHeader();
    std::string takeFront(std::size_t count);
    // Before `arriving` more bytes of the body are added.
    void makeRoomForBody(std::size_t arriving = 0);
    // How much of a body must have arrived before room for all of it is made.
    static constexpr std::size_t kRoomAfter = std::size_t{1} << 20;
    // Spare room the buffer may keep after a large message.
    static constexpr std::size_t kKeptRoom = std::size_t{1} << 20;
    void resync();

    std::size_t maxBody;
    std::string buffer;
    // Bytes that came behind a whole body while it waits to be taken.
    std::string behind;
    std::size_t bodyLength = 0;  // > 0 while waiting for a body
    std::size_t skipping = 0;    // bytes of a refused body still to drop
    bool resyncing = false;      // after a bad header: drop up to the next "Content-Length"
};

// The header that goes before an outgoing body of `size` bytes.
std::string frameHeader(std::size_t size);
// The framed form of one outgoing body.
std::string frameMessage(std::string_view body);

}  // namespace OrvexConfigValidate::Lsp
