#include "schemas/SchemaTexts.hpp"

namespace OrvexConfigValidate {

// One group entry of the bridges file.
const char kGroupSchemaText[] = R"json({
  "$schema": "http://json-schema.org/draft-07/schema#",
  "$id": "https://schemas.orvex.example/schemas/Group.schema.json",
  "title": "Group",
  "type": "object",
  "required": ["id", "type"],
  "additionalProperties": true,
  "properties": {
    "id": { "type": "string", "minLength": 1 },
    "type": {
      "type": "integer",
      "enum": [0, 1, 2, 3],
      "description": "gtUnknown=0, gtAudio=1, gtPresence=2, gtRaw=3"
    },
    "name": { "type": "string" },
    "txAudio": { "type": "object", "additionalProperties": true },
    "bridgeTargetOutputDetail": {
      "type": "object",
      "additionalProperties": true,
      "properties": {
        "mode": {
          "type": "integer",
          "enum": [0, 1, 2, 3],
          "description": "bomRaw=0, bomMultistream=1, bomMixedStream=2, bomNone=3"
        },
        "mixedStreamTxParams": { "type": "object", "additionalProperties": true }
      }
    },
    "vortapoints": {
      "type": "array",
      "items": {
        "type": "object",
        "required": ["host"],
        "additionalProperties": true,
        "properties": {
          "id": { "type": "string" },
          "host": {
            "type": "object",
            "additionalProperties": true,
            "properties": {
              "address": { "type": "string" },
              "port": { "type": "integer", "minimum": 0, "maximum": 65535 }
            }
          }
        }
      }
    },
    "rx": { "type": "object", "additionalProperties": true },
    "tx": { "type": "object", "additionalProperties": true },
    "appTransport": { "type": "object", "additionalProperties": true }
  }
})json";

}  // namespace OrvexConfigValidate
