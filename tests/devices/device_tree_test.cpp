// The device tree rules over an in-memory registry: the class-name table and
// its prefix matching, the walks of both families with their skip rules, the
// look-ups, the ordering and the values of one device class.
#include "devices/core/device_tree.h"
#include "tests/system/memory_registry.h"

#include <gtest/gtest.h>

#include <utility>

namespace zunda::devices {
namespace {

using test::MemoryRegistry;
const reg::Root HKLM = reg::kLocalMachine;

const char* const kNtEnum = "SYSTEM\\CurrentControlSet\\Enum";
const char* const kNtClass = "SYSTEM\\CurrentControlSet\\Control\\Class";
const char* const k9xClass = "SYSTEM\\CurrentControlSet\\Services\\Class";
const char* const kServices = "SYSTEM\\CurrentControlSet\\Services";

TEST(DeviceClassTable, EveryNameMapsToItsValueAndBack) {
    const std::pair<int, const char*> table[] = {
        {0, "Battery"},        {1, "Computer"},      {2, "DiskDrive"},     {3, "Display"},
        {4, "CDROM"},          {5, "fdc"},           {6, "FloppyDisk"},    {7, "GPS"},
        {8, "HID"},            {9, "hdc"},           {10, "1394"},         {11, "Image"},
        {12, "Infrared"},      {13, "Keyboard"},     {14, "MediumChanger"}, {15, "MTD"},
        {16, "Mouse"},         {17, "Modem"},        {18, "Monitor"},      {19, "MultiFunction"},
        {20, "MultiPortSerial"}, {21, "Net"},        {22, "LegacyDriver"}, {23, "NtApm"},
        {24, "Unknown"},       {25, "PCMCIA"},       {26, "Ports"},        {27, "Printer"},
        {28, "SCSIAdapter"},   {29, "SmartCardReader"}, {30, "MEDIA"},     {31, "Volume"},
        {32, "System"},        {33, "TapeDrive"},    {34, "USB"},
    };
    for (const auto& [value, name] : table) {
        EXPECT_STREQ(ClassNameOf(value), name) << value;
        EXPECT_EQ(ClassFromName(name), value) << name;
    }
    EXPECT_STREQ(ClassNameOf(kClassNone), "");
    EXPECT_STREQ(ClassNameOf(-1), "");
    EXPECT_STREQ(ClassNameOf(36), "");
    EXPECT_STREQ(ClassNameOf(1000000), "");
}

TEST(DeviceClassTable, PrefixMatchingIgnoresCaseAndTakesTheFirstEntry) {
    const std::pair<const char*, int> cases[] = {
        {"HIDClass", 8},   {"hdc", 9},        {"HDC", 9},         {"VolumeSnapshot", 31}, {"NetTrans", 21},
        {"NetClient", 21}, {"NetService", 21}, {"net", 21},       {"PrinterUpgrade", 27}, {"1394Debug", 10},
        {"FDC", 5},        {"Foo", 24},       {"", 24},           {" Net", 24},           {"Ne", 24},
        {"MEDIAx", 30},    {"Medium", 24},    {"SystemX", 32},    {"Keyboard ", 13},
    };
    for (const auto& [name, value] : cases) EXPECT_EQ(ClassFromName(name), value) << name;
}

TEST(MultiStringJoin, JoinsWithoutSeparatorAndStopsAtTwoZeros) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("A\0B\0\0", 5), "AB"},
        {std::string("PCI\\VEN_1\0PCI\\CC_03\0\0", 21), "PCI\\VEN_1PCI\\CC_03"},
        {std::string("A\0\0B\0\0", 6), "A"},
        {std::string("AB", 2), "AB"},
        {std::string("\0A\0", 3), "A"},
        {std::string(), ""},
        {std::string("\0\0", 2), ""},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(JoinMultiString(bytes), text);
}

