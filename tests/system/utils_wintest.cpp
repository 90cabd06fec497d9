// MxUtils from a client: registry reads and writes under HKCU\Software\ZundaTest,
// the capability records early- and late-bound, and the DCOM settings.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"
#include "tests/system/registry_fixture.h"

#include <cstring>

ZUNDA_TEST_IMPLEMENTED(MxUtils);

namespace zunda::test {
namespace {

const LONG HKCU = static_cast<LONG>(0x80000001);
const LONG HKLM = static_cast<LONG>(0x80000002);

struct Bstr {
    explicit Bstr(const wchar_t* s) : b(SysAllocString(s)) {}
    ~Bstr() { SysFreeString(b); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return b; }
    BSTR b;
};

class MxUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        utils = Create<IMxUtils>(CLSID_MxUtils);
        ASSERT_TRUE(utils);
        key.SetString("Name", "Wert \xE4");
        key.SetDword("Int", 0x80000001u);
        key.Set("Bin", REG_BINARY, "AB\0C", 4);
        key.Set("Full", REG_BINARY, std::string(255, 'z').data(), 255);
        key.Set("Large", REG_BINARY, std::string(300, 'z').data(), 300);
    }
    std::wstring ReadString(const wchar_t* ident, LONG root = HKCU, const wchar_t* path = L"Software\\ZundaTest") {
        BSTR out = nullptr;
        EXPECT_EQ(utils->ReadRegString(root, Bstr(path), Bstr(ident), &out), S_OK);
        return Take(out);
    }
    std::wstring LastError() {
        BSTR e = nullptr;
        utils->get_wstrLastErrorMessage(&e);
        return Take(e);
    }
    ZundaTestKey key;
    ComPtr<IMxUtils> utils;
};

TEST_F(MxUtilsTest, ReadsValuesAndGivesNothingForMissingOnes) {
    EXPECT_EQ(ReadString(L"Name"), L"Wert \u00E4");
    long i = 0;
    ASSERT_EQ(utils->ReadRegInt(HKCU, Bstr(L"Software\\ZundaTest"), Bstr(L"Int"), &i), S_OK);
    EXPECT_EQ(i, static_cast<long>(0x80000001u));
    BSTR bin = nullptr;
    ASSERT_EQ(utils->ReadRegBinary(HKCU, Bstr(L"Software\\ZundaTest"), Bstr(L"Bin"), &bin), S_OK);
    EXPECT_EQ(Take(bin), L"AB");
    ASSERT_EQ(utils->ReadRegBinary(HKCU, Bstr(L"Software\\ZundaTest"), Bstr(L"Full"), &bin), S_OK);
    EXPECT_EQ(Take(bin), std::wstring(255, L'z'));

    EXPECT_EQ(ReadString(L"Name", HKCU, L"Software\\ZundaTest\\Missing"), L"");
    EXPECT_EQ(ReadString(L"Missing"), L"");
    EXPECT_EQ(ReadString(L"Name", HKLM), L"");
    ASSERT_EQ(utils->ReadRegInt(HKCU, Bstr(L"Software\\ZundaTest"), Bstr(L"Missing"), &i), S_OK);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(LastError(), L"");
    // Machine data that every system has.
    EXPECT_NE(ReadString(L"ProgramFilesDir", HKLM, L"Software\\Microsoft\\Windows\\CurrentVersion"), L"");
}

TEST_F(MxUtilsTest, WrongTypesAndOversizedDataFailThroughTheConvention) {
    EXPECT_EQ(ReadString(L"Int"), L"");
    EXPECT_EQ(LastError(), L"[ReadRegString]: The registry value 'Int' is not a string.");
    BSTR bin = nullptr;
    ASSERT_EQ(utils->ReadRegBinary(HKCU, Bstr(L"Software\\ZundaTest"), Bstr(L"Large"), &bin), S_OK);
    EXPECT_EQ(Take(bin), L"");
    EXPECT_EQ(LastError(), L"[ReadRegBinary]: The registry value 'Large' is larger than 255 bytes.");

    ASSERT_EQ(utils->put_boRaiseErrors(VARIANT_TRUE), S_OK);
    long i = 7;
    EXPECT_EQ(utils->ReadRegInt(HKCU, Bstr(L"Software\\ZundaTest"), Bstr(L"Name"), &i), E_UNEXPECTED);
    ErrorInfoText info = TakeErrorInfo();
    EXPECT_EQ(info.description, L"[ReadRegInt]: The registry value 'Name' is not a 32-bit integer.");
    EXPECT_EQ(info.source, L"Zunda.MxUtils");

    ComPtr<IDispatch> d = utils.As<IDispatch>();
    CallResult r = Method(d.Get(), L"ReadRegString", {Var(HKCU), Var(L"Software\\ZundaTest"), Var(L"Bin")});
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.description, L"[ReadRegString]: The registry value 'Bin' is not a string.");
}

