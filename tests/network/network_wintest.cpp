// MxNetWork, MxNetWorkgroup and MxNetComputer from a client: NetBIOS on the
// prefix's LANA 0 and on a LANA that is not there, WinSock against the
// system's own answers in this process (every start cleaned up again), host
// look-ups of "localhost" and the machine's own name only, the empty
// neighbourhood, and the workgroup and computer objects.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <cwctype>
#include <sstream>

ZUNDA_TEST_IMPLEMENTED(MxNetWork);
ZUNDA_TEST_IMPLEMENTED(MxNetWorkgroup);
ZUNDA_TEST_IMPLEMENTED(MxNetComputer);

namespace zunda::test {
namespace {

const std::wstring kIndex = L"Listenindex \u00FCberschreitet das Maximum (";

std::vector<std::wstring> Words(const char* variable) {
    std::vector<std::wstring> out;
    const char* text = std::getenv(variable);
    std::istringstream in(text ? text : "");
    for (std::string w; in >> w;) out.push_back(std::wstring(w.begin(), w.end()));
    return out;
}

bool IsMacText(const std::wstring& t) {
    if (t.size() != 17) return false;
    for (size_t i = 0; i < t.size(); ++i) {
        if (i % 3 == 2 ? t[i] != L'-' : !(std::iswdigit(t[i]) || (t[i] >= L'A' && t[i] <= L'F'))) return false;
    }
    return true;
}

// How many starts of WinSock are outstanding in this process (the system's
// own parts may hold some): counted by cleaning up until WinSock refuses,
// then started again as often.
int WinSockStarts() {
    int starts = 0;
    while (starts < 100 && WSACleanup() == 0) ++starts;
    WSADATA data;
    for (int i = 0; i < starts; ++i) WSAStartup(0x0101, &data);
    return starts;
}

// The system's host entry of the name, as dotted addresses.
std::vector<std::wstring> HostAddresses(const char* name) {
    std::vector<std::wstring> out;
    WSADATA data;
    if (WSAStartup(0x0101, &data) != 0) return out;
    if (const hostent* h = gethostbyname(name)) {
        for (char** a = h->h_addr_list; a && *a; ++a) {
            in_addr addr;
            std::memcpy(&addr, *a, 4);
            const char* text = inet_ntoa(addr);
            out.push_back(std::wstring(text, text + std::strlen(text)));
        }
    }
    WSACleanup();
    return out;
}

class MxNetWorkTest : public ::testing::Test {
protected:
    void SetUp() override {
        net = Create<IMxNetWork>(CLSID_MxNetWork);
        ASSERT_TRUE(net);
    }
    std::wstring LastError() {
        BSTR e = nullptr;
        EXPECT_EQ(net->get_wstrLastErrorMessage(&e), S_OK);
        return Take(e);
    }
    std::vector<std::wstring> List(HRESULT (STDMETHODCALLTYPE IMxNetWork::*get)(IMxStringlist**)) {
        ComPtr<IMxStringlist> l;
        EXPECT_EQ((net.Get()->*get)(l.Put()), S_OK);
        return l ? ListItems(l.Get()) : std::vector<std::wstring>{};
    }
    std::wstring Resolve(const std::wstring& host, long& error) {
        BSTR name = SysAllocStringLen(host.data(), static_cast<UINT>(host.size()));
        BSTR out = nullptr;
        error = -1;
        EXPECT_EQ(net->GetIPAddress(name, &error, &out), S_OK);
        SysFreeString(name);
        return Take(out);
    }
    ComPtr<IMxNetWork> net;
};

TEST_F(MxNetWorkTest, LanaZeroIsResetAtCreationAndHasAnAdapterAddress) {
    EXPECT_EQ(LastError(), L"");
    EXPECT_EQ(Read(net.Get(), &IMxNetWork::get_iLana), 0);
    ComPtr<IMxStringlist> first;
    ASSERT_EQ(net->get_strlLana(first.Put()), S_OK);
    EXPECT_EQ(ListItems(first.Get()), std::vector<std::wstring>{L"0"});
    ComPtr<IMxStringlist> again;
    ASSERT_EQ(net->get_strlLana(again.Put()), S_OK);
    EXPECT_EQ(first.Get(), again.Get()) << "the same list, refilled";
    EXPECT_EQ(ListItems(first.Get()), std::vector<std::wstring>{L"0"});

    const std::wstring mac = ReadText(net.Get(), &IMxNetWork::get_wstrMAC);
    EXPECT_TRUE(IsMacText(mac)) << mac;
    const std::vector<std::wstring> host = Words("ZUNDA_HOST_MACS");
    if (!host.empty()) {
        EXPECT_NE(std::find(host.begin(), host.end(), mac), host.end()) << mac;
    }
    EXPECT_EQ(List(&IMxNetWork::get_strlAll_MAC), std::vector<std::wstring>{mac});
    EXPECT_EQ(LastError(), L"");
}

TEST_F(MxNetWorkTest, ALanaThatIsNotThereFailsTheDocumentedWay) {
    ASSERT_EQ(net->put_iLana(200), S_OK);
    EXPECT_EQ(LastError(), L"[Reset]: Return Code = $23");
    EXPECT_EQ(Read(net.Get(), &IMxNetWork::get_iLana), 200);
    const std::wstring mac = ReadText(net.Get(), &IMxNetWork::get_wstrMAC);
    EXPECT_EQ(mac, L"Error");
    EXPECT_EQ(LastError().rfind(L"[ShowMacaddress]: Return Code = $", 0), 0u) << LastError();
    // All addresses: real ones only, and the current LANA is the last listed one.
    const std::vector<std::wstring> all = List(&IMxNetWork::get_strlAll_MAC);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_TRUE(IsMacText(all[0])) << all[0];
    EXPECT_EQ(Read(net.Get(), &IMxNetWork::get_iLana), 0);

    // Numbers that are no LANA at all are refused and change nothing.
    for (long bad : {-1L, 255L, 300L, 0x10000L}) {
        ASSERT_EQ(net->put_iLana(bad), S_OK);
        EXPECT_EQ(LastError(), L"[Set_iLana]: Invalid LANA number (" + std::to_wstring(bad) + L")");
        EXPECT_EQ(Read(net.Get(), &IMxNetWork::get_iLana), 0);
    }

    // With a sink: OnError("MxNetWork", "Reset", text); without one and raising on: an exception.
    RecordingSink* sink = new RecordingSink(DIID_IMxEvents);
    DWORD cookie = 0;
    ASSERT_EQ(Advise(net.Get(), DIID_IMxEvents, sink, &cookie), S_OK);
    ASSERT_EQ(net->put_boRaiseErrors(VARIANT_TRUE), S_OK);
    EXPECT_EQ(net->put_iLana(77), S_OK);
    ASSERT_EQ(sink->calls.size(), 1u);
    EXPECT_EQ(sink->calls[0].args, (std::vector<std::wstring>{L"MxNetWork", L"Reset", L"Return Code = $23"}));
    EXPECT_EQ(Unadvise(net.Get(), DIID_IMxEvents, cookie), S_OK);
    sink->Release();
    EXPECT_EQ(net->put_iLana(78), E_UNEXPECTED);
    ErrorInfoText info = TakeErrorInfo();
    EXPECT_EQ(info.description, L"[Reset]: Return Code = $23");
    EXPECT_EQ(info.source, L"Zunda.MxNetWork");
    BSTR none = nullptr;
    EXPECT_EQ(net->get_wstrMAC(&none), E_UNEXPECTED);
    EXPECT_EQ(none, nullptr);
}

TEST_F(MxNetWorkTest, WinSockDataAreTheSystemsAndWinSockIsAlwaysCleanedUp) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(0x0101, &data), 0);
    WSACleanup();
    const int starts = WinSockStarts();
    EXPECT_EQ(ReadText(net.Get(), &IMxNetWork::get_wstrWinSock_Description),
              std::wstring(data.szDescription, data.szDescription + std::strlen(data.szDescription)));
    EXPECT_EQ(ReadText(net.Get(), &IMxNetWork::get_wstrWinSock_Status),
              std::wstring(data.szSystemStatus, data.szSystemStatus + std::strlen(data.szSystemStatus)));
    EXPECT_EQ(Read(net.Get(), &IMxNetWork::get_iWinSock_MajorVersion), LOBYTE(data.wHighVersion));
    EXPECT_EQ(Read(net.Get(), &IMxNetWork::get_iWinSock_MinorVersion), HIBYTE(data.wHighVersion));
    EXPECT_EQ(Read(net.Get(), &IMxNetWork::get_iWinSock_MajorVersion), 2) << "Wine's WinSock is 2.2";
    long error = -1;
    EXPECT_EQ(Resolve(L"localhost", error), L"127.0.0.1");
    EXPECT_EQ(error, 0);
    EXPECT_EQ(WinSockStarts(), starts);
    EXPECT_EQ(LastError(), L"");
}

