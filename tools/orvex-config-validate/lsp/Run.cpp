#include "Run.hpp"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <utility>

#include "Framing.hpp"
#include "Server.hpp"

namespace OrvexConfigValidate::Lsp {

int runLanguageServer(int inputDescriptor, std::ostream& output, const std::string& version,
                      CheckSettings defaults) {
    // A client that goes away must end the server through a failed write,
    // not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    FrameDecoder decoder;
    Server server(
        [&output](const Outgoing& message) {
            // An encoded answer of megabytes is framed without a copy first.
            if (message.text) {
                output << frameMessage(*message.text);
            } else {
                output << frameMessage(serialise(message.value));
            }
            output.flush();
        },
        version, std::move(defaults));
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
    return server.exitRequested() ? server.exitStatus() : 1;
}

}  // namespace OrvexConfigValidate::Lsp
