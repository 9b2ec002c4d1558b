// Writes docs/configuration.md, the reference of every configuration member,
// to standard output; a test compares the committed page with it.
#include <iostream>

#include "MemberText.hpp"

int main() {
    std::cout << OrvexConfigValidate::Tool::memberReferencePage();
    std::cout.flush();
    return std::cout ? 0 : 1;
}