TEST_F(MxNetWorkTest, NamesThatAreNeverLookedUp) {
    const int starts = WinSockStarts();
    // Too long for any resolver, with a zero inside, or not in the code page: refused before any look-up.
    // A name the code page holds only as a look-alike ("localhost" in
    // fullwidth letters) is not the name the caller asked for.
    for (const std::wstring& name : {std::wstring(300, L'a'), std::wstring(L"localhost\0.example", 18),
                                     std::wstring(L"\uFF4C\uFF4F\uFF43\uFF41\uFF4C\uFF48\uFF4F\uFF53\uFF54")}) {
        long error = -1;
        EXPECT_EQ(Resolve(name, error), L"");
        EXPECT_EQ(error, WSAEINVAL);
    }
    BSTR out = nullptr;
    EXPECT_EQ(net->GetIPAddress(nullptr, nullptr, &out), E_POINTER);
    EXPECT_EQ(WinSockStarts(), starts);
}

TEST_F(MxNetWorkTest, TheNeighbourhoodOfThePrefixIsEmpty) {
    EXPECT_EQ(Read(net.Get(), &IMxNetWork::get_iWorkgroupCount), 0);
    ASSERT_EQ(net->ReadWorkgroups(), S_OK);
    EXPECT_EQ(Read(net.Get(), &IMxNetWork::get_iWorkgroupCount), 0);
    EXPECT_EQ(LastError(), L"");
    ComPtr<IMxNetWorkgroup> g;
    EXPECT_EQ(net->get_clWorkgroup(0, g.Put()), S_OK);
    EXPECT_FALSE(g);
    EXPECT_EQ(LastError(), L"[Get_clWorkgroup]: " + kIndex + L"0)");
}

