// MxDisplay from a client: the screen values against the system's own
// answers, the display modes, the capability records against MxUtils, and
// registry fixtures of the adapter (a display device with its service's
// device key, or on Windows 9x the display class's INFO key) and of the
// video BIOS values in every registry type. tests/machine/wine-display.sh
// runs the Windows 9x family (ZUNDA_EXPECT_NT=0).
#include "tests/machine/machine_registry_fixture.h"
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"

#include <cstdlib>
#include <cstring>

ZUNDA_TEST_IMPLEMENTED(MxDisplay);

namespace zunda::test {
namespace {

std::wstring LastError(IMxDisplay* d) {
    return ReadText<IMxBaseInterface>(d, &IMxBaseInterface::get_wstrLastErrorMessage);
}

bool NineXRun() {
    const char* nt = std::getenv("ZUNDA_EXPECT_NT");
    return nt && std::strcmp(nt, "0") == 0;
}

std::string Utf16Bytes(const wchar_t* text) {
    return std::string(reinterpret_cast<const char*>(text), (wcslen(text) + 1) * sizeof(wchar_t));
}

template <class Rec>
bool SameRecord(const Rec& a, const Rec& b) {
    return std::memcmp(&a, &b, sizeof(Rec)) == 0;
}

TEST(MxDisplayTest, NothingBeforeGetInfoThenTheScreenOfTheSystem) {
    ComPtr<IMxDisplay> d = Create<IMxDisplay>(CLSID_MxDisplay);
    ASSERT_TRUE(d);
    ComPtr<IMxStringlist> modes;
    ASSERT_EQ(d->get_strlModes(modes.Put()), S_OK);
    ASSERT_TRUE(modes);
    EXPECT_TRUE(ListItems(modes.Get()).empty());
    EXPECT_EQ(Read(d.Get(), &IMxDisplay::get_iHorzRes), 0);
    EXPECT_EQ(ReadText(d.Get(), &IMxDisplay::get_wstrTechnology), L"");

    ASSERT_EQ(d->GetInfo(), S_OK);
    EXPECT_EQ(LastError(d.Get()), L"");
    HDC screen = GetDC(nullptr);
    ASSERT_TRUE(screen);
    EXPECT_EQ(Read(d.Get(), &IMxDisplay::get_iColorDepth), GetDeviceCaps(screen, BITSPIXEL));
    EXPECT_EQ(Read(d.Get(), &IMxDisplay::get_iHorzRes), GetDeviceCaps(screen, HORZRES));
    EXPECT_EQ(Read(d.Get(), &IMxDisplay::get_iVertRes), GetDeviceCaps(screen, VERTRES));
    EXPECT_EQ(Read(d.Get(), &IMxDisplay::get_iPixelWidth), GetDeviceCaps(screen, ASPECTX));
    EXPECT_EQ(Read(d.Get(), &IMxDisplay::get_iPixelHeight), GetDeviceCaps(screen, ASPECTY));
    EXPECT_EQ(Read(d.Get(), &IMxDisplay::get_iPixelDiagonal), GetDeviceCaps(screen, ASPECTXY));
    EXPECT_EQ(GetDeviceCaps(screen, TECHNOLOGY), DT_RASDISPLAY);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(Read(d.Get(), &IMxDisplay::get_iHorzRes), 0);
    EXPECT_EQ(ReadText(d.Get(), &IMxDisplay::get_wstrTechnology), L"Raster Display");

    // Every mode the system enumerates, in its order, duplicates included.
    std::vector<std::wstring> expected;
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    for (DWORD i = 0; EnumDisplaySettingsW(nullptr, i, &mode); ++i)
        expected.push_back(std::to_wstring(mode.dmPelsWidth) + L" x " + std::to_wstring(mode.dmPelsHeight) + L" - " +
                           std::to_wstring(mode.dmBitsPerPel) + L" bit");
    ComPtr<IMxStringlist> again;
    ASSERT_EQ(d->get_strlModes(again.Put()), S_OK);
    EXPECT_EQ(again.Get(), modes.Get()) << "the object's own list";
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(ListItems(modes.Get()), expected);
    ASSERT_EQ(d->GetInfo(), S_OK);
    EXPECT_EQ(ListItems(modes.Get()).size(), expected.size()) << "refilled, not appended to";

    // The screen's capability records, as MxUtils gives them.
    ComPtr<IMxUtils> utils = Create<IMxUtils>(CLSID_MxUtils);
    ASSERT_TRUE(utils);
    Rec_CurveCap c1{}, c2{};
    Rec_LineCap l1{}, l2{};
    Rec_PolygonCap p1{}, p2{};
    Rec_RasterCap r1{}, r2{};
    Rec_TextCap t1{}, t2{};
    ASSERT_EQ(utils->GetCurveCaps(0, VARIANT_FALSE, &c1), S_OK);
    ASSERT_EQ(utils->GetLineCaps(0, VARIANT_FALSE, &l1), S_OK);
    ASSERT_EQ(utils->GetPolygonCaps(0, VARIANT_FALSE, &p1), S_OK);
    ASSERT_EQ(utils->GetRasterCaps(0, VARIANT_FALSE, &r1), S_OK);
    ASSERT_EQ(utils->GetTextCaps(0, VARIANT_FALSE, &t1), S_OK);
    ASSERT_EQ(d->get_rcCurveCaps(&c2), S_OK);
    ASSERT_EQ(d->get_rcLineCaps(&l2), S_OK);
    ASSERT_EQ(d->get_rcPolygonCaps(&p2), S_OK);
    ASSERT_EQ(d->get_rcRasterCaps(&r2), S_OK);
    ASSERT_EQ(d->get_rcTextCaps(&t2), S_OK);
    EXPECT_TRUE(SameRecord(c1, c2));
    EXPECT_TRUE(SameRecord(l1, l2));
    EXPECT_TRUE(SameRecord(p1, p2));
    EXPECT_TRUE(SameRecord(r1, r2));
    EXPECT_TRUE(SameRecord(t1, t2));
    EXPECT_EQ(r2.boTranserBitmaps, VARIANT_TRUE);  // any raster display can copy bitmaps

    // Late-bound, as scripts read them: the list as an object, a record as a record.
    ComPtr<IDispatch> late = CreateByProgId(L"Zunda.MxDisplay");
    ASSERT_TRUE(late);
    EXPECT_EQ(Method(late.Get(), L"GetInfo").hr, S_OK);
    CallResult lines = PropGet(late.Get(), L"strlModes");
    ASSERT_EQ(lines.value.vt, VT_DISPATCH);
    EXPECT_EQ(PropGet(lines.value.pdispVal, L"Count").value.lVal, static_cast<long>(expected.size()));
    EXPECT_EQ(PropGet(late.Get(), L"rcRasterCaps").value.vt, VT_RECORD);
    EXPECT_EQ(PropGet(late.Get(), L"wstrTechnology").value.Str(), L"Raster Display");
}

// The video BIOS values and the adapter of each family come from fixtures.
class MxDisplayFixture : public ::testing::Test {
protected:
    static constexpr const char* kSystem = "HARDWARE\\DESCRIPTION\\System";
    void SetUp() override {
        display = Create<IMxDisplay>(CLSID_MxDisplay);
        ASSERT_TRUE(display);
    }
    void GetInfo() {
        ASSERT_EQ(display->GetInfo(), S_OK);
        EXPECT_EQ(LastError(display.Get()), L"");
    }
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IMxDisplay::*get)(BSTR*)) { return ReadText(display.Get(), get); }

