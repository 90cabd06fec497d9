// MxMachine's rules over recorded version structures and registry contents.
#include "machine/core/machine_lists.h"
#include "machine/core/os_version.h"
#include "server/core/failure.h"
#include "system/core/reg_values.h"
#include "tests/system/memory_registry.h"

#include <gtest/gtest.h>

#include <map>

namespace zunda::machine {
namespace {

VersionInfo V(std::uint32_t platform, std::uint32_t major, std::uint32_t minor, std::uint32_t build,
              std::string csd = std::string()) {
    VersionInfo v;
    v.ok = true;
    v.platform = platform;
    v.major = major;
    v.minor = minor;
    v.build = build;
    csd.resize(128, '\0');
    v.csd = csd;
    return v;
}

class FakePlatform final : public MachinePlatform {
public:
    VersionInfo version;
    std::optional<std::uint8_t> productTypeEx;
    test::MemoryRegistry registry;
    std::map<std::uint32_t, std::string> lowMemory;
    std::vector<std::pair<std::uint32_t, std::size_t>> lowMemoryReads;

    VersionInfo Version() override { return version; }
    std::optional<std::uint8_t> ProductTypeEx() override { return productTypeEx; }
    reg::Registry& Registry() override { return registry; }
    // As MxUtils answers: its own failures stay in its own error state.
    std::string ReadRegString(reg::Root root, const std::string& key, const std::string& name) override {
        try {
            return utils::ReadRegString(registry, root, key, name);
        } catch (const Failure&) {
            return std::string();
        }
    }
    std::string ReadRegBinary(reg::Root root, const std::string& key, const std::string& name) override {
        try {
            return utils::ReadRegBinary(registry, root, key, name);
        } catch (const Failure&) {
            return std::string();
        }
    }
    std::string ReadLowMemory(std::uint32_t address, std::size_t bound) override {
        lowMemoryReads.push_back({address, bound});
        auto it = lowMemory.find(address);
        return it == lowMemory.end() ? std::string() : it->second.substr(0, bound);
    }
};

TEST(OsVersion, ClassifiesEveryKnownVersionAndOnlyThose) {
    struct Case {
        VersionInfo v;
        Os os;
        bool nt;
        const char* text;
    } cases[] = {
        {V(0, 3, 10, 0), toWin32, false, "Windows 32"},
        {V(1, 4, 0, 950), toWin95, false, "Windows 95"},
        {V(1, 4, 0, 0x04000457, " B"), toWin95OSR2, false, "Windows 95 OSR2"},
        {V(1, 4, 0, 0x04000457, " C"), toWin95, false, "Windows 95"},       // only B marks OSR2
        {V(1, 4, 0, 0x04000457, " b"), toWin95, false, "Windows 95"},       // case-sensitive
        {V(1, 4, 0, 0x04000457, "B"), toWin95, false, "Windows 95"},        // the second character counts
        {V(1, 4, 10, 0x040A07CE), toWin98, false, "Windows 98"},
        {V(1, 4, 10, 0x040A08AE, " A "), toWin98SE, false, "Windows 98 SE"},
        {V(1, 4, 90, 0x045A0BB8), toWinME, false, "Windows ME"},
        {V(1, 4, 90, 0x00000BB8), toUnknown, false, "Unknown"},            // ME needs the whole build field
        {V(1, 4, 20, 0), toUnknown, false, "Unknown"},
        {V(2, 3, 51, 1057), toWinNT3, true, "Windows NT, Version 3.x"},
        {V(2, 4, 0, 1381, "Service Pack 6"), toWinNT4, true, "Windows NT, Version 4.x"},
        {V(2, 5, 0, 2195), toWin2000, true, "Windows 2000"},
        {V(2, 5, 1, 2600, "Service Pack 3"), toWinXP, true, "Windows XP"},
        {V(2, 5, 2, 3790), toUnknown, true, "Unknown"},   // Server 2003 / XP x64
        {V(2, 6, 1, 7601), toUnknown, true, "Unknown"},   // 7
        {V(2, 10, 0, 19045), toUnknown, true, "Unknown"}, // 10 and 11
        {V(3, 10, 0, 0), toUnknown, false, "Unknown"},    // CE and other platforms
        {VersionInfo{}, toUnknown, false, "Unknown"},     // GetVersionExA failed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.v.platform) + "." + std::to_string(c.v.major) + "." +
                     std::to_string(c.v.minor));
        EXPECT_EQ(ClassifyOs(c.v), c.os);
        EXPECT_EQ(IsNT(c.v), c.nt);
        EXPECT_STREQ(OsText(ClassifyOs(c.v)), c.text);
    }
    EXPECT_STREQ(OsText(42), "Unknown");
    EXPECT_STREQ(OsText(-1), "Unknown");
}

TEST(OsVersion, ProductTypeFromTheVersionOrTheRegistry) {
    const char* kOptions = "System\\CurrentControlSet\\Control\\ProductOptions";
    struct Case {
        VersionInfo v;
        std::optional<std::uint8_t> ex;
        const char* registryType;  // nullptr: no key
        NtProduct expected;
    } cases[] = {
        {V(2, 5, 1, 2600), 1, "ServerNT", tptWorkstation},         // the version structure wins
        {V(2, 5, 0, 2195), 2, nullptr, tptAdvancedServer},          // domain controller
        {V(2, 5, 1, 2600), 3, nullptr, tptServer},
        {V(2, 5, 1, 2600), 7, "LanmanNT", tptAdvancedServer},       // unknown type: registry
        {V(2, 5, 1, 2600), std::nullopt, "ServerNT", tptServer},    // call failed: registry
        {V(2, 4, 0, 1381), 3, "WinNT", tptWorkstation},             // NT 4: registry only
        {V(2, 4, 0, 1381), std::nullopt, "winnt", tptUnknown},      // exact comparison
        {V(2, 4, 0, 1381), std::nullopt, nullptr, tptUnknown},      // no key
        {V(2, 10, 0, 19045), 1, "ServerNT", tptServer},             // after XP: the registry
        {V(1, 4, 10, 2222), 1, "WinNT", tptUnknown},                // Windows 9x
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.registryType ? c.registryType : "-");
        FakePlatform p;
        p.version = c.v;
        p.productTypeEx = c.ex;
        if (c.registryType) p.registry.SetString(reg::kLocalMachine, kOptions, "ProductType", c.registryType);
        EXPECT_EQ(NtProductType(p), c.expected);
    }
    FakePlatform wrongType;
    wrongType.version = V(2, 4, 0, 1381);
    wrongType.registry.SetDword(reg::kLocalMachine, kOptions, "ProductType", 1);
    EXPECT_THROW(NtProductType(wrongType), Failure);

