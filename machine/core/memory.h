// MxMemory's figures: one field of the memory status or the system info per
// property, as a signed 32-bit value.
#pragma once

#include <cstdint>

namespace zunda::machine {

// What GlobalMemoryStatus and GetSystemInfo answer, at the width the
// running build has (64 bits in the 64-bit build).
struct MemoryStatus {
    std::uint64_t totalPhys = 0, availPhys = 0, totalPageFile = 0, availPageFile = 0;
    std::uint64_t totalVirtual = 0, availVirtual = 0;
    std::uint32_t memoryLoad = 0;
    std::uint32_t allocationGranularity = 0;
    std::uint64_t maxAppAddress = 0, minAppAddress = 0;
    std::uint32_t pageSize = 0;
};

// The field selectors of the shared routine.
enum MemoryField : int {
    kPhysicalTotal = 0, kPhysicalFree, kPageFileTotal, kPageFileFree, kVirtualTotal, kVirtualFree,
    kMemoryLoad, kAllocGranularity, kMaxAppAddress, kMinAppAddress, kPageSize,
};

// A value that fits 32 bits keeps its bits (so 2 GiB to 4 GiB read as
// negative numbers); a larger one saturates to 0xFFFFFFFF, that is -1, as
// the 32-bit system call itself does.
std::int32_t Saturate32(std::uint64_t value);

// The field of `selector`, 0 for an unknown selector.
std::int32_t MemoryValue(const MemoryStatus& status, int selector);

}  // namespace zunda::machine