TEST_F(MxNetWorkTest, LateBound) {
    ComPtr<IDispatch> d = net.As<IDispatch>();
    CallResult lanas = PropGet(d.Get(), L"strlLana");
    ASSERT_EQ(lanas.hr, S_OK);
    ASSERT_EQ(lanas.value.vt, VT_DISPATCH);
    CallResult count = PropGet(lanas.value.pdispVal, L"Count");
    EXPECT_EQ(count.value.Str(), L"1");
    CallResult mac = PropGet(d.Get(), L"wstrMAC");
    ASSERT_EQ(mac.hr, S_OK);
    EXPECT_TRUE(IsMacText(mac.value.Str()));
    LONG error = -1;
    Var ref;
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &error;
    CallResult local = Method(d.Get(), L"GetIPAddress", {Var(L"localhost"), ref});
    ASSERT_EQ(local.hr, S_OK);
    EXPECT_EQ(local.value.Str(), L"127.0.0.1");
    EXPECT_EQ(error, 0);
    CallResult tooLong = Method(d.Get(), L"GetIPAddress", {Var(std::wstring(300, L'x').c_str()), ref});
    ASSERT_EQ(tooLong.hr, S_OK);
    EXPECT_EQ(tooLong.value.Str(), L"");
    EXPECT_EQ(error, WSAEINVAL);
    ASSERT_EQ(PropPut(d.Get(), L"boRaiseErrors", Var::Bool(true)), S_OK);
    CallResult bad = PropGet(d.Get(), L"clWorkgroup", {Var(3L)});
    EXPECT_EQ(bad.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(bad.description, L"[Get_clWorkgroup]: " + kIndex + L"3)");
    EXPECT_EQ(bad.source, L"Zunda.MxNetWork");
}

// Resolves the machine's own name: run by the network hook only, which
// checks that the host answers that name from its own files.
class MxNetWorkHost : public MxNetWorkTest {
protected:
    void SetUp() override {
        if (!std::getenv("ZUNDA_OWN_NAME_LOCAL")) GTEST_SKIP() << "the machine's own name may need a name server";
        MxNetWorkTest::SetUp();
    }
};

TEST_F(MxNetWorkHost, LocalAddressesAreTheHostsAnswer) {
    const int starts = WinSockStarts();
    char name[256] = {};
    WSADATA data;
    ASSERT_EQ(WSAStartup(0x0101, &data), 0);
    ASSERT_EQ(gethostname(name, sizeof(name) - 1), 0);
    WSACleanup();
    const std::vector<std::wstring> entry = HostAddresses(name);
    ASSERT_FALSE(entry.empty());
    std::vector<std::wstring> host = Words("ZUNDA_HOST_OWN_ADDRESSES");
    if (!host.empty()) {
        std::vector<std::wstring> sorted = entry;
        std::sort(sorted.begin(), sorted.end());
        std::sort(host.begin(), host.end());
        EXPECT_EQ(sorted, host);
    }

    std::vector<std::wstring> distinct;
    for (const std::wstring& a : entry)
        if (std::find(distinct.begin(), distinct.end(), a) == distinct.end()) distinct.push_back(a);
    EXPECT_EQ(List(&IMxNetWork::get_strlAll_IPs), distinct);
    EXPECT_EQ(ReadText(net.Get(), &IMxNetWork::get_wstrLocalIP), entry.back());
    long error = -1;
    EXPECT_EQ(Resolve(L"", error), entry.front());
    EXPECT_EQ(error, 0);
    const std::wstring own(name, name + std::strlen(name));
    EXPECT_EQ(Resolve(own, error), entry.front());
    EXPECT_EQ(LastError(), L"");
    EXPECT_EQ(WinSockStarts(), starts);
}

// Until device classes can be listed, the members that need them fail under
// their own names and hand out nothing.
TEST_F(MxNetWorkTest, ComponentsNeedTheDeviceClasses) {
    if (IsImplemented(L"MxDevice")) GTEST_SKIP() << "device classes are there";
    for (auto get : {&IMxNetWork::get_strlProtocols, &IMxNetWork::get_strlClients, &IMxNetWork::get_strlServices}) {
        ComPtr<IMxStringlist> l;
        EXPECT_EQ((net.Get()->*get)(l.Put()), S_OK);
        EXPECT_FALSE(l);
    }
    EXPECT_EQ(LastError().rfind(L"[Get_strlServices]: ", 0), 0u) << LastError();
    ComPtr<IMxDevice> adapters;
    EXPECT_EQ(net->get_clAdapters(adapters.Put()), S_OK);
    EXPECT_FALSE(adapters);
    EXPECT_EQ(LastError().rfind(L"[Get_clAdapters]: ", 0), 0u) << LastError();
}

// The network adapters are the devices of class tdcNet.
TEST_F(MxNetWorkTest, AdaptersAreTheNetworkDevices) {
    if (!IsImplemented(L"MxDevice")) GTEST_SKIP() << "no device classes yet";
    ComPtr<IMxDevice> adapters;
    ASSERT_EQ(net->get_clAdapters(adapters.Put()), S_OK);
    ASSERT_TRUE(adapters);
    EXPECT_EQ(Read(adapters.Get(), &IMxDevice::get_tyFiltered), tdcNet);
    ComPtr<IMxDevice> all = Create<IMxDevice>(CLSID_MxDevice);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->put_tyFiltered(tdcNet), S_OK);
    ASSERT_EQ(all->GetInfo(), S_OK);
    EXPECT_EQ(Read(adapters.Get(), &IMxDevice::get_iDeviceCount), Read(all.Get(), &IMxDevice::get_iDeviceCount));
    ComPtr<IMxDevice> again;
    ASSERT_EQ(net->get_clAdapters(again.Put()), S_OK);
    EXPECT_NE(again.Get(), adapters.Get()) << "a new device list per read";
    EXPECT_EQ(LastError(), L"");
}