    EXPECT_STREQ(ProductTypeText(tptUnknown), "Unknown");
    EXPECT_STREQ(ProductTypeText(tptWorkstation), "Workstation");
    EXPECT_STREQ(ProductTypeText(tptServer), "Server");
    EXPECT_STREQ(ProductTypeText(tptAdvancedServer), "Advanced Server");
}

TEST(OsVersion, ProductDataComesFromTheFamilysKeyOrIsUnavailable) {
    FakePlatform p;
    p.registry.SetString(reg::kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOwner", "nt");
    p.registry.SetString(reg::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "RegisteredOwner", "9x");
    p.registry.SetString(reg::kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion", "ProductID", "");
    p.version = V(2, 6, 1, 7601);  // NT after XP reads the NT key
    EXPECT_EQ(ProductData(p, "RegisteredOwner"), "nt");
    EXPECT_EQ(ProductData(p, "RegisteredOrganization"), "(unavailable)");
    EXPECT_EQ(ProductData(p, "ProductID"), "(unavailable)");  // empty counts as missing
    p.version = V(1, 4, 10, 2222);
    EXPECT_EQ(ProductData(p, "RegisteredOwner"), "9x");
}

TEST(OsVersion, BiosStringsComeFromTheRegistryOnNTAndFromMemoryOnlyOn9x) {
    FakePlatform p;
    const char* key = "HARDWARE\\DESCRIPTION\\System";
    p.registry.Set(reg::kLocalMachine, key, "SystemBiosVersion", reg::kMultiString,
                   std::string("BOCHS  - 1\0SeaBIOS\0\0", 21));
    p.registry.SetString(reg::kLocalMachine, key, "SystemBiosDate", "04/01/14");
    p.registry.SetString(reg::kLocalMachine, key, "Identifier", "AT compatible");
    p.lowMemory = {{0xFE091, "(C) BIOS Corp."}, {0xFFFF5, "12/31/99garbage"}, {0xFE061, "Name"}, {0xFEC71, "Ext"}};

    p.version = V(2, 10, 0, 19045);
    EXPECT_EQ(BiosString(p, BiosField::Copyright), "BOCHS  - 1");
    EXPECT_EQ(BiosString(p, BiosField::Date), "04/01/14");
    EXPECT_EQ(BiosString(p, BiosField::Name), "AT compatible");
    EXPECT_EQ(BiosString(p, BiosField::ExtendedInfo), "");
    EXPECT_TRUE(p.lowMemoryReads.empty());  // never touches memory on NT

    p.version = V(1, 4, 10, 2222, " A ");
    EXPECT_EQ(BiosString(p, BiosField::Copyright), "(C) BIOS Corp.");
    EXPECT_EQ(BiosString(p, BiosField::Date), "12/31/99");  // bounded by the date's length
    EXPECT_EQ(BiosString(p, BiosField::Name), "Name");
    EXPECT_EQ(BiosString(p, BiosField::ExtendedInfo), "Ext");
    ASSERT_EQ(p.lowMemoryReads.size(), 4u);
    EXPECT_EQ(p.lowMemoryReads[2], (std::pair<std::uint32_t, std::size_t>{0xFE061, 0x30}));

    p.lowMemoryReads.clear();
    for (VersionInfo v : {V(0, 3, 10, 0), VersionInfo{}}) {
        p.version = v;
        EXPECT_EQ(BiosString(p, BiosField::Copyright), "");
        EXPECT_EQ(BiosString(p, BiosField::Name), "");
    }
    EXPECT_TRUE(p.lowMemoryReads.empty());
}

TEST(OsVersion, PowerAndLockKeyStates) {
    EXPECT_EQ(AcPowerStatus(0), tapOffline);
    EXPECT_EQ(AcPowerStatus(1), tapOnline);
    EXPECT_EQ(AcPowerStatus(255), tapUnknown);
    EXPECT_EQ(AcPowerStatus(2), tapUnknown);
    const std::pair<int, Battery> flags[] = {{0, tabHigh},      {1, tabHigh},       {2, tabLow},
                                             {4, tabCritical},  {8, tabCharging},   {128, tabNoBattery},
                                             {9, tabUnknown},   {10, tabUnknown},   {255, tabUnknown}};
    for (auto [flag, expected] : flags) EXPECT_EQ(BatteryChargeStatus(static_cast<std::uint8_t>(flag)), expected) << flag;
    EXPECT_TRUE(LockKeyOn(1));
    EXPECT_FALSE(LockKeyOn(0x81));  // on, but held down
    EXPECT_FALSE(LockKeyOn(0x80));
    EXPECT_FALSE(LockKeyOn(0));
}

TEST(OsVersion, UpTimeAndDates) {
    EXPECT_DOUBLE_EQ(UpTimeDays(86400000u), 1.0);
    EXPECT_DOUBLE_EQ(UpTimeDays(0xFFFFFFFFu), 4294967.295 / 86400.0);  // unsigned, the last value before the wrap
    EXPECT_DOUBLE_EQ(AutomationDate(1899, 12, 30, 0, 0, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(AutomationDate(1900, 1, 1, 12, 0, 0, 0), 2.5);
    EXPECT_DOUBLE_EQ(AutomationDate(2000, 2, 29, 6, 0, 0, 0), 36585.25);
    EXPECT_DOUBLE_EQ(AutomationDate(2024, 3, 1, 0, 0, 0, 0), 45352.0);
}

TEST(MachineLists, EnvironmentBlockWalk) {
    const char block[] = "=C:=C:\\\0PATH=C:\\WINDOWS\0A=1\0\0IGNORED=1\0";
    EXPECT_EQ(ParseEnvironment(block, sizeof(block)),
              (std::vector<std::string>{"=C:=C:\\", "PATH=C:\\WINDOWS", "A=1"}));
    // Entries that end within the limit are kept; the one cut by it is dropped.
    std::string big;
    for (int i = 0; i < 400; ++i) big += "VARIABLE" + std::to_string(1000 + i) + "=x" + std::string(1, '\0');
    big += std::string(1, '\0');
    std::vector<std::string> lines = ParseEnvironment(big.data(), big.size());
    std::size_t used = 0;
    for (const std::string& l : lines) used += l.size() + 1;
    EXPECT_LE(used, kEnvironmentLimit);
    EXPECT_GT(used + 15, kEnvironmentLimit);  // every entry that fits is there
    EXPECT_EQ(lines.front(), "VARIABLE1000=x");
    EXPECT_TRUE(ParseEnvironment("\0", 1).empty());
    EXPECT_TRUE(ParseEnvironment(nullptr, 0).empty());
    // A block without its final zero ends with the block.
    const char open[] = {'A', '=', '1', '\0', 'B', '=', '2'};
    EXPECT_EQ(ParseEnvironment(open, sizeof(open)), std::vector<std::string>{"A=1"});
}

TEST(MachineLists, FontLines) {
    struct Case {
        const char* name;
        const char* file;
        const char* line;
    } cases[] = {
        {"Arial (TrueType)", "ARIAL.TTF", "Arial;TrueType;ARIAL.TTF"},
        {"  Courier 10,12,15  ", " COURE.FON ", "Courier 10,12,15;?\?\?-Font;COURE.FON"},
        {"Small Fonts (VGA res)", "SMALLE.FON", "Small Fonts;VGA res;SMALLE.FON"},
        {"Symbol ( TrueType ) Bold", "x", "Symbol  Bold;TrueType;x"},
        {"Odd) name (x", "odd.fon", "Odd) name (x;?\?\?-Font;odd.fon"},  // ")" before "(": no type
        {"Only (open", "f", "Only (open;?\?\?-Font;f"},
        {"Two (A) (B)", "f", "Two  (B);A;f"},
        {"", "", ";?\?\?-Font;"},
    };
    for (const Case& c : cases) EXPECT_EQ(FontLine(c.name, c.file), c.line) << c.name;
}

TEST(MachineLists, FontsAndSoftwareFromTheRegistry) {
    test::MemoryRegistry r;
    const char* nt = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    r.SetString(reg::kLocalMachine, nt, "Arial (TrueType)", "ARIAL.TTF");
    r.SetString(reg::kLocalMachine, nt, "Modern", "MODERN.FON");
    std::vector<std::string> lines;
    auto add = [&](const std::string& s) { lines.push_back(s); };
    Fonts(r, true, add);
    EXPECT_EQ(lines, (std::vector<std::string>{"Arial;TrueType;ARIAL.TTF", "Modern;?\?\?-Font;MODERN.FON"}));
    lines.clear();
    Fonts(r, false, add);  // the 9x key is missing: no lines, no failure
    EXPECT_TRUE(lines.empty());
    // A failure part-way keeps what was found.
    r.Set(reg::kLocalMachine, nt, "Broken", reg::kDword, std::string(4, '\0'));
    EXPECT_THROW(Fonts(r, true, add), Failure);
    EXPECT_EQ(lines.size(), 2u);

    const std::string u = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    lines.clear();
    InstalledSoftware(r, add);
    EXPECT_TRUE(lines.empty());
    r.SetString(reg::kLocalMachine, u + "\\B", "DisplayName", "Beta");
    r.SetString(reg::kLocalMachine, u + "\\A", "DisplayName", "Alpha");
    r.SetString(reg::kLocalMachine, u + "\\C", "Other", "x");  // no display name: skipped
    r.SetString(reg::kLocalMachine, u + "\\D", "DisplayName", "Alpha");  // equal names are kept
    r.SetString(reg::kLocalMachine, u + "\\A\\Deeper", "DisplayName", "not a subkey of Uninstall");
    InstalledSoftware(r, add);
    EXPECT_EQ(lines, (std::vector<std::string>{"Alpha", "Beta", "Alpha"}));
}

}  // namespace
}  // namespace zunda::machine