// A registry with both layouts: devices of the NT family below
// SYSTEM\CurrentControlSet\Enum and of the 9x family below Enum.
class DeviceTree : public ::testing::Test {
protected:
    std::string Instance(const std::string& root, const std::string& enumerator, const std::string& device,
                         const std::string& instance, bool control = true) {
        const std::string path = root + "\\" + enumerator + "\\" + device + "\\" + instance;
        r.AddKey(HKLM, path);
        if (control) r.AddKey(HKLM, path + "\\Control");
        return path;
    }
    void Multi(const std::string& path, const std::string& name, const std::string& bytes) {
        r.Set(HKLM, path, name, reg::kMultiString, bytes);
    }
    MemoryRegistry r;
    const Layout nt{true};
    const Layout w9x{false};
};

TEST_F(DeviceTree, NtWalkReadsEveryFieldFromInstanceClassDriverAndService) {
    const std::string p = Instance(kNtEnum, "PCI", "VEN_10EC&DEV_8139", "3&61AAA01&0&48");
    r.SetString(HKLM, p, "ClassGUID", "{4d36e972-e325-11ce-bfc1-08002be10318}");
    r.SetString(HKLM, p, "Class", "Net");
    r.SetString(HKLM, p, "FriendlyName", "Realtek NIC #2");
    r.SetString(HKLM, p, "DeviceDesc", "Realtek NIC");
    r.SetString(HKLM, p, "Mfg", "Realtek");
    r.SetString(HKLM, p, "Service", "rtl8139");
    r.SetString(HKLM, p, "LocationInformation", "PCI bus 0, device 9");
    r.SetString(HKLM, p, "Driver", "{4D36E972-E325-11CE-BFC1-08002BE10318}\\\\0001");
    Multi(p, "HardwareID", std::string("PCI\\VEN_10EC\0PCI\\CC_0200\0\0", 27));
    const std::string cls = std::string(kNtClass) + "\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
    r.SetString(HKLM, cls, "", "Network adapters");
    r.SetString(HKLM, cls, "Icon", "-5");
    r.SetString(HKLM, cls, "Class", "IgnoredHere");
    r.SetString(HKLM, cls + "\\0001", "DriverDate", "7-1-2001");
    r.SetString(HKLM, cls + "\\0001", "DriverVersion", "5.1.2600.0");
    r.SetString(HKLM, cls + "\\0001", "ProviderName", "Microsoft");
    r.SetString(HKLM, std::string(kServices) + "\\rtl8139", "DisplayName", "Realtek Driver");
    r.SetString(HKLM, std::string(kServices) + "\\rtl8139", "Group", "NDIS");
    r.SetDword(HKLM, std::string(kServices) + "\\rtl8139", "Type", 1);

    const std::vector<DeviceRecord> list = ReadDeviceTree(r, nt);
    ASSERT_EQ(list.size(), 1u);
    const DeviceRecord& d = list[0];
    EXPECT_EQ(d.className, "Net");
    EXPECT_EQ(d.classDesc, "Network adapters");
    EXPECT_EQ(d.classIcon, "-5");
    EXPECT_EQ(d.friendlyName, "Realtek NIC #2");
    EXPECT_EQ(d.description, "Realtek NIC");
    EXPECT_EQ(d.guid, "{4D36E972-E325-11CE-BFC1-08002BE10318}");
    EXPECT_EQ(d.manufacturer, "Realtek");
    EXPECT_EQ(d.location, "PCI bus 0, device 9");
    EXPECT_EQ(d.hardwareId, "PCI\\VEN_10ECPCI\\CC_0200");
    EXPECT_EQ(d.driverDate, "7-1-2001");
    EXPECT_EQ(d.driverVersion, "5.1.2600.0");
    EXPECT_EQ(d.driverProvider, "Microsoft");
    EXPECT_EQ(d.service, "rtl8139");
    EXPECT_EQ(d.serviceName, "Realtek Driver");
    EXPECT_EQ(d.serviceGroup, "NDIS");
    EXPECT_EQ(d.serviceType, 1);
    EXPECT_EQ(d.regKey, p);
    EXPECT_EQ(d.deviceClass, kClassNet);
}

