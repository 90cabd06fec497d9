#include "system/core/shutdown.h"

#include "server/core/failure.h"

namespace zunda::utils {
namespace {

constexpr int kLastKnownOs = 10;  // toUnknown

[[noreturn]] void Fail(const ShutdownSystem& system, const char* call, long code) {
    std::string text = std::string("Exit Error: ") + call + " Failed";
    const std::string detail = system.Message(code);
    if (!detail.empty()) text += ": " + detail;
    throw Failure(text);
}

}  // namespace

const char* StepName(PrivilegeStep step) {
    switch (step) {
    case PrivilegeStep::OpenProcessToken: return "OpenProcessToken()";
    case PrivilegeStep::LookupPrivilegeValue: return "LookupPrivilegeValue()";
    case PrivilegeStep::AdjustTokenPrivileges: return "AdjustTokenPrivileges()";
    }
    return "";
}

void RequestExit(ShutdownSystem& system, int os, bool isNT, std::uint32_t flags) {
    if (os < 0 || os > kLastKnownOs) return;
    if (isNT) {
        PrivilegeStep step = PrivilegeStep::OpenProcessToken;
        if (long code = system.EnableShutdownPrivilege(step)) Fail(system, StepName(step), code);
    }
    if (long code = system.CallExitWindowsEx(flags)) Fail(system, "ExitWindowsEx()", code);
}

}  // namespace zunda::utils
