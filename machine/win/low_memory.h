// Reading the BIOS area of the first megabyte, which Windows 9x maps at the
// same linear addresses into every process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zunda {

// The zero-terminated string at `address`, at most `bound` bytes; empty
// when the memory there cannot be read. Call it on Windows 9x only: on NT
// that memory belongs to no one.
std::string ReadLowMemoryString(std::uint32_t address, std::size_t bound);

}  // namespace zunda
