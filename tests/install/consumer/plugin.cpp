// A shared object that validates through the static library, as a plugin or
// a language binding would.
#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

bool pluginAcceptsText(const char* text) {
    return OrvexConfigValidate::validateText("NetworkAddress", text, {}).ok;
}
