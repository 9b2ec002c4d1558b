#pragma once

#include "Deployments.hpp"

namespace OrvexConfigValidate::Tool {

// Large inputs fill hundreds of MiB of fresh heap, and faulting that in
// 4 KiB pages costs more than parsing it. glibc puts its heap on transparent
// huge pages when the GLIBC_TUNABLES variable asks for it, but reads the
// variable only when a program starts: so the program starts itself once
// more with it set. Returns only when it did not (small inputs, the variable
// already set, or exec failing; the run then goes on as it is).
void restartWithHugePages(char** argv);

// The same, only when the plan's files hold at least kHugePagesFrom bytes:
// for small inputs the second start would cost more than it saves.
inline constexpr std::uintmax_t kHugePagesFrom = std::uintmax_t{1} << 20;
void restartWithHugePagesFor(const InputPlan& plan, char** argv);

}  // namespace OrvexConfigValidate::Tool
