#include "machine/win/cpu_x86.h"

#include "server/core/failure.h"

#include <windows.h>
#include <cpuid.h>
#include <x86intrin.h>

namespace zunda {

bool HasCpuid() {
#if defined(__x86_64__)
    return true;
#else
    // A 386 or an early 486 cannot toggle bit 21 of EFLAGS and has no CPUID.
    unsigned long original = 0, toggled = 0;
    __asm__ volatile(
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl $0x200000, %1\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %1\n\t"
        "pushl %0\n\t"
        "popfl\n\t"
        : "=&r"(original), "=&r"(toggled)
        :
        : "cc");
    return ((original ^ toggled) & 0x200000) != 0;
#endif
}

machine::CpuidRegs ExecuteCpuid(std::uint32_t leaf) {
    static const bool available = HasCpuid();
    if (!available) throw Failure("The processor does not support the CPUID instruction.");
    machine::CpuidRegs r;
    __cpuid_count(leaf, 0, r.eax, r.ebx, r.ecx, r.edx);
    return r;
}

bool HasTimeStampCounter() { return HasCpuid() && (ExecuteCpuid(1).edx & (1u << 4)) != 0; }

// RDTSC by hand: in this toolchain the __rdtsc intrinsic, with the Windows
// headers in the same unit, compiles to a call of itself.
std::uint64_t TimeStampNow() {
    std::uint32_t low = 0, high = 0;
    __asm__ volatile("rdtsc" : "=a"(low), "=d"(high));
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

bool Win32Timing::CounterFrequency(std::uint64_t& hz) {
    LARGE_INTEGER f;
    if (!QueryPerformanceFrequency(&f) || f.QuadPart <= 0) return false;
    hz = static_cast<std::uint64_t>(f.QuadPart);
    return true;
}

std::uint64_t Win32Timing::Counter() {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<std::uint64_t>(c.QuadPart);
}

std::uint64_t Win32Timing::TimeStamp() {
    if (tsc_ < 0) tsc_ = HasTimeStampCounter() ? 1 : 0;
    if (!tsc_) throw Failure("The processor has no time-stamp counter.");
    return TimeStampNow();
}

bool Win32Timing::GetPriority(int& priority) {
    const int p = GetThreadPriority(GetCurrentThread());
    if (p == THREAD_PRIORITY_ERROR_RETURN) return false;
    priority = p;
    return true;
}

void Win32Timing::SetPriority(int priority) { SetThreadPriority(GetCurrentThread(), priority); }

}  // namespace zunda
