// The device lines of MxMedia, the DirectX version and name lists, and the
// display's mode line, technology table and registry decoding, over recorded
// inputs and an in-memory registry.
#include "machine/core/directx.h"
#include "machine/core/display.h"
#include "machine/core/media.h"
#include "server/core/failure.h"
#include "tests/system/memory_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>

namespace zunda::machine {
namespace {

using test::MemoryRegistry;
constexpr reg::Root HKLM = reg::kLocalMachine;

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s.push_back(static_cast<char>(v));
    return s;
}

// ------------------------------------------------------------ multimedia

TEST(MediaLine, NameAndVersion) {
    EXPECT_EQ(DeviceLine(std::string("SB16\0junk", 9), 0x0402), "SB16 v4.2");
    EXPECT_EQ(DeviceLine("Wave", 0xABCD1234), "Wave v18.52");  // only the low word counts
    EXPECT_EQ(DeviceLine("", 0), " v0.0");
    // A name that fills its field has no zero: it ends with the field.
    const std::string full(kDeviceNameField, 'N');
    EXPECT_EQ(DeviceLine(full + "overrun", 0x0100), full + " v1.0");
}

class FakeDevices final : public MediaDevices {
public:
    struct Device {
        std::string name;
        std::uint32_t version;
        bool ok;
    };
    std::map<MediaKind, std::vector<Device>> devices;
    unsigned Count(MediaKind kind) override { return static_cast<unsigned>(devices[kind].size()); }
    bool Caps(MediaKind kind, unsigned index, std::string& name, std::uint32_t& version) override {
        const Device& d = devices[kind].at(index);
        name = d.name;
        version = d.version;
        return d.ok;
    }
};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

TEST(MediaList, DeviceOrderWithoutDuplicatesOrFailedDevices) {
    FakeDevices fake;
    fake.devices[MediaKind::WaveOut] = {{"Speakers", 0x0501, true}, {"Broken", 0x0100, false},
                                        {"SPEAKERS", 0x0501, true},  // same line but for case
                                        {"Speakers", 0x0502, true},  // other version
                                        {"Headset", 0x0100, true}};
    fake.devices[MediaKind::Mixer] = {{"Mixer", 0x0100, true}};
    std::vector<std::string> lines;
    auto listed = [&](const std::string& line) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return Lower(l) == Lower(line); });
    };
    ListDevices(fake, MediaKind::WaveOut, listed, [&](const std::string& l) { lines.push_back(l); });
    EXPECT_EQ(lines, (std::vector<std::string>{"Speakers v5.1", "Speakers v5.2", "Headset v1.0"}));
    lines.clear();
    ListDevices(fake, MediaKind::MidiIn, listed, [&](const std::string& l) { lines.push_back(l); });
    EXPECT_TRUE(lines.empty());
}

// ------------------------------------------------------------ DirectX

TEST(DirectXVersionText, InstalledVersionBytes) {
    EXPECT_EQ(InstalledVersionText(Bytes({0, 0, 0, 9, 0, 0, 0, 0})), "9.0");
    EXPECT_EQ(InstalledVersionText(Bytes({0, 0, 0, 4, 0, 0, 0, 7})), "4.7");
    EXPECT_EQ(InstalledVersionText(Bytes({0, 0, 0, 8})), "8.0");
    EXPECT_EQ(InstalledVersionText(Bytes({0, 0, 1, 2, 0, 0, 1, 0, 9})), "258.256");
    EXPECT_EQ(InstalledVersionText(Bytes({0, 0, 0, 8, 1})), "8.0");  // an incomplete minor counts as 0
    EXPECT_EQ(InstalledVersionText(Bytes({0xFF, 0xFF, 0xFF, 0xFF})), "4294967295.0");
    EXPECT_EQ(InstalledVersionText(Bytes({0, 0, 9})), "");
    EXPECT_EQ(InstalledVersionText(""), "");
}

