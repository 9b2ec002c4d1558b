// Latency of the language server on a large bridges file: from the
// didChange body to the published diagnostics, and from a request's body to
// its answer, message parsing and the encoding of what is sent included.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <orvexconfigvalidate/Document.hpp>

#include "ConfigGenerator.hpp"
#include "lsp/FileUri.hpp"
#include "lsp/JsonRpc.hpp"
#include "lsp/MessageParser.hpp"
#include "lsp/Server.hpp"
#include "lsp/TextPositions.hpp"

namespace {

using namespace OrvexConfigValidate;
using Json = nlohmann::json;

// ORVEX_LSP_BENCH_GROUPS sets the size of the generated file.
std::size_t groupCount() {
    const char* set = std::getenv("ORVEX_LSP_BENCH_GROUPS");
    return set != nullptr ? std::strtoul(set, nullptr, 10) : 10000;
}

// The file bench/peers/generate.py writes, byte for byte (about 340 bytes a
// group, on one line), so that these figures and bench/lsp-open's describe
// the same file: one an editor can send whole at 100,000 groups.
void appendGroup(std::string& out, std::size_t i) {
    const std::string n = std::to_string(i);
    const std::string port = std::to_string(40000 + i % 20000);
    out +=
        "{\"id\": \"grp-" + n + "\", \"type\": 1, \"name\": \"Talk group " + n +
        "\", \"bridgeTargetOutputDetail\": {\"mode\": 2}, \"vortapoints\": [{\"id\": \"vp-" + n +
        "\", \"host\": {\"address\": \"vp.example.net\", \"port\": 7443}}], \"rx\": {\"address\": "
        "\"239.42.7." +
        std::to_string(i % 250 + 1) + "\", \"port\": " + port +
        "}, \"tx\": {\"address\": \"239.42.8." + std::to_string(i % 250 + 1) +
        "\", \"port\": " + port + "}}";
}

std::string bridgesFile(std::size_t groups) {
    std::string out = "{\"groups\": [";
    out.reserve(groups * 360);
    for (std::size_t i = 0; i < groups; ++i) {
        if (i != 0) out += ", ";
        appendGroup(out, i);
    }
    out += "], \"bridges\": [";
    for (std::size_t i = 0; i < groups / 2; ++i) {
        const std::string n = std::to_string(i);
        if (i != 0) out += ", ";
        out += "{\"id\": \"brg-" + n + "\", \"name\": \"Bridge " + n +
               "\", \"enabled\": true, \"groups\": [\"grp-" + std::to_string(2 * i) + "\", \"grp-" +
               std::to_string((2 * i + 1) % groups) + "\"]}";
    }
    out += "]}\n";
    return out;
}

// A folder for the edited file (and the server file of a pair), made once.
std::string folder(bool paired) {
    std::string pattern = "/tmp/orvex-lsp-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    if (paired) {
        std::ofstream(pattern + "/orvexbridged_conf.json") << generateServerConfiguration(2);
    }
    return pattern;
}

std::string body(const std::string& method, Json params) {
    return Lsp::serialise(Lsp::makeNotification(method, std::move(params)));
}

std::string changeBody(const std::string& uri, const std::string& text, int version) {
    return body("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", version}}},
                                           {"contentChanges", Json::array({{{"text", text}}})}});
}

