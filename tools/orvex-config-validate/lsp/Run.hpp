// The language server on a pair of streams: framing in, framing out.
#pragma once

#include <ostream>
#include <string>

#include "Checker.hpp"

namespace OrvexConfigValidate::Lsp {

// What happens to the server's documents when it stops.
enum class AtStop {
    Destroy,
    // Left to the end of the process: a program that exits next would only
    // spend time freeing them piece by piece.
    KeepToExit,
};

// Serves until "exit" or the end of the input; returns the exit status
// (0 after an orderly shutdown, 1 otherwise).
int runLanguageServer(int inputDescriptor, std::ostream& output, const std::string& version,
                      CheckSettings defaults = {}, AtStop atStop = AtStop::Destroy);

}  // namespace OrvexConfigValidate::Lsp
