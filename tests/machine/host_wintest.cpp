// The inventory against independent sources of this machine: the host's
// own figures, gathered outside Wine by wine-host.sh and wine-versions.sh
// and passed in through ZUNDA_HOST_* / ZUNDA_EXPECT_* variables. Without
// them (a plain run) these tests are skipped.
#include "tests/support/win/com_test.h"

#include <cpuid.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace zunda::test {
namespace {

bool Env(const char* name, std::string& out) {
    char buf[4096];
    const DWORD n = GetEnvironmentVariableA(name, buf, sizeof(buf));
    if (n == 0 || n >= sizeof(buf)) return false;
    out.assign(buf, n);
    return true;
}
std::string EnvOr(const char* name) {
    std::string v;
    Env(name, v);
    return v;
}
std::wstring Wide(const std::string& s) {
    return std::wstring(zunda::Bstr::FromAnsi(s).View());
}
std::wstring Upper(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(towupper(c));
    return s;
}

#define REQUIRE_HOST(var)                                                                     \
    std::string var;                                                                          \
    if (!Env("ZUNDA_HOST_" #var, var)) GTEST_SKIP() << "run by tests/machine/wine-host.sh"; \
    static_assert(true)

TEST(MachineHost, ProcessorAgainstCpuinfoAndTheCpuidDevice) {
    REQUIRE_HOST(CPU_VENDOR);
    ComPtr<IMxCPU> cpu = Create<IMxCPU>(CLSID_MxCPU);
    ASSERT_TRUE(cpu);
    EXPECT_EQ(ReadText(cpu.Get(), &IMxCPU::get_wstrVendorCPUID), Wide(CPU_VENDOR));
    const long family = std::atol(EnvOr("ZUNDA_HOST_CPU_FAMILY").c_str());
    const long model = std::atol(EnvOr("ZUNDA_HOST_CPU_MODEL").c_str());
    // The kernel adds the extended family and model; the object reports the base fields.
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iFamily), family < 15 ? family : 15);
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iModel), model & 15);
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iStepping), std::atol(EnvOr("ZUNDA_HOST_CPU_STEPPING").c_str()));
    EXPECT_EQ(ReadText(cpu.Get(), &IMxCPU::get_wstrVendorIDCPUID), Wide(EnvOr("ZUNDA_HOST_CPU_BRAND")));

    // Feature flags by the kernel's names.
    const std::string all = " " + EnvOr("ZUNDA_HOST_CPU_FLAGS") + " ";
    auto has = [&](const char* f) { return all.find(std::string(" ") + f + " ") != std::string::npos; };
    Rec_CPU_Features r{};
    ASSERT_EQ(cpu->get_rcFeatures(&r), S_OK);
    const std::pair<const char*, VARIANT_BOOL> cases[] = {
        {"fpu", r.boFPU},   {"vme", r.boVME},   {"de", r.boDE},     {"pse", r.boPSE},     {"tsc", r.boTSC},
        {"msr", r.boMSR},   {"pae", r.boPAE},   {"mce", r.boMCE},   {"cx8", r.boCX8},     {"apic", r.boAPIC},
        {"sep", r.boSEP},   {"mtrr", r.boMTRR}, {"pge", r.boPGE},   {"mca", r.boMCA},     {"cmov", r.boCMOV},
        {"pat", r.boPAT},   {"pse36", r.boPSE36}, {"pn", r.boSERIAL}, {"mmx", r.boMMX},   {"fxsr", r.boXSR},
        {"sse", r.boSIMD},  {"3dnow", r.bo3DNOW}, {"3dnowext", r.boEX_3DNOW}};
    for (auto [flag, value] : cases) EXPECT_EQ(value, has(flag) ? VARIANT_TRUE : VARIANT_FALSE) << flag;

    // The raw leaves as the CPUID device gave them.
    unsigned a, b, c, d;
    __cpuid(1, a, b, c, d);
    std::istringstream leaf1(EnvOr("ZUNDA_HOST_CPUID_LEAF1"));
    unsigned ha = 0, hb = 0, hc = 0, hd = 0;
    leaf1 >> std::hex >> ha >> hb >> hc >> hd;
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iBrand), static_cast<long>(hb & 255));
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iTyp), static_cast<long>((ha >> 12) & 3));
    EXPECT_EQ(r.boSIMD, (hd >> 25) & 1 ? VARIANT_TRUE : VARIANT_FALSE);
    std::istringstream leaf0(EnvOr("ZUNDA_HOST_CPUID_LEAF0"));
    unsigned maxLeaf = 0;
    leaf0 >> std::hex >> maxLeaf;
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iLevel), static_cast<long>(maxLeaf));

    // The measured clock against the kernel's: within 2 % plus one rounding step.
    const double mhz = std::atof(EnvOr("ZUNDA_HOST_CPU_MHZ").c_str());
    ASSERT_GT(mhz, 0);
    const long measured = Read(cpu.Get(), &IMxCPU::get_iFrequency);
    EXPECT_NEAR(static_cast<double>(measured), mhz, mhz * 0.02 + 20) << "kernel " << mhz << " MHz";
}

