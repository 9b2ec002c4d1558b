#include "schemas/SchemaTexts.hpp"

namespace OrvexConfigValidate {

// A host address with a port; referred to by no other document.
const char kNetworkAddressSchemaText[] = R"json({
  "$schema": "http://json-schema.org/draft-07/schema#",
  "$id": "https://schemas.orvex.example/schemas/common/NetworkAddress.schema.json",
  "title": "NetworkAddress",
  "type": "object",
  "additionalProperties": true,
  "properties": {
    "address": { "type": "string" },
    "port": { "type": "integer", "minimum": 0, "maximum": 65535 }
  }
})json";

}  // namespace OrvexConfigValidate
