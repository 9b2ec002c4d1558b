// Uses the installed library the way an outside project would.
#include <iostream>

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

int main() {
    const auto rejected = OrvexConfigValidate::validate("", nlohmann::json::object(), {});
    const auto accepted = OrvexConfigValidate::validate(
        "NetworkAddress", {{"address", "10.0.0.1"}, {"port", 7443}}, {});
    if (rejected.ok || rejected.issues.size() != 1 ||
        rejected.issues[0].code != "invalid_parameters") {
        std::cerr << "empty schema id was not rejected\n";
        return 1;
    }
    if (!accepted.ok || !accepted.issues.empty()) {
        std::cerr << "valid network address was rejected\n";
        return 1;
    }
    std::cout << "consumer ok\n";
    return 0;
}