TEST(MachineHost, MemoryAgainstMeminfo) {
    REQUIRE_HOST(MEM_TOTAL);
    ComPtr<IMxMemory> mem = Create<IMxMemory>(CLSID_MxMemory);
    ASSERT_TRUE(mem);
    const unsigned long long total = std::strtoull(MEM_TOTAL.c_str(), nullptr, 10);
    const unsigned long long avail = std::strtoull(EnvOr("ZUNDA_HOST_MEM_AVAILABLE").c_str(), nullptr, 10);
    const long reported = Read(mem.Get(), &IMxMemory::get_iPhysicalTotal);
    if (total > 0xFFFFFFFFull) {
        EXPECT_EQ(reported, -1) << "more than 4 GiB saturates";
    } else {
        EXPECT_NEAR(static_cast<double>(static_cast<unsigned long>(reported)), static_cast<double>(total), total * 0.02);
    }
    const double load = 100.0 * static_cast<double>(total - avail) / static_cast<double>(total);
    EXPECT_NEAR(static_cast<double>(Read(mem.Get(), &IMxMemory::get_iMemoryLoad)), load, 10.0);
}

TEST(MachineHost, DriveCAgainstDf) {
    REQUIRE_HOST(DISK_TOTAL);
    ComPtr<IMxDrive> drives = Create<IMxDrive>(CLSID_MxDrive);
    ASSERT_TRUE(drives);
    ASSERT_EQ(drives->Refresh(), S_OK);
    BSTR c = SysAllocString(L"C");
    ComPtr<IMxDriveRecord> r;
    ASSERT_EQ(drives->get_clDrivesBySign(c, r.Put()), S_OK);
    SysFreeString(c);
    ASSERT_TRUE(r);
    const unsigned long long total = std::strtoull(DISK_TOTAL.c_str(), nullptr, 10);
    const unsigned long long avail = std::strtoull(EnvOr("ZUNDA_HOST_DISK_AVAILABLE").c_str(), nullptr, 10);
    EXPECT_EQ(Read(r.Get(), &IMxDriveRecord::get_iCapacity), total);
    // Free space moves while other programs write to the disk (Wine prefixes
    // of parallel runs are over a gigabyte): 1 % of the disk, at least
    // 64 MiB, still tells a wrong unit or cluster figure.
    const double slack = std::max(64.0 * 1024 * 1024, static_cast<double>(total) * 0.01);
    EXPECT_NEAR(static_cast<double>(Read(r.Get(), &IMxDriveRecord::get_iFreeSpace)), static_cast<double>(avail),
                slack);
    const long long clusterBytes = static_cast<long long>(Read(r.Get(), &IMxDriveRecord::get_iSectorsPerCluster)) *
                                   Read(r.Get(), &IMxDriveRecord::get_iBytesPerSector);
    EXPECT_GT(clusterBytes, 0);
}

