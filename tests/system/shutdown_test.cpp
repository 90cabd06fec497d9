// Shutdown and restart decisions with a stand-in for the system calls.
#include "server/core/failure.h"
#include "system/core/shutdown.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zunda::utils {
namespace {

class FakeShutdown final : public ShutdownSystem {
public:
    std::vector<std::string> calls;
    long privilegeError = 0;
    PrivilegeStep failAt = PrivilegeStep::OpenProcessToken;
    long exitError = 0;

    long EnableShutdownPrivilege(PrivilegeStep& failedAt) override {
        calls.push_back("privilege");
        failedAt = failAt;
        return privilegeError;
    }
    long CallExitWindowsEx(std::uint32_t flags) override {
        calls.push_back("exit " + std::to_string(flags));
        return exitError;
    }
    std::string Message(long code) const override { return "system message " + std::to_string(code); }
};

TEST(Shutdown, TheNTFamilyEnablesThePrivilegeFirst) {
    struct Case {
        int os;
        bool isNT;
        std::vector<std::string> calls;
    } cases[] = {
        {0, false, {"exit 5"}},                // Win32s
        {1, false, {"exit 5"}},                // Windows 95
        {5, false, {"exit 5"}},                // Windows ME
        {6, true, {"privilege", "exit 5"}},    // NT 3
        {9, true, {"privilege", "exit 5"}},    // XP
        {10, true, {"privilege", "exit 5"}},   // NT after XP
        {10, false, {"exit 5"}},               // unknown, not NT
        {11, true, {}},                        // beyond the known values: nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.os);
        FakeShutdown s;
        RequestExit(s, c.os, c.isNT, kExitShutdown);
        EXPECT_EQ(s.calls, c.calls);
    }
    FakeShutdown reboot;
    RequestExit(reboot, 9, true, kExitReboot);
    EXPECT_EQ(reboot.calls, (std::vector<std::string>{"privilege", "exit 6"}));
}

TEST(Shutdown, FailuresNameTheFailedStepAndStop) {
    struct Case {
        PrivilegeStep step;
        const char* text;
    } cases[] = {
        {PrivilegeStep::OpenProcessToken, "Exit Error: OpenProcessToken() Failed: system message 5"},
        {PrivilegeStep::LookupPrivilegeValue, "Exit Error: LookupPrivilegeValue() Failed: system message 5"},
        {PrivilegeStep::AdjustTokenPrivileges, "Exit Error: AdjustTokenPrivileges() Failed: system message 5"},
    };
    for (const Case& c : cases) {
        FakeShutdown s;
        s.privilegeError = 5;
        s.failAt = c.step;
        try {
            RequestExit(s, 8, true, kExitShutdown);
            ADD_FAILURE() << "no failure";
        } catch (const Failure& f) {
            EXPECT_STREQ(f.what(), c.text);
        }
        EXPECT_EQ(s.calls, std::vector<std::string>{"privilege"});  // no exit after a failed step
    }
    FakeShutdown refused;
    refused.exitError = 1314;
    try {
        RequestExit(refused, 3, false, kExitReboot);
        ADD_FAILURE() << "no failure";
    } catch (const Failure& f) {
        EXPECT_STREQ(f.what(), "Exit Error: ExitWindowsEx() Failed: system message 1314");
    }
}

}  // namespace
}  // namespace zunda::utils
