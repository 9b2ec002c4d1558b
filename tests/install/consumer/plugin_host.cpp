// Loads the plugin, which carries the library, and asks it for verdicts.
#include <iostream>

bool pluginAcceptsText(const char* text);

int main() {
    if (!pluginAcceptsText(R"({"address": "10.0.0.1", "port": 7443})") ||
        pluginAcceptsText(R"({"address": "10.0.0.1", "port": 74430})")) {
        std::cerr << "the plugin's verdicts are wrong\n";
        return 1;
    }
    std::cout << "plugin ok\n";
    return 0;
}
