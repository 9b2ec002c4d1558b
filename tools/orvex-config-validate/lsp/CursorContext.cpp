#include "CursorContext.hpp"

#include <algorithm>

namespace OrvexConfigValidate::Lsp {

namespace {

struct Frame {
    bool isArray = false;
    std::size_t index = 0;  // arrays: the element being read
    // Names as written (escapes kept): decoded only for the frames that
    // are reported, so a long text costs no string per member.
    std::string_view key;  // objects: the member whose value is being read
    bool expectingKey = true;
    std::vector<std::string_view> keys;  // objects: every member name read
};

// The end of the string literal whose opening quote is at start, or npos
// when it is not closed before limit.
std::size_t stringEnd(std::string_view text, std::size_t start, std::size_t limit) {
    for (std::size_t i = start + 1; i < limit; ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '"') {
            return i;
        } else if (text[i] == '\n') {
            // A string never spans lines; a quote left open ends here.
            return i;
        }
    }
    return std::string_view::npos;
}

// Decodes the simple escapes of a key; others are kept as written, which is
// enough for the member names that matter here.
std::string keyText(std::string_view raw) {
    std::string key;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size() &&
            (raw[i + 1] == '"' || raw[i + 1] == '\\' || raw[i + 1] == '/')) {
            key += raw[++i];
        } else {
            key += raw[i];
        }
    }
    return key;
}

bool expectsKey(const std::vector<Frame>& frames) {
    return !frames.empty() && !frames.back().isArray && frames.back().expectingKey;
}

// A character outside strings: brackets open and close containers, a comma
// moves on to the next item or member.
void step(std::vector<Frame>& frames, char c) {
    if (c == '{' || c == '[') {
        frames.push_back(Frame{c == '[', 0, {}, c == '{', {}});
    } else if ((c == '}' || c == ']') && !frames.empty()) {
        frames.pop_back();
    } else if (c == ',' && !frames.empty()) {
        if (frames.back().isArray) {
            ++frames.back().index;
        } else {
            frames.back().expectingKey = true;
        }
    }
}

}  // namespace

CursorContext cursorContext(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    std::vector<Frame> frames;
    CursorContext context;
    for (std::size_t i = 0; i < offset; ++i) {
        const char c = text[i];
        if (c != '"') {
            step(frames, c);
            continue;
        }
        const std::size_t end = stringEnd(text, i, offset);
        if (end == std::string_view::npos) {
            if (expectsKey(frames)) {
                context.inKey = true;
                context.keyStart = i;
            } else {
                context.inString = true;
                context.stringContentStart = i + 1;
            }
            break;
        }
        if (expectsKey(frames)) {
            frames.back().key = text.substr(i + 1, end - i - 1);
            frames.back().keys.push_back(frames.back().key);
            frames.back().expectingKey = false;
        }
        i = end;
    }
    if (frames.empty()) return context;
    context.inContainer = true;
    context.containerIsArray = frames.back().isArray;
    context.expectingKey = !frames.back().isArray && frames.back().expectingKey;
    context.memberKey = keyText(frames.back().key);
    context.elementIndex = frames.back().index;
    for (const std::string_view key : frames.back().keys)
        context.keysBefore.push_back(keyText(key));
    for (std::size_t f = 0; f + 1 < frames.size(); ++f) {
        const Frame& frame = frames[f];
        context.containerPath.push_back(frame.isArray ? std::to_string(frame.index)
                                                      : keyText(frame.key));
    }
    return context;
}

}  // namespace OrvexConfigValidate::Lsp
