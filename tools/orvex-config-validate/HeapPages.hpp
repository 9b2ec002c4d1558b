#pragma once

#include <cstdint>

#include "Deployments.hpp"

namespace OrvexConfigValidate::Tool {

// Plans whose files hold at least this many bytes get their heap on huge
// pages: from here the document fills most of one 2 MiB page, and one fault
// of such a page costs less than the 4 KiB faults it spares.
inline constexpr std::uintmax_t kHugeHeapFrom = std::uintmax_t{192} << 10;

// A large file's document is hundreds of thousands of small blocks, and the
// kernel faulting them in 4 KiB pages costs more than reading the text. So,
// in this process and before reading, the heap grows once by what the plan's
// files will fill and the kernel is asked to back that range with
// transparent huge pages. Does nothing for smaller plans, off glibc, or when
// the memory is not to be had: results are the same either way.
void reserveHugeHeapFor(const InputPlan& plan);

// The same for a command that knows how many bytes it will read.
void reserveHugeHeapForBytes(std::uintmax_t inputBytes);

// The same for the language server, which holds whole workspaces: a fixed
// reservation, made before the first message.
void reserveHugeHeapForServer();

}  // namespace OrvexConfigValidate::Tool
