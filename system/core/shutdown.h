// Shutting down and restarting Windows. The NT family needs the shutdown
// privilege of the process enabled first; the Windows 9x family does not.
// Every failure becomes a Failure whose text names the failed step, for the
// caller's error routine (a message box would block a server's thread).
#pragma once

#include <cstdint>
#include <string>

namespace zunda::utils {

constexpr std::uint32_t kExitShutdown = 5;  // EWX_SHUTDOWN | EWX_FORCE
constexpr std::uint32_t kExitReboot = 6;    // EWX_REBOOT | EWX_FORCE

enum class PrivilegeStep { OpenProcessToken, LookupPrivilegeValue, AdjustTokenPrivileges };

class ShutdownSystem {
public:
    virtual ~ShutdownSystem() = default;
    // Enables SeShutdownPrivilege in the process token: 0, or the error code
    // of the step named in failedAt.
    virtual long EnableShutdownPrivilege(PrivilegeStep& failedAt) = 0;
    // ExitWindowsEx: 0, or the error code.
    virtual long CallExitWindowsEx(std::uint32_t flags) = 0;
    virtual std::string Message(long code) const = 0;
};

// The Windows API name of a step, as the failure text shows it.
const char* StepName(PrivilegeStep step);

// Runs the exit for the operating system `os` (a TYP_OS value) of the family
// `isNT`. Values beyond the known ones (above toUnknown) do nothing.
void RequestExit(ShutdownSystem& system, int os, bool isNT, std::uint32_t flags);

}  // namespace zunda::utils
