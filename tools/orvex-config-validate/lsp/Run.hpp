// The language server on a pair of streams: framing in, framing out.
#pragma once

#include <ostream>
#include <string>

#include "Checker.hpp"

namespace OrvexConfigValidate::Lsp {

// Serves until "exit" or the end of the input; returns the exit status
// (0 after an orderly shutdown, 1 otherwise).
int runLanguageServer(int inputDescriptor, std::ostream& output, const std::string& version,
                      CheckSettings defaults = {});

}  // namespace OrvexConfigValidate::Lsp
