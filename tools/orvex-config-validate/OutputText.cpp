#include "OutputText.hpp"

namespace OrvexConfigValidate::Tool {

std::string issueText(const Diagnostic& diagnostic, bool withPointer) {
    std::string text;
    if (withPointer && !diagnostic.path.empty() && diagnostic.path != "/") {
        text = diagnostic.path + ": ";
    }
    text += diagnostic.message;
    if (!diagnostic.hint.empty()) text += " (" + diagnostic.hint + ")";
    return text;
}

}  // namespace OrvexConfigValidate::Tool
