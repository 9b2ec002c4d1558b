// The distance to the parse limit in one run, in process: for each file,
// MB/s of a simdjson DOM parse, its structural scan alone, an on-demand walk
// of every value, our read into the document, the read and the schema
// stage, and the whole check (validateText). Each stage is timed over the
// same bytes in memory, in processor time of the thread, the median of
// several runs (at least RUNS, and at least a quarter of a second each);
// the file's own reading is not counted.
//   orvexconfigvalidate_throughput [--runs N] SCHEMA_ID FILE...
// A table in Markdown goes to standard output; bench/throughput runs it on
// the generated files.
#include <simdjson.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include <orvexconfigvalidate/Document.hpp>
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include "SchemaStage.hpp"
#include "schemas/SchemaSet.hpp"

namespace {

using namespace OrvexConfigValidate;

// Keeps a result observable, so that no stage is optimised away.
volatile std::size_t sink = 0;

// Processor time of this thread: on a machine shared with other work it
// moves far less than the clock on the wall.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The median processor seconds of one run of `stage`.
double medianSeconds(const std::function<void()>& stage, int runs) {
    std::vector<double> seconds;
    const double start = threadSeconds();
    while (static_cast<int>(seconds.size()) < runs || threadSeconds() - start < 0.25) {
        const double before = threadSeconds();
        stage();
        seconds.push_back(threadSeconds() - before);
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

// Touches every value as a reader of the document would: every key, every
// string, every number, every literal.
std::size_t walk(simdjson::ondemand::value value) {
    using simdjson::ondemand::json_type;
    std::size_t seen = 1;
    switch (value.type().value()) {
        case json_type::object:
            for (auto field : value.get_object()) {
                seen += field.unescaped_key().value().size();
                seen += walk(field.value().value());
            }
            break;
        case json_type::array:
            for (auto element : value.get_array()) seen += walk(element.value());
            break;
        case json_type::string:
            seen += value.get_string().value().size();
            break;
        case json_type::number:
            seen += value.get_number().value().is_int64() ? 1 : 2;
            break;
        case json_type::boolean:
            seen += value.get_bool().value() ? 1 : 0;
            break;
        case json_type::null:
            seen += value.is_null() ? 1 : 0;
            break;
    }
    return seen;
}

struct Row {
    std::string name;
    std::size_t bytes = 0;
    std::size_t issues = 0;
    // Seconds per stage, in the order of kStages.
    std::vector<double> seconds;
};

const char* const kStages[] = {"simdjson DOM", "simdjson stage one", "simdjson on-demand",
                               "read",         "read + schema",      "check"};

Row measure(const std::string& schemaId, const std::string& name, const std::string& text,
            int runs) {
    Row row{name, text.size(), 0, {}};
    const simdjson::padded_string padded(text);
    simdjson::dom::parser dom;
    simdjson::ondemand::parser ondemand;
    const ValidateOptions options;
    // Read in place, as the tool reads a file it holds; no copy is timed.
    const std::string_view view(text);
    const SchemaSet& schemas = *SchemaSet::embedded();
    const std::vector<std::function<void()>> stages = {
        [&] { sink = sink + (dom.parse(padded).is_object() ? 1 : 0); },
        // An on-demand document is only indexed (the structural scan) until
        // its values are asked for.
        [&] { sink = sink + (ondemand.iterate(padded).error() ? 0 : 1); },
        [&] {
            simdjson::ondemand::document document = ondemand.iterate(padded);
            sink = sink + walk(document.get_value().value());
        },
        [&] { sink = sink + (parseText(view, nullptr).ok() ? 1 : 0); },
        [&] {
            const ParsedText parsed = parseText(view, nullptr);
            ValidationResult result;
            validateAgainstSchema(schemas, schemaId, parsed.root(), result, options);
            sink = sink + result.issues.size();
        },
        [&] { sink = sink + validateText(schemaId, text, options).issues.size(); },
    };
    row.issues = validateText(schemaId, text, options).issues.size();
    for (const auto& stage : stages) row.seconds.push_back(medianSeconds(stage, runs));
    return row;
}

void printTable(const std::vector<Row>& rows) {
    std::cout << "| file | MiB | issues |";
    for (const char* stage : kStages) std::cout << ' ' << stage << " (MB/s) |";
    std::cout << " check ÷ DOM | check (ms) |\n|---|---:|---:|";
    for (std::size_t i = 0; i < std::size(kStages); ++i) std::cout << "---:|";
    std::cout << "---:|---:|\n";
    for (const Row& row : rows) {
        std::printf("| %s | %.1f | %zu |", row.name.c_str(),
                    static_cast<double>(row.bytes) / (1024.0 * 1024.0), row.issues);
        for (const double seconds : row.seconds) {
            std::printf(" %.0f |", static_cast<double>(row.bytes) / seconds / 1e6);
        }
        std::printf(" 1/%.1f | %.1f |\n", row.seconds.back() / row.seconds.front(),
                    row.seconds.back() * 1e3);
    }
    // A file full of issues beside a valid one of the same shape (within a
    // hundredth of its size): what the issues themselves cost.
    for (const Row& broken : rows) {
        for (const Row& valid : rows) {
            if (broken.issues == 0 || valid.issues != 0) continue;
            const double size = static_cast<double>(valid.bytes);
            if (std::abs(static_cast<double>(broken.bytes) - size) > size / 100) continue;
            std::printf("\ncheck of %s (%zu issues) ÷ check of %s: %.2f\n", broken.name.c_str(),
                        broken.issues, valid.name.c_str(),
                        broken.seconds.back() / valid.seconds.back());
        }
    }
}

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    int runs = 7;
    if (arguments.size() >= 2 && arguments[0] == "--runs") {
        runs = std::max(1, std::atoi(arguments[1].c_str()));
        arguments.erase(arguments.begin(), arguments.begin() + 2);
    }
    if (arguments.size() < 2) {
        std::cerr << "usage: " << argv[0] << " [--runs N] SCHEMA_ID FILE...\n";
        return 2;
    }
    std::vector<Row> rows;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string text;
        if (!readFile(arguments[i], text)) {
            std::cerr << argv[0] << ": cannot read " << arguments[i] << "\n";
            return 2;
        }
        const std::size_t slash = arguments[i].rfind('/');
        rows.push_back(measure(arguments[0], arguments[i].substr(slash + 1), text, runs));
    }
    printTable(rows);
    return 0;
}