TEST_F(DeviceTree, NtSkipsInstancesWithoutControlAndDevicesWithoutClassAndSortsByClass) {
    r.SetString(HKLM, Instance(kNtEnum, "ACPI", "PNP0C0A", "1"), "Class", "Battery");
    r.SetString(HKLM, Instance(kNtEnum, "ACPI", "PNP0A03", "0"), "Class", "System");
    r.SetString(HKLM, Instance(kNtEnum, "ACPI", "PNP0F13", "4", false), "Class", "Mouse");  // no Control
    r.SetString(HKLM, Instance(kNtEnum, "ACPI", "PNP0303", "2"), "Class", "   ");           // blank class
    Instance(kNtEnum, "ACPI", "PNP0501", "1");                                              // no class at all
    r.SetString(HKLM, Instance(kNtEnum, "Root", "COMPUTER", "0000"), "Class", "Computer");
    r.SetString(HKLM, Instance(kNtEnum, "Root", "LEGACY_X", "0000"), "Class", "Weird");
    r.SetString(HKLM, Instance(kNtEnum, "Root", "SYS2", "0000"), "Class", "system");
    r.SetString(HKLM, Instance(kNtEnum, "Root", "BAT2", "0000"), "Class", "battery");

    const std::vector<DeviceRecord> list = ReadDeviceTree(r, nt);
    std::vector<std::pair<std::string, int>> got;
    for (const DeviceRecord& d : list) got.push_back({d.regKey.substr(strlen(kNtEnum) + 1), d.deviceClass});
    const std::vector<std::pair<std::string, int>> want = {
        {"ACPI\\PNP0C0A\\1", 0},       {"Root\\BAT2\\0000", 0}, {"Root\\COMPUTER\\0000", 1},
        {"Root\\LEGACY_X\\0000", 24}, {"ACPI\\PNP0A03\\0", 32}, {"Root\\SYS2\\0000", 32},
    };
    EXPECT_EQ(got, want);
}

TEST_F(DeviceTree, EmptyOrMissingTreeGivesNoDevices) {
    EXPECT_TRUE(ReadDeviceTree(r, nt).empty());
    EXPECT_TRUE(ReadDeviceTree(r, w9x).empty());
    r.AddKey(HKLM, kNtEnum);
    r.AddKey(HKLM, std::string(kNtEnum) + "\\PCI\\EmptyDevice");
    EXPECT_TRUE(ReadDeviceTree(r, nt).empty());
}

TEST_F(DeviceTree, UnreadableKeysAreSkippedAndTheWalkGoesOn) {
    r.SetString(HKLM, Instance(kNtEnum, "A", "D1", "1"), "Class", "Mouse");
    r.SetString(HKLM, Instance(kNtEnum, "B", "D2", "1"), "Class", "Mouse");
    r.SetString(HKLM, Instance(kNtEnum, "C", "D3", "1"), "Class", "Mouse");
    r.SetString(HKLM, Instance(kNtEnum, "C", "D3", "2"), "Class", "Mouse");
    r.AddKey(HKLM, std::string(kNtEnum) + "\\A").denyRead = true;
    r.AddKey(HKLM, std::string(kNtEnum) + "\\C\\D3\\1").denyRead = true;
    const std::vector<DeviceRecord> list = ReadDeviceTree(r, nt);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].regKey, std::string(kNtEnum) + "\\B\\D2\\1");
    EXPECT_EQ(list[1].regKey, std::string(kNtEnum) + "\\C\\D3\\2");
}

