#include "schemas/SchemaTexts.hpp"

namespace OrvexConfigValidate {

// The server configuration file.
const char kBridgingServerConfigurationSchemaText[] = R"json({
  "$schema": "http://json-schema.org/draft-07/schema#",
  "$id": "https://schemas.orvex.example/schemas/BridgingServerConfiguration.schema.json",
  "title": "BridgingServerConfiguration",
  "type": "object",
  "required": ["enginePolicy"],
  "additionalProperties": true,
  "properties": {
    "id": { "type": "string" },
    "mode": {
      "type": "integer",
      "enum": [0, 1, 2, 3],
      "description": "omRaw=0, omMultistream=1, omMixedStream=2, omADictatedByGroup=3"
    },
    "serviceConfigurationFileCheckSecs": { "type": "integer", "minimum": 0 },
    "bridgingConfigurationFileName": { "type": "string" },
    "bridgingConfigurationFileCommand": { "type": "string" },
    "bridgingConfigurationFileCheckSecs": { "type": "integer", "minimum": 0 },
    "certStoreFileName": { "type": "string" },
    "certStorePasswordHex": { "type": "string" },
    "configurationCheckSignalName": { "type": "string" },
    "enginePolicy": { "type": "object", "additionalProperties": true },
    "statusReport": { "type": "object", "additionalProperties": true },
    "externalHealthCheckResponder": { "type": "object", "additionalProperties": true },
    "internals": { "type": "object", "additionalProperties": true },
    "fipsCrypto": { "type": "object", "additionalProperties": true },
    "statusUpload": {
      "type": "object",
      "additionalProperties": true,
      "properties": {
        "baseUrl": { "type": "string" },
        "timeoutSecs": { "type": "integer", "minimum": 1 },
        "apiKey": { "type": "string" },
        "tls": { "type": "object", "additionalProperties": true }
      }
    },
    "nsm": {
      "type": "object",
      "description": "Embedded NSM settings: shared statusReport plus nodes[]. Legacy top-level nsmNodes/nsmNode still accepted.",
      "additionalProperties": true,
      "properties": {
        "statusReport": { "type": "object", "additionalProperties": true },
        "nodes": {
          "type": "array",
          "items": { "type": "object", "additionalProperties": true }
        }
      }
    },
    "nsmNodes": {
      "type": "array",
      "description": "Legacy alias for nsm.nodes",
      "items": { "type": "object", "additionalProperties": true }
    },
    "kelCloud": { "type": "object", "additionalProperties": true }
  }
})json";

}  // namespace OrvexConfigValidate
