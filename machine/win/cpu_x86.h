// The processor instructions behind MxCPU: CPUID and RDTSC, for i686 and
// x86_64 alike, with the checks that keep them from faulting on processors
// that lack them.
#pragma once

#include "machine/core/cpu.h"

#include <cstdint>

namespace zunda {

// Whether the processor executes CPUID (the ID flag of EFLAGS can be toggled).
bool HasCpuid();
// Throws Failure when the processor has no CPUID.
machine::CpuidRegs ExecuteCpuid(std::uint32_t leaf);
// Whether CPUID reports a time-stamp counter.
bool HasTimeStampCounter();
// RDTSC; throws Failure when the processor has no time-stamp counter.
std::uint64_t TimeStampNow();

// QueryPerformanceCounter, RDTSC and the calling thread's priority.
class Win32Timing final : public machine::TimingSource {
public:
    bool CounterFrequency(std::uint64_t& hz) override;
    std::uint64_t Counter() override;
    std::uint64_t TimeStamp() override;
    bool GetPriority(int& priority) override;
    void SetPriority(int priority) override;

private:
    int tsc_ = -1;  // unknown, 0 no, 1 yes
};

}  // namespace zunda
