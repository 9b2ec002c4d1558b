#include "schemas/SchemaTexts.hpp"

namespace OrvexConfigValidate {

// Shared enumerations under "$defs"; a validator that only knows
// "definitions" treats them as an unknown keyword, so this constrains nothing.
const char kEnumsSchemaText[] = R"json({
  "$schema": "http://json-schema.org/draft-07/schema#",
  "$id": "https://schemas.orvex.example/schemas/common/enums.schema.json",
  "title": "Orvex common enums",
  "$defs": {
    "OpMode": {
      "type": "integer",
      "enum": [0, 1, 2, 3],
      "description": "BridgingServerConfiguration.OpMode_t"
    },
    "GroupType": {
      "type": "integer",
      "enum": [0, 1, 2, 3],
      "description": "Group.Type_t: gtUnknown=0, gtAudio=1, gtPresence=2, gtRaw=3"
    },
    "BridgingOpMode": {
      "type": "integer",
      "enum": [0, 1, 2, 3],
      "description": "GroupBridgeTargetOutputDetail.BridgingOpMode_t"
    }
  }
})json";

}  // namespace OrvexConfigValidate
