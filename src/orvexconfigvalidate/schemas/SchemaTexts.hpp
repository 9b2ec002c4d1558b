// The texts of the seven embedded schema documents (draft-07, plain ASCII).
#pragma once

namespace OrvexConfigValidate {

extern const char kBridgingConfigurationSchemaText[];
extern const char kBridgingServerConfigurationSchemaText[];
extern const char kObsSchemaText[];
extern const char kGroupSchemaText[];
extern const char kNetworkAddressSchemaText[];
extern const char kEnumsSchemaText[];
extern const char kProjectSchemaText[];

}  // namespace OrvexConfigValidate