TEST_F(DeviceTree, HardwareIdOfAnySizeAndType) {
    std::string longId;
    for (int i = 0; i < 40; ++i) longId += "PCI\\VEN_" + std::to_string(1000 + i) + '\0';
    longId += '\0';
    ASSERT_GT(longId.size(), 255u);
    const std::string a = Instance(kNtEnum, "PCI", "A", "1");
    r.SetString(HKLM, a, "Class", "Net");
    Multi(a, "HardwareID", longId);
    const std::string b = Instance(kNtEnum, "PCI", "B", "1");
    r.SetString(HKLM, b, "Class", "Net");
    r.SetString(HKLM, b, "HardwareID", "ROOT\\PLAIN");
    const std::string c = Instance(kNtEnum, "PCI", "C", "1");
    r.SetString(HKLM, c, "Class", "Net");
    r.SetDword(HKLM, c, "HardwareID", 7);
    const std::string d = Instance(kNtEnum, "PCI", "D", "1");
    r.SetString(HKLM, d, "Class", "Net");
    r.Set(HKLM, d, "HardwareID", reg::kBinary, std::string("X\0Y", 3));

    const std::vector<DeviceRecord> list = ReadDeviceTree(r, nt);
    ASSERT_EQ(list.size(), 4u);
    std::string joined;
    for (char ch : longId)
        if (ch) joined += ch;
    EXPECT_EQ(list[0].hardwareId, joined);
    EXPECT_GT(list[0].hardwareId.size(), 255u);
    EXPECT_EQ(list[1].hardwareId, "ROOT\\PLAIN");
    EXPECT_EQ(list[2].hardwareId, "");
    EXPECT_EQ(list[3].hardwareId, "XY");
}

TEST_F(DeviceTree, ServiceLookUpsFillLocationAndNeverCarryValuesOver) {
    const std::string svc = kServices;
    // The bus driver named like the enumerator gives the location when the device has none.
    r.SetString(HKLM, svc + "\\USB", "DisplayName", "USB bus driver");
    r.SetString(HKLM, svc + "\\USB", "Group", "Base");
    r.SetDword(HKLM, svc + "\\USB", "Type", 1);
    // A display name that is not a plain string: group only.
    r.Set(HKLM, svc + "\\hidusb", "DisplayName", reg::kExpandString, std::string("%SystemRoot%\\hid\0", 18));
    r.SetString(HKLM, svc + "\\hidusb", "Group", "Extended Base");
    r.SetDword(HKLM, svc + "\\hidusb", "Type", 1);
    // A display name without a usable type: no display name.
    r.SetString(HKLM, svc + "\\notype", "DisplayName", "Has no type");
    r.SetString(HKLM, svc + "\\notype", "Type", "1");
    r.SetString(HKLM, svc + "\\full", "DisplayName", "Full service");
    r.SetDword(HKLM, svc + "\\full", "Type", 0x10);

    const std::string a = Instance(kNtEnum, "USB", "A", "1");
    r.SetString(HKLM, a, "Class", "HIDClass");
    r.SetString(HKLM, a, "Service", "hidusb");
    const std::string b = Instance(kNtEnum, "USB", "B", "1");
    r.SetString(HKLM, b, "Class", "HIDClass");
    r.SetString(HKLM, b, "Service", "full");
    r.SetString(HKLM, b, "LocationInformation", "Port 2");
    const std::string c = Instance(kNtEnum, "USB", "C", "1");
    r.SetString(HKLM, c, "Class", "HIDClass");
    r.SetString(HKLM, c, "Service", "notype");
    const std::string d = Instance(kNtEnum, "USB", "D", "1");
    r.SetString(HKLM, d, "Class", "HIDClass");
    r.SetString(HKLM, d, "Service", "missing");

    const std::vector<DeviceRecord> list = ReadDeviceTree(r, nt);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].location, "USB bus driver");
    EXPECT_EQ(list[0].serviceName, "");
    EXPECT_EQ(list[0].serviceGroup, "Extended Base");
    EXPECT_EQ(list[0].serviceType, 0);
    EXPECT_EQ(list[1].location, "Port 2");
    EXPECT_EQ(list[1].serviceName, "Full service");
    EXPECT_EQ(list[1].serviceGroup, "");
    EXPECT_EQ(list[1].serviceType, 0x10);
    EXPECT_EQ(list[2].serviceName, "");
    EXPECT_EQ(list[2].serviceType, 0);
    EXPECT_EQ(list[3].location, "USB bus driver");
    EXPECT_EQ(list[3].serviceName, "");
    EXPECT_EQ(list[3].serviceGroup, "");
    EXPECT_EQ(list[3].serviceType, 0);
    for (const DeviceRecord& x : list) {
        EXPECT_EQ(x.driverDate, "");
        EXPECT_EQ(x.classDesc, "");
        EXPECT_EQ(x.deviceClass, 8);
    }
}

