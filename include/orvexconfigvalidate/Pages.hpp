// Memory pages of large buffers.
#pragma once

#include <cstddef>

namespace OrvexConfigValidate {

// Asks the kernel to back the whole pages of [data, data + bytes) with
// transparent huge pages when they are first touched: a large document's
// text and index fault in 2 MiB at a time instead of 4 KiB. Call it before
// the buffer is written. Does nothing for buffers smaller than a huge page,
// where the system has no such advice, or when the kernel declines;
// results never depend on it.
void adviseHugePages(const void* data, std::size_t bytes);

}  // namespace OrvexConfigValidate
