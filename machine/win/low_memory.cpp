#include "machine/win/low_memory.h"

#include <windows.h>

namespace zunda {

std::string ReadLowMemoryString(std::uint32_t address, std::size_t bound) {
    std::string out;
    if (address == 0 || bound == 0) return out;
    const char* p = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(address));
    // Probed first: a fault here would take the client process with it.
    if (IsBadReadPtr(p, bound)) return out;
    for (std::size_t i = 0; i < bound && p[i] != '\0'; ++i) out.push_back(p[i]);
    return out;
}

}  // namespace zunda