TEST(DirectXVersionText, FromTheRegistry) {
    MemoryRegistry r;
    EXPECT_EQ(DirectXVersion(r), "not installed");
    r.AddKey(HKLM, kDirectXKey);
    EXPECT_EQ(DirectXVersion(r), "not installed");
    r.Set(HKLM, kDirectXKey, "InstalledVersion", reg::kBinary, Bytes({0, 0, 0, 9, 0, 0, 0, 0}));
    EXPECT_EQ(DirectXVersion(r), "9.0");
    r.SetString(HKLM, kDirectXKey, "Version", "  \t ");
    EXPECT_EQ(DirectXVersion(r), "not installed");  // a blank text is trimmed only after the choice
    r.SetString(HKLM, kDirectXKey, "Version", " 4.09.00.0904 ");
    EXPECT_EQ(DirectXVersion(r), "4.09.00.0904");
    r.SetDword(HKLM, kDirectXKey, "Version", 9);  // wrong type: as if missing
    EXPECT_EQ(DirectXVersion(r), "9.0");
    r.Set(HKLM, kDirectXKey, "InstalledVersion", reg::kBinary, Bytes({0, 0, 9}));
    EXPECT_EQ(DirectXVersion(r), "not installed");
    r.Set(HKLM, kDirectXKey, "InstalledVersion", reg::kString, std::string("9.0c\0", 5));
    EXPECT_EQ(DirectXVersion(r), "not installed");
    r.AddKey(HKLM, kDirectXKey).denyRead = true;
    EXPECT_EQ(DirectXVersion(r), "not installed");
}

TEST(DirectXLists, DescriptionsOfTheSubkeys) {
    MemoryRegistry r;
    std::vector<std::string> lines;
    auto add = [&](const std::string& l) { lines.push_back(l); };
    SubkeyDescriptions(r, kDirect3DDrivers, add);  // missing key
    EXPECT_TRUE(lines.empty());

    const std::string k = kDirect3DDrivers;
    r.SetString(HKLM, k + "\\A", "Description", "Ramp Emulation");
    r.AddKey(HKLM, k + "\\B");                           // no description
    r.SetDword(HKLM, k + "\\C", "Description", 1);       // wrong type
    r.SetString(HKLM, k + "\\D", "Name", "RGB");         // other value only
    r.AddKey(HKLM, k + "\\E").denyRead = true;           // unreadable
    r.SetString(HKLM, k + "\\F", "Description", "RGB Emulation");
    SubkeyDescriptions(r, k, add);
    EXPECT_EQ(lines, (std::vector<std::string>{"Ramp Emulation", "RGB Emulation"}));

    lines.clear();
    r.AddKey(HKLM, k).enumFailure = 1359;
    EXPECT_THROW(SubkeyDescriptions(r, k, add), Failure);
    EXPECT_EQ(lines, (std::vector<std::string>{"Ramp Emulation"}));  // what was listed stays
}

// ------------------------------------------------------------ display

TEST(DisplayText, ModesAndTechnology) {
    EXPECT_EQ(ModeLine(1024, 768, 16), "1024 x 768 - 16 bit");
    EXPECT_EQ(ModeLine(0, 0, 0), "0 x 0 - 0 bit");
    EXPECT_EQ(ModeLine(0xFFFFFFFF, 1, 32), "-1 x 1 - 32 bit");
    const char* expected[] = {"Vector Plotter",   "Raster Display", "Raster Printer", "Raster Camera",
                              "Character Stream", "Metafile",       "Display File"};
    for (int i = 0; i < 7; ++i) EXPECT_STREQ(TechnologyText(i), expected[i]);
    EXPECT_STREQ(TechnologyText(7), "");
    EXPECT_STREQ(TechnologyText(-1), "");
}

TEST(DisplayBios, VersionByType) {
    struct Case {
        std::uint32_t type;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {reg::kString, std::string("Video BIOS 1.0\0", 15), "Video BIOS 1.0"},
        {reg::kExpandString, std::string("V 2\0", 4), "V 2"},
        {reg::kBinary, std::string("BIN\0rest", 8), "BIN"},
        {reg::kBinary, std::string(200, 'x'), std::string(151, 'x')},  // cut at its bound
        {reg::kMultiString, std::string("First line\0Second line\0\0", 24), "First line"},
        {reg::kMultiString, std::string("Only line\0\0", 11), "Only line"},
        {reg::kNone, std::string("untyped\0", 8), "untyped"},
        {reg::kDword, Bytes({1, 2, 3, 4}), ""},
        {reg::kString, std::string(), ""},
        {reg::kMultiString, std::string(1000, 'm'), std::string(1000, 'm')},
    };
    for (const Case& c : cases) EXPECT_EQ(BiosVersionText({c.type, c.bytes}), c.expected) << c.type;
}

