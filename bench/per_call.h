// The benchmarks' timer: the seconds one call of f takes, from as many
// calls as fit in at least 0.2 s, so that short calls are not lost in the
// clock's resolution.
#pragma once

#include <chrono>

namespace zunda::bench {

template <class F>
double PerCall(F&& f) {
    using Clock = std::chrono::steady_clock;
    long calls = 0;
    const Clock::time_point start = Clock::now();
    double elapsed = 0;
    do {
        f();
        ++calls;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < 0.2);
    return elapsed / static_cast<double>(calls);
}

}  // namespace zunda::bench