    MachineValue biosVersion{kSystem, "VideoBiosVersion"};
    MachineValue biosDate{kSystem, "VideoBiosDate"};
    ComPtr<IMxDisplay> display;
};

TEST_F(MxDisplayFixture, VideoBiosVersionByTypeAndTheRestGoesOn) {
    biosDate.SetString("08/15/01");
    struct Case {
        const char* what;
        DWORD type;
        std::string bytes;
        std::wstring expected;
    } cases[] = {
        {"string", REG_SZ, std::string("Zunda VGA BIOS 1.0\0", 19), L"Zunda VGA BIOS 1.0"},
        {"binary", REG_BINARY, std::string("BIN 2.0\0tail", 12), L"BIN 2.0"},
        {"binary too long", REG_BINARY, std::string(400, 'B'), std::wstring(151, L'B')},
        {"multi-string, one line", REG_MULTI_SZ, std::string("Only\0\0", 6), L"Only"},
        {"multi-string, lines", REG_MULTI_SZ, std::string("First\0Second\0\0", 14), L"First"},
        {"integer", REG_DWORD, std::string("\x01\x02\x03\x04", 4), L""},
    };
    for (const Case& c : cases) {
        biosVersion.Set(c.type, c.bytes);
        GetInfo();
        EXPECT_EQ(Text(&IMxDisplay::get_wstrBIOSVersion), c.expected) << c.what;
        EXPECT_EQ(Text(&IMxDisplay::get_wstrBIOSDate), L"08/15/01") << c.what;
        // A BIOS value of any kind never costs the rest of the values.
        EXPECT_EQ(Text(&IMxDisplay::get_wstrTechnology), L"Raster Display") << c.what;
        EXPECT_GT(Read(display.Get(), &IMxDisplay::get_iHorzRes), 0) << c.what;
    }
    biosVersion.Delete();
    biosDate.Set(REG_DWORD, std::string("\x01\0\0\0", 4));  // a date of the wrong type
    GetInfo();
    EXPECT_EQ(Text(&IMxDisplay::get_wstrBIOSVersion), L"");
    EXPECT_EQ(Text(&IMxDisplay::get_wstrBIOSDate), L"");
}

