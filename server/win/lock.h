// A lock for state that objects of several apartments (and so several
// threads) share, such as a process-wide list: a critical section with a
// scoped guard. The toolchain's thread model (kept for Windows XP) has no
// std::mutex, and the system's one-time initialisation functions came after
// Windows XP, so the section is set up on first use by the lock itself.
//
// The constructor is constexpr, so a global or a function-local static lock
// is ready before any code of the library runs (no order of static
// initialisation to depend on, no initialisation guard):
//
//   CriticalSection& PrinterListLock() {
//       static CriticalSection lock;
//       return lock;
//   }
//   ...
//   ScopedLock hold(PrinterListLock());
//
// The lock is recursive (a thread may enter it again) and is not meant to be
// held across a call out of the library.
#pragma once

#include <windows.h>

#include <atomic>

namespace zunda {

class CriticalSection {
public:
    constexpr CriticalSection() noexcept = default;
    ~CriticalSection() {
        if (state_.load(std::memory_order_acquire) == kReady) DeleteCriticalSection(&section_);
    }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() noexcept {
        Ready();
        EnterCriticalSection(&section_);
    }
    void Leave() noexcept { LeaveCriticalSection(&section_); }

private:
    static constexpr long kNew = 0, kStarting = 1, kReady = 2;

    // The first thread to arrive initialises the section; any other thread
    // that arrives meanwhile waits for it (Sleep(1) also lets a thread of
    // lower priority finish).
    void Ready() noexcept {
        if (state_.load(std::memory_order_acquire) == kReady) return;
        long expected = kNew;
        if (state_.compare_exchange_strong(expected, kStarting, std::memory_order_acq_rel)) {
            InitializeCriticalSection(&section_);
            state_.store(kReady, std::memory_order_release);
            return;
        }
        while (state_.load(std::memory_order_acquire) != kReady) Sleep(1);
    }

    std::atomic<long> state_{kNew};
    CRITICAL_SECTION section_{};
};

// Holds a CriticalSection for the rest of the scope.
class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& lock) noexcept : lock_(lock) { lock_.Enter(); }
    ~ScopedLock() { lock_.Leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection& lock_;
};

}  // namespace zunda