TEST(DisplayBios, WideBytesAndMemory) {
    const std::string wide = std::string("A\0T\0I\0 \0R\0A\0G\0E\0\0\0junk", 22);
    EXPECT_EQ(WideBytesText(wide), "ATI RAGE");
    EXPECT_EQ(WideBytesText(std::string("8\0", 2)), "8");  // no terminator in the data
    EXPECT_EQ(WideBytesText(""), "");
    EXPECT_EQ(WideBytesText(std::string("\0\0X", 3)), "");
    // Only the buffer's 255 bytes are read.
    std::string longText;
    for (int i = 0; i < 200; ++i) longText += std::string("Z\0", 2);
    EXPECT_EQ(WideBytesText(longText), std::string(128, 'Z'));

    EXPECT_EQ(LittleEndian32(Bytes({0, 0, 0, 2})), 0x02000000);
    EXPECT_EQ(LittleEndian32(Bytes({0, 0, 0x10, 0, 99})), 0x100000);
    EXPECT_EQ(LittleEndian32(Bytes({0x34, 0x12})), 0x1234);  // short: zero-filled
    EXPECT_EQ(LittleEndian32(""), 0);
    EXPECT_EQ(LittleEndian32(Bytes({0xFF, 0xFF, 0xFF, 0xFF})), -1);
}

TEST(DisplayBios, RegistryValuesOfEveryKind) {
    MemoryRegistry r;
    EXPECT_EQ(ReadVideoBios(r).version, "");
    r.Set(HKLM, kSystemDescriptionKey, "VideoBiosVersion", reg::kMultiString, std::string("VGA 1\0VGA 2\0\0", 13));
    r.SetString(HKLM, kSystemDescriptionKey, "VideoBiosDate", "01/02/03");
    VideoBios b = ReadVideoBios(r);
    EXPECT_EQ(b.version, "VGA 1");
    EXPECT_EQ(b.date, "01/02/03");
    r.Set(HKLM, kSystemDescriptionKey, "VideoBiosVersion", reg::kBinary, std::string(400, 'v'));
    r.SetDword(HKLM, kSystemDescriptionKey, "VideoBiosDate", 3);
    b = ReadVideoBios(r);
    EXPECT_EQ(b.version, std::string(151, 'v'));
    EXPECT_EQ(b.date, "");
}

TEST(DisplayAdapter, BothFamilies) {
    MemoryRegistry r;
    const std::string nt = NtAdapterKey("vga");
    EXPECT_EQ(nt, "SYSTEM\\CurrentControlSet\\Services\\vga\\Device0");
    r.Set(HKLM, nt, "HardwareInformation.DacType", reg::kBinary, std::string("8\0 \0b\0i\0t\0\0\0", 12));
    r.Set(HKLM, nt, "HardwareInformation.ChipType", reg::kBinary, std::string("R\0a\0g\0e\0", 8));
    r.Set(HKLM, nt, "HardwareInformation.MemorySize", reg::kBinary, Bytes({0, 0, 0x80}));  // short
    AdapterDetails d;
    ReadAdapterDetails(r, true, "vga", d);
    EXPECT_EQ(d.dac, "8 bit");
    EXPECT_EQ(d.chip, "Rage");
    EXPECT_EQ(d.memory, 0x800000);

    // Wrong types are skipped, the other values still read.
    r.SetString(HKLM, nt, "HardwareInformation.DacType", "text");
    r.SetString(HKLM, nt, "HardwareInformation.MemorySize", "4 MB");
    AdapterDetails e;
    ReadAdapterDetails(r, true, "vga", e);
    EXPECT_EQ(e.dac, "");
    EXPECT_EQ(e.chip, "Rage");
    EXPECT_EQ(e.memory, 0);

    AdapterDetails none;
    ReadAdapterDetails(r, true, "", none);       // no service
    ReadAdapterDetails(r, true, "other", none);  // no such key
    ReadAdapterDetails(r, false, "vga", none);   // no 9x key
    EXPECT_EQ(none.dac, "");
    EXPECT_EQ(none.memory, 0);

    r.SetString(HKLM, k9xDisplayInfoKey, "DacType", "Internal");
    r.SetString(HKLM, k9xDisplayInfoKey, "ChipType", "S3 Trio");
    r.SetDword(HKLM, k9xDisplayInfoKey, "VideoMemory", 4194304);
    AdapterDetails w;
    ReadAdapterDetails(r, false, "ignored", w);
    EXPECT_EQ(w.dac, "Internal");
    EXPECT_EQ(w.chip, "S3 Trio");
    EXPECT_EQ(w.memory, 4194304);
}

}  // namespace
}  // namespace zunda::machine
