// The lock objects of several apartments share: threads that contend on it
// never overlap inside it, and a lock that is first entered by several
// threads at once is set up exactly once.
#include "server/win/lock.h"
#include "tests/support/win/com_test.h"

#include <vector>

namespace zunda::test {
namespace {

// Constant-initialised: usable before any constructor of the program runs.
constinit CriticalSection g_counterLock;

struct Contention {
    CriticalSection* lock;
    HANDLE start;
    int rounds;
    long counter = 0;        // read, yielded on, written back: loses updates without the lock
    LONG inside = 0;         // threads inside the lock right now
    LONG overlaps = 0;       // times a thread found another one inside
};

DWORD WINAPI Contend(void* arg) {
    auto* c = static_cast<Contention*>(arg);
    WaitForSingleObject(c->start, INFINITE);
    for (int i = 0; i < c->rounds; ++i) {
        ScopedLock hold(*c->lock);
        if (InterlockedIncrement(&c->inside) != 1) InterlockedIncrement(&c->overlaps);
        const long seen = c->counter;
        Sleep(0);
        c->counter = seen + 1;
        InterlockedDecrement(&c->inside);
    }
    return 0;
}

// Runs `threads` threads released together on one lock.
void RunContention(Contention& c, int threads) {
    c.start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(c.start, nullptr);
    std::vector<HANDLE> handles;
    for (int i = 0; i < threads; ++i) {
        HANDLE h = CreateThread(nullptr, 0, Contend, &c, 0, nullptr);
        ASSERT_NE(h, nullptr);
        handles.push_back(h);
    }
    SetEvent(c.start);
    EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, 30000),
              WAIT_OBJECT_0);
    for (HANDLE h : handles) CloseHandle(h);
    CloseHandle(c.start);
}

TEST(CrossApartmentLock, ContendingThreadsNeverOverlapInside) {
    Contention c{&g_counterLock, nullptr, 2000};
    RunContention(c, 2);
    EXPECT_EQ(c.overlaps, 0);
    EXPECT_EQ(c.counter, 4000);
}

TEST(CrossApartmentLock, FirstUseByManyThreadsAtOnceSetsItUpOnce) {
    // A fresh lock each round, first entered by all threads together.
    for (int round = 0; round < 20; ++round) {
        auto* lock = new CriticalSection;
        Contention c{lock, nullptr, 50};
        RunContention(c, 8);
        EXPECT_EQ(c.overlaps, 0) << "round " << round;
        EXPECT_EQ(c.counter, 400) << "round " << round;
        delete lock;
    }
}

TEST(CrossApartmentLock, TheOwningThreadMayEnterAgain) {
    static CriticalSection lock;
    ScopedLock outer(lock);
    ScopedLock inner(lock);  // would hang if the lock were not recursive
    SUCCEED();
}

}  // namespace
}  // namespace zunda::test