TEST_F(DeviceTree, WrongValueTypesReadAsEmpty) {
    const std::string p = Instance(kNtEnum, "PCI", "A", "1");
    r.SetString(HKLM, p, "Class", "Display");
    r.SetDword(HKLM, p, "FriendlyName", 5);
    r.Set(HKLM, p, "DeviceDesc", reg::kBinary, "xyz");
    r.SetDword(HKLM, p, "Driver", 3);
    r.SetDword(HKLM, p, "ClassGUID", 3);
    const std::vector<DeviceRecord> list = ReadDeviceTree(r, nt);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].friendlyName, "");
    EXPECT_EQ(list[0].description, "");
    EXPECT_EQ(list[0].guid, "");
    EXPECT_EQ(list[0].deviceClass, 3);
}

TEST_F(DeviceTree, NinetyFiveFamilyWalkSkipsNetworkAndFollowsClassLinks) {
    r.SetString(HKLM, Instance("Enum", "Network", "MSTCP", "0000", false), "Class", "NetTrans");
    const std::string a = Instance("Enum", "PCI", "VEN_1", "BUS_00", false);  // no Control needed
    r.SetString(HKLM, a, "Class", "Display");
    r.SetString(HKLM, a, "ClassGUID", "{4d36e968-e325-11ce-bfc1-08002be10318}");
    r.SetString(HKLM, a, "Driver", "DISPLAY\\0000");
    const std::string b = Instance("Enum", "Root", "NoLink", "0000", false);
    r.SetString(HKLM, b, "Class", "Ports");
    r.SetString(HKLM, b, "ClassGUID", "{4D36E978-E325-11CE-BFC1-08002BE10318}");
    const std::string c = Instance("Enum", "Networks", "X", "0000", false);  // only "Network" itself is skipped
    r.SetString(HKLM, c, "Class", "Net");

    const std::string cls = k9xClass;
    r.SetString(HKLM, cls + "\\{4D36E968-E325-11CE-BFC1-08002BE10318}", "Link", "Display");
    r.SetString(HKLM, cls + "\\Display", "", "Display adapters");
    r.SetString(HKLM, cls + "\\Display", "Icon", "-1");
    r.SetString(HKLM, cls + "\\Display\\0000", "DriverDate", "1-1-1999");
    // A class GUID key without Link: nothing is found, never the class root.
    r.AddKey(HKLM, cls + "\\{4D36E978-E325-11CE-BFC1-08002BE10318}");
    r.SetString(HKLM, cls, "", "ROOT DEFAULT");
    r.SetString(HKLM, cls, "Icon", "ROOT ICON");

    const std::vector<DeviceRecord> list = ReadDeviceTree(r, w9x);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].regKey, "Enum\\PCI\\VEN_1\\BUS_00");
    EXPECT_EQ(list[0].classDesc, "Display adapters");
    EXPECT_EQ(list[0].classIcon, "-1");
    EXPECT_EQ(list[0].driverDate, "1-1-1999");
    EXPECT_EQ(list[1].regKey, "Enum\\Networks\\X\\0000");
    EXPECT_EQ(list[2].regKey, "Enum\\Root\\NoLink\\0000");
    EXPECT_EQ(list[2].classDesc, "");
    EXPECT_EQ(list[2].classIcon, "");
    // The NT tree is not read for the 9x family and the other way round.
    EXPECT_TRUE(ReadDeviceTree(r, nt).empty());
}

