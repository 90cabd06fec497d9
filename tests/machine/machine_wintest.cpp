// MxMachine from a client: the values against the system's own answers in
// the same process, the owned lists, and the registry fixtures of the test
// prefix.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"

#include <algorithm>
#include <cstring>

ZUNDA_TEST_IMPLEMENTED(MxMachine);

namespace zunda::test {
namespace {

std::wstring Wide(const char* ansi) {
    return std::wstring(zunda::Bstr::FromAnsi(ansi ? ansi : "").View());
}

class MxMachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine = Create<IMxMachine>(CLSID_MxMachine);
        ASSERT_TRUE(machine);
        ZeroMemory(&version, sizeof(version));
        version.dwOSVersionInfoSize = sizeof(version);
        ASSERT_TRUE(GetVersionExA(&version));
    }
    template <class T>
    T Value(HRESULT (STDMETHODCALLTYPE IMxMachine::*get)(T*)) {
        T v{};
        EXPECT_EQ((machine.Get()->*get)(&v), S_OK);
        return v;
    }
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IMxMachine::*get)(BSTR*)) { return Take(Value(get)); }
    bool ListsAvailable() {
        ComPtr<IUnknown> probe;
        return SUCCEEDED(CoCreateInstance(CLSID_MxStringlist, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                          reinterpret_cast<void**>(probe.Put())));
    }
    ComPtr<IMxMachine> machine;
    OSVERSIONINFOA version;
};

TEST_F(MxMachineTest, VersionNumbersAndFamilyAreTheSystems) {
    EXPECT_EQ(Value(&IMxMachine::get_iMajorVersion), static_cast<long>(version.dwMajorVersion));
    EXPECT_EQ(Value(&IMxMachine::get_iMinorVersion), static_cast<long>(version.dwMinorVersion));
    EXPECT_EQ(Value(&IMxMachine::get_iBuildNumber), static_cast<long>(version.dwBuildNumber));
    EXPECT_EQ(Text(&IMxMachine::get_wstrCSD), Wide(version.szCSDVersion));
    const bool nt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    EXPECT_EQ(Value(&IMxMachine::get_boIsNT), nt ? VARIANT_TRUE : VARIANT_FALSE);
    // The NT versions the enumeration knows; every later one is toUnknown.
    TYP_OS expected = toUnknown;
    if (nt && version.dwMajorVersion == 4) expected = toWinNT4;
    if (nt && version.dwMajorVersion == 5 && version.dwMinorVersion == 0) expected = toWin2000;
    if (nt && version.dwMajorVersion == 5 && version.dwMinorVersion == 1) expected = toWinXP;
    if (nt) {
        EXPECT_EQ(Value(&IMxMachine::get_tyOperatingSystem), expected);
        if (expected == toUnknown) {
            EXPECT_EQ(Text(&IMxMachine::get_wstrOperatingSystem), L"Unknown");
        }
    }
    // The product type answers whatever the version; Wine's prefixes are workstations.
    if (nt) {
        EXPECT_EQ(Value(&IMxMachine::get_tyNTProductType), tptWorkstation);
        EXPECT_EQ(Text(&IMxMachine::get_wstrNTProductType), L"Workstation");
    }
}

TEST_F(MxMachineTest, ProductDataAndBiosFromTheFamilysKeys) {
    const bool nt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    const char* key = nt ? "Software\\Microsoft\\Windows NT\\CurrentVersion" : "Software\\Microsoft\\Windows\\CurrentVersion";
    struct Case {
        HRESULT (STDMETHODCALLTYPE IMxMachine::*get)(BSTR*);
        const char* value;
    } cases[] = {{&IMxMachine::get_wstrProductID, "ProductID"},
                 {&IMxMachine::get_wstrProductName, "ProductName"},
                 {&IMxMachine::get_wstrRegOrganization, "RegisteredOrganization"},
                 {&IMxMachine::get_wstrRegOwner, "RegisteredOwner"},
                 {&IMxMachine::get_wstrDVDRegion, "DVD_Region"}};
    for (const Case& c : cases) {
        std::wstring expected = RegText(HKEY_LOCAL_MACHINE, key, c.value);
        if (expected.empty()) expected = L"(unavailable)";
        EXPECT_EQ(Text(c.get), expected) << c.value;
    }
    if (nt) {
        const char* bios = "HARDWARE\\DESCRIPTION\\System";
        EXPECT_EQ(Text(&IMxMachine::get_wstrBIOSDate), RegText(HKEY_LOCAL_MACHINE, bios, "SystemBiosDate"));
        EXPECT_EQ(Text(&IMxMachine::get_wstrBIOSName), RegText(HKEY_LOCAL_MACHINE, bios, "Identifier"));
        EXPECT_EQ(Text(&IMxMachine::get_wstrBIOSCopyright), RegText(HKEY_LOCAL_MACHINE, bios, "SystemBiosVersion"));
    }
    EXPECT_EQ(Text(&IMxMachine::get_wstrBIOSExtendedInfo), L"");
}

