// The draft-07 meta-schema, so that "$ref" to it resolves without network.
#pragma once

namespace OrvexConfigValidate {

// Its location, without the empty fragment its "$id" carries.
constexpr const char* kDraft07MetaSchemaUri = "http://json-schema.org/draft-07/schema";

// The document's JSON text.
extern const char* const kDraft07MetaSchemaText;

}  // namespace OrvexConfigValidate
