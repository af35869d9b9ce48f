#pragma once
// How much of a file is read whole.

#include <cstddef>

inline constexpr size_t kWholeFileLimit = 0x800000;   // 8 MiB; longer files are cut there