TEST_F(DeviceTree, ClassValuesFindTheClassKeyAndListItsValuesInOrder) {
    const std::string net = std::string(kNtClass) + "\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
    r.SetString(HKLM, std::string(kNtClass) + "\\{4D36E968-E325-11CE-BFC1-08002BE10318}", "Class", "Display");
    r.AddKey(HKLM, std::string(kNtClass) + "\\{00000000-0000-0000-0000-000000000000}");  // no Class value
    r.SetString(HKLM, net, "Class", "Net");
    r.SetString(HKLM, net + "\\0000", "DriverDesc", "Adapter B");
    r.SetString(HKLM, net + "\\0001", "DriverDesc", "Adapter A");
    r.SetString(HKLM, net + "\\0002", "DriverDesc", "Adapter B");
    r.SetDword(HKLM, net + "\\0003", "DriverDesc", 1);
    r.AddKey(HKLM, net + "\\0004");
    r.SetString(HKLM, net + "\\Properties", "Other", "x");
    // Readable without write access.
    r.AddKey(HKLM, kNtClass).denyWrite = true;
    r.AddKey(HKLM, net).denyWrite = true;

    ClassValues v = ReadClassValues(r, nt, kNtClass, "NET", "DriverDesc");
    EXPECT_EQ(v.classKey, "{4D36E972-E325-11CE-BFC1-08002BE10318}");
    EXPECT_EQ(v.values, (std::vector<std::string>{"Adapter B", "Adapter A", "Adapter B"}));

    v = ReadClassValues(r, nt, kNtClass, "NoSuchClass", "DriverDesc");
    EXPECT_EQ(v.classKey, "");
    EXPECT_TRUE(v.values.empty());
    v = ReadClassValues(r, nt, kNtClass, "", "DriverDesc");  // a key without Class is no match
    EXPECT_EQ(v.classKey, "");
    v = ReadClassValues(r, nt, "SYSTEM\\Missing", "Net", "DriverDesc");
    EXPECT_EQ(v.classKey, "");
    EXPECT_TRUE(v.values.empty());
}

TEST_F(DeviceTree, ClassValuesOfTheNinetyFiveFamilyFollowTheLink) {
    const std::string cls = k9xClass;
    r.SetString(HKLM, cls + "\\{4D36E972-E325-11CE-BFC1-08002BE10318}", "Class", "net");
    r.SetString(HKLM, cls + "\\{4D36E972-E325-11CE-BFC1-08002BE10318}", "Link", "Net");
    r.SetString(HKLM, cls + "\\Net\\0000", "DriverDesc", "Dial-Up Adapter");
    r.SetString(HKLM, cls + "\\{4D36E978-E325-11CE-BFC1-08002BE10318}", "Class", "Ports");  // no Link
    r.SetString(HKLM, cls + "\\Ports\\0000", "DriverDesc", "COM1");
    r.SetString(HKLM, cls + "\\x\\0000", "DriverDesc", "must not be read");
    ClassValues v = ReadClassValues(r, w9x, cls, "Net", "DriverDesc");
    EXPECT_EQ(v.classKey, "NET");
    EXPECT_EQ(v.values, (std::vector<std::string>{"Dial-Up Adapter"}));
    v = ReadClassValues(r, w9x, cls, "Ports", "DriverDesc");
    EXPECT_EQ(v.classKey, "");
    EXPECT_TRUE(v.values.empty());
}

}  // namespace
}  // namespace zunda::devices
