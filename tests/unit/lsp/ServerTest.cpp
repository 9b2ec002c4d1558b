#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lsp/JsonRpc.hpp"
#include "lsp/Server.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

using Json = nlohmann::json;

// The messages of the diagnostics published for a bridges file naming a
// group id close to a defined one, under the command line's and the
// editor's settings.
std::vector<std::string> messagesFor(bool strictOnCommandLine, const Json& initializationOptions) {
    std::vector<Json> sent;
    CheckSettings defaults;
    defaults.options.strict = strictOnCommandLine;
    Server server([&sent](const Json& message) { sent.push_back(message); }, "test", defaults);
    Json initialize = {
        {"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", Json::object()}};
    if (!initializationOptions.is_null()) {
        initialize["params"]["initializationOptions"] = initializationOptions;
    }
    server.handleBody(serialise(initialize));
    server.handleBody(serialise(
        makeNotification("textDocument/didOpen",
                         {{"textDocument",
                           {{"uri", "file:///nonexistent-orvex-folder/bridges.json"},
                            {"version", 1},
                            {"text", R"({"groups": [{"id": "grp-1", "type": 3, "tx": {"a": 1}}],)"
                                     R"( "bridges": [{"groups": ["grp-2"]}]})"}}}})));
    std::vector<std::string> messages;
    for (const auto& message : sent) {
        if (message.value("method", "") != "textDocument/publishDiagnostics") continue;
        for (const auto& diagnostic : message["params"]["diagnostics"]) {
            messages.push_back(diagnostic["message"]);
        }
    }
    return messages;
}

TEST(Server, EditorSettingsOverrideTheCommandLine) {
    // Strict checking adds the suggestion to the message.
    const std::string plain = "Bridge references group id 'grp-2' which has no definition";
    const std::vector<std::string> strict{plain + "\ndid you mean \"grp-1\"?"};
    EXPECT_EQ(messagesFor(false, nullptr), std::vector<std::string>{plain});
    EXPECT_EQ(messagesFor(true, nullptr), strict);
    EXPECT_EQ(messagesFor(true, Json{{"strict", false}}), std::vector<std::string>{plain});
    EXPECT_EQ(messagesFor(false, Json{{"strict", true}}), strict);
    // A setting of the wrong type is ignored (and logged).
    EXPECT_EQ(messagesFor(true, Json{{"strict", "no"}}), strict);
}

TEST(Server, ExitStatusFollowsShutdown) {
    for (const bool shutdownFirst : {true, false}) {
        Server server([](const Json&) {}, "test");
        server.handleBody(R"({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {}})");
        if (shutdownFirst)
            server.handleBody(R"({"jsonrpc": "2.0", "id": 2, "method": "shutdown"})");
        EXPECT_FALSE(server.exitRequested());
        server.handleBody(R"({"jsonrpc": "2.0", "method": "exit"})");
        EXPECT_TRUE(server.exitRequested());
        EXPECT_EQ(server.exitStatus(), shutdownFirst ? 0 : 1);
    }
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