// Protocols, clients and services from the fixtures of the network hook,
// which runs this test under several Windows versions: each version reads
// its own start key, so each finds only its own fixture's descriptions.
TEST_F(MxNetWorkTest, ComponentsComeFromTheStartKeyOfTheWindowsVersion) {
    if (!IsImplemented(L"MxDevice")) GTEST_SKIP() << "no device classes yet";
    const char* expected = std::getenv("ZUNDA_EXPECT_PROTOCOLS");
    if (!expected) GTEST_SKIP() << "run by the network hook with its fixtures";
    auto split = [](const char* text) {
        std::vector<std::wstring> out;
        std::wstring all = text ? std::wstring(text, text + std::strlen(text)) : std::wstring();
        for (size_t at = 0; !all.empty();) {
            const size_t bar = all.find(L'|', at);
            out.push_back(all.substr(at, bar - at));
            if (bar == std::wstring::npos) break;
            at = bar + 1;
        }
        return out;
    };
    EXPECT_EQ(List(&IMxNetWork::get_strlProtocols), split(expected));
    EXPECT_EQ(List(&IMxNetWork::get_strlClients), split(std::getenv("ZUNDA_EXPECT_CLIENTS")));
    EXPECT_EQ(List(&IMxNetWork::get_strlServices), split(std::getenv("ZUNDA_EXPECT_SERVICES")));
    ComPtr<IMxStringlist> first, second;
    ASSERT_EQ(net->get_strlProtocols(first.Put()), S_OK);
    ASSERT_EQ(net->get_strlProtocols(second.Put()), S_OK);
    EXPECT_NE(first.Get(), second.Get()) << "a new list per read";
    EXPECT_EQ(LastError(), L"");
}

