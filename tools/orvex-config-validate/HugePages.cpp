#include "HugePages.hpp"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "ProgramFile.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

constexpr char kVariable[] = "GLIBC_TUNABLES";
constexpr char kTunable[] = "glibc.malloc.hugetlb";

std::uintmax_t sizeOf(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return 0;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : size;
}

// What the plan will read: a deployment's bridges file is the one the
// deployment index found its server file naming.
std::uintmax_t inputBytes(const InputPlan& plan) {
    std::uintmax_t total = 0;
    for (const CheckUnit& unit : plan.plan.units) {
        for (const std::string& path : unit.paths) total += sizeOf(path);
        total += unit.claimedFile.empty() ? unit.partnerBytes : sizeOf(unit.claimedFile);
    }
    return total;
}

}  // namespace

void restartWithHugePages(char** argv) {
    const char* current = std::getenv(kVariable);
    // Set already, by an earlier start or by the user: never loop.
    if (current != nullptr && std::strstr(current, kTunable) != nullptr) return;
    // Only ever this tool again, with its own arguments: never the loader or
    // emulator that runs it.
    const std::optional<std::string> program = startedProgramFile();
    if (!program) return;
    const std::string previous = current == nullptr ? "" : current;
    const std::string wanted =
        (previous.empty() ? "" : previous + ":") + std::string(kTunable) + "=1";
    if (setenv(kVariable, wanted.c_str(), 1) != 0) return;
    execv(program->c_str(), argv);
    // Still here: exec failed. Leave the environment as it was.
    if (current == nullptr) {
        unsetenv(kVariable);
    } else {
        setenv(kVariable, previous.c_str(), 1);
    }
}

void restartWithHugePagesFor(const InputPlan& plan, char** argv) {
    if (inputBytes(plan) >= kHugePagesFrom) restartWithHugePages(argv);
}

}  // namespace OrvexConfigValidate::Tool
