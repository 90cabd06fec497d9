// NetBIOS requests and their completion codes, the MAC and return-code
// texts, WinSock sessions (always cleaned up after a start), the local
// addresses and host look-ups against a stand-in resolver, the version
// bytes, and where each Windows version lists its network components.
#include "machine/core/os_version.h"
#include "network/core/components.h"
#include "network/core/netbios.h"
#include "network/core/winsock.h"
#include "server/core/failure.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace zunda::net {
namespace {

// Answers like Netbios(): the return value carries the completion code; the
// buffer is filled only on success, and nothing else of the block is touched.
class FakeNetBios final : public NetBios {
public:
    std::uint8_t Submit(NcbRequest& r) override {
        requests.push_back(r);
        switch (r.command) {
        case kNcbEnum:
            if (enumCode) return enumCode;
            r.buffer[0] = static_cast<std::uint8_t>(lanas.size());
            std::copy(lanas.begin(), lanas.end(), r.buffer.begin() + 1);
            return 0;
        case kNcbReset:
            return resetCodes.count(r.lana) ? resetCodes[r.lana] : 0;
        case kNcbAdapterStatus: {
            auto m = macs.find(r.lana);
            if (m == macs.end()) return 0x23;
            std::copy(m->second.begin(), m->second.end(), r.buffer.begin());
            return 0;
        }
        }
        return 0x03;
    }
    std::vector<std::uint8_t> lanas;
    std::uint8_t enumCode = 0;
    std::map<std::uint8_t, std::uint8_t> resetCodes;
    std::map<std::uint8_t, std::array<std::uint8_t, 6>> macs;
    std::vector<NcbRequest> requests;
};

TEST(NetBios, LanaEnumeration) {
    FakeNetBios nb;
    nb.lanas = {0, 3, 7};
    EXPECT_EQ(EnumerateLanas(nb), (std::vector<std::uint8_t>{0, 3, 7}));
    ASSERT_EQ(nb.requests.size(), 1u);
    EXPECT_EQ(nb.requests[0].command, 0x37);
    EXPECT_EQ(nb.requests[0].buffer.size(), 256u);
    nb.lanas.assign(255, 1);  // as many as the buffer can hold
    EXPECT_EQ(EnumerateLanas(nb)->size(), 255u);
    nb.lanas.clear();
    EXPECT_EQ(EnumerateLanas(nb), std::vector<std::uint8_t>{});
    nb.enumCode = 0x21;
    EXPECT_EQ(EnumerateLanas(nb), std::nullopt);
}

TEST(NetBios, ResetAndAdapterStatusTakeTheCodeTheCallReturns) {
    FakeNetBios nb;
    nb.resetCodes[9] = 0x23;
    EXPECT_EQ(ResetLana(nb, 0), 0);
    EXPECT_EQ(ResetLana(nb, 9), 0x23);  // the block was not filled; the return value counts
    const NcbRequest& reset = nb.requests.back();
    EXPECT_EQ(reset.command, 0x32);
    EXPECT_EQ(reset.lana, 9);
    EXPECT_EQ(reset.lsn, 0);
    EXPECT_EQ(reset.callname, (std::array<char, 16>{}));

    nb.macs[2] = {0x00, 0xA0, 0xC9, 0x12, 0x34, 0x56};
    const AdapterStatus ok = QueryAdapterStatus(nb, 2);
    EXPECT_EQ(ok.code, 0);
    EXPECT_EQ(MacText(ok.address), "00-A0-C9-12-34-56");
    const NcbRequest& status = nb.requests.back();
    EXPECT_EQ(status.command, 0x33);
    EXPECT_EQ(status.lana, 2);
    EXPECT_EQ(std::string(status.callname.data(), 16), "*               ");
    EXPECT_EQ(status.buffer.size(), 4650u);

    const AdapterStatus bad = QueryAdapterStatus(nb, 5);
    EXPECT_EQ(bad.code, 0x23);
    EXPECT_EQ(bad.address, (std::array<std::uint8_t, 6>{}));
}

TEST(NetBios, AllMacAddressesAreRealAndDistinct) {
    FakeNetBios nb;
    nb.lanas = {0, 1, 4, 6, 8};
    nb.macs[0] = {0, 1, 2, 3, 4, 5};
    nb.macs[1] = {0, 1, 2, 3, 4, 5};  // a second LANA of the same adapter
    nb.macs[6] = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    nb.macs[8] = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    nb.resetCodes[8] = 0x23;  // cannot be reset: left out, the current LANA stays 6
    std::vector<std::uint8_t> failed;
    long current = 3;
    EXPECT_EQ(AllMacAddresses(nb, current, [&](std::uint8_t code) { failed.push_back(code); }),
              (std::vector<std::string>{"00-01-02-03-04-05", "AA-BB-CC-DD-EE-FF"}));
    EXPECT_EQ(failed, std::vector<std::uint8_t>{0x23});  // LANA 4 has no adapter status
    EXPECT_EQ(current, 6);

    nb.enumCode = 0x21;
    current = 3;
    EXPECT_EQ(AllMacAddresses(nb, current, [](std::uint8_t) {}), std::vector<std::string>{});
    EXPECT_EQ(current, 3);
    for (long lana : {0L, 254L}) EXPECT_TRUE(ValidLana(lana));
    for (long lana : {-1L, 255L, 256L, 0x10000L}) EXPECT_FALSE(ValidLana(lana));
}

TEST(NetBios, Texts) {
    EXPECT_EQ(MacText({0xFF, 0x0A, 0xB0, 0x01, 0x00, 0xCD}), "FF-0A-B0-01-00-CD");
    EXPECT_EQ(ReturnCodeText(0x23), "Return Code = $23");
    EXPECT_EQ(ReturnCodeText(0x0A), "Return Code = $0A");
    EXPECT_EQ(ReturnCodeText(0xFF), "Return Code = $FF");
}

// A resolver that knows a few names and counts starts and clean-ups.
class FakeWinSock final : public WinSock {
public:
    int Startup(std::uint16_t version, WinSockData& data) override {
        ++starts;
        EXPECT_EQ(version, 0x0101);
        if (startCode) return startCode;
        data = info;
        return 0;
    }
    void Cleanup() override { ++cleanups; }
    bool HostName(std::size_t bufferBytes, std::string& name) override {
        hostNameBuffers.push_back(bufferBytes);
        if (!hostNameWorks) {
            error = 10093;
            name = "\x01garbage";
            return false;
        }
        name = hostName;
        return true;
    }
    bool Resolve(const std::string& host, std::vector<Address>& addresses) override {
        resolved.push_back(host);
        auto h = hosts.find(host);
        if (h == hosts.end()) {
            error = 11001;
            return false;
        }
        addresses = h->second;
        return true;
    }
    int LastError() override { return error; }
    std::string ErrorText(int code) override { return "error " + std::to_string(code); }