// How often `what` occurs in `text`: the diagnostics of a publication,
// counted without reading it back.
std::size_t countOf(const std::string& text, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

struct Session {
    std::size_t published = 0;
    std::size_t answered = 0;
    std::size_t answerBytes = 0;
    std::size_t diagnostics = 0;
    std::size_t bytesSent = 0;
    std::string directory;
    Lsp::Server server;
    std::string uri;

    explicit Session(bool paired)
        : directory(folder(paired)),
          server(
              [this](const Lsp::Outgoing& message) {
                  const std::size_t bytes =
                      message.text ? message.text->size() : Lsp::serialise(message.value).size();
                  bytesSent += bytes;
                  // Publications are sent as encoded text, and answers may be.
                  const std::string_view publishedPrefix =
                      "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\"";
                  if (message.text && message.text->rfind(publishedPrefix, 0) == 0) {
                      ++published;
                      diagnostics = countOf(*message.text, "\"source\":\"orvex\"");
                  } else if (message.text ||
                             (message.value.contains("id") && message.value.contains("result"))) {
                      ++answered;
                      answerBytes = bytes;
                  }
              },
              "bench"),
          uri(Lsp::uriFromPath(directory + "/bridges.json")) {
        server.handleBody(Lsp::serialise(
            {{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", Json::object()}}));
    }
    ~Session() {
        std::remove((directory + "/orvexbridged_conf.json").c_str());
        rmdir(directory.c_str());
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

// Where group `index`'s type digit stands.
std::size_t typeOffset(const std::string& text, std::size_t index) {
    const std::string key = "{\"id\": \"grp-" + std::to_string(index) + "\", \"type\": ";
    const std::size_t at = text.find(key);
    if (at == std::string::npos) std::abort();
    return at + key.size();
}

// The text with group `index`'s type set to `type`.
std::string withType(std::string text, std::size_t index, int type) {
    text[typeOffset(text, index)] = static_cast<char>('0' + type);
    return text;
}

Json editorPosition(const Lsp::TextPositions& positions, std::size_t offset) {
    const Lsp::Position position = positions.positionOf(offset);
    return {{"line", position.line}, {"character", position.character}};
}

// A change as a client that syncs by ranges sends it.
std::string rangedChange(const std::string& uri, const std::string& text, std::size_t from,
                         std::size_t to, const std::string& replacement, int version) {
    const Lsp::TextPositions positions(text);
    const Json range = {{"start", editorPosition(positions, from)},
                        {"end", editorPosition(positions, to)}};
    return body("textDocument/didChange",
                {{"textDocument", {{"uri", uri}, {"version", version}}},
                 {"contentChanges", Json::array({{{"range", range}, {"text", replacement}}})}});
}

// The change as a client that syncs by ranges sends it: one character.
std::string rangedTypeChange(const std::string& uri, const std::string& text, std::size_t index,
                             char digit, int version) {
    const std::size_t at = typeOffset(text, index);
    return rangedChange(uri, text, at, at + 1, std::string(1, digit), version);
}

enum class Sync { Whole, Ranges };

// Alternates one group between a fitting and a clashing type: each change
// adds or removes an error, so every run publishes different diagnostics.
void changeInsideGroup(benchmark::State& state, bool paired, Sync sync) {
    Session session(paired);
    const std::string text = bridgesFile(groupCount());
    session.server.handleBody(
        body("textDocument/didOpen",
             {{"textDocument",
               {{"uri", session.uri}, {"languageId", "json"}, {"version", 1}, {"text", text}}}}));
    const std::size_t middle = groupCount() / 2;
    const std::vector<std::string> bodies =
        sync == Sync::Whole
            ? std::vector<std::string>{changeBody(session.uri, withType(text, middle, 3), 2),
                                       changeBody(session.uri, text, 3)}
            : std::vector<std::string>{
                  rangedTypeChange(session.uri, text, middle, '3', 2),
                  rangedTypeChange(session.uri, text, middle, text[typeOffset(text, middle)], 3)};
    std::size_t turn = 0;
    std::vector<std::size_t> counts;
    for (auto _ : state) {
        const std::size_t before = session.published;
        session.server.handleBody(bodies[turn++ % 2]);
        if (session.published == before) state.SkipWithError("no diagnostics published");
        counts.push_back(session.diagnostics);
    }
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["diagnostics_max"] =
        counts.empty() ? 0.0 : static_cast<double>(*std::max_element(counts.begin(), counts.end()));
}

// A change that adds a group: no single element holds it, so the whole text
// is checked again.
void changeAddsGroup(benchmark::State& state, Sync sync) {
    Session session(false);
    const std::string text = bridgesFile(groupCount());
    session.server.handleBody(
        body("textDocument/didOpen",
             {{"textDocument",
               {{"uri", session.uri}, {"languageId", "json"}, {"version", 1}, {"text", text}}}}));
    const std::string added = "{\"id\": \"{new}\", \"type\": 3, \"rx\": {\"a\": 1}},";
    const std::size_t at = text.find("\"groups\": [") + 11;
    std::string grown = text;
    grown.insert(at, added);
    const std::vector<std::string> bodies =
        sync == Sync::Whole ? std::vector<std::string>{changeBody(session.uri, grown, 2),
                                                       changeBody(session.uri, text, 3)}
                            : std::vector<std::string>{
                                  rangedChange(session.uri, text, at, at, added, 2),
                                  rangedChange(session.uri, grown, at, at + added.size(), "", 3)};
    std::size_t turn = 0;
    for (auto _ : state) session.server.handleBody(bodies[turn++ % 2]);
    state.counters["bytes"] = static_cast<double>(text.size());
}

void openFile(benchmark::State& state) {
    const std::string text = bridgesFile(groupCount());
    // The same text for the tool to be timed on.
    if (const char* out = std::getenv("ORVEX_LSP_BENCH_TEXT")) std::ofstream(out) << text;
    int version = 1;
    for (auto _ : state) {
        state.PauseTiming();
        Session session(false);
        const std::string open = body("textDocument/didOpen", {{"textDocument",
                                                                {{"uri", session.uri},
                                                                 {"languageId", "json"},
                                                                 {"version", version++},
                                                                 {"text", text}}}});
        state.ResumeTiming();
        session.server.handleBody(open);
    }
}

// A group written with one member twice, so that its duplicate_key issue
// carries a fix for the code action to offer.
std::string withDuplicateMember(std::string text, std::size_t index) {
    const std::string key = "{\"id\": \"grp-" + std::to_string(index) + "\", ";
    const std::size_t at = text.find(key);
    if (at == std::string::npos) std::abort();
    text.insert(at + key.size(), "\"name\": \"twice\", ");
    const std::size_t name = text.find("\"name\": ", at + key.size() + 17);
    text.insert(name, "\"name\": \"again\", ");
    return text;
}

// Where a needle (the skip-th match) stands, as the editor names it.
Json positionOf(const std::string& text, const std::string& needle, int skip, std::ptrdiff_t add) {
    std::size_t at = text.find(needle);
    while (skip-- > 0 && at != std::string::npos) at = text.find(needle, at + 1);
    if (at == std::string::npos) std::abort();
    const Lsp::Position position = Lsp::TextPositions(text).positionOf(
        static_cast<std::size_t>(static_cast<std::ptrdiff_t>(at) + add));
    return {{"line", position.line}, {"character", position.character}};
}

enum class Asked { References, Rename, CodeAction, GroupIds, Members, Symbols, Hover, Definition };

Json paramsFor(Asked asked, const std::string& uri, const std::string& text) {
    const Json document = {{"uri", uri}};
    const std::string middle = "\"grp-" + std::to_string(groupCount() / 2) + "\"";
    switch (asked) {
        case Asked::References:
            return {{"textDocument", document},
                    {"position", positionOf(text, middle, 1, 2)},
                    {"context", {{"includeDeclaration", true}}}};
        case Asked::Rename:
            return {{"textDocument", document},
                    {"position", positionOf(text, middle, 1, 2)},
                    {"newName", "{renamed}"}};
        case Asked::CodeAction: {
            // The group's line, from the first member written twice to the second.
            return {{"textDocument", document},
                    {"range",
                     {{"start", positionOf(text, "\"name\": \"twice\"", 0, 0)},
                      {"end", positionOf(text, "\"name\": \"again\"", 0, 16)}}},
                    {"context", {{"diagnostics", Json::array()}}}};
        }
        case Asked::GroupIds:
            return {{"textDocument", document}, {"position", positionOf(text, middle, 1, 6)}};
        case Asked::Members:
            return {{"textDocument", document}, {"position", positionOf(text, middle, 0, -6)}};
        case Asked::Symbols:
            return {{"textDocument", document}};
        case Asked::Hover:
        case Asked::Definition:
            // A bridge's reference to the middle group.
            return {{"textDocument", document}, {"position", positionOf(text, middle, 1, 2)}};
    }
    return {};
}

const char* methodFor(Asked asked) {
    switch (asked) {
        case Asked::References:
            return "textDocument/references";
        case Asked::Rename:
            return "textDocument/rename";
        case Asked::CodeAction:
            return "textDocument/codeAction";
        case Asked::GroupIds:
        case Asked::Members:
            return "textDocument/completion";
        case Asked::Symbols:
            return "textDocument/documentSymbol";
        case Asked::Hover:
            return "textDocument/hover";
        case Asked::Definition:
            return "textDocument/definition";
    }
    return "";
}

// From a request's body to its answer, on the open large file.
void request(benchmark::State& state, Asked asked) {
    Session session(false);
    const std::string text = withDuplicateMember(bridgesFile(groupCount()), 7);
    session.server.handleBody(
        body("textDocument/didOpen",
             {{"textDocument",
               {{"uri", session.uri}, {"languageId", "json"}, {"version", 1}, {"text", text}}}}));
    const std::string ask = Lsp::serialise({{"jsonrpc", "2.0"},
                                            {"id", 7},
                                            {"method", methodFor(asked)},
                                            {"params", paramsFor(asked, session.uri, text)}});
    for (auto _ : state) {
        const std::size_t before = session.answered;
        session.server.handleBody(ask);
        if (session.answered == before) state.SkipWithError("no answer");
    }
    state.counters["answer_bytes"] = static_cast<double>(session.answerBytes);
}

// Reading a didOpen body of the whole file into the value its handler
// reads: the server's message reader, against the library's text reader
// (its lean document, the text taken out of it), which could replace it.
enum class Reader { Message, Library };

void readOpen(benchmark::State& state, Reader reader) {
    const std::string text = bridgesFile(groupCount());
    const std::string open = body("textDocument/didOpen", {{"textDocument",
                                                            {{"uri", "file:///bench/bridges.json"},
                                                             {"languageId", "json"},
                                                             {"version", 1},
                                                             {"text", text}}}});
    for (auto _ : state) {
        std::string copy = open;
        std::size_t read = 0;
        if (reader == Reader::Message) {
            const Json message = Lsp::parseMessage(std::move(copy));
            read = message["params"]["textDocument"]["text"].get_ref<const std::string&>().size();
        } else {
            const ParsedText parsed = parseText(std::string_view(copy), nullptr);
            const std::string taken(
                parsed.root().member("params").member("textDocument").member("text").string());
            read = taken.size();
        }
        if (read != text.size()) state.SkipWithError("the text was not read");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * open.size()));
}

BENCHMARK_CAPTURE(readOpen, message_reader, Reader::Message)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readOpen, library_reader, Reader::Library)->Unit(benchmark::kMillisecond);

// The first request of a version whose check carried a ranged edit (one
// group's type, not timed): what an editor asks at once after typing.
void requestAfterEdit(benchmark::State& state, Asked asked) {
    Session session(false);
    const std::string text = bridgesFile(groupCount());
    session.server.handleBody(
        body("textDocument/didOpen",
             {{"textDocument",
               {{"uri", session.uri}, {"languageId", "json"}, {"version", 1}, {"text", text}}}}));
    const std::size_t edited = groupCount() / 2 + 1;
    const std::vector<std::string> edits = {
        rangedTypeChange(session.uri, text, edited, '3', 2),
        rangedTypeChange(session.uri, text, edited, text[typeOffset(text, edited)], 3)};
    const std::string ask = Lsp::serialise({{"jsonrpc", "2.0"},
                                            {"id", 7},
                                            {"method", methodFor(asked)},
                                            {"params", paramsFor(asked, session.uri, text)}});
    std::size_t turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        session.server.handleBody(edits[turn++ % 2]);
        state.ResumeTiming();
        const std::size_t before = session.answered;
        session.server.handleBody(ask);
        if (session.answered == before) state.SkipWithError("no answer");
    }
    state.counters["answer_bytes"] = static_cast<double>(session.answerBytes);
}

BENCHMARK_CAPTURE(request, hover, Asked::Hover)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(request, definition, Asked::Definition)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(requestAfterEdit, hover, Asked::Hover)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(requestAfterEdit, definition, Asked::Definition)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(requestAfterEdit, document_symbols, Asked::Symbols)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(request, references, Asked::References)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(request, rename, Asked::Rename)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(request, code_action, Asked::CodeAction)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(request, completion_group_ids, Asked::GroupIds)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(request, completion_members, Asked::Members)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(request, document_symbols, Asked::Symbols)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(changeInsideGroup, alone, false, Sync::Whole)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(changeInsideGroup, paired, true, Sync::Whole)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(changeInsideGroup, alone_ranged, false, Sync::Ranges)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(changeInsideGroup, paired_ranged, true, Sync::Ranges)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(changeAddsGroup, whole, Sync::Whole)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(changeAddsGroup, ranged, Sync::Ranges)->Unit(benchmark::kMillisecond);
BENCHMARK(openFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
