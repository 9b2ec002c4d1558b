#include "schemas/SchemaTexts.hpp"

namespace OrvexConfigValidate {

// The bridges file: bridges and the groups they join.
const char kBridgingConfigurationSchemaText[] = R"json({
  "$schema": "http://json-schema.org/draft-07/schema#",
  "$id": "https://schemas.orvex.example/schemas/BridgingConfiguration.schema.json",
  "title": "BridgingConfiguration",
  "type": "object",
  "additionalProperties": true,
  "properties": {
    "bridges": {
      "type": "array",
      "items": {
        "type": "object",
        "additionalProperties": true,
        "properties": {
          "id": { "type": "string" },
          "name": { "type": "string" },
          "groups": { "type": "array", "items": { "type": "string" } },
          "enabled": { "type": "boolean" },
          "active": { "type": "boolean" },
          "resource": {
            "type": "object",
            "additionalProperties": true,
            "properties": {
              "id": { "type": "string" }
            }
          },
          "lossGraceMs": { "type": "integer", "minimum": 0 }
        }
      }
    },
    "groups": {
      "type": "array",
      "items": { "$ref": "Group.schema.json" }
    }
  }
})json";

}  // namespace OrvexConfigValidate