TEST_F(MxUtilsTest, WritesChangeExistingValuesOnly) {
    ASSERT_EQ(utils->WriteRegString(HKCU, Bstr(L"Software\\ZundaTest"), Bstr(L"Name"), Bstr(L"neu \u00FC")), S_OK);
    EXPECT_EQ(ReadString(L"Name"), L"neu \u00FC");
    ASSERT_EQ(utils->WriteRegInt(HKCU, Bstr(L"Software\\ZundaTest"), Bstr(L"Int"), -5), S_OK);
    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(key.Get("Int", data, type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, std::string("\xFB\xFF\xFF\xFF", 4));
    char bytes[] = "x\x01y";
    ASSERT_EQ(utils->WriteRegBinary(HKCU, Bstr(L"Software\\ZundaTest"), Bstr(L"Bin"), bytes), S_OK);
    ASSERT_TRUE(key.Get("Bin", data, type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data, "x\x01y");
    ASSERT_EQ(utils->WriteRegBinary(HKCU, Bstr(L"Software\\ZundaTest"), Bstr(L"Bin"), nullptr), S_OK);
    ASSERT_TRUE(key.Get("Bin", data, type));
    EXPECT_EQ(data, "");

    // Nothing is created: neither a value nor a key.
    ASSERT_EQ(utils->WriteRegInt(HKCU, Bstr(L"Software\\ZundaTest"), Bstr(L"New"), 1), S_OK);
    ASSERT_EQ(utils->WriteRegString(HKCU, Bstr(L"Software\\ZundaTest\\Sub"), Bstr(L"Name"), Bstr(L"x")), S_OK);
    EXPECT_FALSE(key.Get("New", data, type));
    EXPECT_FALSE(key.HasSubkey("Sub"));
    EXPECT_EQ(LastError(), L"");
}

TEST_F(MxUtilsTest, LateBoundBinaryWriteTakesTheScriptString) {
    ComPtr<IDispatch> d = utils.As<IDispatch>();
    CallResult r = Method(d.Get(), L"WriteRegBinary",
                          {Var(HKCU), Var(L"Software\\ZundaTest"), Var(L"Bin"), Var(L"Hallo \u00E4")});
    ASSERT_EQ(r.hr, S_OK);
    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(key.Get("Bin", data, type));
    EXPECT_EQ(data, "Hallo \xE4");
    r = Method(d.Get(), L"ReadRegBinary", {Var(HKCU), Var(L"Software\\ZundaTest"), Var(L"Bin")});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.Str(), L"Hallo \u00E4");
}

// The expected record fields from GetDeviceCaps itself.
template <class Rec>
void ExpectRecord(const Rec& rec, HDC dc, int index, std::initializer_list<DWORD> masks) {
    const DWORD value = static_cast<DWORD>(GetDeviceCaps(dc, index));
    VARIANT_BOOL fields[sizeof(Rec) / sizeof(VARIANT_BOOL)];
    ASSERT_EQ(masks.size(), sizeof(Rec) / sizeof(VARIANT_BOOL));
    std::memcpy(fields, &rec, sizeof(rec));
    size_t i = 0;
    for (DWORD m : masks) {
        EXPECT_EQ(fields[i], (value & m) == m ? VARIANT_TRUE : VARIANT_FALSE) << "index " << index << " field " << i;
        ++i;
    }
}

TEST_F(MxUtilsTest, CapabilityRecordsMatchTheDeviceEarlyAndLateBound) {
    HDC screen = GetDC(nullptr);
    ASSERT_TRUE(screen);
    const long dc = static_cast<long>(reinterpret_cast<LONG_PTR>(screen));
    Rec_CurveCap curve{};
    ASSERT_EQ(utils->GetCurveCaps(0, VARIANT_FALSE, &curve), S_OK);
    ExpectRecord(curve, screen, CURVECAPS, {1, 2, 4, 8, 16, 32, 64, 128, 256});
    Rec_TextCap text{};
    ASSERT_EQ(utils->GetTextCaps(dc, VARIANT_TRUE, &text), S_OK);
    ExpectRecord(text, screen, TEXTCAPS,
                 {1, 2, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 65536, 4});
    Rec_RasterCap raster{};
    ASSERT_EQ(utils->GetRasterCaps(dc, VARIANT_TRUE, &raster), S_OK);
    ExpectRecord(raster, screen, RASTERCAPS, {2, 1, 8, 128, 512, 4096, 16, 256, 4, 2048, 8192});

    const DWORD rasterBits = static_cast<DWORD>(GetDeviceCaps(screen, RASTERCAPS));
    VARIANT_BOOL b = 0;
    ASSERT_EQ(utils->GetCaps(0, RASTERCAPS, static_cast<long>(rasterBits), &b), S_OK);
    EXPECT_EQ(b, VARIANT_TRUE);
    ASSERT_EQ(utils->GetCapsDC(dc, RASTERCAPS, static_cast<long>(rasterBits | 0x40000000), &b), S_OK);
    EXPECT_EQ(b, VARIANT_FALSE);

    // Late-bound, a record comes back as VT_RECORD with the record's own type.
    ComPtr<IDispatch> d = utils.As<IDispatch>();
    struct Case {
        const wchar_t* member;
        const wchar_t* record;
        int index;
    } cases[] = {{L"GetCurveCaps", L"Rec_CurveCap", CURVECAPS},     {L"GetLineCaps", L"Rec_LineCap", LINECAPS},
                 {L"GetPolygonCaps", L"Rec_PolygonCap", POLYGONALCAPS}, {L"GetRasterCaps", L"Rec_RasterCap", RASTERCAPS},
                 {L"GetTextCaps", L"Rec_TextCap", TEXTCAPS}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.member).c_str() + 3);
        CallResult r = Method(d.Get(), c.member, {Var(dc), Var::Bool(true)});
        ASSERT_EQ(r.hr, S_OK);
        ASSERT_EQ(r.value.vt, VT_RECORD);
        ASSERT_TRUE(r.value.pRecInfo && r.value.pvRecord);
        BSTR name = nullptr;
        ASSERT_EQ(r.value.pRecInfo->GetName(&name), S_OK);
        EXPECT_EQ(Take(name), c.record);
        // The first field as the record info reads it agrees with the device.
        VARIANT field;
        VariantInit(&field);
        ULONG size = 0;
        ASSERT_EQ(r.value.pRecInfo->GetSize(&size), S_OK);
        BSTR names[20] = {};
        ULONG count = 20;
        ASSERT_EQ(r.value.pRecInfo->GetFieldNames(&count, names), S_OK);
        ASSERT_GT(count, 0u);
        ASSERT_EQ(r.value.pRecInfo->GetField(r.value.pvRecord, names[0], &field), S_OK);
        EXPECT_EQ(field.vt, VT_BOOL);
        const DWORD value = static_cast<DWORD>(GetDeviceCaps(screen, c.index));
        const DWORD firstMask = c.index == RASTERCAPS ? 2 : (c.index == LINECAPS ? 2 : 1);
        EXPECT_EQ(field.boolVal, (value & firstMask) == firstMask ? VARIANT_TRUE : VARIANT_FALSE);
        EXPECT_EQ(size, count * sizeof(VARIANT_BOOL));
        for (ULONG i = 0; i < count; ++i) SysFreeString(names[i]);
        VariantClear(&field);
    }
    ReleaseDC(nullptr, screen);
}

TEST_F(MxUtilsTest, DcomSettingsFollowTheRegistry) {
    HKEY ole = nullptr;
    char enable[16] = {};
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\OLE", 0, KEY_READ, &ole) == ERROR_SUCCESS) {
        DWORD size = sizeof(enable) - 1;
        RegQueryValueExA(ole, "EnableDCOM", nullptr, nullptr, reinterpret_cast<BYTE*>(enable), &size);
        RegCloseKey(ole);
    }
    const bool enabled = std::string(enable) == "Y" || std::string(enable) == "y";
    VARIANT_BOOL b = 5;
    ASSERT_EQ(utils->IsDCOMEnabled(&b), S_OK);
    EXPECT_EQ(b, enabled ? VARIANT_TRUE : VARIANT_FALSE);
    BSTR version = nullptr;
    ASSERT_EQ(utils->GetDCOMVersion(&version), S_OK);
    const std::wstring v = Take(version);
    if (!enabled) {
        EXPECT_EQ(v, L"");
    }
}

}  // namespace
}  // namespace zunda::test
