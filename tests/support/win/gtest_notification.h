// GoogleTest's thread hand-off, built on a Win32 event: the toolchain's win32
// thread model (kept for Windows XP) has no std::mutex, which GoogleTest's
// own Notification needs.
#pragma once
#ifdef __cplusplus
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing
#endif
