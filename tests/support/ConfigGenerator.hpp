#pragma once

#include <cstddef>
#include <string>

namespace OrvexConfigValidate {

// Text of a realistic bridges file with `groups` audio groups (each with
// vortapoints, tx and rx) and `groups` bridges that each join two groups.
// Valid against "BridgingConfiguration" and free of semantic errors.
std::string generateBridgingConfiguration(std::size_t groups);

// A server file that satisfies its schema, with the given server mode.
std::string generateServerConfiguration(int mode);

// {"server": <server text>, "bridges": <bridges text>} as text.
std::string composeObs(const std::string& serverText, const std::string& bridgesText);

}  // namespace OrvexConfigValidate
