// The parse limit: a simdjson DOM parse of the file, nothing else.
#include <simdjson.h>

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    simdjson::dom::parser parser;
    simdjson::dom::element document;
    if (parser.load(argv[1]).get(document)) {
        std::cerr << "parse failed\n";
        return 1;
    }
    return document.is_object() ? 0 : 1;
}
