// The file this program's code was loaded from, for starting it again.
#pragma once

#include <optional>
#include <string>

namespace OrvexConfigValidate::Tool {

// The path of the executable holding this code, only when it is also the
// program the kernel started: not when a loader runs it (`ld.so TOOL`, as on
// a noexec mount) or an emulator does (valgrind), where /proc/self/exe names
// that program instead, and not when the file was replaced since.
std::optional<std::string> startedProgramFile();

}  // namespace OrvexConfigValidate::Tool
