// The test before the server starts or reloads (--config-test): the server
// file and the bridges file it names, read as the server opens them and
// judged as the pair, reported on standard error as service managers and
// configuration tools expect of such a test.
#pragma once

#include <string>

#include "Arguments.hpp"

namespace OrvexConfigValidate::Tool {

struct ConfigTestOutcome {
    std::string text;  // for standard error
    int status = 0;    // 0 passed, 1 failed, 2 an input could not be read
};

ConfigTestOutcome runConfigTest(const CommandLine& line, const std::string& program, bool colour);

}  // namespace OrvexConfigValidate::Tool