TEST_F(MxMachineTest, NamesTimesKeysAndPower) {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof(name);
    ASSERT_TRUE(GetComputerNameA(name, &size));
    EXPECT_EQ(Text(&IMxMachine::get_wstrComputername), Wide(name));
    char user[260] = {};
    size = sizeof(user);
    ASSERT_TRUE(GetUserNameA(user, &size));
    EXPECT_EQ(Text(&IMxMachine::get_wstrUsername), Wide(user));
    EXPECT_NE(Text(&IMxMachine::get_wstrFullyQualifiedDomainName), L"");

    // Up time and last boot agree with the tick count and the clock.
    const double before = GetTickCount() / 86400000.0;
    const double up = Value(&IMxMachine::get_doSystemUpTime);
    const double after = GetTickCount() / 86400000.0;
    EXPECT_GE(up, before - 1e-9);
    EXPECT_LE(up, after + 1e-9);
    SYSTEMTIME now;
    GetLocalTime(&now);
    double today = 0;
    SystemTimeToVariantTime(&now, &today);
    const DATE boot = Value(&IMxMachine::get_tdLastBoot);
    EXPECT_NEAR(boot, today - up, 5.0 / 86400.0);

    // Date-time texts: short date, blank, long time of the locale.
    char date[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, sizeof(date));
    const std::wstring local = Text(&IMxMachine::get_wstrLocalTime);
    EXPECT_EQ(local.substr(0, std::strlen(date) + 1), Wide(date) + L" ") << std::string(local.begin(), local.end());
    EXPECT_GT(Text(&IMxMachine::get_wstrSystemTime).size(), std::strlen(date) + 4);

    BYTE keys[256] = {};
    ASSERT_TRUE(GetKeyboardState(keys));
    EXPECT_EQ(Value(&IMxMachine::get_boCapsLock), keys[VK_CAPITAL] == 1 ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(Value(&IMxMachine::get_boNumLock), keys[VK_NUMLOCK] == 1 ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(Value(&IMxMachine::get_boScrollLock), keys[VK_SCROLL] == 1 ? VARIANT_TRUE : VARIANT_FALSE);

    SYSTEM_POWER_STATUS p;
    ASSERT_TRUE(GetSystemPowerStatus(&p));
    const TYP_APM_PowerStatus ac = p.ACLineStatus == 0 ? tapOffline : p.ACLineStatus == 1 ? tapOnline : tapUnknown;
    EXPECT_EQ(Value(&IMxMachine::get_tyACPowerStatus), ac);
    EXPECT_EQ(Value(&IMxMachine::get_byBatteryLifePrecent), p.BatteryLifePercent);
    EXPECT_EQ(Value(&IMxMachine::get_iBatteryLifeTime), static_cast<long>(p.BatteryLifeTime));
    EXPECT_EQ(Value(&IMxMachine::get_iBatteryLifeFulltime), static_cast<long>(p.BatteryFullLifeTime));
    const TYP_APM_BatteryStatus battery = Value(&IMxMachine::get_tyBatteryChargeStatus);
    EXPECT_GE(battery, tabUnknown);
    EXPECT_LE(battery, tabNoBattery);
    EXPECT_EQ(Value(&IMxMachine::get_boIsUserAdministrator),
              version.dwPlatformId == VER_PLATFORM_WIN32_NT ? VARIANT_TRUE : VARIANT_FALSE);  // Wine's user is
}

TEST_F(MxMachineTest, LateBoundReadsMatchEarlyBound) {
    ComPtr<IDispatch> d = machine.As<IDispatch>();
    CallResult os = PropGet(d.Get(), L"wstrOperatingSystem");
    ASSERT_EQ(os.hr, S_OK);
    EXPECT_EQ(os.value.Str(), Text(&IMxMachine::get_wstrOperatingSystem));
    CallResult percent = PropGet(d.Get(), L"byBatteryLifePrecent");
    ASSERT_EQ(percent.hr, S_OK);
    EXPECT_EQ(percent.value.vt, VT_UI1);
    CallResult boot = PropGet(d.Get(), L"tdLastBoot");
    ASSERT_EQ(boot.hr, S_OK);
    EXPECT_EQ(boot.value.vt, VT_DATE);
}

TEST_F(MxMachineTest, OwnedListsAreRefilledAndHandedOutAgain) {
    ASSERT_TRUE(ListsAvailable()) << "MxStringlist is not registered";
    ComPtr<IMxStringlist> env1, env2;
    ASSERT_EQ(machine->get_strlEnvironment(env1.Put()), S_OK);
    ASSERT_TRUE(env1);
    const std::vector<std::wstring> first = ListItems(env1.Get());
    ASSERT_EQ(machine->get_strlEnvironment(env2.Put()), S_OK);
    EXPECT_EQ(env1.Get(), env2.Get());  // the same object
    EXPECT_EQ(ListItems(env2.Get()), first);  // refilled, not appended to
    size_t used = 0;
    for (const std::wstring& l : first) {
        EXPECT_NE(l.find(L'='), std::wstring::npos) << std::string(l.begin(), l.end());
        used += l.size() + 1;
    }
    EXPECT_LE(used, 4096u);

    // Fixture values in the test prefix's own Fonts key, removed again below: one with a type
    // in parentheses, one without, and one whose ")" comes before its "(".
    const bool nt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    const char* fontsPath = nt ? "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
                               : "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, fontsPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::pair<const char*, const char*> fixture[] = {
        {"Zunda Test Sans (TrueType)", "ZTSans.ttf"},
        {"Zunda Test Raster", "ztraster.fon"},
        {"Zunda Test) Odd (Name", "ztodd.fon"},
    };
    for (const auto& [name, file] : fixture)
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(file), DWORD(strlen(file) + 1));
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    ComPtr<IMxStringlist> fonts;
    const HRESULT hrFonts = machine->get_strlFonts(fonts.Put());
    for (const auto& [name, file] : fixture) RegDeleteValueA(key, name);
    RegCloseKey(key);
    ASSERT_EQ(hrFonts, S_OK);
    ASSERT_TRUE(fonts);
    const std::vector<std::wstring> f = ListItems(fonts.Get());
    // One line per value of the family's Fonts key, each "name;type;file".
    EXPECT_EQ(f.size(), values);
    for (const std::wstring& l : f)
        EXPECT_EQ(std::count(l.begin(), l.end(), L';'), 2) << std::string(l.begin(), l.end());
    std::vector<std::wstring> ours;
    for (const std::wstring& l : f)
        if (l.rfind(L"Zunda Test", 0) == 0) ours.push_back(l);
    std::sort(ours.begin(), ours.end());
    EXPECT_EQ(ours, (std::vector<std::wstring>{L"Zunda Test Raster;?\?\?-Font;ztraster.fon",
                                               L"Zunda Test Sans;TrueType;ZTSans.ttf",
                                               L"Zunda Test) Odd (Name;?\?\?-Font;ztodd.fon"}));
}

TEST_F(MxMachineTest, InstalledSoftwareListsDisplayNames) {
    ASSERT_TRUE(ListsAvailable()) << "MxStringlist is not registered";
    // A fixture in the test prefix's own registry, removed again below.
    const char* base = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    const std::string a = std::string(base) + "\\ZundaTestApp", b = std::string(base) + "\\ZundaTestNoName";
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, a.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>("Zunda Test \xC4pp"), 15);
    RegCloseKey(k);
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, b.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegCloseKey(k);
    ComPtr<IMxStringlist> list;
    EXPECT_EQ(machine->get_strlInstalledSoftware(list.Put()), S_OK);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, a.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, b.c_str());
    ASSERT_TRUE(list);
    const std::vector<std::wstring> lines = ListItems(list.Get());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), L"Zunda Test \u00C4pp"), 1);
    BSTR e = nullptr;
    machine->get_wstrLastErrorMessage(&e);
    EXPECT_EQ(Take(e), L"");
}

}  // namespace
}  // namespace zunda::test