TEST_F(MxDisplayFixture, AdapterOfTheNtFamily) {
    if (NineXRun()) GTEST_SKIP() << "NT family only";
    MachineKey device("SYSTEM\\CurrentControlSet\\Enum\\ZundaBus\\ZUNDA_VGA\\Zunda0");
    device.SetString("Class", "Display");
    device.SetString("DeviceDesc", "Zunda Test Adapter");
    device.SetString("FriendlyName", "");
    device.SetString("Service", "ZundaVga");
    device.AddSubkey("Control");
    MachineKey service("SYSTEM\\CurrentControlSet\\Services\\ZundaVga\\Device0");
    service.Set("HardwareInformation.DacType", REG_BINARY, Utf16Bytes(L"Zunda RAMDAC"));
    service.Set("HardwareInformation.ChipType", REG_BINARY, Utf16Bytes(L"Zunda Chip 3000"));
    service.Set("HardwareInformation.MemorySize", REG_BINARY, std::string("\0\0\0\x02", 4));
    GetInfo();
    // The friendly name is empty: the description stands in.
    EXPECT_EQ(Text(&IMxDisplay::get_wstrAdapter), L"Zunda Test Adapter");
    EXPECT_EQ(Text(&IMxDisplay::get_wstrDAC), L"Zunda RAMDAC");
    EXPECT_EQ(Text(&IMxDisplay::get_wstrChipset), L"Zunda Chip 3000");
    EXPECT_EQ(Read(display.Get(), &IMxDisplay::get_iMemory), 0x02000000);

    // A friendly name wins; values that are too short, too long or of the
    // wrong type are cut or left out, and the others still read.
    device.SetString("FriendlyName", "Zunda Friendly Adapter");
    service.Set("HardwareInformation.MemorySize", REG_BINARY, std::string("\0\x10", 2));
    service.Set("HardwareInformation.DacType", REG_SZ, std::string("text\0", 5));
    std::wstring longChip(300, L'C');
    service.Set("HardwareInformation.ChipType", REG_BINARY, Utf16Bytes(longChip.c_str()));
    GetInfo();
    EXPECT_EQ(Text(&IMxDisplay::get_wstrAdapter), L"Zunda Friendly Adapter");
    EXPECT_EQ(Read(display.Get(), &IMxDisplay::get_iMemory), 0x1000);
    EXPECT_EQ(Text(&IMxDisplay::get_wstrDAC), L"");
    EXPECT_EQ(Text(&IMxDisplay::get_wstrChipset), std::wstring(128, L'C'));
}

TEST_F(MxDisplayFixture, WithoutADisplayDeviceTheAdapterIsEmpty) {
    if (NineXRun()) GTEST_SKIP() << "NT family only";
    // Wine's own adapter key has no Control subkey, so no device is listed.
    GetInfo();
    EXPECT_EQ(Text(&IMxDisplay::get_wstrAdapter), L"");
    EXPECT_EQ(Text(&IMxDisplay::get_wstrDAC), L"");
    EXPECT_EQ(Read(display.Get(), &IMxDisplay::get_iMemory), 0);
    EXPECT_EQ(Text(&IMxDisplay::get_wstrTechnology), L"Raster Display");
}

TEST_F(MxDisplayFixture, AdapterOfTheWindows9xFamily) {
    if (!NineXRun()) GTEST_SKIP() << "run by tests/machine/wine-display.sh";
    MachineKey device("Enum\\ZundaBus\\ZUNDA_VGA\\Zunda0");
    device.SetString("Class", "Display");
    device.SetString("DeviceDesc", "Zunda 9x Adapter");
    MachineKey info("System\\CurrentControlSet\\Services\\Class\\Display\\0000\\INFO");
    info.SetString("DacType", "Zunda DAC");
    info.SetString("ChipType", "Zunda 9x Chip");
    info.SetDword("VideoMemory", 4194304);
    GetInfo();
    EXPECT_EQ(Text(&IMxDisplay::get_wstrAdapter), L"Zunda 9x Adapter");
    EXPECT_EQ(Text(&IMxDisplay::get_wstrDAC), L"Zunda DAC");
    EXPECT_EQ(Text(&IMxDisplay::get_wstrChipset), L"Zunda 9x Chip");
    EXPECT_EQ(Read(display.Get(), &IMxDisplay::get_iMemory), 4194304);

    info.SetDword("DacType", 7);  // wrong type: left out
    info.Set("VideoMemory", REG_SZ, std::string("4 MB\0", 5));
    GetInfo();
    EXPECT_EQ(Text(&IMxDisplay::get_wstrDAC), L"");
    EXPECT_EQ(Text(&IMxDisplay::get_wstrChipset), L"Zunda 9x Chip");
    EXPECT_EQ(Read(display.Get(), &IMxDisplay::get_iMemory), 0);
}

}  // namespace
}  // namespace zunda::test
