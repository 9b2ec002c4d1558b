#include <gtest/gtest.h>

#include <time.h>

#include <iostream>
#include <string>

#include <orvexconfigvalidate/Document.hpp>

#include "ConfigGenerator.hpp"
#include "lsp/JsonRpc.hpp"
#include "lsp/Server.hpp"
#include "lsp/TextPositions.hpp"

namespace OrvexConfigValidate::Lsp {
namespace {

using Json = nlohmann::json;

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

Json positionAt(const std::string& text, std::size_t offset) {
    const Position position = TextPositions(text).positionOf(offset);
    return {{"line", position.line}, {"character", position.character}};
}

struct Session {
    std::size_t answers = 0;
    Server server{[this](const Outgoing& message) {
                      if (!message.text && message.value.contains("result")) ++answers;
                      if (message.text && message.text->find("\"result\"") != std::string::npos) {
                          ++answers;
                      }
                  },
                  "test"};
    const std::string uri = "file:///nonexistent-orvex-folder/bridges.json";

    // Processor time of this thread from a request's body to its answer.
    double ask(const std::string& method, Json params) {
        params["textDocument"] = {{"uri", uri}};
        const std::string body = serialise(
            {{"jsonrpc", "2.0"}, {"id", 2}, {"method", method}, {"params", std::move(params)}});
        const std::size_t before = answers;
        const double started = threadSeconds();
        server.handleBody(body);
        const double seconds = threadSeconds() - started;
        EXPECT_EQ(answers, before + 1) << method;
        return seconds;
    }
};

// The first hover and outline after a carried edit read the carried
// version's own document, which the carry made of the version before: they
// cost about what they cost after opening, not a read of the whole text.
TEST(CarriedRequests, AfterACarriedEditCostAboutWhatTheyCostAfterOpening) {
    const std::string text = generateBridgingConfiguration(4000);
    const std::string typeKey = "\"id\": \"{grp-2000}\", \"type\": ";
    const std::size_t type = text.find(typeKey) + typeKey.size();
    const std::size_t port = text.find("\"port\": 7443", text.find("{grp-3000}"));
    ASSERT_NE(port, std::string::npos);
    const Json hover = {{"position", positionAt(text, type)}};
    double read = threadSeconds();
    { const ParsedText parsed = parseText(text); }
    read = threadSeconds() - read;

    Session session;
    session.server.handleBody(serialise(
        {{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", Json::object()}}));
    session.server.handleBody(serialise(makeNotification(
        "textDocument/didOpen",
        {{"textDocument", {{"uri", session.uri}, {"version", 1}, {"text", text}}}})));
    const double openedHover = session.ask("textDocument/hover", hover);
    const double openedSymbols = session.ask("textDocument/documentSymbol", Json::object());
    // One digit of a port typed in another group, twice: each version is
    // asked one question first.
    const Json range = {{"start", positionAt(text, port + 9)},
                        {"end", positionAt(text, port + 10)}};
    session.server.handleBody(serialise(
        makeNotification("textDocument/didChange",
                         {{"textDocument", {{"uri", session.uri}, {"version", 2}}},
                          {"contentChanges", Json::array({{{"range", range}, {"text", "5"}}})}})));
    const double carriedHover = session.ask("textDocument/hover", hover);
    session.server.handleBody(serialise(
        makeNotification("textDocument/didChange",
                         {{"textDocument", {{"uri", session.uri}, {"version", 3}}},
                          {"contentChanges", Json::array({{{"range", range}, {"text", "6"}}})}})));
    const double carriedSymbols = session.ask("textDocument/documentSymbol", Json::object());
    std::cout << "read " << read << " s; hover opened " << openedHover << " s, carried "
              << carriedHover << " s; symbols opened " << openedSymbols << " s, carried "
              << carriedSymbols << " s\n";
    // A carried version that had to read its text again paid a read, and
    // more, for each: made of the version before's, its document costs a
    // fraction of one (the hover makes it and the model, a fifth of a read
    // here), and the outline about what it costs after opening.
    EXPECT_LT(carriedHover, read / 2);
    EXPECT_LT(carriedSymbols, 2 * openedSymbols);
}

}  // namespace
}  // namespace OrvexConfigValidate::Lsp
