#include "schemas/SchemaTexts.hpp"

namespace OrvexConfigValidate {

// The composite envelope; the only root that rejects unknown members.
const char kObsSchemaText[] = R"json({
  "$schema": "http://json-schema.org/draft-07/schema#",
  "$id": "https://schemas.orvex.example/schemas/Obs.schema.json",
  "title": "Obs",
  "description": "Composite envelope for orvexbridged_conf.json + bridges.json",
  "type": "object",
  "required": ["server", "bridges"],
  "additionalProperties": false,
  "properties": {
    "server": { "$ref": "BridgingServerConfiguration.schema.json" },
    "bridges": { "$ref": "BridgingConfiguration.schema.json" }
  }
})json";

}  // namespace OrvexConfigValidate