TEST(MachineHost, NamesAndTimesAgainstTheHost) {
    REQUIRE_HOST(HOSTNAME);
    ComPtr<IMxMachine> m = Create<IMxMachine>(CLSID_MxMachine);
    ASSERT_TRUE(m);
    std::wstring expected = Upper(Wide(HOSTNAME));
    if (expected.size() > MAX_COMPUTERNAME_LENGTH) expected.resize(MAX_COMPUTERNAME_LENGTH);
    EXPECT_EQ(ReadText(m.Get(), &IMxMachine::get_wstrComputername), expected);
    EXPECT_EQ(ReadText(m.Get(), &IMxMachine::get_wstrUsername), Wide(EnvOr("ZUNDA_HOST_USER")));
    const std::wstring fqdn = Upper(ReadText(m.Get(), &IMxMachine::get_wstrFullyQualifiedDomainName));
    EXPECT_EQ(fqdn.rfind(Upper(Wide(HOSTNAME)), 0), 0u) << std::string(fqdn.begin(), fqdn.end());

    // Seconds since boot and the boot time as the host has them, taken just
    // before the run; a minute covers the start of the test program.
    const double uptime = std::atof(EnvOr("ZUNDA_HOST_UPTIME").c_str());
    const double up = Read(m.Get(), &IMxMachine::get_doSystemUpTime) * 86400.0;
    EXPECT_GE(up, uptime - 2.0);
    EXPECT_LE(up, uptime + 60.0);
    const double boot = std::atof(EnvOr("ZUNDA_HOST_BOOT_DATE").c_str());
    EXPECT_NEAR(Read(m.Get(), &IMxMachine::get_tdLastBoot), boot, 60.0 / 86400.0);
}

// The Windows version set for this program through Wine's AppDefaults.
TEST(MachineVersion, FamilyAndPathsFollowTheVersionSetForThisProgram) {
    std::string os;
    if (!Env("ZUNDA_EXPECT_OS", os)) GTEST_SKIP() << "run by tests/machine/wine-versions.sh";
    const bool nt = EnvOr("ZUNDA_EXPECT_NT") == "1";
    ComPtr<IMxMachine> m = Create<IMxMachine>(CLSID_MxMachine);
    ASSERT_TRUE(m);
    EXPECT_EQ(Read(m.Get(), &IMxMachine::get_tyOperatingSystem), static_cast<TYP_OS>(std::atoi(os.c_str())));
    EXPECT_EQ(ReadText(m.Get(), &IMxMachine::get_wstrOperatingSystem), Wide(EnvOr("ZUNDA_EXPECT_OS_TEXT")));
    EXPECT_EQ(Read(m.Get(), &IMxMachine::get_boIsNT), nt ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(Read(m.Get(), &IMxMachine::get_tyNTProductType), nt ? tptWorkstation : tptUnknown);
    EXPECT_EQ(Read(m.Get(), &IMxMachine::get_boIsUserAdministrator), nt ? VARIANT_TRUE : VARIANT_FALSE);
    // Windows 9x takes the BIOS strings from low memory. A 64-bit process has
    // nothing mapped there: they are empty, and the host process lives on. A
    // 32-bit one under Wine has the emulated BIOS area there, as Windows 9x
    // had the real one: they are the texts found at those addresses.
    const std::wstring biosName = ReadText(m.Get(), &IMxMachine::get_wstrBIOSName);
    const std::wstring biosDate = ReadText(m.Get(), &IMxMachine::get_wstrBIOSDate);
    if (!nt) {
        auto lowMemory = [](std::uintptr_t address, size_t bound) {
            std::wstring text;
            char c = 0;
            SIZE_T got = 0;
            for (size_t i = 0; i < bound; ++i) {
                if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(address + i), &c, 1, &got) ||
                    got != 1 || c == 0)
                    break;
                text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
            }
            return text;
        };
        EXPECT_EQ(biosName, lowMemory(0xFE061, 0xFE091 - 0xFE061));
        EXPECT_EQ(biosDate, lowMemory(0xFFFF5, 8));
        EXPECT_EQ(ReadText(m.Get(), &IMxMachine::get_wstrBIOSCopyright), lowMemory(0xFE091, 255));
        if (sizeof(void*) == 8) {
            EXPECT_EQ(biosDate, L"");
        }
    }
    EXPECT_EQ(ReadText(m.Get(), &IMxMachine::get_wstrBIOSExtendedInfo), L"");
    // The product data come from the family's key.
    HKEY k = nullptr;
    const char* key = nt ? "Software\\Microsoft\\Windows NT\\CurrentVersion" : "Software\\Microsoft\\Windows\\CurrentVersion";
    char id[256] = {};
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k) == ERROR_SUCCESS) {
        DWORD size = sizeof(id) - 1;
        RegQueryValueExA(k, "ProductID", nullptr, nullptr, reinterpret_cast<BYTE*>(id), &size);
        RegCloseKey(k);
    }
    EXPECT_EQ(ReadText(m.Get(), &IMxMachine::get_wstrProductID), id[0] ? Wide(id) : L"(unavailable)");
}

}  // namespace
}  // namespace zunda::test
