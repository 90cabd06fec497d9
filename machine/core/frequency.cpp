#include "machine/core/frequency.h"

#include <cmath>
#include <cstdlib>

namespace zunda::machine {
namespace {

// Raises the thread to time-critical for one pass and restores what it had
// on every way out of the pass.
class PriorityBoost {
public:
    explicit PriorityBoost(TimingSource& timing) : timing_(timing) {
        known_ = timing_.GetPriority(previous_);
        if (known_) timing_.SetPriority(kTimeCritical);
    }
    ~PriorityBoost() { Restore(); }
    PriorityBoost(const PriorityBoost&) = delete;
    PriorityBoost& operator=(const PriorityBoost&) = delete;
    void Restore() {
        if (known_) timing_.SetPriority(previous_);
        known_ = false;
    }

private:
    TimingSource& timing_;
    int previous_ = 0;
    bool known_ = false;
};

std::int64_t RoundEven(double v) { return static_cast<std::int64_t>(std::nearbyint(v)); }

// Waits until `ticks` counter ticks have passed since `start`, reading the
// time stamp after every counter read. False when the counter stands still.
bool WaitTicks(TimingSource& timing, std::uint64_t start, std::uint64_t ticks, std::uint64_t& now,
               std::uint64_t& stamp) {
    std::uint64_t last = start;
    std::uint32_t unchanged = 0;
    do {
        now = timing.Counter();
        stamp = timing.TimeStamp();
        if (now == last) {
            if (++unchanged >= kStuckCounterReads) return false;
        } else {
            unchanged = 0;
            last = now;
        }
    } while (now - start < ticks);  // unsigned: a wrapping counter still counts forward
    return true;
}

}  // namespace

std::uint64_t Microseconds(std::uint64_t ticks, std::uint64_t counterHz) {
    if (counterHz == 0) return 0;
    return static_cast<std::uint64_t>(
        RoundEven(static_cast<double>(ticks) * 100000.0 / (static_cast<double>(counterHz) / 10.0)));
}

std::int32_t RawFrequency(std::uint64_t totalCycles, std::uint64_t totalMicroseconds) {
    if (totalMicroseconds == 0) return 0;
    const double c = static_cast<double>(totalCycles), us = static_cast<double>(totalMicroseconds);
    std::int64_t tenths = RoundEven(c * 10.0 / us);
    const std::int64_t hundredths = RoundEven(c * 100.0 / us);
    if (hundredths - tenths * 10 >= 6) ++tenths;
    std::int64_t raw = RoundEven(c / us);
    if (tenths - raw * 10 >= 6) ++raw;
    return static_cast<std::int32_t>(raw);
}

std::int32_t NominalFrequency(std::int32_t raw) {
    static constexpr std::int32_t kSteps[] = {0, 20, 33, 50, 60, 66, 80, 90, 100};
    const std::int32_t r = raw % 100;
    for (size_t i = 1; i < sizeof(kSteps) / sizeof(kSteps[0]); ++i) {
        const std::int32_t s = kSteps[i];
        if (s <= r) continue;
        const std::int32_t p = kSteps[i - 1];
        return r - p < s - r ? raw - r + p : raw - r + s;
    }
    return raw;
}

bool PassesAgree(const std::vector<std::int64_t>& f) {
    if (f.size() < 3) return false;
    const std::int64_t a = f[f.size() - 3], b = f[f.size() - 2], c = f[f.size() - 1];
    const std::int64_t sum = a + b + c;
    for (std::int64_t x : {a, b, c})
        if (std::llabs(3 * x - sum) > 3) return false;
    return true;
}

FrequencyRun MeasureFrequency(TimingSource& timing) {
    FrequencyRun run;
    std::uint64_t hz = 0;
    if (!timing.CounterFrequency(hz) || hz == 0) return run;
    // 50 and 1000 ticks of the usual counters (up to 10 MHz); a faster
    // counter waits as long as a 10 MHz one would, so a pass always spans
    // enough microseconds to be measured.
    const std::uint64_t settleTicks = hz / 200000 > 50 ? hz / 200000 : 50;
    const std::uint64_t passTicks = hz / 10000 > 1000 ? hz / 10000 : 1000;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        std::uint64_t start = 0, now = 0, first = 0, second = 0;
        {
            PriorityBoost boost(timing);
            start = timing.Counter();
            if (!WaitTicks(timing, start, settleTicks, now, first)) break;
            start = now;
            if (!WaitTicks(timing, start, passTicks, now, second)) break;
        }
        const std::uint64_t micros = Microseconds(now - start, hz);
        if (micros == 0) continue;  // measured no time: says nothing
        const std::uint64_t cycles = second - first;
        run.totalCycles += cycles;
        run.totalMicroseconds += micros;
        run.passFrequencies.push_back(RoundEven(static_cast<double>(cycles) / static_cast<double>(micros)));
        if (static_cast<int>(run.passFrequencies.size()) >= kMinPasses && PassesAgree(run.passFrequencies)) break;
    }
    run.raw = RawFrequency(run.totalCycles, run.totalMicroseconds);
    run.nominal = NominalFrequency(run.raw);
    return run;
}

}  // namespace zunda::machine
