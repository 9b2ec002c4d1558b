// Enumerations of the configuration format, as the documents carry them.
// Values outside these ranges occur in documents and are passed through.
#pragma once

#include <cstdint>

namespace OrvexConfigValidate {

// Server "mode".
enum OpMode : std::int32_t {
    omRaw = 0,
    omMultistream = 1,
    omMixedStream = 2,
    omADictatedByGroup = 3,
};

// Group "type".
enum GroupType : std::int32_t {
    gtUnknown = 0,
    gtAudio = 1,
    gtPresence = 2,
    gtRaw = 3,
};

// A group's "bridgeTargetOutputDetail" "mode" (BOM).
enum BridgingOpMode : std::int32_t {
    bomRaw = 0,
    bomMultistream = 1,
    bomMixedStream = 2,
    bomNone = 3,
};

}  // namespace OrvexConfigValidate
