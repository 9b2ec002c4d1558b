// What a compiled schema allows at a place, read for an editor rather than
// judged: the subschemas that reach the place and what they name there.
#pragma once

#include <string>
#include <vector>

#include <orvexconfigvalidate/Validation.hpp>

#include "engine/CompiledSchema.hpp"

namespace OrvexConfigValidate {

// Tokens are a pointer's, unescaped. Each step visits every subschema at
// most once.
SchemaPlaceInfo describeSchemaPlace(const CompiledSchema& schema,
                                    const std::vector<std::string>& tokens);

}  // namespace OrvexConfigValidate
