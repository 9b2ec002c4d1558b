#include "Framing.hpp"

#include <orvexconfigvalidate/Pages.hpp>

#include <algorithm>
#include <cctype>
#include <limits>
#include <utility>

namespace OrvexConfigValidate::Lsp {

namespace {

const std::string_view kLengthHeader = "content-length";

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A decimal length; nothing for an empty, signed, non-digit or overflowing text.
std::optional<std::size_t> parseLength(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::size_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::size_t>(c - '0');
        if (value > (std::numeric_limits<std::size_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// One header line: the Content-Length into `length`; the first fault met
// is kept in `fault`.
void readHeaderLine(std::string_view line, std::optional<std::size_t>& length, std::string& fault) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        if (fault.empty()) fault = "malformed header line '" + std::string(line) + "'";
        return;
    }
    const std::string name = lowered(trimmed(line.substr(0, colon)));
    const std::string_view value = trimmed(line.substr(colon + 1));
    if (name != kLengthHeader) return;
    length = parseLength(value);
    if (!length && fault.empty()) fault = "bad Content-Length '" + std::string(value) + "'";
}

Frame error(std::string text) {
    return Frame{Frame::Kind::Error, std::move(text)};
}

}  // namespace

void FrameDecoder::feed(std::string_view bytes) {
    // A body being awaited takes only its own bytes into the room made for
    // it; what comes behind it waits apart. Appending it there would outgrow
    // that room, and a string outgrowing its room doubles it.
    if (bodyLength != 0) {
        const std::size_t missing = bodyLength - std::min(bodyLength, buffer.size());
        const std::size_t taken = std::min(missing, bytes.size());
        makeRoomForBody(taken);
        buffer.append(bytes.data(), taken);
        bytes.remove_prefix(taken);
    }
    (bodyLength != 0 ? behind : buffer).append(bytes.data(), bytes.size());
}

void FrameDecoder::resync() {
    // A fault in a header leaves us not knowing where its body ends; the
    // next message starts at the next Content-Length header.
    const std::string lower = lowered(buffer);
    const std::size_t at = lower.find(kLengthHeader);
    if (at != std::string::npos) {
        buffer.erase(0, at);
        resyncing = false;
    } else if (buffer.size() > kLengthHeader.size()) {
        buffer.erase(0, buffer.size() - kLengthHeader.size());
    }
}

std::optional<Frame> FrameDecoder::readHeader() {
    // Header lines end with CRLF; a bare LF is accepted as well.
    std::size_t lineStart = 0;
    std::optional<std::size_t> length;
    std::string fault;
    while (true) {
        const std::size_t lineEnd = buffer.find('\n', lineStart);
        if (lineEnd == std::string::npos) {
            if (buffer.size() > kMaxHeader) {
                buffer.clear();
                resyncing = true;
                return error("message header longer than " + std::to_string(kMaxHeader) + " bytes");
            }
            return std::nullopt;
        }
        std::string_view line(buffer.data() + lineStart, lineEnd - lineStart);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lineStart = lineEnd + 1;
        if (lineStart > kMaxHeader && fault.empty()) {
            fault = "message header longer than " + std::to_string(kMaxHeader) + " bytes";
        }
        if (line.empty()) break;
        readHeaderLine(line, length, fault);
    }
    buffer.erase(0, lineStart);
    if (fault.empty() && !length) fault = "message header without Content-Length";
    if (!fault.empty()) {
        resyncing = true;
        return error(fault);
    }
    if (*length > maxBody) {
        skipping = *length;
        return error("message of " + std::to_string(*length) + " bytes refused (limit " +
                     std::to_string(maxBody) + " bytes)");
    }
    bodyLength = *length;
    if (bodyLength == 0) return error("message with an empty body");
    return std::nullopt;
}

void FrameDecoder::makeRoomForBody(std::size_t arriving) {
    // Room for the whole body at once: growing by doubling would leave a
    // large text's buffer up to twice its size. Only once a real part of it
    // has come: a header alone must not make us hold its announced length.
    if (buffer.capacity() >= bodyLength) return;
    if (buffer.size() + arriving < std::min(bodyLength, kRoomAfter)) return;
    buffer.reserve(bodyLength);
    // A document's text is read out of this room in place, and stays in it.
    adviseHugePages(buffer.data(), buffer.capacity());
}

std::string FrameDecoder::takeFront(std::size_t count) {
    // The usual case, one message read whole: its bytes change hands, and
    // no spare room the size of the body stays behind.
    if (buffer.size() == count) return std::exchange(buffer, std::string());
    // A large body with the start of the next message behind it: the body
    // keeps the buffer and the few bytes after it move, rather than
    // megabytes being copied into memory not yet touched.
    if (count >= kKeptRoom && buffer.size() - count < count) {
        std::string rest = buffer.substr(count);
        buffer.resize(count);
        return std::exchange(buffer, std::move(rest));
    }
    std::string front = buffer.substr(0, count);
    buffer.erase(0, count);
    if (buffer.capacity() > kKeptRoom && buffer.capacity() / 4 > buffer.size()) {
        buffer.shrink_to_fit();
    }
    return front;
}

std::optional<Frame> FrameDecoder::next() {
    while (true) {
        if (skipping != 0) {
            const std::size_t drop = std::min(skipping, buffer.size());
            buffer.erase(0, drop);
            skipping -= drop;
            if (skipping != 0) return std::nullopt;
        }
        if (bodyLength != 0) {
            makeRoomForBody();
            if (buffer.size() < bodyLength) return std::nullopt;
            Frame frame{Frame::Kind::Body, takeFront(bodyLength)};
            bodyLength = 0;
            buffer.append(behind);
            std::string().swap(behind);
            return frame;
        }
        if (resyncing) {
            resync();
            if (resyncing) return std::nullopt;
        }
        if (buffer.empty()) return std::nullopt;
        std::optional<Frame> fault = readHeader();
        if (fault) return fault;
        if (bodyLength == 0) return std::nullopt;  // header incomplete
    }
}

std::string frameHeader(std::size_t size) {
    return "Content-Length: " + std::to_string(size) + "\r\n\r\n";
}

std::string frameMessage(std::string_view body) {
    std::string framed = frameHeader(body.size());
    framed.append(body.data(), body.size());
    return framed;
}

}  // namespace OrvexConfigValidate::Lsp
