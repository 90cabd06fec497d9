#include "machine/core/memory.h"

namespace zunda::machine {

std::int32_t Saturate32(std::uint64_t value) {
    const std::uint32_t bits = value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>(bits);
}

std::int32_t MemoryValue(const MemoryStatus& s, int selector) {
    switch (selector) {
    case kPhysicalTotal: return Saturate32(s.totalPhys);
    case kPhysicalFree: return Saturate32(s.availPhys);
    case kPageFileTotal: return Saturate32(s.totalPageFile);
    case kPageFileFree: return Saturate32(s.availPageFile);
    case kVirtualTotal: return Saturate32(s.totalVirtual);
    case kVirtualFree: return Saturate32(s.availVirtual);
    case kMemoryLoad: return Saturate32(s.memoryLoad);
    case kAllocGranularity: return Saturate32(s.allocationGranularity);
    case kMaxAppAddress: return Saturate32(s.maxAppAddress);
    case kMinAppAddress: return Saturate32(s.minAppAddress);
    case kPageSize: return Saturate32(s.pageSize);
    default: return 0;
    }
}

}  // namespace zunda::machine
