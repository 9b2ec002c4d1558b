// The library's whole public interface, one header a concept:
// - Document.hpp: a JSON text read once (Document, parseText) and the
//   read-only view of its values (JsonView) that every check reads;
// - Validation.hpp: validate() and validateText() on the six schema ids,
//   issues, results, fixes, the Validator and the issue codes;
// - Text.hpp: lines, positions, UTF-8 sequences, the byte-order mark;
// - Escape.hpp: outside text written into another language (terminal,
//   XML, workflow commands, diff headers, DOT, Mermaid, Markdown);
// - Pointer.hpp: RFC 6901 pointers into a document;
// - JsonWriter.hpp: JSON text written as it goes, compact or indented;
// - Report.hpp: checked files with their issues placed, and the JSON report;
// - Configuration.hpp: what a configuration document holds (the model);
// - Deployment.hpp: a server file and the bridges file it names, judged
//   together, and the deployment index that knows them from both sides;
// - Workspace.hpp: an editor's open documents, one snapshot per version;
// - MemberCatalogue.hpp: what each member of the six schemas means;
// - Pages.hpp: huge-page advice for large buffers;
// - Compare.hpp, Effective.hpp, Format.hpp, Graph.hpp: the review tools
//   (two versions compared, what the server runs, the canonical layout,
//   the deployment as a graph).
#pragma once

#include <orvexconfigvalidate/Compare.hpp>          // IWYU pragma: export
#include <orvexconfigvalidate/Configuration.hpp>    // IWYU pragma: export
#include <orvexconfigvalidate/Deployment.hpp>       // IWYU pragma: export
#include <orvexconfigvalidate/Document.hpp>         // IWYU pragma: export
#include <orvexconfigvalidate/Effective.hpp>        // IWYU pragma: export
#include <orvexconfigvalidate/Escape.hpp>           // IWYU pragma: export
#include <orvexconfigvalidate/Format.hpp>           // IWYU pragma: export
#include <orvexconfigvalidate/Graph.hpp>            // IWYU pragma: export
#include <orvexconfigvalidate/JsonWriter.hpp>       // IWYU pragma: export
#include <orvexconfigvalidate/MemberCatalogue.hpp>  // IWYU pragma: export
#include <orvexconfigvalidate/Pages.hpp>            // IWYU pragma: export
#include <orvexconfigvalidate/Pointer.hpp>          // IWYU pragma: export
#include <orvexconfigvalidate/Project.hpp>          // IWYU pragma: export
#include <orvexconfigvalidate/Report.hpp>           // IWYU pragma: export
#include <orvexconfigvalidate/Text.hpp>             // IWYU pragma: export
#include <orvexconfigvalidate/Validation.hpp>       // IWYU pragma: export
#include <orvexconfigvalidate/Workspace.hpp>        // IWYU pragma: export