TEST(MxNetWorkgroupTest, NamesAndComputers) {
    ComPtr<IMxNetWorkgroup> g = Create<IMxNetWorkgroup>(CLSID_MxNetWorkgroup);
    ASSERT_TRUE(g);
    EXPECT_EQ(ReadText(g.Get(), &IMxNetWorkgroup::get_wstrName), L"");
    BSTR name = SysAllocString(L"B\u00FCro \u4E00");  // kept as given, also outside the code page
    ASSERT_EQ(g->put_wstrName(name), S_OK);
    SysFreeString(name);
    EXPECT_EQ(ReadText(g.Get(), &IMxNetWorkgroup::get_wstrName), L"B\u00FCro \u4E00");

    ComPtr<IMxNetComputer> c;
    EXPECT_EQ(g->get_clComputer(0, c.Put()), E_UNEXPECTED);  // an empty workgroup
    EXPECT_EQ(TakeErrorInfo().description, kIndex + L"0)");
    BSTR pc = SysAllocString(L"PC1");
    ASSERT_EQ(g->AddComputer(pc), S_OK);
    ASSERT_EQ(g->AddComputer(pc), S_OK);  // the same name twice: listed twice
    SysFreeString(pc);
    EXPECT_EQ(Read(g.Get(), &IMxNetWorkgroup::get_iCount), 2);
    ASSERT_EQ(g->get_clComputer(1, c.Put()), S_OK);
    EXPECT_EQ(ReadText(c.Get(), &IMxNetComputer::get_wstrName), L"PC1");
    ComPtr<IMxNetComputer> same;
    ASSERT_EQ(g->get_clComputer(1, same.Put()), S_OK);
    EXPECT_EQ(c.Get(), same.Get()) << "a reference to the listed object, not a copy";
    for (long bad : {2L, -1L}) {
        EXPECT_EQ(g->get_clComputer(bad, c.Put()), E_UNEXPECTED);
        EXPECT_FALSE(c);
        EXPECT_EQ(TakeErrorInfo().description, kIndex + std::to_wstring(bad) + L")");
    }
    BSTR empty = SysAllocString(L"");
    EXPECT_EQ(g->AddComputer(empty), E_INVALIDARG);
    EXPECT_EQ(g->AddComputer(nullptr), E_INVALIDARG);
    SysFreeString(empty);
    EXPECT_EQ(Read(g.Get(), &IMxNetWorkgroup::get_iCount), 2);

    ComPtr<IDispatch> d = g.As<IDispatch>();
    CallResult late = PropGet(d.Get(), L"clComputer", {Var(0L)});
    ASSERT_EQ(late.hr, S_OK);
    ASSERT_EQ(late.value.vt, VT_DISPATCH);
    EXPECT_EQ(PropGet(late.value.pdispVal, L"wstrName").value.Str(), L"PC1");
    CallResult bad = PropGet(d.Get(), L"clComputer", {Var(5L)});
    EXPECT_EQ(bad.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(bad.description, kIndex + L"5)");
    ComPtr<IConnectionPointContainer> cpc = g.As<IConnectionPointContainer>();
    ASSERT_TRUE(cpc);
    ComPtr<IConnectionPoint> cp;
    EXPECT_EQ(cpc->FindConnectionPoint(DIID_IMxEvents, cp.Put()), S_OK);
}

TEST(MxNetComputerTest, Name) {
    ComPtr<IMxNetComputer> c = Create<IMxNetComputer>(CLSID_MxNetComputer);
    ASSERT_TRUE(c);
    ComPtr<IDispatch> d = c.As<IDispatch>();
    ASSERT_EQ(PropPut(d.Get(), L"wstrName", Var(L"  Rechner 7 ")), S_OK);
    EXPECT_EQ(ReadText(c.Get(), &IMxNetComputer::get_wstrName), L"  Rechner 7 ");
    ASSERT_EQ(c->put_wstrName(nullptr), S_OK);
    EXPECT_EQ(ReadText(c.Get(), &IMxNetComputer::get_wstrName), L"");
}

}  // namespace
}  // namespace zunda::test