    WinSockData info{0x0101, 0x0202, "WinSock 2.0", "Running"};
    int startCode = 0;
    bool hostNameWorks = true;
    std::string hostName = "vm";
    std::map<std::string, std::vector<Address>> hosts{
        {"vm", {{10, 0, 0, 5}, {127, 0, 0, 1}, {10, 0, 0, 5}}},
        {"localhost", {{127, 0, 0, 1}}},
        {"v6only", {}},
    };
    int error = 0, starts = 0, cleanups = 0;
    std::vector<std::size_t> hostNameBuffers;
    std::vector<std::string> resolved;
};

TEST(WinSock, SessionCleansUpExactlyAfterASuccessfulStart) {
    for (int code : {0, 10091}) {
        FakeWinSock ws;
        ws.startCode = code;
        {
            WinSockSession s(ws);
            EXPECT_EQ(s.Started(), code == 0);
            if (s.Started()) {
                EXPECT_EQ(s.Data().description, "WinSock 2.0");
            }
        }
        EXPECT_EQ(ws.cleanups, code == 0 ? 1 : 0);
    }
}

TEST(WinSock, VersionBytesAndAddressText) {
    EXPECT_EQ(MajorVersion(0x0202), 2);
    EXPECT_EQ(MinorVersion(0x0202), 2);
    EXPECT_EQ(MajorVersion(0x0101), 1);
    EXPECT_EQ(MinorVersion(0x0101), 1);
    EXPECT_EQ(MajorVersion(0x0102), 2);  // version 2.1: the low byte is the major version
    EXPECT_EQ(MinorVersion(0x0102), 1);
    EXPECT_EQ(AddressText({192, 168, 0, 255}), "192.168.0.255");
}

TEST(WinSock, LocalAddressesInOrder) {
    FakeWinSock ws;
    EXPECT_EQ(LocalAddresses(ws), (std::vector<std::string>{"10.0.0.5", "127.0.0.1", "10.0.0.5"}));
    EXPECT_EQ(Distinct(LocalAddresses(ws)), (std::vector<std::string>{"10.0.0.5", "127.0.0.1"}));
    EXPECT_EQ(ws.hostNameBuffers, (std::vector<std::size_t>{64, 64}));
    EXPECT_EQ(ws.cleanups, 2);
    ws.hostName = "v6only";
    EXPECT_EQ(LocalAddresses(ws), std::vector<std::string>{});
}

TEST(WinSock, LocalAddressFailuresAreReportedNeverResolvedFromGarbage) {
    struct Case {
        const char* what;
        std::function<void(FakeWinSock&)> arrange;
        std::string message;
        std::vector<std::string> resolved;
    };
    const std::vector<Case> cases = {
        {"no start", [](FakeWinSock& w) { w.startCode = 10091; }, "Winsock cannot be initialized.", {}},
        {"no host name", [](FakeWinSock& w) { w.hostNameWorks = false; }, "error 10093", {}},
        {"no host entry", [](FakeWinSock& w) { w.hostName = "unknown"; }, "error 11001", {"unknown"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeWinSock ws;
        c.arrange(ws);
        try {
            LocalAddresses(ws);
            ADD_FAILURE() << "no failure";
        } catch (const Failure& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(ws.resolved, c.resolved);
        EXPECT_EQ(ws.cleanups, ws.startCode ? 0 : 1);
    }
}

TEST(WinSock, ResolveHost) {
    struct Case {
        std::string host;
        std::function<void(FakeWinSock&)> arrange;
        std::string text;
        int error;
        std::vector<std::string> resolved;
    };
    const auto none = [](FakeWinSock&) {};
    const std::vector<Case> cases = {
        {"localhost", none, "127.0.0.1", 0, {"localhost"}},
        {"", none, "10.0.0.5", 0, {"vm"}},  // the local host's first address
        {"nowhere.invalid", none, "", 11001, {"nowhere.invalid"}},
        {"v6only", none, "", 0, {"v6only"}},
        {std::string(300, 'a'), none, "", 10022, {}},
        {std::string(255, 'a'), none, "", 11001, {std::string(255, 'a')}},
        {std::string("vm\0evil", 7), none, "", 10022, {}},
        {"localhost?", none, "", 10022, {}},  // not exact: the caller asked for another name
        {"", [](FakeWinSock& w) { w.hostNameWorks = false; }, "", 10093, {}},
        {"localhost", [](FakeWinSock& w) { w.startCode = 10091; }, "", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host.substr(0, 20));
        FakeWinSock ws;
        c.arrange(ws);
        const HostAddress a = ResolveHost(ws, c.host, c.host != "localhost?");
        EXPECT_EQ(a.text, c.text);
        EXPECT_EQ(a.error, c.error);
        EXPECT_EQ(ws.resolved, c.resolved);
        EXPECT_EQ(ws.cleanups, ws.startCode ? 0 : 1);
        if (c.host.empty() && !ws.startCode) {
            EXPECT_EQ(ws.hostNameBuffers, std::vector<std::size_t>{260});
        }
    }
}

TEST(Components, StartKeyByWindowsVersion) {
    using namespace machine;
    const std::string control = "SYSTEM\\CurrentControlSet\\Control\\Class";
    const std::string services = "SYSTEM\\CurrentControlSet\\Services\\Class";
    const struct {
        int os;
        bool nt;
        std::string key, value;
    } cases[] = {
        {toWin2000, true, "SYSTEM\\CurrentControlSet\\Control\\Network", "Description"},
        {toWinNT3, true, control, "DriverDesc"},
        {toWinNT4, true, control, "DriverDesc"},
        {toWinXP, true, control, "DriverDesc"},
        {toUnknown, true, control, "DriverDesc"},
        {toWin95, false, services, "DriverDesc"},
        {toWin98SE, false, services, "DriverDesc"},
        {toWinME, false, services, "DriverDesc"},
    };
    for (const auto& c : cases) {
        const ComponentKey k = ComponentClassKey(c.os, c.nt);
        EXPECT_EQ(k.startKey, c.key) << c.os;
        EXPECT_EQ(k.valueName, c.value) << c.os;
    }
}

}  // namespace
}  // namespace zunda::net
