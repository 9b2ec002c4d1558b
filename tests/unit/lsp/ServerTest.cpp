#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempSchemaDir.hpp"
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
    Server server([&sent](const Outgoing& message) { sent.push_back(message.parsed()); }, "test",
                  defaults);
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
        Server server([](const Outgoing&) {}, "test");
        server.handleBody(R"({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {}})");
        if (shutdownFirst)
            server.handleBody(R"({"jsonrpc": "2.0", "id": 2, "method": "shutdown"})");
        EXPECT_FALSE(server.exitRequested());
        server.handleBody(R"({"jsonrpc": "2.0", "method": "exit"})");
        EXPECT_TRUE(server.exitRequested());
        EXPECT_EQ(server.exitStatus(), shutdownFirst ? 0 : 1);
    }
}

// A server that records what it sends.
struct RecordingServer {
    std::vector<Json> sent;
    Server server{[this](const Outgoing& message) { sent.push_back(message.parsed()); }, "test"};

    void initialize() {
        server.handleBody(R"({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {}})");
    }
};

TEST(Server, ShutdownWithNullParamsEndsWithStatusZero) {
    RecordingServer recording;
    recording.initialize();
    recording.server.handleBody(
        R"({"jsonrpc": "2.0", "id": 2, "method": "shutdown", "params": null})");
    ASSERT_EQ(recording.sent.size(), 2u);
    EXPECT_EQ(recording.sent[1], makeResult(2, nullptr));
    recording.server.handleBody(R"({"jsonrpc": "2.0", "method": "exit", "params": null})");
    EXPECT_TRUE(recording.server.exitRequested());
    EXPECT_EQ(recording.server.exitStatus(), 0);
}

TEST(Server, ParamsOfAScalarTypeAreStillInvalid) {
    RecordingServer recording;
    recording.initialize();
    recording.server.handleBody(
        R"({"jsonrpc": "2.0", "id": 2, "method": "shutdown", "params": 3})");
    ASSERT_EQ(recording.sent.size(), 2u);
    EXPECT_EQ(recording.sent[1]["error"]["code"], ErrorCode::kInvalidRequest);
}

// Messages nested far deeper than any real one are answered with an error
// and the server carries on (a recursion per level would overflow the stack).
TEST(Server, SurvivesDeeplyNestedMessages) {
    const auto nested = [](const std::string& head, std::size_t levels, const std::string& inner) {
        return head + std::string(levels, '[') + inner + std::string(levels, ']') + "}";
    };
    RecordingServer recording;
    recording.initialize();
    const std::vector<std::string> bodies{
        nested(R"({"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": )", 1000000, ""),
        nested(R"({"jsonrpc": "2.0", "id": 7, "method": "textDocument/hover", "params": )", 100000,
               "\"" + std::string(5000, 'x') + "\""),
        "[" + nested(R"({"jsonrpc": "2.0", "id": 8, "method": "shutdown", "params": )", 600, "") +
            "]"};
    for (const std::string& body : bodies) {
        recording.sent.clear();
        recording.server.handleBody(body);
        ASSERT_EQ(recording.sent.size(), 1u);
        EXPECT_EQ(recording.sent[0]["error"]["code"], ErrorCode::kInvalidRequest);
        EXPECT_EQ(recording.sent[0]["error"]["message"],
                  "the message nests deeper than 512 levels");
    }
    // Still serving: a shutdown is answered, exit ends cleanly.
    recording.sent.clear();
    recording.server.handleBody(R"({"jsonrpc": "2.0", "id": 9, "method": "shutdown"})");
    ASSERT_EQ(recording.sent.size(), 1u);
    EXPECT_EQ(recording.sent[0], makeResult(9, nullptr));
}

// A schema file that is not JSON is passed over by validation; the editor
// is told which and why.
TEST(Server, WarnsOfSchemaFilesThatAreNotJson) {
    TempSchemaDir dir;
    dir.write("common/Group.schema.json", "{\"type\": \"object\",}");
    RecordingServer recording;
    recording.server.handleBody(
        serialise({{"jsonrpc", "2.0"},
                   {"id", 1},
                   {"method", "initialize"},
                   {"params", {{"initializationOptions", {{"schemaDir", dir.path()}}}}}}));
    std::vector<std::string> shown;
    for (const Json& message : recording.sent) {
        if (message.value("method", "") == "window/showMessage") {
            EXPECT_EQ(message["params"]["type"], 2);
            shown.push_back(message["params"]["message"]);
        }
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("schema file '" + dir.path() +
                                 "/common/Group.schema.json' is not used, "
                                 "it is not JSON: parse error at line 1, column 19: ",
                             0),
              0u)
        << shown[0];
    EXPECT_NE(shown[0].find("; the built-in Group schema applies"), std::string::npos) << shown[0];
    // The initialize request is still answered.
    EXPECT_TRUE(recording.sent.back().contains("result"));
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
