#include "Run.hpp"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <memory>
#include <utility>

#include "Framing.hpp"
#include "Server.hpp"

namespace OrvexConfigValidate::Lsp {

namespace {

// A server left to the end of the process; reachable from here, so leak
// checkers do not count it.
Server* keptServer = nullptr;

}  // namespace

int runLanguageServer(int inputDescriptor, std::ostream& output, const std::string& version,
                      CheckSettings defaults, AtStop atStop) {
    // A client that goes away must end the server through a failed write,
    // not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    FrameDecoder decoder;
    auto held = std::make_unique<Server>(
        [&output](const Outgoing& message) {
            // An encoded answer of megabytes is written as it is, not
            // copied into its frame first.
            const std::string body = message.text ? std::string() : serialise(message.value);
            const std::string& text = message.text ? *message.text : body;
            output << frameHeader(text.size());
            output.write(text.data(), static_cast<std::streamsize>(text.size()));
            output.flush();
        },
        version, std::move(defaults));
    Server& server = *held;
    char chunk[65536];
    while (!server.exitRequested() && output.good()) {
        const ssize_t count = ::read(inputDescriptor, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        decoder.feed(std::string_view(chunk, static_cast<std::size_t>(count)));
        while (!server.exitRequested()) {
            std::optional<Frame> frame = decoder.next();
            if (!frame) break;
            if (frame->kind == Frame::Kind::Body) {
                server.takeBody(std::move(frame->text));
            } else {
                server.handleFramingError(frame->text);
            }
        }
    }
    const int status = server.exitRequested() ? server.exitStatus() : 1;
    if (atStop == AtStop::KeepToExit) {
        delete keptServer;
        keptServer = held.release();
    }
    return status;
}

}  // namespace OrvexConfigValidate::Lsp
