// The library's whole public interface, one header a concept:
// - Validation.hpp: validate() and validateText() on the six schema ids,
//   issues, results, parsed texts, fixes, the Validator and the issue codes;
// - Text.hpp: lines, positions, UTF-8 sequences, the byte-order mark;
// - Pointer.hpp: RFC 6901 pointers into a document;
// - JsonWriter.hpp: JSON text written as it goes, compact or indented;
// - Configuration.hpp: what a configuration document holds (the model);
// - Deployment.hpp: a server file and the bridges file it names, judged
//   together.
#pragma once

#include <orvexconfigvalidate/Configuration.hpp>  // IWYU pragma: export
#include <orvexconfigvalidate/Deployment.hpp>     // IWYU pragma: export
#include <orvexconfigvalidate/JsonWriter.hpp>     // IWYU pragma: export
#include <orvexconfigvalidate/Pointer.hpp>        // IWYU pragma: export
#include <orvexconfigvalidate/Text.hpp>           // IWYU pragma: export
#include <orvexconfigvalidate/Validation.hpp>     // IWYU pragma: export
