// The frequency measurement with simulated counters: rounding, fast and
// wrapping counters, a counter that stands still, and the thread priority.
#include "machine/core/frequency.h"
#include "server/core/failure.h"

#include <gtest/gtest.h>

#include <limits>

namespace zunda::machine {
namespace {

// A performance counter of `hz` that advances `step` ticks per read, and a
// time-stamp counter running at `mhz` in step with it.
class SimulatedTiming final : public TimingSource {
public:
    SimulatedTiming(std::uint64_t hz, double mhz, std::uint64_t step = 3) : hz_(hz), mhz_(mhz), step_(step) {}
    bool CounterFrequency(std::uint64_t& hz) override {
        hz = hz_;
        return hasCounter;
    }
    std::uint64_t Counter() override {
        ++counterReads;
        if (!frozen) {
            elapsed_ += step_;
            counter += step_;
        }
        return counter;
    }
    std::uint64_t TimeStamp() override {
        if (!hasTsc) throw Failure("no time-stamp counter");
        return tscStart + static_cast<std::uint64_t>(static_cast<double>(elapsed_) * mhz_ * 1e6 / static_cast<double>(hz_));
    }
    bool GetPriority(int& p) override {
        p = priority;
        return priorityReadable;
    }
    void SetPriority(int p) override {
        priority = p;
        ++priorityChanges;
    }

    bool hasCounter = true, hasTsc = true, frozen = false, priorityReadable = true;
    std::uint64_t counter = 0, tscStart = 0, counterReads = 0;
    int priority = 2, priorityChanges = 0;

private:
    std::uint64_t hz_;
    double mhz_;
    std::uint64_t step_;
    std::uint64_t elapsed_ = 0;
};

TEST(Frequency, NominalSteps) {
    const std::pair<int, int> cases[] = {{233, 233}, {299, 300}, {365, 366}, {395, 400}, {199, 200}, {166, 166},
                                         {450, 450}, {95, 100},  {2600, 2600}, {0, 0},   {10, 20},   {41, 33},
                                         {42, 50},   {1063, 1066}, {1071, 1066}, {1074, 1080}, {3499, 3500}};
    for (auto [raw, nominal] : cases) EXPECT_EQ(NominalFrequency(raw), nominal) << raw;
}

TEST(Frequency, RawFromTotalsRoundsAndCorrectsByTenths) {
    EXPECT_EQ(RawFrequency(0, 0), 0);
    EXPECT_EQ(RawFrequency(2600000, 1000), 2600);
    EXPECT_EQ(RawFrequency(2599500, 1000), 2600);  // halves to even: 2599.5 -> 2600
    EXPECT_EQ(RawFrequency(2598500, 1000), 2598);  // 2598.5 -> 2598
    EXPECT_EQ(RawFrequency(2598400, 1000), 2598);
    EXPECT_EQ(Microseconds(1000, 10000000), 100u);
    EXPECT_EQ(Microseconds(1000, 3579545), 279u);
    EXPECT_EQ(Microseconds(5, 10000000), 0u);  // half a microsecond, to even
    EXPECT_EQ(Microseconds(1000, 0), 0u);
}

TEST(Frequency, PassesAgreeWithinThree) {
    EXPECT_TRUE(PassesAgree({500, 2600, 2601, 2599}));
    EXPECT_TRUE(PassesAgree({2600, 2601, 2602}));
    EXPECT_FALSE(PassesAgree({2600, 2601, 2603}));  // |3*2603 - 7804| = 5
    EXPECT_FALSE(PassesAgree({2600, 2601}));
}

TEST(Frequency, MeasuresWithSlowFastAndWrappingCounters) {
    struct Case {
        const char* what;
        std::uint64_t hz;
        double mhz;
        std::uint64_t counterStart, tscStart;
        int nominal;
    } cases[] = {
        {"10 MHz counter", 10000000, 2600.0, 0, 0, 2600},
        {"ACPI timer", 3579545, 233.0, 0, 0, 233},
        {"counter of 1 GHz", 1000000000, 2600.0, 0, 0, 2600},
        {"counter beyond 32 bits", 5000000000ull, 1995.0, 0, 0, 2000},
        {"counter about to wrap", 10000000, 450.0, std::numeric_limits<std::uint64_t>::max() - 500, 0, 450},
        {"time stamp past 32 bits", 10000000, 3000.0, 0, 0xFFFFFFF0ull, 3000},
        {"time stamp about to wrap", 10000000, 3000.0, 0, std::numeric_limits<std::uint64_t>::max() - 1000, 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedTiming t(c.hz, c.mhz, c.hz >= 1000000000 ? 37 : 3);
        t.counter = c.counterStart;
        t.tscStart = c.tscStart;
        FrequencyRun run = MeasureFrequency(t);
        EXPECT_EQ(run.nominal, c.nominal);
        EXPECT_GE(run.passFrequencies.size(), 3u);
        EXPECT_LE(run.passFrequencies.size(), 20u);
        EXPECT_GT(run.totalMicroseconds, 0u);
        EXPECT_EQ(t.priority, 2);  // restored
    }
}

TEST(Frequency, NoCounterOrAStandingCounterGivesZeroWithoutSpinning) {
    SimulatedTiming none(10000000, 2600.0);
    none.hasCounter = false;
    EXPECT_EQ(MeasureFrequency(none).nominal, 0);
    EXPECT_EQ(none.priorityChanges, 0);

    SimulatedTiming stuck(10000000, 2600.0);
    stuck.frozen = true;
    FrequencyRun run = MeasureFrequency(stuck);
    EXPECT_EQ(run.nominal, 0);
    EXPECT_TRUE(run.passFrequencies.empty());
    EXPECT_LE(stuck.counterReads, static_cast<std::uint64_t>(kStuckCounterReads) + 2);
    EXPECT_EQ(stuck.priority, 2);
}

TEST(Frequency, ThePriorityIsRestoredOnEveryPath) {
    SimulatedTiming noTsc(10000000, 2600.0);
    noTsc.hasTsc = false;
    EXPECT_THROW(MeasureFrequency(noTsc), Failure);
    EXPECT_EQ(noTsc.priority, 2);
    EXPECT_EQ(noTsc.priorityChanges, 2);  // raised once, restored once

    SimulatedTiming unreadable(10000000, 2600.0);
    unreadable.priorityReadable = false;
    EXPECT_EQ(MeasureFrequency(unreadable).nominal, 2600);
    EXPECT_EQ(unreadable.priorityChanges, 0);  // never touched when it cannot be restored
}

}  // namespace
}  // namespace zunda::machine
