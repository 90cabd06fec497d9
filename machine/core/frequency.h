// The processor clock measured against the performance counter: passes of a
// short busy wait, each timed by the counter and by the time-stamp counter,
// summed up and rounded to the nominal frequency the processor is sold at.
#pragma once

#include <cstdint>
#include <vector>

namespace zunda::machine {

class TimingSource {
public:
    virtual ~TimingSource() = default;
    // QueryPerformanceFrequency; false when the system has no counter.
    virtual bool CounterFrequency(std::uint64_t& hz) = 0;
    virtual std::uint64_t Counter() = 0;
    // RDTSC; throws Failure when the processor has no time-stamp counter.
    virtual std::uint64_t TimeStamp() = 0;
    // The calling thread's priority; false when it cannot be read.
    virtual bool GetPriority(int& priority) = 0;
    virtual void SetPriority(int priority) = 0;
};

constexpr int kTimeCritical = 15;
constexpr int kMinPasses = 3;
constexpr int kMaxPasses = 20;
// Reads of a counter that does not move before a measurement gives up.
constexpr std::uint32_t kStuckCounterReads = 1000000;

struct FrequencyRun {
    std::uint64_t totalCycles = 0;
    std::uint64_t totalMicroseconds = 0;
    std::vector<std::int64_t> passFrequencies;  // MHz, of the passes that measured time
    std::int32_t raw = 0;                       // MHz from the totals
    std::int32_t nominal = 0;
};

// Microseconds of `ticks` counter ticks, rounded.
std::uint64_t Microseconds(std::uint64_t ticks, std::uint64_t counterHz);
// MHz from the totals with the tenths correction.
std::int32_t RawFrequency(std::uint64_t totalCycles, std::uint64_t totalMicroseconds);
// The raw MHz moved to the nearest of the usual steps of a hundred (0, 20,
// 33, 50, 60, 66, 80, 90, 100), a tie going to the higher step.
std::int32_t NominalFrequency(std::int32_t raw);
// True when each of the last three values is within 3 of their sum / 3.
bool PassesAgree(const std::vector<std::int64_t>& frequencies);

// Runs the measurement; 0 MHz when there is no counter or it does not move.
FrequencyRun MeasureFrequency(TimingSource& timing);

}  // namespace zunda::machine
