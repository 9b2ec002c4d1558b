#pragma once

#include <cstddef>
#include <string>

namespace OrvexConfigValidate {

// Text of a realistic bridges file with `groups` audio groups (each with
// vortapoints, tx and rx) and `groups` bridges that each join two groups.
// Valid against "BridgingConfiguration" and free of semantic errors.
std::string generateBridgingConfiguration(std::size_t groups);

// The same kind of file packed tight: short ids, no names or free-form
// members, and every group with vortapoints (host and port), tx, rx and
// bridgeTargetOutputDetail, so that nearly every value is one the schema
// checks. Valid and free of semantic errors like the one above.
std::string generateDenseBridgingConfiguration(std::size_t groups);

// A server file that satisfies its schema, with the given server mode.
std::string generateServerConfiguration(int mode);

// {"server": <server text>, "bridges": <bridges text>} as text.
std::string composeObs(const std::string& serverText, const std::string& bridgesText);

}  // namespace OrvexConfigValidate
