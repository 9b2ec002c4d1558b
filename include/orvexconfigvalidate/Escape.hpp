// Text from documents and file names written into another language: one
// escaper per language, all here, so that no report, diagram or header
// carries outside text raw. Each keeps what it can show and codes the rest;
// none ever lets the text become syntax of the language around it.
#pragma once

#include <string>
#include <string_view>

namespace OrvexConfigValidate {

enum class LineBreaks {
    Escape,  // for line-based output, where a line break could forge a line
    Keep,    // tab, line feed and carriage return kept, for formats that quote them
};

// Terminal and line-based reports. Control characters (C0, DEL and C1, so
// also escape sequences) and the two code points that XML 1.0 cannot carry
// (U+FFFE, U+FFFF) become \u001b-style escapes and bytes that are not
// well-formed UTF-8 become \xff-style escapes; everything else is kept as
// it is. Every other escaper here starts from this.
std::string printable(std::string_view text, LineBreaks lineBreaks = LineBreaks::Escape);

// XML 1.0 character data or attribute value: markup characters become
// entities, what XML cannot carry is escaped as printable() does; in
// attributes tab, CR and LF are character references so that they survive
// attribute normalisation.
std::string escapeXml(std::string_view text, bool attribute);

// GitHub Actions workflow commands: "%", CR and LF of a command's message;
// in a property value also ":" and ",".
std::string escapeWorkflowData(std::string_view text);
std::string escapeWorkflowProperty(std::string_view text);

// A file name in a diff header as git writes it: as it is, or, when a byte
// could cut or forge the line or reach a terminal (a control byte, a quote,
// a backslash, a byte beyond ASCII), C-quoted with octal escapes.
std::string gitQuoted(std::string_view name);

// One line of a Graphviz label inside a double-quoted string: quotes and
// backslashes escaped (no "\N" or "\l" of the text is read as Graphviz's),
// and "&" written "&amp;", since Graphviz reads HTML entities in every label.
std::string dotLabelText(std::string_view text);

// One line of a Mermaid label inside a double-quoted node text: every
// character Mermaid reads as syntax (a quote, "&", "#", "%" of a directive or
// comment, angle brackets of HTML, the words that start style statements)
// as an entity code, and Mermaid's own stand-ins for "&" and ";" escaped.
std::string mermaidLabelText(std::string_view text);

// A Markdown (CommonMark) code span showing the text as written: line
// breaks escaped, so none can end the span or start a block, and a fence
// longer than any run of backticks in it.
std::string markdownCode(std::string_view text);

}  // namespace OrvexConfigValidate
